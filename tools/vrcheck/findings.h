// What vrcheck finds, one log line each: INFO for what is in place, WARN
// for what is not, with what to do about it, ERROR for a runtime that
// cannot be reached or refuses. Each finding has a stable code, and the
// paths it names and the commands that fix it are kept apart from its
// text, for the report that programs read (--json).
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "logger.h"

namespace corvane::vrcheck {

// A path a finding names: written into its text as it is, and kept as the
// finding's field of this name.
struct Path {
  const char* field;
  std::string value;
};

// Paths a finding names in one stretch of text, kept as one field: a list.
struct PathList {
  const char* field;
  std::vector<std::string> values;
  std::string shown;  // how the text names them
};

// A whole number a finding names, such as a process id: written into its
// text, and kept as the finding's field of this name, a JSON number.
struct Number {
  const char* field;
  unsigned long long value;
};

// A command that fixes what a finding says: written into its text as the
// platform's shell takes it, and kept as an argument list. A leading "env"
// and NAME=value arguments are written as the shell's assignments. A
// command that cannot work yet, as a step before it has no command of its
// own, is only written: a fix, run as given, must work.
struct Command {
  std::vector<std::string> arguments;
  bool runsNow = true;
};

// The fix most findings give; registerLater, after a step with no command.
Command registerWith(const std::string& manifest);
Command registerLater(const std::string& manifest);

enum class Level { Info, Warn, Error };

struct Finding {
  Level level = Level::Info;
  const char* code = "";
  std::string message;  // the text of its log line, after the level
  std::vector<std::pair<const char*, std::string>> paths;
  std::vector<std::pair<const char*, std::vector<std::string>>> pathLists;
  std::vector<std::pair<const char*, unsigned long long>> numbers;
  std::vector<std::vector<std::string>> fix;
};

class Findings {
 public:
  // keep: also keep each finding, for the report.
  explicit Findings(bool keep = false) : keep_(keep) {}

  template <typename... Parts>
  void inPlace(const char* code, Parts&&... parts) {
    add(Level::Info, code, std::forward<Parts>(parts)...);
  }
  template <typename... Parts>
  void notInPlace(const char* code, Parts&&... parts) {
    add(Level::Warn, code, std::forward<Parts>(parts)...);
    ++notInPlace_;
  }
  template <typename... Parts>
  void failed(const char* code, Parts&&... parts) {
    add(Level::Error, code, std::forward<Parts>(parts)...);
  }

  // Whether the manifest can be registered as it is: not while it cannot
  // be read, does not declare the app key or names a binary that is not
  // there, which the runtime refuses or skips. Until it can, registering is
  // written as a step after mending that, and is no fix.
  void setRegistrable(bool registrable) { registrable_ = registrable; }

  bool allInPlace() const { return notInPlace_ == 0; }
  int notInPlaceCount() const { return notInPlace_; }
  const std::vector<Finding>& kept() const { return kept_; }

 private:
  template <typename... Parts>
  void add(Level level, const char* code, Parts&&... parts) {
    Finding finding;
    finding.level = level;
    finding.code = code;
    (append(finding.message, finding, std::forward<Parts>(parts)), ...);
    record(std::move(finding));
  }

  // Text and whole numbers; appended to a string, not streamed: a stream
  // costs more to set up than a line of the report costs to compose.
  template <typename Part>
  static void append(std::string& text, Finding&, const Part& part) {
    if constexpr (std::is_convertible_v<const Part&, std::string_view>) {
      text += std::string_view(part);
    } else if constexpr (std::is_same_v<Part, char>) {
      text += part;
    } else {
      static_assert(std::is_integral_v<Part>, "a finding's text holds text and whole numbers");
      text += std::to_string(part);
    }
  }
  void append(std::string& text, Finding& finding, const Path& path) const;
  void append(std::string& text, Finding& finding, const PathList& paths) const;
  void append(std::string& text, Finding& finding, const Number& number) const;
  void append(std::string& text, Finding& finding, const Command& command) const;
  // Logs the finding, and keeps it if asked to.
  void record(Finding finding);

  bool keep_;
  bool registrable_ = true;
  int notInPlace_ = 0;
  std::vector<Finding> kept_;
};

// A text as one argument of a command to copy and paste: cmd's double
// quotes (no Windows file name holds one), or a POSIX shell's single quotes.
std::string shellQuoted(const std::string& text);

}  // namespace corvane::vrcheck
