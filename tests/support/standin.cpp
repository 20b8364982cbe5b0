#include "standin.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "process.h"

namespace corvane::testing {
namespace {

void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// A path as a program of either platform names it, on this machine: Wine
// maps Z: to the root, and C: to its prefix's drive_c.
std::filesystem::path localPath(std::string name) {
  const bool onZ = name.rfind("Z:", 0) == 0;
  const bool onC = name.rfind("C:", 0) == 0;
  if (!onZ && !onC) return std::filesystem::u8path(name);
  for (char& c : name) c = c == '\\' ? '/' : c;
  const std::filesystem::path rest = std::filesystem::u8path(name.substr(onZ ? 2 : 3));
  return onZ ? rest : winePrefix() / "drive_c" / rest;
}

}  // namespace

// The runtime's layout is laid out by the same script people use by hand.
StandinRuntime::StandinRuntime(Platform platform) : platform_(platform) {
  std::filesystem::create_directories(scratch());
  std::vector<std::string> command = {WITH_STANDIN_RUNTIME_SCRIPT};
  if (platform == Platform::Windows) command.push_back("--windows");
  command.insert(command.end(), {dir_.path().string(), "/bin/true"});
  ProcessOptions options;
  options.environment = {{"STANDIN_LIBRARY", standinLibrary(platform).string()}};
  const ProcessResult result = runProcess(command, options);
  if (result.exitStatus != 0) {
    std::fprintf(stderr, "stand-in runtime set-up failed: %s", result.standardError.c_str());
    std::abort();
  }
}

std::map<std::string, std::string> StandinRuntime::environment() const {
  if (platform_ == Platform::Windows) return {};
  return {{"HOME", dir_.path().string()}, {"XDG_CONFIG_HOME", (dir_.path() / "config").string()}};
}

std::filesystem::path StandinRuntime::writeManifest(const std::filesystem::path& name,
                                                    const std::string& appKey) const {
  const nlohmann::json manifest = {
      {"source", "builtin"}, {"applications", {{{"app_key", appKey}, {"launch_type", "binary"}}}}};
  const std::filesystem::path path = scratch() / name;
  writeFile(path, manifest.dump());
  return path;
}

void StandinRuntime::setFaults(const nlohmann::json& faults) const {
  std::filesystem::create_directories(stateDir());
  writeFile(stateDir() / "faults.json", faults.dump());
}

void StandinRuntime::setRunning(bool running) const {
  std::filesystem::create_directories(stateDir());
  // A server with no list of its own holds what its records say.
  if (running) {
    writeFile(stateDir() / "server.json", "{}\n");
  } else {
    std::filesystem::remove(stateDir() / "server.json");
  }
}

bool StandinRuntime::running() const { return std::filesystem::exists(stateDir() / "server.json"); }

void StandinRuntime::setRegistry(const nlohmann::json& registry) const {
  const nlohmann::json manifests = registry.value("manifests", nlohmann::json::object());
  const nlohmann::json flags = registry.value("autoLaunch", nlohmann::json::object());
  nlohmann::json paths = nlohmann::json::array();
  for (const auto& [path, keys] : manifests.items()) paths.push_back(path);
  // A running server holds these from now on.
  if (running()) setRunning(true);
  std::filesystem::create_directories(configFolder());
  writeFile(configFolder() / "appconfig.json",
            nlohmann::json{{"manifest_paths", paths}}.dump(3) + "\n");
  std::filesystem::remove_all(configFolder() / "vrappconfig");
  std::filesystem::create_directories(configFolder() / "vrappconfig");
  for (const auto& [key, flag] : flags.items()) {
    writeFile(configFolder() / "vrappconfig" / (key + ".vrappconfig"),
              nlohmann::json{{"autolaunch", flag}, {"last_launch_time", "0"}}.dump(3) + "\n");
  }
}

std::filesystem::path StandinRuntime::pathRegistry() const {
  const std::filesystem::path folder = platform_ == Platform::Windows
                                           ? wineUserProfile() / "AppData" / "Local" / "openvr"
                                           : dir_.path() / "config" / "openvr";
  return folder / "openvrpaths.vrpath";
}

std::string StandinRuntime::pathRegistryName() const {
  return platform_ == Platform::Linux ? pathRegistry().string() : windowsDriveCPath(pathRegistry());
}

void StandinRuntime::unregister() const { std::filesystem::remove(pathRegistry()); }

std::vector<standin::JournalEntry> StandinRuntime::journal() const {
  std::vector<standin::JournalEntry> entries;
  std::ifstream in(stateDir() / "journal.log", std::ios::binary);
  for (std::string line; std::getline(in, line);)
    entries.push_back(standin::parseJournalLine(line));
  return entries;
}

void StandinRuntime::clearJournal() const { std::filesystem::remove(stateDir() / "journal.log"); }

std::vector<standin::JournalEntry> StandinRuntime::calls() const {
  std::vector<standin::JournalEntry> entries;
  for (standin::JournalEntry& entry : journal()) {
    if (entry.call != "IsInterfaceVersionValid" && entry.call != "GetGenericInterface") {
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

nlohmann::json StandinRuntime::registry() const {
  nlohmann::json manifests = nlohmann::json::object();
  const std::filesystem::path list = configFolder() / "appconfig.json";
  const nlohmann::json appConfig = nlohmann::json::parse(
      std::filesystem::is_regular_file(list) ? readFile(list) : "", nullptr, false);
  const nlohmann::json paths = appConfig.is_object()
                                   ? appConfig.value("manifest_paths", nlohmann::json::array())
                                   : nlohmann::json::array();
  for (const nlohmann::json& path : paths) {
    const std::string name = path.get<std::string>();
    nlohmann::json keys = nlohmann::json::array();
    const nlohmann::json manifest =
        nlohmann::json::parse(readFile(localPath(name)), nullptr, false);
    if (manifest.is_object() && manifest.contains("applications")) {
      for (const nlohmann::json& application : manifest["applications"])
        keys.push_back(application.value("app_key", ""));
    }
    manifests[name] = keys;
  }
  nlohmann::json autoLaunch = nlohmann::json::object();
  std::error_code ignored;
  for (const auto& entry :
       std::filesystem::directory_iterator(configFolder() / "vrappconfig", ignored)) {
    const nlohmann::json options = nlohmann::json::parse(
        entry.is_regular_file() ? readFile(entry.path()) : "", nullptr, false);
    autoLaunch[entry.path().stem().string()] = options.is_object() && options["autolaunch"] == true;
  }
  return {{"manifests", manifests}, {"autoLaunch", autoLaunch}};
}

std::string StandinRuntime::journalBytes() const { return readFile(stateDir() / "journal.log"); }

std::string storedRecords(const std::vector<std::string>& manifestPaths,
                          const std::map<std::string, bool>& autoLaunch) {
  std::string bytes = nlohmann::json{{"manifest_paths", manifestPaths}}.dump(3) + "\n";
  for (const auto& [key, flag] : autoLaunch) {
    bytes += key + ".vrappconfig:" +
             nlohmann::json{{"autolaunch", flag}, {"last_launch_time", "0"}}.dump(3) + "\n";
  }
  return bytes;
}

std::string StandinRuntime::registryBytes() const {
  // A pipe would be read until someone writes to it, a device for ever.
  const auto bytesOf = [](const std::filesystem::path& file) {
    return std::filesystem::is_regular_file(file) ? readFile(file)
           : std::filesystem::exists(file)        ? std::string("(not a regular file)")
                                                  : std::string("(no file)");
  };
  std::string bytes = bytesOf(configFolder() / "appconfig.json");
  std::error_code ignored;
  for (const auto& entry :
       std::filesystem::directory_iterator(configFolder() / "vrappconfig", ignored)) {
    bytes += entry.path().filename().string() + ":" + bytesOf(entry.path());
  }
  return bytes;
}

}  // namespace corvane::testing
