#pragma once
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace vardelmo {

/// A batch's private folder for its workers' files, one set per task: the
/// task (".in"), what the worker printed (".out", ".err") and its result
/// (".res"). Removed, with whatever is left in it, when the object goes.
class TaskFolder {
 public:
  /// A new folder in `base`; usable() is false when none could be made.
  explicit TaskFolder(const std::filesystem::path& base);
  ~TaskFolder();
  TaskFolder(const TaskFolder&) = delete;
  TaskFolder& operator=(const TaskFolder&) = delete;

  [[nodiscard]] bool usable() const { return !path_.empty(); }
  /// The folder, in the process code page.
  [[nodiscard]] const std::string& path() const { return path_; }
  /// The path of task `task`'s file with `suffix`.
  [[nodiscard]] std::string file(std::size_t task, const char* suffix) const;

  /// Writes the task file of task `task` for the model at `model_path`, with
  /// the shell's settings; false, with `reason`, when it cannot.
  [[nodiscard]] bool write_task(std::size_t task, const std::string& model_path,
                                std::string& reason) const;

  /// Prints entry `entry`'s block from what task `task`'s worker left, takes
  /// its files away and returns the model's row. A worker that left no
  /// result ended before its model did: the model gets the row of a stopped
  /// solve when `interrupted`, else of a failed one ("ERRO NO SOLVER"), with
  /// `seconds` as its time.
  std::optional<std::string> report(std::size_t task, std::size_t entry,
                                    const std::string& model_path, bool interrupted,
                                    double seconds) const;

 private:
  std::filesystem::path native_;
  std::string path_;
};

/// Prints the line that opens entry `entry`'s console block.
void print_model_header(std::size_t entry);

}  // namespace vardelmo
