// The console logger against what a user would pick instead (spdlog's
// standard-error sink, flushed every line) and against the floor (one
// write(2) of the finished line). Standard error is the null device for the
// whole run, so the numbers are the loggers' own cost plus one system call.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>

#include "logger.h"

namespace {

using corvane::common::ConsoleLogger;
using corvane::common::ILogger;
using corvane::common::LogLevel;

// A typical message: 40 bytes.
constexpr std::string_view kMessage = "Registered manifest: /opt/app.vrmanifest";
static_assert(kMessage.size() == 40);

void consoleLoggerInfo(benchmark::State& state) {
  static ConsoleLogger logger;  // one logger shared by the benchmark's threads
  for (auto _ : state) logger.log(LogLevel::Info, kMessage);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(consoleLoggerInfo)->Threads(1)->Threads(2)->UseRealTime();

std::shared_ptr<spdlog::logger> makeSpdlogLogger(bool multiThreaded) {
  std::shared_ptr<spdlog::logger> logger;
  if (multiThreaded) {
    logger =
        std::make_shared<spdlog::logger>("mt", std::make_shared<spdlog::sinks::stderr_sink_mt>());
  } else {
    logger =
        std::make_shared<spdlog::logger>("st", std::make_shared<spdlog::sinks::stderr_sink_st>());
  }
  logger->set_pattern("[%H:%M:%S.%e] [%l] %v");
  logger->flush_on(spdlog::level::info);
  return logger;
}

void spdlogStderrSingleThreadedSink(benchmark::State& state) {
  static const std::shared_ptr<spdlog::logger> logger = makeSpdlogLogger(false);
  for (auto _ : state) logger->info(kMessage);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(spdlogStderrSingleThreadedSink)->Threads(1)->UseRealTime();

void spdlogStderrMultiThreadedSink(benchmark::State& state) {
  static const std::shared_ptr<spdlog::logger> logger = makeSpdlogLogger(true);
  for (auto _ : state) logger->info(kMessage);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(spdlogStderrMultiThreadedSink)->Threads(2)->UseRealTime();

void writeFloor(benchmark::State& state) {
  const std::string line = "[14:02:09.041] [INFO] " + std::string(kMessage) + "\n";
  for (auto _ : state) {
    benchmark::DoNotOptimize(write(STDERR_FILENO, line.data(), line.size()));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(writeFloor)->Threads(1)->Threads(2)->UseRealTime();

// The same line through std::cerr, as the console logger must write it: the
// cost of the stream and stdio layers above the system call.
void cerrWriteFloor(benchmark::State& state) {
  const std::string line = "[14:02:09.041] [INFO] " + std::string(kMessage) + "\n";
  for (auto _ : state) std::cerr.write(line.data(), static_cast<std::streamsize>(line.size()));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(cerrWriteFloor)->Threads(1)->UseRealTime();

// What every written line pays before formatting: the wall clock and its
// conversion to local time.
void clockAndLocalTime(benchmark::State& state) {
  for (auto _ : state) {
    const std::time_t time = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    benchmark::DoNotOptimize(localtime_r(&time, &local));
  }
}
BENCHMARK(clockAndLocalTime);

// A message below the threshold: the sink's own cost...
void droppedInSink(benchmark::State& state) {
  ConsoleLogger logger;
  for (auto _ : state) {
    benchmark::DoNotOptimize(&logger);
    logger.log(LogLevel::Debug, kMessage);
  }
}
BENCHMARK(droppedInSink);

// ...and with the virtual call that the process-wide logger makes.
void droppedThroughInterface(benchmark::State& state) {
  const std::shared_ptr<ILogger> logger = std::make_shared<ConsoleLogger>();
  for (auto _ : state) {
    benchmark::DoNotOptimize(logger.get());
    logger->log(LogLevel::Debug, kMessage);
  }
}
BENCHMARK(droppedThroughInterface);

// The front-end composes every message, dropped or not.
void composedThenDropped(benchmark::State& state) {
  for (auto _ : state) corvane::common::logDebug("Registered manifest: ", "/opt/app.vrmanifest");
}
BENCHMARK(composedThenDropped);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::fflush(stderr);
  const int savedError = dup(STDERR_FILENO);
  const int devNull = open("/dev/null", O_WRONLY);
  dup2(devNull, STDERR_FILENO);
  close(devNull);
  benchmark::RunSpecifiedBenchmarks();
  dup2(savedError, STDERR_FILENO);
  close(savedError);
  benchmark::Shutdown();
  return 0;
}
