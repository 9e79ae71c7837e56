#include "platform/save_failures.h"

#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/debug_out.h"

namespace corvane::platform {
namespace {

std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}

ScopedSaveFailureSink::Sink& CurrentSink() {
    static ScopedSaveFailureSink::Sink sink;
    return sink;
}

std::string_view KindName(SaveFailure kind) {
    switch (kind) {
        case SaveFailure::DiskFull: return "disk full";
        case SaveFailure::NameTooLong: return "name too long";
        case SaveFailure::NotAFile: return "not a regular file";
        case SaveFailure::NotReadWhole: return "could not be read whole";
        case SaveFailure::Other: return "write failed";
    }
    return "write failed";
}

}  // namespace

SaveFailure SaveFailureFromErrno(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return SaveFailure::DiskFull;
        case ENAMETOOLONG: return SaveFailure::NameTooLong;
        case EISDIR:
        case ENOTDIR: return SaveFailure::NotAFile;
        default: return SaveFailure::Other;
    }
}

void ReportSaveFailure(SaveFailure kind, std::string_view path, int error) {
    std::string line = "settings: not saved (";
    line += KindName(kind);
    if (error != 0) {
        line += ": ";
        line += std::strerror(error);
    }
    line += "): ";
    line += path;
    debugOut(line);
    ScopedSaveFailureSink::Sink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = CurrentSink();
    }
    if (sink) sink(kind, std::string(path));
}

ScopedSaveFailureSink::ScopedSaveFailureSink(Sink sink) {
    std::lock_guard lock(SinkMutex());
    CurrentSink() = std::move(sink);
}

ScopedSaveFailureSink::~ScopedSaveFailureSink() {
    std::lock_guard lock(SinkMutex());
    CurrentSink() = nullptr;
}

}  // namespace corvane::platform
