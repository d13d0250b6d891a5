#include "driver/sweep.h"

#include <omp.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <sstream>
#include <tuple>

#include "tolmek/infer/selgrim.h"
#include "tolmek/stream/random_source.h"
#include "tolmek/stream/symbolic_string.h"

namespace {

constexpr int kProgressWidth = 40;

std::string record_line(RECORD__& r) {
  std::ostringstream os;
  os << r << '\n';
  return os.str();
}

}  // namespace

bool delay_fits(std::size_t length, unsigned int delay) {
  return static_cast<std::size_t>(delay) <= length + 1;
}

std::vector<symbol> shift_target(const std::vector<symbol>& target,
                                 unsigned int delay) {
  std::vector<symbol> shifted;
  if (delay == 0) {
    shifted.reserve(target.size() + 1);
    shifted.push_back(symbol(0));
    shifted.insert(shifted.end(), target.begin(), target.end());
  } else {
    shifted.assign(target.begin() + (delay - 1), target.end());
  }
  return shifted;
}

std::uint64_t last_runnable_delay(const SweepInput& in) {
  std::uint64_t longest = 0;
  bool any = false;
  for (const auto& entry : in.selection) {
    longest =
        std::max<std::uint64_t>(longest, in.sequences[entry.first].size());
    any = true;
  }
  const std::uint64_t begin = in.delay_begin;
  if (!any || in.delay_begin > in.delay_end) return begin - 1;
  return std::min<std::uint64_t>(in.delay_end, longest + 1);
}

std::vector<SweepTask> plan_runs(
    const SweepInput& in, std::map<unsigned int, unsigned int>* skipped_from) {
  std::vector<SweepTask> tasks;
  if (in.delay_begin > in.delay_end) return tasks;
  for (const auto& entry : in.selection) {
    const std::size_t length = in.sequences[entry.first].size();
    if (!delay_fits(length, in.delay_end) && skipped_from != nullptr) {
      const std::uint64_t first = std::max<std::uint64_t>(
          in.delay_begin, static_cast<std::uint64_t>(length) + 2);
      (*skipped_from)[entry.first] = static_cast<unsigned int>(first);
    }
  }
  const std::uint64_t last = last_runnable_delay(in);
  for (std::uint64_t d = in.delay_begin; d <= last; ++d) {
    const auto delay = static_cast<unsigned int>(d);
    for (const auto& [target, sources] : in.selection) {
      if (!delay_fits(in.sequences[target].size(), delay)) continue;
      for (unsigned int source : sources) {
        tasks.push_back(SweepTask{delay, target, source});
      }
    }
  }
  return tasks;
}

RECORD__ run_one(const SweepTask& task,
                 const std::vector<std::vector<symbol>>& sequences,
                 const gParam& params, const std::uint32_t* seed) {
  std::vector<symbol> shifted =
      shift_target(sequences[task.target], task.delay);
  Symbolic_string_ target_stream(shifted);
  std::vector<symbol> source_seq = sequences[task.source];
  Symbolic_string_ source_stream(source_seq);

  std::unique_ptr<HashSeedSource> seeds;
  if (seed != nullptr) {
    seeds = std::make_unique<HashSeedSource>(*seed, task.source, task.target,
                                             task.delay);
  }
  ScopedSeedSource scope(seeds.get());
  selgrim_x inference(source_stream, target_stream, params);

  RECORD__ record;
  record.src = task.source;
  record.tgt = task.target;
  record.gamma = inference.gamma;
  record.mrgeps = inference.mrgeps;
  record.pfsa = inference.model;
  record.annerr = inference.annerr;
  record.delay = task.delay;
  return record;
}

void print_status(float fraction, std::ostream& os) {
  char prefix[16];
  char reset[16];
  std::snprintf(prefix, sizeof prefix, "%c[%d;%d;%dm", 27, 0, 32, 40);
  std::snprintf(reset, sizeof reset, "%c[%dm", 27, 0);
  std::string bar = prefix;
  bar += "[";
  const int pos =
      static_cast<int>(fraction * static_cast<float>(kProgressWidth));
  for (int i = 0; i < kProgressWidth; ++i) {
    bar += i < pos ? '=' : (i == pos ? '>' : ' ');
  }
  bar += "] ";
  bar +=
      std::to_string(static_cast<int>(static_cast<double>(fraction) * 100.0));
  bar += " %\r";
  bar += reset;
  os << bar << std::flush;
}

void print_status(float fraction) { print_status(fraction, std::cerr); }

SweepOutcome run_sweep(const SweepInput& in, std::ostream& out,
                       std::ostream& err) {
  SweepOutcome outcome;
  const std::vector<SweepTask> tasks = plan_runs(in, &outcome.skipped_from);
  const std::uint32_t expected = static_cast<std::uint32_t>(tasks.size());
  const std::uint32_t* seed = in.has_seed ? &in.seed : nullptr;
  gsl_environment_setup();

  // One unit of work per run, handed out one at a time as threads become
  // free: a target with many sources, or runs of very different cost, still
  // keep every thread busy. With a seed the records are sorted afterwards,
  // so the result does not depend on the number of threads.
  const long n_tasks = static_cast<long>(tasks.size());
#pragma omp parallel for schedule(dynamic, 1)
  for (long i = 0; i < n_tasks; ++i) {
    const SweepTask& task = tasks[static_cast<std::size_t>(i)];
    try {
      RECORD__ record = run_one(task, in.sequences, in.params, seed);
      std::string line = in.verbose ? record_line(record) : std::string();
      std::size_t done = 0;
#pragma omp critical(records)
      {
        outcome.records.push_back(std::move(record));
        done = outcome.records.size() + outcome.failures.size();
        if (in.verbose) out << line << std::flush;
        if (in.show_progress) {
          print_status(static_cast<float>(static_cast<double>(done) /
                                          static_cast<double>(expected)),
                       err);
        }
      }
    } catch (const std::exception& e) {
#pragma omp critical(records)
      outcome.failures.push_back(SweepFailure{task, e.what()});
    } catch (...) {
#pragma omp critical(records)
      outcome.failures.push_back(SweepFailure{task, "unknown error"});
    }
  }

  if (in.has_seed) {
    std::stable_sort(outcome.records.begin(), outcome.records.end(),
                     [](const RECORD__& a, const RECORD__& b) {
                       return std::tie(a.delay, a.tgt, a.src) <
                              std::tie(b.delay, b.tgt, b.src);
                     });
  }
  std::sort(outcome.failures.begin(), outcome.failures.end(),
            [](const SweepFailure& a, const SweepFailure& b) {
              return std::tie(a.task.delay, a.task.target, a.task.source) <
                     std::tie(b.task.delay, b.task.target, b.task.source);
            });
  return outcome;
}
