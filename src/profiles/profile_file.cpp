#include "profiles/profile_file.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/bytes.h"
#include "platform/debug_out.h"
#include "platform/files.h"

namespace corvane::profiles {
namespace {

constexpr std::string_view kOpenFailedText = "文件打开失败";

}  // namespace

int ReadProfileFile(const std::string& path, std::span<std::uint8_t> buffer) {
    const auto actual = platform::ResolveCaseInsensitive(path);
    if (!actual) return kProfileMissing;
    const auto bytes = platform::ReadFileBytes(*actual, kProfileHeaderSize + buffer.size());
    if (!bytes) return kProfileMissing;
    return DecodeProfile(*bytes, buffer);
}

int DecodeProfile(std::span<const std::uint8_t> file, std::span<std::uint8_t> buffer) {
    if (file.size() < kProfileHeaderSize ||
        platform::LoadLe16(file, kHeaderMagicOffset) != kProfileMagic) {
        return kProfileBadFormat;
    }
    const std::size_t payload = file.size() - kProfileHeaderSize;
    std::copy_n(file.begin() + kProfileHeaderSize, std::min(payload, buffer.size()),
                buffer.begin());
    return kProfileReadOk;
}

std::vector<std::uint8_t> EncodeProfile(std::span<const std::uint8_t> payload, device::DeviceKind kind) {
    std::vector<std::uint8_t> file(kProfileHeaderSize + payload.size(), 0);
    platform::StoreLe16(file, kHeaderMagicOffset, kProfileMagic);
    platform::StoreLe16(file, kHeaderDeviceKindOffset, static_cast<std::uint16_t>(kind));
    std::copy(payload.begin(), payload.end(), file.begin() + kProfileHeaderSize);
    return file;
}

bool WriteProfileFile(const std::string& path, std::span<const std::uint8_t> payload,
                      device::DeviceKind kind, platform::SettingsWriter* writer) {
    std::vector<std::uint8_t> file = EncodeProfile(payload, kind);
    if (writer) {
        writer->Write(path, std::move(file));
        return true;
    }
    // An existing file of another spelling is the same file to the user; replace that one.
    const std::string target = platform::ResolveCaseInsensitive(path).value_or(path);
    if (!platform::WriteFileAtomically(target, std::span<const std::uint8_t>(file))) {
        platform::debugOut(kOpenFailedText);
        return false;
    }
    return true;
}

}  // namespace corvane::profiles
