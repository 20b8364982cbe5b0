// What the stand-in runtime keeps between processes, all in one directory:
// registry.json (permanent registrations and auto-launch flags), faults.json
// (failures a test asks for) and journal.log (every call received).
#pragma once

#include <openvr.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Failures to answer with, read from faults.json when a connection starts.
struct Faults {
  vr::EVRInitError initError = vr::VRInitError_None;
  vr::EVRApplicationError addManifestError = vr::VRApplicationError_None;
  vr::EVRApplicationError autoLaunchError = vr::VRApplicationError_None;
  bool applicationsUnavailable = false;
};

struct Registry {
  std::map<std::string, std::vector<std::string>> manifests;  // path -> its app keys
  std::map<std::string, bool> autoLaunch;                     // app key -> flag

  void addManifest(const std::string& path, const std::vector<std::string>& appKeys);
  bool provides(std::string_view appKey) const;
};

class StateDirectory {
 public:
  explicit StateDirectory(std::filesystem::path path) : path_(std::move(path)) {}

  // Appends one line to the journal.
  void record(const std::string& line) const;
  Faults loadFaults() const;
  Registry loadRegistry() const;
  // Replaces the store in one rename, so a reader never sees half of it.
  void saveRegistry(const Registry& registry) const;

 private:
  std::filesystem::path path_;
};

}  // namespace standin
