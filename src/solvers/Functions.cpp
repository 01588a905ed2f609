// The SCIP runner. SCIP's error headers name this file, so users and support
// can tell our checks from SCIP's own messages.

#include <scip/scip.h>
#include <scip/scipdefplugins.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/platform.h"
#include "solvers/outcome.h"
#include "solvers/runners.h"
#include "solvers/scip_runner.h"
#include "solvers/solution_file.h"

namespace vardelmo {
namespace {

const char* source_file_name() {
  const char* name = __FILE__;
  for (const char* c = __FILE__; *c != '\0'; ++c)
    if (*c == '/' || *c == '\\') name = c + 1;
  return name;
}

/// Reports a failed SCIP call through SCIP's own error output; the run goes
/// on either way.
bool check_scip_call(SCIP_RETCODE code, int line) {
  if (code == SCIP_OKAY) return true;
  SCIPmessagePrintErrorHeader(source_file_name(), line);
  SCIPmessagePrintError("Error <%d> in function call\n", static_cast<int>(code));
  return false;
}

#define CHECK_SCIP(call) check_scip_call((call), __LINE__)

/// Owns the instance from creation; freed explicitly at the end of a run so
/// the free is checked where it happens, or here if the run was cut short.
class ScipInstance {
 public:
  ScipInstance() = default;
  ScipInstance(const ScipInstance&) = delete;
  ScipInstance& operator=(const ScipInstance&) = delete;
  ~ScipInstance() {
    if (scip_ != nullptr) CHECK_SCIP(SCIPfree(&scip_));
  }
  SCIP** address() { return &scip_; }
  SCIP* get() const { return scip_; }
  void free() { CHECK_SCIP(SCIPfree(&scip_)); scip_ = nullptr; }

 private:
  SCIP* scip_ = nullptr;
};

ClassifiedStatus classify(SCIP_STATUS status) {
  switch (status) {
    case SCIP_STATUS_OPTIMAL: return {Outcome::Optimal, true};
    case SCIP_STATUS_INFEASIBLE: return {Outcome::Infeasible, true};
    case SCIP_STATUS_UNBOUNDED: return {Outcome::Unbounded, true};
    case SCIP_STATUS_INFORUNBD: return {Outcome::InfeasibleOrUnbounded, true};
    case SCIP_STATUS_TIMELIMIT: return {Outcome::TimeLimit, true};
    case SCIP_STATUS_USERINTERRUPT:
    case SCIP_STATUS_TERMINATE: return {Outcome::UserInterrupt, false};
    case SCIP_STATUS_NODELIMIT:
    case SCIP_STATUS_TOTALNODELIMIT:
    case SCIP_STATUS_STALLNODELIMIT: return {Outcome::NodeLimit, false};
    case SCIP_STATUS_MEMLIMIT: return {Outcome::MemoryLimit, false};
    case SCIP_STATUS_GAPLIMIT:
#if !defined(SCIP_APIVERSION) || SCIP_APIVERSION >= 115  // SCIP 9.1 on
    case SCIP_STATUS_PRIMALLIMIT:
    case SCIP_STATUS_DUALLIMIT:
#endif
    case SCIP_STATUS_SOLLIMIT:
    case SCIP_STATUS_BESTSOLLIMIT:
    case SCIP_STATUS_RESTARTLIMIT: return {Outcome::OtherLimit, false};
    default: return {Outcome::Unknown, false};
  }
}

/// Whether SCIP may be asked what the solve came to: asked in another stage
/// (a solve that failed before presolving), it aborts the process.
bool solve_reached(SCIP* scip) {
  const SCIP_STAGE stage = SCIPgetStage(scip);
  return stage >= SCIP_STAGE_PRESOLVING && stage <= SCIP_STAGE_SOLVED;
}

SearchFigures search_figures(SCIP* scip) {
  SearchFigures figures;
  if (!solve_reached(scip)) return figures;
  const SCIP_Real infinity = SCIPinfinity(scip);
  auto finite = [infinity](SCIP_Real value) -> std::optional<double> {
    if (std::fabs(value) >= infinity) return std::nullopt;
    return value;
  };
  // An unbounded problem's solutions have no best value.
  if (SCIPgetNSols(scip) > 0) figures.objective = finite(SCIPgetPrimalbound(scip));
  figures.dual_bound = finite(SCIPgetDualbound(scip));
  if (figures.objective)
    if (const std::optional<double> gap = finite(SCIPgetGap(scip))) figures.gap_percent = 100 * *gap;
  figures.nodes = static_cast<double>(SCIPgetNTotalNodes(scip));
  figures.maximize = SCIPgetObjsense(scip) == SCIP_OBJSENSE_MAXIMIZE;
  return figures;
}

void save_best_solution(SCIP* scip, const std::string& solution_path) {
  if (!solve_reached(scip)) return;
  SCIP_SOL* best = SCIPgetBestSol(scip);
  if (best == nullptr) return;
  SolutionText solution(SCIPgetSolOrigObj(scip, best));
  SCIP_VAR** variables = SCIPgetOrigVars(scip);
  for (int i = 0, count = SCIPgetNOrigVars(scip); i < count; ++i)
    solution.add(SCIPvarGetName(variables[i]), SCIPgetSolVal(scip, best, variables[i]));
  solution.write(solution_path);
}

ModelResult report_scip_outcome(SCIP* scip, const std::string& model_path,
                                const SearchFigures& figures) {
  ModelResult result;
  result.name = model_file_name(model_path);
  const ClassifiedStatus classified = classify(SCIPgetStatus(scip));
  result.seconds = SCIPgetSolvingTime(scip);
  result.outcome = classified.outcome;
  result.z = SCIPgetPrimalbound(scip);
  result.search = figures;
  print_outcome_block(result, classified.in_solver_table);
  return result;
}

/// A model that could not be read gets its block and a row that says so,
/// never a solution of whatever part of it was read. So does one that ran
/// out of memory (against a worker's cap, or the machine's), as a failed
/// solver: SCIP is then unfit to be asked what it found.
ModelResult report_failure(SCIP* scip, const std::string& model_path, Outcome outcome) {
  ModelResult result;
  result.name = model_file_name(model_path);
  result.seconds = SCIPgetSolvingTime(scip);
  result.outcome = outcome;
  print_outcome_block(result, true);
  return result;
}

bool is_regular_file(const std::string& path) {
  std::error_code error;
  const std::filesystem::path native = platform::native_path(path, error);
  return !error && std::filesystem::is_regular_file(native, error);
}

}  // namespace

std::string scip_library_version() {
  return std::to_string(SCIPmajorVersion()) + "." + std::to_string(SCIPminorVersion()) + "." +
         std::to_string(SCIPtechVersion());
}

std::string scip_library_mismatch() {
  // Another major version may number its statuses and codes differently.
  if (SCIPmajorVersion() == SCIP_VERSION_MAJOR) return {};
  return "A biblioteca do SCIP encontrada é a versão " + scip_library_version() +
         ", mas o Vardelmo foi feito para o SCIP " + std::to_string(SCIP_VERSION_MAJOR) +
         "; nenhum modelo foi resolvido.\n";
}

bool scip_settings_file_reads(const std::string& path) {
  ScipInstance instance;
  if (!CHECK_SCIP(SCIPcreate(instance.address()))) return false;
  // The plugins' parameters are known only once they are included.
  const bool reads = CHECK_SCIP(SCIPincludeDefaultPlugins(instance.get())) &&
                     CHECK_SCIP(SCIPreadParams(instance.get(), path.c_str()));
  instance.free();
  return reads;
}

bool scip_library_reads_gzip() {
  // A SCIP built with zlib names it among its external codes. An instance
  // that cannot be made leaves the model to the runner, which says why.
  ScipInstance instance;
  if (!CHECK_SCIP(SCIPcreate(instance.address()))) return true;
  char** names = SCIPgetExternalCodeNames(instance.get());
  for (int i = 0, count = SCIPgetNExternalCodes(instance.get()); i < count; ++i)
    if (std::strncmp(names[i], "ZLIB", 4) == 0) return true;
  return false;
}

std::optional<ModelResult> run_scip_model(const ModelJob& job, const SolveSettings& settings) {
  const std::string& model_path = job.model_path;
  const std::string& read_path = job.read_path();
  ScipInstance instance;
  if (!CHECK_SCIP(SCIPcreate(instance.address()))) return std::nullopt;
  SCIP* scip = instance.get();
  CHECK_SCIP(SCIPincludeDefaultPlugins(scip));
  CHECK_SCIP(SCIPcreateProbBasic(scip, "lp_example"));

  std::vector<char> buffer(read_path.begin(), read_path.end());
  buffer.push_back('\0');
  // SCIP reads a folder as an empty problem; it is no model either.
  const SCIP_RETCODE read = is_regular_file(read_path)
                                ? SCIPreadProb(scip, buffer.data(), nullptr)
                                : SCIP_NOFILE;
  if (!CHECK_SCIP(read)) {
    ModelResult failed = report_failure(
        scip, model_path, read == SCIP_NOMEMORY ? Outcome::SolverError : Outcome::ReadError);
    instance.free();
    return failed;
  }

  // Silent first, so that SCIP's warnings on the settings file come once, from
  // the check of the file, and not for every model.
  if (!settings.verbose) CHECK_SCIP(SCIPsetMessagehdlr(scip, nullptr));
  // Before the shell's own settings, which keep their meaning. A file that
  // no longer reads leaves the model without a result, SCIP having said why.
  if (!settings.param_file.empty() && !CHECK_SCIP(SCIPreadParams(scip, settings.param_file.c_str()))) {
    instance.free();
    return std::nullopt;
  }
  if (settings.time_limit != 0)
    CHECK_SCIP(SCIPsetRealParam(scip, "limits/time", settings.time_limit));
  // In MB, as the setting: SCIP stops with its memory-limit status.
  if (settings.mem_limit != 0)
    CHECK_SCIP(SCIPsetRealParam(scip, "limits/memory", static_cast<double>(settings.mem_limit)));
  const SCIP_RETCODE solved = SCIPsolve(scip);
  if (!CHECK_SCIP(solved) && solved == SCIP_NOMEMORY) {
    ModelResult failed = report_failure(scip, model_path, Outcome::SolverError);
    instance.free();
    return failed;
  }
  const SearchFigures figures = search_figures(scip);
  ModelResult result = report_scip_outcome(scip, model_path, figures);
  if (!job.solution_path.empty()) save_best_solution(scip, job.solution_path);
  instance.free();
  return result;
}

}  // namespace vardelmo
