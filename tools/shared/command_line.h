// The command line both tools take: exactly one argument, the manifest's
// path, handed to the tool's work in the form the runtime expects.
#pragma once

namespace corvane::tools {

// The tool's work on one manifest path; returns the exit status.
using ManifestCommand = int (*)(const char* manifestPath);

// Makes standard error safe to write to, checks that there is exactly one
// argument (else prints "usage: <toolName> <absolute-path-to.vrmanifest>"
// and returns 2), and runs the command on it.
int runManifestCommand(const char* toolName, int argc, char** argv, ManifestCommand command);

#ifdef _WIN32
// The narrow argv of main is in the ANSI code page, which garbles or drops
// characters outside it. The wide command line is what the user typed, and
// its UTF-8 form is what the runtime expects. A path with no UTF-8 form is
// refused with status 2 before the runtime is contacted.
int runManifestCommand(const char* toolName, int argc, wchar_t** argv, ManifestCommand command);
#endif

}  // namespace corvane::tools
