#include "driver/version.h"

std::ostream& operator<<(std::ostream& os, const _VERSION_& v) {
  os << v.title << '\n';
  for (const auto& line : v.lines) os << line << std::endl;
  return os;
}

_VERSION_ quorvane_version() { return _VERSION_{"Quorvane v1.7", {}}; }
