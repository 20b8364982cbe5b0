#include "logger.h"

#include <charconv>
#include <chrono>
#include <cstring>
#include <iostream>
#include <mutex>

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

// Appends value in decimal, left-padded with '0' to at least width characters.
void appendZeroPadded(std::string& out, int value, std::size_t width) {
  char digits[16];
  const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
  const auto length = static_cast<std::size_t>(result.ptr - digits);
  if (length < width) out.append(width - length, '0');
  out.append(digits, length);
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
  const char* levelName = logLevelName(level);
  const std::size_t levelLength = std::strlen(levelName);
  std::string line;
  // "[HH:MM:SS.mmm] [" + level + "] " + message + "\n"
  line.reserve(16 + levelLength + 2 + message.size() + 1);
  line += '[';
  appendZeroPadded(line, localTime.tm_hour, 2);
  line += ':';
  appendZeroPadded(line, localTime.tm_min, 2);
  line += ':';
  appendZeroPadded(line, localTime.tm_sec, 2);
  line += '.';
  appendZeroPadded(line, milliseconds, 3);
  line += "] [";
  line.append(levelName, levelLength);
  line += "] ";
  line += message;
  line += '\n';
  return line;
}

void ConsoleLogger::log(LogLevel level, std::string_view message) {
  if (level < minLevel) return;

  const std::lock_guard<std::mutex> lock(consoleMutex);
  const auto now = std::chrono::system_clock::now();
  const std::time_t time = std::chrono::system_clock::to_time_t(now);
  const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  const int ms = static_cast<int>(sinceEpoch.count() % 1000);
  const std::tm tm_buf = toLocalTime(time);

  // One write per line: a line is whole even beside other writers on the
  // same standard error, and costs a single system call.
  const std::string line = formatConsoleLine(tm_buf, ms, level, message);
  std::cerr.fill('0');
  std::cerr.write(line.data(), static_cast<std::streamsize>(line.size()));
  std::cerr.flush();
}

namespace {

// Installs the start-up console logger before main runs.
const bool consoleLoggerInstalled = (setLogger(std::make_shared<ConsoleLogger>()), true);

}  // namespace

}  // namespace corvane::common
