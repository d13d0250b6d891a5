#include "tolmek/model/record.h"

#include <string>

// Integers go through std::to_string so that they stay decimal even when a
// previous write (the path printer) left the stream in hexadecimal mode.
std::ostream& operator<<(std::ostream& os, RECORD__& r) {
  os << std::to_string(r.src) << ' ' << std::to_string(r.tgt) << ' '
     << std::to_string(r.delay) << ' ' << r.gamma << ' ' << r.mrgeps << ' '
     << r.annerr << ' ' << std::to_string(r.pfsa.aut.size()) << ' ';
  return os;
}
