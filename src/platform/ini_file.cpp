#include "platform/ini_file.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>
#include <mutex>

#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/save_failures.h"

namespace corvane::platform {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::uint8_t kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint8_t kUtf16LeBom[] = {0xFF, 0xFE};
constexpr std::uint8_t kUtf16BeBom[] = {0xFE, 0xFF};
constexpr char32_t kReplacement = 0xFFFD;

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

// The section name of a "[name]" line; nothing for other lines.
std::optional<std::string_view> SectionOf(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    return Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> KeyOf(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// A stored value loses its blanks at both ends and one pair of enclosing quotes when read; a
// value that would be changed by that is written inside double quotes so it reads back as is.
std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

std::string Quote(std::string_view v) {
    const bool edgeBlank = !v.empty() && (kBlanks.find(v.front()) != std::string_view::npos ||
                                          kBlanks.find(v.back()) != std::string_view::npos);
    const bool quoted = v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front();
    if (edgeBlank || quoted) return "\"" + std::string(v) + "\"";
    return std::string(v);
}

// Cuts text to at most limit characters without splitting a UTF-8 sequence.
std::string CutToCharacters(std::string_view text, std::size_t limit) {
    std::size_t chars = 0, i = 0;
    while (i < text.size() && chars < limit) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
        ++chars;
    }
    return std::string(text.substr(0, i));
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

enum class ByteOrder { Little, Big };

std::string DecodeUtf16(std::span<const std::uint8_t> bytes, ByteOrder order) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    const int low = order == ByteOrder::Little ? 0 : 1;
    auto unit = [&](std::size_t at) {
        return static_cast<char16_t>(bytes[at + low] | (bytes[at + 1 - low] << 8));
    };
    while (i + 1 < bytes.size()) {
        const char16_t u = unit(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < bytes.size()) {
            const char16_t low = unit(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
    }
    return out;
}

void AppendUtf16(std::vector<std::uint8_t>& out, std::string_view text, ByteOrder order) {
    auto put = [&](char16_t u) {
        const auto lo = static_cast<std::uint8_t>(u & 0xFF);
        const auto hi = static_cast<std::uint8_t>(u >> 8);
        if (order == ByteOrder::Little) {
            out.push_back(lo);
            out.push_back(hi);
        } else {
            out.push_back(hi);
            out.push_back(lo);
        }
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        char32_t c = kReplacement;
        std::size_t len = 1;
        if (b0 < 0x80) {
            c = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            bool valid = i + len <= text.size();
            char32_t v = b0 & (0x7F >> len);
            for (std::size_t k = 1; valid && k < len; ++k) {
                const auto b = static_cast<unsigned char>(text[i + k]);
                valid = (b & 0xC0) == 0x80;
                v = (v << 6) | (b & 0x3F);
            }
            if (valid) {
                c = v;
            } else {
                len = 1;
            }
        }
        i += len;
        if (c >= 0x10000 && c <= 0x10FFFF) {
            put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            put(c > 0x10FFFF ? static_cast<char16_t>(kReplacement) : static_cast<char16_t>(c));
        }
    }
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::mutex& WriteMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

int ToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

IniDocument IniDocument::Parse(std::string_view text) {
    return Parse(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

}  // namespace

IniDocument IniDocument::Parse(std::span<const std::uint8_t> bytes) {
    IniDocument doc;
    std::string text;
    if (StartsWith(bytes, kUtf16LeBom)) {
        doc.encoding_ = Encoding::Utf16Le;
        text = DecodeUtf16(bytes.subspan(2), ByteOrder::Little);
    } else if (StartsWith(bytes, kUtf16BeBom)) {
        doc.encoding_ = Encoding::Utf16Be;
        text = DecodeUtf16(bytes.subspan(2), ByteOrder::Big);
    } else if (StartsWith(bytes, kUtf8Bom)) {
        doc.encoding_ = Encoding::Utf8Bom;
        text.assign(bytes.begin() + 3, bytes.end());
    } else {
        text.assign(bytes.begin(), bytes.end());
    }
    bool first = true;
    std::size_t start = 0;
    while (start < text.size()) {
        auto nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        Line line{text.substr(start, nl - start), false};
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.cr = true;
        }
        if (first) doc.crlf_ = line.cr;
        first = false;
        if (SectionOf(line.text)) {
            doc.blocks_.push_back(Block{std::move(line), {}, {}, false});
        } else {
            doc.blocks_.back().body.push_back(std::move(line));
        }
        start = nl + 1;
    }
    return doc;
}

std::vector<std::uint8_t> IniDocument::Serialize() const {
    std::string text;
    auto append = [&text](const Line& line) {
        text += line.text;
        text += line.cr ? "\r\n" : "\n";
    };
    for (const Block& block : blocks_) {
        if (block.header) append(*block.header);
        for (const Line& line : block.body) append(line);
    }
    std::vector<std::uint8_t> out;
    switch (encoding_) {
        case Encoding::Utf16Le:
            out.assign(std::begin(kUtf16LeBom), std::end(kUtf16LeBom));
            AppendUtf16(out, text, ByteOrder::Little);
            return out;
        case Encoding::Utf16Be:
            out.assign(std::begin(kUtf16BeBom), std::end(kUtf16BeBom));
            AppendUtf16(out, text, ByteOrder::Big);
            return out;
        case Encoding::Utf8Bom:
            out.assign(std::begin(kUtf8Bom), std::end(kUtf8Bom));
            break;
        case Encoding::Utf8:
            break;
    }
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

void IniDocument::IndexSections() const {
    if (sectionsBuilt_) return;
    sections_.clear();
    for (std::size_t i = 1; i < blocks_.size(); ++i) {
        sections_.emplace(CaseFoldKey(*SectionOf(blocks_[i].header->text)), i);
    }
    sectionsBuilt_ = true;
}

const IniDocument::Block* IniDocument::FindBlock(std::string_view section) const {
    IndexSections();
    const auto it = sections_.find(CaseFoldKey(section));
    return it == sections_.end() ? nullptr : &blocks_[it->second];
}

IniDocument::Block* IniDocument::FindBlock(std::string_view section) {
    return const_cast<Block*>(std::as_const(*this).FindBlock(section));
}

std::optional<std::size_t> IniDocument::FindKey(const Block& block, std::string_view key) const {
    if (!block.keysBuilt) {
        block.keys.clear();
        for (std::size_t i = 0; i < block.body.size(); ++i) {
            if (const auto kv = KeyOf(block.body[i].text)) block.keys.emplace(CaseFoldKey(kv->key), i);
        }
        block.keysBuilt = true;
    }
    const auto it = block.keys.find(CaseFoldKey(key));
    if (it == block.keys.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> IniDocument::Find(std::string_view section,
                                             std::string_view key) const {
    const Block* block = FindBlock(section);
    if (!block) return std::nullopt;
    const auto at = FindKey(*block, key);
    if (!at) return std::nullopt;
    std::string_view value = Unquote(KeyOf(block->body[*at].text)->value);
    // Values are C strings to every reader: a NUL ends them.
    value = value.substr(0, value.find('\0'));
    return std::string(value);
}

std::string IniDocument::Get(std::string_view section, std::string_view key,
                             std::string_view defaultValue) const {
    const auto value = Find(section, key);
    return CutToCharacters(value ? std::string_view(*value) : defaultValue, kIniValueLimit);
}

std::optional<std::string> IniDocument::GetIfPresent(std::string_view section,
                                                     std::string_view key) const {
    const auto value = Find(section, key);
    if (!value) return std::nullopt;
    return CutToCharacters(*value, kIniValueLimit);
}

bool IniDocument::HasSection(std::string_view section) const {
    return FindBlock(section) != nullptr;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    value = value.substr(0, value.find('\0'));
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value) || section.find(']') != std::string_view::npos ||
        key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';' ||
        key.front() == '#' || section.find('\0') != std::string_view::npos ||
        key.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::string stored = Quote(value);
    Block* block = FindBlock(section);
    if (!block) {
        blocks_.push_back(Block{Line{"[" + std::string(section) + "]", crlf_}, {}, {}, false});
        sections_.emplace(CaseFoldKey(section), blocks_.size() - 1);
        blocks_.back().body.push_back({std::string(key) + "=" + stored, crlf_});
        return true;
    }
    if (const auto at = FindKey(*block, key)) {
        // Keep the key as it was spelled in the file.
        const std::string oldKey(KeyOf(block->body[*at].text)->key);
        block->body[*at].text = oldKey + "=" + stored;
        return true;
    }
    // After the section's last non-blank line, so blank separators stay between sections. Only
    // blank lines follow that place, so no indexed key moves.
    std::size_t insertAt = block->body.size();
    while (insertAt > 0 && Trim(block->body[insertAt - 1].text).empty()) --insertAt;
    block->body.insert(block->body.begin() + static_cast<std::ptrdiff_t>(insertAt),
                       Line{std::string(key) + "=" + stored, crlf_});
    block->keys.emplace(CaseFoldKey(key), insertAt);
    return true;
}

void IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    Block* block = FindBlock(Trim(section));
    if (!block) return;
    if (const auto at = FindKey(*block, Trim(key))) {
        block->body.erase(block->body.begin() + static_cast<std::ptrdiff_t>(*at));
        block->keysBuilt = false;
    }
}

void IniDocument::RemoveSection(std::string_view section) {
    const Block* block = FindBlock(Trim(section));
    if (!block) return;
    blocks_.erase(blocks_.begin() + (block - blocks_.data()));
    sectionsBuilt_ = false;
}

IniDocument IniFile::Load() const {
    const auto bytes = ReadFileBytes(path_);
    if (!bytes) return IniDocument{};
    return IniDocument::Parse(std::span<const std::uint8_t>(*bytes));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    return Load().Get(section, key, defaultValue);
}

int IniFile::ReadInt(std::string_view section, std::string_view key) const {
    return ToInt(ReadString(section, key));
}

bool IniFile::Update(const std::function<void(IniDocument&)>& change) const {
    if (path_.empty()) return false;
    std::lock_guard lock(WriteMutex());
    const WholeFile before = ReadWholeFile(path_);
    // Rewriting a file that was not read whole would store less than it held.
    if (before.outcome != ReadOutcome::Ok && before.outcome != ReadOutcome::Missing) {
        ReportSaveFailure(before.outcome == ReadOutcome::NotRegular ? SaveFailure::NotAFile
                                                                     : SaveFailure::NotReadWhole,
                          path_, before.error);
        return false;
    }
    IniDocument doc = before.outcome == ReadOutcome::Ok
                          ? IniDocument::Parse(std::span<const std::uint8_t>(before.bytes))
                          : IniDocument{};
    change(doc);
    const auto bytes = doc.Serialize();
    // Nothing to store when the change left the file as it was (or a missing file empty).
    if (before.outcome == ReadOutcome::Ok ? bytes == before.bytes : bytes.empty()) return true;
    return WriteFileAtomically(path_, std::span<const std::uint8_t>(bytes));
}

bool IniFile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) const {
    bool accepted = false;
    const bool stored = Update([&](IniDocument& doc) { accepted = doc.Set(section, key, value); });
    return accepted && stored;
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) const {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) const {
    return Update([&](IniDocument& doc) { doc.RemoveKey(section, key); });
}

bool IniFile::DeleteSection(std::string_view section) const {
    return Update([&](IniDocument& doc) { doc.RemoveSection(section); });
}

}  // namespace corvane::platform
