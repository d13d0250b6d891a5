#include "tolmek/config/gparam.h"

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace {

using testing_util::ScopedTempDir;
using testing_util::write_file;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& line : lines) all += line + "\n";
  return all;
}

TEST(GParamTest, MissingFileGivesDefaultsAndDepth) {
  ScopedTempDir dir;
  const gParam p(dir.file("absent.cfg"), 5);
  EXPECT_EQ(0.001, p.MIN_DEV_SYNC_SEARCH_);
  EXPECT_EQ(1u, p.LOOP_COUNT_SYNC_SEARCH_);
  EXPECT_EQ(4u, p.SYN_PREF_LENGTH_);
  EXPECT_EQ(0.001, p.EPS_MIN_);
  EXPECT_EQ(0.05, p.EPS_MAX_);
  EXPECT_EQ(0.001, p.EPS_STEP_);
  EXPECT_EQ(100000u, p.ANN_TEST_LEN_);
  EXPECT_TRUE(p.COL_PRINT);
  EXPECT_EQ(5u, p.EVALUATION_DEPTH);
  EXPECT_TRUE(p.EXTREMELY_SHORT_);
  EXPECT_EQ(1, p.NUM_EACH);
  EXPECT_EQ(0, p.MIN_STATE_SIZE);
  EXPECT_TRUE(p.USE_GAMMA);
  EXPECT_EQ(9u, gParam(dir.file("absent.cfg"), 9).EVALUATION_DEPTH);
}

TEST(GParamTest, EveryKeyReadFromFile) {
  ScopedTempDir dir;
  write_file(dir.file("g.cfg"),
             "#MIN_DEV_SYNC_SEARCH_\n0.02\n#LOOP_COUNT_SYNC_SEARCH_\n6\n"
             "#SYN_PREF_LENGTH_\n7\n#EPS_MIN_\n0.01\n#EPS_MAX_\n0.2\n"
             "#EPS_STEP_\n0.05\n#ANN_TEST_LEN_\n500\n#COL_PRINT\n0\n"
             "#EVALUATION_DEPTH\n3\n#EXTREMELY_SHORT_\n0\n#NUM_EACH\n10\n"
             "#MIN_STATE_SIZE\n-2\n#USE_GAMMA\n0\n"
             // driver keys in the same file are no business of the bundle
             "#DATA_LENGTH\n77\n");
  const gParam p(dir.file("g.cfg"), 9);
  EXPECT_EQ(0.02, p.MIN_DEV_SYNC_SEARCH_);
  EXPECT_EQ(6u, p.LOOP_COUNT_SYNC_SEARCH_);
  EXPECT_EQ(7u, p.SYN_PREF_LENGTH_);
  EXPECT_EQ(0.01, p.EPS_MIN_);
  EXPECT_EQ(0.2, p.EPS_MAX_);
  EXPECT_EQ(0.05, p.EPS_STEP_);
  EXPECT_EQ(500u, p.ANN_TEST_LEN_);
  EXPECT_FALSE(p.COL_PRINT);
  EXPECT_EQ(3u, p.EVALUATION_DEPTH);  // the file wins over the argument
  EXPECT_FALSE(p.EXTREMELY_SHORT_);
  EXPECT_EQ(10, p.NUM_EACH);
  EXPECT_EQ(-2, p.MIN_STATE_SIZE);
  EXPECT_FALSE(p.USE_GAMMA);
}

TEST(GParamTest, MalformedValuesTakeWhatConversionStores) {
  ScopedTempDir dir;
  write_file(dir.file("g.cfg"),
             "#USE_GAMMA\ntrue\n#COL_PRINT\n2\n#NUM_EACH\n-3\n"
             "#SYN_PREF_LENGTH_\n-1\n#EPS_STEP_\nsmall\n");
  const gParam p(dir.file("g.cfg"), 5);
  EXPECT_FALSE(p.USE_GAMMA);  // words fail and store false
  EXPECT_TRUE(p.COL_PRINT);   // numbers other than 0 and 1 store true
  EXPECT_EQ(-3, p.NUM_EACH);
  EXPECT_EQ(4294967295u, p.SYN_PREF_LENGTH_);  // unsigned extraction wraps
  EXPECT_EQ(0.0, p.EPS_STEP_);
}

struct ParamCase {
  const char* what;
  void (*change)(gParam&);
  std::vector<std::string> fragments;  // empty: accepted
};

const ParamCase kParamCases[] = {
    {"defaults", [](gParam&) {}, {}},
    {"sweep just below bound",
     [](gParam& p) {
       p.EPS_MIN_ = 1;
       p.EPS_STEP_ = 1;
       p.EPS_MAX_ = 999999;
     },
     {}},
    {"sweep at bound",
     [](gParam& p) {
       p.EPS_MIN_ = 1;
       p.EPS_STEP_ = 1;
       p.EPS_MAX_ = 1000000;
     },
     {}},
    {"sweep above bound",
     [](gParam& p) {
       p.EPS_MIN_ = 1;
       p.EPS_STEP_ = 1;
       p.EPS_MAX_ = 1000001;
     },
     {"EPS_STEP_ 1:", "EPS_MAX_ 1e+06", "1000000"}},
    {"zero step", [](gParam& p) { p.EPS_STEP_ = 0; }, {"EPS_STEP_ 0:"}},
    {"negative step",
     [](gParam& p) { p.EPS_STEP_ = -0.001; },
     {"EPS_STEP_ -0.001:"}},
    {"zero step on one epsilon",
     [](gParam& p) {
       p.EPS_MIN_ = p.EPS_MAX_ = 0.01;
       p.EPS_STEP_ = 0;
     },
     {"EPS_STEP_ 0:", "EPS_MIN_ 0.01"}},
    {"zero step, empty range",
     [](gParam& p) {
       p.EPS_MIN_ = 0.2;
       p.EPS_STEP_ = 0;
     },
     {"EPS_MIN_ 0.2 and EPS_MAX_ 0.05", "no threshold"}},
    {"one threshold", [](gParam& p) { p.EPS_MIN_ = p.EPS_MAX_ = 0.01; }, {}},
    {"start above end",
     [](gParam& p) { p.EPS_MIN_ = 1e11; },
     {"EPS_MIN_ 1e+11 and EPS_MAX_ 0.05", "no threshold"}},
    {"infinite epsilon",
     [](gParam& p) { p.EPS_MIN_ = p.EPS_MAX_ = kInf; },
     {"EPS_MIN_ inf"}},
    {"minus infinite start",
     [](gParam& p) { p.EPS_MIN_ = -kInf; },
     {"EPS_MIN_ -inf"}},
    {"infinite end", [](gParam& p) { p.EPS_MAX_ = kInf; }, {"EPS_MAX_ inf"}},
    {"step lost in rounding",
     [](gParam& p) { p.EPS_MIN_ = p.EPS_MAX_ = 1e300; },
     {"EPS_MIN_ 1e+300"}},
    {"NaN start makes no pass",
     [](gParam& p) { p.EPS_MIN_ = kNaN; },
     {"EPS_MIN_ nan", "no threshold"}},
    {"NaN end makes no pass",
     [](gParam& p) { p.EPS_MAX_ = kNaN; },
     {"EPS_MAX_ nan", "no threshold"}},
    {"NaN step makes one pass", [](gParam& p) { p.EPS_STEP_ = kNaN; }, {}},
    {"NUM_EACH 1", [](gParam& p) { p.NUM_EACH = 1; }, {}},
    {"NUM_EACH 0", [](gParam& p) { p.NUM_EACH = 0; }, {"NUM_EACH 0"}},
    {"NUM_EACH negative",
     [](gParam& p) { p.NUM_EACH = INT_MIN; },
     {"NUM_EACH -2147483648"}},
    {"NUM_EACH at bound", [](gParam& p) { p.NUM_EACH = 1000000; }, {}},
    {"NUM_EACH above bound, as an out-of-range value reads",
     [](gParam& p) { p.NUM_EACH = INT_MAX; },
     {"NUM_EACH 2147483647", "1000000"}},
    {"SYN_PREF_LENGTH_ below bound",
     [](gParam& p) { p.SYN_PREF_LENGTH_ = 999999; },
     {}},
    {"SYN_PREF_LENGTH_ at bound",
     [](gParam& p) { p.SYN_PREF_LENGTH_ = 1000000; },
     {}},
    {"SYN_PREF_LENGTH_ above bound",
     [](gParam& p) { p.SYN_PREF_LENGTH_ = 1000001; },
     {"SYN_PREF_LENGTH_ 1000001"}},
};

TEST(GParamTest, ParameterProblemsAtTheirBounds) {
  for (const auto& c : kParamCases) {
    gParam p;
    c.change(p);
    const std::vector<std::string> problems = parameter_problems(p);
    EXPECT_EQ(c.fragments.empty() ? 0u : 1u, problems.size())
        << c.what << "\n"
        << joined(problems);
    for (const auto& fragment : c.fragments)
      EXPECT_NE(std::string::npos, joined(problems).find(fragment))
          << c.what << ": no [" << fragment << "] in\n"
          << joined(problems);
  }
}

TEST(GParamTest, EveryRefusedParameterGetsItsLine) {
  gParam p;
  p.EPS_STEP_ = 0;
  p.NUM_EACH = 0;
  p.SYN_PREF_LENGTH_ = UINT_MAX;
  EXPECT_EQ(3u, parameter_problems(p).size()) << joined(parameter_problems(p));
}

struct StreamCase {
  const char* what;
  unsigned int depth;
  std::vector<StreamShape> streams;
  std::vector<std::string> fragments;  // one refusal per fragment
};

const StreamCase kStreamCases[] = {
    {"no streams", 5, {}, {}},
    {"largest symbol below limit", 5, {{4095, 2}}, {}},
    {"largest symbol at limit",
     5,
     {{4096, 2}},
     {"variable 0: largest symbol 4096"}},
    {"largest symbol above limit",
     5,
     {{1, 2}, {UINT32_MAX, 2}},
     {"variable 1: largest symbol 4294967295"}},
    {"binary depth 22", 22, {{1, 2}}, {}},  // 2^23 - 1 words
    {"binary depth 23",
     23,
     {{1, 2}},
     {"variable 0: EVALUATION_DEPTH 23 with alphabet size 2"}},
    {"one symbol, words at bound", 9999999, {{0, 1}}, {}},
    {"one symbol, words above bound",
     10000000,
     {{0, 1}},
     {"EVALUATION_DEPTH 10000000 with alphabet size 1"}},
    {"one symbol, deepest depth",
     UINT_MAX,
     {{0, 1}},
     {"EVALUATION_DEPTH 4294967295"}},
    {"empty alphabet, deepest depth", UINT_MAX, {{0, 0}}, {}},
    {"depth 1 words at bound", 1, {{0, 9999999}}, {}},
    {"depth 1 words above bound",
     1,
     {{0, 10000000}},
     {"alphabet size 10000000"}},
    {"depth 2 below bound", 2, {{0, 3161}}, {}},  // 9995083 words
    {"depth 2 above bound", 2, {{0, 3162}}, {"alphabet size 3162"}},
    {"largest alphabet, deepest depth",
     UINT_MAX,
     {{0, UINT_MAX}},
     {"alphabet size 4294967295"}},
    {"depth 0 is one word", 0, {{0, UINT_MAX}}, {}},
    {"both refusals, named by index",
     10,
     {{3, 4}, {5000, 10}},
     {"variable 1: largest symbol 5000", "variable 1: EVALUATION_DEPTH 10"}},
};

TEST(GParamTest, StreamProblemsAtTheirBounds) {
  for (const auto& c : kStreamCases) {
    gParam p;
    p.EVALUATION_DEPTH = c.depth;
    const std::vector<std::string> problems = stream_problems(p, c.streams);
    EXPECT_EQ(c.fragments.size(), problems.size()) << c.what << "\n"
                                                   << joined(problems);
    for (const auto& fragment : c.fragments)
      EXPECT_NE(std::string::npos, joined(problems).find(fragment))
          << c.what << ": no [" << fragment << "] in\n"
          << joined(problems);
  }
}

}  // namespace
