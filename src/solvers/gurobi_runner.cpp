#include "solvers/gurobi_runner.h"

#include <gurobi_c.h>

#include <cstdio>
#include <optional>
#include <string>

#include "base/console.h"
#include "base/shell_settings.h"
#include "solvers/gurobi_client.h"
#include "solvers/outcome.h"
#include "solvers/runners.h"

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

void report_gurobi_outcome(GurobiModel& model, std::string model_path) {
  OutcomeReport report(model_path);
  int status = model.get_int_attr(IntAttribute::Status);
  // A solve that found no solution has no objective; its row says so by an
  // empty Z field instead of losing the model's time and status.
  const std::optional<double> objective =
      model.get_double_attr_if_available(DoubleAttribute::ObjVal);
  double runtime = model.get_double_attr(DoubleAttribute::Runtime);
  report.time(runtime);
  const ClassifiedStatus classified = classify(status);
  report.status(classified.outcome, classified.in_solver_table);
  if (objective)
    report.objective(*objective);
  else
    report.no_objective();
  report.finish();
}

}  // namespace

bool run_gurobi_model(std::string model_path, const std::string& solution_path) {
  if (!names_a_model(model_path)) return false;

  GurobiEnvironment environment = GurobiEnvironment::create_environment();
  if (shell_settings.verbose == "n") environment.set_int_param(IntParameter::OutputFlag, 0);
  environment.start();
  GurobiModel model = GurobiModel::read_model(environment, model_path);
  if (shell_settings.time_limit != 0) {
    GurobiEnvironment view = model.model_environment();
    view.set_double_param(DoubleParameter::TimeLimit, shell_settings.time_limit);
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
  report_gurobi_outcome(model, model_path);
  model.release();
  environment.release();
  return true;
}

}  // namespace vardelmo
