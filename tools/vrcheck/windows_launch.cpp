#include "windows_launch.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which they need.
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>
#include <type_traits>

#include "same_path.h"
#include "utf16.h"
#endif

namespace corvane::vrcheck {

#ifndef _WIN32
void checkWindowsLaunch(const std::filesystem::path&, const std::string&,
                        const std::filesystem::path&, Findings&) {}
#else
namespace {

constexpr const wchar_t* kLayers =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

bool equalIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Whether a path goes through a Store package folder, Program
// Files\WindowsApps or another volume's WindowsApps.
bool inStoreFolder(const std::filesystem::path& path) {
  for (const std::filesystem::path& part : path.lexically_normal()) {
    if (equalIgnoringCase(part.native(), L"WindowsApps")) return true;
  }
  return false;
}

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct Mark {
  std::string key;    // as reg.exe names it
  std::string value;  // the binary's path as the registry holds it, the value's name
  std::string flags;  // the value's data, "~ RUNASADMIN" say
};

// The compatibility layers Windows applies to binary, from the user's
// settings or the machine's: a value named after its full path, in any
// letter case, whose data lists RUNASADMIN among its flags.
std::optional<Mark> runAsAdministratorMark(const std::filesystem::path& binary) {
  const std::pair<HKEY, const char*> roots[] = {{HKEY_CURRENT_USER, "HKCU"},
                                                {HKEY_LOCAL_MACHINE, "HKLM"}};
  for (const auto& [root, rootName] : roots) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, kLayers, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) continue;
    const Key key(opened);
    std::wstring name(32768, L'\0');
    std::wstring data(1024, L'\0');
    for (DWORD index = 0;; ++index) {
      DWORD nameLength = static_cast<DWORD>(name.size());
      DWORD type = 0;
      DWORD dataSize = static_cast<DWORD>(data.size() * sizeof(wchar_t));
      const LSTATUS status = RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr,
                                           &type, reinterpret_cast<BYTE*>(data.data()), &dataSize);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS || type != REG_SZ) continue;
      const std::wstring value = name.substr(0, nameLength);
      if (!samePath(std::filesystem::path(value), binary)) continue;
      const std::wstring flags(data.c_str(), wcsnlen(data.c_str(), dataSize / sizeof(wchar_t)));
      // Space-separated flags, "~" first when set by a program.
      for (std::size_t at = 0; at < flags.size();) {
        const std::size_t end = std::min(flags.find(L' ', at), flags.size());
        if (equalIgnoringCase(flags.substr(at, end - at), L"RUNASADMIN")) {
          return Mark{std::string(rootName) + "\\" + common::displayableUtf8(kLayers),
                      common::displayableUtf8(value), common::displayableUtf8(flags)};
        }
        at = end + 1;
      }
    }
  }
  return std::nullopt;
}

struct LibraryFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

template <typename Interface>
struct Released {
  void operator()(Interface* object) const { object->Release(); }
};
template <typename Interface>
using Com = std::unique_ptr<Interface, Released<Interface> >;

// The execution level the manifest's XML asks for: the level attribute of
// its requestedExecutionLevel element, comments and all read by Windows'
// own XML reader. "" when it names none.
std::wstring levelInManifest(const void* bytes, DWORD size) {
  // Not in MinGW's import libraries; in every Windows since Vista.
  const Library xmllite(LoadLibraryW(L"xmllite.dll"));
  if (!xmllite) return L"";
  using Create = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
  const auto create = reinterpret_cast<Create>(
      reinterpret_cast<void*>(GetProcAddress(xmllite.get(), "CreateXmlReader")));
  if (create == nullptr) return L"";
  const Com<IStream> stream(SHCreateMemStream(static_cast<const BYTE*>(bytes), size));
  IXmlReader* made = nullptr;
  if (!stream || FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&made), nullptr))) {
    return L"";
  }
  const Com<IXmlReader> reader(made);
  reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  if (FAILED(reader->SetInput(stream.get()))) return L"";
  XmlNodeType node;
  while (reader->Read(&node) == S_OK) {
    const wchar_t* name = nullptr;
    if (node != XmlNodeType_Element || FAILED(reader->GetLocalName(&name, nullptr)) ||
        std::wcscmp(name, L"requestedExecutionLevel") != 0) {
      continue;
    }
    const wchar_t* level = nullptr;
    if (reader->MoveToAttributeByName(L"level", nullptr) == S_OK &&
        SUCCEEDED(reader->GetValue(&level, nullptr))) {
      return level;
    }
  }
  return L"";
}

// What the binary's embedded manifest (its RT_MANIFEST resource 1, which
// Windows reads when it starts a program) asks for, read as data: the
// binary is never run.
std::wstring requestedLevel(const std::filesystem::path& binary) {
  const Library image(LoadLibraryExW(binary.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!image) return L"";
  HRSRC found = FindResourceW(image.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  if (found == nullptr) return L"";
  const DWORD size = SizeofResource(image.get(), found);
  HGLOBAL loaded = LoadResource(image.get(), found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  // Larger than any manifest: not one.
  if (bytes == nullptr || size == 0 || size > 1024 * 1024) return L"";
  return levelInManifest(bytes, size);
}

}  // namespace

void checkWindowsLaunch(const std::filesystem::path& manifest, const std::string& shown,
                        const std::filesystem::path& binary, Findings& findings) {
  const char* outsideTheStore =
      ", which the runtime can neither read nor start from. Install the app outside the Store's "
      "folder, or register a launcher that lives outside it.";
  if (inStoreFolder(manifest)) {
    findings.notInPlace("store-package-folder",
                        "Manifest lies in a Store (MSIX) package folder, WindowsApps: ",
                        Path{"manifest", shown}, outsideTheStore);
  } else if (!binary.empty() && inStoreFolder(binary)) {
    findings.notInPlace("store-package-folder",
                        "Binary lies in a Store (MSIX) package folder, WindowsApps: ",
                        Path{"binary", binary.u8string()}, outsideTheStore);
  }
  if (binary.empty()) return;
  const char* unelevated =
      ", and the runtime, which runs unelevated, cannot start it (error 740). ";
  if (const std::optional<Mark> mark = runAsAdministratorMark(binary)) {
    findings.notInPlace(
        "binary-marked-administrator", "Binary is marked to run as administrator (",
        Path{"flags", mark->flags}, " in ", Path{"registry_key", mark->key},
        "): ", Path{"binary", binary.u8string()}, unelevated,
        "Clear \"Run this program as an administrator\" in its Properties, Compatibility, or: ",
        // reg.exe finds a value by its name alone: as the registry holds it,
        // which may spell the path otherwise than the manifest does.
        Command{{"reg", "delete", mark->key, "/v", mark->value, "/f"}});
  }
  const std::wstring level = requestedLevel(binary);
  if (level == L"requireAdministrator" || level == L"highestAvailable") {
    findings.notInPlace("binary-asks-elevation", "Binary asks to run elevated in its manifest (",
                        Path{"execution_level", common::displayableUtf8(level)},
                        "): ", Path{"binary", binary.u8string()}, unelevated,
                        "Build it with level asInvoker.");
  }
}
#endif

}  // namespace corvane::vrcheck
