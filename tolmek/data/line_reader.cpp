#include "tolmek/data/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tolmek/data/data_error.h"

namespace {

// Large enough that a read call costs little next to parsing its contents.
constexpr std::size_t kBlockSize = std::size_t{1} << 18;

}  // namespace

LineReader::LineReader(const std::string& path) : path_(path) {
  errno = 0;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) throw DataFileError(path, "cannot open", errno);
  buffer_.resize(kBlockSize);
}

LineReader::~LineReader() { std::fclose(file_); }

bool LineReader::next(std::string_view& line) {
  // Characters after begin_ already searched for a line feed: a long line
  // arrives in several blocks and each is searched once.
  std::size_t searched = 0;
  for (;;) {
    const char* data = buffer_.data();
    const char* from = data + begin_ + searched;
    const void* feed = std::memchr(from, '\n', end_ - begin_ - searched);
    if (feed != nullptr) {
      const std::size_t stop =
          static_cast<std::size_t>(static_cast<const char*>(feed) - data);
      line = std::string_view(data + begin_, stop - begin_);
      begin_ = stop + 1;
      ++line_number_;
      return true;
    }
    searched = end_ - begin_;
    if (!fill()) break;
  }
  if (begin_ == end_) return false;
  line = std::string_view(buffer_.data() + begin_, end_ - begin_);
  begin_ = end_;
  ++line_number_;
  return true;
}

bool LineReader::fill() {
  if (at_end_) return false;
  const std::size_t rest = end_ - begin_;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, rest);
    begin_ = 0;
    end_ = rest;
  }
  // A line longer than the buffer: grow it, geometrically so that a line of
  // any length is copied a bounded number of times.
  if (buffer_.size() - end_ < kBlockSize)
    buffer_.resize(std::max(2 * buffer_.size(), end_ + kBlockSize));
  errno = 0;
  const std::size_t got =
      std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  if (std::ferror(file_)) throw DataFileError(path_, "cannot read", errno);
  end_ += got;
  if (got == 0) at_end_ = true;
  return got > 0;
}
