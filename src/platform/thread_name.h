#pragma once

#include <string_view>

namespace corvane::platform {

// Names the calling thread for top, perf and the debugger (at most 15 characters are kept).
void NameThisThread(std::string_view name);

}  // namespace corvane::platform
