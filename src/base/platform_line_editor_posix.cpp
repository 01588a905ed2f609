#include "base/platform_line_editor.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>  // before Readline's headers, which use FILE without it
#include <cstdlib>
#include <cstring>
#include <memory>

#include <readline/history.h>
#include <readline/readline.h>

namespace vardelmo::platform {
namespace {

constexpr int kHistoryLines = 1000;

// What Tab completes during the edit_line call under way: Readline's
// callbacks take no context of their own.
const Completion* offered = nullptr;

char* next_word(const char* text, int state) {
  static std::size_t next = 0;
  if (state == 0) next = 0;
  const std::size_t length = std::strlen(text);
  while (next < offered->words.size()) {
    const std::string& word = offered->words[next++];
    // Readline frees each match.
    if (word.compare(0, length, text) == 0) return strdup(word.c_str());
  }
  return nullptr;
}

char** complete(const char* text, int, int) {
  // No fall-back to file names where none are asked for, and no blank after
  // a word: the line is the answer, as typed.
  rl_attempted_completion_over = 1;
  rl_completion_append_character = '\0';
  switch (offered->kind) {
    case Completion::Kind::Words: return rl_completion_matches(text, next_word);
    case Completion::Kind::Paths:
      return rl_completion_matches(text, rl_filename_completion_function);
    case Completion::Kind::None: break;
  }
  return nullptr;
}

struct Editor {
  // Empty: no history file is kept.
  std::string history_file;
  bool ended = false;
};

Editor start_editor() {
  rl_readline_name = "Vardelmo";
  // LINES and COLUMNS stay out of the environment that workers and Slurm's
  // tasks inherit.
  rl_change_environment = 0;
  rl_instream = stdin;
  rl_outstream = stdout;
  // Reads the user's inputrc; what follows overrides it where an answer
  // would otherwise not be what was typed.
  rl_initialize();
  // A pasted text is taken line by line, as a pipe gives it.
  rl_variable_bind("enable-bracketed-paste", "off");
  // Every byte as typed, whatever the locale (an accented path in the C one).
  rl_variable_bind("input-meta", "on");
  rl_variable_bind("output-meta", "on");
  rl_variable_bind("convert-meta", "off");
  // The whole line is one word: a path may hold blanks.
  rl_completer_word_break_characters = "";
  rl_attempted_completion_function = complete;
  // Readline's own signal handlers stay: while it reads, Ctrl+C puts the
  // terminal back as it was and then ends the process as before.

  Editor editor;
  using_history();
  stifle_history(kHistoryLines);
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') {
    editor.history_file = std::string(home) + "/.vardelmo_history";
    // A history that cannot be read is not kept: it is never written over.
    const int failure = read_history(editor.history_file.c_str());
    if (failure != 0 && failure != ENOENT) editor.history_file.clear();
  }
  return editor;
}

Editor& editor() {
  static Editor instance = start_editor();
  return instance;
}

// Into the file at once, line by line: Ctrl+C at the prompt ends the process
// with no chance to write it later.
void remember(Editor& editor, const std::string& line) {
  if (line.empty()) return;
  add_history(line.c_str());
  if (editor.history_file.empty()) return;
  const char* file = editor.history_file.c_str();
  // Appending needs the file; the first line makes it.
  if (append_history(1, file) != 0 && write_history(file) != 0) {
    editor.history_file.clear();
    return;
  }
  history_truncate_file(file, kHistoryLines);
}

struct FreeLine {
  void operator()(char* line) const { std::free(line); }
};

}  // namespace

bool lines_are_edited() {
  static const bool edited = ::isatty(STDIN_FILENO) != 0 && ::isatty(STDOUT_FILENO) != 0;
  return edited;
}

bool edit_line(const char* prompt, const Completion& completion, std::string& line) {
  line.clear();
  Editor& state = editor();
  if (state.ended) return false;
  offered = &completion;
  const std::unique_ptr<char, FreeLine> typed(readline(prompt));
  offered = nullptr;
  if (!typed) {
    state.ended = true;
    return false;
  }
  line = typed.get();
  remember(state, line);
  return true;
}

}  // namespace vardelmo::platform
