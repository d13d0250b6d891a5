#include "driver/settings.h"

#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace {

using testing_util::ScopedTempDir;
using testing_util::write_file;

// Parses `args` (without the program name) with an optional configuration
// file holding `config` (written into a temporary directory and named with
// -c); returns the outcome and what went to `out`.
struct Parsed {
  ParsedSettings result;
  std::string out;
};

Parsed parse(std::vector<std::string> args, const std::string& config = "",
             bool with_config = true) {
  ScopedTempDir dir;
  std::vector<std::string> full = {"quorvane"};
  if (with_config) {
    const std::string path = dir.file("run.cfg");
    write_file(path, config);
    full.push_back("-c");
    full.push_back(path);
  }
  full.insert(full.end(), args.begin(), args.end());
  std::vector<const char*> argv;
  for (const auto& a : full) argv.push_back(a.c_str());
  std::ostringstream out;
  Parsed p;
  p.result = parse_settings(static_cast<int>(argv.size()), argv.data(), out);
  p.out = out.str();
  return p;
}

struct PrecedenceCase {
  const char* name;
  const char* config;
  std::vector<std::string> args;
  std::function<void(const RunSettings&)> check;
};

TEST(SettingsTest, PrecedenceOfDefaultsFileAndCommandLine) {
  const PrecedenceCase kCases[] = {
      {"defaults",
       "",
       {},
       [](const RunSettings& s) {
         EXPECT_EQ(s.datafile, "data1.txt");
         EXPECT_EQ(s.DATA_TYPE, "continuous");
         EXPECT_EQ(s.DATA_DIR, "across");
         EXPECT_EQ(s.DATA_LENGTH, 100000000u);
         EXPECT_EQ(s.OFFSET_MIN, 1u);
         EXPECT_EQ(s.OFFSET_MAX, 10u);
         EXPECT_EQ(s.NUM_EACH, 25);
         EXPECT_EQ(s.eps, -1.0);
         EXPECT_EQ(s.key, ":");
         EXPECT_TRUE(s.jsonmodels);
         EXPECT_FALSE(s.PRODUCE_LOG);
         EXPECT_EQ(s.LOGFILE, "result.log");
         EXPECT_EQ(s.annmax, 0.1);
         EXPECT_EQ(s.DOT_CFG_X, "dot.cfg");
         EXPECT_FALSE(s.has_seed);
       }},
      {"file data length wins over command line",
       "#DATA_LENGTH\n500\n",
       {"--data_length", "1000"},
       [](const RunSettings& s) { EXPECT_EQ(s.DATA_LENGTH, 500u); }},
      {"command line data length without key",
       "",
       {"--data_length", "1000"},
       [](const RunSettings& s) { EXPECT_EQ(s.DATA_LENGTH, 1000u); }},
      {"file data type wins over command line",
       "#DATA_TYPE\nsymbolic\n",
       {"-T", "continuous"},
       [](const RunSettings& s) { EXPECT_EQ(s.DATA_TYPE, "symbolic"); }},
      {"command line delays win over file",
       "#OFFSET_MIN\n4\n#OFFSET_MAX\n9\n",
       {"--delay", "3", "--delay-end", "7"},
       [](const RunSettings& s) {
         EXPECT_EQ(s.OFFSET_MIN, 3u);
         EXPECT_EQ(s.OFFSET_MAX, 7u);
       }},
      {"delay alone sets both",
       "",
       {"--delay", "3"},
       [](const RunSettings& s) {
         EXPECT_EQ(s.OFFSET_MIN, 3u);
         EXPECT_EQ(s.OFFSET_MAX, 3u);
       }},
      {"file delays",
       "#OFFSET_MIN\n4\n#OFFSET_MAX\n9\n",
       {},
       [](const RunSettings& s) {
         EXPECT_EQ(s.OFFSET_MIN, 4u);
         EXPECT_EQ(s.OFFSET_MAX, 9u);
       }},
      {"logfile switches the log on",
       "#PRODUCE_LOG\n0\n#LOGFILE\nf.log\n",
       {"-l", "run.log"},
       [](const RunSettings& s) {
         EXPECT_TRUE(s.PRODUCE_LOG);
         EXPECT_EQ(s.LOGFILE, "run.log");
       }},
      {"file switches outputs on",
       "#PRODUCE_LOG\n1\n#PRODUCE_GRAPH\n1\n"
       "#PRODUCE_MODEL_FILES\n1\n#LOGFILE\nf.log\n",
       {},
       [](const RunSettings& s) {
         EXPECT_TRUE(s.PRODUCE_LOG);
         EXPECT_TRUE(s.PRODUCE_GRAPH);
         EXPECT_TRUE(s.PRODUCE_MODEL_FILES);
         EXPECT_EQ(s.LOGFILE, "f.log");
       }},
      {"graph and models switches",
       "",
       {"-a", "-m", "-S", "-q", "-j"},
       [](const RunSettings& s) {
         EXPECT_TRUE(s.PRODUCE_GRAPH);
         EXPECT_TRUE(s.PRODUCE_MODEL_FILES);
         EXPECT_TRUE(s.include_self);
         EXPECT_TRUE(s.printstatus);
         EXPECT_TRUE(s.scalardir);
       }},
      {"verbose value replaces the file's",
       "#VERBOSE\n1\n",
       {"--verbose", "false"},
       [](const RunSettings& s) { EXPECT_FALSE(s.VERBOSE); }},
      {"file partition replaced by command line",
       "#PARTITION\n0.5 0.7\n",
       {"--partition", "-1", "0", "1"},
       [](const RunSettings& s) {
         EXPECT_EQ(s.PARTITION, (std::vector<double>{-1, 0, 1}));
       }},
      {"file partition kept",
       "#PARTITION\n0.5 0.7\n",
       {},
       [](const RunSettings& s) {
         EXPECT_EQ(s.PARTITION, (std::vector<double>{0.5, 0.7}));
       }},
      {"num recorded for the bundle",
       "#NUM_EACH\n10\n",
       {"-n", "3"},
       [](const RunSettings& s) {
         EXPECT_EQ(s.NUM_EACH, 10);
         EXPECT_TRUE(s.has_num);
         EXPECT_EQ(s.num, 3u);
       }},
      {"straight-written options",
       "",
       {"-Y", "g.txt", "-y", "true", "-A", "0.3", "-u", "1",    "-b", "3",
        "-J", "false", "-g", "0.2",  "-G", "4",   "-w", "out/", "-e", "0.01"},
       [](const RunSettings& s) {
         EXPECT_EQ(s.gammafile, "g.txt");
         EXPECT_TRUE(s.printgamma);
         EXPECT_EQ(s.annmax, 0.3);
         EXPECT_TRUE(s.use_derivative);
         EXPECT_EQ(s.evaldepth, 3u);
         EXPECT_FALSE(s.jsonmodels);
         EXPECT_EQ(s.gammamin, 0.2);
         EXPECT_EQ(s.maxmodelfiles, 4);
         EXPECT_EQ(s.modelname_prefix, "out/");
         EXPECT_EQ(s.eps, 0.01);
       }},
      {"seed",
       "",
       {"--seed", "42"},
       [](const RunSettings& s) {
         EXPECT_TRUE(s.has_seed);
         EXPECT_EQ(s.seed, 42u);
       }},
      {"unused keys are read",
       "#OMEGA_VECTOR\n0 1 1\n1 0\n#DOT_CFG\nx.cfg\n",
       {},
       [](const RunSettings& s) {
         ASSERT_EQ(s.OMEGA_VECTOR.size(), 2u);
         EXPECT_EQ(s.OMEGA_VECTOR[0].size(), 3u);
         EXPECT_EQ(s.DOT_CFG, "x.cfg");
       }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Parsed p = parse(c.args, c.config);
    EXPECT_FALSE(p.result.finished);
    EXPECT_FALSE(p.result.command_line_error) << p.out;
    c.check(p.result.settings);
  }
}

TEST(SettingsTest, MissingConfigurationFileKeepsDefaultsCommandLineApplies) {
  Parsed p = parse({"-c", "/nonexistent/x.cfg", "-d", "2"}, "", false);
  EXPECT_EQ(p.result.settings.OFFSET_MIN, 2u);
  EXPECT_EQ(p.result.settings.DATA_LENGTH, 100000000u);
}

TEST(SettingsTest, NumericTokensBecomeValuesNotOptions) {
  struct Case {
    std::vector<std::string> args;
    std::vector<double> partition;
  };
  const Case kCases[] = {
      {{"--partition", "-0.5", "0", "0.5"}, {-0.5, 0, 0.5}},
      {{"-p", "-1e-3", "inf"}, {-1e-3, HUGE_VAL}},
      {{"-p", "1", "-d", "2"}, {1}},
      {{"-d", "2", "-p", "-2", "-1"}, {-2, -1}},
  };
  for (const auto& c : kCases) {
    Parsed p = parse(c.args);
    EXPECT_FALSE(p.result.command_line_error) << p.out;
    EXPECT_EQ(p.result.settings.PARTITION, c.partition) << c.args[1];
  }
  // A stray number that no option absorbs is dropped.
  Parsed stray = parse({"-5", "-d", "2"});
  EXPECT_FALSE(stray.result.command_line_error) << stray.out;
  EXPECT_EQ(stray.result.settings.OFFSET_MIN, 2u);
}

TEST(SettingsTest, NoArgumentsPrintsMessageAndStatusOne) {
  const char* argv[] = {"quorvane"};
  std::ostringstream out;
  ParsedSettings p = parse_settings(1, argv, out);
  EXPECT_TRUE(p.finished);
  EXPECT_EQ(p.exit_status, 1);
  EXPECT_EQ(out.str(), "Exiting. Type -h or --help for usage\n");
}

TEST(SettingsTest, HelpWinsOverVersion) {
  Parsed p = parse({"--help", "--version"}, "", false);
  EXPECT_TRUE(p.result.finished);
  EXPECT_EQ(p.result.exit_status, 0);
  EXPECT_EQ(p.out, usage_text() + "\n");
  EXPECT_NE(p.out.find("seed for reproducible runs [time-based]"),
            std::string::npos);
}

TEST(SettingsTest, VersionPrintsTitle) {
  Parsed p = parse({"-V"}, "", false);
  EXPECT_TRUE(p.result.finished);
  EXPECT_EQ(p.out, "Quorvane v1.7\n");
}

TEST(SettingsTest, CommandLineErrorIsReportedAndRunGoesOn) {
  struct Case {
    std::vector<std::string> args;
    unsigned int expected_offset_min;
  };
  const Case kCases[] = {
      {{"--bogus"}, 1},             // parser fails: nothing stored
      {{"-d", "3", "--delay"}, 1},  // missing value
      {{"-d", "x"}, 1},             // malformed value
      {{"-d", "3", "-d", "4"}, 3},  // given twice: the first is kept
  };
  for (const auto& c : kCases) {
    Parsed p = parse(c.args);
    EXPECT_TRUE(p.result.command_line_error) << c.args[0];
    EXPECT_FALSE(p.result.finished);
    EXPECT_EQ(p.out.substr(0, 1), "\n");
    EXPECT_NE(p.out.find(usage_text()), std::string::npos);
    EXPECT_EQ(p.result.settings.OFFSET_MIN, c.expected_offset_min);
  }
}

TEST(SettingsTest, UsageListsOptionsInOrderWithCaption) {
  const std::string usage = usage_text();
  EXPECT_EQ(usage.rfind("Usage: ", 0), 0u);
  const char* kOrder[] = {"--help",
                          "--version",
                          "--datafile",
                          "--configfile",
                          "--datatype",
                          "--logfile",
                          "--gammafile",
                          "--printgamma",
                          "--scalardir",
                          "--namefile",
                          "--key",
                          "--keyfile",
                          "--modelname_prefix",
                          "--partition ",
                          "--partitionfile",
                          "--eps",
                          "--annmax",
                          "--gammamin",
                          "--maxmodelfiles",
                          "--data_length",
                          "--use_derivative",
                          "--delay ",
                          "--delay-beg",
                          "--delay-end",
                          "--num",
                          "--verbose",
                          "--evaldepth",
                          "--printstatus",
                          "--graph",
                          "--models",
                          "--jsonmodels",
                          "--include-self",
                          "--seed"};
  std::size_t at = 0;
  for (const char* option : kOrder) {
    const std::size_t found = usage.find(option, at);
    ASSERT_NE(found, std::string::npos) << option;
    at = found;
  }
}

}  // namespace
