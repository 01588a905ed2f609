#pragma once
#include <chrono>
#include <filesystem>
#include <optional>
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
/// Every Gurobi library file the program looks for, newest first, and the
/// folder of GUROBI_HOME where it looks for them.
inline const std::vector<std::string> kGurobiLibraryFiles = {"gurobi130.dll", "gurobi120.dll",
                                                             "gurobi110.dll"};
inline const std::string kGurobiHomeLibraryFolder = "bin";
/// Text-mode input drops the carriage return of a CR LF.
inline constexpr bool kInputDropsCarriageReturn = true;
#else
inline const std::string kPathSeparator = "/";
inline const std::string kGurobiLibraryFile = "libgurobi110.so";
inline const std::vector<std::string> kGurobiLibraryFiles = {"libgurobi130.so", "libgurobi120.so",
                                                             "libgurobi110.so"};
inline const std::string kGurobiHomeLibraryFolder = "lib";
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
/// folder, with `arguments` after its name.
ProcessResult run_vardelmo(const std::string& input, const fs::path& workdir,
                           const std::string& program = kProgram,
                           const std::vector<std::string>& arguments = {});

#ifndef _WIN32
/// Runs the program with its standard output on a terminal (a pseudo-
/// terminal whose line ends come back as "\n"); input and errors as above.
ProcessResult run_vardelmo_on_terminal(const std::string& input, const fs::path& workdir);

/// The program with standard input and output on one pseudo-terminal (80
/// columns, TERM=dumb, no inputrc), as a person runs it, in `workdir`;
/// standard error goes to a file.
class TerminalSession {
 public:
  explicit TerminalSession(const fs::path& workdir);
  /// Kills the program if it still runs.
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  /// Once the screen shows `shown` (line ends as "\n") after what the last
  /// call waited for, types `keys`; a test failure when it does not within
  /// 10 s.
  void type_after(const std::string& shown, const std::string& keys);
  /// Waits for the program to end (10 s at most): the whole screen in
  /// `out`, its exit status, or 128 plus the signal that ended it.
  ProcessResult finish();

 private:
  // Adds what the program wrote next; false when it wrote nothing more by
  // `give_up`, or ended.
  bool read_screen(std::chrono::steady_clock::time_point give_up);
  TempFolder io_;
  int terminal_ = -1;
  int child_ = -1;
  std::string screen_;
  std::size_t waited_ = 0;
};
#endif

/// While it lives, the environment variable `name` has `value` for the
/// programs that the test starts, and for the test itself.
class VariableOverride {
 public:
  VariableOverride(const char* name, const std::string& value);
  ~VariableOverride();
  VariableOverride(const VariableOverride&) = delete;
  VariableOverride& operator=(const VariableOverride&) = delete;

 private:
  const char* name_;
  std::optional<std::string> before_;
};

/// While it lives, `folder` is the system's temporary folder for the
/// programs that the test starts and for its own TempFolders: the folder
/// where a batch's worker files go, which tests running at the same time
/// share otherwise.
class TemporaryFolderOverride : public VariableOverride {
 public:
  explicit TemporaryFolderOverride(const fs::path& folder);
};

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

/// The entry names of `folder` in the order the file system lists them, the
/// order the shell numbers them in.
std::vector<std::string> listing_order(const fs::path& folder);

/// The exact banner the shell prints at start and for `about`.
extern const std::string kBanner;
inline const std::string kPrompt = "Vardelmo> ";
inline const std::string kBye = "Saindo do shell...\n";
inline const std::string kUnknownCommand =
    "Comando não reconhecido. Para ver os comandos digite 'help'\n";
/// The end of `help` and the prompt after it: a test that sends `help` after
/// a command knows by it that the command has returned.
inline const std::string kAfterHelp = "finalizar Vardelmo\n\n" + kPrompt;

// The settings' questions, and what the shell says to an answer it rejects.
inline const std::string kAskJobs = "Digite o número de modelos resolvidos ao mesmo tempo> ";
inline const std::string kBadJobs = "Valor inválido, o número não foi alterado.\n";
inline const std::string kAskMemLimit = "Digite a memória máxima por modelo (MB)> ";
inline const std::string kAskTimeLimit = "Digite o tempo máximo para resolução dos modelos (seg)> ";
inline const std::string kBadTimeLimit = "Valor inválido, o tempo máximo não foi alterado.\n";
inline const std::string kAskVerbose = "Imprimir log do solver? (s/n)> ";
inline const std::string kAskCluster = "Enviar os modelos a um cluster Slurm? (s/n)> ";
inline const std::string kAskSaveSol = "Gravar a melhor solução de cada modelo? (s/n)> ";
inline const std::string kAskResume = "Retomar lotes interrompidos? (s/n)> ";
inline const std::string kBadYesOrNo = "Opção inexistente, favor selecionar uma opção válida.\n";
#ifdef VARDELMO_WITH_HIGHS
inline const std::string kAskSolver = "Digite o solver que deseja usar (GUROBI/SCIP/HIGHS)> ";
// --version's line for the HiGHS library the build has.
inline const std::string kHighsVersionLine = "HiGHS " VARDELMO_HIGHS_VERSION "\n";
#else
inline const std::string kHighsVersionLine;
inline const std::string kAskSolver = "Digite o solver que deseja usar (GUROBI/SCIP)> ";
#endif
inline const std::string kBadSolver =
    "Opção inexistente, favor selecionar um solver dentre os disponibilizados.\n";
inline const std::string kNoGurobi = "Bilioteca 'gurobi110.dll' não encontrada\n";

// mod_lp's question, its refusal, and its report of a .lp file it could not write.
inline const std::string kAskModFolder = "Digite o caminho da pasta de arquivos .mod> ";
inline const std::string kNoModFolder = "Pasta de .mods inexistente ou inválida...\n";
inline const std::string kWriteError = "Erro ao escrever arquivo .lp\n";

}  // namespace vardelmo::test
