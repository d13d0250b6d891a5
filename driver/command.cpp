#include "driver/command.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <set>
#include <vector>

#include "driver/reports.h"
#include "driver/settings.h"
#include "driver/startup.h"
#include "driver/sweep.h"
#include "tolmek/config/string_proc.h"

namespace {

// The most (source, target) pairs one command runs: 1000 variables, each
// paired with every other.
constexpr std::uint64_t kMaxSelectedPairs = 1000000;

// Runs pair a source and a target symbol by symbol, so a variable this short
// leaves a run a handful of pairs: a constant source of one symbol then
// "explains" a random target completely (gamma 1). Such gammas are kept but
// flagged.
constexpr std::size_t kFewSymbols = 16;

// One warning line per selected variable (source or target) that holds
// fewer than kFewSymbols symbols.
void warn_short_variables(const Selection& selection,
                          const std::vector<std::vector<symbol>>& sequences,
                          std::ostream& err) {
  std::set<unsigned int> used;
  for (const auto& [target, sources] : selection) {
    used.insert(target);
    used.insert(sources.begin(), sources.end());
  }
  for (unsigned int v : used) {
    if (sequences[v].size() >= kFewSymbols) continue;
    err << "warning: variable " << v << " has only " << sequences[v].size()
        << " symbols; the gammas of its runs rest on too few values to mean "
           "anything"
        << std::endl;
  }
}

}  // namespace

int run_command_line(int argc, const char* const* argv, std::ostream& out,
                     std::ostream& err) {
  ParsedSettings parsed = parse_settings(argc, argv, out);
  if (parsed.finished) return parsed.exit_status;
  const RunSettings& s = parsed.settings;

  StartupResult startup = start_up(s, out, err);
  if (startup.refused_status != 0) return startup.refused_status;
  RunInputs& in = startup.inputs;

  // The selection is built in memory, pair by pair: a key over a file of
  // very many variables (one long line read in columns) would exhaust it.
  const auto n = static_cast<unsigned int>(in.streams.size());
  const std::uint64_t bound = _STRING_PROC_::selection_size_bound(in.key, n);
  if (bound > kMaxSelectedPairs) {
    err << "the selector key '" << in.key << "' selects up to " << bound
        << " (source, target) pairs among the " << n << " variables of '"
        << s.datafile << "'; at most " << kMaxSelectedPairs
        << " can be run: choose fewer with --key" << std::endl;
    return kExitRefused;
  }

  SweepInput sweep;
  for (const auto& stream : in.streams) sweep.sequences.push_back(stream.seq);
  sweep.selection =
      _STRING_PROC_::process_key_string_(in.key, n, s.include_self);
  if (sweep.selection.empty()) {
    err << "warning: the selector key '" << in.key
        << "' selects no (source, target) pair among the " << in.streams.size()
        << " variables of '" << s.datafile << "'; nothing is run" << std::endl;
  }
  warn_short_variables(sweep.selection, sweep.sequences, err);
  sweep.delay_begin = s.OFFSET_MIN;
  sweep.delay_end = s.OFFSET_MAX;
  sweep.params = in.params;
  sweep.verbose = s.VERBOSE || s.CONCURRENT_PRINT;
  sweep.show_progress = !s.printstatus;
  sweep.has_seed = s.has_seed;
  sweep.seed = s.seed;

  SweepOutcome outcome = run_sweep(sweep, out, err);
  for (const auto& [target, first] : outcome.skipped_from) {
    err << "target " << target << " has " << in.streams[target].seq.size()
        << " symbols: delays " << first << " to " << s.OFFSET_MAX << " skipped"
        << std::endl;
  }
  for (const SweepFailure& f : outcome.failures) {
    err << "run (source " << f.task.source << ", target " << f.task.target
        << ", delay " << f.task.delay << ") failed: " << f.what << std::endl;
  }

  const bool written =
      write_reports(outcome.records, sweep.selection, s, in.names, out, err);

  if (parsed.command_line_error) return kExitRefused;
  if (!outcome.failures.empty() || !written) return kExitIncomplete;
  return kExitOk;
}
