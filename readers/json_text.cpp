#include "json_text.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace corvane::readers {
namespace {

using nlohmann::json;

// nlohmann-json's own tree builder, refusing any value that would sit
// inside more than kDeepestNesting containers, and noting where the text
// stops being JSON. Its parser is iterative; copying or comparing the tree
// it builds is not.
class BoundedTree : public nlohmann::detail::json_sax_dom_parser<json> {
  using Tree = nlohmann::detail::json_sax_dom_parser<json>;

 public:
  explicit BoundedTree(json& root) : Tree(root, /*allow_exceptions=*/false) {}

  bool null() { return fits() && Tree::null(); }
  bool boolean(bool value) { return fits() && Tree::boolean(value); }
  bool number_integer(json::number_integer_t value) {
    return fits() && Tree::number_integer(value);
  }
  bool number_unsigned(json::number_unsigned_t value) {
    return fits() && Tree::number_unsigned(value);
  }
  bool number_float(json::number_float_t value, const std::string& text) {
    return fits() && Tree::number_float(value, text);
  }
  bool string(std::string& value) { return fits() && Tree::string(value); }
  bool start_object(std::size_t size) { return open() && Tree::start_object(size); }
  bool end_object() { return close() && Tree::end_object(); }
  bool start_array(std::size_t size) { return open() && Tree::start_array(size); }
  bool end_array() { return close() && Tree::end_array(); }
  template <typename Exception>
  bool parse_error(std::size_t bytesRead, const std::string& lastToken, const Exception& error) {
    faultAt_ = bytesRead - std::min(bytesRead, offendingTokenLength(lastToken));
    return Tree::parse_error(bytesRead, lastToken, error);
  }

  bool tooDeep() const { return tooDeep_; }
  // Where the text stops being JSON, after a syntax error.
  std::size_t faultAt() const { return faultAt_; }

 private:
  bool fits() {
    if (open_ >= kDeepestNesting) tooDeep_ = true;
    return !tooDeep_;
  }
  bool open() {
    if (!fits()) return false;
    ++open_;
    return true;
  }
  bool close() {
    --open_;
    return true;
  }

  // The parser's last token text may run on from earlier tokens; the
  // offending one is at its end: a quoted string, a bare word or number, or
  // one punctuation character.
  static std::size_t offendingTokenLength(std::string_view text) {
    if (text.empty()) return 0;
    std::size_t start = text.size() - 1;
    if (text.back() == '"' && start > 0) {
      start = text.rfind('"', start - 1);
      while (start != std::string_view::npos && start > 0 && text[start - 1] == '\\') {
        start = text.rfind('"', start - 2);
      }
      if (start == std::string_view::npos) start = 0;
    } else if (std::isalnum(static_cast<unsigned char>(text.back()))) {
      while (start > 0 &&
             (std::isalnum(static_cast<unsigned char>(text[start - 1])) || text[start - 1] == '.' ||
              text[start - 1] == '-' || text[start - 1] == '+')) {
        --start;
      }
    }
    return text.size() - start;
  }

  std::size_t open_ = 0;
  bool tooDeep_ = false;
  std::size_t faultAt_ = 0;
};

std::string lineAndColumn(std::string_view text, std::size_t position) {
  const std::string_view before = text.substr(0, position);
  const std::size_t line =
      1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t lineStart = before.rfind('\n');
  const std::size_t column =
      before.size() - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

const json& memberOf(const json& object, const char* key) {
  static const json kNull;
  if (!object.is_object()) return kNull;
  const auto found = object.find(key);
  return found != object.end() ? *found : kNull;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

ParsedJson parseJson(std::string_view text) {
  ParsedJson parsed;
  BoundedTree tree(parsed.value);
  // Not strict: like jsoncpp, what follows the value is not read.
  if (json::sax_parse(text, &tree, json::input_format_t::json, /*strict=*/false,
                      /*ignore_comments=*/true) &&
      !tree.is_errored()) {
    return parsed;
  }
  parsed.value = json(json::value_t::discarded);
  if (tree.tooDeep()) {
    parsed.problem = JsonProblem::TooDeep;
    return parsed;
  }
  parsed.problem = JsonProblem::Syntax;
  parsed.where = lineAndColumn(text, tree.faultAt());
  return parsed;
}

}  // namespace corvane::readers
