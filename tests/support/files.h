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

/// A fresh folder in `base` (the system's temporary folder unless given),
/// removed with its contents when the object goes. The one scratch folder of
/// every kind of test.
class TempFolder {
 public:
  TempFolder() : TempFolder(std::filesystem::temp_directory_path()) {}
  explicit TempFolder(const std::filesystem::path& base);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  /// Path text of `name` inside the folder.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace vardelmo::test
