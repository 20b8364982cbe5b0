#pragma once

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "journal_format.h"
#include "platform.h"
#include "temp_dir.h"

namespace corvane::testing {

// A private stand-in OpenVR runtime for one platform's SDK: its root, its
// state and the path registry that names it. On Linux all of them live in
// one temporary directory; on Windows the path registry lives in the test
// run's Wine prefix. Programs run with environment() find this runtime and
// nothing else.
class StandinRuntime {
 public:
  explicit StandinRuntime(Platform platform = Platform::Linux);

  // Linux: HOME and XDG_CONFIG_HOME pointing into the temporary directory.
  std::map<std::string, std::string> environment() const;

  // A scratch directory for the test's own files.
  std::filesystem::path scratch() const { return dir_.path() / "scratch"; }

  // Writes a manifest declaring one application; returns its path.
  std::filesystem::path writeManifest(const std::filesystem::path& name,
                                      const std::string& appKey) const;

  // Failures for the next connections, e.g. {{"initError", 108}}.
  void setFaults(const nlohmann::json& faults) const;
  // Replaces the store, as if earlier runs had left it so.
  void setRegistry(const nlohmann::json& registry) const;

  // The runtime's root folder, as laid out.
  std::filesystem::path root() const { return dir_.path() / "root"; }

  // The path registry file that names this runtime, as the SDK reports it.
  std::string pathRegistryName() const;
  // The path registry file on this machine, to rewrite or read back.
  std::filesystem::path pathRegistry() const;
  // Removes the path registry, so that no runtime can be found.
  void unregister() const;

  std::vector<standin::JournalEntry> journal() const;
  // Forgets the calls so far, so that a test can look at what comes next.
  void clearJournal() const;
  // The journal without the SDK's interface negotiation.
  std::vector<standin::JournalEntry> calls() const;
  nlohmann::json registry() const;
  // The journal and the store exactly as stored.
  std::string journalBytes() const;
  std::string registryBytes() const;

 private:
  std::filesystem::path stateDir() const { return root() / "state"; }

  Platform platform_;
  TempDir dir_;
};

}  // namespace corvane::testing
