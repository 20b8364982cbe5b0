// The processes that are still alive: an earlier session's server, monitor
// or compositor keeps a new connection from being made, and an earlier
// session's app keeps the runtime from starting it again. Read only:
// nothing here ends or signals a process.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::vrcheck {

struct RuntimeProcess {
  unsigned long long id = 0;
  std::string program;  // its path, UTF-8
  std::string user;     // "" where it cannot be read
};

// Every process whose program lies below folder (the runtime's bin), in
// the order of their ids. Processes this user may not look at are left out.
std::vector<RuntimeProcess> processesRunningFrom(const std::filesystem::path& folder);

// Every process whose program is this file (the app's binary), not one of
// the same name elsewhere; in the order of their ids, as above.
std::vector<RuntimeProcess> processesRunning(const std::filesystem::path& program);

}  // namespace corvane::vrcheck
