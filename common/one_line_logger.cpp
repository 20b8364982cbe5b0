#include "one_line_logger.h"

#include <cstdint>

namespace corvane::common {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// The length of the control character at text[at], or 0 if there is none.
std::size_t controlLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
  };
  const std::uint8_t first = byte(at);
  if (first < 0x20 || first == 0x7F) return 1;
  if (first == 0xC2 && byte(at + 1) >= 0x80 && byte(at + 1) <= 0x9F) return 2;  // U+0080-U+009F
  if (first == 0xE2 && byte(at + 1) == 0x80 && (byte(at + 2) == 0xA8 || byte(at + 2) == 0xA9)) {
    return 3;  // U+2028, U+2029
  }
  return 0;
}

void appendEscaped(std::string& out, std::string_view control) {
  if (control.size() == 1) {
    const auto byte = static_cast<std::uint8_t>(control[0]);
    out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    return;
  }
  const std::uint32_t codePoint = control.size() == 2
                                      ? static_cast<std::uint8_t>(control[1])
                                      : 0x2000u + (static_cast<std::uint8_t>(control[2]) & 0x3Fu);
  out += {'\\',
          'u',
          kHex[codePoint >> 12],
          kHex[(codePoint >> 8) & 0xF],
          kHex[(codePoint >> 4) & 0xF],
          kHex[codePoint & 0xF]};
}

}  // namespace

std::string escapeControlCharacters(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = controlLength(text, at);
    if (length == 0) {
      escaped += text[at++];
      continue;
    }
    appendEscaped(escaped, text.substr(at, length));
    at += length;
  }
  return escaped;
}

void OneLineLogger::log(LogLevel level, std::string_view message) {
  for (std::size_t at = 0; at < message.size(); ++at) {
    if (controlLength(message, at) != 0) {
      next_->log(level, escapeControlCharacters(message));
      return;
    }
  }
  next_->log(level, message);  // the common case: nothing to copy
}

}  // namespace corvane::common
