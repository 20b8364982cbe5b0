#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

extern char** environ;

namespace corvane::testing {
namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string> merged;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : overrides) merged[name] = value;
  std::vector<std::string> result;
  for (const auto& [name, value] : merged) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& s : strings) result.push_back(s.data());
  result.push_back(nullptr);
  return result;
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void execChild(char** argv, char** envp, ErrorStream errorStream, int pipeRead,
                            int pipeWrite, int outputWrite, const char* workingFolder) {
  const int devNull = open("/dev/null", O_RDWR);
  dup2(devNull, STDIN_FILENO);
  dup2(outputWrite >= 0 ? outputWrite : devNull, STDOUT_FILENO);
  switch (errorStream) {
    case ErrorStream::Captured:
    case ErrorStream::BrokenPipe: dup2(pipeWrite, STDERR_FILENO); break;
    case ErrorStream::Closed: close(STDERR_FILENO); break;
    case ErrorStream::DeviceFull: {
      const int full = open("/dev/full", O_WRONLY);
      dup2(full, STDERR_FILENO);
      if (full > STDERR_FILENO) close(full);
      break;
    }
  }
  if (pipeRead >= 0) close(pipeRead);
  if (pipeWrite > STDERR_FILENO) close(pipeWrite);
  if (outputWrite > STDERR_FILENO) close(outputWrite);
  if (devNull > STDERR_FILENO) close(devNull);
  // The child must meet the default SIGPIPE disposition, whatever ours is.
  signal(SIGPIPE, SIG_DFL);
  if (*workingFolder != '\0' && chdir(workingFolder) != 0) _exit(127);
  execve(argv[0], argv, envp);
  _exit(127);
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  std::vector<std::string> args = argv;
  std::vector<std::string> env = mergedEnvironment(options.environment);
  std::vector<char*> argPointers = pointers(args);
  std::vector<char*> envPointers = pointers(env);

  int fds[2] = {-1, -1};
  int output[2] = {-1, -1};
  if (pipe2(fds, O_CLOEXEC) != 0) std::abort();
  if (options.captureOutput && pipe2(output, O_CLOEXEC) != 0) std::abort();
  if (options.errorStream == ErrorStream::BrokenPipe) {
    close(fds[0]);
    fds[0] = -1;
  }
  const pid_t pid = fork();
  if (pid < 0) std::abort();
  if (pid == 0) {
    execChild(argPointers.data(), envPointers.data(), options.errorStream, fds[0], fds[1],
              output[1], options.workingFolder.c_str());
  }
  close(fds[1]);
  if (output[1] >= 0) close(output[1]);

  // Both pipes at once: a child that fills one while the other is read
  // would wait for ever.
  ProcessResult result;
  struct pollfd streams[2] = {{fds[0], POLLIN, 0}, {output[0], POLLIN, 0}};
  std::string* texts[2] = {&result.standardError, &result.standardOutput};
  while (streams[0].fd >= 0 || streams[1].fd >= 0) {
    if (poll(streams, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (streams[i].fd < 0 || streams[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(streams[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(streams[i].fd);
        streams[i].fd = -1;  // poll skips it from now on
      }
    }
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

RunningProcess::RunningProcess(const std::vector<std::string>& argv,
                               const std::map<std::string, std::string>& environment) {
  std::vector<std::string> args = argv;
  std::vector<std::string> env = mergedEnvironment(environment);
  std::vector<char*> argPointers = pointers(args);
  std::vector<char*> envPointers = pointers(env);
  id_ = fork();
  if (id_ < 0) std::abort();
  if (id_ == 0) {
    const int null = open("/dev/null", O_RDWR);
    for (int stream = 0; stream < 3; ++stream) dup2(null, stream);
    execve(argPointers[0], argPointers.data(), envPointers.data());
    _exit(127);
  }
}

RunningProcess::~RunningProcess() {
  kill(id_, SIGKILL);
  int status = 0;
  while (waitpid(id_, &status, 0) < 0 && errno == EINTR) {
  }
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace corvane::testing
