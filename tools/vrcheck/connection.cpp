#include "connection.h"

#include <nlohmann/json.hpp>
#include <optional>

#include "json_text.h"
#include "loader_paths.h"
#include "small_file.h"

namespace corvane::vrcheck {
namespace {

using nlohmann::json;
using namespace readers;  // the careful file and JSON readers

constexpr const char* kWriteAnew = "start the runtime once as this user, which writes it anew.";

std::string text(const std::filesystem::path& path) { return path.u8string(); }
std::filesystem::path folder(const std::string& text) { return std::filesystem::u8path(text); }

// The environment variables that replace what the paths file says.
struct Overrides {
  std::optional<std::string> pathsFile = environmentValue("VR_PATHREG_OVERRIDE");
  std::optional<std::string> runtime = environmentValue("VR_OVERRIDE");
  std::optional<std::string> config = environmentValue("VR_CONFIG_PATH");
  std::optional<std::string> log = environmentValue("VR_LOG_PATH");

  // Then the loader needs nothing from the paths file, though it reads it.
  bool everyPath() const { return runtime && config && log; }
};

// Windows: the loader reads the variables through the ANSI code page.
void checkOverridesReachTheLoader(const Overrides& overrides, Findings& findings) {
  const std::pair<const char*, const std::optional<std::string>*> variables[] = {
      {"VR_PATHREG_OVERRIDE", &overrides.pathsFile},
      {"VR_OVERRIDE", &overrides.runtime},
      {"VR_CONFIG_PATH", &overrides.config},
      {"VR_LOG_PATH", &overrides.log}};
  for (const auto& [name, value] : variables) {
    if (!*value) continue;
    if (const std::optional<unsigned> codePage = ansiCodePageChanging(**value)) {
      findings.notInPlace("override-not-ansi", "The SDK's loader reads ", name,
                          " in the system's ANSI code page (", *codePage,
                          "), which changes its characters outside ASCII: ", Path{"value", **value},
                          ". Set it to a path in ASCII only.");
    }
  }
}

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
          "paths-file-in-flatpak",
          "The runtime installed with Flatpak keeps its paths file in its sandbox: ",
          Path{"paths_file", text(flatpak)}, ". Point the tools at it, for example: ",
          Command{{"env", "VR_PATHREG_OVERRIDE=" + text(flatpak), "vrcheck", manifest}});
    }
  }
#else
  (void)file;
  (void)manifest;
  (void)findings;
#endif
}

// What to add to a finding on a missing paths file: whose it was.
std::string whoseHint() {
  if (homeIsEmpty()) {
    return " HOME is empty, so it was looked for in the working folder: set HOME to the home "
           "folder of the user who wears the headset.";
  }
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
                   const std::string& manifest, Findings& findings, ConnectionFacts& facts) {
  const Path named{"paths_file", text(file)};
  const std::string forUser = ", for user " + userName();
  SmallFile read = readSmallFile(file);
  switch (read.problem) {
    case FileProblem::None: break;
    case FileProblem::Missing:
      findings.notInPlace("paths-file-missing", "Runtime paths file not found: ", named, chosenBy,
                          forUser, ". Start the runtime once as this user, which writes it.",
                          whoseHint());
      explainWhose(file, manifest, findings);
      return json();
    case FileProblem::FolderNotEntered:
      findings.notInPlace("paths-file-folder-closed", "Runtime paths file cannot be read: ", named,
                          chosenBy, forUser, ". This user may not enter ",
                          Path{"folder", text(read.folder)},
                          "; run as the user who wears the headset.");
      return json();
    case FileProblem::Unreadable:
      findings.notInPlace("paths-file-unreadable", "Runtime paths file cannot be read: ", named,
                          chosenBy, forUser,
                          ". Run as the user who wears the headset, or give this user access.");
      return json();
    case FileProblem::Folder:
    case FileProblem::NotRegular:
      // The loader would read a pipe until someone writes to it, and a
      // device such as /dev/zero for ever.
      facts.connect = false;
      findings.notInPlace("paths-file-not-regular",
                          "Runtime paths file is not a regular file: ", named, chosenBy,
                          ". Remove it, then ", kWriteAnew);
      return json();
    case FileProblem::TooLarge:
      findings.notInPlace("paths-file-too-large",
                          "Runtime paths file is larger than 1 MiB: ", named, chosenBy,
                          ". Remove it, then ", kWriteAnew);
      return json();
  }
  if (read.bytes.empty()) {
    findings.notInPlace("paths-file-empty", "Runtime paths file is empty: ", named, chosenBy,
                        ". Remove it, then ", kWriteAnew);
    return json();
  }
  std::string_view bytes = read.bytes;
  if (startsWith(bytes, kByteOrderMark)) {
    findings.notInPlace("paths-file-byte-order-mark",
                        "Runtime paths file starts with a byte order mark: ", named, chosenBy,
                        ". SDKs before 2.2.3 cannot read it: save it as UTF-8 without one, or ",
                        kWriteAnew);
    bytes.remove_prefix(kByteOrderMark.size());
  }
  ParsedJson parsed = parseJson(bytes);
  if (parsed.problem == JsonProblem::TooDeep) {
    findings.notInPlace("paths-file-too-deep",
                        "Runtime paths file nests deeper than the SDK reads (", kDeepestNesting,
                        " levels): ", named, chosenBy, ". Remove it, then ", kWriteAnew);
    return json();
  }
  if (parsed.problem == JsonProblem::Syntax) {
    findings.notInPlace("paths-file-not-json", "Runtime paths file is not JSON: ", named, chosenBy,
                        ", at ", parsed.where, ". Correct it, or remove it and ", kWriteAnew);
    return json();
  }
  if (!parsed.value.is_object()) {
    findings.notInPlace("paths-file-not-object", "Runtime paths file is not a JSON object: ", named,
                        chosenBy, ". Remove it, then ", kWriteAnew);
    return json();
  }
  findings.inPlace("paths-file", "Runtime paths file: ", named, chosenBy, forUser);
  return std::move(parsed.value);
}

// One of the file's lists ("runtime", "config", "log"), empty when it is
// not there; nullopt when it is not a list of folders, after a finding
// unless findings is null.
std::optional<std::vector<std::string>> folderList(const json& registry, const char* key,
                                                   const std::filesystem::path& file,
                                                   Findings* findings) {
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
  if (findings != nullptr) {
    findings->notInPlace("paths-list-not-folders", "Runtime paths file's \"", key,
                         "\" is not a list of folders: ", Path{"paths_file", text(file)},
                         ". Correct it, or remove the file, then ", kWriteAnew);
  }
  return std::nullopt;
}

// What a folder holds: the vendor's runtime has its server beside the
// client library, a translation layer only the library.
enum class Holds { Nothing, Runtime, Layer };

Holds holds(const std::string& candidate) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(clientLibrary(folder(candidate)), ignored)) {
    return Holds::Nothing;
  }
  return std::filesystem::exists(serverProgram(folder(candidate)), ignored) ? Holds::Runtime
                                                                            : Holds::Layer;
}

// The listed folders besides the one in use, each with what it holds.
PathList otherEntries(const ConnectionFacts& facts) {
  static constexpr const char* kHolds[] = {" (no runtime there)", " (a runtime folder)",
                                           " (a translation layer)"};
  PathList others{"other_runtime_folders", {}, ""};
  for (const std::string& listed : facts.listed) {
    if (listed == facts.runtime) continue;
    others.values.push_back(listed);
    others.shown +=
        (others.shown.empty() ? "" : ", ") + listed + kHolds[static_cast<int>(holds(listed))];
  }
  if (others.shown.empty()) others.shown = "none";
  return others;
}

// A translation layer is first: the loader would load it, and it keeps no
// registration. Says which listed runtime does, and how to put it first.
void explainLayer(const std::filesystem::path& runtime, bool overridden, ConnectionFacts& facts,
                  Findings& findings) {
  facts.layer = true;
  facts.connect = false;
  const bool named = fileContains(clientLibrary(runtime), "OpenComposite", kLargestClientLibrary);
  for (const std::string& listed : facts.listed) {
    if (listed != facts.runtime && holds(listed) == Holds::Runtime) {
      facts.vendorRuntime = listed;
      break;
    }
  }
  const std::string afterwards =
      " Registrations live in the vendor's runtime's records and apply whenever it is the "
      "runtime, so you may switch back to the layer for games afterwards.";
  const auto warn = [&](auto&&... fix) {
    findings.notInPlace(
        "runtime-translation-layer", "Runtime folder holds ",
        named ? "OpenComposite, a translation layer"
              : "a translation layer such as OpenComposite or xrizer",
        ": ", Path{"runtime_folder", facts.runtime}, overridden ? " (from VR_OVERRIDE)" : "",
        " has the client library ", Path{"library", text(clientLibrary(runtime))},
        " but no server program ", Path{"server", text(serverProgram(runtime))},
        ". It accepts a manifest and forgets it, and keeps no auto-launch, so the app cannot "
        "start with the runtime while it comes first. ",
        fix..., afterwards);
  };
  if (overridden) {
    if (!facts.listed.empty() && holds(facts.listed.front()) == Holds::Runtime) {
      facts.vendorRuntime = facts.listed.front();
      warn("Unset VR_OVERRIDE, and the SDK loads the vendor's runtime listed first in ",
           Path{"paths_file", text(facts.pathsFile)}, ": ",
           Path{"vendor_runtime_folder", facts.vendorRuntime}, ".");
    } else {
      facts.vendorRuntime.clear();
      warn("Unset VR_OVERRIDE.");
    }
  } else if (!facts.vendorRuntime.empty()) {
    warn("Put ", Path{"vendor_runtime_folder", facts.vendorRuntime},
         ", which holds the vendor's runtime, first in ", Path{"paths_file", text(facts.pathsFile)},
         ".");
  } else {
    warn("Install the vendor's runtime (SteamVR) and start it once, which lists it first in ",
         Path{"paths_file", text(facts.pathsFile)}, ".");
  }
}

// The loader's checks on the runtime folder, in its order: 100, 101, 102;
// then what the folder holds.
void checkRuntimeFolder(ConnectionFacts& facts, bool overridden, Findings& findings) {
  std::error_code ignored;
  const std::filesystem::path runtime = folder(facts.runtime);
  if (!std::filesystem::is_directory(runtime, ignored) && overridden) {
    findings.notInPlace(
        "runtime-override-not-found",
        "Runtime folder not found: ", Path{"runtime_folder", facts.runtime},
        " (from VR_OVERRIDE). Set VR_OVERRIDE to the runtime's folder, or unset it.");
  } else if (!std::filesystem::is_directory(runtime, ignored)) {
    findings.notInPlace("runtime-folder-not-found",
                        "Runtime folder not found: ", Path{"runtime_folder", facts.runtime},
                        ", the first listed in ", Path{"paths_file", text(facts.pathsFile)},
                        ". The SDK tries no other; the others listed are ", otherEntries(facts),
                        ". Put the runtime's folder first, or start the "
                        "runtime once, which rewrites the file.");
  } else if (!std::filesystem::is_directory(binFolder(runtime), ignored)) {
    findings.notInPlace("runtime-no-bin", "Runtime folder has no ",
                        Path{"folder", text(binFolder(runtime))},
                        ". Reinstall the runtime, or verify its files.");
  } else if (const std::filesystem::file_status library =
                 std::filesystem::status(clientLibrary(runtime), ignored);
             !std::filesystem::exists(library)) {
    findings.notInPlace("runtime-no-library", "Runtime's client library not found: ",
                        Path{"library", text(clientLibrary(runtime))},
                        ". Reinstall the runtime, or verify its files.");
  } else if (!std::filesystem::is_regular_file(library)) {
    // The loader would open a pipe and wait for a writer for ever.
    facts.connect = false;
    findings.notInPlace("runtime-library-not-regular",
                        "Runtime's client library is not a regular file: ",
                        Path{"library", text(clientLibrary(runtime))},
                        ". Reinstall the runtime, or verify its files.");
  } else if (!std::filesystem::exists(serverProgram(runtime), ignored)) {
    explainLayer(runtime, overridden, facts, findings);
  } else if (const std::optional<unsigned> codePage = ansiCodePageChanging(facts.runtime);
             codePage && !overridden) {
    findings.notInPlace("runtime-folder-not-ansi", "The SDK's loader loads the client library in ",
                        Path{"runtime_folder", facts.runtime},
                        " through the system's ANSI code page (", *codePage,
                        "), which changes its characters outside ASCII, so it cannot load it. "
                        "Install the runtime in a folder whose path is ASCII only.");
  } else {
    findings.inPlace("runtime-folder", "Runtime folder: ", Path{"runtime_folder", facts.runtime},
                     overridden ? " (from VR_OVERRIDE)" : "");
  }
}

// The config and log folders, which the runtime needs to start.
struct FolderList {
  const char* key;       // in the paths file
  const char* variable;  // that overrides it
  const char* error;     // the runtime's answer without one
  const char* overrideCode;
  const char* noneCode;
  const char* emptyCode;
};
constexpr FolderList kConfig{"config",          "VR_CONFIG_PATH",       "111",
                             "config-override", "paths-file-no-config", "paths-file-empty-config"};
constexpr FolderList kLog{"log",          "VR_LOG_PATH",       "112",
                          "log-override", "paths-file-no-log", "paths-file-empty-log"};

// The config or log folder: an override, the file's first entry, or a
// finding that there is none. With a translation layer first, what it
// would need does not matter.
std::string checkFolder(const FolderList& list, const std::optional<std::string>& overridden,
                        const json& registry, const ConnectionFacts& facts, Findings& findings) {
  if (overridden) {
    findings.inPlace(list.overrideCode, "Runtime ", list.key,
                     " folder: ", Path{"folder", *overridden}, " (from ", list.variable, ")");
    return *overridden;
  }
  if (registry.is_null()) return "";
  const std::optional<std::vector<std::string>> folders =
      folderList(registry, list.key, facts.pathsFile, facts.layer ? nullptr : &findings);
  if (!folders || folders->empty()) {
    if (folders && !facts.layer) {
      findings.notInPlace(list.noneCode, "Runtime paths file names no ", list.key,
                          " folder: ", Path{"paths_file", text(facts.pathsFile)},
                          ". The runtime refuses to start without one (", list.error,
                          "). Remove the file, then ", kWriteAnew);
    }
    return "";
  }
  if (folders->front().empty() && !facts.layer) {
    findings.notInPlace(list.emptyCode, "Runtime paths file's first \"", list.key,
                        "\" entry is empty: ", Path{"paths_file", text(facts.pathsFile)},
                        ". The runtime refuses to start without a ", list.key, " folder (",
                        list.error, "). Correct it, or remove the file, then ", kWriteAnew);
  }
  return folders->front();
}

}  // namespace

ConnectionFacts checkConnection(const std::string& manifest, Findings& findings) {
  const int warningsBefore = findings.notInPlaceCount();
  const Overrides overrides;
  ConnectionFacts facts;
  facts.pathsFile = overrides.pathsFile ? folder(*overrides.pathsFile) : defaultPathsFile();
  checkOverridesReachTheLoader(overrides, findings);

  const char* chosenBy = overrides.pathsFile ? " (from VR_PATHREG_OVERRIDE)"
                         : homeIsEmpty()     ? " (in the working folder, as HOME is empty)"
                                             : "";
  json registry;
  if (overrides.everyPath()) {
    // The loader reads the file all the same; only a pipe or a device
    // there would stop it.
    std::error_code ignored;
    const std::filesystem::file_status status = std::filesystem::status(facts.pathsFile, ignored);
    if (!facts.pathsFile.empty() && std::filesystem::exists(status) &&
        !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status)) {
      registry = readPathsFile(facts.pathsFile, chosenBy, manifest, findings, facts);
    } else {
      findings.inPlace("paths-file-not-needed",
                       "Runtime paths file not needed, VR_OVERRIDE, VR_CONFIG_PATH and "
                       "VR_LOG_PATH are all set");
    }
  } else if (facts.pathsFile.empty()) {
    findings.notInPlace("paths-file-no-name",
                        "No runtime paths file, as neither XDG_CONFIG_HOME nor HOME is set. "
                        "Set HOME to the home folder of the user who wears the headset.");
  } else {
    registry = readPathsFile(facts.pathsFile, chosenBy, manifest, findings, facts);
  }

  std::optional<std::vector<std::string>> listed;
  if (!registry.is_null()) listed = folderList(registry, "runtime", facts.pathsFile, &findings);
  if (listed) facts.listed = *listed;
  if (overrides.runtime) {
    facts.runtime = *overrides.runtime;
    checkRuntimeFolder(facts, true, findings);
  } else if (!facts.listed.empty() && facts.listed.front().empty()) {
    findings.notInPlace("paths-file-empty-runtime",
                        "Runtime paths file's first \"runtime\" entry is empty: ",
                        Path{"paths_file", text(facts.pathsFile)},
                        ". The SDK tries no other. Remove the file, then ", kWriteAnew);
  } else if (!facts.listed.empty()) {
    facts.runtime = facts.listed.front();
    checkRuntimeFolder(facts, false, findings);
  } else if (listed) {
    findings.notInPlace("paths-file-no-runtime", "Runtime paths file lists no runtime folder: ",
                        Path{"paths_file", text(facts.pathsFile)}, ". Install the runtime, or ",
                        kWriteAnew);
  }
  facts.config = checkFolder(kConfig, overrides.config, registry, facts, findings);
  facts.log = checkFolder(kLog, overrides.log, registry, facts, findings);
  facts.inPlace = findings.notInPlaceCount() == warningsBefore;
  return facts;
}

void explainMissingApplications(const ConnectionFacts& facts, Findings& findings) {
  const std::string then = ". Put the runtime that does first in ";
  const PathList others = otherEntries(facts);
  const std::string rewrite = ", or start it once, which rewrites the file.";
  const char* keepsNone = " does not keep applications; other listed runtime folders: ";
  if (facts.runtime.empty() || facts.pathsFile.empty()) {
    findings.notInPlace("runtime-without-applications", "The runtime in ",
                        facts.runtime.empty() ? "(unknown)" : facts.runtime, keepsNone, others,
                        then, "the paths file", rewrite);
    return;
  }
  findings.notInPlace("runtime-without-applications", "The runtime in ",
                      Path{"runtime_folder", facts.runtime}, keepsNone, others, then,
                      Path{"paths_file", text(facts.pathsFile)}, rewrite);
}

}  // namespace corvane::vrcheck
