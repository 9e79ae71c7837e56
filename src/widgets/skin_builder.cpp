#include "widgets/skin_builder.h"

#include <QFile>
#include <QXmlStreamReader>

#include <array>
#include <map>

#include "widgets/skin_controls.h"
#include "ui/window.h"

namespace corvane::widgets {
namespace {

// Includes and page files nest; deeper than this is a loop in the skin.
constexpr int kMaxDepth = 24;

constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kPlaceholders{{
    {"kb_key_ui", "keyboard_key.xml"},
    {"kb_deng_ui", "keyboard_deng.xml"},
    {"kb_macro_ui", "keyboard_macro.xml"},
    {"ms_deng_ui", "Mouse_deng.xml"},
    {"ms_macro_ui", "Mouse_macro.xml"},
    {"ms_key_ui", "Mouse_key.xml"},
    {"mp_deng_ui", "MousePad_deng.xml"},
    {"ms_dpi_ui", "Mouse_DPI.xml"},
    {"ms_cursor_ui", "Mouse_cursor.xml"},
}};

std::map<std::string, ControlFactory>& Factories() {
    static std::map<std::string, ControlFactory> factories = [] {
        std::map<std::string, ControlFactory> f;
        f["circleprogress"] = [](SkinContext& c) {
            return std::make_unique<RangeWidget>(ui::ControlKind::CircleProgress, c);
        };
        f["wnd"] = [](SkinContext& c) { return std::make_unique<WndWidget>(c); };
        f["chartview"] = [](SkinContext& c) { return std::make_unique<ChartWidget>(c); };
        return f;
    }();
    return factories;
}

std::string Where(const XmlNode& node) { return node.file + ":" + std::to_string(node.line) + ": "; }

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

std::optional<XmlNode> Parse(QXmlStreamReader& xml, const std::string& label, std::string* error) {
    std::vector<XmlNode> stack;
    std::vector<QString> content;  // character data of each open element
    std::optional<XmlNode> root;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::Characters && !content.empty()) {
            content.back() += xml.text();
        } else if (token == QXmlStreamReader::StartElement) {
            content.emplace_back();
            XmlNode node;
            node.tag = ToStdString(xml.name().toString());
            node.file = label;
            node.line = xml.lineNumber();
            for (const auto& a : xml.attributes()) {
                node.attributes.push_back({ToStdString(a.name().toString()), ToStdString(a.value().toString())});
            }
            stack.push_back(std::move(node));
        } else if (token == QXmlStreamReader::EndElement) {
            XmlNode done = std::move(stack.back());
            stack.pop_back();
            // Text written as the element's content stands for its text attribute.
            const QString text = content.back().trimmed();
            content.pop_back();
            if (!text.isEmpty() && !done.Find("text")) done.attributes.push_back({"text", ToStdString(text)});
            if (stack.empty()) root = std::move(done);
            else stack.back().children.push_back(std::move(done));
        }
    }
    if (xml.hasError()) {
        if (error) *error = label + ":" + std::to_string(xml.lineNumber()) + ": " + ToStdString(xml.errorString());
        return std::nullopt;
    }
    if (!root) {
        if (error) *error = label + ": no root element";
        return std::nullopt;
    }
    return root;
}

bool IsTag(const XmlNode& node, std::string_view tag) { return ui::EqualsIgnoreCase(node.tag, tag); }

}  // namespace

const std::string* XmlNode::Find(std::string_view name) const {
    for (const auto& a : attributes) {
        if (ui::EqualsIgnoreCase(a.name, name)) return &a.value;
    }
    return nullptr;
}

std::optional<XmlNode> ParseXmlFile(const std::filesystem::path& path, std::string* error) {
    QFile file(ToQString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = path.string() + ": cannot be read";
        return std::nullopt;
    }
    QXmlStreamReader xml(&file);
    return Parse(xml, path.filename().string(), error);
}

std::optional<XmlNode> ParseXmlText(std::string_view text, const std::string& label, std::string* error) {
    QXmlStreamReader xml(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    return Parse(xml, label, error);
}

void RegisterControlClass(std::string_view elementName, ControlFactory factory) {
    Factories()[ui::ToLower(elementName)] = std::move(factory);
}

std::optional<std::string> SkinBuilder::PlaceholderPage(std::string_view elementName) {
    const std::string lower = ui::ToLower(elementName);
    for (const auto& [tag, file] : kPlaceholders) {
        if (tag == lower) return std::string(file);
    }
    return std::nullopt;
}

SkinBuilder::Taken SkinBuilder::TakeResource(const XmlNode& node, std::string* error) {
    auto Failed = [](std::string* e, const std::string& text) {
        if (e) *e = text;
        return Taken::Failed;
    };
    if (IsTag(node, "Font")) {
        FontSpec font;
        int id = nextFontId_;
        if (const auto* v = node.Find("id")) {
            auto parsed = ParseInt(*v);
            if (!parsed) return Failed(error, Where(node) + "bad font id '" + *v + "'");
            id = *parsed;
        }
        nextFontId_ = std::max(nextFontId_, id + 1);
        if (const auto* v = node.Find("name")) font.family = *v;
        if (const auto* v = node.Find("size")) {
            auto size = ParseInt(*v);
            if (!size || *size <= 0) return Failed(error, Where(node) + "bad font size '" + *v + "'");
            font.pixelSize = *size;
        }
        if (const auto* v = node.Find("bold")) font.bold = ParseBool(*v).value_or(false);
        if (const auto* v = node.Find("italic")) font.italic = ParseBool(*v).value_or(false);
        if (const auto* v = node.Find("underline")) font.underline = ParseBool(*v).value_or(false);
        if (const auto* v = node.Find("default"); v && ParseBool(*v).value_or(false)) context_.SetDefaultFont(id);
        context_.AddFont(id, std::move(font));
        return Taken::Yes;
    }
    if (IsTag(node, "Default") || IsTag(node, "Style")) {
        const bool isDefault = IsTag(node, "Default");
        const std::string* key = node.Find(isDefault ? "class" : "name");
        if (!key) key = node.Find("name");
        const std::string* value = node.Find("value");
        if (!key || !value) return Failed(error, Where(node) + node.tag + " needs " + (isDefault ? "class" : "name") + " and value");
        auto list = ParseAttributeList(*value);
        if (!list) return Failed(error, Where(node) + "malformed attribute list in " + node.tag + " '" + *key + "'");
        if (isDefault) context_.AddClassDefault(*key, std::move(*list));
        else context_.AddStyle(*key, std::move(*list));
        return Taken::Yes;
    }
    return Taken::No;
}

std::unique_ptr<SkinWidget> SkinBuilder::Create(const std::string& tag) {
    const std::string lower = ui::ToLower(tag);
    if (auto it = Factories().find(lower); it != Factories().end()) return it->second(context_);
    auto kind = ui::KindFromName(tag);
    if (!kind) return nullptr;
    using K = ui::ControlKind;
    switch (*kind) {
        case K::Option:
        case K::CheckBox: return std::make_unique<OptionWidget>(*kind, context_);
        case K::TabLayout: return std::make_unique<TabWidget>(context_);
        case K::Slider:
        case K::Progress:
        case K::CircleProgress: return std::make_unique<RangeWidget>(*kind, context_);
        case K::ColorPalette: return std::make_unique<PaletteWidget>(context_);
        case K::Edit: return std::make_unique<EditWidget>(context_);
        case K::List: return std::make_unique<ListWidget>(context_);
        case K::Combo: return std::make_unique<ComboWidget>(context_);
        case K::ChartView: return std::make_unique<ChartWidget>(context_);
        case K::Wnd: return std::make_unique<WndWidget>(context_);
        case K::ListLabelElement:
        case K::ListTextElement:
        case K::ListContainerElement: return std::make_unique<RowWidget>(*kind, context_);
        default: return std::make_unique<SkinWidget>(*kind, context_);
    }
}

std::unique_ptr<SkinWidget> SkinBuilder::BuildWindow(const XmlNode& window, WindowSettings& settings,
                                                     std::string* error) {
    if (!IsTag(window, "Window")) {
        Fail(error, Where(window) + "the root element is <" + window.tag + ">, not <Window>");
        return nullptr;
    }
    for (const auto& [name, value] : window.attributes) {
        const std::string n = ui::ToLower(name);
        if (n == "size") {
            if (auto p = ParsePair(value)) {
                settings.width = p->first;
                settings.height = p->second;
            }
        } else if (n == "mininfo") {
            if (auto p = ParsePair(value)) {
                settings.minWidth = p->first;
                settings.minHeight = p->second;
            }
        } else if (n == "caption") {
            if (auto q = ParseQuad(value)) settings.caption = *q;
        } else if (n == "roundcorner") {
            if (auto p = ParsePair(value)) settings.roundCorner = p->first;
        } else if (n == "bkcolor") {
            settings.bkColour = ParseColour(value);
        } else if (n == "font") {
            if (auto f = ParseInt(value)) context_.SetDefaultFont(*f);
        }
    }
    std::unique_ptr<SkinWidget> root;
    for (const auto& child : window.children) {
        const auto taken = TakeResource(child, error);
        if (taken == Taken::Failed) return nullptr;
        if (taken == Taken::Yes) continue;
        if (root) {
            Fail(error, Where(child) + "a window holds one root layout; <" + child.tag + "> is a second one");
            return nullptr;
        }
        root = BuildElement(child, error, 0);
        if (!root) return nullptr;
    }
    if (!root) Fail(error, Where(window) + "the window has no layout");
    return root;
}

bool SkinBuilder::BuildPage(const std::string& file, const XmlNode& at,
                            std::vector<std::unique_ptr<SkinWidget>>& out, std::string* error, int depth) {
    if (depth > kMaxDepth) return Fail(error, Where(at) + "pages and includes nest too deep (a loop?)");
    std::string parseError;
    auto page = ParseXmlFile(context_.SkinDir() / file, &parseError);
    if (!page) return Fail(error, Where(at) + parseError);
    if (!IsTag(*page, "Page")) {
        // An included file may also be a single element.
        auto widget = BuildElement(*page, error, depth + 1);
        if (!widget) return false;
        out.push_back(std::move(widget));
        return true;
    }
    return BuildContent(*page, out, error, depth);
}

bool SkinBuilder::BuildContent(const XmlNode& node, std::vector<std::unique_ptr<SkinWidget>>& out,
                               std::string* error, int depth) {
    for (const auto& child : node.children) {
        const auto taken = TakeResource(child, error);
        if (taken == Taken::Failed) return false;
        if (taken == Taken::Yes) continue;
        if (IsTag(child, "Include")) {
            const std::string* source = child.Find("source");
            if (!source) return Fail(error, Where(child) + "<Include> needs source");
            if (!BuildPage(*source, child, out, error, depth + 1)) return false;
            continue;
        }
        auto widget = BuildElement(child, error, depth + 1);
        if (!widget) return false;
        out.push_back(std::move(widget));
    }
    return true;
}

std::unique_ptr<SkinWidget> SkinBuilder::BuildElement(const XmlNode& node, std::string* error, int depth) {
    if (depth > kMaxDepth) {
        Fail(error, Where(node) + "pages and includes nest too deep (a loop?)");
        return nullptr;
    }
    if (auto page = PlaceholderPage(node.tag)) {
        std::vector<std::unique_ptr<SkinWidget>> parts;
        if (!BuildPage(*page, node, parts, error, depth)) return nullptr;
        std::unique_ptr<SkinWidget> root;
        if (parts.size() == 1) {
            root = std::move(parts.front());
        } else {
            root = std::make_unique<SkinWidget>(ui::ControlKind::VerticalLayout, context_);
            for (auto& part : parts) root->AdoptChild(part.release());
            root->FinishBuild();
        }
        root->ApplyAttributes(node.attributes);
        return root;
    }
    auto widget = Create(node.tag);
    if (!widget) {
        Fail(error, Where(node) + "unknown element <" + node.tag + ">");
        return nullptr;
    }
    widget->SetClassName(node.tag);
    if (const AttributeList* defaults = context_.ClassDefault(node.tag)) widget->ApplyAttributes(*defaults);
    widget->ApplyAttributes(node.attributes);
    if (!BuildChildren(node, *widget, error, depth)) return nullptr;
    widget->FinishBuild();
    return widget;
}

bool SkinBuilder::BuildChildren(const XmlNode& node, SkinWidget& parent, std::string* error, int depth) {
    std::vector<std::unique_ptr<SkinWidget>> children;
    if (!BuildContent(node, children, error, depth)) return false;
    for (auto& child : children) parent.AdoptChild(child.release());  // owned by its Qt parent from here on
    return true;
}

}  // namespace corvane::widgets
