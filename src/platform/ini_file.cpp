#include "platform/ini_file.h"

#include <climits>
#include <mutex>

#include "platform/atomic_file.h"
#include "platform/files.h"

namespace corvane::platform {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::uint8_t kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint8_t kUtf16LeBom[] = {0xFF, 0xFE};
constexpr char32_t kReplacement = 0xFFFD;

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool AsciiEqualsIgnoreCase(std::string_view a, std::string_view b) {
    return EqualsIgnoreCase(a, b);
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

std::string DecodeUtf16Le(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    auto unit = [&](std::size_t at) {
        return static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
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

void AppendUtf16Le(std::vector<std::uint8_t>& out, std::string_view text) {
    auto put = [&](char16_t u) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
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

IniDocument IniDocument::Parse(std::span<const std::uint8_t> bytes) {
    IniDocument doc;
    std::string text;
    if (bytes.size() >= 2 && bytes[0] == kUtf16LeBom[0] && bytes[1] == kUtf16LeBom[1]) {
        doc.encoding_ = Encoding::Utf16Le;
        text = DecodeUtf16Le(bytes.subspan(2));
    } else if (bytes.size() >= 3 && bytes[0] == kUtf8Bom[0] && bytes[1] == kUtf8Bom[1] &&
               bytes[2] == kUtf8Bom[2]) {
        doc.encoding_ = Encoding::Utf8Bom;
        text.assign(bytes.begin() + 3, bytes.end());
    } else {
        text.assign(bytes.begin(), bytes.end());
    }
    std::size_t start = 0;
    while (start < text.size()) {
        auto nl = text.find('\n', start);
        const bool terminated = nl != std::string::npos;
        if (!terminated) nl = text.size();
        Line line{text.substr(start, nl - start), false};
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.cr = true;
        }
        if (doc.lines_.empty()) doc.crlf_ = line.cr;
        doc.lines_.push_back(std::move(line));
        start = nl + 1;
    }
    return doc;
}

std::vector<std::uint8_t> IniDocument::Serialize() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.cr ? "\r\n" : "\n";
    }
    std::vector<std::uint8_t> out;
    switch (encoding_) {
        case Encoding::Utf16Le:
            for (const std::uint8_t b : kUtf16LeBom) out.push_back(b);
            AppendUtf16Le(out, text);
            return out;
        case Encoding::Utf8Bom:
            for (const std::uint8_t b : kUtf8Bom) out.push_back(b);
            break;
        case Encoding::Utf8:
            break;
    }
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section) const {
    std::optional<Range> found;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionOf(lines_[i].text);
        if (!name) continue;
        if (found) {
            found->end = i;
            return found;
        }
        if (AsciiEqualsIgnoreCase(*name, section)) found = Range{i, lines_.size()};
    }
    return found;
}

std::optional<std::size_t> IniDocument::FindKey(const Range& range, std::string_view key) const {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto kv = KeyOf(lines_[i].text);
        if (kv && AsciiEqualsIgnoreCase(kv->key, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section,
                                             std::string_view key) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    const auto at = FindKey(*range, key);
    if (!at) return std::nullopt;
    std::string_view value = Unquote(KeyOf(lines_[*at].text)->value);
    // Values are C strings to every reader: a NUL ends them.
    value = value.substr(0, value.find('\0'));
    return std::string(value);
}

std::string IniDocument::Get(std::string_view section, std::string_view key,
                             std::string_view defaultValue) const {
    const auto value = Find(section, key);
    return CutToCharacters(value ? std::string_view(*value) : defaultValue, kIniValueLimit);
}

bool IniDocument::HasSection(std::string_view section) const {
    return FindSection(section).has_value();
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
    const auto range = FindSection(section);
    if (!range) {
        lines_.push_back({"[" + std::string(section) + "]", crlf_});
        lines_.push_back({std::string(key) + "=" + stored, crlf_});
        return true;
    }
    if (const auto at = FindKey(*range, key)) {
        // Keep the key as it was spelled in the file.
        const std::string oldKey(KeyOf(lines_[*at].text)->key);
        lines_[*at].text = oldKey + "=" + stored;
        return true;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    std::size_t insertAt = range->header + 1;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (!Trim(lines_[i].text).empty()) insertAt = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Line{std::string(key) + "=" + stored, crlf_});
    return true;
}

void IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    const auto range = FindSection(Trim(section));
    if (!range) return;
    if (const auto at = FindKey(*range, Trim(key))) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
    }
}

void IniDocument::RemoveSection(std::string_view section) {
    const auto range = FindSection(Trim(section));
    if (!range) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
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
    const auto before = ReadFileBytes(path_);
    IniDocument doc =
        before ? IniDocument::Parse(std::span<const std::uint8_t>(*before)) : IniDocument{};
    change(doc);
    const auto bytes = doc.Serialize();
    // Nothing to store when the change left the file as it was (or a missing file empty).
    if (before ? bytes == *before : bytes.empty()) return true;
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
