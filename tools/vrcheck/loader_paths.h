// Where the OpenVR SDK's loader looks on this platform, as it does before
// the runtime is reached: the paths file, and inside the runtime's folder
// its bin folder and client library. vrcheck names the same files the
// loader reads, so its findings explain the loader's answers.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace corvane::vrcheck {

// An environment variable's value as UTF-8, or nullopt when it is unset or
// empty (the loader ignores an empty one).
std::optional<std::string> environmentValue(const char* name);

// The paths file when no VR_PATHREG_OVERRIDE names one: Linux,
// $XDG_CONFIG_HOME/openvr/openvrpaths.vrpath, else
// $HOME/.config/openvr/openvrpaths.vrpath (empty without HOME); Windows, the
// Local AppData folder of the process's user, not %LOCALAPPDATA%, then
// openvr\openvrpaths.vrpath.
std::filesystem::path defaultPathsFile();

// bin/linux64 on Linux, bin on Windows.
std::filesystem::path binFolder(const std::filesystem::path& runtime);
// bin/linux64/vrclient.so on Linux, bin\vrclient_x64.dll on Windows.
std::filesystem::path clientLibrary(const std::filesystem::path& runtime);

// The name of the user this process runs as.
std::string userName();

// Root or under sudo (Linux), elevated (Windows): the paths file read may be
// an administrator's, not that of the person who wears the headset.
bool runsWithAdministratorRights();

}  // namespace corvane::vrcheck
