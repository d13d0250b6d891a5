// Symbols: one small unsigned number per time step of a symbolic stream.
// A word is a std::vector<symbol>, oldest symbol first, ordered
// lexicographically (a proper prefix sorts before its extensions).

#ifndef TOLMEK_STREAM_SYMBOL_H_
#define TOLMEK_STREAM_SYMBOL_H_

#include <cstdint>

struct symbol {
  std::uint32_t value = 0;

  symbol() = default;
  // Implicit on purpose: symbols are built from plain numbers everywhere.
  symbol(std::uint32_t v) : value(v) {}  // NOLINT(runtime/explicit)

  friend bool operator==(symbol a, symbol b) { return a.value == b.value; }
  friend bool operator!=(symbol a, symbol b) { return a.value != b.value; }
  friend bool operator<(symbol a, symbol b) { return a.value < b.value; }
  friend bool operator>(symbol a, symbol b) { return a.value > b.value; }
  friend bool operator<=(symbol a, symbol b) { return a.value <= b.value; }
  friend bool operator>=(symbol a, symbol b) { return a.value >= b.value; }
};

#endif  // TOLMEK_STREAM_SYMBOL_H_
