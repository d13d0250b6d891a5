// Fuzzes the styling file of the drawings: a small crossed model is drawn
// with arbitrary styling contents. The input is always followed by lines
// that make GRAPH_TYPE NO_DOT (the last value of a key wins, and the second
// pair holds even when the input ends with a bare header), so no program is
// ever started whatever the input names.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_file.h"
#include "tolmek/graph/graph_error.h"
#include "tolmek/model/pfsa.h"

namespace {

constexpr char kNoRender[] = "\n#GRAPH_TYPE\nNO_DOT\n#GRAPH_TYPE\nNO_DOT\n";

std::string scratch_dir() {
  static const std::string dir = [] {
    std::string tmpl = "/tmp/quorvane_styling_fuzz_XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) std::abort();
    return tmpl;
  }();
  return dir;
}

PFSA two_state_model() {
  std::map<int, std::map<symbol, int>> aut;
  aut[0][symbol(0)] = 1;
  aut[0][symbol(1)] = 0;
  aut[1][symbol(0)] = -1;
  aut[1][symbol(1)] = 1;
  std::map<int, std::vector<double>> pit;
  pit[0] = {0.25, 0.75};
  pit[1] = {1.0, 0.0};
  return PFSA(pit, aut, 0, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static FuzzFile file;
  static const PFSA model = two_state_model();
  FuzzInput input(data, size);
  const bool with_caption = (input.take() & 1) != 0;
  file.assign(input.rest() + kNoRender);

  const std::string base = scratch_dir() + "/model";
  PFSA copy = model;
  copy.drawGraphX(base, file.path(), with_caption ? "delay 1" : "");

  std::ifstream dot(base + ".dot");
  const std::string text((std::istreambuf_iterator<char>(dot)),
                         std::istreambuf_iterator<char>());
  FUZZ_CHECK(text.rfind("digraph G {\n", 0) == 0);
  FUZZ_CHECK(text.size() >= 2 && text.compare(text.size() - 2, 2, "}\n") == 0);
  return 0;
}
