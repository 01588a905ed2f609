// `opt` end to end through the binary after `solver` chose Gurobi.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "batch.h"

namespace vardelmo::test {
namespace {

class GurobiOpt : public BatchTest {
 protected:
  void SetUp() override { place_gurobi_library(work.path()); }
  ProcessResult run(const std::string& settings = "") {
    return run_opt("solver\nGUROBI\n" + settings);
  }
  /// Standard output from the first model header to the prompt after the batch.
  static std::string batch_part(const std::string& out) {
    const std::size_t ask = out.find(kAskOutput);
    if (ask == std::string::npos) {
      ADD_FAILURE() << "no question for the output folder in:\n" << out;
      return out;
    }
    const std::size_t begin = ask + kAskOutput.size();
    return out.substr(begin, out.rfind(kPrompt) - begin);
  }
};

TEST_F(GurobiOpt, OptimalModelPrintsItsOwnLinesBeforeTheBlock) {
  copy_model("decimals.lp", models.path());
  ProcessResult r = run();
  EXPECT_EQ(mask_times(batch_part(r.out)),
            model_header(0) + "Optimal objective: 31.3375\nTime: T\n" +
                model_block("decimals.lp", "SOL OTIMA"));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(mask_times(csv()), results_file({"GUROBI;decimals.lp;T;SOL OTIMA;31,337500;"}));
}

TEST_F(GurobiOpt, ModelsWithoutSolutionKeepTheirStatusAndAnEmptyObjective) {
  copy_model("infeasible.lp", models.path());
  copy_model("unbounded.lp", models.path());
  ProcessResult r = run();
  std::string expected_out;
  std::vector<std::string> rows;
  int i = 0;
  for (const std::string& name : listing_order(models.path())) {
    expected_out += model_header(i++);
    if (name == "infeasible.lp") {
      expected_out += "Model is infeasible\n" + model_block(name, "PROBLEMA INFACTIVEL");
      rows.push_back("GUROBI;infeasible.lp;T;PROBLEMA INFACTIVEL;;");
    } else {
      expected_out += model_block(name, "PROBLEMA ILIMITADO");
      rows.push_back("GUROBI;unbounded.lp;T;PROBLEMA ILIMITADO;;");
    }
  }
  EXPECT_EQ(mask_times(batch_part(r.out)), expected_out);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(mask_times(csv()), results_file(rows));
}

TEST_F(GurobiOpt, TimeLimitStopsAModel) {
  write_file(models.path() / "hard.lp", hard_model());
  ProcessResult r = run("time_limit\n0,5\n");
  EXPECT_EQ(mask_times(batch_part(r.out)),
            model_header(0) + model_block("hard.lp", "PROCESSO INTERROMPIDO - LIMITE DE TEMPO"));
  EXPECT_EQ(mask_times(csv()),
            results_file({"GUROBI;hard.lp;T;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;;"}));
}

TEST_F(GurobiOpt, PathsThatTheLibraryRefusesAreReportedAndTheBatchGoesOn) {
  write_file(models.path() / "help", "a file whose name ends in lp\n");
  fs::create_directory(models.path() / "folderlp");
  copy_model("decimals.lp", models.path());
  write_file(models.path() / "MODEL.LP", "Minimize\n obj: x\nEnd\n");
  ProcessResult r = run();

  std::string expected_out;
  int i = 0, refused = 0;
  for (const std::string& name : listing_order(models.path())) {
    expected_out += model_header(i++);
    if (name == "decimals.lp")
      expected_out += "Optimal objective: 31.3375\nTime: T\n" + model_block(name, "SOL OTIMA");
    if (name == "help" || name == "folderlp") ++refused;
  }
  EXPECT_EQ(mask_times(batch_part(r.out)), expected_out);
  std::regex refusal("Erro do Gurobi \\(código 10012\\): [^\n]*(help|folderlp)[^\n]*\n");
  EXPECT_EQ(std::distance(std::sregex_iterator(r.err.begin(), r.err.end(), refusal),
                          std::sregex_iterator()), refused) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), refused) << r.err;
  EXPECT_EQ(mask_times(csv()), results_file({"GUROBI;decimals.lp;T;SOL OTIMA;31,337500;"}));
}

TEST_F(GurobiOpt, LibraryThatDoesNotLoadStopsTheBatchBeforeAnyModel) {
  copy_model("decimals.lp", models.path());
  write_file(output.path() / "sol_stat.csv", "kept\n");
  const fs::path library = work.path() / kGurobiLibraryFile;
  const std::string message =
      "Não foi possível carregar a biblioteca do Gurobi " + library.string() + ": ";
  // No library at all, then a library without Gurobi's functions.
  for (const bool shared_library : {false, true}) {
    if (shared_library)
      fs::copy_file(VARDELMO_NOT_GUROBI_LIBRARY, library, fs::copy_options::overwrite_existing);
    else
      write_file(library, "no library\n");
    ProcessResult r = run();
    EXPECT_EQ(r.out.substr(r.out.rfind(kAskOutput)), kAskOutput + kPrompt + kBye);
    ASSERT_EQ(r.err.substr(0, message.size()), message);
    const std::string reason = r.err.substr(message.size());
    EXPECT_TRUE(reason.size() > 1 && reason.find('\n') == reason.size() - 1) << reason;
    if (shared_library) {
      EXPECT_NE(reason.find("GRBloadenvadv"), std::string::npos) << reason;
    }
    EXPECT_EQ(read_file(output.path() / "sol_stat.csv"), "kept\n");
  }
}

TEST_F(GurobiOpt, VerboseLeavesTheLibraryLogOn) {
  copy_model("decimals.lp", models.path());
  ProcessResult quiet = run();
  ProcessResult loud = run("verbose\ns\n");
  EXPECT_EQ(quiet.out.find("stand-in"), std::string::npos);
  std::size_t log = loud.out.find("stand-in");
  ASSERT_NE(log, std::string::npos) << loud.out;
  EXPECT_LT(log, loud.out.find("Optimal objective: 31.3375\n"));
}

// With their known optima beside them, one of them wrong, and each model's
// best solution kept.
TEST_F(GurobiOpt, ClassicInstancesReachTheirKnownOptima) {
  copy_classic_instances(models.path());
  write_classic_references(models.path());
  ProcessResult r = run("save_sol\ns\n");
  // The console's number form: six significant digits, exponent from 1e6.
  EXPECT_NE(r.out.find("Optimal objective: 1.2015e+06\n"), std::string::npos);
  EXPECT_NE(r.out.find("Optimal objective: 8.96641e+06\n"), std::string::npos);
  EXPECT_NE(r.out.find("Model is infeasible\nNOME: stein27_inf.lp\n"), std::string::npos);
  expect_classic_results(csv(), "GUROBI", "");
  expect_classic_references_and_solutions(*this, r);
}

// Every model format; SCIP's settings file stays SCIP's, Gurobi's own (a
// node limit of 1) reaches the workers too.
TEST_F(GurobiOpt, MpsAndGzipModelsAndItsOwnSettingsFile) {
  for (const char* name : {"egout.mps", "flugpl.mps.gz", "lseu.lp.gz", "formats.solu"})
    fs::copy_file(fs::path(VARDELMO_TESTDATA) / "formats" / name, models.path() / name);
  copy_model("bell5.lp", models.path());
  write_file(work.path() / "nodes.set", "limits/nodes = 1\n");
  write_file(work.path() / "nodes.prm", "# one node\nNodeLimit 1\n");
  ProcessResult r = run_opt("param_file\nnodes.set\nsolver\nGUROBI\n");
  EXPECT_EQ(mask_library_errors(r.err), "");
  const std::string details = read_text_file(output.path() / "sol_detalhes.csv");
  for (const char* name : {"bell5.lp", "egout.mps", "flugpl.mps.gz", "lseu.lp.gz"})
    EXPECT_TRUE(std::regex_search(details, std::regex(std::string("\nGUROBI;") + name +
                                                      ";[0-9,]+;SOL OTIMA;[^\n]*;SIM;\n")))
        << name << "\n" << details;

  r = run_opt("solver\nGUROBI\nparam_file\nmissing.prm\nparam_file\nnodes.prm\njobs\n2\n");
  EXPECT_NE(r.out.find("Digite o caminho do arquivo de parâmetros do GUROBI (vazio para nenhum)> "
                       "O arquivo de parâmetros não foi alterado.\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.err, "Erro do Gurobi (código 10003): Unable to read parameter file missing.prm\n");
  EXPECT_TRUE(std::regex_search(
      csv(), std::regex("\nGUROBI;bell5.lp;[0-9,]+;PROCESSO INTERROMPIDO - LIMITE DE NOS;")))
      << csv();
}

}  // namespace
}  // namespace vardelmo::test
