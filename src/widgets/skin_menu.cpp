#include "widgets/skin_menu.h"

#include <QAction>
#include <QMenu>

#include "widgets/skin_widget.h"

namespace corvane::widgets {
namespace {

constexpr int kItemPaddingY = 6;
constexpr int kItemPaddingX = 16;
constexpr int kMenuRadius = 6;
constexpr int kMenuFontPx = 13;

QString HexColour(ui::Colour c) { return QString("#%1").arg(c & 0xFFFFFFu, 6, 16, QLatin1Char('0')); }

// The look of the skin's surfaces, scaled like the window.
QString MenuStyle(double zoom) {
    auto px = [zoom](int v) { return QString::number(static_cast<int>(v * zoom + 0.5)) + "px"; };
    return QString("QMenu { background: %1; color: %2; border: 1px solid %3; border-radius: %4;"
                   " padding: %5 0px; font-size: %6; }"
                   "QMenu::item { padding: %7 %8; background: transparent; }"
                   "QMenu::item:selected { background: %9; color: #FFFFFF; }")
        .arg(HexColour(look::kRaised), HexColour(look::kText), HexColour(look::kBorder), px(kMenuRadius),
             px(4), px(kMenuFontPx), px(kItemPaddingY), px(kItemPaddingX), HexColour(look::kAccent));
}

}  // namespace

SkinMenu::SkinMenu(ui::Window& window, ui::MenuHandler onChoice, double zoom)
    : window_(window), onChoice_(std::move(onChoice)), menu_(new QMenu) {
    menu_->setAttribute(Qt::WA_DeleteOnClose, false);
    menu_->setWindowFlag(Qt::FramelessWindowHint);
    menu_->setAttribute(Qt::WA_TranslucentBackground);
    menu_->setStyleSheet(MenuStyle(zoom));
    QObject::connect(menu_, &QMenu::triggered, menu_, [this](QAction* action) {
        ui::MenuItem item{ToStdString(action->objectName()), ToStdString(action->text()),
                          ToStdString(action->data().toString())};
        if (onChoice_) window_.Post([handler = onChoice_, item] { handler(item); });
    });
}

SkinMenu::~SkinMenu() {
    // Deleted later: the menu may be closing from inside its own event handling.
    if (menu_) {
        menu_->hide();
        menu_->deleteLater();
    }
}

std::unique_ptr<SkinMenu> SkinMenu::Load(const SkinContext& context, ui::Window& window, std::string_view file,
                                         ui::MenuHandler onChoice, std::string* error) {
    auto layout = ParseXmlFile(context.SkinDir() / std::string(file), error);
    if (!layout) return nullptr;
    std::unique_ptr<SkinMenu> menu(new SkinMenu(window, std::move(onChoice), context.Zoom()));
    for (const XmlNode& node : layout->children) {
        if (!ui::EqualsIgnoreCase(node.tag, "MenuElement")) continue;
        const std::string* name = node.Find("name");
        const std::string* text = node.Find("text");
        const std::string* data = node.Find("userdata");
        const std::string* visible = node.Find("visible");
        QString shown;
        if (text && !text->empty() && text->front() == '@') {
            shown = context.LookupText(std::string_view(*text).substr(1)).value_or(ToQString(text->substr(1)));
        } else if (text) {
            shown = ToQString(*text);
        }
        menu->Add(name ? *name : std::string(), shown, data ? *data : std::string(),
                  !(visible && ui::EqualsIgnoreCase(*visible, "false")));
    }
    return menu;
}

void SkinMenu::Add(const std::string& name, const QString& text, const std::string& userData, bool visible) {
    QAction* action = menu_->addAction(text);
    action->setObjectName(ToQString(name));
    action->setData(ToQString(userData));
    action->setVisible(visible);
}

void SkinMenu::Popup(ui::Point at) { menu_->popup(QPoint(at.x, at.y)); }

void SkinMenu::AppendItem(std::string_view name, std::string_view text) {
    Add(std::string(name), ToQString(text), {}, true);
}

void SkinMenu::ResizeToItems() { menu_->adjustSize(); }

std::vector<ui::MenuItem> SkinMenu::Items() const {
    std::vector<ui::MenuItem> items;
    for (QAction* action : menu_->actions()) {
        if (!action->isVisible()) continue;
        items.push_back({ToStdString(action->objectName()), ToStdString(action->text()),
                         ToStdString(action->data().toString())});
    }
    return items;
}

bool SkinMenu::IsOpen() const { return menu_ && menu_->isVisible(); }

bool SkinMenu::Choose(std::string_view name) {
    for (QAction* action : menu_->actions()) {
        if (action->isVisible() && ui::EqualsIgnoreCase(ToStdString(action->objectName()), name)) {
            menu_->hide();
            action->trigger();
            return true;
        }
    }
    return false;
}

}  // namespace corvane::widgets
