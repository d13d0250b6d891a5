#include "tolmek/infer/mk_stochastic.h"

std::vector<double> mk_stochastic(std::map<symbol, unsigned int>& counts) {
  std::vector<double> p;
  if (counts.empty()) return p;
  float total = 0.0f;
  for (const auto& [s, c] : counts) {
    total += static_cast<float>(c);
    while (p.size() <= s.value) p.push_back(0.0);
  }
  if (total > 0.0f) {
    const float reciprocal = 1.0f / total;
    for (const auto& [s, c] : counts)
      p[s.value] = static_cast<double>(static_cast<float>(c) * reciprocal);
  }
  return p;
}
