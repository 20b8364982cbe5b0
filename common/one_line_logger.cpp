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

// Where the first control character at or after `from` starts, or npos.
// Most bytes are none of the four a control character can start with.
std::size_t nextControl(std::string_view text, std::size_t from) {
  for (std::size_t at = from; at < text.size(); ++at) {
    const auto byte = static_cast<std::uint8_t>(text[at]);
    if ((byte < 0x20 || byte == 0x7F || byte == 0xC2 || byte == 0xE2) && controlLength(text, at)) {
      return at;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string escapeControlCharacters(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  std::size_t at = 0;
  for (std::size_t control = nextControl(text, 0); control != std::string_view::npos;
       control = nextControl(text, at)) {
    escaped.append(text, at, control - at);
    const std::size_t length = controlLength(text, control);
    appendEscaped(escaped, text.substr(control, length));
    at = control + length;
  }
  escaped.append(text, at, std::string_view::npos);
  return escaped;
}

void OneLineLogger::log(LogLevel level, std::string_view message) {
  if (nextControl(message, 0) == std::string_view::npos) {
    next_->log(level, message);  // the common case: nothing to copy
  } else {
    next_->log(level, escapeControlCharacters(message));
  }
}

}  // namespace corvane::common
