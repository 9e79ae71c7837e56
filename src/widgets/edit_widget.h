#pragma once

#include <string>

#include "widgets/skin_widget.h"
#include "ui/control.h"

class QLineEdit;

namespace corvane::widgets {

// Edit: a painted box around a stock line edit.
class EditWidget : public SkinWidget, public ui::Edit {
public:
    explicit EditWidget(SkinContext& context);

    void SetText(std::string_view text) override;
    std::string Text() const override;
    std::string DisplayedText() const override { return Text(); }
    void SetFocus() override;
    bool HasFocus() const override;
    void SetSelection(int start, int end) override;
    std::string SelectedText() const override;
    void SetCaret(int position) override;
    int Caret() const override;
    void SetReadOnly(bool readOnly) override;
    void SetMaxChars(int count) override;
    void LayoutContent() override;
    void RefreshStyle() override;
    QLineEdit* LineEdit() const { return edit_; }

protected:
    bool ApplyAttribute(const std::string& name, std::string_view value) override;
    void Paint(QPainter& painter) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;  // owned by this widget as its Qt child
};

}  // namespace corvane::widgets
