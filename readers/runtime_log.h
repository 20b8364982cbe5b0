// The runtime's log, vrserver.txt in its log folder. Each entry starts with
// "<Www> <Mmm> <dd> <yyyy> <HH:MM:SS>.<fraction> [<Level>] - ", or without
// the level in runtimes before about 2023; the fraction is milliseconds on
// Windows and microseconds on Linux, and Windows ends lines with CRLF. A
// message of several lines goes on in lines with no such prefix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::readers {

struct LogEntry {
  std::string_view time;     // "Thu Sep 17 2026 03:36:16.589241"
  std::string_view message;  // its first line
  std::string_view more;     // the lines it goes on in, CRs kept; "" if none
};

// The entries of a log's text, in order; lines before the first are dropped.
class LogEntries {
 public:
  explicit LogEntries(std::string_view text);
  // The next entry; false when there is none.
  bool next(LogEntry& entry);

 private:
  // Reads lines from at_ up to an entry's first, which starts at start.
  bool readFirstLine(LogEntry& first, std::size_t& start);

  std::string_view text_;
  std::size_t at_ = 0;  // where the line after the last one read starts
  LogEntry ahead_;      // an entry's first line read, not yet handed out
  bool hasAhead_ = false;
};

// The message with the lines it goes on in, joined by "\n".
std::string wholeMessage(const LogEntry& entry);

}  // namespace corvane::readers
