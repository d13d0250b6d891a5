#include "tolmek/stream/symbolic_string.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <memory>
#include <set>
#include <utility>

#include "tolmek/stream/selection.h"

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

}  // namespace

std::vector<symbol>& next_word(std::vector<symbol>& w, unsigned int k) {
  // The trailing symbols at k-1 or above carry; the one before them (if any)
  // goes up by one and the carried ones restart at 0. When every symbol
  // carries, the word grows by one and is all zeros.
  std::size_t n = w.size();
  while (n > 0 && !(w[n - 1].value < k - 1)) --n;
  if (n == 0) {
    w.assign(w.size() + 1, symbol(0));
    return w;
  }
  ++w[n - 1].value;
  std::fill(w.begin() + static_cast<std::ptrdiff_t>(n), w.end(), symbol(0));
  return w;
}

std::vector<symbol>& Symbolic_string_::inc(std::vector<symbol>& w) {
  return next_word(w, alphabet_size);
}

Symbolic_string_ Symbolic_string_::operator~() {
  std::vector<symbol> kept;
  random_selection(seq, alphabet_size, kTargetSelection, kept);
  return make_stream(std::move(kept), alphabet_size);
}

Symbolic_string_ Symbolic_string_::operator+(Symbolic_string_ const& other) {
  std::vector<symbol> agreed;
  agreement(seq, other.seq, agreed);
  return make_stream(std::move(agreed), alphabet_size);
}

Symbolic_string_ Symbolic_string_::operator!() {
  std::vector<std::vector<symbol>> copies;
  std::vector<symbol> out;
  inversion(seq, alphabet_size, copies, out);
  return make_stream(std::move(out), alphabet_size);
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
