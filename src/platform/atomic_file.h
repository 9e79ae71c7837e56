#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane::platform {

// Replaces the file at path with bytes so that a crash or a full disk leaves either the old
// content or the new one, never a mix: the bytes go to a temporary file in the same folder, which
// is flushed to disk, renamed over the target, and the folder entry is flushed as well.
// False when any step fails; the target is then untouched and the failure is reported
// (platform/save_failures.h).
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
bool WriteFileAtomically(const std::string& path, std::string_view text);

// The temporary file of a write: path + kTempMarker + the writer's process id + "_" + a counter.
inline constexpr std::string_view kTempMarker = ".tmp";
std::string TempFileName(const std::string& path, long pid, unsigned counter);

// Deletes temporary files of this naming in folder whose writing process no longer runs (left
// by a crash or a power cut between writing and renaming). Returns how many were removed.
int RemoveStaleTempFiles(const std::string& folder);

// Faults the writer can be told to simulate, for tests of the failure paths.
enum class AtomicWriteFault {
    None,
    // Stop after the temporary file is complete and before the rename, as a crash would; the
    // temporary file is left behind.
    BeforeRename,
    // The disk fills up half-way through the temporary file (a short write, then ENOSPC).
    DiskFull,
    // A slow disk: each write takes kSlowDiskMs longer before its rename.
    SlowDisk,
};
inline constexpr int kSlowDiskMs = 150;

// Makes every atomic write in the process fail with the given fault while it lives.
class ScopedAtomicWriteFault {
public:
    explicit ScopedAtomicWriteFault(AtomicWriteFault fault);
    ~ScopedAtomicWriteFault();
    ScopedAtomicWriteFault(const ScopedAtomicWriteFault&) = delete;
    ScopedAtomicWriteFault& operator=(const ScopedAtomicWriteFault&) = delete;

private:
    AtomicWriteFault previous_;
};

}  // namespace corvane::platform
