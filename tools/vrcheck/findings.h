// What vrcheck finds, one log line each: INFO for what is in place, WARN
// for what is not, with what to do about it.
#pragma once

#include <utility>

#include "logger.h"

namespace corvane::vrcheck {

class Findings {
 public:
  template <typename... Parts>
  void inPlace(Parts&&... parts) {
    common::logInfo(std::forward<Parts>(parts)...);
  }

  template <typename... Parts>
  void notInPlace(Parts&&... parts) {
    common::logWarn(std::forward<Parts>(parts)...);
    allInPlace_ = false;
  }

  bool allInPlace() const { return allInPlace_; }

 private:
  bool allInPlace_ = true;
};

}  // namespace corvane::vrcheck
