// The user named is the one this process runs as, whatever USER says.
#include "loader_paths.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace corvane::vrcheck {
namespace {

// su -p, su -m, runuser -m and setpriv keep the caller's USER for another
// user; as root, the test becomes nobody with USER=root, as su -p would.
TEST(LoaderPathsTest, UserNamedIsTheEffectiveOneWhateverUserSays) {
  const uid_t becomes = geteuid() == 0 ? 65534 : geteuid();
  const passwd* entry = getpwuid(becomes);
  ASSERT_NE(entry, nullptr);
  const std::string expected = entry->pw_name;
  ASSERT_NE(expected, "root");

  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(channel[0]);
    setenv("USER", "root", 1);
    if (geteuid() == 0 && (setgid(becomes) != 0 || setuid(becomes) != 0)) _exit(1);
    const std::string name = userName();
    _exit(write(channel[1], name.data(), name.size()) == static_cast<ssize_t>(name.size()) ? 0 : 1);
  }
  close(channel[1]);
  std::string named;
  char buffer[256];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) named.append(buffer, got);
  close(channel[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(named, expected);
}

}  // namespace
}  // namespace corvane::vrcheck
#endif
