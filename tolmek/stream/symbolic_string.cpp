#include "tolmek/stream/symbolic_string.h"

#include <set>

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
