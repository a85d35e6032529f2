// What the substitute host's platform services share (Platform.cpp and
// PlatformFileStore.cpp): the host they answer from, and the services a test
// asks to throw.
#pragma once

#include "Host.h"

#include <stdexcept>
#include <string>

namespace platform {

inline sim::Host& ActiveHost() { return *sim::Host::Active(); }

inline void ThrowIfAsked(const char* service) {
  if (ActiveHost().environment.throwingService == service)
    throw std::runtime_error(std::string(service) + " threw");
}

}  // namespace platform
