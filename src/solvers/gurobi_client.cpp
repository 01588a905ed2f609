#include "solvers/gurobi_client.h"

#include <gurobi_c.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include "base/platform.h"

namespace vardelmo {
namespace {

// Every library function the layer calls, each typed by its declaration in
// gurobi_c.h and found in the library by that same name.
#define VARDELMO_GRB_FUNCTIONS(X)                                                    \
  X(GRBloadenvadv) X(GRBsetintparam) X(GRBsetdblparam) X(GRBstartenv) X(GRBfreeenv)  \
  X(GRBreadmodel) X(GRBgetenv) X(GRBgetintattr) X(GRBgetdblattr) X(GRBgetdblattrarray) \
  X(GRBgetstrattrelement) X(GRBupdatemodel) X(GRBoptimize) X(GRBfreemodel)           \
  X(GRBgeterrormsg) X(GRBversion) X(GRBreadparams)

struct GurobiLibrary {
  GurobiLibrary(const std::filesystem::path& path, std::string& reason) : file(path, reason) {}
  platform::SharedLibrary file;
  /// The file's path as shown to the user.
  std::string path;
#define VARDELMO_GRB_MEMBER(name) decltype(&::name) name = nullptr;
  VARDELMO_GRB_FUNCTIONS(VARDELMO_GRB_MEMBER)
#undef VARDELMO_GRB_MEMBER
};

// Loaded on first use and kept to the end of the process.
std::unique_ptr<GurobiLibrary> loaded_library;

template <typename Function>
bool resolve(const platform::SharedLibrary& file, const char* name, Function& function,
             std::string& reason) {
  function = reinterpret_cast<Function>(file.function(name, reason));
  return function != nullptr;
}

// Only objects made after a successful load call the library.
const GurobiLibrary& grb() noexcept { return *loaded_library; }

const char* name_of(IntParameter) { return GRB_INT_PAR_OUTPUTFLAG; }
const char* name_of(DoubleParameter parameter) {
  return parameter == DoubleParameter::TimeLimit ? GRB_DBL_PAR_TIMELIMIT : GRB_DBL_PAR_SOFTMEMLIMIT;
}
const char* name_of(IntAttribute attribute) {
  switch (attribute) {
    case IntAttribute::Status: return GRB_INT_ATTR_STATUS;
    case IntAttribute::SolCount: return GRB_INT_ATTR_SOLCOUNT;
    case IntAttribute::ModelSense: return GRB_INT_ATTR_MODELSENSE;
    case IntAttribute::NumVars: return GRB_INT_ATTR_NUMVARS;
  }
  return "";
}
const char* name_of(DoubleAttribute attribute) {
  switch (attribute) {
    case DoubleAttribute::ObjVal: return GRB_DBL_ATTR_OBJVAL;
    case DoubleAttribute::Runtime: return GRB_DBL_ATTR_RUNTIME;
    case DoubleAttribute::ObjBound: return GRB_DBL_ATTR_OBJBOUND;
    case DoubleAttribute::MIPGap: return GRB_DBL_ATTR_MIPGAP;
    case DoubleAttribute::NodeCount: return GRB_DBL_ATTR_NODECOUNT;
  }
  return "";
}
const char* name_of(VariableDoubleAttribute) { return GRB_DBL_ATTR_X; }
const char* name_of(VariableStringAttribute) { return GRB_STR_ATTR_VARNAME; }

std::string error_text(GRBenv* environment) {
  const char* text = environment != nullptr ? grb().GRBgeterrormsg(environment) : nullptr;
  return text != nullptr ? text : "";
}

/// The one place where a library code becomes an exception; the text must
/// be taken before any other call on that environment overwrites it.
void check_grb_call(int code, GRBenv* explaining_environment) {
  if (code != 0) throw GRBException(error_text(explaining_environment), code);
}

}  // namespace

void load_gurobi_library() {
  if (loaded_library) return;
  // With none found, the first place looked at is named, and the system
  // says why it cannot be loaded.
  const std::filesystem::path path =
      platform::find_gurobi_library().value_or(platform::gurobi_library_candidates().front());
  std::error_code conversion;
  std::string shown = platform::narrow_name(path, conversion);
  if (conversion) shown = platform::narrow_name(path.filename(), conversion);

  std::string reason;
  auto library = std::make_unique<GurobiLibrary>(path, reason);
  if (!library->file.loaded()) throw GurobiLibraryError(shown, reason);
#define VARDELMO_GRB_RESOLVE(name)                          \
  if (!resolve(library->file, #name, library->name, reason)) \
    throw GurobiLibraryError(shown, reason);
  VARDELMO_GRB_FUNCTIONS(VARDELMO_GRB_RESOLVE)
#undef VARDELMO_GRB_RESOLVE
  library->path = shown;
  loaded_library = std::move(library);
}

std::optional<std::string> loaded_gurobi_version() {
  if (!loaded_library) return std::nullopt;
  int major = 0, minor = 0, technical = 0;
  grb().GRBversion(&major, &minor, &technical);
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(technical) +
         " (" + loaded_library->path + ")";
}

GurobiEnvironment GurobiEnvironment::create_environment() {
  load_gurobi_library();
  // Gurobi refuses an environment asked for with another version's header.
  // The functions and values the layer uses are those of Gurobi 11, which 12
  // and 13 keep (gurobi_library_test), so it asks as the loaded version.
  int major = 0, minor = 0, technical = 0;
  grb().GRBversion(&major, &minor, &technical);
  GRBenv* environment = nullptr;
  int code = grb().GRBloadenvadv(&environment, nullptr, 1, major, minor, technical, nullptr,
                                 nullptr, nullptr, nullptr, 0, -1, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr);
  if (code != 0) {
    std::string text = error_text(environment);
    if (environment != nullptr) grb().GRBfreeenv(environment);
    throw GRBException(text, code);
  }
  return GurobiEnvironment(environment, true);
}

void GurobiEnvironment::set_int_param(IntParameter parameter, int value) {
  check_grb_call(grb().GRBsetintparam(handle_, name_of(parameter), value), handle_);
}

void GurobiEnvironment::set_double_param(DoubleParameter parameter, double value) {
  check_grb_call(grb().GRBsetdblparam(handle_, name_of(parameter), value), handle_);
}

void GurobiEnvironment::read_params(const std::string& path) {
  check_grb_call(grb().GRBreadparams(handle_, path.c_str()), handle_);
}

void GurobiEnvironment::start() { check_grb_call(grb().GRBstartenv(handle_), handle_); }

void GurobiEnvironment::release() noexcept {
  if (owner_ && handle_ != nullptr) {
    grb().GRBfreeenv(handle_);
    handle_ = nullptr;
  }
}

GurobiModel GurobiModel::read_model(GurobiEnvironment& environment, const std::string& path) {
  GRBmodel* model = nullptr;
  check_grb_call(grb().GRBreadmodel(environment.handle(), path.c_str(), &model),
                 environment.handle());
  return GurobiModel(model, grb().GRBgetenv(model));
}

int GurobiModel::get_int_attr(IntAttribute attribute) {
  int value = 0;
  check_grb_call(grb().GRBgetintattr(handle_, name_of(attribute), &value), environment_);
  return value;
}

double GurobiModel::get_double_attr(DoubleAttribute attribute) {
  double value = 0;
  check_grb_call(grb().GRBgetdblattr(handle_, name_of(attribute), &value), environment_);
  return value;
}

std::optional<double> GurobiModel::get_double_attr_if_available(DoubleAttribute attribute) {
  double value = 0;
  const int code = grb().GRBgetdblattr(handle_, name_of(attribute), &value);
  if (code == GRB_ERROR_DATA_NOT_AVAILABLE) return std::nullopt;
  check_grb_call(code, environment_);
  return value;
}

std::vector<double> GurobiModel::get_double_attr_array(VariableDoubleAttribute attribute, int first,
                                                       int count) {
  // An empty vector has no storage to hand the library.
  if (count == 0) return {};
  std::vector<double> values(count > 0 ? static_cast<std::size_t>(count) : 0);
  check_grb_call(grb().GRBgetdblattrarray(handle_, name_of(attribute), first, count, values.data()),
                 environment_);
  return values;
}

std::string GurobiModel::get_string_attr_element(VariableStringAttribute attribute, int element) {
  char* value = nullptr;
  check_grb_call(grb().GRBgetstrattrelement(handle_, name_of(attribute), element, &value),
                 environment_);
  return value != nullptr ? value : "";
}

void GurobiModel::update() { check_grb_call(grb().GRBupdatemodel(handle_), environment_); }

void GurobiModel::optimize() {
  update();
  check_grb_call(grb().GRBoptimize(handle_), environment_);
}

void GurobiModel::release() noexcept {
  if (handle_ != nullptr) {
    grb().GRBfreemodel(handle_);
    handle_ = nullptr;
  }
}

}  // namespace vardelmo
