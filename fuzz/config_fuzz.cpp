// Fuzzes the configuration reader with arbitrary file contents: every lookup
// form and value type, the driver's own reading of its keys, and the
// inference parameter bundle with its checks.

#include <cstddef>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/settings.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_file.h"
#include "tolmek/config/config.h"
#include "tolmek/config/gparam.h"

namespace {

constexpr const char* kKeys[] = {"A", "DATA_LENGTH", "PARTITION",
                                 "OMEGA_VECTOR", "EPS_MIN_"};

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// Tokens are the runs of non-blank characters: none empty, none holding a
// blank, and together exactly the non-blank characters of the text.
void check_tokens(const std::string& text) {
  std::size_t non_blank = 0;
  for (char c : text) non_blank += is_blank(c) ? 0 : 1;
  std::size_t in_tokens = 0;
  for (const std::string& t : CONFIG::cheap_tokenise(text)) {
    FUZZ_CHECK(!t.empty());
    for (char c : t) FUZZ_CHECK(!is_blank(c));
    in_tokens += t.size();
  }
  FUZZ_CHECK(in_tokens == non_blank);
}

void look_up(CONFIG& config, const char* key) {
  int i = 7;
  unsigned int u = 7;
  double d = 7.0;
  std::string s = "unset";
  bool b = true;
  long l = 7;
  float f = 7.0f;
  char c = 'x';
  config.set(i, key);
  config.set(u, key);
  config.set(d, key);
  config.set(s, key);
  config.set(b, key);
  config.set(l, key);
  config.set(f, key);
  config.set(c, key);
  // A string value is one whole token.
  FUZZ_CHECK(!s.empty());
  for (char ch : s) FUZZ_CHECK(!is_blank(ch));

  std::vector<double> v = {1.0, 2.0};
  config.set_vector(v, key);

  std::vector<std::vector<symbol>> rows = {{symbol(1)}};
  config.set_vector_vector(rows, key);
  FUZZ_CHECK(!rows.empty() && rows[0].size() == 1);  // rows are appended
  for (std::size_t r = 1; r < rows.size(); ++r) FUZZ_CHECK(!rows[r].empty());

  std::map<int, std::map<symbol, double>> table;
  config.set_map(table, key);
  // Rows are numbered 0, 1, 2, ... and columns likewise.
  int expected_row = 0;
  for (const auto& [row, columns] : table) {
    FUZZ_CHECK(row == expected_row++);
    std::uint32_t expected_column = 0;
    for (const auto& entry : columns)
      FUZZ_CHECK(entry.first.value == expected_column++);
  }
  std::map<int, std::map<symbol, int>> counts = {{5, {{symbol(0), 1}}}};
  config.set_map(counts, key);
  FUZZ_CHECK(counts.count(5) == 1);  // other rows stay
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static FuzzFile file;
  file.assign(data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  check_tokens(text);

  CONFIG config(file.path());
  for (const char* key : kKeys) look_up(config, key);

  // The driver's settings and the inference bundle from the same file.
  const std::string path = file.path();
  const char* argv[] = {"quorvane", "-c", path.c_str(), "-q"};
  std::ostringstream out;
  const ParsedSettings parsed = parse_settings(4, argv, out);
  FUZZ_CHECK(!parsed.finished && !parsed.command_line_error);

  const gParam param(path, 5);
  const std::vector<std::string> problems = parameter_problems(param);
  for (const std::string& p : problems) FUZZ_CHECK(!p.empty());
  std::vector<StreamShape> shapes(3);
  shapes[1].alphabet_size = 2;
  shapes[1].largest_symbol = 1;
  shapes[2].alphabet_size = 4096;
  shapes[2].largest_symbol = 4096;
  FUZZ_CHECK(!stream_problems(param, shapes).empty());  // the last is refused
  return 0;
}
