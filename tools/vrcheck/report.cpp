#include "report.h"

#include <cstdint>

#include "utf8.h"

namespace corvane::vrcheck {
namespace {

constexpr const char* kLevelName[] = {"info", "warn", "error"};

// The code point of the sequence at text[at] when it is a C1 control (NEL,
// U+0085, among them) or the Unicode line or paragraph separator, else 0.
int lineSeparator(std::string_view text, std::size_t at, std::size_t length) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
  if (length == 2 && byte(0) == 0xC2 && byte(1) < 0xA0) return byte(1);
  if (length == 3 && byte(0) == 0xE2 && byte(1) == 0x80 && (byte(2) == 0xA8 || byte(2) == 0xA9)) {
    return 0x2000 | (byte(2) - 0xA8 + 0x28);
  }
  return 0;
}

// text as a JSON string. Written by hand rather than through a JSON
// library's document, which costs a report of eight findings more than all
// the rest of vrcheck's own work.
void appendString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (std::size_t at = 0; at < text.size();) {
    // Most of it is printable ASCII, taken as it is.
    std::size_t plain = at;
    while (plain < text.size() && text[plain] >= 0x20 && text[plain] != '"' &&
           text[plain] != '\\') {
      ++plain;
    }
    out.append(text, at, plain - at);
    at = plain;
    if (at == text.size()) break;
    const char c = text[at];
    const std::size_t length = readers::utf8SequenceLength(text, at);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
      ++at;
    } else if (c == '"' || c == '\\') {
      out += {'\\', c};
      ++at;
    } else if (static_cast<std::uint8_t>(c) < 0x20) {
      out += {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
      ++at;
    } else if (const int separator = lineSeparator(text, at, length); separator != 0) {
      // Valid JSON as they are, but readers that split lines on them
      // (Python's splitlines, older JavaScript) would cut a finding in two.
      out += {'\\',
              'u',
              kHex[separator >> 12],
              kHex[(separator >> 8) & 0xF],
              kHex[(separator >> 4) & 0xF],
              kHex[separator & 0xF]};
      at += length;
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  out += '"';
}

// texts as a JSON list.
void appendStrings(std::string& out, const std::vector<std::string>& texts) {
  out += '[';
  for (const std::string& text : texts) {
    if (&text != &texts.front()) out += ',';
    appendString(out, text);
  }
  out += ']';
}

void appendFinding(std::string& out, const Finding& finding) {
  out += R"({"level":")";
  out += kLevelName[static_cast<int>(finding.level)];
  out += R"(","code":")";
  out += finding.code;
  out += R"(","message":)";
  appendString(out, finding.message);
  for (const auto& [field, path] : finding.paths) {
    out += ",\"";
    out += field;
    out += "\":";
    appendString(out, path);
  }
  for (const auto& [field, number] : finding.numbers) {
    out += ",\"";
    out += field;
    out += "\":";
    out += std::to_string(number);
  }
  for (const auto& [field, paths] : finding.pathLists) {
    out += ",\"";
    out += field;
    out += "\":";
    appendStrings(out, paths);
  }
  if (finding.fix.empty()) {
    out += '}';
    return;
  }
  out += R"(,"fix":[)";
  for (const std::vector<std::string>& command : finding.fix) {
    if (&command != &finding.fix.front()) out += ',';
    appendStrings(out, command);
  }
  out += "]}";
}

}  // namespace

std::string report(const std::string& manifest, int status, const std::vector<Finding>& findings) {
  std::string text = R"({"version":1,"manifest":)";
  appendString(text, manifest);
  text += R"(,"status":)" + std::to_string(status) + R"(,"findings":[)";
  for (const Finding& finding : findings) {
    text += &finding == &findings.front() ? "\n" : ",\n";
    appendFinding(text, finding);
  }
  return text + "\n]}\n";
}

}  // namespace corvane::vrcheck
