#include "tolmek/data/data_reader.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"
#include "tolmek/data/data_error.h"

namespace {

using testing_util::ScopedTempDir;
using testing_util::write_file;

using Values = std::vector<std::vector<unsigned int>>;
using Names = std::map<std::string, int>;

constexpr unsigned int kNoLimit = 100000000;  // the command's default

Values values_of(const data_reader& reader) {
  Values out;
  for (const auto& seq : reader.sequences) {
    out.emplace_back();
    for (symbol s : seq) out.back().push_back(s.value);
  }
  return out;
}

struct SymbolicCase {
  const char* content;
  const char* layout;
  unsigned int data_length;
  Values want;
};

const SymbolicCase kSymbolicCases[] = {
    {"1 2 3\n4 5\n6 7 8 9\n",
     "across",
     kNoLimit,
     {{1, 2, 3}, {4, 5}, {6, 7, 8, 9}}},
    {"1 2 3\n4 5\n6 7 8 9\n",
     "column",
     kNoLimit,
     {{1, 4, 6}, {2, 5, 7}, {3, 8}, {9}}},
    // Only the exact word selects the across layout.
    {"1 2\n3 4\n", "Across", kNoLimit, {{1, 3}, {2, 4}}},
    // An empty line is an empty variable across, nothing in columns.
    {"1 2\n\n3\n", "across", kNoLimit, {{1, 2}, {}, {3}}},
    {"1 2\n\n3\n", "column", kNoLimit, {{1, 3}, {2}}},
    // Trailing blanks and carriage returns add no value and no variable.
    {"1 2 \r\n3\t\r\n", "across", kNoLimit, {{1, 2}, {3}}},
    {"1 2 \r\n3\t\r\n", "column", kNoLimit, {{1, 3}, {2}}},
    {"1 2", "across", kNoLimit, {{1, 2}}},
    {"", "across", kNoLimit, {}},
    {"", "column", kNoLimit, {}},
    {"\n", "across", kNoLimit, {{}}},
    {"\n", "column", kNoLimit, {}},
    // A token that is not a number ends its line; "-1" wraps as extraction
    // does and a value beyond 32 bits fails.
    {"1,2 3\n4 NA 5\n6 x\n-1 4294967296 7\n12abc 3\n",
     "across",
     kNoLimit,
     {{1}, {4}, {6}, {4294967295u}, {12}}},
    {"1,2 3\n4 NA 5\n", "column", kNoLimit, {{1, 4}}},
    // The data length bounds every line across, and the lines that give
    // variable 0 a value in columns.
    {"5 6 7 8\n9\n", "across", 3, {{5, 6, 7}, {9}}},
    {"1 2\n\n3\n4 5 6\n7\n", "column", 3, {{1, 3, 4}, {2, 5}, {6}}},
    {"1 2\n3\n", "across", 0, {{}, {}}},
    {"1 2\n3\n", "column", 0, {}},
};

TEST(DataReaderTest, SymbolicDataInBothLayouts) {
  ScopedTempDir dir;
  const std::string path = dir.file("data.txt");
  for (const auto& c : kSymbolicCases) {
    write_file(path, c.content);
    const data_reader reader(path, c.layout, c.data_length, false);
    EXPECT_EQ(c.want, values_of(reader))
        << c.layout << " length " << c.data_length << " [" << c.content << "]";
    EXPECT_TRUE(reader.name_index.empty());
  }
}

struct CommonCase {
  const char* content;
  const char* layout;
  std::vector<double> partition;
  bool derivative;
  Values want;
};

const CommonCase kCommonCases[] = {
    // A value on a threshold falls into the upper bin, -0 too.
    {"-0.5 0.0 0.5 1.0 7.0 -0\n",
     "across",
     {0.0, 1.0},
     false,
     {{0, 1, 1, 2, 2, 1}}},
    {"-0.5 1\n0.0 7\n0.5\n", "column", {0.0, 1.0}, false, {{0, 1, 1}, {2, 2}}},
    {"1.5,2.5\n3 NA 4\n", "across", {0.0, 1.0}, false, {{2}, {2}}},
    {"-1e300 1e300 0.5\n", "across", {}, false, {{0, 0, 0}}},
    // Differences 1, 2, -1; each line of the across layout starts from 0.
    {"1.0 3.0 2.0\n1.0 3.0 2.0\n",
     "across",
     {0.0, 1.5, 2.5},
     true,
     {{1, 2, 0}, {1, 2, 0}}},
    {"1.0 3.0 2.0\n1.0 3.0 2.0\n",
     "across",
     {0.0, 1.5, 2.5},
     false,
     {{1, 3, 2}, {1, 3, 2}}},
    // Each column keeps its own running value: differences 1, 2, -1 and
    // 10, 3, -2.
    {"1.0 10.0\n3.0 13.0\n2.0 11.0\n",
     "column",
     {0.0, 1.5, 2.5},
     true,
     {{1, 2, 0}, {3, 3, 0}}},
    // The running value accumulates differences: after 1.1 and 0.3 it is
    // 0.30000000000000004, so the second 0.3 differs from it by -5.6e-17,
    // below the threshold 0, where 0.3 - 0.3 would be on it.
    {"1.1 0.3 0.3\n", "across", {0.0}, true, {{1, 0, 0}}},
};

TEST(DataReaderTest, ContinuousDataWithCommonPartition) {
  ScopedTempDir dir;
  const std::string path = dir.file("data.txt");
  for (const auto& c : kCommonCases) {
    write_file(path, c.content);
    const data_reader reader(path, c.layout, c.partition, kNoLimit, false,
                             c.derivative);
    EXPECT_EQ(c.want, values_of(reader))
        << c.layout << (c.derivative ? " derivative" : "") << " [" << c.content
        << "]";
  }
}

const std::vector<std::vector<double>> kTwoPartitions = {{0.0}, {10.0}};

TEST(DataReaderTest, ContinuousDataWithPartitionPerVariable) {
  struct Case {
    const char* content;
    const char* layout;
    unsigned int data_length;
    std::vector<std::vector<double>> partitions;
    Values want;
  };
  const Case kCases[] = {
      {"5 -1\n5 20\n", "across", kNoLimit, kTwoPartitions, {{1, 0}, {0, 1}}},
      {"5 5\n-1 20\n", "column", kNoLimit, kTwoPartitions, {{1, 0}, {0, 1}}},
      {"1\n2\n", "across", kNoLimit, {{0.0}, {}}, {{1}, {0}}},
      // Values never read need no partition: after a failed read, or on a
      // line past the data length.
      {"1 2 NA 7\n", "column", kNoLimit, kTwoPartitions, {{1}, {0}}},
      {"1 2\n3 4 5\n", "column", 1, kTwoPartitions, {{1}, {0}}},
  };
  ScopedTempDir dir;
  const std::string path = dir.file("data.txt");
  for (const auto& c : kCases) {
    write_file(path, c.content);
    const data_reader reader(path, c.layout, c.partitions, c.data_length,
                             false);
    EXPECT_EQ(c.want, values_of(reader))
        << c.layout << " length " << c.data_length << " [" << c.content << "]";
  }
}

TEST(DataReaderTest, TooFewPartitionsThrowsAtFirstVariableWithout) {
  struct Case {
    const char* content;
    const char* layout;
    bool with_names;
    unsigned int data_length;
    std::size_t partitions;
    std::size_t line;
    std::size_t variable;
  };
  const Case kCases[] = {
      {"1\n2\n3\n", "across", false, kNoLimit, 2, 3, 2},
      // The across layout checks each line as it starts, empty or not.
      {"1\n2\n\n", "across", false, kNoLimit, 2, 3, 2},
      {"1\n2\n3\n", "across", false, 0, 2, 3, 2},
      {"1\n", "across", false, kNoLimit, 0, 1, 0},
      {"1 2\n3 4 5\n", "column", false, kNoLimit, 2, 2, 2},
      {"1\n2 3\n", "column", false, kNoLimit, 1, 2, 1},
      {"a b c\n1 2 3\n", "column", true, kNoLimit, 2, 2, 2},
  };
  ScopedTempDir dir;
  const std::string path = dir.file("data.txt");
  for (const auto& c : kCases) {
    write_file(path, c.content);
    const std::vector<std::vector<double>> partitions(c.partitions,
                                                      std::vector<double>{});
    const std::string row = std::string(c.layout) + " [" + c.content + "]";
    try {
      data_reader reader(path, c.layout, partitions, c.data_length,
                         c.with_names);
      ADD_FAILURE() << "no error for " << row;
    } catch (const PartitionTooSmallError& e) {
      EXPECT_EQ(path, e.path()) << row;
      EXPECT_EQ(c.line, e.line()) << row;
      EXPECT_EQ(c.variable, e.variable()) << row;
      EXPECT_EQ(c.partitions, e.partition_count()) << row;
      const std::string what = e.what();
      for (const std::string& part :
           {path, "line " + std::to_string(c.line),
            "variable " + std::to_string(c.variable),
            std::to_string(c.partitions) + " partitions"})
        EXPECT_NE(std::string::npos, what.find(part)) << what;
    }
  }
}

TEST(DataReaderTest, WithNamesReadsNamesBeforeValues) {
  struct Case {
    const char* content;
    const char* layout;
    unsigned int data_length;
    Names names;
    Values want;
  };
  const Case kCases[] = {
      {"a 1 2\nb 3\n\nc\n",
       "across",
       kNoLimit,
       {{"a", 0}, {"b", 1}, {"c", 3}},
       {{1, 2}, {3}, {}, {}}},
      // A name may look like a number; a name given twice keeps the later
      // variable.
      {"7 8 9\na 1\na 2\n",
       "across",
       kNoLimit,
       {{"7", 0}, {"a", 2}},
       {{8, 9}, {1}, {2}}},
      {"a 1 2 3\n", "across", 2, {{"a", 0}}, {{1, 2}}},
      {"x y z\n1 2 3\n4 5\n",
       "column",
       kNoLimit,
       {{"x", 0}, {"y", 1}, {"z", 2}},
       {{1, 4}, {2, 5}, {3}}},
      {"x y x\n1 2 3\n",
       "column",
       kNoLimit,
       {{"x", 2}, {"y", 1}},
       {{1}, {2}, {3}}},
      // The name line does not count towards the data length.
      {"p q\n1 2\n3 4\n5 6\n",
       "column",
       2,
       {{"p", 0}, {"q", 1}},
       {{1, 3}, {2, 4}}},
      {"p q\n1 2\n", "column", 0, {{"p", 0}, {"q", 1}}, {}},
      {"\n1 2\n", "column", kNoLimit, {}, {{1}, {2}}},
  };
  ScopedTempDir dir;
  const std::string path = dir.file("data.txt");
  for (const auto& c : kCases) {
    write_file(path, c.content);
    const data_reader reader(path, c.layout, c.data_length, true);
    const std::string row = std::string(c.layout) + " [" + c.content + "]";
    EXPECT_EQ(c.names, reader.name_index) << row;
    EXPECT_EQ(c.want, values_of(reader)) << row;
  }
}

TEST(DataReaderTest, WithNamesSkipsNameInContinuousData) {
  ScopedTempDir dir;
  const std::string path = dir.file("data.txt");
  write_file(path, "v1 0.5 1.5\n-5 2\n");
  const data_reader common(path, "across", std::vector<double>{1.0}, kNoLimit,
                           true, true);
  EXPECT_EQ((Names{{"v1", 0}, {"-5", 1}}), common.name_index);
  EXPECT_EQ((Values{{0, 1}, {1}}), values_of(common));
  const data_reader own(path, "across", kTwoPartitions, kNoLimit, true);
  EXPECT_EQ((Names{{"v1", 0}, {"-5", 1}}), own.name_index);
  EXPECT_EQ((Values{{1, 1}, {0}}), values_of(own));
}

TEST(DataReaderTest, UnreadableFileThrowsNamingIt) {
  ScopedTempDir dir;
  for (const std::string& path : {dir.file("missing.txt"), dir.path()}) {
    for (const char* layout : {"across", "column"}) {
      const auto expect_error = [&](auto make) {
        try {
          make();
          ADD_FAILURE() << "no error for " << path << " " << layout;
        } catch (const DataFileError& e) {
          EXPECT_EQ(path, e.path());
          EXPECT_NE(std::string::npos, std::string(e.what()).find(path));
        }
      };
      expect_error([&] { data_reader r(path, layout, kNoLimit, false); });
      expect_error([&] {
        data_reader r(path, layout, kTwoPartitions, kNoLimit, false);
      });
      expect_error([&] {
        data_reader r(path, layout, std::vector<double>{0.0}, kNoLimit, false,
                      true);
      });
    }
  }
}

TEST(DataReaderTest, StreamsCountDistinctSymbolsAndLeaveReaderAlone) {
  ScopedTempDir dir;
  const std::string path = dir.file("data.txt");
  write_file(path, "0 2 5 2\n\n7 7\n");
  const data_reader symbolic(path, "across", kNoLimit, false);
  for (int round = 0; round < 2; ++round) {
    const auto streams = symbolic.getsymbolic_string_vector();
    ASSERT_EQ(3u, streams.size());
    EXPECT_EQ(symbolic.sequences[0], streams[0].seq);
    EXPECT_EQ(3u, streams[0].alphabet_size);
    EXPECT_EQ(0u, streams[1].alphabet_size);
    EXPECT_EQ(1u, streams[2].alphabet_size);
  }
  EXPECT_EQ((Values{{0, 2, 5, 2}, {}, {7, 7}}), values_of(symbolic));

  // Against five bins only the two symbols present count.
  write_file(path, "0.5 2.5 0.5\n");
  const data_reader continuous(path, "across", {0.0, 1.0, 2.0, 3.0}, kNoLimit,
                               false, false);
  const auto streams = continuous.getsymbolic_string_vector();
  ASSERT_EQ(1u, streams.size());
  EXPECT_EQ(2u, streams[0].alphabet_size);
  EXPECT_TRUE(streams[0].partition.empty());
}

TEST(QuantizeTest, FirstThresholdAboveValueGivesSymbol) {
  struct Case {
    double x;
    std::vector<double> partition;
    unsigned int want;
  };
  const Case kCases[] = {
      {-0.5, {0.0, 1.0}, 0},
      {0.0, {0.0, 1.0}, 1},
      {0.5, {0.0, 1.0}, 1},
      {1.0, {0.0, 1.0}, 2},
      {7.0, {0.0, 1.0}, 2},
      {-0.0, {0.0, 1.0}, 1},
      {5.0, {}, 0},
      {-1e300, {}, 0},
      {1.0, {1.0, 1.0}, 2},
      {1.0, {0.0, 1.0, 1.0, 2.0}, 3},
      // Unsorted thresholds are scanned as they stand.
      {0.5, {1.0, 0.0}, 0},
      {1.0, {1.0, 0.0}, 2},
      {-1.0, {1.0, 0.0}, 0},
  };
  for (const auto& c : kCases) {
    std::string thresholds;
    for (double t : c.partition) thresholds += std::to_string(t) + " ";
    EXPECT_EQ(c.want, quantize(c.x, c.partition).value)
        << c.x << " against " << thresholds;
  }
}

}  // namespace
