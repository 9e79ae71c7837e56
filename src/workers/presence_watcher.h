#pragma once

#include <array>

#include "device/device_kind.h"
#include "device/device_link.h"
#include "workers/worker_set.h"

namespace corvane::workers {

// What a presence watcher asks of the window and the profile layer. Calls come from the watcher's
// thread, in the order of its arrival and removal steps, some while it holds its device's lock:
// an implementation queues UI work to the UI thread and never waits there for it, since a UI
// handler may itself be waiting for that lock.
class PresenceHost {
public:
    virtual ~PresenceHost() = default;

    virtual void ShowTab(device::DeviceKind kind, bool visible) = 0;
    // Selects the device's tab as if the user clicked it; with focus it also takes the focus.
    virtual void SelectTab(device::DeviceKind kind, bool focus) = 0;
    virtual void ShowSameMode(device::DeviceKind kind, bool visible) = 0;
    // Reads the device's complete state into the images (runs on the calling thread). False when
    // the device did not answer every request: nothing was taken from it. A keyboard refused for
    // its key count counts as answered and stays connected.
    virtual bool ReadDeviceState(device::DeviceKind kind) = 0;
    // The device was found but its arrival read failed; it is tried again at the next pass.
    virtual void DeviceNotAnswering(device::DeviceKind kind) = 0;
    // Mouse only, before its state is read: load the saved mouse device profile.
    virtual void LoadSavedDeviceProfile() = 0;
    // Mouse only, after its state is read: read the cursor scripts from the device.
    virtual void ReadCursorScripts() = 0;
    // Selects the saved profiles of the kind's families in their lists.
    virtual void SelectSavedProfiles(device::DeviceKind kind) = 0;
    virtual void RefreshPages(device::DeviceKind kind) = 0;
    virtual void StartRepaintTimer(int ms) = 0;
    // Posts the announcement that brings the window forward.
    virtual void Announce() = 0;
    // Posts "the last keyboard or mouse went away" (message box, then the window hides).
    virtual void LastDeviceRemoved() = 0;
    virtual void HideWindow() = 0;
    // The device is plugged in but this user may not open it; called again only when another
    // node is refused. The watcher has logged the node and the reason, and keeps polling.
    virtual void DeviceAccessDenied(device::DeviceKind /*kind*/) {}
};

struct PresenceTiming {
    // The look at the stop event that opens every pass. A look, not a sleep: the pause between
    // passes waits on the same event, and a 1 ms wait before it is one more wake-up per pass.
    int stopPollMs = 0;
    int presentPollMs = 100;
    int absentPollMs = 1000;
    int keyboardTabPauseMs = 100;
    int repaintDelayMs = 100;
};

// The three links by kind index (keyboard, mouse, mouse pad).
using DeviceLinks = std::array<device::DeviceLink*, 3>;

// Watches one device kind until its stop event is signalled or enumeration fails.
// backend is the one the links were built on (it answers the presence probe).
void RunPresenceWatcher(device::DeviceKind kind, const DeviceLinks& links, device::HidBackend& backend,
                        PresenceHost& host, WorkerContext& context,
                        const PresenceTiming& timing = {});

// Exit texts of the three watchers.
const char* PresenceExitText(device::DeviceKind kind);

}  // namespace corvane::workers
