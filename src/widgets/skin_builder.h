#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/skin_attributes.h"
#include "widgets/skin_context.h"
#include "widgets/skin_widget.h"

namespace corvane::widgets {

// One element of a skin file, read whole before building.
struct XmlNode {
    std::string tag;
    AttributeList attributes;
    std::vector<XmlNode> children;
    std::string file;
    long long line = 0;

    const std::string* Find(std::string_view name) const;
};

std::optional<XmlNode> ParseXmlFile(const std::filesystem::path& path, std::string* error);
std::optional<XmlNode> ParseXmlText(std::string_view text, const std::string& label, std::string* error);

// Makes a control for a custom skin element name.
using ControlFactory = std::function<std::unique_ptr<SkinWidget>(SkinContext&)>;
// Registers a control class for an element name (case-insensitive), for every builder.
// "CircleProgress", "Wnd" and "ChartView" are registered from the start.
void RegisterControlClass(std::string_view elementName, ControlFactory factory);

// The window element's own settings.
struct WindowSettings {
    int width = 800;
    int height = 572;
    int minWidth = 0;
    int minHeight = 0;
    Quad caption;          // the drag band: height from the top in caption.bottom
    int roundCorner = 0;
    std::optional<ui::Colour> bkColour;
};

// Builds controls from skin files into a context: the window root with its fonts, styles and
// defaults, layout elements, page files for the placeholder elements, includes and the custom
// classes.
class SkinBuilder {
public:
    explicit SkinBuilder(SkinContext& context) : context_(context) {}

    // Builds a <Window> element; returns its root control, or nullptr with the reason
    // ("file:line: ...") in error.
    std::unique_ptr<SkinWidget> BuildWindow(const XmlNode& window, WindowSettings& settings,
                                            std::string* error);

    // The page file that replaces a placeholder element, if the name is one.
    static std::optional<std::string> PlaceholderPage(std::string_view elementName);

private:
    std::unique_ptr<SkinWidget> BuildElement(const XmlNode& node, std::string* error, int depth);
    // Builds the children of node into parent (resources are taken in, includes expanded).
    bool BuildChildren(const XmlNode& node, SkinWidget& parent, std::string* error, int depth);
    // The elements among node's children (resources taken in, includes expanded), in order.
    bool BuildContent(const XmlNode& node, std::vector<std::unique_ptr<SkinWidget>>& out,
                      std::string* error, int depth);
    // The layout elements of a page file (its resources are taken in).
    bool BuildPage(const std::string& file, const XmlNode& at, std::vector<std::unique_ptr<SkinWidget>>& out,
                   std::string* error, int depth);
    // Fonts, styles and defaults.
    enum class Taken { No, Yes, Failed };
    Taken TakeResource(const XmlNode& node, std::string* error);
    std::unique_ptr<SkinWidget> Create(const std::string& tag);

    SkinContext& context_;
    int nextFontId_ = 0;
};

}  // namespace corvane::widgets
