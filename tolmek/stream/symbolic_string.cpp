#include "tolmek/stream/symbolic_string.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <utility>

#include <gsl/gsl_rng.h>

Symbolic_string_::Symbolic_string_(std::vector<symbol>& s, unsigned int k)
    : seq(s), alphabet_size(k) {}

Symbolic_string_::Symbolic_string_(std::vector<symbol>& s) : seq(s) {
  std::set<symbol> distinct(s.begin(), s.end());
  alphabet_size = static_cast<unsigned int>(distinct.size());
}

Symbolic_string_::Symbolic_string_(Symbolic_string_ const& other)
    : seq(other.seq), alphabet_size(other.alphabet_size) {}

Symbolic_string_& Symbolic_string_::operator=(Symbolic_string_ const& other) {
  if (this == &other) return *this;
  seq = other.seq;
  sync = other.sync;
  alphabet_size = other.alphabet_size;
  partition = other.partition;
  Phi = other.Phi;
  Datapin = other.Datapin;
  norm = other.norm;
  return *this;
}

namespace {

// A stream of `s` with alphabet size k, built without copying the symbols.
Symbolic_string_ make_stream(std::vector<symbol>&& s, unsigned int k) {
  std::vector<symbol> none;
  Symbolic_string_ out(none, k);
  out.seq = std::move(s);
  return out;
}

// Keeps seq[i] exactly when the i-th draw of a uniform integer in 0..k-1
// equals it. The generator of operation `op` is set up even for an empty
// stream so that a reproducible run sets up the same generators whatever
// the data. With k = 0 no symbol can survive and nothing is drawn (GSL
// rejects a range of 0).
std::vector<symbol> select_at_random(const std::vector<symbol>& seq,
                                     unsigned int k, std::uint32_t op) {
  std::unique_ptr<gsl_rng, GeneratorDeleter> r(make_generator(op));
  std::vector<symbol> kept;
  if (k == 0) return kept;
  kept.reserve(seq.size() / k + 1);
  for (const symbol s : seq) {
    if (gsl_rng_uniform_int(r.get(), k) == s.value) kept.push_back(s);
  }
  return kept;
}

}  // namespace

std::vector<symbol>& Symbolic_string_::inc(std::vector<symbol>& w) {
  // The trailing symbols at k-1 or above carry; the one before them (if any)
  // goes up by one and the carried ones restart at 0. When every symbol
  // carries, the word grows by one and is all zeros.
  std::size_t n = w.size();
  while (n > 0 && !(w[n - 1].value < alphabet_size - 1)) --n;
  if (n == 0) {
    w.assign(w.size() + 1, symbol(0));
    return w;
  }
  ++w[n - 1].value;
  std::fill(w.begin() + static_cast<std::ptrdiff_t>(n), w.end(), symbol(0));
  return w;
}

Symbolic_string_ Symbolic_string_::operator~() {
  return make_stream(select_at_random(seq, alphabet_size, kTargetSelection),
                     alphabet_size);
}

Symbolic_string_ Symbolic_string_::operator+(Symbolic_string_ const& other) {
  const std::size_t n = std::min(seq.size(), other.seq.size());
  std::vector<symbol> agreed;
  for (std::size_t i = 0; i < n; ++i) {
    if (seq[i] == other.seq[i]) agreed.push_back(seq[i]);
  }
  return make_stream(std::move(agreed), alphabet_size);
}

Symbolic_string_ Symbolic_string_::operator!() {
  const unsigned int k = alphabet_size;
  if (k == 0) return make_stream({}, 0);
  // One symbol has no copy to exclude it: every position yields 0.
  if (k == 1) return make_stream(std::vector<symbol>(seq.size()), 1);

  std::vector<std::vector<symbol>> copies;
  copies.reserve(k - 1);
  for (unsigned int i = 0; i + 1 < k; ++i) {
    copies.push_back(select_at_random(seq, k, kInversionSelection + i));
  }
  std::uint32_t shortest = static_cast<std::uint32_t>(copies[0].size());
  for (const auto& c : copies) {
    shortest = std::min(shortest, static_cast<std::uint32_t>(c.size()));
  }

  // seen[v] == i + 1 marks symbol v as shown at position i, so the marks
  // need no clearing between positions. The copies hold only symbols below
  // k, so when k - 1 distinct ones are shown the missing one is the
  // difference between 0 + 1 + ... + (k-1) and their sum.
  std::vector<std::uint64_t> seen(k, 0);
  const std::uint64_t all = static_cast<std::uint64_t>(k) * (k - 1) / 2;
  std::vector<symbol> out;
  for (std::uint32_t i = 0; i < shortest; ++i) {
    unsigned int distinct = 0;
    std::uint64_t sum = 0;
    for (const auto& c : copies) {
      const std::uint32_t v = c[i].value;
      if (seen[v] != std::uint64_t{i} + 1) {
        seen[v] = std::uint64_t{i} + 1;
        ++distinct;
        sum += v;
      }
    }
    if (distinct == k - 1)
      out.push_back(symbol(static_cast<std::uint32_t>(all - sum)));
  }
  return make_stream(std::move(out), k);
}

std::ostream& operator<<(std::ostream& os, Symbolic_string_ s) {
  os << std::hex;
  for (const symbol c : s.seq) os << c.value << ' ';
  return os;
}

std::ostream& operator<<(std::ostream& os, std::vector<symbol>& w) {
  for (const symbol c : w) os << c.value << ' ';
  return os;
}
