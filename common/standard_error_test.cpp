// Windows only, run under Wine: the console writer with each kind of
// standard error handle. A refused write must show in std::cerr's state, as
// a failed stream write would; a console must get the whole line.
#include <gtest/gtest.h>
#include <windows.h>

#include <iostream>
#include <string>

#include "logger.h"

namespace corvane::common {
namespace {

// Points standard error at a handle for the scope of a test.
class ScopedStandardError {
 public:
  explicit ScopedStandardError(HANDLE handle) : saved_(GetStdHandle(STD_ERROR_HANDLE)) {
    SetStdHandle(STD_ERROR_HANDLE, handle);
    std::cerr.clear();
  }
  ~ScopedStandardError() {
    SetStdHandle(STD_ERROR_HANDLE, saved_);
    std::cerr.clear();
  }
  ScopedStandardError(const ScopedStandardError&) = delete;
  ScopedStandardError& operator=(const ScopedStandardError&) = delete;

 private:
  HANDLE saved_;
};

std::wstring temporaryFile() {
  wchar_t folder[MAX_PATH];
  wchar_t file[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"log", 0, file);
  return file;
}

TEST(WindowsStandardErrorTest, RefusedWritesSetTheStreamsBadbit) {
  const std::wstring path = temporaryFile();
  const HANDLE readOnly =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
  {
    const ScopedStandardError redirected(readOnly);
    ConsoleLogger().log(LogLevel::Error, "to a file opened for reading");
    EXPECT_TRUE(std::cerr.bad());
  }
  CloseHandle(readOnly);
  DeleteFileW(path.c_str());

  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  CloseHandle(readEnd);
  {
    const ScopedStandardError redirected(writeEnd);
    ConsoleLogger().log(LogLevel::Error, "to a pipe nobody reads");
    EXPECT_TRUE(std::cerr.bad());
  }
  CloseHandle(writeEnd);
}

TEST(WindowsStandardErrorTest, WrittenLinesLeaveTheStreamGood) {
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  {
    const ScopedStandardError redirected(writeEnd);
    ConsoleLogger().log(LogLevel::Info, "to a pipe");
    EXPECT_TRUE(std::cerr.good());
  }
  CloseHandle(writeEnd);
  char buffer[256];
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr));
  EXPECT_NE(std::string(buffer, read).find("] [INFO] to a pipe\r\n"), std::string::npos);
  CloseHandle(readEnd);
}

// Wine makes a console only for a terminal: this one runs under script(1).
TEST(WindowsStandardErrorConsoleTest, ConsoleGetsTheWholeLine) {
  const HANDLE screen =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info)) << "no console";
  // The line goes to a cleared first row.
  DWORD done = 0;
  FillConsoleOutputCharacterW(screen, L' ', info.dwSize.X, COORD{0, 0}, &done);
  SetConsoleCursorPosition(screen, COORD{0, 0});
  {
    const ScopedStandardError redirected(screen);
    ConsoleLogger().log(LogLevel::Info, "Jos\xc3\xa9 at the end.");
    EXPECT_TRUE(std::cerr.good());
  }
  std::wstring row(info.dwSize.X, L' ');
  ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, row.data(), info.dwSize.X, COORD{0, 0}, &done));
  row.resize(row.find_last_not_of(L' ') + 1);
  const std::wstring expectedEnd = L"] [INFO] Jos\u00e9 at the end.";
  ASSERT_GE(row.size(), expectedEnd.size());
  EXPECT_EQ(row.substr(row.size() - expectedEnd.size()), expectedEnd);
  // The newline: the cursor waits at the start of the next row.
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
  EXPECT_EQ(info.dwCursorPosition.X, 0);
  EXPECT_EQ(info.dwCursorPosition.Y, 1);
  CloseHandle(screen);
}

}  // namespace
}  // namespace corvane::common
