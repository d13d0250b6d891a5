// Generating a stream through a probabilistic automaton.

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>

#include "tolmek/model/pfsa.h"
#include "tolmek/stream/random_source.h"
#include "tolmek/stream/symbolic_string.h"

namespace {

// The first g <= m - 2 at which p[0] + ... + p[g] reaches u, else m - 1.
// The last probability is never added: whatever the others leave below 1
// goes to the last symbol.
std::uint32_t emit(const std::vector<double>& p, std::size_t m, double u) {
  double sum = 0.0;
  for (std::size_t g = 0; g + 1 < m; ++g) {
    sum += g < p.size() ? p[g] : 0.0;
    if (sum >= u) return static_cast<std::uint32_t>(g);
  }
  return static_cast<std::uint32_t>(m - 1);
}

int start_state(std::size_t states) {
  if (states <= 1) return 0;
  // rand() is an int: widened with its sign, then reduced as unsigned.
  const auto draw = static_cast<std::uint64_t>(
      static_cast<std::int64_t>(start_draw(kGenerateStart)));
  return static_cast<int>(draw % (states - 1));
}

}  // namespace

Symbolic_string_ Symbolic_string_::operator*(PFSA& model) {
  std::unique_ptr<gsl_rng, GeneratorDeleter> r(make_generator(kGenerate));
  reseed_start_draws();

  // Lookups below insert missing entries: they go into these copies only.
  std::map<int, std::map<symbol, int>> aut = model.aut;
  std::map<int, std::vector<double>> pit = model.pit;
  const std::size_t m = pit[0].size();
  int state = start_state(aut.size());

  const auto length = static_cast<std::uint32_t>(seq.size());
  std::vector<symbol> out(length, symbol(0));
  if (m > 0) {
    for (std::uint32_t i = 0; i < length; ++i) {
      const int next = aut[state][seq[i]];
      if (next == -1) continue;
      const double u = gsl_ran_flat(r.get(), 0.0, 1.0);
      out[i] = symbol(emit(pit[state], m, u));
      state = next;
    }
  }
  std::vector<symbol> none;
  Symbolic_string_ result(none, static_cast<unsigned int>(m));
  result.seq = std::move(out);
  return result;
}
