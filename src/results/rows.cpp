#include "results/rows.h"

#include <cstdlib>

#include "base/platform.h"

namespace vardelmo {

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

std::optional<Outcome> outcome_of(const std::string& word) {
  for (int i = 0; i <= static_cast<int>(Outcome::SolverError); ++i)
    if (word == outcome_word(static_cast<Outcome>(i))) return static_cast<Outcome>(i);
  return std::nullopt;
}

std::string results_file_path(const std::string& folder) {
  return folder + platform::path_separator + "sol_stat.csv";
}

std::string details_file_path(const std::string& folder) {
  return folder + platform::path_separator + "sol_detalhes.csv";
}

bool is_results_file_name(const std::string& name) {
  return name == "sol_stat.csv" || name == "sol_detalhes.csv";
}

std::string number_text(double value) { return platform::format_fixed_portuguese(value); }

std::optional<double> number_of(const std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos || comma == 0 || text.size() - comma != 7) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (i != comma && (text[i] < '0' || text[i] > '9')) return std::nullopt;
  return std::strtod((text.substr(0, comma) + "." + text.substr(comma + 1)).c_str(), nullptr);
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

namespace {

std::string optional_field(const std::optional<double>& value) {
  return (value ? number_text(*value) : std::string()) + ";";
}

}  // namespace

std::string result_row(const ModelResult& result) {
  return name_field(result.name) + ";" + number_text(result.seconds) + ";" +
         outcome_word(result.outcome) + ";" + optional_field(result.z);
}

std::string details_row(const ModelResult& result, const std::string& reference,
                        const std::string& verdict) {
  const SearchFigures& search = result.search;
  return result_row(result) + optional_field(search.dual_bound) +
         optional_field(search.gap_percent) + optional_field(search.nodes) + reference + ";" +
         verdict + ";";
}

}  // namespace vardelmo
