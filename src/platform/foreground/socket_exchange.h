#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace corvane::platform {

// Short request/answer talks with a desktop's local socket. Every step gives up after
// timeoutMs, so a compositor that hangs cannot hold a watcher.
inline constexpr int kSocketTimeoutMs = 500;

UniqueFd ConnectUnixSocket(const std::string& path);
bool WriteAll(int fd, std::span<const std::uint8_t> bytes, int timeoutMs = kSocketTimeoutMs);
// Exactly n bytes, or nothing when the peer closes or is too slow.
std::optional<std::vector<std::uint8_t>> ReadExact(int fd, std::size_t n, int timeoutMs = kSocketTimeoutMs);
// Everything until the peer closes, at most limit bytes (nothing when there is more).
std::optional<std::vector<std::uint8_t>> ReadToEnd(int fd, std::size_t limit, int timeoutMs = kSocketTimeoutMs);

}  // namespace corvane::platform
