#include "runtime_processes.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "json_text.h"
#include "same_path.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "utf16.h"
#else
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#endif

namespace corvane::vrcheck {
namespace {

#ifdef _WIN32
struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// DOMAIN\name of the account the process runs as.
std::string ownerOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return "";
  const Handle tokenHandle(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return "";
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  wchar_t name[256];
  wchar_t domain[256];
  DWORD nameLength = 256;
  DWORD domainLength = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, user->User.Sid, name, &nameLength, domain, &domainLength, &use)) {
    return "";
  }
  return common::displayableUtf8(std::wstring(domain, domainLength) + L"\\" +
                                 std::wstring(name, nameLength));
}

// Every process whose program wanted takes, with its user: asked only of
// those, as a desktop runs hundreds of processes.
template <typename Wanted>
std::vector<RuntimeProcess> processesOf(Wanted wanted) {
  std::vector<RuntimeProcess> processes;
  HANDLE taken = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (taken == INVALID_HANDLE_VALUE) return processes;
  const Handle snapshot(taken);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    const Handle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) continue;
    std::wstring image(32768, L'\0');
    DWORD length = static_cast<DWORD>(image.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, image.data(), &length)) continue;
    image.resize(length);
    std::string program = common::displayableUtf8(image);
    if (!wanted(std::string_view(program))) continue;
    processes.push_back({entry.th32ProcessID, std::move(program), ownerOf(process.get())});
  }
  return processes;
}
#else
// The name of the account with this id, else the id. (The connection has
// ended by now: nothing else asks the user database at the same time.)
std::string accountName(uid_t id) {
  const passwd* found = getpwuid(id);
  return found != nullptr ? found->pw_name : std::to_string(id);
}

struct DirectoryCloser {
  void operator()(DIR* directory) const { closedir(directory); }
};

// Every process whose program wanted takes, with its user: asked only of
// those, as a desktop runs hundreds of processes. Plain calls, no paths
// built: this runs once for each of them.
template <typename Wanted>
std::vector<RuntimeProcess> processesOf(Wanted wanted) {
  std::vector<RuntimeProcess> processes;
  const std::unique_ptr<DIR, DirectoryCloser> proc(opendir("/proc"));
  if (!proc) return processes;
  std::string link;
  char target[4096];
  while (const dirent* entry = readdir(proc.get())) {
    const std::string_view name = entry->d_name;
    unsigned long long id = 0;
    const auto [last, problem] = std::from_chars(name.data(), name.data() + name.size(), id);
    if (name.empty() || problem != std::errc() || last != name.data() + name.size()) {
      continue;  // not a process
    }
    // A process of another user's, or one that just ended, cannot be
    // followed to its program.
    link.assign("/proc/").append(name);
    const std::size_t folder = link.size();
    link.append("/exe");
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof target) continue;
    std::string_view program(target, static_cast<std::size_t>(length));
    // A program replaced while it runs, as by an update of the runtime.
    constexpr std::string_view kDeleted = " (deleted)";
    if (readers::endsWith(program, kDeleted)) program.remove_suffix(kDeleted.size());
    if (!wanted(program)) continue;
    link.resize(folder);
    struct stat status {};
    const std::string user = stat(link.c_str(), &status) == 0 ? accountName(status.st_uid) : "";
    processes.push_back({id, std::string(program), user});
  }
  return processes;
}
#endif

std::vector<RuntimeProcess> byId(std::vector<RuntimeProcess> processes) {
  std::sort(processes.begin(), processes.end(),
            [](const RuntimeProcess& a, const RuntimeProcess& b) { return a.id < b.id; });
  return processes;
}

}  // namespace

// Programs are named as the system found them, links resolved: each path is
// compared as given and resolved.
std::vector<RuntimeProcess> processesRunningFrom(const std::filesystem::path& folder) {
  std::error_code ignored;
  const std::filesystem::path real = std::filesystem::weakly_canonical(folder, ignored);
  return byId(processesOf([&](std::string_view name) {
    const std::filesystem::path program = std::filesystem::u8path(name);
    return isWithin(program, folder) || (!real.empty() && isWithin(program, real));
  }));
}

std::vector<RuntimeProcess> processesRunning(const std::filesystem::path& binary) {
  std::error_code ignored;
  const std::filesystem::path real = std::filesystem::weakly_canonical(binary, ignored);
#ifndef _WIN32
  const std::string names[] = {binary.filename().string(), real.filename().string()};
#endif
  return byId(processesOf([&](std::string_view name) {
#ifndef _WIN32
    // Most programs have another file name: passed over without a path built.
    const std::string_view file = name.substr(name.rfind('/') + 1);
    if (file != names[0] && file != names[1]) return false;
#endif
    const std::filesystem::path program = std::filesystem::u8path(name);
    return samePath(program, binary) || (!real.empty() && samePath(program, real));
  }));
}

}  // namespace corvane::vrcheck
