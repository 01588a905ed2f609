#include <glpk.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gurobi_c.h"
#include "gurobi_standin_control.h"
#include "support/standin_test_support.h"

using standin_test::count_of;
using standin_test::data_file;
using standin_test::OutputCapture;
using standin_test::TempDir;

namespace {

int load(GRBenv** env) {
  return GRBloadenvadv(env, nullptr, 1, GRB_VERSION_MAJOR, GRB_VERSION_MINOR,
                       GRB_VERSION_TECHNICAL, nullptr, nullptr, nullptr, nullptr, 0, -1, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr);
}

// Owns an environment; null when loading failed.
class Env {
 public:
  Env() { rc_ = load(&env_); }
  ~Env() { GRBfreeenv(env_); }
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;

  GRBenv* get() const { return env_; }
  int rc() const { return rc_; }
  std::string error() const { return GRBgeterrormsg(env_); }

 private:
  GRBenv* env_ = nullptr;
  int rc_ = -1;
};

class Model {
 public:
  Model() = default;
  ~Model() { reset(); }
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  GRBmodel** out() {
    reset();
    return &model_;
  }
  GRBmodel* get() const { return model_; }
  GRBenv* env() const { return GRBgetenv(model_); }
  void reset() {
    if (model_ != nullptr) GRBfreemodel(model_);
    model_ = nullptr;
  }

 private:
  GRBmodel* model_ = nullptr;
};

int status_of(GRBmodel* model) {
  int status = -1;
  EXPECT_EQ(GRBgetintattr(model, "Status", &status), 0);
  return status;
}

void silence(GRBenv* env) { ASSERT_EQ(GRBsetintparam(env, "OutputFlag", 0), 0); }

struct Outcome {
  const char* file;
  int status;
  bool has_objective;
  double objective;
};

void PrintTo(const Outcome& outcome, std::ostream* out) { *out << outcome.file; }

}  // namespace

TEST(GurobiEnvironment, LoadedEnvironmentIsStarted) {
  Env env;
  ASSERT_EQ(env.rc(), 0);
  ASSERT_NE(env.get(), nullptr);
  EXPECT_EQ(GRBstartenv(env.get()), 0);
  EXPECT_EQ(GRBstartenv(env.get()), 0);
  EXPECT_EQ(env.error(), "");
}

TEST(GurobiParameters, TimeLimitIsNonNegative) {
  Env env;
  silence(env.get());
  for (const double good : {0.0, 0.2, 1e100, 1e300, std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(GRBsetdblparam(env.get(), "TimeLimit", good), 0) << good;
  }
  EXPECT_EQ(GRBsetdblparam(env.get(), "TimeLimit", -1.0), GRB_ERROR_VALUE_OUT_OF_RANGE);
  EXPECT_EQ(env.error(), "Unable to set parameter TimeLimit to value -1 (minimum is 0)");
  EXPECT_EQ(GRBsetdblparam(env.get(), "TimeLimit", -0.25), GRB_ERROR_VALUE_OUT_OF_RANGE);
  EXPECT_EQ(GRBsetdblparam(env.get(), "TimeLimit", std::numeric_limits<double>::quiet_NaN()),
            GRB_ERROR_VALUE_OUT_OF_RANGE);
  EXPECT_NE(env.error().find("TimeLimit"), std::string::npos);
}

TEST(GurobiParameters, UnknownNames) {
  Env env;
  EXPECT_EQ(GRBsetintparam(env.get(), "outputflag", 1), GRB_ERROR_UNKNOWN_PARAMETER);
  EXPECT_EQ(env.error(), "Unknown parameter 'outputflag'");
  EXPECT_EQ(GRBsetdblparam(env.get(), "OutputFlag", 0.0), GRB_ERROR_UNKNOWN_PARAMETER);
  EXPECT_EQ(GRBsetintparam(env.get(), nullptr, 0), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBsetdblparam(env.get(), nullptr, 0.0), GRB_ERROR_NULL_ARGUMENT);
}

TEST(GurobiParameters, SettingTheTimeLimitIsLogged) {
  Env env;
  OutputCapture out(1);
  ASSERT_EQ(GRBsetdblparam(env.get(), "TimeLimit", 0.2), 0);
  EXPECT_EQ(out.finish(), "Set parameter TimeLimit to value 0.2\n");
  silence(env.get());
  OutputCapture quiet(1);
  ASSERT_EQ(GRBsetdblparam(env.get(), "TimeLimit", 0.3), 0);
  EXPECT_EQ(quiet.finish(), "");
}

class GurobiRead : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(env.rc(), 0);
    silence(env.get());
  }
  // Expects the read to fail with GRB_ERROR_FILE_READ, leaving no model.
  std::string failed_read(const std::string& path) {
    GRBmodel* model = reinterpret_cast<GRBmodel*>(&model_sentinel);
    EXPECT_EQ(GRBreadmodel(env.get(), path.c_str(), &model), GRB_ERROR_FILE_READ) << path;
    EXPECT_EQ(model, nullptr);
    return env.error();
  }

  Env env;
  TempDir temp;
  int model_sentinel = 0;
};

TEST_F(GurobiRead, MissingFileOrFolder) {
  const std::string missing = temp.path() + "/missing.lp";
  EXPECT_NE(failed_read(missing).find("'" + missing + "'"), std::string::npos) << env.error();
  const std::string folder = temp.path() + "/folder.lp";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  EXPECT_NE(failed_read(folder).find("'" + folder + "'"), std::string::npos) << env.error();
}

TEST_F(GurobiRead, OnlyLpAndMpsFiles) {
  const std::string model = vardelmo::test::read_file(data_file("decimals.lp"));
  for (const char* name : {"model.LP.txt", "model", "model.lp.bz2"}) {
    const std::string path = temp.write(name, model);
    EXPECT_EQ(failed_read(path), "Unknown file type for file '" + path + "'");
  }
}

TEST_F(GurobiRead, SyntaxErrorIsExplained) {
  const std::string message = failed_read(data_file("syntax_error.lp"));
  EXPECT_NE(message.find("'" + data_file("syntax_error.lp") + "'"), std::string::npos) << message;
  EXPECT_NE(message.find("syntax_error.lp:5: invalid symbol(s) beyond right-hand side"),
            std::string::npos)
      << message;
}

TEST_F(GurobiRead, NullArguments) {
  Model model;
  EXPECT_EQ(GRBreadmodel(env.get(), nullptr, model.out()), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(model.get(), nullptr);
  EXPECT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), nullptr),
            GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBreadmodel(nullptr, data_file("decimals.lp").c_str(), model.out()),
            GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(model.get(), nullptr);
}

TEST(GurobiModel, AttributesBeforeSolving) {
  Env env;
  silence(env.get());
  Model model;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), model.out()), 0);
  EXPECT_EQ(GRBupdatemodel(model.get()), 0);
  EXPECT_EQ(status_of(model.get()), GRB_LOADED);
  double runtime = -1.0;
  EXPECT_EQ(GRBgetdblattr(model.get(), "Runtime", &runtime), 0);
  EXPECT_EQ(runtime, 0.0);
  double objective = 0.0;
  EXPECT_EQ(GRBgetdblattr(model.get(), "ObjVal", &objective), GRB_ERROR_DATA_NOT_AVAILABLE);
  // A model call's error is stored on the model's environment only.
  EXPECT_EQ(std::string(GRBgeterrormsg(model.env())), "Unable to retrieve attribute 'ObjVal'");
  EXPECT_EQ(env.error(), "");
}

TEST(GurobiModel, AttributeNames) {
  Env env;
  silence(env.get());
  Model model;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), model.out()), 0);
  ASSERT_EQ(GRBoptimize(model.get()), 0);
  int status = 0;
  double value = 0.0;
  EXPECT_EQ(GRBgetintattr(model.get(), "status", &status), GRB_ERROR_UNKNOWN_ATTRIBUTE);
  EXPECT_EQ(std::string(GRBgeterrormsg(model.env())), "Unknown attribute 'status'");
  EXPECT_EQ(GRBgetdblattr(model.get(), "Status", &value), GRB_ERROR_UNKNOWN_ATTRIBUTE);
  EXPECT_EQ(GRBgetintattr(model.get(), "Status", nullptr), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBgetdblattr(model.get(), nullptr, &value), GRB_ERROR_NULL_ARGUMENT);
}

TEST(GurobiModel, ParametersSetBeforeReadingApply) {
  Env env;
  silence(env.get());
  ASSERT_EQ(GRBsetdblparam(env.get(), "TimeLimit", 0.0), 0);
  Model model;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), model.out()), 0);
  ASSERT_EQ(GRBoptimize(model.get()), 0);
  EXPECT_EQ(status_of(model.get()), GRB_TIME_LIMIT);
}

TEST(GurobiModel, ModelOutlivesTheEnvironmentItWasReadWith) {
  GRBenv* env = nullptr;
  ASSERT_EQ(load(&env), 0);
  silence(env);
  GRBmodel* model = nullptr;
  ASSERT_EQ(GRBreadmodel(env, data_file("decimals.lp").c_str(), &model), 0);
  GRBfreeenv(env);
  GRBfreeenv(GRBgetenv(model));  // belongs to the model: not freed here
  ASSERT_EQ(GRBoptimize(model), 0);
  EXPECT_EQ(status_of(model), GRB_OPTIMAL);
  EXPECT_STREQ(GRBgeterrormsg(GRBgetenv(model)), "");
  EXPECT_EQ(GRBfreemodel(model), 0);
}

class GurobiOutcomes : public ::testing::TestWithParam<Outcome> {};

TEST_P(GurobiOutcomes, StatusAndObjective) {
  Env env;
  silence(env.get());
  Model model;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file(GetParam().file).c_str(), model.out()), 0);
  ASSERT_EQ(GRBoptimize(model.get()), 0);
  EXPECT_EQ(status_of(model.get()), GetParam().status);
  double objective = 0.0;
  if (GetParam().has_objective) {
    ASSERT_EQ(GRBgetdblattr(model.get(), "ObjVal", &objective), 0);
    EXPECT_NEAR(objective, GetParam().objective, 1e-9);
  } else {
    EXPECT_EQ(GRBgetdblattr(model.get(), "ObjVal", &objective), GRB_ERROR_DATA_NOT_AVAILABLE);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Models, GurobiOutcomes,
    ::testing::Values(Outcome{"decimals.lp", GRB_OPTIMAL, true, 31.125},
                      Outcome{"infeasible_lp.lp", GRB_INFEASIBLE, false, 0.0},
                      Outcome{"infeasible_max.lp", GRB_INFEASIBLE, false, 0.0},
                      Outcome{"integer_infeasible.lp", GRB_INFEASIBLE, false, 0.0},
                      Outcome{"empty_bounds.lp", GRB_INFEASIBLE, false, 0.0},
                      Outcome{"unbounded_lp.lp", GRB_UNBOUNDED, false, 0.0},
                      Outcome{"unbounded_mip.lp", GRB_INF_OR_UNBD, false, 0.0}));

TEST(GurobiSolve, InternalGlpkErrorEndsInNumericTrouble) {
  Env env;
  silence(env.get());
  Model model;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("glpk_internal_error.lp").c_str(), model.out()), 0);
  Model bystander;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), bystander.out()), 0);
  OutputCapture out(1);
  ASSERT_EQ(GRBoptimize(model.get()), 0);
  EXPECT_NE(out.finish().find("invalid scale factor"), std::string::npos);
  EXPECT_EQ(status_of(model.get()), GRB_NUMERIC);
  double value = 0.0;
  EXPECT_EQ(GRBgetdblattr(model.get(), "ObjVal", &value), GRB_ERROR_DATA_NOT_AVAILABLE);
  EXPECT_EQ(GRBgetdblattr(model.get(), "Runtime", &value), 0);
  // Nothing is left to solve; the model stays as it was and frees cleanly.
  EXPECT_EQ(GRBoptimize(model.get()), 0);
  EXPECT_EQ(status_of(model.get()), GRB_NUMERIC);
  model.reset();
  // GLPK freed the other model's problem too: it can no longer be solved,
  // and freeing it leaves GLPK's new environment alone.
  EXPECT_EQ(GRBoptimize(bystander.get()), GRB_ERROR_DATA_NOT_AVAILABLE);
  EXPECT_NE(std::string(GRBgeterrormsg(bystander.env())).find("GLPK"), std::string::npos);
  EXPECT_EQ(status_of(bystander.get()), GRB_LOADED);
  bystander.reset();

  Model next;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), next.out()), 0);
  ASSERT_EQ(GRBoptimize(next.get()), 0);
  EXPECT_EQ(status_of(next.get()), GRB_OPTIMAL);
}

TEST(GurobiTimeLimit, WithoutASolution) {
  Env env;
  silence(env.get());
  ASSERT_EQ(GRBsetdblparam(env.get(), "TimeLimit", 0.2), 0);
  Model model;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("market_split_feasibility.lp").c_str(), model.out()),
            0);
  ASSERT_EQ(GRBoptimize(model.get()), 0);
  EXPECT_EQ(status_of(model.get()), GRB_TIME_LIMIT);
  double value = 0.0;
  EXPECT_EQ(GRBgetdblattr(model.get(), "ObjVal", &value), GRB_ERROR_DATA_NOT_AVAILABLE);
  ASSERT_EQ(GRBgetdblattr(model.get(), "Runtime", &value), 0);
  EXPECT_GE(value, 0.15);
  EXPECT_LT(value, 2.0);
}

TEST(GurobiTimeLimit, WithTheBestSolutionFound) {
  Env env;
  silence(env.get());
  ASSERT_EQ(GRBsetdblparam(env.get(), "TimeLimit", 0.5), 0);
  Model model;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("market_split_slack.lp").c_str(), model.out()), 0);
  ASSERT_EQ(GRBoptimize(model.get()), 0);
  EXPECT_EQ(status_of(model.get()), GRB_TIME_LIMIT);
  double objective = 0.0;
  ASSERT_EQ(GRBgetdblattr(model.get(), "ObjVal", &objective), 0);
  EXPECT_GT(objective, 0.0);
}

TEST(GurobiOutput, LogOfReadAndSolves) {
  Env env;
  Model model;
  OutputCapture out(1);
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), model.out()), 0);
  ASSERT_EQ(GRBoptimize(model.get()), 0);
  ASSERT_EQ(GRBoptimize(model.get()), 0);
  const std::string text = out.finish();
  EXPECT_EQ(text.rfind("Read LP format model from file " + data_file("decimals.lp") + "\n" +
                           "decimals: 3 rows, 5 columns, 10 nonzeros\n",
                       0),
            0u)
      << text;
  EXPECT_EQ(count_of(text, "stand-in"), 2) << text;  // once per solve
  EXPECT_EQ(count_of(text, std::string("GLPK ") + glp_version()), 2) << text;
  EXPECT_EQ(count_of(text, "Optimal solution found\nBest objective 3.112500000000e+01\n"), 2)
      << text;
}

TEST(GurobiOutput, OutputFlagZeroPrintsNothing) {
  for (const char* file :
       {"decimals.lp", "unbounded_mip.lp", "market_split_slack.lp", "infeasible_lp.lp"}) {
    Env env;
    OutputCapture out(1);
    silence(env.get());
    ASSERT_EQ(GRBsetdblparam(env.get(), "TimeLimit", 0.2), 0);
    Model model;
    ASSERT_EQ(GRBreadmodel(env.get(), data_file(file).c_str(), model.out()), 0);
    ASSERT_EQ(GRBoptimize(model.get()), 0);
    EXPECT_EQ(out.finish(), "") << file;
  }
}

// Each call must leave GLPK's terminal output as it found it: on or off
// (the second parameter), and without a terminal hook of ours left installed.
class GurobiGlpkState : public ::testing::TestWithParam<std::tuple<int, int>> {
 protected:
  void check(const char* what, const std::function<void()>& call) {
    const int state = std::get<1>(GetParam());
    glp_term_out(state);
    {
      OutputCapture out(1);
      call();
    }
    EXPECT_EQ(standin_test::glpk_term_out_on(), state == GLP_ON) << what;
    EXPECT_TRUE(standin_test::glpk_messages_reach_stdout()) << what;
  }
  void TearDown() override { glp_term_out(GLP_ON); }
};

TEST_P(GurobiGlpkState, EveryCallLeavesGlpkOutputAsFound) {
  GRBenv* env = nullptr;
  GRBmodel* model = nullptr;
  check("GRBloadenvadv", [&] { ASSERT_EQ(load(&env), 0); });
  ASSERT_NE(env, nullptr);
  check("GRBsetintparam", [&] { GRBsetintparam(env, "OutputFlag", std::get<0>(GetParam())); });
  check("GRBsetdblparam", [&] { GRBsetdblparam(env, "TimeLimit", 30.0); });
  check("GRBstartenv", [&] { GRBstartenv(env); });
  check("GRBreadmodel missing", [&] { GRBreadmodel(env, "/nonexistent/model.lp", &model); });
  check("GRBreadmodel broken",
        [&] { GRBreadmodel(env, data_file("syntax_error.lp").c_str(), &model); });
  check("GRBreadmodel", [&] { GRBreadmodel(env, data_file("unbounded_mip.lp").c_str(), &model); });
  ASSERT_NE(model, nullptr);
  check("GRBupdatemodel", [&] { GRBupdatemodel(model); });
  check("GRBoptimize", [&] { GRBoptimize(model); });
  check("attributes", [&] {
    int status = 0;
    double value = 0.0;
    GRBgetintattr(model, "Status", &status);
    GRBgetdblattr(model, "ObjVal", &value);
    GRBgetdblattr(model, "Runtime", &value);
    GRBgeterrormsg(GRBgetenv(model));
  });
  check("GRBfreemodel", [&] { GRBfreemodel(model); });
  check("GRBfreeenv", [&] { GRBfreeenv(env); });
}

INSTANTIATE_TEST_SUITE_P(Output, GurobiGlpkState,
                         ::testing::Combine(::testing::Values(0, 1),
                                            ::testing::Values(GLP_ON, GLP_OFF)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
                           return std::string(std::get<0>(info.param) == 0 ? "Silenced"
                                                                           : "Talking") +
                                  (std::get<1>(info.param) == GLP_ON ? "GlpkOn" : "GlpkOff");
                         });

TEST(GurobiNullArguments, ErrorsInsteadOfCrashes) {
  int status = 0;
  double value = 0.0;
  EXPECT_EQ(load(nullptr), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBsetintparam(nullptr, "OutputFlag", 0), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBsetdblparam(nullptr, "TimeLimit", 1.0), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBstartenv(nullptr), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBgetenv(nullptr), nullptr);
  EXPECT_EQ(GRBgetintattr(nullptr, "Status", &status), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBgetdblattr(nullptr, "ObjVal", &value), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBupdatemodel(nullptr), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBoptimize(nullptr), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_EQ(GRBfreemodel(nullptr), GRB_ERROR_NULL_ARGUMENT);
  EXPECT_NE(GRBgeterrormsg(nullptr), nullptr);
  GRBfreeenv(nullptr);
}

class GurobiControl : public ::testing::Test {
 protected:
  void SetUp() override { GRBstandin_reset(); }
  void TearDown() override { GRBstandin_reset(); }

  static std::vector<std::pair<std::string, void*>> recorded() {
    std::vector<std::pair<std::string, void*>> calls;
    for (int i = 0; i < GRBstandin_callcount(); ++i) {
      calls.emplace_back(GRBstandin_callname(i), GRBstandin_callhandle(i));
    }
    return calls;
  }
};

TEST_F(GurobiControl, OnlyFunctionsReturningErrorCodesCanFail) {
  for (const char* name :
       {"GRBloadenvadv", "GRBsetintparam", "GRBsetdblparam", "GRBstartenv", "GRBreadmodel",
        "GRBgetintattr", "GRBgetdblattr", "GRBupdatemodel", "GRBoptimize", "GRBfreemodel"}) {
    EXPECT_EQ(GRBstandin_failnext(name, 10009, "no license"), 0) << name;
  }
  GRBstandin_reset();
  for (const char* name : {"GRBfreeenv", "GRBgetenv", "GRBgeterrormsg", "GRBOptimize", "",
                           static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(GRBstandin_failnext(name, 10009, "no license"), GRB_ERROR_INVALID_ARGUMENT)
        << (name != nullptr ? name : "NULL");
  }
  EXPECT_EQ(GRBstandin_failnext("GRBoptimize", 0, "not an error"), GRB_ERROR_INVALID_ARGUMENT);
  Env env;
  EXPECT_EQ(env.rc(), 0);
}

TEST_F(GurobiControl, FailedLoadKeepsTheMessageOnTheNewEnvironment) {
  ASSERT_EQ(GRBstandin_failnext("GRBloadenvadv", 10009, "No Gurobi license found"), 0);
  Env env;
  EXPECT_EQ(env.rc(), 10009);
  ASSERT_NE(env.get(), nullptr);
  EXPECT_EQ(env.error(), "No Gurobi license found");
  EXPECT_EQ(Env().rc(), 0);  // only once
}

TEST_F(GurobiControl, FailedReadStoresTheMessageOnThePassedEnvironment) {
  Env env;
  silence(env.get());
  ASSERT_EQ(GRBstandin_failnext("GRBreadmodel", GRB_ERROR_FILE_READ, "disk on fire"), 0);
  Model model;
  EXPECT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), model.out()),
            GRB_ERROR_FILE_READ);
  EXPECT_EQ(model.get(), nullptr);
  EXPECT_EQ(env.error(), "disk on fire");
  EXPECT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), model.out()), 0);
}

TEST_F(GurobiControl, FailedModelCallsStoreTheMessageOnTheModelsEnvironment) {
  Env env;
  silence(env.get());
  Model model;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), model.out()), 0);
  ASSERT_EQ(GRBstandin_failnext("GRBoptimize", 10001, "Out of memory"), 0);
  EXPECT_EQ(GRBoptimize(model.get()), 10001);
  EXPECT_STREQ(GRBgeterrormsg(model.env()), "Out of memory");
  EXPECT_EQ(env.error(), "");
  EXPECT_EQ(status_of(model.get()), GRB_LOADED);  // the failed call did not solve

  ASSERT_EQ(GRBstandin_failnext("GRBgetdblattr", GRB_ERROR_DATA_NOT_AVAILABLE, nullptr), 0);
  double value = 0.0;
  EXPECT_EQ(GRBgetdblattr(model.get(), "Runtime", &value), GRB_ERROR_DATA_NOT_AVAILABLE);
  EXPECT_NE(std::string(GRBgeterrormsg(model.env())).find("GRBgetdblattr"), std::string::npos);

  EXPECT_EQ(GRBoptimize(model.get()), 0);
  EXPECT_EQ(status_of(model.get()), GRB_OPTIMAL);
}

TEST_F(GurobiControl, FailedEnvironmentCallsStoreTheMessageOnThatEnvironment) {
  Env env;
  ASSERT_EQ(GRBstandin_failnext("GRBsetintparam", GRB_ERROR_INVALID_ARGUMENT, "bad flag"), 0);
  EXPECT_EQ(GRBsetintparam(env.get(), "OutputFlag", 0), GRB_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(env.error(), "bad flag");
  ASSERT_EQ(GRBstandin_failnext("GRBstartenv", 10009, "license expired"), 0);
  EXPECT_EQ(GRBstartenv(env.get()), 10009);
  EXPECT_EQ(env.error(), "license expired");
}

TEST_F(GurobiControl, FailedFreeFreesNothing) {
  Env env;
  silence(env.get());
  GRBmodel* model = nullptr;
  ASSERT_EQ(GRBreadmodel(env.get(), data_file("decimals.lp").c_str(), &model), 0);
  ASSERT_EQ(GRBstandin_failnext("GRBfreemodel", GRB_ERROR_INVALID_ARGUMENT, "cannot free"), 0);
  EXPECT_EQ(GRBfreemodel(model), GRB_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(GRBoptimize(model), 0);  // still there
  EXPECT_EQ(GRBfreemodel(model), 0);
}

TEST_F(GurobiControl, RecordsCallsWithTheirHandles) {
  GRBstandin_record(1);
  GRBenv* env = nullptr;
  GRBmodel* model = nullptr;
  ASSERT_EQ(load(&env), 0);
  GRBstartenv(env);
  GRBsetintparam(env, "OutputFlag", 0);
  GRBsetdblparam(env, "TimeLimit", 10.0);
  ASSERT_EQ(GRBreadmodel(env, data_file("decimals.lp").c_str(), &model), 0);
  GRBenv* model_env = GRBgetenv(model);
  GRBupdatemodel(model);
  GRBoptimize(model);
  int status = 0;
  double value = 0.0;
  GRBgetintattr(model, "Status", &status);
  GRBgetdblattr(model, "ObjVal", &value);
  GRBgeterrormsg(model_env);
  GRBfreemodel(model);
  GRBfreeenv(env);
  using Call = std::pair<std::string, void*>;
  EXPECT_EQ(recorded(), (std::vector<Call>{{"GRBloadenvadv", env},
                                           {"GRBstartenv", env},
                                           {"GRBsetintparam", env},
                                           {"GRBsetdblparam", env},
                                           {"GRBreadmodel", env},
                                           {"GRBgetenv", model},
                                           {"GRBupdatemodel", model},
                                           {"GRBoptimize", model},
                                           {"GRBgetintattr", model},
                                           {"GRBgetdblattr", model},
                                           {"GRBgeterrormsg", model_env},
                                           {"GRBfreemodel", model},
                                           {"GRBfreeenv", env}}));
  EXPECT_EQ(GRBstandin_callname(GRBstandin_callcount()), nullptr);
  EXPECT_EQ(GRBstandin_callhandle(-1), nullptr);
}

TEST_F(GurobiControl, RecordsOnlyWhileAskedAndResetForgets) {
  GRBgetenv(nullptr);  // not recording yet
  GRBstandin_record(1);
  GRBgetenv(nullptr);
  GRBstandin_record(0);
  GRBupdatemodel(nullptr);
  ASSERT_EQ(GRBstandin_callcount(), 1);
  EXPECT_STREQ(GRBstandin_callname(0), "GRBgetenv");
  EXPECT_EQ(GRBstandin_callhandle(0), nullptr);
  GRBstandin_reset();
  EXPECT_EQ(GRBstandin_callcount(), 0);
  GRBgetenv(nullptr);  // reset also stops recording
  EXPECT_EQ(GRBstandin_callcount(), 0);
}
