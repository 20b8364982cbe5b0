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
StandinRuntime::StandinRuntime() {
  std::filesystem::create_directories(scratch());
  ProcessOptions options;
  options.environment = {{"STANDIN_LIBRARY", STANDIN_LIBRARY_PATH}};
  const ProcessResult result =
      runProcess({WITH_STANDIN_RUNTIME_SCRIPT, dir_.path().string(), "/bin/true"}, options);
  if (result.exitStatus != 0) {
    std::fprintf(stderr, "stand-in runtime set-up failed: %s", result.standardError.c_str());
    std::abort();
  }
}

std::map<std::string, std::string> StandinRuntime::environment() const {
  return {{"HOME", dir_.path().string()}, {"XDG_CONFIG_HOME", (dir_.path() / "config").string()}};
}

std::filesystem::path StandinRuntime::writeManifest(const std::string& name,
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

std::vector<standin::JournalEntry> StandinRuntime::journal() const {
  std::vector<standin::JournalEntry> entries;
  std::ifstream in(stateDir() / "journal.log", std::ios::binary);
  for (std::string line; std::getline(in, line);)
    entries.push_back(standin::parseJournalLine(line));
  return entries;
}

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

}  // namespace corvane::testing
