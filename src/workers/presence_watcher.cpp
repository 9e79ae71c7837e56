#include "workers/presence_watcher.h"

#include <mutex>
#include <string>
#include <system_error>

#include "platform/debug_out.h"

namespace corvane::workers {
namespace {

using device::DeviceKind;

device::DeviceLink& LinkOf(const DeviceLinks& links, DeviceKind kind) {
    return *links[device::KindIndex(kind)];
}

// The other two kinds, in the order a watcher falls back to them when its device goes away.
std::array<DeviceKind, 2> FallbackOrder(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return {DeviceKind::Mouse, DeviceKind::MousePad};
        case DeviceKind::Mouse: return {DeviceKind::Keyboard, DeviceKind::MousePad};
        case DeviceKind::MousePad: return {DeviceKind::Keyboard, DeviceKind::Mouse};
    }
    return {DeviceKind::Keyboard, DeviceKind::Mouse};
}

void HandleRemoval(DeviceKind kind, const DeviceLinks& links, PresenceHost& host) {
    device::DeviceLink& link = LinkOf(links, kind);
    link.connected = false;
    link.syncLighting = false;
    host.ShowTab(kind, false);
    for (DeviceKind other : FallbackOrder(kind)) {
        if (LinkOf(links, other).IsConnected()) {
            host.SelectTab(other, kind == DeviceKind::Mouse);
            return;
        }
    }
    if (kind == DeviceKind::MousePad) {
        host.HideWindow();
    } else {
        host.LastDeviceRemoved();
    }
}

void UpdateSameMode(DeviceKind kind, const DeviceLinks& links, PresenceHost& host) {
    bool anotherConnected = false;
    for (DeviceKind other : FallbackOrder(kind)) {
        anotherConnected = anotherConnected || LinkOf(links, other).IsConnected();
    }
    host.ShowSameMode(kind, anotherConnected);
}

enum class Arrival { Ready, NotAnswering, Stopped };

// A device whose arrival read failed is neither shown as ready nor saved into the profiles; it
// counts as absent, so the next pass opens it and reads it again.
Arrival NotAnswering(DeviceKind kind, device::DeviceLink& link, PresenceHost& host, bool tabShown) {
    link.connected = false;
    if (tabShown) host.ShowTab(kind, false);
    host.DeviceNotAnswering(kind);
    return Arrival::NotAnswering;
}

Arrival Arrive(DeviceKind kind, device::DeviceLink& link, PresenceHost& host, WorkerContext& context,
               const PresenceTiming& timing) {
    switch (kind) {
        case DeviceKind::Keyboard:
            host.ShowTab(kind, true);
            host.SelectTab(kind, false);
            if (context.StopRequested(timing.keyboardTabPauseMs)) return Arrival::Stopped;
            link.connected = true;
            if (!host.ReadDeviceState(kind)) return NotAnswering(kind, link, host, true);
            host.SelectSavedProfiles(kind);
            host.RefreshPages(kind);
            break;
        case DeviceKind::Mouse:
            link.connected = true;
            host.LoadSavedDeviceProfile();
            if (!host.ReadDeviceState(kind)) return NotAnswering(kind, link, host, false);
            host.ReadCursorScripts();
            host.SelectSavedProfiles(kind);
            host.RefreshPages(kind);
            host.ShowTab(kind, true);
            host.SelectTab(kind, false);
            break;
        case DeviceKind::MousePad:
            link.connected = true;
            host.ShowTab(kind, true);
            host.SelectTab(kind, false);
            if (!host.ReadDeviceState(kind)) return NotAnswering(kind, link, host, true);
            host.SelectSavedProfiles(kind);
            host.RefreshPages(kind);
            break;
    }
    host.StartRepaintTimer(timing.repaintDelayMs);
    return Arrival::Ready;
}

// Logs a refused node once (until another one is refused or the device opens), and tells the host.
void ReportDenied(DeviceKind kind, const device::DeniedInterface& denied, std::string& lastDenied,
                  PresenceHost& host) {
    if (denied.path == lastDenied) return;
    lastDenied = denied.path;
    const std::string reason = std::error_code(denied.systemError, std::generic_category()).message();
    platform::debugOut(std::string(device::DevicePrefix(kind).substr(0, 2)) + " presence: " + denied.path +
                       " cannot be opened: " + reason +
                       "; the udev rule 70-corvane.rules gives the user at the seat access to it");
    host.DeviceAccessDenied(kind);
}

}  // namespace

const char* PresenceExitText(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return "键盘设备侦测线程设定退出";
        case DeviceKind::Mouse: return "鼠标设备侦测线程设定退出";
        case DeviceKind::MousePad: return "鼠标垫设备侦测线程设定退出";
    }
    return "";
}

void RunPresenceWatcher(DeviceKind kind, const DeviceLinks& links, device::HidBackend& backend,
                        PresenceHost& host, WorkerContext& context, const PresenceTiming& timing) {
    device::DeviceLink& link = LinkOf(links, kind);
    device::HidChannel& channel = link.Channel();
    bool firstPass = true;
    std::string lastDenied;

    // The stop event is manual-reset and owned by this worker; a stop that came before the first
    // pass still counts (the caller resets it when starting the worker).
    while (!context.StopRequested(timing.stopPollMs)) {
        bool stopped = false;
        {
            std::lock_guard lock(link.Lock());
            if (link.IsConnected()) {
                if (!device::DeviceStillPresent(backend, channel.DevicePath())) {
                    HandleRemoval(kind, links, host);
                } else {
                    UpdateSameMode(kind, links, host);
                }
            }
            if (!link.IsConnected()) {
                device::DeniedInterface denied;
                const auto result = device::OpenMatchingDevice(link, &denied);
                if (result == device::OpenMatchResult::EnumerationFailed) return;
                if (result == device::OpenMatchResult::AccessDenied) {
                    ReportDenied(kind, denied, lastDenied, host);
                } else {
                    lastDenied.clear();
                }
                if (result == device::OpenMatchResult::Opened) {
                    stopped = Arrive(kind, link, host, context, timing) == Arrival::Stopped;
                }
                if (firstPass && link.IsConnected()) host.Announce();
                firstPass = false;
            }
        }
        if (stopped) break;
        // Pauses between passes wait on the stop event, so a shutdown is seen at once.
        if (context.StopRequested(link.IsConnected() ? timing.presentPollMs : timing.absentPollMs)) {
            break;
        }
    }
    platform::debugOut(PresenceExitText(kind));
}

}  // namespace corvane::workers
