#include "process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vardelmo::test {
namespace {

std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

}  // namespace

const std::string kBanner =
    "\nVardelmo v2.0, resolvedor de modelos .lp em lote, e gerador de arquivos .lp a partir de "
    "arquivos .mod. Criado por Vardelmo Antunes Ribeiro (vardelmo.ribeiro@gmail.com).Existem 2 "
    "solvers que podem ser utilizados: o SCIP (https://www.scipopt.org/doc/html/), e o GUROBI "
    "(https://www.gurobi.com/).  \nO transformador de formatos é o GLPK "
    "(https://www.gnu.org/software/glpk/).  \nPara acessar as funcionalidades digite 'help'. \n\n";

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path candidate = base / ("vardelmo-test-" + std::to_string(getpid()) + "-" +
                                 std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Tests may leave folders without permissions behind.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void write_file(const fs::path& file, const std::string& content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

ProcessResult run_vardelmo(const std::string& input, const fs::path& workdir) {
  TempFolder io;  // kept apart so the files never show up in a listing
  write_file(io.path() / "in", input);
  std::string command = "cd " + shell_quote(workdir.string()) + " && " +
                        shell_quote(VARDELMO_BINARY) + " < " + shell_quote(io / "in") + " > " +
                        shell_quote(io / "out") + " 2> " + shell_quote(io / "err");
  int raw = std::system(command.c_str());
  ProcessResult result;
  result.out = read_file(io.path() / "out");
  result.err = read_file(io.path() / "err");
  result.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
  return result;
}

ProcessResult run_vardelmo(const std::string& input) {
  TempFolder workdir;
  return run_vardelmo(input, workdir.path());
}

}  // namespace vardelmo::test
