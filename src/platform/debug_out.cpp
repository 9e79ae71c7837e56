#include "platform/debug_out.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace corvane::platform {

struct DebugCapture::State {
    mutable std::mutex mutex;
    std::vector<std::string> lines;
};

namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}

std::vector<DebugCapture*>& Registry() {
    static std::vector<DebugCapture*> captures;
    return captures;
}

bool StderrWanted() {
    static const bool wanted = [] {
        const char* v = std::getenv("CORVANE_DEBUG");
        return v != nullptr && std::strcmp(v, "1") == 0;
    }();
    return wanted;
}

}  // namespace

void debugOut(std::string_view text) {
    {
        std::lock_guard lock(RegistryMutex());
        for (DebugCapture* c : Registry()) c->Append(text);
    }
    if (StderrWanted()) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
}

DebugCapture::DebugCapture() : state_(std::make_unique<State>()) {
    std::lock_guard lock(RegistryMutex());
    Registry().push_back(this);
}

DebugCapture::~DebugCapture() {
    std::lock_guard lock(RegistryMutex());
    auto& r = Registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

void DebugCapture::Append(std::string_view text) {
    std::lock_guard lock(state_->mutex);
    state_->lines.emplace_back(text);
}

std::vector<std::string> DebugCapture::Lines() const {
    std::lock_guard lock(state_->mutex);
    return state_->lines;
}

bool DebugCapture::Contains(std::string_view text) const { return Count(text) > 0; }

std::size_t DebugCapture::Count(std::string_view text) const {
    std::lock_guard lock(state_->mutex);
    return static_cast<std::size_t>(std::count(state_->lines.begin(), state_->lines.end(), text));
}

void DebugCapture::Clear() {
    std::lock_guard lock(state_->mutex);
    state_->lines.clear();
}

}  // namespace corvane::platform
