#include <cmath>
#include <map>
#include <string>
#include <vector>

#include <gsl/gsl_randist.h>
#include <gtest/gtest.h>

#include "tests/fixed_seed_source.h"
#include "tolmek/model/pfsa.h"
#include "tolmek/stream/symbolic_string.h"

namespace {

using testing_util::FixedSeedSource;
using testing_util::replica;
using Word = std::vector<symbol>;
using Aut = std::map<int, std::map<symbol, int>>;
using Pit = std::map<int, std::vector<double>>;

PFSA model_of(Aut aut, Pit pit) {
  PFSA m;
  m.aut = aut;
  m.pit = pit;
  return m;
}

Word generate(Word input, PFSA& model, unsigned int* alphabet = nullptr) {
  Symbolic_string_ s(input, 2);
  const Symbolic_string_ out = s * model;
  if (alphabet != nullptr) *alphabet = out.alphabet_size;
  return out.seq;
}

// The uniform numbers a generation draws under a FixedSeedSource.
std::vector<double> draws(std::size_t n) {
  auto r = replica(kGenerate);
  std::vector<double> u;
  for (std::size_t i = 0; i < n; ++i)
    u.push_back(gsl_ran_flat(r.get(), 0.0, 1.0));
  return u;
}

Word mixed(std::size_t n) {
  Word w;
  for (std::size_t i = 0; i < n; ++i) w.push_back((i * 5 + i / 4) % 2);
  return w;
}

const std::vector<std::string> kNoStartDraw{"generator 1", "reseed"};
const std::vector<std::string> kStartDraw{"generator 1", "reseed", "start 2"};

TEST(GenerateTest, OneStateModelSplitsAtTheRunningSum) {
  FixedSeedSource source;
  ScopedSeedSource scope(&source);
  PFSA model = model_of({{0, {{0, 0}, {1, 0}}}}, {{0, {0.5, 0.5}}});
  const Word input = mixed(200);
  unsigned int alphabet = 0;
  const Word out = generate(input, model, &alphabet);

  const std::vector<double> u = draws(input.size());
  Word want;
  for (const double x : u) want.push_back(x <= 0.5 ? 0 : 1);
  EXPECT_EQ(want, out);
  EXPECT_EQ(2u, alphabet);
  EXPECT_EQ(kNoStartDraw, source.log);
}

TEST(GenerateTest, SymbolChoiceAtTheCumulativeBoundaries) {
  const double u = draws(1)[0];
  ASSERT_GT(u, 0.0);
  ASSERT_LT(u, 1.0);
  const double below = std::nextafter(u, 0.0);
  struct Case {
    std::vector<double> p;
    std::uint32_t want;
  };
  const Case kCases[] = {
      {{u, 1 - u}, 0},          // the running sum reaches u exactly
      {{below, 1 - below}, 1},  // just short of u
      {{0.0, u, 1 - u}, 1},
      {{0.0, below, 0.5}, 2},  // the last symbol takes what is left
      {{0.0, 0.0, 0.0}, 2},    // all zero: the last symbol
      {{1.0}, 0},              // one symbol
      {{0.0}, 0},
  };
  for (const auto& c : kCases) {
    FixedSeedSource source;
    ScopedSeedSource scope(&source);
    PFSA model = model_of({{0, {{0, 0}}}}, {{0, c.p}});
    unsigned int alphabet = 0;
    EXPECT_EQ(Word{c.want}, generate({0}, model, &alphabet))
        << "p[0]=" << c.p[0] << " size " << c.p.size();
    EXPECT_EQ(c.p.size(), alphabet);
  }
}

TEST(GenerateTest, StartStateIsTheDrawModuloAllButTheLastState) {
  // n states, each looping on itself and emitting its own number for sure:
  // the first output symbol is the start state.
  struct Case {
    int states;
    long draw;
    std::uint32_t want;
  };
  const Case kCases[] = {
      {1, 7, 0}, {2, 12345, 0}, {3, 5, 1}, {3, 6, 0},
      {5, 7, 3}, {8, -1, 1},  // -1 widened to 2^64 - 1, which is 1 mod 7
  };
  ASSERT_GT(draws(1)[0], 0.0);
  for (const auto& c : kCases) {
    Aut aut;
    Pit pit;
    for (int s = 0; s < c.states; ++s) {
      aut[s][0] = s;
      pit[s].assign(c.states, 0.0);
      pit[s][s] = 1.0;
    }
    PFSA model = model_of(aut, pit);
    FixedSeedSource source;
    source.start_value = c.draw;
    ScopedSeedSource scope(&source);
    EXPECT_EQ(Word(3, symbol(c.want)), generate({0, 0, 0}, model))
        << c.states << " states, draw " << c.draw;
    EXPECT_EQ(c.states > 1 ? kStartDraw : kNoStartDraw, source.log)
        << c.states << " states";
  }
}

TEST(GenerateTest, UndefinedTransitionEmitsZeroAndDrawsNothing) {
  FixedSeedSource source;
  ScopedSeedSource scope(&source);
  PFSA model = model_of({{0, {{0, 0}, {1, -1}}}}, {{0, {0.5, 0.5}}});
  const Word input = mixed(60);
  const Word out = generate(input, model);

  const std::vector<double> u = draws(input.size());
  Word want, drawing_everywhere;
  std::size_t next = 0;
  for (std::size_t i = 0; i < input.size(); ++i) {
    const bool defined = input[i] == symbol(0);
    want.push_back(defined ? (u[next++] <= 0.5 ? 0 : 1) : 0);
    drawing_everywhere.push_back(defined ? (u[i] <= 0.5 ? 0 : 1) : 0);
  }
  ASSERT_NE(want, drawing_everywhere) << "the fixture must tell them apart";
  EXPECT_EQ(want, out);
}

TEST(GenerateTest, TwoStateModelKeepsItsStateOnUndefinedTransitions) {
  // State 0 emits 0, state 1 emits 1. From 0: 0 -> 1, 1 undefined. From 1:
  // 0 -> 0, 1 -> 1, 2 missing (read as 0). The start is state 0 whatever
  // the draw (modulo 1).
  PFSA model = model_of({{0, {{0, 1}, {1, -1}}}, {1, {{0, 0}, {1, 1}}}},
                        {{0, {1.0, 0.0}}, {1, {0.0, 1.0}}});
  const Aut aut_before = model.aut;
  const Pit pit_before = model.pit;
  FixedSeedSource source;
  source.start_value = 987654;
  ScopedSeedSource scope(&source);
  for (const double x : draws(8)) ASSERT_GT(x, 0.0);

  EXPECT_EQ(Word({0, 0, 1, 1, 1, 0}), generate({1, 0, 1, 1, 0, 0}, model));
  EXPECT_EQ(Word({0, 0, 1, 1, 0}), generate({1, 0, 1, 2, 0}, model));
  EXPECT_EQ(aut_before, model.aut) << "lookups go into a copy";
  EXPECT_EQ(pit_before, model.pit);
}

TEST(GenerateTest, EmptyInputAndEmptyEmissionVector) {
  FixedSeedSource source;
  ScopedSeedSource scope(&source);
  PFSA three = model_of({{0, {{0, 0}}}}, {{0, {0.2, 0.3, 0.5}}});
  unsigned int alphabet = 0;
  EXPECT_TRUE(generate({}, three, &alphabet).empty());
  EXPECT_EQ(3u, alphabet);
  EXPECT_EQ(kNoStartDraw, source.log) << "the generator is still set up";

  PFSA empty_vector = model_of({{0, {{0, 0}, {1, 0}}}}, {{0, {}}});
  EXPECT_EQ(Word(4, symbol(0)),
            generate({0, 1, 1, 0}, empty_vector, &alphabet));
  EXPECT_EQ(0u, alphabet);

  PFSA no_state_zero = model_of({{0, {{0, 0}}}}, {{1, {0.5, 0.5}}});
  EXPECT_EQ(Word(2, symbol(0)), generate({0, 0}, no_state_zero, &alphabet));
  EXPECT_EQ(0u, alphabet);
  EXPECT_EQ(1u, no_state_zero.pit.size());
}

TEST(GenerateTest, EmittedFrequenciesFollowTheEmissionVector) {
  // Default seeding. Six standard deviations: a false alarm is about one in
  // 10^8 runs.
  PFSA model = model_of({{0, {{0, 0}, {1, 0}}}}, {{0, {0.2, 0.3, 0.5}}});
  const double n = 100000;
  const Word out = generate(mixed(static_cast<std::size_t>(n)), model);
  std::vector<double> seen(3, 0.0);
  for (const symbol s : out) {
    ASSERT_LT(s.value, 3u);
    ++seen[s.value];
  }
  const double p[] = {0.2, 0.3, 0.5};
  for (int g = 0; g < 3; ++g) {
    EXPECT_NEAR(n * p[g], seen[g], 6 * std::sqrt(n * p[g] * (1 - p[g])))
        << "symbol " << g;
  }
}

}  // namespace
