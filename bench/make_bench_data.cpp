// Writes benchmark data as a symbolic data file, one variable per line, its
// symbols separated by blanks (read it with -T symbolic).
//
// Usage: make_bench_data chain|fan VARIABLES LENGTH FILE

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_data.h"

int main(int argc, char** argv) {
  if (argc != 5 || (std::strcmp(argv[1], "chain") != 0 &&
                    std::strcmp(argv[1], "fan") != 0)) {
    std::fprintf(stderr,
                 "usage: make_bench_data chain|fan VARIABLES LENGTH FILE\n");
    return 2;
  }
  const std::size_t variables = std::strtoul(argv[2], nullptr, 10);
  const std::size_t length = std::strtoul(argv[3], nullptr, 10);
  const BenchData data = std::strcmp(argv[1], "chain") == 0
                             ? copy_chain(variables, length)
                             : fan_in(variables, length);
  std::FILE* out = std::fopen(argv[4], "w");
  if (out == nullptr) {
    std::fprintf(stderr, "make_bench_data: cannot write %s\n", argv[4]);
    return 1;
  }
  for (const auto& v : data) {
    std::string line;
    line.reserve(v.size() * 2);
    for (std::size_t t = 0; t < v.size(); ++t) {
      if (t > 0) line += ' ';
      line += std::to_string(v[t].value);
    }
    line += '\n';
    std::fputs(line.c_str(), out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
