// The runtime's log, vrserver.txt in its log folder. Each entry starts with
// "<Www> <Mmm> <dd> <yyyy> <HH:MM:SS>.<fraction> [<Level>] - ", or without
// the level in runtimes before about 2023; the fraction is milliseconds on
// Windows and microseconds on Linux, and Windows ends lines with CRLF. A
// message of several lines goes on in lines with no such prefix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "find_either.h"

namespace corvane::readers {

struct LogEntry {
  std::string_view time;     // "Thu Sep 17 2026 03:36:16.589241"
  std::string_view message;  // its first line
  std::string_view more;     // the lines it goes on in, CRs kept; "" if none
};

// The entries whose first line holds a or b, in order, found without
// reading each line: a log holds thousands, and a few are about one app.
// With ignoreCase, ASCII letters of a and b match in either case.
class LogMentions {
 public:
  LogMentions(std::string_view text, std::string_view a, std::string_view b, bool ignoreCase);
  // The next entry; false when there is none.
  bool next(LogEntry& entry);

 private:
  std::string_view text_;
  EitherFinder finder_;
  std::size_t at_ = 0;  // a line's start: where the last entry handed out ends
};

// The message with the lines it goes on in, joined by "\n".
std::string wholeMessage(const LogEntry& entry);

}  // namespace corvane::readers
