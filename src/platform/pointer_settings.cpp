#include "platform/pointer_settings.h"

#include <string>

#include "platform/debug_out.h"

namespace corvane::platform {
namespace {

// No desktop exposes a common pointer-speed setting to programs here, so the request is only
// written to the debug output.
class LoggedPointerSettings final : public PointerSettings {
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
};

}  // namespace

std::unique_ptr<PointerSettings> MakePointerSettings() { return std::make_unique<LoggedPointerSettings>(); }

}  // namespace corvane::platform
