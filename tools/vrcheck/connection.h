// What vrcheck can tell of the way to the runtime before it connects: the
// paths file the SDK's loader reads, the runtime it names, and what the
// environment overrides. It reads the file; it never writes it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "findings.h"

namespace corvane::vrcheck {

struct ConnectionFacts {
  bool inPlace = true;              // no connection finding was a WARN
  bool connect = true;              // false: the loader must not be started, see why
  bool layer = false;               // the runtime folder holds a translation layer
  std::filesystem::path pathsFile;  // empty when there is no name for one
  std::string runtime;              // the folder the loader uses, "" if none
  std::vector<std::string> listed;  // every runtime folder the file lists
  std::string vendorRuntime;        // with a layer: a listed vendor's runtime, if any
  std::string config;               // the runtime's config folder, "" if none
  std::string log;                  // the runtime's log folder, "" if none
};

// One finding for the paths file, for each override set, and for each fault
// on the loader's way to the runtime's client library. manifest is the
// manifest as the user named it, for the commands the findings suggest.
// Sets connect to false when starting the loader would hang it (a paths file
// or a client library that is a pipe or a device) or load a translation
// layer.
ConnectionFacts checkConnection(const std::string& manifest, Findings& findings);

// After VR_Init succeeded with a runtime that offers no applications
// interface.
void explainMissingApplications(const ConnectionFacts& facts, Findings& findings);

}  // namespace corvane::vrcheck
