// Reading speed of the data file reader: writes a symbolic and a continuous
// data file of the same values in both layouts into a temporary directory,
// reads each several times with each constructor and prints the median,
// fastest and slowest wall time per reading.
//
//   read_bench [runs (default 3)] [values (default 10000000)]
//
// The files hold 10 variables; the values are drawn from a fixed seed, so
// every run reads the same bytes.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tolmek/data/data_reader.h"

namespace {

constexpr int kVariables = 10;
constexpr unsigned int kNoLimit = 100000000;

struct Files {
  std::string symbolic_across, symbolic_column;
  std::string continuous_across, continuous_column;
};

// Writes `values` (variable-major: variable v, step t at v * steps + t) in
// the given layout, each value printed by `print`.
void write_data(const std::string& path, bool across, std::size_t steps,
                const std::vector<double>& values,
                const std::function<int(char*, double)>& print) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::string text;
  char token[64];
  const auto put = [&](std::size_t v, std::size_t t) {
    text.append(token, print(token, values[v * steps + t]));
  };
  if (across) {
    for (std::size_t v = 0; v < kVariables; ++v) {
      for (std::size_t t = 0; t < steps; ++t) put(v, t), text += ' ';
      text += '\n';
    }
  } else {
    for (std::size_t t = 0; t < steps; ++t) {
      for (std::size_t v = 0; v < kVariables; ++v) put(v, t), text += ' ';
      text += '\n';
    }
  }
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
}

Files make_files(const std::string& dir, std::size_t count) {
  const std::size_t steps = count / kVariables;
  std::mt19937_64 gen(7);
  std::normal_distribution<double> normal(0.0, 1.0);
  std::vector<double> values(steps * kVariables);
  for (double& x : values) x = normal(gen);
  Files f{dir + "/sym_across.txt", dir + "/sym_column.txt",
          dir + "/cont_across.txt", dir + "/cont_column.txt"};
  // Symbols 0..3 from the quartiles; continuous values with six digits.
  const auto symbol_text = [](char* buf, double x) {
    return std::snprintf(buf, 64, "%d", (x > -0.674) + (x > 0) + (x > 0.674));
  };
  const auto double_text = [](char* buf, double x) {
    return std::snprintf(buf, 64, "%g", x);
  };
  write_data(f.symbolic_across, true, steps, values, symbol_text);
  write_data(f.symbolic_column, false, steps, values, symbol_text);
  write_data(f.continuous_across, true, steps, values, double_text);
  write_data(f.continuous_column, false, steps, values, double_text);
  return f;
}

// Runs `read` `runs` times and prints its median, fastest and slowest time.
// `read` returns the number of symbols it read, printed as a check.
void measure(const char* name, int runs,
             const std::function<std::size_t()>& read) {
  std::vector<double> seconds;
  std::size_t symbols = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    symbols = read();
    const std::chrono::duration<double> took =
        std::chrono::steady_clock::now() - start;
    seconds.push_back(took.count());
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("%-34s median %.3f s  (min %.3f, max %.3f)  %zu symbols\n", name,
              seconds[seconds.size() / 2], seconds.front(), seconds.back(),
              symbols);
}

std::size_t total(const data_reader& r) {
  std::size_t n = 0;
  for (const auto& seq : r.sequences) n += seq.size();
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::size_t count =
      argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10000000;

  namespace fs = std::filesystem;
  std::string tmpl = (fs::temp_directory_path() / "read_bench_XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const Files f = make_files(tmpl, count);
  std::printf("%zu values in %d variables, %d runs each\n",
              count / kVariables * kVariables, kVariables, runs);

  const std::vector<double> partition = {-0.674, 0.0, 0.674};
  const std::vector<std::vector<double>> partitions(kVariables, partition);
  measure("symbolic, across", runs, [&] {
    return total(data_reader(f.symbolic_across, "across", kNoLimit, false));
  });
  measure("symbolic, column", runs, [&] {
    return total(data_reader(f.symbolic_column, "column", kNoLimit, false));
  });
  measure("common partition, across", runs, [&] {
    return total(data_reader(f.continuous_across, "across", partition, kNoLimit,
                             false, false));
  });
  measure("common partition, column", runs, [&] {
    return total(data_reader(f.continuous_column, "column", partition, kNoLimit,
                             false, false));
  });
  measure("common partition, derivative, col", runs, [&] {
    return total(data_reader(f.continuous_column, "column", partition, kNoLimit,
                             false, true));
  });
  measure("partition per variable, across", runs, [&] {
    return total(data_reader(f.continuous_across, "across", partitions,
                             kNoLimit, false));
  });
  measure("partition per variable, column", runs, [&] {
    return total(data_reader(f.continuous_column, "column", partitions,
                             kNoLimit, false));
  });
  const data_reader reader(f.symbolic_across, "across", kNoLimit, false);
  measure("streams from a symbolic reading", runs, [&] {
    std::size_t n = 0;
    for (const auto& s : reader.getsymbolic_string_vector()) n += s.seq.size();
    return n;
  });

  std::error_code ec;
  fs::remove_all(tmpl, ec);
  return 0;
}
