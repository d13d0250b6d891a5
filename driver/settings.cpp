#include "driver/settings.h"

#include <cstdint>
#include <ostream>
#include <sstream>

#include <boost/lexical_cast.hpp>
#include <boost/program_options.hpp>

#include "driver/version.h"
#include "tolmek/config/config.h"

namespace po = boost::program_options;

const char* const EMPTY_ARG_MESSAGE = "Exiting. Type -h or --help for usage";

namespace {

// Takes numeric tokens off the front of the remaining arguments as
// positional values, so that a value such as -0.5 is never read as a short
// option; a preceding multi-token option (--partition) absorbs them.
std::vector<po::option> ignore_numbers(std::vector<std::string>& args) {
  std::vector<po::option> result;
  int position = 0;
  while (!args.empty()) {
    double value = 0.0;
    if (!boost::conversion::try_lexical_convert(args.front(), value)) break;
    po::option opt;
    opt.position_key = position++;
    opt.value.push_back(args.front());
    opt.original_tokens.push_back(args.front());
    result.push_back(opt);
    args.erase(args.begin());
  }
  return result;
}

// The options, in the order of the usage text. Options that write straight
// into a setting do so when the command line is stored and notified.
po::options_description make_options(RunSettings& s) {
  po::options_description desc("Usage: ", 80, 40);
  // clang-format off
  desc.add_options()
    ("help,h", "print help message.")
    ("version,V", "print version number")
    ("datafile,f", po::value<std::string>(), "datafile")
    ("configfile,c", po::value<std::string>(), "configfile")
    ("datatype,T", po::value<std::string>(&s.DATA_TYPE),
     "data type: continous or symbolic")
    ("logfile,l", po::value<std::string>(), "filename to log results")
    ("gammafile,Y", po::value<std::string>(&s.gammafile),
     "filename to log delay gamma pairs")
    ("printgamma,y", po::value<bool>(&s.printgamma), "print delay gamma pairs")
    ("scalardir,j",
     "produce a scalar directional value, only if #variables is two")
    ("namefile,N", po::value<std::string>(), "names for variables in column")
    ("key,k", po::value<std::string>(),
     "selector string e.g. \"2 3 : 4 | :5|4:\"")
    ("keyfile,K", po::value<std::string>(), "selector string in file []")
    ("modelname_prefix,w", po::value<std::string>(),
     "model name prefix, directories must exist []")
    ("partition,p", po::value<std::vector<double>>()->multitoken(),
     "partition (common)")
    ("partitionfile,P", po::value<std::string>(),
     "variable quantization specification in file []")
    ("eps,e", po::value<double>(), "epsilon")
    ("annmax,A", po::value<double>(&s.annmax), "annihilation error max [0.1]")
    ("gammamin,g", po::value<double>(),
     "minimum value of gamma to write modelfiles")
    ("maxmodelfiles,G", po::value<int>(),
     "maximum number of modelfiles to be written [0:any number]")
    ("data_length,L", po::value<unsigned int>(&s.DATA_LENGTH),
     "maximum length of data read [100000000]")
    ("use_derivative,u", po::value<bool>(&s.use_derivative),
     "use derivative reading continuous data [false]")
    ("delay,d", po::value<unsigned int>(), "delay")
    ("delay-beg,B", po::value<unsigned int>(), "specify minimum delay")
    ("delay-end,E", po::value<unsigned int>(), "specify maximum delay")
    ("num,n", po::value<unsigned int>(), "number of repeats")
    ("verbose,v", po::value<bool>(), "verbose output")
    ("evaldepth,b", po::value<unsigned int>(&s.evaldepth),
     "evaluation depth for dravel validation [5]")
    ("printstatus,q", "no status output")
    ("graph,a", "draw XPFSA with dot")
    ("models,m", "write model files")
    ("jsonmodels,J", po::value<bool>(&s.jsonmodels),
     "choose model file format [true: JSON, default: true] ")
    ("include-self,S", "infer self model")
    ("seed,s", po::value<std::uint32_t>(),
     "seed for reproducible runs [time-based]");
  // clang-format on
  return desc;
}

// Options read as unsigned numbers. The options library converts "-1" to
// 4294967295 without complaint, so a minus sign in their value is refused.
bool is_unsigned_option(const std::string& key) {
  static const char* const kUnsigned[] = {"data_length", "delay", "delay-beg",
                                          "delay-end",   "num",   "evaldepth",
                                          "seed"};
  for (const char* name : kUnsigned) {
    if (key == name) return true;
  }
  return false;
}

// Stores `parsed` into `vm`. An unsigned option whose value carries a minus
// sign stops the storing there, as a value that does not convert would: the
// options before it are stored, then the error is thrown.
void store_checked(po::parsed_options parsed, po::variables_map& vm) {
  auto& options = parsed.options;
  for (auto it = options.begin(); it != options.end(); ++it) {
    if (!is_unsigned_option(it->string_key) || it->value.empty()) continue;
    const std::string& value = it->value.front();
    const auto first = value.find_first_not_of(" \t");
    if (first == std::string::npos || value[first] != '-') continue;
    const std::string key = it->string_key;
    const std::string token = value;
    options.erase(it, options.end());
    po::store(parsed, vm);
    po::invalid_option_value error(token);
    error.set_option_name("--" + key);
    throw error;
  }
  po::store(parsed, vm);
}

// True when the command line gave `name` a value. A store that failed half
// way leaves an entry without a value behind.
bool has(const po::variables_map& vm, const char* name) {
  const auto it = vm.find(name);
  return it != vm.end() && !it->second.empty();
}

// The driver's keys of the configuration file, in their reading order.
void read_configuration(RunSettings& s) {
  CONFIG config(s.configfile);
  config.set<unsigned int>(s.SYM_FRQ_DISPLAY_DEPTH_, "SYM_FRQ_DISPLAY_DEPTH_");
  config.set<unsigned int>(s.DATA_LENGTH, "DATA_LENGTH");
  config.set<std::string>(s.DOT_CFG, "DOT_CFG");
  config.set<std::string>(s.DOT_CFG_X, "DOT_CFG_X");
  config.set_vector<double>(s.PARTITION, "PARTITION");
  config.set<unsigned int>(s.FUTURE_STEPS, "FUTURE_STEPS");
  config.set<unsigned int>(s.RECENT_PAST, "RECENT_PAST");
  config.set<bool>(s.VERBOSE, "VERBOSE");
  config.set<std::string>(s.DATA_TYPE, "DATA_TYPE");
  config.set<std::string>(s.DATA_DIR, "DATA_DIR");
  config.set<int>(s.NUM_EACH, "NUM_EACH");
  config.set_vector_vector<symbol>(s.OMEGA_VECTOR, "OMEGA_VECTOR");
  config.set<unsigned int>(s.MAX_DEPTH_ENTROPY, "MAX_DEPTH_ENTROPY");
  config.set<bool>(s.PRODUCE_LOG, "PRODUCE_LOG");
  config.set<std::string>(s.LOGFILE, "LOGFILE");
  config.set<bool>(s.PRODUCE_GRAPH, "PRODUCE_GRAPH");
  config.set<bool>(s.PRODUCE_MODEL_FILES, "PRODUCE_MODEL_FILES");
  config.set<unsigned int>(s.OFFSET_MIN, "OFFSET_MIN");
  config.set<unsigned int>(s.OFFSET_MAX, "OFFSET_MAX");
  config.set<bool>(s.CONCURRENT_PRINT, "CONCURRENT_PRINT");
}

// The command line over the file's values, in this order.
void apply_command_line(const po::variables_map& vm, RunSettings& s) {
  if (has(vm, "datafile")) s.datafile = vm["datafile"].as<std::string>();
  if (has(vm, "namefile")) s.namefile = vm["namefile"].as<std::string>();
  if (has(vm, "logfile")) {
    s.LOGFILE = vm["logfile"].as<std::string>();
    s.PRODUCE_LOG = true;
  }
  if (has(vm, "key")) s.key = vm["key"].as<std::string>();
  if (has(vm, "keyfile")) s.keyfile = vm["keyfile"].as<std::string>();
  s.eps = has(vm, "eps") ? vm["eps"].as<double>() : -1.0;
  s.scalardir = has(vm, "scalardir");
  s.printstatus = has(vm, "printstatus");
  if (has(vm, "delay")) {
    s.OFFSET_MIN = s.OFFSET_MAX = vm["delay"].as<unsigned int>();
  }
  if (has(vm, "delay-beg")) s.OFFSET_MIN = vm["delay-beg"].as<unsigned int>();
  if (has(vm, "delay-end")) s.OFFSET_MAX = vm["delay-end"].as<unsigned int>();
  if (has(vm, "verbose")) s.VERBOSE = vm["verbose"].as<bool>();
  if (has(vm, "graph")) s.PRODUCE_GRAPH = true;
  if (has(vm, "models")) s.PRODUCE_MODEL_FILES = true;
  s.include_self = has(vm, "include-self");
  if (has(vm, "partition")) {
    s.PARTITION = vm["partition"].as<std::vector<double>>();
  }
  s.gammamin = has(vm, "gammamin") ? vm["gammamin"].as<double>() : 0.0;
  s.maxmodelfiles =
      has(vm, "maxmodelfiles") ? vm["maxmodelfiles"].as<int>() : 0;
  if (has(vm, "modelname_prefix")) {
    s.modelname_prefix = vm["modelname_prefix"].as<std::string>();
  }
  if (has(vm, "seed")) {
    s.has_seed = true;
    s.seed = vm["seed"].as<std::uint32_t>();
  }
  // Read later by the start-up sequence.
  if (has(vm, "num")) {
    s.has_num = true;
    s.num = vm["num"].as<unsigned int>();
  }
  if (has(vm, "partitionfile")) {
    s.has_partitionfile = true;
    s.partitionfile = vm["partitionfile"].as<std::string>();
  }
}

}  // namespace

std::string usage_text() {
  RunSettings scratch;
  std::ostringstream os;
  os << make_options(scratch);
  return os.str();
}

ParsedSettings parse_settings(int argc, const char* const* argv,
                              std::ostream& out) {
  ParsedSettings parsed;
  RunSettings& s = parsed.settings;
  const _VERSION_ version = quorvane_version();

  po::options_description desc = make_options(s);
  if (argc <= 1) {
    out << EMPTY_ARG_MESSAGE << std::endl;
    parsed.finished = true;
    parsed.exit_status = 1;
    return parsed;
  }

  po::variables_map vm;
  try {
    store_checked(po::command_line_parser(argc, argv)
                      .options(desc)
                      .extra_style_parser(ignore_numbers)
                      .run(),
                  vm);
    po::notify(vm);
  } catch (const std::exception& e) {
    out << "\n" << e.what() << "\n" << desc << std::endl;
    parsed.command_line_error = true;
  }

  if (has(vm, "help")) {
    out << desc << std::endl;
    parsed.finished = true;
    return parsed;
  }
  if (has(vm, "version")) {
    out << version << std::flush;
    parsed.finished = true;
    return parsed;
  }

  if (has(vm, "configfile")) s.configfile = vm["configfile"].as<std::string>();
  read_configuration(s);
  apply_command_line(vm, s);
  return parsed;
}
