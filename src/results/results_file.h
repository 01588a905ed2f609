#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "base/text_list.h"

namespace vardelmo {

/// A results file of one batch over `entries` entries, brought up to date
/// as entries finish: after each, the file at `path` holds `header` and the
/// rows of the finished entries, in entry order, each after `solver`.
class ResultsFile {
 public:
  ResultsFile(std::string path, std::string_view header, std::string solver, std::size_t entries);
  /// Entry `entry` finished with this row (without its SOLVER field, as
  /// rows.h builds it), or with none
  /// (std::nullopt: not a model, or no row). Entries may finish in any
  /// order, each once. A failure to write leaves the file as it was; the
  /// next update tries again with a full rewrite. What this update did:
  enum class Update { Unchanged, Written, Failed };
  Update finish(std::size_t entry, std::optional<std::string_view> row);

  [[nodiscard]] const std::string& path() const { return path_; }
  /// The system's words for why the last write failed.
  [[nodiscard]] const std::string& failure() const { return failure_; }
  /// The file lacks rows that the batch has: its last write failed.
  [[nodiscard]] bool behind() const { return behind_; }
  /// Writes the whole file, as it should be now, at `path` instead; false,
  /// with the system's words in `reason`, when it cannot.
  [[nodiscard]] bool write_copy(const std::string& path, std::string& reason) const;
  /// The file's lines, as it should be now.
  [[nodiscard]] std::string lines() const;

 private:
  std::uint64_t line_size(std::size_t entry) const;
  bool write_in_place(std::uint64_t offset, const std::string& lines);
  bool rewrite_whole();
  bool put_all(std::FILE* file) const;

  std::string path_;
  std::string_view header_;
  std::string temporary_;
  std::filesystem::path native_path_;
  std::filesystem::path native_temporary_;
  std::string solver_;
  // The batch's rows, in the order they came, and per entry the index of
  // its row there (or kPending, kNoRow): so they are read in entry order,
  // and a batch may have tens of thousands of entries.
  TextList result_rows_;
  std::vector<std::uint32_t> slots_;
  // Every entry before done_ has finished; none from end_ on has.
  std::size_t done_ = 0;
  std::size_t end_ = 0;
  // Bytes of the header and of the lines of the entries before done_.
  std::uint64_t done_bytes_;
  // The file as this batch last left it; none when it must be rewritten whole.
  std::optional<platform::FileStamp> stamp_;
  std::string failure_;
  bool behind_ = false;
};

}  // namespace vardelmo
