#pragma once
// A thin object layer over the Gurobi C library (its part that the program
// calls: declarations/gurobi/gurobi_c.h). What it adds:
// - the library is loaded when first needed, from the first file that
//   platform::find_gurobi_library names (a Gurobi 13, 12 or 11 in the folder
//   the shell started in, then in GUROBI_HOME's installation) and from
//   nowhere else, so the program runs where there is none;
// - environments and models are owned by objects that free them in one place
//   (`release`, also run by the destructor; a model goes before its
//   environment when both are locals declared environment first);
// - parameters and attributes are named by enumerations, not free texts;
// - every checked call that fails raises GRBException with the call's code
//   and the library's error text from the environment that explains it.
// The layer prints nothing and catches nothing.

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct _GRBenv;
struct _GRBmodel;

namespace vardelmo {

class GRBException {
 public:
  GRBException(std::string message, int code) : message_(std::move(message)), code_(code) {}
  const std::string& getMessage() const { return message_; }
  int getErrorCode() const { return code_; }

 private:
  std::string message_;
  int code_;
};

/// The Gurobi library file could not be loaded, or it lacks a function that
/// the layer calls: it is no Gurobi 11, 12 or 13 library.
class GurobiLibraryError {
 public:
  GurobiLibraryError(std::string path, std::string reason)
      : path_(std::move(path)), reason_(std::move(reason)) {}
  const std::string& path() const { return path_; }
  /// The system's words.
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

/// Loads the library by its full path and resolves every function the layer
/// calls, once per process; create_environment does it too. A failure keeps
/// nothing, so the next call tries again.
void load_gurobi_library();

/// GRBversion of the loaded library, with its path: "12.0.3 (/opt/...)";
/// nothing before a load.
[[nodiscard]] std::optional<std::string> loaded_gurobi_version();

enum class IntParameter { OutputFlag };
enum class DoubleParameter { TimeLimit, SoftMemLimit };
enum class IntAttribute { Status, SolCount, ModelSense, NumVars };
enum class DoubleAttribute { ObjVal, Runtime, ObjBound, MIPGap, NodeCount };
/// Attributes with one value per variable.
enum class VariableDoubleAttribute { X };
enum class VariableStringAttribute { VarName };

class GurobiEnvironment {
 public:
  /// GRBloadenvadv: a created and started environment. On failure the
  /// half-made environment is freed before the exception leaves.
  static GurobiEnvironment create_environment();

  GurobiEnvironment(const GurobiEnvironment&) = delete;
  GurobiEnvironment& operator=(const GurobiEnvironment&) = delete;
  ~GurobiEnvironment() { release(); }

  void set_int_param(IntParameter parameter, int value);           // GRBsetintparam
  void set_double_param(DoubleParameter parameter, double value);  // GRBsetdblparam
  void read_params(const std::string& path);                       // GRBreadparams
  void start();                                                    // GRBstartenv
  /// GRBfreeenv when this object owns the environment; a view frees nothing.
  void release() noexcept;

  _GRBenv* handle() const { return handle_; }

 private:
  friend class GurobiModel;
  GurobiEnvironment(_GRBenv* handle, bool owner) : handle_(handle), owner_(owner) {}
  _GRBenv* handle_;
  bool owner_;
};

class GurobiModel {
 public:
  /// GRBreadmodel, then GRBgetenv. A failed read leaves nothing to free.
  static GurobiModel read_model(GurobiEnvironment& environment, const std::string& path);

  GurobiModel(const GurobiModel&) = delete;
  GurobiModel& operator=(const GurobiModel&) = delete;
  ~GurobiModel() { release(); }

  /// A view of the model's own environment: parameters set on it apply to
  /// this model; releasing it frees nothing. No library call.
  GurobiEnvironment model_environment() const { return GurobiEnvironment(environment_, false); }

  int get_int_attr(IntAttribute attribute);           // GRBgetintattr
  double get_double_attr(DoubleAttribute attribute);  // GRBgetdblattr
  /// GRBgetdblattr for a value the solve may not have produced (ObjVal
  /// without a solution, MIPGap of a model without integer variables): empty
  /// then; any other failure raises.
  [[nodiscard]] std::optional<double> get_double_attr_if_available(DoubleAttribute attribute);
  /// GRBgetdblattrarray: the values of `count` variables from `first`.
  std::vector<double> get_double_attr_array(VariableDoubleAttribute attribute, int first,
                                            int count);
  /// GRBgetstrattrelement: the value of variable `element`, copied before
  /// the library reuses its text.
  std::string get_string_attr_element(VariableStringAttribute attribute, int element);
  void update();                                      // GRBupdatemodel
  void optimize();                                    // update, then GRBoptimize
  void release() noexcept;                            // GRBfreemodel

 private:
  GurobiModel(_GRBmodel* handle, _GRBenv* environment)
      : handle_(handle), environment_(environment) {}
  _GRBmodel* handle_;
  /// The environment whose error text explains a failed model call.
  _GRBenv* environment_;
};

}  // namespace vardelmo
