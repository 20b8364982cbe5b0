// vrcheck against the situations that keep an app from starting with the
// runtime: one table of manifests, paths files and runtime states, each row
// with the exit status and a word that each finding, in order, must carry.
// Every row also proves that vrcheck changes nothing, for the Linux build
// and for the Windows build under Wine.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <optional>

#include "tool_test_fixture.h"

namespace corvane::testing {
namespace {

const std::string kManifest =
    R"({"applications": [{"app_key": "lumora.corvane", "binary_path_windows": "lumora.exe",
        "binary_path_linux": "lumora", "is_dashboard_overlay": true}]})";
// Stand-ins for a manifest's text, for what is no manifest at all.
const std::string kFolder = "<a folder>";
const std::string kHuge = "<over 1 MiB>";
const std::string kMissing = "<no file>";
const std::string kDevice = "<the null device>";
const std::string kLocked = "<in a folder this user may not enter>";

// The runtime's paths file as the stand-in lays it out; {name} is a folder
// that the test names (see VrcheckTest::placeholders).
const std::string kPaths =
    R"({"runtime": ["{root}"], "config": ["{config}"], "log": ["{log}"], "version": 1})";

// HereDotted: registered as <folder>/./lumora.vrmanifest, which the runtime
// gives back as a folder with a trailing separator once normalised;
// HereAutoLaunchFalse: the flag stored as false, as vrdelist leaves it.
enum class Store {
  Empty,
  Here,
  HereAutoLaunchOff,
  HereAutoLaunchFalse,
  Elsewhere,
  HereOtherSpelling,
  HereDotted
};

using Environment = std::map<std::string, std::string>;

struct Situation {
  const char* what;
  std::string manifest;
  Store store;
  int status;
  // "{old}": the other folder's manifest, quoted; "{this}": this one
  std::vector<std::string> findings;
  nlohmann::json faults = nlohmann::json::object();
  std::string folder = "app";
  std::optional<Platform> only = std::nullopt;
  std::string paths = kPaths;
  Environment environment = {};
  bool running = true;
  std::string appConfig = "";  // what replaces the runtime's list, if not ""
  bool relative = false;       // the manifest named relative to the working folder
};

// The runtime not running: its records answer.
Situation stopped(const char* what, Store store, int status, std::vector<std::string> findings,
                  std::string appConfig = "", std::optional<Platform> only = std::nullopt,
                  nlohmann::json faults = nlohmann::json::object()) {
  return {what, kManifest, store, status, std::move(findings), std::move(faults), "app",
          only, kPaths,    {},    false,  std::move(appConfig)};
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

using Words = std::vector<std::string>;

const Words kManifestInPlace = {"declares app key: lumora.corvane",
                                "makes the app a dashboard overlay", "Binary found"};
const Words kConnectionInPlace = {"Runtime paths file: {paths}, for user ",
                                  "Runtime folder: {root}"};
const Words kRegistrationInPlace = {"App key registered", "this manifest's folder",
                                    "Auto-launch enabled"};
const Words kRegisteredInPlace = kConnectionInPlace + kRegistrationInPlace;
const Words kInPlace = kManifestInPlace + kRegisteredInPlace;
const Words kUnregistered =
    kConnectionInPlace +
    Words{"not registered with the runtime: lumora.corvane. Register it with: vrenlist"};

// A paths file with one list replaced, e.g. paths("config", "null").
std::string paths(const std::string& list, const std::string& value) {
  const std::string from = "[\"{" + list + "}\"]";
  return replaced(kPaths, from, value);
}

std::string deepFolder() {
  std::string deep;
  for (int i = 0; i < 12; ++i) deep += std::string(250, static_cast<char>('a' + i)) + "/";
  return deep + "app";
}

const std::string kBinaryGone =
    replaced(replaced(kManifest, "\"lumora\"", "\"gone\""), "lumora.exe", "gone.exe");
const std::string kNoBinary =
    R"({"applications": [{"app_key": "lumora.corvane", "is_dashboard_overlay": true}]})";

const std::string kInSubfolder = replaced(replaced(kManifest, "\"lumora\"", "\"bin/lumora\""),
                                          "\"lumora.exe\"", "\"bin/lumora.exe\"");
const Words kStopped = kManifestInPlace + kConnectionInPlace +
                       Words{"Runtime not running; its records answer, in {config}"};

// A list of thousands of paths, some thousands of characters long, that
// ends with this manifest.
std::string thousandsOfPaths() {
  std::string text = R"({"manifest_paths": [)";
  for (int i = 0; i < 3000; ++i) {
    text += "\"{gone}/" + std::string(i % 100 == 0 ? 3000 : 20, 'x') + std::to_string(i) + "\", ";
  }
  return text + R"("{manifest}"]})";
}

const Words kRegisteredWithBinary =
    kConnectionInPlace + Words{"App key registered",
                               "Registered from this manifest, with its binary",
                               "Auto-launch enabled"};

// vrcheck never starts the runtime: it connects in the background.
const JournalEntry kBackgroundInit{"Init", {"3", "null"}};
// All that the runtime is asked on the in-place road.
const Calls kInPlaceCalls = {kBackgroundInit,
                             {"IsApplicationInstalled", {"lumora.corvane"}},
                             {"GetApplicationPropertyString", {"lumora.corvane", "12"}},
                             {"GetApplicationAutoLaunch", {"lumora.corvane"}},
                             kCleanup};

// clang-format off
const Situation kSituations[] = {
    {"all in place", kManifest, Store::Here, 0, kInPlace},
    {"folder outside ASCII", kManifest, Store::Here, 0, kInPlace, {}, "José 日本 🎮"},
    {"path over 3,000 characters", kManifest, Store::Here, 0, kInPlace, {}, deepFolder()},
    {"another spelling of the folder", kManifest, Store::HereOtherSpelling, 0, kInPlace, {}, "app",
     Platform::Windows},
    {"not registered", kManifest, Store::Empty, 3, kManifestInPlace + kUnregistered},
    {"registered from another folder", kManifest, Store::Elsewhere, 3, kManifestInPlace + kConnectionInPlace +
     Words{"App key registered", "Take that registration back with: vrdelist {old}", "Auto-launch enabled"}},
    {"auto-launch forgotten", kManifest, Store::HereAutoLaunchOff, 3, kManifestInPlace + kConnectionInPlace +
     Words{"App key registered", "this manifest's folder", "Auto-launch is off"}},
    {"not a dashboard overlay", replaced(kManifest, "true", "false"), Store::Here, 3,
     Words{"declares app key", "does not make the app a dashboard overlay", "Binary found"} + kRegisteredInPlace},
    {"binary gone", kBinaryGone, Store::Here, 3,
     Words{"declares app key", "makes the app", "Binary not found"} + kRegisteredInPlace},
    {"no binary for this platform", kNoBinary, Store::Empty, 3,
     Words{"declares app key", "makes the app", "names no binary"} + kUnregistered},
    {"binary under /usr", replaced(kManifest, "\"lumora\"", "\"/usr/bin/lumora\""), Store::Empty, 3,
     Words{"declares app key", "makes the app", "Binary not found", "under /usr"} + kUnregistered, {}, "app",
     Platform::Linux},
    {"other keys only", R"({"applications": [{"app_key": "other.app"}, {"app_key": "third.app"}]})",
     Store::Empty, 3, Words{"it declares other.app, third.app"} + kUnregistered},
    {"not JSON", "{\"applications\": [", Store::Empty, 3, Words{"not JSON"} + kUnregistered},
    {"not UTF-8", replaced(kManifest, "lumora.corvane", "lumora.\xE9"), Store::Empty, 3,
     Words{"not JSON in UTF-8"} + kUnregistered},
    {"byte order mark", "\xEF\xBB\xBF" + kManifest, Store::Here, 3, Words{"byte order mark"} + kInPlace},
    {"UTF-16", std::string("\xFF\xFE{\0}\0", 6), Store::Empty, 3, Words{"UTF-16"} + kUnregistered},
    {"a folder", kFolder, Store::Empty, 3, Words{"is a folder"} + kUnregistered},
    {"a device", kDevice, Store::Empty, 3, Words{"not a regular file"} + kUnregistered, {}, "app",
     Platform::Linux},
    {"huge", kHuge, Store::Empty, 3, Words{"larger than 1 MiB"} + kUnregistered},
    {"missing", kMissing, Store::Empty, 3, Words{"Manifest not found"} + kUnregistered},
    {"in a folder this user may not enter", kLocked, Store::Empty, 3,
     Words{". This user may not enter {locked};"} + kUnregistered, {}, "app",
     Platform::Linux},
    {"runtime refuses a query", kManifest, Store::Here, 1, kManifestInPlace + kConnectionInPlace +
     Words{"App key registered", "GetApplicationPropertyString failed: VRApplicationError_IPCFailed"},
     {{"applicationPropertyError", 105}}},
    {"runtime refuses to start", kManifest, Store::Here, 1, kManifestInPlace + kConnectionInPlace +
     Words{"VR_Init(Background) failed: Hmd Not Found (108)", "so the runtime itself refused"},
     {{"initError", 108}}},
    {"no applications interface", kMissing, Store::Here, 1, Words{"Manifest not found"} +
     kConnectionInPlace + Words{"Applications interface unavailable: IVRApplications_007",
     "The runtime in {root} does not keep applications"}, {{"applicationsUnavailable", true}}},
    {"overlay flag absent", replaced(kManifest, R"(, "is_dashboard_overlay": true)", ""), Store::Here, 3,
     Words{"declares app key", "does not make the app a dashboard overlay", "Binary found"} + kRegisteredInPlace},
    {"overlay flag \"yes\"", replaced(kManifest, "true", "\"yes\""), Store::Here, 3,
     Words{"declares app key", "does not make the app a dashboard overlay", "Binary found"} + kRegisteredInPlace},
    {"overlay flag 1", replaced(kManifest, "true", "1"), Store::Here, 3,
     Words{"declares app key", "does not make the app a dashboard overlay", "Binary found"} + kRegisteredInPlace},
    {"UTF-16, big-endian", std::string("\xFE\xFF\0{\0}", 6), Store::Empty, 3, Words{"UTF-16"} + kUnregistered},
    {"binary reaching /usr through ..", replaced(kManifest, "\"lumora\"", "\"/opt/../usr/bin/lumora\""),
     Store::Empty, 3, Words{"declares app key", "makes the app", "Binary not found", "under /usr"} + kUnregistered,
     {}, "app", Platform::Linux},
    {"only the other platform's binary", replaced(kManifest, "\"lumora\"", "\"gone\""), Store::Here, 3,
     Words{"declares app key", "makes the app", "Binary not found"} + kRegisteredInPlace, {}, "app", Platform::Linux},
    {"only the other platform's binary", replaced(kManifest, "lumora.exe", "gone.exe"), Store::Here, 3,
     Words{"declares app key", "makes the app", "Binary not found"} + kRegisteredInPlace, {}, "app", Platform::Windows},
    {"registered with a ./ component", kManifest, Store::HereDotted, 0, kInPlace},
    {"auto-launch stored as false", kManifest, Store::HereAutoLaunchFalse, 3, kManifestInPlace +
     kConnectionInPlace + Words{"App key registered", "this manifest's folder", "Auto-launch is off"}},
    {"a quote in the folder's name", kManifest, Store::Empty, 3, kManifestInPlace + kConnectionInPlace +
     Words{"Register it with: vrenlist {this}"}, {}, "it's app"},
    {"binary in a subfolder", kInSubfolder, Store::Here, 0, kInPlace},
    {"a relative manifest argument", kManifest, Store::Here, 0, kInPlace, {}, "app", std::nullopt, kPaths, {},
     true, "", true},
    {"no WorkingDirectory, binary beside", kManifest, Store::Here, 0, kManifestInPlace + kRegisteredWithBinary,
     {{"workingDirectoryUnset", true}}},
    {"no WorkingDirectory, binary in a subfolder", kInSubfolder, Store::Here, 0,
     kManifestInPlace + kRegisteredWithBinary, {{"workingDirectoryUnset", true}}},
    {"no WorkingDirectory, registered elsewhere", kManifest, Store::Elsewhere, 3, kManifestInPlace +
     kConnectionInPlace + Words{"App key registered", "Registered with another binary: ", "Auto-launch enabled"},
     {{"workingDirectoryUnset", true}}},
    // The runtime not running: what it recorded answers.
    stopped("stopped, all in place", Store::Here, 0, kStopped + Words{"Listed in the runtime's records: {manifest}",
            "Auto-launch on in the runtime's records: {config}"}),
    stopped("stopped, another spelling of the path", Store::HereOtherSpelling, 0, kStopped +
            Words{"Listed in the runtime's records", "Auto-launch on"}, "", Platform::Windows),
    stopped("stopped, nothing registered yet", Store::Empty, 3, kStopped + Words{"The runtime's list of apps "
            "does not exist yet, so nothing is registered: {config}", "Auto-launch is not on in the runtime's "
            "records, {config}"}, kMissing),
    stopped("stopped, not listed", Store::Empty, 3, kStopped + Words{"Not in the runtime's list of apps, {config}",
            "Auto-launch is not on"}),
    stopped("stopped, registered from another manifest", Store::Elsewhere, 3, kStopped + Words{"Registered from "
            "another manifest: {oldpath}. Take that registration back with: vrdelist {old}, then register this one",
            "Not in the runtime's list", "Auto-launch on"}),
    stopped("stopped, a listed manifest gone", Store::Here, 3, kStopped + Words{"names a manifest that no longer "
            "exists: {gone}/lumora.vrmanifest. The runtime drops it at its next start",
            "Listed in the runtime's records", "Auto-launch on"},
            R"({"manifest_paths": ["{gone}/lumora.vrmanifest", "{manifest}"]})"),
    stopped("stopped, auto-launch stored as false", Store::HereAutoLaunchFalse, 3, kStopped +
            Words{"Listed", "Auto-launch is not on in the runtime's records"}),
    stopped("stopped, list with a byte order mark", Store::Here, 3, kStopped + Words{"starts with a byte order "
            "mark, which the runtime cannot parse: {config}", "Auto-launch on"},
            "\xEF\xBB\xBF" R"({"manifest_paths": ["{manifest}"]})"),
    stopped("stopped, list in UTF-16", Store::Here, 3, kStopped + Words{"is saved as UTF-16, which the runtime "
            "cannot parse: {config}", "Auto-launch on"}, std::string("\xFF\xFE{\0}\0", 6)),
    stopped("stopped, list with a trailing comma", Store::Here, 3, kStopped + Words{"is not JSON the runtime can "
            "parse, at line 1, column ", "Auto-launch on"}, R"({"manifest_paths": ["{manifest}"],})"),
    stopped("stopped, list of numbers and objects", Store::Here, 3, kStopped + Words{"holds no list of paths in "
            "\"manifest_paths\": {config}", "Auto-launch on"}, R"({"manifest_paths": [1, {"a": ["{manifest}"]}]})"),
    stopped("stopped, list huge", Store::Here, 3, kStopped + Words{"is larger than 1 MiB: {config}",
            "Auto-launch on"}, kHuge),
    stopped("stopped, list a folder", Store::Here, 3, kStopped + Words{"is not a regular file: {config}",
            "Auto-launch on"}, kFolder),
    stopped("stopped, thousands of listed paths", Store::Here, 0, kStopped + Words{"Listed in the runtime's "
            "records: {manifest}", "Auto-launch on"}, thousandsOfPaths()),
    {"running, records not yet written", kManifest, Store::Empty, 0, kInPlace + Words{"The runtime has not yet "
     "written this registration to its records", "The runtime has not yet written auto-launch to its records"},
     {{"unwritten", {{"manifests", {"{manifest}"}}, {"autoLaunch", {{"lumora.corvane", true}}}}}}},
    // The way to the runtime, as the SDK's loader finds it.
    {"paths file missing", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"Runtime paths file not found: {paths}, for user ", "failed: Installation path could not be located (110)"},
     {}, "app", std::nullopt, kMissing},
    {"paths file missing, under sudo", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"Start the runtime once as this user, which writes it. This runs as root or under sudo", "(110)"}, {}, "app", Platform::Linux, kMissing, {{"SUDO_USER", "wearer"}}},
    {"paths file missing, elevated", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"which writes it. This runs elevated, so it read the profile of ", "(110)"}, {}, "app",
     Platform::Windows, kMissing},
    {"paths file only in Steam's Flatpak", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"not found: {paths}", "Flatpak keeps its paths file in its sandbox: {flatpak}/.var/app/"
     "com.valvesoftware.Steam/.config/openvr/openvrpaths.vrpath. Point the tools at it, for example: "
     "VR_PATHREG_OVERRIDE='{flatpak}/.var/", "(110)"}, {}, "app", Platform::Linux, kMissing, {{"HOME", "{flatpak}"}}},
    {"paths file empty", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"Runtime paths file is empty: {paths}", "(110)"}, {}, "app", std::nullopt, ""},
    {"paths file not JSON", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"is not JSON: {paths}, at line 2, column 2", "(110)"}, {}, "app", std::nullopt,
     replaced(kPaths, ", \"config\"", "\n \"config\"")},
    {"paths file with a byte order mark", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"byte order mark: {paths}. SDKs before 2.2.3 cannot read it"} + kConnectionInPlace +
     Words{"VR_Init(Background) failed"}, {}, "app", std::nullopt, "\xEF\xBB\xBF" + kPaths},
    {"paths file with comments", kManifest, Store::Here, 0, kInPlace, {}, "app", std::nullopt,
     "// written by hand\n" + replaced(kPaths, "\"version\"", "/* read */ \"version\"")},
    {"paths file lists no runtime", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"Runtime paths file", "lists no runtime folder: {paths}", "Installation Not Found (100)"}, {}, "app", std::nullopt,
     paths("root", "[]")},
    {"a stale runtime listed first", kManifest, Store::Here, 1, kManifestInPlace + Words{"Runtime paths file",
     "Runtime folder not found: {gone}, the first listed in {paths}. The SDK tries no other; the others "
     "listed are {root} (a runtime folder)", "(100)"}, {}, "app", std::nullopt,
     paths("root", R"(["{gone}", "{root}"])")},
    {"runtime folder without bin", kManifest, Store::Here, 1, kManifestInPlace + Words{"Runtime paths file",
     "Runtime folder has no {bin}", "Installation Corrupt (101)"}, {}, "app", std::nullopt,
     paths("root", R"(["{bare}"])")},
    {"runtime folder without its library", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"Runtime paths file", "client library not found: {library}", "(102)"}, {}, "app", std::nullopt,
     paths("root", R"(["{nolibrary}"])")},
    {"config folder null", kManifest, Store::Here, 1, kManifestInPlace + kConnectionInPlace +
     Words{"\"config\" is not a list of folders: {paths}", "(111)"}, {}, "app", std::nullopt,
     paths("config", "null")},
    {"no log folder", kManifest, Store::Here, 1, kManifestInPlace + kConnectionInPlace +
     Words{"names no log folder: {paths}", "(112)"}, {}, "app", std::nullopt,
     replaced(kPaths, R"(, "log": ["{log}"])", "")},
    {"VR_PATHREG_OVERRIDE", kManifest, Store::Here, 0, kManifestInPlace +
     Words{"Runtime paths file: {alternative} (from VR_PATHREG_OVERRIDE), for user", "Runtime folder: {root}"} +
     kRegistrationInPlace, {}, "app", std::nullopt, kMissing,
     {{"VR_PATHREG_OVERRIDE", "{alternative}"}}},
    {"VR_OVERRIDE over a stale entry", kManifest, Store::Here, 0, kManifestInPlace +
     Words{"Runtime paths file", "Runtime folder: {root} (from VR_OVERRIDE)"} +
     kRegistrationInPlace, {}, "app", std::nullopt,
     paths("root", R"(["{gone}"])"), {{"VR_OVERRIDE", "{root}"}}},
    {"VR_CONFIG_PATH and VR_LOG_PATH", kManifest, Store::Here, 0, kManifestInPlace + kConnectionInPlace +
     Words{"Runtime config folder: {config} (from VR_CONFIG_PATH)", "Runtime log folder: {gone} (from VR_LOG_PATH)"} +
     kRegistrationInPlace, {}, "app", std::nullopt,
     replaced(paths("config", "null"), R"(, "log": ["{log}"])", ""),
     {{"VR_CONFIG_PATH", "{config}"}, {"VR_LOG_PATH", "{gone}"}}},
    {"every path overridden, no paths file", kManifest, Store::Here, 0, kManifestInPlace +
     Words{"Runtime paths file not needed", "Runtime folder: {root} (from VR_OVERRIDE)", "config folder",
     "log folder"} + kRegistrationInPlace, {}, "app", std::nullopt,
     kMissing, {{"VR_OVERRIDE", "{root}"}, {"VR_CONFIG_PATH", "{config}"}, {"VR_LOG_PATH", "{gone}"}}},
    {"paths file huge", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"Runtime paths file is larger than 1 MiB: {paths}", "(110)"}, {}, "app", std::nullopt, kHuge},
    {"paths file a device", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"Runtime paths file is not a regular file: {paths}", "(110)"}, {}, "app", Platform::Linux, kDevice},
    {"runtime entry a nested list", kManifest, Store::Here, 1, kManifestInPlace + Words{"Runtime paths file",
     "\"runtime\" is not a list of folders", "(110)"}, {}, "app", std::nullopt, paths("root", R"([["{root}"]])")},
    {"runtime entry thousands of characters long", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"Runtime paths file", "Runtime folder not found: {gone}/xxxxxxxxxx", "(100)"}, {}, "app", std::nullopt,
     paths("root", "[\"{gone}/" + std::string(3000, 'x') + "\", \"{root}\"]")},
    {"runtime entry a number", kManifest, Store::Here, 1, kManifestInPlace + Words{"Runtime paths file",
     "\"runtime\" is not a list of folders", "(100)"}, {}, "app", std::nullopt, paths("root", "[1]")},
};
// clang-format on

class VrcheckTest : public ToolTest {
 protected:
  VrcheckTest() : ToolTest("vrcheck") {}

  // Folders that rows name in paths files, environments and findings: a
  // runtime that is gone, one without bin, one without its library, a good
  // paths file elsewhere, and a home holding Steam's Flatpak.
  void SetUp() override {
    const std::filesystem::path scratch = runtime.scratch();
    const std::filesystem::path bin =
        platform() == Platform::Windows ? "bin" : std::filesystem::path("bin/linux64");
    std::filesystem::create_directories(scratch / "bare");
    std::filesystem::create_directories(scratch / "no library" / bin);
    const std::filesystem::path flatpak =
        scratch / "flatpak/.var/app/com.valvesoftware.Steam/.config/openvr";
    std::filesystem::create_directories(flatpak);
    const std::map<std::string, std::filesystem::path> folders = {
        {"root", runtime.root()},
        {"config", runtime.configFolder()},
        {"log", scratch / "log"},
        {"gone", scratch / "gone 'ü' 日本"},
        {"bare", scratch / "bare"},
        {"bin", scratch / "bare" / bin},
        {"nolibrary", scratch / "no library"},
        {"library", scratch / "no library" / bin /
                        (platform() == Platform::Windows ? "vrclient_x64.dll" : "vrclient.so")},
        {"alternative", scratch / "alternative.vrpath"},
        {"flatpak", scratch / "flatpak"}};
    for (const auto& [name, folder] : folders) placeholders_["{" + name + "}"] = argument(folder);
    placeholders_["{paths}"] = runtime.pathRegistryName();
    std::ofstream(flatpak / "openvrpaths.vrpath") << expanded(kPaths, true);
    std::ofstream(folders.at("alternative")) << expanded(kPaths, true);
  }

  // text with each {name} replaced by its path; as JSON string contents
  // for a paths file.
  std::string expanded(std::string text, bool json = false) const {
    for (const auto& [name, path] : placeholders_) {
      const std::string value = json ? nlohmann::json(path).dump() : path;
      text = replaced(text, name, json ? value.substr(1, value.size() - 2) : value);
    }
    return text;
  }

  // Writes text to file, or what a marker like kHuge stands for.
  static void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::remove_all(file);
    if (text == kFolder) {
      std::filesystem::create_directory(file);
    } else if (text == kDevice) {
      std::filesystem::create_symlink("/dev/null", file);
    } else if (text == kHuge) {
      std::ofstream(file).put('{');
      std::filesystem::resize_file(file, 2 * 1024 * 1024);
    } else if (text != kMissing) {
      std::ofstream(file, std::ios::binary) << text;
    }
  }

  // Lays out the row's manifest in its own folder, with the binaries it
  // names by default, and its paths file; returns the argument naming the
  // manifest.
  std::string layOut(const Situation& situation, int row) {
    const std::filesystem::path folder =
        runtime.scratch() / std::to_string(row) / std::filesystem::u8path(situation.folder);
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(folder / "bin");
    for (const char* binary : {"lumora", "lumora.exe", "bin/lumora", "bin/lumora.exe"}) {
      std::ofstream(folder / binary).put('\0');
    }
    const std::filesystem::path manifest = folder / "lumora.vrmanifest";
    manifest_ = manifest;
    writeFile(manifest, situation.manifest == kLocked ? kManifest : situation.manifest);
    wrapper.clear();
    if (situation.manifest == kLocked) {
      std::filesystem::permissions(folder, std::filesystem::perms::none);
      locked_ = folder;
      placeholders_["{locked}"] = argument(folder);
      // Root passes every permission check unless it gives up the power to.
      if (geteuid() == 0)
        wrapper = {"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"};
    }
    writeFile(runtime.pathRegistry(), expanded(situation.paths, true));
    environment.clear();
    for (const auto& [name, value] : situation.environment) environment[name] = expanded(value);
    return argument(manifest);
  }

  // What earlier runs left in the runtime; path is where the key is
  // registered from.
  void setStore(Store store, const std::string& path, const std::string& oldPath) const {
    const std::string key = "lumora.corvane";
    std::string registered = store == Store::Elsewhere ? oldPath : path;
    const char* separator = platform() == Platform::Windows ? "\\" : "/";
    if (store == Store::HereDotted) {
      registered.insert(registered.rfind(separator) + 1, std::string(".") + separator);
    }
    if (store == Store::HereOtherSpelling) {
      for (char& c : registered)
        c = c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    nlohmann::json manifests = nlohmann::json::object();
    if (store != Store::Empty) manifests[registered] = {key};
    nlohmann::json autoLaunch = nlohmann::json::object();
    if (store != Store::Empty && store != Store::HereAutoLaunchOff) {
      autoLaunch[key] = store != Store::HereAutoLaunchFalse;
    }
    runtime.setRegistry({{"manifests", manifests}, {"autoLaunch", autoLaunch}});
  }

  // As one argument to paste into cmd, or into a POSIX shell.
  std::string quoted(const std::string& path) const {
    if (platform() == Platform::Windows) return "\"" + path + "\"";
    return "'" + replaced(path, "'", "'\\''") + "'";
  }

  // The manifest as named from the tool's working folder, this process's.
  std::string relativeArgument() const {
    std::string relative = std::filesystem::relative(manifest_).string();
    if (platform() == Platform::Windows) std::replace(relative.begin(), relative.end(), '/', '\\');
    return relative;
  }

  std::map<std::string, std::string> placeholders_;
  std::filesystem::path manifest_;  // the row's, laid out
  std::filesystem::path locked_;    // opened again after the row
};

TEST_P(VrcheckTest, TellsWhatIsNotInPlaceAndChangesNothing) {
  // An earlier install, in a folder the installer no longer knows.
  const std::filesystem::path oldFolder = runtime.scratch() / "old";
  std::filesystem::create_directories(oldFolder);
  std::ofstream(oldFolder / "lumora.vrmanifest") << kManifest;
  const std::string oldManifest = argument(oldFolder / "lumora.vrmanifest");

  int row = 0;
  for (const Situation& situation : kSituations) {
    ++row;
    if (situation.only && situation.only != platform()) continue;
    SCOPED_TRACE(situation.what);
    const std::string path = layOut(situation, row);
    setStore(situation.store, path, oldManifest);
    placeholders_["{manifest}"] = path;
    if (!situation.appConfig.empty()) {
      writeFile(runtime.configFolder() / "appconfig.json", expanded(situation.appConfig, true));
    }
    runtime.setRunning(situation.running);
    runtime.setFaults(nlohmann::json::parse(expanded(situation.faults.dump(), true)));
    runtime.clearJournal();
    const std::string storeBefore = runtime.registryBytes();
    const std::string pathsBefore = readFile(runtime.pathRegistry());

    const Outcome outcome = run({situation.relative ? relativeArgument() : path});
    if (!locked_.empty()) std::filesystem::permissions(locked_, std::filesystem::perms::owner_all);
    locked_.clear();
    EXPECT_EQ(outcome.exitStatus, situation.status) << outcome.standardError;
    EXPECT_EQ(outcome.lines.size(), situation.findings.size()) << outcome.standardError;
    if (outcome.lines.size() != situation.findings.size()) continue;
    const bool connected = outcome.standardError.find("VR_Init(") == std::string::npos;
    for (std::size_t i = 0; i < situation.findings.size(); ++i) {
      std::string word = replaced(situation.findings[i], "{old}", quoted(oldManifest));
      word = expanded(replaced(replaced(word, "{oldpath}", oldManifest), "{this}", quoted(path)));
      EXPECT_NE(outcome.lines[i].find(word), std::string::npos) << word << "\n"
                                                                << outcome.standardError;
      if (outcome.lines[i].rfind("[ERROR] ", 0) == 0) continue;
      const bool inPlace = outcome.lines[i].rfind("[INFO] ", 0) == 0;
      EXPECT_EQ(inPlace, outcome.lines[i].find(". ") == std::string::npos)
          << "a WARN says what to do, an INFO does not: " << outcome.lines[i];
    }

    const Calls calls = runtime.calls();
    for (const JournalEntry& call : calls) {
      EXPECT_TRUE(call.call.rfind("Get", 0) == 0 || call.call == "IsApplicationInstalled" ||
                  call == kBackgroundInit || call == kCleanup)
          << call.call;
    }
    EXPECT_EQ(runtime.running(), situation.running) << "vrcheck never starts the runtime";
    if (!situation.running && connected) {
      EXPECT_EQ(calls, Calls{kBackgroundInit});
    }
    if (connected && situation.running) {
      EXPECT_EQ(calls.empty() ? JournalEntry() : calls.back(), kCleanup);
    }
    // A folder longer than the first buffer is asked for twice.
    if (situation.status == 0 && situation.faults.empty() && situation.folder.size() < 1024 &&
        situation.running) {
      EXPECT_EQ(calls, kInPlaceCalls) << "only the calls it needs";
    }
    EXPECT_EQ(runtime.registryBytes(), storeBefore);
    EXPECT_EQ(readFile(runtime.pathRegistry()), pathsBefore);
  }
}

TEST_P(VrcheckTest, WrongArgumentCountPrintsOnlyTheUsage) {
  const Outcome outcome = run({"/a.vrmanifest", "/b.vrmanifest"});
  EXPECT_EQ(outcome.exitStatus, 2);
  EXPECT_EQ(outcome.standardError, "usage: vrcheck <absolute-path-to.vrmanifest>\n");
  EXPECT_EQ(runtime.journal(), Calls{});
}

VRENLIST_INSTANTIATE_FOR_EVERY_PLATFORM(VrcheckTest);

}  // namespace
}  // namespace corvane::testing
