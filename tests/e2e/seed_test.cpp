// Reproducible runs: with --seed every output is byte-identical across
// invocations and thread counts.

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace {

using testing_util::CommandResult;
using testing_util::read_file;
using testing_util::ScopedTempDir;
using testing_util::write_file;

struct Outputs {
  int status = -1;
  std::string gamma, log, json, text_model, dot;
};

// One seeded run over three variables and two delays writing every output.
Outputs run(const std::vector<std::string>& seed_args, int threads) {
  ScopedTempDir dir;
  write_file(dir.file("dot.cfg"), "#GRAPH_TYPE\nNO_DOT\n");
  std::vector<std::string> argv = {
      QUORVANE_BIN,
      "-f",
      testing_util::source_dir() + "/tests/data/three_binary.txt",
      "-T",
      "symbolic",
      "-B",
      "1",
      "-E",
      "2",
      "-n",
      "3",
      "-e",
      "0.02",
      "-q",
      "-y",
      "true",
      "-l",
      "r.log",
      "-m",
      "-a",
      "-A",
      "1"};
  argv.insert(argv.end(), seed_args.begin(), seed_args.end());
  CommandResult r = testing_util::run_command(
      argv, dir.path(), {"OMP_NUM_THREADS=" + std::to_string(threads)});
  Outputs o;
  o.status = r.status;
  o.gamma = r.out;
  o.log = read_file(dir.file("r.log"));
  o.json = read_file(dir.file("model.json"));
  o.dot = read_file(dir.file("model_0_1_DEL_1.dot"));
  // The same run once more writing text models.
  argv.insert(argv.end(), {"-J", "false"});
  r = testing_util::run_command(argv, dir.path(),
                                {"OMP_NUM_THREADS=" + std::to_string(threads)});
  o.text_model = read_file(dir.file("model_2_1_DEL_2.mod"));
  return o;
}

std::vector<double> annihilation_errors(const std::string& log) {
  std::vector<double> out;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    std::istringstream f(line);
    double src, tgt, delay, gamma, mrgeps, annerr;
    f >> src >> tgt >> delay >> gamma >> mrgeps >> annerr;
    out.push_back(annerr);
  }
  return out;
}

TEST(SeedTest, SeededOutputsAreByteIdenticalAcrossRunsAndThreads) {
  const Outputs a = run({"--seed", "12345"}, 1);
  const Outputs b = run({"--seed", "12345"}, 2);
  const Outputs c = run({"-s", "12345"}, 1);
  ASSERT_EQ(a.status, 0);
  ASSERT_FALSE(a.log.empty());
  ASSERT_FALSE(a.json.empty());
  ASSERT_FALSE(a.dot.empty());
  ASSERT_FALSE(a.text_model.empty());
  for (const Outputs* o : {&b, &c}) {
    EXPECT_EQ(o->status, 0);
    EXPECT_EQ(a.gamma, o->gamma);
    EXPECT_EQ(a.log, o->log);
    EXPECT_EQ(a.json, o->json);
    EXPECT_EQ(a.dot, o->dot);
    EXPECT_EQ(a.text_model, o->text_model);
  }
}

TEST(SeedTest, DifferentSeedsGiveDifferentAnnihilationErrors) {
  const Outputs a = run({"--seed", "1"}, 1);
  const Outputs b = run({"--seed", "2"}, 1);
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(b.status, 0);
  EXPECT_NE(annihilation_errors(a.log), annihilation_errors(b.log));
}

TEST(SeedTest, UnseededRunsGiveValidRecords) {
  for (int i = 0; i < 2; ++i) {
    const Outputs o = run({}, 2);
    ASSERT_EQ(o.status, 0);
    const auto errors = annihilation_errors(o.log);
    EXPECT_EQ(errors.size(), 12u);
    for (double e : errors) {
      EXPECT_GE(e, 0.0);
      EXPECT_LT(e, 1.0);
    }
  }
}

}  // namespace
