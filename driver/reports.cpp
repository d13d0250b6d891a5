#include "driver/reports.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <utility>

#include "tolmek/graph/graph_error.h"
#include "tolmek/model/model_files.h"

namespace {

// Opens `path` for writing with truncation, lets `write` fill it, and checks
// the stream after closing. Reports a failure on `err`.
template <typename Write>
bool write_file_checked(const std::string& path, const char* what,
                        std::ostream& err, Write write) {
  std::ofstream file(path, std::ios::out | std::ios::trunc);
  if (!file) {
    err << "cannot open " << what << " '" << path << "' for writing"
        << std::endl;
    return false;
  }
  write(file);
  file.close();
  if (!file) {
    err << "cannot write " << what << " '" << path << "' completely"
        << std::endl;
    return false;
  }
  return true;
}

bool write_gamma_output(std::vector<RECORD__>& records,
                        const Selection& selection, const RunSettings& s,
                        std::uint64_t last_column, std::ostream& out,
                        std::ostream& err) {
  if (s.gammafile.empty()) {
    write_gamma_lines(records, selection, s.OFFSET_MIN, last_column, out);
    return true;
  }
  return write_file_checked(s.gammafile, "gamma file", err, [&](auto& f) {
    write_gamma_lines(records, selection, s.OFFSET_MIN, last_column, f);
  });
}

bool draw_graphs(std::vector<RECORD__>& records, const RunSettings& s,
                 const std::vector<std::string>& names, std::ostream& err) {
  bool ok = true;
  bool program_missing_reported = false;
  const std::string base = s.modelname_prefix + "model";
  for (RECORD__& r : records) {
    try {
      r.pfsa.drawGraphX(base + model_name(r, names), s.DOT_CFG_X, "");
    } catch (const GraphError& e) {
      ok = false;
      if (e.kind() == GraphError::Kind::kProgramMissing) {
        if (program_missing_reported) continue;
        program_missing_reported = true;
      }
      err << "warning: " << e.what() << std::endl;
    }
  }
  return ok;
}

bool write_model_files(std::vector<RECORD__>& records, const RunSettings& s,
                       const std::vector<std::string>& names,
                       std::ostream& err) {
  std::sort(records.begin(), records.end(), RECORD_comparator());
  std::vector<RECORD__*> chosen;
  std::uint32_t written = 0;
  for (RECORD__& r : records) {
    if (!(r.gamma > s.gammamin && r.annerr < s.annmax)) continue;
    chosen.push_back(&r);
    ++written;
    if (written == static_cast<std::uint32_t>(s.maxmodelfiles)) break;
  }

  bool ok = true;
  if (!s.jsonmodels) {
    for (RECORD__* r : chosen) {
      const std::string path =
          s.modelname_prefix + "model" + model_file_name(*r, names);
      try {
        write_text_model_file(path, *r, names);
      } catch (const ModelFileError& e) {
        err << e.what() << std::endl;
        ok = false;
      }
    }
    return ok;
  }

  for (const std::string& name : names) {
    if (!is_valid_utf8(name)) {
      err << "warning: variable name '" << name
          << "' is not valid UTF-8; invalid bytes are replaced in "
          << s.modelname_prefix << "model.json" << std::endl;
    }
  }
  nlohmann::json document;
  for (RECORD__* r : chosen) {
    add_json_model(document, *r, names);
  }
  try {
    write_json_document(document, s.modelname_prefix);
  } catch (const ModelFileError& e) {
    err << e.what() << std::endl;
    ok = false;
  }
  return ok;
}

}  // namespace

double binaryproc_(std::vector<RECORD__>& records, double threshold,
                   unsigned int first, unsigned int last) {
  std::map<unsigned int, std::map<unsigned int, double>> by_delay;
  for (const RECORD__& r : records) {
    if (r.gamma > threshold) by_delay[r.delay][r.src] = r.gamma;
  }
  double sum = 0.0;
  if (first > last) return sum;
  // Delays without any record add nothing, so walk only those present.
  for (auto it = by_delay.lower_bound(first);
       it != by_delay.end() && it->first <= last; ++it) {
    const auto zero = it->second.find(0);
    const auto one = it->second.find(1);
    if (zero != it->second.end()) sum += zero->second;
    if (one != it->second.end()) sum -= one->second;
  }
  return sum;
}

void write_gamma_lines(const std::vector<RECORD__>& records,
                       const Selection& selection, unsigned int first,
                       std::uint64_t last, std::ostream& os) {
  std::map<unsigned int, std::map<unsigned int, std::map<unsigned int, double>>>
      table;
  for (const RECORD__& r : records) table[r.src][r.tgt][r.delay] = r.gamma;
  const std::uint64_t end = last;

  std::set<std::pair<unsigned int, unsigned int>> pairs;
  for (const auto& [target, sources] : selection) {
    for (unsigned int source : sources) pairs.insert({source, target});
  }
  for (const auto& pair : pairs) {
    // Named copies: a C++17 lambda cannot capture structured bindings.
    const unsigned int source = pair.first;
    const unsigned int target = pair.second;
    const auto* delays = [&]() -> const std::map<unsigned int, double>* {
      const auto s_it = table.find(source);
      if (s_it == table.end()) return nullptr;
      const auto t_it = s_it->second.find(target);
      return t_it == s_it->second.end() ? nullptr : &t_it->second;
    }();
    for (std::uint64_t d = first; d <= end; ++d) {
      const auto it = delays == nullptr
                          ? std::map<unsigned int, double>::const_iterator()
                          : delays->find(static_cast<unsigned int>(d));
      if (delays != nullptr && it != delays->end()) {
        os << it->second << " ";
      } else {
        os << "nan ";
      }
    }
    os << "\n" << std::flush;
  }
}

void write_result_log(std::vector<RECORD__>& records, std::ostream& os) {
  for (RECORD__& r : records) os << r << "\n";
}

bool write_reports(std::vector<RECORD__>& records, const Selection& selection,
                   std::uint64_t last_column, const RunSettings& s,
                   const std::vector<std::string>& names, std::ostream& out,
                   std::ostream& err) {
  bool ok = true;
  if (s.printgamma)
    ok &= write_gamma_output(records, selection, s, last_column, out, err);
  if (s.PRODUCE_LOG) {
    ok &= write_file_checked(s.LOGFILE, "result log", err,
                             [&](auto& f) { write_result_log(records, f); });
  }
  if (s.scalardir) {
    out << binaryproc_(records, s.gammamin, s.OFFSET_MIN, s.OFFSET_MAX)
        << std::flush;
  }
  if (s.PRODUCE_GRAPH) ok &= draw_graphs(records, s, names, err);
  if (s.PRODUCE_MODEL_FILES) ok &= write_model_files(records, s, names, err);
  return ok;
}
