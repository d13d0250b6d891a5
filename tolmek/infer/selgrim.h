// The inference engine: from a source and a target symbolic stream to a
// crossed probabilistic automaton whose states are classes of source
// histories and whose per-state probability vectors predict the next target
// symbol, and to gamma, the fraction of the target's entropy those states
// explain.
//
// selgrim holds the counting tables, the parameters and the candidate models
// and builds the candidate state graphs; selgrim_x is the crossed variant the
// command runs: its constructor is the whole inference. One object serves one
// (source, target) pair on one thread.

#ifndef TOLMEK_INFER_SELGRIM_H_
#define TOLMEK_INFER_SELGRIM_H_

#include <cstdint>
#include <map>
#include <vector>

#include "tolmek/config/gparam.h"
#include "tolmek/model/pfsa.h"
#include "tolmek/stream/symbol.h"
#include "tolmek/stream/symbolic_string.h"

// Orders next-symbol distributions for the distribution table of one
// construction pass: a is before b unless the L1 distance of the two (over
// a's indices; an index beyond b's end reads 0) is at most `eps`, in which
// case neither is before the other; beyond the threshold the order is the
// lexicographic one. Not a strict weak ordering: an ordered map built on it
// answers lookups by the path its tree happens to take, and the construction
// relies on exactly those answers.
class eps_compare_ {
 public:
  double eps;

  explicit eps_compare_(double eps_value) : eps(eps_value) {}
  bool operator()(const std::vector<double>& a,
                  const std::vector<double>& b) const;
};

// -sum v log2 v over the entries v > 0, in bits; an empty vector gives 0.
double dist_entropy(const std::vector<double>& v);

class selgrim {
 public:
  // Counts what follows word `w` into Phi (and its positions into Datapin)
  // unless Phi[w] holds counts already.
  virtual void getPhi(std::vector<symbol> w) = 0;
  // Computes the emission map of every candidate in aut_list into pit_list.
  virtual void getPit() = 0;

  // Per source word: how often each target symbol follows an occurrence.
  std::map<std::vector<symbol>, std::map<symbol, unsigned int>> Phi;
  // Per source word and next source symbol y: start positions of the
  // occurrences of the word that the source continues with y, in the order
  // found.
  std::map<std::vector<symbol>, std::map<symbol, std::vector<unsigned int>>>
      Datapin;
  unsigned int alphabet_size = 0;  // k: words and transitions use 0..k-1
  std::vector<symbol> sync;        // the synchronizing word
  std::vector<double> eps_list;    // merge threshold of each candidate
  // Transition map of each candidate: state -> symbol -> next state, -1 for
  // none.
  std::vector<std::map<int, std::map<symbol, int>>> aut_list;
  // Emission map of each candidate: state -> probability of each target
  // symbol.
  std::vector<std::map<int, std::vector<double>>> pit_list;
  bool no_model = false;  // the threshold sweep produced no candidate
  PFSA model;             // the chosen candidate's aut and pit
  double min_dev_sync_search = 0.0;
  unsigned int loop_count_sync_search = 0;
  unsigned int syn_pref_length = 0;
  double eps_min = 0.0;
  double eps_max = 0.0;
  double eps_step = 0.0;
  unsigned int ann_test_len = 0;
  bool col_print = false;
  unsigned int evaluation_depth = 0;
  double mrgeps = 0.0;  // merge threshold of the chosen candidate (0.0: none)
  double annerr = 1000000.0;      // mean annihilation error of the chosen one
  double best_score = 1000000.0;  // score of the chosen one

  // Replaces `w` by the next word over 0..alphabet_size-1 in shortlex order
  // and returns `w`: [] -> [0], [k-1] -> [0,0]. A last symbol of k-1 or more
  // carries.
  std::vector<symbol>& inc(std::vector<symbol>& w);

  // Searches a source word after which the next target symbol's distribution
  // no longer depends on the symbol before the word. Empties Phi first (not
  // Datapin), so it must run before any other counting on the object. Tests
  // at most syn_pref_length words, shortest first; returns the first accepted
  // one, otherwise the empty word, or the word after the last one tested when
  // a one-symbol history was never followed by a target symbol.
  std::vector<symbol> getSync();

  // Builds the candidate models of every merge threshold eps_min,
  // eps_min + eps_step, ... up to eps_max (accumulated in double) from
  // `sync`, appending to eps_list and aut_list; sets no_model when there is
  // none. A step that does not advance the threshold gives a single pass.
  void getAut();

  // The transition map of one construction pass with threshold `eps`.
  std::map<int, std::map<symbol, int>> construct(double eps);

  // The candidate models of transition map `m` (states 0..n-1): `m` itself
  // when it is strongly connected (or a single state); otherwise every
  // strongly connected part of two or more states, in the order the parts
  // finish in a depth-first search from state 0, renumbered from 0 and closed
  // on itself (exits and -1 lead to its first state), followed by one
  // single-state model looping on every symbol when some part had one state.
  // An empty map gives no model.
  std::vector<std::map<int, std::map<symbol, int>>> getComponent(
      std::map<int, std::map<symbol, int>> m);

 protected:
  selgrim() = default;
  selgrim(const selgrim&) = default;
  selgrim& operator=(const selgrim&) = default;
  // Not virtual: objects are never deleted through a selgrim pointer.
  ~selgrim() = default;
};

// The crossed inference of one source and one target stream.
class selgrim_x final : public selgrim {
 public:
  // How far the four-argument constructor carries the inference: the
  // members only, then the synchronizing word, the candidates, their
  // emission maps.
  enum class Stage { kMembers, kSync, kAut, kPit };

  // The whole inference. The streams are aligned: position t of the source
  // belongs with position t of the target (a delay is applied by the
  // caller). Afterwards `model`, `gamma`, `mrgeps`, `annerr` and
  // `best_score` hold the chosen candidate's results; with no candidate they
  // keep 0.0, 0.0, 1000000.0 and 1000000.0 and `model` stays empty. Random
  // draws go through tolmek/stream/random_source.h: install a SeedSource to
  // make a run reproducible. May print "EXCEPTION: aut and pit size
  // mismatch" on standard error (getPit). Parallel runs may construct
  // objects at the same time.
  selgrim_x(Symbolic_string_ source, Symbolic_string_ target, gParam params);
  // The inference up to and including `last`, without the scoring.
  selgrim_x(Symbolic_string_ source, Symbolic_string_ target, gParam params,
            Stage last);

  // Crossed counting: Phi[w][y] becomes the number of start positions a with
  // src[a..a+|w|-1] = w, a + |w| < N and tgt[a + |w|] = y (for the empty
  // word: y counted over tgt[0..N-1]), plus every target symbol the prefix's
  // entry holds with count 0. Counts the prefix chain on demand from its
  // position lists.
  void getPhi(std::vector<symbol> w) override;

  // For every candidate, walks it along the source and counts the target
  // symbol at each step per state; states no walk reaches take counts from
  // their defined transitions, after one "EXCEPTION: aut and pit size
  // mismatch" line on standard error per such candidate. Lookups of
  // transitions missing from a candidate insert them with next state 0.
  void getPit() override;

  // H0: entropy in bits of the symbol frequencies of the whole target, over
  // at least the symbols 0..tgt_alphabet_size-1.
  double target_entropy() const;

  // Occupation of the states of `a` by `repetitions` walks along the whole
  // source, each from a random state other than the last (state 0 for one
  // state), the start of repetition r drawn at draw position
  // (candidate, r); a -1 transition leads to state 0. Each entry is divided
  // by source length times repetitions. Lookups insert missing transitions
  // into `a` with next state 0.
  std::vector<double> occupation(std::map<int, std::map<symbol, int>>& a,
                                 std::uint32_t candidate, int repetitions);

  // Mean, over `repetitions`, of the norm left by a stream generated from
  // the source through the model (a, p), inverted and agreement-selected
  // against a random selection of the target: the reflected norm when
  // `reflected`, else the plain norm, of depth evaluation_depth. The draws
  // of repetition r happen at draw position (candidate, r). Zero
  // repetitions give NaN.
  double annihilation_error(const std::map<int, std::map<symbol, int>>& a,
                            const std::map<int, std::vector<double>>& p,
                            std::uint32_t candidate, int repetitions,
                            bool reflected);

  // Score and gamma of a candidate from its error, H0 and its conditional
  // entropy Hc: (Hc/H0 * e, 1 - Hc/H0) when 0 < H0 and Hc <= H0, else
  // (e, 0).
  struct GammaScore {
    double score;
    double gamma;
  };
  static GammaScore gamma_score(double error, double h0, double hc);

  // Scores every candidate (`repetitions` each) and keeps the first one with
  // the smallest score below best_score; reseeds the start-state draws
  // first. Inside a parallel region the candidates are scored as OpenMP
  // tasks, with the seed source of the calling thread; the result is the
  // same as scoring them one after another.
  void choose_candidate(int repetitions);

  // Error, score and gamma of candidate (a, p) with `h0` the target
  // entropy; plain mode leaves gamma 0. May insert transitions into `a` and
  // entries into `p`. Reads the object only, so candidates may be scored
  // at the same time.
  void score_candidate(std::uint32_t candidate, int repetitions, double h0,
                       std::map<int, std::map<symbol, int>>& a,
                       std::map<int, std::vector<double>>& p, double& error,
                       double& score, double& gamma_out);

  std::vector<symbol> src_seq;
  std::vector<symbol> tgt_seq;
  unsigned int src_alphabet_size = 0;
  unsigned int tgt_alphabet_size = 0;
  std::uint64_t common_length = 0;  // N, the shorter of the two lengths
  bool use_gamma = true;
  double gamma = 0.0;
};

#endif  // TOLMEK_INFER_SELGRIM_H_
