// What the stand-in runtime keeps between processes. Its records, in the
// config folder that the paths file names and in the real runtime's
// formats: appconfig.json ({"manifest_paths": [...]}, the permanent list,
// each path as the registering program gave it) and
// vrappconfig/<app key>.vrappconfig ({"autolaunch": ..., "last_launch_time":
// ...}). Its own state directory holds faults.json (failures a test asks
// for), journal.log (every call received) and server.json, there while its
// server runs: the list as the server holds it in memory, which it loaded
// from the records when it started.
#pragma once

#include <openvr.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// The records as stored.
struct Records {
  std::vector<std::string> manifestPaths;
  std::map<std::string, bool> autoLaunch;
  bool parsed = true;  // false: appconfig.json is there but the runtime cannot read it
};

// Failures to answer with, read from faults.json when a connection starts.
struct Faults {
  vr::EVRInitError initError = vr::VRInitError_None;
  vr::EVRApplicationError addManifestError = vr::VRApplicationError_None;
  vr::EVRApplicationError autoLaunchError = vr::VRApplicationError_None;
  vr::EVRApplicationError removeManifestError = vr::VRApplicationError_None;
  // Answered by GetApplicationPropertyString and GetApplicationPropertyBool.
  vr::EVRApplicationError propertyError = vr::VRApplicationError_None;
  // WorkingDirectory answers PropertyNotSet, as a runtime that leaves it
  // unset does.
  bool workingDirectoryUnset = false;
  // What the running server holds but has not yet written to its records,
  // which it writes on its own schedule.
  Records unwritten;
  bool applicationsUnavailable = false;
};

// The records as the runtime holds them once loaded.
struct Registry {
  // In the order listed: path -> the app keys its manifest declares.
  std::vector<std::pair<std::string, std::vector<std::string>>> manifests;
  std::map<std::string, bool> autoLaunch;  // app key -> flag

  // These return whether anything changed.
  bool addManifest(const std::string& path, const std::vector<std::string>& appKeys);
  bool removeManifest(const std::string& path);
  bool setAutoLaunch(const std::string& appKey, bool enabled);
  bool provides(std::string_view appKey) const;
  // The path of the first listed manifest that declares the key, or null:
  // the runtime skips a later one ("was already described in manifest").
  const std::string* registeredFrom(std::string_view appKey) const;
};

class StateDirectory {
 public:
  // Creates the directory if needed. The journal stays open from here on,
  // as a real runtime's connection would hold a descriptor.
  explicit StateDirectory(std::filesystem::path path);

  // Appends one line to the journal, flushed at once.
  void record(const std::string& line);
  Faults loadFaults() const;

  // Where the records are: the config folder of this connection.
  void setConfigFolder(std::filesystem::path folder) { config_ = std::move(folder); }
  // Where the runtime's log is (server_log.h): the log folder of this connection.
  void setLogFolder(std::filesystem::path folder) { log_ = std::move(folder); }
  const std::filesystem::path& logFolder() const { return log_; }
  Records loadRecords() const;
  // Replaces each record file in one rename, so a reader never sees half
  // of one; a file whose content stays the same is not written.
  void saveRecords(const Registry& registry) const;

  bool running() const;
  // The server's list, if it runs and holds one.
  std::optional<Registry> loadServerList() const;
  // Keeps the server's list, which also marks it running.
  void saveServerList(const Registry& registry) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path config_;
  std::filesystem::path log_;
  std::ofstream journal_;
};

}  // namespace standin
