// Wall time of one crossed inference with the default parameters on
// synthetic binary streams: a fair-coin source and a target that repeats the
// source's previous symbol half of the time and is a fair coin otherwise.
// Prints, per stream length, the median of three runs and the number of
// candidate models scored. Seeds are fixed, so every run does the same work.
//
// Usage: inference_bench [length ...]   (default: 10000 100000)

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "tolmek/config/gparam.h"
#include "tolmek/infer/selgrim.h"
#include "tolmek/stream/random_source.h"
#include "tolmek/stream/symbolic_string.h"

namespace {

constexpr int kRuns = 3;

struct Streams {
  std::vector<symbol> source;
  std::vector<symbol> target;
};

Streams make_streams(std::size_t length) {
  std::mt19937_64 gen(20240611u + length);
  std::bernoulli_distribution coin(0.5);
  Streams s;
  s.source.resize(length);
  s.target.resize(length);
  for (std::size_t t = 0; t < length; ++t) {
    s.source[t] = coin(gen) ? 1u : 0u;
    const bool copy = t > 0 && coin(gen);
    s.target[t] = copy ? s.source[t - 1] : symbol(coin(gen) ? 1u : 0u);
  }
  return s;
}

struct Run {
  double seconds = 0.0;
  std::size_t candidates = 0;
  double gamma = 0.0;
};

Run run_once(Streams& s, const gParam& params) {
  HashSeedSource seeds(1, 0, 1, 1);
  ScopedSeedSource scope(&seeds);
  const auto start = std::chrono::steady_clock::now();
  selgrim_x x(Symbolic_string_(s.source), Symbolic_string_(s.target), params);
  const auto stop = std::chrono::steady_clock::now();
  Run r;
  r.seconds = std::chrono::duration<double>(stop - start).count();
  for (const auto& a : x.aut_list)
    if (!a.empty()) ++r.candidates;
  r.gamma = x.gamma;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::size_t> lengths;
  for (int i = 1; i < argc; ++i)
    lengths.push_back(std::strtoul(argv[i], nullptr, 10));
  if (lengths.empty()) lengths = {10000, 100000};

  gsl_environment_setup();
  gParam params;
  params.NUM_EACH = 25;
  params.EVALUATION_DEPTH = 5;

  std::printf(
      "length  median_s  runs_s                      candidates  gamma\n");
  for (const std::size_t length : lengths) {
    Streams s = make_streams(length);
    std::vector<Run> runs;
    for (int i = 0; i < kRuns; ++i) runs.push_back(run_once(s, params));
    std::vector<double> times;
    for (const Run& r : runs) times.push_back(r.seconds);
    std::sort(times.begin(), times.end());
    std::printf("%-7zu %-9.3f %-8.3f %-8.3f %-8.3f  %-10zu  %.4f\n", length,
                times[kRuns / 2], runs[0].seconds, runs[1].seconds,
                runs[2].seconds, runs[0].candidates, runs[0].gamma);
  }
  return 0;
}
