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

  // Linux: the HOME the tools run with.
  std::filesystem::path home() const { return dir_.path(); }

  // A scratch directory for the test's own files.
  std::filesystem::path scratch() const { return dir_.path() / "scratch"; }

  // Writes a manifest declaring one application; returns its path.
  std::filesystem::path writeManifest(const std::filesystem::path& name,
                                      const std::string& appKey) const;

  // Whether the runtime's server runs: a utility connection starts it, a
  // background one finds it or not. Not running unless started.
  void setRunning(bool running) const;
  bool running() const;
  // The runtime's config folder, where it keeps its records.
  std::filesystem::path configFolder() const { return dir_.path() / "runtime-config"; }
  // Its log folder, where its server writes vrserver.txt.
  std::filesystem::path logFolder() const { return dir_.path() / "runtime-log"; }

  // Failures for the next connections, e.g. {{"initError", 108}}.
  void setFaults(const nlohmann::json& faults) const;
  // Replaces the records, as if earlier runs had left them so:
  // {"manifests": {path: ..., ...}, "autoLaunch": {key: flag, ...}}.
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
  // The records in the shape setRegistry() takes, each path with the app
  // keys its manifest declares (none if it cannot be read).
  nlohmann::json registry() const;
  // The journal and the records exactly as stored.
  std::string journalBytes() const;
  std::string registryBytes() const;

 private:
  std::filesystem::path stateDir() const { return root() / "state"; }

  Platform platform_;
  TempDir dir_;
};

// The records as the runtime writes them and registryBytes() reads them:
// these manifest paths, and an auto-launch flag for each key given.
std::string storedRecords(const std::vector<std::string>& manifestPaths,
                          const std::map<std::string, bool>& autoLaunch);

}  // namespace corvane::testing
