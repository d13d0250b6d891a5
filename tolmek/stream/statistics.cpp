// Counting what follows each word of a stream, and the stream's deviation
// from the memoryless uniform process.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tolmek/infer/mk_stochastic.h"
#include "tolmek/stream/norm_table.h"
#include "tolmek/stream/symbolic_string.h"

namespace {

// Each symbol c becomes c + 1, or 0 when c + 1 equals k (32-bit sum).
std::vector<symbol> reflect(const std::vector<symbol>& w, unsigned int k) {
  std::vector<symbol> r;
  r.reserve(w.size());
  for (const symbol c : w) {
    const std::uint32_t up = c.value + 1u;
    r.push_back(symbol(up == k ? 0u : up));
  }
  return r;
}

// Largest |1/k - p[i]| over i = 0..k-1; entries beyond the end of p are 0.
double largest_deviation(const std::vector<double>& p, unsigned int k) {
  return norm_detail::largest_deviation(p.data(), p.size(), k);
}

// A word's deviation weighted by k^(-2|x|): short words dominate.
double weighted(double m, std::size_t length, unsigned int k) {
  return m / norm_detail::weight(length, k);
}

using norm_detail::final_factor;

}  // namespace

void Symbolic_string_::gen_Phi(std::vector<symbol> w) {
  // References into the maps stay valid while other entries are inserted.
  std::map<symbol, unsigned int>& counts = Phi[w];
  if (!counts.empty()) return;

  if (w.empty()) {
    auto& positions = Datapin[w];
    for (std::uint32_t a = 0; a < seq.size(); ++a) {
      ++counts[seq[a]];
      positions[seq[a]].push_back(a);
    }
    return;
  }

  const std::uint32_t length = static_cast<std::uint32_t>(w.size());
  const symbol last = w.back();
  std::vector<symbol> prefix(w.begin(), w.end() - 1);
  if (Phi[prefix].empty()) gen_Phi(prefix);

  // The occurrences of w are those of its prefix followed by its last
  // symbol; each is extended by the symbol after it, if the stream has one.
  const std::vector<unsigned int>& starts = Datapin[prefix][last];
  auto& positions = Datapin[w];
  for (const unsigned int a : starts) {
    const std::uint32_t next = length + a;
    if (next < seq.size()) {
      ++counts[seq[next]];
      positions[seq[next]].push_back(a);
    }
  }
  // Symbols seen after the prefix but never after w still get a zero count,
  // so every counted word of a stream has the same symbols.
  for (const auto& entry : Phi[prefix]) counts.emplace(entry.first, 0u);
}

namespace {

// Counts every word of length d (and so all shorter ones, as prefixes).
void count_words(Symbolic_string_& s, unsigned int d) {
  std::vector<symbol> w(d, symbol(0));
  while (w.size() == d) {
    s.gen_Phi(w);
    s.inc(w);
  }
}

}  // namespace

void Symbolic_string_::get_norm(unsigned int d) {
  const unsigned int k = alphabet_size;
  // Words over an empty alphabet never run out; such a stream has no
  // deviation to measure.
  if (k == 0) {
    norm = 0.0;
    return;
  }
  count_words(*this, d);
  norm = 0.0;
  for (auto& [word, counts] : Phi) {
    std::vector<double> p = mk_stochastic(counts);
    if (p.empty()) p.assign(k, 1.0 / (k + 0.0));
    norm += weighted(largest_deviation(p, k), word.size(), k);
  }
  norm *= final_factor(k);
}

void Symbolic_string_::get_reflected_norm(unsigned int d) {
  const unsigned int k = alphabet_size;
  if (k == 0) {
    norm = 0.0;
    return;
  }
  count_words(*this, d);

  // In place and in word order: a reflection that sorts before the current
  // word contributes its already merged counts, and entries the lookups add
  // after the current word are visited in their turn (std::map iterators
  // survive insertion).
  std::vector<unsigned int> sums(k);
  for (auto it = Phi.begin(); it != Phi.end(); ++it) {
    std::map<symbol, unsigned int>& own = it->second;
    std::map<symbol, unsigned int>& other = Phi[reflect(it->first, k)];
    for (unsigned int y = 0; y < k; ++y) {
      const unsigned int a = own[y];
      const unsigned int b = other[y];
      sums[y] = a + b;
    }
    // `own` now holds every symbol below k; those above are dropped.
    own.erase(own.lower_bound(symbol(k)), own.end());
    for (unsigned int y = 0; y < k; ++y) own[y] = sums[y];
  }

  norm = 0.0;
  for (auto& [word, counts] : Phi) {
    norm +=
        weighted(largest_deviation(mk_stochastic(counts), k), word.size(), k);
  }
  norm *= final_factor(k);
}
