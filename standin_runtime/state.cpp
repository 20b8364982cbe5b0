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
  result.initError = static_cast<vr::EVRInitError>(faults.value("initError", 0));
  result.addManifestError =
      static_cast<vr::EVRApplicationError>(faults.value("addApplicationManifestError", 0));
  result.autoLaunchError =
      static_cast<vr::EVRApplicationError>(faults.value("setApplicationAutoLaunchError", 0));
  result.removeManifestError =
      static_cast<vr::EVRApplicationError>(faults.value("removeApplicationManifestError", 0));
  result.propertyError =
      static_cast<vr::EVRApplicationError>(faults.value("applicationPropertyError", 0));
  result.applicationsUnavailable = faults.value("applicationsUnavailable", false);
  return result;
}

Registry StateDirectory::loadRegistry() const {
  const json stored = readJson(path_ / "registry.json");
  Registry registry;
  registry.manifests = stored.value("manifests", std::map<std::string, std::vector<std::string>>{});
  registry.autoLaunch = stored.value("autoLaunch", std::map<std::string, bool>{});
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
