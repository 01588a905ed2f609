#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "files.h"

namespace vardelmo::test {

namespace fs = std::filesystem;

// What the tests see differently on Windows. Everything else the program
// shows is the same on both platforms, once the Windows line ends are
// checked and taken off (see ProcessResult and read_text_file).
#ifdef _WIN32
/// The separator the program puts between a folder and a name.
inline const std::string kPathSeparator = "\\";
/// The file whose presence in the working folder lets `solver` pick Gurobi.
inline const std::string kGurobiLibraryFile = "gurobi110.dll";
/// Text-mode input drops the carriage return of a CR LF.
inline constexpr bool kInputDropsCarriageReturn = true;
#else
inline const std::string kPathSeparator = "/";
inline const std::string kGurobiLibraryFile = "libgurobi110.so";
inline constexpr bool kInputDropsCarriageReturn = false;
#endif

/// A run of the binary. `out` and `err` have their lines ending in "\n" on
/// both platforms; on Windows, where text mode writes CR LF, every line end
/// is checked to be CR LF (a test failure otherwise) before the CR goes.
struct ProcessResult {
  std::string out;
  std::string err;
  /// Standard output byte for byte.
  std::string out_bytes;
  int status = -1;
};

/// Copies the Gurobi stand-in into `folder` under the library's file name,
/// as a user puts a Gurobi library into the shell's start folder.
void place_gurobi_library(const fs::path& folder);

/// The program as built, and the same program linked with the SCIP stand-in,
/// for what only a test double does.
inline const std::string kProgram = VARDELMO_BINARY;
inline const std::string kProgramOnStandIn = VARDELMO_STANDIN_BINARY;

/// Runs `program` with `input` on standard input and `workdir` as working
/// folder.
ProcessResult run_vardelmo(const std::string& input, const fs::path& workdir,
                           const std::string& program = kProgram);

/// Runs it in a fresh temporary working folder.
ProcessResult run_vardelmo(const std::string& input);

/// A file that the program wrote through a text-mode stream, with its line
/// ends checked and taken off as for ProcessResult::out.
std::string read_text_file(const fs::path& file);

/// Runs a program with its standard output discarded; its exit status.
int run_program(const std::vector<std::string>& arguments);

/// The C library's words for the failure to open a folder as a file for
/// writing, as GLPK reports it: Linux's in the shell's Portuguese, Windows'
/// (whose C library words errors in English only).
std::string folder_as_file_reason();

/// The exact banner the shell prints at start and for `about`.
extern const std::string kBanner;
inline const std::string kPrompt = "Vardelmo> ";
inline const std::string kAskJobs = "Digite o número de modelos resolvidos ao mesmo tempo> ";
inline const std::string kAskSaveSol = "Gravar a melhor solução de cada modelo? (s/n)> ";

}  // namespace vardelmo::test
