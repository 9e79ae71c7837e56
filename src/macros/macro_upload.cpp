#include "macros/macro_upload.h"

#include <vector>

#include "keys/key_entry.h"
#include "macros/macro_image.h"
#include "profiles/profile_index.h"

namespace corvane::macros {
namespace {

using device::DeviceKind;

// The first result of a transfer that was not success; kSuccess while every one was.
class FirstFailure {
public:
    void Take(int result) {
        if (first_ == device::kSuccess) first_ = result;
    }
    int Result() const { return first_; }

private:
    int first_ = device::kSuccess;
};

// The upload goes on to the key bank and the profile save whatever the device answered (the
// link logs each failure), and says in the end what the device did not take.
void SendImage(device::DeviceLink& link, const std::vector<std::uint8_t>& image, bool scripts,
               FirstFailure& failure) {
    failure.Take(link.EnterSettingMode());
    failure.Take(scripts ? link.WriteScriptData(image) : link.WriteMacroData(image));
    failure.Take(link.ExitSettingMode());
}

// The bank the device plays (its active slot), as many bytes as the device's banks hold.
void SendActiveBank(device::DeviceLink& link, DeviceKind kind, const device::DeviceImages& images,
                    FirstFailure& failure) {
    failure.Take(link.EnterSettingMode());
    const std::size_t bank = images.activeLighting[device::kActiveSlotOffset];
    if (bank < images.keyBanks.size()) {
        const auto bytes = keys::BankByteCount(kind, images.info);
        const std::size_t count = (bytes && *bytes > 0) ? *bytes : link.BankSize();
        const device::KeyTableImage copy = images.keyBanks[bank];
        failure.Take(link.WriteKeyBank(copy, static_cast<int>(bank), std::min(count, copy.size())));
    }
    failure.Take(link.ExitSettingMode());
}

}  // namespace

int UploadMacros(device::DeviceLink& link, DeviceKind kind, const profiles::SettingBlocks& blocks,
                 const MessageHook& showMessage, platform::SettingsWriter* writer, int* deviceResult,
                 std::optional<int> profileIndex) {
    FirstFailure failure;
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
        SendImage(link, BuildImage(records), false, failure);
    }
    SendActiveBank(link, kind, *images, failure);
    const auto family = kind == DeviceKind::Keyboard ? profiles::ProfileFamily::KbKey : profiles::ProfileFamily::MsDevice;
    if (profileIndex) {
        (void)profiles::SaveProfile(family, *profileIndex, blocks, writer);
    } else {
        (void)profiles::SaveSelectedProfile(family, blocks, writer);
    }
    if (deviceResult) *deviceResult = failure.Result();
    return 1;
}

int UploadCursorScripts(device::DeviceLink& link, int* deviceResult) {
    const auto records = ReadImageSteps(ScriptImageFiles());
    const std::size_t size = ImageSize(records);
    if (size == 0) return 1;
    if (size > kScriptImageLimit) return 0;
    FirstFailure failure;
    SendImage(link, BuildImage(records), true, failure);
    if (deviceResult) *deviceResult = failure.Result();
    return 1;
}

}  // namespace corvane::macros
