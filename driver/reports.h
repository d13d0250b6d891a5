// Everything the command writes after the sweep: the gamma output, the
// result log, the scalar directional value, the drawings and the ranked,
// filtered model files, in that order, each only when asked for.

#ifndef DRIVER_REPORTS_H_
#define DRIVER_REPORTS_H_

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "driver/settings.h"
#include "driver/sweep.h"
#include "tolmek/model/record.h"

// Orders records by gamma, highest first; nothing else is compared.
struct RECORD_comparator {
  bool operator()(const RECORD__& a, const RECORD__& b) const {
    return a.gamma > b.gamma;
  }
};

// Sum over delays first..last of the gamma of source 0 minus that of source
// 1, counting only gammas strictly above `threshold` (a later record
// replaces an earlier one with the same delay and source). 0 when first >
// last.
double binaryproc_(std::vector<RECORD__>& records, double threshold,
                   unsigned int first, unsigned int last);

// One line per selected pair, sources then targets ascending: for each delay
// of [first, last] the pair's gamma, or nan where the delay has no record
// (skipped or failed), each followed by a blank. first > last: empty lines.
void write_gamma_lines(const std::vector<RECORD__>& records,
                       const Selection& selection, unsigned int first,
                       unsigned int last, std::ostream& os);

// One record line per record, in list order.
void write_result_log(std::vector<RECORD__>& records, std::ostream& os);

// Writes every output `s` asks for. Sorts `records` (for the model files) after
// the other outputs. Standard output carries the gamma lines (without a gamma
// file) and the scalar value; every output that could not be written gets one
// line on `err`. Returns false when something asked for is missing.
bool write_reports(std::vector<RECORD__>& records, const Selection& selection,
                   const RunSettings& s, const std::vector<std::string>& names,
                   std::ostream& out, std::ostream& err);

#endif  // DRIVER_REPORTS_H_
