// Gurobi's C interface as far as Vardelmo uses it, solving with GLPK.

// The library is built with hidden visibility; its interface is exported.
#pragma GCC visibility push(default)
#include "gurobi_c.h"
#include "gurobi_standin_control.h"
#pragma GCC visibility pop

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "call_journal.h"
#include "glpk_engine.h"

namespace engine = vardelmo::engine;

namespace {

// Error codes the header leaves out because Vardelmo never tests for them.
constexpr int kErrorIndexOutOfRange = 10006;

struct Settings {
  int output_flag = 1;
  double time_limit = GRB_INFINITY;
  double node_limit = GRB_INFINITY;
};

}  // namespace

struct _GRBenv {
  Settings settings;
  std::string error;
  GRBmodel* owner = nullptr;  // set on a model's own copy, which the model frees
};

struct _GRBmodel {
  _GRBenv env;
  engine::Problem problem;
  std::string name;
  engine::ProblemSize size;
  std::vector<std::string> variable_names;  // kept from the read: GLPK may lose the problem
  int status = GRB_LOADED;
  bool has_solution = false;
  double objective = 0.0;
  std::vector<double> solution;  // with has_solution, one value per variable
  bool has_dual_bound = false;
  double dual_bound = 0.0;
  long long nodes = 0;
  double runtime = 0.0;
};

namespace {

engine::CallJournal& journal() {
  static engine::CallJournal instance;
  return instance;
}

bool same_name(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The shortest text that reads back as the same number, as Gurobi prints
// parameter values.
std::string number_text(double value) {
  char buffer[40];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  return buffer;
}

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  return text;
}

void write_log(const _GRBenv& env, const char* text) {
  if (env.settings.output_flag == 0) return;
  std::fputs(text, stdout);
  std::fflush(stdout);
}

void write_log(const _GRBenv& env, const std::string& text) { write_log(env, text.c_str()); }

int fail(_GRBenv* env, int code, std::string message) {
  if (env != nullptr) env->error = std::move(message);
  return code;
}

// Consumes a failure armed for this call, storing its text on `errors`.
bool injected_failure(const char* function, const void* handle, _GRBenv* errors, int* code) {
  auto failure = journal().enter(function, handle);
  if (!failure) return false;
  *code = failure->code;
  if (errors != nullptr) {
    errors->error = failure->message.empty() ? std::string("Injected failure of ") + function
                                             : std::move(failure->message);
  }
  return true;
}

// No C++ exception may leave the C interface.
template <typename Body>
int guarded(_GRBenv* errors, Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    if (errors != nullptr) errors->error.clear();  // assigning a message could throw again
    return GRB_ERROR_OUT_OF_MEMORY;
  } catch (...) {
    return fail(errors, GRB_ERROR_INVALID_ARGUMENT, "Unexpected failure");
  }
}

// What every call on a model does first: record the call, play a failure
// armed for it, refuse a missing model.
bool model_call_refused(const char* function, _GRBmodel* model, int* code) {
  if (injected_failure(function, model, model != nullptr ? &model->env : nullptr, code))
    return true;
  if (model != nullptr) return false;
  *code = GRB_ERROR_NULL_ARGUMENT;
  return true;
}

// What every attribute query does before its own part: the checks of a
// model call, then refusing a missing name or place for the value.
template <typename Body>
int attribute_query(const char* function, _GRBmodel* model, const char* attrname,
                    const void* place, Body body) {
  int code = 0;
  if (model_call_refused(function, model, &code)) return code;
  _GRBenv* env = &model->env;
  return guarded(env, [&] {
    if (attrname == nullptr || place == nullptr) {
      return fail(env, GRB_ERROR_NULL_ARGUMENT,
                  "No attribute name or no place for its value given");
    }
    return body(env);
  });
}

int unknown_attribute(_GRBenv* env, const char* attrname) {
  return fail(env, GRB_ERROR_UNKNOWN_ATTRIBUTE, formatted("Unknown attribute '%s'", attrname));
}

bool ends_with(const std::string& text, const char* suffix) {
  const std::size_t length = std::strlen(suffix);
  return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

// The formats Gurobi reads that the engine reads too, gzip-compressed or not.
bool names_model_format(std::string path) {
  if (ends_with(path, ".gz")) path.resize(path.size() - 3);
  return ends_with(path, ".lp") || ends_with(path, ".mps");
}

std::string model_name(const std::string& filename) {
  std::string name = engine::base_name(filename.c_str());
  if (ends_with(name, ".gz")) name.resize(name.size() - 3);
  return name.substr(0, name.rfind('.'));
}

std::string one_line(std::string text) {
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
    text.replace(at, 1, "; ");
  return text;
}

int to_status(const engine::SolveResult& result) {
  switch (result.outcome) {
    case engine::Outcome::optimal:
      return GRB_OPTIMAL;
    case engine::Outcome::infeasible:
      return GRB_INFEASIBLE;
    case engine::Outcome::unbounded:
      return GRB_UNBOUNDED;
    case engine::Outcome::infeasible_or_unbounded:
      return GRB_INF_OR_UNBD;
    case engine::Outcome::time_limit:
      return GRB_TIME_LIMIT;
    case engine::Outcome::interrupted:
      return GRB_INTERRUPTED;
    case engine::Outcome::node_limit:
      return GRB_NODE_LIMIT;
    case engine::Outcome::unknown:
      break;
  }
  return result.has_solution ? GRB_SUBOPTIMAL : GRB_NUMERIC;
}

// Gurobi has a MIP's search figures, and no model's before a solve.
bool has_search_figures(const _GRBmodel& model) {
  return model.size.binaries + model.size.integers > 0 && model.status != GRB_LOADED;
}

// Without a proven bound: Gurobi's infinity beyond every value for an
// infeasible model, else the one that bounds nothing.
double objective_bound(const _GRBmodel& model) {
  if (model.has_dual_bound) return model.dual_bound;
  const bool beyond = model.status == GRB_INFEASIBLE;
  return beyond != model.size.maximise ? GRB_INFINITY : -GRB_INFINITY;
}

// Gurobi's definition: |ObjVal - ObjBound| / |ObjVal|, infinite without
// both or with an incumbent of 0 (unless the bound is 0 too).
double mip_gap(const _GRBmodel& model) {
  if (!model.has_solution || !model.has_dual_bound) return GRB_INFINITY;
  if (model.objective == model.dual_bound) return 0.0;
  if (model.objective == 0.0) return GRB_INFINITY;
  return std::fabs(model.objective - model.dual_bound) / std::fabs(model.objective);
}

// Vectors of the standard library's own types are sized once and filled:
// growing one would instantiate, and export, the library's code for it.
std::vector<std::string> column_names(glp_prob* problem, int columns) {
  std::vector<std::string> names(static_cast<std::size_t>(columns));
  for (int j = 1; j <= columns; ++j) {
    const char* name = glp_get_col_name(problem, j);
    names[static_cast<std::size_t>(j - 1)] = name != nullptr ? name : formatted("C%d", j - 1);
  }
  return names;
}

std::string closing_log(const _GRBmodel& model) {
  std::string text = formatted("\nSolved in %.2f seconds\n", model.runtime);
  switch (model.status) {
    case GRB_OPTIMAL:
      text += "Optimal solution found\n";
      break;
    case GRB_INFEASIBLE:
      text += "Model is infeasible\n";
      break;
    case GRB_UNBOUNDED:
      text += "Model is unbounded\n";
      break;
    case GRB_INF_OR_UNBD:
      text += "Model is infeasible or unbounded\n";
      break;
    case GRB_TIME_LIMIT:
      text += "Time limit reached\n";
      break;
    case GRB_INTERRUPTED:
      text += "Interrupt request received\n";
      break;
    default:
      text += "Optimization stopped: GLPK could not complete the solve\n";
      break;
  }
  if (model.has_solution) {
    text += formatted("Best objective %.12e\n", model.objective);
  } else if (model.status == GRB_TIME_LIMIT || model.status == GRB_INTERRUPTED) {
    text += "Best objective -\n";
  }
  return text;
}

}  // namespace

extern "C" {

// Vardelmo loads a local environment only: everything but the place for it
// is ignored, as are the log file, Compute Server and Instant Cloud.
int GRBloadenvadv(GRBenv** envP, const char* /*logfilename*/, int /*apitype*/, int /*major*/,
                  int /*minor*/, int /*tech*/, const char* /*server*/, const char* /*router*/,
                  const char* /*password*/, const char* /*group*/, int /*priority*/,
                  int /*idletimeout*/, const char* /*cloudaccessid*/,
                  const char* /*cloudsecretkey*/,
                  int (* /*cb*/)(GRBmodel* model, void* cbdata, int where, void* usrdata),
                  void* /*usrdata*/, int (* /*logcb*/)(char* msg, void* logdata),
                  void* /*logdata*/) {
  int code = 0;
  if (envP == nullptr) {
    if (injected_failure("GRBloadenvadv", nullptr, nullptr, &code)) return code;
    return GRB_ERROR_NULL_ARGUMENT;
  }
  *envP = new (std::nothrow) _GRBenv;
  if (*envP == nullptr) return GRB_ERROR_OUT_OF_MEMORY;
  if (injected_failure("GRBloadenvadv", *envP, *envP, &code)) return code;
  return 0;
}

int GRBsetintparam(GRBenv* env, const char* paramname, int value) {
  int code = 0;
  if (injected_failure("GRBsetintparam", env, env, &code)) return code;
  if (env == nullptr) return GRB_ERROR_NULL_ARGUMENT;
  return guarded(env, [&] {
    if (paramname == nullptr) return fail(env, GRB_ERROR_NULL_ARGUMENT, "No parameter name given");
    if (same_name(paramname, GRB_INT_PAR_OUTPUTFLAG)) {
      env->settings.output_flag = value;
      return 0;
    }
    return fail(env, GRB_ERROR_UNKNOWN_PARAMETER, formatted("Unknown parameter '%s'", paramname));
  });
}

int GRBsetdblparam(GRBenv* env, const char* paramname, double value) {
  int code = 0;
  if (injected_failure("GRBsetdblparam", env, env, &code)) return code;
  if (env == nullptr) return GRB_ERROR_NULL_ARGUMENT;
  return guarded(env, [&] {
    if (paramname == nullptr) return fail(env, GRB_ERROR_NULL_ARGUMENT, "No parameter name given");
    const bool time = same_name(paramname, GRB_DBL_PAR_TIMELIMIT);
    if (!time && !same_name(paramname, GRB_DBL_PAR_SOFTMEMLIMIT))
      return fail(env, GRB_ERROR_UNKNOWN_PARAMETER, formatted("Unknown parameter '%s'", paramname));
    const char* name = time ? GRB_DBL_PAR_TIMELIMIT : GRB_DBL_PAR_SOFTMEMLIMIT;
    if (!(value >= 0.0)) {
      return fail(env, GRB_ERROR_VALUE_OUT_OF_RANGE,
                  formatted("Unable to set parameter %s to value %s (minimum is 0)", name,
                            number_text(value).c_str()));
    }
    // GLPK's memory is not counted: a memory limit is taken and never reached.
    if (time) env->settings.time_limit = std::fmin(value, GRB_INFINITY);
    write_log(*env, formatted("Set parameter %s to value %s\n", name, number_text(value).c_str()));
    return 0;
  });
}

// A parameter file as Gurobi reads one: "Name value" lines, '#' comments,
// names in any case. Of the parameters, OutputFlag, TimeLimit and NodeLimit;
// another name gets Gurobi's warning in the log and is skipped, as Gurobi
// does; a value out of range fails the read.
int GRBreadparams(GRBenv* env, const char* filename) {
  int code = 0;
  if (injected_failure("GRBreadparams", env, env, &code)) return code;
  if (env == nullptr) return GRB_ERROR_NULL_ARGUMENT;
  if (filename == nullptr) return fail(env, GRB_ERROR_NULL_ARGUMENT, "No file name given");
  return guarded(env, [&] {
    const std::optional<std::vector<std::string>> lines = engine::read_file_lines(filename);
    if (!lines)
      return fail(env, GRB_ERROR_INVALID_ARGUMENT,
                  formatted("Unable to read parameter file %s", filename));
    for (const std::string& line : *lines) {
      if (line.empty() || line[0] == '#') continue;
      char name[256] = {}, value[256] = {};
      if (std::sscanf(line.c_str(), "%255s %255s", name, value) != 2) continue;
      const double number = std::strtod(value, nullptr);
      if (strcasecmp(name, GRB_INT_PAR_OUTPUTFLAG) == 0) {
        env->settings.output_flag = static_cast<int>(number);
      } else if (strcasecmp(name, "NodeLimit") == 0 || strcasecmp(name, GRB_DBL_PAR_TIMELIMIT) == 0) {
        const bool nodes = strcasecmp(name, "NodeLimit") == 0;
        const char* shown = nodes ? "NodeLimit" : GRB_DBL_PAR_TIMELIMIT;
        if (!(number >= 0.0))
          return fail(env, GRB_ERROR_VALUE_OUT_OF_RANGE,
                      formatted("Unable to set parameter %s to value %s (minimum is 0)", shown,
                                number_text(number).c_str()));
        (nodes ? env->settings.node_limit : env->settings.time_limit) = std::fmin(number, GRB_INFINITY);
        write_log(*env, formatted("Set parameter %s to value %s\n", shown, number_text(number).c_str()));
      } else {
        write_log(*env, formatted("Warning: unknown parameter %s\n", name));
      }
    }
    return 0;
  });
}

int GRBstartenv(GRBenv* env) {
  int code = 0;
  if (injected_failure("GRBstartenv", env, env, &code)) return code;
  if (env == nullptr) return GRB_ERROR_NULL_ARGUMENT;
  return 0;  // environments are started when loaded
}

void GRBfreeenv(GRBenv* env) {
  journal().enter("GRBfreeenv", env);
  // A model's environment belongs to the model and goes with it.
  if (env == nullptr || env->owner != nullptr) return;
  delete env;
}

int GRBreadmodel(GRBenv* env, const char* filename, GRBmodel** modelP) {
  if (modelP != nullptr) *modelP = nullptr;  // whatever happens below, no model is left behind
  int code = 0;
  if (injected_failure("GRBreadmodel", env, env, &code)) return code;
  if (env == nullptr) return GRB_ERROR_NULL_ARGUMENT;
  if (modelP == nullptr)
    return fail(env, GRB_ERROR_NULL_ARGUMENT, "No place to store the model given");
  if (filename == nullptr) return fail(env, GRB_ERROR_NULL_ARGUMENT, "No file name given");
  return guarded(env, [&] {
    const std::string path = filename;
    if (!names_model_format(path)) {
      return fail(env, GRB_ERROR_FILE_READ, formatted("Unknown file type for file '%s'", filename));
    }
    engine::ReadResult read = engine::read_model_file(path);
    if (read.status == engine::ReadStatus::no_file) {
      return fail(
          env, GRB_ERROR_FILE_READ,
          formatted("Unable to open file '%s' for input: %s", filename, read.message.c_str()));
    }
    if (read.status == engine::ReadStatus::bad_format) {
      return fail(env, GRB_ERROR_FILE_READ,
                  formatted("Unable to read %s format file '%s': %s",
                            engine::names_mps(path) ? "MPS" : "LP", filename,
                            one_line(read.message).c_str()));
    }
    auto model = std::make_unique<_GRBmodel>();
    model->env.settings = env->settings;
    model->env.owner = model.get();
    model->name = model_name(path);
    model->size = engine::problem_size(read.problem.get());
    model->variable_names = column_names(read.problem.get(), model->size.columns);
    model->problem = std::move(read.problem);
    write_log(*env,
              formatted("Read %s format model from file %s\n%s: %d rows, %d columns, %d nonzeros\n",
                        engine::names_mps(path) ? "MPS" : "LP", filename, model->name.c_str(), model->size.rows, model->size.columns,
                        model->size.nonzeros));
    *modelP = model.release();
    return 0;
  });
}

GRBenv* GRBgetenv(GRBmodel* model) {
  journal().enter("GRBgetenv", model);
  return model != nullptr ? &model->env : nullptr;
}

int GRBgetintattr(GRBmodel* model, const char* attrname, int* valueP) {
  return attribute_query("GRBgetintattr", model, attrname, valueP, [&](_GRBenv* env) {
    if (same_name(attrname, GRB_INT_ATTR_STATUS)) {
      *valueP = model->status;
    } else if (same_name(attrname, GRB_INT_ATTR_SOLCOUNT)) {
      *valueP = model->has_solution ? 1 : 0;
    } else if (same_name(attrname, GRB_INT_ATTR_MODELSENSE)) {
      *valueP = model->size.maximise ? GRB_MAXIMIZE : GRB_MINIMIZE;
    } else if (same_name(attrname, GRB_INT_ATTR_NUMVARS)) {
      *valueP = model->size.columns;
    } else {
      return unknown_attribute(env, attrname);
    }
    return 0;
  });
}

int GRBgetdblattr(GRBmodel* model, const char* attrname, double* valueP) {
  return attribute_query("GRBgetdblattr", model, attrname, valueP, [&](_GRBenv* env) {
    if (same_name(attrname, GRB_DBL_ATTR_OBJVAL)) {
      if (!model->has_solution) {
        return fail(env, GRB_ERROR_DATA_NOT_AVAILABLE, "Unable to retrieve attribute 'ObjVal'");
      }
      *valueP = model->objective;
      return 0;
    }
    if (same_name(attrname, GRB_DBL_ATTR_RUNTIME)) {
      *valueP = model->runtime;
      return 0;
    }
    const bool bound = same_name(attrname, GRB_DBL_ATTR_OBJBOUND);
    const bool gap = same_name(attrname, GRB_DBL_ATTR_MIPGAP);
    if (!bound && !gap && !same_name(attrname, GRB_DBL_ATTR_NODECOUNT))
      return unknown_attribute(env, attrname);
    if (!has_search_figures(*model)) {
      return fail(env, GRB_ERROR_DATA_NOT_AVAILABLE,
                  formatted("Unable to retrieve attribute '%s'", attrname));
    }
    *valueP = bound ? objective_bound(*model)
              : gap ? mip_gap(*model)
                    : static_cast<double>(model->nodes);
    return 0;
  });
}

int GRBgetdblattrarray(GRBmodel* model, const char* attrname, int first, int len,
                       double* values) {
  return attribute_query("GRBgetdblattrarray", model, attrname, values, [&](_GRBenv* env) {
    if (!same_name(attrname, GRB_DBL_ATTR_X)) return unknown_attribute(env, attrname);
    if (first < 0 || len < 0 || len > model->size.columns - first)
      return fail(env, kErrorIndexOutOfRange, "Index out of range");
    if (!model->has_solution)
      return fail(env, GRB_ERROR_DATA_NOT_AVAILABLE, "Unable to retrieve attribute 'X'");
    std::copy_n(model->solution.begin() + first, len, values);
    return 0;
  });
}

int GRBgetstrattrelement(GRBmodel* model, const char* attrname, int element, char** valueP) {
  return attribute_query("GRBgetstrattrelement", model, attrname, valueP, [&](_GRBenv* env) {
    if (!same_name(attrname, GRB_STR_ATTR_VARNAME)) return unknown_attribute(env, attrname);
    if (element < 0 || element >= model->size.columns)
      return fail(env, kErrorIndexOutOfRange, "Index out of range");
    // As Gurobi's: the model's own text, valid until the model changes.
    *valueP = model->variable_names[static_cast<std::size_t>(element)].data();
    return 0;
  });
}

int GRBupdatemodel(GRBmodel* model) {
  int code = 0;
  if (model_call_refused("GRBupdatemodel", model, &code)) return code;
  return 0;  // models are only ever read whole, so nothing is pending
}

int GRBoptimize(GRBmodel* model) {
  int code = 0;
  if (model_call_refused("GRBoptimize", model, &code)) return code;
  // GLPK lost the problem in an earlier solve of this model: nothing changes
  // any more.
  if (!model->problem) return 0;
  _GRBenv* env = &model->env;
  // Another model's or instance's solve made GLPK free it.
  if (!engine::is_alive(model->problem)) {
    return fail(env, GRB_ERROR_DATA_NOT_AVAILABLE,
                "Model data lost: GLPK freed it after an internal error in another solve");
  }
  return guarded(env, [&] {
    write_log(
        *env,
        formatted(
            "Gurobi Optimizer stand-in (interface of version %d.%d.%d), solving with GLPK %s\n"
            "Optimize a model with %d rows, %d columns and %d nonzeros\n",
            GRB_VERSION_MAJOR, GRB_VERSION_MINOR, GRB_VERSION_TECHNICAL,
            engine::glpk_version().c_str(), model->size.rows, model->size.columns,
            model->size.nonzeros));
    engine::SolveOptions options;
    if (env->settings.time_limit < GRB_INFINITY) options.time_limit = env->settings.time_limit;
    if (env->settings.node_limit < GRB_INFINITY)
      options.node_limit = static_cast<long long>(env->settings.node_limit);
    options.log = env->settings.output_flag != 0;
    options.log_sink = [env](const char* text) { write_log(*env, text); };
    const engine::SolveResult result = engine::solve(*model->problem, options);
    // When GLPK failed it took the problem with it; Gurobi's word for a
    // solve that numeric trouble ended, with nothing to show.
    if (result.glpk_failed) model->problem.reset();
    model->status = result.glpk_failed ? GRB_NUMERIC : to_status(result);
    model->has_solution = !result.glpk_failed && result.has_solution;
    model->objective = result.objective;
    model->solution =
        std::vector<double>(model->has_solution ? static_cast<std::size_t>(model->size.columns) : 0);
    for (int j = 1; model->has_solution && j <= model->size.columns; ++j)
      model->solution[static_cast<std::size_t>(j - 1)] =
          engine::column_value(model->problem.get(), j);
    model->has_dual_bound = !result.glpk_failed && result.has_dual_bound;
    model->dual_bound = result.dual_bound;
    model->nodes = result.nodes;
    model->runtime = result.seconds;
    write_log(*env, closing_log(*model));
    return 0;
  });
}

int GRBfreemodel(GRBmodel* model) {
  int code = 0;
  if (model_call_refused("GRBfreemodel", model, &code)) return code;
  delete model;
  return 0;
}

const char* GRBgeterrormsg(GRBenv* env) {
  journal().enter("GRBgeterrormsg", env);
  if (env == nullptr) return "No environment given";
  return env->error.c_str();
}

// The version of the declarations. Not recorded: it touches no environment.
void GRBversion(int* majorP, int* minorP, int* technicalP) {
  *majorP = GRB_VERSION_MAJOR;
  *minorP = GRB_VERSION_MINOR;
  *technicalP = GRB_VERSION_TECHNICAL;
}

int GRBstandin_failnext(const char* function, int error, const char* message) {
  static const char* const failing[] = {
      "GRBloadenvadv", "GRBsetintparam", "GRBsetdblparam", "GRBstartenv", "GRBreadmodel",
      "GRBreadparams",
      "GRBgetintattr", "GRBgetdblattr",  "GRBgetdblattrarray", "GRBgetstrattrelement",
      "GRBupdatemodel", "GRBoptimize",   "GRBfreemodel"};
  if (function == nullptr || error == 0) return GRB_ERROR_INVALID_ARGUMENT;
  for (const char* name : failing) {
    if (std::strcmp(name, function) != 0) continue;
    try {
      journal().arm(name, engine::InjectedFailure{error, message != nullptr ? message : ""});
    } catch (...) {
      return GRB_ERROR_OUT_OF_MEMORY;
    }
    return 0;
  }
  return GRB_ERROR_INVALID_ARGUMENT;
}

void GRBstandin_record(int on) { journal().set_recording(on != 0); }

int GRBstandin_callcount(void) { return static_cast<int>(journal().size()); }

const char* GRBstandin_callname(int index) {
  if (index < 0) return nullptr;
  const auto call = journal().at(static_cast<std::size_t>(index));
  return call ? call->function : nullptr;
}

void* GRBstandin_callhandle(int index) {
  if (index < 0) return nullptr;
  const auto call = journal().at(static_cast<std::size_t>(index));
  return call ? const_cast<void*>(call->handle) : nullptr;
}

void GRBstandin_reset(void) { journal().reset(); }

}  // extern "C"
