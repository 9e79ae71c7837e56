#include "platform/instance_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/debug_out.h"
#include "platform/thread_name.h"
#include "platform/tick.h"

namespace corvane::platform {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kPrivateSocketMode = 0600;
constexpr int kListenBacklog = 8;
constexpr int kReplyWriteTimeoutMs = 2000;
constexpr std::size_t kReadChunk = 4096;
constexpr std::string_view kLockSuffix = ".lock";
constexpr std::string_view kLineTooLong = "error: line too long";
constexpr std::string_view kLineHasNul = "error: line holds a NUL";
constexpr std::string_view kTooManyConnections = "error: too many connections\n";

bool OwnedPrivateFolder(const std::string& path, bool requirePrivateMode) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
    return !requirePrivateMode || (st.st_mode & 077) == 0;
}

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Writes all of text, waiting for room up to the time limit; false when the peer is gone.
bool SendAll(int fd, std::string_view text) {
    const auto deadline = TickMs() + kReplyWriteTimeoutMs;
    while (!text.empty()) {
        const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n > 0) {
            text.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto now = TickMs();
            if (now >= deadline) return false;
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(deadline - now));
            continue;
        }
        return false;
    }
    return true;
}

std::optional<PeerCredentials> PeerOf(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return std::nullopt;
    return PeerCredentials{cred.pid, cred.uid, cred.gid};
}

}  // namespace

bool SameUserPeer(const PeerCredentials& peer) { return peer.uid == ::getuid(); }

namespace {

// A folder of ours that nobody else may enter and that we may create files in. The owner's mode
// bits decide, not access(): root may write anywhere, but a folder its owner made read-only is
// no place for the lock either.
bool UsablePrivateFolder(const std::string& path) {
    struct stat st {};
    if (!OwnedPrivateFolder(path, true) || ::stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & (S_IWUSR | S_IXUSR)) == (S_IWUSR | S_IXUSR);
}

// folder, made with mode 0700 when missing, if it is ours to use.
bool MakeUsablePrivateFolder(const std::string& folder) {
    if (folder.empty() || folder.front() != '/') return false;
    if (::mkdir(folder.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) return false;
    return UsablePrivateFolder(folder);
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::string ChooseRuntimeFolder(const RuntimeFolderPlaces& places) {
    if (!places.xdgRuntime.empty() && places.xdgRuntime.front() == '/' && UsablePrivateFolder(places.xdgRuntime)) {
        return places.xdgRuntime;
    }
    // Somebody else's folder, a link, or one others can enter is never used.
    if (MakeUsablePrivateFolder(places.tmpFolder)) return places.tmpFolder;
    // /tmp taken by another user or not writable: a folder in our own cache, which every start
    // with the same home finds too.
    if (!places.cacheHome.empty() && places.cacheHome.front() == '/') {
        ::mkdir(places.cacheHome.c_str(), kPrivateFolderMode);
        if (OwnedPrivateFolder(places.cacheHome, false)) {
            const std::string folder = places.cacheHome + "/corvane";
            if (MakeUsablePrivateFolder(folder)) return folder;
        }
    }
    return {};
}

std::string UserRuntimeFolder() {
    RuntimeFolderPlaces places;
    places.xdgRuntime = Env("XDG_RUNTIME_DIR");
    places.tmpFolder = "/tmp/corvane-" + std::to_string(::getuid());
    places.cacheHome = Env("XDG_CACHE_HOME");
    if (places.cacheHome.empty() || places.cacheHome.front() != '/') {
        const std::string home = Env("HOME");
        if (!home.empty() && home.front() == '/') places.cacheHome = home + "/.cache";
    }
    return ChooseRuntimeFolder(places);
}

InstanceServer::~InstanceServer() { Stop(); }

InstanceClaim InstanceServer::Claim(std::string_view name, const std::string& folder) {
    if (folder.empty() || name.empty() || name.find('/') != std::string_view::npos) {
        return InstanceClaim::Failed;
    }
    const std::string base = folder + "/" + std::string(name);
    const std::string lockPath = base + std::string(kLockSuffix);
    UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock) return InstanceClaim::Failed;
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? InstanceClaim::AnotherRuns : InstanceClaim::Failed;
    }

    // From here on the lock alone makes this process the instance: without a socket it still
    // runs alone, only scripting and the second start's knock are unavailable.
    lockFd_ = std::move(lock);
    const char* failed = ListenAt(base);
    if (failed) {
        const int error = errno;
        debugOut("instance: scripting unavailable, " + std::string(failed) + " " + base + ": " +
                 std::strerror(error));
    }
    return InstanceClaim::First;
}

const char* InstanceServer::ListenAt(const std::string& base) {
    sockaddr_un addr{};
    if (!FillAddress(base, addr)) {
        errno = ENAMETOOLONG;
        return "socket path too long:";
    }
    // We hold the lock, so a socket file still there belongs to an instance that died.
    ::unlink(base.c_str());
    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener) return "cannot create socket";
    const mode_t oldMask = ::umask(077);
    const int bound = ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    ::umask(oldMask);
    if (bound != 0) return "cannot bind";
    // The umask above covers the bind; the mode is set again in case another thread changed it.
    if (::chmod(base.c_str(), kPrivateSocketMode) != 0 || ::listen(listener.Get(), kListenBacklog) != 0) {
        const int error = errno;
        ::unlink(base.c_str());
        errno = error;
        return "cannot listen at";
    }
    socketPath_ = base;
    listenFd_ = std::move(listener);
    return nullptr;
}

bool InstanceServer::Serve(LineHandler handler, PeerCheck check, InstanceLimits limits) {
    if (!listenFd_ || thread_.joinable()) return false;
    wakeFd_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wakeFd_) return false;
    handler_ = std::move(handler);
    check_ = std::move(check);
    limits_ = limits;
    thread_ = std::thread([this] {
        NameThisThread("cv-script");
        Loop();
    });
    return true;
}

void InstanceServer::Stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd_.Get(), &one, sizeof one);
        thread_.join();
    }
    if (listenFd_) {
        listenFd_.Reset();
        ::unlink(socketPath_.c_str());
    }
    wakeFd_.Reset();
    lockFd_.Reset();
}

void InstanceServer::Loop() {
    for (;;) {
        pollfd fds[] = {{wakeFd_.Get(), POLLIN, 0}, {listenFd_.Get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents != 0) break;
        if ((fds[1].revents & POLLIN) == 0) continue;
        UniqueFd conn(::accept4(listenFd_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!conn) continue;
        ReapConnections(false);
        const auto peer = PeerOf(conn.Get());
        // A refused peer is closed at once without a word.
        if (!peer || !check_(*peer)) continue;
        // Idle connections must not lock scripting out: at the limit the one silent longest makes
        // room once it has been silent for a while; otherwise the new one is told and closed.
        if (connections_.size() >= limits_.connections && !DropIdlestConnection()) {
            platform::debugOut("script channel: " + std::to_string(connections_.size()) +
                               " connections are open and none is idle; a new one is refused");
            (void)SendAll(conn.Get(), std::string(kTooManyConnections));
            continue;
        }
        auto connection = std::make_unique<Connection>();
        Connection* self = connection.get();
        self->fd = conn.Get();
        self->lastActive.store(TickMs());
        self->thread = std::thread([this, self, fd = std::move(conn)]() mutable {
            NameThisThread("cv-script-conn");
            ServeConnection(*self);
            {
                std::lock_guard lock(self->fdMutex);
                self->fd = -1;
                fd.Reset();
            }
            self->done.store(true);
        });
        connections_.push_back(std::move(connection));
    }
    ReapConnections(true);
}

bool InstanceServer::DropIdlestConnection() {
    Connection* idlest = nullptr;
    for (const auto& c : connections_) {
        if (c->done.load() || c->busy.load()) continue;
        if (!idlest || c->lastActive.load() < idlest->lastActive.load()) idlest = c.get();
    }
    // A connection that spoke a moment ago may be about to send its next line.
    if (!idlest || TickMs() - idlest->lastActive.load() < limits_.idleCloseMs) return false;
    {
        std::lock_guard lock(idlest->fdMutex);
        if (idlest->fd >= 0) ::shutdown(idlest->fd, SHUT_RDWR);
    }
    idlest->thread.join();
    connections_.remove_if([idlest](const auto& c) { return c.get() == idlest; });
    return true;
}

void InstanceServer::ReapConnections(bool all) {
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (all || (*it)->done.load()) {
            (*it)->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void InstanceServer::ServeConnection(Connection& connection) {
    const int fd = connection.fd;
    std::string buffer;
    for (;;) {
        // The wake descriptor is never drained, so once Stop signals it every connection sees it.
        pollfd fds[] = {{wakeFd_.Get(), POLLIN, 0}, {fd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0) return;
        if (fds[1].revents == 0) continue;
        char chunk[kReadChunk];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return;
        connection.lastActive.store(TickMs());
        buffer.append(chunk, static_cast<std::size_t>(n));
        std::size_t start = 0;
        for (;;) {
            const std::size_t nl = buffer.find('\n', start);
            if (nl == std::string::npos) break;
            std::string_view line(buffer.data() + start, nl - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            std::string reply;
            if (line.size() > kMaxInstanceLineLength) {
                reply = kLineTooLong;
            } else if (line.find('\0') != std::string_view::npos) {
                reply = kLineHasNul;
            } else {
                connection.busy.store(true);
                reply = handler_(line);
                connection.busy.store(false);
            }
            // A reply is one line: a newline inside it would split it in two.
            for (char& c : reply) {
                if (c == '\n' || c == '\r') c = ' ';
            }
            reply.push_back('\n');
            if (!SendAll(fd, reply)) return;
            connection.lastActive.store(TickMs());  // silence counts from the reply
            start = nl + 1;
        }
        buffer.erase(0, start);
        // A line that grows past the limit without ending is refused and the peer dropped.
        if (buffer.size() > kMaxInstanceLineLength + 1) {
            SendAll(fd, std::string(kLineTooLong) + "\n");
            return;
        }
    }
}

bool InstanceClient::Connect(std::string_view name, const std::string& folder) {
    if (folder.empty()) return false;
    sockaddr_un addr{};
    if (!FillAddress(folder + "/" + std::string(name), addr)) return false;
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return false;
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return false;
    // Commands go only to an instance of our own user.
    const auto peer = PeerOf(fd.Get());
    if (!peer || peer->uid != ::getuid()) return false;
    fd_ = std::move(fd);
    pending_.clear();
    return true;
}

std::optional<std::string> InstanceClient::Request(std::string_view line, int timeoutMs) {
    if (!fd_) return std::nullopt;
    std::string out(line);
    out.push_back('\n');
    // A server that turns the connection away says why and closes it, maybe before the line
    // could be sent: what it said is still there to read.
    (void)SendAll(fd_.Get(), out);
    const auto deadline = TickMs() + static_cast<std::uint64_t>(timeoutMs);
    for (;;) {
        if (const auto nl = pending_.find('\n'); nl != std::string::npos) {
            std::string reply = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return reply;
        }
        const auto now = TickMs();
        if (now >= deadline) return std::nullopt;
        pollfd p{fd_.Get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(deadline - now)) <= 0) continue;
        char chunk[kReadChunk];
        const ssize_t n = ::recv(fd_.Get(), chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fd_.Reset();
            return std::nullopt;
        }
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace corvane::platform
