// Windows only, run under Wine: for either tool, an argument holding an unpaired surrogate
// (which Windows file names may) has no UTF-8 form, so it must never reach
// the runtime altered. Only a Windows process can pass one: Wine builds
// command lines from UTF-8.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

namespace {

struct Outcome {
  DWORD exitStatus = 0;
  std::string standardError;
};

// Runs a tool's .exe, which lives beside this test, with the raw command
// line tail given.
Outcome runTool(const wchar_t* tool, const std::wstring& arguments) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring exe = (std::filesystem::path(self).parent_path() / tool).wstring();
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;

  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return {};
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  Outcome outcome;
  if (started) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) {
      outcome.standardError.append(buffer, n);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &outcome.exitStatus);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  EXPECT_TRUE(started);
  return outcome;
}

TEST(UnpairedSurrogateTest, IsRefusedWithoutContactingTheRuntime) {
  for (const wchar_t* tool : {L"vrenlist.exe", L"vrdelist.exe", L"vrcheck.exe"}) {
    // No runtime is registered in this prefix: contacting one would end in
    // status 1 and "VR_Init(Utility) failed".
    const Outcome outcome = runTool(tool, L"C:\\Users\\Jos\xd800\\app.vrmanifest");
    EXPECT_EQ(outcome.exitStatus, 2u);
    EXPECT_NE(outcome.standardError.find(
                  "] [ERROR] Manifest path holds an unpaired UTF-16 surrogate and has no UTF-8 "
                  "form: C:\\Users\\Jos\xef\xbf\xbd\\app.vrmanifest\r\n"),
              std::string::npos)
        << outcome.standardError;
    EXPECT_EQ(outcome.standardError.find("VR_Init"), std::string::npos) << outcome.standardError;
  }
}

}  // namespace
