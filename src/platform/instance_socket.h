#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/unique_fd.h"

namespace corvane::platform {

// Text the hand-over carries on the instance socket, and the name the instance is known by.
inline constexpr const char* kRegisteredMessageName = "KESTRIN_001";
inline constexpr const char* kInstanceName = "TORVLINKDRVER";

// The single-instance rule and the channel a second start (or a script) uses to reach the running
// instance: a per-user lock plus a local stream socket, both in the user's runtime folder. The
// first process to take the lock owns the name; a socket file left by a crashed instance is never
// trusted, since its owner no longer holds the lock, and is replaced.

struct PeerCredentials {
    pid_t pid = 0;
    uid_t uid = 0;
    gid_t gid = 0;
};

// Decides whether a connected peer may talk to us. The default admits only our own user id.
using PeerCheck = std::function<bool(const PeerCredentials&)>;
bool SameUserPeer(const PeerCredentials& peer);

// Longest command line accepted; a longer line, or one holding a NUL, is refused.
inline constexpr std::size_t kMaxInstanceLineLength = 4096;
// How many connections are served at the same time, and how long a connection must have been
// silent before a new one may take its place at that limit. A connection that finds no place is
// told so ("error: too many connections") and closed.
struct InstanceLimits {
    std::size_t connections = 256;
    std::uint64_t idleCloseMs = 10000;
};

// Where the instance's lock and socket live: the first of these that is a folder owned by us,
// that nobody else may enter and that we may write in: $XDG_RUNTIME_DIR; /tmp/corvane-<uid>
// (created with mode 0700); corvane/ in the user's cache folder ($XDG_CACHE_HOME or
// ~/.cache, created likewise). Empty when none is usable.
struct RuntimeFolderPlaces {
    std::string xdgRuntime;
    std::string tmpFolder;
    std::string cacheHome;
};
std::string ChooseRuntimeFolder(const RuntimeFolderPlaces& places);
// The same for this process's environment and user.
std::string UserRuntimeFolder();

enum class InstanceClaim { First, AnotherRuns, Failed };

class InstanceServer {
public:
    // Handles one line (without its newline) and returns the reply line (without newline).
    using LineHandler = std::function<std::string(std::string_view line)>;

    InstanceServer() = default;
    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    // Takes the name in folder. First: this process is the instance (the lock decides); it may
    // Serve() when the socket could be made too (Listening()), which is logged otherwise.
    InstanceClaim Claim(std::string_view name, const std::string& folder = UserRuntimeFolder());

    // Starts answering connections. Each admitted connection is served on a thread of its own:
    // its lines are handled one at a time, in the order they arrive, and each reply is written
    // before the next line is read. Lines of different connections may be handled at the same
    // time, so the handler must be safe to call from several threads (a command that waits for
    // something, such as an answer to a message box, does not hold up other connections).
    // Every connection has at most one line in hand, so a busy script cannot crowd out others.
    bool Serve(LineHandler handler, PeerCheck check = SameUserPeer, InstanceLimits limits = {});

    // Stops serving, removes the socket file and gives the name up. Waits for handlers that are
    // running to return.
    void Stop();

    const std::string& SocketPath() const { return socketPath_; }
    bool Listening() const { return static_cast<bool>(listenFd_); }

private:
    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
        std::atomic<bool> busy{false};  // a command is being handled
        std::atomic<std::uint64_t> lastActive{0};
        std::mutex fdMutex;  // the descriptor is closed by its thread, shut down by the acceptor
        int fd = -1;
    };
    // Makes the socket at base; the failed step's words (errno set) or nullptr.
    const char* ListenAt(const std::string& base);
    void Loop();
    void ServeConnection(Connection& connection);
    void ReapConnections(bool all);
    bool DropIdlestConnection();

    std::string socketPath_;
    UniqueFd lockFd_;
    UniqueFd listenFd_;
    UniqueFd wakeFd_;
    LineHandler handler_;
    PeerCheck check_;
    InstanceLimits limits_;
    std::thread thread_;
    // Only the accepting thread touches the list.
    std::list<std::unique_ptr<Connection>> connections_;
};

// The client side: one connection, one reply per request line.
class InstanceClient {
public:
    // False when no instance listens at name in folder, or when the listener runs under another
    // user id.
    bool Connect(std::string_view name, const std::string& folder = UserRuntimeFolder());
    // Sends one line and waits for its reply; nothing when the connection failed or timed out.
    std::optional<std::string> Request(std::string_view line, int timeoutMs = 10000);

private:
    UniqueFd fd_;
    std::string pending_;
};

}  // namespace corvane::platform
