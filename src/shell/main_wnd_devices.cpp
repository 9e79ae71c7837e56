// What the main window does for the devices: the steps of an arrival and a removal that the
// presence watchers hand to it, and what the script channel reads of the devices and the I/O.

#include "shell/main_wnd.h"

#include <string>

#include "platform/debug_out.h"
#include "shell/window_controls.h"

namespace corvane::shell {

using device::DeviceKind;

bool CMainWnd::AnyConnected() const {
    for (const auto& link : links_) {
        if (link->IsConnected()) return true;
    }
    return false;
}

bool CMainWnd::IoIdle() const {
    for (std::size_t i = 0; i < queues_.size(); ++i) {
        if (lightingPending_[i].load() || !queues_[i]->Idle()) return false;
    }
    return writer_.Idle();
}

int CMainWnd::ActiveSlot(DeviceKind kind) const {
    return states_[device::KindIndex(kind)].Read(
        [](const device::DeviceImages& images) { return int{images.activeLighting[device::kActiveSlotOffset]}; });
}

scripting::ScriptHost::UiStalls CMainWnd::Stalls() const {
    return {stalls_.MaxStallMs(), stalls_.StallsOverThreshold()};
}

device::LinkQueue::Stats CMainWnd::QueueStats(DeviceKind kind) const {
    return queues_[device::KindIndex(kind)]->GetStats();
}

platform::SettingsWriter::Stats CMainWnd::WriterStats() const { return writer_.GetStats(); }

void CMainWnd::ResetStats() {
    stalls_.Reset();
    for (DeviceKind kind : device::kAllDeviceKinds) Queue(kind).ResetStats();
    writer_.ResetStats();
}

// --- what the presence watchers ask for, queued to the UI thread in their order ---

void CMainWnd::ShowTab(DeviceKind kind, bool visible) {
    if (!visible) {
        // A removed device's saves still in the writer reach the disk before it is shown as gone.
        writer_.Flush();
        ++arrivalGeneration_[device::KindIndex(kind)];
        arrived_[device::KindIndex(kind)] = false;
    }
    window_.Post([this, kind, visible] {
        if (auto* tab = window_.Find(ControlNames(kind).tab)) {
            tab->SetVisible(visible);
            if (visible && kind == DeviceKind::MousePad) tab->NeedUpdate();
        }
    });
}

void CMainWnd::SelectTab(DeviceKind kind, bool focus) {
    window_.Post([this, kind, focus] {
        if (auto* tab = window_.FindOption(ControlNames(kind).tab)) {
            tab->SetSelected(true, /*notify=*/true);
            if (focus) tab->SetFocus();
        }
    });
}

void CMainWnd::ShowSameMode(DeviceKind kind, bool visible) {
    // Asked on every presence pass; only a change is worth waking the UI thread for.
    if (sameModeShown_[device::KindIndex(kind)].exchange(visible ? 1 : 0) == (visible ? 1 : 0)) return;
    window_.Post([this, kind, visible] {
        if (auto* control = window_.Find(ControlNames(kind).sameMode)) {
            if (control->IsVisible() != visible) control->SetVisible(visible);
        }
    });
}

void CMainWnd::DeviceNotAnswering(DeviceKind kind) {
    platform::debugOut(std::string("presence: ") + std::string(device::DevicePrefix(kind)) +
                       " found but its arrival read was not answered; retrying");
    // Once per device and run: the watcher retries every pass.
    window_.Post([this, kind] {
        bool& told = toldNotAnswering_[device::KindIndex(kind)];
        if (told) return;
        told = true;
        window_.ShowMessageBox(ConfirmBox("message_device_no_answer"));
    });
}

device::StateTransferHooks CMainWnd::ReadHooks(DeviceKind kind) {
    auto post = [this](std::function<void()> step) {
        return [this, step = std::move(step)] { window_.Post(step); };
    };
    device::StateTransferHooks transferHooks;
    transferHooks.showBankSizeRefused = post([this] { window_.ShowMessageBox(ConfirmBox("message_text_11")); });
    transferHooks.refreshPages = post([this, kind] {
        if (hooks_.refreshPages) hooks_.refreshPages(kind);
    });
    transferHooks.takeRestoreFlag = [this] { return keyboardRestore_.exchange(false); };
    transferHooks.overwriteKeyboardProfiles = post([this] {
        if (hooks_.overwriteKeyboardProfiles) hooks_.overwriteKeyboardProfiles();
    });
    transferHooks.saveKeyboardState = post([this] {
        if (hooks_.saveKeyboardState) hooks_.saveKeyboardState();
    });
    transferHooks.refreshCustomColours = post([this] {
        if (hooks_.refreshCustomColours) hooks_.refreshCustomColours();
    });
    return transferHooks;
}

bool CMainWnd::ReadDeviceState(DeviceKind kind) {
    // A keyboard with too many keys has been told so by its hook and stays connected.
    return device::ReadDeviceState(kind, Link(kind), State(kind), ReadHooks(kind)) !=
           device::ReadStateResult::Incomplete;
}

void CMainWnd::LoadSavedDeviceProfile() {
    if (hooks_.loadSavedDeviceProfile) hooks_.loadSavedDeviceProfile();
}

void CMainWnd::ReadCursorScripts() {
    if (!hooks_.readCursorScripts) return;
    // The script files belong to the UI thread, where the page edits them: the rewrite from
    // what the mouse holds is done there, in order with the arrival's other UI steps.
    window_.Post([this, image = hooks_.readCursorScripts()] {
        if (hooks_.showCursorScripts) hooks_.showCursorScripts(image);
    });
}

void CMainWnd::SelectSavedProfiles(DeviceKind kind) {
    window_.Post([this, kind] {
        if (hooks_.selectSavedProfiles) hooks_.selectSavedProfiles(kind);
    });
}

void CMainWnd::RefreshPages(DeviceKind kind) {
    const unsigned generation = arrivalGeneration_[device::KindIndex(kind)];
    window_.Post([this, kind, generation] {
        if (hooks_.refreshPages) hooks_.refreshPages(kind);
        if (arrivalGeneration_[device::KindIndex(kind)] == generation) arrived_[device::KindIndex(kind)] = true;
    });
}

void CMainWnd::StartRepaintTimer(int ms) {
    window_.Post([this, ms] { repaintTimer_.start(ms); });
}

void CMainWnd::Announce() { PostMessage(WindowMessage::Announce); }

void CMainWnd::LastDeviceRemoved() { PostMessage(WindowMessage::LastDeviceRemoved); }

void CMainWnd::HideWindow() {
    window_.Post([this] { HideToTray(); });
}

// Once per run: the message names the udev rule; which node and why is in the log.
void CMainWnd::DeviceAccessDenied(DeviceKind) {
    window_.Post([this] {
        if (accessMessageShown_ || destroyed_) return;
        accessMessageShown_ = true;
        window_.ShowMessageBox(ConfirmBox("message_text_device_access"));
    });
}

}  // namespace corvane::shell
