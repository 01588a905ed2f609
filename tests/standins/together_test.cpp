// Both stand-ins in one process, as in Vardelmo itself: each keeps its own
// copy of the engine, and neither disturbs the other or GLPK's state.
#include <glpk.h>
#include <gtest/gtest.h>

#include "gurobi_c.h"
#include "scip/scip.h"
#include "scip/scipdefplugins.h"
#include "support/standin_test_support.h"

using standin_test::data_file;

namespace {

// A silent SCIP instance holding the model at `path`.
SCIP* scip_with_model(const std::string& path) {
  SCIP* scip = nullptr;
  EXPECT_EQ(SCIPcreate(&scip), SCIP_OKAY);
  EXPECT_EQ(SCIPincludeDefaultPlugins(scip), SCIP_OKAY);
  EXPECT_EQ(SCIPsetMessagehdlr(scip, nullptr), SCIP_OKAY);
  EXPECT_EQ(SCIPreadProb(scip, path.c_str(), nullptr), SCIP_OKAY);
  return scip;
}

// A silent Gurobi environment.
GRBenv* quiet_gurobi_environment() {
  GRBenv* env = nullptr;
  EXPECT_EQ(GRBloadenvadv(&env, nullptr, 1, GRB_VERSION_MAJOR, GRB_VERSION_MINOR,
                          GRB_VERSION_TECHNICAL, nullptr, nullptr, nullptr, nullptr, 0, -1, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(GRBsetintparam(env, "OutputFlag", 0), 0);
  return env;
}

double solve_with_scip(const std::string& path) {
  SCIP* scip = scip_with_model(path);
  EXPECT_EQ(SCIPsolve(scip), SCIP_OKAY);
  EXPECT_EQ(SCIPgetStatus(scip), SCIP_STATUS_OPTIMAL);
  const double objective = SCIPgetPrimalbound(scip);
  EXPECT_EQ(SCIPfree(&scip), SCIP_OKAY);
  return objective;
}

double solve_with_gurobi(const std::string& path) {
  GRBenv* env = quiet_gurobi_environment();
  GRBmodel* model = nullptr;
  EXPECT_EQ(GRBreadmodel(env, path.c_str(), &model), 0);
  EXPECT_EQ(GRBoptimize(model), 0);
  int status = 0;
  double objective = 0.0;
  EXPECT_EQ(GRBgetintattr(model, "Status", &status), 0);
  EXPECT_EQ(status, GRB_OPTIMAL);
  EXPECT_EQ(GRBgetdblattr(model, "ObjVal", &objective), 0);
  EXPECT_EQ(GRBfreemodel(model), 0);
  GRBfreeenv(env);
  return objective;
}

}  // namespace

TEST(StandinsTogether, BothSolveInOneProcess) {
  glp_term_out(GLP_OFF);
  standin_test::OutputCapture out(1);
  EXPECT_EQ(solve_with_scip(data_file("decimals.lp")), 31.125);
  EXPECT_EQ(solve_with_gurobi(data_file("decimals.lp")), 31.125);
  EXPECT_EQ(out.finish(), "");
  EXPECT_FALSE(standin_test::glpk_term_out_on());
  glp_term_out(GLP_ON);
  EXPECT_TRUE(standin_test::glpk_messages_reach_stdout());
}

// A GLPK fault in one library frees the other's problems too: they fail
// cleanly and are never deleted twice.
TEST(StandinsTogether, AFaultInOneLeavesTheOthersProblemsInvalidNotFreedTwice) {
  glp_term_out(GLP_OFF);
  standin_test::OutputCapture out(1), err(2);
  SCIP* scip = scip_with_model(data_file("decimals.lp"));
  ASSERT_NE(scip, nullptr);

  GRBenv* env = quiet_gurobi_environment();
  ASSERT_NE(env, nullptr);
  GRBmodel* model = nullptr;
  ASSERT_EQ(GRBreadmodel(env, data_file("glpk_internal_error.lp").c_str(), &model), 0);
  EXPECT_EQ(GRBoptimize(model), 0);
  EXPECT_EQ(GRBfreemodel(model), 0);
  GRBfreeenv(env);

  EXPECT_EQ(SCIPsolve(scip), SCIP_LPERROR);
  EXPECT_EQ(SCIPfree(&scip), SCIP_OKAY);
  out.finish();
  err.finish();
  glp_term_out(GLP_ON);
}
