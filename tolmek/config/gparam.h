// The tuning values of one inference, read from the configuration file.
// A plain value copied into every run.

#ifndef TOLMEK_CONFIG_GPARAM_H_
#define TOLMEK_CONFIG_GPARAM_H_

#include <cstdint>
#include <string>
#include <vector>

class gParam {
 public:
  double MIN_DEV_SYNC_SEARCH_ = 0.001;
  unsigned int LOOP_COUNT_SYNC_SEARCH_ = 1;
  unsigned int SYN_PREF_LENGTH_ = 4;
  double EPS_MIN_ = 0.001;
  double EPS_MAX_ = 0.05;
  double EPS_STEP_ = 0.001;
  unsigned int ANN_TEST_LEN_ = 100000;
  bool COL_PRINT = true;
  unsigned int EVALUATION_DEPTH = 5;
  bool EXTREMELY_SHORT_ = true;
  int NUM_EACH = 1;
  int MIN_STATE_SIZE = 0;
  bool USE_GAMMA = true;

  // Defaults, EVALUATION_DEPTH = evaluation_depth, then the keys of
  // `configuration_file` (a missing file or key keeps the default). Validates
  // nothing.
  gParam(std::string configuration_file, unsigned evaluation_depth);
  gParam() = default;
};

// Limits on values that would make an inference endless or its tables too
// large to hold.
constexpr unsigned long long kMaxMergeThresholds = 1000000;
constexpr unsigned int kMaxSynPrefLength = 1000000;
constexpr int kMaxNumEach = 1000000;
constexpr std::uint32_t kSymbolLimit = 4096;  // symbols must stay below
constexpr unsigned long long kMaxEvaluationWords = 10000000;

// The values of `param` a run must refuse, one line per refused value naming
// its key and value; empty when the bundle is usable. Call after every
// override of the bundle. Refuses: a merge-threshold sweep (from EPS_MIN_,
// adding EPS_STEP_ while EPS_MAX_ is not below) that would not end within
// kMaxMergeThresholds thresholds, an epsilon that stops growing included; a
// sweep that makes no pass at all (EPS_MIN_ above EPS_MAX_, or a NaN bound),
// which would leave every run without a candidate; NUM_EACH below 1 or above
// kMaxNumEach; SYN_PREF_LENGTH_ above kMaxSynPrefLength.
std::vector<std::string> parameter_problems(const gParam& param);

// What the stream checks need to know of one stream.
struct StreamShape {
  std::uint32_t largest_symbol = 0;  // 0 for an empty stream
  unsigned int alphabet_size = 0;
};

// The streams a run with `param` must refuse, one line per refusal naming the
// variable index (the position in `streams`), the key or quantity and its
// value; empty when all are usable. Refuses a stream whose largest symbol is
// kSymbolLimit or more, and one whose alphabet size k makes the words of
// lengths 0 to EVALUATION_DEPTH (the sum of k^l) more than
// kMaxEvaluationWords.
std::vector<std::string> stream_problems(
    const gParam& param, const std::vector<StreamShape>& streams);

#endif  // TOLMEK_CONFIG_GPARAM_H_
