// Probabilistic finite-state automata: states 0..n-1, transitions labelled by
// symbols (-1: the symbol cannot occur in that state), and per state a
// probability vector over emitted symbols. A plain value, copied freely.

#ifndef TOLMEK_MODEL_PFSA_H_
#define TOLMEK_MODEL_PFSA_H_

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tolmek/stream/symbol.h"

class PFSA {
 public:
  std::map<int, std::vector<double>> pit;
  std::map<int, std::vector<double>> Xpit;
  std::map<int, std::map<symbol, int>> aut;
  int current_state = 0;
  std::vector<symbol> sample_path;
  unsigned int alphabet_size = 0;
  unsigned int num_states = 0;
  std::vector<double> stationary;
  std::vector<std::vector<double>> PI;
  std::map<symbol, std::vector<std::vector<double>>> Gamma;

  // Every container empty; alphabet_size 0.
  PFSA();
  // Copies both maps, recomputes the counts, picks a random start state
  // (C library generator reseeded from the clock) and walks 1000 steps.
  PFSA(std::map<int, std::vector<double>> pit,
       std::map<int, std::map<symbol, int>> aut);
  // As above from state `start`, 1000 steps.
  PFSA(std::map<int, std::vector<double>> pit,
       std::map<int, std::map<symbol, int>> aut, int start);
  // As above from state `start`, `length` steps (0: no walk).
  PFSA(std::map<int, std::vector<double>> pit,
       std::map<int, std::map<symbol, int>> aut, int start,
       unsigned long length);
  // Copies pit, Xpit, aut and current_state and walks afresh as many steps as
  // other's sample_path holds (none for an empty path: no generator, no
  // clock). stationary, PI and Gamma start empty.
  PFSA(PFSA const& other);
  // As copy construction, but the new walk is appended to this model's own
  // sample_path and stationary, PI and Gamma keep their values. Assigning a
  // model to itself does nothing.
  PFSA& operator=(PFSA const& other);
  ~PFSA() = default;

  std::map<int, std::vector<double>>& get_pit();
  std::map<int, std::vector<double>>& get_Xpit();
  std::map<int, std::map<symbol, int>>& get_aut();
  void set_pit(std::map<int, std::vector<double>>& p);
  void set_Xpit(std::map<int, std::vector<double>>& p);
  void set_aut(std::map<int, std::map<symbol, int>>& a);

  // Writes base + ".dot" and, unless the styling file's GRAPH_TYPE is
  // NO_DOT, renders it with DOT_PROG (no shell) to base + "." + GRAPH_TYPE.
  // An empty aut writes nothing. Throws GraphError (tolmek/graph) naming the
  // file when the dot file cannot be written or the render fails. Main
  // thread only.
  void drawGraphX(std::string base, std::string styling_file,
                  std::string caption);

 private:
  void walk(unsigned long steps);
};

// The sample path in hexadecimal, each symbol followed by a blank; leaves os
// in hex mode.
std::ostream& operator<<(std::ostream& os, PFSA& m);
// The transition table: one line per state, its next states in symbol order,
// each followed by a blank. State numbers and symbols are not written.
std::ostream& operator<<(std::ostream& os,
                         std::map<int, std::map<symbol, int>> a);

#endif  // TOLMEK_MODEL_PFSA_H_
