#include "tolmek/config/gparam.h"

#include <sstream>
#include <utility>

#include "tolmek/config/config.h"

namespace {

// True when the merge-threshold sweep makes more than kMaxMergeThresholds
// passes. Runs the sweep's own arithmetic, so rounding counts exactly as
// it will in the inference, but gives up as soon as the epsilon stops
// growing.
bool sweep_too_long(const gParam& param) {
  unsigned long long count = 0;
  for (double eps = param.EPS_MIN_; param.EPS_MAX_ >= eps;) {
    if (++count > kMaxMergeThresholds) return true;
    const double next = eps + param.EPS_STEP_;
    if (next <= eps) return true;  // a NaN step ends the sweep instead
    eps = next;
  }
  return false;
}

// True when the words of lengths 0..depth over k symbols number more than
// kMaxEvaluationWords. Stops summing once past the bound, so nothing
// overflows.
bool too_many_words(unsigned long long k, unsigned int depth) {
  if (k == 0) return false;  // only the empty word
  if (k == 1) return depth + 1ULL > kMaxEvaluationWords;
  // term <= total <= kMaxEvaluationWords before each product, and k < 2^32,
  // so nothing overflows; with k >= 2 the loop ends within 24 steps.
  unsigned long long total = 1, term = 1;
  for (unsigned int l = 1; l <= depth; ++l) {
    term *= k;
    total += term;
    if (total > kMaxEvaluationWords) return true;
  }
  return false;
}

}  // namespace

gParam::gParam(std::string configuration_file, unsigned evaluation_depth)
    : EVALUATION_DEPTH(evaluation_depth) {
  CONFIG config(std::move(configuration_file));
  config.set<double>(EPS_MIN_, "EPS_MIN_");
  config.set<double>(EPS_MAX_, "EPS_MAX_");
  config.set<double>(EPS_STEP_, "EPS_STEP_");
  config.set<unsigned int>(ANN_TEST_LEN_, "ANN_TEST_LEN_");
  config.set<bool>(COL_PRINT, "COL_PRINT");
  config.set<unsigned int>(EVALUATION_DEPTH, "EVALUATION_DEPTH");
  config.set<unsigned int>(SYN_PREF_LENGTH_, "SYN_PREF_LENGTH_");
  config.set<unsigned int>(LOOP_COUNT_SYNC_SEARCH_, "LOOP_COUNT_SYNC_SEARCH_");
  config.set<double>(MIN_DEV_SYNC_SEARCH_, "MIN_DEV_SYNC_SEARCH_");
  config.set<bool>(EXTREMELY_SHORT_, "EXTREMELY_SHORT_");
  config.set<int>(NUM_EACH, "NUM_EACH");
  config.set<int>(MIN_STATE_SIZE, "MIN_STATE_SIZE");
  config.set<bool>(USE_GAMMA, "USE_GAMMA");
}

std::vector<std::string> parameter_problems(const gParam& param) {
  std::vector<std::string> problems;
  if (!(param.EPS_MAX_ >= param.EPS_MIN_)) {
    std::ostringstream out;
    out << "EPS_MIN_ " << param.EPS_MIN_ << " and EPS_MAX_ " << param.EPS_MAX_
        << ": the merge-threshold sweep would try no threshold at all";
    problems.push_back(out.str());
  } else if (sweep_too_long(param)) {
    std::ostringstream out;
    out << "EPS_STEP_ " << param.EPS_STEP_ << ": the merge-threshold sweep "
        << "from EPS_MIN_ " << param.EPS_MIN_ << " to EPS_MAX_ "
        << param.EPS_MAX_ << " would not end within " << kMaxMergeThresholds
        << " thresholds";
    problems.push_back(out.str());
  }
  if (param.NUM_EACH < 1 || param.NUM_EACH > kMaxNumEach) {
    problems.push_back("NUM_EACH " + std::to_string(param.NUM_EACH) +
                       ": must be from 1 to " + std::to_string(kMaxNumEach));
  }
  if (param.SYN_PREF_LENGTH_ > kMaxSynPrefLength) {
    problems.push_back(
        "SYN_PREF_LENGTH_ " + std::to_string(param.SYN_PREF_LENGTH_) +
        ": must be at most " + std::to_string(kMaxSynPrefLength));
  }
  return problems;
}

std::vector<std::string> stream_problems(
    const gParam& param, const std::vector<StreamShape>& streams) {
  std::vector<std::string> problems;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    const std::string variable = "variable " + std::to_string(i) + ": ";
    if (streams[i].largest_symbol >= kSymbolLimit) {
      problems.push_back(variable + "largest symbol " +
                         std::to_string(streams[i].largest_symbol) +
                         ": symbols must be below " +
                         std::to_string(kSymbolLimit));
    }
    if (too_many_words(streams[i].alphabet_size, param.EVALUATION_DEPTH)) {
      problems.push_back(
          variable + "EVALUATION_DEPTH " +
          std::to_string(param.EVALUATION_DEPTH) + " with alphabet size " +
          std::to_string(streams[i].alphabet_size) + ": more than " +
          std::to_string(kMaxEvaluationWords) + " words to evaluate");
    }
  }
  return problems;
}
