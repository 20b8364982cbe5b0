#pragma once

#include <string_view>

namespace corvane::common {

// Writes one finished console line, newline included, to standard error in
// one write. On Linux the bytes go through std::cerr unchanged. On Windows
// they go to the standard error handle: a console gets the line's UTF-16
// form (given UTF-8 bytes it would show them in its own code page), a file
// or pipe the UTF-8 bytes with "\r\n" line ends, as the C runtime writes.
void writeStandardError(std::string_view line);

// Writes text to standard output in one write, in the same way.
void writeStandardOutput(std::string_view text);

}  // namespace corvane::common
