#include "solvers/gurobi_client.h"

#include <gurobi_c.h>

namespace vardelmo {
namespace {

const char* name_of(IntParameter) { return "OutputFlag"; }
const char* name_of(DoubleParameter) { return "TimeLimit"; }
const char* name_of(IntAttribute) { return "Status"; }
const char* name_of(DoubleAttribute attribute) {
  return attribute == DoubleAttribute::ObjVal ? "ObjVal" : "Runtime";
}

std::string error_text(GRBenv* environment) {
  const char* text = environment != nullptr ? GRBgeterrormsg(environment) : nullptr;
  return text != nullptr ? text : "";
}

/// The one place where a library code becomes an exception; the text must
/// be taken before any other call on that environment overwrites it.
void check_grb_call(int code, GRBenv* explaining_environment) {
  if (code != 0) throw GRBException(error_text(explaining_environment), code);
}

}  // namespace

GurobiEnvironment GurobiEnvironment::create_environment() {
  GRBenv* environment = nullptr;
  int code = GRBloadenvadv(&environment, nullptr, 1, GRB_VERSION_MAJOR, GRB_VERSION_MINOR,
                           GRB_VERSION_TECHNICAL, nullptr, nullptr, nullptr, nullptr, 0, -1,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (code != 0) {
    std::string text = error_text(environment);
    if (environment != nullptr) GRBfreeenv(environment);
    throw GRBException(text, code);
  }
  return GurobiEnvironment(environment, true);
}

void GurobiEnvironment::set_int_param(IntParameter parameter, int value) {
  check_grb_call(GRBsetintparam(handle_, name_of(parameter), value), handle_);
}

void GurobiEnvironment::set_double_param(DoubleParameter parameter, double value) {
  check_grb_call(GRBsetdblparam(handle_, name_of(parameter), value), handle_);
}

void GurobiEnvironment::start() { check_grb_call(GRBstartenv(handle_), handle_); }

void GurobiEnvironment::release() noexcept {
  if (owner_ && handle_ != nullptr) {
    GRBfreeenv(handle_);
    handle_ = nullptr;
  }
}

GurobiModel GurobiModel::read_model(GurobiEnvironment& environment, const std::string& path) {
  GRBmodel* model = nullptr;
  check_grb_call(GRBreadmodel(environment.handle(), path.c_str(), &model), environment.handle());
  return GurobiModel(model, GRBgetenv(model));
}

int GurobiModel::get_int_attr(IntAttribute attribute) {
  int value = 0;
  check_grb_call(GRBgetintattr(handle_, name_of(attribute), &value), environment_);
  return value;
}

double GurobiModel::get_double_attr(DoubleAttribute attribute) {
  double value = 0;
  check_grb_call(GRBgetdblattr(handle_, name_of(attribute), &value), environment_);
  return value;
}

void GurobiModel::update() { check_grb_call(GRBupdatemodel(handle_), environment_); }

void GurobiModel::optimize() {
  update();
  check_grb_call(GRBoptimize(handle_), environment_);
}

void GurobiModel::release() noexcept {
  if (handle_ != nullptr) {
    GRBfreemodel(handle_);
    handle_ = nullptr;
  }
}

}  // namespace vardelmo
