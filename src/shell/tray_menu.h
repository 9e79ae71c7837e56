#pragma once

#include <QObject>

#include <functional>
#include <memory>

#include "ui/window.h"

class QSystemTrayIcon;

namespace corvane::shell {

// Whether the desktop has a notification area for the program's icon. Tests pretend there is
// one without showing an icon, or that there is none.
enum class TrayMode { System, Hidden, Absent };

// The notification-area icon and its menu (the skin's "menu.xml" with "Exit" appended). At most
// one menu is open: opening another closes the previous one.
class TrayMenu : public QObject {
public:
    struct Handlers {
        std::function<void()> leftClick;
        ui::MenuHandler command;
    };
    // The tooltip is the icon's text; with TrayMode::System the icon shows when the desktop
    // has a notification area.
    TrayMenu(ui::Window& window, TrayMode mode, const char* toolTip, Handlers handlers);
    ~TrayMenu() override;
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    // False when the desktop has nowhere to show the icon: the window must not hide for good.
    bool Available() const { return available_; }
    // The right click: the menu opens this far above the pointer.
    static constexpr int kMenuLift = 50;
    void OpenMenu(ui::Point cursor);
    ui::Menu* OpenedMenu() const { return menu_.get(); }
    // Removes the icon and closes the menu (shutdown).
    void Remove();

private:
    ui::Window& window_;
    Handlers handlers_;
    bool available_ = false;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<ui::Menu> menu_;
};

}  // namespace corvane::shell
