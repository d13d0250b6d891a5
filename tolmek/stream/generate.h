// Generating a stream through a probabilistic automaton: the input symbols
// choose the transitions, the emission vectors choose the output symbols.
// Symbolic_string_::operator*(PFSA&) is this operation on a model's `aut`
// and `pit`.

#ifndef TOLMEK_STREAM_GENERATE_H_
#define TOLMEK_STREAM_GENERATE_H_

#include <map>
#include <vector>

#include "tolmek/stream/symbol.h"
#include "tolmek/stream/symbolic_string.h"

// One output symbol per symbol of `input`, with alphabet size m = the length
// of pit[0] (0 when state 0 has no vector).
//
// Draws: a generator of operation kGenerate is set up first, then the start
// draws are reseeded; with more than one state in `aut` the start state is
// start_draw(kGenerateStart), sign-extended, modulo (states - 1) as an
// unsigned number, so the last state is never a start state; otherwise 0.
// Each position reads t = aut[state][x] (a missing entry means state 0); for
// t = -1 the output is 0, the state stays and nothing is drawn. Otherwise a
// uniform u in [0, 1) picks the first symbol g <= m - 2 whose running sum
// pit[state][0] + ... + pit[state][g] reaches u, else m - 1; then the state
// becomes t. Entries missing from a short (or absent) vector count as 0.
// m = 0 gives all zeros. The maps are taken by value: the caller's model is
// not changed. Safe on several threads with different arguments.
Symbolic_string_ generate_through(const std::vector<symbol>& input,
                                  std::map<int, std::map<symbol, int>> aut,
                                  std::map<int, std::vector<double>> pit);

#endif  // TOLMEK_STREAM_GENERATE_H_
