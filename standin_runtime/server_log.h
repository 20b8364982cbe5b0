// The runtime's log, vrserver.txt in the log folder the paths file names,
// as the runtime writes it: started afresh when its server starts (the one
// before kept as vrserver.previous.txt), one line an entry,
// "<Www> <Mmm> <dd> <yyyy> <HH:MM:SS>.<fraction> [Info] - <message>" in
// local time, the fraction in microseconds on Linux and milliseconds with
// CRLF line ends on Windows (as the runtime's public logs show).
#pragma once

#include <filesystem>
#include <string_view>

namespace standin {

void startServerLog(const std::filesystem::path& folder);

// Appends one entry; nothing without a folder.
void writeServerLog(const std::filesystem::path& folder, std::string_view message);

}  // namespace standin
