#include "batch/workers.h"

#include <cstdio>
#include <cstdlib>

#include "base/console.h"
#include "base/files.h"
#include "base/platform.h"
#include "base/process.h"
#include "base/shell_settings.h"
#include "solvers/runners.h"

namespace vardelmo {
namespace {

// No command script a user feeds the shell starts with this line.
constexpr std::string_view kTaskMagic = "\x7fVARDELMO WORKER 1\n";

// Each field is its length, a line feed, its bytes and a line feed: a model
// path may hold any byte but NUL, line feeds included.
void put_field(std::string& text, std::string_view field) {
  text += std::to_string(field.size());
  text += '\n';
  text += field;
  text += '\n';
}

bool take_field(std::string_view& text, std::string& field) {
  const std::size_t end = text.find('\n');
  if (end == 0 || end == std::string_view::npos || end > 9) return false;
  std::size_t size = 0;
  for (char digit : text.substr(0, end)) {
    if (digit < '0' || digit > '9') return false;
    size = size * 10 + static_cast<std::size_t>(digit - '0');
  }
  text.remove_prefix(end + 1);
  if (text.size() < size + 1 || text[size] != '\n') return false;
  field.assign(text.substr(0, size));
  text.remove_prefix(size + 1);
  return true;
}

// Beside the final name, then moved there: the shell never reads half a result.
void write_result(const std::string& path, std::string_view bytes) {
  const std::string partial = path + ".part";
  if (!write_whole_file(partial, bytes) || !platform::replace_file(partial, path))
    std::remove(partial.c_str());
}

}  // namespace

std::string encode_worker_task(const WorkerTask& task) {
  std::string text(kTaskMagic);
  char limit[64];
  std::snprintf(limit, sizeof limit, "%.17g", task.time_limit);
  put_field(text, task.solver);
  put_field(text, limit);
  put_field(text, task.verbose);
  put_field(text, task.model_path);
  put_field(text, task.result_path);
  return text;
}

std::optional<WorkerTask> decode_worker_task(std::string_view text) {
  if (text.substr(0, kTaskMagic.size()) != kTaskMagic) return std::nullopt;
  text.remove_prefix(kTaskMagic.size());
  WorkerTask task;
  std::string limit;
  if (!take_field(text, task.solver) || !take_field(text, limit) ||
      !take_field(text, task.verbose) || !take_field(text, task.model_path) ||
      !take_field(text, task.result_path) || !text.empty())
    return std::nullopt;
  // Written by "%.17g" under the process's classic numeric locale.
  char* end = nullptr;
  task.time_limit = std::strtod(limit.c_str(), &end);
  if (limit.empty() || *end != '\0') return std::nullopt;
  return task;
}

// "N" for a run with no row, "R" and its fields for one with a row.
std::string encode_worker_result(const ModelResult& result) {
  if (!result.row) return "N";
  std::string bytes = "R";
  put_field(bytes, *result.row);
  return bytes;
}

std::optional<ModelResult> decode_worker_result(std::string_view bytes) {
  ModelResult result;
  if (bytes == "N") return result;
  if (bytes.empty() || bytes[0] != 'R') return std::nullopt;
  bytes.remove_prefix(1);
  std::string row;
  if (!take_field(bytes, row) || !bytes.empty()) return std::nullopt;
  result.row = std::move(row);
  return result;
}

bool serve_as_worker() {
  const std::optional<std::string> request = platform::standard_input_request(kTaskMagic);
  if (!request) return false;
  platform::end_crashes_quietly();
  const std::optional<WorkerTask> task = decode_worker_task(*request);
  if (!task) {
    print_error("Tarefa de processo de trabalho inválida; nenhum modelo foi resolvido.\n");
    return true;
  }
  shell_settings.solver = task->solver;
  shell_settings.time_limit = task->time_limit;
  shell_settings.verbose = task->verbose;
  // Whatever was printed before a crash reaches the shell.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const SolverRunner& runner = find_runner(task->solver);
  ModelResult result;
  if (runner.library_fits() && runner.prepare()) result = solve_model(task->model_path);
  write_result(task->result_path, encode_worker_result(result));
  return true;
}

}  // namespace vardelmo
