// The pair-and-delay sweep: one crossed inference per selected (source,
// target) pair and delay, spread over OpenMP threads, each outcome kept as
// one RECORD__.

#ifndef DRIVER_SWEEP_H_
#define DRIVER_SWEEP_H_

#include <cstdint>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tolmek/config/gparam.h"
#include "tolmek/model/record.h"
#include "tolmek/stream/symbol.h"

// Target index -> its source indices.
using Selection = std::map<unsigned int, std::set<unsigned int>>;

// One run of the sweep.
struct SweepTask {
  unsigned int delay = 0;
  unsigned int target = 0;
  unsigned int source = 0;
};

struct SweepFailure {
  SweepTask task;
  std::string what;
};

struct SweepInput {
  std::vector<std::vector<symbol>> sequences;  // one per variable
  Selection selection;
  unsigned int delay_begin = 1;  // OFFSET_MIN
  unsigned int delay_end = 10;   // OFFSET_MAX, included
  gParam params;
  bool verbose = false;       // VERBOSE or CONCURRENT_PRINT
  bool show_progress = true;  // false with printstatus
  bool has_seed = false;      // reproducible run
  std::uint32_t seed = 0;
};

struct SweepOutcome {
  std::vector<RECORD__> records;  // in the order runs finished (seeded:
                                  // by delay, target, source)
  std::vector<SweepFailure> failures;
  // Target -> the first delay of the range it has no shifted sequence for;
  // every later delay of the range is skipped as well.
  std::map<unsigned int, unsigned int> skipped_from;
};

// The target's sequence shifted for `delay`: a 0 put in front, then the
// first `delay` symbols dropped. Delay 1 leaves it unchanged. Precondition:
// delay <= target.size() + 1.
std::vector<symbol> shift_target(const std::vector<symbol>& target,
                                 unsigned int delay);

// True when `delay` has a shifted sequence for a target of `length` symbols.
bool delay_fits(std::size_t length, unsigned int delay);

// The runs of the sweep in (delay, target, source) order, leaving out the
// delays a target is too short for (the first of them recorded in
// `skipped_from`). Walks no further than the longest target allows, so a
// huge delay range costs nothing.
std::vector<SweepTask> plan_runs(
    const SweepInput& in, std::map<unsigned int, unsigned int>* skipped_from);

// The last delay of the range for which some selected target has a shifted
// sequence; delay_begin - 1 (as 64-bit) when there is none.
std::uint64_t last_runnable_delay(const SweepInput& in);

// Executes one run: builds the two streams, runs the crossed inference (with
// a deterministic seed source when `seed` is given) and returns the record.
// Throws what the inference throws. Safe to call from several threads.
RECORD__ run_one(const SweepTask& task,
                 const std::vector<std::vector<symbol>>& sequences,
                 const gParam& params, const std::uint32_t* seed);

// Runs every planned run over the OpenMP team, one run per unit of work,
// handed out dynamically. Without a seed the records are in the order the
// runs finished; with one, sorted by delay, target and source, whatever the
// number of threads. Record lines (verbose) go to
// `out`, whole lines at a time; the progress bar goes to `err`. A run that
// throws is kept in `failures`; the others go on. Writes nothing else.
SweepOutcome run_sweep(const SweepInput& in, std::ostream& out,
                       std::ostream& err);

// Draws the progress bar for `fraction` (0..1) on `os`, redrawn in place.
void print_status(float fraction, std::ostream& os);
void print_status(float fraction);  // on standard error

#endif  // DRIVER_SWEEP_H_
