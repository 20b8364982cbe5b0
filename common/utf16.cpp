#include "utf16.h"

#include <windows.h>

#include <climits>

namespace corvane::common {
namespace {

// Windows' conversion functions take int lengths.
bool fitsInt(std::size_t length) { return length <= static_cast<std::size_t>(INT_MAX); }

// UTF-8 through WideCharToMultiByte with the given flags; nullopt if it fails.
std::optional<std::string> toUtf8(std::wstring_view text, DWORD flags) {
  if (text.empty()) return std::string();
  if (!fitsInt(text.size())) return std::nullopt;
  const int wideLength = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, flags, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, flags, text.data(), wideLength, utf8.data(), length, nullptr,
                      nullptr);
  return utf8;
}

}  // namespace

std::optional<std::string> utf8FromUtf16(std::wstring_view text) {
  return toUtf8(text, WC_ERR_INVALID_CHARS);
}

std::string displayableUtf8(std::wstring_view text) { return toUtf8(text, 0).value_or(""); }

std::wstring utf16FromUtf8(std::string_view text) {
  if (text.empty() || !fitsInt(text.size())) return std::wstring();
  const int narrowLength = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), narrowLength, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring utf16(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), narrowLength, utf16.data(), length);
  return utf16;
}

}  // namespace corvane::common
