#include "platform/data_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/debug_out.h"
#include "platform/files.h"

#ifndef CORVANE_INSTALLED_DATA_DIR
#define CORVANE_INSTALLED_DATA_DIR "/usr/local/share/corvane"
#endif

namespace corvane::platform {
namespace {

constexpr std::string_view kDataFolderName = "Gaming Keyboard";
constexpr std::string_view kDocumentsKey = "XDG_DOCUMENTS_DIR";
constexpr std::string_view kHomePrefix = "$HOME";

std::string EnvOrEmpty(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string HomeFolder() {
    std::string home = EnvOrEmpty("HOME");
    if (!home.empty()) return home;
    const passwd* pw = ::getpwuid(::getuid());
    return (pw && pw->pw_dir) ? std::string(pw->pw_dir) : std::string();
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The value of XDG_DOCUMENTS_DIR in a user-dirs.dirs text, expanded the way xdg-user-dir does:
// the line is XDG_DOCUMENTS_DIR="$HOME/Name" or an absolute path in quotes.
std::string DocumentsFromUserDirs(const std::string& home) {
    std::string configHome = EnvOrEmpty("XDG_CONFIG_HOME");
    if (configHome.empty()) configHome = home + "/.config";
    const auto bytes = ReadFileBytes(configHome + "/user-dirs.dirs", 1u << 20);
    if (!bytes) return {};
    const std::string text(bytes->begin(), bytes->end());
    std::string found;
    std::size_t start = 0;
    while (start < text.size()) {
        auto nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        std::string_view line(text.data() + start, nl - start);
        start = nl + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (!line.starts_with(kDocumentsKey)) continue;
        line.remove_prefix(kDocumentsKey.size());
        if (line.empty() || line.front() != '=') continue;
        line.remove_prefix(1);
        if (line.size() < 2 || line.front() != '"') continue;
        const auto close = line.find('"', 1);
        if (close == std::string_view::npos) continue;
        std::string_view value = line.substr(1, close - 1);
        std::string path;
        if (value.starts_with(kHomePrefix) &&
            (value.size() == kHomePrefix.size() || value[kHomePrefix.size()] == '/')) {
            path = home + std::string(value.substr(kHomePrefix.size()));
        } else if (value.starts_with("/")) {
            path = std::string(value);
        } else {
            continue;
        }
        found = path;  // the last assignment wins, as when the file is sourced by a shell
    }
    return found.empty() ? std::string() : WithoutTrailingSlashes(found);
}

std::string SubFolder(const std::string& parent, std::string_view name) {
    if (parent.empty()) return {};
    std::string path = parent + std::string(name);
    EnsureFolder(path);
    return path + "/";
}

std::string ExecutableFolder() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return {};
    std::string exe(buffer.data(), static_cast<std::size_t>(n));
    const auto slash = exe.find_last_of('/');
    if (slash == std::string::npos) return {};
    return exe.substr(0, slash + 1);
}

std::string WithTrailingSlash(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

}  // namespace

std::string DocumentsFolder() {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    const std::string fromUserDirs = DocumentsFromUserDirs(home);
    if (!fromUserDirs.empty()) return fromUserDirs;
    return WithoutTrailingSlashes(home) + "/Documents";
}

std::string DataFolderPath() {
    const std::string documents = DocumentsFolder();
    if (documents.empty()) return {};
    // Unlike on some desktops a fresh account may have no documents folder yet; create that
    // one level too, since it is where the user's settings are expected.
    EnsureFolder(documents);
    return SubFolder(WithTrailingSlash(documents), kDataFolderName);
}

std::string KeyboardFolderPath() { return SubFolder(DataFolderPath(), "kb"); }
std::string MouseFolderPath() { return SubFolder(DataFolderPath(), "ms"); }
std::string PadFolderPath() { return SubFolder(DataFolderPath(), "mp"); }

std::string ProgramFolder() {
    const std::string home = EnvOrEmpty("CORVANE_HOME");
    if (!home.empty()) return WithTrailingSlash(home);
    const std::string exeFolder = ExecutableFolder();
    if (!exeFolder.empty() &&
        (FolderExists(exeFolder + "skin") || FolderExists(exeFolder + "defaults"))) {
        return exeFolder;
    }
    // Installed: the data folder beside the binaries' folder, wherever the tree was unpacked.
    if (!exeFolder.empty()) {
        const std::string installed = exeFolder + WithTrailingSlash(CORVANE_DATA_DIR_FROM_BIN);
        if (FolderExists(installed + "skin") || FolderExists(installed + "defaults")) return installed;
    }
    return WithTrailingSlash(CORVANE_INSTALLED_DATA_DIR);
}

void RemoveStaleTemporaries() {
    for (const std::string& folder : {DataFolderPath(), KeyboardFolderPath(), MouseFolderPath(), PadFolderPath()}) {
        if (folder.empty()) continue;
        if (const int removed = RemoveStaleTempFiles(folder); removed > 0) {
            debugOut("settings: removed " + std::to_string(removed) + " unfinished temporary file(s) in " + folder);
        }
    }
}

}  // namespace corvane::platform
