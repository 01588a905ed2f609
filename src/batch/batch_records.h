#pragma once
// What a batch keeps of its models besides their runs: both results files,
// the references, where solutions go, and the figures of its summary.
#include <array>
#include <cstddef>
#include <string>

#include "base/batch_settings.h"
#include "base/files.h"
#include "batch/known_optima.h"
#include "results/earlier_results.h"
#include "results/model_result.h"
#include "results/reported_results.h"
#include "solvers/runners.h"
#include "worker/task_queue.h"

namespace vardelmo {

/// The line a model's block begins with, after a separator line.
void print_model_header(std::size_t entry);

class BatchRecords {
 public:
  /// For a batch over `models` into `output_folder`, with `solver`.
  BatchRecords(const std::string& output_folder, const std::string& solver,
               const FileNameList& models, KnownOptima optima, std::string solution_folder,
               EarlierResults earlier);

  EntryClock clock;

  /// A model an earlier batch brought to an end keeps its rows and is not
  /// solved again: its block says so. False for any other.
  bool keep_earlier(std::size_t entry, const std::string& model_path);
  /// What to run for the model at `model_path`.
  [[nodiscard]] ModelJob job(const std::string& model_path) const;
  void no_model(std::size_t entry);
  /// The rest of an entry's block and its rows. A model whose process ended
  /// before it did gets the row of a stopped solve when Ctrl+C ended it,
  /// else of a failed one, timed until it ended.
  void finish(EntryEnd end);
  /// Both results files where they can be, when not where the user asked.
  void settle();
  /// One line on how the batch went, for a person at a terminal; scripts
  /// that read the output get none.
  void print_summary(std::size_t models, double seconds) const;

 private:
  void tally(const ModelResult& result, bool referenced, Verdict verdict);

  const FileNameList& models_;
  ReportedResultsFile results_;
  ReportedResultsFile details_;
  KnownOptima optima_;
  std::string solution_folder_;
  EarlierResults earlier_;
  std::array<std::size_t, static_cast<std::size_t>(Outcome::SolverError) + 1> outcomes_{};
  std::size_t rows_ = 0;
  double log_shifted_sum_ = 0;
  bool referenced_ = false;
  std::size_t contradictions_ = 0;
};

}  // namespace vardelmo
