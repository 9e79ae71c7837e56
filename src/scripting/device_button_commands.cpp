#include "scripting/device_button_commands.h"

#include "virtual/virtual_device.h"

namespace corvane::scripting {
namespace {

using virt::VirtualDevice;

constexpr std::size_t kVerbWord = 2;
constexpr std::size_t kSlotWord = 3;
constexpr int kMaxSlot = 4;

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

// A button press: the reply says when the device has no such button or is unplugged.
std::string Pressed(bool done, VirtualDevice& device, const char* button) {
    if (done) return std::string(kOk);
    if (!device.IsPlugged()) return "error: the device is unplugged";
    return std::string("error: the ") + std::string(KindWord(device.Kind())) + " has no " + button + " button";
}

}  // namespace

void AddDeviceButtonVerbs(VirtualCommands& commands) {
    commands.AddStateField([](VirtualDevice& device, JsonObject& state) {
        state.Int("previewFrames", static_cast<std::int64_t>(device.PreviewFrames()))
            .Str("preview", Hex(device.PreviewColours()));
    });
    commands.AddDeviceVerb("slot", [](VirtualDevice& device, const CommandArgs& args) {
        const auto slot = args.Count() == kSlotWord ? ParseNumber(args[kSlotWord]) : std::nullopt;
        if (!slot || *slot < 0 || *slot > kMaxSlot) return std::string("error: usage: virtual kb|ms slot 0..4");
        return Pressed(device.PressSlotButton(static_cast<std::uint8_t>(*slot)), device, "slot");
    });
    commands.AddDeviceVerb("restore", [](VirtualDevice& device, const CommandArgs& args) {
        if (args.Count() != kVerbWord) return std::string("error: usage: virtual kb|ms restore");
        return Pressed(device.PressRestoreButton(), device, "restore");
    });
    commands.AddDeviceVerb("flash", [](VirtualDevice& device, const CommandArgs& args) {
        if (args.Count() != kVerbWord) return std::string("error: usage: virtual ms flash");
        return Pressed(device.PressFlashButton(), device, "flash");
    });
}

}  // namespace corvane::scripting
