#include "standard_error.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>

#include "utf16.h"
#endif

namespace corvane::common {
namespace {

#ifdef _WIN32
// Windows' standard error takes the line itself, in one call. A console gets
// its UTF-16 form. A file or pipe gets exactly the bytes that the C
// runtime's text mode would write through std::cerr ("\n" as "\r\n"), but
// the C runtime would split a line of more than about a kilobyte into
// several writes. Returns false, leaving the line to std::cerr, only when
// there is no standard error handle.
bool writeToWindowsHandle(std::string_view line) {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;
  DWORD mode = 0;
  DWORD written = 0;
  BOOL wrote = FALSE;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = utf16FromUtf8(line);
    wrote = WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    std::string bytes;
    bytes.reserve(line.size() + 1);
    for (const char c : line) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
    wrote = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  }
  if (!wrote) std::cerr.setstate(std::ios_base::badbit);  // as a failed stream write would
  return true;
}
#else
bool writeToWindowsHandle(std::string_view) { return false; }
#endif

}  // namespace

void writeStandardError(std::string_view line) {
  if (writeToWindowsHandle(line)) return;
  std::cerr.write(line.data(), static_cast<std::streamsize>(line.size()));
  // std::cerr flushes after every output (unitbuf) unless someone turned
  // that off; only then does it need telling.
  if (!(std::cerr.flags() & std::ios_base::unitbuf)) std::cerr.flush();
}

}  // namespace corvane::common
