// Replays fuzz inputs without libFuzzer: feeds every file under the
// directories (or the files) given as arguments to the target, one at a
// time, in name order. Lets an ordinary build check the seed corpus and the
// inputs that once crashed. Fails when it finds no input at all, so a
// corpus that went missing does not pass silently.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc,
                                                          char*** argv);

namespace {

std::vector<std::filesystem::path> inputs_under(const char* arg) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  const fs::path root(arg);
  if (fs::is_regular_file(root)) {
    files.push_back(root);
  } else if (fs::is_directory(root)) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
  } else {
    std::cerr << "replay: no such file or directory: " << arg << std::endl;
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& path : inputs_under(argv[i])) {
      std::ifstream in(path, std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
      std::cerr << "replay: " << path.string() << std::endl;
      LLVMFuzzerTestOneInput(
          reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::cout << "replayed " << replayed << " inputs" << std::endl;
  return replayed == 0 ? 1 : 0;
}
