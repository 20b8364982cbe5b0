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
// several writes. Returns false, leaving the line to the stream, only when
// there is no such handle.
bool writeToWindowsHandle(DWORD which, std::ostream& stream, std::string_view line) {
  const HANDLE handle = GetStdHandle(which);
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
  if (!wrote) stream.setstate(std::ios_base::badbit);  // as a failed stream write would
  return true;
}
#endif

void write(std::ostream& stream, std::string_view text) {
  stream.write(text.data(), static_cast<std::streamsize>(text.size()));
  // std::cerr flushes after every output (unitbuf) unless someone turned
  // that off; only then does it need telling.
  if (!(stream.flags() & std::ios_base::unitbuf)) stream.flush();
}

}  // namespace

void writeStandardError(std::string_view line) {
#ifdef _WIN32
  if (writeToWindowsHandle(STD_ERROR_HANDLE, std::cerr, line)) return;
#endif
  write(std::cerr, line);
}

void writeStandardOutput(std::string_view text) {
#ifdef _WIN32
  if (writeToWindowsHandle(STD_OUTPUT_HANDLE, std::cout, text)) return;
#endif
  write(std::cout, text);
}

}  // namespace corvane::common
