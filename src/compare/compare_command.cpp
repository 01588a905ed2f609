#include "compare/compare_command.h"

#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/files.h"
#include "base/platform.h"
#include "compare/report.h"
#include "results/results_reader.h"
#include "results/rows.h"

namespace vardelmo {
namespace {

/// Any SOLVER field of capitals: the files of solvers this build lacks count too.
bool is_solver_word(const std::string& word) {
  if (word.empty()) return false;
  for (char c : word)
    if (c < 'A' || c > 'Z') return false;
  return true;
}

std::optional<double> signed_number(const std::string& text) {
  if (!text.empty() && text[0] == '-') {
    const std::optional<double> magnitude = number_of(text.substr(1));
    return magnitude ? std::optional<double>(-*magnitude) : std::nullopt;
  }
  return number_of(text);
}

std::string last_component(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == platform::path_separator))
    path.pop_back();
  const std::size_t cut = path.find_last_of(std::string("/") + platform::path_separator);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string first_value(const std::vector<std::pair<std::string, std::string>>& lines,
                        const char* const* names, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    for (const auto& [name, value] : lines)
      if (name == names[i] && !value.empty()) return value;
  return {};
}

bool write_report_file(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  if (write_whole_file(temporary, text) && platform::replace_file(temporary, path)) return true;
  std::remove(temporary.c_str());
  print_error("Não foi possível gravar " + path + "\n");
  return false;
}

}  // namespace

std::optional<std::string> label_from_batch_record(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
      std::string value = line.substr(colon + 1);
      while (!value.empty() && value.front() == ' ') value.erase(0, 1);
      while (!value.empty() && value.back() == ' ') value.pop_back();
      lines.emplace_back(line.substr(0, colon), value);
    }
    start = end + 1;
  }
  std::string label = first_value(lines, kBatchRecordSolver, std::size(kBatchRecordSolver));
  if (label.empty()) return std::nullopt;
  const std::string version =
      first_value(lines, kBatchRecordVersion, std::size(kBatchRecordVersion));
  const std::string settings =
      first_value(lines, kBatchRecordSettings, std::size(kBatchRecordSettings));
  if (!version.empty()) label += " " + version;
  if (!settings.empty()) label += " (" + last_component(settings) + ")";
  return label;
}

std::optional<Run> read_run(const std::string& folder) {
  if (!is_existing_folder(folder)) {
    print_error("A pasta " + folder + " não existe; não foi incluída.\n");
    return std::nullopt;
  }
  std::string text;
  std::vector<ResultsLine> lines;
  std::string file = results_file_path(folder);
  ResultsFileState state =
      read_results_file(file, kResultsHeader, 5, is_solver_word, text, lines);
  if (state == ResultsFileState::Missing) {
    print_error("A pasta " + folder + " não tem sol_stat.csv; não foi incluída.\n");
    return std::nullopt;
  }
  bool details = false;
  if (state == ResultsFileState::Read) {
    std::string details_text;
    std::vector<ResultsLine> details_lines;
    const std::string details_file = details_file_path(folder);
    const ResultsFileState details_state = read_results_file(
        details_file, kDetailsHeader, 10, is_solver_word, details_text, details_lines);
    if (details_state == ResultsFileState::NotOurs) {
      file = details_file;
      state = details_state;
    } else if (details_state == ResultsFileState::Read) {
      text = std::move(details_text);
      lines = std::move(details_lines);
      details = true;
    }
  }
  if (state == ResultsFileState::NotOurs) {
    print_error("O arquivo " + file +
                " não está na forma em que o Vardelmo o grava; a pasta não foi incluída.\n");
    return std::nullopt;
  }
  Run run;
  std::vector<std::string> seen;
  for (const ResultsLine& line : lines) {
    const std::vector<std::string>& f = line.fields;
    RunRow row;
    row.name = f[1];
    row.outcome = *outcome_of(f[3]);
    row.seconds = *number_of(f[2]);
    row.z = signed_number(f[4]);
    if (details) {
      row.dual_bound = signed_number(f[5]);
      row.gap = signed_number(f[6]);
      row.nodes = number_of(f[7]);
      row.contradicts = f[9] == "NAO";
    }
    run.rows.push_back(std::move(row));
  }
  const std::optional<std::string> record =
      read_whole_file(join_path(folder, "sol_lote.txt"), true);
  std::optional<std::string> label;
  if (record) label = label_from_batch_record(*record);
  run.label = label ? *label
                    : (lines.empty() ? std::string("?") : lines[0].fields[0]) + " " +
                          last_component(folder);
  return run;
}

void compare_results_folders() {
  std::vector<Run> runs;
  std::vector<std::string> folders;
  for (;;) {
    std::string folder;
    if (!ask("Digite o caminho de uma pasta de resultados (vazio para terminar)> ", folder))
      return;
    if (folder.empty()) break;
    std::optional<Run> run = read_run(folder);
    if (!run) continue;
    runs.push_back(std::move(*run));
    folders.push_back(folder);
  }
  if (runs.empty()) {
    print("Nenhuma pasta de resultados; nada a comparar.\n");
    return;
  }
  // Equal labels get their folders'.
  std::vector<bool> shared(runs.size(), false);
  for (std::size_t r = 0; r < runs.size(); ++r)
    for (std::size_t other = 0; other < runs.size(); ++other)
      if (other != r && runs[other].label == runs[r].label) shared[r] = true;
  for (std::size_t r = 0; r < runs.size(); ++r)
    if (shared[r]) runs[r].label += " [" + folders[r] + "]";
  const std::optional<std::string> report =
      ask_for_folder("Digite o caminho da pasta para gerar o relatório> ",
                     "Pasta do relatório inexistente ou inválida...\n");
  if (!report) return;

  const Comparison comparison = compare_runs(runs);
  print(console_report(runs, comparison));
  const std::string end = platform::line_end;
  const std::pair<const char*, std::string> files[] = {
      {"comparacao.csv", summary_csv(runs, comparison, end)},
      {"comparacao_modelos.csv", models_csv(runs, comparison, end)},
      {"perfil_desempenho.csv", profile_csv(runs, comparison, end)},
      {"relatorio.html", html_report(runs, comparison, platform::text_charset, end)}};
  std::string written;
  for (const auto& [name, text] : files) {
    const std::string path = join_path(*report, name);
    if (write_report_file(path, text)) written += "  " + path + "\n";
  }
  if (!written.empty()) print("Arquivos gravados:\n" + written);
}

}  // namespace vardelmo
