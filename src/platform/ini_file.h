#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane::platform {

// Settings text files of the "[section]" / "key=value" kind. Section and key names compare
// without regard to case; a value that is missing reads as the caller's default; values are cut
// to kIniValueLimit characters when read. Writing one key keeps every other line of the file as
// it was (comments, unknown keys, order), and replaces the file atomically.

inline constexpr std::size_t kIniValueLimit = 259;  // characters a value read can hold
inline constexpr std::string_view kIniDefault = "0";

// Decimal text to integer as the settings files use it: optional blanks and sign, then the
// leading digits; no digits gives 0; values beyond the int range stop at its ends.
int ToInt(std::string_view text);

// The parsed content of one file. Reading it never fails: text that is not a section or a
// key line is kept but has no meaning.
class IniDocument {
public:
    static IniDocument Parse(std::span<const std::uint8_t> bytes);
    static IniDocument Parse(std::string_view text);
    std::vector<std::uint8_t> Serialize() const;

    // The whole value of the first such key in the first such section.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // Find, cut to kIniValueLimit characters, or defaultValue when missing.
    std::string Get(std::string_view section, std::string_view key,
                    std::string_view defaultValue = kIniDefault) const;
    // Get without a default: nothing when the key is missing.
    std::optional<std::string> GetIfPresent(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;

    // Creates the section and key when missing. False, changing nothing, for names that cannot
    // stand in the file (empty, line breaks, "]" in a section, "=" in a key) or a value with a
    // line break.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    void RemoveKey(std::string_view section, std::string_view key);
    void RemoveSection(std::string_view section);

private:
    enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be };
    struct Line {
        std::string text;  // UTF-8, without the line break
        bool cr = false;   // the line ended in "\r\n"
    };
    // A "[name]" line and the lines up to the next one. The first block has no header: it holds
    // what stands before the first section and is unreachable by name.
    struct Block {
        std::optional<Line> header;
        std::vector<Line> body;
        // Case-folded key -> index in body of its first line; built when first asked for.
        mutable std::unordered_map<std::string, std::size_t> keys;
        mutable bool keysBuilt = false;
    };
    // Lookups go through hash maps so that reading or writing n keys costs O(n), not O(n^2).
    const Block* FindBlock(std::string_view section) const;
    Block* FindBlock(std::string_view section);
    std::optional<std::size_t> FindKey(const Block& block, std::string_view key) const;
    void IndexSections() const;

    std::vector<Block> blocks_{Block{}};
    // Case-folded section name -> index of its first block; built when first asked for.
    mutable std::unordered_map<std::string, std::size_t> sections_;
    mutable bool sectionsBuilt_ = false;
    Encoding encoding_ = Encoding::Utf8;
    bool crlf_ = false;
};

// One settings file by path. Every call reads or writes the file afresh; nothing is cached.
class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue = kIniDefault) const;
    int ReadInt(std::string_view section, std::string_view key) const;

    // Each write is one atomic replacement of the file; false when it could not be stored.
    bool WriteString(std::string_view section, std::string_view key,
                     std::string_view value) const;
    bool WriteInt(std::string_view section, std::string_view key, int value) const;
    bool DeleteKey(std::string_view section, std::string_view key) const;
    bool DeleteSection(std::string_view section) const;

    // A snapshot for many reads; a missing or unreadable file is an empty document.
    IniDocument Load() const;
    // Several changes in one atomic write. The change sees the current content; writers in
    // this process are serialised so that no change is lost.
    bool Update(const std::function<void(IniDocument&)>& change) const;

private:
    std::string path_;
};

}  // namespace corvane::platform
