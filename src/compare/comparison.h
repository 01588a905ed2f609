#pragma once
// What `compare` computes over batches' results, as functions of values.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "results/model_result.h"

namespace vardelmo {

/// One model's row of a batch, as its results files give it.
struct RunRow {
  std::string name;
  Outcome outcome = Outcome::Unknown;
  double seconds = 0;
  std::optional<double> z, dual_bound, gap, nodes;
  /// CONFERE NAO: the result contradicts the model's known value.
  bool contradicts = false;
};

/// One batch: its label and its rows, the first of each name.
struct Run {
  std::string label;
  std::vector<RunRow> rows;
};

enum class RunClass { Solved, Limit, Failure };
[[nodiscard]] RunClass class_of(const RunRow& row);

/// The shifted geometric mean exp(mean(ln(v + shift))) - shift; none of no values.
[[nodiscard]] std::optional<double> shifted_geometric_mean(const std::vector<double>& values,
                                                           double shift);

/// A run's line of the table.
struct RunSummary {
  std::size_t models = 0, solved = 0, limit = 0, failures = 0, wins = 0;
  std::optional<double> mean_time, mean_time_solved, ratio, mean_nodes;
};

/// A step of a run's curve: from `x` on, the curve stands at `y`.
struct CurvePoint {
  double x;
  double y;
};

struct Comparison {
  /// The models every run holds, in the first run's order.
  std::vector<std::string> models;
  /// Per model of `models`, its row in each run (row index per run).
  std::vector<std::vector<std::size_t>> rows;
  /// Per model of `models`: whether its runs contradict each other.
  std::vector<bool> inconsistent;
  /// The models some run lacks, in the order first seen.
  std::vector<std::string> missing;
  std::vector<RunSummary> summaries;
  /// Per τ of the profile (τ = 1, then each τ where a share changes), each
  /// run's share of the compared models it solves within τ times the best.
  std::vector<double> taus;
  std::vector<std::vector<double>> shares;  // [tau][run]
  /// Per run, the models solved against time (times below 0.01 s at 0.01 s).
  std::vector<std::vector<CurvePoint>> solved_by_time;
};

/// Whether two runs of one model contradict each other: optimal values
/// apart by more than max(1e-4, 1e-5 max(|z|, 1)), infeasible against a
/// solution, or a solution beyond a proven bound in the sense the rows tell.
[[nodiscard]] bool contradict(const std::vector<const RunRow*>& rows);

[[nodiscard]] Comparison compare_runs(const std::vector<Run>& runs);

}  // namespace vardelmo
