// What the fuzz targets share. Each hands its reader the bytes as a file's
// contents, in a folder of its own, the way the real code reads them; the
// findings' log lines go nowhere, as thousands of runs a second would
// otherwise spend their time writing them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace corvane::fuzzing {

// The process's own folder, made at the first call and removed at exit.
const std::filesystem::path& scratch();

// Writes data to name inside scratch(), making its folders; returns its path.
std::filesystem::path writeInput(const std::filesystem::path& name, const std::uint8_t* data,
                                 std::size_t size);

// Installs a logger that drops every message.
void silenceLogging();

}  // namespace corvane::fuzzing
