#pragma once

#include <cstdint>

namespace corvane::platform {

// Milliseconds on a steady clock since an arbitrary origin; never goes backwards.
std::uint64_t TickMs();

// Suspends the calling thread for ms milliseconds (0 yields).
void SleepMs(int ms);

}  // namespace corvane::platform
