// The HiGHS runner, over HiGHS's C API (interfaces/highs_c_api.h).

#include "solvers/highs_runner.h"

#include <interfaces/highs_c_api.h>

#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/files.h"
#include "base/process.h"
#include "solvers/outcome.h"
#include "solvers/runners.h"
#include "solvers/solution_file.h"

namespace vardelmo {
namespace {

/// Owns one HiGHS instance (Highs_create) until Highs_destroy.
class HighsInstance {
 public:
  HighsInstance() : highs_(Highs_create()) {}
  HighsInstance(const HighsInstance&) = delete;
  HighsInstance& operator=(const HighsInstance&) = delete;
  ~HighsInstance() {
    if (highs_ != nullptr) Highs_destroy(highs_);
  }
  void* get() const { return highs_; }

 private:
  void* highs_;
};

// As SCIP's table: the console shows the STATUS line of the same outcomes.
ClassifiedStatus classify(HighsInt status) {
  switch (status) {
    // A model without variables has nothing to decide: solved, at its offset.
    case kHighsModelStatusModelEmpty:
    case kHighsModelStatusOptimal: return {Outcome::Optimal, true};
    case kHighsModelStatusInfeasible: return {Outcome::Infeasible, true};
    case kHighsModelStatusUnbounded: return {Outcome::Unbounded, true};
    case kHighsModelStatusUnboundedOrInfeasible: return {Outcome::InfeasibleOrUnbounded, true};
    case kHighsModelStatusTimeLimit: return {Outcome::TimeLimit, true};
    case kHighsModelStatusInterrupt: return {Outcome::UserInterrupt, false};
    case kHighsModelStatusIterationLimit:
    case kHighsModelStatusSolutionLimit:
    case kHighsModelStatusObjectiveBound:
    case kHighsModelStatusObjectiveTarget: return {Outcome::OtherLimit, false};
    default: return {Outcome::Unknown, false};
  }
}

/// HiGHS asks this at its interrupt points (MIP, simplex, interior point);
/// `flag` is the run's InterruptFlag, which the SIGINT handler raises.
void interrupt_when_asked(int, const char*, const HighsCallbackDataOut*,
                          HighsCallbackDataIn* answer, void* flag) {
  if (answer != nullptr && static_cast<const platform::InterruptFlag*>(flag)->raised())
    answer->user_interrupt = 1;
}

/// HiGHS's log lines, to standard error.
void log_to_standard_error(int, const char* message, const HighsCallbackDataOut*,
                           HighsCallbackDataIn*, void*) {
  if (message != nullptr) print_error(message);
}

std::optional<double> double_info(void* highs, const char* name) {
  double value = 0;
  if (Highs_getDoubleInfoValue(highs, name, &value) != kHighsStatusOk) return std::nullopt;
  if (std::fabs(value) >= Highs_getInfinity(highs)) return std::nullopt;
  return value;
}

bool has_solution(void* highs) {
  HighsInt status = kHighsSolutionStatusNone;
  return Highs_getIntInfoValue(highs, "primal_solution_status", &status) == kHighsStatusOk &&
         status == kHighsSolutionStatusFeasible;
}

SearchFigures search_figures(void* highs, Outcome outcome) {
  SearchFigures figures;
  HighsInt sense = kHighsObjSenseMinimize;
  if (Highs_getObjectiveSense(highs, &sense) == kHighsStatusOk)
    figures.maximize = sense == kHighsObjSenseMaximize;
  // An unbounded problem's feasible point is no best value.
  const bool unbounded =
      outcome == Outcome::Unbounded || outcome == Outcome::InfeasibleOrUnbounded;
  if (has_solution(highs) && !unbounded) figures.objective = Highs_getObjectiveValue(highs);
  // The MIP solver counts its nodes from 0; an LP's count is -1, and its
  // bound is its objective once solved.
  int64_t nodes = -1;
  if (Highs_getInt64InfoValue(highs, "mip_node_count", &nodes) == kHighsStatusOk && nodes >= 0) {
    figures.nodes = static_cast<double>(nodes);
    figures.dual_bound = double_info(highs, "mip_dual_bound");
    if (figures.objective)
      if (const std::optional<double> gap = double_info(highs, "mip_gap"))
        figures.gap_percent = 100 * *gap;
  } else if (outcome == Outcome::Optimal) {
    figures.dual_bound = figures.objective;
  }
  return figures;
}

std::optional<SolutionText> best_solution(void* highs, double objective) {
  const HighsInt count = Highs_getNumCol(highs);
  std::vector<double> values(static_cast<std::size_t>(count > 0 ? count : 0));
  if (Highs_getSolution(highs, values.data(), nullptr, nullptr, nullptr) != kHighsStatusOk)
    return std::nullopt;
  SolutionText solution(objective);
  std::vector<char> name(static_cast<std::size_t>(kHighsMaximumStringLength) + 1, '\0');
  for (HighsInt j = 0; j < count; ++j) {
    if (Highs_getColName(highs, j, name.data()) != kHighsStatusOk) return std::nullopt;
    solution.add(name.data(), values[static_cast<std::size_t>(j)]);
  }
  return solution;
}

ModelResult report_failure(const std::string& model_path, double seconds, Outcome outcome) {
  ModelResult result;
  result.name = model_file_name(model_path);
  result.seconds = seconds;
  result.outcome = outcome;
  print_outcome_block(result, true);
  return result;
}

void set_options(void* highs, const SolveSettings& settings) {
  Highs_setBoolOptionValue(highs, "output_flag", settings.verbose ? 1 : 0);
  // One core per model, as SCIP; HiGHS's thread pool is the process's, so
  // every instance asks for the same size.
  Highs_setIntOptionValue(highs, "threads", 1);
  if (settings.time_limit != 0)
    Highs_setDoubleOptionValue(highs, "time_limit", settings.time_limit);
}

}  // namespace

std::string highs_library_version() { return Highs_version(); }

// HiGHS does not say whether it was built with zlib: the build tells.
bool highs_library_reads_gzip() { return VARDELMO_HIGHS_READS_GZIP != 0; }

bool highs_settings_file_reads(const std::string& path) {
  HighsInstance instance;
  if (instance.get() == nullptr) return false;
  // HiGHS's words on the file go where every solver's do here.
  Highs_setBoolOptionValue(instance.get(), "log_to_console", 0);
  Highs_setCallback(instance.get(), log_to_standard_error, nullptr);
  Highs_startCallback(instance.get(), kHighsCallbackLogging);
  if (file_can_be_read(path) && Highs_readOptions(instance.get(), path.c_str()) != kHighsStatusError)
    return true;
  print_error("O HiGHS não leu o arquivo de opções " + path + ".\n");
  return false;
}

std::optional<ModelResult> run_highs_model(const ModelJob& job, const SolveSettings& settings) {
  const std::string& model_path = job.model_path;
  HighsInstance instance;
  void* highs = instance.get();
  if (highs == nullptr) return std::nullopt;
  // The batch's own settings follow the file's, and keep their meaning; a
  // file that no longer reads leaves the model without a row.
  if (!settings.param_file.empty() &&
      Highs_readOptions(highs, settings.param_file.c_str()) == kHighsStatusError) {
    print_error("O HiGHS não leu o arquivo de opções " + settings.param_file + ".\n");
    return std::nullopt;
  }
  // Set before the read, so that a quiet run stays quiet while reading.
  set_options(highs, settings);
  try {
    // HiGHS reads a folder named *.lp without end; it is no model either.
    if (!file_can_be_read(job.read_path()) ||
        Highs_readModel(highs, job.read_path().c_str()) == kHighsStatusError) {
      return report_failure(model_path, 0, Outcome::ReadError);
    }
    {
      platform::InterruptFlag interrupt;
      Highs_setCallback(highs, interrupt_when_asked, &interrupt);
      Highs_startCallback(highs, kHighsCallbackMipInterrupt);
      Highs_startCallback(highs, kHighsCallbackSimplexInterrupt);
      Highs_startCallback(highs, kHighsCallbackIpmInterrupt);
      Highs_run(highs);
      Highs_setCallback(highs, nullptr, nullptr);
    }
  } catch (const std::bad_alloc&) {
    // Out of memory (against a worker's cap, or the machine's): the solver
    // failed, as a worker that dies does.
    return report_failure(model_path, Highs_getRunTime(highs), Outcome::SolverError);
  }
  const ClassifiedStatus classified = classify(Highs_getModelStatus(highs));
  const SearchFigures figures = search_figures(highs, classified.outcome);
  std::optional<SolutionText> solution;
  if (!job.solution_path.empty() && figures.objective)
    solution = best_solution(highs, *figures.objective);

  ModelResult result;
  result.name = model_file_name(model_path);
  result.seconds = Highs_getRunTime(highs);
  result.outcome = classified.outcome;
  result.z = figures.objective;
  result.search = figures;
  print_outcome_block(result, classified.in_solver_table);
  if (solution) solution->write(job.solution_path);
  return result;
}

}  // namespace vardelmo
