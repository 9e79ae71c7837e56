#include "scripting/command_text.h"

#include <charconv>
#include <cstdio>

#include "platform/utf8.h"
#include "ui/window.h"

namespace corvane::scripting {

namespace {

constexpr ui::Colour kRgbMask = 0x00FFFFFFu;
constexpr std::size_t kRgbDigits = 6;
constexpr int kHexBase = 16;

}  // namespace

std::string_view CommandArgs::RestAfter(std::size_t index) const {
    const std::size_t end = starts[index] + words[index].size();
    return end + 1 <= line.size() ? line.substr(end + 1) : std::string_view{};
}

CommandArgs SplitCommand(std::string_view line) {
    CommandArgs args;
    args.line = line;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        args.words.push_back(line.substr(start, i - start));
        args.starts.push_back(start);
    }
    return args;
}

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || ptr != end || text.empty()) return std::nullopt;
    return value;
}

std::optional<ui::Colour> ParseRgb(std::string_view text) {
    if (text.size() != kRgbDigits + 1 || text[0] != '#') return std::nullopt;
    ui::Colour value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data() + 1, end, value, kHexBase);
    if (ec != std::errc{} || ptr != end) return std::nullopt;
    return value & kRgbMask;
}

std::string_view KindWord(device::DeviceKind kind) {
    // The control-name prefix without its "_".
    return device::DevicePrefix(kind).substr(0, 2);
}

std::optional<device::DeviceKind> ParseKind(std::string_view text) {
    for (device::DeviceKind kind : device::kAllDeviceKinds) {
        if (ui::EqualsIgnoreCase(text, KindWord(kind))) return kind;
    }
    return std::nullopt;
}

std::string Quote(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string ReplyToken(std::string_view text) {
    std::string token(text);
    for (char& c : token) {
        if (c == ' ' || c == ',' || c == '=') c = '_';
    }
    return token.empty() ? std::string("_") : token;
}

void AppendJsonString(std::string& out, std::string_view raw) {
    // Names come from files a user or another program wrote: JSON needs valid UTF-8.
    const std::string text = platform::ToValidUtf8(raw);
    out.push_back('"');
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

JsonObject& JsonObject::Str(std::string_view key, std::string_view value) {
    Key(key);
    AppendJsonString(out_, value);
    return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
    Key(key);
    out_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Int(std::string_view key, std::int64_t value) {
    Key(key);
    out_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
    Key(key);
    out_ += json;
    return *this;
}

std::string JsonObject::Done() const { return first_ ? std::string("{}") : out_ + "}"; }

void JsonObject::Key(std::string_view key) {
    out_.push_back(first_ ? '{' : ',');
    first_ = false;
    AppendJsonString(out_, key);
    out_.push_back(':');
}

std::string JsonArray(const std::vector<std::string>& elements) {
    std::string out = "[";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0) out.push_back(',');
        out += elements[i];
    }
    return out + "]";
}

std::string JsonStringArray(const std::vector<std::string>& texts) {
    std::vector<std::string> quoted;
    for (const auto& t : texts) {
        std::string q;
        AppendJsonString(q, t);
        quoted.push_back(std::move(q));
    }
    return JsonArray(quoted);
}

std::string HexColour(ui::Colour colour, bool withAlpha) {
    char text[16];
    if (withAlpha) std::snprintf(text, sizeof text, "#%08X", static_cast<unsigned>(colour));
    else std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(colour & kRgbMask));
    return text;
}

std::string Hex16(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    return text;
}

}  // namespace corvane::scripting
