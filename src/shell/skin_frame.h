#pragma once

#include <memory>

#include "ui/window.h"

namespace corvane::widgets {
class SkinWindow;
class SkinWidget;
}  // namespace corvane::widgets

namespace corvane::shell {

// The background picker: a pop-up built from the skin's "skin.xml", right-aligned under the
// control it was opened from. It closes when it loses the focus or on a click outside.
// Image choices are stored in "main.ini"; colours and the user's own files are not.
class CSkinFrame : public ui::NotifySink {
public:
    // nullptr when the picker's skin does not load.
    static std::unique_ptr<CSkinFrame> Open(widgets::SkinWindow& main, widgets::SkinWidget& owner);
    ~CSkinFrame() override;
    CSkinFrame(const CSkinFrame&) = delete;
    CSkinFrame& operator=(const CSkinFrame&) = delete;

    bool IsOpen() const;
    widgets::SkinWindow& Window() { return *window_; }

    void Notify(const ui::Notification& notification) override;

private:
    CSkinFrame(widgets::SkinWindow& main, std::unique_ptr<widgets::SkinWindow> window);
    void ChooseOwnPicture();

    widgets::SkinWindow& main_;
    std::unique_ptr<widgets::SkinWindow> window_;
};

}  // namespace corvane::shell
