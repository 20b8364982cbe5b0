#pragma once

#include <string_view>

namespace corvane::common {

// Writes one finished console line, newline included, to standard error.
// Files and pipes get the bytes through std::cerr unchanged. A Windows
// console gets the line's UTF-16 form instead: given UTF-8 bytes it would
// show them in its own code page.
void writeStandardError(std::string_view line);

}  // namespace corvane::common
