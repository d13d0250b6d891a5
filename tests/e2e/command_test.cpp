// Runs the built command on small committed data and checks its exit status,
// console lines and files.

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace {

using testing_util::CommandResult;
using testing_util::file_exists;
using testing_util::read_file;
using testing_util::ScopedTempDir;
using testing_util::write_file;

std::string data(const std::string& name) {
  return testing_util::source_dir() + "/tests/data/" + name;
}

// Runs quorvane in `dir` with `args`; one thread unless `threads` says.
CommandResult quorvane(const ScopedTempDir& dir,
                       const std::vector<std::string>& args, int threads = 1) {
  std::vector<std::string> argv = {QUORVANE_BIN};
  argv.insert(argv.end(), args.begin(), args.end());
  return testing_util::run_command(
      argv, dir.path(), {"OMP_NUM_THREADS=" + std::to_string(threads)});
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

struct LogRecord {
  unsigned src, tgt, delay;
  double gamma, mrgeps, annerr;
  unsigned states;
};

std::vector<LogRecord> parse_log(const std::string& text) {
  std::vector<LogRecord> out;
  for (const auto& line : lines(text)) {
    std::istringstream in(line);
    LogRecord r{};
    in >> r.src >> r.tgt >> r.delay >> r.gamma >> r.mrgeps >> r.annerr >>
        r.states;
    EXPECT_FALSE(in.fail()) << line;
    out.push_back(r);
  }
  return out;
}

// Fast inference settings for small data: one merge threshold, two
// repetitions, no progress bar, symbolic data unless `args` name a type.
std::vector<std::string> with_fast(std::vector<std::string> args) {
  const std::vector<std::string> fast = {"-e", "0.01", "-n", "2", "-q"};
  if (std::find(args.begin(), args.end(), "-T") == args.end()) {
    args.insert(args.begin(), {"-T", "symbolic"});
  }
  args.insert(args.begin(), fast.begin(), fast.end());
  return args;
}

TEST(CommandTest, NoArgumentsExitsOneWithMessage) {
  ScopedTempDir dir;
  CommandResult r = quorvane(dir, {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Exiting. Type -h or --help for usage\n");
}

TEST(CommandTest, HelpAndVersion) {
  ScopedTempDir dir;
  CommandResult help = quorvane(dir, {"--help", "--version"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: ", 0), 0u);
  EXPECT_EQ(help.out.find("Quorvane v1.7"), std::string::npos);
  CommandResult version = quorvane(dir, {"-V"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Quorvane v1.7\n");
}

TEST(CommandTest, BadOptionIsReportedRunGoesOnStatusTwo) {
  ScopedTempDir dir;
  CommandResult r = quorvane(dir, with_fast({"--bogus", "-f", data("short.txt"),
                                             "-d", "1", "-l", "run.log"}));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out.rfind("\nunrecognised option '--bogus'\nUsage: ", 0), 0u)
      << r.out;
  // The parser failed as a whole, so the run went on with the defaults and
  // looked for data1.txt, which is not there.
  EXPECT_NE(r.err.find("data1.txt"), std::string::npos) << r.err;
}

TEST(CommandTest, RunCountAndOrderFollowTheSelector) {
  struct Case {
    const char* key;
    bool include_self;
    std::vector<std::tuple<unsigned, unsigned>> runs;  // (src, tgt) per delay
  };
  const Case kCases[] = {
      {":", false, {{1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}}},
      {":",
       true,
       {{0, 0},
        {1, 0},
        {2, 0},
        {0, 1},
        {1, 1},
        {2, 1},
        {0, 2},
        {1, 2},
        {2, 2}}},
      {"0:1", false, {{0, 1}}},
      {"2 0 : 1 | 1:", false, {{1, 0}, {0, 1}, {2, 1}, {1, 2}}},
      {"3:3", true, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.key);
    ScopedTempDir dir;
    std::vector<std::string> args =
        with_fast({"-f", data("three_binary.txt"), "-B", "1", "-E", "2", "-k",
                   c.key, "-l", "run.log"});
    if (c.include_self) args.push_back("-S");
    CommandResult r = quorvane(dir, args);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto log = parse_log(read_file(dir.file("run.log")));
    ASSERT_EQ(log.size(), 2 * c.runs.size());
    for (std::size_t i = 0; i < log.size(); ++i) {
      const auto& [src, tgt] = c.runs[i % c.runs.size()];
      EXPECT_EQ(log[i].delay, 1 + i / c.runs.size());
      EXPECT_EQ(log[i].src, src) << i;
      EXPECT_EQ(log[i].tgt, tgt) << i;
    }
  }
}

TEST(CommandTest, ResultLogHasSevenBlankTerminatedFields) {
  ScopedTempDir dir;
  CommandResult r = quorvane(dir, with_fast({"-f", data("three_binary.txt"),
                                             "-d", "1", "-l", "r.log"}));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto log_lines = lines(read_file(dir.file("r.log")));
  ASSERT_EQ(log_lines.size(), 6u);
  for (const auto& line : log_lines) {
    EXPECT_EQ(fields(line).size(), 7u) << line;
    EXPECT_EQ(line.back(), ' ') << line;
  }
  for (const auto& rec : parse_log(read_file(dir.file("r.log")))) {
    EXPECT_GE(rec.gamma, 0.0);
    EXPECT_LE(rec.gamma, 1.0);
    EXPECT_GE(rec.states, 1u);
  }
}

TEST(CommandTest, GammaOutputHasOneLinePerPairAndOneValuePerDelay) {
  ScopedTempDir dir;
  CommandResult r =
      quorvane(dir, with_fast({"-f", data("three_binary.txt"), "-B", "1", "-E",
                               "2", "-y", "true", "-l", "r.log"}));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = lines(r.out);
  ASSERT_EQ(out.size(), 6u) << r.out;
  // Lines run 0->1, 0->2, 1->0, 1->2, 2->0, 2->1, delays 1 then 2.
  const std::vector<std::pair<unsigned, unsigned>> pairs = {
      {0, 1}, {0, 2}, {1, 0}, {1, 2}, {2, 0}, {2, 1}};
  std::map<std::tuple<unsigned, unsigned, unsigned>, double> logged;
  for (const auto& rec : parse_log(read_file(dir.file("r.log"))))
    logged[{rec.src, rec.tgt, rec.delay}] = rec.gamma;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto values = fields(out[i]);
    ASSERT_EQ(values.size(), 2u) << out[i];
    EXPECT_EQ(out[i].back(), ' ');
    for (unsigned d = 1; d <= 2; ++d) {
      EXPECT_NEAR(std::stod(values[d - 1]),
                  (logged[{pairs[i].first, pairs[i].second, d}]), 1e-5);
    }
  }
  // 0 drives 1 one step later: its delay-1 gamma is the largest.
  EXPECT_GT(std::stod(fields(out[0])[0]), 0.9);
  EXPECT_LT(std::stod(fields(out[1])[0]), 0.2);
}

TEST(CommandTest, ScalarValueMatchesTheLogOfTheSameRun) {
  ScopedTempDir dir;
  CommandResult r =
      quorvane(dir, with_fast({"-f", data("three_binary.txt"), "-B", "1", "-E",
                               "3", "-j", "-l", "r.log", "-g", "0.05"}));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find('\n'), std::string::npos) << "no newline after value";
  double expected = 0.0;
  for (const auto& rec : parse_log(read_file(dir.file("r.log")))) {
    EXPECT_LE(rec.src, 1u);
    EXPECT_LE(rec.tgt, 1u);
    if (rec.gamma > 0.05) expected += rec.src == 0 ? rec.gamma : -rec.gamma;
  }
  EXPECT_NEAR(std::stod(r.out), expected, 1e-4);
  EXPECT_GT(std::stod(r.out), 0.5);
}

TEST(CommandTest, ModelFilesAreRankedFilteredAndNamed) {
  ScopedTempDir dir;
  write_file(dir.file("names.txt"), "x\ny\nz\n");
  CommandResult r = quorvane(
      dir, with_fast({"-f", data("three_binary.txt"), "-B", "1", "-E", "2",
                      "-l", "r.log", "-m", "-J", "false", "-N", "names.txt",
                      "-g", "0.01", "-A", "0.5", "-G", "2"}));
  ASSERT_EQ(r.status, 0) << r.err;
  auto log = parse_log(read_file(dir.file("r.log")));
  std::vector<LogRecord> qualifying;
  for (const auto& rec : log)
    if (rec.gamma > 0.01 && rec.annerr < 0.5) qualifying.push_back(rec);
  std::sort(
      qualifying.begin(), qualifying.end(),
      [](const LogRecord& a, const LogRecord& b) { return a.gamma > b.gamma; });
  const char* kNames[] = {"x", "y", "z"};
  ASSERT_GE(qualifying.size(), 2u);
  for (std::size_t i = 0; i < qualifying.size(); ++i) {
    const auto& q = qualifying[i];
    const std::string path =
        dir.file(std::string("model_") + kNames[q.src] + "_" + kNames[q.tgt] +
                 "_DEL_" + std::to_string(q.delay) + ".mod");
    // The two highest gammas are written (the test data has no ties there).
    EXPECT_EQ(file_exists(path), i < 2) << path;
    if (i < 2) {
      const auto text = lines(read_file(path));
      ASSERT_GE(text.size(), 5u);
      EXPECT_EQ(text[0], "#SEQNAME");
      EXPECT_EQ(text[1], kNames[q.src]);
      EXPECT_EQ(text[3], kNames[q.tgt]);
    }
  }
  EXPECT_FALSE(file_exists(dir.file("model.json")));
}

TEST(CommandTest, JsonModelsWithoutQualifyingRecordHoldNull) {
  ScopedTempDir dir;
  CommandResult r = quorvane(dir, with_fast({"-f", data("three_binary.txt"),
                                             "-d", "1", "-m", "-g", "2"}));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(dir.file("model.json")), "null\n");
}

TEST(CommandTest, DrawingsForEveryRecordWithoutRendering) {
  ScopedTempDir dir;
  write_file(dir.file("dot.cfg"), "#GRAPH_TYPE\nNO_DOT\n");
  CommandResult r =
      quorvane(dir, with_fast({"-f", data("three_binary.txt"), "-k", "0 1 : 2",
                               "-d", "1", "-a", "-w", "run_"}));
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : {"run_model_0_2_DEL_1", "run_model_1_2_DEL_1"}) {
    const std::string dot = read_file(dir.file(std::string(name) + ".dot"));
    EXPECT_EQ(dot.rfind("digraph G {\n", 0), 0u) << name;
    EXPECT_FALSE(file_exists(dir.file(std::string(name) + ".png")));
  }
}

TEST(CommandTest, DelaysBeyondTheDataAreSkippedAndShownAsNan) {
  ScopedTempDir dir;
  CommandResult r =
      quorvane(dir, with_fast({"-f", data("short.txt"), "-B", "3", "-E", "6",
                               "-y", "true", "-l", "r.log"}));
  ASSERT_EQ(r.status, 0) << r.err;
  // Three symbols: delays up to 4 have a shifted sequence, 5 and 6 do not.
  EXPECT_NE(r.err.find("target 0 has 3 symbols: delays 5 to 6 skipped"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("target 1 has 3 symbols: delays 5 to 6 skipped"),
            std::string::npos);
  EXPECT_EQ(parse_log(read_file(dir.file("r.log"))).size(), 4u);
  const auto out = lines(r.out);
  ASSERT_EQ(out.size(), 2u);
  for (const auto& line : out) {
    const auto values = fields(line);
    ASSERT_EQ(values.size(), 4u) << line;  // delays 3 and 4 were run
    EXPECT_NE(values[0], "nan");
    EXPECT_NE(values[1], "nan");
    EXPECT_EQ(values[2], "nan");
    EXPECT_EQ(values[3], "nan");
  }
}

TEST(CommandTest, UnwritableOutputIsReportedWithStatusThree) {
  ScopedTempDir dir;
  CommandResult r = quorvane(
      dir, with_fast({"-f", data("short.txt"), "-d", "1", "-l",
                      "missing/dir/r.log", "-y", "true", "-Y", "g.txt"}));
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("missing/dir/r.log"), std::string::npos) << r.err;
  // The other outputs are still written.
  EXPECT_EQ(lines(read_file(dir.file("g.txt"))).size(), 2u);
}

TEST(CommandTest, VerboseLinesStayWholeUnderTwoThreads) {
  ScopedTempDir dir;
  CommandResult r = quorvane(dir,
                             with_fast({"-f", data("three_binary.txt"), "-B",
                                        "1", "-E", "4", "-v", "true"}),
                             2);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = lines(r.out);
  EXPECT_EQ(out.size(), 24u);
  for (const auto& line : out) {
    EXPECT_EQ(fields(line).size(), 7u) << line;
    EXPECT_EQ(line.back(), ' ');
  }
}

TEST(CommandTest, DelayRangeAtItsBoundRuns) {
  ScopedTempDir dir;
  CommandResult r = quorvane(dir, with_fast({"-f", data("short.txt"), "-B", "1",
                                             "-E", "1000000", "-l", "r.log"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(lines(read_file(dir.file("r.log"))).size(), 8u);  // delays 1-4
}

TEST(CommandTest, RefusedInputsExitTwo) {
  ScopedTempDir dir;
  write_file(dir.file("one.txt"), "0 1 0 1\n");
  write_file(dir.file("three.txt"), "0.1 0.2\n0.3 0.4\n0.5 0.6\n");
  write_file(dir.file("parts.txt"), "0.5\n0.5\n");
  struct Case {
    std::vector<std::string> args;
    const char* out;
    const char* err;
  };
  const Case kCases[] = {
      {{"-f", "nothere.txt"}, "", "nothere.txt"},
      {{"-f", "."}, "", "."},
      {{"-f", "one.txt", "-j"}, " not enough data vars\n", ""},
      {{"-f", "three.txt", "-T", "continuous", "-P", "parts.txt"},
       "PARTITION VEC TOO SMALL\n",
       "parts.txt"},
      {{"-f", "one.txt", "-K", "nokey.txt"}, "", "nokey.txt"},
      {{"-f", "one.txt", "-N", "nonames.txt"}, "", "nonames.txt"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.args[1]);
    CommandResult r = quorvane(dir, with_fast(c.args));
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  // Parameters that would make a run endless or absurd.
  const Case kParameterCases[] = {
      {{"-f", "one.txt", "-n", "0"}, "", "NUM_EACH"},
      {{"-f", "one.txt", "-c", "step.cfg"}, "", "EPS_STEP_"},
      {{"-f", "one.txt", "-B", "1", "-E", "1000001"}, "", "1000001"},
  };
  write_file(dir.file("step.cfg"), "#EPS_STEP_\n0\n");
  for (const auto& c : kParameterCases) {
    SCOPED_TRACE(c.args[3]);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-T", "symbolic", "-q"});
    CommandResult r = quorvane(dir, args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

}  // namespace
