#include "standin.h"

#include <fstream>

namespace corvane::testing {
namespace {

void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

}  // namespace

StandinRuntime::StandinRuntime() {
  const std::filesystem::path root = dir_.path() / "root";
  const std::filesystem::path config = dir_.path() / "config";
  std::filesystem::create_directories(root / "bin" / "linux64");
  std::filesystem::create_directories(config / "openvr");
  std::filesystem::create_directories(scratch());
  std::filesystem::create_symlink(STANDIN_LIBRARY_PATH, root / "bin" / "linux64" / "vrclient.so");
  const nlohmann::json paths = {{"runtime", {root.string()}},
                                {"config", {(dir_.path() / "runtime-config").string()}},
                                {"log", {(dir_.path() / "runtime-log").string()}},
                                {"jsonid", "vrpathreg"},
                                {"version", 1}};
  writeFile(config / "openvr" / "openvrpaths.vrpath", paths.dump());
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
