#include "widgets/skin_attributes.h"

#include <cctype>
#include <charconv>

#include "ui/window.h"

namespace corvane::widgets {
namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.';
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ',') {
            parts.push_back(TrimView(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    return parts;
}

std::optional<unsigned> ParseHex(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    unsigned value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string_view TrimView(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<AttributeList> ParseAttributeList(std::string_view text) {
    AttributeList list;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && IsSpace(text[i])) ++i;
        if (i >= text.size()) break;
        const std::size_t nameStart = i;
        while (i < text.size() && IsNameChar(text[i])) ++i;
        if (i == nameStart) return std::nullopt;
        Attribute attribute{std::string(text.substr(nameStart, i - nameStart)), {}};
        while (i < text.size() && IsSpace(text[i])) ++i;
        if (i >= text.size() || text[i] != '=') return std::nullopt;
        ++i;
        while (i < text.size() && IsSpace(text[i])) ++i;
        if (i >= text.size() || (text[i] != '\'' && text[i] != '"')) return std::nullopt;
        const char quote = text[i++];
        const std::size_t close = text.find(quote, i);
        if (close == std::string_view::npos) return std::nullopt;
        attribute.value = std::string(text.substr(i, close - i));
        i = close + 1;
        list.push_back(std::move(attribute));
    }
    return list;
}

std::optional<ui::Colour> ParseColour(std::string_view text) {
    text = TrimView(text);
    std::string_view digits;
    if (!text.empty() && text.front() == '#') {
        digits = text.substr(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        digits = text.substr(2);
    } else {
        return std::nullopt;
    }
    auto value = ParseHex(digits);
    if (!value) return std::nullopt;
    if (digits.size() == 6) return 0xFF000000u | *value;
    if (digits.size() == 8) return *value;
    return std::nullopt;
}

std::optional<int> ParseInt(std::string_view text) {
    text = TrimView(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> ParseBool(std::string_view text) {
    text = TrimView(text);
    if (ui::EqualsIgnoreCase(text, "true") || text == "1") return true;
    if (ui::EqualsIgnoreCase(text, "false") || text == "0") return false;
    return std::nullopt;
}

std::optional<Quad> ParseQuad(std::string_view text) {
    const auto parts = SplitCommas(text);
    if (parts.size() != 4) return std::nullopt;
    Quad q;
    int* fields[] = {&q.left, &q.top, &q.right, &q.bottom};
    for (std::size_t i = 0; i < 4; ++i) {
        auto v = ParseInt(parts[i]);
        if (!v) return std::nullopt;
        *fields[i] = *v;
    }
    return q;
}

std::optional<std::pair<int, int>> ParsePair(std::string_view text) {
    const auto parts = SplitCommas(text);
    if (parts.size() != 2) return std::nullopt;
    auto a = ParseInt(parts[0]);
    auto b = ParseInt(parts[1]);
    if (!a || !b) return std::nullopt;
    return std::pair{*a, *b};
}

namespace {

// "file='a.png' corner='1,1,1,1'": a word, '=', and a quoted value first.
bool IsImageDescription(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) ++i;
    if (i == 0) return false;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size() || text[i] != '=') return false;
    ++i;
    while (i < text.size() && text[i] == ' ') ++i;
    return i < text.size() && (text[i] == '\'' || text[i] == '"');
}

}  // namespace

std::optional<ImageSpec> ParseImageSpec(std::string_view text) {
    text = TrimView(text);
    ImageSpec parsed;
    if (text.empty()) return parsed;
    if (!IsImageDescription(text)) {
        // A plain path, which may hold spaces, '=' and quotes of its own.
        parsed.file = std::string(text);
        return parsed;
    }
    auto list = ParseAttributeList(text);
    if (!list) return std::nullopt;
    for (const auto& [name, value] : *list) {
        if (ui::EqualsIgnoreCase(name, "file") || ui::EqualsIgnoreCase(name, "res")) {
            parsed.file = value;
        } else if (ui::EqualsIgnoreCase(name, "dest")) {
            parsed.dest = ParseQuad(value);
            if (!parsed.dest) return std::nullopt;
        } else if (ui::EqualsIgnoreCase(name, "source")) {
            parsed.source = ParseQuad(value);
            if (!parsed.source) return std::nullopt;
        } else if (ui::EqualsIgnoreCase(name, "corner")) {
            auto q = ParseQuad(value);
            if (!q) return std::nullopt;
            parsed.corner = *q;
        } else if (ui::EqualsIgnoreCase(name, "fade")) {
            auto f = ParseInt(value);
            if (!f || *f < 0 || *f > 255) return std::nullopt;
            parsed.fade = *f;
        }
    }
    if (parsed.file.empty()) return std::nullopt;
    return parsed;
}

}  // namespace corvane::widgets
