#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "device/device_link.h"
#include "device/link_queue.h"
#include "lighting/effect_frames.h"
#include "lighting/lighting_records.h"
#include "lighting/shared_lighting_cell.h"
#include "lighting/mouse_settings.h"
#include "platform/settings_writer.h"
#include "profiles/profile_family.h"
#include "ui/window.h"

namespace corvane::lighting::pages {

// Blocks that profiles carry beside the device images: the keyboard's custom colour state and
// per-key colour sets, and the mouse's pointer values. The mouse's presence watcher loads a device
// profile on its own thread, so every access goes through the guard.
struct ProfileExtras {
    device::CustomColourStateImage customColourState{};
    device::KeyColourTableImage keyColourTable{};
    std::uint8_t pointerSpeed = kDefaultWindowsPointerSpeed;
    std::uint8_t wheelSpeed = kWheelSpeedMin;
};

class GuardedExtras {
public:
    template <class F>
    auto Update(F&& f) {
        std::lock_guard guard(mutex_);
        return std::forward<F>(f)(extras_);
    }
    ProfileExtras Snapshot() const {
        std::lock_guard guard(mutex_);
        return extras_;
    }

private:
    mutable std::mutex mutex_;
    ProfileExtras extras_;
};

// What the pages work on. The main window owns the links, images, flags, the synchronised record
// and the effect signals the lighting threads read; the pages own the palette and the extras.
struct PageModel {
    PageModel(ui::Window& w, std::array<device::DeviceLink*, 3> l, std::array<device::DeviceState*, 3> s,
              std::array<std::atomic<bool>*, 3> p, SharedLightingCell& shared, EffectSignals& signals,
              std::array<device::LinkQueue*, 3> q)
        : window(w), links(l), states(s), pending(p), queues(q), shared(shared), signals(signals) {}
    PageModel(const PageModel&) = delete;
    PageModel& operator=(const PageModel&) = delete;

    ui::Window& window;
    std::array<device::DeviceLink*, 3> links{};
    std::array<device::DeviceState*, 3> states{};
    std::array<std::atomic<bool>*, 3> pending{};
    // Device transfers started by the pages go through these, never from the UI thread itself.
    std::array<device::LinkQueue*, 3> queues{};
    // Settings files are saved through it, never on the UI thread itself. Null: written at once.
    platform::SettingsWriter* writer = nullptr;
    // UI thread only.
    ColourPalette palette;
    GuardedExtras extras;
    // Written by same-mode on the UI thread; the synchronised effect reads a copy.
    SharedLightingCell& shared;
    // Ripple restarts asked for by the pages.
    EffectSignals& signals;
    // Saves the profile of a family in effect (UI thread).
    std::function<void(profiles::ProfileFamily)> save;
    // The entry of a family whose settings are in effect (UI thread).
    std::function<int(profiles::ProfileFamily)> activeProfile;
    // Told when a device's lighting record waits to be sent (UI thread).
    std::function<void()> lightingPending;

    device::DeviceLink& Link(device::DeviceKind kind) { return *links[device::KindIndex(kind)]; }
    device::DeviceState& State(device::DeviceKind kind) { return *states[device::KindIndex(kind)]; }
    device::LinkQueue& Queue(device::DeviceKind kind) { return *queues[device::KindIndex(kind)]; }
    void MarkPending(device::DeviceKind kind) {
        *pending[device::KindIndex(kind)] = true;
        if (lightingPending) lightingPending();
    }
    ActiveLightingImage Record(device::DeviceKind kind) const {
        return states[device::KindIndex(kind)]->Read(
            [](const device::DeviceImages& images) { return images.activeLighting; });
    }
    template <class F>
    void UpdateRecord(device::DeviceKind kind, F&& f) {
        State(kind).Update([&](device::DeviceImages& images) { f(images.activeLighting); });
    }
    void Save(profiles::ProfileFamily family) {
        if (save) save(family);
    }
    // Before a settings file is read back: everything handed to the writer is on disk.
    void FlushWrites() {
        if (writer) writer->Flush();
    }
};

// The lighting profiles a change of the device's lighting record is saved into: the keyboard's
// and the pad's lighting profile, the mouse's lighting and device profiles.
void SaveLighting(PageModel& model, device::DeviceKind kind);

// Control name helpers: the device's prefix followed by the rest.
std::string Named(device::DeviceKind kind, std::string_view rest);

}  // namespace corvane::lighting::pages
