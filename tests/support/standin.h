#pragma once

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "journal_format.h"
#include "temp_dir.h"

namespace corvane::testing {

// A private stand-in OpenVR runtime: its root, its state and a config
// directory whose openvrpaths.vrpath names it, all inside one temporary
// directory. Programs run with environment() find it and nothing else.
class StandinRuntime {
 public:
  StandinRuntime();

  // HOME and XDG_CONFIG_HOME pointing into the temporary directory.
  std::map<std::string, std::string> environment() const;

  // A scratch directory for the test's own files.
  std::filesystem::path scratch() const { return dir_.path() / "scratch"; }

  // Writes a manifest declaring one application; returns its path.
  std::filesystem::path writeManifest(const std::string& name, const std::string& appKey) const;

  // Failures for the next connections, e.g. {{"initError", 108}}.
  void setFaults(const nlohmann::json& faults) const;

  std::vector<standin::JournalEntry> journal() const;
  // The journal without the SDK's interface negotiation.
  std::vector<standin::JournalEntry> calls() const;
  nlohmann::json registry() const;

 private:
  std::filesystem::path stateDir() const { return dir_.path() / "root" / "state"; }

  TempDir dir_;
};

}  // namespace corvane::testing
