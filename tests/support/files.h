#pragma once
// Whole-file reading and writing for every kind of test, fuzz targets
// included: nothing here needs GoogleTest.

#include <filesystem>
#include <string>

namespace vardelmo::test {

/// The file's bytes; empty when it cannot be read.
std::string read_file(const std::filesystem::path& file);

/// Replaces the file's bytes; throws std::runtime_error when it cannot.
void write_file(const std::filesystem::path& file, const std::string& content);

}  // namespace vardelmo::test
