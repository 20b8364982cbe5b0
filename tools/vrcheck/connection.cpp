#include "connection.h"

#include <nlohmann/json.hpp>
#include <optional>

#include "json_text.h"
#include "loader_paths.h"
#include "small_file.h"

namespace corvane::vrcheck {
namespace {

using nlohmann::json;

constexpr const char* kWriteAnew = "start the runtime once as this user, which writes it anew.";

std::string text(const std::filesystem::path& path) { return path.u8string(); }
std::filesystem::path folder(const std::string& text) { return std::filesystem::u8path(text); }

// The environment variables that replace what the paths file says.
struct Overrides {
  std::optional<std::string> pathsFile = environmentValue("VR_PATHREG_OVERRIDE");
  std::optional<std::string> runtime = environmentValue("VR_OVERRIDE");
  std::optional<std::string> config = environmentValue("VR_CONFIG_PATH");
  std::optional<std::string> log = environmentValue("VR_LOG_PATH");

  // Then the loader needs no paths file at all.
  bool everyPath() const { return runtime && config && log; }
};

// Why a missing paths file may be the wrong person's.
void explainWhose(const std::filesystem::path& file, const std::string& manifest,
                  Findings& findings) {
#ifndef _WIN32
  // Steam's Flatpak keeps the runtime's configuration inside its sandbox.
  if (const std::optional<std::string> home = environmentValue("HOME")) {
    const std::filesystem::path flatpak = std::filesystem::path(*home) /
                                          ".var/app/com.valvesoftware.Steam/.config/openvr" /
                                          "openvrpaths.vrpath";
    std::error_code ignored;
    if (flatpak != file && std::filesystem::is_regular_file(flatpak, ignored)) {
      findings.notInPlace(
          "The runtime installed with Flatpak keeps its paths file in its sandbox: ", text(flatpak),
          ". Point the tools at it, for example: VR_PATHREG_OVERRIDE=", shellQuoted(text(flatpak)),
          " vrcheck ", shellQuoted(manifest));
    }
  }
#else
  (void)file;
  (void)manifest;
  (void)findings;
#endif
}

std::string asUserHint() {
  if (!runsWithAdministratorRights()) return "";
#ifdef _WIN32
  return " This runs elevated, so it read the profile of " + userName() +
         ": run it unelevated, as the user who wears the headset.";
#else
  return " This runs as root or under sudo, so it read " + userName() +
         "'s file: run it as the user who wears the headset.";
#endif
}

// The paths file as an object, or null after a finding that says why the
// loader cannot read it.
json readPathsFile(const std::filesystem::path& file, const char* chosenBy,
                   const std::string& manifest, Findings& findings) {
  const std::string name = text(file) + chosenBy;
  const std::string forUser = ", for user " + userName();
  SmallFile read = readSmallFile(file);
  switch (read.problem) {
    case FileProblem::None: break;
    case FileProblem::Missing:
      findings.notInPlace("Runtime paths file not found: ", name, forUser, ". ",
                          "Start the runtime once as this user, which writes it.", asUserHint());
      explainWhose(file, manifest, findings);
      return json();
    case FileProblem::FolderNotEntered:
      findings.notInPlace("Runtime paths file cannot be read: ", name, forUser,
                          ". This user may not enter ", text(read.folder),
                          "; run as the user who wears the headset.");
      return json();
    case FileProblem::Unreadable:
      findings.notInPlace("Runtime paths file cannot be read: ", name, forUser,
                          ". Run as the user who wears the headset, or give this user access.");
      return json();
    case FileProblem::Folder:
    case FileProblem::NotRegular:
      findings.notInPlace("Runtime paths file is not a regular file: ", name, ". Remove it, then ",
                          kWriteAnew);
      return json();
    case FileProblem::TooLarge:
      findings.notInPlace("Runtime paths file is larger than 1 MiB: ", name, ". Remove it, then ",
                          kWriteAnew);
      return json();
  }
  if (read.bytes.empty()) {
    findings.notInPlace("Runtime paths file is empty: ", name, ". Remove it, then ", kWriteAnew);
    return json();
  }
  std::string_view bytes = read.bytes;
  if (startsWith(bytes, kByteOrderMark)) {
    findings.notInPlace("Runtime paths file starts with a byte order mark: ", name,
                        ". SDKs before 2.2.3 cannot read it: save it as UTF-8 without one, or ",
                        kWriteAnew);
    bytes.remove_prefix(kByteOrderMark.size());
  }
  ParsedJson parsed = parseJson(bytes);
  if (parsed.value.is_discarded()) {
    findings.notInPlace("Runtime paths file is not JSON: ", name, ", at ", parsed.where,
                        ". Correct it, or remove it and ", kWriteAnew);
    return json();
  }
  if (!parsed.value.is_object()) {
    findings.notInPlace("Runtime paths file is not a JSON object: ", name, ". Remove it, then ",
                        kWriteAnew);
    return json();
  }
  findings.inPlace("Runtime paths file: ", name, forUser);
  return std::move(parsed.value);
}

// One of the file's lists ("runtime", "config", "log"), empty when it is
// not there; nullopt after a finding when it is not a list of folders.
std::optional<std::vector<std::string>> folderList(const json& registry, const char* key,
                                                   const std::filesystem::path& file,
                                                   Findings& findings) {
  std::vector<std::string> folders;
  const auto list = registry.find(key);
  if (list == registry.end()) return folders;
  bool folderTexts = list->is_array();
  for (const json& entry : *list) {
    if (!folderTexts || !entry.is_string()) {
      folderTexts = false;
      break;
    }
    folders.push_back(entry.get<std::string>());
  }
  if (folderTexts) return folders;
  findings.notInPlace("Runtime paths file's \"", key, "\" is not a list of folders: ", text(file),
                      ". Correct it, or remove the file, then ", kWriteAnew);
  return std::nullopt;
}

bool holdsRuntime(const std::string& candidate) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(clientLibrary(folder(candidate)), ignored);
}

// The listed folders besides the one in use, each said to be a runtime or not.
std::string otherEntries(const ConnectionFacts& facts) {
  std::string others;
  for (const std::string& listed : facts.listed) {
    if (listed == facts.runtime) continue;
    others += (others.empty() ? "" : ", ") + listed +
              (holdsRuntime(listed) ? " (a runtime folder)" : " (no runtime there)");
  }
  return others.empty() ? "none" : others;
}

// The loader's checks on the runtime folder, in its order: 100, 101, 102.
void checkRuntimeFolder(const ConnectionFacts& facts, bool overridden, Findings& findings) {
  std::error_code ignored;
  const std::filesystem::path runtime = folder(facts.runtime);
  if (!std::filesystem::is_directory(runtime, ignored) && overridden) {
    findings.notInPlace(
        "Runtime folder not found: ", facts.runtime,
        " (from VR_OVERRIDE). Set VR_OVERRIDE to the runtime's folder, or unset it.");
  } else if (!std::filesystem::is_directory(runtime, ignored)) {
    findings.notInPlace("Runtime folder not found: ", facts.runtime, ", the first listed in ",
                        text(facts.pathsFile), ". The SDK tries no other; the others listed are ",
                        otherEntries(facts),
                        ". Put the runtime's folder first, or start the "
                        "runtime once, which rewrites the file.");
  } else if (!std::filesystem::is_directory(binFolder(runtime), ignored)) {
    findings.notInPlace("Runtime folder has no ", text(binFolder(runtime)),
                        ". Reinstall the runtime, or verify its files.");
  } else if (!std::filesystem::exists(clientLibrary(runtime), ignored)) {
    findings.notInPlace("Runtime's client library not found: ", text(clientLibrary(runtime)),
                        ". Reinstall the runtime, or verify its files.");
  } else {
    findings.inPlace("Runtime folder: ", facts.runtime, overridden ? " (from VR_OVERRIDE)" : "");
  }
}

// The config or log folder: an override, the file's first entry, or a
// finding that there is none.
std::string checkFolder(const char* what, const char* variable,
                        const std::optional<std::string>& overridden, const json& registry,
                        const ConnectionFacts& facts, Findings& findings) {
  if (overridden) {
    findings.inPlace("Runtime ", what, " folder: ", *overridden, " (from ", variable, ")");
    return *overridden;
  }
  if (registry.is_null()) return "";
  const std::optional<std::vector<std::string>> folders =
      folderList(registry, what, facts.pathsFile, findings);
  if (!folders) return "";
  if (!folders->empty()) return folders->front();
  findings.notInPlace("Runtime paths file names no ", what, " folder: ", text(facts.pathsFile),
                      ". Remove the file, then ", kWriteAnew);
  return "";
}

}  // namespace

ConnectionFacts checkConnection(const std::string& manifest, Findings& findings) {
  const int warningsBefore = findings.notInPlaceCount();
  const Overrides overrides;
  ConnectionFacts facts;
  facts.pathsFile = overrides.pathsFile ? folder(*overrides.pathsFile) : defaultPathsFile();

  json registry;
  if (overrides.everyPath()) {
    findings.inPlace(
        "Runtime paths file not needed, VR_OVERRIDE, VR_CONFIG_PATH and VR_LOG_PATH "
        "are all set");
  } else if (facts.pathsFile.empty()) {
    findings.notInPlace(
        "No runtime paths file, as neither XDG_CONFIG_HOME nor HOME is set. "
        "Set HOME to the home folder of the user who wears the headset.");
  } else {
    registry =
        readPathsFile(facts.pathsFile, overrides.pathsFile ? " (from VR_PATHREG_OVERRIDE)" : "",
                      manifest, findings);
  }

  std::optional<std::vector<std::string>> listed;
  if (!registry.is_null()) listed = folderList(registry, "runtime", facts.pathsFile, findings);
  if (listed) facts.listed = *listed;
  if (overrides.runtime) {
    facts.runtime = *overrides.runtime;
    checkRuntimeFolder(facts, true, findings);
  } else if (!facts.listed.empty()) {
    facts.runtime = facts.listed.front();
    checkRuntimeFolder(facts, false, findings);
  } else if (listed) {
    findings.notInPlace("Runtime paths file lists no runtime folder: ", text(facts.pathsFile),
                        ". Install the runtime, or ", kWriteAnew);
  }
  facts.config =
      checkFolder("config", "VR_CONFIG_PATH", overrides.config, registry, facts, findings);
  facts.log = checkFolder("log", "VR_LOG_PATH", overrides.log, registry, facts, findings);
  facts.inPlace = findings.notInPlaceCount() == warningsBefore;
  return facts;
}

void explainRefusal(const ConnectionFacts& facts, Findings& findings) {
  findings.notInPlace(
      "The way to the runtime is in place, so the runtime itself refused, as the line above says. "
      "Start the runtime, then run vrcheck again",
      facts.log.empty() ? std::string(".") : "; the runtime's log is in " + facts.log + ".");
}

void explainMissingApplications(const ConnectionFacts& facts, Findings& findings) {
  findings.notInPlace("The runtime in ", facts.runtime.empty() ? "(unknown)" : facts.runtime,
                      " does not keep applications; other listed runtime folders: ",
                      otherEntries(facts), ". Put the runtime that does first in ",
                      facts.pathsFile.empty() ? "the paths file" : text(facts.pathsFile),
                      ", or start it once, which rewrites the file.");
}

}  // namespace corvane::vrcheck
