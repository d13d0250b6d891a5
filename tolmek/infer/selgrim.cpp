#include "tolmek/infer/selgrim.h"

#include <cmath>
#include <cstddef>
#include <iterator>
#include <utility>

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/strong_components.hpp>

#include "tolmek/infer/mk_stochastic.h"

namespace {

// True when some symbol of the entry was counted: an entry that is empty or
// all zeros stands for a word never seen followed by a target symbol.
bool seen(const std::map<symbol, unsigned int>& counts) {
  for (const auto& entry : counts)
    if (entry.second > 0) return true;
  return false;
}

// Entry j of a probability vector; symbols beyond its end have probability 0.
double entry_or_zero(const std::vector<double>& p, std::size_t j) {
  return j < p.size() ? p[j] : 0.0;
}

using TransitionGraph =
    boost::adjacency_list<boost::vecS, boost::vecS, boost::bidirectionalS,
                          boost::no_property,
                          boost::property<boost::edge_weight_t, float>>;

}  // namespace

bool eps_compare_::operator()(const std::vector<double>& a,
                              const std::vector<double>& b) const {
  double d = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i)
    d += std::fabs(a[i] - entry_or_zero(b, i));
  if (d <= eps) return false;
  return a < b;
}

double dist_entropy(const std::vector<double>& v) {
  double h = 0.0;
  for (double x : v)
    if (x > 0.0) h -= x * std::log2(x);
  return h;
}

std::vector<symbol>& selgrim::inc(std::vector<symbol>& w) {
  return next_word(w, alphabet_size);
}

std::vector<symbol> selgrim::getSync() {
  Phi.clear();
  if (syn_pref_length == 0) return {};
  const unsigned int k = alphabet_size;
  std::vector<symbol> w;
  bool unseen_extension = false;
  for (unsigned int i = 1;; ++i) {
    getPhi(w);
    const std::vector<double> p = mk_stochastic(Phi[w]);
    double sum = 0.0;
    for (unsigned int s = 0; s < k; ++s) {
      std::vector<symbol> v;
      v.reserve(w.size() + 1);
      v.push_back(s);
      v.insert(v.end(), w.begin(), w.end());
      getPhi(v);
      std::vector<double> q;
      if (!seen(Phi[v])) {
        // A history one symbol longer was never followed by a target symbol.
        // For short words the test is abandoned with the sum gathered so far;
        // for longer ones the unseen history counts as no deviation.
        if (w.size() <= 1) {
          unseen_extension = true;
          break;
        }
        q = p;
      } else {
        q = mk_stochastic(Phi[v]);
      }
      double deviation = 0.0;
      for (unsigned int j = 0; j < k; ++j)
        deviation += std::fabs(entry_or_zero(p, j) - entry_or_zero(q, j));
      sum += deviation;
    }
    const double mean_deviation = sum / (static_cast<double>(k * k) + 0.0);
    if (min_dev_sync_search >= mean_deviation) return w;
    inc(w);
    if (i >= syn_pref_length)
      return unseen_extension ? w : std::vector<symbol>();
  }
}

void selgrim::getAut() {
  double eps = eps_min;
  if (!(eps_max < eps)) {
    for (;;) {
      std::vector<std::map<int, std::map<symbol, int>>> models =
          getComponent(construct(eps));
      for (auto& m : models) {
        eps_list.push_back(eps);
        aut_list.push_back(std::move(m));
      }
      const double next = eps + eps_step;
      // A step that does not move the threshold up would never end the sweep.
      if (!(next > eps) || !(eps_max >= next)) break;
      eps = next;
    }
  }
  if (aut_list.empty()) no_model = true;
}

std::map<int, std::map<symbol, int>> selgrim::construct(double eps) {
  const unsigned int k = alphabet_size;
  getPhi(sync);
  std::map<std::vector<double>, int, eps_compare_> states{eps_compare_(eps)};
  states.insert({mk_stochastic(Phi[sync]), 0});
  std::map<int, std::vector<symbol>> words;
  words[0] = sync;
  std::map<int, std::map<symbol, int>> transitions;
  int n = 1;
  for (int i = 0; i < n; ++i) {
    for (unsigned int s = 0; s < k; ++s) {
      std::vector<symbol> w = words[i];
      w.push_back(s);
      getPhi(w);
      if (!seen(Phi[w])) {
        transitions[i][s] = -1;
        continue;
      }
      std::vector<double> q = mk_stochastic(Phi[w]);
      // The map's own lookup decides which state q falls into: with this
      // comparator a different search (first match, linear scan) finds other
      // states.
      auto at = states.lower_bound(q);
      if (at != states.end() && !states.key_comp()(q, at->first)) {
        transitions[i][s] = at->second;
        continue;
      }
      transitions[i][s] = n;
      // The hinted insertion may still meet a key it counts as equivalent
      // and keep it; that entry then stands for the new state.
      auto inserted = states.insert(at, {std::move(q), n});
      inserted->second = n;
      words[n] = std::move(w);
      ++n;
    }
  }
  return transitions;
}

std::vector<std::map<int, std::map<symbol, int>>> selgrim::getComponent(
    std::map<int, std::map<symbol, int>> m) {
  using Models = std::vector<std::map<int, std::map<symbol, int>>>;
  const unsigned int k = alphabet_size;
  const std::size_t n = m.size();
  TransitionGraph graph(n);
  for (auto& [state, next] : m) {
    for (unsigned int s = 0; s < k; ++s) {
      const int t = next[s];
      if (t == -1) continue;
      // Maps made by construct() only name states 0..n-1; an edge to any
      // other vertex would grow the graph.
      if (state < 0 || static_cast<std::size_t>(state) >= n || t < 0 ||
          static_cast<std::size_t>(t) >= n)
        continue;
      boost::add_edge(static_cast<std::size_t>(state),
                      static_cast<std::size_t>(t), static_cast<float>(s),
                      graph);
    }
  }
  std::vector<int> component(n);
  const int count =
      n == 0 ? 0
             : static_cast<int>(boost::strong_components(
                   graph, boost::make_iterator_property_map(
                              component.begin(),
                              boost::get(boost::vertex_index, graph))));
  if (count == 0) return {};
  if (count == 1) return Models{std::move(m)};

  std::vector<std::vector<int>> groups(static_cast<std::size_t>(count));
  for (std::size_t v = 0; v < n; ++v)
    groups[static_cast<std::size_t>(component[v])].push_back(
        static_cast<int>(v));
  Models models;
  bool single_state_part = false;
  for (const std::vector<int>& members : groups) {
    if (members.size() == 1) {
      single_state_part = true;
      continue;
    }
    std::map<int, int> local;
    for (std::size_t j = 0; j < members.size(); ++j)
      local[members[j]] = static_cast<int>(j);
    std::map<int, std::map<symbol, int>> part;
    for (std::size_t j = 0; j < members.size(); ++j) {
      std::map<symbol, int>& row = part[static_cast<int>(j)];
      for (unsigned int s = 0; s < k; ++s) {
        const int t = m[members[j]][s];
        const auto inside = local.find(t);
        row[s] = inside == local.end() ? 0 : inside->second;
      }
    }
    models.push_back(std::move(part));
  }
  if (single_state_part) {
    std::map<int, std::map<symbol, int>> loop;
    std::map<symbol, int>& row = loop[0];
    for (unsigned int s = 0; s < k; ++s) row[s] = 0;
    models.push_back(std::move(loop));
  }
  return models;
}
