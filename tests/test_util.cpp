#include "tests/test_util.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testing_util {

ScopedTempDir::ScopedTempDir() {
  std::string tmpl =
      (std::filesystem::temp_directory_path() / "quorvane_test_XXXXXX")
          .string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary directory");
  path_ = buf.data();
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ec;
  // Tests may leave read-only directories behind; make them writable first.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator();
       it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::string ScopedTempDir::file(const std::string& name) const {
  return path_ + "/" + name;
}

void write_file(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool file_exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

CommandResult run_command(const std::vector<std::string>& argv,
                          const std::string& cwd,
                          const std::vector<std::string>& env,
                          double timeout_seconds) {
  ScopedTempDir capture;
  const std::string out_path = capture.file("stdout");
  const std::string err_path = capture.file("stderr");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);

  // posix_spawn has no working-directory action in glibc 2.36's public API
  // for all callers, so change into it around the spawn.
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> env_store;
  for (char** e = environ; *e != nullptr; ++e) env_store.emplace_back(*e);
  for (const auto& e : env) env_store.push_back(e);
  std::vector<char*> envp;
  for (auto& e : env_store) envp.push_back(e.data());
  envp.push_back(nullptr);

  CommandResult result;
  char old_cwd[4096];
  if (getcwd(old_cwd, sizeof old_cwd) == nullptr)
    throw std::runtime_error("getcwd failed");
  if (chdir(cwd.c_str()) != 0) throw std::runtime_error("cannot enter " + cwd);
  pid_t pid = 0;
  const int rc =
      posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  if (chdir(old_cwd) != 0) throw std::runtime_error("cannot return to cwd");
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  int wstatus = 0;
  if (timeout_seconds > 0) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration<double>(timeout_seconds);
    while (waitpid(pid, &wstatus, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &wstatus, 0);
        result.timed_out = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  } else {
    waitpid(pid, &wstatus, 0);
  }
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  return result;
}

std::string source_dir() { return QUORVANE_SOURCE_DIR; }

}  // namespace testing_util
