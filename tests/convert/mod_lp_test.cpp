#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "batch.h"
#include "lp_files.h"

namespace vardelmo::test {
namespace {

const std::string kFolderFound = "Pasta de .mod encontrada\n";
const std::string kTranslateError = "Erro ao tranformar modelo\n";
const std::string kGenerateError = "Erro ao gerar modelo\n";

// Decimals everywhere, so that a decimal comma anywhere in the process would
// break reading or writing them.
const std::string kTransportModel =
    "set I;\n"
    "set J;\n"
    "param oferta{I};\n"
    "param demanda{J};\n"
    "param custo{I, J};\n"
    "var x{I, J} >= 0, <= 1e3;\n"
    "var folga >= -2.5, <= 0.75;\n"
    "minimize total: sum{i in I, j in J} custo[i, j] * x[i, j] - 0.125 * folga;\n"
    "s.t. envio{i in I}: sum{j in J} x[i, j] <= oferta[i];\n"
    "s.t. entrega{j in J}: sum{i in I} x[i, j] + folga >= demanda[j];\n"
    "end;\n";
const std::string kTransportData =
    "data;\n"
    "set I := rio sp;\n"
    "set J := bh poa cwb;\n"
    "param oferta := rio 350.5 sp 600.25;\n"
    "param demanda := bh 325.75 poa 300 cwb 2.755e2;\n"
    "param custo : bh poa cwb :=\n"
    "  rio 2.5 1.7 1.8\n"
    "  sp 2.51 -1.8e-1 1.4;\n"
    "end;\n";
// Needs no data at all.
const std::string kSmallModel =
    "param limite := 4.5;\n"
    "var y{1..3} integer >= 0;\n"
    "maximize lucro: 1.5 * y[1] + 2.25 * y[2] + y[3];\n"
    "s.t. capacidade: 0.5 * y[1] + y[2] + 0.75 * y[3] <= limite;\n"
    "end;\n";

// GLPK's own progress lines, which the shell leaves on the console.
std::string start_reading(const std::string& section, const std::string& file) {
  return "Reading " + section + " section from " + file + "...\n";
}
std::string lines_read(int lines) { return std::to_string(lines) + " lines were read\n"; }
std::string reading_model(const std::string& model, int lines) {
  return start_reading("model", model) + lines_read(lines);
}
std::string reading_data(const std::string& data, int lines) {
  return start_reading("data", data) + lines_read(lines);
}
std::string generating(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += "Generating " + name + "...\n";
  return text + "Model has been successfully generated\n";
}
// The line count is that of the file written; a relative `lp` lies in `workdir`.
std::string writing(const std::string& lp, const fs::path& workdir = {}) {
  const std::string content = read_file(workdir / lp);
  return "Writing problem data to '" + lp + "'...\n" +
         std::to_string(std::count(content.begin(), content.end(), '\n')) + " lines were written\n";
}

// What GLPK prints while converting kSmallModel from `stem` + "mod".
std::string small_model_output(const std::string& stem, const fs::path& workdir = {}) {
  return reading_model(stem + "mod", 5) + generating({"lucro", "capacidade"}) +
         writing(stem + "lp", workdir);
}
// The same for kTransportModel with kTransportData.
std::string transport_output(const std::string& stem) {
  return reading_model(stem + "mod", 11) + reading_data(stem + "dat", 9) +
         generating({"total", "envio", "entrega"}) + writing(stem + "lp");
}

// Standard output of one `mod_lp` run over `names`: every entry gets its
// header, and each model what GLPK prints for it.
std::string run_output(const std::vector<std::string>& names,
                       const std::map<std::string, std::string>& glpk) {
  std::string text = kAskModFolder + kFolderFound;
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += std::string(60, '-') + "\nModelo " + std::to_string(i) + " gerado\n";
    if (auto found = glpk.find(names[i]); found != glpk.end()) text += found->second;
  }
  return text + "\n\n";
}

// Standard error of the same run: the shell's messages in entry order.
std::string run_errors(const std::vector<std::string>& names,
                       const std::map<std::string, std::string>& messages) {
  std::string text;
  for (const std::string& name : names)
    if (auto found = messages.find(name); found != messages.end()) text += found->second;
  return text;
}

std::string session(const std::string& command_output) {
  return kBanner + kPrompt + command_output + kPrompt + kBye;
}

ProcessResult convert_folder(const std::string& folder) {
  return run_vardelmo("mod_lp\n" + folder + "\nexit\n");
}

using ModLp = BatchTest;

TEST_F(ModLp, ConvertsEveryModelOfTheFolderAsGlpsolDoes) {
  write_file(models.path() / "transporte.mod", kTransportModel);
  write_file(models.path() / "transporte.dat", kTransportData);
  write_file(models.path() / "transporte.lp", "antigo\n");
  write_file(models.path() / "pequeno.mod", kSmallModel);
  write_file(models.path() / "notas.txt", "nada\n");
  const std::vector<std::string> names = listing_order(models.path());

  ProcessResult r = convert_folder(models.path().string());

  EXPECT_EQ(r.out,
            session(run_output(names, {{"transporte.mod", transport_output(models / "transporte.")},
                                       {"pequeno.mod", small_model_output(models / "pequeno.")}})));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lp_problem(models / "transporte.lp"),
            glpsol_problem(models / "transporte.mod", models / "transporte.dat"));
  EXPECT_EQ(lp_problem(models / "pequeno.lp"), glpsol_problem(models / "pequeno.mod"));
}

TEST_F(ModLp, SecondRunListsTheLpFilesOfTheFirstAsMereEntries) {
  write_file(models.path() / "pequeno.mod", kSmallModel);
  const std::string folder = models.path().string();

  ProcessResult r = run_vardelmo("mod_lp\n" + folder + "\nmod_lp\n" + folder + "\nexit\n");

  const std::string glpk = small_model_output(models / "pequeno.");
  EXPECT_EQ(r.out, kBanner + kPrompt + run_output({"pequeno.mod"}, {{"pequeno.mod", glpk}}) +
                       kPrompt +
                       run_output(listing_order(models.path()), {{"pequeno.mod", glpk}}) +
                       kPrompt + kBye);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(lp_problem(models / "pequeno.lp"), glpsol_problem(models / "pequeno.mod"));
}

TEST_F(ModLp, RelativeFolderIsTakenFromTheWorkingFolder) {
  fs::create_directory(work.path() / "modelos");
  write_file(work.path() / "modelos" / "pequeno.mod", kSmallModel);

  ProcessResult r = run_vardelmo("mod_lp\nmodelos\nexit\n", work.path());

  EXPECT_EQ(r.out, session(run_output(
                       {"pequeno.mod"},
                       {{"pequeno.mod",
                         small_model_output("modelos" + kPathSeparator + "pequeno.", work.path())}})));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(lp_problem(work / "modelos/pequeno.lp"), glpsol_problem(work / "modelos/pequeno.mod"));
}

// Data for p inside the model, for q in a data file.
const std::string kModelWithDataSection =
    "param p;\n"
    "param q;\n"
    "var x >= p, <= q;\n"
    "minimize z: x;\n"
    "data;\n"
    "param p := 2.5;\n"
    "end;\n";

TEST_F(ModLp, DataSectionOfTheModelIsReadOnlyWithADataFileBesideIt) {
  TempFolder alone;
  write_file(alone.path() / "interno.mod", kModelWithDataSection);
  const std::string model = alone / "interno.mod";

  ProcessResult r = convert_folder(alone.path().string());

  EXPECT_EQ(r.out, session(run_output({"interno.mod"},
                                      {{"interno.mod", start_reading("model", model) + model +
                                                           ":5: warning: data section ignored\n" +
                                                           lines_read(5) + "Generating z...\n" +
                                                           model + ":4: no value for p\n"}})));
  EXPECT_EQ(r.err, kGenerateError);
  EXPECT_FALSE(fs::exists(alone.path() / "interno.lp"));

  TempFolder with_data;
  write_file(with_data.path() / "interno.mod", kModelWithDataSection);
  write_file(with_data.path() / "interno.dat", "data;\nparam q := 7.25;\nend;\n");
  const std::vector<std::string> names = listing_order(with_data.path());
  const std::string both = with_data / "interno.mod";

  r = convert_folder(with_data.path().string());

  EXPECT_EQ(
      r.out,
      session(run_output(
          names, {{"interno.mod", start_reading("model", both) + start_reading("data", both) +
                                      lines_read(7) + reading_data(with_data / "interno.dat", 3) +
                                      generating({"z"}) + writing(with_data / "interno.lp")}})));
  EXPECT_EQ(r.err, "");
  // glpsol skips a model's data section whenever it is given a data file, so
  // its reference is the model with both values inside.
  write_file(alone.path() / "junto.mod",
             "param p;\nparam q;\nvar x >= p, <= q;\nminimize z: x;\n"
             "data;\nparam p := 2.5;\nparam q := 7.25;\nend;\n");
  EXPECT_EQ(lp_problem(with_data / "interno.lp"), glpsol_problem(alone / "junto.mod"));
}

TEST_F(ModLp, OnlyAReadableFileIsTakenAsData) {
  write_file(models.path() / "pequeno.mod", kSmallModel);
  fs::create_directory(models.path() / "pequeno.dat");
  const std::vector<std::string> names = listing_order(models.path());

  ProcessResult r = convert_folder(models.path().string());

  EXPECT_EQ(r.out,
            session(run_output(names, {{"pequeno.mod", small_model_output(models / "pequeno.")}})));
  EXPECT_EQ(r.err, "");
}

TEST_F(ModLp, TranslationErrorSkipsTheRestOfThatModelOnly) {
  // Reading this data file would show in GLPK's lines.
  write_file(models.path() / "sintaxe.mod", "var x >= 0;\nminimize z: x;\ns.t. c: x >= ;\nend;\n");
  write_file(models.path() / "sintaxe.dat", "data;\nend;\n");
  write_file(models.path() / "dados.mod", "param q;\nvar y >= q;\nminimize z: y;\nend;\n");
  write_file(models.path() / "dados.dat", "data;\nparam q := um;\nend;\n");
  write_file(models.path() / "pequeno.mod", kSmallModel);
  const std::vector<std::string> names = listing_order(models.path());
  const std::string syntax = models / "sintaxe.mod";
  const std::string data = models / "dados.dat";

  ProcessResult r = convert_folder(models.path().string());

  EXPECT_EQ(r.out,
            session(run_output(
                names, {{"sintaxe.mod", start_reading("model", syntax) + syntax +
                                            ":3: syntax error in expression\n"
                                            "Context:                var x >= 0 ; minimize z : x ; "
                                            "s.t. c : x >= ;\n"},
                        {"dados.mod", reading_model(models / "dados.mod", 4) +
                                          start_reading("data", data) + data +
                                          ":2: q requires numeric data\n"
                                          "Context:                                         data ; "
                                          "param q := um\n"},
                        {"pequeno.mod", small_model_output(models / "pequeno.")}})));
  EXPECT_EQ(r.err,
            run_errors(names, {{"sintaxe.mod", kTranslateError}, {"dados.mod", kTranslateError}}));
  EXPECT_FALSE(fs::exists(models.path() / "sintaxe.lp"));
  EXPECT_FALSE(fs::exists(models.path() / "dados.lp"));
  EXPECT_EQ(lp_problem(models / "pequeno.lp"), glpsol_problem(models / "pequeno.mod"));
}

TEST_F(ModLp, LpPathThatCannotBeWrittenIsReported) {
  write_file(models.path() / "pasta.mod", kSmallModel);
  fs::create_directory(models.path() / "pasta.lp");
  write_file(models.path() / "pequeno.mod", kSmallModel);
  const std::vector<std::string> names = listing_order(models.path());
  const std::string blocked = models / "pasta.lp";
  const std::string reason = folder_as_file_reason();

  ProcessResult r = convert_folder(models.path().string());

  EXPECT_EQ(r.out,
            session(run_output(names, {{"pasta.mod", reading_model(models / "pasta.mod", 5) +
                                                         generating({"lucro", "capacidade"}) +
                                                         "Writing problem data to '" + blocked +
                                                         "'...\nUnable to create '" + blocked +
                                                         "' - " + reason + "\n"},
                                       {"pequeno.mod", small_model_output(models / "pequeno.")}})));
  EXPECT_EQ(r.err, kWriteError);
  EXPECT_TRUE(fs::is_directory(blocked));
}

TEST_F(ModLp, ModelNamesEndInLowerCaseModDotOrNot) {
  write_file(models.path() / "GRANDE.MOD", kSmallModel);
  write_file(models.path() / "misto.Mod", kSmallModel);
  write_file(models.path() / "transportemod", kTransportModel);
  write_file(models.path() / "transportedat", kTransportData);
  const std::vector<std::string> names = listing_order(models.path());

  ProcessResult r = convert_folder(models.path().string());

  EXPECT_EQ(r.out, session(run_output(
                       names, {{"transportemod", transport_output(models / "transporte")}})));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(lp_problem(models / "transportelp"),
            glpsol_problem(models / "transportemod", models / "transportedat"));
  EXPECT_EQ(listing_order(models.path()).size(), names.size() + 1);
}

TEST_F(ModLp, EmptyFolderGivesTheFrameOnly) {
  ProcessResult r = convert_folder(models.path().string());
  EXPECT_EQ(r.out, session(kAskModFolder + kFolderFound + "\n\n"));
  EXPECT_EQ(r.err, "");
}

TEST_F(ModLp, AnswerThatNamesNoFolderEndsTheCommand) {
  write_file(models.path() / "pequeno.mod", kSmallModel);
  for (const std::string& answer : {models / "falta", models / "pequeno.mod", std::string()}) {
    ProcessResult r = convert_folder(answer);
    EXPECT_EQ(r.out, session(kAskModFolder + kNoModFolder)) << answer;
    EXPECT_EQ(r.err, "") << answer;
    EXPECT_EQ(r.status, 0) << answer;
  }
  EXPECT_FALSE(fs::exists(models.path() / "pequeno.lp"));
}

TEST_F(ModLp, AnswerCutShortByEndOfInputConvertsNothing) {
  write_file(work.path() / "pequeno.mod", kSmallModel);
  ProcessResult r = run_vardelmo("mod_lp\n", work.path());
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskModFolder + kPrompt + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(fs::exists(work.path() / "pequeno.lp"));
}

// What mod_lp writes is what opt solves: both solvers reach the optima that
// glpsol finds for the MathProg models themselves (1138.46625 and 13.5).
TEST_F(ModLp, ConvertedModelsSolveToGlpsolsOptimaWithBothSolvers) {
  place_gurobi_library(work.path());
  write_file(models.path() / "transporte.mod", kTransportModel);
  write_file(models.path() / "transporte.dat", kTransportData);
  write_file(models.path() / "pequeno.mod", kSmallModel);
  for (const std::string solver : {"SCIP", "GUROBI"}) {
    ProcessResult r = run_opt("mod_lp\n" + models.path().string() + "\nsolver\n" + solver + "\n");
    EXPECT_EQ(r.err, "") << solver;
    const std::string file = csv();
    std::vector<std::string> rows;
    for (std::size_t start = file.find('\n') + 1, end;
         (end = file.find('\n', start)) != std::string::npos; start = end + 1) {
      std::string row = file.substr(start, end - start);
      // The time is the one field no test can know.
      std::size_t time = row.find(';', row.find(';') + 1);
      rows.push_back(row.substr(0, time) + row.substr(row.find(';', time + 1)));
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{solver + ";pequeno.lp;SOL OTIMA;13,500000;",
                                              solver + ";transporte.lp;SOL OTIMA;1138,466250;"}))
        << file;
  }
}

}  // namespace
}  // namespace vardelmo::test
