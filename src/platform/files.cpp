#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/atomic_file.h"

namespace corvane::platform {
namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Decodes one UTF-8 sequence at text[i]; invalid bytes come back as themselves (one byte).
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    auto cont = [&](std::size_t k) -> int {
        if (i + k >= text.size()) return -1;
        const auto b = static_cast<unsigned char>(text[i + k]);
        return (b & 0xC0) == 0x80 ? (b & 0x3F) : -1;
    };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        const int c1 = cont(1);
        if (c1 >= 0) {
            i += 2;
            return static_cast<char32_t>(((b0 & 0x1F) << 6) | c1);
        }
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        const int c1 = cont(1), c2 = c1 >= 0 ? cont(2) : -1;
        if (c2 >= 0) {
            i += 3;
            return static_cast<char32_t>(((b0 & 0x0F) << 12) | (c1 << 6) | c2);
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        const int c1 = cont(1), c2 = c1 >= 0 ? cont(2) : -1, c3 = c2 >= 0 ? cont(3) : -1;
        if (c3 >= 0) {
            i += 4;
            return static_cast<char32_t>(((b0 & 0x07) << 18) | (c1 << 12) | (c2 << 6) | c3);
        }
    }
    ++i;
    // Keep invalid bytes distinct from real characters.
    return static_cast<char32_t>(0x110000 + b0);
}

char32_t FoldCase(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;          // Latin-1 letters
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
        // Latin Extended-A pairs capital and small letter by parity; the pairing flips in the
        // two runs that start at odd code points.
        const bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddCapital) return (c % 2 == 1) ? c + 1 : c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;       // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 32;                     // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

bool StatIs(const std::string& path, mode_t type) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (FoldCase(NextCodePoint(a, i)) != FoldCase(NextCodePoint(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

std::string CaseFoldKey(std::string_view text) {
    std::string key;
    key.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t c = FoldCase(NextCodePoint(text, i));
        // Fixed width keeps invalid bytes (above the Unicode range) apart from real characters.
        for (int shift = 16; shift >= 0; shift -= 8) key += static_cast<char>((c >> shift) & 0xFF);
    }
    return key;
}

bool FileExists(const std::string& path) { return StatIs(path, S_IFREG); }

bool FolderExists(const std::string& path) { return StatIs(path, S_IFDIR); }

std::optional<std::string> ResolveCaseInsensitive(const std::string& path) {
    if (path.empty()) return std::nullopt;
    if (FileExists(path)) return path;
    const auto [folder, name] = SplitPath(path);
    for (const std::string& candidate : ListFiles(folder)) {
        if (EqualsIgnoreCase(candidate, name)) {
            return folder == "/" ? "/" + candidate : folder + "/" + candidate;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path,
                                                       std::size_t maxBytes) {
    if (path.empty() || !FileExists(path)) return std::nullopt;
    // A FIFO or device swapped in after the look above must not hang the reader: the open does
    // not wait for a writer, and only what is still a regular file is read (its reads ignore
    // O_NONBLOCK).
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    constexpr std::size_t kChunk = 64 * 1024;
    bool ok = true;
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(kChunk, maxBytes - bytes.size());
        const std::size_t at = bytes.size();
        bytes.resize(at + want);
        const ssize_t n = ::read(fd, bytes.data() + at, want);
        if (n < 0 && errno == EINTR) {
            bytes.resize(at);
            continue;
        }
        if (n <= 0) {
            bytes.resize(at);
            ok = n == 0;
            break;
        }
        bytes.resize(at + static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return bytes;
}

WholeFile ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    WholeFile result;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        result.error = path.empty() ? ENOENT : errno;
        result.outcome = result.error == ENOENT ? ReadOutcome::Missing : ReadOutcome::Failed;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.outcome = ReadOutcome::NotRegular;
        return result;
    }
    // One byte more than the limit tells a file at the limit from a larger one.
    auto bytes = ReadFileBytes(path, maxBytes + 1);
    if (!bytes) {
        result.error = errno;
        return result;
    }
    if (bytes->size() > maxBytes) {
        result.outcome = ReadOutcome::TooLarge;
        return result;
    }
    result.outcome = ReadOutcome::Ok;
    result.bytes = std::move(*bytes);
    return result;
}

bool CopyFile(const std::string& source, const std::string& destination, bool overwrite) {
    if (!overwrite && ResolveCaseInsensitive(destination)) return false;
    const auto bytes = ReadFileBytes(source);
    if (!bytes) return false;
    return WriteFileAtomically(destination, std::span<const std::uint8_t>(*bytes));
}

bool MoveFile(const std::string& source, const std::string& destination) {
    if (!FileExists(source) || destination.empty()) return false;
    if (const auto present = ResolveCaseInsensitive(destination)) {
        if (!SameFile(*present, source)) return false;
    }
    return std::rename(source.c_str(), destination.c_str()) == 0;
}

bool DeleteFile(const std::string& path) {
    if (path.empty() || FolderExists(path)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool EnsureFolder(const std::string& path) {
    if (path.empty()) return false;
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    return FolderExists(path);
}

std::vector<std::string> ListFiles(const std::string& folder) {
    std::vector<std::string> names;
    DirHandle dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string full = (folder.empty() || folder.back() == '/') ? folder + name
                                                                           : folder + "/" + name;
        if (FileExists(full)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace corvane::platform
