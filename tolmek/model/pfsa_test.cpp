#include "tolmek/model/pfsa.h"

#include <sstream>

#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>
#include <gtest/gtest.h>

#include "tolmek/model/walk_choice.h"
#include "tolmek/stream/random_source.h"

namespace {

using Pit = std::map<int, std::vector<double>>;
using Aut = std::map<int, std::map<symbol, int>>;

// Seeds every generator with one number and answers every start draw with
// one value, counting what was asked of it.
class FixedSeedSource : public SeedSource {
 public:
  FixedSeedSource(unsigned long seed, long draw) : seed_(seed), draw_(draw) {}
  unsigned long generator_seed(std::uint32_t op, const DrawPosition&) override {
    ++generators;
    last_op = op;
    return seed_;
  }
  long start_draw(std::uint32_t op, const DrawPosition&) override {
    ++draws;
    last_op = op;
    return draw_;
  }
  void reseed_start_draws() override { ++reseeds; }

  int generators = 0;
  int draws = 0;
  int reseeds = 0;
  std::uint32_t last_op = 0;

 private:
  unsigned long seed_;
  long draw_;
};

// Three states, every symbol defined, each state with its own vector, so
// that the path shows which vector was used at each step.
const Pit kPit3 = {
    {0, {0.2, 0.3, 0.5}}, {1, {0.6, 0.2, 0.2}}, {2, {0.1, 0.1, 0.8}}};
const Aut kAut3 = {{0, {{0, 1}, {1, 2}, {2, 0}}},
                   {1, {{0, 2}, {1, 0}, {2, 1}}},
                   {2, {{0, 0}, {1, 1}, {2, 2}}}};

// The walk of kPit3/kAut3 worked out by hand from the generator's draws.
std::vector<symbol> expected_walk(unsigned long seed, int start, int steps,
                                  int* end_state) {
  gsl_rng_env_setup();
  gsl_rng* r = gsl_rng_alloc(gsl_rng_default);
  gsl_rng_set(r, seed);
  std::vector<symbol> path;
  int q = start;
  for (int i = 0; i < steps; ++i) {
    const double u = gsl_ran_flat(r, 0.0, 1.0);
    const double first = q == 0 ? 0.2 : q == 1 ? 0.6 : 0.1;
    const double second = q == 0 ? 0.5 : q == 1 ? 0.8 : 0.2;
    const std::uint32_t s = u <= first ? 0 : u <= second ? 1 : 2;
    path.push_back(s);
    q = kAut3.at(q).at(s);
  }
  gsl_rng_free(r);
  *end_state = q;
  return path;
}

std::vector<std::uint32_t> values(const std::vector<symbol>& w) {
  std::vector<std::uint32_t> v;
  for (symbol s : w) v.push_back(s.value);
  return v;
}

// Follows `path` through `aut` from `start`; -2 when a step is not allowed.
int follow(const Aut& aut, int start, const std::vector<symbol>& path) {
  int q = start;
  for (symbol s : path) {
    const int next = aut.at(q).at(s);
    if (next == -1) return -2;
    q = next;
  }
  return q;
}

}  // namespace

TEST(WalkChoiceTest, RunningSumReachesTheDraw) {
  const std::vector<double> p = {0.2, 0.3, 0.5};
  const struct {
    std::vector<double> p;
    std::size_t m;
    double u;
    std::size_t want;
  } kCases[] = {
      {p, 3, 0.5, 1},                // 0.2 + 0.3 is not less than 0.5
      {p, 3, 0.95, 2},               // beyond every running sum but the last
      {p, 3, 0.2, 0},                // equal counts as reached
      {p, 3, 0.0, 0},                //
      {p, 3, 0.2000001, 1},          //
      {p, 2, 0.95, 1},               // m from the first state, not from p
      {{0.1, 0.1, 0.1}, 3, 0.9, 2},  // the last symbol takes the rest
      {{0.7}, 1, 0.99, 0},           // one symbol
      {{0.5}, 3, 0.9, 3},            // p too short: no symbol
  };
  for (const auto& c : kCases)
    EXPECT_EQ(c.want, walk_choice(c.p, c.m, c.u))
        << "u=" << c.u << " m=" << c.m;
}

TEST(PFSATest, WalkFollowsTheGeneratorDraws) {
  FixedSeedSource source(12345, 0);
  ScopedSeedSource scope(&source);
  PFSA m(kPit3, kAut3, 2, 300);
  int end = -1;
  const auto want = expected_walk(12345, 2, 300, &end);
  EXPECT_EQ(values(want), values(m.sample_path));
  EXPECT_EQ(end, m.current_state);
  EXPECT_EQ(1, source.generators);
  EXPECT_EQ(static_cast<std::uint32_t>(kWalk), source.last_op);
  EXPECT_EQ(3u, m.alphabet_size);
  EXPECT_EQ(3u, m.num_states);
}

TEST(PFSATest, WalkStopsAtAMissingTransition) {
  // State 0 almost surely draws symbol 1, which cannot occur there.
  const Pit pit = {{0, {0.0, 1.0}}, {1, {0.5, 0.5}}};
  const Aut aut = {{0, {{0, 1}, {1, -1}}}, {1, {{0, 0}, {1, 1}}}};
  PFSA m(pit, aut, 0, 100);
  EXPECT_TRUE(m.sample_path.empty());
  EXPECT_EQ(0, m.current_state);
}

TEST(PFSATest, ConstructorsWalkTheirLength) {
  const Pit pit = {{0, {0.5, 0.5}}};
  const Aut aut = {{0, {{0, 0}, {1, 0}}}};
  EXPECT_EQ(1000u, PFSA(pit, aut).sample_path.size());
  EXPECT_EQ(1000u, PFSA(pit, aut, 0).sample_path.size());
  EXPECT_EQ(7u, PFSA(pit, aut, 0, 7).sample_path.size());
  FixedSeedSource source(1, 0);
  ScopedSeedSource scope(&source);
  EXPECT_TRUE(PFSA(pit, aut, 0, 0).sample_path.empty());
  EXPECT_EQ(0, source.generators) << "no steps, no generator";
}

TEST(PFSATest, RandomStartAvoidsTheLastState) {
  const struct {
    int states;
    long draw;
    int want;
  } kCases[] = {{4, 7, 1}, {4, 5, 2}, {2, 5, 0}, {1, 5, 0}, {3, 1000001, 1}};
  for (const auto& c : kCases) {
    // Every transition impossible: the walk ends where it starts.
    Pit pit;
    Aut aut;
    for (int q = 0; q < c.states; ++q) {
      pit[q] = {1.0};
      aut[q] = {{0, -1}};
    }
    FixedSeedSource source(1, c.draw);
    ScopedSeedSource scope(&source);
    PFSA m(pit, aut);
    EXPECT_EQ(c.want, m.current_state) << c.states << " states";
    EXPECT_EQ(1, source.reseeds);
    EXPECT_EQ(c.states > 1 ? 1 : 0, source.draws);
    EXPECT_TRUE(m.sample_path.empty());
  }
}

TEST(PFSATest, CopyOfPathlessModelIsFaithfulAndDrawsNothing) {
  PFSA m;
  m.pit = kPit3;
  m.aut = kAut3;
  m.Xpit = {{0, {1.0}}};
  m.current_state = 2;
  m.stationary = {0.3, 0.3, 0.4};
  m.PI = {{1.0}};
  m.Gamma[symbol(0)] = {{1.0}};
  FixedSeedSource source(1, 0);
  ScopedSeedSource scope(&source);

  PFSA copy(m);
  EXPECT_EQ(m.pit, copy.pit);
  EXPECT_EQ(m.Xpit, copy.Xpit);
  EXPECT_EQ(m.aut, copy.aut);
  EXPECT_EQ(2, copy.current_state);
  EXPECT_EQ(3u, copy.alphabet_size);
  EXPECT_EQ(3u, copy.num_states);
  EXPECT_TRUE(copy.sample_path.empty());
  EXPECT_TRUE(copy.stationary.empty());
  EXPECT_TRUE(copy.PI.empty());
  EXPECT_TRUE(copy.Gamma.empty());

  PFSA assigned;
  assigned = m;
  EXPECT_EQ(m.pit, assigned.pit);
  EXPECT_EQ(m.Xpit, assigned.Xpit);
  EXPECT_EQ(m.aut, assigned.aut);
  EXPECT_EQ(2, assigned.current_state);
  EXPECT_EQ(3u, assigned.num_states);
  EXPECT_EQ(0, source.generators + source.draws + source.reseeds);
}

TEST(PFSATest, CopyOfEmptyModelHasStateZeroWithoutTransitions) {
  PFSA empty;
  PFSA copy(empty);
  EXPECT_EQ((Aut{{0, {}}}), copy.aut);
  EXPECT_EQ(1u, copy.num_states);
  EXPECT_EQ(0u, copy.alphabet_size);
  EXPECT_TRUE(copy.pit.empty());
}

TEST(PFSATest, CopyWalksAfreshFromTheSourcesState) {
  PFSA m(kPit3, kAut3, 0, 50);
  ASSERT_EQ(50u, m.sample_path.size());
  {
    PFSA copy(m);
    EXPECT_EQ(50u, copy.sample_path.size());
    EXPECT_EQ(copy.current_state,
              follow(kAut3, m.current_state, copy.sample_path));
  }
  // The copy's walk is the walk that a model started in m's state would make
  // with the same generator.
  FixedSeedSource source(777, 0);
  ScopedSeedSource scope(&source);
  PFSA copy(m);
  int end = -1;
  EXPECT_EQ(values(expected_walk(777, m.current_state, 50, &end)),
            values(copy.sample_path));
  EXPECT_EQ(end, copy.current_state);
}

TEST(PFSATest, CopyOfPathMayEndEarly) {
  // From state 1 the walk dies at once; from state 0 it moves to 1 or dies.
  const Pit pit = {{0, {0.5, 0.5}}, {1, {0.5, 0.5}}};
  const Aut aut = {{0, {{0, 1}, {1, -1}}}, {1, {{0, -1}, {1, -1}}}};
  PFSA m(pit, aut, 0, 1);
  m.sample_path.assign(50, symbol(0));
  m.current_state = 0;
  PFSA copy(m);
  EXPECT_LE(copy.sample_path.size(), 1u);
}

TEST(PFSATest, AssignmentAppendsToTheTargetsPath) {
  PFSA other(kPit3, kAut3, 1, 20);
  PFSA target(kPit3, kAut3, 0, 10);
  const std::vector<symbol> before = target.sample_path;
  target.stationary = {0.5, 0.5};
  target.PI = {{0.5, 0.5}, {0.5, 0.5}};
  target.aut.clear();
  target.aut[0][symbol(0)] = 0;
  target.Xpit = {{0, {0.1}}};

  target = other;
  ASSERT_EQ(30u, target.sample_path.size());
  EXPECT_TRUE(
      std::equal(before.begin(), before.end(), target.sample_path.begin()));
  const std::vector<symbol> added(target.sample_path.begin() + 10,
                                  target.sample_path.end());
  EXPECT_EQ(target.current_state, follow(kAut3, other.current_state, added));
  EXPECT_EQ(kAut3, target.aut);
  EXPECT_TRUE(target.Xpit.empty());
  EXPECT_EQ(3u, target.num_states);
  EXPECT_EQ(3u, target.alphabet_size);
  EXPECT_EQ((std::vector<double>{0.5, 0.5}), target.stationary);
  EXPECT_EQ(2u, target.PI.size());
}

TEST(PFSATest, SelfAssignmentDoesNothing) {
  PFSA m(kPit3, kAut3, 0, 40);
  const std::vector<symbol> path = m.sample_path;
  const int state = m.current_state;
  FixedSeedSource source(1, 0);
  ScopedSeedSource scope(&source);
  PFSA& alias = m;
  m = alias;
  EXPECT_EQ(values(path), values(m.sample_path));
  EXPECT_EQ(state, m.current_state);
  EXPECT_EQ(0, source.generators);
}

TEST(PFSATest, SettersReplaceTablesOnly) {
  PFSA m;
  Aut aut = kAut3;
  Pit pit = kPit3;
  Pit xpit = {{0, {1.0}}};
  m.set_aut(aut);
  m.set_pit(pit);
  m.set_Xpit(xpit);
  aut.clear();  // the model holds its own copy
  EXPECT_EQ(kAut3, m.get_aut());
  EXPECT_EQ(kPit3, m.get_pit());
  EXPECT_EQ(xpit, m.get_Xpit());
  EXPECT_EQ(0u, m.alphabet_size);
  EXPECT_TRUE(m.sample_path.empty());
  m.get_pit()[5] = {1.0};
  EXPECT_EQ(1u, m.pit.count(5)) << "the getter hands out the member";
}

TEST(PFSATest, TransitionTablePrintsNextStatesOnly) {
  const struct {
    Aut aut;
    const char* want;
  } kCases[] = {
      {{{0, {{0, 1}, {1, -1}}}, {1, {{0, 0}, {1, 1}}}}, "1 -1 \n0 1 \n"},
      {{}, ""},
      {{{0, {}}}, "\n"},
      {{{1, {{2, 10}, {0, 7}}}, {0, {{0, -1}}}}, "-1 \n7 10 \n"},
  };
  for (const auto& c : kCases) {
    std::ostringstream os;
    os << c.aut;
    EXPECT_EQ(c.want, os.str());
  }
}

TEST(PFSATest, PathPrintsInHexAndLeavesStreamInHex) {
  PFSA m;
  m.sample_path = {symbol(10), symbol(1), symbol(255)};
  std::ostringstream os;
  os << m;
  EXPECT_EQ("a 1 ff ", os.str());
  os << 17;
  EXPECT_EQ("a 1 ff 11", os.str());

  PFSA empty;
  std::ostringstream os2;
  os2 << empty << 26;
  EXPECT_EQ("1a", os2.str());
}
