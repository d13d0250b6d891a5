// Runs the built command on inputs that nobody writes on purpose but that
// exports, typos and full disks produce: broken data files, extreme values,
// odd names and unwritable outputs. Every one must end, within a time limit
// and without a signal, either refused with a message naming the culprit or
// with a sound result; none may run a shell command.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace {

using testing_util::CommandResult;
using testing_util::file_exists;
using testing_util::read_file;
using testing_util::ScopedTempDir;
using testing_util::write_file;

// Far above what any case needs (each takes well under a second in a
// release build); only a hang reaches it.
constexpr double kTimeLimitSeconds = 120;

// A file a shell would create if any name, path or styling value reached
// one: the names and values below hold "touch PWNED" in several quotings.
constexpr char kShellWitness[] = "PWNED";
constexpr char kShellText[] = "\"q'$(touch PWNED)`touch PWNED`;touch PWNED|&<>";

// `n` binary symbols from a fixed linear congruential sequence.
std::string binary_line(int n, std::uint32_t seed) {
  std::string line;
  for (int i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    line += ((seed >> 16) & 1u) != 0 ? "1 " : "0 ";
  }
  line.back() = '\n';
  return line;
}

std::string thresholds(int n) {
  std::ostringstream os;
  for (int i = 0; i < n; ++i) os << (i + 0.5) / n << (i + 1 < n ? " " : "\n");
  return os.str();
}

// Every file the cases refer to, written into the case's directory.
void write_fixtures(const ScopedTempDir& dir) {
  const std::string line = binary_line(200, 7);
  // Variable 1 is a copy of variable 0: at delay 0 its gamma is near 1, so
  // model files qualify.
  write_file(dir.file("copy.txt"), line + line);
  write_file(dir.file("empty.txt"), "");
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7 + 3) % 256);
  write_file(dir.file("binary.dat"), bytes);
  std::string wide;
  while (wide.size() < (1u << 20)) wide += "0 1 ";
  write_file(dir.file("line1m.txt"), wide);
  write_file(dir.file("single.txt"), line);
  write_file(dir.file("short.txt"), "\n1\n0 1\n" + line);
  write_file(dir.file("sym4095.txt"), "4095 " + line + line);
  write_file(dir.file("sym4096.txt"), "4096 " + line + line);
  write_file(dir.file("symmax.txt"), "4294967295 " + line + line);
  std::ostringstream cont;
  for (int v = 0; v < 2; ++v) {
    for (int i = 0; i < 200; ++i)
      cont << ((i * (37 + v) + 11) % 100) / 100.0 << ' ';
    cont << '\n';
  }
  write_file(dir.file("cont.txt"), cont.str());
  write_file(dir.file("parts_unsorted.txt"), "0.7 0.2\n0.5\n");
  write_file(dir.file("parts_empty.txt"), "\n\n");
  write_file(dir.file("parts_10k.txt"), thresholds(10000) + thresholds(10000));
  write_file(dir.file("names_odd.txt"),
             std::string("a b\n") + kShellText + "\xff\xfe\n");
  write_file(dir.file("names_odd_key.txt"), std::string(kShellText) + "\n");
  write_file(dir.file("column.cfg"), "#DATA_DIR\ncolumn\n");
  write_file(dir.file("dot.cfg"), "#GRAPH_TYPE\nNO_DOT\n");
  write_file(dir.file("inject.cfg"), "#DOT_CFG_X\ninject_dot.cfg\n");
  write_file(dir.file("inject_dot.cfg"),
             "#GRAPH_TYPE\npng;touch${IFS}PWNED\n#DOT_PROG\n$(touch${IFS}"
             "PWNED)\n");
}

bool has_option(const std::vector<std::string>& args,
                std::initializer_list<const char*> names) {
  return std::any_of(args.begin(), args.end(), [&](const std::string& a) {
    return std::find(names.begin(), names.end(), a) != names.end();
  });
}

// Runs quorvane in `dir` on one thread with fast inference settings, and
// symbolic data at delay 1 unless `args` say otherwise.
CommandResult quorvane(const ScopedTempDir& dir,
                       std::vector<std::string> args) {
  std::vector<std::string> argv = {QUORVANE_BIN, "-q"};
  if (!has_option(args, {"-e"})) argv.insert(argv.end(), {"-e", "0.01"});
  if (!has_option(args, {"-n", "--num=-3"}))
    argv.insert(argv.end(), {"-n", "2"});
  if (!has_option(args, {"-T"})) argv.insert(argv.end(), {"-T", "symbolic"});
  if (!has_option(args, {"-d", "-B", "-E"}))
    argv.insert(argv.end(), {"-d", "1"});
  argv.insert(argv.end(), args.begin(), args.end());
  return testing_util::run_command(argv, dir.path(), {"OMP_NUM_THREADS=1"},
                                   kTimeLimitSeconds);
}

std::string describe(const CommandResult& r) {
  return "status " + std::to_string(r.status) + ", signal " +
         std::to_string(r.signal) + (r.timed_out ? ", timed out" : "") +
         "\nstdout: " + r.out.substr(0, 400) +
         "\nstderr: " + r.err.substr(0, 800);
}

// The command ended by itself, ran no shell and left no sanitizer report.
void expect_orderly(const ScopedTempDir& dir, const CommandResult& r) {
  EXPECT_FALSE(r.timed_out) << describe(r);
  EXPECT_EQ(r.signal, 0) << describe(r);
  EXPECT_GE(r.status, 0);
  EXPECT_LE(r.status, 3) << describe(r);
  EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << describe(r);
  EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << describe(r);
  EXPECT_FALSE(file_exists(dir.file(kShellWitness))) << "a shell ran";
}

// Gamma lines hold only numbers in [0, 1] or nan, one line per pair.
void expect_sound_gamma(const std::string& out, std::size_t pairs) {
  std::istringstream lines(out);
  std::size_t count = 0;
  for (std::string line; std::getline(lines, line);) {
    ++count;
    std::istringstream values(line);
    for (std::string v; values >> v;) {
      if (v == "nan") continue;
      const double g = std::stod(v);
      EXPECT_TRUE(g >= 0.0 && g <= 1.0) << v << " in " << line;
    }
  }
  EXPECT_EQ(count, pairs) << out;
}

struct HostileCase {
  const char* what;
  std::vector<std::string> args;
  int status;
  const char* out;  // must occur on standard output ("" for nothing)
  const char* err;  // must occur on standard error
};

const HostileCase kDataCases[] = {
    {"missing data file", {"-f", "missing.txt"}, 2, "", "missing.txt"},
    {"a directory as data file", {"-f", "."}, 2, "", ".: cannot"},
    {"empty data file",
     {"-f", "empty.txt"},
     0,
     "",
     "0 variables of 'empty.txt'"},
    {"binary data file", {"-f", "binary.dat"}, 0, "", ""},
    {"1 MB single line, across",
     {"-f", "line1m.txt"},
     0,
     "",
     "1 variables of 'line1m.txt'"},
    {"1 MB single line, in columns: 262144 variables",
     {"-f", "line1m.txt", "-c", "column.cfg"},
     2,
     "",
     "at most 1000000"},
    {"1 MB single line, in columns, one pair",
     {"-f", "line1m.txt", "-c", "column.cfg", "-k", "0:1", "-y", "true"},
     0,
     "",
     ""},
    {"a single variable", {"-f", "single.txt"}, 0, "", "1 variables"},
    {"a single variable with itself",
     {"-f", "single.txt", "-S", "-y", "true"},
     0,
     "",
     ""},
    {"variables of 0, 1 and 2 symbols",
     {"-f", "short.txt"},
     0,
     "",
     "warning: variable 0 has only 0 symbols"},
    {"symbol 4095", {"-f", "sym4095.txt", "-y", "true"}, 0, "", ""},
    {"symbol 4096", {"-f", "sym4096.txt"}, 2, "", "largest symbol 4096"},
    {"symbol 2^32 - 1", {"-f", "symmax.txt"}, 2, "", "4294967295"},
    {"unsorted common partition",
     {"-f", "cont.txt", "-T", "continuous", "-p", "0.7", "0.3", "-y", "true"},
     0,
     "",
     ""},
    {"unsorted partition file",
     {"-f", "cont.txt", "-T", "continuous", "-P", "parts_unsorted.txt", "-y",
      "true"},
     0,
     "",
     ""},
    {"empty partitions",
     {"-f", "cont.txt", "-T", "continuous", "-P", "parts_empty.txt", "-y",
      "true"},
     0,
     "",
     ""},
    {"10,000 thresholds per variable",
     {"-f", "cont.txt", "-T", "continuous", "-P", "parts_10k.txt"},
     2,
     "",
     "alphabet size"},
    {"too few partitions",
     {"-f", "cont.txt", "-T", "continuous", "-P", "single.txt"},
     2,
     "PARTITION VEC TOO SMALL\n",
     "single.txt"},
    {"missing partition file",
     {"-f", "cont.txt", "-T", "continuous", "-P", "nothere.txt"},
     2,
     "",
     "nothere.txt"},
    {"delays beyond the data",
     {"-f", "copy.txt", "-B", "300", "-E", "302", "-y", "true"},
     0,
     "",
     "delays 300 to 302 skipped"},
    {"the largest delay",
     {"-f", "copy.txt", "-d", "4294967295"},
     0,
     "",
     "delays 4294967295 to 4294967295 skipped"},
    {"first delay above the last",
     {"-f", "copy.txt", "-B", "5", "-E", "2"},
     0,
     "",
     "delays 5 to 2"},
    // The options before the faulty one still count, so the run goes on
    // with copy.txt; the status says the command line was wrong.
    {"negative delay", {"-f", "copy.txt", "-d", "-1"}, 2, "'-1'", ""},
    {"negative repeats",
     {"-f", "copy.txt", "--num=-3"},
     2,
     "('-3') for option 'num'",
     ""},
    {"zero repeats", {"-f", "copy.txt", "-n", "0"}, 2, "", "NUM_EACH 0"},
    {"huge repeats",
     {"-f", "copy.txt", "-n", "4294967295"},
     2,
     "",
     "--num 4294967295: must be from 1 to 1000000"},
    {"epsilon not a number", {"-f", "copy.txt", "-e", "abc"}, 2, "'abc'", ""},
    {"infinite epsilon",
     {"-f", "copy.txt", "-e", "inf"},
     2,
     "",
     "EPS_MIN_ inf"},
    {"selector out of range",
     {"-f", "copy.txt", "-k", "7:9"},
     0,
     "",
     "selects no (source, target) pair"},
};

TEST(HostileInputTest, DataAndParameterInputs) {
  for (const auto& c : kDataCases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    write_fixtures(dir);
    const CommandResult r = quorvane(dir, c.args);
    expect_orderly(dir, r);
    EXPECT_EQ(r.status, c.status) << describe(r);
    if (*c.out == '\0' && !has_option(c.args, {"-y"})) {
      EXPECT_EQ(r.out, "");
    } else {
      EXPECT_NE(r.out.find(c.out), std::string::npos) << describe(r);
    }
    EXPECT_NE(r.err.find(c.err), std::string::npos) << describe(r);
  }
}

TEST(HostileInputTest, ResultsOfOddDataAreSound) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    std::size_t pairs;
  } kCases[] = {
      {"lengths 0, 1, 2 and 200", {"-f", "short.txt"}, 12},
      {"binary file", {"-f", "binary.dat"}, 0},  // filled in below
      {"symbol 4095", {"-f", "sym4095.txt"}, 2},
      {"a variable with itself", {"-f", "single.txt", "-S"}, 1},
      {"unsorted partition",
       {"-f", "cont.txt", "-T", "continuous", "-p", "0.7", "0.3"},
       2},
      {"empty partitions",
       {"-f", "cont.txt", "-T", "continuous", "-P", "parts_empty.txt"},
       2},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    write_fixtures(dir);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-y", "true", "-l", "r.log"});
    const CommandResult r = quorvane(dir, args);
    expect_orderly(dir, r);
    ASSERT_EQ(r.status, 0) << describe(r);
    // One log line per pair at the one delay, one gamma line per pair.
    std::istringstream log(read_file(dir.file("r.log")));
    std::size_t records = 0;
    for (std::string line; std::getline(log, line);) ++records;
    const std::size_t pairs = c.pairs == 0 ? records : c.pairs;
    EXPECT_EQ(records, pairs);
    expect_sound_gamma(r.out, pairs);
  }
}

TEST(HostileInputTest, ShortVariablesAreFlaggedEachOnce) {
  ScopedTempDir dir;
  write_fixtures(dir);
  const CommandResult r =
      quorvane(dir, {"-f", "short.txt", "-B", "1", "-E", "2"});
  expect_orderly(dir, r);
  ASSERT_EQ(r.status, 0) << describe(r);
  for (const char* line :
       {"variable 0 has only 0 symbols", "variable 1 has only 1 symbols",
        "variable 2 has only 2 symbols"}) {
    const std::size_t at = r.err.find(line);
    EXPECT_NE(at, std::string::npos) << line << " in " << r.err;
    EXPECT_EQ(r.err.find(line, at + 1), std::string::npos) << line;
  }
  EXPECT_EQ(r.err.find("variable 3 has"), std::string::npos) << r.err;
  // Only the variables a key selects are looked at.
  const CommandResult one = quorvane(dir, {"-f", "short.txt", "-k", "3:2"});
  EXPECT_EQ(one.err.find("variable 0 has"), std::string::npos) << one.err;
  EXPECT_NE(one.err.find("variable 2 has only 2 symbols"), std::string::npos)
      << one.err;
}

TEST(HostileInputTest, NamesAreDataNotCommands) {
  ScopedTempDir dir;
  write_fixtures(dir);
  const CommandResult r =
      quorvane(dir, {"-f", "copy.txt", "-d", "0", "-N", "names_odd.txt", "-m",
                     "-a", "-l", "r.log"});
  expect_orderly(dir, r);
  EXPECT_EQ(r.status, 0) << describe(r);
  // Invalid UTF-8 is named and replaced in the JSON document.
  EXPECT_NE(r.err.find("not valid UTF-8"), std::string::npos) << r.err;
  const std::string json = read_file(dir.file("model.json"));
  EXPECT_NE(json.find("a b"), std::string::npos) << json.substr(0, 300);
  EXPECT_TRUE(file_exists(
      dir.file("model_a b_" + std::string(kShellText) + "\xff\xfe_DEL_0.dot")));
}

TEST(HostileInputTest, StylingValuesAreArgumentsNotCommands) {
  ScopedTempDir dir;
  write_fixtures(dir);
  const CommandResult r =
      quorvane(dir, {"-f", "copy.txt", "-c", "inject.cfg", "-a"});
  expect_orderly(dir, r);
  // The program named "$(touch${IFS}PWNED)" does not exist: the drawings are
  // missing, which the status and a message say.
  EXPECT_EQ(r.status, 3) << describe(r);
  EXPECT_NE(r.err.find("$(touch${IFS}PWNED)"), std::string::npos) << r.err;
}

const HostileCase kOutputCases[] = {
    {"log in a missing directory",
     {"-l", "nodir/r.log"},
     3,
     "",
     "'nodir/r.log'"},
    {"log below a plain file",
     {"-l", "copy.txt/r.log"},
     3,
     "",
     "copy.txt/r.log"},
    {"log on a full device", {"-l", "/dev/full"}, 3, "", "/dev/full"},
    {"log is a directory", {"-l", "."}, 3, "", "'.'"},
    {"gamma file in a missing directory",
     {"-y", "true", "-Y", "nodir/g.txt"},
     3,
     "",
     "nodir/g.txt"},
    {"JSON models in a missing directory",
     {"-m", "-w", "nodir/"},
     3,
     "",
     "nodir/model.json"},
    {"text models in a missing directory",
     {"-m", "-J", "false", "-w", "nodir/"},
     3,
     "",
     "cannot write model file nodir/model_"},
    {"drawings in a missing directory",
     {"-a", "-w", "nodir/"},
     3,
     "",
     "nodir/model_0_1_DEL_0.dot"},
    {"prefix with shell characters",
     {"-m", "-w", std::string(kShellText) + "/"},
     3,
     "",
     "model.json"},
};

TEST(HostileInputTest, UnwritableOutputsAreReported) {
  for (const auto& c : kOutputCases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    write_fixtures(dir);
    std::vector<std::string> args = {"-f", "copy.txt", "-d", "0"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CommandResult r = quorvane(dir, args);
    expect_orderly(dir, r);
    EXPECT_EQ(r.status, c.status) << describe(r);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << describe(r);
  }
}

// Every configuration key with a zero, a negative, an out-of-range and a
// non-numeric value: refused with a message naming the key, or a sound run.
class ConfigValueTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ConfigValueTest, RefusedByNameOrSound) {
  const std::string key = GetParam();
  for (const char* value : {"0", "-1", "99999999999", "abc"}) {
    SCOPED_TRACE(key + " " + value);
    ScopedTempDir dir;
    write_fixtures(dir);
    write_file(dir.file("k.cfg"), "#" + key + "\n" + value + "\n");
    // One pair keeps the column layout (DATA_DIR) to one run per delay; the
    // keys that bound or drive the sweep are not overridden.
    std::vector<std::string> argv = {
        QUORVANE_BIN, "-c",       "k.cfg", "-f", "copy.txt", "-k", "0:1",
        "-T",         "symbolic", "-q",    "-y", "true",     "-Y", "g.txt"};
    if (key.rfind("EPS_", 0) != 0) argv.insert(argv.end(), {"-e", "0.01"});
    if (key != "NUM_EACH") argv.insert(argv.end(), {"-n", "2"});
    if (key.rfind("OFFSET_", 0) != 0) argv.insert(argv.end(), {"-d", "1"});
    const CommandResult r = testing_util::run_command(
        argv, dir.path(), {"OMP_NUM_THREADS=1"}, kTimeLimitSeconds);
    expect_orderly(dir, r);
    if (r.status == 2) {
      EXPECT_NE(r.err.find(key), std::string::npos) << describe(r);
    } else {
      ASSERT_EQ(r.status, 0) << describe(r);
      expect_sound_gamma(read_file(dir.file("g.txt")), 1);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKey, ConfigValueTest,
    ::testing::Values(
        // The driver's keys.
        "SYM_FRQ_DISPLAY_DEPTH_", "DATA_LENGTH", "DOT_CFG", "DOT_CFG_X",
        "PARTITION", "FUTURE_STEPS", "RECENT_PAST", "VERBOSE", "DATA_TYPE",
        "DATA_DIR", "NUM_EACH", "OMEGA_VECTOR", "MAX_DEPTH_ENTROPY",
        "PRODUCE_LOG", "LOGFILE", "PRODUCE_GRAPH", "PRODUCE_MODEL_FILES",
        "OFFSET_MIN", "OFFSET_MAX", "CONCURRENT_PRINT",
        // The inference's keys.
        "EPS_MIN_", "EPS_MAX_", "EPS_STEP_", "ANN_TEST_LEN_", "COL_PRINT",
        "EVALUATION_DEPTH", "SYN_PREF_LENGTH_", "LOOP_COUNT_SYNC_SEARCH_",
        "MIN_DEV_SYNC_SEARCH_", "EXTREMELY_SHORT_", "MIN_STATE_SIZE",
        "USE_GAMMA"));

}  // namespace
