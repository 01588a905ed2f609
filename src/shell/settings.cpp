#include "shell/settings.h"

#include "base/console.h"
#include "base/platform.h"

namespace vardelmo {

std::optional<double> parse_time_limit(const std::string& line) {
  double value = 0;
  bool range_error = false;
  if (platform::parse_double_portuguese(line, &value, &range_error) == 0 || range_error)
    return std::nullopt;
  return value;
}

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
  if (!ask(prompt, line)) return;
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

std::optional<std::size_t> parse_jobs(const std::string& line) {
  if (line.empty() || line.size() > 9) return std::nullopt;
  std::size_t jobs = 0;
  for (char digit : line) {
    if (digit < '0' || digit > '9') return std::nullopt;
    jobs = jobs * 10 + static_cast<std::size_t>(digit - '0');
  }
  if (jobs == 0) return std::nullopt;
  return jobs;
}

void set_jobs() {
  std::string line;
  if (!ask("Digite o número de modelos resolvidos ao mesmo tempo> ", line)) return;
  if (std::optional<std::size_t> jobs = parse_jobs(line))
    shell_settings.jobs = *jobs;
  else
    print("Valor inválido, o número não foi alterado.\n");
}

}  // namespace vardelmo
