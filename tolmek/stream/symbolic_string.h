// Symbolic streams: symbols over {0, ..., k-1} plus statistics computed on
// demand and cached in the stream.
//
// Copy construction keeps only the symbols and the alphabet size (the caches
// start empty); copy assignment copies every member, caches included. Moves
// behave as copies. A stream is not safe for concurrent modification: the
// statistics write its caches.

#ifndef TOLMEK_STREAM_SYMBOLIC_STRING_H_
#define TOLMEK_STREAM_SYMBOLIC_STRING_H_

#include <map>
#include <ostream>
#include <vector>

#include "tolmek/stream/random_source.h"
#include "tolmek/stream/symbol.h"

class PFSA;

// Replaces w by its successor in shortlex order over the symbols 0..k-1 and
// returns w: [] -> [0], [k-1] -> [0,0]. A last symbol of k-1 or more
// carries. The one word enumeration of streams and of the inference.
std::vector<symbol>& next_word(std::vector<symbol>& w, unsigned int k);

class Symbolic_string_ {
 public:
  std::vector<symbol> seq;
  std::vector<symbol> sync;
  unsigned int alphabet_size = 0;
  std::vector<double> partition;
  std::map<std::vector<symbol>, std::map<symbol, unsigned int>> Phi;
  std::map<std::vector<symbol>, std::map<symbol, std::vector<unsigned int>>>
      Datapin;
  double norm = 0.0;

  // `seq` becomes a copy of s and the alphabet size k.
  Symbolic_string_(std::vector<symbol>& s, unsigned int k);
  // `seq` becomes a copy of s; the alphabet size is the number of distinct
  // values in s (not the largest plus one).
  explicit Symbolic_string_(std::vector<symbol>& s);
  Symbolic_string_(Symbolic_string_ const& other);
  Symbolic_string_& operator=(Symbolic_string_ const& other);
  ~Symbolic_string_() = default;

  // Replaces w by its successor in shortlex order over this stream's
  // alphabet and returns w: [] -> [0], [k-1] -> [0,0]. A last symbol of k-1
  // or more carries. Reads only the alphabet size.
  std::vector<symbol>& inc(std::vector<symbol>& w);

  // Random selection: keeps each symbol s exactly when a uniform draw in
  // 0..k-1 equals s (one draw per symbol, own generator per call).
  Symbolic_string_ operator~();
  // Agreement selection: the symbols where both streams agree, position by
  // position, over the shorter length; this stream's alphabet size.
  Symbolic_string_ operator+(Symbolic_string_ const& other);
  // Inversion: from k-1 random selections, at each position below the
  // shortest one the single symbol none of them shows (if exactly one).
  // Alphabet size 1: as long as the stream, all 0. Alphabet size 0: empty.
  Symbolic_string_ operator!();
  // Generates a target-like stream through `model`: this stream drives the
  // transitions, the emission vectors choose the symbols. One output symbol
  // per input symbol; alphabet size m = length of the model's pit[0] (0 when
  // state 0 has no vector). Reads only `aut` and `pit`, through copies: the
  // model is not changed.
  //
  // Draws: a generator of operation kGenerate is set up first, then the
  // start draws are reseeded; with more than one state in `aut` the start
  // state is start_draw(kGenerateStart), sign-extended, modulo (states - 1)
  // as an unsigned number, so the last state never starts; otherwise 0. Each
  // position reads t = aut[state][x] (a missing entry means state 0); for
  // t = -1 the output is 0, the state stays and nothing is drawn. Otherwise
  // a uniform u in [0, 1) picks the first g <= m - 2 whose running sum
  // pit[state][0] + ... + pit[state][g] reaches u, else m - 1, and the
  // state becomes t. Entries missing from a short (or absent) vector count
  // as 0. m = 0 gives all zeros.
  Symbolic_string_ operator*(PFSA& model);

  // Counts of what follows word w (memoised in Phi and Datapin).
  void gen_Phi(std::vector<symbol> w);
  // Deviation from the flat distribution over words of length 0..d; sets
  // `norm`. An alphabet of 0 gives 0.
  void get_norm(unsigned int d);
  // The same after merging each word's counts with its reflection's, in
  // place and in word order; rewrites Phi. An alphabet of 0 gives 0.
  void get_reflected_norm(unsigned int d);
};

// Every symbol in hexadecimal followed by a blank; leaves os in hex mode.
std::ostream& operator<<(std::ostream& os, Symbolic_string_ s);
// Every symbol's value in os's current base, each followed by a blank.
std::ostream& operator<<(std::ostream& os, std::vector<symbol>& w);

#endif  // TOLMEK_STREAM_SYMBOLIC_STRING_H_
