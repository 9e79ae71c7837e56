#pragma once

#include <nlohmann/json.hpp>

#include "platform/foreground_process.h"

namespace corvane::platform {

// The executable of the process a compositor's JSON window object names in "pid"; Unknown when
// there is no such number (no window, or an answer of another shape).
inline ForegroundApp ExecutableOfPidField(const nlohmann::json& window) {
    if (!window.is_object()) return {};
    const auto pid = window.find("pid");
    if (pid == window.end() || !pid->is_number_integer()) return {};
    return ExecutableOfPid(pid->get<long>());
}

}  // namespace corvane::platform
