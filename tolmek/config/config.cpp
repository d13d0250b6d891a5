#include "tolmek/config/config.h"

#include <fstream>

namespace {

constexpr char kWhitespace[] = " \t\n\v\f\r";

// A line that neither counts as a value nor ends a block on the way to one.
bool is_spacing(const std::vector<std::string>& tokens) {
  return tokens.empty() || CONFIG::strbeg(tokens.front(), "%");
}

bool is_header(const std::vector<std::string>& tokens,
               const std::string& header) {
  return !tokens.empty() && tokens.front() == header;
}

}  // namespace

std::vector<std::string> CONFIG::cheap_tokenise(const std::string& line) {
  std::vector<std::string> tokens;
  std::string::size_type begin = line.find_first_not_of(kWhitespace);
  while (begin != std::string::npos) {
    const std::string::size_type end = line.find_first_of(kWhitespace, begin);
    tokens.push_back(line.substr(begin, end - begin));
    begin = line.find_first_not_of(kWhitespace, end);
  }
  return tokens;
}

bool CONFIG::strbeg(std::string s, std::string prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool CONFIG::value_lines(const std::string& key, bool first_only,
                         Lines& out) const {
  std::ifstream in(filename);
  if (!in) return false;
  const std::string header = "#" + key;
  std::string line;
  while (std::getline(in, line)) {
    if (!is_header(cheap_tokenise(line), header)) continue;
    // The value line may be any line with a token, another header included;
    // the search for headers resumes after it.
    std::vector<std::string> tokens;
    bool found = false;
    while (!found && std::getline(in, line)) {
      tokens = cheap_tokenise(line);
      found = !is_spacing(tokens);
    }
    if (!found) break;
    out.push_back(tokens);
    if (first_only) break;
  }
  return true;
}

bool CONFIG::block_lines(const std::string& key, Lines& out) const {
  std::ifstream in(filename);
  if (!in) return false;
  const std::string header = "#" + key;
  std::string line;
  while (std::getline(in, line)) {
    if (is_header(cheap_tokenise(line), header)) break;
  }
  while (std::getline(in, line)) {
    std::vector<std::string> tokens = cheap_tokenise(line);
    if (is_spacing(tokens)) continue;
    if (strbeg(tokens.front(), "#")) break;
    out.push_back(tokens);
  }
  return true;
}
