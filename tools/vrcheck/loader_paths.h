// Where the OpenVR SDK's loader looks on this platform, as it does before
// the runtime is reached: the paths file, and inside the runtime's folder
// its bin folder and client library. vrcheck names the same files the
// loader reads, so its findings explain the loader's answers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace corvane::vrcheck {

// An environment variable's value as UTF-8, or nullopt when it is unset or
// empty (the loader ignores an empty one).
std::optional<std::string> environmentValue(const char* name);

// The paths file when no VR_PATHREG_OVERRIDE names one: Linux,
// $XDG_CONFIG_HOME/openvr/openvrpaths.vrpath, else
// $HOME/.config/openvr/openvrpaths.vrpath (relative to the working folder
// when HOME is empty, empty when it is unset); Windows, the Local AppData
// folder of the process's user, not %LOCALAPPDATA%, then
// openvr\openvrpaths.vrpath.
std::filesystem::path defaultPathsFile();

// Whether HOME is set but empty, which puts the paths file in the working
// folder (Linux).
bool homeIsEmpty();

// bin/linux64 on Linux, bin on Windows.
std::filesystem::path binFolder(const std::filesystem::path& runtime);
// bin/linux64/vrclient.so on Linux, bin\vrclient_x64.dll on Windows.
std::filesystem::path clientLibrary(const std::filesystem::path& runtime);
// How far into a client library vrcheck reads for a name: OpenComposite's
// builds name themselves well past the first megabyte.
constexpr std::uintmax_t kLargestClientLibrary = 64 * 1024 * 1024;

// The vendor's runtime ships its server beside the client library:
// bin/linux64/vrserver on Linux, bin\win64\vrserver.exe on Windows. A
// translation layer (OpenComposite, xrizer) has none.
std::filesystem::path serverProgram(const std::filesystem::path& runtime);

// The name of the user this process runs as: whose profile the loader
// reads.
std::string userName();

// Root or under sudo (Linux), elevated (Windows): the paths file read may be
// an administrator's, not that of the person who wears the headset.
bool runsWithAdministratorRights();

// The Windows loader reads its environment variables and loads the client
// library through the system's ANSI code page, with a path that is UTF-8:
// text outside ASCII reaches it changed, unless that code page is UTF-8.
// The code page when text is changed so, else nullopt (and on Linux).
std::optional<unsigned> ansiCodePageChanging(const std::string& text);

}  // namespace corvane::vrcheck
