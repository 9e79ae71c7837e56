#include "shell/tray_menu.h"

#include <QCursor>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace corvane::shell {
namespace {

constexpr const char* kMenuFile = "menu.xml";
constexpr const char* kExitName = "exit";
constexpr const char* kExitText = "Exit";

QIcon TrayPicture() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x18, 0x1B, 0x22));
    painter.setPen(QPen(QColor(0x01, 0x99, 0xCB), 4));
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
    painter.drawLine(QPointF(32, 12), QPointF(32, 30));
    painter.drawEllipse(QRectF(18, 14, 28, 38));
    return QIcon(pixmap);
}

}  // namespace

TrayMenu::TrayMenu(ui::Window& window, TrayMode mode, const char* toolTip, Handlers handlers)
    : window_(window), handlers_(std::move(handlers)) {
    switch (mode) {
        case TrayMode::Hidden: available_ = true; return;
        case TrayMode::Absent: available_ = false; return;
        case TrayMode::System: available_ = QSystemTrayIcon::isSystemTrayAvailable(); break;
    }
    if (!available_) return;
    icon_ = std::make_unique<QSystemTrayIcon>(TrayPicture());
    icon_->setToolTip(QString::fromUtf8(toolTip));
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && handlers_.leftClick) handlers_.leftClick();
        if (reason == QSystemTrayIcon::Context) {
            const QPoint at = QCursor::pos();
            OpenMenu({at.x(), at.y()});
        }
    });
    icon_->show();
}

TrayMenu::~TrayMenu() = default;

void TrayMenu::OpenMenu(ui::Point cursor) {
    menu_.reset();
    menu_ = window_.OpenMenu(kMenuFile, {cursor.x, cursor.y - kMenuLift}, handlers_.command);
    if (!menu_) return;
    menu_->AppendItem(kExitName, kExitText);
    menu_->ResizeToItems();
}

void TrayMenu::Remove() {
    menu_.reset();
    icon_.reset();
}

}  // namespace corvane::shell
