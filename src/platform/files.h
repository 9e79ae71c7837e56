#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::platform {

// Whole-file helpers. Paths use "/"; no operation keeps a file open after it returns.

// True when a user-chosen name can be used as one file name inside a folder: not empty, not "."
// or "..", and free of "/" and NUL. Anything else would fail or leave the folder.
bool IsPlainFileName(std::string_view name);

// Text comparison without regard to letter case, for file, profile and macro names (ASCII and
// the common Latin, Greek and Cyrillic letters; other characters compare as they are).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// The text with each character folded as EqualsIgnoreCase folds it: two texts compare equal
// without regard to case exactly when their keys are equal. For hash lookups.
std::string CaseFoldKey(std::string_view text);

bool FileExists(const std::string& path);    // a regular file (after following links)
bool FolderExists(const std::string& path);

// The existing file whose name matches the last component of path without regard to case, the
// exact spelling first. Nothing when no such file exists.
std::optional<std::string> ResolveCaseInsensitive(const std::string& path);

// Reads a whole regular file, at most maxBytes of it. Nothing when it cannot be opened.
inline constexpr std::size_t kDefaultReadLimit = 16u << 20;
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path,
                                                       std::size_t maxBytes = kDefaultReadLimit);

// A whole-file read that says why it did not give the whole file, for writers that rewrite
// what they read and must never store less than the file held.
enum class ReadOutcome {
    Ok,          // bytes hold the whole file
    Missing,     // nothing at path
    NotRegular,  // a folder, FIFO, device or socket
    TooLarge,    // larger than the limit
    Failed,      // could not be opened or read (error holds errno)
};
struct WholeFile {
    ReadOutcome outcome = ReadOutcome::Failed;
    std::vector<std::uint8_t> bytes;
    int error = 0;
};
WholeFile ReadWholeFile(const std::string& path, std::size_t maxBytes = kDefaultReadLimit);

// Copies source over destination byte for byte (atomically). With overwrite false an existing
// destination (any spelling) makes it fail and stay as it was.
bool CopyFile(const std::string& source, const std::string& destination, bool overwrite);

// Moves source to destination; fails, changing nothing, when another file of the destination's
// name (any spelling) is present. A change of spelling only is allowed.
bool MoveFile(const std::string& source, const std::string& destination);

// Deletes a file (not a folder). False when nothing was deleted.
bool DeleteFile(const std::string& path);

// Creates one folder level. True when the folder exists afterwards.
bool EnsureFolder(const std::string& path);

// Names of the regular files directly inside folder, sorted.
std::vector<std::string> ListFiles(const std::string& folder);

}  // namespace corvane::platform
