// The random selection, the inversion and the agreement selection of
// symbolic streams, writing into buffers the caller owns and reuses. The
// stream operators ~, ! and + are these functions wrapped into new streams;
// the scoring of an inference calls them directly so that its repetitions
// allocate nothing once the buffers have grown.

#ifndef TOLMEK_STREAM_SELECTION_H_
#define TOLMEK_STREAM_SELECTION_H_

#include <cstdint>
#include <vector>

#include "tolmek/stream/symbol.h"

// Replaces `kept` by the symbols s of `seq` for which the i-th draw of
// gsl_rng_uniform_int(generator, k) equals s, one draw per symbol, from a
// generator set up for operation `op` (even for an empty `seq`). With k = 0
// nothing is drawn and nothing kept.
void random_selection(const std::vector<symbol>& seq, unsigned int k,
                      std::uint32_t op, std::vector<symbol>& kept);

// Replaces `out` by the inversion of `seq` over the alphabet 0..k-1: k - 1
// random selections (operations kInversionSelection + i, into `copies`,
// one after another), and at each position below the shortest the single
// symbol none of them shows, if exactly one is missing. k = 1: as many 0 as
// `seq` has symbols, no generator; k = 0: empty.
void inversion(const std::vector<symbol>& seq, unsigned int k,
               std::vector<std::vector<symbol>>& copies,
               std::vector<symbol>& out);

// Replaces `out` by a[i] for every position i below both lengths where
// a[i] == b[i].
void agreement(const std::vector<symbol>& a, const std::vector<symbol>& b,
               std::vector<symbol>& out);

#endif  // TOLMEK_STREAM_SELECTION_H_
