// Saving result records as model files: one text model per record, or one
// JSON document holding the JSON model of every record under its model name.
// Only a model's aut and pit are saved.

#ifndef TOLMEK_MODEL_MODEL_FILES_H_
#define TOLMEK_MODEL_MODEL_FILES_H_

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tolmek/model/record.h"

// A problem of the model subsystem that is not about a file: a record names
// a variable that the name list lacks.
class ModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A model file that could not be opened or written completely; what() names
// the file.
class ModelFileError : public ModelError {
 public:
  explicit ModelFileError(const std::string& file);
  const std::string& file() const { return file_; }

 private:
  std::string file_;
};

// The name of a record in file names and JSON keys: "_<src>_<tgt>_DEL_<delay>"
// with the variable numbers when `names` is empty, else with the names of
// variables src and tgt, written unchanged (raw bytes). Throws ModelError when
// `names` is not empty and lacks one of the two variables.
std::string model_name(const RECORD__& r,
                       const std::vector<std::string>& names);
// model_name followed by ".mod".
std::string model_file_name(const RECORD__& r,
                            const std::vector<std::string>& names);

// True when `s` is well-formed UTF-8 (no overlong forms, surrogates or code
// points beyond U+10FFFF).
bool is_valid_utf8(const std::string& s);
// `s` with every ill-formed sequence replaced by U+FFFD, exactly as the JSON
// library's replacing serializer treats it: one replacement per maximal
// ill-formed prefix, the byte that breaks a sequence read again.
std::string replace_invalid_utf8(const std::string& s);

// Writes the text model of `r` to `os`: the source and target (names from
// `names` when it is not empty, raw bytes), the transition and probability
// tables, the delay, annerr, mrgeps and gamma, every line ended by '\n'.
// Integers are decimal and doubles in the default format whatever the
// stream's flags; the flags are restored afterwards. Does not close or check
// the stream. Throws ModelError as model_name does.
void write_text_model(std::ostream& os, const RECORD__& r,
                      const std::vector<std::string>& names);
// Writes the text model of `r` to the file `path` (truncated). Throws
// ModelFileError when the file cannot be opened or written completely.
void write_text_model_file(const std::string& path, const RECORD__& r,
                           const std::vector<std::string>& names);

// The JSON model of `r`: members "aut", "delay", "gamma", "pit", "src" and
// "tgt"; src and tgt are numbers without names and strings with names, made
// valid UTF-8 by replace_invalid_utf8. Throws ModelError as model_name does.
nlohmann::json json_model(const RECORD__& r,
                          const std::vector<std::string>& names);
// Sets the member of `doc` keyed model_file_name(r, names) (made valid UTF-8)
// to the JSON model of `r`, turning a null `doc` into an object and replacing
// an earlier member with the same key.
void add_json_model(nlohmann::json& doc, const RECORD__& r,
                    const std::vector<std::string>& names);
// Writes `doc` compactly and one '\n' to prefix + "model.json" (truncated).
// Throws ModelFileError when the file cannot be opened or written completely.
void write_json_document(const nlohmann::json& doc, const std::string& prefix);

#endif  // TOLMEK_MODEL_MODEL_FILES_H_
