#include "profiles/pages/profile_pages.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "profiles/profile_file.h"
#include "profiles/profile_index.h"

namespace corvane::profiles::pages {
namespace {

using device::DeviceImages;
using device::DeviceKind;
using lighting::pages::ProfileExtras;

constexpr int kRowHeight = 25;
constexpr const char* kIndexUnreadableText = "message_profile_index_unreadable";
constexpr std::string_view kPickProfileFirstText = "message_pick_profile_first";
// The shipped lighting defaults of the mouse and pad are taken as far as the device keeps them.
constexpr std::size_t kDeviceLightingDefaultSize = device::kParamTransferSize;
constexpr std::uint8_t kResetPointerSpeed = 10;
constexpr int kResetPointerSlider = 5;
constexpr std::uint8_t kResetWheelSpeed = 1;
constexpr std::size_t kBank0 = 0;
constexpr std::size_t kSlot0 = 0;

std::string Part(ProfileFamily family, const char* rest) {
    return std::string(Family(family).id) + rest;
}

std::size_t ResetReadSize(ProfileFamily family) {
    switch (family) {
        case ProfileFamily::MsDeng:
        case ProfileFamily::MpDeng: return kDeviceLightingDefaultSize;
        default: return Family(family).payloadSize;
    }
}

}  // namespace

std::optional<std::string> ProgramFileName(std::string_view path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    return std::string(path.substr(path.find_last_of('/') + 1));
}

ProfilePages::ProfilePages(PageModel& model, lighting::pages::LightingPage& lighting,
                           lighting::pages::MousePage& mouse, Hooks hooks)
    : model_(model), lighting_(lighting), mouse_(mouse), hooks_(std::move(hooks)) {}

void ProfilePages::ShowMessage(const std::string& id) {
    ui::MessageBoxRequest request;
    request.textId = id;
    request.buttons = ui::MessageButtons::Confirm;
    model_.window.ShowMessageBox(request);
}

void ProfilePages::RefreshCustomColours() {
    if (hooks_.refreshCustomColours) hooks_.refreshCustomColours();
}

void ProfilePages::Init(DeviceKind kind) {
    const ProfileIndexLoad load = LoadProfileIndex(kind);
    for (const FamilyList& list : load.lists) {
        auto* combo = model_.window.FindCombo(Family(list.family).listControl);
        if (!combo) continue;
        combo->RemoveAll();
        for (const std::string& name : list.names) combo->AddLabelRow(name, name, kRowHeight);
    }
    if (load.message) ShowMessage(*load.message);
    if (load.unreadableIndex) {
        // Once per file and run: each arrival of the device reads the index again.
        const std::string& path = load.unreadableIndex->path;
        if (std::find(toldUnreadable_.begin(), toldUnreadable_.end(), path) == toldUnreadable_.end()) {
            toldUnreadable_.push_back(path);
            ui::MessageBoxRequest request;
            request.textId = kIndexUnreadableText;
            request.textArgs = {path, load.unreadableIndex->reason};
            request.buttons = ui::MessageButtons::Confirm;
            model_.window.ShowMessageBox(request);
        }
    }
}

void ProfilePages::WithBlocks(DeviceKind kind, const std::function<void(const SettingBlocks&)>& f) {
    // Always the extras first, then the device's images.
    model_.extras.Update([&](ProfileExtras& extras) {
        model_.State(kind).Update([&](DeviceImages& images) {
            SettingBlocks blocks;
            switch (kind) {
                case DeviceKind::Keyboard: blocks.keyboard = &images; break;
                case DeviceKind::Mouse: blocks.mouse = &images; break;
                case DeviceKind::MousePad: blocks.pad = &images; break;
            }
            blocks.customColourState = &extras.customColourState;
            blocks.keyColourTable = &extras.keyColourTable;
            blocks.pointerSpeed = &extras.pointerSpeed;
            blocks.wheelSpeed = &extras.wheelSpeed;
            f(blocks);
        });
    });
}

void ProfilePages::Save(ProfileFamily family) {
    // Only the copy is made under the guards; the index lookup and the write come after.
    std::optional<std::vector<std::uint8_t>> payload;
    WithBlocks(Family(family).device, [&](const SettingBlocks& b) { payload = AssemblePayload(family, b); });
    if (payload) SaveProfilePayload(family, ActiveIndex(family), *payload, model_.writer);
}

std::optional<int> ProfilePages::CurrentEntry(ProfileFamily family) {
    const auto* combo = model_.window.FindCombo(Family(family).listControl);
    if (!combo) return std::nullopt;
    if (const int index = combo->CurSel(); index >= 0) return index;
    ShowMessage(std::string(kPickProfileFirstText));
    return std::nullopt;
}

int ProfilePages::ActiveIndex(ProfileFamily family) const {
    if (const auto* combo = model_.window.FindCombo(Family(family).listControl); combo && combo->CurSel() >= 0) {
        return combo->CurSel();
    }
    return ReadSelect(family);
}

int ProfilePages::Load(ProfileFamily family, int index) {
    model_.FlushWrites();
    int result = kProfileMissing;
    WithBlocks(Family(family).device, [&](const SettingBlocks& b) { result = LoadProfile(family, index, b); });
    return result;
}

void ProfilePages::LoadSavedDeviceProfile() { Load(ProfileFamily::MsDevice, ReadSelect(ProfileFamily::MsDevice)); }

void ProfilePages::ShowLink(ProfileFamily family, int index) {
    ui::Window& w = model_.window;
    auto* check = w.FindOption(Part(family, "_profile_link_check"));
    auto* edit = w.Find(Part(family, "_profile_link_edit"));
    auto* shown = w.Find(Part(family, "_profile_link_name_hor"));
    if (ReadLinkFlag(family, index)) {
        if (const auto file = ProgramFileName(ReadLinkedProgram(family, index))) {
            if (edit) edit->SetText(*file);
            if (check) check->SetSelected(true, false);
            if (shown) shown->SetVisible(true);
            return;
        }
        // A link without a program path is no link to show; the profile still loads.
    }
    if (check) check->SetSelected(false, true);
    if (edit) edit->SetText("");
    if (shown) shown->SetVisible(false);
}

void ProfilePages::ShowRecorded(ProfileFamily family) {
    auto* combo = model_.window.FindCombo(Family(family).listControl);
    if (!combo || combo->CurSel() >= 0) return;
    const int index = ReadSelect(family);
    if (combo->SelectItem(index, /*notify=*/false)) ShowEntry(family, *combo, index);
}

void ProfilePages::ShowEntry(ProfileFamily family, const ui::ItemList& combo, int index) {
    if (auto* nameEdit = model_.window.Find(Family(family).nameEditControl)) {
        if (auto* item = combo.ItemAt(index)) nameEdit->SetText(item->UserData());
    }
    ShowLink(family, index);
}

void ProfilePages::SelectProfile(ProfileFamily family) {
    auto* combo = model_.window.FindCombo(Family(family).listControl);
    if (!combo) return;
    const int index = combo->CurSel();
    if (index < 0) return;
    if (family == ProfileFamily::KbKey && hooks_.stopKeyCapture) hooks_.stopKeyCapture();
    WriteSelect(family, index);
    ShowEntry(family, *combo, index);
    // A missing or damaged file leaves the blocks as they were; they are sent all the same, and
    // the user is told: the next save replaces the file with what is in effect.
    const int result = Load(family, index);
    if (const auto message = MessageForReadResult(result)) ShowMessage(*message);
    AfterLoad(family, index);
}

void ProfilePages::HideFunctionPanel(DeviceKind kind) {
    if (auto* panel = model_.window.Find(kind == DeviceKind::Keyboard ? "kb_tab_function" : "ms_tab_function")) {
        panel->SetVisible(false);
        panel->SetEnabled(false);
    }
    // No key is captured for a page that is gone.
    if (hooks_.stopKeyCapture) hooks_.stopKeyCapture();
}

void ProfilePages::RefreshMouse() {
    lighting_.Refresh(DeviceKind::Mouse);
    mouse_.Refresh();
}

void ProfilePages::SendKeyBank(DeviceKind kind) {
    const auto bank = model_.State(kind).Read([](const DeviceImages& i) { return i.keyBanks[kBank0]; });
    model_.Queue(kind).Submit("key bank", [bank](device::DeviceLink& link) {
        return link.WriteKeyBank(bank, static_cast<int>(kBank0));
    });
}

void ProfilePages::SelectInList(ProfileFamily family, int index) {
    if (auto* combo = model_.window.FindCombo(Family(family).listControl)) combo->SelectItem(index, true);
}

void ProfilePages::AfterLoad(ProfileFamily family, int index) {
    switch (family) {
        case ProfileFamily::KbDeng:
            RefreshCustomColours();
            lighting_.Refresh(DeviceKind::Keyboard);
            model_.MarkPending(DeviceKind::Keyboard);
            SelectInList(ProfileFamily::KbKey, index);
            break;
        case ProfileFamily::KbKey:
            HideFunctionPanel(DeviceKind::Keyboard);
            if (hooks_.refreshKeyView) hooks_.refreshKeyView(DeviceKind::Keyboard);
            SendKeyBank(DeviceKind::Keyboard);
            SelectInList(ProfileFamily::KbDeng, index);
            break;
        case ProfileFamily::MsDevice: {
            mouse_.ShowPointerValues();
            model_.extras.Update([](ProfileExtras& e) {
                e.pointerSpeed = std::clamp<std::uint8_t>(e.pointerSpeed, lighting::kPointerSpeedMin,
                                                          lighting::kPointerSpeedMax);
            });
            RefreshMouse();
            std::array<std::uint8_t, device::ActiveLightingSize(DeviceKind::Mouse)> record{};
            model_.State(DeviceKind::Mouse).Read([&](const DeviceImages& i) {
                std::copy_n(i.lightingSlots[kSlot0].begin(), record.size(), record.begin());
            });
            model_.Queue(DeviceKind::Mouse).Submit("lighting record", [record](device::DeviceLink& link) {
                return link.WriteParamRecord(record, 0);
            });
            model_.MarkPending(DeviceKind::Mouse);
            if (hooks_.refreshKeyView) hooks_.refreshKeyView(DeviceKind::Mouse);
            SendKeyBank(DeviceKind::Mouse);
            break;
        }
        case ProfileFamily::MsDeng:
            mouse_.ShowPointerValues();
            RefreshMouse();
            model_.MarkPending(DeviceKind::Mouse);
            break;
        case ProfileFamily::MsKey:
            HideFunctionPanel(DeviceKind::Mouse);
            if (hooks_.refreshKeyView) hooks_.refreshKeyView(DeviceKind::Mouse);
            SendKeyBank(DeviceKind::Mouse);
            break;
        case ProfileFamily::MpDeng:
            lighting_.Refresh(DeviceKind::MousePad);
            model_.MarkPending(DeviceKind::MousePad);
            break;
    }
}

void ProfilePages::ResetPointerValues() {
    model_.extras.Update([](ProfileExtras& e) {
        e.pointerSpeed = kResetPointerSpeed;
        e.wheelSpeed = kResetWheelSpeed;
    });
    if (auto* s = model_.window.FindSlider("ms_point_speed_slider")) s->SetValue(kResetPointerSlider);
    if (auto* e = model_.window.FindEdit("ms_gunlun_speed_edit")) e->SetText(std::to_string(kResetWheelSpeed));
}

void ProfilePages::Reset(ProfileFamily family) {
    const FamilyInfo& f = Family(family);
    std::vector<std::uint8_t> payload(ResetReadSize(family), 0);
    model_.FlushWrites();
    const int result = ReadProfileFile(DefaultProfilePath(family), payload);
    if (const auto message = MessageForReadResult(result)) {
        ShowMessage(*message);
        return;
    }
    const std::span<const std::uint8_t> bytes(payload);
    switch (family) {
        case ProfileFamily::KbDeng:
            WithBlocks(DeviceKind::Keyboard, [&](const SettingBlocks& b) { LoadPayload(family, bytes, b); });
            Save(family);
            RefreshCustomColours();
            lighting_.Refresh(DeviceKind::Keyboard);
            model_.MarkPending(DeviceKind::Keyboard);
            break;
        case ProfileFamily::KbKey:
        case ProfileFamily::MsKey: {
            const DeviceKind kind = f.device;
            if (kind == DeviceKind::Keyboard) HideFunctionPanel(kind);
            model_.State(kind).Update([&](DeviceImages& i) {
                std::copy_n(bytes.begin(), i.keyBanks[kBank0].size(), i.keyBanks[kBank0].begin());
            });
            Save(family);
            if (kind == DeviceKind::Mouse) RefreshMouse();
            if (hooks_.refreshKeyView) hooks_.refreshKeyView(kind);
            SendKeyBank(kind);
            break;
        }
        case ProfileFamily::MsDevice:
        case ProfileFamily::MsDeng: {
            const bool device = family == ProfileFamily::MsDevice;
            model_.State(DeviceKind::Mouse).Update([&](DeviceImages& i) {
                auto lightingBytes = bytes;
                if (device) {
                    std::copy_n(bytes.begin(), i.keyBanks[kBank0].size(), i.keyBanks[kBank0].begin());
                    lightingBytes = bytes.subspan(kMsDevicePayloadLightingOffset);
                }
                auto& slot = i.lightingSlots[kSlot0];
                std::copy_n(lightingBytes.begin(), std::min(lightingBytes.size(), slot.size()), slot.begin());
                std::copy_n(slot.begin(), device::ActiveLightingSize(DeviceKind::Mouse), i.activeLighting.begin());
            });
            // Saved before the pointer values are reset: the files keep the values in effect.
            if (!device) Save(ProfileFamily::MsDeng);
            Save(ProfileFamily::MsDevice);
            RefreshMouse();
            model_.MarkPending(DeviceKind::Mouse);
            ResetPointerValues();
            if (device) SendKeyBank(DeviceKind::Mouse);
            break;
        }
        case ProfileFamily::MpDeng:
            model_.State(DeviceKind::MousePad).Update([&](DeviceImages& i) {
                auto& slot = i.lightingSlots[kSlot0];
                std::copy_n(bytes.begin(), std::min(bytes.size(), slot.size()), slot.begin());
                std::copy_n(slot.begin(), device::ActiveLightingSize(DeviceKind::MousePad), i.activeLighting.begin());
            });
            Save(family);
            lighting_.Refresh(DeviceKind::MousePad);
            model_.MarkPending(DeviceKind::MousePad);
            break;
    }
}

void ProfilePages::SaveKeyboardState() {
    // The device's settings win, but the per-key colours live only in the profile: without this
    // they would be written back as whatever memory held (zeros at start-up).
    WithBlocks(DeviceKind::Keyboard, [index = ActiveIndex(ProfileFamily::KbDeng)](const SettingBlocks& b) {
        LoadKeyboardColours(index, b);
    });
    Save(ProfileFamily::KbDeng);
    Save(ProfileFamily::KbKey);
    RefreshCustomColours();
}

void ProfilePages::OverwriteKeyboardProfiles() {
    const FamilyIndex lightingIndex = ReadFamilyIndex(ProfileFamily::KbDeng);
    std::vector<std::uint8_t> payload;
    std::size_t slot = 0;
    WithBlocks(DeviceKind::Keyboard, [&](const SettingBlocks& b) {
        slot = std::min<std::size_t>(b.keyboard->activeLighting[device::kActiveSlotOffset],
                                     device::kLightingSlotCount - 1);
        auto& block = b.keyboard->lightingSlots[slot];
        std::copy_n(b.keyboard->activeLighting.begin(), device::ActiveLightingSize(DeviceKind::Keyboard),
                    block.begin());
        payload.assign(block.begin(), block.end());
        payload.insert(payload.end(), b.customColourState->begin(), b.customColourState->end());
        payload.insert(payload.end(), b.keyColourTable->begin(), b.keyColourTable->end());
    });
    for (const std::string& name : lightingIndex.names) {
        WriteProfileFile(ProfilePath(ProfileFamily::KbDeng, name), payload, DeviceKind::Keyboard, model_.writer);
    }
    // The key profiles are rewritten before the lists are selected, so that selecting entry b
    // sends the restored table rather than the key profile that was there before the restore.
    std::vector<std::uint8_t> keys(kKeyPayloadSize, 0);
    model_.FlushWrites();
    if (ReadProfileFile(DefaultProfilePath(ProfileFamily::KbKey), keys) == kProfileReadOk) {
        for (const std::string& name : ReadFamilyIndex(ProfileFamily::KbKey).names) {
            WriteProfileFile(ProfilePath(ProfileFamily::KbKey, name), keys, DeviceKind::Keyboard, model_.writer);
        }
    }
    SelectInList(ProfileFamily::KbDeng, static_cast<int>(slot));
    SelectInList(ProfileFamily::KbKey, static_cast<int>(slot));
    HideFunctionPanel(DeviceKind::Keyboard);
    RefreshCustomColours();
}

void ProfilePages::SelectSaved(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard:
            // The keyboard's state was saved into the profiles in effect by its read-back.
            SelectInList(ProfileFamily::KbDeng, ActiveIndex(ProfileFamily::KbDeng));
            SelectInList(ProfileFamily::KbKey, ActiveIndex(ProfileFamily::KbKey));
            break;
        case DeviceKind::Mouse:
            Save(ProfileFamily::MsDevice);
            SelectInList(ProfileFamily::MsDevice, ActiveIndex(ProfileFamily::MsDevice));
            // Nothing else selects the lighting list; its recorded entry is shown, not applied
            // over the device's lighting, which the device profile has just taken in.
            ShowRecorded(ProfileFamily::MsDeng);
            break;
        case DeviceKind::MousePad:
            Save(ProfileFamily::MpDeng);
            SelectInList(ProfileFamily::MpDeng, ActiveIndex(ProfileFamily::MpDeng));
            break;
    }
}

bool ProfilePages::StoreKeyboardDefaultTable(const device::KeyTableImage& table) {
    model_.State(DeviceKind::Keyboard).Update([&](DeviceImages& i) { i.defaultKeyTable = table; });
    return WriteProfileFile(RefreshedDefaultProfilePath(ProfileFamily::KbKey), table, DeviceKind::Keyboard,
                            model_.writer);
}

}  // namespace corvane::profiles::pages
