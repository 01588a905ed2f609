#pragma once
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "base/process.h"
#include "batch/executor.h"

namespace vardelmo {

/// A batch's private folder for its workers' files, one set per task: the
/// task (".in"), what the worker printed (".out", ".err") and its result
/// (".res"). Removed, with whatever is left in it, when the object goes.
class TaskFolder {
 public:
  /// A new folder in `base`; usable() is false when none could be made. A
  /// `held` one holds a file in it while the object lives, by which
  /// remove_abandoned_task_folders tells it from the folder of a shell that
  /// ended without removing its own.
  TaskFolder(const std::filesystem::path& base, bool held);
  ~TaskFolder();
  TaskFolder(const TaskFolder&) = delete;
  TaskFolder& operator=(const TaskFolder&) = delete;

  [[nodiscard]] bool usable() const { return !path_.empty(); }
  /// The folder, in the process code page.
  [[nodiscard]] const std::string& path() const { return path_; }
  /// The path of task `task`'s file with `suffix`.
  [[nodiscard]] std::string file(std::size_t task, const char* suffix) const;

  /// Writes the task file of task `task` for `job`, with the shell's
  /// settings; false, with `reason`, when it cannot.
  [[nodiscard]] bool write_task(std::size_t task, const ModelJob& job, std::string& reason) const;

  /// What task `task`'s worker left, its files taken away: what it printed,
  /// and its result unless it ended before its model did.
  struct Left {
    CapturedOutput captured;
    std::optional<ModelResult> result;
  };
  [[nodiscard]] Left collect(std::size_t task) const;

 private:
  std::filesystem::path native_;
  std::string path_;
  std::optional<platform::HeldFile> held_;
};

/// Removes the task folders in `base` of shells that ended without removing
/// them (killed, or the machine stopped): those whose held file no process
/// holds, and those without one (an earlier version's, or one whose shell
/// ended while making it) whose shell's process number no process has now.
/// Another user's, and one that cannot all go yet, stay.
void remove_abandoned_task_folders(const std::filesystem::path& base);

}  // namespace vardelmo
