#include "runtime_log.h"

#include <algorithm>

namespace corvane::readers {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "Www Mmm dd yyyy HH:MM:SS.", tested at the places that tell it from a
// message's next line.
bool startsWithDate(std::string_view line) {
  return line.size() > 25 && line[3] == ' ' && line[7] == ' ' && line[10] == ' ' &&
         line[15] == ' ' && line[18] == ':' && line[21] == ':' && line[24] == '.' &&
         isLetter(line[0]) && isLetter(line[4]) && isDigit(line[8]) && isDigit(line[11]) &&
         isDigit(line[16]) && isDigit(line[23]) && isDigit(line[25]);
}

// An entry's first line, its time and message; false for a line that goes
// on with the one before.
bool parseFirstLine(std::string_view line, LogEntry& entry) {
  if (!startsWithDate(line)) return false;
  std::size_t at = 26;
  while (at < line.size() && isDigit(line[at])) ++at;
  entry.time = line.substr(0, at);
  if (line.substr(at, 2) == " [") {
    at = line.find(']', at);
    if (at == std::string_view::npos) return false;
    ++at;
  }
  if (line.substr(at, 3) != " - ") return false;
  entry.message = line.substr(at + 3);
  entry.more = {};
  return true;
}

std::string_view withoutCarriageReturn(std::string_view line) {
  return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

}  // namespace

LogMentions::LogMentions(std::string_view text, std::string_view a, std::string_view b,
                         bool ignoreCase)
    : text_(text), finder_(text, a, b, ignoreCase) {}

bool LogMentions::next(LogEntry& entry) {
  while (at_ < text_.size()) {
    const std::size_t found = finder_.find(at_);
    if (found == std::string_view::npos) break;
    std::size_t start = found;
    while (start > at_ && text_[start - 1] != '\n') --start;
    std::size_t end = std::min(text_.find('\n', found), text_.size());
    at_ = end + 1;
    if (!parseFirstLine(withoutCarriageReturn(text_.substr(start, end - start)), entry)) continue;
    // The lines up to the next entry's first go on with this one.
    const std::size_t more = std::min(at_, text_.size());
    LogEntry after;
    for (; at_ < text_.size(); at_ = end + 1) {
      end = std::min(text_.find('\n', at_), text_.size());
      if (parseFirstLine(withoutCarriageReturn(text_.substr(at_, end - at_)), after)) break;
    }
    entry.more = text_.substr(more, std::min(at_, text_.size()) - more);
    if (!entry.more.empty() && entry.more.back() == '\n') entry.more.remove_suffix(1);
    return true;
  }
  at_ = text_.size();
  return false;
}

std::string wholeMessage(const LogEntry& entry) {
  std::string message(entry.message);
  std::string_view more = entry.more;
  while (!more.empty()) {
    const std::size_t end = std::min(more.find('\n'), more.size());
    message += '\n';
    message += withoutCarriageReturn(more.substr(0, end));
    more.remove_prefix(std::min(end + 1, more.size()));
  }
  return message;
}

}  // namespace corvane::readers
