// Helpers shared by the unit and end-to-end tests: temporary directories,
// small files, and running the built command without a shell.

#ifndef TESTS_TEST_UTIL_H_
#define TESTS_TEST_UTIL_H_

#include <string>
#include <vector>

namespace testing_util {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

void write_file(const std::string& path, const std::string& content);
// The whole file; an empty string when it cannot be read.
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

struct CommandResult {
  int status = -1;         // exit status, or -1 when the process did not exit
  int signal = 0;          // the signal that ended the process, or 0
  bool timed_out = false;  // killed after the time limit
  std::string out;         // standard output
  std::string err;         // standard error
};

// Runs `argv` (argv[0] is the program path) in directory `cwd` with extra
// environment entries ("NAME=value"), without a shell, and collects its
// output. Standard input is /dev/null. With `timeout_seconds` above 0, a
// process still running after that long is killed and reported timed out.
CommandResult run_command(const std::vector<std::string>& argv,
                          const std::string& cwd,
                          const std::vector<std::string>& env = {},
                          double timeout_seconds = 0);

// The source tree (for committed test data).
std::string source_dir();

}  // namespace testing_util

#endif  // TESTS_TEST_UTIL_H_
