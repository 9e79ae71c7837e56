#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace corvane::platform {

// The desktop's pointer speed (1..20, 10 the usual default) and the lines one wheel notch
// scrolls. Each desktop keeps them its own way; what it does not let a program change is
// reported by the Can... calls, and setting it then only writes to the debug output.
class PointerSettings {
public:
    virtual ~PointerSettings() = default;
    virtual bool SetPointerSpeed(int speed) = 0;
    virtual bool SetWheelLines(int lines) = 0;
    // Tells running programs that the settings changed.
    virtual void AnnounceChange() = 0;
    virtual bool CanSetPointerSpeed() const = 0;
    virtual bool CanSetWheelLines() const = 0;
    // "gnome", "kde", "x11" or "none".
    virtual std::string_view Name() const = 0;
};

enum class PointerDesktop { Gnome, Kde, X11, None };

// Which backend fits a session, from its XDG_CURRENT_DESKTOP, XDG_SESSION_TYPE and DISPLAY.
PointerDesktop DetectPointerDesktop(std::string_view currentDesktop, std::string_view sessionType,
                                    std::string_view display);

// Speed 1..20 as the -1..1 acceleration GNOME and KDE Plasma keep (10 is 0, their default).
double SpeedToAcceleration(int speed);
// Speed 1..20 as the X server's acceleration fraction (10 is 2/1, the server's default).
struct XAcceleration {
    int numerator;
    int denominator;
};
XAcceleration SpeedToXAcceleration(int speed);

// The backend for this session: the desktop's when it has one the program can use, the X
// server's pointer control on other X11 sessions, otherwise one that changes nothing.
std::unique_ptr<PointerSettings> MakePointerSettings();
// The KDE Plasma backend on a given configuration folder (tests).
std::unique_ptr<PointerSettings> MakeKdePointerSettings(std::string configFolder);
// The backend that changes nothing.
std::unique_ptr<PointerSettings> MakeNoPointerSettings();

}  // namespace corvane::platform
