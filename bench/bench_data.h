// Synthetic binary data for the benchmarks. Every variable is a fair coin,
// except that a driven variable copies its driver's symbol of one step
// earlier with probability 1/2 (and is a fair coin otherwise). Fixed seeds:
// the same arguments always give the same data.

#ifndef BENCH_BENCH_DATA_H_
#define BENCH_BENCH_DATA_H_

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "tolmek/stream/symbol.h"

using BenchData = std::vector<std::vector<symbol>>;

// Variable `driven` copies variable `driver` one step later, half the time.
inline void drive(BenchData& data, std::size_t driver, std::size_t driven,
                  std::mt19937_64& gen) {
  std::bernoulli_distribution coin(0.5);
  std::vector<symbol>& out = data[driven];
  const std::vector<symbol>& in = data[driver];
  for (std::size_t t = 1; t < out.size(); ++t)
    if (coin(gen)) out[t] = in[t - 1];
}

inline BenchData fair_coins(std::size_t variables, std::size_t length,
                            std::mt19937_64& gen) {
  std::bernoulli_distribution coin(0.5);
  BenchData data(variables, std::vector<symbol>(length));
  for (auto& v : data)
    for (symbol& s : v) s = symbol(coin(gen) ? 1u : 0u);
  return data;
}

// A chain: variable j copies variable j - 1 (j >= 1). Two variables give the
// pair of the inference benchmark: source 0, target 1, delay 1.
inline BenchData copy_chain(std::size_t variables, std::size_t length,
                            std::uint64_t seed = 7) {
  std::mt19937_64 gen(seed * 1000003u + length);
  BenchData data = fair_coins(variables, length, gen);
  for (std::size_t j = 1; j < variables; ++j) drive(data, j - 1, j, gen);
  return data;
}

// A fan: variable 0 copies variable 1; variables 1.. are independent coins.
inline BenchData fan_in(std::size_t variables, std::size_t length,
                        std::uint64_t seed = 7) {
  std::mt19937_64 gen(seed * 1000003u + length + 17u);
  BenchData data = fair_coins(variables, length, gen);
  if (variables > 1) drive(data, 1, 0, gen);
  return data;
}

#endif  // BENCH_BENCH_DATA_H_
