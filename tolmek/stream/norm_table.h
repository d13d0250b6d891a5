// The two stream norms computed from a flat table of word counts instead of
// the stream's Phi and Datapin maps. The scoring of an inference takes one
// norm per generated stream, so this path keeps no position lists and reuses
// its table between calls.
//
// The results are bit-identical to get_norm / get_reflected_norm on a freshly
// constructed stream: the same counts, the same in-place reflected merge in
// word order, the same single-precision normalisation and the same order of
// summation. A NormTable is used by one thread at a time.

#ifndef TOLMEK_STREAM_NORM_TABLE_H_
#define TOLMEK_STREAM_NORM_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tolmek/stream/symbol.h"

class NormTable {
 public:
  // What Symbolic_string_(seq, k).get_norm(d) leaves in `norm`.
  double norm(const std::vector<symbol>& seq, unsigned int k, unsigned int d);
  // What Symbolic_string_(seq, k).get_reflected_norm(d) leaves in `norm`.
  double reflected_norm(const std::vector<symbol>& seq, unsigned int k,
                        unsigned int d);

 private:
  // Counts every word of length 0..d of `seq` with the symbol after it into
  // counts_; false (nothing counted) when a symbol of `seq` is not below k or
  // the table would be too large, and the caller then takes the map path.
  bool count(const std::vector<symbol>& seq, unsigned int k, unsigned int d);
  // Sum over all words in increasing word order (a prefix before its
  // extensions) of each row's weighted deviation, times (k - 1) / k. A row
  // of an empty stream stands for an absent count (flat) when `empty_is_flat`.
  double weighted_sum(unsigned int k, unsigned int d, bool empty_is_flat);

  std::vector<std::size_t> offsets_;   // rows before the words of length l
  std::vector<double> weights_;        // k^(2l) as the norms compute it
  std::vector<std::uint32_t> counts_;  // row of a word, then symbol
  bool empty_stream_ = false;
};

// The pieces of the norms shared by the map path and the table path, so that
// both round alike.
namespace norm_detail {

// Largest |1/k - p[i]| over i = 0..k-1; entries beyond the end of p are 0.
double largest_deviation(const double* p, std::size_t size, unsigned int k);
// k^(2 * length) in double precision.
double weight(std::size_t length, unsigned int k);
// (k - 1) / k with k - 1 in unsigned arithmetic.
double final_factor(unsigned int k);
// The probabilities of `k` counts: each count times the float reciprocal of
// their float total, widened to double; all zeros when the total is 0.
void stochastic_row(const std::uint32_t* counts, unsigned int k, double* p);

}  // namespace norm_detail

#endif  // TOLMEK_STREAM_NORM_TABLE_H_
