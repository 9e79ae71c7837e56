#pragma once

#include <QPointer>

#include "widgets/skin_widget.h"

namespace corvane::widgets {

// Wnd: hosts a native window of its own (any widget) and keeps it on the control's rectangle,
// shown while the control shows and hidden otherwise. The hosted widget is not owned.
class WndWidget : public SkinWidget {
public:
    explicit WndWidget(SkinContext& context);
    ~WndWidget() override;

    // A widget that is a child of the paint window is placed in its coordinates, any other
    // (a top-level window) on the screen.
    void Attach(QWidget* native);
    QWidget* Native() const { return native_.data(); }

    void SetVisible(bool visible) override;
    void LayoutContent() override;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Sync();
    QPointer<QWidget> native_;
};

}  // namespace corvane::widgets
