#include "runtime_processes.h"

#include <algorithm>
#include <vector>

#include "json_text.h"
#include "same_path.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <memory>

#include "utf16.h"
#else
#include <pwd.h>
#include <sys/stat.h>

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

std::vector<RuntimeProcess> allProcesses() {
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
    processes.push_back(
        {entry.th32ProcessID, common::displayableUtf8(image), ownerOf(process.get())});
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

std::vector<RuntimeProcess> allProcesses() {
  std::vector<RuntimeProcess> processes;
  std::error_code error;
  for (std::filesystem::directory_iterator entry("/proc", error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    unsigned long long id = 0;
    const auto [last, problem] = std::from_chars(name.data(), name.data() + name.size(), id);
    if (problem != std::errc() || last != name.data() + name.size()) continue;  // not a process
    // A process of another user's, or one that just ended, cannot be
    // followed to its program.
    std::error_code unreadable;
    std::string program = std::filesystem::read_symlink(entry->path() / "exe", unreadable).string();
    if (unreadable || program.empty()) continue;
    // A program replaced while it runs, as by an update of the runtime.
    constexpr std::string_view kDeleted = " (deleted)";
    if (readers::endsWith(program, kDeleted)) program.resize(program.size() - kDeleted.size());
    struct stat status {};
    const std::string user =
        stat(entry->path().c_str(), &status) == 0 ? accountName(status.st_uid) : "";
    processes.push_back({id, program, user});
  }
  return processes;
}
#endif

// The processes whose program passes test, given as found and with links
// resolved: the system names programs where it found them.
template <typename Test>
std::vector<RuntimeProcess> processesWhere(const std::filesystem::path& path, Test test) {
  std::error_code ignored;
  const std::filesystem::path real = std::filesystem::weakly_canonical(path, ignored);
  std::vector<RuntimeProcess> found;
  for (RuntimeProcess& process : allProcesses()) {
    const std::filesystem::path program = std::filesystem::u8path(process.program);
    if (test(program, path) || (!real.empty() && test(program, real))) {
      found.push_back(std::move(process));
    }
  }
  std::sort(found.begin(), found.end(),
            [](const RuntimeProcess& a, const RuntimeProcess& b) { return a.id < b.id; });
  return found;
}

}  // namespace

std::vector<RuntimeProcess> processesRunningFrom(const std::filesystem::path& folder) {
  return processesWhere(folder, [](const std::filesystem::path& program,
                                   const std::filesystem::path& within) {
    return isWithin(program, within);
  });
}

std::vector<RuntimeProcess> processesRunning(const std::filesystem::path& program) {
  return processesWhere(program, [](const std::filesystem::path& running,
                                    const std::filesystem::path& binary) {
    return samePath(running, binary);
  });
}

}  // namespace corvane::vrcheck
