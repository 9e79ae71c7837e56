#include "ui/window.h"

#include <cctype>

namespace corvane::ui {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string ToLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

Control* Window::FindOfKind(std::string_view name, ControlKind kind) const {
    Control* control = Find(name);
    return control && control->Kind() == kind ? control : nullptr;
}

Option* Window::FindOption(std::string_view name) const {
    Control* c = Find(name);
    if (!c || (c->Kind() != ControlKind::Option && c->Kind() != ControlKind::CheckBox)) return nullptr;
    return dynamic_cast<Option*>(c);
}

ItemList* Window::FindCombo(std::string_view name) const {
    Control* c = FindOfKind(name, ControlKind::Combo);
    return c ? dynamic_cast<ItemList*>(c) : nullptr;
}

ItemList* Window::FindList(std::string_view name) const {
    Control* c = FindOfKind(name, ControlKind::List);
    return c ? dynamic_cast<ItemList*>(c) : nullptr;
}

TabLayout* Window::FindTab(std::string_view name) const {
    Control* c = FindOfKind(name, ControlKind::TabLayout);
    return c ? dynamic_cast<TabLayout*>(c) : nullptr;
}

Slider* Window::FindSlider(std::string_view name) const {
    Control* c = Find(name);
    if (!c) return nullptr;
    const auto k = c->Kind();
    if (k != ControlKind::Slider && k != ControlKind::Progress && k != ControlKind::CircleProgress) {
        return nullptr;
    }
    return dynamic_cast<Slider*>(c);
}

ColourPalette* Window::FindPalette(std::string_view name) const {
    Control* c = FindOfKind(name, ControlKind::ColorPalette);
    return c ? dynamic_cast<ColourPalette*>(c) : nullptr;
}

Edit* Window::FindEdit(std::string_view name) const {
    Control* c = FindOfKind(name, ControlKind::Edit);
    return c ? dynamic_cast<Edit*>(c) : nullptr;
}

Chart* Window::FindChart(std::string_view name) const {
    Control* c = FindOfKind(name, ControlKind::ChartView);
    return c ? dynamic_cast<Chart*>(c) : nullptr;
}

std::string FillInText(std::string text, const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string mark = "{" + std::to_string(i + 1) + "}";
        if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), values[i]);
    }
    return text;
}

}  // namespace corvane::ui
