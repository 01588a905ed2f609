// SCIP's callable library as far as Vardelmo uses it, solving with GLPK.

#include <strings.h>

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <new>
#include <memory>
#include <string>
#include <vector>

#include "call_journal.h"
#include "glpk_engine.h"
#include "scip/scip.h"
#include "scip/scipdefplugins.h"
#include "scip/standin_control.h"

namespace engine = vardelmo::engine;

// A column of the problem as read, 1-based as GLPK counts.
struct SCIP_Var {
  int column = 0;
  std::string name;
};

// The one solution an instance keeps: the best.
struct SCIP_Sol {};

struct Scip {
  bool lp_reader = false;  // included with the default plugins
  bool quiet = false;      // normal output silenced
  SCIP_Real time_limit = 1e20;
  SCIP_Longint node_limit = -1;  // limits/nodes; -1: none
  engine::Problem problem;  // none: initialization stage
  bool maximise = false;
  SCIP_STATUS status = SCIP_STATUS_UNKNOWN;
  SCIP_Real solving_time = 0.0;
  bool has_solution = false;
  SCIP_Real primal_bound = 0.0;
  bool solved = false;
  bool has_dual_bound = false;
  SCIP_Real dual_bound = 0.0;
  SCIP_Longint nodes = 0;
  std::vector<std::unique_ptr<SCIP_Var>> variables;
  std::vector<SCIP_VAR*> variable_list;
  SCIP_Sol best;
};

namespace {

constexpr SCIP_Real kInfinity = 1e20;

int reported_major_version = 0;  // 0: SCIP_VERSION_MAJOR
// GLPK, the engine, reads gzip itself.
bool reports_zlib = true;
char zlib_name[] = "ZLIB (GLPK)";
char* external_codes[] = {zlib_name};

engine::CallJournal& journal() {
  static engine::CallJournal instance;
  return instance;
}

// Errors go to standard error whatever the instance's output setting, as
// SCIP's do.
__attribute__((format(printf, 3, 4))) void print_error(const char* file, int line,
                                                       const char* format, ...) {
  std::fprintf(stderr, "[%s:%d] ERROR: ", engine::base_name(file), line);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

#define STANDIN_ERROR(...) print_error(__FILE__, __LINE__, __VA_ARGS__)

__attribute__((format(printf, 2, 3))) void print_info(const Scip& scip, const char* format, ...) {
  if (scip.quiet) return;
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);  // keeps our lines in order with GLPK's log
}

bool injected_failure(const char* function, SCIP_RETCODE* retcode) {
  const auto failure = journal().enter(function);
  if (!failure) return false;
  *retcode = static_cast<SCIP_RETCODE>(failure->code);
  STANDIN_ERROR("injected failure of <%s>: return code <%d>\n", function, failure->code);
  return true;
}

SCIP_RETCODE no_instance(const char* function) {
  STANDIN_ERROR("cannot call <%s> without a SCIP instance\n", function);
  return SCIP_INVALIDCALL;
}

// What every call on an instance does first: record the call, play a
// failure armed for it, refuse a missing instance.
bool call_refused(const char* function, const SCIP* scip, SCIP_RETCODE* retcode) {
  if (injected_failure(function, retcode)) return true;
  if (scip != nullptr) return false;
  *retcode = no_instance(function);
  return true;
}

// No C++ exception may leave the C interface.
template <typename Body>
SCIP_RETCODE guarded(const char* function, Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    STANDIN_ERROR("out of memory in <%s>\n", function);
    return SCIP_NOMEMORY;
  } catch (...) {
    STANDIN_ERROR("unexpected failure in <%s>\n", function);
    return SCIP_ERROR;
  }
}

void forget_solve(Scip& scip) {
  scip.status = SCIP_STATUS_UNKNOWN;
  scip.solving_time = 0.0;
  scip.has_solution = false;
  scip.primal_bound = 0.0;
  scip.solved = false;
  scip.has_dual_bound = false;
  scip.dual_bound = 0.0;
  scip.nodes = 0;
}

// The problem's columns, in the order read.
void list_variables(Scip& scip) {
  scip.variables.clear();
  scip.variable_list.clear();
  if (!scip.problem) return;
  const int columns = glp_get_num_cols(scip.problem.get());
  for (int j = 1; j <= columns; ++j) {
    const char* name = glp_get_col_name(scip.problem.get(), j);
    scip.variables.push_back(std::make_unique<SCIP_Var>(SCIP_Var{j, name != nullptr ? name : ""}));
    scip.variable_list.push_back(scip.variables.back().get());
  }
}

// For the queries that return a value and have no return code to refuse with.
bool unusable(const char* function, const SCIP* scip) {
  journal().enter(function);
  if (scip != nullptr) return false;
  no_instance(function);
  return true;
}

// GLPK freed the problem after an internal error, in this instance's solve
// or another's; the instance is back before reading.
SCIP_RETCODE problem_lost(Scip& scip) {
  scip.problem.reset();
  forget_solve(scip);
  STANDIN_ERROR("GLPK stopped on an internal error while solving; the problem is lost\n");
  return SCIP_LPERROR;
}

// The extension SCIP picks a reader by: what follows the last dot of the
// file's base name, if anything.
// As SCIP picks its reader: by the extension before a ".gz".
std::string file_extension(const char* filename) {
  std::string name = engine::base_name(filename);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0) name.resize(name.size() - 3);
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos ? name.substr(dot + 1) : std::string();
}

SCIP_STATUS to_status(engine::Outcome outcome) {
  switch (outcome) {
    case engine::Outcome::optimal:
      return SCIP_STATUS_OPTIMAL;
    case engine::Outcome::infeasible:
      return SCIP_STATUS_INFEASIBLE;
    case engine::Outcome::unbounded:
      return SCIP_STATUS_UNBOUNDED;
    case engine::Outcome::infeasible_or_unbounded:
      return SCIP_STATUS_INFORUNBD;
    case engine::Outcome::time_limit:
      return SCIP_STATUS_TIMELIMIT;
    case engine::Outcome::interrupted:
      return SCIP_STATUS_USERINTERRUPT;
    case engine::Outcome::node_limit:
      return SCIP_STATUS_NODELIMIT;
    case engine::Outcome::unknown:
      break;
  }
  return SCIP_STATUS_UNKNOWN;
}

const char* status_text(SCIP_STATUS status) {
  switch (status) {
    case SCIP_STATUS_OPTIMAL:
      return "problem is solved [optimal solution found]";
    case SCIP_STATUS_INFEASIBLE:
      return "problem is solved [infeasible]";
    case SCIP_STATUS_UNBOUNDED:
      return "problem is solved [unbounded]";
    case SCIP_STATUS_INFORUNBD:
      return "problem is solved [infeasible or unbounded]";
    case SCIP_STATUS_TIMELIMIT:
      return "solving was interrupted [time limit reached]";
    case SCIP_STATUS_USERINTERRUPT:
      return "solving was interrupted [user interrupt]";
    case SCIP_STATUS_NODELIMIT:
      return "solving was interrupted [node limit reached]";
    default:
      return "unknown";
  }
}

SCIP_Real primal_bound(const Scip& scip) {
  if (scip.has_solution) return scip.primal_bound;
  // As SCIP: an unbounded problem's bound is the infinity it runs off to.
  const bool unbounded = scip.status == SCIP_STATUS_UNBOUNDED;
  return scip.maximise != unbounded ? -kInfinity : kInfinity;
}

}  // namespace

extern "C" {

SCIP_RETCODE SCIPcreate(SCIP** scip) {
  SCIP_RETCODE injected;
  if (injected_failure("SCIPcreate", &injected)) return injected;
  if (scip == nullptr) {
    STANDIN_ERROR("cannot create a SCIP instance without a place to store it\n");
    return SCIP_ERROR;
  }
  *scip = new (std::nothrow) Scip;
  if (*scip == nullptr) {
    STANDIN_ERROR("out of memory in <SCIPcreate>\n");
    return SCIP_NOMEMORY;
  }
  return SCIP_OKAY;
}

SCIP_RETCODE SCIPincludeDefaultPlugins(SCIP* scip) {
  SCIP_RETCODE refused;
  if (call_refused("SCIPincludeDefaultPlugins", scip, &refused)) return refused;
  if (scip->lp_reader) {
    STANDIN_ERROR("reader <lpreader> already included.\n");
    return SCIP_INVALIDDATA;
  }
  scip->lp_reader = true;
  return SCIP_OKAY;
}

SCIP_RETCODE SCIPcreateProbBasic(SCIP* scip, const char* name) {
  SCIP_RETCODE refused;
  if (call_refused("SCIPcreateProbBasic", scip, &refused)) return refused;
  if (name == nullptr) {
    STANDIN_ERROR("cannot create a problem without a name\n");
    return SCIP_INVALIDDATA;
  }
  return guarded("SCIPcreateProbBasic", [&] {
    engine::Problem problem = engine::make_problem();
    glp_set_prob_name(problem.get(), name);
    scip->problem = std::move(problem);
    scip->maximise = false;
    forget_solve(*scip);
    return SCIP_OKAY;
  });
}

SCIP_RETCODE SCIPreadProb(SCIP* scip, const char* filename, const char* extension) {
  SCIP_RETCODE refused;
  if (call_refused("SCIPreadProb", scip, &refused)) return refused;
  if (filename == nullptr) {
    STANDIN_ERROR("cannot read a problem without a file name\n");
    return SCIP_INVALIDDATA;
  }
  return guarded("SCIPreadProb", [&] {
    const std::string chosen =
        extension != nullptr ? std::string(extension) : file_extension(filename);
    if (!scip->lp_reader ||
        (strcasecmp(chosen.c_str(), "lp") != 0 && strcasecmp(chosen.c_str(), "mps") != 0)) {
      STANDIN_ERROR("no reader for input file <%s> available\n", filename);
      return SCIP_PLUGINNOTFOUND;
    }
    const std::string name(filename);
    if (!reports_zlib && name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0) {
      STANDIN_ERROR("cannot read compressed file <%s>: built without zlib\n", filename);
      return SCIP_READERROR;
    }
    engine::ReadResult read = engine::read_model_file(filename);
    if (read.status != engine::ReadStatus::ok) {
      // The reader has already discarded the previous problem.
      scip->problem.reset();
      forget_solve(*scip);
      list_variables(*scip);
    }
    if (read.status == engine::ReadStatus::no_file) {
      STANDIN_ERROR("cannot open file <%s> for reading: %s\n", filename, read.message.c_str());
      return SCIP_NOFILE;
    }
    if (read.status == engine::ReadStatus::bad_format) {
      std::size_t begin = 0;
      while (begin < read.message.size()) {
        std::size_t end = read.message.find('\n', begin);
        if (end == std::string::npos) end = read.message.size();
        STANDIN_ERROR("%s\n", read.message.substr(begin, end - begin).c_str());
        begin = end + 1;
      }
      return SCIP_READERROR;
    }
    const engine::ProblemSize size = engine::problem_size(read.problem.get());
    scip->problem = std::move(read.problem);
    scip->maximise = size.maximise;
    forget_solve(*scip);
    list_variables(*scip);
    print_info(
        *scip,
        "original problem has %d variables (%d bin, %d int, %d impl, %d cont) and %d constraints\n",
        size.columns, size.binaries, size.integers, 0, size.continuous, size.rows);
    return SCIP_OKAY;
  });
}

SCIP_RETCODE SCIPsetRealParam(SCIP* scip, const char* name, SCIP_Real value) {
  SCIP_RETCODE refused;
  if (call_refused("SCIPsetRealParam", scip, &refused)) return refused;
  const bool time = name != nullptr && std::strcmp(name, "limits/time") == 0;
  if (!time && (name == nullptr || std::strcmp(name, "limits/memory") != 0)) {
    STANDIN_ERROR("parameter <%s> unknown\n", name != nullptr ? name : "(null)");
    return SCIP_PARAMETERUNKNOWN;
  }
  if (!(value >= 0.0 && value <= kInfinity)) {
    STANDIN_ERROR(
        "Invalid value <%.15g> for real parameter <%s>. Must be in range [%.15g,%.15g].\n", value,
        name, 0.0, kInfinity);
    return SCIP_PARAMETERWRONGVAL;
  }
  // GLPK's memory is not counted: a memory limit is taken and never reached.
  if (time) scip->time_limit = value;
  return SCIP_OKAY;
}

// A settings file as SCIP reads one: "name = value" lines, '#' comments. Of
// the parameters, limits/nodes and limits/time; another name gets SCIP's
// warning and is skipped, as SCIP does, and so is a value it cannot parse
// (after SCIP's error); a value out of range fails the read.
SCIP_RETCODE SCIPreadParams(SCIP* scip, const char* filename) {
  SCIP_RETCODE refused;
  if (call_refused("SCIPreadParams", scip, &refused)) return refused;
  const std::optional<std::vector<std::string>> lines = engine::read_file_lines(filename);
  if (!lines) {
    STANDIN_ERROR("cannot open file <%s> for reading\n", filename != nullptr ? filename : "");
    return SCIP_NOFILE;
  }
  for (std::string line : *lines) {
    line = line.substr(0, line.find('#'));
    const std::size_t equals = line.find('=');
    auto trimmed = [](std::string word) {
      const std::size_t first = word.find_first_not_of(" \t\r");
      if (first == std::string::npos) return std::string();
      return word.substr(first, word.find_last_not_of(" \t\r") - first + 1);
    };
    if (trimmed(line).empty() || equals == std::string::npos) continue;
    const std::string name = trimmed(line.substr(0, equals));
    const std::string value = trimmed(line.substr(equals + 1));
    const bool nodes = name == "limits/nodes";
    if (!nodes && name != "limits/time") {
      if (!scip->quiet) std::fprintf(stderr, "WARNING: unknown parameter <%s>\n", name.c_str());
      continue;
    }
    char* after = nullptr;
    const double number = std::strtod(value.c_str(), &after);
    if (value.empty() || *after != '\0') {
      STANDIN_ERROR("invalid parameter value <%s> for %s parameter <%s>\n", value.c_str(),
                    nodes ? "SCIP_Longint" : "SCIP_Real", name.c_str());
      continue;
    }
    if (nodes ? number < -1 : !(number >= 0.0 && number <= kInfinity)) {
      STANDIN_ERROR("Invalid value <%s> for %s parameter <%s>.\n", value.c_str(),
                    nodes ? "longint" : "real", name.c_str());
      return SCIP_PARAMETERWRONGVAL;
    }
    if (nodes)
      scip->node_limit = static_cast<SCIP_Longint>(number);
    else
      scip->time_limit = number;
  }
  return SCIP_OKAY;
}

SCIP_RETCODE SCIPsetMessagehdlr(SCIP* scip, SCIP_MESSAGEHDLR* messagehdlr) {
  SCIP_RETCODE refused;
  if (call_refused("SCIPsetMessagehdlr", scip, &refused)) return refused;
  if (messagehdlr != nullptr) {
    // Programs cannot create handlers through this library, so a
    // non-NULL one did not come from it.
    STANDIN_ERROR("unknown message handler: only NULL (no output) is available\n");
    return SCIP_INVALIDDATA;
  }
  scip->quiet = true;
  return SCIP_OKAY;
}

SCIP_RETCODE SCIPsolve(SCIP* scip) {
  SCIP_RETCODE refused;
  if (call_refused("SCIPsolve", scip, &refused)) return refused;
  if (!scip->problem) {
    STANDIN_ERROR("method <SCIPsolve> cannot be called in the initialization stage\n");
    return SCIP_INVALIDCALL;
  }
  if (!engine::is_alive(scip->problem)) return problem_lost(*scip);
  return guarded("SCIPsolve", [&] {
    print_info(*scip, "SCIP stand-in (SCIP 10 interface) solving with GLPK %s\n",
               engine::glpk_version().c_str());
    engine::SolveOptions options;
    if (scip->time_limit < kInfinity) options.time_limit = scip->time_limit;
    options.node_limit = scip->node_limit;
    options.log = !scip->quiet;
    const engine::SolveResult result = engine::solve(*scip->problem, options);
    if (result.glpk_failed) return problem_lost(*scip);
    scip->solving_time = result.seconds;
    scip->status = to_status(result.outcome);
    scip->has_solution = result.has_solution;
    scip->primal_bound = result.objective;
    scip->solved = true;
    scip->has_dual_bound = result.has_dual_bound;
    scip->dual_bound = result.dual_bound;
    scip->nodes = result.nodes;
    print_info(*scip, "\nSCIP Status        : %s\n", status_text(scip->status));
    print_info(*scip, "Solving Time (sec) : %.2f\n", scip->solving_time);
    print_info(*scip, "Primal Bound       : %+.14e (%d solutions)\n", primal_bound(*scip),
               scip->has_solution ? 1 : 0);
    return SCIP_OKAY;
  });
}

SCIP_STATUS SCIPgetStatus(SCIP* scip) {
  journal().enter("SCIPgetStatus");
  if (scip == nullptr) {
    no_instance("SCIPgetStatus");
    return SCIP_STATUS_UNKNOWN;
  }
  return scip->status;
}

SCIP_Real SCIPgetSolvingTime(SCIP* scip) {
  journal().enter("SCIPgetSolvingTime");
  if (scip == nullptr) {
    no_instance("SCIPgetSolvingTime");
    return 0.0;
  }
  return scip->solving_time;
}

SCIP_Real SCIPgetPrimalbound(SCIP* scip) {
  journal().enter("SCIPgetPrimalbound");
  if (scip == nullptr) {
    no_instance("SCIPgetPrimalbound");
    return kInfinity;
  }
  return primal_bound(*scip);
}

SCIP_STAGE SCIPgetStage(SCIP* scip) {
  if (unusable("SCIPgetStage", scip)) return SCIP_STAGE_INIT;
  if (!scip->problem) return SCIP_STAGE_INIT;
  if (!scip->solved) return SCIP_STAGE_PROBLEM;
  // A solve stopped by a limit could go on, as SCIP's.
  const bool final = scip->status == SCIP_STATUS_OPTIMAL || scip->status == SCIP_STATUS_INFEASIBLE ||
                     scip->status == SCIP_STATUS_UNBOUNDED || scip->status == SCIP_STATUS_INFORUNBD;
  return final ? SCIP_STAGE_SOLVED : SCIP_STAGE_SOLVING;
}

SCIP_Real SCIPgetDualbound(SCIP* scip) {
  if (unusable("SCIPgetDualbound", scip)) return kInfinity;
  if (scip->has_dual_bound) return scip->dual_bound;
  // As SCIP: an infeasible problem's bound is the infinity beyond every value.
  return scip->maximise ? -kInfinity : kInfinity;
}

SCIP_Real SCIPgetGap(SCIP* scip) {
  if (unusable("SCIPgetGap", scip)) return kInfinity;
  if (!scip->has_solution || !scip->has_dual_bound) return kInfinity;
  const SCIP_Real primal = scip->primal_bound;
  const SCIP_Real dual = scip->dual_bound;
  if (primal == dual) return 0.0;
  // SCIP's definition: |primal - dual| / min(|primal|, |dual|), infinite
  // across zero.
  if (primal == 0.0 || dual == 0.0 || (primal > 0) != (dual > 0)) return kInfinity;
  return std::fabs(primal - dual) / std::fmin(std::fabs(primal), std::fabs(dual));
}

SCIP_Longint SCIPgetNTotalNodes(SCIP* scip) {
  if (unusable("SCIPgetNTotalNodes", scip)) return 0;
  return scip->nodes;
}

int SCIPgetNSols(SCIP* scip) {
  if (unusable("SCIPgetNSols", scip)) return 0;
  return scip->has_solution ? 1 : 0;
}

SCIP_Real SCIPinfinity(SCIP* scip) {
  unusable("SCIPinfinity", scip);
  return kInfinity;
}

SCIP_OBJSENSE SCIPgetObjsense(SCIP* scip) {
  if (unusable("SCIPgetObjsense", scip)) return SCIP_OBJSENSE_MINIMIZE;
  return scip->maximise ? SCIP_OBJSENSE_MAXIMIZE : SCIP_OBJSENSE_MINIMIZE;
}

int SCIPgetNOrigVars(SCIP* scip) {
  if (unusable("SCIPgetNOrigVars", scip)) return 0;
  return static_cast<int>(scip->variable_list.size());
}

SCIP_VAR** SCIPgetOrigVars(SCIP* scip) {
  if (unusable("SCIPgetOrigVars", scip)) return nullptr;
  return scip->variable_list.data();
}

const char* SCIPvarGetName(SCIP_VAR* var) { return var->name.c_str(); }

SCIP_SOL* SCIPgetBestSol(SCIP* scip) {
  if (unusable("SCIPgetBestSol", scip)) return nullptr;
  return scip->has_solution ? &scip->best : nullptr;
}

SCIP_Real SCIPgetSolVal(SCIP* scip, SCIP_SOL* sol, SCIP_VAR* var) {
  if (unusable("SCIPgetSolVal", scip) || sol != &scip->best || !scip->has_solution ||
      !engine::is_alive(scip->problem))
    return 0.0;
  return engine::column_value(scip->problem.get(), var->column);
}

SCIP_Real SCIPgetSolOrigObj(SCIP* scip, SCIP_SOL* sol) {
  if (unusable("SCIPgetSolOrigObj", scip) || sol != &scip->best) return kInfinity;
  return scip->primal_bound;
}

SCIP_RETCODE SCIPfree(SCIP** scip) {
  SCIP_RETCODE injected;
  if (injected_failure("SCIPfree", &injected)) return injected;
  if (scip == nullptr || *scip == nullptr) return no_instance("SCIPfree");
  delete *scip;
  *scip = nullptr;
  return SCIP_OKAY;
}

int SCIPmajorVersion(void) {
  return reported_major_version != 0 ? reported_major_version : SCIP_VERSION_MAJOR;
}
int SCIPminorVersion(void) { return 0; }
int SCIPgetNExternalCodes(SCIP*) { return reports_zlib ? 1 : 0; }
char** SCIPgetExternalCodeNames(SCIP*) { return external_codes; }
int SCIPtechVersion(void) { return 0; }

void SCIPmessagePrintErrorHeader(const char* sourcefile, int sourceline) {
  journal().enter("SCIPmessagePrintErrorHeader");
  std::fprintf(stderr, "[%s:%d] ERROR: ", sourcefile != nullptr ? sourcefile : "(null)",
               sourceline);
}

void SCIPmessagePrintError(const char* formatstr, ...) {
  journal().enter("SCIPmessagePrintError");
  if (formatstr == nullptr) return;
  va_list args;
  va_start(args, formatstr);
  std::vfprintf(stderr, formatstr, args);
  va_end(args);
}

int SCIPstandinFailNext(const char* function, SCIP_RETCODE retcode) {
  static const char* const failing[] = {
      "SCIPcreate",       "SCIPincludeDefaultPlugins", "SCIPcreateProbBasic", "SCIPreadProb",
      "SCIPreadParams",
      "SCIPsetRealParam", "SCIPsetMessagehdlr",        "SCIPsolve",           "SCIPfree"};
  if (function == nullptr) return 0;
  for (const char* name : failing) {
    if (std::strcmp(name, function) == 0) {
      try {
        journal().arm(name, engine::InjectedFailure{retcode, std::string()});
      } catch (...) {
        return 0;
      }
      return 1;
    }
  }
  return 0;
}

void SCIPstandinRecordCalls(int on) { journal().set_recording(on != 0); }

int SCIPstandinGetNCalls(void) { return static_cast<int>(journal().size()); }

const char* SCIPstandinGetCall(int index) {
  if (index < 0) return nullptr;
  const auto call = journal().at(static_cast<std::size_t>(index));
  return call ? call->function : nullptr;
}

void SCIPstandinSetMajorVersion(int major) { reported_major_version = major; }

void SCIPstandinReportZlib(int on) { reports_zlib = on != 0; }

void SCIPstandinReset(void) {
  journal().reset();
  reported_major_version = 0;
  reports_zlib = true;
}

}  // extern "C"
