// The paths file (openvrpaths.vrpath) as the OpenVR SDK's loader reads it,
// and the runtime after it, so that the stand-in finds its config and log
// folders exactly where the vendor's runtime does.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace standin {

struct RuntimePaths {
  std::string runtime;  // the first "runtime" entry only, or VR_OVERRIDE
  std::string config;   // the first "config" entry, or VR_CONFIG_PATH
  std::string log;      // the first "log" entry, or VR_LOG_PATH
};

// JSON as the vendor's runtime and SDK read their files with jsoncpp 1.6.5:
// comments allowed, text after the value ignored, no more than 1000 levels
// deep; a trailing comma or a UTF-8 byte order mark not (SDKs before 2.2.3).
// Discarded when it does not parse.
nlohmann::json parseAsTheRuntimeDoes(const std::string& text);

// A file's bytes, or nullopt unless it is a regular file of at most 1 MiB:
// a pipe would be read until someone writes to it, /dev/zero for ever.
std::optional<std::string> readRegularFile(const std::filesystem::path& file);

// A path from the UTF-8 the SDK's strings are in; on Windows, text that is
// not UTF-8 names no file, as the SDK's own conversion gives up on it.
std::filesystem::path pathFromUtf8(const std::string& text);

// VR_PATHREG_OVERRIDE when set and not empty; else on Linux
// $XDG_CONFIG_HOME/openvr/openvrpaths.vrpath, or under $HOME/.config (the
// working folder's when HOME is empty); on Windows the process user's Local
// AppData folder (SHGetFolderPathW, not %LOCALAPPDATA%), then
// openvr\openvrpaths.vrpath.
std::filesystem::path pathRegistryFile();

// The paths with the environment's overrides applied, or nullopt when the
// file cannot be read and the overrides do not name all three. Like the
// loader, says why on standard error.
std::optional<RuntimePaths> readRuntimePaths();

}  // namespace standin
