#include "base/files.h"
#include "convert/mod_conversion.h"

#include <glpk.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lp_files.h"
#include "program.h"

namespace vardelmo {
namespace {

using test::TempFolder;
using test::write_file;
namespace fs = std::filesystem;

TEST(FileCanBeRead, OnlyAnExistingFileThatOpens) {
  TempFolder folder;
  write_file(folder.path() / "vazio.dat", "");
  write_file(folder.path() / "dados.dat", "data;\nend;\n");
  fs::create_directory(folder.path() / "pasta.dat");
  EXPECT_TRUE(file_can_be_read(folder / "vazio.dat"));
  EXPECT_TRUE(file_can_be_read(folder / "dados.dat"));
  EXPECT_FALSE(file_can_be_read(folder / "pasta.dat"));
  EXPECT_FALSE(file_can_be_read(folder / "falta.dat"));
  EXPECT_FALSE(file_can_be_read(""));
}

TEST(ConvertModFile, LeavesEveryOtherPathAlone) {
  TempFolder folder;
  // Too short to end in "mod" at all.
  std::vector<std::string> paths = {"", "d", "od"};
  for (const char* name : {"x.MOD", "x.Mod", "x.mo", "x.mod.txt", "mod "}) {
    write_file(folder.path() / name, "var x;\nminimize z: x;\nend;\n");
    paths.push_back(folder / name);
  }
  // Fewer than five on Windows, whose names ignore case and trailing blanks.
  const auto entries = [&] {
    return std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator());
  };
  const auto written = entries();
  for (const std::string& path : paths) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    convert_mod_file(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << path;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << path;
  }
  EXPECT_EQ(entries(), written);
}

int glpk_blocks_in_use() {
  int blocks = 0;
  glp_mem_usage(&blocks, nullptr, nullptr, nullptr);
  return blocks;
}

TEST(ConvertModFile, ReleasesTheModelsGlpkObjectsWhateverTheOutcome) {
  TempFolder folder;
  write_file(folder.path() / "ok.mod", "var x >= 1;\nminimize z: x;\nend;\n");
  write_file(folder.path() / "sintaxe.mod", "var x >= 1;\nminimize z: ;\nend;\n");
  write_file(folder.path() / "dados.mod", "param p;\nvar x >= p;\nminimize z: x;\nend;\n");
  write_file(folder.path() / "dados.dat", "data;\nparam p := dois;\nend;\n");
  write_file(folder.path() / "sem_dados.mod", "param p;\nvar x >= p;\nminimize z: x;\nend;\n");
  write_file(folder.path() / "bloqueado.mod", "var x >= 1;\nminimize z: x;\nend;\n");
  fs::create_directory(folder.path() / "bloqueado.lp");
  const struct {
    const char* model;
    const char* message;
  } cases[] = {{"ok.mod", ""},
               {"sintaxe.mod", "Erro ao tranformar modelo\n"},
               {"dados.mod", "Erro ao tranformar modelo\n"},
               {"sem_dados.mod", "Erro ao gerar modelo\n"},
               {"bloqueado.mod", "Erro ao escrever arquivo .lp\n"}};
  for (const auto& c : cases) {
    const int before = glpk_blocks_in_use();
    testing::internal::CaptureStderr();
    convert_mod_file(folder / c.model);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message) << c.model;
    EXPECT_EQ(glpk_blocks_in_use(), before) << c.model;
  }
}

// Models beyond a one-megabyte memory limit: gerar.mod while it is
// generated, ler.mod while its data is read.
void write_large_models(const TempFolder& folder) {
  write_file(folder.path() / "gerar.mod",
             "set S := 1..20000;\nvar x{S} >= 0;\nminimize z: sum{i in S} x[i];\n"
             "s.t. c{i in S}: x[i] >= 1;\nend;\n");
  write_file(folder.path() / "ler.mod",
             "set S;\nvar x{S} >= 0;\nminimize z: sum{i in S} x[i];\nend;\n");
  std::ofstream data(folder.path() / "ler.dat");
  data << "data;\nset S :=";
  for (int i = 0; i < 20000; ++i) data << ' ' << i;
  data << ";\nend;\n";
}

// GLPK would end the process on these; the shell must report and go on.
TEST(ConvertModFile, FatalGlpkErrorFailsOnlyThatModel) {
  TempFolder folder;
  write_large_models(folder);

  const struct {
    const char* model;
    const char* message;
  } cases[] = {{"gerar.mod", "Erro ao gerar modelo\n"}, {"ler.mod", "Erro ao tranformar modelo\n"}};
  for (const auto& c : cases) {
    glp_mem_limit(1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    convert_mod_file(folder / c.model);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message) << c.model;
    // GLPK's own account of the error stays visible.
    EXPECT_NE(out.find("memory allocation limit exceeded"), std::string::npos) << c.model;
    EXPECT_FALSE(fs::exists((folder.path() / c.model).replace_extension("lp"))) << c.model;
  }

  // The limit went with the environment that failed; the same models now fit.
  for (const char* model : {"gerar.mod", "ler.mod"}) {
    testing::internal::CaptureStderr();
    convert_mod_file(folder / model);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << model;
  }
  EXPECT_EQ(test::lp_problem(folder.path() / "gerar.lp"),
            test::glpsol_problem(folder.path() / "gerar.mod"));
  EXPECT_EQ(test::lp_problem(folder.path() / "ler.lp"),
            test::glpsol_problem(folder.path() / "ler.mod", folder.path() / "ler.dat"));
}

}  // namespace
}  // namespace vardelmo
