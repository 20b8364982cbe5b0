// vrcheck against the situations that keep an app from starting with the
// runtime: one table of manifests and runtime states, each row with the
// exit status and a word that each finding, in order, must carry. Every row
// also proves that vrcheck changes nothing, for the Linux build and for the
// Windows build under Wine.
#include <cctype>
#include <fstream>
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

enum class Store { Empty, Here, HereAutoLaunchOff, Elsewhere, HereOtherSpelling };

struct Situation {
  const char* what;
  std::string manifest;
  Store store;
  int status;
  std::vector<std::string> findings;  // "{old}": the other folder's manifest, quoted
  nlohmann::json faults = nlohmann::json::object();
  std::string folder = "app";
  std::optional<Platform> only = std::nullopt;
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

using Words = std::vector<std::string>;

const Words kManifestInPlace = {"declares app key: lumora.corvane",
                                "makes the app a dashboard overlay", "Binary found"};
const Words kRegisteredInPlace = {"App key registered", "this manifest's folder",
                                  "Auto-launch enabled"};
const Words kInPlace = kManifestInPlace + kRegisteredInPlace;
const Words kUnregistered = {
    "not registered with the runtime: lumora.corvane. Register it with: vrenlist"};

std::string deepFolder() {
  std::string deep;
  for (int i = 0; i < 12; ++i) deep += std::string(250, static_cast<char>('a' + i)) + "/";
  return deep + "app";
}

const std::string kBinaryGone =
    replaced(replaced(kManifest, "\"lumora\"", "\"gone\""), "lumora.exe", "gone.exe");
const std::string kNoBinary =
    R"({"applications": [{"app_key": "lumora.corvane", "is_dashboard_overlay": true}]})";

// clang-format off
const Situation kSituations[] = {
    {"all in place", kManifest, Store::Here, 0, kInPlace},
    {"folder outside ASCII", kManifest, Store::Here, 0, kInPlace, {}, "José 日本 🎮"},
    {"path over 3,000 characters", kManifest, Store::Here, 0, kInPlace, {}, deepFolder()},
    {"another spelling of the folder", kManifest, Store::HereOtherSpelling, 0, kInPlace, {}, "app",
     Platform::Windows},
    {"not registered", kManifest, Store::Empty, 3, kManifestInPlace + kUnregistered},
    {"registered from another folder", kManifest, Store::Elsewhere, 3, kManifestInPlace +
     Words{"App key registered", "Take that registration back with: vrdelist {old}", "Auto-launch enabled"}},
    {"auto-launch forgotten", kManifest, Store::HereAutoLaunchOff, 3, kManifestInPlace +
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
    {"runtime refuses a query", kManifest, Store::Here, 1, kManifestInPlace +
     Words{"App key registered", "GetApplicationPropertyString failed: VRApplicationError_IPCFailed"},
     {{"applicationPropertyError", 105}}},
    {"no runtime", kManifest, Store::Here, 1,
     kManifestInPlace + Words{"VR_Init(Utility) failed: Hmd Not Found (108)"}, {{"initError", 108}}},
    {"no applications interface", kMissing, Store::Here, 1,
     {"Manifest not found", "Applications interface unavailable: IVRApplications_007"},
     {{"applicationsUnavailable", true}}},
};
// clang-format on

class VrcheckTest : public ToolTest {
 protected:
  VrcheckTest() : ToolTest("vrcheck") {}

  // Lays out the row's manifest in its own folder, with the binaries it
  // names by default; returns the argument naming the manifest.
  std::string layOut(const Situation& situation, int row) const {
    const std::filesystem::path folder =
        runtime.scratch() / std::to_string(row) / std::filesystem::u8path(situation.folder);
    std::filesystem::create_directories(folder);
    for (const char* binary : {"lumora", "lumora.exe"}) std::ofstream(folder / binary).put('\0');
    const std::filesystem::path manifest = folder / "lumora.vrmanifest";
    if (situation.manifest == kFolder) {
      std::filesystem::create_directory(manifest);
    } else if (situation.manifest == kDevice) {
      std::filesystem::create_symlink("/dev/null", manifest);
    } else if (situation.manifest == kHuge) {
      std::ofstream(manifest).put('{');
      std::filesystem::resize_file(manifest, 2 * 1024 * 1024);
    } else if (situation.manifest != kMissing) {
      std::ofstream(manifest, std::ios::binary) << situation.manifest;
    }
    return argument(manifest);
  }

  // What earlier runs left in the runtime; path is where the key is
  // registered from.
  void setStore(Store store, const std::string& path, const std::string& oldPath) const {
    const std::string key = "lumora.corvane";
    std::string registered = store == Store::Elsewhere ? oldPath : path;
    if (store == Store::HereOtherSpelling) {
      for (char& c : registered)
        c = c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    nlohmann::json manifests = nlohmann::json::object();
    if (store != Store::Empty) manifests[registered] = {key};
    nlohmann::json autoLaunch = nlohmann::json::object();
    if (store != Store::Empty && store != Store::HereAutoLaunchOff) autoLaunch[key] = true;
    runtime.setRegistry({{"manifests", manifests}, {"autoLaunch", autoLaunch}});
  }

  std::string quoted(const std::string& path) const {
    return platform() == Platform::Windows ? "\"" + path + "\"" : "'" + path + "'";
  }
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
    runtime.setFaults(situation.faults);
    runtime.clearJournal();
    const std::string storeBefore = runtime.registryBytes();

    const Outcome outcome = run({path});
    EXPECT_EQ(outcome.exitStatus, situation.status) << outcome.standardError;
    ASSERT_EQ(outcome.lines.size(), situation.findings.size()) << outcome.standardError;
    for (std::size_t i = 0; i < situation.findings.size(); ++i) {
      const std::string word = replaced(situation.findings[i], "{old}", quoted(oldManifest));
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
                  call == kInit || call == kCleanup)
          << call.call;
    }
    if (!situation.faults.contains("initError")) {
      EXPECT_EQ(calls.back(), kCleanup);
    }
    EXPECT_EQ(runtime.registryBytes(), storeBefore);
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
