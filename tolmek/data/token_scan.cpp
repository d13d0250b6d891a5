#include "tolmek/data/token_scan.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <system_error>

namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_sign(char c) { return c == '+' || c == '-'; }

// Moves `pos` past white space; false when nothing else is left.
bool skip_space(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && is_space(text[pos])) ++pos;
  return pos < text.size();
}

// The rare tokens from_chars does not settle on its own (results out of
// range) go through the stream itself, so they read as extraction reads them.
bool extract_double(std::string_view token, double& value) {
  std::istringstream in{std::string(token)};
  double v = 0.0;
  const bool ok = static_cast<bool>(in >> v);
  value = v;
  return ok;
}

}  // namespace

bool scan_double(std::string_view text, std::size_t& pos, double& value) {
  if (!skip_space(text, pos)) return false;
  // Take the characters extraction takes: a sign, then digits and one point,
  // then an exponent mark (only after a digit) with its own sign and digits.
  const std::size_t start = pos;
  std::size_t i = pos;
  if (is_sign(text[i])) ++i;
  bool mantissa = false;
  bool point = false;
  bool exponent = false;
  bool exponent_digits = false;
  while (i < text.size()) {
    const char c = text[i];
    if (is_digit(c)) {
      mantissa = true;
      exponent_digits = exponent;
      ++i;
    } else if (c == '.' && !point && !exponent) {
      point = true;
      ++i;
    } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
      exponent = true;
      ++i;
      if (i < text.size() && is_sign(text[i])) ++i;
    } else {
      break;
    }
  }
  pos = i;
  // Extraction converts what it took as a whole; a sign or point without
  // digits, or an exponent without digits, leaves part of it and fails.
  if (!mantissa || (exponent && !exponent_digits)) {
    value = 0.0;
    return false;
  }
  const char* first = text.data() + start;
  const char* last = text.data() + i;
  if (*first == '+') ++first;  // from_chars takes no plus sign
  double v = 0.0;
  const auto [end, ec] = std::from_chars(first, last, v);
  if (ec == std::errc() && end == last) {
    value = v;
    return true;
  }
  return extract_double(text.substr(start, i - start), value);
}

bool scan_unsigned(std::string_view text, std::size_t& pos,
                   unsigned int& value) {
  if (!skip_space(text, pos)) return false;
  constexpr std::uint64_t kMax = std::numeric_limits<unsigned int>::max();
  std::size_t i = pos;
  const bool negative = text[i] == '-';
  if (is_sign(text[i])) ++i;
  const std::size_t digits_start = i;
  std::uint64_t result = 0;
  bool overflow = false;
  // Extraction takes every digit, also after the value has overflowed.
  for (; i < text.size() && is_digit(text[i]); ++i) {
    if (overflow) continue;
    result = result * 10 + static_cast<std::uint64_t>(text[i] - '0');
    overflow = result > kMax;
  }
  pos = i;
  if (i == digits_start) {
    value = 0;
    return false;
  }
  if (overflow) {
    value = static_cast<unsigned int>(kMax);
    return false;
  }
  const auto magnitude = static_cast<unsigned int>(result);
  value = negative ? 0u - magnitude : magnitude;
  return true;
}

bool scan_word(std::string_view text, std::size_t& pos,
               std::string_view& word) {
  if (!skip_space(text, pos)) return false;
  const std::size_t start = pos;
  while (pos < text.size() && !is_space(text[pos])) ++pos;
  word = text.substr(start, pos - start);
  return true;
}
