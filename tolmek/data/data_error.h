// Errors of the data input: files that cannot be read and data that need more
// per-variable partitions than were given. Every reader of this folder throws
// only these (or std::bad_alloc).

#ifndef TOLMEK_DATA_DATA_ERROR_H_
#define TOLMEK_DATA_DATA_ERROR_H_

#include <cstddef>
#include <stdexcept>
#include <string>

// Base of every error of the data input.
class DataError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that cannot be opened or read (missing, a directory, an I/O error).
// what() reads "<path>: cannot open: <reason>" or "<path>: cannot read:
// <reason>", the reason being the system's text for errno.
class DataFileError : public DataError {
 public:
  DataFileError(const std::string& path, const std::string& what_failed,
                int error_number);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A value of a variable for which no partition was given. `line` counts the
// file's lines from 1; `variable` counts from 0. what() names all four, e.g.
// "data.txt, line 3: no partition for variable 2 (2 partitions given)".
class PartitionTooSmallError : public DataError {
 public:
  PartitionTooSmallError(const std::string& path, std::size_t line,
                         std::size_t variable, std::size_t partition_count);
  const std::string& path() const { return path_; }
  std::size_t line() const { return line_; }
  std::size_t variable() const { return variable_; }
  std::size_t partition_count() const { return partition_count_; }

 private:
  std::string path_;
  std::size_t line_;
  std::size_t variable_;
  std::size_t partition_count_;
};

#endif  // TOLMEK_DATA_DATA_ERROR_H_
