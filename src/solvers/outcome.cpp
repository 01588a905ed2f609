#include "solvers/outcome.h"

#include <cstdio>

#include "base/console.h"
#include "base/platform.h"

namespace vardelmo {

TextList result_rows;
std::vector<OutcomeFigures> result_figures;

const char* outcome_word(Outcome outcome) {
  switch (outcome) {
    case Outcome::Optimal: return "SOL OTIMA";
    case Outcome::Infeasible: return "PROBLEMA INFACTIVEL";
    case Outcome::Unbounded: return "PROBLEMA ILIMITADO";
    case Outcome::InfeasibleOrUnbounded: return "PROBLEMA ILIMITADO OU INFACTIVEL";
    case Outcome::TimeLimit: return "PROCESSO INTERROMPIDO - LIMITE DE TEMPO";
    case Outcome::UserInterrupt: return "PROCESSO INTERROMPIDO - USUARIO";
    case Outcome::NodeLimit: return "PROCESSO INTERROMPIDO - LIMITE DE NOS";
    case Outcome::MemoryLimit: return "PROCESSO INTERROMPIDO - LIMITE DE MEMORIA";
    case Outcome::OtherLimit: return "PROCESSO INTERROMPIDO - OUTRO LIMITE";
    case Outcome::ReadError: return "ERRO NA LEITURA DO MODELO";
    case Outcome::SolverError: return "ERRO NO SOLVER";
    case Outcome::Unknown: break;
  }
  return "STATUS DESCONHECIDO";
}

std::vector<std::string> split_path(std::string path) {
  std::vector<std::string> components;
  std::size_t start = 0;
  for (std::size_t cut; (cut = path.find(platform::path_separator, start)) != std::string::npos;
       start = cut + 1)
    components.push_back(path.substr(start, cut - start));
  components.push_back(path.substr(start));
  return components;
}

std::string number_text(double value) { return platform::format_fixed_portuguese(value); }

std::string console_number(double value) {
  // What a C++ stream prints by default: printf's "%g". The process keeps the
  // classic numeric locale (platform::set_process_locale), so the decimal
  // point stays a point.
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%g", value);
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string name_field(const std::string& name) {
  if (name.find_first_of(";\"\r\n") == std::string::npos) return name;
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += c;
  }
  return quoted + "\"";
}

OutcomeReport::OutcomeReport(const std::string& model_path) {
  std::string name = split_path(model_path).back();
  print("NOME: " + name + "\n");
  row_ = name_field(name) + ";";
}

void OutcomeReport::time(double seconds) {
  print("TEMPO: " + console_number(seconds) + "\n");
  figures_.seconds = seconds;
  row_ += number_text(seconds) + ";";
}

void OutcomeReport::status(Outcome outcome, bool in_solver_table) {
  const char* word = outcome_word(outcome);
  figures_.outcome = outcome;
  if (in_solver_table) print(std::string("STATUS: ") + word + "\n");
  row_ += word;
  row_ += ";";
}

void OutcomeReport::objective(double value) { row_ += number_text(value) + ";"; }

void OutcomeReport::no_objective() { row_ += ";"; }

void OutcomeReport::search(const SearchFigures& figures) { figures_.search = figures; }

void OutcomeReport::finish() {
  result_rows.push_back(row_);
  result_figures.push_back(figures_);
}

}  // namespace vardelmo
