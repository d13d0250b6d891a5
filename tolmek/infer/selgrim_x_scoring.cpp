// Scoring the candidates of a crossed inference and choosing one: streams
// generated through each candidate are tested against the real target, and
// in the gamma mode the states' residual entropy about the target is
// weighed against the target's own.

#include <omp.h>

#include <cmath>
#include <cstddef>
#include <exception>
#include <utility>

#include "tolmek/infer/selgrim.h"
#include "tolmek/stream/norm_table.h"
#include "tolmek/stream/random_source.h"
#include "tolmek/stream/selection.h"
#include "tolmek/stream/stream_generator.h"

namespace {

// Natural-log entropy summed over all states, each vector read over the
// length of state 0's vector (entries beyond a vector's end count as 0).
double plain_entropy(std::map<int, std::vector<double>>& p) {
  const std::size_t width = p[0].size();
  double h = 0.0;
  for (const auto& entry : p) {
    const std::vector<double>& v = entry.second;
    for (std::size_t j = 0; j < width && j < v.size(); ++j)
      if (v[j] > 0.0) h -= v[j] * std::log(v[j]);
  }
  return h;
}

}  // namespace

selgrim_x::selgrim_x(Symbolic_string_ source, Symbolic_string_ target,
                     gParam params)
    : selgrim_x(std::move(source), std::move(target), params, Stage::kPit) {
  choose_candidate(params.NUM_EACH);
}

double selgrim_x::annihilation_error(
    const std::map<int, std::map<symbol, int>>& a,
    const std::map<int, std::vector<double>>& p, std::uint32_t candidate,
    int repetitions, bool reflected) {
  // Each repetition is: generate G = source * (a, p), invert it (I = !G),
  // select the target at random (T = ~target), agree (U = T + I) and take
  // U's norm. Done here on buffers kept across the repetitions, with the
  // generators set up in the same order as the stream operators do.
  const StreamGenerator generator(a, p);
  NormTable norms;
  std::vector<symbol> generated;
  std::vector<std::vector<symbol>> copies;
  std::vector<symbol> inverted;
  std::vector<symbol> selected;
  std::vector<symbol> agreed;
  double sum = 0.0;
  for (int r = 0; r < repetitions; ++r) {
    set_draw_position(candidate, static_cast<std::uint32_t>(r));
    const unsigned int m = generator.generate(src_seq, generated);
    inversion(generated, m, copies, inverted);
    random_selection(tgt_seq, tgt_alphabet_size, kTargetSelection, selected);
    agreement(selected, inverted, agreed);
    // U has the alphabet of its left operand, the target's.
    sum += reflected ? norms.reflected_norm(agreed, tgt_alphabet_size,
                                            evaluation_depth)
                     : norms.norm(agreed, tgt_alphabet_size, evaluation_depth);
  }
  return sum / (static_cast<double>(repetitions) + 0.0);
}

void selgrim_x::choose_candidate(int repetitions) {
  reseed_start_draws();
  gamma = 0.0;
  if (no_model || aut_list.empty()) return;
  // H0 depends on the target alone: once for all candidates.
  const double h0 = use_gamma ? target_entropy() : 0.0;

  // Every candidate is scored with its own draws (their seeds depend on the
  // candidate and repetition, not on timing), so the candidates are scored
  // as tasks that idle threads of the sweep may pick up; the choice below
  // then walks them in list order as one thread would.
  struct Scored {
    std::map<int, std::map<symbol, int>> a;
    std::map<int, std::vector<double>> p;
    double error = 0.0;
    double score = 0.0;
    double gamma = 0.0;
    std::exception_ptr failure;
  };
  const std::size_t n = aut_list.size();
  std::vector<Scored> scored(aut_list.size());
  SeedSource* const seeds = current_seed_source();
  const bool in_parallel = omp_in_parallel() != 0;
#pragma omp taskloop grainsize(1) if (in_parallel) default(shared)
  for (std::size_t c = 0; c < n; ++c) {
    Scored& out = scored[c];
    try {
      ScopedSeedSource scope(seeds);
      out.a = aut_list[c];
      out.p = pit_list[c];
      if (out.a.empty()) continue;
      score_candidate(static_cast<std::uint32_t>(c), repetitions, h0, out.a,
                      out.p, out.error, out.score, out.gamma);
    } catch (...) {
      out.failure = std::current_exception();
    }
  }

  for (std::size_t c = 0; c < scored.size(); ++c) {
    Scored& s = scored[c];
    if (s.failure) std::rethrow_exception(s.failure);
    if (s.a.empty()) continue;
    // Strictly smaller: ties keep the earlier candidate, NaN never wins.
    if (best_score > s.score) {
      model.aut = std::move(s.a);
      model.pit = std::move(s.p);
      gamma = s.gamma;
      annerr = s.error;
      mrgeps = eps_list[c];
      best_score = s.score;
    }
  }
}

void selgrim_x::score_candidate(std::uint32_t candidate, int repetitions,
                                double h0,
                                std::map<int, std::map<symbol, int>>& a,
                                std::map<int, std::vector<double>>& p,
                                double& error, double& score,
                                double& gamma_out) {
  gamma_out = 0.0;
  if (!use_gamma) {
    error = annihilation_error(a, p, candidate, repetitions, false);
    score = error * plain_entropy(p) / (static_cast<double>(p.size()) + 0.0);
    return;
  }
  error = annihilation_error(a, p, candidate, repetitions, true);
  // The occupation walk inserts the transitions it looks up into `a`, and
  // `a` becomes the chosen model's aut.
  const std::vector<double> visits = occupation(a, candidate, repetitions);
  double hc = 0.0;
  for (std::size_t s = 0; s < visits.size(); ++s)
    hc += visits[s] * dist_entropy(p[static_cast<int>(s)]);
  const GammaScore result = gamma_score(error, h0, hc);
  score = result.score;
  gamma_out = result.gamma;
}
