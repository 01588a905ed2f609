#include "shell/settings.h"

#include "base/console.h"
#include "base/platform.h"
#include "batch/batch_driver.h"
#include "solvers/gurobi_client.h"
#include "solvers/outcome.h"
#include "solvers/scip_runner.h"
#include "solvers/runners.h"

namespace vardelmo {

std::optional<double> parse_time_limit(const std::string& line) {
  double value = 0;
  bool range_error = false;
  if (platform::parse_double_portuguese(line, &value, &range_error) == 0 || range_error)
    return std::nullopt;
  return value;
}

BatchSettings batch_settings(const ShellSettings& settings) {
  BatchSettings batch;
  batch.solve.solver = settings.solver;
  batch.solve.time_limit = settings.time_limit;
  batch.solve.verbose = settings.verbose == "s";
  batch.solve.mem_limit = settings.mem_limit;
  if (const auto file = settings.param_files.find(settings.solver);
      file != settings.param_files.end())
    batch.solve.param_file = file->second;
  batch.jobs = settings.jobs;
  batch.cluster = settings.cluster == "s";
  batch.save_sol = settings.save_sol == "s";
  batch.resume = settings.resume == "s";
  return batch;
}

void optimize_with_settings() { optimize_lp_folder(batch_settings(shell_settings)); }

void set_time_limit() {
  std::string line;
  if (!ask("Digite o tempo máximo para resolução dos modelos (seg)> ", line)) return;
  if (std::optional<double> limit = parse_time_limit(line))
    shell_settings.time_limit = *limit;
  else
    print("Valor inválido, o tempo máximo não foi alterado.\n");
}

namespace {

// An "s" or "n" answer, byte for byte; anything else leaves `setting` alone.
void ask_yes_or_no(const char* prompt, std::string& setting) {
  std::string line;
  if (!ask(prompt, line, Completion{Completion::Kind::Words, {"s", "n"}})) return;
  if (line == "s" || line == "n")
    setting = line;
  else
    print("Opção inexistente, favor selecionar uma opção válida.\n");
}

}  // namespace

void set_verbose() { ask_yes_or_no("Imprimir log do solver? (s/n)> ", shell_settings.verbose); }

void set_cluster() {
  ask_yes_or_no("Enviar os modelos a um cluster Slurm? (s/n)> ", shell_settings.cluster);
}

void set_save_sol() {
  ask_yes_or_no("Gravar a melhor solução de cada modelo? (s/n)> ", shell_settings.save_sol);
}

void set_resume() {
  ask_yes_or_no("Retomar lotes interrompidos? (s/n)> ", shell_settings.resume);
}

namespace {

// Digits only, at most nine.
std::optional<std::size_t> parse_whole_number(const std::string& line) {
  if (line.empty() || line.size() > 9) return std::nullopt;
  std::size_t number = 0;
  for (char digit : line) {
    if (digit < '0' || digit > '9') return std::nullopt;
    number = number * 10 + static_cast<std::size_t>(digit - '0');
  }
  return number;
}

// A whole number typed for `setting`; a refused one leaves it alone.
void ask_whole_number(const char* prompt, std::optional<std::size_t> (*parse)(const std::string&),
                      std::size_t& setting) {
  std::string line;
  if (!ask(prompt, line)) return;
  if (std::optional<std::size_t> number = parse(line))
    setting = *number;
  else
    print("Valor inválido, o número não foi alterado.\n");
}

}  // namespace

std::optional<std::size_t> parse_jobs(const std::string& line) {
  const std::optional<std::size_t> jobs = parse_whole_number(line);
  if (jobs == std::size_t{0}) return std::nullopt;
  return jobs;
}

std::optional<std::size_t> parse_mem_limit(const std::string& line) {
  return parse_whole_number(line);
}

void set_jobs() {
  ask_whole_number("Digite o número de modelos resolvidos ao mesmo tempo> ", parse_jobs,
                   shell_settings.jobs);
}

void set_mem_limit() {
  ask_whole_number("Digite a memória máxima por modelo (MB)> ", parse_mem_limit,
                   shell_settings.mem_limit);
}

namespace {

// The solver's name, and its library's version once it is known: SCIP's is
// linked, Gurobi's known only after a batch loaded it.
std::string solver_setting() {
  std::string version;
  if (shell_settings.solver == "SCIP") {
    version = scip_library_version();
  } else if (shell_settings.solver == "HIGHS") {
    version = find_runner("HIGHS").library_version();
  } else if (shell_settings.solver == "GUROBI") {
    // Its path follows the version; the setting shows the version only.
    const std::string loaded = loaded_gurobi_version().value_or("");
    version = loaded.substr(0, loaded.find(' '));
  }
  return version.empty() ? shell_settings.solver : shell_settings.solver + " " + version;
}

// Each solver's file, or none.
std::string param_files_setting() {
  std::string text;
  for (const std::string& solver : solver_names()) {
    const auto file = shell_settings.param_files.find(solver);
    text += (text.empty() ? "" : "; ") + solver + ": " +
            (file == shell_settings.param_files.end() ? "nenhum" : file->second);
  }
  return text;
}

}  // namespace

std::string settings_text(std::size_t name_width) {
  const ShellSettings& s = shell_settings;
  const std::pair<const char*, std::string> rows[] = {
      {"solver", solver_setting()},
      {"time_limit", console_number(s.time_limit)},
      {"verbose", s.verbose},
      {"jobs", std::to_string(s.jobs)},
      {"cluster", s.cluster},
      {"save_sol", s.save_sol},
      {"resume", s.resume},
      {"mem_limit", std::to_string(s.mem_limit)},
      {"param_file", param_files_setting()},
  };
  std::string text = "\n";
  for (const auto& [name, value] : rows) {
    const std::string padded = std::string(name) + std::string(name_width, ' ');
    text += " " + padded.substr(0, name_width) + value + "\n";
  }
  return text + "\n";
}

void set_param_file() {
  const std::string& solver = shell_settings.solver;
  std::string line;
  if (!ask(("Digite o caminho do arquivo de parâmetros do " + solver + " (vazio para nenhum)> ")
               .c_str(),
           line))
    return;
  if (line.empty()) {
    shell_settings.param_files.erase(solver);
    return;
  }
  if (find_runner(solver).settings_file_reads(line))
    shell_settings.param_files[solver] = line;
  else
    print("O arquivo de parâmetros não foi alterado.\n");
}

}  // namespace vardelmo
