#pragma once

#include <mutex>

#include "lighting/lighting_records.h"

namespace corvane::lighting {

// The synchronised record as the window holds it: written by same-mode on the UI thread, read
// whole by the synchronised lighting thread, so a frame never mixes two records.
class SharedLightingCell {
public:
    void Store(const SharedLighting& record) {
        std::lock_guard guard(mutex_);
        record_ = record;
    }
    SharedLighting Load() const {
        std::lock_guard guard(mutex_);
        return record_;
    }

private:
    mutable std::mutex mutex_;
    SharedLighting record_{};
};

}  // namespace corvane::lighting
