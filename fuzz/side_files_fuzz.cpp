// Fuzzes the readers of the key, name and partition files with arbitrary
// file contents.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_file.h"
#include "tolmek/data/side_files.h"

namespace {

// The lines of `text` as the readers split them, line ends removed.
std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return lines;
}

std::string without_carriage_return(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static FuzzFile file;
  file.assign(data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = split_lines(text);

  const std::string key = read_key_file(file.path());
  FUZZ_CHECK(key == (lines.empty() ? std::string()
                                   : without_carriage_return(lines[0])));

  const std::vector<std::string> names = read_name_file(file.path());
  FUZZ_CHECK(names.size() == lines.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    FUZZ_CHECK(names[i] == without_carriage_return(lines[i]));

  const std::vector<std::vector<double>> partitions =
      read_partition_file(file.path());
  FUZZ_CHECK(partitions.size() == lines.size());
  for (std::size_t i = 0; i < partitions.size(); ++i) {
    // Each value takes at least one character of its line.
    FUZZ_CHECK(partitions[i].size() <= lines[i].size());
  }
  return 0;
}
