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
      findings.notInPlace("Manifest not found: ", shown,
                          ". Check the path, or install the app again.");
      break;
    case FileProblem::FolderNotEntered:
      findings.notInPlace("Manifest cannot be read: ", shown, ". This user may not enter ",
                          file.folder.u8string(), "; give it access, or run as the app's user.");
      break;
    case FileProblem::Folder:
      findings.notInPlace("Manifest is a folder, not a file: ", shown,
                          ". Name the .vrmanifest file inside it.");
      break;
    case FileProblem::NotRegular:
      findings.notInPlace("Manifest is not a regular file: ", shown,
                          ". Name the app's .vrmanifest file.");
      break;
    case FileProblem::TooLarge:
      findings.notInPlace("Manifest is larger than 1 MiB, too large to be an app manifest: ", shown,
                          ". Name the app's .vrmanifest file.");
      break;
    case FileProblem::Unreadable:
      findings.notInPlace("Manifest cannot be read: ", shown,
                          ". Check that this user may read it.");
      break;
  }
  return std::nullopt;
}

// The manifest's entry for kAppKey, or null after a finding that names the
// keys it does declare.
const json* findApplication(const json& manifest, Findings& findings) {
  std::string declared;
  const auto applications = manifest.find("applications");
  if (applications != manifest.end() && applications->is_array()) {
    for (const json& application : *applications) {
      const json key = application.is_object() ? application.value("app_key", json()) : json();
      if (!key.is_string()) continue;
      if (key == kAppKey) return &application;
      declared += (declared.empty() ? "" : ", ") + key.get<std::string>();
    }
  }
  findings.notInPlace("Manifest does not declare app key ", kAppKey, "; it declares ",
                      declared.empty() ? "none" : declared, ". Set its \"app_key\" to \"", kAppKey,
                      "\".");
  return nullptr;
}

}  // namespace

std::filesystem::path checkManifestFile(const std::filesystem::path& manifest,
                                        const std::string& shown, Findings& findings) {
  const std::optional<std::string> bytes = readManifest(manifest, shown, findings);
  if (!bytes) return {};
  if (startsWith(*bytes, "\xFF\xFE") || startsWith(*bytes, "\xFE\xFF")) {
    findings.notInPlace("Manifest is saved as UTF-16: ", shown,
                        ". Save it as UTF-8, without a byte order mark.");
    return {};
  }
  if (startsWith(*bytes, kByteOrderMark)) {
    // The JSON reader here skips it; the runtime's may not.
    findings.notInPlace("Manifest starts with a byte order mark: ", shown,
                        ". Save it as UTF-8 without one.");
  }
  const json parsed = json::parse(*bytes, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) {
    findings.notInPlace("Manifest is not JSON in UTF-8: ", shown,
                        ". Correct its syntax, and save it as UTF-8.");
    return {};
  }

  const json* application = findApplication(parsed, findings);
  if (application == nullptr) return {};
  findings.inPlace("Manifest declares app key: ", kAppKey);

  if (application->value("is_dashboard_overlay", json()) == true) {
    findings.inPlace("Manifest makes the app a dashboard overlay: ", kAppKey);
  } else {
    findings.notInPlace(
        "Manifest does not make the app a dashboard overlay, and the runtime starts only those "
        "with itself: ",
        kAppKey, ". Set \"is_dashboard_overlay\": true.");
  }

  const json binary = application->value(kBinaryPathKey, json());
  if (!binary.is_string() || binary.get<std::string>().empty()) {
    findings.notInPlace("Manifest names no binary for this platform: ", kBinaryPathKey,
                        ". Add it, relative to the manifest's folder.");
    return {};
  }
  const std::filesystem::path resolved =
      manifest.parent_path() / std::filesystem::u8path(binary.get<std::string>());
  std::error_code error;
  if (std::filesystem::is_regular_file(resolved, error)) {
    findings.inPlace("Binary found: ", resolved.u8string());
  } else {
    findings.notInPlace("Binary not found: ", resolved.u8string(),
                        ". Install the app's files, or correct ", kBinaryPathKey, ".");
  }
#ifndef _WIN32
  // The runtime on Linux accepts such a manifest but never lists its app.
  if (startsWith(resolved.lexically_normal().string(), "/usr/")) {
    findings.notInPlace("Binary lies under /usr, where the runtime does not list apps: ",
                        resolved.string(), ". Install the app elsewhere, for example under /opt.");
  }
#endif
  return resolved;
}

}  // namespace corvane::vrcheck
