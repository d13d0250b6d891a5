// The deterministic steps of the crossed inference: counting, synchronizing
// word and candidates through the base, emission maps, the target entropy
// and the state occupation. The scoring, which draws generated streams, is
// in selgrim_x_scoring.cpp.

#include <algorithm>
#include <cstddef>
#include <iostream>
#include <utility>

#include "tolmek/infer/mk_stochastic.h"
#include "tolmek/infer/selgrim.h"
#include "tolmek/stream/random_source.h"

namespace {

using Counts = std::map<symbol, unsigned int>;

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
  for (std::map<int, std::map<symbol, int>>& m : aut_list) {
    const std::size_t n = m.size();
    std::map<int, Counts> count;
    // Walk from state 0 and, while some state has no counts, again from the
    // next start state, adding to the same counts.
    for (int start = 0;; ++start) {
      count_walk(m, src_seq, tgt_seq, start, count);
      if (count.size() == n) break;
      if (static_cast<std::size_t>(start) + 1 >= n) {
        std::cerr << "EXCEPTION: aut and pit size mismatch" << std::endl;
        break;
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
  int state = 0;
  for (int r = 0; r < repetitions; ++r) {
    if (n > 1) {
      // The draw reduced modulo n - 1: the last state never starts a walk.
      set_draw_position(candidate, static_cast<std::uint32_t>(r));
      const auto draw = static_cast<std::uint64_t>(
          static_cast<std::int64_t>(start_draw(kOccupationStart)));
      state = static_cast<int>(draw % static_cast<std::uint64_t>(n - 1));
    }
    for (const symbol x : src_seq) {
      visits[static_cast<std::size_t>(state)] += 1.0;
      const int t = a[state][x];
      state = t < 0 ? 0 : t;
    }
  }
  const auto steps = static_cast<std::uint32_t>(src_seq.size()) *
                     static_cast<std::uint32_t>(repetitions);
  for (double& v : visits) v /= static_cast<double>(steps) + 0.0;
  return visits;
}

selgrim_x::GammaScore selgrim_x::gamma_score(double error, double h0,
                                             double hc) {
  if (hc > h0) return {error, 0.0};
  if (h0 > 0.0) return {(hc / h0) * error, 1.0 - hc / h0};
  return {error, 0.0};
}
