#include "shell/banner.h"

#include <string>

#include "base/console.h"
#include "solvers/runners.h"

namespace vardelmo {
namespace {

constexpr const char* kAuthorName = "Vardelmo Antunes Ribeiro";
constexpr const char* kAuthorMail = "vardelmo.ribeiro@gmail.com";
constexpr const char* kScipDocs = "https://www.scipopt.org/doc/html/";
constexpr const char* kGurobiHome = "https://www.gurobi.com/";
constexpr const char* kHighsHome = "https://highs.dev";
constexpr const char* kGlpkPage = "https://www.gnu.org/software/glpk/";

}  // namespace

void print_banner() {
  std::string text = "\n";
  text += "Vardelmo v" VARDELMO_VERSION
          ", resolvedor de modelos .lp em lote, e gerador de arquivos .lp a partir de arquivos "
          ".mod. Criado por ";
  text += kAuthorName;
  text += " (";
  text += kAuthorMail;
  text += ").";
  if (solver_offered("HIGHS")) {
    text += "Existem 3 solvers que podem ser utilizados: o SCIP (";
    text += kScipDocs;
    text += "), o GUROBI (";
    text += kGurobiHome;
    text += ") e o HIGHS (";
    text += kHighsHome;
    text += ").  \n";
  } else {
    text += "Existem 2 solvers que podem ser utilizados: o SCIP (";
    text += kScipDocs;
    text += "), e o GUROBI (";
    text += kGurobiHome;
    text += ").  \n";
  }
  text += "O transformador de formatos é o GLPK (";
  text += kGlpkPage;
  text += ").  \n";
  text += "Para acessar as funcionalidades digite 'help'. \n\n";
  print(text);
}

}  // namespace vardelmo
