#include "tolmek/infer/selgrim.h"

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

using Word = std::vector<symbol>;
using Transitions = std::map<int, std::map<symbol, int>>;
using Stage = selgrim_x::Stage;

std::vector<symbol> syms(std::initializer_list<unsigned int> values) {
  return std::vector<symbol>(values.begin(), values.end());
}

std::string show(const Word& w) {
  std::string text = "(";
  for (const symbol s : w) text += std::to_string(s.value) + " ";
  return text + ")";
}

// An inference carried up to `stage` over the two streams.
selgrim_x run_to(std::vector<symbol> src, unsigned int src_k,
                 std::vector<symbol> tgt, unsigned int tgt_k,
                 const gParam& params, Stage stage) {
  return selgrim_x(Symbolic_string_(src, src_k), Symbolic_string_(tgt, tgt_k),
                   params, stage);
}

// A source of `length` fair binary symbols from a fixed generator.
std::vector<symbol> coin_flips(std::size_t length, unsigned int seed) {
  std::mt19937 gen(seed);
  std::vector<symbol> s(length);
  for (symbol& x : s) x = static_cast<std::uint32_t>(gen() & 1u);
  return s;
}

// Every word of length 0..max_length over 0..k-1.
std::vector<Word> all_words(unsigned int k, std::size_t max_length) {
  std::vector<Word> words{Word()};
  for (std::size_t at = 0; at < words.size(); ++at) {
    if (words[at].size() == max_length) continue;
    for (unsigned int s = 0; s < k; ++s) {
      Word w = words[at];
      w.push_back(s);
      words.push_back(w);
    }
  }
  return words;
}

}  // namespace

TEST(SelgrimTest, IncEnumeratesWordsShortestFirst) {
  selgrim_x x = run_to({}, 2, {}, 2, gParam(), Stage::kMembers);
  Word w;
  const Word kWant[] = {syms({0}),      syms({1}),    syms({0, 0}),
                        syms({0, 1}),   syms({1, 0}), syms({1, 1}),
                        syms({0, 0, 0})};
  for (const Word& want : kWant) EXPECT_EQ(want, x.inc(w)) << show(want);

  const struct {
    unsigned int k;
    Word from, want;
  } kCases[] = {
      {1, syms({0}), syms({0, 0})},       {1, syms({0, 0}), syms({0, 0, 0})},
      {3, syms({2, 2}), syms({0, 0, 0})}, {3, syms({0, 2}), syms({1, 0})},
      {2, syms({0, 5}), syms({1, 0})},  // a symbol beyond k-1 carries
  };
  for (const auto& c : kCases) {
    x.alphabet_size = c.k;
    Word w = c.from;
    EXPECT_EQ(c.want, x.inc(w)) << show(c.from) << " k=" << c.k;
    EXPECT_EQ(c.want, w) << "advanced in place";
  }
}

TEST(SelgrimTest, CrossedCountsMatchBruteForce) {
  const struct {
    std::size_t src_len, tgt_len;
    unsigned int src_k, tgt_k;
  } kCases[] = {{60, 60, 2, 2}, {70, 40, 3, 2}, {30, 55, 2, 3},
                {1, 1, 2, 2},   {0, 10, 2, 2},  {10, 0, 2, 2}};
  std::mt19937 gen(11);
  for (const auto& c : kCases) {
    std::vector<symbol> src(c.src_len), tgt(c.tgt_len);
    for (symbol& s : src) s = static_cast<std::uint32_t>(gen() % c.src_k);
    for (symbol& s : tgt) s = static_cast<std::uint32_t>(gen() % c.tgt_k);
    selgrim_x x = run_to(src, c.src_k, tgt, c.tgt_k, gParam(), Stage::kMembers);
    const std::size_t n = std::min(c.src_len, c.tgt_len);
    std::set<symbol> seen_targets(tgt.begin(), tgt.begin() + n);

    // Longest words first, so that each count starts from an uncounted
    // prefix chain.
    std::vector<Word> words = all_words(c.src_k, 3);
    std::reverse(words.begin(), words.end());
    for (const Word& w : words) {
      x.getPhi(w);
      std::map<symbol, unsigned int> counts;
      for (const symbol y : seen_targets) counts[y] = 0;
      std::map<symbol, std::vector<unsigned int>> positions;
      const std::size_t len = w.size();
      for (std::size_t a = 0; a + len < n; ++a) {
        if (!std::equal(w.begin(), w.end(), src.begin() + a)) continue;
        ++counts[tgt[a + len]];
        positions[src[a + len]].push_back(static_cast<unsigned int>(a));
      }
      const std::string where = show(w) + " lengths " +
                                std::to_string(c.src_len) + "/" +
                                std::to_string(c.tgt_len);
      EXPECT_EQ(counts, x.Phi[w]) << where;
      // Lookups of a prefix's positions leave empty lists behind.
      std::map<symbol, std::vector<unsigned int>> listed = x.Datapin[w];
      for (auto it = listed.begin(); it != listed.end();)
        it = it->second.empty() ? listed.erase(it) : std::next(it);
      EXPECT_EQ(positions, listed) << where;
    }
  }
}

namespace {

// A target that is 1 right after a 1 in either of the two latest source
// symbols: after the word (1) it is always 1, after (0) it still depends on
// the symbol before.
std::vector<symbol> or_of_last_two(const std::vector<symbol>& src) {
  std::vector<symbol> tgt(src.size(), 0);
  for (std::size_t t = 1; t < src.size(); ++t)
    tgt[t] = src[t - 1].value | (t >= 2 ? src[t - 2].value : 0u);
  return tgt;
}

std::set<Word> counted_words(const selgrim& s) {
  std::set<Word> words;
  for (const auto& entry : s.Phi) words.insert(entry.first);
  return words;
}

}  // namespace

TEST(SelgrimTest, SyncTestsWordsInShortlexOrderWithinBudget) {
  const std::vector<symbol> src = coin_flips(2000, 3);
  const std::vector<symbol> tgt = or_of_last_two(src);
  const struct {
    unsigned int budget;
    Word want;
    std::set<Word> counted;
  } kCases[] = {
      // The empty word and (0) fail; (1) passes.
      {2, Word(), {Word(), syms({0}), syms({1}), syms({0, 0}), syms({1, 0})}},
      {3,
       syms({1}),
       {Word(), syms({0}), syms({1}), syms({0, 0}), syms({1, 0}), syms({0, 1}),
        syms({1, 1})}},
      {4,
       syms({1}),
       {Word(), syms({0}), syms({1}), syms({0, 0}), syms({1, 0}), syms({0, 1}),
        syms({1, 1})}},
      {1, Word(), {Word(), syms({0}), syms({1})}},
  };
  for (const auto& c : kCases) {
    gParam params;
    params.SYN_PREF_LENGTH_ = c.budget;
    selgrim_x x = run_to(src, 2, tgt, 2, params, Stage::kMembers);
    EXPECT_EQ(c.want, x.getSync()) << "budget " << c.budget;
    EXPECT_EQ(c.counted, counted_words(x)) << "budget " << c.budget;
  }
}

TEST(SelgrimTest, SyncOfZeroBudgetCountsNothing) {
  const std::vector<symbol> src = coin_flips(100, 4);
  gParam params;
  params.SYN_PREF_LENGTH_ = 0;
  selgrim_x x = run_to(src, 2, src, 2, params, Stage::kMembers);
  x.getPhi(syms({0, 1}));
  EXPECT_EQ(Word(), x.getSync());
  EXPECT_TRUE(x.Phi.empty()) << "counts made before are erased as well";
}

TEST(SelgrimTest, SyncReturnsNextWordWhenAnExtensionWasNeverSeen) {
  // The symbol 1 occurs only at the very end of the source: the history (1)
  // is never followed by a target symbol.
  const std::vector<symbol> src = syms({0, 0, 0, 0, 0, 1});
  const std::vector<symbol> tgt = syms({0, 1, 1, 1, 1, 1});
  // For the empty word only the extension (0) is compared before the loop
  // is left: (1/6 + 1/6) / (2 * 2) = 1/12 is its mean deviation.
  const struct {
    unsigned int budget;
    double min_dev;
    Word want;
  } kCases[] = {
      {1, 0.001, syms({0})},  // the empty word fails; the flag gives (0)
      {2, 0.001, syms({0})},  // (0) passes: its seen extension agrees
      {1, 0.08, syms({0})},   // 1/12 is above 0.08
      {1, 0.09, Word()},      // and below 0.09: the empty word passes
  };
  for (const auto& c : kCases) {
    gParam params;
    params.SYN_PREF_LENGTH_ = c.budget;
    params.MIN_DEV_SYNC_SEARCH_ = c.min_dev;
    selgrim_x x = run_to(src, 2, tgt, 2, params, Stage::kMembers);
    EXPECT_EQ(c.want, x.getSync())
        << "budget " << c.budget << " threshold " << c.min_dev;
    EXPECT_EQ(c.budget == 2, x.Phi.count(syms({1, 0})) == 1)
        << "budget " << c.budget << " threshold " << c.min_dev;
  }
}

TEST(SelgrimTest, SyncOfDegenerateStreamsIsEmpty) {
  const struct {
    const char* name;
    std::vector<symbol> src;
    unsigned int src_k;
    std::vector<symbol> tgt;
    unsigned int tgt_k;
  } kCases[] = {
      {"empty source", {}, 2, syms({0, 1, 1}), 2},
      {"empty target", syms({0, 1, 1}), 2, {}, 2},
      // Vectors of one entry compared over two symbols.
      {"constant target", coin_flips(50, 5), 2, std::vector<symbol>(50, 0), 1},
      {"empty alphabet", {}, 0, {}, 0},
  };
  for (const auto& c : kCases) {
    selgrim_x x =
        run_to(c.src, c.src_k, c.tgt, c.tgt_k, gParam(), Stage::kMembers);
    EXPECT_EQ(Word(), x.getSync()) << c.name;
  }
}

TEST(SelgrimTest, DistributionComparatorIgnoresDifferencesWithinThreshold) {
  const struct {
    double eps;
    std::vector<double> a, b;
    bool before;
  } kCases[] = {
      {0.1, {0.5, 0.5}, {0.48, 0.52}, false},  // within: neither comes first
      {0.1, {0.48, 0.52}, {0.5, 0.5}, false},
      {0.25, {0.375, 0.625}, {0.5, 0.5}, false},  // exactly at the threshold
      {0.1, {0.3, 0.7}, {0.5, 0.5}, true},        // beyond: lexicographic
      {0.1, {0.5, 0.5}, {0.3, 0.7}, false},
      {0.1, {0.2, 0.8}, {0.2, 0.8, 0.5}, false},  // b's extra entries not read
      {0.1, {}, {}, false},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(c.before, eps_compare_(c.eps)(c.a, c.b))
        << c.a.size() << " entries, a[0]=" << (c.a.empty() ? -1 : c.a[0]);
}

TEST(SelgrimTest, PassBuildsStatesFromSyncWordForward) {
  // A periodic source 0 1 0 1 ... and its copy one step later: after the
  // synchronizing word (0) the target is 0; (0 0) never occurs.
  std::vector<symbol> src, tgt;
  for (int i = 0; i < 8; ++i) src.push_back(static_cast<std::uint32_t>(i % 2));
  tgt.push_back(1);
  tgt.insert(tgt.end(), src.begin(), src.end() - 1);
  selgrim_x x = run_to(src, 2, tgt, 2, gParam(), Stage::kSync);
  ASSERT_EQ(syms({0}), x.sync);
  const Transitions want = {{0, {{0, -1}, {1, 1}}}, {1, {{0, 0}, {1, -1}}}};
  EXPECT_EQ(want, x.construct(0.01));
  // Strongly connected as a whole: the candidate keeps its -1 entries.
  EXPECT_EQ(std::vector<Transitions>{want}, x.getComponent(want));
}

TEST(SelgrimTest, PassTakesTheOrderedMapsStateWhenTwoAreWithinThreshold) {
  // States (0.5, 0.5) and then (0.4, 0.6) are 0.2 apart; (0.45, 0.55) lies
  // within 0.15 of both. The map's lower bound finds the second state.
  selgrim_x x = run_to({}, 3, {}, 2, gParam(), Stage::kMembers);
  x.Phi[Word()] = {{0, 1}, {1, 1}};
  x.Phi[syms({0})] = {{0, 2}, {1, 3}};
  x.Phi[syms({1})] = {{0, 9}, {1, 11}};
  const Transitions want = {{0, {{0, 1}, {1, 1}, {2, -1}}},
                            {1, {{0, -1}, {1, -1}, {2, -1}}}};
  EXPECT_EQ(want, x.construct(0.15));
}

TEST(SelgrimTest, ComponentsFollowTheirFinishingOrder) {
  selgrim_x x = run_to({}, 2, {}, 2, gParam(), Stage::kMembers);
  const struct {
    const char* name;
    Transitions map;
    std::vector<Transitions> want;
  } kCases[] = {
      {"empty map", {}, {}},
      {"two parts: {2, 3} finishes first",
       {{0, {{0, 1}, {1, 1}}},
        {1, {{0, 0}, {1, 2}}},
        {2, {{0, 3}, {1, 2}}},
        {3, {{0, 2}, {1, 2}}}},
       {{{0, {{0, 1}, {1, 0}}}, {1, {{0, 0}, {1, 0}}}},
        {{0, {{0, 1}, {1, 1}}}, {1, {{0, 0}, {1, 0}}}}}},
      {"single-state parts give one looping state",
       {{0, {{0, 1}, {1, 1}}}, {1, {{0, 1}, {1, 1}}}},
       {{{0, {{0, 0}, {1, 0}}}}}},
      {"parts of two, one and two states",
       {{0, {{0, 1}, {1, 2}}},
        {1, {{0, 0}, {1, 1}}},
        {2, {{0, 3}, {1, 2}}},
        {3, {{0, 4}, {1, 3}}},
        {4, {{0, 3}, {1, -1}}}},
       {{{0, {{0, 1}, {1, 0}}}, {1, {{0, 0}, {1, 0}}}},
        {{0, {{0, 1}, {1, 0}}}, {1, {{0, 0}, {1, 1}}}},
        {{0, {{0, 0}, {1, 0}}}}}},
      {"one state without transitions",
       {{0, {{0, -1}, {1, -1}}}},
       {{{0, {{0, -1}, {1, -1}}}}}},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(c.want, x.getComponent(c.map)) << c.name;
}

TEST(SelgrimTest, SweepRunsOnePassPerAccumulatedThreshold) {
  // A constant target: every history predicts it equally, so each pass gives
  // the single state that loops on both symbols.
  const std::vector<symbol> src = coin_flips(300, 6);
  const std::vector<symbol> tgt(300, 0);
  const Transitions loop = {{0, {{0, 0}, {1, 0}}}};
  const struct {
    const char* name;
    double min, max, step;
    std::size_t passes;
  } kCases[] = {
      {"defaults", 0.001, 0.05, 0.001, 49},
      {"single threshold", 0.02, 0.02, 0.001, 1},
      {"empty sweep", 0.03, 0.02, 0.001, 0},
      {"step that does not advance", 0.01, 0.05, 0.0, 1},
  };
  for (const auto& c : kCases) {
    gParam params;
    params.EPS_MIN_ = c.min;
    params.EPS_MAX_ = c.max;
    params.EPS_STEP_ = c.step;
    selgrim_x x = run_to(src, 2, tgt, 1, params, Stage::kAut);
    ASSERT_EQ(c.passes, x.eps_list.size()) << c.name;
    EXPECT_EQ(std::vector<Transitions>(c.passes, loop), x.aut_list) << c.name;
    EXPECT_EQ(c.passes == 0, x.no_model) << c.name;
    double eps = c.min;
    for (std::size_t i = 0; i < c.passes; ++i, eps += c.step)
      EXPECT_EQ(eps, x.eps_list[i]) << c.name << " pass " << i;
  }
}

TEST(SelgrimTest, EmptyAlphabetGivesNoModel) {
  selgrim_x x = run_to({}, 0, {}, 0, gParam(), Stage::kAut);
  EXPECT_TRUE(x.aut_list.empty());
  EXPECT_TRUE(x.no_model);
}
