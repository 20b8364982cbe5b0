#include "platform.h"

#include <cstdio>
#include <cstdlib>

#include "process.h"

namespace corvane::testing {
namespace {

std::string requiredEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    std::fprintf(stderr, "%s is not set: run the Windows tests under scripts/with-wine-prefix\n",
                 name);
    std::abort();
  }
  return value;
}

std::string withBackslashes(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace

std::vector<std::string> toolCommand(Platform platform, const std::string& tool,
                                     const std::vector<std::string>& arguments) {
  if (platform == Platform::Windows) {
    return windowsCommand(std::string(WINDOWS_TOOLS_DIR) + "/" + tool + ".exe", arguments);
  }
  std::vector<std::string> command = {std::string(TOOLS_BUILD_DIR) + "/" + tool + "/" + tool};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

std::vector<std::string> windowsCommand(const std::string& program,
                                        const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {requiredEnvironment("WINE"), program};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

void waitForWindowsPrograms() { runProcess({requiredEnvironment("WINESERVER"), "-w"}); }

std::filesystem::path windowsInstaller() { return WINDOWS_INSTALLER_PATH; }

std::filesystem::path windowsProgram(const std::string& name) {
  return std::filesystem::path(WINDOWS_TOOLS_DIR) / (name + ".exe");
}

std::filesystem::path standinLibrary(Platform platform) {
  return platform == Platform::Linux ? STANDIN_LIBRARY_PATH : WINDOWS_STANDIN_LIBRARY_PATH;
}

std::string nativePath(Platform platform, const std::filesystem::path& path) {
  if (platform == Platform::Linux) return path.string();
  return withBackslashes("Z:" + path.string());
}

std::string windowsDriveCPath(const std::filesystem::path& path) {
  return withBackslashes("C:/" +
                         std::filesystem::relative(path, winePrefix() / "drive_c").string());
}

std::string withUnixNewlines(Platform platform, std::string text) {
  if (platform == Platform::Linux) return text;
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
  }
  return result;
}

std::filesystem::path winePrefix() { return requiredEnvironment("WINEPREFIX"); }

std::filesystem::path wineUserProfile() {
  for (const auto& user : std::filesystem::directory_iterator(winePrefix() / "drive_c/users")) {
    if (user.path().filename() != "Public") return user.path();
  }
  std::fprintf(stderr, "no user profile in the Wine prefix\n");
  std::abort();
}

}  // namespace corvane::testing
