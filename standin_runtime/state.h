// What the stand-in runtime keeps between processes, all in one directory:
// registry.json (permanent registrations and auto-launch flags), faults.json
// (failures a test asks for) and journal.log (every call received).
#pragma once

#include <openvr.h>

#include <filesystem>
#include <fstream>
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
  vr::EVRApplicationError removeManifestError = vr::VRApplicationError_None;
  // Answered by GetApplicationPropertyString and GetApplicationPropertyBool.
  vr::EVRApplicationError propertyError = vr::VRApplicationError_None;
  // WorkingDirectory answers PropertyNotSet, as a runtime that leaves it
  // unset does.
  bool workingDirectoryUnset = false;
  bool applicationsUnavailable = false;
};

struct Registry {
  std::map<std::string, std::vector<std::string>> manifests;  // path -> its app keys
  std::map<std::string, bool> autoLaunch;                     // app key -> flag

  // These return whether anything changed.
  bool addManifest(const std::string& path, const std::vector<std::string>& appKeys);
  bool removeManifest(const std::string& path);
  bool setAutoLaunch(const std::string& appKey, bool enabled);
  bool provides(std::string_view appKey) const;
  // The path of the manifest that declares the key, or null.
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
  Registry loadRegistry() const;
  // Replaces the store in one rename, so a reader never sees half of it.
  void saveRegistry(const Registry& registry) const;

 private:
  std::filesystem::path path_;
  std::ofstream journal_;
};

}  // namespace standin
