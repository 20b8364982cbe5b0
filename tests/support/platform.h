// The platforms the tool is built for, and how each build runs here: the
// Linux build directly, the Windows build under Wine (in the prefix that
// scripts/with-wine-prefix sets up for the test run).
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace corvane::testing {

enum class Platform { Linux, Windows };

inline std::ostream& operator<<(std::ostream& out, Platform platform) {
  return out << (platform == Platform::Linux ? "Linux" : "Windows");
}

// The command that runs the platform's build of a tool ("vrenlist",
// "vrdelist") with these arguments.
std::vector<std::string> toolCommand(Platform platform, const std::string& tool,
                                     const std::vector<std::string>& arguments);

// The command that runs a Windows program (a path, or one of Wine's own
// such as "cmd" or "reg") under the test run's Wine.
std::vector<std::string> windowsCommand(const std::string& program,
                                        const std::vector<std::string>& arguments);

// Waits until every program in the test run's Wine prefix has ended.
void waitForWindowsPrograms();

// A program of the Windows build's, such as asks_for_elevation (a Linux path).
std::filesystem::path windowsProgram(const std::string& name);

// The example installer built from the Windows build (a Linux path).
std::filesystem::path windowsInstaller();

// The platform's stand-in runtime library: vrclient.so or vrclient_x64.dll.
std::filesystem::path standinLibrary(Platform platform);

// A local file as the platform's programs name it: /tmp/a on Linux,
// Z:\tmp\a (Wine's drive for the Unix root) on Windows.
std::string nativePath(Platform platform, const std::filesystem::path& path);

// A file inside the Wine prefix's drive_c as Windows names it: C:\users\...
std::string windowsDriveCPath(const std::filesystem::path& path);

// Standard error as a Linux program would have written it: Windows' C
// runtime ends lines with "\r\n", which becomes "\n".
std::string withUnixNewlines(Platform platform, std::string text);

// The Wine prefix of this test run; aborts the test run when there is none.
std::filesystem::path winePrefix();

// The prefix's one user profile (C:\users\<name>).
std::filesystem::path wineUserProfile();

}  // namespace corvane::testing
