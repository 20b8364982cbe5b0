// What vrcheck finds, one log line each: INFO for what is in place, WARN
// for what is not, with what to do about it.
#pragma once

#include <string>
#include <utility>

#include "logger.h"

namespace corvane::vrcheck {

class Findings {
 public:
  template <typename... Parts>
  void inPlace(Parts&&... parts) {
    common::logInfo(std::forward<Parts>(parts)...);
  }

  template <typename... Parts>
  void notInPlace(Parts&&... parts) {
    common::logWarn(std::forward<Parts>(parts)...);
    ++notInPlace_;
  }

  bool allInPlace() const { return notInPlace_ == 0; }
  int notInPlaceCount() const { return notInPlace_; }

 private:
  int notInPlace_ = 0;
};

// A text as one argument of a command to copy and paste: cmd's double
// quotes (no Windows file name holds one), or a POSIX shell's single quotes.
inline std::string shellQuoted(const std::string& text) {
#ifdef _WIN32
  return "\"" + text + "\"";
#else
  std::string result = "'";
  for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
#endif
}

}  // namespace corvane::vrcheck
