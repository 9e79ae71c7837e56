#include "shell/skin_frame.h"

#include "platform/debug_out.h"
#include "profiles/skin_setting.h"
#include "widgets/skin_window.h"
#include "ui/skin_change.h"

namespace corvane::shell {
namespace {

constexpr const char* kLayoutId = "XML_SKIN";
constexpr int kDefaultDpi = 96;
constexpr const char* kOwnPictureFilter = "(*.png) | *.png |(*.*)|*.*||";

void Broadcast(ui::SkinChangedParam param) { ui::SkinChangeSubject::Instance().Broadcast(param); }

void Store(bool stored, const char* what) {
    if (!stored) platform::debugOut(std::string("main.ini: background not stored (") + what + ")");
}

}  // namespace

std::unique_ptr<CSkinFrame> CSkinFrame::Open(widgets::SkinWindow& main, widgets::SkinWidget& owner) {
    std::string error;
    auto window = widgets::SkinWindow::Load(main.Context().SkinDir(), kLayoutId, &error);
    if (!window) {
        platform::debugOut("skin picker unavailable: " + error);
        return nullptr;
    }
    window->SetLanguage(main.Language());
    window->SetDpi(static_cast<int>(main.Context().Zoom() * kDefaultDpi + 0.5));
    window->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    // Below the owner, its right edge on the owner's.
    const QPoint ownerCorner = owner.mapToGlobal(QPoint(owner.width(), owner.height()));
    window->move(ownerCorner - QPoint(window->width(), 0));
    std::unique_ptr<CSkinFrame> frame(new CSkinFrame(main, std::move(window)));
    frame->window_->Launch(/*show=*/true);
    return frame;
}

CSkinFrame::CSkinFrame(widgets::SkinWindow& main, std::unique_ptr<widgets::SkinWindow> window) : main_(main), window_(std::move(window)) {
    window_->SetNotifySink(this);
}

CSkinFrame::~CSkinFrame() {
    window_->SetNotifySink(nullptr);
    window_->hide();
}

bool CSkinFrame::IsOpen() const { return window_->isVisible(); }

void CSkinFrame::Notify(const ui::Notification& n) {
    if (n.type != "click" || n.sender == nullptr) return;
    const std::string name = n.sender->Name();
    if (ui::EqualsIgnoreCase(name, "skin_image_btn")) {
        const std::string image = n.sender->UserData();
        Broadcast({false, 0, image});
        Store(profiles::WriteSkinImage(image), "image");
    } else if (ui::EqualsIgnoreCase(name, "skin_color_btn")) {
        Broadcast({true, n.sender->BkColour(), {}});
    } else if (ui::EqualsIgnoreCase(name, "skin_color") || ui::EqualsIgnoreCase(name, "skin_image")) {
        if (auto* tab = window_->FindTab("skin_tab")) tab->SelectPage(ui::EqualsIgnoreCase(name, "skin_color") ? 1 : 0);
    } else if (ui::EqualsIgnoreCase(name, "skin_reset")) {
        Broadcast({false, 0, std::string(profiles::kDefaultBackgroundImage)});
        Store(profiles::ResetSkinImage(), "reset");
    } else if (ui::EqualsIgnoreCase(name, "skin_Custom")) {
        ChooseOwnPicture();
    }
}

void CSkinFrame::ChooseOwnPicture() {
    // The dialog takes the focus, which closes the picker; it runs from the main window's queue
    // so that nothing of the picker is needed once it returns.
    window_->hide();
    widgets::SkinWindow& main = main_;
    main.Post([&main] {
        ui::FileDialogRequest request;
        request.mode = ui::FileDialogMode::Open;
        request.filter = kOwnPictureFilter;
        request.defaultName = "*.png";
        request.defaultExtension = "png";
        if (auto path = main.ShowFileDialog(request)) Broadcast({false, 0, *path});
    });
}

}  // namespace corvane::shell
