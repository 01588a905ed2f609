#pragma once
// Helpers for tests that run `opt` through the binary.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program.h"

namespace vardelmo::test {

inline const std::string kAskModels = "Digite o caminho da pasta de arquivos .lp> ";
inline const std::string kAskOutput = "Digite o caminho da pasta para gerar o output> ";
inline const std::string kNoModels = "Pasta de .lps inexistente ou inválida...\n";
inline const std::string kNoOutput = "Pasta de output inexistente ou inválida...\n";
inline const std::string kSeparator =
    "----------------------------------------------------------------------\n";
inline const std::string kResultsHeader = "SOLVER;NOME;TEMPO;STATUS;Z\n";

/// Standard input that gives `before`, answers `opt` with the two folders,
/// then gives `after`.
std::string opt_session(const fs::path& models, const fs::path& output,
                        const std::string& before = "", const std::string& after = "exit\n");

/// A batch's folders, each fresh: the working folder the program starts in,
/// the models' and the output's.
struct BatchFolders {
  TempFolder work, models, output;
  /// The results file in the output folder, as read_text_file reads it.
  std::string csv() const;
  /// Runs `program` in `work` on the opt_session of these folders.
  ProcessResult run_opt(const std::string& before = "",
                        const std::string& program = kProgram) const;
};

/// A test with a batch's folders.
class BatchTest : public ::testing::Test, public BatchFolders {};

/// What a batch prints before model `i`: the separator and its number.
inline std::string model_header(int i) {
  return kSeparator + "MODELO " + std::to_string(i) + " \n";
}

/// A model's block once mask_times has run; without a STATUS line for an
/// empty `status`.
inline std::string model_block(const std::string& name, const std::string& status) {
  return "NOME: " + name + "\nTEMPO: T\n" + (status.empty() ? "" : "STATUS: " + status + "\n");
}

/// Replaces every measured time, which no test can predict: the value of a
/// console "TEMPO: " line by T, and the TEMPO field of results-file rows by T.
std::string mask_times(const std::string& text);

/// Copies a model from the test data into `folder`.
void copy_model(const std::string& name, const fs::path& folder, const std::string& as = "");

/// A market-split instance: a few equality rows over binaries that branch
/// and bound needs far more than a second to settle. With slack, a
/// minimisation whose bound (1000) stays below every solution found soon.
std::string hard_model(bool with_slack = false);

/// A dense LP of `rows` rows over a thousand columns, about 10 kB a row: at a
/// thousand rows SCIP needs some 200 MB to read it and set out to solve it.
std::string dense_model(int rows);

/// Standard output of `opt` with mask_times applied and without what the
/// solver library prints between a model's "MODELO" line and its "NOME" line
/// (its reading report, its log): those lines are the library's own.
std::string mask_console(const std::string& out);

/// `out` with its batch's blocks (each from its "MODELO i" header to the next
/// header or the prompt after the batch) in the order of their numbers: a
/// batch of several models at once prints each block when its model ends.
std::string blocks_in_entry_order(const std::string& out);

/// Standard error without the SCIP library's own lines (its warnings, and
/// the error trace that comes before the runner's "[Functions.cpp:<line>]"
/// report).
std::string mask_library_errors(const std::string& err);

/// Copies the classic benchmark instances with known results into `folder`.
void copy_classic_instances(const fs::path& folder);

/// Checks a results file of the classic instances: every optimum within 1e-6
/// relative, stein27_inf infeasible with `infeasible_z` as its Z field.
void expect_classic_results(const std::string& csv, const std::string& solver,
                            const std::string& infeasible_z);

/// Writes "classic.solu" into `folder`: the classic instances' known optima,
/// one of them wrong (lseu's), p0548's as a best known value above its
/// optimum, stein27_inf's infeasibility, a second value for egout, and
/// (unless told otherwise) one line no reader takes.
void write_classic_references(const fs::path& folder, bool unreadable_line = true);

/// Checks what a batch of the classic instances, with classic.solu beside
/// them and save_sol on, leaves besides its results file: the one line of
/// classic.solu that no reader takes on standard error, each model's block
/// followed by its verdict, the details file against the results file (a
/// dual bound equal to each optimum, no gap, a node count, each reference
/// and its verdict), and each optimum's solution file, headed by it.
void expect_classic_references_and_solutions(const BatchFolders& batch, const ProcessResult& r);

/// "header\n" + one line per row, as the results file holds them.
std::string results_file(const std::vector<std::string>& rows);

#ifndef _WIN32
/// The fields of each row of `csv` as a spreadsheet takes them: read by
/// Python's csv module with ';' as separator, each field byte for byte.
/// (Under Wine no such reader is at hand; the Windows tests compare bytes.)
std::vector<std::vector<std::string>> read_csv_fields(const fs::path& csv);
#endif

}  // namespace vardelmo::test
