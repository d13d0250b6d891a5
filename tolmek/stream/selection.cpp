#include "tolmek/stream/selection.h"

#include <algorithm>
#include <cassert>
#include <memory>

#include <gsl/gsl_rng.h>

#include "tolmek/stream/random_source.h"

void random_selection(const std::vector<symbol>& seq, unsigned int k,
                      std::uint32_t op, std::vector<symbol>& kept) {
  // Set up even when nothing is drawn, so that a reproducible run sets up
  // the same generators whatever the data.
  std::unique_ptr<gsl_rng, GeneratorDeleter> r(make_generator(op));
  // GSL rejects a range of 0; no symbol could survive it anyway.
  if (k == 0) {
    kept.clear();
    return;
  }
  // Every symbol is written and the end moves past it only when kept: a
  // draw that matches half the time would defeat branch prediction.
  if (kept.size() < seq.size()) kept.resize(seq.size());
  symbol* end = kept.data();
  gsl_rng* g = r.get();
  for (const symbol s : seq) {
    *end = s;
    end += gsl_rng_uniform_int(g, k) == s.value ? 1 : 0;
  }
  kept.resize(static_cast<std::size_t>(end - kept.data()));
}

void inversion(const std::vector<symbol>& seq, unsigned int k,
               std::vector<std::vector<symbol>>& copies,
               std::vector<symbol>& out) {
  out.clear();
  if (k == 0) return;
  // One symbol has no copy to exclude it: every position yields 0.
  if (k == 1) {
    out.assign(seq.size(), symbol(0));
    return;
  }
  if (copies.size() < k - 1) copies.resize(k - 1);
  for (unsigned int i = 0; i + 1 < k; ++i)
    random_selection(seq, k, kInversionSelection + i, copies[i]);
  std::uint32_t shortest = static_cast<std::uint32_t>(copies[0].size());
  for (unsigned int i = 0; i + 1 < k; ++i)
    shortest = std::min(shortest, static_cast<std::uint32_t>(copies[i].size()));
  out.reserve(shortest);

  if (k == 2) {
    // One copy, holding only 0 and 1: each position yields the other one.
    for (std::uint32_t i = 0; i < shortest; ++i)
      out.push_back(symbol(1u - copies[0][i].value));
    return;
  }
  // seen[v] == i + 1 marks symbol v as shown at position i, so the marks
  // need no clearing between positions. The copies hold only symbols below
  // k, so when k - 1 distinct ones are shown the missing one is the
  // difference between 0 + 1 + ... + (k-1) and their sum.
  std::vector<std::uint64_t> seen(k, 0);
  const std::uint64_t all = static_cast<std::uint64_t>(k) * (k - 1) / 2;
  for (std::uint32_t i = 0; i < shortest; ++i) {
    unsigned int distinct = 0;
    std::uint64_t sum = 0;
    for (unsigned int c = 0; c + 1 < k; ++c) {
      const std::uint32_t v = copies[c][i].value;
      assert(v < k && "a selection keeps only symbols equal to a draw");
      if (seen[v] != std::uint64_t{i} + 1) {
        seen[v] = std::uint64_t{i} + 1;
        ++distinct;
        sum += v;
      }
    }
    if (distinct == k - 1)
      out.push_back(symbol(static_cast<std::uint32_t>(all - sum)));
  }
}

void agreement(const std::vector<symbol>& a, const std::vector<symbol>& b,
               std::vector<symbol>& out) {
  const std::size_t n = std::min(a.size(), b.size());
  if (out.size() < n) out.resize(n);
  symbol* end = out.data();
  for (std::size_t i = 0; i < n; ++i) {
    *end = a[i];
    end += a[i] == b[i] ? 1 : 0;
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
}
