#pragma once

#include <filesystem>

namespace corvane::widgets::testing {

// The build copies skin/ beside the binaries and names that folder.
inline std::filesystem::path SkinDir() {
#ifdef CORVANE_SKIN_DIR
    return CORVANE_SKIN_DIR;
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "skin";
#endif
}

}  // namespace corvane::widgets::testing
