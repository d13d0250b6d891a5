#include "tolmek/data/data_error.h"

#include <system_error>

DataFileError::DataFileError(const std::string& path,
                             const std::string& what_failed, int error_number)
    : DataError(path + ": " + what_failed + ": " +
                std::generic_category().message(error_number)),
      path_(path) {}

PartitionTooSmallError::PartitionTooSmallError(const std::string& path,
                                               std::size_t line,
                                               std::size_t variable,
                                               std::size_t partition_count)
    : DataError(path + ", line " + std::to_string(line) +
                ": no partition for variable " + std::to_string(variable) +
                " (" + std::to_string(partition_count) + " partitions given)"),
      path_(path),
      line_(line),
      variable_(variable),
      partition_count_(partition_count) {}
