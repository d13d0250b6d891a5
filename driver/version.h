// The command's version text: a title line and further lines.

#ifndef DRIVER_VERSION_H_
#define DRIVER_VERSION_H_

#include <ostream>
#include <string>
#include <vector>

struct _VERSION_ {
  std::string title;
  std::vector<std::string> lines;
};

// The title, a newline, then each further line followed by a newline and a
// flush.
std::ostream& operator<<(std::ostream& os, const _VERSION_& v);

// "Quorvane v1.7" with no further lines.
_VERSION_ quorvane_version();

#endif  // DRIVER_VERSION_H_
