#include "tolmek/config/config.h"

#include <climits>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace {

using testing_util::ScopedTempDir;
using testing_util::write_file;

// One configuration file per test, in a directory removed afterwards.
class ConfigFile {
 public:
  explicit ConfigFile(const std::string& content)
      : path_(dir_.file("g_config.cfg")) {
    write_file(path_, content);
  }
  CONFIG config() const { return CONFIG(path_); }

 private:
  ScopedTempDir dir_;
  std::string path_;
};

enum class Kind { kInt, kUnsigned, kDouble, kString, kBool };

// Looks `key` up as a scalar of `kind` starting from a recognisable default
// and returns the target printed, plus the lookup's result.
std::pair<std::string, bool> lookup_scalar(CONFIG config, const char* key,
                                           Kind kind) {
  std::ostringstream out;
  bool ok = false;
  switch (kind) {
    case Kind::kInt: {
      int v = -7;
      ok = config.set(v, key);
      out << v;
      break;
    }
    case Kind::kUnsigned: {
      unsigned int v = 7;
      ok = config.set(v, key);
      out << v;
      break;
    }
    case Kind::kDouble: {
      double v = -7.5;
      ok = config.set(v, key);
      out << v;
      break;
    }
    case Kind::kString: {
      std::string v = "default";
      ok = config.set(v, key);
      out << v;
      break;
    }
    case Kind::kBool: {
      bool v = true;
      ok = config.set(v, key);
      out << (v ? "true" : "false");
      break;
    }
  }
  return {out.str(), ok};
}

struct ScalarCase {
  const char* what;
  const char* content;
  const char* key;
  Kind kind;
  const char* want;
  bool want_ok;
};

const ScalarCase kScalarCases[] = {
    {"absent key keeps default", "#OTHER\n5\n", "N", Kind::kInt, "-7", true},
    {"value on next line", "% run\n#N\n5000\n", "N", Kind::kInt, "5000", true},
    {"header tokens ignored", "#N 7\n8\n", "N", Kind::kInt, "8", true},
    {"indented header", "  \t#N\n\t 3 4\n", "N", Kind::kInt, "3", true},
    {"header is case-sensitive", "#n\n5\n", "N", Kind::kInt, "-7", true},
    {"header in comment", "% #N\n5\n", "N", Kind::kInt, "-7", true},
    {"comment and blank lines skipped", "#N\n\n% note\n   \n  %x 1\n42\n", "N",
     Kind::kInt, "42", true},
    {"blank lines elsewhere harmless", "\n%a\n#N\n1\n\n%b\n", "N", Kind::kInt,
     "1", true},
    {"last line without line feed", "#N\n5", "N", Kind::kInt, "5", true},
    {"header at end without value", "#N\n", "N", Kind::kInt, "-7", true},
    {"carriage-return line ends", "#N\r\n\r\n5\r\n", "N", Kind::kInt, "5",
     true},
    {"scalar twice, last wins", "#N\n1\n#N\n2\n", "N", Kind::kInt, "2", true},
    {"second header lacks value", "#N\n1\n#N\n", "N", Kind::kInt, "1", true},
    {"bad then good", "#N\nx\n#N\n3\n", "N", Kind::kInt, "3", true},
    {"good then bad", "#N\n3\n#N\nx\n", "N", Kind::kInt, "0", false},
    {"prefix key ignores longer header", "#PARTITIONS\n9\n#PARTITION\n4\n",
     "PARTITION", Kind::kInt, "4", true},
    {"longer key finds own header", "#PARTITION\n4\n#PARTITIONS\n9\n",
     "PARTITIONS", Kind::kInt, "9", true},
    {"only longer header present", "#PARTITIONS\n9\n", "PARTITION", Kind::kInt,
     "-7", true},
    {"int reads leading number", "#N\n12abc\n", "N", Kind::kInt, "12", true},
    {"int with sign", "#N\n-12\n", "N", Kind::kInt, "-12", true},
    {"int from no number", "#N\nabc\n", "N", Kind::kInt, "0", false},
    {"int too large", "#N\n99999999999\n", "N", Kind::kInt, "2147483647",
     false},
    {"int too small", "#N\n-99999999999\n", "N", Kind::kInt, "-2147483648",
     false},
    // Stream extraction negates in the unsigned type, so -1 wraps.
    {"unsigned accepts -1 and wraps", "#N\n-1\n", "N", Kind::kUnsigned,
     "4294967295", true},
    {"unsigned too large", "#N\n4294967296\n", "N", Kind::kUnsigned,
     "4294967295", false},
    {"double takes first token", "#D\n0.1 0.5 0.9\n", "D", Kind::kDouble, "0.1",
     true},
    {"double exponent form", "#D\n1e-3\n", "D", Kind::kDouble, "0.001", true},
    {"double from no number", "#D\nfast\n", "D", Kind::kDouble, "0", false},
    {"string takes first token", "#S\nmy file.txt\n", "S", Kind::kString, "my",
     true},
    {"header after header as string", "#LOGFILE\n#DATA_DIR\nacross\n",
     "LOGFILE", Kind::kString, "#DATA_DIR", true},
    {"header after header as number", "#N\n#LOGFILE\nout.log\n", "N",
     Kind::kInt, "0", false},
    // The value line is consumed whole: it does not start a new header.
    {"same header twice in a row", "#N\n#N\n5\n", "N", Kind::kInt, "0", false},
    {"bool zero", "#B\n0\n", "B", Kind::kBool, "false", true},
    {"bool one", "#B\n1\n", "B", Kind::kBool, "true", true},
    {"bool other number", "#B\n2\n", "B", Kind::kBool, "true", false},
    {"bool word fails", "#B\ntrue\n", "B", Kind::kBool, "false", false},
};

TEST(ConfigTest, ScalarLookupCases) {
  for (const auto& c : kScalarCases) {
    ConfigFile file(c.content);
    const auto [got, ok] = lookup_scalar(file.config(), c.key, c.kind);
    EXPECT_EQ(c.want, got) << c.what;
    EXPECT_EQ(c.want_ok, ok) << c.what;
  }
}

TEST(ConfigTest, FurtherScalarTypesConvert) {
  ConfigFile file("#L\n-5000000000\n#F\n0.25\n#C\nxyz\n#UC\n7\n#LD\n2.5\n");
  CONFIG config = file.config();
  long l = 0;
  float f = 0;
  char c = 0;
  unsigned char uc = 0;
  long double ld = 0;
  EXPECT_TRUE(config.set(l, "L"));
  EXPECT_TRUE(config.set(f, "F"));
  EXPECT_TRUE(config.set(c, "C"));
  EXPECT_TRUE(config.set(uc, "UC"));
  EXPECT_TRUE(config.set(ld, "LD"));
  EXPECT_EQ(-5000000000L, l);
  EXPECT_EQ(0.25f, f);
  EXPECT_EQ('x', c);  // a character target takes one character
  EXPECT_EQ('7', uc);
  EXPECT_EQ(2.5L, ld);
}

TEST(ConfigTest, UnknownScalarTypeIsNamedAndNotRead) {
  ConfigFile file("#S\n5\n");
  short s = 3;
  symbol sym(3);
  testing::internal::CaptureStdout();
  const bool ok_short = file.config().set(s, "S");
  const bool ok_symbol = file.config().set(sym, "S");
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(ok_short);
  EXPECT_TRUE(ok_symbol);
  EXPECT_EQ(3, s);
  EXPECT_EQ(symbol(3), sym);
  EXPECT_EQ(std::string("xxx ") + typeid(short).name() + "\nxxx " +
                typeid(symbol).name() + "\n",
            out);
}

TEST(ConfigTest, KnownScalarTypesPrintNothing) {
  ConfigFile file("#N\n5\n");
  int n = 0;
  testing::internal::CaptureStdout();
  file.config().set(n, "N");
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  EXPECT_EQ(5, n);
}

TEST(ConfigTest, MissingFileLeavesEveryTargetAlone) {
  ScopedTempDir dir;
  CONFIG config(dir.file("absent.cfg"));
  int n = 4;
  std::string s = "keep";
  std::vector<double> v{1.5, 2.5};
  std::vector<std::vector<symbol>> rows{{1}};
  std::map<int, std::map<symbol, double>> m{{0, {{0, 0.5}}}};
  EXPECT_TRUE(config.set(n, "N"));
  EXPECT_TRUE(config.set(s, "S"));
  EXPECT_TRUE(config.set_vector<double>(v, "P"));
  EXPECT_TRUE(config.set_vector_vector<symbol>(rows, "O"));
  EXPECT_TRUE((config.set_map<int, symbol, double>(m, "M")));
  EXPECT_EQ(4, n);
  EXPECT_EQ("keep", s);
  EXPECT_EQ((std::vector<double>{1.5, 2.5}), v);
  EXPECT_EQ((std::vector<std::vector<symbol>>{{1}}), rows);
  EXPECT_EQ((std::map<int, std::map<symbol, double>>{{0, {{0, 0.5}}}}), m);
}

struct VectorCase {
  const char* what;
  const char* content;
  std::vector<double> want;
  bool want_ok;
};

const VectorCase kVectorCases[] = {
    {"absent key empties", "#OTHER\n1 2\n", {}, true},
    {"one line of values",
     "#P\n% thresholds\n0.25 0.5 0.75\n",
     {0.25, 0.5, 0.75},
     true},
    {"bad token in middle", "#P\n0.1 x 0.9\n", {0.1, 0.0, 0.9}, true},
    {"bad token last", "#P\n0.1 0.9 x\n", {0.1, 0.9, 0.0}, false},
    {"vector twice, first wins", "#P\n1 2\n#P\n3\n", {1, 2}, true},
    {"next line not part of it", "#P\n0.1\n0.2\n", {0.1}, true},
    {"header tokens ignored", "#P 5 6\n7\n", {7}, true},
    {"header after header", "#P\n#LOGFILE\nout\n", {}, true},
    {"header at end", "#P\n\n% c\n", {}, true},
    {"prefix key", "#PP\n1 2\n#P\n3\n", {3}, true},
    {"carriage returns", "#P\r\n0.5 1.5\r\n", {0.5, 1.5}, true},
};

TEST(ConfigTest, VectorLookupCases) {
  for (const auto& c : kVectorCases) {
    ConfigFile file(c.content);
    std::vector<double> v{9, 9};
    const bool ok = file.config().set_vector<double>(v, "P");
    EXPECT_EQ(c.want, v) << c.what;
    EXPECT_EQ(c.want_ok, ok) << c.what;
  }
}

struct RowsCase {
  const char* what;
  const char* content;
  std::vector<std::vector<symbol>> want;  // after the existing row {7}
  bool want_ok;
};

const RowsCase kRowsCases[] = {
    {"absent key", "#X\n1\n", {}, true},
    {"rows appended", "#O\n0 1 1\n1 0\n", {{0, 1, 1}, {1, 0}}, true},
    {"block ends at header", "#O\n1\n#X\n2\n", {{1}}, true},
    {"block ends at any # token", "#O\n1\n #\n2\n", {{1}}, true},
    {"comments and blanks skipped", "#O\n\n1\n% c\n\t\n2\n", {{1}, {2}}, true},
    {"first block only", "#O\n1\n#O\n2\n", {{1}}, true},
    {"header after header", "#O\n#X\n2\n", {}, true},
    {"bad token gives 0, last fails", "#O\n1 x\n", {{1, 0}}, false},
    {"bad token not last", "#O\nx 1\n", {{0, 1}}, true},
    {"prefix key", "#OO\n5\n#O\n6\n", {{6}}, true},
};

TEST(ConfigTest, RowLookupCases) {
  for (const auto& c : kRowsCases) {
    ConfigFile file(c.content);
    std::vector<std::vector<symbol>> rows{{7}};
    const bool ok = file.config().set_vector_vector<symbol>(rows, "O");
    std::vector<std::vector<symbol>> want{{7}};
    want.insert(want.end(), c.want.begin(), c.want.end());
    EXPECT_EQ(want, rows) << c.what;
    EXPECT_EQ(c.want_ok, ok) << c.what;
  }
}

TEST(ConfigTest, MapRowsReplaceEntriesWithTheirNumber) {
  ConfigFile file("#M\n0.5 0.5\n% second row\n0.1 0.9\n#N\n1\n");
  std::map<int, std::map<symbol, double>> m{{0, {{0, 9.0}, {5, 9.0}}},
                                            {3, {{0, 9.0}}}};
  EXPECT_TRUE((file.config().set_map<int, symbol, double>(m, "M")));
  const std::map<int, std::map<symbol, double>> want{
      {0, {{0, 0.5}, {1, 0.5}}}, {1, {{0, 0.1}, {1, 0.9}}}, {3, {{0, 9.0}}}};
  EXPECT_EQ(want, m);
}

TEST(ConfigTest, MapOfIntsConvertsAndReportsLastFailure) {
  ConfigFile file("#M\n3 x\n#M\n8\n");
  std::map<int, std::map<symbol, int>> m;
  EXPECT_FALSE((file.config().set_map<int, symbol, int>(m, "M")));
  EXPECT_EQ((std::map<int, std::map<symbol, int>>{{0, {{0, 3}, {1, 0}}}}), m);
}

TEST(ConfigTest, MapGainsNothingWithoutBlock) {
  ConfigFile file("#M\n#X\n1 2\n");
  std::map<int, std::map<symbol, int>> m{{2, {{0, 1}}}};
  EXPECT_TRUE((file.config().set_map<int, symbol, int>(m, "M")));
  EXPECT_TRUE((file.config().set_map<int, symbol, int>(m, "ABSENT")));
  EXPECT_EQ((std::map<int, std::map<symbol, int>>{{2, {{0, 1}}}}), m);
}

TEST(ConfigTest, TokeniseSplitsAtEveryWhitespace) {
  const std::pair<const char*, std::vector<std::string>> kCases[] = {
      {"", {}},
      {" \t\r\n\v\f", {}},
      {"a", {"a"}},
      {"  #KEY  value\t2\r", {"#KEY", "value", "2"}},
      {"a\vb\fc", {"a", "b", "c"}},
  };
  for (const auto& [line, want] : kCases)
    EXPECT_EQ(want, CONFIG::cheap_tokenise(line)) << "[" << line << "]";
}

TEST(ConfigTest, StrbegMatchesPrefixes) {
  EXPECT_TRUE(CONFIG::strbeg("%comment", "%"));
  EXPECT_TRUE(CONFIG::strbeg("abc", ""));
  EXPECT_TRUE(CONFIG::strbeg("", ""));
  EXPECT_TRUE(CONFIG::strbeg("abc", "abc"));
  EXPECT_FALSE(CONFIG::strbeg("ab", "abc"));
  EXPECT_FALSE(CONFIG::strbeg("", "%"));
  EXPECT_FALSE(CONFIG::strbeg(" %x", "%"));
}

}  // namespace
