// The data file reader: turns a data file into one symbol sequence per
// variable and hands them out as symbolic streams, in variable order.
//
// A data file is read line by line; each line is read as white-space
// separated numbers from its start up to the first token that is not a
// number (a comma, "NA", "nan", ...) or its end. Values are read exactly as
// `std::istream >> value` reads them: unsigned integers for symbolic data
// ("-1" wraps to 4294967295), doubles for continuous data. Blanks and
// carriage returns at the end of a line change nothing.
//
// Layout "across" (exactly that word): line k is variable k, its values in
// time order; every line is a variable, an empty one too. Any other layout
// is the column layout: line i is time step i and its j-th value belongs to
// variable j; a variable starts with its first value, so ragged lines give
// sequences of different lengths.
//
// The data length bounds each variable's sequence in the across layout; in
// the column layout reading stops once variable 0, which gets a value from
// every line that has one, holds that many symbols. A data length of 0 gives
// empty sequences in the across layout and no variables at all in the column
// layout (no line is read for values; a variable only starts with a value).
//
// Errors are reported with the exceptions of tolmek/data/data_error.h.
//
// With the with-names flag, the first token of each line names its variable
// in the across layout, and the first line holds the names of the variables
// in the column layout (that line adds no values); a name given twice keeps
// the later number.

#ifndef TOLMEK_DATA_DATA_READER_H_
#define TOLMEK_DATA_DATA_READER_H_

#include <map>
#include <string>
#include <vector>

#include "tolmek/stream/symbol.h"
#include "tolmek/stream/symbolic_string.h"

class data_reader {
 public:
  // One symbol sequence per variable, in variable order.
  std::vector<std::vector<symbol>> sequences;
  // Variable name -> variable number; filled only with the with-names flag.
  std::map<std::string, int> name_index;

  // Symbolic data: each unsigned integer read is a symbol's value.
  // Throws DataFileError when `data_file` cannot be opened or read (a
  // readable empty file is fine: no variables).
  data_reader(std::string data_file, std::string layout,
              unsigned int data_length, bool with_names);

  // Continuous data, each variable quantized with its own partition
  // (partitions[k] for variable k). Throws DataFileError as above, and
  // PartitionTooSmallError for the first variable without a partition: in
  // the across layout at the start of its line (an empty line too), in the
  // column layout at its first value read.
  data_reader(std::string data_file, std::string layout,
              std::vector<std::vector<double>> partitions,
              unsigned int data_length, bool with_names);

  // Continuous data, every variable quantized with `partition`. With
  // `derivative`, each variable keeps a running value p (0.0 at its start):
  // a value x is quantized as d = x - p and p becomes d + p. Every line of
  // the across layout is its own variable and so starts from 0.0; every
  // column of the column layout keeps its own p. Throws DataFileError as
  // above.
  data_reader(std::string data_file, std::string layout,
              std::vector<double> partition, unsigned int data_length,
              bool with_names, bool derivative);

  // One stream per sequence, in order, each with the alphabet size of its
  // distinct symbols (not of the partition). Changes nothing; may be repeated.
  std::vector<Symbolic_string_> getsymbolic_string_vector() const;
};

// The symbol of `x` against the thresholds of `partition`: the position of
// the first threshold greater than x, or the number of thresholds when none
// is. For ascending thresholds a value on a threshold falls into the upper
// bin; an empty partition gives 0 for every value.
symbol quantize(double x, const std::vector<double>& partition);

#endif  // TOLMEK_DATA_DATA_READER_H_
