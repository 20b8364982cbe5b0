#include "manifest_file.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "json_text.h"
#include "runtime.h"
#include "small_file.h"

namespace corvane::vrcheck {
namespace {

using nlohmann::json;
using namespace readers;  // the careful file and JSON readers
using tools::kAppKey;

#ifdef _WIN32
constexpr const char* kBinaryPathKey = "binary_path_windows";
#else
constexpr const char* kBinaryPathKey = "binary_path_linux";
#endif

// The file's bytes, or nullopt after a finding that says why there are none.
std::optional<std::string> readManifest(const std::filesystem::path& manifest,
                                        const std::string& shown, Findings& findings) {
  SmallFile file = readSmallFile(manifest);
  switch (file.problem) {
    case FileProblem::None: return std::move(file.bytes);
    case FileProblem::Missing:
      findings.notInPlace("manifest-not-found", "Manifest not found: ", Path{"manifest", shown},
                          ". Check the path, or install the app again.");
      break;
    case FileProblem::FolderNotEntered:
      findings.notInPlace("manifest-folder-closed",
                          "Manifest cannot be read: ", Path{"manifest", shown},
                          ". This user may not enter ", Path{"folder", file.folder.u8string()},
                          "; give it access, or run as the app's user.");
      break;
    case FileProblem::Folder:
      findings.notInPlace("manifest-is-folder",
                          "Manifest is a folder, not a file: ", Path{"manifest", shown},
                          ". Name the .vrmanifest file inside it.");
      break;
    case FileProblem::NotRegular:
      findings.notInPlace("manifest-not-regular",
                          "Manifest is not a regular file: ", Path{"manifest", shown},
                          ". Name the app's .vrmanifest file.");
      break;
    case FileProblem::TooLarge:
      findings.notInPlace("manifest-too-large",
                          "Manifest is larger than 1 MiB, too large to be an app manifest: ",
                          Path{"manifest", shown}, ". Name the app's .vrmanifest file.");
      break;
    case FileProblem::Unreadable:
      findings.notInPlace("manifest-unreadable",
                          "Manifest cannot be read: ", Path{"manifest", shown},
                          ". Check that this user may read it.");
      break;
  }
  return std::nullopt;
}

// The manifest's entry for kAppKey, or null after a finding that names the
// keys it does declare.
const json* findApplication(const json& manifest, Findings& findings) {
  std::string declared;
  const json& applications = memberOf(manifest, "applications");
  if (applications.is_array()) {
    for (const json& application : applications) {
      const json& key = memberOf(application, "app_key");
      if (!key.is_string()) continue;
      if (key == kAppKey) return &application;
      declared += (declared.empty() ? "" : ", ") + key.get<std::string>();
    }
  }
  findings.notInPlace("manifest-no-app-key", "Manifest does not declare app key ", kAppKey,
                      "; it declares ", declared.empty() ? "none" : declared,
                      ". Set its \"app_key\" to \"", kAppKey, "\".");
  return nullptr;
}

#ifndef _WIN32
// An AppImage: an ELF file marked "AI" and its type (1 or 2) at byte 8. It
// mounts itself through FUSE, which the container the runtime starts apps
// in lacks (the Steam Runtime's, or Flatpak Steam's sandbox).
void checkAppImage(const std::filesystem::path& binary, Findings& findings) {
  const std::string start = readFileStart(binary, 16);
  if (start.size() < 11 || !startsWith(start, "\177ELF") || start[8] != 'A' || start[9] != 'I' ||
      (start[10] != 1 && start[10] != 2)) {
    return;
  }
  findings.notInPlace(
      "binary-appimage", "Binary is an AppImage (type ", static_cast<int>(start[10]),
      "): ", Path{"binary", binary.string()},
      ". The runtime starts apps inside a container without FUSE (the Steam Runtime's, or "
      "Flatpak Steam's sandbox), where an AppImage cannot mount itself, so the app never starts. "
      "Extract it (run it once with --appimage-extract), and point ",
      kBinaryPathKey, " at the extracted program, or at a small script that starts it.");
}
#endif

}  // namespace

std::filesystem::path checkManifestFile(const std::filesystem::path& manifest,
                                        const std::string& shown, Findings& findings) {
  // Until it is found to declare the app key.
  findings.setRegistrable(false);
  const std::optional<std::string> bytes = readManifest(manifest, shown, findings);
  if (!bytes) return {};
  if (startsWith(*bytes, "\xFF\xFE") || startsWith(*bytes, "\xFE\xFF")) {
    findings.notInPlace("manifest-utf16", "Manifest is saved as UTF-16: ", Path{"manifest", shown},
                        ". Save it as UTF-8, without a byte order mark.");
    return {};
  }
  if (startsWith(*bytes, kByteOrderMark)) {
    // The JSON reader here skips it; the runtime's may not.
    findings.notInPlace("manifest-byte-order-mark",
                        "Manifest starts with a byte order mark: ", Path{"manifest", shown},
                        ". Save it as UTF-8 without one.");
  }
  const ParsedJson parsed = parseJson(*bytes);
  if (parsed.problem == JsonProblem::TooDeep) {
    findings.notInPlace("manifest-too-deep", "Manifest nests deeper than the runtime reads (",
                        kDeepestNesting, " levels): ", Path{"manifest", shown},
                        ". Name the app's .vrmanifest file.");
    return {};
  }
  if (parsed.problem == JsonProblem::Syntax) {
    findings.notInPlace("manifest-not-json",
                        "Manifest is not JSON in UTF-8: ", Path{"manifest", shown},
                        ". Correct its syntax, and save it as UTF-8.");
    return {};
  }
  if (!parsed.value.is_object()) {
    findings.notInPlace("manifest-not-object",
                        "Manifest is not a JSON object: ", Path{"manifest", shown},
                        ". Name the app's .vrmanifest file.");
    return {};
  }

  const json* application = findApplication(parsed.value, findings);
  if (application == nullptr) return {};
  findings.inPlace("manifest-app-key", "Manifest declares app key: ", kAppKey);
  findings.setRegistrable(true);

  if (memberOf(*application, "is_dashboard_overlay") == true) {
    findings.inPlace("manifest-overlay", "Manifest makes the app a dashboard overlay: ", kAppKey);
  } else {
    findings.notInPlace(
        "manifest-not-overlay",
        "Manifest does not make the app a dashboard overlay, and the runtime starts only those "
        "with itself: ",
        kAppKey, ". Set \"is_dashboard_overlay\": true.");
  }

  const json& binary = memberOf(*application, kBinaryPathKey);
  if (!binary.is_string() || binary.get_ref<const std::string&>().empty()) {
    findings.notInPlace("manifest-no-binary",
                        "Manifest names no binary for this platform: ", kBinaryPathKey,
                        ". Add it, relative to the manifest's folder.");
    return {};
  }
  const std::filesystem::path resolved =
      manifest.parent_path() / std::filesystem::u8path(binary.get_ref<const std::string&>());
  std::error_code error;
  if (std::filesystem::is_regular_file(resolved, error)) {
    findings.inPlace("binary-found", "Binary found: ", Path{"binary", resolved.u8string()});
  } else {
    findings.notInPlace("binary-not-found",
                        "Binary not found: ", Path{"binary", resolved.u8string()},
                        ". Install the app's files, or correct ", kBinaryPathKey, ".");
    findings.setRegistrable(false);  // the runtime skips the app
  }
#ifndef _WIN32
  // The runtime on Linux accepts such a manifest but never lists its app.
  if (startsWith(resolved.lexically_normal().string(), "/usr/")) {
    findings.setRegistrable(false);
    findings.notInPlace(
        "binary-under-usr", "Binary lies under /usr, where the runtime does not list apps: ",
        Path{"binary", resolved.string()}, ". Install the app elsewhere, for example under /opt.");
  }
  checkAppImage(resolved, findings);
#endif
  return resolved;
}

}  // namespace corvane::vrcheck
