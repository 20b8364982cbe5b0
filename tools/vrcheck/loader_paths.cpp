#include "loader_paths.h"

#include <cstdlib>

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>

#include "utf16.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace corvane::vrcheck {

#ifdef _WIN32

std::optional<std::string> environmentValue(const char* name) {
  const std::wstring wideName = common::utf16FromUtf8(name);
  const wchar_t* value = _wgetenv(wideName.c_str());
  if (value == nullptr || *value == L'\0') return std::nullopt;
  return common::displayableUtf8(value);
}

std::filesystem::path defaultPathsFile() {
  // As the loader asks for it, creating the folder if need be.
  wchar_t localAppData[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0,
                              localAppData))) {
    return {};
  }
  return std::filesystem::path(localAppData) / L"openvr" / L"openvrpaths.vrpath";
}

std::filesystem::path binFolder(const std::filesystem::path& runtime) { return runtime / L"bin"; }

std::filesystem::path clientLibrary(const std::filesystem::path& runtime) {
  return binFolder(runtime) / L"vrclient_x64.dll";
}

std::filesystem::path serverProgram(const std::filesystem::path& runtime) {
  return binFolder(runtime) / L"win64" / L"vrserver.exe";
}

bool homeIsEmpty() { return false; }

std::string userName() {
  wchar_t name[257];
  DWORD length = static_cast<DWORD>(std::size(name));
  if (!GetUserNameW(name, &length)) return "(unknown user)";
  return common::displayableUtf8(name);
}

bool runsWithAdministratorRights() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool elevated =
      GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
      elevation.TokenIsElevated != 0;
  CloseHandle(token);
  return elevated;
}

std::optional<unsigned> ansiCodePageChanging(const std::string& text) {
  const UINT codePage = GetACP();
  if (codePage == CP_UTF8) return std::nullopt;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return codePage;
  }
  return std::nullopt;
}

#else

std::optional<std::string> environmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

std::filesystem::path defaultPathsFile() {
  if (const std::optional<std::string> config = environmentValue("XDG_CONFIG_HOME")) {
    return std::filesystem::path(*config) / "openvr" / "openvrpaths.vrpath";
  }
  // An empty HOME is no home, but the loader joins it all the same.
  if (const char* home = std::getenv("HOME")) {
    return std::filesystem::path(home) / ".config" / "openvr" / "openvrpaths.vrpath";
  }
  return {};
}

bool homeIsEmpty() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home == '\0' && !environmentValue("XDG_CONFIG_HOME");
}

std::filesystem::path binFolder(const std::filesystem::path& runtime) {
  return runtime / "bin" / "linux64";
}

std::filesystem::path clientLibrary(const std::filesystem::path& runtime) {
  return binFolder(runtime) / "vrclient.so";
}

std::filesystem::path serverProgram(const std::filesystem::path& runtime) {
  return binFolder(runtime) / "vrserver";
}

std::string userName() {
  const uid_t user = geteuid();
  // USER names the user who logged in, which su -p, su -m, runuser -m and
  // setpriv keep for another; it serves only as a name of this user (one
  // of several that share the id, say).
  if (const std::optional<std::string> name = environmentValue("USER")) {
    const passwd* entry = getpwnam(name->c_str());
    if (entry != nullptr && entry->pw_uid == user) return *name;
  }
  const passwd* entry = getpwuid(user);
  return entry != nullptr ? entry->pw_name : "uid " + std::to_string(user);
}

bool runsWithAdministratorRights() {
  return geteuid() == 0 || environmentValue("SUDO_USER").has_value();
}

std::optional<unsigned> ansiCodePageChanging(const std::string&) { return std::nullopt; }

#endif

}  // namespace corvane::vrcheck
