// Text from files others wrote need not be UTF-8; these tell whether it is.
#pragma once

#include <cstddef>
#include <string_view>

namespace corvane::readers {

// The length of the well-formed UTF-8 sequence at text[at] (RFC 3629), or
// 0 if there is none.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at);

bool isUtf8(std::string_view text);

}  // namespace corvane::readers
