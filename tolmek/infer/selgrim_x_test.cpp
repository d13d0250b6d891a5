#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "tolmek/infer/mk_stochastic.h"
#include "tolmek/infer/selgrim.h"
#include "tolmek/stream/random_source.h"

namespace {

using Transitions = std::map<int, std::map<symbol, int>>;
using Emissions = std::map<int, std::vector<double>>;
using Stage = selgrim_x::Stage;

std::vector<symbol> syms(std::initializer_list<unsigned int> values) {
  return std::vector<symbol>(values.begin(), values.end());
}

// Members set from the streams, nothing counted yet.
selgrim_x members(std::vector<symbol> src, unsigned int src_k,
                  std::vector<symbol> tgt, unsigned int tgt_k) {
  return selgrim_x(Symbolic_string_(src, src_k), Symbolic_string_(tgt, tgt_k),
                   gParam(), Stage::kMembers);
}

void expect_emissions(const Emissions& want, const Emissions& got,
                      const std::string& name) {
  ASSERT_EQ(want.size(), got.size()) << name;
  for (const auto& [state, p] : want) {
    const std::vector<double>& q = got.at(state);
    ASSERT_EQ(p.size(), q.size()) << name << " state " << state;
    for (std::size_t j = 0; j < p.size(); ++j)
      EXPECT_NEAR(p[j], q[j], 1e-7)
          << name << " state " << state << " [" << j << "]";
  }
}

// Start-state draws read from a script; records where each was asked for.
class ScriptedDraws : public SeedSource {
 public:
  explicit ScriptedDraws(std::vector<long> values)
      : values_(std::move(values)) {}
  unsigned long generator_seed(std::uint32_t, const DrawPosition&) override {
    return 1;
  }
  long start_draw(std::uint32_t op, const DrawPosition& at) override {
    asked.push_back({op, at.candidate, at.repetition});
    return values_.at(asked.size() - 1);
  }
  std::vector<std::vector<std::uint32_t>> asked;  // op, candidate, repetition

 private:
  std::vector<long> values_;
};

}  // namespace

TEST(SelgrimXTest, ConstructorCopiesParametersAndStreams) {
  gParam params;
  params.MIN_DEV_SYNC_SEARCH_ = 0.25;
  params.SYN_PREF_LENGTH_ = 7;
  params.EPS_MIN_ = 0.125;
  params.EPS_MAX_ = 0.5;
  params.EPS_STEP_ = 0.0625;
  params.EVALUATION_DEPTH = 3;
  params.USE_GAMMA = false;
  std::vector<symbol> src = syms({0, 2, 1, 1, 0});
  std::vector<symbol> tgt = syms({1, 0, 1});
  selgrim_x x(Symbolic_string_(src, 3), Symbolic_string_(tgt, 2), params,
              Stage::kMembers);
  EXPECT_EQ(src, x.src_seq);
  EXPECT_EQ(tgt, x.tgt_seq);
  EXPECT_EQ(3u, x.src_alphabet_size);
  EXPECT_EQ(3u, x.alphabet_size);
  EXPECT_EQ(2u, x.tgt_alphabet_size);
  EXPECT_EQ(3u, x.common_length);
  EXPECT_EQ(0.25, x.min_dev_sync_search);
  EXPECT_EQ(7u, x.syn_pref_length);
  EXPECT_EQ(0.125, x.eps_min);
  EXPECT_EQ(0.5, x.eps_max);
  EXPECT_EQ(0.0625, x.eps_step);
  EXPECT_EQ(3u, x.evaluation_depth);
  EXPECT_FALSE(x.use_gamma);
  EXPECT_FALSE(x.no_model);
  EXPECT_EQ(1000000.0, x.annerr);
  EXPECT_EQ(1000000.0, x.best_score);
  EXPECT_EQ(0.0, x.gamma);
  EXPECT_EQ(0.0, x.mrgeps);
}

TEST(SelgrimXTest, EmissionsRestartWalksAndFallBackOnTransitions) {
  // State 2 is left on no source symbol: no walk counts it, so the message
  // is printed and its vector comes from its transitions. Looking up the
  // target symbol 2 there inserts the transition 2 -> 0, which counts.
  selgrim_x x = members(syms({0, 1, 1, 0, 1}), 2, syms({1, 0, 2, 1, 0}), 3);
  x.aut_list = {
      {{0, {{0, 1}, {1, -1}}}, {1, {{0, 0}, {1, 1}}}, {2, {{0, -1}, {1, -1}}}}};
  testing::internal::CaptureStderr();
  x.getPit();
  EXPECT_EQ("EXCEPTION: aut and pit size mismatch\n",
            testing::internal::GetCapturedStderr());
  // From state 0: 0 -1-> (1) ... counts 0:{1}, 1:{0, 2, 1}; from state 1:
  // 1:{1}, then two skipped symbols, 0:{0}, 1:{2}; from state 2: nothing.
  ASSERT_EQ(1u, x.pit_list.size());
  expect_emissions(
      {{0, {0.5, 0.5, 0.0}}, {1, {0.2, 0.4, 0.4}}, {2, {0.0, 0.0, 1.0}}},
      x.pit_list[0], "restarted walks");
  const Transitions grown = {{0, {{0, 1}, {1, -1}}},
                             {1, {{0, 0}, {1, 1}}},
                             {2, {{0, -1}, {1, -1}, {2, 0}}}};
  EXPECT_EQ(grown, x.aut_list[0]);
}

TEST(SelgrimXTest, EmissionsOfEachCandidateInOrder) {
  // Source symbols 2 and 3 never occur: state 1 is never entered or left,
  // and its vector spreads over the target symbols its transitions define.
  // The target runs out before the source: the walk stops with it.
  selgrim_x x = members(syms({0, 1, 0, 0, 1}), 4, syms({3, 3, 1}), 4);
  x.aut_list = {
      {{0, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
       {1, {{0, -1}, {1, -1}, {2, 1}, {3, 0}}}},
      {{0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}}},
  };
  testing::internal::CaptureStderr();
  x.getPit();
  EXPECT_EQ("EXCEPTION: aut and pit size mismatch\n",
            testing::internal::GetCapturedStderr())
      << "once, for the first candidate only";
  ASSERT_EQ(2u, x.pit_list.size());
  const double third = static_cast<double>(1.0f * (1.0f / 3.0f));
  const double two_thirds = static_cast<double>(2.0f * (1.0f / 3.0f));
  expect_emissions(
      {{0, {0.0, third, 0.0, two_thirds}}, {1, {0.0, 0.0, 0.5, 0.5}}},
      x.pit_list[0], "two states");
  expect_emissions({{0, {0.0, third, 0.0, two_thirds}}}, x.pit_list[1],
                   "one state");
}

TEST(SelgrimXTest, NoEmissionsWithoutModel) {
  selgrim_x x = members(syms({0, 1}), 2, syms({0, 1}), 2);
  x.aut_list = {{{0, {{0, 0}, {1, 0}}}}};
  x.no_model = true;
  x.getPit();
  EXPECT_TRUE(x.pit_list.empty());
}

TEST(SelgrimXTest, TargetEntropyCoversTheWholeTarget) {
  const struct {
    const char* name;
    std::vector<symbol> src, tgt;
    unsigned int tgt_k;
    double want;
  } kCases[] = {
      {"three to one", syms({0}), syms({0, 0, 0, 1}), 2,
       -(0.75 * std::log2(0.75) + 0.25 * std::log2(0.25))},
      {"unused symbol", syms({0}), syms({0, 0, 0, 1}), 3,
       -(0.75 * std::log2(0.75) + 0.25 * std::log2(0.25))},
      {"uniform over four", syms({0}), syms({0, 1, 2, 3}), 4, 2.0},
      {"constant", syms({0}), syms({1, 1, 1}), 2, 0.0},
      {"empty", syms({0}), {}, 2, 0.0},
  };
  for (const auto& c : kCases) {
    selgrim_x x = members(c.src, 2, c.tgt, c.tgt_k);
    EXPECT_NEAR(c.want, x.target_entropy(), 1e-6) << c.name;
  }
}

TEST(SelgrimXTest, OccupationWalksFromDrawnStartStates) {
  selgrim_x x = members(syms({0, 1, 1, 0}), 2, syms({0, 1, 1, 0}), 2);
  Transitions a = {
      {0, {{0, 1}, {1, 2}}}, {1, {{0, 0}, {1, -1}}}, {2, {{0, 2}, {1, 0}}}};
  const Transitions before = a;
  // 5 mod 2 starts the first walk in state 1, 4 mod 2 the second in 0.
  ScriptedDraws draws({5, 4});
  ScopedSeedSource scope(&draws);
  const std::vector<double> v = x.occupation(a, 7, 2);
  // 1 0 2 0 and then 0 1 0 (after -1) 2: visits 4, 2, 2 of 8.
  EXPECT_EQ((std::vector<double>{0.5, 0.25, 0.25}), v);
  const std::vector<std::vector<std::uint32_t>> want_asked = {
      {kOccupationStart, 7, 0}, {kOccupationStart, 7, 1}};
  EXPECT_EQ(want_asked, draws.asked);
  EXPECT_EQ(before, a);
}

TEST(SelgrimXTest, OccupationOfSmallCandidates) {
  const struct {
    const char* name;
    std::vector<symbol> src;
    Transitions a;
    int repetitions;
    std::vector<double> want;
    Transitions after;
    std::size_t draws;
  } kCases[] = {
      {"one state, no draw",
       syms({0, 1, 1}),
       {{0, {{0, 0}, {1, -1}}}},
       3,
       {1.0},
       {{0, {{0, 0}, {1, -1}}}},
       0},
      {"two states always start in 0",
       syms({0, 1, 1, 1}),
       {{0, {{0, 1}, {1, 0}}}, {1, {{0, 0}, {1, 1}}}},
       2,
       {0.25, 0.75},
       {{0, {{0, 1}, {1, 0}}}, {1, {{0, 0}, {1, 1}}}},
       2},
      // The symbol 2 lies outside the alphabet: the lookup inserts 1 -> 0.
      {"symbol beyond the alphabet",
       syms({0, 2, 1}),
       {{0, {{0, 1}, {1, 0}}}, {1, {{0, 0}, {1, 1}}}},
       1,
       {2.0 / 3.0, 1.0 / 3.0},
       {{0, {{0, 1}, {1, 0}}}, {1, {{0, 0}, {1, 1}, {2, 0}}}},
       1},
  };
  for (const auto& c : kCases) {
    selgrim_x x = members(c.src, 2, c.src, 2);
    ScriptedDraws draws({12345, 999});
    ScopedSeedSource scope(&draws);
    Transitions a = c.a;
    const std::vector<double> v = x.occupation(a, 0, c.repetitions);
    ASSERT_EQ(c.want.size(), v.size()) << c.name;
    for (std::size_t s = 0; s < v.size(); ++s)
      EXPECT_DOUBLE_EQ(c.want[s], v[s]) << c.name << " state " << s;
    EXPECT_EQ(c.after, a) << c.name;
    EXPECT_EQ(c.draws, draws.asked.size()) << c.name;
  }
}

TEST(SelgrimXTest, GammaScoreWeighsErrorByResidualEntropy) {
  const struct {
    const char* name;
    double error, h0, hc, score, gamma;
  } kCases[] = {
      {"quarter left", 0.2, 1.0, 0.25, 0.05, 0.75},
      {"all explained", 0.2, 2.0, 0.0, 0.0, 1.0},
      {"nothing explained", 0.2, 1.0, 1.0, 0.2, 0.0},
      {"noise above the marginal", 0.2, 1.0, 1.5, 0.2, 0.0},
      {"constant target", 0.2, 0.0, 0.0, 0.2, 0.0},
  };
  for (const auto& c : kCases) {
    const selgrim_x::GammaScore got =
        selgrim_x::gamma_score(c.error, c.h0, c.hc);
    EXPECT_DOUBLE_EQ(c.score, got.score) << c.name;
    EXPECT_DOUBLE_EQ(c.gamma, got.gamma) << c.name;
  }
}

TEST(SelgrimXTest, DistEntropyInBits) {
  const struct {
    std::vector<double> v;
    double want;
  } kCases[] = {{{}, 0.0},
                {{1.0, 0.0}, 0.0},
                {{0.5, 0.5}, 1.0},
                {{0.25, 0.25, 0.25, 0.25}, 2.0},
                {{0.5, 0.25, 0.25}, 1.5}};
  for (const auto& c : kCases)
    EXPECT_DOUBLE_EQ(c.want, dist_entropy(c.v)) << c.v.size() << " entries";
}

namespace {

// The occupation walk looked up in the map at every step.
std::vector<double> occupation_by_map(Transitions& a,
                                      const std::vector<symbol>& src,
                                      const std::vector<long>& starts) {
  const std::size_t n = a.size();
  std::vector<double> visits(n, 0.0);
  int state = 0;
  for (const long start : starts) {
    if (n > 1)
      state = static_cast<int>(static_cast<std::uint64_t>(start) % (n - 1));
    for (const symbol x : src) {
      visits[static_cast<std::size_t>(state)] += 1.0;
      const int t = a[state][x];
      state = t < 0 ? 0 : t;
    }
  }
  const auto steps = static_cast<std::uint32_t>(src.size()) *
                     static_cast<std::uint32_t>(starts.size());
  for (double& v : visits) v /= static_cast<double>(steps) + 0.0;
  return visits;
}

TEST(SelgrimXTest, OccupationMatchesTheMapWalkOnRandomCandidates) {
  // Candidates with -1 and missing transitions, sources with symbols the
  // candidate has no column for: same visits and same insertions.
  std::mt19937 gen(31);
  auto pick = [&gen](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(gen);
  };
  for (int trial = 0; trial < 200; ++trial) {
    const int n = pick(1, 6);
    Transitions a;
    for (int s = 0; s < n; ++s) {
      a[s];
      for (unsigned int x = 0; x < 3; ++x) {
        const int kind = pick(0, 6);
        if (kind == 0) continue;
        a[s][x] = kind == 1 ? -1 : pick(0, n - 1);
      }
    }
    std::vector<symbol> src;
    for (int i = pick(0, 200); i > 0; --i)
      src.push_back(static_cast<unsigned int>(pick(0, 3)));
    std::vector<long> starts;
    for (int r = pick(1, 8); r > 0; --r) starts.push_back(pick(0, 1 << 30));

    selgrim_x x = members(src, 3, src, 3);
    Transitions want_a = a;
    const std::vector<double> want = occupation_by_map(want_a, src, starts);
    ScriptedDraws draws(starts);
    ScopedSeedSource scope(&draws);
    const std::vector<double> got =
        x.occupation(a, 0, static_cast<int>(starts.size()));
    ASSERT_EQ(want.size(), got.size()) << "trial " << trial;
    for (std::size_t s = 0; s < want.size(); ++s)
      EXPECT_EQ(0, std::memcmp(&want[s], &got[s], sizeof(double)))
          << "trial " << trial << " state " << s;
    EXPECT_EQ(want_a, a) << "trial " << trial;
  }
}

}  // namespace

namespace {

// getPit with every lookup and count in maps.
Emissions pit_by_maps(Transitions& m, const std::vector<symbol>& src,
                      const std::vector<symbol>& tgt, unsigned int tgt_k) {
  const std::size_t n = m.size();
  std::map<int, std::map<symbol, unsigned int>> count;
  for (int start = 0;; ++start) {
    int state = start;
    std::size_t j = 0;
    for (const symbol x : src) {
      const int t = m[state][x];
      if (t >= 0) {
        if (j >= tgt.size()) break;
        ++count[state][tgt[j]];
        ++j;
        state = t;
      }
      if (j >= tgt.size()) break;
    }
    if (count.size() == n || static_cast<std::size_t>(start) + 1 >= n) break;
  }
  Emissions pit;
  for (int i = 0; static_cast<std::size_t>(i) < n; ++i) {
    std::map<symbol, unsigned int> c;
    if (count.count(i) != 0) {
      c = count[i];
      for (unsigned int y = 0; y < tgt_k; ++y) c.emplace(y, 0u);
    } else {
      for (unsigned int y = 0; y < tgt_k; ++y) c[y] = m[i][y] != -1 ? 1u : 0u;
    }
    pit[i] = mk_stochastic(c);
  }
  return pit;
}

TEST(SelgrimXTest, GetPitMatchesTheMapCountsOnRandomCandidates) {
  // Unreachable states, -1 and missing transitions, source symbols beyond
  // the candidate's columns and target symbols beyond the target alphabet:
  // the same emission maps and the same insertions into the candidates.
  std::mt19937 gen(57);
  auto pick = [&gen](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(gen);
  };
  for (int trial = 0; trial < 100; ++trial) {
    std::vector<symbol> src;
    std::vector<symbol> tgt;
    for (int i = pick(0, 150); i > 0; --i) {
      src.push_back(static_cast<unsigned int>(pick(0, 2)));
      tgt.push_back(static_cast<unsigned int>(pick(0, 1) * pick(1, 2)));
    }
    if (pick(0, 3) == 0 && !tgt.empty()) tgt.pop_back();
    selgrim_x x = members(src, 2, tgt, 2);
    for (int c = pick(1, 3); c > 0; --c) {
      const int n = pick(1, 5);
      Transitions a;
      for (int s = 0; s < n; ++s) {
        a[s];
        for (unsigned int y = 0; y < 2; ++y) {
          const int kind = pick(0, 6);
          if (kind == 0) continue;
          a[s][y] = kind == 1 ? -1 : pick(0, n - 1);
        }
      }
      x.aut_list.push_back(a);
    }
    std::vector<Transitions> want_auts = x.aut_list;
    std::vector<Emissions> want;
    for (Transitions& a : want_auts)
      want.push_back(pit_by_maps(a, src, tgt, x.tgt_alphabet_size));
    testing::internal::CaptureStderr();
    x.getPit();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(want, x.pit_list) << "trial " << trial;
    EXPECT_EQ(want_auts, x.aut_list) << "trial " << trial;
  }
}

}  // namespace
