// One crossed inference with the command's default parameters on the
// benchmark pair (bench_data.h): source 0, target 1, delay 1, one thread,
// fixed seeds, so every run does the same work.
//
// Usage: inference_bench [--runs N] [--floor | --rss] LENGTH...
//   (default)  median wall time of N runs (default 3) per length, the number
//              of candidates scored and gamma.
//   --floor    alternates N inference runs with N runs of only the random
//              draws that inference makes (same GSL generator type, same
//              seeds): per scored candidate and repetition one generator
//              set-up per operation that sets one up, one uniform draw per
//              defined transition of the generated stream, the k - 1
//              selection draws of the inversion per generated symbol and one
//              selection draw per target symbol (plus the start-state draws,
//              which set up a generator of their own in a seeded run).
//              Prints both medians and their ratio.
//   --rss      one inference per length; prints the peak resident set size
//              of the process (run one length per process to measure one
//              inference).

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>

#include "bench/bench_data.h"
#include "tolmek/config/gparam.h"
#include "tolmek/infer/selgrim.h"
#include "tolmek/stream/random_source.h"
#include "tolmek/stream/symbolic_string.h"

namespace {

using Clock = std::chrono::steady_clock;

// The seed source of the run (seed 1, source 0, target 1, delay 1).
HashSeedSource run_seeds() { return HashSeedSource(1, 0, 1, 1); }

gParam default_params() {
  gParam params;
  params.NUM_EACH = 25;  // the command's default for `num`
  params.EVALUATION_DEPTH = 5;
  return params;
}

struct Inference {
  double seconds = 0.0;
  std::unique_ptr<selgrim_x> result;
};

Inference infer(BenchData& data, const gParam& params) {
  HashSeedSource seeds = run_seeds();
  ScopedSeedSource scope(&seeds);
  Inference out;
  const auto start = Clock::now();
  out.result = std::make_unique<selgrim_x>(Symbolic_string_(data[0]),
                                           Symbolic_string_(data[1]), params);
  out.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return out;
}

std::size_t scored(const selgrim_x& x) {
  std::size_t n = 0;
  for (const auto& a : x.aut_list)
    if (!a.empty()) ++n;
  return n;
}

// One generator the inference sets up and what it draws from it.
struct Setup {
  std::uint32_t op;
  DrawPosition at;
  bool flat;            // gsl_ran_flat(0, 1), else gsl_rng_uniform_int
  unsigned long range;  // for gsl_rng_uniform_int
  std::uint64_t draws;
};

// The generators and draws of the scoring of `x`, in the order it makes
// them. The number of uniform draws of a generated stream is its number of
// defined transitions, found by walking the candidate from the start state
// the run draws.
std::vector<Setup> plan_draws(const selgrim_x& x, int repetitions) {
  HashSeedSource seeds = run_seeds();
  std::vector<Setup> plan;
  const std::uint64_t length = x.src_seq.size();
  for (std::size_t c = 0; c < x.aut_list.size(); ++c) {
    const auto& aut = x.aut_list[c];
    if (aut.empty()) continue;
    const auto zero = x.pit_list[c].find(0);
    const std::size_t m = zero == x.pit_list[c].end() ? 0 : zero->second.size();
    const std::size_t n = aut.size();
    for (int r = 0; r < repetitions; ++r) {
      const DrawPosition at{static_cast<std::uint32_t>(c),
                            static_cast<std::uint32_t>(r)};
      const unsigned long start_range =
          static_cast<unsigned long>(RAND_MAX) + 1;
      int state = 0;
      if (n > 1) {
        const auto draw = static_cast<std::uint64_t>(
            static_cast<std::int64_t>(seeds.start_draw(kGenerateStart, at)));
        state = static_cast<int>(draw % (n - 1));
      }
      std::uint64_t defined = 0;
      if (m > 0) {
        for (const symbol s : x.src_seq) {
          const auto row = aut.find(state);
          int t = 0;
          if (row != aut.end()) {
            const auto e = row->second.find(s);
            if (e != row->second.end()) t = e->second;
          }
          if (t == -1) continue;
          ++defined;
          state = t;
        }
      }
      plan.push_back({kGenerate, at, true, 0, defined});
      if (n > 1) plan.push_back({kGenerateStart, at, false, start_range, 1});
      for (std::size_t i = 0; i + 1 < m; ++i)
        plan.push_back({kInversionSelection + static_cast<std::uint32_t>(i), at,
                        false, m, length});
      plan.push_back({kTargetSelection, at, false, x.tgt_alphabet_size,
                      x.tgt_alphabet_size > 0 ? x.tgt_seq.size() : 0});
      if (x.use_gamma && n > 1)
        plan.push_back({kOccupationStart, at, false, start_range, 1});
    }
  }
  return plan;
}

std::uint64_t total_draws(const std::vector<Setup>& plan) {
  std::uint64_t n = 0;
  for (const Setup& s : plan) n += s.draws;
  return n;
}

// Makes exactly the planned set-ups and draws; returns the time taken.
double draw_only(const std::vector<Setup>& plan, double* sink) {
  HashSeedSource seeds = run_seeds();
  const gsl_rng_type* type = gsl_rng_default;
  double acc = 0.0;
  const auto start = Clock::now();
  for (const Setup& s : plan) {
    gsl_rng* r = gsl_rng_alloc(type);
    gsl_rng_set(r, seeds.generator_seed(s.op, s.at));
    if (s.flat) {
      for (std::uint64_t i = 0; i < s.draws; ++i)
        acc += gsl_ran_flat(r, 0.0, 1.0);
    } else {
      unsigned long kept = 0;
      for (std::uint64_t i = 0; i < s.draws; ++i)
        kept += gsl_rng_uniform_int(r, s.range);
      acc += static_cast<double>(kept);
    }
    gsl_rng_free(r);
  }
  const double seconds =
      std::chrono::duration<double>(Clock::now() - start).count();
  *sink += acc;
  return seconds;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

std::string list(const std::vector<double>& v) {
  std::string t;
  for (const double x : v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%.3f", t.empty() ? "" : ",", x);
    t += buf;
  }
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  bool floor = false;
  bool rss = false;
  std::vector<std::size_t> lengths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--floor") == 0) {
      floor = true;
    } else if (std::strcmp(argv[i], "--rss") == 0) {
      rss = true;
    } else {
      lengths.push_back(std::strtoul(argv[i], nullptr, 10));
    }
  }
  if (lengths.empty()) lengths = {10000, 100000};

  gsl_environment_setup();
  const gParam params = default_params();
  double sink = 0.0;
  for (const std::size_t length : lengths) {
    BenchData data = copy_chain(2, length);
    if (rss) {
      const Inference x = infer(data, params);
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      std::printf("rss length=%zu peak_kb=%ld seconds=%.3f candidates=%zu\n",
                  length, usage.ru_maxrss, x.seconds, scored(*x.result));
      continue;
    }
    std::vector<double> times;
    std::vector<double> floors;
    std::size_t candidates = 0;
    double gamma = 0.0;
    std::uint64_t draws = 0;
    std::size_t setups = 0;
    for (int i = 0; i < runs; ++i) {
      const Inference x = infer(data, params);
      times.push_back(x.seconds);
      candidates = scored(*x.result);
      gamma = x.result->gamma;
      if (floor) {
        const std::vector<Setup> plan = plan_draws(*x.result, params.NUM_EACH);
        draws = total_draws(plan);
        setups = plan.size();
        floors.push_back(draw_only(plan, &sink));
      }
    }
    std::printf(
        "time length=%zu median_s=%.3f runs_s=%s candidates=%zu "
        "gamma=%.4f\n",
        length, median(times), list(times).c_str(), candidates, gamma);
    if (floor) {
      std::printf(
          "floor length=%zu median_s=%.3f runs_s=%s setups=%zu "
          "draws=%llu ratio=%.2f\n",
          length, median(floors), list(floors).c_str(), setups,
          static_cast<unsigned long long>(draws),
          median(times) / median(floors));
    }
  }
  if (sink == -1.0) std::puts("");  // keeps the draws from being optimised out
  return 0;
}
