#include <gtest/gtest.h>

#include <tuple>

#include "program.h"

namespace vardelmo::test {
namespace {

const std::string kHelp =
    "\n"
    " opt            otimizar os modelos de uma pasta (arquivos .lp e .mps, também comprimidos com gzip)\n"
#ifdef VARDELMO_WITH_HIGHS
    " solver         altera o solver padrão (SCIP), opções - SCIP/GUROBI/HIGHS\n"
#else
    " solver         altera o solver padrão (SCIP), opções - SCIP/GUROBI\n"
#endif
    " time_limit     adicionar um tempo máximo (em segundos) para a execução dos modelos\n"
    " verbose        imprime log da otimização (s/n)\n"
    " jobs           número de modelos resolvidos ao mesmo tempo (padrão 1)\n"
    " cluster        enviar os modelos a um cluster Slurm (s/n, padrão n)\n"
    " save_sol       gravar a melhor solução de cada modelo na pasta de output (s/n, padrão n)\n"
    " resume         retomar o lote: pular os modelos que já têm resultado na pasta de output (s/n, padrão n)\n"
    " mem_limit      memória máxima por modelo em MB (0 = sem limite, padrão 0)\n"
    " param_file     arquivo de parâmetros do solver escolhido (um por solver, padrão nenhum)\n"
    " compare        comparar as pastas de resultados de vários lotes e gerar um relatório (csv e html)\n"
    " settings       mostrar os valores em vigor das configurações\n"
    " mod_lp         converter arquivos do formato mod para lp. Se os dados do modelo forem lidos de tabelas\n"
    "                o programa só funciona se o executável estiver na mesma pasta dos modelos.\n"
    " about          informações sobre o Vardelmo\n"
    " exit           finalizar Vardelmo\n"
    "\n";

TEST(Loop, StartsWithBannerAndPromptAndExitsWithStatusZero) {
  ProcessResult r = run_vardelmo("exit\nhelp\n");
  EXPECT_EQ(r.out, kBanner + kPrompt + kBye);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(Loop, LastLineWithoutLineFeedIsStillACommand) {
  ProcessResult r = run_vardelmo("help\nexit");
  EXPECT_EQ(r.out, kBanner + kPrompt + kHelp + kPrompt + kBye);
  EXPECT_EQ(r.status, 0);
}

TEST(Loop, EndOfInputEndsTheShellOnAFreshLine) {
  ProcessResult r = run_vardelmo("about\n");
  EXPECT_EQ(r.out, kBanner + kPrompt + kBanner + kPrompt + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);

  r = run_vardelmo("");
  EXPECT_EQ(r.out, kBanner + kPrompt + "\n");
  EXPECT_EQ(r.status, 0);
}

// A line one or two edits from one command only names it after the message.
TEST(Loop, OnlyTheWholeLineByteForByteIsACommand) {
  ProcessResult r = run_vardelmo(
      "EXIT\n exit\nexit \nhelp me\n\nHelp\nexit\r \notp\nsetings\nob\nx\nexit\n");
  std::string prompts;
  for (int i = 0; i < 12; ++i) prompts += kPrompt;
  EXPECT_EQ(r.out, kBanner + prompts + kBye);
  auto meant = [](const std::string& name) {
    return kUnknownCommand + "Você quis dizer '" + name + "'?\n";
  };
  EXPECT_EQ(r.err, kUnknownCommand + meant("exit") + meant("exit") + kUnknownCommand +
                       kUnknownCommand + meant("help") + meant("exit") + meant("opt") +
                       meant("settings") + kUnknownCommand + kUnknownCommand);
  EXPECT_EQ(r.status, 0);
}

// Text-mode input on Windows takes a CR LF as the line end; on Linux the CR
// is part of the line.
TEST(Loop, CarriageReturnBeforeTheLineFeed) {
  ProcessResult r = run_vardelmo("help\r\nexit\r\n");
  if (kInputDropsCarriageReturn) {
    EXPECT_EQ(r.out, kBanner + kPrompt + kHelp + kPrompt + kBye);
    EXPECT_EQ(r.err, "");
  } else {
    EXPECT_EQ(r.out, kBanner + kPrompt + kPrompt + kPrompt + "\n");
    EXPECT_EQ(r.err, kUnknownCommand + "Você quis dizer 'help'?\n" + kUnknownCommand +
                         "Você quis dizer 'exit'?\n");
  }
  EXPECT_EQ(r.status, 0);
}

TEST(Texts, HelpAndAboutPrintTheirFixedTexts) {
  ProcessResult r = run_vardelmo("help\nabout\nexit\n");
  EXPECT_EQ(r.out, kBanner + kPrompt + kHelp + kPrompt + kBanner + kPrompt + kBye);
  EXPECT_EQ(r.err, "");
}

TEST(Texts, HelpDescriptionsStartInTheSameColumn) {
  std::size_t start = 1;
  while (start < kHelp.size() - 1) {
    std::size_t end = kHelp.find('\n', start);
    std::string line = kHelp.substr(start, end - start);
    EXPECT_EQ(line.find_first_not_of(' ', line.find(' ', 1)), 16u) << line;
    start = end + 1;
  }
}

TEST(Settings, TimeLimitIsSilentOnSuccessAndSaysSoOnARejectedLine) {
  ProcessResult r = run_vardelmo("time_limit\n1,5\ntime_limit\n\ntime_limit\nabc\ntime_limit\n1e999\nexit\n");
  std::string expected = kBanner + kPrompt + kAskTimeLimit + kPrompt;
  for (int i = 0; i < 3; ++i) expected += kAskTimeLimit + kBadTimeLimit + kPrompt;
  EXPECT_EQ(r.out, expected + kBye);
  EXPECT_EQ(r.err, "");
}

TEST(Settings, YesNoSettingsTakeExactlySOrN) {
  for (const auto& [command, ask] :
       {std::pair{"verbose", kAskVerbose}, std::pair{"cluster", kAskCluster},
        std::pair{"save_sol", kAskSaveSol}, std::pair{"resume", kAskResume}}) {
    const std::string c = command;
    ProcessResult r =
        run_vardelmo(c + "\ns\n" + c + "\nn\n" + c + "\nS\n" + c + "\nn \n" + c + "\nsim\nexit\n");
    std::string expected = kBanner + kPrompt + ask + kPrompt + ask + kPrompt;
    for (int i = 0; i < 3; ++i) expected += ask + kBadYesOrNo + kPrompt;
    EXPECT_EQ(r.out, expected + kBye) << c;
    EXPECT_EQ(r.err, "") << c;
  }
}

// Whether a number took is seen in a batch (tests/batch/opt_test.cpp). Only
// a memory limit may be 0 (none).
TEST(Settings, NumbersTakeDigitsOnlyAtMostNine) {
  for (const auto& [command, ask, takes_zero] :
       {std::tuple{"jobs", kAskJobs, false}, std::tuple{"mem_limit", kAskMemLimit, true}}) {
    std::string input;
    for (const char* answer : {"4", "0", "-2", " 3", "2,0", "", "1234567890", "123456789"})
      input += std::string(command) + "\n" + answer + "\n";
    ProcessResult r = run_vardelmo(input + "exit\n");
    std::string expected = kBanner + kPrompt + ask + kPrompt + ask + (takes_zero ? "" : kBadJobs);
    for (int i = 0; i < 5; ++i) expected += kPrompt + ask + kBadJobs;
    EXPECT_EQ(r.out, expected + kPrompt + ask + kPrompt + kBye) << command;
    EXPECT_EQ(r.err, "") << command;
  }
}

// `settings` after each settings command shows what it set.
TEST(Settings, SettingsShowsEveryValueInForce) {
  TempFolder work, models, output;
  place_gurobi_library(work.path());
  write_file(work.path() / "um.set", "limits/nodes = 1\n");
#ifdef VARDELMO_WITH_HIGHS
  const std::string others = "; GUROBI: nenhum; HIGHS: nenhum";
#else
  const std::string others = "; GUROBI: nenhum";
#endif
  std::vector<std::pair<std::string, std::string>> values = {
      {"solver", "SCIP 10.0.0"}, {"time_limit", "0"}, {"verbose", "n"}, {"jobs", "1"},
      {"cluster", "n"},          {"save_sol", "n"},   {"resume", "n"},  {"mem_limit", "0"},
      {"param_file", "SCIP: nenhum" + others}};
  const std::string with_file = "SCIP: um.set" + others;
  auto shown = [&] {
    std::string text = "\n";
    for (const auto& [name, value] : values)
      text += " " + name + std::string(15 - name.size(), ' ') + value + "\n";
    return text + "\n" + kPrompt;
  };
  std::string input = "settings\n", expected = kBanner + kPrompt + shown();
  for (const auto& [command, ask, answer, value] :
       {std::tuple{"time_limit", kAskTimeLimit, "1,5", "1.5"}, {"verbose", kAskVerbose, "s", "s"},
        {"jobs", kAskJobs, "4", "4"}, {"cluster", kAskCluster, "s", "s"},
        {"save_sol", kAskSaveSol, "s", "s"}, {"resume", kAskResume, "s", "s"},
        {"mem_limit", kAskMemLimit, "4000", "4000"},
        {"param_file",
         std::string("Digite o caminho do arquivo de parâmetros do SCIP (vazio para nenhum)> "),
         "um.set", with_file.c_str()},
        {"solver", kAskSolver, "GUROBI", "GUROBI"}}) {
    input += std::string(command) + "\n" + answer + "\nsettings\n";
    for (auto& setting : values)
      if (setting.first == command) setting.second = value;
    expected += ask + kPrompt + shown();
  }
  ProcessResult r = run_vardelmo(input + "exit\n", work.path(), kProgramOnStandIn);
  EXPECT_EQ(r.out, expected + kBye);
  EXPECT_EQ(r.err, "");
}

TEST(Settings, AnswerCutShortByEndOfInputChangesNothing) {
  ProcessResult r = run_vardelmo("time_limit\n");
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskTimeLimit + kPrompt + "\n");
  EXPECT_EQ(r.status, 0);
}

TEST(Solver, GurobiNeedsALibraryFileInTheWorkingFolderOrUnderGurobiHome) {
  TempFolder work, home;
  const std::string refused = kBanner + kPrompt + kAskSolver + kNoGurobi + kPrompt + kBye;
  const std::string chosen = kBanner + kPrompt + kAskSolver + kPrompt + kBye;
  ProcessResult r = run_vardelmo("solver\nGUROBI\nexit\n", work.path());
  EXPECT_EQ(r.out, refused);

  fs::create_directory(work.path() / kGurobiLibraryFile);
  r = run_vardelmo("solver\nGUROBI\nexit\n", work.path());
  EXPECT_EQ(r.out, refused);
  fs::remove(work.path() / kGurobiLibraryFile);

  // Choosing loads nothing: an empty file will do, under any of the names.
  write_file(work.path() / kGurobiLibraryFile, "");
  r = run_vardelmo("solver\nGUROBI\nsolver\nGUROBI\nsolver\nSCIP\nexit\n", work.path());
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskSolver + kPrompt + kAskSolver + kPrompt + kAskSolver +
                       kPrompt + kBye);
  EXPECT_EQ(r.err, "");
  fs::remove(work.path() / kGurobiLibraryFile);
  for (const std::string& name : kGurobiLibraryFiles) {
    write_file(work.path() / name, "");
    EXPECT_EQ(run_vardelmo("solver\nGUROBI\nexit\n", work.path()).out, chosen) << name;
    fs::remove(work.path() / name);
  }

  // An installation's library counts in its library folder only.
  VariableOverride gurobi_home("GUROBI_HOME", home.path().string());
  write_file(home.path() / kGurobiLibraryFiles[1], "");
  EXPECT_EQ(run_vardelmo("solver\nGUROBI\nexit\n", work.path()).out, refused);
  fs::create_directory(home.path() / kGurobiHomeLibraryFolder);
  fs::rename(home.path() / kGurobiLibraryFiles[1],
             home.path() / kGurobiHomeLibraryFolder / kGurobiLibraryFiles[1]);
  EXPECT_EQ(run_vardelmo("solver\nGUROBI\nexit\n", work.path()).out, chosen);
}

// Which file a batch loads, as --version names it: the start folder's before
// GUROBI_HOME's, each the newest version first; the first found is the one,
// even when it does not load.
TEST(Solver, GurobiLibraryIsTheStartFoldersNewestThenGurobiHomesNewest) {
  TempFolder work, home;
  VariableOverride gurobi_home("GUROBI_HOME", home.path().string());
  const fs::path installed = home.path() / kGurobiHomeLibraryFolder;
  fs::create_directory(installed);
  for (const std::string& name : kGurobiLibraryFiles)
    fs::copy_file(VARDELMO_GUROBI_STANDIN, installed / name);
  const std::string versions = "Vardelmo 2.0\nSCIP 10.0.0\n" + kHighsVersionLine;
  auto loaded = [&](const fs::path& library) {
    const ProcessResult r = run_vardelmo("", work.path(), kProgramOnStandIn, {"--version"});
    EXPECT_EQ(r.out, versions + "Gurobi 11.0.3 (" + library.string() + ")\n");
    EXPECT_EQ(r.err, "");
  };
  loaded(installed / kGurobiLibraryFiles[0]);
  fs::remove(installed / kGurobiLibraryFiles[0]);
  loaded(installed / kGurobiLibraryFiles[1]);
  fs::copy_file(VARDELMO_GUROBI_STANDIN, work.path() / kGurobiLibraryFiles[2]);
  loaded(work.path() / kGurobiLibraryFiles[2]);
  fs::copy_file(VARDELMO_GUROBI_STANDIN, work.path() / kGurobiLibraryFiles[1]);
  loaded(work.path() / kGurobiLibraryFiles[1]);

  write_file(work.path() / kGurobiLibraryFiles[0], "no library\n");
  const ProcessResult r = run_vardelmo("", work.path(), kProgramOnStandIn, {"--version"});
  EXPECT_EQ(r.out, versions);
  const std::string no_load = "Não foi possível carregar a biblioteca do Gurobi " +
                              (work.path() / kGurobiLibraryFiles[0]).string() + ": ";
  EXPECT_EQ(r.err.substr(0, no_load.size()), no_load) << r.err;
  EXPECT_EQ(r.status, 0);
}

// SCIP and HiGHS ship with the program.
TEST(Solver, ScipAndHighsNeedNoLibraryFile) {
  ProcessResult r = run_vardelmo("solver\nSCIP\nsolver\nHIGHS\nexit\n");
#ifdef VARDELMO_WITH_HIGHS
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskSolver + kPrompt + kAskSolver + kPrompt + kBye);
#else
  EXPECT_EQ(r.out, kBanner + kPrompt + kAskSolver + kPrompt + kAskSolver + kBadSolver + kPrompt + kBye);
#endif
}

TEST(Solver, OtherAnswersAreInvalid) {
  ProcessResult r = run_vardelmo("solver\nscip\nsolver\nGUROBI \nsolver\n\nsolver\nhighs\nexit\n");
  std::string expected = kBanner + kPrompt;
  for (int i = 0; i < 4; ++i) expected += kAskSolver + kBadSolver + kPrompt;
  EXPECT_EQ(r.out, expected + kBye);
  EXPECT_EQ(r.err, "");
}

// Arguments, which only these two are; none starts the shell, as every
// other test does.
TEST(CommandLine, VersionNamesTheProgramAndTheSolversAndExits) {
  const ProcessResult r = run_vardelmo("exit\n", TempFolder().path(), kProgramOnStandIn, {"--version"});
  EXPECT_EQ(r.out, "Vardelmo 2.0\nSCIP 10.0.0\n" + kHighsVersionLine +
                       "Gurobi: nenhuma biblioteca encontrada\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(CommandLine, HelpSaysWhatTheProgramIsAndThatItIsInteractive) {
  const ProcessResult r = run_vardelmo("exit\n", TempFolder().path(), kProgram, {"--help"});
  EXPECT_EQ(r.out,
            "Uso: vardelmo [--version | --help]\n"
            "\n"
            "Vardelmo é um shell interativo para quem trabalha com modelos de otimização:\n"
            "resolve em lote os modelos .lp de uma pasta com o SCIP ou o Gurobi (comando\n"
            "opt) e converte modelos GNU MathProg (.mod) em arquivos .lp com o GLPK\n"
            "(comando mod_lp).\n"
            "\n"
            "Sem argumentos, abre o shell, que lê um comando por linha da entrada padrão;\n"
            "digite 'help' nele para ver os comandos.\n"
            "\n"
            "  --version  mostra as versões do Vardelmo, do SCIP e do Gurobi encontrado\n"
            "  --help     mostra este texto\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(CommandLine, AnyOtherArgumentIsRefused) {
  for (const auto& [arguments, named] :
       {std::tuple<std::vector<std::string>, std::string>{{"-v"}, "-v"},
        {{"--help", "opt"}, "opt"},
        {{"exit", "--version"}, "exit"}}) {
    const ProcessResult r = run_vardelmo("exit\n", TempFolder().path(), kProgram, arguments);
    EXPECT_EQ(r.out, "") << named;
    EXPECT_EQ(r.err, "Argumento não reconhecido: " + named + "\nUso: vardelmo [--version | --help]\n");
    EXPECT_EQ(r.status, 2) << named;
  }
}

}  // namespace
}  // namespace vardelmo::test
