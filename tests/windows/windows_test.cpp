// What only the Windows program does: backslashes and drives, names in the
// ANSI code page, Windows-1252 texts, CR LF line ends and gurobi110.dll.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "batch.h"
#include "base/files.h"
#include "solvers/outcome.h"
#include "base/platform.h"

namespace vardelmo::test {
namespace {

using Components = std::vector<std::string>;

// A folder's path text written with slashes, as a user may type it.
std::string with_slashes(const fs::path& folder) {
  std::string text = folder.string();
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

TEST(WindowsPaths, JoinAddsABackslashUnlessTheFolderEndsInASeparatorOrIsABareDrive) {
  EXPECT_EQ(join_path("C:\\modelos", "p01.lp"), "C:\\modelos\\p01.lp");
  EXPECT_EQ(join_path("C:\\modelos\\", "p01.lp"), "C:\\modelos\\p01.lp");
  EXPECT_EQ(join_path("C:/modelos", "p01.lp"), "C:/modelos\\p01.lp");
  EXPECT_EQ(join_path("C:/modelos/", "p01.lp"), "C:/modelos/p01.lp");
  EXPECT_EQ(join_path("modelos", "p01.lp"), "modelos\\p01.lp");
  EXPECT_EQ(join_path("C:", "p01.lp"), "C:p01.lp");
  EXPECT_EQ(join_path("z:", "p01.lp"), "z:p01.lp");
  // Not drive designators.
  EXPECT_EQ(join_path("1:", "p01.lp"), "1:\\p01.lp");
  EXPECT_EQ(join_path("CD:", "p01.lp"), "CD:\\p01.lp");
  EXPECT_EQ(join_path(":", "p01.lp"), ":\\p01.lp");
  EXPECT_EQ(join_path("", "p01.lp"), "\\p01.lp");
}

TEST(WindowsPaths, SplitCutsOnlyAtBackslashes) {
  EXPECT_EQ(split_path("C:\\modelos\\lote\\p01.lp"), (Components{"C:", "modelos", "lote", "p01.lp"}));
  EXPECT_EQ(split_path("C:/modelos/lote\\p01.lp"), (Components{"C:/modelos/lote", "p01.lp"}));
  EXPECT_EQ(split_path("C:/modelos/p01.lp"), (Components{"C:/modelos/p01.lp"}));
  EXPECT_EQ(split_path("C:p01.lp"), (Components{"C:p01.lp"}));
  EXPECT_EQ(split_path("C:\\saida\\\\"), (Components{"C:", "saida", "", ""}));
}

// Not found: a file, a path, a network path, an invalid name; a file is no
// folder either. A bare drive is its current folder.
TEST(WindowsPaths, FolderTestKnowsWindowsNamesAndNotFoundReasons) {
  TempFolder folder;
  write_file(folder.path() / "dados.txt", "");
  for (const std::string& text :
       {folder / "falta", folder / "falta\\sub", std::string("\\\\nenhum-servidor\\pasta"),
        folder / "a<b", folder / "a|b", folder / "dados.txt", std::string("")})
    EXPECT_FALSE(is_existing_folder(text)) << text;
  for (const std::string& text : {folder.path().string(), folder.path().string() + "\\",
                                  with_slashes(folder.path()), with_slashes(folder.path()) + "/",
                                  std::string("C:"), std::string("C:\\")})
    EXPECT_TRUE(is_existing_folder(text)) << text;
}

// Windows-1252 is the ANSI code page of the machines the tests run on.
TEST(WindowsNames, ConvertExactlyBetweenTheAnsiCodePageAndWideNames) {
  ASSERT_EQ(GetACP(), 1252u);
  std::error_code error;
  const fs::path native = platform::native_path("n\xE3o \x80 \xFF.lp", error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_EQ(native.native(), L"n\u00E3o \u20AC \u00FF.lp");
  EXPECT_EQ(platform::narrow_name(native, error), "n\xE3o \x80 \xFF.lp");
  EXPECT_FALSE(error);

  // No look-alike: Windows would otherwise write the L of a Polish "L with
  // stroke" and a question mark for omega.
  for (const wchar_t* name : {L"\u0141odz.lp", L"\u03A9.lp"}) {
    EXPECT_EQ(platform::narrow_name(fs::path(name), error), "");
    EXPECT_EQ(error, std::error_code(ERROR_NO_UNICODE_TRANSLATION, std::system_category()));
  }
}

// libstdc++ words a file-system error's path in UTF-8.
TEST(WindowsNames, ErrorTextsGiveThePathInTheAnsiCodePage) {
  std::error_code error;
  const fs::path folder = platform::native_path("C:\\a\xE7\xE3o", error);
  ASSERT_FALSE(error);
  const fs::filesystem_error failure("cannot open", folder,
                                     std::make_error_code(std::errc::permission_denied));
  const std::string text = platform::error_text(failure);
  EXPECT_NE(text.find("[C:\\a\xE7\xE3o]"), std::string::npos) << text;
  EXPECT_EQ(text.find("\xC3"), std::string::npos) << text;
}

using WindowsOpt = BatchTest;

// The path a folder text gives a model shows in its NOME, which is the part
// after the last backslash.
TEST_F(WindowsOpt, FoldersWrittenWithSlashesKeepThemAndOnlyBackslashesCut) {
  copy_model("decimals.lp", models.path());
  const std::string slashes = with_slashes(models.path());
  ProcessResult r = run_vardelmo(
      opt_session(slashes, output.path(), "", opt_session(slashes + "/", output.path())),
      work.path());
  const std::string own_name = slashes + "/decimals.lp";
  EXPECT_EQ(mask_console(r.out),
            kBanner + kPrompt + kAskModels + kAskOutput + model_header(0) +
                model_block("decimals.lp", "SOL OTIMA") + kPrompt + kAskModels + kAskOutput +
                model_header(0) + model_block(own_name, "SOL OTIMA") + kPrompt + kBye);
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(mask_times(csv()), results_file({"SCIP;" + own_name + ";T;SOL OTIMA;31,337500;"}));
}

// "C:" is the current folder of drive C, where the tests work.
TEST_F(WindowsOpt, ABareDriveListsItsCurrentFolderWithoutSeparator) {
  ASSERT_EQ(work.path().string().substr(0, 3), "C:\\");
  copy_model("decimals.lp", work.path());
  ProcessResult r = run_vardelmo(opt_session("C:", output.path()), work.path());
  EXPECT_EQ(mask_console(r.out), kBanner + kPrompt + kAskModels + kAskOutput + model_header(0) +
                                   model_block("C:decimals.lp", "SOL OTIMA") + kPrompt + kBye);
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(mask_times(csv()), results_file({"SCIP;C:decimals.lp;T;SOL OTIMA;31,337500;"}));
}

// A name that holds the field separator is quoted in the file, and only there.
TEST_F(WindowsOpt, ResultsFileAndConsoleLinesEndInCrLfAndTheFileQuotesASeparator) {
  copy_model("decimals.lp", models.path(), "a;b.lp");
  ProcessResult r = run_opt();
  EXPECT_EQ(mask_times(read_file(output.path() / "sol_stat.csv")),
            "SOLVER;NOME;TEMPO;STATUS;Z\r\nSCIP;\"a;b.lp\";T;SOL OTIMA;31,337500;\r\n");
  EXPECT_NE(r.out_bytes.find("\r\nNOME: a;b.lp\r\nTEMPO: "), std::string::npos)
      << r.out_bytes;
  const std::string last = "> Saindo do shell...\r\n";
  ASSERT_GE(r.out_bytes.size(), last.size());
  EXPECT_EQ(r.out_bytes.substr(r.out_bytes.size() - last.size()), last);
}

// The listing stops at a name that Windows-1252 cannot hold: the entries
// enumerated before it are run, none after it.
TEST_F(WindowsOpt, ANameOutsideTheCodePageEndsTheListing) {
  for (const char* name : {"a.lp", "b.lp", "c.lp", "d.lp"}) copy_model("decimals.lp", models.path(), name);
  write_file(models.path() / fs::path(L"\u0141odz.lp"), "Minimize\n obj: x\nEnd\n");
  std::vector<std::string> before;
  for (const fs::directory_entry& entry : fs::directory_iterator(models.path())) {
    if (entry.path().filename().native() == L"\u0141odz.lp") break;
    before.push_back(entry.path().filename().string());
  }
  ProcessResult r = run_opt();
  EXPECT_EQ(mask_library_errors(r.err), "Erro ao acessar a pasta: " +
                       std::error_code(ERROR_NO_UNICODE_TRANSLATION, std::system_category()).message() +
                       "\n");
  std::string expected = kBanner + kPrompt + kAskModels + kAskOutput;
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < before.size(); ++i) {
    expected += model_header(static_cast<int>(i)) + model_block(before[i], "SOL OTIMA");
    rows.push_back("SCIP;" + before[i] + ";T;SOL OTIMA;31,337500;");
  }
  EXPECT_EQ(mask_console(r.out), expected + kPrompt + kBye);
  if (!rows.empty())
    EXPECT_EQ(mask_times(csv()), results_file(rows));
  else
    EXPECT_FALSE(fs::exists(output.path() / "sol_stat.csv"));
}

TEST_F(WindowsOpt, GurobiTakesGurobi110DllInTheWorkingFolderNotBesideTheProgram) {
  // The program starts without one: every run of the tests shows it.
  ASSERT_FALSE(fs::exists(fs::path(VARDELMO_BINARY).parent_path() / "gurobi110.dll"));
  copy_model("decimals.lp", models.path());

  write_file(work.path() / "libgurobi110.so", "");
  ProcessResult r = run_opt("solver\nGUROBI\n");
  EXPECT_NE(r.out.find(kNoGurobi), std::string::npos) << r.out;
  EXPECT_EQ(mask_times(csv()), results_file({"SCIP;decimals.lp;T;SOL OTIMA;31,337500;"}));

  place_gurobi_library(work.path());
  r = run_opt("solver\nGUROBI\n");
  EXPECT_EQ(r.out.find(kNoGurobi), std::string::npos) << r.out;
  EXPECT_EQ(mask_library_errors(r.err), "");
  EXPECT_EQ(mask_times(csv()), results_file({"GUROBI;decimals.lp;T;SOL OTIMA;31,337500;"}));
}

// mod_lp hands GLPK the joined paths, and GLPK names them.
TEST(WindowsModLp, GlpkGetsTheJoinedPathOfEveryFolderSpelling) {
  TempFolder models;
  write_file(models.path() / "pequeno.mod",
             "var y >= 0, <= 4;\nmaximize lucro: 1.5 * y;\nend;\n");
  const std::string backslashes = models.path().string();
  const std::string slashes = with_slashes(models.path());
  const std::pair<std::string, std::string> spellings[] = {
      {backslashes, backslashes + "\\pequeno."},
      {backslashes + "\\", backslashes + "\\pequeno."},
      {slashes, slashes + "\\pequeno."},
      {slashes + "/", slashes + "/pequeno."},
  };
  for (const auto& [folder, stem] : spellings) {
    ProcessResult r = run_vardelmo("mod_lp\n" + folder + "\nexit\n");
    EXPECT_NE(r.out.find("Reading model section from " + stem + "mod...\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Writing problem data to '" + stem + "lp'...\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(mask_library_errors(r.err), "") << folder;
  }
}

// Windows-1252 holds every letter the program writes in one byte, the code
// point itself; the expectations here are UTF-8 (u8 literals escape the
// build's conversion) and turned into those bytes by hand.
std::string windows_1252(const char* utf8) {
  std::string text;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(utf8); *c != 0; ++c) {
    if (*c < 0x80) {
      text += static_cast<char>(*c);
    } else {
      EXPECT_TRUE(*c == 0xC3 && (c[1] & 0xC0) == 0x80) << "not a letter of Windows-1252";
      text += static_cast<char>(0xC0 | (c[1] & 0x3F));
      ++c;
    }
  }
  return text;
}

using WindowsTexts = BatchTest;

TEST_F(WindowsTexts, EveryMessageIsInWindows1252) {
  TempFolder blocked;
  copy_model("decimals.lp", models.path());
  fs::create_directories(blocked.path() / "sol_stat.csv" / "keep");
  const std::string missing = models / "falta";
  ProcessResult r = run_vardelmo("about\nhelp\nExit\ntime_limit\nabc\nverbose\nx\nsolver\nGUROBI\n"
                                 "solver\nscip\nopt\n" + missing + "\nopt\n" + blocked.path().string() +
                                 "\nopt\n" + models.path().string() + "\n" + missing +
                                 "\nmod_lp\n" + missing + "\nexit\n",
                                 work.path());
  const char* const outputs[] = {
      u8"O transformador de formatos é o GLPK",
      u8" solver         altera o solver padrão (SCIP), opções - SCIP/GUROBI/HIGHS\n",
      u8" time_limit     adicionar um tempo máximo (em segundos) para a execução dos modelos\n",
      u8" verbose        imprime log da otimização (s/n)\n",
      u8"                o programa só funciona se o executável estiver na mesma pasta dos modelos.\n",
      u8" about          informações sobre o Vardelmo\n",
      u8"Digite o tempo máximo para resolução dos modelos (seg)> ",
      u8"Valor inválido, o tempo máximo não foi alterado.\n",
      u8"Opção inexistente, favor selecionar uma opção válida.\n",
      u8"Bilioteca 'gurobi110.dll' não encontrada\n",
      u8"Opção inexistente, favor selecionar um solver dentre os disponibilizados.\n",
      u8"Pasta de .lps inexistente ou inválida...\n",
      u8"Pasta de output inexistente ou inválida...\n",
      u8"Pasta de .mods inexistente ou inválida...\n",
  };
  for (const char* text : outputs)
    EXPECT_NE(r.out.find(windows_1252(text)), std::string::npos) << text;
  EXPECT_NE(r.err.find(windows_1252(u8"Comando não reconhecido. Para ver os comandos digite 'help'\n")),
            std::string::npos);
  EXPECT_NE(r.err.find(windows_1252(u8"Não foi possível remover ") + blocked / "sol_stat.csv"),
            std::string::npos);
  // "não" as the bytes 6E E3 6F; no UTF-8 lead byte of a Latin letter anywhere.
  EXPECT_NE(r.out.find("n\xE3o"), std::string::npos);
  EXPECT_EQ((r.out + r.err).find('\xC3'), std::string::npos);

  // The Gurobi reports, which only a Gurobi batch can give: a library that
  // does not load, then the layer's error.
  write_file(work.path() / "gurobi110.dll", "");
  r = run_opt("solver\nGUROBI\n");
  const std::string no_load =
      windows_1252(u8"Não foi possível carregar a biblioteca do Gurobi ") + work / "gurobi110.dll";
  ASSERT_EQ(r.err.substr(0, no_load.size()), no_load);
  // The system's reason names the file, where Windows' message says "%1".
  EXPECT_NE(r.err.find("gurobi110.dll", no_load.size()), std::string::npos) << r.err;
  place_gurobi_library(work.path());
  fs::create_directory(models.path() / "pastalp");
  r = run_opt("solver\nGUROBI\n");
  EXPECT_NE(r.err.find(windows_1252(u8"Erro do Gurobi (código 10012): ")), std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace vardelmo::test
