#include "worker/protocol.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>


namespace vardelmo {
namespace {

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

}  // namespace

std::string encode_worker_order(const WorkerOrder& order) {
  std::string text(kOrderMagic);
  put_field(text, order.settings.solver);
  put_field(text, number_field(order.settings.time_limit));
  put_field(text, order.settings.verbose ? "1" : "0");
  put_field(text, std::to_string(order.settings.mem_limit));
  put_field(text, order.settings.param_file);
  put_field(text, order.folder);
  put_field(text, std::to_string(order.entries));
  put_field(text, order.name);
  put_field(text, order.shared ? "1" : "0");
  return text;
}

std::optional<WorkerOrder> decode_worker_order(std::string_view text) {
  if (text.substr(0, kOrderMagic.size()) != kOrderMagic) return std::nullopt;
  text.remove_prefix(kOrderMagic.size());
  WorkerOrder order;
  std::string verbose, shared;
  if (!take_field(text, order.settings.solver) || !take_number(text, order.settings.time_limit) ||
      !take_field(text, verbose) || !take_count(text, order.settings.mem_limit) ||
      !take_field(text, order.settings.param_file) || !take_field(text, order.folder) || !take_count(text, order.entries) ||
      !take_field(text, order.name) || !take_field(text, shared) || !text.empty())
    return std::nullopt;
  order.settings.verbose = verbose == "1";
  order.shared = shared == "1";
  return order;
}

std::string encode_task(std::size_t entry, const ModelJob& job) {
  std::string text;
  put_field(text, std::to_string(entry));
  put_field(text, job.model_path);
  put_field(text, job.solution_path);
  return text;
}

std::optional<std::vector<std::pair<std::size_t, ModelJob>>> decode_task_list(
    std::string_view text, std::size_t entries) {
  std::vector<std::pair<std::size_t, ModelJob>> jobs;
  while (!text.empty()) {
    std::size_t entry = 0;
    ModelJob job;
    if (!take_count(text, entry) || entry >= entries || !take_field(text, job.model_path) ||
        !take_field(text, job.solution_path))
      return std::nullopt;
    jobs.emplace_back(entry, std::move(job));
  }
  return jobs;
}

// "N" for a run with no result, "R" and its fields for one with a result.
std::string encode_worker_result(const RunResult& result) {
  if (!result) return "N";
  std::string bytes = "R";
  put_field(bytes, result->name);
  put_field(bytes, std::to_string(static_cast<int>(result->outcome)));
  put_field(bytes, number_field(result->seconds));
  put_optional(bytes, result->z);
  const SearchFigures& search = result->search;
  put_optional(bytes, search.objective);
  put_optional(bytes, search.dual_bound);
  put_optional(bytes, search.gap_percent);
  put_optional(bytes, search.nodes);
  put_field(bytes, search.maximize ? "1" : "0");
  return bytes;
}

std::optional<RunResult> decode_worker_result(std::string_view bytes) {
  if (bytes == "N") return RunResult();
  if (bytes.empty() || bytes[0] != 'R') return std::nullopt;
  bytes.remove_prefix(1);
  ModelResult result;
  std::string maximize;
  double outcome = 0;
  SearchFigures& search = result.search;
  if (!take_field(bytes, result.name) || !take_number(bytes, outcome) ||
      !take_number(bytes, result.seconds) || !take_optional(bytes, result.z) ||
      !take_optional(bytes, search.objective) || !take_optional(bytes, search.dual_bound) ||
      !take_optional(bytes, search.gap_percent) || !take_optional(bytes, search.nodes) ||
      !take_field(bytes, maximize) || !bytes.empty() || outcome < 0 ||
      outcome > static_cast<int>(Outcome::SolverError))
    return std::nullopt;
  result.outcome = static_cast<Outcome>(static_cast<int>(outcome));
  search.maximize = maximize == "1";
  return result;
}

// "C" and the entry for a model taken; "E", the entry, both positions (empty
// when unknown) and the result's bytes for one that ended.
std::string encode_worker_record(const WorkerRecord& record) {
  std::string bytes = record.ended ? "E" : "C";
  put_field(bytes, std::to_string(record.entry));
  if (!record.ended) return bytes;
  for (const std::optional<std::size_t>& at : {record.output_end, record.errors_end})
    put_field(bytes, at ? std::to_string(*at) : std::string());
  put_field(bytes, record.result ? encode_worker_result(*record.result) : std::string());
  return bytes;
}

bool take_worker_record(std::string_view& log, WorkerRecord& record) {
  std::string_view rest = log;
  if (rest.empty() || (rest[0] != 'C' && rest[0] != 'E')) return false;
  WorkerRecord taken;
  taken.ended = rest[0] == 'E';
  rest.remove_prefix(1);
  if (!take_count(rest, taken.entry)) return false;
  if (taken.ended) {
    std::string output, errors, result;
    if (!take_field(rest, output) || !take_field(rest, errors) || !take_field(rest, result))
      return false;
    for (auto [text, at] : {std::pair{&output, &taken.output_end}, std::pair{&errors, &taken.errors_end}}) {
      std::size_t position = 0;
      if (count_of(*text, position)) *at = position;
    }
    taken.result = decode_worker_result(result);
  }
  record = std::move(taken);
  log = rest;
  return true;
}

std::size_t worker_memory_cap(std::size_t mem_limit) { return mem_limit + mem_limit / 4 + 256; }

}  // namespace vardelmo
