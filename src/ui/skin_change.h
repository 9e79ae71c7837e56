#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "ui/control.h"

namespace corvane::ui {

// A new window background: a plain colour, or an image (a skin image or a file of the user's).
struct SkinChangedParam {
    bool isColour = false;
    Colour colour = 0;
    std::string image;
};

class SkinChangeReceiver {
public:
    virtual ~SkinChangeReceiver() = default;
    virtual void Receive(const SkinChangedParam& param) = 0;
};

// The process-wide skin-change notification: every registered receiver gets each broadcast.
// Receivers unregister themselves before they go.
class SkinChangeSubject {
public:
    static SkinChangeSubject& Instance();
    void Add(SkinChangeReceiver* receiver);
    void Remove(SkinChangeReceiver* receiver);
    void Broadcast(const SkinChangedParam& param);

private:
    SkinChangeSubject() = default;
    std::mutex mutex_;
    std::vector<SkinChangeReceiver*> receivers_;
};

}  // namespace corvane::ui
