// JSON as the OpenVR SDK and runtime read their own files: comments are
// allowed, and a text that does not parse says where.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace corvane::vrcheck {

struct ParsedJson {
  nlohmann::json value;  // discarded when the text does not parse
  std::string where;     // then "line L, column C" of the first fault
};

ParsedJson parseJson(std::string_view text);

bool startsWith(std::string_view text, std::string_view prefix);

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace corvane::vrcheck
