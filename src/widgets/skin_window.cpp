#include "widgets/skin_window.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "platform/debug_out.h"
#include "widgets/skin_menu.h"
#include "ui/file_filter.h"

namespace corvane::widgets {
namespace {

constexpr int kDefaultDpi = 96;
// A timed message box closes itself after this long.
constexpr int kTimedMessageMs = 500;

std::string LayoutPath(const SkinContext& context, std::string_view layoutId, std::string* error) {
    auto file = context.LayoutFile(layoutId);
    if (!file) {
        if (error) *error = "res.xml: no layout with id '" + std::string(layoutId) + "'";
        return {};
    }
    return *file;
}

// Routes the clicks of a skinned message box to its result.
class MessageBoxSink : public ui::NotifySink {
public:
    explicit MessageBoxSink(QEventLoop& loop) : loop_(loop) {}
    void Notify(const ui::Notification& n) override {
        if (n.type != "click" || !n.sender) return;
        const std::string name = n.sender->Name();
        if (ui::EqualsIgnoreCase(name, "confirm_btn")) Finish(ui::kMessageConfirmed);
        else if (ui::EqualsIgnoreCase(name, "cancel_btn") || ui::EqualsIgnoreCase(name, "closebtn"))
            Finish(ui::kMessageDismissed);
    }
    void Finish(int result) {
        result_ = result;
        loop_.quit();
    }
    int Result() const { return result_; }

private:
    QEventLoop& loop_;
    int result_ = ui::kMessageDismissed;
};

// A box closed by the window manager or with Escape is dismissed, like its close button.
class MessageBoxCloseFilter : public QObject {
public:
    explicit MessageBoxCloseFilter(MessageBoxSink& sink) : sink_(sink) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            sink_.Finish(ui::kMessageDismissed);
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            sink_.Finish(ui::kMessageDismissed);
            return true;
        }
        return false;
    }

private:
    MessageBoxSink& sink_;
};

// The available area of the screen the widget is on (or the primary one).
QRect AvailableArea(const QWidget& widget) {
    QScreen* screen = widget.screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

}  // namespace

SkinWindow::SkinWindow(std::unique_ptr<SkinContext> context)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), context_(std::move(context)) {
    if (calls_.WakeFd() >= 0) {
        wakeNotifier_ = std::make_unique<QSocketNotifier>(calls_.WakeFd(), QSocketNotifier::Read);
        QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, this, [this] { calls_.Drain(); });
    }
}

SkinWindow::~SkinWindow() {
    calls_.RejectWaitingCalls();
    context_->SetSink(nullptr);
    root_.reset();
}

std::unique_ptr<SkinWindow> SkinWindow::Load(const std::filesystem::path& skinDir, std::string_view layoutId,
                                             std::string* error) {
    auto context = std::make_unique<SkinContext>(skinDir);
    if (!context->LoadResourceList(error)) return nullptr;
    const std::string file = LayoutPath(*context, layoutId, error);
    if (file.empty()) return nullptr;
    auto layout = ParseXmlFile(skinDir / file, error);
    if (!layout) return nullptr;
    return Build(std::move(context), *layout, error);
}

std::unique_ptr<SkinWindow> SkinWindow::LoadText(std::string_view layoutXml, const std::filesystem::path& skinDir,
                                                 std::string* error) {
    auto context = std::make_unique<SkinContext>(skinDir);
    if (!context->LoadResourceList(error)) return nullptr;
    auto layout = ParseXmlText(layoutXml, "layout", error);
    if (!layout) return nullptr;
    return Build(std::move(context), *layout, error);
}

std::unique_ptr<SkinWindow> SkinWindow::Build(std::unique_ptr<SkinContext> context, const XmlNode& layout,
                                              std::string* error) {
    context->LoadLanguages();
    std::unique_ptr<SkinWindow> window(new SkinWindow(std::move(context)));
    SkinBuilder builder(*window->context_);
    auto root = builder.BuildWindow(layout, window->settings_, error);
    if (!root) return nullptr;
    window->root_ = std::move(root);
    window->root_->setParent(window.get());
    window->ApplySettings();
    return window;
}

void SkinWindow::ApplySettings() {
    const SkinContext& c = *context_;
    setMinimumSize(c.Px(settings_.minWidth), c.Px(settings_.minHeight));
    resize(c.Px(settings_.width), c.Px(settings_.height));
    root_->setGeometry(rect());
    root_->show();
    root_->LayoutContent();
}

void SkinWindow::Launch(bool show) {
    if (show) Show();
    Post([this] {
        if (initRaised_) return;
        initRaised_ = true;
        context_->Notify("windowinit", root_.get());
    });
}

bool SkinWindow::IsInTree(const SkinWidget* widget) const {
    for (const SkinWidget* w = widget; w; w = w->ParentSkin()) {
        if (w == root_.get()) return true;
    }
    return false;
}

ui::Control* SkinWindow::Find(std::string_view name) const {
    if (name.empty() || !root_) return nullptr;
    const std::string key = ui::ToLower(name);
    if (auto it = findCache_.find(key); it != findCache_.end()) {
        SkinWidget* cached = it->second.data();
        if (cached && ui::EqualsIgnoreCase(cached->Name(), name) && IsInTree(cached)) return cached;
        findCache_.erase(it);
    }
    if (ui::EqualsIgnoreCase(root_->Name(), name)) return root_.get();
    auto* found = dynamic_cast<SkinWidget*>(root_->FindChild(name));
    if (found) findCache_[key] = found;
    return found;
}

std::vector<ui::Control*> SkinWindow::Controls() const {
    std::vector<SkinWidget*> widgets;
    CollectControls(root_.get(), widgets);
    return {widgets.begin(), widgets.end()};
}

void SkinWindow::SetNotifySink(ui::NotifySink* sink) { context_->SetSink(sink); }

bool SkinWindow::SetLanguage(std::string_view languageId) {
    if (!context_->SetLanguage(languageId)) return false;
    std::vector<SkinWidget*> widgets;
    CollectControls(root_.get(), widgets);
    for (SkinWidget* w : widgets) {
        if (w->IsResourceText()) w->RefreshStyle();
        else w->update();
        w->RefreshToolTip();
    }
    return true;
}

std::string SkinWindow::Language() const { return context_->Language(); }

std::string SkinWindow::LanguageText(std::string_view textId) const {
    if (auto text = context_->LookupText(textId)) return ToStdString(*text);
    return std::string(textId);
}

void SkinWindow::SetTextQuery(ui::TextQuery query) { context_->SetTextQuery(std::move(query)); }

void SkinWindow::SetTitle(std::string_view title) { setWindowTitle(ToQString(title)); }

void SkinWindow::CentreOnScreen() {
    const QRect area = AvailableArea(*this);
    if (area.isEmpty()) return;
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void SkinWindow::Show() { show(); }
void SkinWindow::Hide() { hide(); }
bool SkinWindow::IsShown() const { return isVisible(); }
void SkinWindow::Minimize() { showMinimized(); }
void SkinWindow::Maximize() { showMaximized(); }
void SkinWindow::Restore() { showNormal(); }

void SkinWindow::BringToFront() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void SkinWindow::Close() { close(); }

void SkinWindow::SetDpi(int dpi) {
    if (dpi <= 0) return;
    context_->SetZoom(static_cast<double>(dpi) / kDefaultDpi);
    std::vector<SkinWidget*> widgets;
    CollectControls(root_.get(), widgets);
    for (SkinWidget* w : widgets) w->RefreshStyle();
    ApplySettings();
    update();
}

int SkinWindow::DpiWithinScreen(int dpi) const {
    const QRect area = AvailableArea(*this);
    if (area.isEmpty() || settings_.width <= 0 || settings_.height <= 0) return dpi;
    const double fit = std::min(static_cast<double>(area.width()) / settings_.width,
                                static_cast<double>(area.height()) / settings_.height);
    const int largest = std::max(kDefaultDpi, static_cast<int>(std::floor(fit * kDefaultDpi)));
    return std::min(dpi, largest);
}

void SkinWindow::NeedUpdate() {
    root_->setGeometry(rect());
    root_->LayoutContent();
    update();
    root_->update();
}

void SkinWindow::Post(std::function<void()> fn) { calls_.Post(std::move(fn)); }

bool SkinWindow::Send(std::function<void()> fn) {
    if (QThread::currentThread() == thread()) {
        fn();
        return true;
    }
    return calls_.SendAndWait(std::move(fn));
}

void SkinWindow::RejectCalls() { calls_.RejectWaitingCalls(); }

void SkinWindow::SetMessageBoxResponder(ui::MessageBoxResponder responder) {
    messageBoxResponder_ = std::move(responder);
}

int SkinWindow::ShowMessageBox(const ui::MessageBoxRequest& request) {
    if (messageBoxResponder_) return messageBoxResponder_(request);
    return ShowOwnMessageBox(request);
}

bool SkinWindow::AnswerOwnMessageBox(int result) {
    if (openBoxes_.empty()) return false;
    openBoxes_.back()(result);
    return true;
}

int SkinWindow::ShowOwnMessageBox(const ui::MessageBoxRequest& request) {
    // The skin's own box (layout id XML_MSG), shown modally over this window.
    std::string error;
    const std::string file = LayoutPath(*context_, "XML_MSG", &error);
    std::optional<XmlNode> layout;
    if (!file.empty()) layout = ParseXmlFile(context_->SkinDir() / file, &error);
    if (!layout) {
        platform::debugOut("message box unavailable (" + error + "): " + request.textId);
        return ui::kMessageDismissed;
    }
    auto boxContext = std::make_unique<SkinContext>(context_->SkinDir());
    boxContext->LoadResourceList(nullptr);
    boxContext->LoadLanguages();
    boxContext->SetLanguage(context_->Language());
    boxContext->SetZoom(context_->Zoom());
    std::unique_ptr<SkinWindow> box(new SkinWindow(std::move(boxContext)));
    SkinBuilder builder(*box->context_);
    box->root_ = builder.BuildWindow(*layout, box->settings_, &error);
    if (!box->root_) {
        platform::debugOut("message box unavailable (" + error + "): " + request.textId);
        return ui::kMessageDismissed;
    }
    box->root_->setParent(box.get());
    box->ApplySettings();
    if (auto* title = box->Find("MessageTitle"); title && !request.titleId.empty()) {
        title->SetResourceText(true);
        title->SetText(request.titleId);
    }
    if (auto* text = box->Find("MessageText"); text && !request.textId.empty()) {
        if (request.textIsId && !request.textArgs.empty()) {
            text->SetResourceText(false);
            text->SetText(ui::FillInText(LanguageText(request.textId), request.textArgs));
        } else {
            text->SetResourceText(request.textIsId);
            text->SetText(request.textId);
        }
    }
    if (auto* cancel = box->Find("cancel_btn"); cancel && request.buttons == ui::MessageButtons::Confirm) {
        cancel->SetVisible(false);
    }
    QEventLoop loop;
    MessageBoxSink sink(loop);
    MessageBoxCloseFilter closeFilter(sink);
    box->SetNotifySink(&sink);
    box->installEventFilter(&closeFilter);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowTitle(windowTitle());
    // Over the window while it shows, otherwise in the middle of the screen.
    const QPoint centre = isVisible() && !isMinimized() ? frameGeometry().center() : AvailableArea(*this).center();
    box->move(centre - QPoint(box->width() / 2, box->height() / 2));
    QTimer timer;
    if (request.timed) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&sink] { sink.Finish(ui::kMessageDismissed); });
        timer.start(kTimedMessageMs);
    }
    box->show();
    box->activateWindow();
    box->setFocus(Qt::ActiveWindowFocusReason);
    openBoxes_.push_back([&sink](int result) { sink.Finish(result); });
    loop.exec();
    openBoxes_.pop_back();
    box->removeEventFilter(&closeFilter);
    box->SetNotifySink(nullptr);
    return sink.Result();
}

std::unique_ptr<ui::Menu> SkinWindow::OpenMenu(std::string_view file, ui::Point at, ui::MenuHandler onChoice) {
    std::string error;
    auto menu = SkinMenu::Load(*context_, *this, file, std::move(onChoice), &error);
    if (!menu) {
        platform::debugOut("menu unavailable: " + error);
        return nullptr;
    }
    menu->Popup(at);
    return menu;
}

void SkinWindow::SetFileDialogResponder(ui::FileDialogResponder responder) {
    fileDialogResponder_ = std::move(responder);
}

std::optional<std::string> SkinWindow::ShowFileDialog(const ui::FileDialogRequest& request) {
    if (fileDialogResponder_) return fileDialogResponder_(request);
    QStringList filters;
    for (const auto& entry : ui::ParseFileFilter(request.filter)) {
        QStringList patterns;
        for (const auto& p : entry.patterns) patterns << ToQString(p);
        filters << ToQString(entry.description) + " (" + patterns.join(' ') + ")";
    }
    const QString filter = filters.join(";;");
    QString path;
    if (request.mode == ui::FileDialogMode::Open) {
        path = QFileDialog::getOpenFileName(this, {}, ToQString(request.defaultName), filter);
    } else {
        const QFileDialog::Options options =
            request.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
        path = QFileDialog::getSaveFileName(this, {}, ToQString(request.defaultName), filter, nullptr, options);
        if (!path.isEmpty() && !request.defaultExtension.empty() && QFileInfo(path).suffix().isEmpty()) {
            path += "." + ToQString(request.defaultExtension);
        }
    }
    if (path.isEmpty()) return std::nullopt;
    return ToStdString(path);
}

std::set<std::string> SkinWindow::TextIdsUsed() const {
    std::set<std::string> ids;
    std::vector<SkinWidget*> widgets;
    CollectControls(root_.get(), widgets);
    for (const SkinWidget* w : widgets) {
        if (w->IsResourceText() && !w->Text().empty()) ids.insert(w->Text());
    }
    return ids;
}

void SkinWindow::LoadAllImages() {
    // Painting every control once reads every image it names, at the current scale.
    QPixmap canvas(size());
    render(&canvas);
    std::vector<SkinWidget*> widgets;
    CollectControls(root_.get(), widgets);
    for (SkinWidget* w : widgets) {
        if (w->isVisibleTo(this)) continue;
        QPixmap part(w->size().expandedTo(QSize(1, 1)));
        w->render(&part);
    }
}

void SkinWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor colour = ToQColor(settings_.bkColour.value_or(0xFF101217u));
    painter.fillRect(rect(), colour);
}

void SkinWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (root_) {
        root_->setGeometry(rect());
        root_->LayoutContent();
    }
    // Offscreen rendering has no window shapes; screenshots keep square corners.
    const bool shapes = QGuiApplication::platformName() != QLatin1String("offscreen");
    if (shapes && settings_.roundCorner > 0 && !isMaximized()) {
        const qreal radius = context_->Px(settings_.roundCorner);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), radius, radius);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else if (shapes) {
        clearMask();
    }
}

bool SkinWindow::InCaption(const QPoint& point) const {
    return settings_.caption.bottom > 0 && point.y() < context_->Px(settings_.caption.bottom);
}

void SkinWindow::mousePressEvent(QMouseEvent* event) {
    // Presses that no control took end up here: in the caption band they move the window.
    if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint())) {
        event->accept();
        if (windowHandle() && windowHandle()->startSystemMove()) return;
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
        return;
    }
    QWidget::mousePressEvent(event);
}

void SkinWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void SkinWindow::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

}  // namespace corvane::widgets
