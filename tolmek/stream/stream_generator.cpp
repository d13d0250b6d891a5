#include "tolmek/stream/stream_generator.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>

#include "tolmek/model/pfsa.h"
#include "tolmek/stream/random_source.h"
#include "tolmek/stream/symbolic_string.h"

namespace {

// Symbol numbers beyond this make a table too sparse to be worth it.
constexpr std::size_t kMaxWidth = 1u << 16;

// True when the states are 0..n-1 (n >= 1) and every transition is -1 or
// one of them: then a lookup never meets a state without a row.
bool dense(const std::map<int, std::map<symbol, int>>& aut) {
  if (aut.empty() || aut.begin()->first != 0 ||
      aut.rbegin()->first != static_cast<int>(aut.size()) - 1) {
    return false;
  }
  const int n = static_cast<int>(aut.size());
  for (const auto& [state, row] : aut) {
    for (const auto& [x, next] : row)
      if (next < -1 || next >= n) return false;
  }
  return true;
}

}  // namespace

StreamGenerator::StreamGenerator(
    const std::map<int, std::map<symbol, int>>& aut,
    const std::map<int, std::vector<double>>& pit)
    : aut_(aut), pit_(pit) {
  const auto zero = pit.find(0);
  m_ = zero == pit.end() ? 0 : zero->second.size();
  states_ = aut.size();
  flat_ = dense(aut);
  if (!flat_) return;

  for (const auto& [state, row] : aut)
    if (!row.empty())
      width_ = std::max<std::size_t>(width_, row.rbegin()->first.value + 1u);
  if (width_ > kMaxWidth) {
    flat_ = false;
    return;
  }
  // A lookup that misses inserts next state 0.
  next_.assign(states_ * width_, 0);
  for (const auto& [state, row] : aut)
    for (const auto& [x, next] : row)
      next_[static_cast<std::size_t>(state) * width_ + x.value] = next;

  // The running sums operator* forms while it emits, in the same order; a
  // state without a vector, or a short one, adds 0.
  if (m_ >= 2) {
    cum_.assign(states_ * (m_ - 1), 0.0);
    for (std::size_t s = 0; s < states_; ++s) {
      const auto found = pit.find(static_cast<int>(s));
      double sum = 0.0;
      for (std::size_t g = 0; g + 1 < m_; ++g) {
        const bool has = found != pit.end() && g < found->second.size();
        sum += has ? found->second[g] : 0.0;
        cum_[s * (m_ - 1) + g] = sum;
      }
    }
  }
}

unsigned int StreamGenerator::generate(const std::vector<symbol>& input,
                                       std::vector<symbol>& out) const {
  if (!flat_) {
    std::vector<symbol> copy = input;
    Symbolic_string_ driver(copy, 0);
    PFSA model;
    model.aut = aut_;
    model.pit = pit_;
    Symbolic_string_ generated = driver * model;
    out = std::move(generated.seq);
    return generated.alphabet_size;
  }

  std::unique_ptr<gsl_rng, GeneratorDeleter> r(make_generator(kGenerate));
  reseed_start_draws();
  std::size_t state = 0;
  if (states_ > 1) {
    // rand() is an int: widened with its sign, then reduced as unsigned.
    const auto draw = static_cast<std::uint64_t>(
        static_cast<std::int64_t>(start_draw(kGenerateStart)));
    state = static_cast<std::size_t>(draw % (states_ - 1));
  }

  const auto length = static_cast<std::uint32_t>(input.size());
  out.assign(length, symbol(0));
  if (m_ == 0) return 0;
  const std::size_t last = m_ - 1;
  for (std::uint32_t i = 0; i < length; ++i) {
    const std::uint32_t x = input[i].value;
    const int next = x < width_ ? next_[state * width_ + x] : 0;
    if (next == -1) continue;
    const double u = gsl_ran_flat(r.get(), 0.0, 1.0);
    // The first g <= m - 2 whose running sum reaches u, else m - 1.
    std::size_t g = 0;
    if (last == 1) {
      g = cum_[state] >= u ? 0 : 1;
    } else if (last > 1) {
      const double* sums = &cum_[state * last];
      while (g < last && !(sums[g] >= u)) ++g;
    }
    out[i] = symbol(static_cast<std::uint32_t>(g));
    state = static_cast<std::size_t>(next);
  }
  return static_cast<unsigned int>(m_);
}
