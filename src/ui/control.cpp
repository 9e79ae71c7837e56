#include "ui/control.h"

#include <array>
#include <utility>

#include "ui/window.h"

namespace corvane::ui {
namespace {

constexpr std::array<std::pair<ControlKind, std::string_view>, 25> kKindNames{{
    {ControlKind::Control, "Control"},
    {ControlKind::Label, "Label"},
    {ControlKind::Text, "Text"},
    {ControlKind::Button, "Button"},
    {ControlKind::Option, "Option"},
    {ControlKind::CheckBox, "CheckBox"},
    {ControlKind::Combo, "Combo"},
    {ControlKind::Edit, "Edit"},
    {ControlKind::Slider, "Slider"},
    {ControlKind::Progress, "Progress"},
    {ControlKind::CircleProgress, "CircleProgress"},
    {ControlKind::ColorPalette, "ColorPalette"},
    {ControlKind::List, "List"},
    {ControlKind::ListHeader, "ListHeader"},
    {ControlKind::ListHeaderItem, "ListHeaderItem"},
    {ControlKind::ListLabelElement, "ListLabelElement"},
    {ControlKind::ListTextElement, "ListTextElement"},
    {ControlKind::ListContainerElement, "ListContainerElement"},
    {ControlKind::VerticalLayout, "VerticalLayout"},
    {ControlKind::HorizontalLayout, "HorizontalLayout"},
    {ControlKind::TabLayout, "TabLayout"},
    {ControlKind::Container, "Container"},
    {ControlKind::ScrollContainer, "ScrollContainer"},
    {ControlKind::Wnd, "Wnd"},
    {ControlKind::ChartView, "ChartView"},
}};

}  // namespace

std::string_view KindName(ControlKind kind) {
    for (const auto& [k, name] : kKindNames) {
        if (k == kind) return name;
    }
    return "Control";
}

std::optional<ControlKind> KindFromName(std::string_view name) {
    for (const auto& [k, n] : kKindNames) {
        if (EqualsIgnoreCase(n, name)) return k;
    }
    return std::nullopt;
}

}  // namespace corvane::ui
