#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/fixed_seed_source.h"
#include "tolmek/infer/selgrim.h"
#include "tolmek/stream/random_source.h"

namespace {

using Transitions = std::map<int, std::map<symbol, int>>;
using Stage = selgrim_x::Stage;

constexpr std::size_t kLength = 10000;

std::vector<symbol> coin_flips(std::size_t length, unsigned int seed) {
  std::mt19937 gen(seed);
  std::vector<symbol> s(length);
  for (symbol& x : s) x = static_cast<std::uint32_t>(gen() & 1u);
  return s;
}

// The source one step later: position t holds the source's symbol t - 1.
std::vector<symbol> one_step_later(const std::vector<symbol>& src) {
  std::vector<symbol> tgt(src.size(), 0);
  for (std::size_t t = 1; t < src.size(); ++t) tgt[t] = src[t - 1];
  return tgt;
}

// Small and quick: one threshold, a few repetitions, short words.
gParam quick(int repetitions = 2) {
  gParam params;
  params.EPS_MIN_ = 0.01;
  params.EPS_MAX_ = 0.01;
  params.NUM_EACH = repetitions;
  params.EVALUATION_DEPTH = 3;
  return params;
}

// The whole inference with deterministic draws.
selgrim_x infer(std::vector<symbol> src, std::vector<symbol> tgt,
                const gParam& params, std::uint32_t seed = 1) {
  HashSeedSource seeds(seed, 0, 1, 1);
  ScopedSeedSource scope(&seeds);
  return selgrim_x(Symbolic_string_(src), Symbolic_string_(tgt), params);
}

void expect_chosen_model_is_complete(const selgrim_x& x,
                                     const std::string& name) {
  ASSERT_FALSE(x.model.aut.empty()) << name;
  EXPECT_LT(x.best_score, 1000000.0) << name;
  EXPECT_LT(x.annerr, 1000000.0) << name;
  for (const auto& [state, row] : x.model.aut) {
    ASSERT_EQ(1u, x.model.pit.count(state)) << name << " state " << state;
    const std::vector<double>& p = x.model.pit.at(state);
    double total = 0.0;
    for (double v : p) total += v;
    EXPECT_NEAR(1.0, total, 1e-6) << name << " state " << state;
  }
}

}  // namespace

TEST(SelgrimXScoringTest, CopyOfSourceGivesGammaNearOne) {
  const std::vector<symbol> src = coin_flips(kLength, 21);
  selgrim_x x = infer(src, one_step_later(src), quick());
  expect_chosen_model_is_complete(x, "copy");
  EXPECT_GT(x.gamma, 0.9);
  EXPECT_LE(x.gamma, 1.0);
  EXPECT_EQ(0.01, x.mrgeps);
}

TEST(SelgrimXScoringTest, IndependentTargetGivesGammaNearZero) {
  const std::vector<symbol> src = coin_flips(kLength, 22);
  selgrim_x x = infer(src, coin_flips(kLength, 23), quick());
  expect_chosen_model_is_complete(x, "independent");
  EXPECT_GE(x.gamma, 0.0);
  EXPECT_LT(x.gamma, 0.05);
}

TEST(SelgrimXScoringTest, ConstantTargetGivesGammaExactlyZero) {
  const std::vector<symbol> src = coin_flips(kLength, 24);
  selgrim_x x = infer(src, std::vector<symbol>(kLength, 1), quick());
  expect_chosen_model_is_complete(x, "constant");
  EXPECT_EQ(0.0, x.gamma);
}

TEST(SelgrimXScoringTest, PlainModeScoresButLeavesGammaZero) {
  const std::vector<symbol> src = coin_flips(kLength, 25);
  gParam params = quick();
  params.USE_GAMMA = false;
  selgrim_x x = infer(src, one_step_later(src), params);
  expect_chosen_model_is_complete(x, "plain");
  EXPECT_EQ(0.0, x.gamma);
}

TEST(SelgrimXScoringTest, SameSeedsGiveTheSameResult) {
  const std::vector<symbol> src = coin_flips(2000, 26);
  const std::vector<symbol> tgt = coin_flips(2000, 27);
  gParam params = quick(3);
  params.EPS_MAX_ = 0.03;
  const selgrim_x a = infer(src, tgt, params, 5);
  const selgrim_x b = infer(src, tgt, params, 5);
  EXPECT_EQ(a.gamma, b.gamma);
  EXPECT_EQ(a.annerr, b.annerr);
  EXPECT_EQ(a.best_score, b.best_score);
  EXPECT_EQ(a.mrgeps, b.mrgeps);
  EXPECT_EQ(a.model.aut, b.model.aut);
  EXPECT_EQ(a.model.pit, b.model.pit);
}

TEST(SelgrimXScoringTest, ZeroRepetitionsChooseNothing) {
  const std::vector<symbol> src = coin_flips(1000, 28);
  for (const bool use_gamma : {true, false}) {
    gParam params = quick(0);
    params.USE_GAMMA = use_gamma;
    selgrim_x x = infer(src, one_step_later(src), params);
    EXPECT_FALSE(x.aut_list.empty());
    EXPECT_TRUE(x.model.aut.empty()) << use_gamma;
    EXPECT_TRUE(x.model.pit.empty()) << use_gamma;
    EXPECT_EQ(1000000.0, x.annerr) << use_gamma;
    EXPECT_EQ(1000000.0, x.best_score) << use_gamma;
    EXPECT_EQ(0.0, x.mrgeps) << use_gamma;
    EXPECT_EQ(0.0, x.gamma) << use_gamma;
  }
}

TEST(SelgrimXScoringTest, ChoiceKeepsFirstOfEqualScoresAndTakesLaterBetter) {
  // Under fixed seeds equal candidates score equally. The one-state model
  // explains nothing of the copied target; the two-state one explains all.
  std::vector<symbol> src = coin_flips(3000, 29);
  std::vector<symbol> tgt = one_step_later(src);
  const Transitions one = {{0, {{0, 0}, {1, 0}}}};
  const Transitions two = {{0, {{0, 0}, {1, 1}}}, {1, {{0, 0}, {1, 1}}}};
  const struct {
    const char* name;
    std::vector<Transitions> candidates;
    double want_eps;
  } kCases[] = {
      {"equal scores", {two, two}, 0.1},
      {"later is better", {one, two}, 0.2},
      {"earlier is better", {two, one}, 0.1},
  };
  for (const auto& c : kCases) {
    selgrim_x x(Symbolic_string_(src, 2), Symbolic_string_(tgt, 2), quick(),
                Stage::kMembers);
    x.aut_list = c.candidates;
    x.eps_list = {0.1, 0.2};
    x.getPit();
    testing_util::FixedSeedSource seeds;
    ScopedSeedSource scope(&seeds);
    x.choose_candidate(2);
    EXPECT_EQ(c.want_eps, x.mrgeps) << c.name;
    EXPECT_GT(x.gamma, 0.9) << c.name;
    EXPECT_EQ(two, x.model.aut) << c.name;
    EXPECT_EQ("reseed", seeds.log.front()) << c.name;
  }
}

TEST(SelgrimXScoringTest, EmptySourceWithoutAlphabetGivesNoModel) {
  selgrim_x x = infer({}, coin_flips(100, 30), quick());
  EXPECT_TRUE(x.no_model);
  EXPECT_TRUE(x.aut_list.empty());
  EXPECT_TRUE(x.pit_list.empty());
  EXPECT_TRUE(x.model.aut.empty());
  EXPECT_EQ(0.0, x.gamma);
  EXPECT_EQ(0.0, x.mrgeps);
  EXPECT_EQ(1000000.0, x.annerr);
  EXPECT_EQ(1000000.0, x.best_score);
}

TEST(SelgrimXScoringTest, EmptySourceWithAlphabetReportsEveryCandidate) {
  gParam params = quick();
  params.EPS_MAX_ = 0.035;  // three thresholds
  params.EPS_STEP_ = 0.01;
  HashSeedSource seeds(1, 0, 1, 1);
  ScopedSeedSource scope(&seeds);
  std::vector<symbol> src;
  std::vector<symbol> tgt = {0, 1, 1, 0};
  testing::internal::CaptureStderr();
  selgrim_x x(Symbolic_string_(src, 2), Symbolic_string_(tgt, 2), params);
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string line = "EXCEPTION: aut and pit size mismatch\n";
  EXPECT_EQ(line + line + line, err);
  const Transitions stuck = {{0, {{0, -1}, {1, -1}}}};
  EXPECT_EQ(std::vector<Transitions>(3, stuck), x.aut_list);
  ASSERT_EQ(3u, x.pit_list.size());
  EXPECT_EQ((std::vector<double>{0.0, 0.0}), x.pit_list[0].at(0));
  // No walk over an empty source: the occupation is 0/0 and no score is a
  // number, so nothing is chosen.
  EXPECT_TRUE(x.model.aut.empty());
  EXPECT_EQ(1000000.0, x.annerr);
}

TEST(SelgrimXScoringTest, EmptyTargetChoosesTheStuckState) {
  testing::internal::CaptureStderr();
  selgrim_x x = infer(coin_flips(200, 31), {}, quick());
  EXPECT_EQ("EXCEPTION: aut and pit size mismatch\n",
            testing::internal::GetCapturedStderr());
  const Transitions stuck = {{0, {{0, -1}, {1, -1}}}};
  EXPECT_EQ(stuck, x.model.aut);
  ASSERT_EQ(1u, x.model.pit.size());
  EXPECT_TRUE(x.model.pit.at(0).empty());
  EXPECT_EQ(0.0, x.gamma);
  EXPECT_EQ(0.0, x.annerr);
}

TEST(SelgrimXScoringTest, OddAlphabetsFinishWithGammaInRange) {
  const std::vector<symbol> flips = coin_flips(kLength, 32);
  std::vector<symbol> gapped(flips);  // symbols 0 and 2, alphabet size 2
  for (symbol& s : gapped) s = s.value * 2;
  const struct {
    const char* name;
    std::vector<symbol> src, tgt;
  } kCases[] = {
      {"source symbols 0 and 2", gapped, one_step_later(flips)},
      {"target symbols 0 and 2", flips, one_step_later(gapped)},
      {"target of symbol 0 only", flips, std::vector<symbol>(kLength, 0)},
      {"source of symbol 0 only", std::vector<symbol>(kLength, 0), flips},
  };
  for (const auto& c : kCases) {
    selgrim_x x = infer(c.src, c.tgt, quick());
    EXPECT_GE(x.gamma, 0.0) << c.name;
    EXPECT_LE(x.gamma, 1.0) << c.name;
    EXPECT_FALSE(x.model.aut.empty()) << c.name;
  }
}

TEST(SelgrimXScoringTest, GappedSourceSymbolsJoinTheChosenTransitions) {
  // The source symbol 2 lies outside the alphabet {0, 1}: the walks look it
  // up, and the lookup leaves a transition to state 0 in the chosen model.
  std::vector<symbol> src = coin_flips(kLength, 33);
  for (symbol& s : src) s = s.value * 2;
  selgrim_x x = infer(src, coin_flips(kLength, 34), quick());
  ASSERT_FALSE(x.model.aut.empty());
  bool inserted = false;
  for (const auto& [state, row] : x.model.aut) {
    const auto it = row.find(2);
    if (it != row.end()) {
      EXPECT_EQ(0, it->second) << "state " << state;
      inserted = true;
    }
  }
  EXPECT_TRUE(inserted);
}

namespace {

// Deterministic draws that also log every set-up in order: without a seed
// the generators are seeded in the order they are set up.
class LoggedSeeds : public SeedSource {
 public:
  unsigned long generator_seed(std::uint32_t op,
                               const DrawPosition& at) override {
    log.push_back("generator " + std::to_string(op));
    return hash.generator_seed(op, at);
  }
  long start_draw(std::uint32_t op, const DrawPosition& at) override {
    log.push_back("start " + std::to_string(op));
    return hash.start_draw(op, at);
  }
  void reseed_start_draws() override { log.push_back("reseed"); }

  HashSeedSource hash{3, 1, 2, 1};
  std::vector<std::string> log;
};

// The repetitions written with the stream operators one after another:
// generate, invert, select, agree, norm.
double error_by_operators(selgrim_x& x, const Transitions& a,
                          const std::map<int, std::vector<double>>& p,
                          std::uint32_t candidate, int repetitions,
                          bool reflected) {
  PFSA m;
  m.aut = a;
  m.pit = p;
  Symbolic_string_ source(x.src_seq, x.src_alphabet_size);
  Symbolic_string_ target(x.tgt_seq, x.tgt_alphabet_size);
  double sum = 0.0;
  for (int r = 0; r < repetitions; ++r) {
    set_draw_position(candidate, static_cast<std::uint32_t>(r));
    Symbolic_string_ inverted = !(source * m);
    Symbolic_string_ agreed = ~target + inverted;
    if (reflected) {
      agreed.get_reflected_norm(x.evaluation_depth);
    } else {
      agreed.get_norm(x.evaluation_depth);
    }
    sum += agreed.norm;
  }
  return sum / (static_cast<double>(repetitions) + 0.0);
}

TEST(SelgrimXScoringTest, ErrorEqualsTheOperatorChainBitForBit) {
  // Binary and ternary data, one target with a symbol gap (alphabet 2 but
  // symbols 0 and 2): the buffers, tables and generators of the scoring
  // must give exactly what the operators give.
  std::mt19937 gen(99);
  auto stream = [&gen](std::size_t n, std::uint32_t k, std::uint32_t step) {
    std::vector<symbol> s(n);
    for (symbol& x : s) x = static_cast<std::uint32_t>(gen() % k) * step;
    return s;
  };
  const std::vector<symbol> src3 = stream(3000, 3, 1);
  struct Case {
    std::string name;
    std::vector<symbol> src;
    std::vector<symbol> tgt;
  };
  Case kCases[] = {
      {"binary copy", coin_flips(3000, 4), one_step_later(coin_flips(3000, 4))},
      {"ternary", src3, one_step_later(src3)},
      {"binary source, ternary target", coin_flips(3000, 8),
       stream(3000, 3, 1)},
      {"target with a gap", coin_flips(3000, 9), stream(3000, 2, 2)},
  };
  for (Case& c : kCases) {
    gParam params = quick(3);
    params.EPS_MAX_ = 0.05;
    params.EPS_STEP_ = 0.02;
    selgrim_x x(Symbolic_string_(c.src), Symbolic_string_(c.tgt), params,
                Stage::kPit);
    ASSERT_FALSE(x.aut_list.empty()) << c.name;
    for (std::size_t k = 0; k < x.aut_list.size(); ++k) {
      for (const bool reflected : {true, false}) {
        const auto candidate = static_cast<std::uint32_t>(k);
        LoggedSeeds want_seeds;
        LoggedSeeds got_seeds;
        double want = 0.0;
        double got = 0.0;
        {
          ScopedSeedSource scope(&want_seeds);
          want = error_by_operators(x, x.aut_list[k], x.pit_list[k], candidate,
                                    3, reflected);
        }
        {
          ScopedSeedSource scope(&got_seeds);
          got = x.annihilation_error(x.aut_list[k], x.pit_list[k], candidate, 3,
                                     reflected);
        }
        EXPECT_EQ(0, std::memcmp(&want, &got, sizeof want))
            << c.name << " candidate " << k << " reflected " << reflected
            << ": " << want << " vs " << got;
        EXPECT_EQ(want_seeds.log, got_seeds.log) << c.name;
      }
    }
  }
}

}  // namespace
