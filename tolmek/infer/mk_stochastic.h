// Probability vectors from symbol counts, in single precision.

#ifndef TOLMEK_INFER_MK_STOCHASTIC_H_
#define TOLMEK_INFER_MK_STOCHASTIC_H_

#include <map>
#include <vector>

#include "tolmek/stream/symbol.h"

// Normalises a symbol -> count map into a probability vector indexed by symbol
// number: one entry per number from 0 to the largest symbol present, 0.0 for
// the symbols absent from the map. The total, its reciprocal and every
// product are 32-bit floats, widened to double at the end; results therefore
// differ from a double-precision division in the last digits, and merge
// decisions downstream depend on that. An empty map gives an empty vector;
// all-zero counts give all zeros. `counts` is not changed.
std::vector<double> mk_stochastic(std::map<symbol, unsigned int>& counts);

#endif  // TOLMEK_INFER_MK_STOCHASTIC_H_
