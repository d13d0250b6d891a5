#include "driver/reports.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

RECORD__ record(unsigned src, unsigned tgt, unsigned delay, double gamma,
                double annerr = 0.01) {
  RECORD__ r;
  r.src = src;
  r.tgt = tgt;
  r.delay = delay;
  r.gamma = gamma;
  r.annerr = annerr;
  return r;
}

TEST(BinaryprocTest, SumsSourceZeroMinusSourceOneAboveThreshold) {
  std::vector<RECORD__> records = {
      record(0, 1, 1, 0.5),    record(1, 0, 1, 0.25), record(0, 1, 2, 0.125),
      record(1, 0, 2, 0.0625), record(0, 1, 3, 0.01),  // below threshold
      record(1, 0, 4, 0.5),                            // outside range
  };
  EXPECT_DOUBLE_EQ(binaryproc_(records, 0.05, 1, 3),
                   0.5 - 0.25 + 0.125 - 0.0625);
  EXPECT_DOUBLE_EQ(binaryproc_(records, 0.05, 3, 1), 0.0);
  // Strictly above: a gamma equal to the threshold does not count.
  EXPECT_DOUBLE_EQ(binaryproc_(records, 0.5, 1, 4), 0.0);
  // The largest delay range ends.
  EXPECT_DOUBLE_EQ(binaryproc_(records, 0.05, 0, 4294967295u),
                   0.5 - 0.25 + 0.125 - 0.0625 - 0.5);
}

TEST(BinaryprocTest, LaterRecordReplacesEarlierWithSameDelayAndSource) {
  // A self pair (0, 0) later in the list replaces the cross pair (0, 1).
  std::vector<RECORD__> records = {record(0, 1, 1, 0.5), record(0, 0, 1, 0.2)};
  EXPECT_DOUBLE_EQ(binaryproc_(records, 0.0, 1, 1), 0.2);
}

TEST(GammaLinesTest, OneLinePerSelectedPairOneValuePerDelay) {
  const Selection selection = {{0, {1, 2}}, {1, {0}}, {2, {0}}};
  std::vector<RECORD__> records = {record(1, 0, 1, 0.5), record(2, 0, 1, 0.25),
                                   record(0, 1, 1, 1), record(0, 2, 1, 0.75),
                                   record(1, 0, 2, 0.125),
                                   // (2, 0) at delay 2 failed: no record
                                   record(0, 1, 2, 0), record(0, 2, 2, 1e-05)};
  std::ostringstream os;
  write_gamma_lines(records, selection, 1, 2, os);
  EXPECT_EQ(os.str(),
            "1 0 \n"         // 0 drives 1
            "0.75 1e-05 \n"  // 0 drives 2
            "0.5 0.125 \n"   // 1 drives 0
            "0.25 nan \n");  // 2 drives 0
}

TEST(GammaLinesTest, EmptyRangeGivesEmptyLines) {
  const Selection selection = {{1, {0}}};
  std::ostringstream os;
  write_gamma_lines({}, selection, 3, 2, os);
  EXPECT_EQ(os.str(), "\n");
}

TEST(RecordComparatorTest, HighestGammaFirst) {
  std::vector<RECORD__> records = {record(0, 1, 1, 0.2), record(0, 1, 2, 0.9),
                                   record(0, 1, 3, 0.5)};
  std::sort(records.begin(), records.end(), RECORD_comparator());
  EXPECT_EQ(records[0].delay, 2u);
  EXPECT_EQ(records[1].delay, 3u);
  EXPECT_EQ(records[2].delay, 1u);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(RECORD_comparator()(record(0, 1, 1, nan), record(0, 1, 1, 0)));
  EXPECT_FALSE(RECORD_comparator()(record(0, 1, 1, 0), record(0, 1, 1, nan)));
}

TEST(ResultLogTest, OneRecordLinePerRecordInListOrder) {
  std::vector<RECORD__> records = {record(2, 0, 4, 0.5, 0.02),
                                   record(0, 1, 1, 0.25, 0.03)};
  std::ostringstream os;
  write_result_log(records, os);
  const std::string text = os.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  EXPECT_EQ(text.rfind("2 0 4 0.5 0 0.02 ", 0), 0u) << text;
}

}  // namespace
