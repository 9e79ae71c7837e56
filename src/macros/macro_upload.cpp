#include "macros/macro_upload.h"

#include <vector>

#include "keys/key_entry.h"
#include "macros/macro_image.h"
#include "profiles/profile_index.h"

namespace corvane::macros {
namespace {

using device::DeviceKind;

// Device results are not acted on here: the link logs a failure, and the upload goes on to the
// key bank and the profile save, which must happen whether or not the device took the image.
void SendImage(device::DeviceLink& link, const std::vector<std::uint8_t>& image, bool scripts) {
    (void)link.EnterSettingMode();
    (void)(scripts ? link.WriteScriptData(image) : link.WriteMacroData(image));
    (void)link.ExitSettingMode();
}

// The bank the device plays (its active slot), as many bytes as the device's banks hold.
// Results as in SendImage.
void SendActiveBank(device::DeviceLink& link, DeviceKind kind, const device::DeviceImages& images) {
    (void)link.EnterSettingMode();
    const std::size_t bank = images.activeLighting[device::kActiveSlotOffset];
    if (bank < images.keyBanks.size()) {
        const auto bytes = keys::BankByteCount(kind, images.info);
        const std::size_t count = (bytes && *bytes > 0) ? *bytes : link.BankSize();
        const device::KeyTableImage copy = images.keyBanks[bank];
        (void)link.WriteKeyBank(copy, static_cast<int>(bank), std::min(count, copy.size()));
    }
    (void)link.ExitSettingMode();
}

}  // namespace

int UploadMacros(device::DeviceLink& link, DeviceKind kind, const profiles::SettingBlocks& blocks,
                 const MessageHook& showMessage, platform::SettingsWriter* writer) {
    const device::DeviceImages* images = kind == DeviceKind::Keyboard ? blocks.keyboard : blocks.mouse;
    if (!images) return 0;
    const auto records = ReadImageSteps(MacroImageFiles(kind));
    const std::size_t size = ImageSize(records);
    if (size > 0) {
        const std::size_t capacity = images->info[device::kInfoMacroCapacity] * kMacroCapacityUnit;
        if (size > capacity) {
            if (showMessage) {
                showMessage(kMessageTooManySteps, static_cast<int>(ExcessSteps(size, capacity)));
            }
            return 0;
        }
        SendImage(link, BuildImage(records), false);
    }
    SendActiveBank(link, kind, *images);
    profiles::SaveSelectedProfile(
        kind == DeviceKind::Keyboard ? profiles::ProfileFamily::KbKey : profiles::ProfileFamily::MsDevice,
        blocks, writer);
    return 1;
}

int UploadCursorScripts(device::DeviceLink& link) {
    const auto records = ReadImageSteps(ScriptImageFiles());
    const std::size_t size = ImageSize(records);
    if (size == 0) return 1;
    if (size > kScriptImageLimit) return 0;
    SendImage(link, BuildImage(records), true);
    return 1;
}

}  // namespace corvane::macros
