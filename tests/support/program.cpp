#include "program.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <locale.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace vardelmo::test {
namespace {

#ifdef _WIN32

// For cmd.exe, which std::system runs: inside double quotes nothing but a
// double quote is special, and no path of the tests holds one.
std::string shell_quote(const std::string& text) {
  if (text.find('"') != std::string::npos)
    throw std::invalid_argument("cannot quote for cmd.exe: " + text);
  return '"' + text + '"';
}

// cmd.exe takes away the first and the last quote of a command that starts
// with one; a pair around the whole command is what it takes.
int run_shell(const std::string& command) { return std::system(('"' + command + '"').c_str()); }

const char* const kNullDevice = "NUL";
const char* const kChangeFolder = "cd /d ";  // and drive

std::string from_text_mode(const std::string& bytes, const std::string& source) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
      ADD_FAILURE() << source << ": a line feed without its carriage return at byte " << i;
    text += bytes[i];
  }
  return text;
}

#else

std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

int run_shell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
}

const char* const kNullDevice = "/dev/null";
const char* const kChangeFolder = "cd ";

std::string from_text_mode(const std::string& bytes, const std::string&) { return bytes; }

// A terminal turns each line feed into CR LF.
std::string without_terminal_line_ends(const std::string& bytes) {
  std::string text;
  for (std::size_t at = 0; at < bytes.size(); ++at)
    if (bytes.compare(at, 2, "\r\n") != 0) text += bytes[at];
  return text;
}

#endif

}  // namespace

const std::string kBanner =
    "\nVardelmo v2.0, resolvedor de modelos .lp em lote, e gerador de arquivos .lp a partir de "
    "arquivos .mod. Criado por Vardelmo Antunes Ribeiro (vardelmo.ribeiro@gmail.com)."
#ifdef VARDELMO_WITH_HIGHS
    "Existem 3 solvers que podem ser utilizados: o SCIP (https://www.scipopt.org/doc/html/), o "
    "GUROBI (https://www.gurobi.com/) e o HIGHS (https://highs.dev).  \n"
#else
    "Existem 2 solvers que podem ser utilizados: o SCIP (https://www.scipopt.org/doc/html/), e o "
    "GUROBI (https://www.gurobi.com/).  \n"
#endif
    "O transformador de formatos é o GLPK "
    "(https://www.gnu.org/software/glpk/).  \nPara acessar as funcionalidades digite 'help'. \n\n";

std::vector<std::string> listing_order(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

std::string read_text_file(const fs::path& file) {
  return from_text_mode(read_file(file), file.string());
}

void place_gurobi_library(const fs::path& folder) {
  fs::copy_file(VARDELMO_GUROBI_STANDIN, folder / kGurobiLibraryFile,
                fs::copy_options::overwrite_existing);
}

ProcessResult run_vardelmo(const std::string& input, const fs::path& workdir,
                           const std::string& program, const std::vector<std::string>& arguments) {
  TempFolder io;  // kept apart so the files never show up in a listing
  write_file(io.path() / "in", input);
  const std::string binary = fs::path(program).make_preferred().string();
  std::string command = kChangeFolder + shell_quote(workdir.string()) + " && " + shell_quote(binary);
  for (const std::string& argument : arguments) command += " " + shell_quote(argument);
  command += " < " + shell_quote(io / "in") + " > " + shell_quote(io / "out") + " 2> " +
             shell_quote(io / "err");
  ProcessResult result;
  // Under Wine, a command interpreter now and then fails to start while
  // other programs start too. The interpreter makes the output file before
  // it starts the program, so a run without that file never reached the
  // program and is tried again.
  const fs::path out_file = io.path() / "out";
  for (int attempt = 1; attempt <= 3 && !fs::exists(out_file); ++attempt) {
    errno = 0;
    result.status = run_shell(command);
    if (!fs::exists(out_file))
      std::fprintf(stderr, "run %d of the program did not start: status %d, %s\n", attempt,
                   result.status, std::strerror(errno));
  }
  if (!fs::exists(out_file)) ADD_FAILURE() << "the program never started: " << command;
  result.out_bytes = read_file(io.path() / "out");
  result.out = from_text_mode(result.out_bytes, "standard output");
  result.err = from_text_mode(read_file(io.path() / "err"), "standard error");
  return result;
}

#ifndef _WIN32
ProcessResult run_vardelmo_on_terminal(const std::string& input, const fs::path& workdir) {
  TempFolder io;
  write_file(io.path() / "in", input);
  const std::string in = io / "in", err = io / "err";
  ProcessResult result;
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) {
    ADD_FAILURE() << "no pseudo-terminal: " << std::strerror(errno);
    return result;
  }
  if (child == 0) {
    // Only standard output stays on the terminal.
    const int input_file = ::open(in.c_str(), O_RDONLY);
    const int error_file = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (input_file < 0 || error_file < 0 || ::dup2(input_file, 0) < 0 ||
        ::dup2(error_file, 2) < 0 || ::chdir(workdir.c_str()) != 0)
      ::_exit(127);
    ::execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got > 0)
      result.out_bytes.append(buffer, static_cast<std::size_t>(got));
    else if (got < 0 && errno == EINTR)
      continue;
    else
      break;  // EIO once the program has ended
  }
  ::close(terminal);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = without_terminal_line_ends(result.out_bytes);
  result.err = read_file(io.path() / "err");
  return result;
}

TerminalSession::TerminalSession(const fs::path& workdir) {
  const std::string err = io_ / "err";
  struct winsize size {};
  size.ws_row = 24;
  size.ws_col = 80;
  const pid_t child = forkpty(&terminal_, nullptr, nullptr, &size);
  if (child < 0) {
    ADD_FAILURE() << "no pseudo-terminal: " << std::strerror(errno);
    return;
  }
  if (child == 0) {
    const int error_file = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (error_file < 0 || ::dup2(error_file, 2) < 0 || ::chdir(workdir.c_str()) != 0 ||
        ::setenv("TERM", "dumb", 1) != 0 || ::setenv("INPUTRC", "/dev/null", 1) != 0)
      ::_exit(127);
    ::execl(kProgram.c_str(), kProgram.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  child_ = child;
}

TerminalSession::~TerminalSession() {
  if (child_ > 0) {
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
  }
  if (terminal_ >= 0) ::close(terminal_);
}

bool TerminalSession::read_screen(std::chrono::steady_clock::time_point give_up) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      give_up - std::chrono::steady_clock::now());
  pollfd ready{terminal_, POLLIN, 0};
  char buffer[4096];
  ssize_t got = 0;
  // EIO once the program has ended.
  if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0 ||
      (got = ::read(terminal_, buffer, sizeof buffer)) <= 0)
    return false;
  screen_.append(buffer, static_cast<std::size_t>(got));
  return true;
}

void TerminalSession::type_after(const std::string& shown, const std::string& keys) {
  // After one failure the rest of the session is not waited for.
  if (child_ < 0) return;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::size_t found;
  while ((found = without_terminal_line_ends(screen_).find(shown, waited_)) == std::string::npos) {
    if (!read_screen(give_up)) {
      ADD_FAILURE() << "the screen never showed \"" << shown << "\"; it shows:\n" << screen_;
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
      child_ = -1;
      return;
    }
  }
  waited_ = found + shown.size();
  if (::write(terminal_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
    ADD_FAILURE() << "could not type on the terminal: " << std::strerror(errno);
}

ProcessResult TerminalSession::finish() {
  ProcessResult result;
  if (child_ < 0) return result;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (read_screen(give_up)) {
  }
  if (std::chrono::steady_clock::now() >= give_up) {
    ADD_FAILURE() << "the program did not end; the screen shows:\n" << screen_;
    ::kill(child_, SIGKILL);
  }
  int status = 0;
  while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
  }
  child_ = -1;
  result.status = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
  result.out_bytes = screen_;
  result.out = without_terminal_line_ends(screen_);
  result.err = read_file(io_.path() / "err");
  return result;
}
#endif

namespace {

#ifdef _WIN32
// The first variable that GetTempPath reads; _putenv sets it for the
// processes started later as well.
const char kTemporaryVariable[] = "TMP";
void set_variable(const char* name, const std::string& value) {
  _putenv((std::string(name) + "=" + value).c_str());
}
void unset_variable(const char* name) { _putenv((std::string(name) + "=").c_str()); }
#else
const char kTemporaryVariable[] = "TMPDIR";
void set_variable(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }
void unset_variable(const char* name) { ::unsetenv(name); }
#endif

}  // namespace

VariableOverride::VariableOverride(const char* name, const std::string& value) : name_(name) {
  if (const char* before = std::getenv(name)) before_ = before;
  set_variable(name, value);
}

VariableOverride::~VariableOverride() {
  if (before_)
    set_variable(name_, *before_);
  else
    unset_variable(name_);
}

TemporaryFolderOverride::TemporaryFolderOverride(const fs::path& folder)
    : VariableOverride(kTemporaryVariable, folder.string()) {}

ProcessResult run_vardelmo(const std::string& input) {
  TempFolder workdir;
  return run_vardelmo(input, workdir.path());
}

int run_program(const std::vector<std::string>& arguments) {
  std::string command;
  for (const std::string& argument : arguments) command += shell_quote(argument) + " ";
  return run_shell(command + "> " + kNullDevice);
}

std::string folder_as_file_reason() {
#ifdef _WIN32
  return std::strerror(EACCES);
#else
  locale_t portuguese = newlocale(LC_ALL_MASK, "pt_BR.UTF-8", static_cast<locale_t>(0));
  if (portuguese == static_cast<locale_t>(0)) throw std::runtime_error("no pt_BR.UTF-8 locale");
  const std::string reason = strerror_l(EISDIR, portuguese);
  freelocale(portuguese);
  return reason;
#endif
}

}  // namespace vardelmo::test
