#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace corvane::widgets {

// The text forms of skin attribute values. Parsers return none for text that does not parse.

struct Attribute {
    std::string name;   // as written; compared ignoring case
    std::string value;
};
using AttributeList = std::vector<Attribute>;

// "l,t,r,b" (also used for "x1,y1,x2,y2").
struct Quad {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Quad&) const = default;
};

// An image with its drawing options: file='a.png' corner='l,t,r,b' dest='l,t,r,b'
// source='l,t,r,b' fade='0..255', or simply a path.
struct ImageSpec {
    std::string file;             // relative to the skin folder
    std::optional<Quad> dest;     // inside the control, x2/y2 exclusive
    std::optional<Quad> source;   // inside the image, x2/y2 exclusive
    Quad corner;                  // nine-slice margins
    int fade = 255;
};

// The attribute list of <Default value=...> and <Style value=...>: name='value' pairs, the
// value in single or double quotes (a value that itself holds single quotes, like an image
// description, is written in double quotes). None when malformed.
std::optional<AttributeList> ParseAttributeList(std::string_view text);

// "#AARRGGBB", "#RRGGBB" (opaque) or "0xAARRGGBB".
std::optional<ui::Colour> ParseColour(std::string_view text);
std::optional<int> ParseInt(std::string_view text);
std::optional<bool> ParseBool(std::string_view text);
std::optional<Quad> ParseQuad(std::string_view text);
// "w,h" or "x,y".
std::optional<std::pair<int, int>> ParsePair(std::string_view text);
std::optional<ImageSpec> ParseImageSpec(std::string_view text);

std::string_view TrimView(std::string_view text);

}  // namespace corvane::widgets
