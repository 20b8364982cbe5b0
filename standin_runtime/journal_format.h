// The stand-in runtime's journal: one line per call, "Name arg arg ...".
// String arguments are written in double quotes with every byte outside
// '!'..'~', and '"' and '\', as \xHH, so a line holds no blanks of its own
// and the exact bytes a caller passed can be recovered.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// A quoted, escaped string argument; "null" for a null pointer.
std::string quoteArgument(const char* text);

// The bytes of a quoted argument, or nullopt if it is not one.
std::optional<std::string> unquoteArgument(std::string_view token);

struct JournalEntry {
  std::string call;
  // Quoted arguments as the bytes they stand for; others (numbers, true,
  // false, null) as written.
  std::vector<std::string> arguments;

  bool operator==(const JournalEntry& other) const {
    return call == other.call && arguments == other.arguments;
  }
};

JournalEntry parseJournalLine(std::string_view line);

}  // namespace standin
