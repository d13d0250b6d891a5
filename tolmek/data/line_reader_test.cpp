#include "tolmek/data/line_reader.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"
#include "tolmek/data/data_error.h"

namespace {

using testing_util::ScopedTempDir;
using testing_util::write_file;

std::vector<std::string> lines_by_getline(const std::string& content) {
  std::vector<std::string> lines;
  std::istringstream in(content);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> lines_by_reader(const std::string& path) {
  std::vector<std::string> lines;
  LineReader reader(path);
  std::string_view line;
  // Bounded so that a reader that never reaches the end fails, not hangs.
  while (lines.size() < 1000000 && reader.next(line)) {
    lines.emplace_back(line);
    EXPECT_EQ(lines.size(), reader.line_number());
  }
  EXPECT_FALSE(reader.next(line)) << "the end of the file stays the end";
  return lines;
}

// Lines around the reader's block size (a quarter of a megabyte), so that
// lines and line feeds fall on block boundaries and lines span many blocks.
std::string long_lines() {
  std::string content;
  for (std::size_t n :
       {262144u, 262143u, 0u, 262144u, 1u, 262145u, 700001u, 3u}) {
    content += std::string(n, static_cast<char>('a' + n % 26));
    content += '\n';
  }
  return content + std::string(300000, 'z');
}

std::string many_short_lines() {
  std::string content;
  for (int i = 0; i < 200000; ++i) content += std::to_string(i) + "\n";
  return content;
}

TEST(LineReaderTest, SplitsLinesLikeGetline) {
  const std::string kContents[] = {"",
                                   "\n",
                                   "\n\n",
                                   "a",
                                   "a\n",
                                   "a\nb",
                                   "a\n\nb\n",
                                   "a\r\n b \r\n\r",
                                   std::string("x\0y\n", 4),
                                   long_lines(),
                                   many_short_lines()};
  ScopedTempDir dir;
  for (const std::string& content : kContents) {
    write_file(dir.file("f.txt"), content);
    EXPECT_EQ(lines_by_getline(content), lines_by_reader(dir.file("f.txt")))
        << "content of " << content.size() << " bytes starting ["
        << content.substr(0, 20) << "]";
  }
}

TEST(LineReaderTest, UnreadableFileThrowsNamingIt) {
  ScopedTempDir dir;
  const std::string missing = dir.file("missing.txt");
  try {
    LineReader reader(missing);
    FAIL() << "no error for a missing file";
  } catch (const DataFileError& e) {
    EXPECT_EQ(missing, e.path());
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
  }
  try {
    LineReader reader(dir.path());
    std::string_view line;
    reader.next(line);
    FAIL() << "no error for a directory";
  } catch (const DataFileError& e) {
    EXPECT_NE(std::string(e.what()).find(dir.path()), std::string::npos);
  }
}

}  // namespace
