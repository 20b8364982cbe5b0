#include "records.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string_view>
#include <vector>

#include "json_text.h"
#include "record_file.h"
#include "runtime.h"
#include "same_path.h"

namespace corvane::vrcheck {
namespace {

using nlohmann::json;
using namespace readers;  // the careful file and JSON readers
using tools::kAppKey;

std::filesystem::path appConfigFile(const std::filesystem::path& config) {
  return config / "appconfig.json";
}

std::filesystem::path optionsFile(const std::filesystem::path& config) {
  return config / "vrappconfig" / (std::string(kAppKey) + ".vrappconfig");
}

// The paths a parsed list holds, or nullopt when "manifest_paths" is not a
// list of them.
std::optional<std::vector<std::string>> manifestPaths(const json& appConfig) {
  const json& listed = memberOf(appConfig, "manifest_paths");
  if (!listed.is_array()) return std::nullopt;
  std::vector<std::string> paths;
  for (const json& path : listed) {
    if (!path.is_string()) return std::nullopt;
    paths.push_back(path.get<std::string>());
  }
  return paths;
}

// The listed manifests as the runtime would read them: each at most once,
// and no more than kReadAtMost of them in all, as a list may name one huge
// file thousands of times, or thousands of huge files.
class ListedManifests {
 public:
  static constexpr std::uintmax_t kReadAtMost = 8 * 1024 * 1024;

  // Unread: past the bound. Unchecked: there, but not read whole or not
  // parsed, so it may declare the key to the runtime, which reads it as
  // the user who wears the headset, whatever its size, with a reader of
  // its own.
  enum class Holds { Key, Other, Gone, Unread, Unchecked };

  Holds holds(const std::string& listed) {
    const auto known = seen_.find(listed);
    if (known != seen_.end()) return known->second;
    if (read_ >= kReadAtMost) return Holds::Unread;
    const Record record = readRecord(std::filesystem::u8path(listed));
    read_ += record.bytesRead;
    Holds holds = Holds::Other;
    if (!record.value && record.problem.empty()) {
      holds = Holds::Gone;
    } else if (record.value && declaresAppKey(*record.value)) {
      holds = Holds::Key;
    } else if (!record.value && record.unread.problem != FileProblem::Folder) {
      holds = Holds::Unchecked;
    }
    return seen_.emplace(listed, holds).first->second;
  }

  bool stopped() const { return read_ >= kReadAtMost; }

 private:
  static bool declaresAppKey(const json& manifest) {
    const json& applications = memberOf(manifest, "applications");
    return applications.is_array() &&
           std::any_of(applications.begin(), applications.end(), [](const json& application) {
             return memberOf(application, "app_key") == kAppKey;
           });
  }

  std::map<std::string, Holds> seen_;
  std::uintmax_t read_ = 0;
};

// The listed paths, or nullopt after a finding on why there are none.
std::optional<std::vector<std::string>> listedManifests(const std::filesystem::path& file,
                                                        const std::string& shown,
                                                        Findings& findings) {
  const Path named{"file", file.u8string()};
  const Record record = readRecord(file);
  if (!record.value && record.problem.empty()) {
    findings.notInPlace("records-list-missing",
                        "The runtime's list of apps does not exist yet, so nothing is registered: ",
                        named, ". Register it with: ", registerWith(shown));
    return std::nullopt;
  }
  // What keeps this user from reading the list keeps no runtime from it:
  // the runtime reads it as the user who wears the headset, whatever its size.
  const FileProblem unread = record.unread.problem;
  const char* const giveAccess =
      "; run as the user who wears the headset, or give this user access.";
  if (unread == FileProblem::FolderNotEntered) {
    findings.notInPlace("records-list-closed", "The runtime's list of apps cannot be read: ", named,
                        ". This user may not enter ",
                        Path{"folder", record.unread.folder.u8string()}, giveAccess);
    return std::nullopt;
  }
  if (unread == FileProblem::Unreadable) {
    findings.notInPlace("records-list-closed", "The runtime's list of apps cannot be read: ", named,
                        ". This user may not read it", giveAccess);
    return std::nullopt;
  }
  if (unread == FileProblem::TooLarge) {
    findings.notInPlace(
        "records-list-too-large",
        "The runtime's list of apps is larger than 1 MiB, more than vrcheck reads: ", named,
        ". Start the runtime, whose answers then decide, and run vrcheck "
        "again.");
    return std::nullopt;
  }
  if (!record.value) {
    findings.notInPlace("records-list-unusable", "The runtime's list of apps ", record.problem,
                        ": ", named,
                        ". The runtime drops every registration in it at its next start; "
                        "register again after that with: ",
                        registerWith(shown));
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> paths = manifestPaths(*record.value);
  if (!paths) {
    findings.notInPlace("records-list-no-paths",
                        "The runtime's list of apps holds no list of paths in \"manifest_paths\": ",
                        named, ". Register again with: ", registerWith(shown));
  }
  return paths;
}

// The flag in vrappconfig; false, with why when the file is there but the
// runtime cannot read it.
bool autoLaunchRecorded(const std::filesystem::path& config, std::string* problem = nullptr) {
  const Record options = readRecord(optionsFile(config));
  if (problem != nullptr && !options.problem.empty()) *problem = ": it " + options.problem;
  return options.value && memberOf(*options.value, "autolaunch") == true;
}

}  // namespace

void checkRecords(const std::filesystem::path& config, const std::filesystem::path& manifest,
                  const std::string& shown, Findings& findings) {
  const std::optional<std::vector<std::string>> listed =
      listedManifests(appConfigFile(config), shown, findings);
  if (listed) {
    // One manifest per key: the first listed that declares it holds it, and
    // the runtime skips the others.
    ListedManifests manifests;
    bool here = false;
    bool holdsHere = false;    // this manifest is the first listed that declares the key
    bool unreadAbove = false;  // a manifest listed before the key's holder went unread
    std::vector<const std::string*> uncheckedAbove;  // ... or was not read whole, or not parsed
    const std::string* holder = nullptr;
    std::set<std::string_view> seen;  // a path listed again changes nothing
    for (const std::string& path : *listed) {
      if (!seen.insert(path).second) continue;
      if (samePath(std::filesystem::u8path(path), manifest)) {
        if (!here) {
          findings.inPlace("records-listed",
                           "Listed in the runtime's records: ", Path{"manifest", path});
        }
        here = true;
        if (holder == nullptr) {
          holder = &path;
          holdsHere = true;
        }
        continue;
      }
      const ListedManifests::Holds holds = manifests.holds(path);
      if (holds == ListedManifests::Holds::Unread && holder == nullptr) unreadAbove = true;
      if (holds == ListedManifests::Holds::Unchecked && holder == nullptr) {
        uncheckedAbove.push_back(&path);
      }
      if (holds == ListedManifests::Holds::Key && holder == nullptr) {
        holder = &path;
        findings.notInPlace("records-other-manifest",
                            "Registered from another manifest: ", Path{"other_manifest", path},
                            ". Take that registration back with: ", Command{{"vrdelist", path}},
                            ", then register this one with: ", registerWith(shown));
      } else if (holds == ListedManifests::Holds::Key) {
        // vrdelist would switch the key's auto-launch off: no command here.
        findings.inPlace("records-listed-skipped",
                         "Also listed, and skipped, as a manifest listed before it holds the app "
                         "key: ",
                         Path{"listed_manifest", path});
      } else if (holds == ListedManifests::Holds::Gone &&
                 std::filesystem::u8path(path).filename() == manifest.filename()) {
        findings.notInPlace("records-listed-gone",
                            "The runtime's list names a manifest that no longer exists: ",
                            Path{"listed_manifest", path},
                            ". The runtime drops it at its next start; to drop it now: ",
                            Command{{"vrdelist", path}});
      }
    }
    const Path list{"file", appConfigFile(config).u8string()};
    const auto megabytes = ListedManifests::kReadAtMost / (1024 * 1024);
    // Only where this manifest would hold the key: after another holder it
    // does not, whoever holds it.
    if (holdsHere) {
      for (const std::string* path : uncheckedAbove) {
        findings.notInPlace(
            "records-unchecked-listed", "A manifest listed above this one in ", list,
            " was not read whole, or does not parse, so vrcheck cannot tell whether it declares "
            "the app key: ",
            Path{"listed_manifest", *path},
            ". The runtime takes the key from the first listed manifest that declares it. Start "
            "the runtime, whose answers then decide, and run vrcheck again.");
      }
    }
    if (unreadAbove && here) {
      // The runtime takes the first listed manifest that declares the key,
      // and one of those went unread.
      findings.notInPlace("records-unchecked-above", "Stopped reading the manifests listed in ",
                          list, " after ", megabytes,
                          " MiB, before this one: one listed above it may hold the app key. "
                          "Start the runtime, whose answers then decide, and run vrcheck again.");
    } else if (manifests.stopped()) {
      findings.inPlace("records-reading-stopped", "Stopped reading the manifests listed in ", list,
                       " after ", megabytes, " MiB; those further down were not checked");
    }
    if (!here) {
      findings.notInPlace("records-not-listed", "Not in the runtime's list of apps, ",
                          Path{"file", appConfigFile(config).u8string()},
                          ". Register it with: ", registerWith(shown));
    }
  }
  std::string problem;
  if (autoLaunchRecorded(config, &problem)) {
    findings.inPlace("records-auto-launch-on", "Auto-launch on in the runtime's records: ",
                     Path{"file", optionsFile(config).u8string()});
  } else {
    findings.notInPlace("records-auto-launch-off",
                        "Auto-launch is not on in the runtime's records, ",
                        Path{"file", optionsFile(config).u8string()}, problem,
                        ". Switch it on with: ", registerWith(shown));
  }
}

void noteLaggingRecords(const std::filesystem::path& config, const std::filesystem::path& manifest,
                        bool listedLive, bool autoLaunchLive, Findings& findings) {
  if (listedLive) {
    const Record record = readRecord(appConfigFile(config));
    const std::optional<std::vector<std::string>> paths =
        record.value ? manifestPaths(*record.value) : std::nullopt;
    const bool listed = paths && std::any_of(paths->begin(), paths->end(), [&](const auto& path) {
                          return samePath(std::filesystem::u8path(path), manifest);
                        });
    if (!listed) {
      findings.inPlace("records-lag-registration",
                       "The runtime has not yet written this registration to its records, "
                       "as it does on its own schedule: ",
                       Path{"file", appConfigFile(config).u8string()});
    }
  }
  if (autoLaunchLive && !autoLaunchRecorded(config)) {
    findings.inPlace("records-lag-auto-launch",
                     "The runtime has not yet written auto-launch to its records, as it does on "
                     "its own schedule: ",
                     Path{"file", optionsFile(config).u8string()});
  }
}

std::optional<std::string> registeredManifestIn(const std::filesystem::path& config,
                                                const std::filesystem::path& folder) {
  const Record record = readRecord(appConfigFile(config));
  const std::optional<std::vector<std::string>> paths =
      record.value ? manifestPaths(*record.value) : std::nullopt;
  if (!paths) return std::nullopt;
  std::vector<const std::string*> inFolder;
  std::set<std::string_view> seen;  // a path listed again is the same manifest
  for (const std::string& path : *paths) {
    if (seen.insert(path).second && samePath(std::filesystem::u8path(path).parent_path(), folder)) {
      inFolder.push_back(&path);
    }
  }
  // The only one listed there, read or not (its files may have moved away);
  // else the first there that declares the key.
  if (inFolder.size() == 1) return *inFolder.front();
  ListedManifests manifests;
  for (const std::string* path : inFolder) {
    if (manifests.holds(*path) == ListedManifests::Holds::Key) return *path;
  }
  return std::nullopt;
}

}  // namespace corvane::vrcheck
