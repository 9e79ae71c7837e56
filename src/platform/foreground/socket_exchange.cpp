#include "platform/foreground/socket_exchange.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane::platform {
namespace {

bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & (events | POLLHUP)) != 0;
}

// One read: bytes read, 0 at the end, -1 on error or time-out.
ssize_t ReadSome(int fd, std::uint8_t* into, std::size_t n, int timeoutMs) {
    if (!WaitFor(fd, POLLIN, timeoutMs)) return -1;
    ssize_t r;
    do {
        r = ::read(fd, into, n);
    } while (r < 0 && errno == EINTR);
    return r;
}

}  // namespace

UniqueFd ConnectUnixSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return {};
    std::memcpy(address.sun_path, path.data(), path.size());
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return {};
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return {};
    return fd;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes, int timeoutMs) {
    while (!bytes.empty()) {
        if (!WaitFor(fd, POLLOUT, timeoutMs)) return false;
        const ssize_t w = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(w));
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> ReadExact(int fd, std::size_t n, int timeoutMs) {
    std::vector<std::uint8_t> bytes(n);
    std::size_t have = 0;
    while (have < n) {
        const ssize_t r = ReadSome(fd, bytes.data() + have, n - have, timeoutMs);
        if (r <= 0) return std::nullopt;
        have += static_cast<std::size_t>(r);
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadToEnd(int fd, std::size_t limit, int timeoutMs) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    for (;;) {
        const ssize_t r = ReadSome(fd, chunk, sizeof chunk, timeoutMs);
        if (r < 0) return std::nullopt;
        if (r == 0) return bytes;
        if (bytes.size() + static_cast<std::size_t>(r) > limit) return std::nullopt;
        bytes.insert(bytes.end(), chunk, chunk + r);
    }
}

}  // namespace corvane::platform
