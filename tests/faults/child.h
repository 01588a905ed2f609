#pragma once
// The vardelmo binary as a child process that a test talks to while it runs:
// standard input, output and error are pipes, so the test can wait for a
// prompt or a model's header and change the file system before it answers.
// The shell flushes its output whenever it waits for input, and the SCIP
// library flushes it when it has read a model, which is what tests wait on.

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vardelmo::test {

struct ChildResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when a signal ended the process
  int signal = 0;   // the signal that ended it, 0 when it exited
};

class Child {
 public:
  /// Starts `binary` in `workdir`; `file_size_limit` (bytes) becomes its
  /// soft RLIMIT_FSIZE, which binds root as well.
  explicit Child(const std::filesystem::path& workdir,
                 std::optional<rlim_t> file_size_limit = std::nullopt,
                 const char* binary = VARDELMO_BINARY);
  /// Kills a child that is still running, and what a killed one left running.
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void send(const std::string& text);
  /// True once standard output holds `text`; false if it did not come in
  /// time or the child ended without it.
  bool wait_for_output(const std::string& text,
                       std::chrono::seconds timeout = std::chrono::seconds(60));
  /// Sends SIGINT, as Ctrl+C in a terminal does.
  void interrupt();
  /// Sends SIGKILL, as a lost session or `kill -9` does; the worker
  /// processes it started go on until the object goes.
  void kill();
  /// Changes the running child's soft RLIMIT_FSIZE (up to its hard limit).
  void set_file_size_limit(rlim_t bytes);
  /// Closes standard input and waits for the child to end.
  ChildResult finish();

 private:
  void read_output();

  pid_t pid_ = -1;
  // The process group of a child that kill() ended, which its workers share.
  pid_t killed_group_ = -1;
  int input_ = -1;
  int out_ = -1;
  int err_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string out_text_, err_text_;
  bool outputs_closed_ = false;
};

}  // namespace vardelmo::test
