#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "results/results_file.h"

namespace vardelmo {

/// A results file of a batch that tells the user when it cannot be written:
/// one line on standard error when a write fails, one when a write succeeds
/// again; every update in between tries again with all rows.
class ReportedResultsFile {
 public:
  ReportedResultsFile(std::string path, std::string_view header, std::string solver,
                      std::size_t entries)
      : file_(std::move(path), header, std::move(solver), entries) {}

  void finish(std::size_t entry, std::optional<std::string_view> row);

  /// At the batch's end, a file still behind is written whole into the
  /// system's temporary folder, whose path is named; where that fails too,
  /// its lines go to standard output. Once per batch.
  void settle();

  /// Where the file's rows are when not where the user asked, for the
  /// summary: the copy's path, or a word for standard output.
  [[nodiscard]] std::optional<std::string> elsewhere() const { return elsewhere_; }
  /// The file's name, without its folder.
  [[nodiscard]] std::string name() const;

 private:
  ResultsFile file_;
  bool failing_ = false;
  std::optional<std::string> elsewhere_;
};

}  // namespace vardelmo
