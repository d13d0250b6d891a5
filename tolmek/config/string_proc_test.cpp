#include "tolmek/config/string_proc.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

using Selection = std::map<unsigned, std::set<unsigned>>;

// Every ordered pair of distinct variables among 0, 1, 2.
const Selection kAllPairsOfThree{{0, {1, 2}}, {1, {0, 2}}, {2, {0, 1}}};

struct SelectorCase {
  const char* key;
  unsigned n;
  bool include_self;
  Selection want;
};

const SelectorCase kSelectorCases[] = {
    {"2 3 : 4 | :5|4:",
     6,
     false,
     {{0, {4}},
      {1, {4}},
      {2, {4}},
      {3, {4}},
      {4, {2, 3}},
      {5, {0, 1, 2, 3, 4}}}},
    {"2 3 : 4 | :5|4:",
     6,
     true,
     {{0, {4}},
      {1, {4}},
      {2, {4}},
      {3, {4}},
      {4, {2, 3, 4}},
      {5, {0, 1, 2, 3, 4, 5}}}},
    {":", 3, false, kAllPairsOfThree},
    {":", 0, true, {}},
    {"", 3, true, {}},
    {"3 4:5", 3, true, {}},
    {"0 1:3", 3, true, {}},
    {"2 3", 4, false, {{0, {2, 3}}, {1, {2, 3}}, {2, {3}}, {3, {2}}}},
    {"  0 : 1  ", 3, false, {{1, {0}}}},
    // Empty or blank segments select every pair.
    {"1:2||0:1", 3, false, kAllPairsOfThree},
    {"|1:2", 3, false, kAllPairsOfThree},
    {"1:2| |0:1", 3, false, kAllPairsOfThree},
    {"|", 3, false, kAllPairsOfThree},
    {"1:2| ", 3, false, kAllPairsOfThree},
    {"1:2|", 3, false, {{2, {1}}}},
    {"3:3", 6, false, {}},
    {"3:3", 6, true, {{3, {3}}}},
    {"1:2:0", 3, false, {{2, {1}}}},
    // Only blanks are trimmed: a tab is a part with no numbers.
    {"\t:1", 3, false, {}},
    {"0:\t", 3, false, {}},
    {"5 5:1", 6, false, {{1, {5}}}},
    {"1,2:0", 3, false, {{0, {1}}}},
    {"0 x 2:1", 3, false, {{1, {0}}}},
    {"0:1 two 2", 3, false, {{1, {0}}}},
    // Out-of-range numbers are dropped and reading goes on.
    {"2 9 1:0", 3, false, {{0, {1, 2}}}},
    {"0:1|0:2|2:1", 3, false, {{1, {0, 2}}, {2, {0}}}},
};

TEST(SelectorTest, KeysSelectTheirPairs) {
  for (const auto& c : kSelectorCases) {
    EXPECT_EQ(c.want,
              _STRING_PROC_::process_key_string_(c.key, c.n, c.include_self))
        << "[" << c.key << "] n=" << c.n << " self=" << c.include_self;
  }
}

TEST(SelectorTest, SizeBoundCoversTheSelection) {
  for (const auto& c : kSelectorCases) {
    std::uint64_t pairs = 0;
    for (const auto& entry :
         _STRING_PROC_::process_key_string_(c.key, c.n, true))
      pairs += entry.second.size();
    EXPECT_LE(pairs, _STRING_PROC_::selection_size_bound(c.key, c.n))
        << "[" << c.key << "] n=" << c.n;
  }
}

TEST(SelectorTest, SizeBoundCountsWithoutListing) {
  const struct {
    const char* key;
    unsigned n;
    std::uint64_t want;
  } kCases[] = {
      {":", 500000, 250000000000ULL},  // far too many pairs to build
      {"0:1", 500000, 1},
      {"", 5, 0},
      {"1 1 7:2", 3, 2},  // repeated numbers count again, 7 is dropped
      {"||", 3, 18},      // two empty segments, each all pairs
      {"0:1|", 3, 1},
      {":", 4294967295u, 18446744065119617025ULL},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(c.want, _STRING_PROC_::selection_size_bound(c.key, c.n))
        << "[" << c.key << "] n=" << c.n;
}

TEST(TrimTest, StripsGivenCharactersAtBothEndsOnly) {
  const struct {
    const char* text;
    const char* characters;
    const char* want;
  } kCases[] = {
      {"", " ", ""},           {"   ", " ", ""},     {" 0:1 ", " ", "0:1"},
      {"0 : 1", " ", "0 : 1"}, {"\t1 ", " ", "\t1"}, {"xyabcyx", "xy", "abc"},
      {"abc", "", "abc"},      {"yxy", "xy", ""},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(c.want, _STRING_PROC_::trim(c.text, c.characters))
        << "[" << c.text << "] [" << c.characters << "]";
}

}  // namespace
