#include "logger.h"

#include <charconv>
#include <chrono>
#include <cstring>
#include <iostream>
#include <mutex>

#include "standard_error.h"

namespace corvane::common {

namespace {

// Constant-initialised (constexpr constructors), so both are usable during
// dynamic start-up initialisation of any translation unit.
std::shared_ptr<ILogger> globalLogger;
std::mutex consoleMutex;

// The re-entrant local-time conversion. A failed conversion leaves the
// zeroed fields, which print as midnight.
std::tm toLocalTime(std::time_t time) noexcept {
  std::tm tm_buf{};
#ifdef _WIN32
  localtime_s(&tm_buf, &time);
#else
  localtime_r(&time, &tm_buf);
#endif
  return tm_buf;
}

// "[HH:MM:SS.mmm] [LEVEL] ", built without touching the heap.
class LinePrefix {
 public:
  LinePrefix(const std::tm& localTime, int milliseconds, LogLevel level) noexcept {
    append("[");
    appendZeroPadded(localTime.tm_hour, 2);
    append(":");
    appendZeroPadded(localTime.tm_min, 2);
    append(":");
    appendZeroPadded(localTime.tm_sec, 2);
    append(".");
    appendZeroPadded(milliseconds, 3);
    append("] [");
    append(logLevelName(level));
    append("] ");
  }

  std::string_view view() const noexcept { return {text_, length_}; }

 private:
  void append(std::string_view part) noexcept {
    std::memcpy(text_ + length_, part.data(), part.size());
    length_ += part.size();
  }

  // Decimal, left-padded with '0' to at least width characters.
  void appendZeroPadded(int value, std::size_t width) noexcept {
    char digits[16];
    const auto length = static_cast<std::size_t>(
        std::to_chars(std::begin(digits), std::end(digits), value).ptr - digits);
    for (std::size_t pad = length; pad < width; ++pad) text_[length_++] = '0';
    append({digits, length});
  }

  // Room for four fields of any int (11 characters each) and the longest name.
  char text_[64];
  std::size_t length_ = 0;
};

std::size_t lineLength(const LinePrefix& prefix, std::string_view message) {
  return prefix.view().size() + message.size() + 1;
}

// Lays the prefix, the message and the newline out in a buffer of lineLength().
void composeLine(char* out, const LinePrefix& prefix, std::string_view message) {
  prefix.view().copy(out, prefix.view().size());
  message.copy(out + prefix.view().size(), message.size());
  out[lineLength(prefix, message) - 1] = '\n';
}

}  // namespace

const char* logLevelName(LogLevel level) noexcept {
  switch (level) {
    case LogLevel::Trace: return "TRACE";
    case LogLevel::Debug: return "DEBUG";
    case LogLevel::Info: return "INFO";
    case LogLevel::Warn: return "WARN";
    case LogLevel::Error: return "ERROR";
    case LogLevel::Fatal: return "FATAL";
  }
  return "UNKNOWN";
}

void setLogger(std::shared_ptr<ILogger> logger) {
  if (logger) globalLogger = std::move(logger);
}

std::shared_ptr<ILogger> getLogger() { return globalLogger; }

void log(LogLevel level, std::string_view message) {
  if (globalLogger) globalLogger->log(level, message);
}

std::string formatConsoleLine(const std::tm& localTime, int milliseconds, LogLevel level,
                              std::string_view message) {
  const LinePrefix prefix(localTime, milliseconds, level);
  std::string line(lineLength(prefix, message), '\0');
  composeLine(line.data(), prefix, message);
  return line;
}

namespace {

// Kept out of line, so that a dropped message costs ConsoleLogger::log only
// its comparison and not this function's stack frame.
#if defined(__GNUC__)
__attribute__((noinline))
#elif defined(_MSC_VER)
__declspec(noinline)
#endif
void writeConsoleLine(LogLevel level, std::string_view message) {
  const std::lock_guard<std::mutex> lock(consoleMutex);
  const auto now = std::chrono::system_clock::now();
  const std::time_t time = std::chrono::system_clock::to_time_t(now);
  const auto sinceEpoch =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  const int ms = static_cast<int>(sinceEpoch.count() % 1000);
  const std::tm tm_buf = toLocalTime(time);

  // The whole line goes out in one write: it stays whole even beside other
  // writers on the same standard error, and costs a single system call.
  // Most lines fit on the stack; longer ones take the heap.
  const LinePrefix prefix(tm_buf, ms, level);
  const std::size_t length = lineLength(prefix, message);
  char stackLine[512];
  std::string heapLine;
  char* line = stackLine;
  if (length > sizeof stackLine) {
    heapLine.resize(length);
    line = heapLine.data();
  }
  composeLine(line, prefix, message);

  std::cerr.fill('0');
  writeStandardError({line, length});
}

}  // namespace

void ConsoleLogger::log(LogLevel level, std::string_view message) {
  if (level < minLevel) return;
  writeConsoleLine(level, message);
}

namespace {

// Installs the start-up console logger before main runs.
const bool consoleLoggerInstalled = (setLogger(std::make_shared<ConsoleLogger>()), true);

}  // namespace

}  // namespace corvane::common
