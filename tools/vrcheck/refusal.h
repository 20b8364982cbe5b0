// Why the runtime refused a connection or an interface, where no file
// vrcheck reads says so: a process left from an earlier session, a
// compositor or graphics driver that failed, a runtime older than the SDK.
#pragma once

#include <openvr.h>

#include "connection.h"
#include "findings.h"
#include "runtime_processes.h"

namespace corvane::vrcheck {

// A process left from an earlier session: what it is ("A runtime
// process"), its program, id and user, then whileItRuns, what it keeps from
// working and the words before the command that ends it.
void warnOfLeftover(const char* code, const char* what, const RuntimeProcess& process,
                    const char* whileItRuns, Findings& findings);

// After VR_Init failed with error: its cause and what to do.
void explainInitFailure(const ConnectionFacts& facts, vr::EVRInitError error, Findings& findings);

// After the runtime offered no interface of this version: whether its
// client library names it at all, and the runtime's build. False when it
// cannot tell (no such library, or another runtime than the vendor's).
bool explainMissingInterface(const ConnectionFacts& facts, const char* interfaceVersion,
                             Findings& findings);

}  // namespace corvane::vrcheck
