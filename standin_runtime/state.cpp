#include "state.h"

#include <algorithm>
#include <nlohmann/json.hpp>

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

const json& objectAt(const json& object, const char* key) {
  static const json kNone = json::object();
  const auto found = object.find(key);
  return found != object.end() && found->is_object() ? *found : kNone;
}

}  // namespace

bool Registry::addManifest(const std::string& path, const std::vector<std::string>& appKeys) {
  const auto [manifest, added] = manifests.emplace(path, appKeys);
  if (added || manifest->second == appKeys) return added;
  manifest->second = appKeys;
  return true;
}

bool Registry::removeManifest(const std::string& path) { return manifests.erase(path) > 0; }

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
  return result;
}

Registry StateDirectory::loadRegistry() const {
  const json stored = readJson(path_ / "registry.json");
  Registry registry;
  for (const auto& [path, keys] : objectAt(stored, "manifests").items()) {
    std::vector<std::string>& listed = registry.manifests[path];
    for (const json& key : keys.is_array() ? keys : json::array()) {
      if (key.is_string()) listed.push_back(key.get<std::string>());
    }
  }
  for (const auto& [key, flag] : objectAt(stored, "autoLaunch").items()) {
    if (flag.is_boolean()) registry.autoLaunch[key] = flag.get<bool>();
  }
  return registry;
}

void StateDirectory::saveRegistry(const Registry& registry) const {
  const json stored = {{"manifests", registry.manifests}, {"autoLaunch", registry.autoLaunch}};
  const std::filesystem::path target = path_ / "registry.json";
  const std::filesystem::path temporary = path_ / "registry.json.tmp";
  {
    std::ofstream out(temporary, std::ios::trunc | std::ios::binary);
    // Paths that are not UTF-8 are stored with U+FFFD in place of the bad
    // bytes; the journal keeps their exact bytes.
    out << stored.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    if (!out.flush()) return;
  }
  std::error_code ignored;
  std::filesystem::rename(temporary, target, ignored);
}

}  // namespace standin
