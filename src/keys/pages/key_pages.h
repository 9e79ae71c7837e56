#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "device/device_kind.h"
#include "keys/function_page.h"
#include "keys/key_entry.h"
#include "keys/screen_key_map.h"
#include "lighting/pages/page_model.h"
#include "platform/input_capture.h"
#include "ui/routes.h"

namespace corvane::keys::pages {

// The key editors of the keyboard and the mouse: a click on a key of the device picture opens
// its function page, every change on that page rebuilds the key's entry in the active bank at
// once, and the keyboard-key kind captures the next key pressed in the window. The banks reach
// the device with the page's upload button or a profile selection. UI thread only.
class KeyPages {
public:
    // Registers its operations on the router's key-editor rows and its capture messages.
    KeyPages(lighting::pages::PageModel& model, ui::RouteTable& router, platform::CaptureHost& capture);
    ~KeyPages();
    KeyPages(const KeyPages&) = delete;
    KeyPages& operator=(const KeyPages&) = delete;

    // At start: the macro drop-down from the device's macro index.
    void Init(device::DeviceKind kind);
    // After the device was read, its factory table re-read, or a profile or bank loaded: the
    // keyboard's screen key map from the factory table, then the key labels.
    void Refresh(device::DeviceKind kind);
    // The texts and tooltips of the device picture from the active bank.
    void RefreshKeyLabels(device::DeviceKind kind);
    // The macro drop-down follows the device's macro list (item i is macro i).
    void SetMacroNames(device::DeviceKind kind, const std::vector<std::string>& names);
    // Ends a key editor's capture (a recording's capture is left alone).
    void StopCapture();
    // Hides the device's function page; its capture ends with it.
    void HideFunctionPanel(device::DeviceKind kind);

    const ScreenKeyMap& KeyMap() const { return screenKeyMap_; }
    // The key the editor of the device works on, if any.
    std::optional<std::size_t> SelectedKey(device::DeviceKind kind) const;

private:
    struct Editor {
        std::optional<std::size_t> key;
        FunctionKind selectedKind = FunctionKind::DefaultFunction;
        std::optional<KeyEntry> capturedKey;
    };

    void RegisterRoutes(ui::RouteTable& router);
    void SelectKeyboardKey(int screenKey);
    void SelectMouseKey(int button);
    void OpenPanel(device::DeviceKind kind);
    // Frames the key whose page is open (none: no key framed).
    void MarkOpenKey(device::DeviceKind kind, ui::Control* key);
    void ShowKey(device::DeviceKind kind);
    void ChooseKind(device::DeviceKind kind, int item);
    void ShowKindPage(device::DeviceKind kind, int item);
    void ParamCombo(device::DeviceKind kind, int number);
    void ParamEdit(device::DeviceKind kind, int number);
    void CapturedKey(device::DeviceKind kind, const platform::KeyHookEvent& event);
    void SetCapture(device::DeviceKind kind, bool on);
    void ShowListening(device::DeviceKind kind, bool on);
    // BuildEntry from the page into the active bank; false when nothing was stored.
    bool Store(device::DeviceKind kind);

    FunctionPageState ReadPage(device::DeviceKind kind) const;
    void WritePage(device::DeviceKind kind, const FunctionPageState& page);
    void ShowCountPage(device::DeviceKind kind, bool shown);

    Editor& EditorOf(device::DeviceKind kind);
    std::string Named(device::DeviceKind kind, const std::string& rest) const;

    lighting::pages::PageModel& model_;
    platform::CaptureHost& capture_;
    std::array<Editor, 2> editors_{};
    std::array<ui::Control*, 2> openKeys_{};
    ScreenKeyMap screenKeyMap_ = EmptyScreenKeyMap();
};

}  // namespace corvane::keys::pages
