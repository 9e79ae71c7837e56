// Any bytes as the mouse's index file, read as at start-up: the start leaves every list it can
// read whole (a count of names with no gaps below it), and a second start finds nothing left to
// change.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "profiles/profile_family.h"
#include "profiles/profile_file.h"
#include "profiles/profile_index.h"

namespace {

namespace fs = std::filesystem;
using corvane::profiles::ProfileFamily;

std::string folder;  // the mouse's settings folder

std::vector<char> Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (fs::temp_directory_path() / "corvane-index-fuzz-XXXXXX").string();
    const std::string root = ::mkdtemp(pattern.data());
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/home/.config").c_str(), 1);
    ::setenv("CORVANE_HOME", (root + "/program/").c_str(), 1);
    folder = root + "/home/Documents/Gaming Keyboard/ms/";
    fs::create_directories(folder);
    // Shipped defaults, so that a list that starts anew gets its first profile.
    fs::create_directories(root + "/program/defaults");
    for (const ProfileFamily family : {ProfileFamily::MsDevice, ProfileFamily::MsDeng, ProfileFamily::MsKey}) {
        const auto& f = corvane::profiles::Family(family);
        const std::vector<std::uint8_t> payload(f.payloadSize, 0);
        if (!corvane::profiles::WriteProfileFile(root + "/program/defaults/" + std::string(f.defaultFile), payload,
                                                 f.device)) {
            std::abort();
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path index = folder + "msProfile.ini";
    std::ofstream(index, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                    static_cast<std::streamsize>(size));
    (void)corvane::profiles::LoadProfileIndex(corvane::device::DeviceKind::Mouse);
    const std::vector<char> afterFirst = Contents(index);
    for (const ProfileFamily family : {ProfileFamily::MsDevice, ProfileFamily::MsDeng, ProfileFamily::MsKey}) {
        const corvane::profiles::FamilyIndex list = corvane::profiles::ReadFamilyIndex(family);
        if (list.count < 0) continue;  // a negative count is left alone: no list to repair
        for (int i = 0; i < list.count; ++i) {
            if (!corvane::profiles::FindProfileName(family, i).value_or("").size()) std::abort();
        }
    }
    (void)corvane::profiles::LoadProfileIndex(corvane::device::DeviceKind::Mouse);
    if (Contents(index) != afterFirst) std::abort();
    return 0;
}
