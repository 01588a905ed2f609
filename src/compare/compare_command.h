#pragma once
// The `compare` command: batches' results folders in, a report folder out.
#include <optional>
#include <string>

#include "compare/comparison.h"

namespace vardelmo {

/// The names of `sol_lote.txt` lines that label a run, in the order the
/// label takes them; the first name found of each list counts. Kept here
/// alone, so that they follow the file as it is written.
inline const char* const kBatchRecordSolver[] = {"SOLVER"};
inline const char* const kBatchRecordVersion[] = {"VERSAO_SOLVER", "VERSAO", "SOLVER_VERSAO"};
inline const char* const kBatchRecordSettings[] = {"ARQUIVO_PARAMETROS", "PARAM_FILE",
                                                   "PARAMETROS"};

/// A run's label from the text of its `sol_lote.txt` ("NOME: valor" lines):
/// the solver, its version and the settings file's name, as far as given;
/// none without a solver line.
[[nodiscard]] std::optional<std::string> label_from_batch_record(const std::string& text);

/// A results folder as a run: its details file where there is one, its
/// results file otherwise, labelled by its batch record or else by its
/// SOLVER column and the folder's name. None, after one line on standard
/// error, for a folder that holds no results file of this program's form.
[[nodiscard]] std::optional<Run> read_run(const std::string& folder);

/// Asks for the folders, compares them, prints the table and writes the report.
void compare_results_folders();

}  // namespace vardelmo
