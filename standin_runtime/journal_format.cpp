#include "journal_format.h"

namespace standin {
namespace {

bool writtenAsIs(unsigned char byte) {
  return byte > ' ' && byte <= '~' && byte != '"' && byte != '\\';
}

int hexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

}  // namespace

std::string quoteArgument(const char* text) {
  if (text == nullptr) return "null";
  static constexpr char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (writtenAsIs(byte)) {
      quoted += *p;
    } else {
      quoted += "\\x";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 0xf];
    }
  }
  quoted += '"';
  return quoted;
}

std::optional<std::string> unquoteArgument(std::string_view token) {
  if (token.size() < 2 || token.front() != '"' || token.back() != '"') return std::nullopt;
  token = token.substr(1, token.size() - 2);
  std::string bytes;
  for (std::size_t i = 0; i < token.size(); ++i) {
    if (token[i] != '\\') {
      bytes += token[i];
      continue;
    }
    if (i + 3 >= token.size() || token[i + 1] != 'x') return std::nullopt;
    const int high = hexValue(token[i + 2]);
    const int low = hexValue(token[i + 3]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
    i += 3;
  }
  return bytes;
}

JournalEntry parseJournalLine(std::string_view line) {
  JournalEntry entry;
  std::size_t start = 0;
  bool first = true;
  while (start <= line.size()) {
    std::size_t end = line.find(' ', start);
    if (end == std::string_view::npos) end = line.size();
    const std::string_view token = line.substr(start, end - start);
    if (first) {
      entry.call = std::string(token);
      first = false;
    } else {
      const std::optional<std::string> bytes = unquoteArgument(token);
      entry.arguments.push_back(bytes ? *bytes : std::string(token));
    }
    start = end + 1;
  }
  return entry;
}

}  // namespace standin
