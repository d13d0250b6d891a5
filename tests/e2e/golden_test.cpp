// Seeded whole-command runs compared byte for byte with the expected outputs
// in tests/data/golden/ (made by tests/data/golden/make_golden.sh). Guards
// every optimization: the same inputs and seed must give the same files.

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace {

using testing_util::read_file;
using testing_util::ScopedTempDir;

struct GoldenCase {
  std::string name;
  std::vector<std::string> args;
};

std::vector<GoldenCase> read_cases(const std::string& golden) {
  std::vector<GoldenCase> cases;
  std::ifstream in(golden + "/cases.txt");
  const std::string data_dir = testing_util::source_dir() + "/tests/data/";
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t bar = line.find('|');
    GoldenCase c;
    c.name = line.substr(0, bar);
    std::istringstream words(line.substr(bar + 1));
    for (std::string w; words >> w;) {
      if (w[0] == '@') w = data_dir + w.substr(1);
      c.args.push_back(w);
    }
    cases.push_back(c);
  }
  return cases;
}

std::vector<std::string> files_in(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  return names;
}

class GoldenTest : public ::testing::TestWithParam<int> {};

TEST_P(GoldenTest, SeededRunsReproduceExpectedFiles) {
  const std::string golden = testing_util::source_dir() + "/tests/data/golden";
  const auto cases = read_cases(golden);
  ASSERT_EQ(cases.size(), 3u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    testing_util::write_file(dir.file("dot.cfg"), "#GRAPH_TYPE\nNO_DOT\n");
    std::vector<std::string> argv = {QUORVANE_BIN};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto r = testing_util::run_command(
        argv, dir.path(),
        {"GSL_RNG_TYPE=mt19937",
         "OMP_NUM_THREADS=" + std::to_string(GetParam())});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, read_file(golden + "/" + c.name + "/stdout.txt"));
    const auto expected = files_in(golden + "/" + c.name);
    ASSERT_GE(expected.size(), 3u);
    for (const auto& f : expected) {
      if (f == "stdout.txt") continue;
      EXPECT_EQ(read_file(dir.file(f)),
                read_file(golden + "/" + c.name + "/" + f))
          << f;
    }
    // Nothing beyond the expected files (and the styling file) was written.
    EXPECT_EQ(files_in(dir.path()).size(), expected.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Threads, GoldenTest, ::testing::Values(1, 2));

}  // namespace
