#include "tolmek/infer/mk_stochastic.h"

std::vector<double> mk_stochastic(std::map<symbol, unsigned>& counts) {
  std::vector<double> p;
  if (counts.empty()) return p;
  // The map is ordered, so its last key is the largest symbol number.
  p.assign(static_cast<std::size_t>(counts.rbegin()->first.value) + 1, 0.0);
  float total = 0.0f;
  for (const auto& [s, c] : counts) total += static_cast<float>(c);
  if (total > 0.0f) {
    const float reciprocal = 1.0f / total;
    for (const auto& [s, c] : counts) {
      const float product = static_cast<float>(c) * reciprocal;
      p[s.value] = static_cast<double>(product);
    }
  }
  return p;
}
