#include "state.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "path_registry.h"

namespace standin {
namespace {

using nlohmann::json;

json readJson(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) return json::object();
  json parsed = json::parse(in, nullptr, /*allow_exceptions=*/false);
  return parsed.is_object() ? parsed : json::object();
}

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

std::optional<std::string> readText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes a file whole, through a rename; the same content is left alone,
// as a runtime rewrites a record only when it changes.
void writeReplacing(const std::filesystem::path& file, const std::string& text) {
  if (readText(file) == text + "\n") return;
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
  const json unwritten = faults.value("unwritten", json::object());
  const json paths = unwritten.is_object() ? unwritten.value("manifests", json()) : json();
  const json flags =
      unwritten.is_object() ? unwritten.value("autoLaunch", json::object()) : json::object();
  for (const json& path : paths.is_array() ? paths : json::array()) {
    if (path.is_string()) result.unwrittenManifests.push_back(path.get<std::string>());
  }
  if (flags.is_object()) {
    for (const auto& [key, flag] : flags.items()) {
      if (flag.is_boolean()) result.unwrittenAutoLaunch[key] = flag.get<bool>();
    }
  }
  return result;
}

Records StateDirectory::loadRecords() const {
  Records records;
  const std::optional<std::string> text = readText(config_ / "appconfig.json");
  if (text) {
    // What the runtime cannot parse it resets, losing every registration
    // (OpenVRStartup #2; openvr #1382, #530).
    const json appConfig = parseAsTheRuntimeDoes(*text);
    records.parsed = appConfig.is_object();
    const json& paths = records.parsed ? appConfig.value("manifest_paths", json()) : json();
    for (const json& path : paths.is_array() ? paths : json::array()) {
      if (path.is_string()) records.manifestPaths.push_back(path.get<std::string>());
    }
  }
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(config_ / "vrappconfig", ignored)) {
    if (entry.path().extension() != ".vrappconfig") continue;
    const std::optional<std::string> options = readText(entry.path());
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
    const std::optional<std::string> stored = readText(file);
    const json old = stored ? parseAsTheRuntimeDoes(*stored) : json();
    if (old.is_object() && old.value("autolaunch", json()) == enabled) continue;
    const json lastLaunch = old.is_object() ? old.value("last_launch_time", json("0")) : json("0");
    writeReplacing(file, json{{"autolaunch", enabled}, {"last_launch_time", lastLaunch}}.dump(3));
  }
}

bool StateDirectory::running() const {
  std::error_code ignored;
  return std::filesystem::exists(path_ / "server.json", ignored);
}

std::optional<Registry> StateDirectory::loadServerList() const {
  const json stored = readJson(path_ / "server.json");
  const auto manifests = stored.find("manifests");
  if (manifests == stored.end() || !manifests->is_array()) return std::nullopt;
  Registry registry;
  for (const json& manifest : *manifests) {
    if (!manifest.is_array() || manifest.size() != 2 || !manifest[0].is_string()) continue;
    std::vector<std::string> keys;
    for (const json& key : manifest[1].is_array() ? manifest[1] : json::array()) {
      if (key.is_string()) keys.push_back(key.get<std::string>());
    }
    registry.manifests.emplace_back(manifest[0].get<std::string>(), keys);
  }
  const json flags = stored.value("autoLaunch", json::object());
  if (flags.is_object()) {
    for (const auto& [key, flag] : flags.items()) {
      if (flag.is_boolean()) registry.autoLaunch[key] = flag.get<bool>();
    }
  }
  return registry;
}

void StateDirectory::saveServerList(const Registry& registry) const {
  writeReplacing(path_ / "server.json",
                 json{{"manifests", registry.manifests}, {"autoLaunch", registry.autoLaunch}}.dump(
                     2, ' ', false, json::error_handler_t::replace));
}

}  // namespace standin
