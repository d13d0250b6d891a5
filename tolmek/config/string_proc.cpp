#include "tolmek/config/string_proc.h"

#include <cstdint>
#include <sstream>
#include <vector>

namespace {

// The indices a selector part names, in the order written, duplicates kept.
std::vector<unsigned> part_indices(const std::string& part,
                                   unsigned variable_count) {
  std::vector<unsigned> indices;
  if (part.empty()) {
    for (unsigned i = 0; i < variable_count; ++i) indices.push_back(i);
    return indices;
  }
  std::istringstream in(part);
  unsigned index = 0;
  while (in >> index) {
    if (index < variable_count) indices.push_back(index);
  }
  return indices;
}

// How many indices part_indices would give, without listing them.
std::uint64_t part_size(const std::string& part, unsigned variable_count) {
  if (part.empty()) return variable_count;
  std::istringstream in(part);
  std::uint64_t count = 0;
  unsigned index = 0;
  while (in >> index) count += index < variable_count ? 1 : 0;
  return count;
}

struct Segment {
  std::string sources;  // trimmed of blanks
  std::string targets;  // trimmed of blanks
};

// The segments of `key`, each split into its sources and targets parts.
std::vector<Segment> segments_of(const std::string& key) {
  std::vector<Segment> out;
  std::istringstream segments(key);
  std::string segment;
  // getline yields no segment for empty text after the last bar.
  while (std::getline(segments, segment, '|')) {
    segment = _STRING_PROC_::trim(segment, " ");
    const std::string::size_type colon = segment.find(':');
    std::string sources = segment.substr(0, colon), targets;
    if (colon != std::string::npos) {
      const std::string::size_type second = segment.find(':', colon + 1);
      targets = segment.substr(colon + 1, second == std::string::npos
                                              ? std::string::npos
                                              : second - colon - 1);
    }
    out.push_back(
        {_STRING_PROC_::trim(sources, " "), _STRING_PROC_::trim(targets, " ")});
  }
  return out;
}

}  // namespace

namespace _STRING_PROC_ {

std::map<unsigned, std::set<unsigned>> process_key_string_(
    std::string key, unsigned variable_count, bool include_self) {
  std::map<unsigned, std::set<unsigned>> selection;
  for (const Segment& segment : segments_of(key)) {
    const std::vector<unsigned> source_list =
        part_indices(segment.sources, variable_count);
    const std::vector<unsigned> target_list =
        part_indices(segment.targets, variable_count);
    for (unsigned t : target_list) {
      for (unsigned s : source_list) {
        if (include_self || s != t) selection[t].insert(s);
      }
    }
  }
  return selection;
}

std::uint64_t selection_size_bound(const std::string& key,
                                   unsigned variable_count) {
  std::uint64_t bound = 0;
  for (const Segment& segment : segments_of(key)) {
    // Each factor is below 2^32 and there are fewer segments than
    // characters, so the sum cannot wrap for any key that fits in memory.
    bound += part_size(segment.sources, variable_count) *
             part_size(segment.targets, variable_count);
  }
  return bound;
}

std::string trim(const std::string& text, const std::string& characters) {
  const std::string::size_type begin = text.find_first_not_of(characters);
  if (begin == std::string::npos) return "";
  const std::string::size_type end = text.find_last_not_of(characters);
  return text.substr(begin, end - begin + 1);
}

}  // namespace _STRING_PROC_
