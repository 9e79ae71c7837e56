#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace corvane::platform {

// Why a settings file could not be stored. The user is told once per kind and run; every
// occurrence is logged with the file.
enum class SaveFailure {
    DiskFull,      // no space or quota left
    NameTooLong,   // the file name or path is longer than the file system allows
    NotAFile,      // a folder, FIFO or device stands where the file should be
    NotReadWhole,  // the file could not be read completely, so rewriting it would lose content
    Other,         // permissions, read-only file system, I/O errors
};

// The kind an errno value of a failed write belongs to.
SaveFailure SaveFailureFromErrno(int error);

// Logs the failure and hands it to the installed sink (if any). Any thread.
void ReportSaveFailure(SaveFailure kind, std::string_view path, int error = 0);

// Installs the process-wide receiver of save failures while it lives (the main window shows
// them). Called on the reporting thread: the receiver marshals to its own thread.
class ScopedSaveFailureSink {
public:
    using Sink = std::function<void(SaveFailure, const std::string& path)>;
    explicit ScopedSaveFailureSink(Sink sink);
    ~ScopedSaveFailureSink();
    ScopedSaveFailureSink(const ScopedSaveFailureSink&) = delete;
    ScopedSaveFailureSink& operator=(const ScopedSaveFailureSink&) = delete;
};

}  // namespace corvane::platform
