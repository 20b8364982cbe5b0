#pragma once

#include <map>
#include <string>
#include <vector>

namespace corvane::testing {

// Where the child's standard error goes.
enum class ErrorStream {
  Captured,    // a pipe read to the end by the parent
  Closed,      // descriptor 2 closed before exec
  BrokenPipe,  // a pipe whose read end is already closed
  DeviceFull,  // /dev/full: every write fails with ENOSPC
};

struct ProcessResult {
  int exitStatus = -1;  // -1 when the child did not exit normally
  int signal = 0;       // the signal that ended it, if any
  std::string standardError;
  std::string standardOutput;
};

struct ProcessOptions {
  // Added to, or replacing entries of, the parent's environment.
  std::map<std::string, std::string> environment;
  ErrorStream errorStream = ErrorStream::Captured;
  bool captureOutput = false;  // else standard output goes to /dev/null
  std::string workingFolder;   // the child's, if not this process's
};

// Runs argv[0] with the given arguments (any bytes but NUL), standard input
// on /dev/null, and waits for it.
ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// A child left running while a test looks at it: argv[0] started with its
// arguments, its standard streams on /dev/null, and killed and waited for
// when this ends.
class RunningProcess {
 public:
  explicit RunningProcess(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& environment = {});
  ~RunningProcess();
  RunningProcess(const RunningProcess&) = delete;
  RunningProcess& operator=(const RunningProcess&) = delete;

  int id() const { return id_; }

 private:
  int id_ = -1;
};

// The lines of a text, without their newlines; a last line without one counts.
std::vector<std::string> splitLines(const std::string& text);

}  // namespace corvane::testing
