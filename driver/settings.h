// The run settings of the command: built-in defaults, laid over by the
// configuration file, laid over by the command line.

#ifndef DRIVER_SETTINGS_H_
#define DRIVER_SETTINGS_H_

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "tolmek/stream/symbol.h"

// Settings named by a configuration key carry the key as their name, the
// others the option name. Defaults are the built-in ones.
struct RunSettings {
  std::string configfile = "g_config.cfg";
  std::string datafile = "data1.txt";
  std::string DATA_TYPE = "continuous";
  std::string DATA_DIR = "across";
  unsigned int DATA_LENGTH = 100000000;
  std::vector<double> PARTITION;
  bool has_partitionfile = false;
  std::string partitionfile;
  bool use_derivative = false;
  std::string namefile;
  std::string key = ":";
  std::string keyfile;
  bool include_self = false;
  unsigned int OFFSET_MIN = 1;
  unsigned int OFFSET_MAX = 10;
  int NUM_EACH = 25;
  bool has_num = false;
  unsigned int num = 0;
  double eps = -1.0;
  unsigned int evaldepth = 5;
  double annmax = 0.1;
  double gammamin = 0.0;
  int maxmodelfiles = 0;
  std::string modelname_prefix;
  bool VERBOSE = false;
  bool CONCURRENT_PRINT = false;
  bool printstatus = false;  // true: no progress bar
  bool PRODUCE_LOG = false;
  std::string LOGFILE = "result.log";
  bool printgamma = false;
  std::string gammafile;
  bool scalardir = false;
  bool PRODUCE_GRAPH = false;
  std::string DOT_CFG_X = "dot.cfg";
  bool PRODUCE_MODEL_FILES = false;
  bool jsonmodels = true;
  // Read from the configuration file; nothing in the command uses them.
  unsigned int SYM_FRQ_DISPLAY_DEPTH_ = 10;
  std::string DOT_CFG = "dot.cfg";
  unsigned int FUTURE_STEPS = 10;
  unsigned int RECENT_PAST = 50;
  std::vector<std::vector<symbol>> OMEGA_VECTOR;
  unsigned int MAX_DEPTH_ENTROPY = 15;
  // Reproducible runs: every random draw seeded from this value.
  bool has_seed = false;
  std::uint32_t seed = 0;
};

// What the command does after its settings are parsed.
struct ParsedSettings {
  RunSettings settings;
  bool finished = false;  // help, version or no arguments: nothing to run
  int exit_status = 0;    // the status to end with when `finished`
  bool command_line_error = false;  // reported on `out`; the run goes on
};

// "Exiting. Type -h or --help for usage"
extern const char* const EMPTY_ARG_MESSAGE;

// Parses the command line (argv[0] is the program name), reads the
// configuration file and lays the command line over it. Writes the usage,
// version and command-line error texts to `out`. Never ends the process.
ParsedSettings parse_settings(int argc, const char* const* argv,
                              std::ostream& out);

// The usage text (the options description).
std::string usage_text();

#endif  // DRIVER_SETTINGS_H_
