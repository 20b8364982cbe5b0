// Conversions between UTF-8, the text the OpenVR SDK and our log lines use,
// and UTF-16, the text of Windows' command line and console. Windows only:
// elsewhere the tool passes bytes through untouched.
#pragma once

#ifdef _WIN32

#include <optional>
#include <string>
#include <string_view>

namespace corvane::common {

// The UTF-8 form of UTF-16 text, or nullopt when the text holds an unpaired
// surrogate (which Windows file names may), since it has no UTF-8 form.
std::optional<std::string> utf8FromUtf16(std::wstring_view text);

// The UTF-8 form of UTF-16 text, for display: an unpaired surrogate becomes
// U+FFFD.
std::string displayableUtf8(std::wstring_view text);

// The UTF-16 form of UTF-8 text, for display: each invalid byte becomes
// U+FFFD rather than failing the whole text.
std::wstring utf16FromUtf8(std::string_view text);

}  // namespace corvane::common

#endif
