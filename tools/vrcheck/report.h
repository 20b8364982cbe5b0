// The findings as data, for programs: one JSON document on standard
// output (vrcheck --json). Its shape is docs/vrcheck.schema.json.
#pragma once

#include <string>
#include <vector>

#include "findings.h"

namespace corvane::vrcheck {

// {"version": 1, "manifest": ..., "status": ..., "findings": [...]}, each
// finding on a line of its own, so that a reader without a JSON parser
// (an installer's script) can take one finding's line at a time. A byte
// that is not UTF-8 is written as U+FFFD.
std::string report(const std::string& manifest, int status, const std::vector<Finding>& findings);

}  // namespace corvane::vrcheck
