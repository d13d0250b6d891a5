#include "driver/sweep.h"

#include <omp.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<symbol> symbols(std::initializer_list<unsigned> values) {
  std::vector<symbol> out;
  for (unsigned v : values) out.push_back(symbol(v));
  return out;
}

std::vector<unsigned> values(const std::vector<symbol>& s) {
  std::vector<unsigned> out;
  for (const auto& x : s) out.push_back(x.value);
  return out;
}

TEST(PrintStatusTest, DrawsBarPercentAndColours) {
  const std::string prefix = "\x1b[0;32;40m[";
  const std::string reset = "\x1b[0m";
  struct Case {
    float fraction;
    std::string cells;
    const char* percent;
  };
  const Case kCases[] = {
      {0.5f, std::string(20, '=') + ">" + std::string(19, ' '), "50"},
      {1.0f, std::string(40, '='), "100"},
      {0.0f, ">" + std::string(39, ' '), "0"},
      {1.0f / 6, std::string(6, '=') + ">" + std::string(33, ' '), "16"},
  };
  for (const auto& c : kCases) {
    std::ostringstream os;
    print_status(c.fraction, os);
    EXPECT_EQ(os.str(), prefix + c.cells + "] " + c.percent + " %\r" + reset)
        << c.fraction;
  }
}

TEST(ShiftTargetTest, PrependsZeroThenDropsDelaySymbols) {
  const auto t = symbols({5, 6, 7});
  EXPECT_EQ(values(shift_target(t, 0)), (std::vector<unsigned>{0, 5, 6, 7}));
  EXPECT_EQ(values(shift_target(t, 1)), (std::vector<unsigned>{5, 6, 7}));
  EXPECT_EQ(values(shift_target(t, 3)), (std::vector<unsigned>{7}));
  EXPECT_TRUE(shift_target(t, 4).empty());
  EXPECT_TRUE(delay_fits(3, 4));
  EXPECT_FALSE(delay_fits(3, 5));
}

SweepInput three_variables(unsigned begin, unsigned end) {
  SweepInput in;
  in.sequences = {symbols({0, 1, 0, 1}), symbols({1, 1, 0, 0}),
                  symbols({0, 0, 1, 1})};
  in.selection = {{0, {1, 2}}, {1, {0, 2}}, {2, {0, 1}}};
  in.delay_begin = begin;
  in.delay_end = end;
  return in;
}

TEST(PlanRunsTest, OrdersByDelayTargetSource) {
  SweepInput in = three_variables(1, 2);
  std::map<unsigned, unsigned> skipped;
  const auto tasks = plan_runs(in, &skipped);
  ASSERT_EQ(tasks.size(), 12u);
  const std::tuple<unsigned, unsigned, unsigned> kFirst[] = {
      {1, 0, 1}, {1, 0, 2}, {1, 1, 0}, {1, 1, 2}, {1, 2, 0}, {1, 2, 1}};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(std::tie(tasks[i].delay, tasks[i].target, tasks[i].source),
              kFirst[i]);
    EXPECT_EQ(tasks[i + 6].delay, 2u);
  }
  EXPECT_TRUE(skipped.empty());
}

TEST(PlanRunsTest, EmptyRangeOrSelectionGivesNoRuns) {
  SweepInput in = three_variables(5, 3);
  EXPECT_TRUE(plan_runs(in, nullptr).empty());
  SweepInput none = three_variables(1, 1);
  none.selection.clear();
  EXPECT_TRUE(plan_runs(none, nullptr).empty());
}

TEST(PlanRunsTest, SkipsDelaysBeyondTargetWithoutWalkingHugeRanges) {
  SweepInput in = three_variables(4, 4000000000u);
  in.sequences[2] = symbols({0, 1});  // two symbols: delays up to 3 only
  std::map<unsigned, unsigned> skipped;
  const auto tasks = plan_runs(in, &skipped);
  // Targets 0 and 1 (four symbols) have delays 4 and 5; target 2 none.
  ASSERT_EQ(tasks.size(), 8u);
  for (const auto& t : tasks) EXPECT_NE(t.target, 2u);
  EXPECT_EQ(skipped.at(0), 6u);
  EXPECT_EQ(skipped.at(1), 6u);
  EXPECT_EQ(skipped.at(2), 4u);
  EXPECT_EQ(last_runnable_delay(in), 5u);
}

TEST(RunSweepTest, ProgressCountsEveryRunOnceAndRecordsAreComplete) {
  SweepInput in = three_variables(1, 1);
  in.params.EPS_MIN_ = in.params.EPS_MAX_ = 0.01;
  in.params.NUM_EACH = 1;
  in.has_seed = true;
  in.seed = 3;
  std::ostringstream out, err;
  SweepOutcome outcome = run_sweep(in, out, err);
  ASSERT_EQ(outcome.records.size(), 6u);
  EXPECT_TRUE(outcome.failures.empty());
  EXPECT_TRUE(out.str().empty());
  std::vector<std::string> percents;
  const std::string bars = err.str();
  // Each bar ends "] <percent> %\r".
  for (std::size_t at = bars.find("] "); at != std::string::npos;
       at = bars.find("] ", at + 1)) {
    const std::size_t end = bars.find(" %", at);
    percents.push_back(bars.substr(at + 2, end - at - 2));
  }
  EXPECT_EQ(percents,
            (std::vector<std::string>{"16", "33", "50", "66", "83", "100"}));
  // Seeded: ordered by delay, target and source.
  for (std::size_t i = 1; i < outcome.records.size(); ++i) {
    const auto& a = outcome.records[i - 1];
    const auto& b = outcome.records[i];
    EXPECT_LT(std::tie(a.delay, a.tgt, a.src), std::tie(b.delay, b.tgt, b.src));
  }
}

TEST(RunSweepTest, VerboseLinesAreWholeRecordLines) {
  SweepInput in = three_variables(1, 2);
  in.params.EPS_MIN_ = in.params.EPS_MAX_ = 0.01;
  in.params.NUM_EACH = 1;
  in.verbose = true;
  in.show_progress = false;
  std::ostringstream out, err;
  omp_set_num_threads(2);
  SweepOutcome outcome = run_sweep(in, out, err);
  ASSERT_EQ(outcome.records.size(), 12u);
  EXPECT_TRUE(err.str().empty());
  std::istringstream lines(out.str());
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    std::istringstream fields(line);
    int n = 0;
    for (std::string f; fields >> f;) ++n;
    EXPECT_EQ(n, 7) << line;
  }
  EXPECT_EQ(count, 12);
}

TEST(RunSweepTest, SeededRunsAreIdenticalWithOneAndTwoThreads) {
  SweepInput in = three_variables(1, 2);
  in.params.EPS_MIN_ = in.params.EPS_MAX_ = 0.01;
  in.params.NUM_EACH = 2;
  in.has_seed = true;
  in.seed = 11;
  in.show_progress = false;
  auto log_of = [&](int threads) {
    omp_set_num_threads(threads);
    std::ostringstream out, err, log;
    SweepOutcome outcome = run_sweep(in, out, err);
    for (auto& r : outcome.records) log << r << "\n";
    return log.str();
  };
  const std::string one = log_of(1);
  EXPECT_EQ(one, log_of(2));
  EXPECT_EQ(one, log_of(1));
}

}  // namespace
