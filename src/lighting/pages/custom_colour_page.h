#pragma once

#include <cstddef>

#include "lighting/pages/lighting_page.h"
#include "lighting/pages/page_model.h"
#include "ui/routes.h"

namespace corvane::lighting::pages {

// The keyboard's per-key colour tools (lighting mode 8): the colour set being painted, keys
// painted with the pen, clearing a set and filling its unpainted keys. The sets live in the
// keyboard lighting profile only; every change saves it, none reaches the device. The pen itself
// is set by the lighting page's colour sources while the mode is on.
class CustomColourPage {
public:
    CustomColourPage(PageModel& model, LightingPage& lighting) : model_(model), lighting_(lighting) {}

    void RegisterRoutes(ui::RouteTable& routes);

    // "kb_deng_combo_curtom_count" item k.
    void SelectColourSet(std::size_t set);
    // A click on "kb_dkey_" n: in the per-key mode the key's LED takes the pen colour.
    void PaintKey(std::size_t screenKey);
    // Any change of "kb_Deng_all_kill_check" / "kb_Deng_all_bright_check".
    void ClearColourSet();
    void FillUnpaintedKeys();

private:
    bool PerKeyMode() const;
    void Saved();

    PageModel& model_;
    LightingPage& lighting_;
};

}  // namespace corvane::lighting::pages
