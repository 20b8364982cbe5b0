#include "path_registry.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#endif

namespace standin {
namespace {

using nlohmann::json;

// As UTF-8, the SDK's own text; unset and empty are the same to the loader.
std::optional<std::string> environmentValue(const char* name) {
#ifdef _WIN32
  const std::wstring wideName(name, name + std::char_traits<char>::length(name));
  const wchar_t* value = _wgetenv(wideName.c_str());
  if (value == nullptr || *value == L'\0') return std::nullopt;
  return std::filesystem::path(value).u8string();
#else
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
#endif
}

// The list's first entry, as jsoncpp's asString() gives it: null or a
// non-list is an empty list (the loader says so), a number or boolean is its
// text, and a list or object inside fails the whole file.
std::optional<std::string> firstEntry(const json& registry, const char* key) {
  const auto list = registry.find(key);
  if (list == registry.end()) return std::string();
  if (!list->is_array()) {
    std::fprintf(stderr, "VR Path Registry node %s is not an array\n", key);
    return std::string();
  }
  std::string first;
  for (const json& entry : *list) {
    std::string text;
    if (entry.is_structured()) return std::nullopt;
    if (entry.is_string()) {
      text = entry.get<std::string>();
    } else if (!entry.is_null()) {
      text = entry.dump();
    }
    if (&entry == &list->front()) first = text;
  }
  return first;
}

// The file's three lists, or nullopt when the vendor's loader cannot read
// it: missing, empty, not JSON as its jsoncpp reads it, or no object.
std::optional<RuntimePaths> readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (text.empty()) {
    std::fprintf(stderr, "Unable to read VR Path Registry from %s\n", file.u8string().c_str());
    return std::nullopt;
  }
  const json registry = parseAsTheRuntimeDoes(text);
  std::optional<RuntimePaths> paths;
  if (registry.is_object()) {
    const std::optional<std::string> runtime = firstEntry(registry, "runtime");
    const std::optional<std::string> config = firstEntry(registry, "config");
    const std::optional<std::string> log = firstEntry(registry, "log");
    if (runtime && config && log) paths = RuntimePaths{*runtime, *config, *log};
  }
  if (!paths) std::fprintf(stderr, "Unable to parse %s\n", file.u8string().c_str());
  return paths;
}

}  // namespace

json parseAsTheRuntimeDoes(const std::string& text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) return json(json::value_t::discarded);
  return json::parse(text, nullptr, /*allow_exceptions=*/false, /*ignore_comments=*/true);
}

std::filesystem::path pathRegistryFile() {
  if (const std::optional<std::string> file = environmentValue("VR_PATHREG_OVERRIDE")) {
    return std::filesystem::u8path(*file);
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
  if (const std::optional<std::string> home = environmentValue("HOME")) {
    return std::filesystem::path(*home) / ".config" / "openvr" / "openvrpaths.vrpath";
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
