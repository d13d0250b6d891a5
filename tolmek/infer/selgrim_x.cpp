// The deterministic steps of the crossed inference: counting, synchronizing
// word and candidates through the base, emission maps, the target entropy
// and the state occupation. The scoring, which draws generated streams, is
// in selgrim_x_scoring.cpp.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <iostream>
#include <limits>
#include <utility>

#include "tolmek/infer/mk_stochastic.h"
#include "tolmek/infer/selgrim.h"
#include "tolmek/stream/random_source.h"

namespace {

using Counts = std::map<symbol, unsigned int>;

// Transitions of a candidate as a flat table over the symbols of one
// sequence, falling back to the map (and filling the table from it) for a
// transition the map lacks, so that the map gains exactly the entries the
// subscript lookups would insert.
class TransitionTable {
 public:
  TransitionTable(const std::map<int, std::map<symbol, int>>& a,
                  const std::vector<symbol>& seq) {
    for (const symbol x : seq)
      width_ = std::max<std::size_t>(width_, std::size_t{x.value} + 1);
    if (a.empty() || a.begin()->first != 0 ||
        a.rbegin()->first != static_cast<int>(a.size()) - 1 ||
        width_ > kMaxWidth) {
      width_ = 0;  // every lookup goes through the map
      return;
    }
    next_.assign(a.size() * width_, kMissing);
    for (const auto& [state, row] : a)
      for (const auto& [x, t] : row)
        if (x.value < width_)
          next_[static_cast<std::size_t>(state) * width_ + x.value] = t;
  }

  // False when the states are not 0..n-1 (every lookup then goes through
  // the map).
  bool dense() const { return width_ > 0; }

  int next(std::map<int, std::map<symbol, int>>& a, int state, symbol x) {
    if (x.value >= width_) return a[state][x];
    int& t = next_[static_cast<std::size_t>(state) * width_ + x.value];
    if (t == kMissing) t = a[state][x];
    return t;
  }

 private:
  static constexpr int kMissing = std::numeric_limits<int>::min();
  static constexpr std::size_t kMaxWidth = 1u << 16;
  std::size_t width_ = 0;
  std::vector<int> next_;
};

// count_walk over a dense candidate: the table's lookups, and the counts
// of state s in row s of `count` (a column per target symbol) with
// `reached` marking the states counted at least once.
void count_walk_dense(TransitionTable& table,
                      std::map<int, std::map<symbol, int>>& m,
                      const std::vector<symbol>& src,
                      const std::vector<symbol>& tgt, int start,
                      std::size_t width, std::vector<unsigned int>& count,
                      std::vector<char>& reached) {
  int state = start;
  std::size_t j = 0;
  for (const symbol x : src) {
    const int t = table.next(m, state, x);
    if (t >= 0) {
      if (j >= tgt.size()) break;
      const auto s = static_cast<std::size_t>(state);
      ++count[s * width + tgt[j].value];
      reached[s] = 1;
      ++j;
      state = t;
    }
    if (j >= tgt.size()) break;
  }
}

// One walk of candidate `m` along the source from `start`: at each defined
// transition the target symbol at the walk's own position is counted for the
// state being left. A -1 transition skips the source symbol without using a
// target symbol. Ends with the source or when the target is used up.
void count_walk(std::map<int, std::map<symbol, int>>& m,
                const std::vector<symbol>& src, const std::vector<symbol>& tgt,
                int start, std::map<int, Counts>& count) {
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
}

}  // namespace

selgrim_x::selgrim_x(Symbolic_string_ source, Symbolic_string_ target,
                     gParam params, Stage last)
    : selgrim() {
  min_dev_sync_search = params.MIN_DEV_SYNC_SEARCH_;
  loop_count_sync_search = params.LOOP_COUNT_SYNC_SEARCH_;
  syn_pref_length = params.SYN_PREF_LENGTH_;
  eps_min = params.EPS_MIN_;
  eps_max = params.EPS_MAX_;
  eps_step = params.EPS_STEP_;
  ann_test_len = params.ANN_TEST_LEN_;
  col_print = params.COL_PRINT;
  evaluation_depth = params.EVALUATION_DEPTH;
  annerr = 1000000.0;
  best_score = 1000000.0;
  mrgeps = 0.0;
  no_model = false;
  use_gamma = params.USE_GAMMA;
  gamma = 0.0;

  src_alphabet_size = source.alphabet_size;
  tgt_alphabet_size = target.alphabet_size;
  src_seq = std::move(source.seq);
  tgt_seq = std::move(target.seq);
  common_length = std::min<std::uint64_t>(src_seq.size(), tgt_seq.size());
  alphabet_size = src_alphabet_size;
  if (last == Stage::kMembers) return;

  sync = getSync();
  if (last == Stage::kSync) return;
  getAut();
  if (last == Stage::kAut) return;
  getPit();
}

void selgrim_x::getPhi(std::vector<symbol> w) {
  Counts& counts = Phi[w];
  if (!counts.empty()) return;
  const std::uint64_t n = common_length;
  if (w.empty()) {
    for (std::uint64_t a = 0; a < n; ++a) {
      ++counts[tgt_seq[a]];
      Datapin[w][src_seq[a]].push_back(static_cast<unsigned int>(a));
    }
    return;
  }
  const auto length = static_cast<unsigned int>(w.size());
  const symbol x = w.back();
  std::vector<symbol> u(w.begin(), w.end() - 1);
  if (Phi[u].empty()) getPhi(u);  // through the virtual slot
  const std::vector<unsigned int>& starts = Datapin[u][x];
  for (const unsigned int a : starts) {
    const unsigned int next = length + a;  // 32-bit position arithmetic
    if (next < n) {
      ++counts[tgt_seq[next]];
      Datapin[w][src_seq[next]].push_back(a);
    }
  }
  // Every counted word keeps the full set of target symbols, zeros included,
  // so all distributions made from the counts have the same length.
  for (const auto& entry : Phi[u]) counts.emplace(entry.first, 0u);
}

void selgrim_x::getPit() {
  if (no_model) return;
  // Target symbols 0..tgt_width-1 occur among the counted positions.
  std::size_t tgt_width = 0;
  for (const symbol y : tgt_seq)
    tgt_width = std::max<std::size_t>(tgt_width, std::size_t{y.value} + 1);
  constexpr std::size_t kMaxTargetWidth = 1u << 16;
  for (std::map<int, std::map<symbol, int>>& m : aut_list) {
    const std::size_t n = m.size();
    std::map<int, Counts> count;
    // Walk from state 0 and, while some state has no counts, again from the
    // next start state, adding to the same counts.
    TransitionTable table(m, src_seq);
    const bool flat =
        table.dense() && tgt_width <= kMaxTargetWidth &&
        std::all_of(m.begin(), m.end(), [n](const auto& row) {
          return std::all_of(
              row.second.begin(), row.second.end(),
              [n](const auto& e) { return e.second < static_cast<int>(n); });
        });
    std::vector<unsigned int> dense_count(flat ? n * tgt_width : 0, 0u);
    std::vector<char> reached(flat ? n : 0, 0);
    for (int start = 0;; ++start) {
      if (flat) {
        count_walk_dense(table, m, src_seq, tgt_seq, start, tgt_width,
                         dense_count, reached);
        if (std::count(reached.begin(), reached.end(), 1) ==
            static_cast<std::ptrdiff_t>(n))
          break;
      } else {
        count_walk(m, src_seq, tgt_seq, start, count);
        if (count.size() == n) break;
      }
      if (static_cast<std::size_t>(start) + 1 >= n) {
        std::cerr << "EXCEPTION: aut and pit size mismatch" << std::endl;
        break;
      }
    }
    if (flat) {
      // The map the walks would have filled: a symbol is present once
      // counted.
      for (std::size_t st = 0; st < n; ++st) {
        if (!reached[st]) continue;
        Counts& c = count[static_cast<int>(st)];
        for (std::size_t y = 0; y < tgt_width; ++y)
          if (dense_count[st * tgt_width + y] > 0)
            c.emplace_hint(c.end(), static_cast<std::uint32_t>(y),
                           dense_count[st * tgt_width + y]);
      }
    }
    std::map<int, std::vector<double>> pit;
    for (int i = 0; static_cast<std::size_t>(i) < n; ++i) {
      Counts c;
      const auto reached = count.find(i);
      if (reached != count.end()) {
        c = reached->second;
        for (unsigned int y = 0; y < tgt_alphabet_size; ++y) c.emplace(y, 0u);
      } else {
        // A state no walk reached: every target symbol that labels one of
        // its defined transitions is taken as equally likely.
        for (unsigned int y = 0; y < tgt_alphabet_size; ++y)
          c[y] = m[i][y] != -1 ? 1u : 0u;
      }
      pit[i] = mk_stochastic(c);
    }
    pit_list.push_back(std::move(pit));
  }
}

double selgrim_x::target_entropy() const {
  Counts marginal;
  for (unsigned int y = 0; y < tgt_alphabet_size; ++y) marginal[y] = 0;
  for (const symbol y : tgt_seq) ++marginal[y];
  return dist_entropy(mk_stochastic(marginal));
}

std::vector<double> selgrim_x::occupation(
    std::map<int, std::map<symbol, int>>& a, std::uint32_t candidate,
    int repetitions) {
  const std::size_t n = a.size();
  std::vector<double> visits(n, 0.0);
  if (n == 0) return visits;
  // The walks read a flat copy of `a` (rows 0..n-1, a column per source
  // symbol); a transition missing from `a` is looked up through the map,
  // which inserts it with next state 0, on its first use. A walk depends
  // only on its start state, so each start is walked once and its visits
  // reused; visits are counted as integers, whose double sums are exact.
  TransitionTable table(a, src_seq);
  struct Walk {
    std::vector<std::uint64_t> visits;
    int end = 0;
  };
  std::vector<Walk> walks(n);
  std::vector<std::uint64_t> counts(n, 0);
  int state = 0;
  for (int r = 0; r < repetitions; ++r) {
    if (n > 1) {
      // The draw reduced modulo n - 1: the last state never starts a walk.
      set_draw_position(candidate, static_cast<std::uint32_t>(r));
      const auto draw = static_cast<std::uint64_t>(
          static_cast<std::int64_t>(start_draw(kOccupationStart)));
      state = static_cast<int>(draw % static_cast<std::uint64_t>(n - 1));
    }
    Walk& w = walks[static_cast<std::size_t>(state)];
    if (w.visits.empty()) {
      w.visits.assign(n, 0);
      for (const symbol x : src_seq) {
        const auto s = static_cast<std::size_t>(state);
        assert(s < n && "candidate transitions stay among its states");
        ++w.visits[s];
        const int t = table.next(a, state, x);
        state = t < 0 ? 0 : t;
      }
      w.end = state;
    }
    for (std::size_t s = 0; s < n; ++s) counts[s] += w.visits[s];
    state = w.end;
  }
  const auto steps = static_cast<std::uint32_t>(src_seq.size()) *
                     static_cast<std::uint32_t>(repetitions);
  for (std::size_t s = 0; s < n; ++s)
    visits[s] =
        static_cast<double>(counts[s]) / (static_cast<double>(steps) + 0.0);
  return visits;
}

selgrim_x::GammaScore selgrim_x::gamma_score(double error, double h0,
                                             double hc) {
  if (hc > h0) return {error, 0.0};
  if (h0 > 0.0) return {(hc / h0) * error, 1.0 - hc / h0};
  return {error, 0.0};
}
