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

void StandinRuntime::setRegistry(const nlohmann::json& registry) const {
  std::filesystem::create_directories(stateDir());
  writeFile(stateDir() / "registry.json", registry.dump(2) + "\n");
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
  std::ifstream in(stateDir() / "registry.json");
  if (!in) return nlohmann::json::object();
  return nlohmann::json::parse(in, nullptr, false);
}

std::string StandinRuntime::journalBytes() const { return readFile(stateDir() / "journal.log"); }

std::string StandinRuntime::registryBytes() const { return readFile(stateDir() / "registry.json"); }

}  // namespace corvane::testing
