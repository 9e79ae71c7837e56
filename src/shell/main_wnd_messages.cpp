// The main window's messages from workers, hooks and the tray, its lighting flush and its timers.

#include "shell/main_wnd.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "platform/debug_out.h"
#include "shell/capture_feeder.h"
#include "shell/window_controls.h"

namespace corvane::shell {
namespace {

using device::DeviceKind;

constexpr const char* kRepaintDebugText = "1234567890";
// The name of the flush request: at most one of it waits per link.
constexpr const char* kFlushRequest = "lighting flush";

}  // namespace

bool CMainWnd::SetHookMode(platform::HookMode mode, bool on, bool wantKeyboard, bool wantMouse) {
    if (!on) {
        hook_.RemoveHooks();
        return true;
    }
    return hook_.InstallHooks(mode, this, wantKeyboard, wantMouse);
}

void CMainWnd::SendHookMessage(platform::HookMessage message, const platform::KeyHookEvent& event) {
    if (!destroyed_) hookMessages_.Handle(message, event);
}

void CMainWnd::PostHookMessage(platform::HookMessage message, const platform::MouseHookEvent& event) {
    window_.Post([this, message, event] {
        if (!destroyed_) hookMessages_.Handle(message, event);
    });
}

void CMainWnd::PostMessage(WindowMessage message, std::uint64_t wParam, std::int64_t lParam) {
    window_.Post([this, message, wParam, lParam] { HandleMessage(message, wParam, lParam); });
}

bool CMainWnd::SendMessage(WindowMessage message, std::uint64_t wParam, std::int64_t lParam) {
    return window_.Send([this, message, wParam, lParam] { HandleMessage(message, wParam, lParam); });
}

void CMainWnd::HandleMessage(WindowMessage message, std::uint64_t wParam, std::int64_t lParam) {
    if (destroyed_) return;
    switch (message) {
        case WindowMessage::Announce: {
            char text[96];
            std::snprintf(text, sizeof text, "软件标示 %u，%" PRIx64 "d%" PRIx64 "d",
                          static_cast<unsigned>(message), wParam, static_cast<std::uint64_t>(lParam));
            platform::debugOut(text);
            BringForward();
            break;
        }
        case WindowMessage::LastDeviceRemoved:
            if (auto* tab = window_.Find("ms_deng_Op_tab")) tab->SetFocus();
            window_.ShowMessageBox(ConfirmBox("message_text_20", /*timed=*/true));
            HideToTray();
            break;
        case WindowMessage::MouseDataChanged:
            RereadAndNotify(DeviceKind::Mouse, message);
            break;
        case WindowMessage::MousePadRead:
            RereadAndNotify(DeviceKind::MousePad, message);
            break;
        case WindowMessage::MouseSlotSwitched:
        case WindowMessage::MousePadSlotSwitched:
        case WindowMessage::KeyboardSlotSwitched: {
            const DeviceKind kind = message == WindowMessage::MouseSlotSwitched     ? DeviceKind::Mouse
                                    : message == WindowMessage::MousePadSlotSwitched ? DeviceKind::MousePad
                                                                                      : DeviceKind::Keyboard;
            Queue(kind).Submit(
                "slot re-read",
                [this, kind](device::DeviceLink& link) {
                    device::RereadActiveSlot(kind, link, State(kind));
                    return device::kSuccess;
                },
                [this, message](int) { PageMessage(message); });
            break;
        }
        case WindowMessage::KeyboardRestored:
            // The read consumes the flag and overwrites the keyboard profiles.
            keyboardRestore_ = true;
            RereadAndNotify(DeviceKind::Keyboard, message);
            break;
        case WindowMessage::KeyboardFactoryTable:
            PageMessage(message);
            break;
        case WindowMessage::ZoneOverlayColour:
            live_->SetZoneOverlayColour(wParam, static_cast<std::uint32_t>(lParam));
            break;
        case WindowMessage::ZoneOverlayAlpha:
            live_->SetZoneOverlayAlpha(wParam, static_cast<std::uint8_t>(lParam));
            break;
        case WindowMessage::ShowProgress:
            if (auto* progress = window_.Find("setting_progress")) progress->SetVisible(true);
            break;
        case WindowMessage::StartProgressTimer:
            progressTimer_.start(kProgressHideMs);
            break;
        default:
            // The device-event, hook and overlay messages arrive with their workers.
            break;
    }
}

void CMainWnd::PageMessage(WindowMessage message) {
    if (hooks_.deviceMessage) hooks_.deviceMessage(message);
}

void CMainWnd::RereadAndNotify(DeviceKind kind, WindowMessage message) {
    // The read's own steps (page refresh, keyboard saves) are posted from the I/O thread before
    // its result, so they reach the UI thread ahead of the message's page part.
    Queue(kind).Submit(
        "state read",
        [this, kind](device::DeviceLink& link) {
            switch (device::ReadDeviceState(kind, link, State(kind), ReadHooks(kind))) {
                case device::ReadStateResult::Complete: return device::kSuccess;
                case device::ReadStateResult::TooManyKeys: return device::kBadLength;
                case device::ReadStateResult::Incomplete: break;
            }
            return device::kNoAnswer;
        },
        [this, kind, message](int result) {
            // Nothing was taken from a device that did not answer: nothing to show or save. The
            // keyboard's restore read has no page part of its own.
            if (result == device::kSuccess && kind != DeviceKind::Keyboard) PageMessage(message);
        });
}

void CMainWnd::ScheduleLightingFlush() {
    if (destroyed_ || !workersStarted_ || flushTimer_.isActive()) return;
    const bool anyPending = std::any_of(lightingPending_.begin(), lightingPending_.end(),
                                        [](const std::atomic<bool>& pending) { return pending.load(); });
    if (anyPending) flushTimer_.start(kFlushPeriodMs);
}

void CMainWnd::FlushLightingRecords() {
    bool anyPending = false;
    for (DeviceKind kind : device::kAllDeviceKinds) {
        // The flag is taken on the I/O thread, just before the record is copied: changes made
        // while a flush waits or runs are never lost, and one waiting flush carries them all.
        if (!LightingPending(kind).load()) continue;
        anyPending = true;
        if (Queue(kind).Waiting(kFlushRequest)) continue;
        Queue(kind).Submit(kFlushRequest, [this, kind](device::DeviceLink& link) {
            return device::FlushLighting(kind, link, State(kind), LightingPending(kind));
        });
    }
    // The timer runs only while records wait: a quiet program has no 10 ms wake-ups. A record
    // taken by a flush that is still on its way was cleared by that flush's I/O thread.
    if (!anyPending) flushTimer_.stop();
}

void CMainWnd::OnTimer(TimerId id) {
    switch (id) {
        case TimerId::Progress:
            progressTimer_.stop();
            if (auto* progress = window_.Find("setting_progress")) progress->SetVisible(false);
            break;
        case TimerId::Flush:
            FlushLightingRecords();
            break;
        case TimerId::Repaint:
            window_.NeedUpdate();
            repaintTimer_.stop();
            platform::debugOut(kRepaintDebugText);
            break;
    }
}

}  // namespace corvane::shell
