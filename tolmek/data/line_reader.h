// Reading a text file line by line in large blocks, one pass, with the line
// splitting of std::getline: a line ends at a line feed, which is removed; a
// last line without one still counts; an empty file has no lines. Nothing
// else is removed (a carriage return before the line feed stays).

#ifndef TOLMEK_DATA_LINE_READER_H_
#define TOLMEK_DATA_LINE_READER_H_

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class LineReader {
 public:
  // Opens `path` for reading; throws DataFileError naming it when that fails.
  explicit LineReader(const std::string& path);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Sets `line` to the next line and returns true, or returns false after the
  // last line. `line` stays valid until the next call. Throws DataFileError
  // naming the file when reading fails (a directory fails here).
  bool next(std::string_view& line);

  // Number of lines handed out so far: the number of the last line, from 1.
  std::size_t line_number() const { return line_number_; }

 private:
  // Moves the unread rest to the front and appends the next block; false at
  // the end of the file.
  bool fill();

  std::string path_;
  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // first unread character
  std::size_t end_ = 0;    // one past the last character read from the file
  bool at_end_ = false;
  std::size_t line_number_ = 0;
};

#endif  // TOLMEK_DATA_LINE_READER_H_
