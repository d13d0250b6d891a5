#include "driver/startup.h"

#include <algorithm>
#include <cstdint>
#include <ostream>

#include "tolmek/data/data_error.h"
#include "tolmek/data/data_reader.h"
#include "tolmek/data/side_files.h"

namespace {

constexpr int kRefused = 2;

// More delays than this make a gamma output of absurd size and a sweep that
// cannot be meant; the range is refused.
constexpr std::uint64_t kMaxDelays = 1000000;

// Reads the data file with the reader the settings choose.
std::vector<Symbolic_string_> read_streams(
    const RunSettings& s, const std::vector<std::vector<double>>& partitions) {
  if (s.DATA_TYPE == "continuous") {
    if (!s.has_partitionfile) {
      data_reader reader(s.datafile, s.DATA_DIR, s.PARTITION, s.DATA_LENGTH,
                         false, s.use_derivative);
      return reader.getsymbolic_string_vector();
    }
    data_reader reader(s.datafile, s.DATA_DIR, partitions, s.DATA_LENGTH,
                       false);
    return reader.getsymbolic_string_vector();
  }
  data_reader reader(s.datafile, s.DATA_DIR, s.DATA_LENGTH, false);
  return reader.getsymbolic_string_vector();
}

bool report(const std::vector<std::string>& problems, std::ostream& err) {
  for (const auto& p : problems) err << p << std::endl;
  return problems.empty();
}

}  // namespace

StartupResult start_up(const RunSettings& s, std::ostream& out,
                       std::ostream& err) {
  StartupResult result;
  RunInputs& in = result.inputs;
  in.key = s.key;
  // Which file is being read, for the message when it cannot be.
  const char* reading = "key file";
  try {
    if (!s.keyfile.empty()) in.key = read_key_file(s.keyfile);

    in.params = gParam(s.configfile, s.evaldepth);
    if (s.eps > 0) {
      in.params.EPS_MIN_ = s.eps;
      in.params.EPS_MAX_ = s.eps;
    }
    if (s.has_num && s.num > static_cast<unsigned int>(kMaxNumEach)) {
      // Named as given: converted to the bundle's int it could read as -1.
      err << "--num " << s.num << ": must be from 1 to " << kMaxNumEach
          << std::endl;
      result.refused_status = kRefused;
      return result;
    }
    in.params.NUM_EACH = s.has_num ? static_cast<int>(s.num) : s.NUM_EACH;
    if (s.OFFSET_MIN <= s.OFFSET_MAX &&
        std::uint64_t{s.OFFSET_MAX} - s.OFFSET_MIN + 1 > kMaxDelays) {
      err << "delay range " << s.OFFSET_MIN << " to " << s.OFFSET_MAX
          << " (OFFSET_MIN/--delay-beg to OFFSET_MAX/--delay-end) holds more "
             "than "
          << kMaxDelays << " delays" << std::endl;
      result.refused_status = kRefused;
      return result;
    }
    if (!report(parameter_problems(in.params), err)) {
      result.refused_status = kRefused;
      return result;
    }
    // An empty range is a valid request that makes no runs; say so, since
    // it is most often a slip.
    if (s.OFFSET_MIN > s.OFFSET_MAX) {
      err << "warning: delays " << s.OFFSET_MIN << " to " << s.OFFSET_MAX
          << ": the first delay (--delay-beg, OFFSET_MIN) is above the last "
             "(--delay-end, OFFSET_MAX), so nothing is run"
          << std::endl;
    }

    std::vector<std::vector<double>> partitions;
    reading = "partition file";
    if (s.has_partitionfile) partitions = read_partition_file(s.partitionfile);
    reading = "name file";
    if (!s.namefile.empty()) in.names = read_name_file(s.namefile);

    reading = "data file";
    in.streams = read_streams(s, partitions);
  } catch (const PartitionTooSmallError& e) {
    out << "PARTITION VEC TOO SMALL" << std::endl;
    err << "partition file '" << s.partitionfile
        << "' has too few lines: " << e.what() << std::endl;
    result.refused_status = kRefused;
    return result;
  } catch (const DataError& e) {
    err << reading << " " << e.what() << std::endl;
    result.refused_status = kRefused;
    return result;
  }

  if (s.scalardir) {
    if (in.streams.size() < 2) {
      out << " not enough data vars" << std::endl;
      result.refused_status = kRefused;
      return result;
    }
    in.streams.erase(in.streams.begin() + 2, in.streams.end());
  }

  if (!in.names.empty() && in.names.size() != in.streams.size()) {
    err << "warning: name file '" << s.namefile << "' has " << in.names.size()
        << " lines but the data has " << in.streams.size()
        << " variables; variables are named by their index" << std::endl;
    in.names.clear();
  }

  std::vector<StreamShape> shapes;
  for (const auto& stream : in.streams) {
    StreamShape shape;
    shape.alphabet_size = stream.alphabet_size;
    for (const symbol& x : stream.seq) {
      shape.largest_symbol = std::max(shape.largest_symbol, x.value);
    }
    shapes.push_back(shape);
  }
  if (!report(stream_problems(in.params, shapes), err)) {
    result.refused_status = kRefused;
  }
  return result;
}
