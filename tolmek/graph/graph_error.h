// Errors of the graph drawing: the dot file could not be written, the render
// program could not be started, or it ran and failed.

#ifndef TOLMEK_GRAPH_GRAPH_ERROR_H_
#define TOLMEK_GRAPH_GRAPH_ERROR_H_

#include <stdexcept>
#include <string>

class GraphError : public std::runtime_error {
 public:
  enum class Kind {
    kDotFileNotWritten,  // the dot file could not be written; nothing ran
    kProgramMissing,     // the render program could not be started at all
    kRenderFailed,       // it ran, but exited non-zero or was killed
  };

  // `file` is the dot file for kDotFileNotWritten and the image otherwise;
  // `message` is the whole what() text and names that file.
  GraphError(Kind kind, std::string file, const std::string& message)
      : std::runtime_error(message), kind_(kind), file_(std::move(file)) {}

  Kind kind() const { return kind_; }
  const std::string& file() const { return file_; }

 private:
  Kind kind_;
  std::string file_;
};

#endif  // TOLMEK_GRAPH_GRAPH_ERROR_H_
