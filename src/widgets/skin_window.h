#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "widgets/call_queue.h"
#include "widgets/skin_builder.h"
#include "widgets/skin_context.h"
#include "widgets/skin_widget.h"
#include "ui/window.h"

class QSocketNotifier;

namespace corvane::widgets {

// A frameless top-level window built from a skin layout: the Qt implementation of ui::Window.
class SkinWindow : public QWidget, public ui::Window {
public:
    // Builds the layout with that id (resolved through res.xml, or a file name) from a skin
    // folder. nullptr with the reason ("file:line: ...") in error when the skin does not build.
    static std::unique_ptr<SkinWindow> Load(const std::filesystem::path& skinDir,
                                            std::string_view layoutId, std::string* error);
    // The same from layout text; images, pages and languages still come from skinDir.
    static std::unique_ptr<SkinWindow> LoadText(std::string_view layoutXml,
                                                const std::filesystem::path& skinDir,
                                                std::string* error);
    ~SkinWindow() override;

    // Shows the window or leaves it hidden, then raises "windowinit" (once) from the event loop.
    void Launch(bool show);

    // ui::Window
    ui::Control* Find(std::string_view name) const override;
    std::vector<ui::Control*> Controls() const override;
    void SetNotifySink(ui::NotifySink* sink) override;
    bool SetLanguage(std::string_view languageId) override;
    std::string Language() const override;
    std::string LanguageText(std::string_view textId) const override;
    void SetTextQuery(ui::TextQuery query) override;
    void SetTitle(std::string_view title) override;
    void CentreOnScreen() override;
    void Show() override;
    void Hide() override;
    bool IsShown() const override;
    void Minimize() override;
    void Maximize() override;
    void Restore() override;
    void BringToFront() override;
    void Close() override;
    void SetDpi(int dpi) override;
    void NeedUpdate() override;
    void Post(std::function<void()> fn) override;
    bool Send(std::function<void()> fn) override;
    void RejectCalls() override;
    // How long each call handed to the UI thread waited for it (UI thread).
    void SetCallLatencyObserver(std::function<void(std::int64_t)> observer) {
        calls_.SetLatencyObserver(std::move(observer));
    }
    int ShowMessageBox(const ui::MessageBoxRequest& request) override;
    int ShowOwnMessageBox(const ui::MessageBoxRequest& request) override;
    bool AnswerOwnMessageBox(int result) override;
    void SetMessageBoxResponder(ui::MessageBoxResponder responder) override;
    std::unique_ptr<ui::Menu> OpenMenu(std::string_view file, ui::Point at, ui::MenuHandler onChoice) override;
    std::optional<std::string> ShowFileDialog(const ui::FileDialogRequest& request) override;
    void SetFileDialogResponder(ui::FileDialogResponder responder) override;

    // For checks of a skin: its languages, whether one has a text id, the text ids controls
    // use (resource texts), and images that could not be read while painting or loading.
    std::vector<std::string> Languages() const { return context_->Languages(); }
    bool HasText(std::string_view language, std::string_view textId) const {
        return context_->HasText(language, textId);
    }
    std::set<std::string> TextIdsUsed() const;
    // Reads every image the controls name, so that MissingImages() is complete.
    void LoadAllImages();
    const std::set<std::string>& MissingImages() const { return context_->MissingImages(); }

    // The scale closest to dpi at which the window still fits the available area of its screen
    // (never below 100 %).
    int DpiWithinScreen(int dpi) const;

    SkinContext& Context() { return *context_; }
    SkinWidget* Root() const { return root_.get(); }
    const WindowSettings& Settings() const { return settings_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    explicit SkinWindow(std::unique_ptr<SkinContext> context);
    static std::unique_ptr<SkinWindow> Build(std::unique_ptr<SkinContext> context, const XmlNode& layout,
                                             std::string* error);
    void ApplySettings();
    bool InCaption(const QPoint& point) const;
    bool IsInTree(const SkinWidget* widget) const;

    // Declared in this order so the controls go before the context they use.
    std::unique_ptr<SkinContext> context_;
    std::unique_ptr<SkinWidget> root_;
    WindowSettings settings_;
    CallQueue calls_;
    std::unique_ptr<QSocketNotifier> wakeNotifier_;
    ui::MessageBoxResponder messageBoxResponder_;
    // How to end each box ShowOwnMessageBox has open, innermost last.
    std::vector<std::function<void(int)>> openBoxes_;
    ui::FileDialogResponder fileDialogResponder_;
    mutable std::unordered_map<std::string, QPointer<SkinWidget>> findCache_;
    bool initRaised_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace corvane::widgets
