#include "compare/comparison.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace vardelmo {

RunClass class_of(const RunRow& row) {
  if (row.contradicts) return RunClass::Failure;
  switch (row.outcome) {
    case Outcome::Optimal:
    case Outcome::Infeasible:
    case Outcome::Unbounded:
    case Outcome::InfeasibleOrUnbounded: return RunClass::Solved;
    case Outcome::TimeLimit:
    case Outcome::NodeLimit:
    case Outcome::MemoryLimit:
    case Outcome::OtherLimit: return RunClass::Limit;
    default: return RunClass::Failure;
  }
}

std::optional<double> shifted_geometric_mean(const std::vector<double>& values, double shift) {
  if (values.empty()) return std::nullopt;
  double sum = 0;
  for (double value : values) sum += std::log(value + shift);
  return std::exp(sum / static_cast<double>(values.size())) - shift;
}

namespace {

constexpr double kFastest = 0.01;

double tolerance(double a, double b) {
  return std::max(1e-4, 1e-5 * std::max({std::fabs(a), std::fabs(b), 1.0}));
}

/// A solution's value: a finite Z of a run that found one.
std::optional<double> solution_of(const RunRow& row) {
  if (!row.z || std::fabs(*row.z) >= 1e20) return std::nullopt;
  if (row.outcome == Outcome::Optimal || class_of(row) == RunClass::Limit ||
      row.outcome == Outcome::UserInterrupt)
    return row.z;
  return std::nullopt;
}

}  // namespace

bool contradict(const std::vector<const RunRow*>& rows) {
  // The sense, where some row's bound differs from its value.
  int sense = 0;  // -1 minimise, +1 maximise
  for (const RunRow* row : rows) {
    const std::optional<double> z = solution_of(*row);
    if (z && row->dual_bound && std::fabs(*row->dual_bound) < 1e20 && *row->dual_bound != *z)
      sense = *row->dual_bound < *z ? -1 : 1;
  }
  for (const RunRow* a : rows)
    for (const RunRow* b : rows) {
      if (a == b) continue;
      const std::optional<double> za = solution_of(*a);
      if (a->outcome == Outcome::Optimal && b->outcome == Outcome::Optimal && za && b->z &&
          std::fabs(*za - *b->z) > tolerance(*za, *b->z))
        return true;
      if (za && b->outcome == Outcome::Infeasible) return true;
      if (za && sense != 0 && b->dual_bound && std::fabs(*b->dual_bound) < 1e20 &&
          class_of(*b) != RunClass::Failure) {
        const double beyond = sense < 0 ? *b->dual_bound - *za : *za - *b->dual_bound;
        if (beyond > tolerance(*za, *b->dual_bound)) return true;
      }
    }
  return false;
}

Comparison compare_runs(const std::vector<Run>& runs) {
  Comparison c;
  const std::size_t n_runs = runs.size();
  std::vector<std::unordered_map<std::string, std::size_t>> index(n_runs);
  for (std::size_t r = 0; r < n_runs; ++r)
    for (std::size_t i = 0; i < runs[r].rows.size(); ++i)
      index[r].emplace(runs[r].rows[i].name, i);
  std::unordered_set<std::string> seen;
  for (std::size_t r = 0; r < n_runs; ++r)
    for (const RunRow& row : runs[r].rows) {
      if (!seen.insert(row.name).second) continue;
      std::vector<std::size_t> at(n_runs);
      bool everywhere = true;
      for (std::size_t other = 0; other < n_runs && everywhere; ++other) {
        const auto found = index[other].find(row.name);
        everywhere = found != index[other].end();
        if (everywhere) at[other] = found->second;
      }
      if (everywhere) {
        c.models.push_back(row.name);
        c.rows.push_back(std::move(at));
      } else {
        c.missing.push_back(row.name);
      }
    }

  const std::size_t n = c.models.size();
  c.summaries.resize(n_runs);
  std::vector<std::vector<double>> times(n_runs), times_solved(n_runs), nodes(n_runs);
  std::vector<std::vector<double>> ratios(n_runs);  // per run, the finite r of each model
  for (std::size_t m = 0; m < n; ++m) {
    std::vector<const RunRow*> rows(n_runs);
    bool any_failed = false, all_solved = true, all_nodes = true;
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t r = 0; r < n_runs; ++r) {
      rows[r] = &runs[r].rows[c.rows[m][r]];
      const RunClass kind = class_of(*rows[r]);
      RunSummary& s = c.summaries[r];
      ++s.models;
      (kind == RunClass::Solved ? s.solved : kind == RunClass::Limit ? s.limit : s.failures)++;
      any_failed = any_failed || kind == RunClass::Failure;
      all_solved = all_solved && kind == RunClass::Solved;
      all_nodes = all_nodes && rows[r]->nodes.has_value();
      if (kind == RunClass::Solved) best = std::min(best, std::max(rows[r]->seconds, kFastest));
    }
    c.inconsistent.push_back(n_runs > 1 && contradict(rows));
    for (std::size_t r = 0; r < n_runs; ++r) {
      if (!any_failed) times[r].push_back(rows[r]->seconds);
      if (all_solved) times_solved[r].push_back(rows[r]->seconds);
      if (all_solved && all_nodes) nodes[r].push_back(*rows[r]->nodes);
      if (class_of(*rows[r]) != RunClass::Solved) continue;
      ratios[r].push_back(std::max(rows[r]->seconds, kFastest) / best);
      // A win: every other run took at least 10 % and 0.2 s longer, or did
      // not solve it.
      const double t = rows[r]->seconds;
      bool win = true;
      for (std::size_t other = 0; other < n_runs && win; ++other)
        if (other != r && class_of(*rows[other]) == RunClass::Solved)
          win = rows[other]->seconds >= 1.1 * t && rows[other]->seconds >= t + 0.2;
      if (win) ++c.summaries[r].wins;
    }
  }
  std::optional<double> smallest;
  for (std::size_t r = 0; r < n_runs; ++r) {
    RunSummary& s = c.summaries[r];
    s.mean_time = shifted_geometric_mean(times[r], 1);
    s.mean_time_solved = shifted_geometric_mean(times_solved[r], 1);
    s.mean_nodes = shifted_geometric_mean(nodes[r], 100);
    if (s.mean_time && (!smallest || *s.mean_time < *smallest)) smallest = s.mean_time;
  }
  for (RunSummary& s : c.summaries)
    if (s.mean_time)
      s.ratio = *smallest > 0 ? *s.mean_time / *smallest : (*s.mean_time == 0 ? 1.0 : 0.0);

  // The profile: a row at τ = 1 and at each τ where a share changes.
  std::set<double> steps{1.0};
  for (std::vector<double>& r : ratios) {
    std::sort(r.begin(), r.end());
    steps.insert(r.begin(), r.end());
  }
  for (double tau : steps) {
    std::vector<double> row(n_runs, 0.0);
    for (std::size_t r = 0; r < n_runs; ++r) {
      const auto within = std::upper_bound(ratios[r].begin(), ratios[r].end(), tau);
      if (n > 0) row[r] = static_cast<double>(within - ratios[r].begin()) / static_cast<double>(n);
    }
    c.taus.push_back(tau);
    c.shares.push_back(std::move(row));
  }
  for (std::size_t r = 0; r < n_runs; ++r) {
    std::vector<double> solved;
    for (std::size_t m = 0; m < n; ++m) {
      const RunRow& row = runs[r].rows[c.rows[m][r]];
      if (class_of(row) == RunClass::Solved) solved.push_back(std::max(row.seconds, kFastest));
    }
    std::sort(solved.begin(), solved.end());
    std::vector<CurvePoint> curve;
    for (std::size_t i = 0; i < solved.size(); ++i) {
      if (!curve.empty() && curve.back().x == solved[i])
        curve.back().y = static_cast<double>(i + 1);
      else
        curve.push_back({solved[i], static_cast<double>(i + 1)});
    }
    c.solved_by_time.push_back(std::move(curve));
  }
  return c;
}

}  // namespace vardelmo
