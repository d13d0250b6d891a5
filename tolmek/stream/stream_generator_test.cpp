#include "tolmek/stream/stream_generator.h"

#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fixed_seed_source.h"
#include "tolmek/model/pfsa.h"
#include "tolmek/stream/random_source.h"
#include "tolmek/stream/symbolic_string.h"

namespace {

using testing_util::FixedSeedSource;
using Word = std::vector<symbol>;
using Aut = std::map<int, std::map<symbol, int>>;
using Pit = std::map<int, std::vector<double>>;

struct Model {
  Aut aut;
  Pit pit;
};

// What operator* gives, with the log of the random set-ups it made.
Word by_operator(const Model& m, Word input, unsigned int* alphabet,
                 std::vector<std::string>* log, long start) {
  FixedSeedSource seeds;
  seeds.start_value = start;
  ScopedSeedSource scope(&seeds);
  PFSA model;
  model.aut = m.aut;
  model.pit = m.pit;
  Symbolic_string_ s(input, 2);
  Symbolic_string_ out = s * model;
  *alphabet = out.alphabet_size;
  *log = seeds.log;
  return out.seq;
}

Word by_generator(const StreamGenerator& g, const Word& input,
                  unsigned int* alphabet, std::vector<std::string>* log,
                  long start) {
  FixedSeedSource seeds;
  seeds.start_value = start;
  ScopedSeedSource scope(&seeds);
  Word out{7, 7, 7};  // replaced, whatever it held
  *alphabet = g.generate(input, out);
  *log = seeds.log;
  return out;
}

// Models of the kinds candidates take, and some they never take: -1
// transitions, missing transitions, short, empty, missing or unnormalised
// emission vectors, one to five states, up to four output symbols.
Model random_model(std::mt19937& gen) {
  auto pick = [&gen](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(gen);
  };
  Model m;
  const int states = pick(1, 5);
  const int symbols = pick(1, 3);
  const int m_len = pick(0, 4);
  for (int s = 0; s < states; ++s) {
    for (int x = 0; x < symbols; ++x) {
      const int kind = pick(0, 9);
      if (kind == 0) continue;  // missing: the lookup inserts state 0
      m.aut[s][x] = kind == 1 ? -1 : pick(0, states - 1);
    }
    if (pick(0, 9) == 0 && s != 0) continue;  // no emission vector
    const int len = pick(0, 9) == 0 ? pick(0, m_len) : m_len;
    std::vector<double> p;
    for (int i = 0; i < len; ++i)
      p.push_back(std::uniform_real_distribution<double>(0.0, 0.6)(gen));
    m.pit[s] = p;
  }
  if (m.aut.empty()) m.aut[0] = {};
  return m;
}

Word random_input(std::mt19937& gen, std::size_t n, int symbols) {
  Word w;
  for (std::size_t i = 0; i < n; ++i)
    w.push_back(std::uniform_int_distribution<std::uint32_t>(
        0, static_cast<std::uint32_t>(symbols))(gen));  // one beyond
  return w;
}

TEST(StreamGeneratorTest, MatchesTheOperatorOnRandomModels) {
  std::mt19937 gen(777);
  for (int trial = 0; trial < 300; ++trial) {
    const Model m = random_model(gen);
    const StreamGenerator g(m.aut, m.pit);
    const Word input = random_input(gen, 1 + trial % 97, 3);
    const long start = std::uniform_int_distribution<long>(0, 1000)(gen);
    unsigned int want_k = 0;
    unsigned int got_k = 0;
    std::vector<std::string> want_log;
    std::vector<std::string> got_log;
    const Word want = by_operator(m, input, &want_k, &want_log, start);
    // Twice: the generator keeps nothing from one call to the next.
    for (int again = 0; again < 2; ++again) {
      const Word got = by_generator(g, input, &got_k, &got_log, start);
      EXPECT_EQ(want, got) << "trial " << trial;
      EXPECT_EQ(want_k, got_k) << "trial " << trial;
      EXPECT_EQ(want_log, got_log) << "trial " << trial;
    }
  }
}

TEST(StreamGeneratorTest, ModelsWithoutDenseStatesMatchTheOperator) {
  const Model kCases[] = {
      {{}, {{0, {0.5, 0.5}}}},                                      // no states
      {{{1, {{0, 1}, {1, 1}}}, {2, {{0, 2}}}}, {{0, {0.3, 0.7}}}},  // no 0
      {{{0, {{0, 4}, {1, 0}}}}, {{0, {0.2, 0.8}}, {4, {1.0, 0.0}}}},  // 4
      {{{0, {{0, 1}, {1, 0}}}, {1, {{0, -2}, {1, 0}}}},  // -2: not -1
       {{0, {0.5, 0.5}}, {1, {0.9, 0.1}}}},
      {{{0, {{0, 0}, {70000, 0}}}}, {{0, {0.4, 0.6}}}},  // a huge symbol
  };
  std::mt19937 gen(5);
  for (std::size_t c = 0; c < std::size(kCases); ++c) {
    const Model& m = kCases[c];
    const Word input = random_input(gen, 60, 1);
    unsigned int want_k = 0;
    unsigned int got_k = 0;
    std::vector<std::string> want_log;
    std::vector<std::string> got_log;
    const Word want = by_operator(m, input, &want_k, &want_log, 3);
    const Word got =
        by_generator(StreamGenerator(m.aut, m.pit), input, &got_k, &got_log, 3);
    EXPECT_EQ(want, got) << "case " << c;
    EXPECT_EQ(want_k, got_k) << "case " << c;
    EXPECT_EQ(want_log, got_log) << "case " << c;
  }
}

TEST(StreamGeneratorTest, LeavesTheModelAlone) {
  // A missing transition is looked up (and inserted) only in a copy.
  const Aut aut{{0, {{0, 1}}}, {1, {{0, 0}, {1, 1}}}};
  const Pit pit{{0, {0.5, 0.5}}, {1, {0.1, 0.9}}};
  Aut a = aut;
  Pit p = pit;
  const StreamGenerator g(a, p);
  Word out;
  g.generate({0, 1, 1, 0, 1}, out);
  EXPECT_EQ(aut, a);
  EXPECT_EQ(pit, p);
  EXPECT_EQ(5u, out.size());
}

}  // namespace
