#include "server_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace standin {
namespace {

#ifdef _WIN32
constexpr int kFractionDigits = 3;
constexpr const char* kLineEnd = "\r\n";
#else
constexpr int kFractionDigits = 6;
constexpr const char* kLineEnd = "\n";
#endif

std::string now() {
  const auto clock = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(clock);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  char date[64];
  std::strftime(date, sizeof date, "%a %b %d %Y %H:%M:%S", &local);
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(clock.time_since_epoch()).count() %
      1000000;
  char fraction[16];
  std::snprintf(fraction, sizeof fraction, ".%06lld", static_cast<long long>(micros));
  return date + std::string(fraction, 1 + kFractionDigits);
}

}  // namespace

void startServerLog(const std::filesystem::path& folder) {
  if (folder.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  std::filesystem::rename(folder / "vrserver.txt", folder / "vrserver.previous.txt", ignored);
  std::ofstream(folder / "vrserver.txt", std::ios::binary | std::ios::trunc);
}

void writeServerLog(const std::filesystem::path& folder, std::string_view message) {
  if (folder.empty()) return;
  const std::filesystem::path file = folder / "vrserver.txt";
  // A log a test left as if caught in the middle of a line: the runtime
  // writes each line whole, so that line would be ended before this one.
  bool unfinished = false;
  if (std::ifstream in{file, std::ios::binary | std::ios::ate}; in && in.tellg() > 0) {
    in.seekg(-1, std::ios::end);
    unfinished = in.get() != '\n';
  }
  std::ofstream out(file, std::ios::binary | std::ios::app);
  if (unfinished) out << kLineEnd;
  out << now() << " [Info] - " << message << kLineEnd;
}

}  // namespace standin
