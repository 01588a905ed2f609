// The Gurobi layer and runner against the stand-in's failure injection and
// call record.

#include <gtest/gtest.h>
#include <gurobi_c.h>
#include <gurobi_standin_control.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "solvers/outcome.h"
#include "program.h"
#include "results/rows.h"
#include "solvers/gurobi_client.h"
#include "solvers/gurobi_runner.h"
#include "solvers/runners.h"

namespace vardelmo {
namespace {

struct Call {
  std::string name;
  void* handle;
  bool operator==(const Call& other) const { return name == other.name && handle == other.handle; }
};

[[maybe_unused]] std::ostream& operator<<(std::ostream& out, const Call& call) {
  return out << call.name << "(" << call.handle << ")";
}

std::vector<Call> recorded() {
  std::vector<Call> calls;
  for (int i = 0; i < GRBstandin_callcount(); ++i)
    calls.push_back({GRBstandin_callname(i), GRBstandin_callhandle(i)});
  return calls;
}

std::vector<std::string> names(const std::vector<Call>& calls) {
  std::vector<std::string> result;
  for (const Call& call : calls) result.push_back(call.name);
  return result;
}

/// The environment of each GRBgeterrormsg call, in order.
std::vector<void*> error_text_sources() {
  std::vector<void*> handles;
  for (const Call& call : recorded())
    if (call.name == "GRBgeterrormsg") handles.push_back(call.handle);
  return handles;
}

const std::string kModel =
    (std::filesystem::path(VARDELMO_TEST_MODELS) / "opt" / "decimals.lp").string();

class GurobiLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    GRBstandin_reset();
    GRBstandin_record(1);
  }
  void TearDown() override { GRBstandin_reset(); }

  /// Runs `action`, which must raise, and returns what it raised.
  template <typename Action>
  GRBException raised(Action action) {
    try {
      action();
    } catch (const GRBException& error) {
      return error;
    }
    ADD_FAILURE() << "no GRBException";
    return GRBException("", 0);
  }
};

TEST_F(GurobiLayer, FailedCreationFreesTheEnvironmentBeforeRaising) {
  GRBstandin_failnext("GRBloadenvadv", 10009, "no licence here");
  GRBException error = raised([] { GurobiEnvironment::create_environment(); });
  EXPECT_EQ(error.getErrorCode(), 10009);
  EXPECT_EQ(error.getMessage(), "no licence here");
  std::vector<Call> calls = recorded();
  ASSERT_EQ(names(calls), (std::vector<std::string>{"GRBloadenvadv", "GRBgeterrormsg", "GRBfreeenv"}));
  EXPECT_EQ(calls[1].handle, calls[0].handle);
  EXPECT_EQ(calls[2].handle, calls[0].handle);
}

TEST_F(GurobiLayer, EnvironmentCallsTakeTheTextOfTheirOwnEnvironment) {
  GurobiEnvironment environment = GurobiEnvironment::create_environment();
  GRBstandin_failnext("GRBsetintparam", 10008, "flag out of range");
  GRBException error = raised([&] { environment.set_int_param(IntParameter::OutputFlag, 0); });
  EXPECT_EQ(error.getErrorCode(), 10008);
  EXPECT_EQ(error.getMessage(), "flag out of range");
  GRBstandin_failnext("GRBstartenv", 10003, "cannot start");
  EXPECT_EQ(raised([&] { environment.start(); }).getMessage(), "cannot start");
  EXPECT_EQ(error_text_sources(), std::vector<void*>(2, environment.handle()));
}

TEST_F(GurobiLayer, FailedReadTakesThePassedEnvironmentsTextAndFreesNoModel) {
  GurobiEnvironment environment = GurobiEnvironment::create_environment();
  GRBException error =
      raised([&] { GurobiModel::read_model(environment, "/nonexistent/model.lp"); });
  EXPECT_EQ(error.getErrorCode(), GRB_ERROR_FILE_READ);
  EXPECT_NE(error.getMessage().find("/nonexistent/model.lp"), std::string::npos) << error.getMessage();
  environment.release();
  std::vector<Call> calls = recorded();
  EXPECT_EQ(names(calls), (std::vector<std::string>{"GRBloadenvadv", "GRBreadmodel",
                                                    "GRBgeterrormsg", "GRBfreeenv"}));
  EXPECT_EQ(calls[2].handle, calls[0].handle);
}

TEST_F(GurobiLayer, ModelCallsTakeTheTextOfTheModelsOwnEnvironment) {
  GurobiEnvironment environment = GurobiEnvironment::create_environment();
  environment.set_int_param(IntParameter::OutputFlag, 0);
  GurobiModel model = GurobiModel::read_model(environment, kModel);
  GRBstandin_failnext("GRBoptimize", 10001, "solve failed");
  GRBException error = raised([&] { model.optimize(); });
  EXPECT_EQ(error.getErrorCode(), 10001);
  EXPECT_EQ(error.getMessage(), "solve failed");

  GurobiEnvironment view = model.model_environment();
  EXPECT_NE(view.handle(), environment.handle());
  GRBstandin_failnext("GRBsetdblparam", 10008, "limit refused");
  EXPECT_EQ(raised([&] { view.set_double_param(DoubleParameter::TimeLimit, 5); }).getMessage(),
            "limit refused");
  EXPECT_EQ(raised([&] { model.get_double_attr(DoubleAttribute::ObjVal); }).getErrorCode(),
            GRB_ERROR_DATA_NOT_AVAILABLE);
  EXPECT_EQ(error_text_sources(), std::vector<void*>(3, view.handle()));
}

TEST_F(GurobiLayer, ReleasingTheViewFreesNothingAndTheModelStaysUsable) {
  GurobiEnvironment environment = GurobiEnvironment::create_environment();
  environment.set_int_param(IntParameter::OutputFlag, 0);
  GurobiModel model = GurobiModel::read_model(environment, kModel);
  int before = GRBstandin_callcount();
  {
    GurobiEnvironment view = model.model_environment();
    view.release();
  }
  EXPECT_EQ(GRBstandin_callcount(), before);
  model.optimize();
  EXPECT_EQ(model.get_int_attr(IntAttribute::Status), GRB_OPTIMAL);
  EXPECT_DOUBLE_EQ(model.get_double_attr(DoubleAttribute::ObjVal), 31.3375);
  // optimize brings the model up to date first.
  std::vector<std::string> calls = names(recorded());
  EXPECT_EQ(std::vector<std::string>(calls.begin() + before, calls.begin() + before + 2),
            (std::vector<std::string>{"GRBupdatemodel", "GRBoptimize"}));
}

class GurobiRunner : public GurobiLayer {
 protected:
  // The model's row.
  std::string run(const std::string& path, const std::string& solution_path = {}) {
    testing::internal::CaptureStdout();
    std::string row;
    try {
      row = result_row(run_gurobi_model({path, solution_path}, settings));
    } catch (...) {
      output = testing::internal::GetCapturedStdout();
      throw;
    }
    output = testing::internal::GetCapturedStdout();
    return row;
  }
  static std::size_t position(const std::vector<std::string>& calls, const std::string& name) {
    return std::find(calls.begin(), calls.end(), name) - calls.begin();
  }
  SolveSettings settings;
  std::string output;
};

TEST_F(GurobiRunner, DefaultsSetNeitherParameter) {
  settings.verbose = true;
  settings.time_limit = 0;
  EXPECT_EQ(run(kModel).rfind("decimals.lp;", 0), 0u);
  std::vector<std::string> calls = names(recorded());
  EXPECT_EQ(position(calls, "GRBsetintparam"), calls.size());
  EXPECT_EQ(position(calls, "GRBsetdblparam"), calls.size());
}

TEST_F(GurobiRunner, OutputFlagBeforeStartAndReadTimeLimitOnTheModelsEnvironmentAfter) {
  settings.time_limit = 30;
  (void)run(kModel);
  std::vector<Call> calls = recorded();
  std::vector<std::string> order = names(calls);
  EXPECT_LT(position(order, "GRBsetintparam"), position(order, "GRBstartenv"));
  EXPECT_LT(position(order, "GRBstartenv"), position(order, "GRBreadmodel"));
  std::size_t limit = position(order, "GRBsetdblparam");
  ASSERT_LT(limit, order.size());
  EXPECT_LT(position(order, "GRBreadmodel"), limit);
  EXPECT_LT(limit, position(order, "GRBoptimize"));
  EXPECT_NE(calls[limit].handle, calls[0].handle);  // not the environment it created
  EXPECT_EQ(output.substr(0, 28), "Optimal objective: 31.3375\nT");
}

// The soft limit ends a solve with a status; in Gurobi's GB of 10^9 bytes. A
// solve that runs out of memory all the same failed.
TEST_F(GurobiRunner, MemoryLimitInGigabytesAndASolveOutOfMemoryFails) {
  settings.verbose = true;
  settings.mem_limit = 100;
  (void)run(kModel);
  EXPECT_NE(output.find("Set parameter SoftMemLimit to value 0.1048576\n"), std::string::npos)
      << output;

  GRBstandin_failnext("GRBoptimize", GRB_ERROR_OUT_OF_MEMORY, "Out of memory");
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  const RunResult failed = find_runner("GUROBI").run({kModel, ""}, settings);
  output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Erro do Gurobi (código 10001): Out of memory\n");
  EXPECT_TRUE(std::regex_search(
      output,
      std::regex("(^|\n)NOME: decimals\\.lp\nTEMPO: [-+.e0-9]+\nSTATUS: ERRO NO SOLVER\n$")))
      << output;
  ASSERT_TRUE(failed);
  EXPECT_TRUE(std::regex_match(result_row(*failed),
                               std::regex("decimals\\.lp;[0-9.,]+;ERRO NO SOLVER;;")))
      << result_row(*failed);
}

TEST_F(GurobiRunner, ModelGoesBeforeEnvironmentOnEveryPath) {
  settings.time_limit = 10;
  test::TempFolder folder;
  for (const char* failing : {"", "GRBsetdblparam", "GRBoptimize", "GRBgetintattr", "GRBgetdblattr",
                              "GRBgetdblattrarray", "GRBgetstrattrelement"}) {
    GRBstandin_reset();
    GRBstandin_record(1);
    if (*failing != '\0') GRBstandin_failnext(failing, 10003, "injected");
    bool raised_error = false;
    try {
      (void)run(kModel, folder / "decimals.sol");
    } catch (const GRBException& error) {
      raised_error = true;
      EXPECT_EQ(error.getErrorCode(), 10003) << failing;
      EXPECT_EQ(error.getMessage(), "injected") << failing;
    }
    EXPECT_EQ(raised_error, *failing != '\0') << failing;
    // Every value is read before the block: a failure leaves none half printed.
    EXPECT_EQ(output.find("NOME: ") == std::string::npos, raised_error) << failing;
    std::vector<std::string> calls = names(recorded());
    std::size_t model_freed = position(calls, "GRBfreemodel");
    ASSERT_LT(model_freed, calls.size()) << failing;
    EXPECT_LT(model_freed, position(calls, "GRBfreeenv")) << failing;
    EXPECT_EQ(calls.back(), "GRBfreeenv") << failing;
  }
}

}  // namespace
}  // namespace vardelmo
