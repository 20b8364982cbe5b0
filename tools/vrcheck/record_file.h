// One of the files the runtime writes in its config folder, read as the
// runtime reads it: JSON by jsoncpp's rules, or why the runtime cannot.
#pragma once

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "small_file.h"

namespace corvane::vrcheck {

// A record as JSON, or nullopt with why not: "" for a missing file, else a
// sentence on what the runtime makes of it.
struct Record {
  std::optional<nlohmann::json> value;
  std::string problem;
  std::uintmax_t bytesRead = 0;  // what the reader took in: nothing of a file it refused
  readers::SmallFile unread;     // why the reader took nothing in, if so
};

Record readRecord(const std::filesystem::path& file);

}  // namespace corvane::vrcheck
