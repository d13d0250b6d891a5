#include "tolmek/infer/mk_stochastic.h"

#include <map>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Counts = std::map<symbol, unsigned>;

TEST(MkStochasticTest, EmptyMapGivesEmptyVector) {
  Counts c;
  EXPECT_TRUE(mk_stochastic(c).empty());
}

TEST(MkStochasticTest, OneEntryPerSymbolUpToTheLargestAbsentOnesZero) {
  struct Case {
    Counts counts;
    std::vector<double> want;
  };
  const Case kCases[] = {
      {{{0, 0}, {2, 0}}, {0.0, 0.0, 0.0}},
      {{{1, 3}}, {0.0, 1.0}},
      {{{0, 2}, {1, 2}}, {0.5, 0.5}},
      {{{3, 1}, {1, 3}}, {0.0, 0.75, 0.0, 0.25}},
  };
  for (const auto& c : kCases) {
    Counts counts = c.counts;
    EXPECT_EQ(c.want, mk_stochastic(counts)) << "size " << c.want.size();
    EXPECT_EQ(c.counts, counts) << "the counts are not changed";
  }
}

TEST(MkStochasticTest, ThirdsAreFloatProductsWidened) {
  Counts c{{0, 1}, {2, 2}};
  const std::vector<double> p = mk_stochastic(c);
  ASSERT_EQ(3u, p.size());
  const float third = 1.0f / 3.0f;
  EXPECT_EQ(static_cast<double>(1.0f * third), p[0]);
  EXPECT_EQ(0.0, p[1]);
  EXPECT_EQ(static_cast<double>(2.0f * third), p[2]);
  // Double arithmetic would give other values in the last digits.
  EXPECT_NE(1.0 / 3.0, p[0]);
  EXPECT_NE(2.0 / 3.0, p[2]);
}

TEST(MkStochasticTest, TotalIsAccumulatedInFloat) {
  // 2^24 + 1 is not a float: the running total rounds back to 2^24, so the
  // large count gets exactly 1 and the single one exactly 2^-24.
  Counts c{{0, 16777216u}, {1, 1u}};
  const std::vector<double> p = mk_stochastic(c);
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ(1.0, p[0]);
  EXPECT_EQ(1.0 / 16777216.0, p[1]);
}

TEST(MkStochasticTest, MultipliesByTheFloatReciprocal) {
  // For 5 of 6 the float product with the reciprocal, the float quotient and
  // the double quotient are three different numbers; only the first is right.
  const double want = static_cast<double>(5.0f * (1.0f / 6.0f));
  ASSERT_NE(want, static_cast<double>(5.0f / 6.0f));
  ASSERT_NE(want, 5.0 / 6.0);
  Counts c{{0, 1}, {1, 5}};
  const std::vector<double> p = mk_stochastic(c);
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ(want, p[1]);
}

}  // namespace
