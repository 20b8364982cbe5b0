#pragma once

// Makes standard error safe to write to whatever it is connected to:
// - a write to a pipe whose reader has gone fails instead of raising SIGPIPE,
//   so the exit status still reports what the runtime did;
// - standard descriptors that were closed are opened on the null device, so
//   a descriptor the runtime opens later can never be mistaken for them and
//   receive log lines.
// No-op where the platform has neither concern (Windows).
namespace corvane::tools {

void protectStandardStreams();

}  // namespace corvane::tools
