#include "tolmek/data/token_scan.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Inputs read both ways, number after number until a read fails. Chosen for
// the corners of formatted extraction: signs, points, exponents, overflow,
// hexadecimal and named values, tokens that end a line, white space.
const std::vector<std::string> kInputs = {
    "1e3",
    "-0",
    "+5",
    "0x10",
    "inf",
    "-inf",
    "nan",
    "NaN",
    "INF",
    "infinity",
    "1.5.5",
    "1..2",
    ".5.5",
    "12abc",
    "",
    "-",
    "+",
    ".",
    "-.",
    "+.",
    "1e",
    "1e+",
    "1e-",
    "1ex",
    "1E5",
    "1e+05",
    "1e-5",
    "1e5e5",
    "1e5.3",
    "1e2.5",
    "e5",
    ".e5",
    "-.5",
    "5.",
    "00012",
    "0e0",
    "-0.0e-0",
    "+-5",
    "--1",
    "0.5e",
    "0x1p3",
    "1_000",
    "1,5",
    "1.5,2.5",
    "1;2",
    "3 NA 4",
    "0.1 0.2 0.3",
    "1 2 3 ",
    " 7",
    "  ",
    "\t\r 3\r",
    "\v\f9\n8",
    "\xe2\x80\x83 5",
    "4294967295",
    "4294967296",
    "-1",
    "-4294967295",
    "-4294967296",
    "99999999999999999999x",
    "18446744073709551616",
    "18446744073709551617 3",
    "1e400",
    "-1e400",
    "1e-400",
    "-1e-400",
    "1e-310",
    "2.4e-324",
    "2.5e-324",
    "4.9e-324",
    "1.7976931348623157e308",
    "1.7976931348623158e308",
    "1.7976931348623159e308",
    "123456789012345678901234567890",
    "3.14159265358979323846264338327950288",
    "0." + std::string(400, '0') + "1",
    "1" + std::string(400, '0'),
    "1" + std::string(400, '0') + "e-400",
    "0.1e99999999999999999999",
    "7 -3.25e2 +0.5 8e 9"};

struct Read {
  bool ok;
  std::uint64_t bits;  // the value stored, bit for bit (tells -0 from 0)
  std::size_t pos;     // characters consumed so far

  bool operator==(const Read& o) const {
    return ok == o.ok && bits == o.bits && pos == o.pos;
  }
};

template <typename T>
std::uint64_t bits_of(T v) {
  std::uint64_t b = 0;
  std::memcpy(&b, &v, sizeof v);
  return b;
}

template <typename T>
std::vector<Read> read_with_stream(const std::string& input) {
  std::vector<Read> reads;
  std::istringstream in(input);
  for (;;) {
    T v = 42;  // a failed read at the end must leave this untouched
    const bool ok = static_cast<bool>(in >> v);
    in.clear();
    reads.push_back({ok, bits_of(v), static_cast<std::size_t>(in.tellg())});
    if (!ok) return reads;
  }
}

template <typename T, typename Scan>
std::vector<Read> read_with_scanner(const std::string& input, Scan scan) {
  std::vector<Read> reads;
  std::size_t pos = 0;
  for (;;) {
    T v = 42;
    const bool ok = scan(input, pos, v);
    reads.push_back({ok, bits_of(v), pos});
    if (!ok) return reads;
  }
}

std::string describe(const std::vector<Read>& reads) {
  std::ostringstream out;
  for (const Read& r : reads)
    out << "{ok " << r.ok << " bits " << std::hex << r.bits << std::dec
        << " pos " << r.pos << "} ";
  return out.str();
}

TEST(TokenScanTest, DoubleReadsExactlyLikeStreamExtraction) {
  for (const std::string& input : kInputs) {
    const auto want = read_with_stream<double>(input);
    const auto got = read_with_scanner<double>(input, scan_double);
    EXPECT_EQ(want, got) << "[" << input << "]\nstream:  " << describe(want)
                         << "\nscanner: " << describe(got);
  }
}

TEST(TokenScanTest, UnsignedReadsExactlyLikeStreamExtraction) {
  for (const std::string& input : kInputs) {
    const auto want = read_with_stream<unsigned int>(input);
    const auto got = read_with_scanner<unsigned int>(input, scan_unsigned);
    EXPECT_EQ(want, got) << "[" << input << "]\nstream:  " << describe(want)
                         << "\nscanner: " << describe(got);
  }
}

TEST(TokenScanTest, WordReadsExactlyLikeStreamExtraction) {
  for (const std::string& input : kInputs) {
    std::istringstream in(input);
    std::string want;
    std::size_t pos = 0;
    std::string_view got;
    for (;;) {
      const bool want_ok = static_cast<bool>(in >> want);
      const bool got_ok = scan_word(input, pos, got);
      ASSERT_EQ(want_ok, got_ok) << "[" << input << "]";
      if (!want_ok) break;
      EXPECT_EQ(want, got) << "[" << input << "]";
    }
  }
}

// Many short strings over the characters that matter to a number, from a
// fixed seed, so the table above cannot miss a combination by oversight.
TEST(TokenScanTest, RandomStringsReadLikeStreamExtraction) {
  const std::string alphabet = "0123456789+-.eExa, \t\r";
  std::mt19937 gen(20240611);
  std::uniform_int_distribution<std::size_t> length(0, 12);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (int n = 0; n < 20000; ++n) {
    std::string input(length(gen), ' ');
    for (char& c : input) c = alphabet[pick(gen)];
    ASSERT_EQ(read_with_stream<double>(input),
              read_with_scanner<double>(input, scan_double))
        << "[" << input << "]";
    ASSERT_EQ(read_with_stream<unsigned int>(input),
              read_with_scanner<unsigned int>(input, scan_unsigned))
        << "[" << input << "]";
  }
}

// The outcomes the data readers rely on, spelled out so a wrong reference
// cannot hide them.
TEST(TokenScanTest, KnownOutcomes) {
  std::size_t pos = 0;
  unsigned int u = 0;
  EXPECT_TRUE(scan_unsigned("-1", pos, u));
  EXPECT_EQ(4294967295u, u);
  pos = 0;
  EXPECT_FALSE(scan_unsigned("4294967296", pos, u));

  double d = 0.0;
  pos = 0;
  const std::string_view line = "12abc";
  EXPECT_TRUE(scan_double(line, pos, d));
  EXPECT_EQ(12.0, d);
  EXPECT_EQ(2u, pos);
  EXPECT_FALSE(scan_double(line, pos, d));
  pos = 0;
  EXPECT_FALSE(scan_double("1e400", pos, d));
  pos = 0;
  EXPECT_TRUE(scan_double("1e-400", pos, d));
  EXPECT_EQ(0.0, d);
}

}  // namespace
