// vrcheck against the situations that keep an app from starting with the
// runtime: one table of manifests, paths files, records and runtime states,
// each row a test of its own (Linux/VrcheckTest.Finds/<row>), with the exit
// status and, for each finding in order, its code and a word its line must
// carry. Every row runs with and without --json: the report must say what
// the lines say, and neither run may change anything.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <set>

#include "tool_test_fixture.h"

namespace corvane::testing {
namespace {

const std::string kManifest =
    R"({"applications": [{"app_key": "lumora.corvane", "binary_path_windows": "lumora.exe",
        "binary_path_linux": "lumora", "is_dashboard_overlay": true}]})";
// Stand-ins for a file's text, for what is no text at all.
const std::string kFolder = "<a folder>";
const std::string kHuge = "<over 1 MiB>";
const std::string kMissing = "<no file>";
const std::string kDevice = "<the null device>";
const std::string kZero = "<the zero device>";
const std::string kFifo = "<a pipe nobody writes>";
// Both write the file as it should be, then close it up.
const std::string kLocked = "<in a folder this user may not enter>";
const std::string kUnreadable = "<a file this user may not read>";
// The app's Windows binary: one whose manifest asks to run elevated, and
// one that Windows' compatibility settings mark to run as administrator.
const std::string kAsksElevation = "<a binary asking to run elevated>";
const std::string kMarkedAdministrator = "<a binary marked to run as administrator>";
const std::string kRequiresAdministrator = "<a binary requiring administrator>";
// The app's Linux binary: an AppImage of either type, and a plain ELF program.
const std::string kAppImage1 = "<an AppImage of type 1>";
const std::string kAppImage2 = "<an AppImage of type 2>";
const std::string kPlainElf = "<an ELF program>";
const std::string kLayers = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
// An environment variable's value: no variable at all.
const std::string kUnset = "<unset>";

// The runtime's paths file as the stand-in lays it out; {name} is a folder
// that the test names (see VrcheckTest::SetUp).
const std::string kPaths =
    R"({"runtime": ["{root}"], "config": ["{config}"], "log": ["{log}"], "version": 1})";

// What earlier runs left in the runtime. HereDotted: registered as
// <folder>/./lumora.vrmanifest, which the runtime gives back as a folder
// with a trailing separator once normalised; HereAutoLaunchFalse: the flag
// stored as false, as vrdelist leaves it; ElsewhereOtherName: registered
// from the other folder under another file name.
enum class Store {
  Empty,
  Here,
  HereAutoLaunchOff,
  HereAutoLaunchFalse,
  Elsewhere,
  ElsewhereOtherName,
  HereOtherSpelling,
  HereDotted
};

using Environment = std::map<std::string, std::string>;

// The app's binary left running ({app}, {appid}), one of its name in
// another folder, or short-lived processes that end while vrcheck reads them.
enum class AppRun { None, Here, Elsewhere, Ending };

// A runtime program left running: as it was started, replaced on disk since,
// or of another user (nobody, in group 1, which names another user).
enum class Leftover { None, Running, Replaced, OtherUser };

// A finding as a row expects it: its code, and a word its line carries.
struct Expect {
  const char* code;
  std::string word;
};
using Expects = std::vector<Expect>;

struct Situation {
  std::string what;
  int status = 0;
  Expects findings;
  std::string manifestText = kManifest;
  Store storeKind = Store::Here;
  nlohmann::json faultsAsked = nlohmann::json::object();
  std::string folderName = "app";
  std::optional<Platform> onlyOn;
  std::string pathsText = kPaths;
  Environment environment;
  bool running = true;
  std::string appConfig;    // replaces the runtime's list, if not ""
  std::string optionsText;  // replaces the app's options file, if not ""
  std::string settingsText;  // the runtime's settings file, if not ""
  std::string logText;       // the runtime's log, vrserver.txt, if not ""
  std::string otherText;    // replaces {oldpath}, if not ""
  std::string workingIn;    // the tool's working folder, if not ours
  bool relative = false;    // the manifest named relative to the working folder
  bool asRootOnly = false;  // says what only root's run can show
  Leftover leftover = Leftover::None;  // a runtime program left running, {leftover}
  std::string binaryKind;  // the app's binary: kAsksElevation, kAppImage1 and the like, if not ""
  AppRun appRun = AppRun::None;
  // The runtime's library names this interface one version lower, as an
  // older runtime's does; without its version file, another runtime.
  std::string olderThan;
  std::string versionText;  // replaces bin/version.txt, if not ""

  Situation manifest(std::string text) const { return with(&Situation::manifestText, text); }
  Situation store(Store kind) const { return with(&Situation::storeKind, kind); }
  Situation faults(nlohmann::json asked) const { return with(&Situation::faultsAsked, asked); }
  Situation folder(std::string name) const { return with(&Situation::folderName, name); }
  Situation only(Platform platform) const {
    return with(&Situation::onlyOn, std::optional<Platform>(platform));
  }
  Situation paths(std::string text) const { return with(&Situation::pathsText, text); }
  Situation env(Environment variables) const { return with(&Situation::environment, variables); }
  // The runtime not running, its list replaced if text is not "".
  Situation stopped(std::string text = "") const {
    Situation row = with(&Situation::running, false);
    row.appConfig = std::move(text);
    return row;
  }
  Situation list(std::string text) const { return with(&Situation::appConfig, text); }
  Situation options(std::string text) const { return with(&Situation::optionsText, text); }
  Situation settings(std::string text) const { return with(&Situation::settingsText, text); }
  Situation log(std::string text) const { return with(&Situation::logText, text); }
  Situation other(std::string text) const { return with(&Situation::otherText, text); }
  Situation workingFolder(std::string folder) const { return with(&Situation::workingIn, folder); }
  Situation relativeArgument() const { return with(&Situation::relative, true); }
  Situation rootOnly() const { return with(&Situation::asRootOnly, true); }
  Situation leftOver(Leftover how = Leftover::Running) const { return with(&Situation::leftover, how); }
  Situation binary(std::string kind) const { return with(&Situation::binaryKind, kind); }
  Situation appRunning(AppRun how) const { return with(&Situation::appRun, how); }
  Situation older(std::string interfaceVersion, std::string versionText = "") const {
    Situation row = with(&Situation::olderThan, interfaceVersion);
    row.versionText = std::move(versionText);
    return row;
  }

 private:
  template <typename Field, typename Value>
  Situation with(Field Situation::*field, Value value) const {
    Situation row = *this;
    row.*field = std::move(value);
    return row;
  }
};

Situation row(std::string what, int status, Expects findings) {
  Situation situation;
  situation.what = std::move(what);
  situation.status = status;
  situation.findings = std::move(findings);
  return situation;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// An object's text with one more member.
std::string withMember(const std::string& object, const std::string& member) {
  return object.substr(0, object.rfind('}')) + ", " + member + "}";
}

const Expects kManifestInPlace = {{"manifest-app-key", "declares app key: lumora.corvane"},
                                  {"manifest-overlay", "makes the app a dashboard overlay"},
                                  {"binary-found", "Binary found"}};
const Expects kConnectionInPlace = {{"paths-file", "Runtime paths file: {paths}, for user "},
                                    {"runtime-folder", "Runtime folder: {root}"}};
const Expects kRegistrationInPlace = {{"app-key-registered", "App key registered"},
                                      {"registered-here", "this manifest's folder"},
                                      {"auto-launch-on", "Auto-launch enabled"}};
const Expects kRegisteredInPlace = kConnectionInPlace + kRegistrationInPlace;
const Expects kInPlace = kManifestInPlace + kRegisteredInPlace;
const Expects kUnregistered =
    kConnectionInPlace +
    Expects{{"app-key-not-registered",
             "not registered with the runtime: lumora.corvane. Register it with: vrenlist"}};
const Expects kStopped =
    kManifestInPlace + kConnectionInPlace +
    Expects{{"runtime-stopped", "Runtime not running; its records answer, in {config}"}};
const Expects kRecordsInPlace = {
    {"records-listed", "Listed in the runtime's records: {manifest}"},
    {"records-auto-launch-on", "Auto-launch on in the runtime's records: {options}"}};
// A manifest listed above this one that vrcheck did not read whole or parse, {oldpath}.
const Expects kUncheckedAbove = {
    {"records-listed", "Listed"},
    {"records-unchecked-listed", "A manifest listed above this one in {appconfig} was not read whole, or does not "
     "parse, so vrcheck cannot tell whether it declares the app key: {oldpath}. The runtime takes the key from the "
     "first listed manifest that declares it. Start the runtime"},
    {"records-auto-launch-on", "Auto-launch on"}};
const Expects kRegisteredWithBinary =
    kConnectionInPlace +
    Expects{{"app-key-registered", "App key registered"},
            {"registered-here-binary", "Registered from this manifest, with its binary"},
            {"auto-launch-on", "Auto-launch enabled"}};

Expect unreachable(const std::string& description) {
  return {"runtime-unreachable", "VR_Init(Background) failed: " + description};
}
const Expect kNoPathsFile = unreachable("Installation path could not be located (110)");

// A paths file with one list replaced, e.g. paths("config", "null").
std::string paths(const std::string& list, const std::string& value) {
  return replaced(kPaths, "[\"{" + list + "}\"]", value);
}

std::string deepFolder() {
  std::string deep;
  for (int i = 0; i < 12; ++i) deep += std::string(250, static_cast<char>('a' + i)) + "/";
  return deep + "app";
}

// Nested far deeper than the SDK's reader takes, each under 1 MiB; made
// once, as every test process builds the whole table.
const std::string& deepArrays() {
  static const std::string text = std::string(400000, '[') + std::string(400000, ']');
  return text;
}
const std::string& deepObjects() {
  static const std::string text = [] {
    std::string opened;
    opened.reserve(150000 * 4);
    for (int i = 0; i < 150000; ++i) opened += "{\"\":";
    return opened + "null" + std::string(150000, '}');
  }();
  return text;
}

// As the runtime writes its settings: three spaces, " : ".
const std::string kSettingsOff = R"({
   "dashboard" : {
      "enableDashboard" : false
   },
   "steamvr" : {
      "startDashboardFromAppLaunch" : false,
      "startOverlayAppsFromDashboard" : false
   }
}
)";

// The runtime's log as it writes it, microseconds on Linux.
const std::string kLogSkipped =
    "Thu Sep 17 2026 03:36:16.501000 [Info] - Adding application manifest path: {oldpath}\n"
    "Thu Sep 17 2026 03:36:16.502000 [Info] - {oldpath} - App other.app binary_path /x is invalid. Skipping\n"
    "Thu Sep 17 2026 03:36:16.589000 [Info] - Adding application manifest path: {manifest}\n"
    "Thu Sep 17 2026 03:36:16.589100 [Error] - {manifest} - No root object when parsing manifest file\n"
    "Thu Sep 17 2026 03:36:16.589241 [Info] - {manifest} - App lumora.corvane binary_path /usr/bin/lumora is "
    "invalid. Skipping\n"
    "Thu Sep 17 2026 03:36:17.000000 [Info] - Started auto launch dashboard other.app.\n";
// Before about 2023 with no level; a later addition takes the complaint back.
const std::string kLogAddedAgain =
    "Sun Sep 09 2018 12:57:55.090 - {manifest} - App lumora.corvane binary_path /usr/bin/x is invalid. Skipping\r\n"
    "Sun Sep 09 2018 12:57:56.000 - Adding application manifest path: {manifest}\r\n"
    "Sun Sep 09 2018 12:57:57.000 - Unable to start auto launch dashboard other.app: 301\r\n"
    "Sun Sep 09 2018 12:57:58.100 - Started auto launch dashboard lumora.corvane.\r\n";
const std::string kLogGaveUp =
    "Thu Sep 17 2026 03:36:16.000001 [Info] - Adding application manifest path: {manifest}\n"
    "Thu Sep 17 2026 03:36:16.000002 [Error] - {manifest} - Errors when parsing manifest file:\n"
    "* Line 3, Column 5\n"
    "  Missing ',' or '}' in object declaration\n"
    "Thu Sep 17 2026 03:36:19.000001 [Info] - Started auto launch dashboard lumora.corvane.\n"
    "Thu Sep 17 2026 03:36:20.000001 [Warning] - Auto launch dashboard lumora.corvane has not started after 10 "
    "checks. Giving up waiting.\n";
// Windows: milliseconds, CRLF, and paths as the runtime read them.
const std::string kLogWindows =
    "Thu Sep 17 2026 03:36:16.500 [Info] - Adding application manifest path: {manifestupper}\r\n"
    "Thu Sep 17 2026 03:36:16.589 [Info] - {manifestupper} - App lumora.corvane Working directory c:\\nowhere "
    "is invalid. Skipping\r\n"
    "Thu Sep 17 2026 03:36:16.590 [Error] - {manifestupper} - Errors when parsing manifest file:\r\n"
    "* Line 3, Column 5\r\n"
    "  Missing ',' or '}' in object declaration\r\n"
    "Thu Sep 17 2026 03:36:17.100 [Info] - Starting process C:\\lumora.exe  (working directory C:\\) as app "
    "lumora.corvane\r\n"
    "Thu Sep 17 2026 03:36:17.200 [Error] - Tried to start binary process C:\\lumora.exe  (working directory "
    "C:\\) as app lumora.corvane but it failed\r\n";
// Another app of this manifest skipped, and a key that only starts as this
// one's: lines about other apps.
const std::string kLogOtherApps =
    "Thu Sep 17 2026 03:36:16.589000 [Info] - Adding application manifest path: {manifest}\n"
    "Thu Sep 17 2026 03:36:16.589100 [Info] - {manifest} - App lumora.helper binary_path /usr/bin/helper is "
    "invalid. Skipping\n"
    "Thu Sep 17 2026 03:36:16.589200 [Info] - {manifest} - App key lumora.corvane.beta is invalid. Skipping\n";
// Logs written when a row runs, not when the table is built: a line of
// 4 MiB made of what a complaint starts with, then a path that is no UTF-8
// and holds a NUL byte; and 64 MiB of another app's lines, more than is read
// whole, before a complaint about this manifest.
const std::string kHostileLog = "<a hostile log>";
const std::string kLongLog = "<a log longer than is read whole>";
// Longer than is read whole, and cut by each part's read inside a line: a
// refusal, then a registration of "{manifest}.bak" cut just before ".bak",
// and at its end one of this manifest with no line end yet.
const std::string kCutLog = "<a log cut inside lines>";

const std::string kBinaryGone =
    replaced(replaced(kManifest, "\"lumora\"", "\"gone\""), "lumora.exe", "gone.exe");
const std::string kNoBinary =
    R"({"applications": [{"app_key": "lumora.corvane", "is_dashboard_overlay": true}]})";
const std::string kInSubfolder = replaced(replaced(kManifest, "\"lumora\"", "\"bin/lumora\""),
                                          "\"lumora.exe\"", "\"bin/lumora.exe\"");
const std::string kList = R"({"manifest_paths": ["{manifest}"]})";
const std::string kOptions = R"({"autolaunch": true, "last_launch_time": "0"})";

// List entries: count spellings of {oldpath}, each a manifest of its own to
// the runtime.
std::string spellingsOfOldPath(int count) {
  std::string text;
  std::string spelling = "{oldfolder}/";
  for (int i = 0; i < count; ++i, spelling += "./") {
    text += "\"" + spelling + "lumora.vrmanifest\", ";
  }
  return text;
}

// A list of thousands of paths, some thousands of characters long, that
// ends with this manifest.
std::string thousandsOfPaths() {
  std::string text = R"({"manifest_paths": [)";
  for (int i = 0; i < 3000; ++i) {
    text += "\"{gone}/" + std::string(i % 100 == 0 ? 3000 : 20, 'x') + std::to_string(i) + "\", ";
  }
  return text + R"("{manifest}"]})";
}

// vrcheck never starts the runtime: it connects in the background.
const JournalEntry kBackgroundInit{"Init", {"3", "null"}};
// All that the runtime is asked on the in-place road.
const Calls kInPlaceCalls = {kBackgroundInit,
                             {"IsApplicationInstalled", {"lumora.corvane"}},
                             {"GetApplicationPropertyString", {"lumora.corvane", "12"}},
                             {"GetApplicationAutoLaunch", {"lumora.corvane"}},
                             kCleanup};

const Expects kNotOverlay = {{"manifest-app-key", "declares app key"},
                             {"manifest-not-overlay", "does not make the app a dashboard overlay"},
                             {"binary-found", "Binary found"}};
const Expects kBinaryNotFound = {{"manifest-app-key", "declares app key"},
                                 {"manifest-overlay", "makes the app"},
                                 {"binary-not-found", "Binary not found"}};

// clang-format off
const std::vector<Situation> kSituations = {
    row("all in place", 0, kInPlace),
    row("folder outside ASCII", 0, kInPlace).folder("José 日本 🎮"),
    row("path over 3,000 characters", 0, kInPlace).folder(deepFolder()),
    row("another spelling of the folder", 0, kInPlace).store(Store::HereOtherSpelling).only(Platform::Windows),
    row("not registered", 3, kManifestInPlace + kUnregistered).store(Store::Empty),
    row("registered from another folder", 3, kManifestInPlace + kConnectionInPlace +
        Expects{{"app-key-registered", "App key registered"}, {"registered-other-folder",
        "Registered from another folder: {oldfolder}. Take that registration back with: vrdelist {quoted:oldpath}, then "
        "register this one with: vrenlist {quoted:manifest}"}, {"auto-launch-on", "Auto-launch enabled"}}).store(Store::Elsewhere),
    // The exact path from the records, not one guessed from the folder.
    row("registered from another folder under another name", 3, kManifestInPlace + kConnectionInPlace +
        Expects{{"app-key-registered", "App key registered"}, {"registered-other-folder",
        "Take that registration back with: vrdelist {quoted:otherold}, then"}, {"auto-launch-on", "Auto-launch enabled"}})
        .store(Store::ElsewhereOtherName),
    row("registered from another folder, the records not written yet", 3, kManifestInPlace + kConnectionInPlace +
        Expects{{"app-key-registered", "App key registered"}, {"registered-other-folder",
        "Registered from another folder: {oldfolder}. Take back the manifest there that declares lumora.corvane with "
        "vrdelist, naming it exactly as it was registered; then register this one with: vrenlist {quoted:manifest}"},
        {"auto-launch-on", "Auto-launch enabled"}, {"records-lag-auto-launch", "not yet written auto-launch"}})
        .store(Store::Empty).faults({{"unwritten", {{"manifests", {"{otherold}"}}, {"autoLaunch", {{"lumora.corvane", true}}}}}}),
    row("auto-launch forgotten", 3, kManifestInPlace + kConnectionInPlace + Expects{{"app-key-registered",
        "App key registered"}, {"registered-here", "this manifest's folder"}, {"auto-launch-off", "Auto-launch is off"}})
        .store(Store::HereAutoLaunchOff),
    row("not a dashboard overlay", 3, kNotOverlay + kRegisteredInPlace).manifest(replaced(kManifest, "true", "false")),
    row("binary gone", 3, kBinaryNotFound + kRegisteredInPlace).manifest(kBinaryGone),
    row("no binary for this platform", 3, Expects{{"manifest-app-key", "declares app key"}, {"manifest-overlay",
        "makes the app"}, {"manifest-no-binary", "names no binary"}} + kUnregistered).manifest(kNoBinary).store(Store::Empty),
    row("binary under /usr", 3, kBinaryNotFound + Expects{{"binary-under-usr", "under /usr"}} + kUnregistered)
        .manifest(replaced(kManifest, "\"lumora\"", "\"/usr/bin/lumora\"")).store(Store::Empty).only(Platform::Linux),
    row("other keys only", 3, Expects{{"manifest-no-app-key", "it declares other.app, third.app"}} + kUnregistered)
        .manifest(R"({"applications": [{"app_key": "other.app"}, {"app_key": "third.app"}]})").store(Store::Empty),
    row("not JSON", 3, Expects{{"manifest-not-json", "not JSON"}} + kUnregistered)
        .manifest("{\"applications\": [").store(Store::Empty),
    row("not UTF-8", 3, Expects{{"manifest-not-json", "not JSON in UTF-8"}} + kUnregistered)
        .manifest(replaced(kManifest, "lumora.corvane", "lumora.\xE9")).store(Store::Empty),
    row("byte order mark", 3, Expects{{"manifest-byte-order-mark", "byte order mark"}} + kInPlace)
        .manifest("\xEF\xBB\xBF" + kManifest),
    row("UTF-16", 3, Expects{{"manifest-utf16", "UTF-16"}} + kUnregistered)
        .manifest(std::string("\xFF\xFE{\0}\0", 6)).store(Store::Empty),
    row("UTF-16, big-endian", 3, Expects{{"manifest-utf16", "UTF-16"}} + kUnregistered)
        .manifest(std::string("\xFE\xFF\0{\0}", 6)).store(Store::Empty),
    row("a folder", 3, Expects{{"manifest-is-folder", "is a folder"}} + kUnregistered).manifest(kFolder).store(Store::Empty),
    row("a device", 3, Expects{{"manifest-not-regular", "not a regular file"}} + kUnregistered)
        .manifest(kDevice).store(Store::Empty).only(Platform::Linux),
    row("huge", 3, Expects{{"manifest-too-large", "larger than 1 MiB"}} + kUnregistered).manifest(kHuge).store(Store::Empty),
    row("exactly 1 MiB", 0, kInPlace).manifest(kManifest + std::string(1024 * 1024 - kManifest.size(), ' ')),
    row("missing", 3, Expects{{"manifest-not-found", "Manifest not found"}} + kUnregistered)
        .manifest(kMissing).store(Store::Empty),
    row("in a folder this user may not enter", 3, Expects{{"manifest-folder-closed",
        ". This user may not enter {locked};"}} + kUnregistered).manifest(kLocked).store(Store::Empty).only(Platform::Linux),
    row("not for this user to read", 3, Expects{{"manifest-unreadable", "Manifest cannot be read: {manifest}. Check "
        "that this user may read it."}} + kUnregistered).manifest(kUnreadable).store(Store::Empty).only(Platform::Linux),
    row("runtime refuses a query", 1, kManifestInPlace + kConnectionInPlace + Expects{{"app-key-registered",
        "App key registered"}, {"runtime-query-refused", "GetApplicationPropertyString failed: VRApplicationError_IPCFailed"}})
        .faults({{"applicationPropertyError", 105}}),
    row("runtime refuses to start", 1, kManifestInPlace + kConnectionInPlace + Expects{unreachable("Hmd Not Found (108)"),
        {"runtime-refused", "so the runtime itself refused, as the line above says. Start the runtime, then run "
        "vrcheck again; the runtime's log is in {log}."}}).faults({{"initError", 108}}),
    // A process of an earlier session's holds the runtime's connection; the
    // compositor's failures are its own.
    row("IPC failure, a runtime program left running", 1, kManifestInPlace + kConnectionInPlace +
        Expects{{"runtime-unreachable", "(300)"}, {"runtime-process-left", "left from an earlier session: {leftover} (process "
        "{leftoverid}, user {user}). While it runs, the runtime accepts no connection. Quit the runtime, then end "
        "the process: kill {quoted:leftoverid}"}}).faults({{"initError", 300}}).leftOver().only(Platform::Linux),
    // Named as left running though its program was replaced on disk, and after its owner, not its group.
    row("IPC failure, a runtime program left running, replaced since", 1, kManifestInPlace + kConnectionInPlace +
        Expects{{"runtime-unreachable", "(301)"}, {"runtime-process-left", "left from an earlier session: {leftover} "
        "(process {leftoverid}, user {user})"}}).faults({{"initError", 301}}).leftOver(Leftover::Replaced)
        .only(Platform::Linux),
    row("IPC failure, another user's runtime program left running", 1, kManifestInPlace + kConnectionInPlace +
        Expects{{"runtime-unreachable", "(301)"}, {"runtime-process-left", "left from an earlier session: {leftover} "
        "(process {leftoverid}, user nobody)"}}).faults({{"initError", 301}}).leftOver(Leftover::OtherUser)
        .rootOnly().only(Platform::Linux),
    row("IPC failure, a runtime program left running, Windows", 1, kManifestInPlace + kConnectionInPlace +
        Expects{unreachable("Connect to VR Server Failed (301)"), {"runtime-process-left", "left from an earlier "
        "session: {leftover} (process {leftoverid}, user "}}).faults({{"initError", 301}}).leftOver()
        .only(Platform::Windows),
    row("IPC failure, nothing left running", 1, kManifestInPlace + kConnectionInPlace + Expects{unreachable("Shared IPC Connect Failed After Multiple Attempts (308)"),
        {"runtime-refused", "Start the runtime"}, {"runtime-no-process-left", "No runtime process is left over: none "
        "runs from {rootbin}"}}).faults({{"initError", 308}}),
    row("the compositor failed", 1, kManifestInPlace + kConnectionInPlace + Expects{unreachable("Shared IPC Compositor Init Failed (303)"),
        {"runtime-compositor-failed", "compositor or the graphics driver failed, not a process left over. Connect "
        "the headset, update the graphics driver, then restart the runtime; the runtime's log is in {log}."}})
        .faults({{"initError", 303}}),
    row("the compositor's connection failed", 1, kManifestInPlace + kConnectionInPlace + Expects{{"runtime-unreachable",
        "(306)"}, {"runtime-compositor-failed", "compositor or the graphics driver failed, not a process left over"}})
        .faults({{"initError", 306}}),
    // Older runtimes name older interfaces in their client library.
    row("runtime older than the SDK", 1, kManifestInPlace + kConnectionInPlace + Expects{unreachable("Interface Not Found (105)"),
        {"runtime-older-than-sdk", "The runtime in {root} (build 1749156180, from {version}) is older than the "
        "OpenVR SDK 1.23.7 these tools were built with: its client library {rootlibrary} does not name "
        "IVRSystem_022. Update the runtime"}}).older("IVRSystem_022"),
    row("runtime without IVRApplications_007", 1, kManifestInPlace + kConnectionInPlace +
        Expects{{"applications-unavailable", "Applications interface unavailable: IVRApplications_007"},
        {"runtime-older-than-sdk", "(build 1749156180, from {version}) is older than the OpenVR SDK 1.23.7 these "
        "tools were built with: its client library {rootlibrary} does not name IVRApplications_007."}})
        .older("IVRApplications_007"),
    row("runtime that offers IVRApplications_007 and refuses it", 1, Expects{{"manifest-not-found",
        "Manifest not found"}} + kConnectionInPlace + Expects{{"applications-unavailable", "Applications interface "
        "unavailable: IVRApplications_007"}, {"runtime-refused-interface", "The runtime in {root} (build 1749156180) "
        "offers IVRApplications_007, as its client library {rootlibrary} names it, and refused it."}})
        .manifest(kMissing).faults({{"applicationsUnavailable", true}}),
    row("another runtime, without applications", 1, kManifestInPlace + kConnectionInPlace +
        Expects{{"applications-unavailable", "Applications interface unavailable: IVRApplications_007"},
        {"runtime-without-applications", "The runtime in {root} does not keep applications"}})
        .older("IVRApplications_007", kMissing),
    row("runtime older than the SDK, its version file a pipe", 1, kManifestInPlace + kConnectionInPlace +
        Expects{unreachable("Interface Not Found (105)"), {"runtime-refused", "so the runtime itself refused"}})
        .older("IVRSystem_022", kFifo).only(Platform::Linux),
    row("overlay flag absent", 3, kNotOverlay + kRegisteredInPlace)
        .manifest(replaced(kManifest, R"(, "is_dashboard_overlay": true)", "")),
    row("overlay flag \"yes\"", 3, kNotOverlay + kRegisteredInPlace).manifest(replaced(kManifest, "true", "\"yes\"")),
    row("overlay flag 1", 3, kNotOverlay + kRegisteredInPlace).manifest(replaced(kManifest, "true", "1")),
    row("binary reaching /usr through ..", 3, kBinaryNotFound + Expects{{"binary-under-usr", "under /usr"}} +
        kUnregistered).manifest(replaced(kManifest, "\"lumora\"", "\"/opt/../usr/bin/lumora\""))
        .store(Store::Empty).only(Platform::Linux),
    row("only the other platform's binary", 3, kBinaryNotFound + kRegisteredInPlace)
        .manifest(replaced(kManifest, "\"lumora\"", "\"gone\"")).only(Platform::Linux),
    row("only the other platform's binary", 3, kBinaryNotFound + kRegisteredInPlace)
        .manifest(replaced(kManifest, "lumora.exe", "gone.exe")).only(Platform::Windows),
    row("registered with a ./ component", 0, kInPlace).store(Store::HereDotted),
    row("auto-launch stored as false", 3, kManifestInPlace + kConnectionInPlace + Expects{{"app-key-registered",
        "App key registered"}, {"registered-here", "this manifest's folder"}, {"auto-launch-off", "Auto-launch is off"}})
        .store(Store::HereAutoLaunchFalse),
    row("a quote in the folder's name", 3, kManifestInPlace + kConnectionInPlace + Expects{{"app-key-not-registered",
        "Register it with: vrenlist {quoted:manifest}"}}).store(Store::Empty).folder("it's app"),
    row("binary in a subfolder", 0, kInPlace).manifest(kInSubfolder),
    row("a relative manifest argument", 0, kInPlace).relativeArgument(),
    row("a WorkingDirectory exactly 1024 bytes long", 0, kInPlace).folder("{folder of 1024}"),
    row("no WorkingDirectory, binary beside", 0, kManifestInPlace + kRegisteredWithBinary)
        .faults({{"workingDirectoryUnset", true}}),
    row("no WorkingDirectory, binary in a subfolder", 0, kManifestInPlace + kRegisteredWithBinary)
        .manifest(kInSubfolder).faults({{"workingDirectoryUnset", true}}),
    row("no WorkingDirectory, registered elsewhere", 3, kManifestInPlace + kConnectionInPlace + Expects{{
        "app-key-registered", "App key registered"}, {"registered-other-binary", "Registered with another binary: "},
        {"auto-launch-on", "Auto-launch enabled"}}).store(Store::Elsewhere).faults({{"workingDirectoryUnset", true}}),
    row("no WorkingDirectory nor BinaryPath", 3, Expects{{"manifest-app-key", "declares app key"},
        {"manifest-overlay", "makes the app"}, {"manifest-no-binary", "names no binary"}} + kConnectionInPlace +
        Expects{{"app-key-registered", "App key registered"}, {"registered-folder-unknown",
        "Runtime does not say which folder app key lumora.corvane is registered from. Name the app's binary for this "
        "platform in the manifest, then register it again with: vrenlist {quoted:manifest}"},
        {"auto-launch-on", "Auto-launch enabled"}})
        .manifest(kNoBinary).faults({{"workingDirectoryUnset", true}}),
    row("no WorkingDirectory, records not yet written", 0, kManifestInPlace + kRegisteredWithBinary +
        Expects{{"records-lag-registration", "not yet written this registration to its records, as it does on its own "
        "schedule: {appconfig}"}, {"records-lag-auto-launch", "not yet written auto-launch to its records, as it does "
        "on its own schedule: {options}"}}).store(Store::Empty).faults({{"workingDirectoryUnset", true},
        {"unwritten", {{"manifests", {"{manifest}"}}, {"autoLaunch", {{"lumora.corvane", true}}}}}}),
    // An app key that would print a line of its own.
    row("an app key holding a newline", 3, Expects{{"manifest-no-app-key",
        "it declares x\\x0A[INFO] Auto-launch enabled for app key: lumora.corvane. Set its"}} + kUnregistered)
        .manifest(replaced(kManifest, "\"lumora.corvane\"", "\"x\\n[INFO] Auto-launch enabled for app key: lumora.corvane\""))
        .store(Store::Empty),
    row("a folder name holding a newline", 0, Expects{{"manifest-app-key", "declares app key"}, {"manifest-overlay",
        "makes the app"}, {"binary-found", "line\\x0A[WARN] forged/lumora"}} + kConnectionInPlace +
        Expects{{"app-key-registered", "App key registered"}, {"registered-here", "line\\x0A[WARN] forged"},
        {"auto-launch-on", "Auto-launch enabled"}}).folder("line\n[WARN] forged").only(Platform::Linux),

    // The runtime not running: what it recorded answers.
    row("stopped, all in place", 0, kStopped + kRecordsInPlace).stopped(),
    row("stopped, another spelling of the path", 0, kStopped + Expects{{"records-listed", "Listed in the runtime's "
        "records: "}, {"records-auto-launch-on", "Auto-launch on"}}).stopped()
        .store(Store::HereOtherSpelling).only(Platform::Windows),
    row("stopped, nothing registered yet", 3, kStopped + Expects{{"records-list-missing", "The runtime's list of apps "
        "does not exist yet, so nothing is registered: {appconfig}. Register it with"}, {"records-auto-launch-off",
        "Auto-launch is not on in the runtime's records, {options}. Switch it on"}}).stopped(kMissing).store(Store::Empty),
    row("stopped, not listed", 3, kStopped + Expects{{"records-not-listed", "Not in the runtime's list of apps, "
        "{appconfig}. Register"}, {"records-auto-launch-off", "Auto-launch is not on"}}).stopped().store(Store::Empty),
    row("stopped, registered from another manifest", 3, kStopped + Expects{{"records-other-manifest", "Registered from "
        "another manifest: {oldpath}. Take that registration back with: vrdelist {quoted:oldpath}, then register this one"},
        {"records-not-listed", "Not in the runtime's list"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped().store(Store::Elsewhere),
    // The first listed holds the key; the runtime skips the other.
    row("stopped, listed first, another manifest after it", 0, kStopped + Expects{{"records-listed", "Listed"},
        {"records-listed-skipped", "Also listed, and skipped, as a manifest listed before it holds the app key: "
        "{oldpath}"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(R"({"manifest_paths": ["{manifest}", "{oldpath}"]})"),
    row("stopped, a listed manifest gone", 3, kStopped + Expects{{"records-listed-gone", "names a manifest that no "
        "longer exists: {gone}/lumora.vrmanifest. The runtime drops it at its next start"}} + kRecordsInPlace)
        .stopped(R"({"manifest_paths": ["{gone}/lumora.vrmanifest", "{manifest}"]})"),
    // One listed above this that vrcheck cannot read whole or parse may hold the key.
    row("stopped, a listed manifest above there but not JSON", 3, kStopped + kUncheckedAbove)
        .stopped(R"({"manifest_paths": ["{oldpath}", "{manifest}"]})").other("{"),
    row("stopped, a listed manifest above declaring the key, over 1 MiB", 3, kStopped + kUncheckedAbove)
        .stopped(R"({"manifest_paths": ["{oldpath}", "{manifest}"]})")
        .other(withMember(kManifest, "\"pad\": \"" + std::string(1100 * 1000, 'x') + "\"")),
    row("stopped, a listed manifest above declaring the key after a byte order mark", 3, kStopped +
        kUncheckedAbove).stopped(R"({"manifest_paths": ["{oldpath}", "{manifest}"]})").other("\xEF\xBB\xBF" + kManifest),
    row("stopped, this manifest listed twice", 0, kStopped + kRecordsInPlace)
        .stopped(R"({"manifest_paths": ["{manifest}", "{manifest}"]})"),
    row("stopped, the config folder from the first of two entries", 0, kStopped + kRecordsInPlace)
        .stopped().paths(paths("config", R"(["{config}", "{gone}"])")),
    row("stopped, auto-launch stored as false", 3, kStopped + Expects{{"records-listed", "Listed"},
        {"records-auto-launch-off", "Auto-launch is not on in the runtime's records"}})
        .stopped().store(Store::HereAutoLaunchFalse),
    row("stopped, auto-launch not stored", 3, kStopped + Expects{{"records-listed", "Listed"},
        {"records-auto-launch-off", "Auto-launch is not on in the runtime's records, {options}. Switch"}})
        .stopped().options(R"({"last_launch_time": "0"})"),
    row("stopped, auto-launch stored as text", 3, kStopped + Expects{{"records-listed", "Listed"},
        {"records-auto-launch-off", "Auto-launch is not on"}}).stopped().options(R"({"autolaunch": "true"})"),
    row("stopped, list with a byte order mark", 3, kStopped + Expects{{"records-list-unusable", "starts with a byte "
        "order mark, which the runtime cannot parse: {appconfig}. The runtime drops"}, {"records-auto-launch-on",
        "Auto-launch on"}}).stopped("\xEF\xBB\xBF" + kList),
    row("stopped, list in UTF-16", 3, kStopped + Expects{{"records-list-unusable", "is saved as UTF-16, which the "
        "runtime cannot parse: {appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(std::string("\xFF\xFE{\0}\0", 6)),
    row("stopped, list in UTF-16, big-endian", 3, kStopped + Expects{{"records-list-unusable", "is saved as UTF-16, "
        "which the runtime cannot parse: {appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(std::string("\xFE\xFF\0{\0}", 6)),
    row("stopped, list with a trailing comma", 3, kStopped + Expects{{"records-list-unusable", "is not JSON the "
        "runtime can parse, at line 1, column "}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(R"({"manifest_paths": ["{manifest}"],})"),
    row("stopped, list of numbers and objects", 3, kStopped + Expects{{"records-list-no-paths", "holds no list of "
        "paths in \"manifest_paths\": {appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(R"({"manifest_paths": [1, {"a": ["{manifest}"]}]})"),
    // What keeps this user or vrcheck from the list keeps no runtime from it.
    row("stopped, list huge", 3, kStopped + Expects{{"records-list-too-large", "is larger than 1 MiB, more than "
        "vrcheck reads: {appconfig}. Start the runtime"}, {"records-auto-launch-on", "Auto-launch on"}}).stopped(kHuge),
    row("stopped, list in a folder this user may not enter", 3, kStopped + Expects{{"records-list-closed", "The "
        "runtime's list of apps cannot be read: {appconfig}. This user may not enter {locked}; run as the user who "
        "wears the headset, or give this user access."}, {"records-auto-launch-off", "{options}: it cannot be read"},
        {"settings-unreadable", "{settings} cannot be read: this user may not enter {locked}"}})
        .stopped(kLocked).only(Platform::Linux),
    row("stopped, list not for this user to read", 3, kStopped + Expects{{"records-list-closed", "cannot be read: "
        "{appconfig}. This user may not read it; run as the user"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(kUnreadable).only(Platform::Linux),
    row("stopped, list a folder", 3, kStopped + Expects{{"records-list-unusable", "is not a regular file: "
        "{appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}}).stopped(kFolder),
    row("stopped, thousands of listed paths", 0, kStopped + kRecordsInPlace).stopped(thousandsOfPaths()),
    row("running, records not yet written", 0, kInPlace + Expects{{"records-lag-registration", "The runtime has not "
        "yet written this registration to its records"}, {"records-lag-auto-launch", "The runtime has not yet written "
        "auto-launch to its records"}}).store(Store::Empty)
        .faults({{"unwritten", {{"manifests", {"{manifest}"}}, {"autoLaunch", {{"lumora.corvane", true}}}}}}),

    // The way to the runtime, as the SDK's loader finds it.
    row("paths file missing", 1, kManifestInPlace + Expects{{"paths-file-missing", "Runtime paths file not found: "
        "{paths}, for user {user}. Start the runtime once as this user, which writes it.{roothint}"}, kNoPathsFile})
        .paths(kMissing),
    row("paths file missing, under sudo", 1, kManifestInPlace + Expects{{"paths-file-missing", "Start the runtime "
        "once as this user, which writes it. This runs as root or under sudo"}, kNoPathsFile})
        .paths(kMissing).env({{"SUDO_USER", "wearer"}}).only(Platform::Linux),
    row("paths file missing, elevated", 1, kManifestInPlace + Expects{{"paths-file-missing", "which writes it. This "
        "runs elevated, so it read the profile of "}, kNoPathsFile}).paths(kMissing).only(Platform::Windows),
    // su keeps the caller's USER, but the file read is root's.
    row("under su to root, USER kept", 0, kManifestInPlace + Expects{{"paths-file",
        "Runtime paths file: {paths}, for user root"}, {"runtime-folder", "Runtime folder"}} + kRegistrationInPlace)
        .env({{"USER", "alice"}}).rootOnly().only(Platform::Linux),
    row("paths file only in Steam's Flatpak", 1, kManifestInPlace + Expects{{"paths-file-missing", "not found: {paths}"},
        {"paths-file-in-flatpak", "Flatpak keeps its paths file in its sandbox: {flatpak}/.var/app/"
        "com.valvesoftware.Steam/.config/openvr/openvrpaths.vrpath. Point the tools at it, for example: "
        "VR_PATHREG_OVERRIDE='{flatpak}/.var/"}, kNoPathsFile})
        .paths(kMissing).env({{"HOME", "{flatpak}"}}).only(Platform::Linux),
    row("HOME empty", 0, kManifestInPlace + Expects{{"paths-file", "Runtime paths file: "
        ".config/openvr/openvrpaths.vrpath (in the working folder, as HOME is empty), for user "},
        {"runtime-folder", "Runtime folder: {root}"}} + kRegistrationInPlace)
        .env({{"HOME", ""}, {"XDG_CONFIG_HOME", ""}}).workingFolder("{cwd}").only(Platform::Linux),
    row("neither XDG_CONFIG_HOME nor HOME", 1, kManifestInPlace + Expects{{"paths-file-no-name", "No runtime paths "
        "file, as neither XDG_CONFIG_HOME nor HOME is set."}, kNoPathsFile})
        .env({{"HOME", kUnset}, {"XDG_CONFIG_HOME", kUnset}}).only(Platform::Linux),
    row("paths file in a folder this user may not enter", 1, kManifestInPlace + Expects{{"paths-file-folder-closed",
        "Runtime paths file cannot be read: {paths}, for user {user}. This user may not enter {locked};"}, kNoPathsFile})
        .paths(kLocked).only(Platform::Linux),
    row("paths file not for this user to read", 1, kManifestInPlace + Expects{{"paths-file-unreadable", "Runtime "
        "paths file cannot be read: {paths}, for user {user}. Run as the user who wears the headset"}, kNoPathsFile})
        .paths(kUnreadable).only(Platform::Linux),
    row("XDG_CONFIG_HOME empty", 1, kManifestInPlace + Expects{{"paths-file-missing", "not found: "
        "{home}/.config/openvr/openvrpaths.vrpath, for user"}, kNoPathsFile})
        .env({{"XDG_CONFIG_HOME", ""}}).only(Platform::Linux),
    row("paths file empty", 1, kManifestInPlace + Expects{{"paths-file-empty", "Runtime paths file is empty: {paths}"},
        kNoPathsFile}).paths(""),
    row("paths file not JSON", 1, kManifestInPlace + Expects{{"paths-file-not-json", "is not JSON: {paths}, at line 2, "
        "column 2"}, kNoPathsFile}).paths(replaced(kPaths, ", \"config\"", "\n \"config\"")),
    row("paths file not JSON after a comment", 1, kManifestInPlace + Expects{{"paths-file-not-json",
        "is not JSON: {paths}, at line 2, column 23"}, kNoPathsFile})
        .paths("// by hand\n/* a, b */ {\"runtime\" [\"{root}\"]}"),
    row("paths file with a byte order mark", 1, kManifestInPlace + Expects{{"paths-file-byte-order-mark",
        "byte order mark: {paths}. SDKs before 2.2.3 cannot read it"}} + kConnectionInPlace + Expects{kNoPathsFile})
        .paths("\xEF\xBB\xBF" + kPaths),
    row("paths file not JSON after a byte order mark", 1, kManifestInPlace + Expects{{"paths-file-byte-order-mark",
        "byte order mark"}, {"paths-file-not-json", "is not JSON: {paths}, at line 1, column 14"}, kNoPathsFile})
        .paths("\xEF\xBB\xBF{\"runtime\": [}"),
    row("paths file with comments", 0, kInPlace)
        .paths("// written by hand\n" + replaced(kPaths, "\"version\"", "/* read */ \"version\"")),
    row("paths file with text after the object", 0, kInPlace).paths(kPaths + " and then some"),
    row("paths file lists no runtime", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"paths-file-no-runtime", "lists no runtime folder: {paths}"}, unreachable("Installation Not Found (100)")})
        .paths(paths("root", "[]")),
    row("a stale runtime listed first", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-folder-not-found", "Runtime folder not found: {gone}, the first listed in {paths}. The SDK tries no "
        "other; the others listed are {bare} (no runtime there), {root} (a runtime folder), {layer} (a translation "
        "layer)"}, unreachable("Installation Not Found (100)")})
        .paths(paths("root", R"(["{gone}", "{bare}", "{root}", "{layer}"])")),
    row("runtime folder without bin", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-no-bin", "Runtime folder has no {bin}"}, unreachable("Installation Corrupt (101)")})
        .paths(paths("root", R"(["{bare}"])")),
    row("runtime folder with a file named bin", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-no-bin", "Runtime folder has no {binfile}"}, unreachable("Installation Corrupt (101)")})
        .paths(paths("root", R"(["{binfilefolder}"])")),
    row("runtime folder without its library", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-no-library", "client library not found: {library}"}, unreachable("vrclient Shared Lib Not Found (102)")})
        .paths(paths("root", R"(["{nolibrary}"])")),
    // The loader would open a pipe and wait for ever.
    row("runtime's client library a pipe", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-library-not-regular", "Runtime's client library is not a regular file: {pipelibrary}. Reinstall"}})
        .paths(paths("root", R"(["{piperoot}"])")).only(Platform::Linux),
    row("runtime's client library the zero device", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths "
        "file"}, {"runtime-library-not-regular", "not a regular file: {zerolibrary}"}})
        .paths(paths("root", R"(["{zeroroot}"])")).only(Platform::Linux),
    row("runtime's client library a folder", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-library-not-regular", "not a regular file: {folderlibrary}"}})
        .paths(paths("root", R"(["{folderroot}"])")),
    row("runtime entry empty", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"paths-file-empty-runtime", "first \"runtime\" entry is empty: {paths}"}, unreachable("Installation Not Found "
        "(100)")}).paths(paths("root", R"([""])")),
    row("config folder null", 1, kManifestInPlace + kConnectionInPlace + Expects{{"paths-list-not-folders",
        "\"config\" is not a list of folders: {paths}"}, unreachable("Config path could not be located (111)")})
        .paths(paths("config", "null")),
    row("config entry empty", 1, kManifestInPlace + kConnectionInPlace + Expects{{"paths-file-empty-config",
        "first \"config\" entry is empty: {paths}. The runtime refuses to start without a config folder (111)"},
        unreachable("Config path could not be located (111)")}).paths(paths("config", R"([""])")),
    row("no config folder", 1, kManifestInPlace + kConnectionInPlace + Expects{{"paths-file-no-config",
        "names no config folder: {paths}"}, unreachable("Config path could not be located (111)")})
        .paths(replaced(kPaths, R"(, "config": ["{config}"])", "")),
    row("no log folder", 1, kManifestInPlace + kConnectionInPlace + Expects{{"paths-file-no-log",
        "names no log folder: {paths}"}, unreachable("Log path could not be located (112)")})
        .paths(replaced(kPaths, R"(, "log": ["{log}"])", "")),
    row("log entry empty", 1, kManifestInPlace + kConnectionInPlace + Expects{{"paths-file-empty-log",
        "first \"log\" entry is empty: {paths}"}, unreachable("Log path could not be located (112)")})
        .paths(paths("log", R"([""])")),
    row("VR_PATHREG_OVERRIDE", 0, kManifestInPlace + Expects{{"paths-file", "Runtime paths file: {alternative} "
        "(from VR_PATHREG_OVERRIDE), for user"}, {"runtime-folder", "Runtime folder: {root}"}} + kRegistrationInPlace)
        .paths(kMissing).env({{"VR_PATHREG_OVERRIDE", "{alternative}"}}),
    row("VR_OVERRIDE over a stale entry", 0, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-folder", "Runtime folder: {root} (from VR_OVERRIDE)"}} + kRegistrationInPlace)
        .paths(paths("root", R"(["{gone}"])")).env({{"VR_OVERRIDE", "{root}"}}),
    row("VR_OVERRIDE naming a file", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-override-not-found", "Runtime folder not found: {alternative} (from VR_OVERRIDE). Set VR_OVERRIDE"},
        unreachable("Installation Not Found (100)")}).env({{"VR_OVERRIDE", "{alternative}"}}),
    row("VR_OVERRIDE empty", 0, kInPlace).env({{"VR_OVERRIDE", ""}}),
    row("VR_OVERRIDE alone, no paths file", 1, kManifestInPlace + Expects{{"paths-file-missing", "not found: {paths}"},
        {"runtime-folder", "Runtime folder: {root} (from VR_OVERRIDE)"}, kNoPathsFile})
        .paths(kMissing).env({{"VR_OVERRIDE", "{root}"}}),
    row("VR_CONFIG_PATH and VR_LOG_PATH", 0, kManifestInPlace + kConnectionInPlace + Expects{{"config-override",
        "Runtime config folder: {config} (from VR_CONFIG_PATH)"}, {"log-override",
        "Runtime log folder: {log} (from VR_LOG_PATH)"}} + kRegistrationInPlace)
        .paths(replaced(paths("config", "null"), R"(, "log": ["{log}"])", ""))
        .env({{"VR_CONFIG_PATH", "{config}"}, {"VR_LOG_PATH", "{log}"}}),
    row("every path overridden, no paths file", 0, kManifestInPlace + Expects{{"paths-file-not-needed",
        "Runtime paths file not needed"}, {"runtime-folder", "Runtime folder: {root} (from VR_OVERRIDE)"},
        {"config-override", "config folder"}, {"log-override", "log folder"}} + kRegistrationInPlace)
        .paths(kMissing).env({{"VR_OVERRIDE", "{root}"}, {"VR_CONFIG_PATH", "{config}"}, {"VR_LOG_PATH", "{log}"}}),
    row("paths file huge", 1, kManifestInPlace + Expects{{"paths-file-too-large",
        "Runtime paths file is larger than 1 MiB: {paths}"}, kNoPathsFile}).paths(kHuge),
    row("paths file a device", 1, kManifestInPlace + Expects{{"paths-file-not-regular",
        "Runtime paths file is not a regular file: {paths}"}}).paths(kDevice).only(Platform::Linux),
    // The loaders answer otherwise here: Linux's 110, the Windows DLL 100.
    row("runtime entry a nested list", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"paths-list-not-folders", "\"runtime\" is not a list of folders"}, kNoPathsFile})
        .paths(paths("root", R"([["{root}"]])")).only(Platform::Linux),
    row("runtime entry a nested list, Windows' loader", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"paths-list-not-folders", "\"runtime\" is not a list of folders"}, unreachable("Installation Not Found (100)")})
        .paths(paths("root", R"([["{root}"]])")).only(Platform::Windows),
    row("runtime entry an object", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"paths-list-not-folders", "\"runtime\" is not a list of folders"}, kNoPathsFile})
        .paths(paths("root", R"({"a": "b"})")),
    row("runtime entry thousands of characters long", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-folder-not-found", "Runtime folder not found: {gone}/xxxxxxxxxx"},
        unreachable("Installation Not Found (100)")})
        .paths(paths("root", "[\"{gone}/" + std::string(3000, 'x') + "\", \"{root}\"]")),
    row("runtime entry a number", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"paths-list-not-folders", "\"runtime\" is not a list of folders"}, unreachable("Installation Not Found (100)")})
        .paths(paths("root", "[1]")),
    // The vendor's loader reads its environment and loads the library in the
    // ANSI code page, which changes text outside ASCII.
    row("a runtime folder outside ASCII", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-folder-not-ansi", "loads the client library in {ansiroot} through the system's ANSI code page "
        "(1252), which changes its characters outside ASCII, so it cannot load it. Install"},
        unreachable("vrclient Shared Lib Not Found (102)")})
        .paths(paths("root", R"(["{ansiroot}"])")).only(Platform::Windows),
    row("VR_PATHREG_OVERRIDE outside ASCII", 1, kManifestInPlace + Expects{{"override-not-ansi", "reads "
        "VR_PATHREG_OVERRIDE in the system's ANSI code page (1252), which changes its characters outside ASCII: "
        "{ansipaths}. Set it"}, {"paths-file", "Runtime paths file: {ansipaths} (from VR_PATHREG_OVERRIDE)"},
        {"runtime-folder", "Runtime folder: {root}"}, kNoPathsFile})
        .paths(kMissing).env({{"VR_PATHREG_OVERRIDE", "{ansipaths}"}}).only(Platform::Windows),

    // A translation layer listed as the runtime is never loaded.
    row("OpenComposite listed first", 3, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-translation-layer", "Runtime folder holds OpenComposite, a translation layer: {opencomposite} has "
        "the client library {oclibrary} but no server program {ocserver}. It accepts a manifest and forgets it, and "
        "keeps no auto-launch, so the app cannot start with the runtime while it comes first. Install the vendor's "
        "runtime (SteamVR) and start it once, which lists it first in {paths}. Registrations live"}})
        .paths(paths("root", R"(["{opencomposite}"])")),
    row("a nameless translation layer", 3, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-translation-layer", "Runtime folder holds a translation layer such as OpenComposite or xrizer: "
        "{layer} has"}}).paths(paths("root", R"(["{layer}"])")),
    row("a translation layer first, the vendor's runtime second", 3, kManifestInPlace + Expects{{"paths-file",
        "Runtime paths file"}, {"runtime-translation-layer", "Put {root}, which holds the vendor's runtime, first in "
        "{paths}. Registrations live in the vendor's runtime's records and apply whenever it is the runtime, so you "
        "may switch back to the layer for games afterwards."}, {"vendor-records", "The layer is not loaded; the "
        "records of the runtime in {root} answer, in {config}"}} + kRecordsInPlace)
        .paths(paths("root", R"(["{layer}", "{root}"])")),
    row("VR_OVERRIDE naming a translation layer", 3, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-translation-layer", "{layer} (from VR_OVERRIDE) has the client library {layerlibrary} but no server "
        "program {layerserver}. It accepts a manifest and forgets it, and keeps no auto-launch, so the app cannot start with the "
        "runtime while it comes first. Unset VR_OVERRIDE, and the SDK loads the vendor's runtime listed first in "
        "{paths}: {root}."}, {"vendor-records", "records of the runtime in {root} answer"}} + kRecordsInPlace)
        .env({{"VR_OVERRIDE", "{layer}"}}),
    // As OpenComposite writes it: no config or log folder, which the layer
    // does not need, and no vendor's runtime.
    row("a translation layer's own paths file", 3, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-translation-layer", "OpenComposite, a translation layer: {opencomposite} has"}})
        .paths(R"({"runtime": ["{opencomposite}"], "version": 1})"),
    row("the vendor's runtime first, a translation layer second", 0, kInPlace)
        .paths(paths("root", R"(["{root}", "{layer}"])")),

    // Hostile files: each ends by itself, and says which file is at fault.
    row("manifest nested deep, lists", 3, Expects{{"manifest-too-deep", "Manifest nests deeper than the runtime reads "
        "(1000 levels): {manifest}"}} + kUnregistered).manifest(deepArrays()).store(Store::Empty),
    row("manifest nested deep, objects", 3, Expects{{"manifest-too-deep", "nests deeper"}} + kUnregistered)
        .manifest(deepObjects()).store(Store::Empty),
    row("manifest nested deep inside a good value", 3, Expects{{"manifest-too-deep", "nests deeper"}} + kUnregistered)
        .manifest(withMember(kManifest, "\"x\": " + deepArrays())).store(Store::Empty),
    row("manifest 1000 levels deep", 0, kInPlace)
        .manifest(withMember(kManifest, "\"x\": " + std::string(999, '[') + std::string(999, ']'))),
    row("manifest 1001 levels deep", 3, Expects{{"manifest-too-deep", "nests deeper"}} + kUnregistered)
        .manifest(withMember(kManifest, "\"x\": " + std::string(1000, '[') + std::string(1000, ']'))).store(Store::Empty),
    row("manifest a pipe", 3, Expects{{"manifest-not-regular", "not a regular file: {manifest}"}} + kUnregistered)
        .manifest(kFifo).store(Store::Empty).only(Platform::Linux),
    row("manifest the zero device", 3, Expects{{"manifest-not-regular", "not a regular file: {manifest}"}} +
        kUnregistered).manifest(kZero).store(Store::Empty).only(Platform::Linux),
    row("manifest a pipe", 3, Expects{{"manifest-not-found", "not found: {manifest}"}} + kUnregistered)
        .manifest(kFifo).store(Store::Empty).only(Platform::Windows),
    row("manifest with NUL bytes", 3, Expects{{"manifest-not-json", "not JSON in UTF-8: {manifest}"}} + kUnregistered)
        .manifest(std::string("{\"applications\": [\0]}", 21)).store(Store::Empty),
    row("manifest with a number out of range", 3, Expects{{"manifest-not-json", "not JSON"}} + kUnregistered)
        .manifest(withMember(kManifest, "\"x\": 1e400")).store(Store::Empty),
    row("manifest with a duplicate key", 3, Expects{{"manifest-no-app-key", "it declares none"}} + kUnregistered)
        .manifest(withMember(kManifest, "\"applications\": []")).store(Store::Empty),
    row("manifest only whitespace", 3, Expects{{"manifest-not-json", "not JSON"}} + kUnregistered)
        .manifest(" \n\t ").store(Store::Empty),
    row("manifest null", 3, Expects{{"manifest-not-object", "Manifest is not a JSON object: {manifest}"}} +
        kUnregistered).manifest("null").store(Store::Empty),
    row("paths file nested deep, lists", 1, kManifestInPlace + Expects{{"paths-file-too-deep", "Runtime paths file "
        "nests deeper than the SDK reads (1000 levels): {paths}"}, kNoPathsFile}).paths(deepArrays()),
    row("paths file nested deep, objects", 1, kManifestInPlace + Expects{{"paths-file-too-deep", "nests deeper"},
        kNoPathsFile}).paths(deepObjects()),
    row("paths file nested deep inside a good value", 1, kManifestInPlace + Expects{{"paths-file-too-deep",
        "nests deeper"}, kNoPathsFile}).paths(withMember(kPaths, "\"x\": " + deepArrays())),
    row("paths file a pipe", 1, kManifestInPlace + Expects{{"paths-file-not-regular", "not a regular file: {paths}"}})
        .paths(kFifo).only(Platform::Linux),
    row("paths file the zero device", 1, kManifestInPlace + Expects{{"paths-file-not-regular",
        "not a regular file: {paths}"}}).paths(kZero).only(Platform::Linux),
    row("paths file a pipe", 1, kManifestInPlace + Expects{{"paths-file-missing", "not found: {paths}"}, kNoPathsFile})
        .paths(kFifo).only(Platform::Windows),
    row("paths file a pipe, every path overridden", 1, kManifestInPlace + Expects{{"paths-file-not-regular",
        "not a regular file: {paths}"}, {"runtime-folder", "(from VR_OVERRIDE)"}, {"config-override", "config folder"},
        {"log-override", "log folder"}}).paths(kFifo).env({{"VR_OVERRIDE", "{root}"}, {"VR_CONFIG_PATH", "{config}"},
        {"VR_LOG_PATH", "{log}"}}).only(Platform::Linux),
    row("paths file with NUL bytes", 1, kManifestInPlace + Expects{{"paths-file-not-json", "not JSON: {paths}"},
        kNoPathsFile}).paths(withMember(kPaths, std::string("\0", 1) + "\"x\": 1")),
    row("paths file with a byte that is no UTF-8", 1, kManifestInPlace + Expects{{"paths-file-not-json",
        "not JSON: {paths}"}, kNoPathsFile}).paths(withMember(kPaths, "\"x\": \xE9")),
    row("paths file with a number out of range", 1, kManifestInPlace + Expects{{"paths-file-not-json",
        "not JSON: {paths}"}, kNoPathsFile}).paths(withMember(kPaths, "\"x\": 1e400")),
    // Both readers keep the last of two.
    row("paths file naming the runtime twice", 1, kManifestInPlace + Expects{{"paths-file", "Runtime paths file"},
        {"runtime-folder-not-found", "Runtime folder not found: {gone}, the first listed in {paths}"},
        unreachable("Installation Not Found (100)")}).paths(withMember(kPaths, R"("runtime": ["{gone}"])")),
    row("paths file only whitespace", 1, kManifestInPlace + Expects{{"paths-file-not-json", "not JSON: {paths}"},
        kNoPathsFile}).paths(" \n\t "),
    row("paths file null", 1, kManifestInPlace + Expects{{"paths-file-not-object", "not a JSON object: {paths}"},
        unreachable("Installation Not Found (100)")}).paths("null"),
    row("stopped, list nested deep, lists", 3, kStopped + Expects{{"records-list-unusable", "nests deeper than the "
        "runtime reads (1000 levels): {appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}}).stopped(deepArrays()),
    row("stopped, list nested deep, objects", 3, kStopped + Expects{{"records-list-unusable", "nests deeper"},
        {"records-auto-launch-on", "Auto-launch on"}}).stopped(deepObjects()),
    row("stopped, list nested deep inside a good value", 3, kStopped + Expects{{"records-list-unusable",
        "nests deeper"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(withMember(kList, "\"x\": " + deepArrays())),
    row("stopped, list nested deep inside its paths", 3, kStopped + Expects{{"records-list-unusable",
        "nests deeper"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(R"({"manifest_paths": ["{manifest}", )" + deepArrays() + "]}"),
    row("stopped, list a pipe", 3, kStopped + Expects{{"records-list-unusable", "is not a regular file: {appconfig}"},
        {"records-auto-launch-on", "Auto-launch on"}}).stopped(kFifo).only(Platform::Linux),
    row("stopped, list the zero device", 3, kStopped + Expects{{"records-list-unusable", "is not a regular file: "
        "{appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}}).stopped(kZero).only(Platform::Linux),
    row("stopped, list a pipe", 3, kStopped + Expects{{"records-list-missing", "does not exist yet, so nothing is "
        "registered: {appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}}).stopped(kFifo).only(Platform::Windows),
    row("stopped, list with NUL bytes", 3, kStopped + Expects{{"records-list-unusable", "is not JSON the runtime can "
        "parse, at line 1, column "}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(withMember(kList, std::string("\0", 1))),
    row("stopped, list with a byte that is no UTF-8", 3, kStopped + Expects{{"records-list-unusable", "is not JSON"},
        {"records-auto-launch-on", "Auto-launch on"}}).stopped(withMember(kList, "\"x\": \xE9")),
    row("stopped, list with a number out of range", 3, kStopped + Expects{{"records-list-unusable", "is not JSON"},
        {"records-auto-launch-on", "Auto-launch on"}}).stopped(withMember(kList, "\"x\": -1e400")),
    row("stopped, list with its paths twice", 3, kStopped + Expects{{"records-not-listed", "Not in the runtime's list "
        "of apps, {appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(withMember(kList, R"("manifest_paths": [])")),
    row("stopped, list only whitespace", 3, kStopped + Expects{{"records-list-unusable", "is not JSON"},
        {"records-auto-launch-on", "Auto-launch on"}}).stopped(" \n "),
    row("stopped, list null", 3, kStopped + Expects{{"records-list-no-paths", "holds no list of paths in "
        "\"manifest_paths\": {appconfig}"}, {"records-auto-launch-on", "Auto-launch on"}}).stopped("null"),
    row("stopped, options nested deep", 3, kStopped + Expects{{"records-listed", "Listed"}, {"records-auto-launch-off",
        "Auto-launch is not on in the runtime's records, {options}: it nests deeper than the runtime reads (1000 "
        "levels). Switch it on"}}).stopped().options(deepArrays()),
    row("stopped, options nested deep inside a good value", 3, kStopped + Expects{{"records-listed", "Listed"},
        {"records-auto-launch-off", "{options}: it nests deeper"}})
        .stopped().options(withMember(kOptions, "\"x\": " + deepObjects())),
    row("stopped, options a pipe", 3, kStopped + Expects{{"records-listed", "Listed"}, {"records-auto-launch-off",
        "{options}: it is not a regular file. Switch"}}).stopped().options(kFifo).only(Platform::Linux),
    row("stopped, options the zero device", 3, kStopped + Expects{{"records-listed", "Listed"},
        {"records-auto-launch-off", "{options}: it is not a regular file. Switch"}})
        .stopped().options(kZero).only(Platform::Linux),
    row("stopped, options with NUL bytes", 3, kStopped + Expects{{"records-listed", "Listed"},
        {"records-auto-launch-off", "{options}: it is not JSON"}}).stopped().options(std::string("{\0}", 3)),
    row("stopped, options with a duplicate key", 3, kStopped + Expects{{"records-listed", "Listed"},
        {"records-auto-launch-off", "Auto-launch is not on in the runtime's records, {options}. Switch"}})
        .stopped().options(withMember(kOptions, "\"autolaunch\": false")),
    row("stopped, options null", 3, kStopped + Expects{{"records-listed", "Listed"},
        {"records-auto-launch-off", "{options}. Switch"}}).stopped().options("null"),
    row("stopped, a listed manifest above nested deep", 3, kStopped + kUncheckedAbove)
        .stopped(R"({"manifest_paths": ["{oldpath}", "{manifest}"]})").other(deepObjects()),
    row("stopped, a listed manifest above a pipe", 3, kStopped + kUncheckedAbove)
        .stopped(R"({"manifest_paths": ["{oldpath}", "{manifest}"]})").other(kFifo).only(Platform::Linux),
    // One huge manifest listed a thousand times is read once.
    row("stopped, one huge manifest listed a thousand times", 0, kStopped + Expects{{"records-listed", "Listed"},
        {"records-listed-skipped", "skipped, as a manifest listed before it holds the app key: {oldpath}"},
        {"records-auto-launch-on", "Auto-launch on"}}).stopped("{a thousand times}")
        .other(withMember(kManifest, "\"pad\": \"" + std::string(1000 * 1000, 'x') + "\"")),
    // Many manifests of a megabyte are not all read: a check stays short.
    row("stopped, more listed manifests than are read", 0, kStopped + Expects{{"records-listed", "Listed"},
        {"records-reading-stopped", "Stopped reading the manifests listed in {appconfig} after 8 MiB; those further "
        "down were not checked"}, {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(R"({"manifest_paths": ["{manifest}", )" + spellingsOfOldPath(12) + R"("{oldpath}"]})")
        .other(withMember(R"({"applications": [{"app_key": "other.app"}]})",
                          "\"pad\": \"" + std::string(1000 * 1000, 'x') + "\"")),
    // Any of those left unread above this one could hold the key.
    row("stopped, more listed manifests than are read, above this one", 3, kStopped + Expects{{"records-listed",
        "Listed"}, {"records-unchecked-above", "Stopped reading the manifests listed in {appconfig} after 8 MiB, "
        "before this one: one listed above it may hold the app key. Start the runtime"},
        {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(R"({"manifest_paths": [)" + spellingsOfOldPath(12) + R"("{manifest}"]})")
        .other(withMember(R"({"applications": [{"app_key": "other.app"}]})",
                          "\"pad\": \"" + std::string(1000 * 1000, 'x') + "\"")),
    row("stopped, more listed manifests than are read, this one not listed", 3, kStopped + Expects{
        {"records-reading-stopped", "Stopped reading"}, {"records-not-listed", "Not in the runtime's list"},
        {"records-auto-launch-on", "Auto-launch on"}})
        .stopped(R"({"manifest_paths": [)" + spellingsOfOldPath(12) + R"("{oldpath}"]})")
        .other(withMember(R"({"applications": [{"app_key": "other.app"}]})",
                          "\"pad\": \"" + std::string(1000 * 1000, 'x') + "\"")),
    // Files too large to be manifests are not read, so they use up none of that.
    row("stopped, huge files listed before another manifest", 3, kStopped + Expects{{"records-other-manifest",
        "Registered from another manifest: {otherold}"}, {"records-listed", "Listed"}, {"records-auto-launch-on",
        "Auto-launch on"}}).stopped(R"({"manifest_paths": [)" + spellingsOfOldPath(5) + R"("{otherold}", "{manifest}"]})")
        .other(kHuge),

    // The app left running from an earlier session keeps a stopped runtime from starting it again.
    row("stopped, the app left running", 3, kStopped + kRecordsInPlace + Expects{{"app-process-left", "The app is "
        "still running, left from an earlier session: {app} (process {appid}, user "}}).stopped().appRunning(AppRun::Here),
    row("the app running with the runtime", 0, kInPlace).appRunning(AppRun::Here),
    row("stopped, a program of the app's name running elsewhere", 0, kStopped + kRecordsInPlace)
        .stopped().appRunning(AppRun::Elsewhere),
    row("stopped, processes ending while they are read", 0, kStopped + kRecordsInPlace)
        .stopped().appRunning(AppRun::Ending).only(Platform::Linux),
    // The runtime starts apps where an AppImage cannot mount itself.
    row("stopped, the binary an AppImage of type 1", 3, kManifestInPlace + Expects{{"binary-appimage", "Binary is an "
        "AppImage (type 1): {binary}. The runtime starts apps inside a container without FUSE"}} + kConnectionInPlace +
        Expects{{"runtime-stopped", "Runtime not running"}} + kRecordsInPlace)
        .stopped().binary(kAppImage1).only(Platform::Linux),
    row("the binary an AppImage of type 2", 3, kManifestInPlace + Expects{{"binary-appimage", "Binary is an AppImage "
        "(type 2): {binary}. The runtime starts apps inside a container without FUSE (the Steam Runtime's, or Flatpak "
        "Steam's sandbox), where an AppImage cannot mount itself, so the app never starts. Extract it (run it once with "
        "--appimage-extract), and point binary_path_linux at the extracted program"}} + kRegisteredInPlace)
        .binary(kAppImage2).only(Platform::Linux),
    row("the binary a plain ELF program", 0, kInPlace).binary(kPlainElf).only(Platform::Linux),
    row("stopped, the binary a pipe", 3, kBinaryNotFound + kConnectionInPlace + Expects{{"runtime-stopped", "Runtime "
        "not running"}} + kRecordsInPlace).stopped().binary(kFifo).only(Platform::Linux),

    // The runtime's settings, as it writes them: three keep every overlay app from starting.
    row("settings start no overlay app", 3, kInPlace + Expects{{"settings-overlays-not-started",
        "setting \"startOverlayAppsFromDashboard\" in \"steamvr\" is false in {settings}: the dashboard starts no "
        "overlay app, so the app does not start with the runtime. Set it to true"}, {"settings-dashboard-off",
        "\"enableDashboard\" in \"dashboard\" is false"}, {"settings-dashboard-not-started",
        "\"startDashboardFromAppLaunch\" in \"steamvr\" is false"}}).settings(kSettingsOff),
    row("stopped, settings without a dashboard", 3, kStopped + kRecordsInPlace + Expects{{"settings-dashboard-off",
        "\"enableDashboard\" in \"dashboard\" is false in {settings}"}})
        .stopped().settings(R"({"dashboard": {"enableDashboard": false}})"),
    row("settings true, elsewhere, or no booleans", 0, kInPlace).settings(R"({"steamvr": {"startOverlayApps)"
        R"(FromDashboard": true, "startDashboardFromAppLaunch": "false"}, "dashboard": {"enableDashboard": 0},)"
        R"( "driver_null": {"enableDashboard": false}, "enableDashboard": false})"),
    row("settings not JSON", 0, kInPlace + Expects{{"settings-unreadable", "The runtime's settings were not "
        "checked: {settings} is not JSON the runtime can parse, at line 1"}}).settings(R"({"steamvr": {)"),
    row("settings nested deep", 0, kInPlace + Expects{{"settings-unreadable", "{settings} nests deeper"}})
        .settings(deepArrays()),
    row("settings not for this user to read", 0, kInPlace + Expects{{"settings-unreadable",
        "{settings} cannot be read"}}).settings(kUnreadable).only(Platform::Linux),

    // What the runtime wrote in its log at its latest start: its word on this manifest, and on
    // starting the app; other apps' lines say nothing.
    row("log, this manifest skipped", 3, kInPlace + Expects{{"log-manifest-refused", "The runtime's log says it "
        "refused this manifest at Thu Sep 17 2026 03:36:16.589241: \"{manifest} - App lumora.corvane binary_path "
        "/usr/bin/lumora is invalid. Skipping\" ({logfile}). Fix what it names, then restart the runtime, or "
        "register again with: vrenlist {quoted:manifest}"}}).log(kLogSkipped),
    row("log, refused, added again, started, in the older format", 0, kInPlace + Expects{{"log-launch-started",
        "started the app at Sun Sep 09 2018 12:57:58.100: \"Started auto launch dashboard lumora.corvane.\""}})
        .log(kLogAddedAgain),
    row("stopped, log, a manifest that does not parse and a start given up", 3, kStopped + kRecordsInPlace +
        Expects{{"log-manifest-refused", ": \"{manifest} - Errors when parsing manifest file:\n* Line 3, Column 5\n"
        "  Missing ',' or '}' in object declaration\" ("}, {"log-launch-failed", "tried to start the app at Thu Sep 17 "
        "2026 03:36:20.000001 and the app did not stay running: \"Auto launch dashboard lumora.corvane has not "
        "started after 10 checks. Giving up waiting.\""}}).stopped().log(kLogGaveUp),
    // The latest complaint, found by the manifest's name in other letters alone, quoted without its CRs.
    row("log, Windows' letter case and line ends", 3, kInPlace + Expects{{"log-manifest-refused", "at Thu Sep 17 "
        "2026 03:36:16.590: \"{manifestupper} - Errors when parsing manifest file:\n* Line 3, Column 5\n  Missing ',' "
        "or '}' in object declaration\" ("}, {"log-launch-failed",
        "\"Tried to start binary process C:\\lumora.exe  (working directory C:\\) as app lumora.corvane but it "
        "failed\""}}).log(kLogWindows).only(Platform::Windows),
    row("log of 64 MiB, longer than is read whole", 3, kInPlace + Expects{{"log-manifest-refused", "No applications in "
        "manifest"}}).log(kLongLog).only(Platform::Linux),
    row("log hostile: a line of megabytes, NUL bytes, bytes that are no UTF-8", 0, kInPlace).log(kHostileLog),
    row("log, other apps of this manifest skipped", 0, kInPlace).log(kLogOtherApps),
    row("stopped, log, other apps of this manifest skipped", 0, kStopped + kRecordsInPlace).stopped().log(kLogOtherApps),
    // Only whole lines count: neither part's cut lines, nor a last line still being written.
    row("log longer than is read whole, cut inside lines", 3, kInPlace + Expects{{"log-manifest-refused",
        "refused this manifest at Thu Sep 17 2026 03:50:00.000001: \"{manifest} - No applications in manifest\" ("}})
        .log(kCutLog),
    // What Windows itself keeps from starting: an elevation the runtime
    // cannot give, a Store package's folder.
    row("binary marked to run as administrator", 3, kManifestInPlace + Expects{{"binary-marked-administrator",
        "Binary is marked to run as administrator (~ RUNASADMIN in " + kLayers + "): "}} + kRegisteredInPlace)
        .binary(kMarkedAdministrator).only(Platform::Windows),
    // The fix names the value as the registry holds it, not as the manifest spells the binary.
    row("binary in a subfolder marked to run as administrator", 3, kManifestInPlace + Expects{{
        "binary-marked-administrator", "or: reg \"delete\" \"" + kLayers + "\" \"/v\" \"{marked}\" \"/f\""}} +
        kRegisteredInPlace).manifest(kInSubfolder).binary(kMarkedAdministrator).only(Platform::Windows),
    row("binary asking to run elevated", 3, kManifestInPlace + Expects{{"binary-asks-elevation", "Binary asks to run "
        "elevated in its manifest (highestAvailable): "}} + kRegisteredInPlace)
        .binary(kAsksElevation).only(Platform::Windows),
    row("binary requiring administrator", 3, kManifestInPlace + Expects{{"binary-asks-elevation", "Binary asks to "
        "run elevated in its manifest (requireAdministrator): "}} + kRegisteredInPlace)
        .binary(kRequiresAdministrator).only(Platform::Windows),
    row("in a Store package's folder", 3, kManifestInPlace + Expects{{"store-package-folder", "Manifest lies in a "
        "Store (MSIX) package folder, WindowsApps: {manifest}, which the runtime can neither read nor start from."}} +
        kRegisteredInPlace).folder("windowsapps/Lumora_1.0.0.0_x64__8wekyb3d8bbwe").only(Platform::Windows),
    row("log a pipe", 0, kInPlace + Expects{{"log-unread", "The runtime's log was not read: {logfile}: it is not a "
        "regular file"}}).log(kFifo).only(Platform::Linux),
};
// clang-format on

// A row's test name: its words, with what a name cannot hold as '_'.
std::string testName(const std::string& what) {
  std::string name;
  for (const char c : what) {
    const bool word = std::isalnum(static_cast<unsigned char>(c)) != 0;
    if (word) name += c;
    if (!word && !name.empty() && name.back() != '_') name += '_';
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name;
}

struct Row {
  Platform platform;
  std::size_t index;
};

// What ctest's names and gtest's messages show of a row.
void PrintTo(const Row& row, std::ostream* out) { *out << testName(kSituations[row.index].what); }

std::vector<Row> rowsFor(Platform platform) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < kSituations.size(); ++i) {
    if (!kSituations[i].onlyOn || kSituations[i].onlyOn == platform) rows.push_back({platform, i});
  }
  return rows;
}

// As the one-line logger shows a text: the rows' values hold no other
// control character than a newline.
std::string asLogged(const std::string& text) { return replaced(text, "\n", "\\x0A"); }

// The name of the user the tools run as, as they tell it: USER only when
// it names that user.
std::string effectiveUser() {
  const char* user = std::getenv("USER");
  const passwd* named = user != nullptr ? getpwnam(user) : nullptr;
  if (named != nullptr && named->pw_uid == geteuid()) return user;
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr ? entry->pw_name : "";
}

class VrcheckTest : public ::testing::WithParamInterface<Row>, public ToolTestBase {
 protected:
  VrcheckTest() : ToolTestBase("vrcheck", GetParam().platform) {}

  const Situation& situation() const { return kSituations[GetParam().index]; }

  // Folders that rows name in paths files, environments and findings: a
  // runtime that is gone, one without bin, one without its library, a good
  // paths file elsewhere, a home holding Steam's Flatpak, translation
  // layers, an earlier install.
  void SetUp() override {
    const std::filesystem::path scratch = runtime.scratch();
    const bool windows = platform() == Platform::Windows;
    const std::filesystem::path bin = windows ? "bin" : std::filesystem::path("bin/linux64");
    const char* libraryName = windows ? "vrclient_x64.dll" : "vrclient.so";
    const std::filesystem::path server =
        windows ? "bin/win64/vrserver.exe" : "bin/linux64/vrserver";
    std::filesystem::create_directories(scratch / "bare");
    std::filesystem::create_directories(scratch / "no library" / bin);
    std::filesystem::create_directories(scratch / "bin file");
    std::ofstream(scratch / "bin file" / "bin").put('\0');
    const std::filesystem::path flatpak =
        scratch / "flatpak/.var/app/com.valvesoftware.Steam/.config/openvr";
    std::filesystem::create_directories(flatpak);
    const std::filesystem::path oldFolder = scratch / "old";
    std::filesystem::create_directories(oldFolder);
    const std::map<std::string, std::filesystem::path> folders = {
        {"root", runtime.root()},
        {"rootbin", runtime.root() / "bin"},
        {"rootlibrary", runtime.root() / bin / libraryName},
        {"version", runtime.root() / "bin" / "version.txt"},
        {"config", runtime.configFolder()},
        {"appconfig", runtime.configFolder() / "appconfig.json"},
        {"options", runtime.configFolder() / "vrappconfig" / "lumora.corvane.vrappconfig"},
        {"settings", runtime.configFolder() / "steamvr.vrsettings"},
        {"log", scratch / "log"},
        {"logfile", scratch / "log" / "vrserver.txt"},
        {"gone", scratch / "gone 'ü' 日本"},
        {"bare", scratch / "bare"},
        {"bin", scratch / "bare" / bin},
        {"binfilefolder", scratch / "bin file"},
        {"binfile", scratch / "bin file" / "bin"},
        {"nolibrary", scratch / "no library"},
        {"library", scratch / "no library" / bin / libraryName},
        {"alternative", scratch / "alternative.vrpath"},
        {"flatpak", scratch / "flatpak"},
        {"oldfolder", oldFolder},
        {"oldpath", oldFolder / "lumora.vrmanifest"},
        {"otherold", oldFolder / "lumora-1.vrmanifest"},
        {"layer", scratch / "layer"},
        {"layerlibrary", scratch / "layer" / bin / libraryName},
        {"layerserver", scratch / "layer" / server},
        {"opencomposite", scratch / "opencomposite"},
        {"oclibrary", scratch / "opencomposite" / bin / libraryName},
        {"ocserver", scratch / "opencomposite" / server},
        {"piperoot", scratch / "pipe library"},
        {"pipelibrary", scratch / "pipe library" / bin / libraryName},
        {"zeroroot", scratch / "zero library"},
        {"zerolibrary", scratch / "zero library" / bin / libraryName},
        {"folderroot", scratch / "folder library"},
        {"folderlibrary", scratch / "folder library" / bin / libraryName},
        {"ansiroot", scratch / "rt 日本" / "root"},
        {"ansipaths", scratch / "José-日本.vrpath"},
        {"home", runtime.home()},
        {"cwd", scratch / "cwd"}};
    for (const auto& [name, folder] : folders) placeholders_["{" + name + "}"] = argument(folder);
    placeholders_["{paths}"] = runtime.pathRegistryName();
    placeholders_["{user}"] = windows ? wineUserProfile().filename().string() : effectiveUser();
    placeholders_["{roothint}"] = geteuid() == 0 && platform() == Platform::Linux
                                      ? " This runs as root or under sudo, so it read root's file"
                                      : "";
    std::ofstream(flatpak / "openvrpaths.vrpath") << expanded(kPaths, true);
    std::ofstream(folders.at("alternative")) << expanded(kPaths, true);
    std::ofstream(folders.at("ansipaths")) << expanded(kPaths, true);
    writeFile(folders.at("oldpath"),
              situation().otherText.empty() ? kManifest : situation().otherText);
    writeFile(folders.at("otherold"), kManifest);
    layOutRuntimes(scratch, bin, libraryName, server);
  }

  // Translation layers are the stand-in's library without a server, so
  // that loading one would show in its journal; one names itself
  // OpenComposite past the first MiB, as its builds do. Laid out only for
  // the rows that name them: the copy is megabytes.
  void layOutRuntimes(const std::filesystem::path& scratch, const std::filesystem::path& bin,
                      const char* libraryName, const std::filesystem::path& server) const {
    std::string text = situation().pathsText;
    for (const auto& [name, value] : situation().environment) text += value;
    const std::filesystem::path library = standinLibrary(platform());
    if (text.find("{layer}") != std::string::npos) {
      std::filesystem::create_directories(scratch / "layer" / bin);
      std::filesystem::create_symlink(library, scratch / "layer" / bin / libraryName);
    }
    if (text.find("{opencomposite}") != std::string::npos) {
      std::filesystem::create_directories(scratch / "opencomposite" / bin);
      const std::filesystem::path copy = scratch / "opencomposite" / bin / libraryName;
      std::filesystem::copy_file(library, copy);
      std::ofstream(copy, std::ios::app | std::ios::binary)
          << std::string(1536 * 1024, '\0') << "OpenComposite";
    }
    for (const auto& [kind, marker] : {std::pair{"pipe", kFifo}, {"zero", kZero}, {"folder", kFolder}}) {
      if (text.find("{" + std::string(kind) + "root}") == std::string::npos) continue;
      const std::filesystem::path root = scratch / (std::string(kind) + " library");
      writeFile(root / server, "");
      writeFile(root / bin / libraryName, marker);
    }
    if (text.find("{ansiroot}") != std::string::npos) {
      const std::filesystem::path ansiRoot = scratch / "rt 日本" / "root";
      std::filesystem::create_directories(ansiRoot / bin);
      std::filesystem::create_symlink(library, ansiRoot / bin / libraryName);
      std::filesystem::create_directories(ansiRoot / "bin" / "win64");
      std::ofstream(ansiRoot / "bin" / "win64" / "vrserver.exe").put('\0');
    }
  }

  // text with each {name} replaced by its path, {quoted:name} by the path
  // quoted for the shell; as JSON string contents for a paths file.
  std::string expanded(std::string text, bool json = false) const {
    for (const auto& [name, path] : placeholders_) {
      text = replaced(text, "{quoted:" + name.substr(1), quoted(path));
      const std::string value = json ? nlohmann::json(path).dump() : path;
      text = replaced(text, name, json ? value.substr(1, value.size() - 2) : value);
    }
    return text;
  }

  // Writes text to file, or what a marker like kHuge stands for.
  void writeFile(const std::filesystem::path& file, const std::string& text) const {
    std::filesystem::remove_all(file);
    std::filesystem::create_directories(file.parent_path());
    if (text == kFolder) {
      std::filesystem::create_directory(file);
    } else if (text == kDevice || text == kZero) {
      std::filesystem::create_symlink(text == kDevice ? "/dev/null" : "/dev/zero", file);
    } else if (text == kFifo) {
      ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    } else if (text == kHuge) {
      std::ofstream(file).put('{');
      std::filesystem::resize_file(file, 2 * 1024 * 1024);
    } else if (text == kHostileLog || text == kLongLog) {
      writeLargeLog(file, text == kHostileLog);
    } else if (text == kCutLog) {
      writeCutLog(file);
    } else if (text == "{a thousand times}") {
      std::string list = R"({"manifest_paths": ["{manifest}")";
      for (int i = 0; i < 1000; ++i) list += R"(, "{oldpath}")";
      std::ofstream(file, std::ios::binary) << expanded(list + "]}", true);
    } else if (text != kMissing) {
      std::ofstream(file, std::ios::binary) << text;
    }
  }

  // kHostileLog or kLongLog, as the row lays it out.
  void writeLargeLog(const std::filesystem::path& file, bool hostile) const {
    const auto repeated = [](const std::string& piece, std::size_t size) {
      std::string text;
      while (text.size() < size) text += piece;
      return text;
    };
    std::ofstream log(file, std::ios::binary);
    if (hostile) {
      log << "Thu Sep 17 2026 03:36:16.1 [Info] - " << repeated(" - App key x", 4 << 20)
          << expanded("\nThu Sep 17 2026 03:36:16.2 [Info] - {manifest}\xFF") << '\0'
          << " - No applications in manifest\n";
    } else {
      // 64 MiB, a megabyte at a time.
      const std::string lines =
          repeated("Thu Sep 17 2026 03:40:00.000001 [Info] - Adding application manifest path: "
                   "/opt/other/x.vrmanifest\n",
                   1 << 20);
      for (int megabyte = 0; megabyte < 64; ++megabyte) log << lines;
      log << expanded("Thu Sep 17 2026 04:00:00.000001 [Error] - {manifest} - No applications in "
                      "manifest\n");
    }
  }

  // kCutLog, for the 4 MiB that each part of a long log is.
  void writeCutLog(const std::filesystem::path& file) const {
    constexpr std::size_t kEach = 4 << 20;
    const std::string filler =
        "Thu Sep 17 2026 03:40:00.000001 [Info] - Adding application manifest path: /opt/other/x.vrmanifest\n";
    const std::string padding = "Thu Sep 17 2026 03:40:00.000002 [Info] - ";
    const std::string refusal =
        expanded("Thu Sep 17 2026 03:50:00.000001 [Error] - {manifest} - No applications in manifest\n");
    const std::string added =
        expanded("Thu Sep 17 2026 03:50:00.000002 [Info] - Adding application manifest path: {manifest}");
    const std::string unfinished =
        expanded("Thu Sep 17 2026 04:10:00.000001 [Info] - Adding application manifest path: {manifest}");
    std::string text;
    while (text.size() + filler.size() + 64 + refusal.size() + added.size() < kEach) text += filler;
    // A line that makes the first part end just before ".bak".
    text += padding + std::string(kEach - text.size() - refusal.size() - added.size() - padding.size() - 1, 'x') +
            "\n" + refusal + added + ".bak\n";
    while (text.size() + unfinished.size() < 2 * kEach + 2 * filler.size()) text += filler;
    // The last part must start inside a line.
    if (text[text.size() + unfinished.size() - kEach - 1] == '\n') text += padding + "x\n";
    std::ofstream(file, std::ios::binary) << text << unfinished;
  }

  // The runtime's client library as an older runtime's: a copy in place of
  // the link to the stand-in's, which names the interface one version
  // lower and so offers that one instead.
  void makeOlder(const std::string& interfaceVersion, const std::string& versionText) const {
    const std::filesystem::path library =
        platform() == Platform::Windows ? runtime.root() / "bin" / "vrclient_x64.dll"
                                        : runtime.root() / "bin" / "linux64" / "vrclient.so";
    std::string older = interfaceVersion;
    --older.back();
    const std::string bytes = replaced(readFile(standinLibrary(platform())), interfaceVersion, older);
    std::filesystem::remove(library);
    std::ofstream(library, std::ios::binary) << bytes;
    if (!versionText.empty()) writeFile(runtime.root() / "bin" / "version.txt", versionText);
  }

  // A program left running as the runtime's monitor until the row ends: a
  // copy of sleep, or under Wine one that waits for ever and says its
  // Windows process id.
  void leaveRunning(std::optional<RunningProcess>& process, Leftover how,
                    const std::filesystem::path& program, const std::string& name) {
    const bool windows = platform() == Platform::Windows;
    std::filesystem::create_directories(program.parent_path());
    std::filesystem::copy_file(windows ? windowsProgram("waits_for_ever")
                                       : std::filesystem::canonical("/bin/sleep"),
                               program, std::filesystem::copy_options::overwrite_existing);
    const std::filesystem::path said = runtime.scratch() / (name + "-id");
    std::string id;
    if (windows) {
      process.emplace(windowsCommand(program.string(), {nativePath(platform(), said)}));
      for (int tries = 0; tries < 2000 && (id.empty() || id.back() != '\n'); ++tries) {
        usleep(5000);
        id = std::filesystem::exists(said) ? readFile(said) : "";
      }
      id.pop_back();
    } else {
      std::vector<std::string> command = {program.string(), "600"};
      if (how == Leftover::OtherUser) {
        // Its folders open to it, as an install's are.
        for (std::filesystem::path folder = program.parent_path(); folder != runtime.root().parent_path().parent_path();
             folder = folder.parent_path()) {
          std::filesystem::permissions(folder, std::filesystem::perms::others_exec,
                                       std::filesystem::perm_options::add);
        }
        command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=nobody", "--regid=1", "--clear-groups"});
      }
      process.emplace(command);
      id = std::to_string(process->id());
      // Until it has left this test's program for its own, /proc names ours.
      const std::filesystem::path exe = "/proc/" + id + "/exe";
      std::error_code error;
      for (int tries = 0; tries < 1000 &&
                          std::filesystem::read_symlink(exe, error) != std::filesystem::canonical(program);
           ++tries) {
        usleep(5000);
      }
      if (how == Leftover::Replaced) {
        std::filesystem::remove(program);
        std::filesystem::copy_file(std::filesystem::canonical("/bin/sleep"), program);
      }
    }
    placeholders_["{" + name + "}"] =
        windows ? argument(program) : std::filesystem::canonical(program).string();
    placeholders_["{" + name + "id}"] = id;
  }

  // A folder name that makes the manifest's folder, as the tool names it,
  // exactly length bytes long.
  std::string folderOfLength(const std::filesystem::path& parent, std::size_t length) const {
    std::string folder;
    std::size_t have = argument(parent).size();
    while (have + 1 + 200 < length) {
      folder += std::string(199, 'w') + "/";
      have += 200;
    }
    return folder + std::string(length - have - 1, 'w');
  }

  // Lays out the row's manifest in its own folder, with the binaries it
  // names by default, and its paths file; returns the argument naming the
  // manifest.
  std::string layOut() {
    const Situation& row = situation();
    const std::filesystem::path parent = runtime.scratch() / "row";
    const std::string name =
        row.folderName == "{folder of 1024}" ? folderOfLength(parent, 1024) : row.folderName;
    const std::filesystem::path folder = parent / std::filesystem::u8path(name);
    std::filesystem::create_directories(folder / "bin");
    for (const char* binary : {"lumora", "lumora.exe", "bin/lumora", "bin/lumora.exe"}) {
      std::ofstream(folder / binary).put('\0');
    }
    if (row.binaryKind == kAsksElevation || row.binaryKind == kRequiresAdministrator) {
      const char* program =
          row.binaryKind == kAsksElevation ? "asks_for_elevation" : "requires_administrator";
      std::filesystem::copy_file(windowsProgram(program), folder / "lumora.exe",
                                 std::filesystem::copy_options::overwrite_existing);
    } else if (row.binaryKind == kAppImage1 || row.binaryKind == kAppImage2) {
      // As the AppImage runtime's header has it: ELF, then "AI" and the type at byte 8.
      std::string header = readFile("/bin/true").substr(0, 4096);
      header.replace(8, 3, std::string("AI") + (row.binaryKind == kAppImage1 ? '\1' : '\2'));
      writeFile(folder / "lumora", header);
    } else if (row.binaryKind == kPlainElf || row.binaryKind == kFifo) {
      writeFile(folder / "lumora", row.binaryKind == kFifo ? kFifo : readFile("/bin/true"));
    } else if (row.binaryKind == kMarkedAdministrator) {
      // As the Compatibility tab writes it, in another letter case than
      // the manifest names the binary.
      std::string marked =
          argument(folder / (row.manifestText == kInSubfolder ? "bin/lumora.exe" : "lumora.exe"));
      std::transform(marked.begin(), marked.end(), marked.begin(),
                     [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
      marked_ = marked;
      placeholders_["{marked}"] = marked;
      EXPECT_EQ(runProcess(windowsCommand("reg", {"add", kLayers, "/v", marked, "/t", "REG_SZ", "/d",
                                                  "~ RUNASADMIN", "/f"})).exitStatus, 0);
    }
    manifest_ = folder / "lumora.vrmanifest";
    placeholders_["{binary}"] = argument(folder / (platform() == Platform::Windows ? "lumora.exe" : "lumora"));
    writeFile(manifest_, closedUp(row.manifestText) ? kManifest : row.manifestText);
    closeUp(manifest_, row.manifestText);
    writeFile(runtime.pathRegistry(),
              expanded(closedUp(row.pathsText) ? kPaths : row.pathsText, true));
    closeUp(runtime.pathRegistry(), row.pathsText);
    std::vector<std::string> unset;
    for (const auto& [name, value] : row.environment) {
      if (value == kUnset) {
        unset.insert(unset.end(), {"-u", name});
      } else {
        environment[name] = expanded(value);
      }
    }
    if (!unset.empty()) {
      unset.insert(unset.begin(), "/usr/bin/env");
      wrapper.insert(wrapper.begin(), unset.begin(), unset.end());
    }
    if (!row.workingIn.empty()) {
      workingFolder = expanded(row.workingIn);
      std::filesystem::create_directories(workingFolder / ".config/openvr");
      std::ofstream(workingFolder / ".config/openvr/openvrpaths.vrpath") << expanded(kPaths, true);
    }
    return argument(manifest_);
  }

  static bool closedUp(const std::string& text) { return text == kLocked || text == kUnreadable; }

  // Takes this user's access to the file (kUnreadable) or its folder
  // (kLocked, named {locked}), until the row ends.
  void closeUp(const std::filesystem::path& file, const std::string& text) {
    if (!closedUp(text)) return;
    const std::filesystem::path closed = text == kLocked ? file.parent_path() : file;
    if (text == kLocked) placeholders_["{locked}"] = argument(closed);
    std::filesystem::permissions(closed, std::filesystem::perms::none);
    closed_.push_back(closed);
    // Root passes every permission check unless it gives up the power to.
    if (geteuid() == 0 && closed_.size() == 1) {
      wrapper.insert(wrapper.end(),
                     {"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"});
    }
  }

  void TearDown() override {
    // The Wine prefix outlives the row.
    if (!marked_.empty()) runProcess(windowsCommand("reg", {"delete", kLayers, "/v", marked_, "/f"}));
    for (const std::filesystem::path& closed : closed_) {
      std::filesystem::permissions(closed, std::filesystem::perms::owner_all);
    }
    // On Windows the paths file outlives the row, in the Wine prefix.
    std::filesystem::remove_all(runtime.pathRegistry());
  }

  // What earlier runs left in the runtime; path is where the key is
  // registered from.
  void setStore(Store store, const std::string& path) const {
    const std::string key = "lumora.corvane";
    std::string registered = store == Store::Elsewhere            ? placeholders_.at("{oldpath}")
                             : store == Store::ElsewhereOtherName ? placeholders_.at("{otherold}")
                                                                  : path;
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

  // The paths file's bytes, if it is a file to read.
  std::string pathsFileBytes() const {
    const std::filesystem::path file = runtime.pathRegistry();
    return std::filesystem::is_regular_file(file) ? readFile(file) : "(not a regular file)";
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

  // The report against the log lines of the same run: the same findings,
  // in order, with the row's codes; each path a finding names and each
  // argument of a fix as its text shows them.
  void expectReportOfLines(const Outcome& outcome, const std::string& argument) const {
    const nlohmann::json report = nlohmann::json::parse(outcome.standardOutput, nullptr, false);
    ASSERT_TRUE(report.is_object()) << outcome.standardOutput;
    EXPECT_EQ(report["version"], 1);
    EXPECT_EQ(report["manifest"], argument);
    EXPECT_EQ(report["status"], outcome.exitStatus);
    const nlohmann::json& findings = report["findings"];
    ASSERT_EQ(findings.size(), outcome.lines.size()) << outcome.standardOutput;
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < findings.size(); ++i) {
      const nlohmann::json& finding = findings[i];
      codes.push_back(finding.value("code", ""));
      std::string level = finding.value("level", "");
      for (char& c : level) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      const std::string message = finding.value("message", "");
      EXPECT_EQ("[" + level + "] " + message, outcome.lines[i]);
      for (const auto& [field, value] : finding.items()) {
        if (field == "level" || field == "code" || field == "message") continue;
        if (field == "fix") {
          for (const nlohmann::json& command : value) expectCommandIn(command, message);
          continue;
        }
        if (value.is_number_unsigned()) {
          EXPECT_NE(message.find(std::to_string(value.get<unsigned long long>())), std::string::npos)
              << field << "\n"
              << message;
          continue;
        }
        for (const nlohmann::json& path :
             value.is_array() ? value : nlohmann::json::array({value})) {
          EXPECT_NE(message.find(asLogged(path.get<std::string>())), std::string::npos)
              << field << "\n"
              << message;
        }
      }
    }
    for (std::size_t i = 0; i < findings.size(); ++i) expectPathsAsFields(findings[i]);
    std::vector<std::string> expected;
    for (const Expect& finding : situation().findings) expected.push_back(finding.code);
    EXPECT_EQ(codes, expected) << "the row's codes";
    // For the schema's check, after every row has run.
    const std::filesystem::path reports = VRCHECK_REPORTS_DIR;
    std::filesystem::create_directories(reports);
    std::ofstream(reports / (::testing::PrintToString(platform()) + "-" +
                             testName(situation().what) + ".json"))
        << outcome.standardOutput;
  }

  // Each folder or file of the row's that a finding's message names is a
  // field of its own, or an argument of its fix.
  void expectPathsAsFields(const nlohmann::json& finding) const {
    const std::string message = finding.value("message", "");
    for (const auto& [name, path] : placeholders_) {
      // {manifestupper} is the runtime's spelling, inside a line it wrote.
      if (name == "{home}" || name == "{user}" || name == "{roothint}" ||
          name == "{manifestupper}" || path.size() < 8 ||
          message.find(asLogged(path)) == std::string::npos) {
        continue;
      }
      bool field = false;
      for (const auto& [key, value] : finding.items()) {
        if (key == "message" || key == "level" || key == "code") continue;
        // A list (the fix, other runtime folders) as its JSON text.
        const std::string quoted = nlohmann::json(path).dump();
        field =
            field || (value.is_string() ? value.get<std::string>().find(path)
                                        : value.dump().find(quoted.substr(1, quoted.size() - 2))) !=
                         std::string::npos;
      }
      EXPECT_TRUE(field) << name << " is named, but is no field: " << message;
    }
  }

  // A fix's arguments as its message shows them: env's assignments, the
  // program, then each argument quoted for the shell.
  void expectCommandIn(const nlohmann::json& command, const std::string& message) const {
    std::size_t program = 0;
    if (command[0] == "env") {
      for (program = 1; command[program].get<std::string>().find('=') != std::string::npos;
           ++program) {
        const std::string assignment = command[program].get<std::string>();
        const std::size_t equals = assignment.find('=');
        const std::string shown =
            assignment.substr(0, equals + 1) + quoted(assignment.substr(equals + 1));
        EXPECT_NE(message.find(asLogged(shown)), std::string::npos) << shown << "\n" << message;
      }
    }
    std::string shown = command[program].get<std::string>();
    for (std::size_t at = program + 1; at < command.size(); ++at) {
      shown += " " + quoted(command[at].get<std::string>());
    }
    EXPECT_NE(message.find(asLogged(shown)), std::string::npos) << shown << "\n" << message;
  }

  // A fix clears its finding: every command the report's fixes name, run
  // as it gives them, in this row's runtime (under Wine for Windows' rows),
  // then vrcheck again, with what an env fix sets: none of those findings
  // may be left.
  void expectFixesClear(const Outcome& report, const std::string& argument) {
    const nlohmann::json findings = nlohmann::json::parse(report.standardOutput)["findings"];
    std::vector<std::vector<std::string>> commands;
    std::set<std::string> fixed;
    for (const nlohmann::json& finding : findings) {
      if (!finding.contains("fix")) continue;
      fixed.insert(finding["code"].get<std::string>());
      for (const nlohmann::json& command : finding["fix"]) {
        const auto arguments = command.get<std::vector<std::string>>();
        if (std::find(commands.begin(), commands.end(), arguments) == commands.end()) {
          commands.push_back(arguments);
        }
      }
    }
    if (commands.empty()) return;
    const bool windows = platform() == Platform::Windows;
    for (const std::vector<std::string>& command : commands) {
      std::size_t first = 0;  // env's assignments, then the program
      while (command[0] == "env" && command.at(++first).find('=') != std::string::npos) {
        const std::size_t equals = command[first].find('=');
        environment[command[first].substr(0, equals)] = command[first].substr(equals + 1);
      }
      const std::string& program = command[first];
      const std::vector<std::string> arguments(command.begin() + first + 1, command.end());
      int status = -1;
      std::string said;
      if (program == "vrenlist" || program == "vrdelist" || program == "vrcheck") {
        const Outcome outcome = runTool(program, arguments);
        status = program == "vrcheck" ? 0 : outcome.exitStatus;
        said = outcome.standardError;
      } else if (program == "kill" || program == "taskkill" || program == "reg") {
        EXPECT_EQ(windows, program != "kill") << program << " on this platform";
        ProcessOptions options;
        options.environment = runtime.environment();
        options.captureOutput = true;
        // kill as a shell runs it: most shells' own.
        const ProcessResult result = runProcess(
            windows ? windowsCommand(program, arguments)
                    : std::vector<std::string>{"/bin/sh", "-c", "kill \"$@\"", "sh", arguments.at(0)},
            options);
        status = result.exitStatus;
        said = result.standardError + result.standardOutput;
      } else {
        ADD_FAILURE() << "a fix this table cannot run: " << program;
        continue;
      }
      EXPECT_EQ(status, 0) << "the fix " << nlohmann::json(command).dump() << " failed:\n" << said;
      // A signalled process ends a moment after kill returns.
      const std::filesystem::path exe = "/proc/" + arguments.back() + "/exe";
      std::error_code gone;
      for (int tries = 0; program == "kill" && tries < 1000 && std::filesystem::exists(exe, gone);
           ++tries) {
        usleep(5000);
      }
    }
    const Outcome again = run({"--json", argument});
    const nlohmann::json after = nlohmann::json::parse(again.standardOutput, nullptr, false);
    ASSERT_TRUE(after.is_object()) << again.standardError;
    for (const nlohmann::json& finding : after["findings"]) {
      EXPECT_EQ(fixed.count(finding["code"].get<std::string>()), 0u)
          << "still there after its fix: " << finding["message"].get<std::string>();
    }
  }

  std::map<std::string, std::string> placeholders_;
  std::filesystem::path manifest_;             // the row's, laid out
  std::vector<std::filesystem::path> closed_;  // opened again after the row
  std::string marked_;  // the binary's value under kLayers, removed after the row
};

TEST_P(VrcheckTest, Finds) {
  const Situation& row = situation();
  if (row.asRootOnly && geteuid() != 0) GTEST_SKIP() << "shows only when run as root";
  const std::string path = layOut();
  placeholders_["{manifest}"] = path;
  // As a Windows runtime may write it: another letter case, '/' for '\\'.
  std::string shouted = replaced(path, "\\", "/");
  std::transform(shouted.begin(), shouted.end(), shouted.begin(), [](unsigned char c) {
    return static_cast<char>(std::toupper(c));
  });
  placeholders_["{manifestupper}"] = shouted;
  setStore(row.storeKind, path);
  if (!row.appConfig.empty()) {
    const std::filesystem::path list = runtime.configFolder() / "appconfig.json";
    writeFile(list, expanded(closedUp(row.appConfig) ? kList : row.appConfig, true));
    closeUp(list, row.appConfig);
  }
  if (!row.optionsText.empty()) {
    writeFile(runtime.configFolder() / "vrappconfig" / "lumora.corvane.vrappconfig",
              row.optionsText);
  }
  if (!row.settingsText.empty()) {
    const std::filesystem::path settings = runtime.configFolder() / "steamvr.vrsettings";
    writeFile(settings, closedUp(row.settingsText) ? "{}" : row.settingsText);
    closeUp(settings, row.settingsText);
  }
  if (!row.logText.empty()) {
    const std::filesystem::path log = runtime.scratch() / "log" / "vrserver.txt";
    writeFile(log, closedUp(row.logText) ? "" : expanded(row.logText));
    closeUp(log, row.logText);
  }
  if (!row.olderThan.empty()) makeOlder(row.olderThan, row.versionText);
  std::optional<RunningProcess> leftover;
  if (row.leftover != Leftover::None) {
    leaveRunning(leftover, row.leftover,
                 runtime.root() / (platform() == Platform::Windows ? "bin/win64/vrmonitor.exe"
                                                                   : "bin/linux64/vrmonitor"),
                 "leftover");
  }
  // The app's binary, or one of its name elsewhere, left running; or
  // processes that end while vrcheck reads them.
  std::optional<RunningProcess> app;
  if (row.appRun == AppRun::Here || row.appRun == AppRun::Elsewhere) {
    const std::filesystem::path folder =
        row.appRun == AppRun::Here ? manifest_.parent_path() : runtime.scratch() / "elsewhere";
    leaveRunning(app, Leftover::Running,
                 folder / (platform() == Platform::Windows ? "lumora.exe" : "lumora"), "app");
  } else if (row.appRun == AppRun::Ending) {
    app.emplace(std::vector<std::string>{"/bin/sh", "-c", "while :; do /bin/true; done"});
  }
  runtime.setRunning(row.running);
  runtime.setFaults(nlohmann::json::parse(expanded(row.faultsAsked.dump(), true)));
  const std::string storeBefore = runtime.registryBytes();
  const std::string pathsBefore = pathsFileBytes();
  const std::string argument = row.relative ? relativeArgument() : path;

  runtime.clearJournal();
  const Outcome report = run({"--json", argument});
  const Calls calls = runtime.calls();
  runtime.clearJournal();
  const Outcome plain = run({argument});
  EXPECT_EQ(runtime.calls(), calls) << "the same calls with --json and without";
  EXPECT_EQ(plain.exitStatus, report.exitStatus);
  EXPECT_EQ(plain.lines, report.lines) << "the same lines with --json and without";
  EXPECT_EQ(plain.standardOutput, "");

  EXPECT_EQ(report.exitStatus, row.status) << report.standardError;
  ASSERT_EQ(report.lines.size(), row.findings.size()) << report.standardError;
  for (std::size_t i = 0; i < row.findings.size(); ++i) {
    const std::string word = expanded(row.findings[i].word);
    EXPECT_NE(report.lines[i].find(asLogged(word)), std::string::npos) << word << "\n"
                                                                       << report.standardError;
    if (report.lines[i].rfind("[ERROR] ", 0) == 0) continue;
    const bool inPlace = report.lines[i].rfind("[INFO] ", 0) == 0;
    EXPECT_EQ(inPlace, report.lines[i].find(". ") == std::string::npos)
        << "a WARN says what to do, an INFO does not: " << report.lines[i];
  }
  expectReportOfLines(report, argument);

  const auto finds = [&](const char* code) {
    return std::any_of(row.findings.begin(), row.findings.end(),
                       [&](const Expect& finding) { return std::string(finding.code) == code; });
  };
  const bool loaderStarted = !finds("runtime-translation-layer") &&
                             !finds("paths-file-not-regular") &&
                             !finds("runtime-library-not-regular");
  const bool connected = loaderStarted && !finds("runtime-unreachable");
  for (const JournalEntry& call : calls) {
    EXPECT_TRUE(call.call.rfind("Get", 0) == 0 || call.call == "IsApplicationInstalled" ||
                call == kBackgroundInit || call == kCleanup)
        << call.call;
  }
  EXPECT_EQ(runtime.running(), row.running) << "vrcheck never starts the runtime";
  if (!loaderStarted) {
    EXPECT_EQ(calls, Calls{}) << "the loader is never started";
  } else if (!row.running && connected) {
    EXPECT_EQ(calls, Calls{kBackgroundInit});
  } else if (connected) {
    EXPECT_EQ(calls.empty() ? JournalEntry() : calls.back(), kCleanup);
  }
  // A folder longer than the first buffer is asked for twice.
  if (row.status == 0 && row.faultsAsked.empty() && path.size() < 1024 && row.running) {
    EXPECT_EQ(calls, kInPlaceCalls) << "only the calls it needs";
  }
  for (const char* layer : {"layer", "opencomposite"}) {
    const std::string journal = readFile(runtime.scratch() / layer / "state" / "journal.log");
    EXPECT_EQ(journal.find("Init"), std::string::npos) << "a translation layer is never loaded";
  }
  EXPECT_EQ(runtime.registryBytes(), storeBefore);
  EXPECT_EQ(pathsFileBytes(), pathsBefore);
  expectFixesClear(report, argument);
}

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
  return testName(kSituations[info.param.index].what);
}

INSTANTIATE_TEST_SUITE_P(Linux, VrcheckTest, ::testing::ValuesIn(rowsFor(Platform::Linux)),
                         rowName);
#ifdef VRENLIST_TEST_WINDOWS
INSTANTIATE_TEST_SUITE_P(Windows, VrcheckTest, ::testing::ValuesIn(rowsFor(Platform::Windows)),
                         rowName);
#endif

class VrcheckUsageTest : public ToolTest {
 protected:
  VrcheckUsageTest() : ToolTest("vrcheck") {}
};

TEST_P(VrcheckUsageTest, WrongArgumentsPrintOnlyTheUsage) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{},
                                             {"--json"},
                                             {"/a.vrmanifest", "/b.vrmanifest"},
                                             {"--json", "/a", "/b"},
                                             {"/a.vrmanifest", "--json"}}) {
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_EQ(outcome.standardError, "usage: vrcheck [--json] <absolute-path-to.vrmanifest>\n");
    EXPECT_EQ(outcome.standardOutput, "");
  }
  EXPECT_EQ(runtime.journal(), Calls{});
}

VRENLIST_INSTANTIATE_FOR_EVERY_PLATFORM(VrcheckUsageTest);

}  // namespace
}  // namespace corvane::testing
