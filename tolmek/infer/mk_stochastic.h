// Normalisation of symbol counts into probability vectors, in single
// precision: downstream comparisons of these vectors depend on the float
// rounding, so the arithmetic must not be widened.

#ifndef TOLMEK_INFER_MK_STOCHASTIC_H_
#define TOLMEK_INFER_MK_STOCHASTIC_H_

#include <map>
#include <vector>

#include "tolmek/stream/symbol.h"

// Returns one probability per symbol number 0..largest symbol of `counts`
// (absent symbols get 0.0): each count times the float reciprocal of the
// float total, the product taken in float and widened to double. An empty
// map gives an empty vector; counts that are all zero give all zeros.
// `counts` is not changed. Safe to call from several threads.
std::vector<double> mk_stochastic(std::map<symbol, unsigned>& counts);

#endif  // TOLMEK_INFER_MK_STOCHASTIC_H_
