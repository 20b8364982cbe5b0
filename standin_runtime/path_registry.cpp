#include "path_registry.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "json_text.h"
#include "small_file.h"

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#endif

namespace standin {
namespace {

using nlohmann::json;

// As the loader reads it, unset and empty alike. On Windows it asks
// GetEnvironmentVariableA, so the value arrives in the ANSI code page and
// is taken for UTF-8 from then on: text outside ASCII is lost.
std::optional<std::string> environmentValue(const char* name) {
#ifdef _WIN32
  std::string value(32767, '\0');
  const DWORD length =
      GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
  if (length == 0 || length >= value.size()) return std::nullopt;
  value.resize(length);
  return value;
#else
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
#endif
}

// The list's entries as jsoncpp's asString() gives them to the loader:
// null is an empty list ("node ... is not an array"), and so is a text, a
// number or a boolean (size 0); an object with members or a list or object
// inside the list makes jsoncpp throw, which fails the whole file.
std::optional<std::vector<std::string>> entries(const json& registry, const char* key) {
  std::vector<std::string> texts;
  const auto list = registry.find(key);
  if (list == registry.end()) return texts;
  if (list->is_null()) {
    std::fprintf(stderr, "VR Path Registry node %s is not an array\n", key);
    return texts;
  }
  if (list->is_object() && !list->empty()) return std::nullopt;
  if (!list->is_array()) return texts;
  for (const json& entry : *list) {
    if (entry.is_structured()) return std::nullopt;
    texts.push_back(entry.is_string() ? entry.get<std::string>()
                    : entry.is_null() ? std::string()
                                      : entry.dump());
  }
  return texts;
}

std::string firstOf(const std::vector<std::string>& list) {
  return list.empty() ? std::string() : list.front();
}

// The file's three lists, or nullopt when the vendor's loader cannot read
// it: missing, empty, not JSON as its jsoncpp reads it, or no object.
std::optional<RuntimePaths> readFile(const std::filesystem::path& file) {
  const std::string text = readRegularFile(file).value_or("");
  if (text.empty()) {
    std::fprintf(stderr, "Unable to read VR Path Registry from %s\n", file.u8string().c_str());
    return std::nullopt;
  }
  const json registry = parseAsTheRuntimeDoes(text);
  std::optional<RuntimePaths> paths;
  if (registry.is_object()) {
    const auto runtime = entries(registry, "runtime");
    const auto config = entries(registry, "config");
    const auto log = entries(registry, "log");
    if (runtime && config && log)
      paths = RuntimePaths{firstOf(*runtime), firstOf(*config), firstOf(*log)};
  } else if (registry.is_null()) {
    paths = RuntimePaths{};  // a null root holds no lists
  }
  if (!paths) std::fprintf(stderr, "Unable to parse %s\n", file.u8string().c_str());
  return paths;
}

}  // namespace

json parseAsTheRuntimeDoes(const std::string& text) {
  if (corvane::readers::startsWith(text, corvane::readers::kByteOrderMark)) {
    return json(json::value_t::discarded);
  }
  return corvane::readers::parseJson(text).value;
}

std::optional<std::string> readRegularFile(const std::filesystem::path& file) {
  corvane::readers::SmallFile read = corvane::readers::readSmallFile(file);
  if (read.problem != corvane::readers::FileProblem::None) return std::nullopt;
  return std::move(read.bytes);
}

std::filesystem::path pathFromUtf8(const std::string& text) {
#ifdef _WIN32
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                      wide.data(), length);
  return std::filesystem::path(wide);
#else
  return std::filesystem::path(text);
#endif
}

std::filesystem::path pathRegistryFile() {
  if (const std::optional<std::string> file = environmentValue("VR_PATHREG_OVERRIDE")) {
    return pathFromUtf8(*file);
  }
#ifdef _WIN32
  wchar_t localAppData[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0,
                              localAppData))) {
    return {};
  }
  return std::filesystem::path(localAppData) / L"openvr" / L"openvrpaths.vrpath";
#else
  if (const std::optional<std::string> config = environmentValue("XDG_CONFIG_HOME")) {
    return std::filesystem::path(*config) / "openvr" / "openvrpaths.vrpath";
  }
  // An empty HOME is joined all the same: the working folder's file.
  if (const char* home = std::getenv("HOME")) {
    return std::filesystem::path(home) / ".config" / "openvr" / "openvrpaths.vrpath";
  }
  return {};
#endif
}

std::optional<RuntimePaths> readRuntimePaths() {
  const std::optional<std::string> runtime = environmentValue("VR_OVERRIDE");
  const std::optional<std::string> config = environmentValue("VR_CONFIG_PATH");
  const std::optional<std::string> log = environmentValue("VR_LOG_PATH");
  // The file is read all the same, and its faults reported.
  std::optional<RuntimePaths> paths = readFile(pathRegistryFile());
  if (!paths && !(runtime && config && log)) return std::nullopt;
  if (!paths) paths = RuntimePaths{};
  if (runtime) paths->runtime = *runtime;
  if (config) paths->config = *config;
  if (log) paths->log = *log;
  return paths;
}

}  // namespace standin
