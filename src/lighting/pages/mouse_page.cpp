#include "lighting/pages/mouse_page.h"

#include <string>

namespace corvane::lighting::pages {
namespace {

using device::DeviceKind;
using profiles::ProfileFamily;

constexpr DeviceKind kMouse = DeviceKind::Mouse;
constexpr const char* kDpiEdits[] = {"ms_DPI_edit_R", "ms_DPI_edit_G", "ms_DPI_edit_B"};
constexpr const char* kPointerSlider = "ms_point_speed_slider";
constexpr const char* kWheelEdit = "ms_gunlun_speed_edit";

std::string LevelName(std::size_t level, const char* rest) {
    return "ms_DPI" + std::to_string(level) + rest;
}

std::uint8_t ClampByte(int value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace

void MousePage::Changed(bool lightingProfileOnly) {
    model_.MarkPending(kMouse);
    model_.Save(ProfileFamily::MsDeng);
    if (!lightingProfileOnly) model_.Save(ProfileFamily::MsDevice);
}

void MousePage::ShowLevel(std::size_t level, std::uint8_t position, const MouseInfo& info) {
    if (auto* label = model_.window.Find(LevelName(level, "_label_value"))) {
        label->SetText(std::to_string(DpiValue(info, position)));
    }
}

void MousePage::Refresh() {
    ui::Window& w = model_.window;
    const auto images = model_.State(kMouse).Snapshot();
    const auto& record = images.activeLighting;
    const MouseInfo raw = ReadMouseInfo(images.info);
    const MouseInfo info = WithSensorProfile(raw);
    if (auto* combo = w.FindCombo("ms_report_fct_combo")) {
        if (ReportRate(record) < combo->Count()) combo->SelectItem(ReportRate(record), false);
    }
    const auto sensor = FindSensorProfile(raw.sensorId);
    for (std::size_t level = 1; level <= kDpiLevelCount; ++level) {
        if (sensor) {
            if (auto* c = w.Find(LevelName(level, "_min"))) c->SetText(sensor->minimumText);
            if (auto* c = w.Find(LevelName(level, "_max"))) c->SetText(sensor->maximumText);
        }
        const std::uint8_t position = DpiPosition(record, level).value_or(0);
        if (auto* slider = w.FindSlider(LevelName(level, "_slider"))) {
            slider->SetMin(0);
            slider->SetMax(info.dpiSteps);
            slider->SetValue(position);
        }
        ShowLevel(level, position, info);
    }
    if (const auto current = HighlightedDpiLevel(record)) {
        for (std::size_t level = 1; level <= kDpiLevelCount; ++level) {
            const ui::Colour colour = level == *current ? kHighlightTextColour : kNormalTextColour;
            for (const char* rest : {"_label_rank", "_label_value"}) {
                if (auto* c = w.Find(LevelName(level, rest))) c->SetTextColour(colour);
            }
        }
    }
    if (auto* s = w.FindSlider("ms_sensor_height_slider")) s->SetValue(SensorHeight(record));
    SetDpiColour(DpiColour(record), false);
}

void MousePage::SetDpiLevelValue(std::size_t level, int position, bool final) {
    if (level < 1 || level > kDpiLevelCount) return;
    const auto value = ClampByte(position);
    const MouseInfo info = WithSensorProfile(ReadMouseInfo(model_.State(kMouse).Snapshot().info));
    ShowLevel(level, value, info);
    if (!final && !StoresWhileDragging(level)) return;
    model_.UpdateRecord(kMouse, [&](ActiveLightingImage& r) { SetDpiPosition(r, level, value); });
    Changed();
}

void MousePage::SetReportRate(int index) {
    if (index < 0) return;
    model_.UpdateRecord(kMouse, [&](ActiveLightingImage& r) { lighting::SetReportRate(r, ClampByte(index)); });
    Changed(/*lightingProfileOnly=*/true);
}

void MousePage::SetSensorHeight(int value) {
    model_.UpdateRecord(kMouse, [&](ActiveLightingImage& r) { lighting::SetSensorHeight(r, ClampByte(value)); });
    Changed();
}

void MousePage::SetDpiColour(Rgb colour, bool store) {
    ui::Window& w = model_.window;
    if (auto* b = w.Find("ms_DPI_colordp_btn")) b->SetBkColour(ToArgb(colour));
    // The palette always shows the colour in force, whichever way it came.
    if (auto* palette = w.FindPalette("Pallet"); palette && palette->SelectedColour() != ToArgb(colour)) {
        palette->SetSelectedColour(ToArgb(colour));
    }
    const std::uint8_t parts[] = {colour.red, colour.green, colour.blue};
    for (std::size_t i = 0; i < 3; ++i) {
        if (auto* edit = w.FindEdit(kDpiEdits[i])) {
            const std::string text = std::to_string(parts[i]);
            if (edit->Text() != text) edit->SetText(text);
        }
    }
    if (!store) return;
    model_.UpdateRecord(kMouse, [&](ActiveLightingImage& r) { lighting::SetDpiColour(r, colour); });
    Changed();
}

void MousePage::DpiColourButton(int n) {
    if (n < 1 || n > static_cast<int>(kPaletteSize)) return;
    SetDpiColour(model_.palette.Colour(static_cast<std::size_t>(n - 1)), true);
}

void MousePage::ApplyDpiEdits() {
    std::uint8_t parts[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        auto* edit = model_.window.FindEdit(kDpiEdits[i]);
        if (!edit) return;
        const ColourEditValue value = ReadColourEdit(kMouse, edit->Text());
        parts[i] = value.value;
        if (value.rewrittenText) edit->SetText(*value.rewrittenText);
    }
    SetDpiColour(Rgb{parts[0], parts[1], parts[2]}, true);
}

void MousePage::SetPointerSpeed(int position) {
    const std::uint8_t speed = PointerSpeedFromSlider(position);
    model_.extras.Update([&](ProfileExtras& e) { e.pointerSpeed = speed; });
    // Stored in the profiles only: nothing goes to the device or the desktop.
    model_.Save(ProfileFamily::MsDeng);
    model_.Save(ProfileFamily::MsDevice);
}

void MousePage::StepWheelSpeed(bool up) {
    auto* edit = model_.window.FindEdit(kWheelEdit);
    const int lines = lighting::StepWheelSpeed(edit ? edit->Text() : std::string(), up);
    if (edit) edit->SetText(std::to_string(lines));
    model_.extras.Update([&](ProfileExtras& e) { e.wheelSpeed = static_cast<std::uint8_t>(lines); });
    model_.Save(ProfileFamily::MsDeng);
    model_.Save(ProfileFamily::MsDevice);
}

void MousePage::RestoreWindowsPointerDefaults() {
    if (auto* s = model_.window.FindSlider(kPointerSlider)) s->SetValue(kDefaultPointerSlider);
    pointer_.SetPointerSpeed(kDefaultWindowsPointerSpeed);
    if (auto* edit = model_.window.FindEdit(kWheelEdit)) edit->SetText(std::to_string(kDefaultWheelLines));
    pointer_.SetWheelLines(kDefaultWheelLines);
    pointer_.AnnounceChange();
    model_.Queue(kMouse).Submit("reset", [](device::DeviceLink& link) { return link.ResetDevice(); });
}

void MousePage::ShowPointerSupport() {
    auto* hint = model_.window.Find("ms_pointer_hint");
    if (hint == nullptr) return;
    const char* id = pointer_.CanSetPointerSpeed() && pointer_.CanSetWheelLines() ? "ms_pointer_hint_all"
                     : pointer_.CanSetPointerSpeed()                              ? "ms_pointer_hint_speed"
                                                                                  : "ms_pointer_hint_none";
    hint->SetResourceText(true);
    hint->SetText(id);
}

void MousePage::ShowPointerValues() {
    const auto extras = model_.extras.Snapshot();
    if (auto* s = model_.window.FindSlider(kPointerSlider)) {
        // Stepping through the value below makes the slider repaint even when it already sat there.
        s->SetValue(extras.pointerSpeed / 2 - 1);
        s->SetValue(extras.pointerSpeed / 2);
    }
    if (auto* edit = model_.window.FindEdit(kWheelEdit)) edit->SetText(std::to_string(extras.wheelSpeed));
}

}  // namespace corvane::lighting::pages
