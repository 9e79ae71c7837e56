#include "platform/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <cerrno>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/save_failures.h"

namespace corvane::platform {
namespace {

std::atomic<AtomicWriteFault> g_fault{AtomicWriteFault::None};
std::atomic<unsigned> g_tempCounter{0};

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr int kMaxTempAttempts = 100;

// Owns a file descriptor for the length of one write.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    bool Close() {
        if (fd_ < 0) return true;
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_;
};

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    const bool diskFull = g_fault.load() == AtomicWriteFault::DiskFull;
    const std::size_t limit = diskFull ? bytes.size() / 2 : bytes.size();
    while (done < limit) {
        const ssize_t n = ::write(fd, bytes.data() + done, limit - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (diskFull) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

bool SyncFolder(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) return false;
    return ::fsync(dir.get()) == 0;
}

}  // namespace

namespace {

// The write itself; on failure errno tells why.
bool ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty() || path.back() == '/') {
        errno = EISDIR;
        return false;
    }

    // Keep the permissions of the file being replaced; new files get the usual default.
    struct stat existing {};
    const bool hadFile = ::stat(path.c_str(), &existing) == 0;
    if (hadFile && !S_ISREG(existing.st_mode)) {
        errno = EISDIR;
        return false;
    }

    std::string temp;
    int rawFd = -1;
    for (int attempt = 0; attempt < kMaxTempAttempts && rawFd < 0; ++attempt) {
        temp = TempFileName(path, ::getpid(), g_tempCounter.fetch_add(1));
        rawFd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (rawFd < 0 && errno != EEXIST) return false;
    }
    Fd fd(rawFd);
    if (!fd.valid()) return false;

    bool ok = WriteAll(fd.get(), bytes);
    // A file its owner could neither read nor write (mode 000, say) is being replaced because it
    // was unusable: the new one gets the usual mode rather than inheriting the lock-out.
    const bool ownerUsable = (existing.st_mode & (S_IRUSR | S_IWUSR)) == (S_IRUSR | S_IWUSR);
    if (ok && hadFile && ownerUsable) ok = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
    if (ok) ok = ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (!ok) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    if (g_fault.load() == AtomicWriteFault::SlowDisk) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kSlowDiskMs));
    }
    if (g_fault.load() == AtomicWriteFault::BeforeRename) {
        errno = EIO;
        return false;
    }

    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    // The rename is done; a failed folder flush only weakens durability, not the content.
    SyncFolder(FolderOf(path));
    return true;
}

}  // namespace

std::string TempFileName(const std::string& path, long pid, unsigned counter) {
    return path + std::string(kTempMarker) + std::to_string(pid) + "_" + std::to_string(counter);
}

namespace {

// The writer's process id of a temporary file name of ours, or nothing for any other name.
std::optional<long> TempFileWriter(std::string_view name) {
    const auto marker = name.rfind(kTempMarker);
    if (marker == std::string_view::npos || marker == 0) return std::nullopt;
    const std::string_view tail = name.substr(marker + kTempMarker.size());
    const auto underscore = tail.find('_');
    auto digits = [](std::string_view t) {
        return !t.empty() && t.size() <= 10 &&
               t.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (underscore == std::string_view::npos || !digits(tail.substr(0, underscore)) ||
        !digits(tail.substr(underscore + 1))) {
        return std::nullopt;
    }
    return std::stol(std::string(tail.substr(0, underscore)));
}

bool ProcessRuns(long pid) {
    if (pid <= 0) return false;
    if (pid == ::getpid()) return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

int RemoveStaleTempFiles(const std::string& folder) {
    int removed = 0;
    for (const std::string& name : ListFiles(folder)) {
        const auto writer = TempFileWriter(name);
        if (!writer || ProcessRuns(*writer)) continue;
        const std::string path = (folder.empty() || folder.back() == '/') ? folder + name : folder + "/" + name;
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (ReplaceFile(path, bytes)) return true;
    const int error = errno;
    ReportSaveFailure(SaveFailureFromErrno(error), path, error);
    return false;
}

bool WriteFileAtomically(const std::string& path, std::string_view text) {
    return WriteFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

ScopedAtomicWriteFault::ScopedAtomicWriteFault(AtomicWriteFault fault)
    : previous_(g_fault.exchange(fault)) {}

ScopedAtomicWriteFault::~ScopedAtomicWriteFault() { g_fault.store(previous_); }

}  // namespace corvane::platform
