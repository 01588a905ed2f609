#include "solvers/gurobi_runner.h"

#include <gurobi_c.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/console.h"
#include "solvers/gurobi_client.h"
#include "solvers/outcome.h"
#include "solvers/runners.h"
#include "solvers/solution_file.h"

namespace vardelmo {
namespace {

ClassifiedStatus classify(int status) {
  switch (status) {
    case GRB_OPTIMAL: return {Outcome::Optimal, true};
    case GRB_INFEASIBLE: return {Outcome::Infeasible, true};
    case GRB_UNBOUNDED: return {Outcome::Unbounded, true};
    case GRB_TIME_LIMIT: return {Outcome::TimeLimit, true};
    case GRB_INF_OR_UNBD: return {Outcome::InfeasibleOrUnbounded, false};
    case GRB_INTERRUPTED: return {Outcome::UserInterrupt, false};
    case GRB_NODE_LIMIT: return {Outcome::NodeLimit, false};
    case GRB_MEM_LIMIT: return {Outcome::MemoryLimit, false};
    case GRB_CUTOFF:
    case GRB_ITERATION_LIMIT:
    case GRB_SOLUTION_LIMIT:
    case GRB_USER_OBJ_LIMIT:
    case GRB_WORK_LIMIT: return {Outcome::OtherLimit, false};
    default: return {Outcome::Unknown, false};
  }
}

// The runner's own lines leave at once, as Gurobi's example programs print them.
void print_line(const std::string& text) {
  print(text + "\n");
  std::fflush(stdout);
}

// Gurobi's infinity stands for a bound or gap it does not have.
std::optional<double> finite(std::optional<double> value) {
  if (value && std::fabs(*value) >= GRB_INFINITY) return std::nullopt;
  return value;
}

SearchFigures search_figures(GurobiModel& model) {
  SearchFigures figures;
  if (model.get_int_attr(IntAttribute::SolCount) > 0)
    figures.objective = finite(model.get_double_attr(DoubleAttribute::ObjVal));
  // A model without integer variables has no gap, and may have no bound or
  // node count either.
  figures.dual_bound = finite(model.get_double_attr_if_available(DoubleAttribute::ObjBound));
  if (const std::optional<double> gap =
          finite(model.get_double_attr_if_available(DoubleAttribute::MIPGap)))
    figures.gap_percent = 100 * *gap;
  figures.nodes = model.get_double_attr_if_available(DoubleAttribute::NodeCount);
  figures.maximize = model.get_int_attr(IntAttribute::ModelSense) == GRB_MAXIMIZE;
  return figures;
}

SolutionText best_solution(GurobiModel& model, double objective) {
  SolutionText solution(objective);
  const int count = model.get_int_attr(IntAttribute::NumVars);
  const std::vector<double> values =
      model.get_double_attr_array(VariableDoubleAttribute::X, 0, count);
  for (int j = 0; j < count; ++j)
    solution.add(model.get_string_attr_element(VariableStringAttribute::VarName, j).c_str(),
                 values[static_cast<std::size_t>(j)]);
  return solution;
}

ModelResult report_gurobi_outcome(GurobiModel& model, const std::string& model_path,
                                  const SearchFigures& figures) {
  int status = model.get_int_attr(IntAttribute::Status);
  ModelResult result;
  // A solve that found no solution has no objective; its row says so by an
  // empty Z field instead of losing the model's time and status.
  result.z = model.get_double_attr_if_available(DoubleAttribute::ObjVal);
  result.seconds = model.get_double_attr(DoubleAttribute::Runtime);
  result.name = model_file_name(model_path);
  const ClassifiedStatus classified = classify(status);
  result.outcome = classified.outcome;
  result.search = figures;
  print_outcome_block(result, classified.in_solver_table);
  return result;
}

}  // namespace

void gurobi_read_settings_file(const std::string& path) {
  GurobiEnvironment environment = GurobiEnvironment::create_environment();
  // Gurobi's "Set parameter" lines are no part of the check.
  environment.set_int_param(IntParameter::OutputFlag, 0);
  environment.read_params(path);
  environment.release();
}

ModelResult run_gurobi_model(const ModelJob& job, const SolveSettings& settings) {
  const std::string& model_path = job.model_path;
  GurobiEnvironment environment = GurobiEnvironment::create_environment();
  if (!settings.verbose) environment.set_int_param(IntParameter::OutputFlag, 0);
  // The settings file first, so that the shell's own settings keep their
  // meaning; without the verbose answer, its "Set parameter" lines stay out.
  if (!settings.param_file.empty()) {
    environment.read_params(settings.param_file);
    if (!settings.verbose) environment.set_int_param(IntParameter::OutputFlag, 0);
  }
  environment.start();
  GurobiModel model = GurobiModel::read_model(environment, job.read_path());
  if (settings.time_limit != 0 || settings.mem_limit != 0) {
    GurobiEnvironment view = model.model_environment();
    if (settings.time_limit != 0)
      view.set_double_param(DoubleParameter::TimeLimit, settings.time_limit);
    // The soft limit ends the solve with a status and the best solution so
    // far; MemLimit would end it in an error with nothing to report. Gurobi
    // counts GB of 10^9 bytes, the setting MB of 2^20.
    if (settings.mem_limit != 0)
      view.set_double_param(DoubleParameter::SoftMemLimit,
                            static_cast<double>(settings.mem_limit) * 1048576 / 1e9);
    view.release();
  }
  model.optimize();

  int status = model.get_int_attr(IntAttribute::Status);
  if (status == GRB_OPTIMAL) {
    double objective = model.get_double_attr(DoubleAttribute::ObjVal);
    double runtime = model.get_double_attr(DoubleAttribute::Runtime);
    print_line("Optimal objective: " + console_number(objective));
    print_line("Time: " + console_number(runtime));
  } else if (status == GRB_INFEASIBLE) {
    print_line("Model is infeasible");
  }
  // Every value is read before the block begins: a failing call leaves no
  // half-printed block.
  const SearchFigures figures = search_figures(model);
  std::optional<SolutionText> solution;
  if (!job.solution_path.empty() && figures.objective)
    solution = best_solution(model, *figures.objective);
  ModelResult result = report_gurobi_outcome(model, model_path, figures);
  if (solution) solution->write(job.solution_path);
  model.release();
  environment.release();
  return result;
}

}  // namespace vardelmo
