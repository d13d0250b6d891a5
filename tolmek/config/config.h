// Named values from a plain-text configuration file.
//
// The file is read line by line and each line is cut into tokens (runs of
// characters other than blank, tab, line feed, vertical tab, form feed and
// carriage return). A line whose first token is "#KEY" is the header of KEY;
// the first later line that has a token and whose first token does not begin
// with "%" is its value line (empty and "%" lines are comments and spacing).
// The lines after a header up to the next line whose first token begins with
// "#" are its block.
//
// `CONFIG` keeps only the file name: every lookup opens the file, scans it
// from the top and closes it again. A missing file or key is not an error:
// the target keeps what the caller put there (except that the vector lookup
// empties its target when the file opens). Values are converted with
// formatted stream extraction for the target's type, so a conversion reads
// as much of the token as forms a value ("12abc" as an int is 12), booleans
// are read as numbers only ("0" or "1"; another number gives true and fails,
// "true" gives false and fails), an unsigned target accepts "-1" and wraps,
// and a number out of range gives the type's largest or smallest value and
// fails. A `symbol` is read as an unsigned 32-bit number.
//
// Every lookup returns true unless the last conversion it performed failed.
// Lookups share no state, so several may run at once on one file.

#ifndef TOLMEK_CONFIG_CONFIG_H_
#define TOLMEK_CONFIG_CONFIG_H_

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "tolmek/stream/symbol.h"

namespace config_internal {

// The scalar types the scalar lookup knows by name.
template <class T>
struct is_scalar_value
    : std::disjunction<std::is_same<T, int>, std::is_same<T, unsigned int>,
                       std::is_same<T, double>, std::is_same<T, std::string>,
                       std::is_same<T, bool>, std::is_same<T, long>,
                       std::is_same<T, long double>, std::is_same<T, float>,
                       std::is_same<T, char>, std::is_same<T, unsigned char>> {
};

// Formatted extraction of `token` into `target`; true when it succeeded.
// On failure `target` holds what the extraction stores (0, or the type's
// largest or smallest value when the number is out of range).
template <class T>
bool convert(const std::string& token, T& target) {
  std::istringstream in(token);
  in >> target;
  return !in.fail();
}

inline bool convert(const std::string& token, symbol& target) {
  std::uint32_t value = 0;
  const bool ok = convert(token, value);
  target = symbol(value);
  return ok;
}

}  // namespace config_internal

class CONFIG {
 public:
  std::string filename;

  // Stores the name; the file is not touched until a lookup.
  explicit CONFIG(std::string filename) : filename(std::move(filename)) {}

  // Scalar lookup: converts the first token of the value line of every
  // header of `key` ("#" is added here), in file order, so the last one
  // wins. The target is unchanged when the file cannot be opened or has no
  // such header with a value line. A header directly followed by another
  // header line takes that line as its value line. For a type other than
  // int, unsigned int, double, std::string, bool, long, long double, float,
  // char and unsigned char, writes "xxx " and the type's implementation name
  // to standard output and returns true without reading.
  template <class T>
  bool set(T& target, std::string key);

  // Vector lookup: when the file opens, empties `target`, then appends every
  // token of the value line of the first header of `key`, converted. Later
  // headers of the key are ignored, and so are values on further lines. A
  // value line whose first token begins with "#" gives nothing. A token
  // that does not convert appends what the failed conversion stores.
  template <class T>
  bool set_vector(std::vector<T>& target, std::string key);

  // Row lookup: appends one row per line of the block of the first header
  // of `key`, each row the line's tokens converted ("x" gives 0).
  template <class T>
  bool set_vector_vector(std::vector<std::vector<T>>& target, std::string key);

  // Map lookup: the k-th row of the block of the first header of `key`
  // (k from 0) replaces target[k] by the map from column j (from 0) to the
  // j-th token converted to V. Entries under other row numbers stay.
  template <class K, class S, class V>
  bool set_map(std::map<K, std::map<S, V>>& target, std::string key);

  // The tokens of one line, left to right.
  static std::vector<std::string> cheap_tokenise(const std::string& line);
  // True when `s` begins with `prefix`; an empty prefix always matches.
  static bool strbeg(std::string s, std::string prefix);

 private:
  using Lines = std::vector<std::vector<std::string>>;

  // Tokens of the value lines of the headers of `key`: of every header, or
  // of the first only. False when the file cannot be opened.
  bool value_lines(const std::string& key, bool first_only, Lines& out) const;
  // Tokens of the lines of the first block of `key`, comment and empty lines
  // left out. False when the file cannot be opened.
  bool block_lines(const std::string& key, Lines& out) const;
};

template <class T>
bool CONFIG::set(T& target, std::string key) {
  if constexpr (!config_internal::is_scalar_value<T>::value) {
    std::cout << "xxx " << typeid(T).name() << std::endl;
    return true;
  } else {
    Lines lines;
    if (!value_lines(key, false, lines)) return true;
    bool result = true;
    for (const auto& line : lines)
      result = config_internal::convert(line.front(), target);
    return result;
  }
}

template <class T>
bool CONFIG::set_vector(std::vector<T>& target, std::string key) {
  Lines lines;
  if (!value_lines(key, true, lines)) return true;
  target.clear();
  if (lines.empty() || strbeg(lines.front().front(), "#")) return true;
  bool result = true;
  for (const auto& token : lines.front()) {
    T value{};
    result = config_internal::convert(token, value);
    target.push_back(value);
  }
  return result;
}

template <class T>
bool CONFIG::set_vector_vector(std::vector<std::vector<T>>& target,
                               std::string key) {
  Lines lines;
  if (!block_lines(key, lines)) return true;
  bool result = true;
  for (const auto& line : lines) {
    std::vector<T> row;
    for (const auto& token : line) {
      T value{};
      result = config_internal::convert(token, value);
      row.push_back(value);
    }
    target.push_back(row);
  }
  return result;
}

template <class K, class S, class V>
bool CONFIG::set_map(std::map<K, std::map<S, V>>& target, std::string key) {
  Lines lines;
  if (!block_lines(key, lines)) return true;
  bool result = true;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::map<S, V> row;
    for (std::size_t j = 0; j < lines[k].size(); ++j) {
      V value{};
      result = config_internal::convert(lines[k][j], value);
      row[S(static_cast<std::uint32_t>(j))] = value;
    }
    target[static_cast<K>(k)] = row;
  }
  return result;
}

#endif  // TOLMEK_CONFIG_CONFIG_H_
