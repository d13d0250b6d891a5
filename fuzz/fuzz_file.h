// A file the readers can open by path whose content the fuzz input supplies.
// It lives in memory (memfd) when the system allows, so a run of millions of
// inputs does not touch the disk; otherwise in the temporary directory.

#ifndef FUZZ_FUZZ_FILE_H_
#define FUZZ_FUZZ_FILE_H_

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

class FuzzFile {
 public:
  FuzzFile() {
    fd_ = memfd_create("quorvane_fuzz", 0);
    if (fd_ >= 0) {
      path_ = "/proc/self/fd/" + std::to_string(fd_);
      return;
    }
    std::string tmpl = "/tmp/quorvane_fuzz_XXXXXX";
    fd_ = mkstemp(tmpl.data());
    if (fd_ < 0) std::abort();
    path_ = tmpl;
    unlink_ = true;
  }
  ~FuzzFile() {
    close(fd_);
    if (unlink_) unlink(path_.c_str());
  }
  FuzzFile(const FuzzFile&) = delete;
  FuzzFile& operator=(const FuzzFile&) = delete;

  // Replaces the content by `size` bytes from `data`.
  void assign(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd_, 0) != 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n =
          pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<std::size_t>(n);
    }
  }
  void assign(const std::string& text) {
    assign(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  }

  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
  bool unlink_ = false;
};

// Splits the first `n` bytes off the input as parameters of the run; the
// rest is the file. Missing bytes read as 0.
struct FuzzInput {
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : data_(data), size_(size) {}
  std::uint8_t take() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::string rest() const {
    return std::string(reinterpret_cast<const char*>(data_), size_);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

#endif  // FUZZ_FUZZ_FILE_H_
