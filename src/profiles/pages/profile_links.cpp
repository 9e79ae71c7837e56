#include "profiles/pages/profile_links.h"

#include "platform/files.h"
#include "profiles/profile_index.h"

namespace corvane::profiles::pages {
namespace {

constexpr const char* kAlreadyLinkedText = "message_text_13";
constexpr const char* kNoFollowText = "ui_link_unavailable";
constexpr const char* kNoFollowTip = "ui_link_unavailable_tip";
constexpr const char* kUnknownBackend = "unknown";
// Programs are chosen among all files, starting where most of them live.
constexpr const char* kProgramFilter = "(*) | *||";
constexpr const char* kProgramFolder = "/usr/bin/";

std::string Named(ProfileFamily family, const char* rest) { return std::string(Family(family).id) + rest; }

}  // namespace

ProfileLinks::ProfileLinks(PageModel& model, ProfilePages& profiles,
                           std::unique_ptr<platform::ForegroundProcess> foreground)
    : model_(model), profiles_(profiles), foreground_(std::move(foreground)) {
    if (!foreground_) foreground_ = platform::MakeUnknownForeground();
}

workers::WorkerBody ProfileLinks::WatcherBody(workers::WorkerIndex index) {
    const auto family = WatcherFamily(index);
    if (!family) return nullptr;
    return [this, family = *family](workers::WorkerContext& context) {
        RunProcessWatcher(family, *foreground_, *this, context);
    };
}

void ProfileLinks::RegisterRoutes(ui::RouteTable& routes) {
    for (ProfileFamily family : kAllFamilies) {
        routes.SetHandler("selectchanged", Named(family, "_profile_link_check"),
                          [this, family](const ui::Notification&) { LinkProfile(family); });
        routes.SetHandler("click", Named(family, "_profile_link_btn"),
                          [this, family](const ui::Notification&) { LinkButton(family); });
    }
}

void ProfileLinks::ShowBackendHint() {
    if (foreground_->Backend() != kUnknownBackend) return;
    const std::string tip = model_.window.LanguageText(kNoFollowTip);
    for (ProfileFamily family : kAllFamilies) {
        if (auto* check = model_.window.Find(Named(family, "_profile_link_check"))) {
            check->SetResourceText(true);
            check->SetText(kNoFollowText);
            check->SetToolTip(tip);
        }
    }
}

std::optional<std::string> ProfileLinks::ChooseProgram() {
    ui::FileDialogRequest request;
    request.mode = ui::FileDialogMode::Open;
    request.filter = kProgramFilter;
    request.defaultName = kProgramFolder;
    return model_.window.ShowFileDialog(request);
}

void ProfileLinks::ShowLinked(ProfileFamily family, int index, const std::string& path) {
    const auto file = ProgramFileName(path);
    if (!file) return;
    if (auto* edit = model_.window.Find(Named(family, "_profile_link_edit"))) edit->SetText(*file);
    WriteFamilyLink(family, index, true, path);
    if (auto* check = model_.window.FindOption(Named(family, "_profile_link_check"))) check->SetSelected(true, false);
    if (auto* shown = model_.window.Find(Named(family, "_profile_link_name_hor"))) shown->SetVisible(true);
}

void ProfileLinks::ClearLink(ProfileFamily family, int index) {
    if (auto* check = model_.window.FindOption(Named(family, "_profile_link_check"))) check->SetSelected(false, false);
    if (auto* edit = model_.window.Find(Named(family, "_profile_link_edit"))) edit->SetText(std::string(kNotLinkedProgram));
    if (auto* shown = model_.window.Find(Named(family, "_profile_link_name_hor"))) shown->SetVisible(false);
    if (index < 0) return;
    WriteFamilyLink(family, index, false, kNotLinkedProgram);
}

void ProfileLinks::LinkProfile(ProfileFamily family) {
    auto* list = model_.window.FindCombo(Family(family).listControl);
    auto* check = model_.window.FindOption(Named(family, "_profile_link_check"));
    if (!list || !check) return;
    if (!check->IsSelected()) {
        ClearLink(family, list->CurSel());
        return;
    }
    // No chooser for a link that could not be stored: with no profile picked, say so instead.
    const auto current = profiles_.CurrentEntry(family);
    if (!current) {
        ClearLink(family, -1);
        return;
    }
    const int index = *current;
    const auto path = ChooseProgram();
    if (!path) {
        ClearLink(family, index);
        return;
    }
    const FamilyIndex links = ReadFamilyIndex(family);
    for (int j = 0; j < links.count; ++j) {
        if (links.linked[j] && platform::EqualsIgnoreCase(links.programs[j], *path)) {
            profiles_.ShowMessage(kAlreadyLinkedText);
            ClearLink(family, index);
            return;
        }
    }
    if (!ProgramFileName(*path)) {
        ClearLink(family, index);
        return;
    }
    ShowLinked(family, index, *path);
}

void ProfileLinks::LinkButton(ProfileFamily family) {
    const auto current = profiles_.CurrentEntry(family);
    if (!current) return;
    const int index = *current;
    const auto path = ChooseProgram();
    // No check for another profile linked to the same program here: the watcher takes the first.
    if (path) ShowLinked(family, index, *path);
}

bool ProfileLinks::ApplyWatcherChoice(ProfileFamily family, std::optional<int> linked) {
    bool listFound = true;
    const bool ran = model_.window.Send([&] { listFound = ApplyChoiceNow(family, linked); });
    return ran && listFound;
}

bool ProfileLinks::ApplyChoiceNow(ProfileFamily family, std::optional<int> linked) {
    auto* list = model_.window.FindCombo(Family(family).listControl);
    if (!list) return false;
    // Read here rather than on the watcher's thread, so a pick the user just made is the one kept.
    const int saved = ReadSelect(family);
    // Before a device's arrival has selected its saved profile, its arrival will: the settings
    // found in the device are not to be replaced by the stored ones first.
    const bool arrivalSelects = family != ProfileFamily::MsKey && family != ProfileFamily::MsDeng;
    if (!linked && arrivalSelects && list->CurSel() < 0 && model_.Link(Family(family).device).IsConnected()) {
        return true;
    }
    const int target = linked.value_or(saved);
    if (target == list->CurSel() || target < 0 || target >= list->Count()) return true;
    profiles_.SelectInList(family, target);
    // The switch is the watcher's, not the user's choice.
    WriteSelect(family, saved);
    return true;
}

}  // namespace corvane::profiles::pages
