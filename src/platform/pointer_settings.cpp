#include "platform/pointer_settings.h"

#include <gio/gio.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/debug_out.h"
#include "platform/ini_file.h"

namespace corvane::platform {
namespace {

constexpr int kMinSpeed = 1;
constexpr int kMaxSpeed = 20;
constexpr int kDefaultSpeed = 10;
// The X server's default acceleration is 2/1 above a threshold of 4 pixels.
constexpr int kXDefaultNumerator = 2;
constexpr int kXThreshold = 4;

constexpr const char* kGnomeMouseSchema = "org.gnome.desktop.peripherals.mouse";
constexpr const char* kGnomeSpeedKey = "speed";

constexpr const char* kKdeInputFile = "kcminputrc";
constexpr const char* kKdeGlobalsFile = "kdeglobals";
constexpr const char* kKdeMouseGroup = "Mouse";
constexpr const char* kKdeAccelerationKey = "XLbInptPointerAcceleration";
constexpr const char* kKdeGeneralGroup = "KDE";
constexpr const char* kKdeWheelKey = "WheelScrollLines";
// KGlobalSettings' change notification: "settings changed", category "mouse".
constexpr gint32 kKdeSettingsChanged = 3;
constexpr gint32 kKdeMouseSettings = 0;
constexpr const char* kKWinService = "org.kde.KWin";
constexpr const char* kKWinDevicesPath = "/org/kde/KWin/InputDevice";
constexpr const char* kKWinManagerInterface = "org.kde.KWin.InputDeviceManager";
constexpr const char* kKWinDeviceInterface = "org.kde.KWin.InputDevice";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr int kDbusTimeoutMs = 1000;

bool Contains(std::string_view list, std::string_view word) {
    // XDG_CURRENT_DESKTOP is a colon-separated list, compared without regard to case.
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        const std::string_view item = list.substr(start, end - start);
        if (item.size() == word.size() &&
            std::equal(item.begin(), item.end(), word.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string ConfigFolder() {
    std::string folder = Env("XDG_CONFIG_HOME");
    if (folder.empty()) folder = Env("HOME") + "/.config";
    return folder;
}

class NoPointerSettings final : public PointerSettings {
public:
    bool SetPointerSpeed(int speed) override {
        debugOut("pointer speed " + std::to_string(speed) + " (not applied on this desktop)");
        return false;
    }
    bool SetWheelLines(int lines) override {
        debugOut("wheel lines " + std::to_string(lines) + " (not applied on this desktop)");
        return false;
    }
    void AnnounceChange() override {}
    bool CanSetPointerSpeed() const override { return false; }
    bool CanSetWheelLines() const override { return false; }
    std::string_view Name() const override { return "none"; }
};

// GNOME keeps the speed in its settings database; running programs follow it by themselves.
// It has no setting for wheel lines.
class GnomePointerSettings final : public PointerSettings {
public:
    static std::unique_ptr<PointerSettings> Make() {
        GSettingsSchemaSource* source = g_settings_schema_source_get_default();
        if (source == nullptr) return nullptr;
        GSettingsSchema* schema = g_settings_schema_source_lookup(source, kGnomeMouseSchema, TRUE);
        if (schema == nullptr) return nullptr;
        const bool hasSpeed = g_settings_schema_has_key(schema, kGnomeSpeedKey);
        GSettings* settings = hasSpeed ? g_settings_new_full(schema, nullptr, nullptr) : nullptr;
        g_settings_schema_unref(schema);
        if (settings == nullptr) return nullptr;
        return std::unique_ptr<PointerSettings>(new GnomePointerSettings(settings));
    }
    ~GnomePointerSettings() override { g_object_unref(settings_); }

    bool SetPointerSpeed(int speed) override {
        if (!g_settings_set_double(settings_, kGnomeSpeedKey, SpeedToAcceleration(speed))) {
            debugOut("pointer speed: GNOME refused the value");
            return false;
        }
        g_settings_sync();
        return true;
    }
    bool SetWheelLines(int lines) override {
        debugOut("wheel lines " + std::to_string(lines) + " (GNOME has no such setting)");
        return false;
    }
    void AnnounceChange() override {}
    bool CanSetPointerSpeed() const override { return true; }
    bool CanSetWheelLines() const override { return false; }
    std::string_view Name() const override { return "gnome"; }

private:
    explicit GnomePointerSettings(GSettings* settings) : settings_(settings) {}
    GSettings* settings_;
};

// KDE Plasma: the input settings file and the global wheel setting, then the change
// notification that running programs listen for; on Wayland KWin also takes the speed of each
// pointer device over D-Bus, as its own settings page does.
class KdePointerSettings final : public PointerSettings {
public:
    explicit KdePointerSettings(std::string folder) : folder_(std::move(folder)) {}

    bool SetPointerSpeed(int speed) override {
        const double acceleration = SpeedToAcceleration(speed);
        const bool stored = IniFile(folder_ + "/" + kKdeInputFile).Update([&](IniDocument& doc) {
            doc.Set(kKdeMouseGroup, kKdeAccelerationKey, FormatAcceleration(acceleration));
        });
        if (!stored) debugOut("pointer speed: " + folder_ + "/" + kKdeInputFile + " not written");
        SetKWinAcceleration(acceleration);
        return stored;
    }
    bool SetWheelLines(int lines) override {
        const bool stored = IniFile(folder_ + "/" + kKdeGlobalsFile).Update([&](IniDocument& doc) {
            doc.Set(kKdeGeneralGroup, kKdeWheelKey, std::to_string(lines));
        });
        if (!stored) debugOut("wheel lines: " + folder_ + "/" + kKdeGlobalsFile + " not written");
        return stored;
    }
    void AnnounceChange() override {
        GDBusConnection* bus = SessionBus();
        if (bus == nullptr) return;
        GError* error = nullptr;
        if (!g_dbus_connection_emit_signal(bus, nullptr, "/KGlobalSettings", "org.kde.KGlobalSettings",
                                           "notifyChange", g_variant_new("(ii)", kKdeSettingsChanged, kKdeMouseSettings),
                                           &error)) {
            debugOut(std::string("pointer settings: change not announced: ") + (error ? error->message : "?"));
            g_clear_error(&error);
        }
        g_dbus_connection_flush_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
    }
    bool CanSetPointerSpeed() const override { return true; }
    bool CanSetWheelLines() const override { return true; }
    std::string_view Name() const override { return "kde"; }

private:
    static std::string FormatAcceleration(double value) {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", value);
        return text;
    }

    static GDBusConnection* SessionBus() {
        if (Env("DBUS_SESSION_BUS_ADDRESS").empty() && Env("XDG_RUNTIME_DIR").empty()) return nullptr;
        GError* error = nullptr;
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
        if (bus == nullptr) {
            debugOut(std::string("pointer settings: no session bus: ") + (error ? error->message : "?"));
            g_clear_error(&error);
        }
        return bus;
    }

    static GVariant* GetProperty(GDBusConnection* bus, const std::string& path, const char* interface,
                                 const char* name) {
        GVariant* reply = g_dbus_connection_call_sync(bus, kKWinService, path.c_str(), kPropertiesInterface, "Get",
                                                      g_variant_new("(ss)", interface, name), G_VARIANT_TYPE("(v)"),
                                                      G_DBUS_CALL_FLAGS_NONE, kDbusTimeoutMs, nullptr, nullptr);
        if (reply == nullptr) return nullptr;
        GVariant* value = nullptr;
        g_variant_get(reply, "(v)", &value);
        g_variant_unref(reply);
        return value;
    }

    // Only where KWin runs the input devices (Wayland); elsewhere the calls find no service.
    static void SetKWinAcceleration(double acceleration) {
        if (Env("XDG_SESSION_TYPE") != "wayland") return;
        GDBusConnection* bus = SessionBus();
        if (bus == nullptr) return;
        std::vector<std::string> devices;
        if (GVariant* names = GetProperty(bus, kKWinDevicesPath, kKWinManagerInterface, "devicesSysNames")) {
            if (g_variant_is_of_type(names, G_VARIANT_TYPE("as"))) {
                gsize count = 0;
                const gchar** list = g_variant_get_strv(names, &count);
                for (gsize i = 0; i < count; ++i) devices.emplace_back(list[i]);
                g_free(list);
            }
            g_variant_unref(names);
        }
        for (const std::string& device : devices) {
            const std::string path = std::string(kKWinDevicesPath) + "/" + device;
            GVariant* pointer = GetProperty(bus, path, kKWinDeviceInterface, "pointer");
            GVariant* touchpad = GetProperty(bus, path, kKWinDeviceInterface, "touchpad");
            const bool mouse = pointer != nullptr && g_variant_is_of_type(pointer, G_VARIANT_TYPE_BOOLEAN) &&
                               g_variant_get_boolean(pointer) &&
                               !(touchpad != nullptr && g_variant_is_of_type(touchpad, G_VARIANT_TYPE_BOOLEAN) &&
                                 g_variant_get_boolean(touchpad));
            if (pointer) g_variant_unref(pointer);
            if (touchpad) g_variant_unref(touchpad);
            if (!mouse) continue;
            GError* error = nullptr;
            GVariant* reply = g_dbus_connection_call_sync(
                bus, kKWinService, path.c_str(), kPropertiesInterface, "Set",
                g_variant_new("(ssv)", kKWinDeviceInterface, "pointerAcceleration", g_variant_new_double(acceleration)),
                nullptr, G_DBUS_CALL_FLAGS_NONE, kDbusTimeoutMs, nullptr, &error);
            if (reply) g_variant_unref(reply);
            if (error) {
                debugOut("pointer speed: KWin refused it for " + device + ": " + error->message);
                g_clear_error(&error);
            }
        }
        g_object_unref(bus);
    }

    std::string folder_;
};

// Other X11 sessions: the X server's own pointer acceleration. It has no wheel setting.
class X11PointerSettings final : public PointerSettings {
public:
    bool SetPointerSpeed(int speed) override {
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            debugOut("pointer speed: no X server");
            return false;
        }
        const XAcceleration a = SpeedToXAcceleration(speed);
        const xcb_void_cookie_t cookie = xcb_change_pointer_control_checked(
            connection, static_cast<int16_t>(a.numerator), static_cast<int16_t>(a.denominator), kXThreshold, 1, 1);
        xcb_generic_error_t* error = xcb_request_check(connection, cookie);
        const bool ok = error == nullptr;
        if (!ok) debugOut("pointer speed: the X server refused it (" + std::to_string(error->error_code) + ")");
        std::free(error);
        xcb_disconnect(connection);
        return ok;
    }
    bool SetWheelLines(int lines) override {
        debugOut("wheel lines " + std::to_string(lines) + " (the X server has no such setting)");
        return false;
    }
    void AnnounceChange() override {}
    bool CanSetPointerSpeed() const override { return true; }
    bool CanSetWheelLines() const override { return false; }
    std::string_view Name() const override { return "x11"; }
};

}  // namespace

PointerDesktop DetectPointerDesktop(std::string_view currentDesktop, std::string_view sessionType,
                                    std::string_view display) {
    if (Contains(currentDesktop, "GNOME")) return PointerDesktop::Gnome;
    if (Contains(currentDesktop, "KDE")) return PointerDesktop::Kde;
    if (!display.empty() && sessionType != "wayland") return PointerDesktop::X11;
    return PointerDesktop::None;
}

double SpeedToAcceleration(int speed) {
    const int s = std::clamp(speed, kMinSpeed, kMaxSpeed);
    return static_cast<double>(s - kDefaultSpeed) / kDefaultSpeed;
}

XAcceleration SpeedToXAcceleration(int speed) {
    const int s = std::clamp(speed, kMinSpeed, kMaxSpeed);
    return {s * kXDefaultNumerator, kDefaultSpeed};
}

std::unique_ptr<PointerSettings> MakeKdePointerSettings(std::string configFolder) {
    return std::make_unique<KdePointerSettings>(std::move(configFolder));
}

std::unique_ptr<PointerSettings> MakeNoPointerSettings() { return std::make_unique<NoPointerSettings>(); }

std::unique_ptr<PointerSettings> MakePointerSettings() {
    switch (DetectPointerDesktop(Env("XDG_CURRENT_DESKTOP"), Env("XDG_SESSION_TYPE"), Env("DISPLAY"))) {
        case PointerDesktop::Gnome:
            if (auto gnome = GnomePointerSettings::Make()) return gnome;
            break;
        case PointerDesktop::Kde: return MakeKdePointerSettings(ConfigFolder());
        case PointerDesktop::X11: return std::make_unique<X11PointerSettings>();
        case PointerDesktop::None: break;
    }
    return MakeNoPointerSettings();
}

}  // namespace corvane::platform
