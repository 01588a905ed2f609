#pragma once
#include <filesystem>
#include <string>

namespace vardelmo::test {

namespace fs = std::filesystem;

/// A fresh folder under the system's temporary folder, removed with its
/// contents when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }
  /// Path text of `name` inside the folder.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

struct ProcessResult {
  std::string out;
  std::string err;
  int status = -1;
};

/// Runs the vardelmo binary with `input` on standard input and `workdir` as
/// working folder.
ProcessResult run_vardelmo(const std::string& input, const fs::path& workdir);

/// Runs it in a fresh temporary working folder.
ProcessResult run_vardelmo(const std::string& input);

std::string read_file(const fs::path& file);
void write_file(const fs::path& file, const std::string& content);

/// The exact banner the shell prints at start and for `about`.
extern const std::string kBanner;
inline const std::string kPrompt = "Vardelmo> ";

}  // namespace vardelmo::test
