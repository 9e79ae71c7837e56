#pragma once

#include <QMenu>
#include <QPointer>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/skin_builder.h"
#include "widgets/skin_context.h"
#include "ui/window.h"

namespace corvane::widgets {

// A pop-up menu of a skin menu file, drawn in the skin's dark look. Item texts starting with
// "@" are language ids, shown in the language of the moment. A choice is posted through the
// window's queue, so the handler runs once the menu is gone.
class SkinMenu : public ui::Menu {
public:
    // nullptr with the reason in error when the file does not parse.
    static std::unique_ptr<SkinMenu> Load(const SkinContext& context, ui::Window& window,
                                          std::string_view file, ui::MenuHandler onChoice,
                                          std::string* error);
    ~SkinMenu() override;

    void Popup(ui::Point at);

    void AppendItem(std::string_view name, std::string_view text) override;
    void ResizeToItems() override;
    std::vector<ui::MenuItem> Items() const override;
    bool IsOpen() const override;
    bool Choose(std::string_view name) override;

    QMenu* Widget() const { return menu_.data(); }

private:
    SkinMenu(ui::Window& window, ui::MenuHandler onChoice, double zoom);
    void Add(const std::string& name, const QString& text, const std::string& userData, bool visible);

    ui::Window& window_;
    ui::MenuHandler onChoice_;
    QPointer<QMenu> menu_;
};

}  // namespace corvane::widgets
