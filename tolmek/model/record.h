// The result of one (source, target, delay) run of the sweep.

#ifndef TOLMEK_MODEL_RECORD_H_
#define TOLMEK_MODEL_RECORD_H_

#include <ostream>

#include "tolmek/model/pfsa.h"

struct RECORD__ {
  unsigned int src = 0;
  unsigned int tgt = 0;
  double gamma = 0.0;
  double mrgeps = 0.0;
  PFSA pfsa;
  double annerr = 0.0;
  unsigned int delay = 0;
};

// The record line: src, tgt, delay, gamma, mrgeps, annerr and the number of
// states of pfsa (entries of its aut), each followed by one blank; doubles in
// the stream's default format. No line end.
std::ostream& operator<<(std::ostream& os, RECORD__& r);

#endif  // TOLMEK_MODEL_RECORD_H_
