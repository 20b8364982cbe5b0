#include "standard_error.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>

#include "utf16.h"
#endif

namespace corvane::common {
namespace {

#ifdef _WIN32
// True when the line went to a console; false leaves it to std::cerr.
bool writeToConsole(std::string_view line) {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) {
    return false;
  }
  const std::wstring wide = utf16FromUtf8(line);
  DWORD written = 0;
  if (!WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
    std::cerr.setstate(std::ios_base::badbit);  // as a failed stream write would
  }
  return true;
}
#else
bool writeToConsole(std::string_view) { return false; }
#endif

}  // namespace

void writeStandardError(std::string_view line) {
  if (writeToConsole(line)) return;
  std::cerr.write(line.data(), static_cast<std::streamsize>(line.size()));
  // std::cerr flushes after every output (unitbuf) unless someone turned
  // that off; only then does it need telling.
  if (!(std::cerr.flags() & std::ios_base::unitbuf)) std::cerr.flush();
}

}  // namespace corvane::common
