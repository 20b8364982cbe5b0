// The command line the tools take: one argument, the manifest's path,
// handed to the tool's work in the form the runtime expects; a tool may
// also take one option before it.
#pragma once

namespace corvane::tools {

// The tool's work on one manifest path; returns the exit status. option
// tells whether the tool's option was given.
using ManifestCommand = int (*)(const char* manifestPath, bool option);

// Makes standard error safe to write to and every log line whole, checks
// the arguments: exactly one, the manifest's path, or, when the tool has an
// option (not null), that option and then the path. Else prints "usage:
// <toolName> [<option>] <absolute-path-to.vrmanifest>" and returns 2.
// Then runs the command on the path.
int runManifestCommand(const char* toolName, const char* option, int argc, char** argv,
                       ManifestCommand command);

#ifdef _WIN32
// The narrow argv of main is in the ANSI code page, which garbles or drops
// characters outside it. The wide command line is what the user typed, and
// its UTF-8 form is what the runtime expects. A path with no UTF-8 form is
// refused with status 2 before the runtime is contacted.
int runManifestCommand(const char* toolName, const char* option, int argc, wchar_t** argv,
                       ManifestCommand command);
#endif

}  // namespace corvane::tools
