// Many threads, more than there are cores, logging into a real pipe on
// descriptor 2: every line must arrive whole, in order per thread, none lost,
// and in the order of their timestamps (the clock is read under the lock).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "logger.h"
#include "time_of_day.h"

namespace corvane::common {
namespace {

// Points descriptor 2 at a pipe drained by a reader thread until destroyed.
class StandardErrorPipe {
 public:
  StandardErrorPipe() {
    int fds[2];
    if (pipe(fds) != 0) std::abort();
    readEnd_ = fds[0];
    std::fflush(stderr);
    savedError_ = dup(STDERR_FILENO);
    dup2(fds[1], STDERR_FILENO);
    close(fds[1]);
    reader_ = std::thread([this] {
      char buffer[65536];
      for (ssize_t n; (n = read(readEnd_, buffer, sizeof buffer)) > 0;) {
        received_.append(buffer, static_cast<std::size_t>(n));
      }
    });
  }

  // Restores descriptor 2 and returns everything that went through the pipe.
  std::string finish() {
    std::cerr.flush();
    dup2(savedError_, STDERR_FILENO);  // closes the last write end
    close(savedError_);
    reader_.join();
    close(readEnd_);
    return received_;
  }

 private:
  int readEnd_ = -1;
  int savedError_ = -1;
  std::thread reader_;
  std::string received_;
};

TEST(ConsoleLoggerStressTest, EveryLineArrivesWholeAndInOrder) {
  constexpr int kThreads = 8;
  constexpr int kLinesEach = 20000;
  StandardErrorPipe pipe;
  {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([t] {
        // Half the threads through a logger of their own, half through the
        // process-wide one: every console logger shares the one lock.
        ConsoleLogger own;
        const std::string padding(t * 7, static_cast<char>('a' + t));
        for (int i = 0; i < kLinesEach; ++i) {
          if (t % 2 == 0) {
            own.log(LogLevel::Warn,
                    "thread " + std::to_string(t) + " line " + std::to_string(i) + " " + padding);
          } else {
            logWarn("thread ", t, " line ", i, " ", padding);
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  const std::string received = pipe.finish();

  const std::regex linePattern(
      R"(\[\d{2}:\d{2}:\d{2}\.\d{3}\] \[WARN\] thread (\d+) line (\d+) ([a-z]*))");
  std::vector<int> nextLine(kThreads, 0);
  std::size_t start = 0;
  int lines = 0;
  long long previousStamp = -1;
  while (start < received.size()) {
    const std::size_t end = received.find('\n', start);
    ASSERT_NE(end, std::string::npos) << "unterminated last line";
    const std::string line = received.substr(start, end - start);
    start = end + 1;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, linePattern)) << line;
    const int thread = std::stoi(match[1]);
    ASSERT_LT(thread, kThreads);
    ASSERT_EQ(std::stoi(match[2]), nextLine[thread]) << line;
    ASSERT_EQ(match[3].length(), static_cast<std::size_t>(thread * 7)) << line;
    const long long stamp = testing::stampedMillisecondsOfDay(line);
    if (stamp < previousStamp) {  // only midnight may turn the clock back
      ASSERT_GT(previousStamp - stamp, testing::kMillisecondsPerDay / 2) << line;
    }
    previousStamp = stamp;
    ++nextLine[thread];
    ++lines;
  }
  EXPECT_EQ(lines, kThreads * kLinesEach);
}

}  // namespace
}  // namespace corvane::common
