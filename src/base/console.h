#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vardelmo {

// The shell writes and reads through C's standard streams: the solver
// libraries and GLPK print to the same stdout, so all output keeps its order,
// and the C++ streams would cost every run the set-up of their locales.

/// Writes `text` to standard output as it is.
void print(std::string_view text);

/// Writes `text` to standard error as it is.
void print_error(std::string_view text);

/// Hands what was printed on to the screen (or pipe) now.
void flush_output();

/// Shows `text` on a line of its own that the next output takes the place
/// of: before anything else is printed, on either stream, it is wiped (spaces
/// over it, the cursor back at its start). For a terminal only, where a line
/// can be redrawn in place; the line must fit the terminal's width. Nothing
/// shows while the cursor stands after a prompt (input that is no terminal
/// shows no answer that would end its line).
void show_passing_line(std::string_view text);

/// Wipes the line that show_passing_line shows, if any.
void wipe_passing_line();

/// Reads one line of standard input without its line feed, taken as typed.
/// Returns false at end of input or on a read error; `line` is then empty,
/// so an old answer can never be acted on again.
[[nodiscard]] bool read_line(std::string& line);

/// What Tab offers while an answer is typed where lines are edited (a
/// terminal on Linux: platform_line_editor.h); the plain reading ignores it.
struct Completion {
  enum class Kind { None, Words, Paths };
  Kind kind = Kind::None;
  /// For Words: the answers offered, each completed whole.
  std::vector<std::string> words;
};

/// Writes `prompt` and reads the answer: on a terminal on both sides, where
/// this system has one, through the line editor, with history and
/// `completion`; otherwise as read_line does. False as for read_line.
[[nodiscard]] bool ask(const char* prompt, std::string& answer,
                       const Completion& completion = {});

}  // namespace vardelmo
