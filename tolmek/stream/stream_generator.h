// Generating streams through one model many times. operator* copies the
// model's maps and looks every step up in them; a StreamGenerator turns the
// model into flat tables once and then generates into a caller's buffer,
// with the same generators, the same draws in the same order and the same
// output as operator*.

#ifndef TOLMEK_STREAM_STREAM_GENERATOR_H_
#define TOLMEK_STREAM_STREAM_GENERATOR_H_

#include <cstddef>
#include <map>
#include <vector>

#include "tolmek/stream/symbol.h"

class StreamGenerator {
 public:
  // Reads `aut` and `pit` (copied; the caller's maps are not changed).
  StreamGenerator(const std::map<int, std::map<symbol, int>>& aut,
                  const std::map<int, std::vector<double>>& pit);

  // Replaces `out` by the symbols of Symbolic_string_(input) * model and
  // returns that stream's alphabet size (the length of pit[0], 0 without
  // one). Sets up the kGenerate generator, reseeds the start draws and makes
  // the start draw exactly as operator* does. Models whose states are not
  // 0..n-1 or whose transitions lead elsewhere go through operator*.
  unsigned int generate(const std::vector<symbol>& input,
                        std::vector<symbol>& out) const;

 private:
  std::map<int, std::map<symbol, int>> aut_;  // for the map path
  std::map<int, std::vector<double>> pit_;
  bool flat_ = false;        // the tables below describe the model
  std::size_t states_ = 0;   // number of states of aut
  std::size_t width_ = 0;    // symbols 0..width-1 have a column
  std::size_t m_ = 0;        // length of pit[0]
  std::vector<int> next_;    // state * width + symbol -> next (-1: none)
  std::vector<double> cum_;  // state * (m - 1) + g -> p[0] + ... + p[g]
};

#endif  // TOLMEK_STREAM_STREAM_GENERATOR_H_
