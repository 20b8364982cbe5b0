// Checks of a log line's [HH:MM:SS.mmm] stamp against the clock read around
// the write: the stamp must be the local time of day, to the millisecond.
#pragma once

#include <chrono>
#include <regex>
#include <string>

namespace corvane::testing {

constexpr long long kMillisecondsPerDay = 24LL * 60 * 60 * 1000;

// Milliseconds since midnight at instant t, in a zone offsetMinutes east of
// UTC, computed without the C library's time-zone code.
inline long long millisecondsOfDay(std::chrono::system_clock::time_point t, int offsetMinutes) {
  const long long sinceEpoch =
      std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() +
      offsetMinutes * 60LL * 1000;
  return (sinceEpoch % kMillisecondsPerDay + kMillisecondsPerDay) % kMillisecondsPerDay;
}

// The stamp opening a line, in milliseconds since midnight; -1 without one.
inline long long stampedMillisecondsOfDay(const std::string& line) {
  static const std::regex kStamp(R"(^\[(\d{2}):(\d{2}):(\d{2})\.(\d{3})\] )");
  std::smatch match;
  if (!std::regex_search(line, match, kStamp)) return -1;
  return ((std::stoll(match[1]) * 60 + std::stoll(match[2])) * 60 + std::stoll(match[3])) * 1000 +
         std::stoll(match[4]);
}

// Whether time of day t lies from first to last, across midnight too.
inline bool betweenTimesOfDay(long long t, long long first, long long last) {
  return first <= last ? first <= t && t <= last : t >= first || t <= last;
}

}  // namespace corvane::testing
