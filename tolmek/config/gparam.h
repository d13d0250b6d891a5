// The tuning values of one inference, read from the configuration file.
// A plain value copied into every run.

#ifndef TOLMEK_CONFIG_GPARAM_H_
#define TOLMEK_CONFIG_GPARAM_H_

#include <string>

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

#endif  // TOLMEK_CONFIG_GPARAM_H_
