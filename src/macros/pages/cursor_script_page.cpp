#include "macros/pages/cursor_script_page.h"

#include <string_view>

#include "macros/cursor_scripts.h"
#include "macros/macro_files.h"
#include "macros/macro_list.h"
#include "macros/macro_upload.h"
#include "macros/pages/page_dialogs.h"
#include "platform/debug_out.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "profiles/profile_index.h"

namespace corvane::macros::pages {
namespace {

using device::DeviceKind;

constexpr const char* kScriptPrefix = "ms_gun_op_";
constexpr const char* kBulletPrefix = "ms_bullet_op_";
constexpr const char* kBulletNumber = "bullet_select_index";
constexpr const char* kEditArea = "cursor_edit_layout";
constexpr const char* kDelayEdit = "ms_cursor_delay_eidt";
constexpr const char* kXEdit = "ms_cursor_x_eidt";
constexpr const char* kYEdit = "ms_cursor_y_eidt";
constexpr const char* kLeftCheck = "ms_cursor_x_check";
constexpr const char* kUpCheck = "ms_cursor_y_check";

constexpr const char* kScriptFilter = "(*.cur)|*.cur||";
constexpr const char* kScriptExtensionNoDot = "cur";
constexpr const char* kMessageTooManySteps = "message_text_18";
constexpr const char* kMessageNotSent = "message_scripts_not_sent";
constexpr const char* kMessageFileFailed = "message_file_failed";

bool Selected(const ui::Notification& n) {
    auto* option = dynamic_cast<ui::Option*>(n.sender);
    return option != nullptr && option->IsSelected();
}

std::string Indexed(const char* prefix, int index) { return prefix + std::to_string(index); }

}  // namespace

CursorScriptPage::CursorScriptPage(lighting::pages::PageModel& model) : model_(model) {}

void CursorScriptPage::RegisterRoutes(ui::RouteTable& routes) {
    auto exact = [&](std::string_view type, std::string_view name, ui::RouteTable::Handler handler) {
        if (!routes.SetHandler(type, name, std::move(handler))) {
            platform::debugOut("cursor scripts: no route row for " + std::string(name));
        }
    };
    auto indexed = [&](std::string_view type, std::string_view prefix, ui::RouteTable::IndexedHandler handler) {
        if (!routes.SetIndexedHandler(type, prefix, std::move(handler))) {
            platform::debugOut("cursor scripts: no route row for " + std::string(prefix));
        }
    };
    indexed("selectchanged", kScriptPrefix, [this](int n, const ui::Notification& note) {
        if (Selected(note)) SelectScript(n);
    });
    indexed("selectchanged", kBulletPrefix, [this](int n, const ui::Notification& note) {
        if (Selected(note)) SelectBullet(n);
    });
    indexed("click", kBulletPrefix, [this](int n, const ui::Notification&) { ClickBullet(n); });
    exact("click", "bullet_selected_prev", [this](const ui::Notification&) { StepBullet(-1); });
    exact("click", "bullet_selected_next", [this](const ui::Notification&) { StepBullet(+1); });
    exact("click", "ms_bulletdate_save_btn", [this](const ui::Notification&) { Save(); });
    exact("click", "ms_bulletdate_reset_btn", [this](const ui::Notification&) { Reset(); });
    exact("click", "ms_bulletdate_import_btn", [this](const ui::Notification&) { Import(); });
    exact("click", "ms_bulletdate_export_btn", [this](const ui::Notification&) { Export(); });
    for (const char* edit : {kDelayEdit, kXEdit, kYEdit}) {
        exact("textchanged", edit, [this](const ui::Notification&) { ApplyEdits(); });
    }
    for (const char* check : {kLeftCheck, kUpCheck}) {
        exact("selectchanged", check, [this](const ui::Notification&) { ApplyEdits(); });
    }
}

void CursorScriptPage::Init() { EnsureCursorSection(); }

std::optional<std::vector<std::uint8_t>> CursorScriptPage::ReadFromMouse() {
    return ReadScriptImage(model_.Link(DeviceKind::Mouse));
}

void CursorScriptPage::ShowMouseScripts(const std::optional<std::vector<std::uint8_t>>& image) {
    if (image && !RewriteScriptFiles(*image)) platform::debugOut("cursor scripts: the mouse's image was not used");
    if (auto* first = model_.window.FindOption(Indexed(kScriptPrefix, 0))) first->SetSelected(true, false);
    SelectScript(0);
}

std::string CursorScriptPage::ScriptPath() const { return CursorScriptPath(CursorScriptName(script_)); }

void CursorScriptPage::SelectScript(int script) {
    if (script < 0 || script >= kCursorScriptCount) return;
    script_ = script;
    SelectBullet(0);
}

void CursorScriptPage::SelectBullet(int bullet) {
    if (!ValidBullet(bullet)) return;
    bullet_ = bullet;
    if (auto* option = model_.window.FindOption(Indexed(kBulletPrefix, bullet))) option->SetSelected(true, false);
    ShowBullet();
}

void CursorScriptPage::ClickBullet(int bullet) {
    auto* option = model_.window.FindOption(Indexed(kBulletPrefix, bullet));
    if (option == nullptr || !option->IsSelected() || bullet_ != bullet) return;
    // The option takes the click after this handler (and, being in a group, stays selected):
    // the selection is cleared once the click is over.
    model_.window.Post([this, bullet, alive = std::weak_ptr<int>(alive_)] {
        if (alive.expired() || bullet_ != bullet) return;
        if (auto* o = model_.window.FindOption(Indexed(kBulletPrefix, bullet))) o->SetSelected(false, false);
        ClearBullet();
    });
}

void CursorScriptPage::ClearBullet() {
    bullet_.reset();
    if (auto* area = model_.window.Find(kEditArea)) area->SetEnabled(false);
}

void CursorScriptPage::StepBullet(int delta) {
    if (!bullet_) return;
    const int next = *bullet_ + delta;
    if (ValidBullet(next)) SelectBullet(next);
}

void CursorScriptPage::ShowBullet() {
    ui::Window& w = model_.window;
    if (!bullet_) return;
    const Bullet values = ReadBullet(ScriptPath(), *bullet_);
    if (auto* number = w.Find(kBulletNumber)) number->SetText(std::to_string(*bullet_ + 1));
    if (auto* area = w.Find(kEditArea)) {
        area->SetVisible(true);
        area->SetEnabled(true);
    }
    if (auto* e = w.FindEdit(kDelayEdit)) e->SetText(std::to_string(values.delayMs));
    if (auto* e = w.FindEdit(kXEdit)) e->SetText(std::to_string(values.x));
    if (auto* e = w.FindEdit(kYEdit)) e->SetText(std::to_string(values.y));
    if (auto* c = w.FindOption(kLeftCheck)) c->SetSelected(values.left, false);
    if (auto* c = w.FindOption(kUpCheck)) c->SetSelected(values.up, false);
}

void CursorScriptPage::ApplyEdits() {
    if (!bullet_) return;
    ui::Window& w = model_.window;
    // A value above the edit's limit is cut, and the edit shows what is stored.
    auto value = [&](const char* name, int limit) {
        auto* edit = w.FindEdit(name);
        if (!edit) return 0;
        const std::string text = edit->Text();
        const int v = LimitedEditValue(text, limit);
        if (platform::ToInt(text) > limit) {
            edit->SetText(std::to_string(v));
            edit->SetCaret(static_cast<int>(std::to_string(v).size()));
        }
        return v;
    };
    auto checked = [&](const char* name) {
        auto* c = w.FindOption(name);
        return c != nullptr && c->IsSelected();
    };
    Bullet values;
    values.delayMs = static_cast<std::uint32_t>(value(kDelayEdit, kMaxBulletDelayMs));
    values.x = static_cast<std::uint8_t>(value(kXEdit, kMaxBulletOffset));
    values.left = checked(kLeftCheck);
    values.y = static_cast<std::uint8_t>(value(kYEdit, kMaxBulletOffset));
    values.up = checked(kUpCheck);
    if (!WriteBullet(ScriptPath(), *bullet_, values)) ShowMessage(kMessageFileFailed);
}

void CursorScriptPage::Save() {
    // The mouse's queue reads the files and sends the image; the UI thread waits for neither.
    model_.Queue(DeviceKind::Mouse).Submit(
        "cursor scripts",
        [](device::DeviceLink& link) {
            const bool connected = link.IsConnected();
            const auto writtenBefore = link.ReportsWritten();
            const auto readBefore = link.ReportsRead();
            int deviceResult = device::kSuccess;
            if (UploadCursorScripts(link, &deviceResult) == 0) return device::kNoAnswer;
            const auto written = link.ReportsWritten() - writtenBefore;
            const auto answered = link.ReportsRead() - readBefore;
            const bool delivered = connected && link.IsConnected() && written > 0 && answered >= written;
            return delivered ? deviceResult : device::kNoAnswer;
        },
        [this, alive = std::weak_ptr<int>(alive_)](int result) {
            if (!alive.expired() && result != device::kSuccess) ShowMessage(kMessageNotSent);
        });
}

void CursorScriptPage::Reset() {
    const std::string name = CursorScriptName(script_);
    const auto source =
        platform::ResolveCaseInsensitive(profiles::DefaultsFolder() + name + std::string(kScriptExtension));
    if (!source || !platform::CopyFile(*source, ScriptPath(), /*overwrite=*/true)) {
        ShowMessage(kMessageFileFailed);
        return;
    }
    SelectBullet(0);
}

void CursorScriptPage::Import() {
    const auto chosen = ChooseFile(model_.window, ui::FileDialogMode::Open, kScriptFilter, kScriptExtensionNoDot);
    if (!chosen) return;
    if (platform::IniFile(*chosen).ReadInt(kActionCountSection, kCountKey) > kMaxScriptSteps) {
        ShowMessage(kMessageTooManySteps);
        return;
    }
    if (!platform::CopyFile(*chosen, ScriptPath(), /*overwrite=*/true)) {
        ShowMessage(kMessageFileFailed);
        return;
    }
    ShowBullet();
}

void CursorScriptPage::Export() {
    const auto chosen = ChooseFile(model_.window, ui::FileDialogMode::Save, kScriptFilter, kScriptExtensionNoDot,
                                   CursorScriptName(script_) + std::string(kScriptExtension));
    if (!chosen) return;
    if (!platform::CopyFile(ScriptPath(), *chosen, /*overwrite=*/true)) ShowMessage(kMessageFileFailed);
}

void CursorScriptPage::ShowMessage(const char* textId) { pages::ShowMessage(model_.window, textId); }

}  // namespace corvane::macros::pages
