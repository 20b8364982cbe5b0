// A program's own start-up code may log before the logging module's has
// run. This file is linked ahead of the module, so its static initialiser
// runs first: the process-wide holder is still empty then, and the message
// must be dropped without harm.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "logger.h"

namespace corvane::common {
namespace {

struct EarlyLog {
  bool holderWasEmpty = false;
  std::string written;  // what reached descriptor 2
};

EarlyLog logBeforeStartup() {
  EarlyLog early;
  early.holderWasEmpty = getLogger() == nullptr;
  std::FILE* capture = std::tmpfile();
  const int savedError = dup(STDERR_FILENO);
  dup2(fileno(capture), STDERR_FILENO);
  logError("logged before start-up: ", 1);
  log(LogLevel::Fatal, std::string_view("and again"));
  std::cerr.flush();
  dup2(savedError, STDERR_FILENO);
  close(savedError);
  std::rewind(capture);
  for (int c; (c = std::fgetc(capture)) != EOF;) early.written += static_cast<char>(c);
  std::fclose(capture);
  return early;
}

const EarlyLog earlyLog = logBeforeStartup();

TEST(LogBeforeStartupTest, IsDroppedAndLoggingWorksOnceMainRuns) {
  ASSERT_TRUE(earlyLog.holderWasEmpty) << "the logging module started first: check the link order";
  EXPECT_EQ(earlyLog.written, "");

  const std::shared_ptr<ILogger> logger = getLogger();
  ASSERT_NE(logger, nullptr);
  std::ostringstream captured;
  std::streambuf* const saved = std::cerr.rdbuf(captured.rdbuf());
  logInfo("logged from main");
  std::cerr.rdbuf(saved);
  EXPECT_NE(captured.str().find("] [INFO] logged from main\n"), std::string::npos)
      << captured.str();
}

}  // namespace
}  // namespace corvane::common
