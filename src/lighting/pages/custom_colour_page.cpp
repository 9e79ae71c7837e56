#include "lighting/pages/custom_colour_page.h"

#include <string>

#include "lighting/custom_colours.h"
#include "platform/debug_out.h"

namespace corvane::lighting::pages {
using ui::ItemIndex;

void CustomColourPage::RegisterRoutes(ui::RouteTable& routes) {
    auto require = [](bool found, const char* name) {
        if (!found) platform::debugOut(std::string("custom colours: no route row for ") + name);
    };
    require(routes.SetIndexedHandler("click", "kb_dkey_",
                                     [this](int n, const ui::Notification&) {
                                         if (n >= 0) PaintKey(static_cast<std::size_t>(n));
                                     }),
            "kb_dkey_");
    require(routes.SetHandler("itemselect", "kb_deng_combo_curtom_count",
                              [this](const ui::Notification& n) {
                                  if (const int k = ItemIndex(n); k >= 0) SelectColourSet(static_cast<std::size_t>(k));
                              }),
            "kb_deng_combo_curtom_count");
    require(routes.SetHandler("selectchanged", "kb_Deng_all_kill_check",
                              [this](const ui::Notification&) { ClearColourSet(); }),
            "kb_Deng_all_kill_check");
    require(routes.SetHandler("selectchanged", "kb_Deng_all_bright_check",
                              [this](const ui::Notification&) { FillUnpaintedKeys(); }),
            "kb_Deng_all_bright_check");
}

bool CustomColourPage::PerKeyMode() const { return Mode(model_.Record(DeviceKind::Keyboard)) == kPerKeyColourMode; }

void CustomColourPage::Saved() {
    model_.Save(profiles::ProfileFamily::KbDeng);
    lighting_.ShowKeyOverlays();
}

void CustomColourPage::SelectColourSet(std::size_t set) {
    if (!model_.extras.Update([&](ProfileExtras& e) { return lighting::SelectColourSet(e.customColourState, set); })) {
        return;
    }
    Saved();
}

void CustomColourPage::PaintKey(std::size_t screenKey) {
    if (!PerKeyMode()) return;
    if (!model_.extras.Update(
            [&](ProfileExtras& e) { return lighting::PaintKey(e.customColourState, e.keyColourTable, screenKey); })) {
        return;
    }
    Saved();
}

void CustomColourPage::ClearColourSet() {
    if (!model_.extras.Update(
            [](ProfileExtras& e) { return lighting::ClearColourSet(e.customColourState, e.keyColourTable); })) {
        return;
    }
    Saved();
}

void CustomColourPage::FillUnpaintedKeys() {
    if (!model_.extras.Update(
            [](ProfileExtras& e) { return lighting::FillUnpaintedKeys(e.customColourState, e.keyColourTable); })) {
        return;
    }
    Saved();
}

}  // namespace corvane::lighting::pages
