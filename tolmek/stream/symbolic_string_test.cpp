#include "tolmek/stream/symbolic_string.h"

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <gsl/gsl_rng.h>
#include <gtest/gtest.h>

#include "tests/fixed_seed_source.h"

namespace {

using testing_util::FixedSeedSource;
using testing_util::replica;
using Word = std::vector<symbol>;

Symbolic_string_ stream_of(Word s, unsigned int k) {
  return Symbolic_string_(s, k);
}

std::string text(const Word& w) {
  std::string t;
  for (const symbol s : w) t += std::to_string(s.value) + ",";
  return "[" + t + "]";
}

// The selection operation `op` makes of `seq` under a FixedSeedSource.
Word expected_selection(const Word& seq, unsigned int k, std::uint32_t op) {
  auto r = replica(op);
  Word kept;
  for (const symbol s : seq) {
    if (gsl_rng_uniform_int(r.get(), k) == s.value) kept.push_back(s);
  }
  return kept;
}

// A fixed mixed stream over 0..k-1 (no randomness needed).
Word mixed(std::size_t n, unsigned int k) {
  Word w;
  for (std::size_t i = 0; i < n; ++i) w.push_back((i * 7 + i / 3) % k);
  return w;
}

TEST(SymbolicStringTest, IncWalksWordsInShortlexOrder) {
  struct Case {
    unsigned int k;
    Word from, to;
  };
  const Case kCases[] = {
      {2, {}, {0}},
      {2, {0}, {1}},
      {2, {1}, {0, 0}},
      {2, {0, 1}, {1, 0}},
      {2, {1, 1}, {0, 0, 0}},
      {1, {}, {0}},
      {1, {0}, {0, 0}},
      {1, {0, 0}, {0, 0, 0}},
      {3, {0, 2, 2}, {1, 0, 0}},  // carry through two places
      {3, {2, 1, 2}, {2, 2, 0}},
      {2, {0, 5}, {1, 0}},  // a symbol above k-1 carries like k-1
  };
  for (const auto& c : kCases) {
    Symbolic_string_ s = stream_of({}, c.k);
    Word w = c.from;
    Word& back = s.inc(w);
    EXPECT_EQ(&w, &back);
    EXPECT_EQ(c.to, w) << "k=" << c.k << " from " << text(c.from);
  }
}

TEST(SymbolicStringTest, IncEnumeratesEveryWordOfALengthOnce) {
  Symbolic_string_ s = stream_of({}, 3);
  Word w(2, symbol(0));
  std::vector<Word> seen;
  while (w.size() == 2) {
    seen.push_back(w);
    s.inc(w);
  }
  ASSERT_EQ(9u, seen.size());
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_LT(seen[i - 1], seen[i]);
  EXPECT_EQ(Word({0, 0, 0}), w);
}

TEST(SymbolicStringTest, AgreementKeepsEqualPositionsWithLeftAlphabet) {
  struct Case {
    Word a;
    unsigned int ka;
    Word b;
    unsigned int kb;
    Word want;
  };
  const Case kCases[] = {
      {{0, 1, 1, 0, 2}, 3, {0, 0, 1, 0}, 2, {0, 1, 0}},
      {{0, 0, 1}, 2, {0, 0, 1, 1, 1}, 5, {0, 0, 1}},
      {{0, 1}, 2, {1, 0}, 2, {}},
      {{0, 1, 2}, 4, {}, 2, {}},
      {{}, 7, {0, 1}, 2, {}},
  };
  for (const auto& c : kCases) {
    Symbolic_string_ a = stream_of(c.a, c.ka);
    const Symbolic_string_ b = stream_of(c.b, c.kb);
    const Symbolic_string_ r = a + b;
    EXPECT_EQ(c.want, r.seq) << text(c.a) << " + " << text(c.b);
    EXPECT_EQ(c.ka, r.alphabet_size) << text(c.a) << " + " << text(c.b);
    EXPECT_EQ(c.a, a.seq);
    EXPECT_EQ(c.b, b.seq);
  }
}

TEST(SymbolicStringTest, RandomSelectionOfAlphabetOneKeepsOnlyZeros) {
  Symbolic_string_ s = stream_of({0, 0, 1, 0, 3, 0}, 1);
  const Symbolic_string_ r = ~s;
  EXPECT_EQ(Word({0, 0, 0, 0}), r.seq);
  EXPECT_EQ(1u, r.alphabet_size);
  EXPECT_EQ(Word({0, 0, 1, 0, 3, 0}), s.seq);
}

TEST(SymbolicStringTest, RandomSelectionOfEmptyStreamSetsUpButDrawsNothing) {
  FixedSeedSource source;
  ScopedSeedSource scope(&source);
  Symbolic_string_ s = stream_of({}, 3);
  const Symbolic_string_ r = ~s;
  EXPECT_TRUE(r.seq.empty());
  EXPECT_EQ(3u, r.alphabet_size);
  EXPECT_EQ(std::vector<std::string>{"generator 3"}, source.log);
}

TEST(SymbolicStringTest, RandomSelectionDrawsOncePerSymbolFromItsGenerator) {
  FixedSeedSource source;
  ScopedSeedSource scope(&source);
  for (const unsigned int k : {2u, 3u, 5u}) {
    const Word seq = mixed(300, k);
    Symbolic_string_ s = stream_of(seq, k);
    const Symbolic_string_ r = ~s;
    EXPECT_EQ(expected_selection(seq, k, kTargetSelection), r.seq) << k;
    EXPECT_EQ(k, r.alphabet_size);
  }
  EXPECT_EQ(std::vector<std::string>(3, "generator 3"), source.log);
}

TEST(SymbolicStringTest, RandomSelectionKeepsEachSymbolWithProbabilityOneInK) {
  // Six standard deviations: a false alarm is about one in 10^8 runs.
  constexpr std::size_t kLength = 100000;
  for (const unsigned int k : {2u, 3u, 5u}) {
    Word seq;
    for (std::size_t i = 0; i < kLength; ++i) seq.push_back(i % k);
    Symbolic_string_ s = stream_of(seq, k);
    const Symbolic_string_ r = ~s;
    std::vector<double> kept(k, 0.0);
    for (const symbol c : r.seq) {
      ASSERT_LT(c.value, k);
      ++kept[c.value];
    }
    const double q = 1.0 / k;
    const double n = static_cast<double>(kLength);
    EXPECT_NEAR(n * q, static_cast<double>(r.seq.size()),
                6 * std::sqrt(n * q * (1 - q)))
        << k;
    const double per = n / k;
    for (unsigned int v = 0; v < k; ++v) {
      EXPECT_NEAR(per * q, kept[v], 6 * std::sqrt(per * q * (1 - q)))
          << "symbol " << v << " of " << k;
    }
  }
}

TEST(SymbolicStringTest, InversionOfTwoSymbolsExchangesTheOneCopy) {
  FixedSeedSource source;
  ScopedSeedSource scope(&source);
  const Word seq = mixed(200, 2);
  Symbolic_string_ s = stream_of(seq, 2);
  const Symbolic_string_ r = !s;
  Word want = expected_selection(seq, 2, kInversionSelection);
  for (symbol& c : want) c = 1 - c.value;
  ASSERT_FALSE(want.empty());
  EXPECT_EQ(want, r.seq);
  EXPECT_EQ(2u, r.alphabet_size);
  EXPECT_EQ(seq, s.seq);
  EXPECT_EQ(std::vector<std::string>{"generator 64"}, source.log);
}

TEST(SymbolicStringTest,
     InversionOfThreeSymbolsSkipsPositionsWhereCopiesAgree) {
  FixedSeedSource source;
  ScopedSeedSource scope(&source);
  const Word seq = mixed(300, 3);
  Symbolic_string_ s = stream_of(seq, 3);
  const Symbolic_string_ r = !s;

  const Word c1 = expected_selection(seq, 3, kInversionSelection);
  const Word c2 = expected_selection(seq, 3, kInversionSelection + 1);
  Word want;
  for (std::size_t i = 0; i < std::min(c1.size(), c2.size()); ++i) {
    if (c1[i] != c2[i]) want.push_back(3 - c1[i].value - c2[i].value);
  }
  ASSERT_LT(want.size(), std::min(c1.size(), c2.size())) << "some agree";
  EXPECT_EQ(want, r.seq);
  EXPECT_EQ(3u, r.alphabet_size);
  EXPECT_EQ(std::vector<std::string>({"generator 64", "generator 65"}),
            source.log);
}

TEST(SymbolicStringTest, InversionYieldsOnlyTheSymbolNoCopyCanShow) {
  // Copies of a stream of 0 and 1 show only 0 and 1: where they differ the
  // inversion is 2, where they agree nothing. Copies of a constant stream
  // always agree.
  Word alternating;
  for (int i = 0; i < 3000; ++i) alternating.push_back(i % 2);
  Symbolic_string_ s = stream_of(alternating, 3);
  const Symbolic_string_ r = !s;
  EXPECT_FALSE(r.seq.empty());
  EXPECT_LE(r.seq.size(), alternating.size() / 3 + 200);
  for (const symbol c : r.seq) ASSERT_EQ(2u, c.value);

  Symbolic_string_ constant = stream_of(Word(3000, symbol(0)), 3);
  EXPECT_TRUE((!constant).seq.empty());
}

TEST(SymbolicStringTest, InversionOfTinyAlphabetsDrawsNothing) {
  FixedSeedSource source;
  ScopedSeedSource scope(&source);
  Symbolic_string_ one = stream_of({0, 0, 0, 0}, 1);
  const Symbolic_string_ r1 = !one;
  EXPECT_EQ(Word(4, symbol(0)), r1.seq);
  EXPECT_EQ(1u, r1.alphabet_size);

  Symbolic_string_ none = stream_of({}, 0);
  const Symbolic_string_ r0 = !none;
  EXPECT_TRUE(r0.seq.empty());
  EXPECT_EQ(0u, r0.alphabet_size);
  EXPECT_TRUE(source.log.empty());
}

TEST(SymbolicStringTest, StreamPrinterWritesHexAndLeavesHexMode) {
  Word w{10, 3};
  std::ostringstream os;
  os << Symbolic_string_(w, 11);
  EXPECT_EQ("a 3 ", os.str());
  os << 255;
  EXPECT_EQ("a 3 ff", os.str());
}

TEST(SymbolicStringTest, WordPrinterUsesTheCurrentBase) {
  Word w{10, 3};
  std::ostringstream dec;
  dec << w;
  EXPECT_EQ("10 3 ", dec.str());
  std::ostringstream hex;
  hex << std::hex << w;
  EXPECT_EQ("a 3 ", hex.str());
  Word empty;
  std::ostringstream none;
  none << empty;
  EXPECT_EQ("", none.str());
}

}  // namespace
