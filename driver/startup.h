// The start-up sequence: from the settled run settings to a ready set of
// inputs for the sweep (parameter bundle, side files, streams, names).

#ifndef DRIVER_STARTUP_H_
#define DRIVER_STARTUP_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "driver/settings.h"
#include "tolmek/config/gparam.h"
#include "tolmek/stream/symbolic_string.h"

struct RunInputs {
  std::string key;                        // the selector key
  gParam params;                          // after the driver's overrides
  std::vector<Symbolic_string_> streams;  // one per variable
  std::vector<std::string> names;         // empty, or one per stream
};

struct StartupResult {
  RunInputs inputs;
  // 0: ready for the sweep; otherwise the input was refused and the command
  // ends with this status (the messages are written already).
  int refused_status = 0;
};

// Runs the start-up in its order: key file, parameter bundle (with --eps and
// --num; a delay range of more than a million delays is refused here too),
// partition file, name file, data, the scalardir restriction, the
// name list check. Prescribed texts go to `out`, every other message (one
// line, naming the file, key or value) to `err`.
StartupResult start_up(const RunSettings& s, std::ostream& out,
                       std::ostream& err);

#endif  // DRIVER_STARTUP_H_
