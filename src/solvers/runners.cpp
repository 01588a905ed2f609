#include "solvers/runners.h"

#include <gurobi_c.h>

#include <chrono>

#include "base/console.h"
#include "base/files.h"
#include "base/platform.h"
#include "solvers/gurobi_client.h"
#include "solvers/gurobi_runner.h"
#ifdef VARDELMO_WITH_HIGHS
#include "solvers/highs_runner.h"
#endif
#include "solvers/outcome.h"
#include "solvers/scip_runner.h"
#include "solvers/unpacked_model.h"

namespace vardelmo {
namespace {

bool always() { return true; }

bool scip_library_fits() {
  const std::string mismatch = scip_library_mismatch();
  if (mismatch.empty()) return true;
  print_error(mismatch);
  return false;
}

// The Gurobi library is loaded for the first Gurobi batch; one that cannot be
// loaded stops the batch before its first model.
bool gurobi_library_loads() {
  try {
    load_gurobi_library();
    return true;
  } catch (const GurobiLibraryError& error) {
    print_error("Não foi possível carregar a biblioteca do Gurobi " + error.path() + ": " +
                error.reason() + "\n");
    return false;
  }
}

std::optional<ModelResult> run_gurobi(const ModelJob& job, const SolveSettings& settings) {
  const auto began = std::chrono::steady_clock::now();
  try {
    return run_gurobi_model(job, settings);
  } catch (const GRBException& error) {
    print_error("Erro do Gurobi (código " + std::to_string(error.getErrorCode()) +
                "): " + error.getMessage() + "\n");
    // Other errors leave the model without a row; the rest of the batch
    // still runs. Out of memory (against a worker's cap, or the machine's),
    // the solver failed, as a worker that dies does.
    if (error.getErrorCode() != GRB_ERROR_OUT_OF_MEMORY) return std::nullopt;
    ModelResult failed;
    failed.name = model_file_name(job.model_path);
    failed.outcome = Outcome::SolverError;
    failed.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    print_outcome_block(failed, true);
    return failed;
  }
}

// Checked only where a library is found: without one, no batch runs anyway.
bool gurobi_settings_file_reads(const std::string& path) {
  if (!platform::find_gurobi_library()) return true;
  if (!gurobi_library_loads()) return false;
  try {
    gurobi_read_settings_file(path);
    return true;
  } catch (const GRBException& error) {
    print_error("Erro do Gurobi (código " + std::to_string(error.getErrorCode()) +
                "): " + error.getMessage() + "\n");
    return false;
  }
}

std::optional<ModelResult> run_nothing(const ModelJob&, const SolveSettings&) {
  return std::nullopt;
}

bool no_settings_file(const std::string&) { return false; }

std::string gurobi_version() { return loaded_gurobi_version().value_or(""); }
std::string no_version() { return {}; }

const SolverRunner kRunners[] = {
    {"SCIP", scip_library_fits, always, run_scip_model, scip_settings_file_reads,
     scip_library_version, scip_library_reads_gzip},
    // Every Gurobi library reads gzip.
    {"GUROBI", always, gurobi_library_loads, run_gurobi, gurobi_settings_file_reads,
     gurobi_version, always},
#ifdef VARDELMO_WITH_HIGHS
    // Ships with the program, as SCIP: nothing to check before a batch.
    {"HIGHS", always, always, run_highs_model, highs_settings_file_reads, highs_library_version,
     highs_library_reads_gzip},
#endif
};

const SolverRunner kNoSolver = {"", always, always, run_nothing, no_settings_file,
                                no_version, always};

}  // namespace

std::string solver_versions() {
  std::string text = "SCIP " + scip_library_version() + "\n";
#ifdef VARDELMO_WITH_HIGHS
  text += "HiGHS " + highs_library_version() + "\n";
#endif
  if (!platform::find_gurobi_library()) return text + "Gurobi: nenhuma biblioteca encontrada\n";
  if (gurobi_library_loads()) text += "Gurobi " + loaded_gurobi_version().value_or("") + "\n";
  return text;
}

bool names_a_model(const std::string& path) {
  return ends_with(path, "lp") || ends_with(path, ".mps") || ends_with(path, ".lp.gz") ||
         ends_with(path, ".mps.gz");
}

bool solver_offered(const std::string& name) { return find_runner(name).name[0] != '\0'; }

const SolverRunner& find_runner(const std::string& name) {
  for (const SolverRunner& runner : kRunners)
    if (name == runner.name) return runner;
  return kNoSolver;
}

std::vector<std::string> solver_names() {
  std::vector<std::string> names;
  for (const SolverRunner& runner : kRunners) names.emplace_back(runner.name);
  return names;
}

std::optional<ModelResult> solve_model(const ModelJob& job, const SolveSettings& settings) {
  if (!names_a_model(job.model_path)) return std::nullopt;
  const SolverRunner& runner = find_runner(settings.solver);
  if (!ends_with(job.model_path, ".gz") || runner.reads_gzip()) return runner.run(job, settings);
  // Unpacked outside the solver's clock, which times its reading only.
  const UnpackedModel unpacked(job.model_path);
  if (unpacked.path().empty()) {
    print_error("Não foi possível descompactar o modelo " + job.model_path + ": " +
                unpacked.failure() + "\n");
    ModelResult failed;
    failed.name = model_file_name(job.model_path);
    failed.outcome = Outcome::ReadError;
    print_outcome_block(failed, true);
    return failed;
  }
  ModelJob copy = job;
  copy.unpacked_path = unpacked.path();
  return runner.run(copy, settings);
}

}  // namespace vardelmo
