// Fuzzes the selector keys: the first bytes choose the number of variables
// and the include-self flag, the rest is the key.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_file.h"
#include "tolmek/config/string_proc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzInput input(data, size);
  const unsigned int n = input.take() % 40u;
  const bool include_self = (input.take() & 1) != 0;
  const std::string key = input.rest();

  const auto selection =
      _STRING_PROC_::process_key_string_(key, n, include_self);
  std::uint64_t pairs = 0;
  for (const auto& entry : selection) pairs += entry.second.size();
  FUZZ_CHECK(pairs <= _STRING_PROC_::selection_size_bound(key, n));
  for (const auto& [target, sources] : selection) {
    FUZZ_CHECK(target < n);
    FUZZ_CHECK(!sources.empty());
    for (unsigned int source : sources) {
      FUZZ_CHECK(source < n);
      FUZZ_CHECK(include_self || source != target);
    }
  }
  if (key.empty()) FUZZ_CHECK(selection.empty());

  const std::string trimmed = _STRING_PROC_::trim(key, " ");
  FUZZ_CHECK(trimmed.empty() ||
             (trimmed.front() != ' ' && trimmed.back() != ' '));
  FUZZ_CHECK(key.find(trimmed) != std::string::npos);
  return 0;
}
