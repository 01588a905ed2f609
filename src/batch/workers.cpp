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

// A count of at most nine digits.
bool count_of(std::string_view digits, std::size_t& count) {
  if (digits.empty() || digits.size() > 9) return false;
  count = 0;
  for (char digit : digits) {
    if (digit < '0' || digit > '9') return false;
    count = count * 10 + static_cast<std::size_t>(digit - '0');
  }
  return true;
}

bool take_field(std::string_view& text, std::string& field) {
  const std::size_t end = text.find('\n');
  std::size_t size = 0;
  if (end == std::string_view::npos || !count_of(text.substr(0, end), size)) return false;
  text.remove_prefix(end + 1);
  if (text.size() < size + 1 || text[size] != '\n') return false;
  field.assign(text.substr(0, size));
  text.remove_prefix(size + 1);
  return true;
}

// "%.17g" under the process's classic numeric locale gives every double back.
std::string number_field(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

bool take_number(std::string_view& text, double& value) {
  std::string field;
  if (!take_field(text, field) || field.empty()) return false;
  char* end = nullptr;
  value = std::strtod(field.c_str(), &end);
  return *end == '\0';
}

bool take_count(std::string_view& text, std::size_t& count) {
  std::string field;
  return take_field(text, field) && count_of(field, count);
}

// An absent value is an empty field.
void put_optional(std::string& text, const std::optional<double>& value) {
  put_field(text, value ? number_field(*value) : std::string());
}

bool take_optional(std::string_view& text, std::optional<double>& value) {
  if (text.substr(0, 2) == "0\n") {
    std::string empty;
    value.reset();
    return take_field(text, empty);
  }
  double number = 0;
  if (!take_number(text, number)) return false;
  value = number;
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
  put_field(text, task.solver);
  put_field(text, number_field(task.time_limit));
  put_field(text, task.verbose);
  put_field(text, std::to_string(task.mem_limit));
  put_field(text, task.model_path);
  put_field(text, task.result_path);
  put_field(text, task.solution_path);
  return text;
}

std::optional<WorkerTask> decode_worker_task(std::string_view text) {
  if (text.substr(0, kTaskMagic.size()) != kTaskMagic) return std::nullopt;
  text.remove_prefix(kTaskMagic.size());
  WorkerTask task;
  if (!take_field(text, task.solver) || !take_number(text, task.time_limit) ||
      !take_field(text, task.verbose) || !take_count(text, task.mem_limit) ||
      !take_field(text, task.model_path) ||
      !take_field(text, task.result_path) || !take_field(text, task.solution_path) ||
      !text.empty())
    return std::nullopt;
  return task;
}

// "N" for a run with no row, "R" and its fields for one with a row.
std::string encode_worker_result(const ModelResult& result) {
  if (!result.row) return "N";
  const OutcomeFigures& figures = result.figures;
  std::string bytes = "R";
  put_field(bytes, *result.row);
  put_field(bytes, std::to_string(static_cast<int>(figures.outcome)));
  put_field(bytes, number_field(figures.seconds));
  put_optional(bytes, figures.search.objective);
  put_optional(bytes, figures.search.dual_bound);
  put_optional(bytes, figures.search.gap_percent);
  put_optional(bytes, figures.search.nodes);
  put_field(bytes, figures.search.maximize ? "1" : "0");
  return bytes;
}

std::optional<ModelResult> decode_worker_result(std::string_view bytes) {
  ModelResult result;
  if (bytes == "N") return result;
  if (bytes.empty() || bytes[0] != 'R') return std::nullopt;
  bytes.remove_prefix(1);
  std::string row, maximize;
  double outcome = 0;
  OutcomeFigures& figures = result.figures;
  if (!take_field(bytes, row) || !take_number(bytes, outcome) ||
      !take_number(bytes, figures.seconds) || !take_optional(bytes, figures.search.objective) ||
      !take_optional(bytes, figures.search.dual_bound) ||
      !take_optional(bytes, figures.search.gap_percent) ||
      !take_optional(bytes, figures.search.nodes) || !take_field(bytes, maximize) ||
      !bytes.empty() || outcome < 0 || outcome > static_cast<int>(Outcome::SolverError))
    return std::nullopt;
  result.row = std::move(row);
  figures.outcome = static_cast<Outcome>(static_cast<int>(outcome));
  figures.search.maximize = maximize == "1";
  return result;
}

std::size_t worker_memory_cap(std::size_t mem_limit) { return mem_limit + mem_limit / 4 + 256; }

namespace {

// Past it, allocations fail: the solver reports its failure, or the worker
// dies, and the model ends in ERRO NO SOLVER. Taken once the solver's library
// is loaded, so that the model has it all.
void cap_memory(std::size_t mem_limit) {
  if (mem_limit == 0) return;
  std::string reason;
  if (!platform::cap_memory_growth(worker_memory_cap(mem_limit), reason))
    print_error("Não foi possível limitar a memória do processo: " + reason +
                "; vale só o limite do solver.\n");
}

}  // namespace

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
  shell_settings.mem_limit = task->mem_limit;
  // Whatever was printed before a crash reaches the shell.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const SolverRunner& runner = find_runner(task->solver);
  ModelResult result;
  if (runner.library_fits() && runner.prepare()) {
    cap_memory(task->mem_limit);
    result = solve_model({task->model_path, task->solution_path});
  }
  write_result(task->result_path, encode_worker_result(result));
  return true;
}

}  // namespace vardelmo
