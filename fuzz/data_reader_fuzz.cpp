// Fuzzes the data file reader: the first bytes choose the constructor
// (symbolic, per-variable partitions, common partition with or without
// differencing), the layout, the with-names flag, the data length and the
// partitions; the rest is the data file.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_file.h"
#include "tolmek/data/data_error.h"
#include "tolmek/data/data_reader.h"

namespace {

// Up to four thresholds from -1 to 1, ascending unless `reversed`.
std::vector<double> make_partition(unsigned int count, bool reversed) {
  std::vector<double> p;
  for (unsigned int i = 0; i < count % 5; ++i) p.push_back(-1.0 + 0.5 * i);
  if (reversed) std::vector<double>(p.rbegin(), p.rend()).swap(p);
  return p;
}

// Lines as the reader counts them: every line feed ends one, and a last
// line without one still counts.
std::size_t count_lines(const std::string& text) {
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  if (!text.empty() && text.back() != '\n') ++lines;
  return lines;
}

void check_streams(const data_reader& reader) {
  const std::vector<Symbolic_string_> streams =
      reader.getsymbolic_string_vector();
  FUZZ_CHECK(streams.size() == reader.sequences.size());
  for (std::size_t k = 0; k < streams.size(); ++k) {
    FUZZ_CHECK(streams[k].seq == reader.sequences[k]);
    const std::set<symbol> distinct(streams[k].seq.begin(),
                                    streams[k].seq.end());
    FUZZ_CHECK(streams[k].alphabet_size == distinct.size());
  }
}

// Symbols of variable k lie in 0 .. bins(k) - 1.
template <typename Bins>
void check_symbols(const data_reader& reader, Bins bins) {
  for (std::size_t k = 0; k < reader.sequences.size(); ++k) {
    for (const symbol& x : reader.sequences[k]) FUZZ_CHECK(x.value < bins(k));
  }
}

void check_shape(const data_reader& reader, bool across, bool with_names,
                 unsigned int data_length, const std::string& text) {
  const auto& seqs = reader.sequences;
  if (across) {
    FUZZ_CHECK(seqs.size() == count_lines(text));
    for (const auto& seq : seqs) FUZZ_CHECK(seq.size() <= data_length);
    for (const auto& entry : reader.name_index)
      FUZZ_CHECK(entry.second >= 0 &&
                 static_cast<std::size_t>(entry.second) < seqs.size());
  } else {
    // The j-th value of a line follows its (j-1)-th, so lengths never grow
    // from one variable to the next; variable 0 stops the reading.
    for (std::size_t j = 1; j < seqs.size(); ++j)
      FUZZ_CHECK(seqs[j].size() <= seqs[j - 1].size());
    for (const auto& seq : seqs) FUZZ_CHECK(!seq.empty());
    if (!seqs.empty()) FUZZ_CHECK(seqs[0].size() <= data_length);
  }
  if (!with_names) FUZZ_CHECK(reader.name_index.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static FuzzFile file;
  FuzzInput input(data, size);
  const std::uint8_t flags = input.take();
  const std::uint8_t length_code = input.take();
  const std::uint8_t partition_code = input.take();
  const std::string text = input.rest();
  file.assign(text);

  const int kind = flags & 3;
  const bool across = (flags & 4) == 0;
  const bool with_names = (flags & 8) != 0;
  const std::string layout = across ? "across" : "column";
  const unsigned int data_length = length_code < 200 ? length_code : 100000000u;

  try {
    if (kind == 0) {
      data_reader reader(file.path(), layout, data_length, with_names);
      check_shape(reader, across, with_names, data_length, text);
      check_streams(reader);
    } else if (kind == 1) {
      std::vector<std::vector<double>> partitions;
      for (unsigned int k = 0; k < (partition_code & 7u); ++k)
        partitions.push_back(make_partition(k + partition_code / 8u, k & 1));
      const std::vector<std::vector<double>> kept = partitions;
      data_reader reader(file.path(), layout, partitions, data_length,
                         with_names);
      check_shape(reader, across, with_names, data_length, text);
      FUZZ_CHECK(reader.sequences.size() <= kept.size());
      check_symbols(reader, [&](std::size_t k) { return kept[k].size() + 1; });
      check_streams(reader);
    } else {
      const std::vector<double> partition =
          make_partition(partition_code, (partition_code & 0x80) != 0);
      data_reader reader(file.path(), layout, partition, data_length,
                         with_names, kind == 3);
      check_shape(reader, across, with_names, data_length, text);
      check_symbols(reader, [&](std::size_t) { return partition.size() + 1; });
      check_streams(reader);
    }
  } catch (const PartitionTooSmallError& e) {
    FUZZ_CHECK(kind == 1);
    FUZZ_CHECK(e.variable() >= e.partition_count());
  }
  return 0;
}
