// JSON as the OpenVR SDK and runtime read their files with jsoncpp's
// default reader: comments are allowed, text after the value is ignored,
// and nothing may nest deeper than its stack limit. Shared by vrcheck and
// the stand-in runtime, which each add what they make of a byte order mark.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace corvane::readers {

// jsoncpp's stackLimit: a value inside more containers than this fails
// the whole text ("Exceeded stackLimit in readValue()").
constexpr std::size_t kDeepestNesting = 1000;

enum class JsonProblem { None, Syntax, TooDeep };

struct ParsedJson {
  nlohmann::json value;  // discarded when there is a problem
  JsonProblem problem = JsonProblem::None;
  std::string where;  // for Syntax: "line L, column C" of the first fault
};

// Never builds a value nested deeper than kDeepestNesting, so that copying,
// comparing or destroying one cannot exhaust the stack.
ParsedJson parseJson(std::string_view text);

// A member of a parsed object, or null when there is none or it is no
// object; a reference, never a copy, as a value read from a file may nest
// deeply.
const nlohmann::json& memberOf(const nlohmann::json& object, const char* key);

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace corvane::readers
