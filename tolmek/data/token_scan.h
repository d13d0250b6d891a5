// Reading numbers and words from a line of text, token by token, exactly as
// formatted stream extraction (`std::istream >> value`) in the classic locale
// does, but without a stream: the readers of this folder parse millions of
// values and a string stream per line costs more than the file itself.
//
// Each function starts at `pos`, skips white space (blank, tab, line feed,
// vertical tab, form feed, carriage return) and reads one token. It returns
// whether the read succeeded and leaves `pos` after everything extraction
// would have consumed, also when it fails. A read that finds only white space
// fails and leaves `value` unchanged; any other failed read stores what
// extraction stores (0, or the largest value of the type on overflow). A
// caller reading "until a read fails" thus reads what a stream would have.
// Safe to call from several threads on different data.

#ifndef TOLMEK_DATA_TOKEN_SCAN_H_
#define TOLMEK_DATA_TOKEN_SCAN_H_

#include <cstddef>
#include <string_view>

// A decimal number: optional sign, digits with at most one decimal point,
// then optionally e or E, an optional sign and digits. No hexadecimal, inf or
// nan. "12abc" reads 12 and stops before "abc"; "1e" and "-" fail. A number
// too large for a double fails, storing the largest double with its sign; one
// too small reads as 0 or as the nearest subnormal.
bool scan_double(std::string_view text, std::size_t& pos, double& value);

// An unsigned decimal integer with an optional sign; a minus sign wraps the
// value modulo 2^32 ("-1" reads 4294967295). More than 4294967295 before the
// sign is applied fails, storing 4294967295.
bool scan_unsigned(std::string_view text, std::size_t& pos,
                   unsigned int& value);

// A word: the longest run of characters other than white space. `word` views
// `text`. Fails only when nothing but white space is left.
bool scan_word(std::string_view text, std::size_t& pos, std::string_view& word);

#endif  // TOLMEK_DATA_TOKEN_SCAN_H_
