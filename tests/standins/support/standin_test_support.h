// Helpers shared by the stand-in tests: test files, temporary folders,
// capture of what a call prints, and GLPK's process-wide output state.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "files.h"

namespace standin_test {

std::string data_file(const std::string& name);  // tests/standins/data

// A scratch folder whose path the tests take as a text.
class TempDir {
 public:
  const std::string& path() const { return path_; }
  // Writes a file into the folder and returns its path.
  std::string write(const std::string& name, const std::string& content) const;

 private:
  vardelmo::test::TempFolder folder_;
  std::string path_ = folder_.path().string();
};

// Captures what is written to a file descriptor (1 or 2), at the level of
// the descriptor so C stdio writes from the libraries are caught as well.
class OutputCapture {
 public:
  explicit OutputCapture(int fd);
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  // Stops capturing and returns the text; later calls return it again.
  std::string finish();

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
  };
  int fd_;
  int saved_ = -1;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string text_;
};

// GLPK's terminal switch, read without changing it.
bool glpk_term_out_on();

// Whether a GLPK message would reach standard output right now, which it
// does not while a terminal hook is installed.
bool glpk_messages_reach_stdout();

int count_of(const std::string& text, const std::string& part);

}  // namespace standin_test
