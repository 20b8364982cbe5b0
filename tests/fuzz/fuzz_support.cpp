#include "fuzz_support.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "logger.h"

namespace corvane::fuzzing {
namespace {

class DroppingLogger : public common::ILogger {
 public:
  void log(common::LogLevel, std::string_view) override {}
  void setLevel(common::LogLevel) override {}
  common::LogLevel getLevel() const override { return common::LogLevel::Fatal; }
};

// Removes the folder when the process ends normally, as libFuzzer's does
// at the end of its time.
struct Folder {
  std::filesystem::path path;
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

const std::filesystem::path& scratch() {
  static const Folder folder = [] {
    std::string name = (std::filesystem::temp_directory_path() / "vrenlist-fuzz-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) std::abort();
    return Folder{name};
  }();
  return folder.path;
}

std::filesystem::path writeInput(const std::filesystem::path& name, const std::uint8_t* data,
                                 std::size_t size) {
  const std::filesystem::path file = scratch() / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return file;
}

void silenceLogging() { common::setLogger(std::make_shared<DroppingLogger>()); }

}  // namespace corvane::fuzzing
