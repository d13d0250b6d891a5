#include "tolmek/model/walk_choice.h"

std::size_t walk_choice(const std::vector<double>& p, std::size_t m, double u) {
  if (m <= 1) return 0;
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < m; ++i) {
    if (i >= p.size()) return m;
    sum += p[i];
    if (sum >= u) return i;
  }
  return m - 1;
}
