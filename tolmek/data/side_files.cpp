#include "tolmek/data/side_files.h"

#include <cstddef>
#include <string_view>

#include "tolmek/data/line_reader.h"
#include "tolmek/data/token_scan.h"

namespace {

std::string_view without_carriage_return(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

std::string read_key_file(const std::string& path) {
  LineReader lines(path);
  std::string_view line;
  if (!lines.next(line)) return std::string();
  return std::string(without_carriage_return(line));
}

std::vector<std::string> read_name_file(const std::string& path) {
  LineReader lines(path);
  std::vector<std::string> names;
  std::string_view line;
  while (lines.next(line)) names.emplace_back(without_carriage_return(line));
  return names;
}

std::vector<std::vector<double>> read_partition_file(const std::string& path) {
  LineReader lines(path);
  std::vector<std::vector<double>> partitions;
  std::string_view line;
  while (lines.next(line)) {
    std::vector<double> thresholds;
    std::size_t pos = 0;
    double t = 0.0;
    while (scan_double(line, pos, t)) thresholds.push_back(t);
    partitions.push_back(std::move(thresholds));
  }
  return partitions;
}
