#include "tolmek/model/model_files.h"

#include <cstddef>
#include <fstream>

namespace {

// The name of variable `v`, which the name list must hold.
const std::string& variable_name(const std::vector<std::string>& names,
                                 unsigned int v) {
  if (v >= names.size())
    throw ModelError("no name for variable " + std::to_string(v));
  return names[v];
}

// Model names have always printed their numbers as signed ints.
std::string as_int(unsigned int v) {
  return std::to_string(static_cast<int>(v));
}

// Length of the well-formed sequence that lead byte `b` starts (0: the byte
// starts none) and the range its second byte must lie in.
struct LeadByte {
  int continuation = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};

LeadByte classify(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF};
  if (b == 0xE0) return {2, 0xA0, 0xBF};
  if (b == 0xED) return {2, 0x80, 0x9F};  // no surrogates
  if (b >= 0xE1 && b <= 0xEF) return {2, 0x80, 0xBF};
  if (b == 0xF0) return {3, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF};
  if (b == 0xF4) return {3, 0x80, 0x8F};  // nothing beyond U+10FFFF
  return {};
}

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// Appends `s` to `out` with ill-formed sequences replaced; returns whether
// nothing had to be replaced.
bool sanitize_utf8(const std::string& s, std::string* out) {
  bool valid = true;
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      if (out) out->push_back(s[i]);
      ++i;
      continue;
    }
    const LeadByte lead = classify(b);
    if (lead.continuation == 0) {  // a stray byte is consumed
      valid = false;
      if (out) out->append(kReplacement);
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    bool complete = true;
    for (int k = 0; k < lead.continuation; ++k, ++j) {
      const unsigned char low = k == 0 ? lead.low : 0x80;
      const unsigned char high = k == 0 ? lead.high : 0xBF;
      if (j >= n) {
        complete = false;
        break;
      }
      const auto c = static_cast<unsigned char>(s[j]);
      if (c < low || c > high) {
        complete = false;
        break;
      }
    }
    if (complete) {
      if (out) out->append(s, i, j - i);
    } else {  // the breaking byte (if any) is read again
      valid = false;
      if (out) out->append(kReplacement);
    }
    i = j;
  }
  return valid;
}

// Next states of each state in symbol order, keyed by the state's position.
nlohmann::json aut_json(const std::map<int, std::map<symbol, int>>& aut) {
  std::map<int, std::vector<int>> rows;
  int position = 0;
  for (const auto& entry : aut) {
    std::vector<int>& next = rows[position++];
    for (const auto& transition : entry.second)
      next.push_back(transition.second);
  }
  nlohmann::json out = nlohmann::json::array();
  for (const auto& [position_key, next] : rows)
    out.push_back(nlohmann::json::array({position_key, next}));
  return out;
}

nlohmann::json pit_json(const std::map<int, std::vector<double>>& pit) {
  nlohmann::json out = nlohmann::json::array();
  for (const auto& [state, probs] : pit)
    out.push_back(nlohmann::json::array({state, probs}));
  return out;
}

nlohmann::json variable_json(unsigned int v,
                             const std::vector<std::string>& names) {
  if (names.empty()) return v;
  return replace_invalid_utf8(variable_name(names, v));
}

// Raw name, or the number in decimal.
std::string variable_text(unsigned int v,
                          const std::vector<std::string>& names) {
  return names.empty() ? std::to_string(v) : variable_name(names, v);
}

}  // namespace

ModelFileError::ModelFileError(const std::string& file)
    : ModelError("cannot write model file " + file), file_(file) {}

std::string model_name(const RECORD__& r,
                       const std::vector<std::string>& names) {
  const std::string src =
      names.empty() ? as_int(r.src) : variable_name(names, r.src);
  const std::string tgt =
      names.empty() ? as_int(r.tgt) : variable_name(names, r.tgt);
  return "_" + src + "_" + tgt + "_DEL_" + as_int(r.delay);
}

std::string model_file_name(const RECORD__& r,
                            const std::vector<std::string>& names) {
  return model_name(r, names) + ".mod";
}

bool is_valid_utf8(const std::string& s) { return sanitize_utf8(s, nullptr); }

std::string replace_invalid_utf8(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  sanitize_utf8(s, &out);
  return out;
}

void write_text_model(std::ostream& os, const RECORD__& r,
                      const std::vector<std::string>& names) {
  const std::string src = variable_text(r.src, names);
  const std::string tgt = variable_text(r.tgt, names);
  const std::ios_base::fmtflags flags = os.flags();
  const std::streamsize precision = os.precision();
  os.flags(std::ios_base::dec | std::ios_base::skipws);
  os.precision(6);

  os << "#SEQNAME\n" << src << "\n#SEQNAMEB\n" << tgt << "\n#CONNX\n";
  os << r.pfsa.aut << "\n#PITILDE\n";
  for (const auto& entry : r.pfsa.pit) {
    for (double p : entry.second) os << p << ' ';
    os << '\n';
  }
  os << "\n#DELAY\n"
     << r.delay << "\n#ANNERR \n"
     << r.annerr << "\n#MRGEPS \n"
     << r.mrgeps << "\n#GAMMA \n"
     << r.gamma << '\n';

  os.flags(flags);
  os.precision(precision);
}

void write_text_model_file(const std::string& path, const RECORD__& r,
                           const std::vector<std::string>& names) {
  std::ofstream out(path, std::ios::out | std::ios::trunc);
  if (!out) throw ModelFileError(path);
  write_text_model(out, r, names);
  out.close();
  if (out.fail()) throw ModelFileError(path);
}

nlohmann::json json_model(const RECORD__& r,
                          const std::vector<std::string>& names) {
  nlohmann::json j;
  j["aut"] = aut_json(r.pfsa.aut);
  j["delay"] = r.delay;
  j["gamma"] = r.gamma;
  j["pit"] = pit_json(r.pfsa.pit);
  j["src"] = variable_json(r.src, names);
  j["tgt"] = variable_json(r.tgt, names);
  return j;
}

void add_json_model(nlohmann::json& doc, const RECORD__& r,
                    const std::vector<std::string>& names) {
  doc[replace_invalid_utf8(model_file_name(r, names))] = json_model(r, names);
}

void write_json_document(const nlohmann::json& doc, const std::string& prefix) {
  const std::string path = prefix + "model.json";
  std::ofstream out(path, std::ios::out | std::ios::trunc);
  if (!out) throw ModelFileError(path);
  out << doc << '\n';
  out.close();
  if (out.fail()) throw ModelFileError(path);
}
