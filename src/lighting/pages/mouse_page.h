#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "lighting/colour.h"
#include "lighting/pages/page_model.h"
#include "platform/pointer_settings.h"

namespace corvane::lighting::pages {

// The mouse's DPI and pointer page: six DPI levels, the DPI colour, report rate, sensor height,
// and the two desktop pointer values kept in the mouse's profiles.
class MousePage {
public:
    MousePage(PageModel& model, platform::PointerSettings& pointer) : model_(model), pointer_(pointer) {}

    void Refresh();
    // Slider of level 1..6 moved to `position`; `final` for "valuechanged", else a drag step.
    void SetDpiLevelValue(std::size_t level, int position, bool final);
    void SetReportRate(int index);
    void SetSensorHeight(int value);
    void SetDpiColour(Rgb colour, bool store);
    void DpiColourButton(int n);  // n = 1..8
    void ApplyDpiEdits();
    void SetPointerSpeed(int position);
    void StepWheelSpeed(bool up);
    // The desktop's defaults (pointer speed 10, three wheel lines) and a device reset; the
    // stored pointer values stay.
    void RestoreWindowsPointerDefaults();
    // The stored pointer values on their controls.
    void ShowPointerValues();
    // What the restore button can do on this desktop, in the hint beside it.
    void ShowPointerSupport();

private:
    void ShowLevel(std::size_t level, std::uint8_t position, const MouseInfo& info);
    void Changed(bool lightingProfileOnly = false);

    PageModel& model_;
    platform::PointerSettings& pointer_;
};

}  // namespace corvane::lighting::pages
