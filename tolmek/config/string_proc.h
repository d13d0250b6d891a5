// Selector keys: the short texts that choose which (source, target) pairs of
// variables the sweep examines.
//
// A key is a list of segments separated by "|"; a segment is
// "sources:targets", each part a whitespace-separated list of variable
// indices, an empty part meaning every variable. "2 3 : 4 | :5" selects
// sources 2 and 3 for target 4 and every variable for target 5. Nothing in a
// key is an error and nothing is printed.

#ifndef TOLMEK_CONFIG_STRING_PROC_H_
#define TOLMEK_CONFIG_STRING_PROC_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace _STRING_PROC_ {

// The selection `key` makes among `variable_count` variables numbered from
// 0: each selected target mapped to its sources; a target appears only with
// at least one source. Segments are split at every "|" (text after the last
// "|" counts only when not empty, so an empty key selects nothing) and
// trimmed of blanks; an empty segment selects every pair. In a segment the
// sources come before the first ":", the targets between it and a second
// ":" (the rest is ignored); without ":" the targets part is empty. Each
// part, trimmed of blanks (not tabs), is either empty, meaning all
// variables, or numbers read as by stream extraction up to the first text
// that does not read as one ("1,2" gives 1). Numbers not below
// `variable_count` are dropped. A variable is its own source only when
// `include_self` is set. Segments accumulate.
std::map<unsigned, std::set<unsigned>> process_key_string_(
    std::string key, unsigned variable_count, bool include_self);

// An upper bound on the number of (source, target) pairs that
// process_key_string_ selects for `key`, whatever `include_self`: the sum
// over the segments of sources times targets, repeated numbers counted
// again. Takes time linear in the key's length, however many variables
// there are, so a caller can refuse a selection too large to build.
std::uint64_t selection_size_bound(const std::string& key,
                                   unsigned variable_count);

// `text` without the leading and trailing characters that occur in
// `characters`; empty when every character of `text` does.
std::string trim(const std::string& text, const std::string& characters);

}  // namespace _STRING_PROC_

#endif  // TOLMEK_CONFIG_STRING_PROC_H_
