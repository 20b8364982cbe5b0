#include "records.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "json_text.h"
#include "runtime.h"
#include "same_path.h"
#include "small_file.h"

namespace corvane::vrcheck {
namespace {

using nlohmann::json;
using tools::kAppKey;

std::filesystem::path appConfigFile(const std::filesystem::path& config) {
  return config / "appconfig.json";
}

std::filesystem::path optionsFile(const std::filesystem::path& config) {
  return config / "vrappconfig" / (std::string(kAppKey) + ".vrappconfig");
}

// A record as JSON, or nullopt with why not: "" for a missing file, else a
// sentence on what the runtime makes of it.
struct Record {
  std::optional<json> value;
  std::string problem;
};

Record readRecord(const std::filesystem::path& file) {
  SmallFile read = readSmallFile(file);
  switch (read.problem) {
    case FileProblem::None: break;
    case FileProblem::Missing: return {std::nullopt, ""};
    case FileProblem::FolderNotEntered:
      return {std::nullopt, "cannot be read: this user may not enter " + read.folder.u8string()};
    case FileProblem::Unreadable: return {std::nullopt, "cannot be read"};
    case FileProblem::Folder:
    case FileProblem::NotRegular: return {std::nullopt, "is not a regular file"};
    case FileProblem::TooLarge: return {std::nullopt, "is larger than 1 MiB"};
  }
  const std::string_view bytes = read.bytes;
  // The runtime's reader cannot parse these, and starts afresh.
  if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF")) {
    return {std::nullopt, "is saved as UTF-16, which the runtime cannot parse"};
  }
  if (startsWith(bytes, kByteOrderMark)) {
    return {std::nullopt, "starts with a byte order mark, which the runtime cannot parse"};
  }
  ParsedJson parsed = parseJson(bytes);
  if (parsed.value.is_discarded()) {
    return {std::nullopt, "is not JSON the runtime can parse, at " + parsed.where};
  }
  return {std::move(parsed.value), ""};
}

// The paths a parsed list holds, or nullopt when "manifest_paths" is not a
// list of them.
std::optional<std::vector<std::string>> manifestPaths(const json& appConfig) {
  const json& listed = appConfig.is_object() ? appConfig.value("manifest_paths", json()) : json();
  if (!listed.is_array()) return std::nullopt;
  std::vector<std::string> paths;
  for (const json& path : listed) {
    if (!path.is_string()) return std::nullopt;
    paths.push_back(path.get<std::string>());
  }
  return paths;
}

// The listed paths, or nullopt after a finding on why there are none.
std::optional<std::vector<std::string>> listedManifests(const std::filesystem::path& file,
                                                        const std::string& registerThis,
                                                        Findings& findings) {
  const Record record = readRecord(file);
  if (!record.value && record.problem.empty()) {
    findings.notInPlace("The runtime's list of apps does not exist yet, so nothing is registered: ",
                        file.u8string(), ". Register it with: ", registerThis);
    return std::nullopt;
  }
  if (!record.value) {
    findings.notInPlace("The runtime's list of apps ", record.problem, ": ", file.u8string(),
                        ". The runtime drops every registration in it at its next start; "
                        "register again after that with: ",
                        registerThis);
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> paths = manifestPaths(*record.value);
  if (!paths) {
    findings.notInPlace("The runtime's list of apps holds no list of paths in \"manifest_paths\": ",
                        file.u8string(), ". Register again with: ", registerThis);
    return std::nullopt;
  }
  return paths;
}

bool declaresAppKey(const json& manifest) {
  const json& applications = manifest.is_object() ? manifest.value("applications", json()) : json();
  for (const json& application : applications.is_array() ? applications : json::array()) {
    if (application.is_object() && application.value("app_key", json()) == kAppKey) return true;
  }
  return false;
}

// Another listed manifest: the key's holder, a path the runtime will drop,
// or nothing to say.
void checkOtherManifest(const std::string& listed, const std::filesystem::path& manifest,
                        const std::string& registerThis, Findings& findings) {
  const std::filesystem::path path = std::filesystem::u8path(listed);
  const Record record = readRecord(path);
  if (record.value && declaresAppKey(*record.value)) {
    // One manifest per key: the first listed wins, the next is skipped.
    findings.notInPlace("Registered from another manifest: ", listed,
                        ". Take that registration back with: vrdelist ", shellQuoted(listed),
                        ", then register this one with: ", registerThis);
  } else if (!record.value && record.problem.empty() && path.filename() == manifest.filename()) {
    findings.notInPlace("The runtime's list names a manifest that no longer exists: ", listed,
                        ". The runtime drops it at its next start; to drop it now: vrdelist ",
                        shellQuoted(listed));
  }
}

// The flag in vrappconfig, false when the file is missing or unreadable.
bool autoLaunchRecorded(const std::filesystem::path& config) {
  const Record options = readRecord(optionsFile(config));
  return options.value && options.value->is_object() &&
         options.value->value("autolaunch", json()) == true;
}

}  // namespace

void checkRecords(const std::filesystem::path& config, const std::filesystem::path& manifest,
                  const std::string& shown, Findings& findings) {
  const std::string registerThis = "vrenlist " + shellQuoted(shown);
  const std::optional<std::vector<std::string>> listed =
      listedManifests(appConfigFile(config), registerThis, findings);
  if (listed) {
    bool here = false;
    for (const std::string& path : *listed) {
      if (samePath(std::filesystem::u8path(path), manifest)) {
        if (!here) findings.inPlace("Listed in the runtime's records: ", path);
        here = true;
      } else {
        checkOtherManifest(path, manifest, registerThis, findings);
      }
    }
    if (!here) {
      findings.notInPlace("Not in the runtime's list of apps, ", appConfigFile(config).u8string(),
                          ". Register it with: ", registerThis);
    }
  }
  if (autoLaunchRecorded(config)) {
    findings.inPlace("Auto-launch on in the runtime's records: ", optionsFile(config).u8string());
  } else {
    findings.notInPlace("Auto-launch is not on in the runtime's records, ",
                        optionsFile(config).u8string(), ". Switch it on with: ", registerThis);
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
      findings.inPlace(
          "The runtime has not yet written this registration to its records, "
          "as it does on its own schedule: ",
          appConfigFile(config).u8string());
    }
  }
  if (autoLaunchLive && !autoLaunchRecorded(config)) {
    findings.inPlace(
        "The runtime has not yet written auto-launch to its records, as it does on "
        "its own schedule: ",
        optionsFile(config).u8string());
  }
}

}  // namespace corvane::vrcheck
