#include "state.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "json_text.h"
#include "path_registry.h"

namespace standin {
namespace {

using corvane::readers::memberOf;
using nlohmann::json;

// Stored values of the type expected; a value of another type is not set,
// as a hand-edited file may hold anything.
int integerOr(const json& object, const char* key, int fallback) {
  const auto found = object.find(key);
  return found != object.end() && found->is_number_integer() ? found->get<int>() : fallback;
}

bool booleanOr(const json& object, const char* key, bool fallback) {
  const auto found = object.find(key);
  return found != object.end() && found->is_boolean() ? found->get<bool>() : fallback;
}

// The texts in a list; anything else in it, or no list, counts for nothing.
std::vector<std::string> textsIn(const json& list) {
  std::vector<std::string> texts;
  if (!list.is_array()) return texts;
  for (const json& text : list) {
    if (text.is_string()) texts.push_back(text.get<std::string>());
  }
  return texts;
}

// The boolean members of an object.
std::map<std::string, bool> flagsIn(const json& object) {
  std::map<std::string, bool> flags;
  if (!object.is_object()) return flags;
  for (const auto& [key, flag] : object.items()) {
    if (flag.is_boolean()) flags[key] = flag.get<bool>();
  }
  return flags;
}

// Writes a file whole, through a rename; the same content is left alone,
// as a runtime rewrites a record only when it changes.
void writeReplacing(const std::filesystem::path& file, const std::string& text) {
  if (readRegularFile(file) == text + "\n") return;
  std::error_code ignored;
  std::filesystem::create_directories(file.parent_path(), ignored);
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc | std::ios::binary);
    out << text << '\n';
    if (!out.flush()) return;
  }
  std::filesystem::rename(temporary, file, ignored);
}

// A file of the stand-in's own, as an object; anything else reads as none.
json readJson(const std::filesystem::path& file) {
  const std::optional<std::string> text = readRegularFile(file);
  json parsed = text ? parseAsTheRuntimeDoes(*text) : json();
  if (!parsed.is_object()) parsed = json::object();
  return parsed;
}

}  // namespace

bool Registry::addManifest(const std::string& path, const std::vector<std::string>& appKeys) {
  for (auto& [listed, keys] : manifests) {
    if (listed != path) continue;
    if (keys == appKeys) return false;
    keys = appKeys;
    return true;
  }
  manifests.emplace_back(path, appKeys);
  return true;
}

bool Registry::removeManifest(const std::string& path) {
  const auto listed = std::find_if(manifests.begin(), manifests.end(),
                                   [&](const auto& manifest) { return manifest.first == path; });
  if (listed == manifests.end()) return false;
  manifests.erase(listed);
  return true;
}

bool Registry::setAutoLaunch(const std::string& appKey, bool enabled) {
  const auto [flag, added] = autoLaunch.emplace(appKey, enabled);
  if (added || flag->second == enabled) return added;
  flag->second = enabled;
  return true;
}

bool Registry::provides(std::string_view appKey) const { return registeredFrom(appKey) != nullptr; }

const std::string* Registry::registeredFrom(std::string_view appKey) const {
  for (const auto& [path, keys] : manifests) {
    if (std::find(keys.begin(), keys.end(), appKey) != keys.end()) return &path;
  }
  return nullptr;
}

StateDirectory::StateDirectory(std::filesystem::path path) : path_(std::move(path)) {
  std::error_code ignored;
  std::filesystem::create_directories(path_, ignored);
  journal_.open(path_ / "journal.log", std::ios::app | std::ios::binary);
}

void StateDirectory::record(const std::string& line) {
  journal_ << line << '\n';
  journal_.flush();
}

Faults StateDirectory::loadFaults() const {
  const json faults = readJson(path_ / "faults.json");
  Faults result;
  result.initError = static_cast<vr::EVRInitError>(integerOr(faults, "initError", 0));
  result.addManifestError =
      static_cast<vr::EVRApplicationError>(integerOr(faults, "addApplicationManifestError", 0));
  result.autoLaunchError =
      static_cast<vr::EVRApplicationError>(integerOr(faults, "setApplicationAutoLaunchError", 0));
  result.removeManifestError =
      static_cast<vr::EVRApplicationError>(integerOr(faults, "removeApplicationManifestError", 0));
  result.propertyError =
      static_cast<vr::EVRApplicationError>(integerOr(faults, "applicationPropertyError", 0));
  result.applicationsUnavailable = booleanOr(faults, "applicationsUnavailable", false);
  result.workingDirectoryUnset = booleanOr(faults, "workingDirectoryUnset", false);
  const json& unwritten = memberOf(faults, "unwritten");
  result.unwritten.manifestPaths = textsIn(memberOf(unwritten, "manifests"));
  result.unwritten.autoLaunch = flagsIn(memberOf(unwritten, "autoLaunch"));
  return result;
}

Records StateDirectory::loadRecords() const {
  Records records;
  std::error_code ignored;
  const std::filesystem::path list = config_ / "appconfig.json";
  if (std::filesystem::exists(list, ignored)) {
    // What the runtime cannot parse it resets, losing every registration
    // (OpenVRStartup #2; openvr #1382, #530); what is no regular file it
    // cannot read.
    const std::optional<std::string> text = readRegularFile(list);
    const json appConfig = text ? parseAsTheRuntimeDoes(*text) : json();
    records.parsed = appConfig.is_object();
    records.manifestPaths = textsIn(memberOf(appConfig, "manifest_paths"));
  }
  for (const auto& entry : std::filesystem::directory_iterator(config_ / "vrappconfig", ignored)) {
    if (entry.path().extension() != ".vrappconfig") continue;
    const std::optional<std::string> options = readRegularFile(entry.path());
    const json parsed = options ? parseAsTheRuntimeDoes(*options) : json();
    records.autoLaunch[entry.path().stem().u8string()] =
        parsed.is_object() && booleanOr(parsed, "autolaunch", false);
  }
  return records;
}

void StateDirectory::saveRecords(const Registry& registry) const {
  json paths = json::array();
  for (const auto& [path, keys] : registry.manifests) paths.push_back(path);
  // Paths that are not UTF-8 are stored with U+FFFD in place of the bad
  // bytes; the journal keeps their exact bytes.
  writeReplacing(config_ / "appconfig.json", json{{"manifest_paths", paths}}.dump(
                                                 3, ' ', false, json::error_handler_t::replace));
  for (const auto& [key, enabled] : registry.autoLaunch) {
    const std::filesystem::path file =
        config_ / "vrappconfig" / std::filesystem::u8path(key + ".vrappconfig");
    const std::optional<std::string> stored = readRegularFile(file);
    const json old = stored ? parseAsTheRuntimeDoes(*stored) : json();
    if (memberOf(old, "autolaunch") == enabled) continue;
    // The time it last launched the app stays, if it is one.
    const json& stamp = memberOf(old, "last_launch_time");
    const json lastLaunch = stamp.is_string() || stamp.is_number() ? stamp : json("0");
    writeReplacing(file, json{{"autolaunch", enabled}, {"last_launch_time", lastLaunch}}.dump(3));
  }
}

bool StateDirectory::running() const {
  std::error_code ignored;
  return std::filesystem::exists(path_ / "server.json", ignored);
}

std::optional<Registry> StateDirectory::loadServerList() const {
  const json stored = readJson(path_ / "server.json");
  const json& manifests = memberOf(stored, "manifests");
  if (!manifests.is_array()) return std::nullopt;
  Registry registry;
  for (const json& manifest : manifests) {
    if (!manifest.is_array() || manifest.size() != 2 || !manifest[0].is_string()) continue;
    registry.manifests.emplace_back(manifest[0].get<std::string>(), textsIn(manifest[1]));
  }
  registry.autoLaunch = flagsIn(memberOf(stored, "autoLaunch"));
  return registry;
}

void StateDirectory::saveServerList(const Registry& registry) const {
  writeReplacing(path_ / "server.json",
                 json{{"manifests", registry.manifests}, {"autoLaunch", registry.autoLaunch}}.dump(
                     2, ' ', false, json::error_handler_t::replace));
}

}  // namespace standin
