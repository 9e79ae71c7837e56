#pragma once

#include <memory>

namespace corvane::platform {

// The desktop's pointer speed (1..20) and wheel lines. Where the desktop offers no interface the
// program may use, each call is a logged no-op.
class PointerSettings {
public:
    virtual ~PointerSettings() = default;
    virtual bool SetPointerSpeed(int speed) = 0;
    virtual bool SetWheelLines(int lines) = 0;
    // Tells running programs that the settings changed.
    virtual void AnnounceChange() = 0;
};

// The implementation for this desktop (a logged no-op when none applies).
std::unique_ptr<PointerSettings> MakePointerSettings();

}  // namespace corvane::platform
