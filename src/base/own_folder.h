#pragma once
// Folders a process makes for itself ("vardelmo-<process number>-<number>"):
// a batch's task folder, a model unpacked for a solver. Such a folder goes
// with its owner, and one whose owner was killed goes with a later process.

#include <filesystem>
#include <optional>
#include <string>

#include "base/process.h"

namespace vardelmo {

/// A new folder of this process's own, removed with whatever is left in it
/// when the object goes.
class OwnFolder {
 public:
  /// A new folder in `base`; usable() is false when none could be made. A
  /// `held` one holds a file in it while the object lives, by which
  /// remove_abandoned_folders tells it from one whose process ended
  /// without removing it.
  OwnFolder(const std::filesystem::path& base, bool held);
  ~OwnFolder();
  OwnFolder(const OwnFolder&) = delete;
  OwnFolder& operator=(const OwnFolder&) = delete;

  [[nodiscard]] bool usable() const { return !path_.empty(); }
  /// The folder, in the process code page.
  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  std::filesystem::path native_;
  std::string path_;
  std::optional<platform::HeldFile> held_;
};

/// The process number in the name of such a folder; none for any other name.
[[nodiscard]] std::optional<unsigned long> own_folder_maker(const std::string& name);

/// Everything in such a folder, its held file last: one that cannot all go
/// yet stays recognisable. (On Windows, a file that a killed process's
/// worker still has open stays listed, its removal pending, until the
/// worker ends.)
void remove_own_folder(const std::filesystem::path& folder);

/// Removes the folders in `base` of processes that ended without removing
/// them (killed, or the machine stopped): those whose held file no process
/// holds, and those without one (an earlier version's, or one whose process
/// ended while making it) whose process number no process has now.
/// Another user's, and one that cannot all go yet, stay.
void remove_abandoned_folders(const std::filesystem::path& base);

/// The system's folder for temporary files; empty when it has none.
[[nodiscard]] std::filesystem::path temporary_folder();

}  // namespace vardelmo
