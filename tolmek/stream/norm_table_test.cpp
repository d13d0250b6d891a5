#include "tolmek/stream/norm_table.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tolmek/stream/symbolic_string.h"

namespace {

using Word = std::vector<symbol>;

// Same bits, not merely equal: the table path must round as the maps do.
bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

double map_norm(Word seq, unsigned int k, unsigned int d, bool reflected) {
  Symbolic_string_ s(seq, k);
  if (reflected) {
    s.get_reflected_norm(d);
  } else {
    s.get_norm(d);
  }
  return s.norm;
}

std::string describe(const Word& seq, unsigned int k, unsigned int d) {
  std::string t = "k=" + std::to_string(k) + " d=" + std::to_string(d) + " [";
  for (std::size_t i = 0; i < seq.size() && i < 40; ++i)
    t += std::to_string(seq[i].value);
  return t + (seq.size() > 40 ? "...]" : "]");
}

// Streams of the kinds the scoring meets: uniform, skewed, a symbol never
// used (so some words never occur), a single repeated symbol, very short.
Word random_stream(std::mt19937& gen, unsigned int k) {
  const int kind = std::uniform_int_distribution<int>(0, 4)(gen);
  const std::size_t n =
      kind == 4 ? std::uniform_int_distribution<std::size_t>(0, 4)(gen)
                : std::uniform_int_distribution<std::size_t>(5, 400)(gen);
  const unsigned int used = kind == 2 && k > 1 ? k - 1 : (kind == 3 ? 1 : k);
  std::uniform_int_distribution<unsigned int> uniform(0, used - 1);
  std::bernoulli_distribution skew(0.8);
  Word seq;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned int v = kind == 1 && skew(gen) ? 0 : uniform(gen);
    seq.push_back(symbol(kind == 3 ? k - 1 : v));
  }
  return seq;
}

TEST(NormTableTest, MatchesTheMapNormsBitForBit) {
  std::mt19937 gen(4242);
  NormTable table;  // reused across calls, as the scoring does
  for (int trial = 0; trial < 600; ++trial) {
    const unsigned int k = 1 + trial % 4;
    const unsigned int d = (trial / 4) % 6;
    const Word seq = random_stream(gen, k);
    const double plain = table.norm(seq, k, d);
    const double reflected = table.reflected_norm(seq, k, d);
    EXPECT_TRUE(same_bits(map_norm(seq, k, d, false), plain))
        << describe(seq, k, d) << " plain " << plain;
    EXPECT_TRUE(same_bits(map_norm(seq, k, d, true), reflected))
        << describe(seq, k, d) << " reflected " << reflected;
  }
}

TEST(NormTableTest, EdgeStreamsMatchTheMapNorms) {
  struct Case {
    Word seq;
    unsigned int k;
    unsigned int d;
  };
  const Case kCases[] = {
      {{}, 2, 5},               // empty: flat (plain) vs all-zero (reflected)
      {{}, 3, 0},               // only the empty word
      {{0, 0, 0, 0}, 2, 3},     // one repeated symbol
      {{1, 0, 1}, 2, 0},        // d = 0
      {{0, 2, 0, 2, 2}, 3, 2},  // a symbol never used
      {{0, 0, 0}, 1, 4},        // every word is its own reflection
      {{0, 5, 1, 0, 1}, 2, 2},  // a symbol beyond k: the map path decides
      {{1, 0, 1, 1}, 0, 3},     // no alphabet
  };
  NormTable table;
  for (const Case& c : kCases) {
    EXPECT_TRUE(same_bits(map_norm(c.seq, c.k, c.d, false),
                          table.norm(c.seq, c.k, c.d)))
        << describe(c.seq, c.k, c.d);
    EXPECT_TRUE(same_bits(map_norm(c.seq, c.k, c.d, true),
                          table.reflected_norm(c.seq, c.k, c.d)))
        << describe(c.seq, c.k, c.d);
  }
}

TEST(NormTableTest, EmptyStreamsGiveTheKnownValues) {
  // Plain: every word flat, so 0. Reflected: every word all zeros, m = 1/k,
  // so ((k - 1) / k^2) * sum over l of k^-l.
  NormTable table;
  EXPECT_EQ(0.0, table.norm({}, 2, 5));
  const double want = 0.25 * (1 + 0.5 + 0.25);
  EXPECT_DOUBLE_EQ(want, table.reflected_norm({}, 2, 2));
}

}  // namespace
