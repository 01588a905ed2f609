#include "batch/outcome.h"

#include <cstdio>
#include <iostream>
#include <locale>
#include <sstream>

#include "shell/platform.h"
#include "shell/settings.h"

namespace vardelmo {

std::vector<std::string> result_rows;

namespace {

const char* word_of(Outcome outcome) {
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
    case Outcome::Unknown: break;
  }
  return "STATUS DESCONHECIDO";
}

}  // namespace

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
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << value;
  return text.str();
}

OutcomeReport::OutcomeReport(const std::string& model_path) {
  std::string name = split_path(model_path).back();
  std::cout << "NOME: " << name << "\n";
  row_ = name + ";";
}

void OutcomeReport::time(double seconds) {
  std::cout << "TEMPO: " << console_number(seconds) << "\n";
  row_ += number_text(seconds) + ";";
}

void OutcomeReport::status(Outcome outcome, bool in_solver_table) {
  const char* word = word_of(outcome);
  if (in_solver_table) std::cout << "STATUS: " << word << "\n";
  row_ += word;
  row_ += ";";
}

void OutcomeReport::objective(double value) { row_ += number_text(value) + ";"; }

void OutcomeReport::no_objective() { row_ += ";"; }

void OutcomeReport::finish() { result_rows.push_back(std::move(row_)); }

void write_results_file(std::string output_folder) {
  std::string content = "SOLVER;NOME;TEMPO;STATUS;Z\n";
  for (const std::string& row : result_rows) {
    content += shell_settings.solver;
    content += ';';
    content += row;
    content += '\n';
  }
  const std::string target = output_folder + platform::path_separator + "sol_stat.csv";
  // A crash or a full disk in the middle of a rewrite must not cost the rows
  // already on disk: write beside it, then put the new file in its place.
  const std::string temporary = target + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  if (file == nullptr) return;
  bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  written = (std::fclose(file) == 0) && written;
  if (!written || !platform::replace_file(temporary, target)) std::remove(temporary.c_str());
}

}  // namespace vardelmo
