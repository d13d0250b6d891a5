#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tolmek/stream/symbolic_string.h"

namespace {

using Word = std::vector<symbol>;
using Counts = std::map<symbol, unsigned int>;
using Positions = std::map<symbol, std::vector<unsigned int>>;

Symbolic_string_ stream_of(Word s, unsigned int k) {
  return Symbolic_string_(s, k);
}

std::string text(const Word& w) {
  std::string t;
  for (const symbol s : w) t += std::to_string(s.value) + ",";
  return "[" + t + "]";
}

// Sums of float-rounded probabilities: single precision in the counts.
constexpr double kFloatTolerance = 1e-6;

TEST(StreamStatisticsTest, CountingFollowsPrefixesAndKeepsZeroCounts) {
  // 0 1 1 0 1: the word (0, 1) occurs at 0 and 3, only the first is
  // followed by a symbol; (1, 0, 0) never occurs.
  Symbolic_string_ s = stream_of({0, 1, 1, 0, 1}, 2);
  s.gen_Phi({0, 1});
  s.gen_Phi({1, 0, 0});
  const std::map<Word, Counts> want_phi{
      {{}, {{0, 2}, {1, 3}}},     {{0}, {{0, 0}, {1, 2}}},
      {{0, 1}, {{0, 0}, {1, 1}}}, {{1}, {{0, 1}, {1, 1}}},
      {{1, 0}, {{0, 0}, {1, 1}}}, {{1, 0, 0}, {{0, 0}, {1, 0}}},
  };
  const std::map<Word, Positions> want_pins{
      {{}, {{0, {0, 3}}, {1, {1, 2, 4}}}},
      {{0}, {{1, {0, 3}}}},
      {{0, 1}, {{1, {0}}}},
      {{1}, {{0, {2}}, {1, {1}}}},
      {{1, 0}, {{0, {}}, {1, {2}}}},  // (1, 0, 0) asked for its 0 list
      {{1, 0, 0}, {}},
  };
  EXPECT_EQ(want_phi, s.Phi);
  EXPECT_EQ(want_pins, s.Datapin);

  // A counted word is not counted again.
  s.gen_Phi({0, 1});
  s.gen_Phi({});
  EXPECT_EQ(want_phi, s.Phi);
  EXPECT_EQ(want_pins, s.Datapin);
}

TEST(StreamStatisticsTest, CountingAnEmptyStreamLeavesEmptyEntries) {
  Symbolic_string_ s = stream_of({}, 2);
  s.gen_Phi({1, 0});
  ASSERT_EQ(3u, s.Phi.size());
  for (const auto& [w, counts] : s.Phi) EXPECT_TRUE(counts.empty()) << text(w);
}

TEST(StreamStatisticsTest, NormMatchesHandComputedValues) {
  struct Case {
    Word seq;
    unsigned int k;
    unsigned int d;
    double want;
  };
  const Case kCases[] = {
      // Depth 0: (k-1)/k times the largest |1/k - frequency|.
      {{0, 0, 1, 0}, 3, 0, 2.0 / 3 * (0.75 - 1.0 / 3)},
      {{0, 1, 0, 1}, 3, 0, 2.0 / 3 * (1.0 / 3)},  // absent 2 has frequency 0
      {{0, 1, 0, 1}, 2, 0, 0.0},
      {{1, 1, 1}, 2, 0, 0.25},
      {{0, 0}, 1, 2, 0.0},
      {{}, 2, 0, 0.0},  // no counts: the flat distribution
      {{}, 3, 2, 0.0},
      // Alternating: each symbol predicts the other one fully.
      {{0, 1, 0, 1, 0, 1, 0, 1}, 2, 1, 0.5 * (0.0 + 2 * 0.5 / 4)},
  };
  for (const auto& c : kCases) {
    Symbolic_string_ s = stream_of(c.seq, c.k);
    s.get_norm(c.d);
    EXPECT_NEAR(c.want, s.norm, kFloatTolerance)
        << text(c.seq) << " k=" << c.k << " d=" << c.d;
  }
}

TEST(StreamStatisticsTest, ConstantStreamDeviatesByOneHalfOnEveryWord) {
  // Every word of length l either predicts 0 fully or was never followed by
  // anything: m = 1/2, weight 4^-l, 2^l such words; then the factor 1/2.
  for (unsigned int d = 0; d <= 3; ++d) {
    double want = 0.0;
    for (unsigned int l = 0; l <= d; ++l)
      want += std::pow(2.0, l) * 0.5 / std::pow(4.0, l);
    want *= 0.5;
    Symbolic_string_ plain = stream_of(Word(12, symbol(0)), 2);
    plain.get_norm(d);
    EXPECT_NEAR(want, plain.norm, kFloatTolerance) << "d=" << d;
    EXPECT_EQ((2u << d) - 1, plain.Phi.size()) << "every word up to d";
    Symbolic_string_ reflected = stream_of(Word(12, symbol(0)), 2);
    reflected.get_reflected_norm(d);
    EXPECT_NEAR(want, reflected.norm, kFloatTolerance) << "d=" << d;
  }
}

TEST(StreamStatisticsTest, NormTakesEveryCountedWordIntoAccount) {
  // Words counted by an earlier, deeper call still take part.
  Symbolic_string_ deep = stream_of(Word(12, symbol(0)), 2);
  deep.get_norm(2);
  const double after_depth_two = deep.norm;
  deep.get_norm(0);
  EXPECT_DOUBLE_EQ(after_depth_two, deep.norm);
  Symbolic_string_ fresh = stream_of(Word(12, symbol(0)), 2);
  fresh.get_norm(0);
  EXPECT_GT(deep.norm, fresh.norm + 0.1);
}

TEST(StreamStatisticsTest, IndependentUniformStreamHasNormNearZero) {
  std::mt19937 gen(12345);
  Word seq;
  for (int i = 0; i < 100000; ++i) seq.push_back(gen() % 3);
  Symbolic_string_ s = stream_of(seq, 3);
  s.get_norm(4);
  EXPECT_LT(s.norm, 0.01);
  EXPECT_GE(s.norm, 0.0);
  Symbolic_string_ r = stream_of(seq, 3);
  r.get_reflected_norm(4);
  EXPECT_LT(r.norm, 0.01);
  EXPECT_GE(r.norm, 0.0);
}

TEST(StreamStatisticsTest, ReflectedNormPoolsEachWordWithItsMergedReflection) {
  // 0 0 1 0 1 1: counts e:(3,3) (0):(1,2) (1):(1,1). (0) takes (1)'s counts,
  // then (1) takes the already merged (0): (1,1) + (2,3).
  Symbolic_string_ s = stream_of({0, 0, 1, 0, 1, 1}, 2);
  s.get_reflected_norm(1);
  const std::map<Word, Counts> want{
      {{}, {{0, 6}, {1, 6}}},
      {{0}, {{0, 2}, {1, 3}}},
      {{1}, {{0, 3}, {1, 4}}},
  };
  EXPECT_EQ(want, s.Phi);
  EXPECT_NEAR(0.5 * (0.0 + 0.1 / 4 + (4.0 / 7 - 0.5) / 4), s.norm,
              kFloatTolerance);
}

TEST(StreamStatisticsTest, ReflectionMovesEachSymbolUpByOneModuloK) {
  // 0 1 2 0 0 with k = 3: (0) pools with (1), (1) with (2), (2) with the
  // merged (0).
  Symbolic_string_ s = stream_of({0, 1, 2, 0, 0}, 3);
  s.get_reflected_norm(1);
  const std::map<Word, Counts> want{
      {{}, {{0, 6}, {1, 2}, {2, 2}}},
      {{0}, {{0, 1}, {1, 1}, {2, 1}}},
      {{1}, {{0, 1}, {1, 0}, {2, 1}}},
      {{2}, {{0, 2}, {1, 1}, {2, 1}}},
  };
  EXPECT_EQ(want, s.Phi);
  const double third = 1.0 / 3;
  const double want_norm =
      2.0 / 3 * ((0.6 - third) + 0.0 + third / 9 + (0.5 - third) / 9);
  EXPECT_NEAR(want_norm, s.norm, kFloatTolerance);
}

TEST(StreamStatisticsTest, ReflectedNormDropsSymbolsOutsideTheAlphabet) {
  Symbolic_string_ s = stream_of({0, 2, 1, 0}, 2);
  s.get_reflected_norm(0);
  EXPECT_EQ((std::map<Word, Counts>{{{}, {{0, 4}, {1, 2}}}}), s.Phi);
  EXPECT_NEAR(0.5 * (4.0 / 6 - 0.5), s.norm, kFloatTolerance);
}

TEST(StreamStatisticsTest, EmptyStreamNorms) {
  for (const unsigned int k : {2u, 3u}) {
    for (unsigned int d = 0; d <= 2; ++d) {
      Symbolic_string_ plain = stream_of({}, k);
      plain.get_norm(d);
      EXPECT_EQ(0.0, plain.norm) << "k=" << k << " d=" << d;

      double sum = 0.0;
      for (unsigned int l = 0; l <= d; ++l) sum += std::pow(k, -1.0 * l);
      Symbolic_string_ reflected = stream_of({}, k);
      reflected.get_reflected_norm(d);
      EXPECT_NEAR((k - 1.0) / (k * k) * sum, reflected.norm, kFloatTolerance)
          << "k=" << k << " d=" << d;
    }
  }
}

TEST(StreamStatisticsTest, EmptyAlphabetGivesZeroNorms) {
  Symbolic_string_ plain = stream_of({}, 0);
  plain.norm = 5.0;
  plain.get_norm(3);
  EXPECT_EQ(0.0, plain.norm);
  Symbolic_string_ reflected = stream_of({}, 0);
  reflected.norm = 5.0;
  reflected.get_reflected_norm(3);
  EXPECT_EQ(0.0, reflected.norm);
}

}  // namespace
