#include "tolmek/config/string_proc.h"

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

}  // namespace

namespace _STRING_PROC_ {

std::map<unsigned, std::set<unsigned>> process_key_string_(
    std::string key, unsigned variable_count, bool include_self) {
  std::map<unsigned, std::set<unsigned>> selection;
  std::istringstream segments(key);
  std::string segment;
  // getline yields no segment for empty text after the last bar.
  while (std::getline(segments, segment, '|')) {
    segment = trim(segment, " ");
    const std::string::size_type colon = segment.find(':');
    std::string sources = segment.substr(0, colon), targets;
    if (colon != std::string::npos) {
      const std::string::size_type second = segment.find(':', colon + 1);
      targets = segment.substr(colon + 1, second == std::string::npos
                                              ? std::string::npos
                                              : second - colon - 1);
    }
    const std::vector<unsigned> source_list =
        part_indices(trim(sources, " "), variable_count);
    const std::vector<unsigned> target_list =
        part_indices(trim(targets, " "), variable_count);
    for (unsigned t : target_list) {
      for (unsigned s : source_list) {
        if (include_self || s != t) selection[t].insert(s);
      }
    }
  }
  return selection;
}

std::string trim(const std::string& text, const std::string& characters) {
  const std::string::size_type begin = text.find_first_not_of(characters);
  if (begin == std::string::npos) return "";
  const std::string::size_type end = text.find_last_not_of(characters);
  return text.substr(begin, end - begin + 1);
}

}  // namespace _STRING_PROC_
