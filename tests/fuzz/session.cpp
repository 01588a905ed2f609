#include "session.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "base/platform.h"
#include "batch/batch_driver.h"
#include "worker/worker_main.h"
#include "files.h"
#include "shell/command_loop.h"
#include "shell/settings.h"
#include "solvers/outcome.h"

namespace fs = std::filesystem;

namespace vardelmo::fuzz {
namespace {

const char kModel[] =
    "Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 6\n"
    "Bounds\n x <= 3\nGeneral\n y\nEnd\n";
const char kMathProg[] =
    "set I;\nparam c{I};\nvar x{I} >= 0, <= 10;\n"
    "maximize z: sum{i in I} c[i] * x[i];\ns.t. cap: sum{i in I} x[i] <= 12.5;\nend;\n";
const char kMathProgData[] = "data;\nset I := a b;\nparam c := a 1.5 b 2;\nend;\n";

// Removed when the process ends normally; a crash leaves it for inspection.
struct Scratch {
  // In memory where there is such a file system: every input lays the
  // folder anew, and a disk would make the fuzzer wait on it.
  vardelmo::test::TempFolder folder{std::filesystem::is_directory("/dev/shm")
                                        ? std::filesystem::path("/dev/shm")
                                        : std::filesystem::temp_directory_path()};
  const fs::path& root = folder.path();
  // The process starts there and the shell never leaves it.
  Scratch() { fs::current_path(root); }
  ~Scratch() {
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
  }
};

Scratch& scratch() {
  static Scratch instance;
  return instance;
}

}  // namespace

const fs::path& fresh_workspace() {
  static const fs::path work = scratch().root / "work";
  static bool locale_set = false;
  if (!locale_set) {
    platform::set_process_locale();
    locale_set = true;
  }
  std::error_code ignored;
  fs::current_path(scratch().root);
  fs::remove_all(work, ignored);
  fs::create_directories(work / "m" / "sub.lp");
  fs::create_directories(work / "o");
  write_file(work / "m" / "a.lp", kModel);
  write_file(work / "m" / "b.mod", kMathProg);
  write_file(work / "m" / "b.dat", kMathProgData);
  write_file(work / "m" / "notes.txt", "not a model\n");
  // Gurobi is the stand-in, in the start folder as a user places it.
  fs::create_symlink(VARDELMO_GUROBI_STANDIN, work / "libgurobi110.so");
  fs::current_path(work);
  return work;
}

SessionOutput run_session(const std::string& input) {
  shell_settings = ShellSettings{};
  model_files.clear();

  // The shell, the solver libraries and GLPK all go through C's standard
  // streams; swapping the three stream objects catches everything they read
  // and write, while the sanitizers' reports still reach the real stderr.
  const fs::path in = scratch().root / "stdin";
  const fs::path out = scratch().root / "stdout";
  const fs::path err = scratch().root / "stderr";
  write_file(in, input);
  std::FILE* const real_in = stdin;
  std::FILE* const real_out = stdout;
  std::FILE* const real_err = stderr;
  std::fflush(real_out);
  stdin = std::fopen(in.c_str(), "r");
  stdout = std::fopen(out.c_str(), "w");
  stderr = std::fopen(err.c_str(), "w");
  if (stdin == nullptr || stdout == nullptr || stderr == nullptr) {
    stdin = real_in;
    stdout = real_out;
    stderr = real_err;
    std::perror("vardelmo fuzz: cannot redirect the session");
    std::abort();
  }
  command_loop();
  std::fclose(stdin);
  std::fclose(stdout);
  std::fclose(stderr);
  stdin = real_in;
  stdout = real_out;
  stderr = real_err;
  return SessionOutput{read_file(out), read_file(err)};
}

void require(bool condition, const char* what, const SessionOutput& session) {
  if (condition) return;
  std::fprintf(stderr, "vardelmo fuzz: %s\n--- standard output ---\n%s\n--- standard error ---\n%s\n",
               what, session.out.c_str(), session.err.c_str());
  std::abort();
}

}  // namespace vardelmo::fuzz

// A session with `jobs` above 1 starts this same binary as its workers: then
// it does a worker's task and ends, and never fuzzes.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (vardelmo::serve_as_worker()) std::exit(0);
  return 0;
}
