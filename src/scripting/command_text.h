#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_kind.h"
#include "ui/control.h"

namespace corvane::scripting {

// The words of script command lines and the JSON of their replies.

inline constexpr std::string_view kOk = "ok";

// A command line split at spaces; word 0 is the verb.
struct CommandArgs {
    std::string_view line;
    std::vector<std::string_view> words;
    // Where each word starts in the line, for commands whose last argument is the rest of it.
    std::vector<std::size_t> starts;

    // Arguments after the verb.
    std::size_t Count() const { return words.empty() ? 0 : words.size() - 1; }
    std::string_view operator[](std::size_t index) const { return words[index]; }
    // The text after word `index` and the single space that ends it.
    std::string_view RestAfter(std::size_t index) const;
};

CommandArgs SplitCommand(std::string_view line);

std::optional<int> ParseNumber(std::string_view text);
std::optional<ui::Colour> ParseRgb(std::string_view text);  // "#RRGGBB"
std::optional<device::DeviceKind> ParseKind(std::string_view text);  // "kb", "ms", "mp"
// The kind's name in commands and replies: "kb", "ms", "mp".
std::string_view KindWord(device::DeviceKind kind);

std::string Quote(std::string_view name);
// A text id made safe for the reply's comma-separated list.
std::string ReplyToken(std::string_view text);

void AppendJsonString(std::string& out, std::string_view text);

class JsonObject {
public:
    JsonObject& Str(std::string_view key, std::string_view value);
    JsonObject& Bool(std::string_view key, bool value);
    JsonObject& Int(std::string_view key, std::int64_t value);
    JsonObject& Raw(std::string_view key, std::string_view json);
    std::string Done() const;

private:
    void Key(std::string_view key);
    std::string out_;
    bool first_ = true;
};

std::string JsonArray(const std::vector<std::string>& elements);
std::string JsonStringArray(const std::vector<std::string>& texts);
std::string HexColour(ui::Colour colour, bool withAlpha);
std::string Hex16(std::uint16_t value);

}  // namespace corvane::scripting
