#include "tolmek/infer/mk_stochastic.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

using Counts = std::map<symbol, unsigned int>;

// What one entry must be: count times the float reciprocal of the float
// total, both in float.
double single(unsigned int count, float total) {
  return static_cast<double>(static_cast<float>(count) * (1.0f / total));
}

}  // namespace

TEST(MkStochasticTest, OneEntryPerSymbolUpToTheLargest) {
  const struct {
    Counts counts;
    std::vector<double> want;
  } kCases[] = {
      {{}, {}},
      {{{0, 0}, {2, 0}}, {0.0, 0.0, 0.0}},
      {{{1, 3}}, {0.0, 1.0}},
      {{{0, 1}, {2, 2}}, {single(1, 3.0f), 0.0, single(2, 3.0f)}},
      {{{3, 4}}, {0.0, 0.0, 0.0, 1.0}},
  };
  for (const auto& c : kCases) {
    Counts counts = c.counts;
    EXPECT_EQ(c.want, mk_stochastic(counts)) << "map of " << c.counts.size();
    EXPECT_EQ(c.counts, counts) << "the counts stay as they were";
  }
}

TEST(MkStochasticTest, MultipliesByTheSingleReciprocal) {
  // For 5 of 6 the float product, the float quotient and the double quotient
  // are three different numbers; only the first is right.
  const double want = single(5, 6.0f);
  ASSERT_NE(want, static_cast<double>(5.0f / 6.0f));
  ASSERT_NE(want, 5.0 / 6.0);
  Counts counts{{0, 1}, {1, 5}};
  const std::vector<double> p = mk_stochastic(counts);
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ(single(1, 6.0f), p[0]);
  EXPECT_EQ(want, p[1]);
}

TEST(MkStochasticTest, TotalIsAccumulatedInFloat) {
  // 2^24 + 1 is not a float: the running total stays at 2^24.
  Counts counts{{0, 16777216u}, {1, 1}};
  const std::vector<double> p = mk_stochastic(counts);
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ(1.0, p[0]);
  EXPECT_EQ(std::ldexp(1.0, -24), p[1]);
}
