#include "ui/skin_change.h"

#include <algorithm>

namespace corvane::ui {

SkinChangeSubject& SkinChangeSubject::Instance() {
    static SkinChangeSubject subject;
    return subject;
}

void SkinChangeSubject::Add(SkinChangeReceiver* receiver) {
    std::lock_guard lock(mutex_);
    if (std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end()) receivers_.push_back(receiver);
}

void SkinChangeSubject::Remove(SkinChangeReceiver* receiver) {
    std::lock_guard lock(mutex_);
    receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver), receivers_.end());
}

void SkinChangeSubject::Broadcast(const SkinChangedParam& param) {
    std::vector<SkinChangeReceiver*> receivers;
    {
        std::lock_guard lock(mutex_);
        receivers = receivers_;
    }
    for (SkinChangeReceiver* receiver : receivers) receiver->Receive(param);
}

}  // namespace corvane::ui
