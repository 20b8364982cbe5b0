// The logging module shared by corvane's tools: six levels, an abstract
// logger, one process-wide logger that every log call goes through, and a
// console sink that writes "[HH:MM:SS.mmm] [LEVEL] message" lines to
// standard error. A console logger at threshold Info is installed before
// main runs, so linking this module is all a program needs to log.
#pragma once

#include <ctime>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

namespace corvane::common {

// Higher is more severe. Values outside Trace..Fatal are passed through
// unchanged and print as "UNKNOWN".
enum class LogLevel : int {
  Trace = 0,
  Debug = 1,
  Info = 2,
  Warn = 3,
  Error = 4,
  Fatal = 5,
};

// The printed name of a level; a static string, never null.
const char* logLevelName(LogLevel level) noexcept;

class ILogger {
 public:
  virtual ~ILogger() = default;
  virtual void log(LogLevel level, std::string_view message) = 0;
  virtual void setLevel(LogLevel level) = 0;
  virtual LogLevel getLevel() const = 0;
};

// Replaces the process-wide logger. An empty pointer is ignored, so logging
// cannot be switched off this way. Not synchronised with concurrent logging.
void setLogger(std::shared_ptr<ILogger> logger);

// A copy of the process-wide logger (empty only before start-up has run).
std::shared_ptr<ILogger> getLogger();

// Hands the message to the process-wide logger, if there is one. Filtering by
// level is the logger's business.
void log(LogLevel level, std::string_view message);

// Composes the parts as a default std::ostringstream prints them, with no
// separator and no newline, then logs the result. The message is composed
// even when the logger will drop it.
template <typename... Parts>
void log(LogLevel level, Parts&&... parts) {
  std::ostringstream oss;
  ((oss << std::forward<Parts>(parts)), ...);
  const std::string message = oss.str();
  log(level, std::string_view(message));
}

template <typename... Parts>
void logTrace(Parts&&... parts) {
  log(LogLevel::Trace, std::forward<Parts>(parts)...);
}
template <typename... Parts>
void logDebug(Parts&&... parts) {
  log(LogLevel::Debug, std::forward<Parts>(parts)...);
}
template <typename... Parts>
void logInfo(Parts&&... parts) {
  log(LogLevel::Info, std::forward<Parts>(parts)...);
}
template <typename... Parts>
void logWarn(Parts&&... parts) {
  log(LogLevel::Warn, std::forward<Parts>(parts)...);
}
template <typename... Parts>
void logError(Parts&&... parts) {
  log(LogLevel::Error, std::forward<Parts>(parts)...);
}
template <typename... Parts>
void logFatal(Parts&&... parts) {
  log(LogLevel::Fatal, std::forward<Parts>(parts)...);
}

// Writes each message at or above its threshold (Info unless changed) as one
// line on standard error, flushed at once. All instances share one mutex, so
// lines from different threads and instances never interleave.
class ConsoleLogger : public ILogger {
 public:
  ConsoleLogger() = default;
  ~ConsoleLogger() override = default;

  void log(LogLevel level, std::string_view message) override;
  // Not synchronised with log(): set the threshold before sharing the logger.
  void setLevel(LogLevel level) override { minLevel = level; }
  LogLevel getLevel() const override { return minLevel; }

 private:
  LogLevel minLevel = LogLevel::Info;
};

// The bytes of one console line, trailing newline included, for a local time
// of day and a millisecond count (0-999): "[09:05:03.007] [INFO] message\n".
std::string formatConsoleLine(const std::tm& localTime, int milliseconds, LogLevel level,
                              std::string_view message);

}  // namespace corvane::common
