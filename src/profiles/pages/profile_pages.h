#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <string_view>

#include "device/device_kind.h"
#include "lighting/pages/lighting_page.h"
#include "lighting/pages/mouse_page.h"
#include "lighting/pages/page_model.h"
#include "profiles/profile_family.h"
#include "profiles/profile_payload.h"

namespace corvane::profiles::pages {

using lighting::pages::PageModel;

// The file name shown for a linked program: the part after the last "/" of an absolute path;
// nothing for a path that is not absolute.
std::optional<std::string> ProgramFileName(std::string_view path);

// The six profile lists: building them at start, selecting (load, show, send), saving the
// selected profile after every change, resetting to the shipped default, and the keyboard's
// saves after a read-back. UI thread, except LoadSavedDeviceProfile.
class ProfilePages {
public:
    // Steps that belong to other pages (the key views, key capture, custom colour tools).
    struct Hooks {
        std::function<void(device::DeviceKind)> refreshKeyView;
        std::function<void()> stopKeyCapture;
        std::function<void()> refreshCustomColours;
    };

    ProfilePages(PageModel& model, lighting::pages::LightingPage& lighting,
                 lighting::pages::MousePage& mouse, Hooks hooks = {});

    // Fills the device's lists from its index file (first run: the shipped defaults).
    void Init(device::DeviceKind kind);
    // Runs f(const SettingBlocks&) with the kind's blocks held.
    void WithBlocks(device::DeviceKind kind, const std::function<void(const SettingBlocks&)>& f);
    // Saves into the entry in effect (ActiveIndex), never simply the one recorded as "select".
    void Save(ProfileFamily family);
    // The entry whose settings are in effect: the family list's current entry (a linked program's
    // profile while the program is in front), or the recorded choice while the list has none.
    int ActiveIndex(ProfileFamily family) const;
    // The family list's current entry. With none (nothing picked yet) the user is told to pick
    // one first and nothing is returned: an operation on "the selected profile" then does nothing.
    std::optional<int> CurrentEntry(ProfileFamily family);
    int Load(ProfileFamily family, int index);
    // The family's list has a new current entry.
    void SelectProfile(ProfileFamily family);
    void Reset(ProfileFamily family);
    void SaveKeyboardState();
    void OverwriteKeyboardProfiles();
    // At arrival, after the device was read: its state goes into the profiles in effect, then
    // those are selected.
    void SelectSaved(device::DeviceKind kind);
    // Any thread: the mouse's recorded device profile into the blocks.
    void LoadSavedDeviceProfile();
    // The keyboard's factory key table becomes the shipped key default.
    bool StoreKeyboardDefaultTable(const device::KeyTableImage& table);

    // Selects entry index of the family's list as the user would (SelectProfile runs when the
    // selection changes).
    void SelectInList(ProfileFamily family, int index);
    void ShowMessage(const std::string& id);
    void RefreshCustomColours();

private:
    void ShowLink(ProfileFamily family, int index);
    // The entry's name in the name edit and its link in the link panel.
    void ShowEntry(ProfileFamily family, const ui::ItemList& combo, int index);
    // Shows the recorded entry as the list's current one (name, link) without loading it, so
    // the device keeps what it holds.
    void ShowRecorded(ProfileFamily family);
    void AfterLoad(ProfileFamily family, int index);
    void HideFunctionPanel(device::DeviceKind kind);
    void RefreshMouse();
    void SendKeyBank(device::DeviceKind kind);
    void ResetPointerValues();

    PageModel& model_;
    lighting::pages::LightingPage& lighting_;
    lighting::pages::MousePage& mouse_;
    Hooks hooks_;
    std::vector<std::string> toldUnreadable_;  // index files the user was told of this run
};

}  // namespace corvane::profiles::pages
