// A logger that keeps what it is given, for the tests of what logs.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "logger.h"

namespace corvane::testing {

class RecordingLogger : public common::ILogger {
 public:
  void log(common::LogLevel level, std::string_view message) override {
    entries.emplace_back(level, std::string(message));
  }
  void setLevel(common::LogLevel level) override { threshold = level; }
  common::LogLevel getLevel() const override { return threshold; }

  std::vector<std::pair<common::LogLevel, std::string>> entries;
  common::LogLevel threshold = common::LogLevel::Info;
};

}  // namespace corvane::testing
