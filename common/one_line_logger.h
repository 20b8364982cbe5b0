// A logger that keeps every message on one line: it escapes the control
// characters a message may carry from outside (a file name, a value read
// from a file, a runtime's text), then hands it to another logger. Without
// it, a value holding a newline would print a second line that no code
// wrote, and a reader could not tell the two apart.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "logger.h"

namespace corvane::common {

// text with every control character escaped: C0 and DEL as \xHH, the C1
// controls and the Unicode line and paragraph separators as \uHHHH. All
// else, invalid UTF-8 included, is left as it is.
std::string escapeControlCharacters(std::string_view text);

class OneLineLogger : public ILogger {
 public:
  explicit OneLineLogger(std::shared_ptr<ILogger> next) : next_(std::move(next)) {}

  void log(LogLevel level, std::string_view message) override;
  void setLevel(LogLevel level) override { next_->setLevel(level); }
  LogLevel getLevel() const override { return next_->getLevel(); }

 private:
  std::shared_ptr<ILogger> next_;
};

}  // namespace corvane::common
