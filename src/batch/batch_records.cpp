#include "batch/batch_records.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "base/console.h"
#include "base/platform.h"
#include "results/rows.h"
#include "solvers/outcome.h"

namespace vardelmo {
namespace {

/// The lines a dead worker's report had begun are said again, whole.
void drop_begun_report(std::string& output) {
  const std::size_t at = output.compare(0, 6, "NOME: ") == 0 ? 0 : output.rfind("\nNOME: ");
  if (at != std::string::npos) output.erase(at == 0 ? 0 : at + 1);
}

const char* verdict_word(Verdict verdict) {
  switch (verdict) {
    case Verdict::Agrees: return "SIM";
    case Verdict::Better: return "MELHOR";
    case Verdict::Contradicts: return "NAO";
    case Verdict::None: break;
  }
  return "";
}

void print_verdict(Verdict verdict, const Reference* reference) {
  if (verdict == Verdict::None) return;
  std::string line = std::string("CONFERE: ") + verdict_word(verdict);
  if (verdict != Verdict::Agrees)
    line += " (referência " +
            (reference->kind == Reference::Kind::Infeasible ? std::string("infactível")
                                                            : console_number(reference->value)) +
            ")";
  print(line + "\n");
}

/// REFERENCIA: the known value, "INFACTIVEL", or nothing.
std::string reference_field(const Reference* reference) {
  if (reference && reference->kind == Reference::Kind::Infeasible) return "INFACTIVEL";
  if (reference && reference->kind != Reference::Kind::Unknown) return number_text(reference->value);
  return {};
}

}  // namespace

void print_model_header(std::size_t entry) {
  print("----------------------------------------------------------------------\nMODELO " +
        std::to_string(entry) + " \n");
}

BatchRecords::BatchRecords(const std::string& output_folder, const std::string& solver,
                           const FileNameList& models, KnownOptima optima,
                           std::string solution_folder, EarlierResults earlier)
    : clock(models.size()),
      models_(models),
      results_(results_file_path(output_folder), kResultsHeader, solver, models.size()),
      details_(details_file_path(output_folder), kDetailsHeader, solver, models.size()),
      optima_(std::move(optima)),
      solution_folder_(std::move(solution_folder)),
      earlier_(std::move(earlier)) {}

bool BatchRecords::keep_earlier(std::size_t entry, const std::string& model_path) {
  // Most batches resume nothing: no name to cut per model then.
  if (earlier_.empty()) return false;
  const std::string name = model_file_name(model_path);
  const EarlierRows* rows = earlier_.find(name);
  if (rows == nullptr) return false;
  print_model_header(entry);
  print("NOME: " + name + "\nRETOMADO: resultado anterior mantido\n");
  results_.finish(entry, rows->row);
  details_.finish(entry, rows->detail);
  ModelResult kept;
  kept.outcome = rows->outcome;
  kept.seconds = rows->seconds;
  tally(kept, rows->contradicts, rows->contradicts ? Verdict::Contradicts : Verdict::None);
  return true;
}

ModelJob BatchRecords::job(const std::string& model_path) const {
  ModelJob job{model_path, ""};
  if (solution_folder_.empty()) return job;
  job.solution_path = join_path(solution_folder_, model_name(model_path) + ".sol");
  return job;
}

void BatchRecords::no_model(std::size_t entry) {
  results_.finish(entry, std::nullopt);
  details_.finish(entry, std::nullopt);
}

void BatchRecords::finish(EntryEnd end) {
  const std::string model_path(models_[end.entry]);
  if (end.captured) {
    print_model_header(end.entry);
    if (!end.result) drop_begun_report(end.captured->output);
    print(end.captured->output);
  }
  const bool lost = !end.result;
  if (lost) {
    ModelResult died;
    died.name = model_file_name(model_path);
    died.outcome = end.interrupted ? Outcome::UserInterrupt : Outcome::SolverError;
    died.seconds = clock.seconds(end.entry);
    print_outcome_block(died, !end.interrupted);
    end.result = std::move(died);
  }
  std::optional<std::string> row, detail;
  if (const RunResult& result = *end.result) {
    const Reference* reference = lost ? nullptr : optima_.find(model_path);
    const Verdict verdict = reference ? check(*reference, *result) : Verdict::None;
    print_verdict(verdict, reference);
    row = result_row(*result);
    detail = details_row(*result, reference_field(reference), verdict_word(verdict));
    tally(*result, reference != nullptr, verdict);
  }
  if (end.captured) {
    flush_output();
    print_error(end.captured->errors);
  }
  results_.finish(end.entry, row ? std::optional<std::string_view>(*row) : std::nullopt);
  details_.finish(end.entry, detail ? std::optional<std::string_view>(*detail) : std::nullopt);
}

void BatchRecords::print_summary(std::size_t models, double seconds) const {
  if (models == 0 || !platform::output_is_terminal()) return;
  std::string line = "Resumo: " + std::to_string(models) + (models == 1 ? " modelo" : " modelos");
  for (std::size_t i = 0; i < outcomes_.size(); ++i)
    if (outcomes_[i] != 0)
      line += "; " + std::string(outcome_word(static_cast<Outcome>(i))) + ": " +
              std::to_string(outcomes_[i]);
  if (referenced_) line += "; CONFERE NAO: " + std::to_string(contradictions_);
  line += "; tempo total: " + console_number(seconds) + " s";
  // As SCIP's check scripts: the shift keeps the many tiny times from ruling the mean.
  const double mean = rows_ == 0 ? 0 : std::exp(log_shifted_sum_ / rows_) - 1;
  line += "; média geométrica (deslocamento 1 s): " + console_number(mean) + " s";
  for (const auto* file : {&results_, &details_})
    if (file->elsewhere())
      line += "; " + file->name() + " fora da pasta de output: " + *file->elsewhere();
  print(line + "\n");
}

void BatchRecords::settle() {
  results_.settle();
  details_.settle();
}

void BatchRecords::tally(const ModelResult& result, bool referenced, Verdict verdict) {
  ++outcomes_[static_cast<std::size_t>(result.outcome)];
  ++rows_;
  log_shifted_sum_ += std::log(std::max(result.seconds, 0.0) + 1);
  referenced_ = referenced_ || referenced;
  if (verdict == Verdict::Contradicts) ++contradictions_;
}

}  // namespace vardelmo
