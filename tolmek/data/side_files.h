// The small files that accompany a data file: the selector key file, the
// variable name file and the per-variable partition file. Each is read line
// by line as the data file is: a line ends at a line feed, a last line
// without one still counts, and a carriage return just before the line feed
// (or at the end of the file) belongs to the line end, so a file written with
// CR LF line ends reads like the same file with LF ones.
//
// Each function throws DataFileError naming the file when it cannot be
// opened or read (a directory cannot be read).

#ifndef TOLMEK_DATA_SIDE_FILES_H_
#define TOLMEK_DATA_SIDE_FILES_H_

#include <string>
#include <vector>

// The first line of the key file, blanks kept; "" for an empty file.
std::string read_key_file(const std::string& path);

// One name per line, in variable order; empty lines are empty names.
std::vector<std::string> read_name_file(const std::string& path);

// One partition per line, line k for variable k: the line's white-space
// separated numbers, read as the data file's continuous values are, up to
// the first token that is not a number. A line without numbers gives an
// empty partition.
std::vector<std::vector<double>> read_partition_file(const std::string& path);

#endif  // TOLMEK_DATA_SIDE_FILES_H_
