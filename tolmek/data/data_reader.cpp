#include "tolmek/data/data_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "tolmek/data/data_error.h"
#include "tolmek/data/line_reader.h"
#include "tolmek/data/token_scan.h"

namespace {

// How one kind of data is read and turned into symbols. Each kind provides
//   bool scan(std::string_view line, std::size_t& pos, Value& v);
//   void check(std::size_t variable, std::size_t line);  // may throw
//   symbol to_symbol(std::size_t variable, Value v);

struct SymbolicValues {
  using Value = unsigned int;
  static bool scan(std::string_view line, std::size_t& pos, Value& v) {
    return scan_unsigned(line, pos, v);
  }
  void check(std::size_t, std::size_t) const {}
  symbol to_symbol(std::size_t, Value v) const { return symbol(v); }
};

struct CommonPartitionValues {
  using Value = double;
  std::vector<double> partition;
  bool derivative = false;
  std::vector<double> previous;  // running value p of each variable

  static bool scan(std::string_view line, std::size_t& pos, Value& v) {
    return scan_double(line, pos, v);
  }
  void check(std::size_t, std::size_t) const {}
  symbol to_symbol(std::size_t variable, Value x) {
    if (!derivative) return quantize(x, partition);
    if (variable >= previous.size()) previous.resize(variable + 1, 0.0);
    double& p = previous[variable];
    // p accumulates the differences rather than copying x, so it follows x
    // only up to rounding; the next difference carries that rounding.
    const double d = x - p;
    p = d + p;
    return quantize(d, partition);
  }
};

struct PerVariablePartitionValues {
  using Value = double;
  const std::string& path;
  std::vector<std::vector<double>> partitions;

  static bool scan(std::string_view line, std::size_t& pos, Value& v) {
    return scan_double(line, pos, v);
  }
  void check(std::size_t variable, std::size_t line) const {
    if (variable >= partitions.size())
      throw PartitionTooSmallError(path, line, variable, partitions.size());
  }
  symbol to_symbol(std::size_t variable, Value x) const {
    return quantize(x, partitions[variable]);
  }
};

struct Reading {
  std::vector<std::vector<symbol>> sequences;
  std::map<std::string, int> name_index;
};

template <typename Values>
void read_across(LineReader& lines, unsigned int data_length, bool with_names,
                 Values& values, Reading& out) {
  std::string_view line;
  while (lines.next(line)) {
    const std::size_t k = out.sequences.size();
    values.check(k, lines.line_number());
    std::size_t pos = 0;
    std::string_view name;
    if (with_names && scan_word(line, pos, name))
      out.name_index[std::string(name)] = static_cast<int>(k);
    std::vector<symbol> seq;
    typename Values::Value v{};
    while (seq.size() < data_length && Values::scan(line, pos, v))
      seq.push_back(values.to_symbol(k, v));
    out.sequences.push_back(std::move(seq));
  }
}

template <typename Values>
void read_columns(LineReader& lines, unsigned int data_length, bool with_names,
                  Values& values, Reading& out) {
  std::string_view line;
  if (with_names && lines.next(line)) {
    std::size_t pos = 0;
    std::string_view name;
    for (int j = 0; scan_word(line, pos, name); ++j)
      out.name_index[std::string(name)] = j;
  }
  auto& seqs = out.sequences;
  // Variable 0 gets a value from every line that has one, so it is the
  // longest and its length alone bounds the reading.
  while ((seqs.empty() ? data_length > 0 : seqs[0].size() < data_length) &&
         lines.next(line)) {
    std::size_t pos = 0;
    typename Values::Value v{};
    for (std::size_t j = 0; Values::scan(line, pos, v); ++j) {
      values.check(j, lines.line_number());
      if (j == seqs.size()) seqs.emplace_back();
      seqs[j].push_back(values.to_symbol(j, v));
    }
  }
}

template <typename Values>
Reading read_data(const std::string& path, const std::string& layout,
                  unsigned int data_length, bool with_names, Values values) {
  LineReader lines(path);
  Reading out;
  if (layout == "across") {
    read_across(lines, data_length, with_names, values, out);
  } else {
    read_columns(lines, data_length, with_names, values, out);
  }
  // Appending leaves up to half of each sequence unused; hand back exactly
  // one symbol's worth of memory per value.
  for (auto& seq : out.sequences) seq.shrink_to_fit();
  return out;
}

}  // namespace

data_reader::data_reader(std::string data_file, std::string layout,
                         unsigned int data_length, bool with_names) {
  Reading r =
      read_data(data_file, layout, data_length, with_names, SymbolicValues{});
  sequences = std::move(r.sequences);
  name_index = std::move(r.name_index);
}

data_reader::data_reader(std::string data_file, std::string layout,
                         std::vector<std::vector<double>> partitions,
                         unsigned int data_length, bool with_names) {
  Reading r =
      read_data(data_file, layout, data_length, with_names,
                PerVariablePartitionValues{data_file, std::move(partitions)});
  sequences = std::move(r.sequences);
  name_index = std::move(r.name_index);
}

data_reader::data_reader(std::string data_file, std::string layout,
                         std::vector<double> partition,
                         unsigned int data_length, bool with_names,
                         bool derivative) {
  Reading r =
      read_data(data_file, layout, data_length, with_names,
                CommonPartitionValues{std::move(partition), derivative, {}});
  sequences = std::move(r.sequences);
  name_index = std::move(r.name_index);
}

std::vector<Symbolic_string_> data_reader::getsymbolic_string_vector() const {
  std::vector<Symbolic_string_> streams;
  streams.reserve(sequences.size());
  for (const auto& seq : sequences) {
    // The stream constructor takes its sequence by reference but only copies
    // it, so the reader stays unchanged.
    streams.emplace_back(const_cast<std::vector<symbol>&>(seq));
  }
  return streams;
}

symbol quantize(double x, const std::vector<double>& partition) {
  std::size_t i = 0;
  while (i < partition.size() && !(partition[i] > x)) ++i;
  return symbol(static_cast<std::uint32_t>(i));
}
