#include "tolmek/data/side_files.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"
#include "tolmek/data/data_error.h"

namespace {

using testing_util::ScopedTempDir;
using testing_util::write_file;

TEST(SideFilesTest, KeyFileGivesFirstLine) {
  const std::pair<const char*, const char*> kCases[] = {
      {"", ""},           {"0:1\n2:3\n", "0:1"}, {"0:1", "0:1"},
      {"0:1\r\n", "0:1"}, {"\nx\n", ""},         {" 0 : 1 \n", " 0 : 1 "},
  };
  ScopedTempDir dir;
  for (const auto& [content, want] : kCases) {
    write_file(dir.file("key"), content);
    EXPECT_EQ(want, read_key_file(dir.file("key"))) << "[" << content << "]";
  }
}

TEST(SideFilesTest, NameFileGivesEveryLine) {
  const std::pair<const char*, std::vector<std::string>> kCases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\nb\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\r\nb\r\n\r\n", {"a", "b", ""}},
      {" x y \n", {" x y "}},
  };
  ScopedTempDir dir;
  for (const auto& [content, want] : kCases) {
    write_file(dir.file("names"), content);
    EXPECT_EQ(want, read_name_file(dir.file("names"))) << "[" << content << "]";
  }
}

TEST(SideFilesTest, PartitionFileGivesNumbersUpToFirstNonNumber) {
  using Partitions = std::vector<std::vector<double>>;
  const std::pair<const char*, Partitions> kCases[] = {
      {"", {}},
      {"0.5 1.5\n\n-2e1\n", {{0.5, 1.5}, {}, {-20.0}}},
      {"1 2 x 3\n", {{1.0, 2.0}}},
      {"1,2 3\n", {{1.0}}},
      {"a 1\n7", {{}, {7.0}}},
      {"\t1  2 \r\n3\r\n", {{1.0, 2.0}, {3.0}}},
  };
  ScopedTempDir dir;
  for (const auto& [content, want] : kCases) {
    write_file(dir.file("partitions"), content);
    EXPECT_EQ(want, read_partition_file(dir.file("partitions")))
        << "[" << content << "]";
  }
}

TEST(SideFilesTest, UnreadableFileThrowsNamingIt) {
  const std::function<void(const std::string&)> kReaders[] = {
      [](const std::string& p) { read_key_file(p); },
      [](const std::string& p) { read_name_file(p); },
      [](const std::string& p) { read_partition_file(p); },
  };
  ScopedTempDir dir;
  for (const std::string& path : {dir.file("missing"), dir.path()}) {
    for (const auto& read : kReaders) {
      try {
        read(path);
        ADD_FAILURE() << "no error for " << path;
      } catch (const DataFileError& e) {
        EXPECT_EQ(path, e.path());
        EXPECT_NE(std::string::npos, std::string(e.what()).find(path));
      }
    }
  }
}

}  // namespace
