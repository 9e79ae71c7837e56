#include "profiles/pages/profile_list_page.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/debug_out.h"
#include "platform/files.h"
#include "profiles/profile_file.h"
#include "profiles/profile_index.h"

namespace corvane::profiles::pages {
namespace {

using device::DeviceKind;

constexpr int kRowHeight = 25;
constexpr const char* kRowStyle = "listex_item_style";
constexpr const char* kCopySuffix = " copy";
constexpr const char* kDeleteLastText = "message_text_11";
constexpr const char* kDeleteConfirmText = "message_text_12";
constexpr const char* kDeletePairText = "message_delete_keyboard_pair";
constexpr const char* kNameMissingText = "message_text_14";
constexpr const char* kNameTakenText = "message_text_15";
constexpr const char* kOverwriteText = "profile_export_overwrite";

struct DevicePanel {
    const char* spreadButton;
    const char* panel;
};
constexpr DevicePanel kPanels[] = {{"kb_profile_fun_spread_btn", "kb_profile_fun_spead_tab"},
                                   {"ms_profile_fun_spread_btn", "ms_profile_fun_spead_tab"},
                                   {"mp_profile_fun_spread_btn", "mp_profile_fun_spead_tab"}};

// "kb_deng" -> "kb_pro_deng_<command>_btn".
std::string ButtonName(ProfileFamily family, const char* command) {
    const std::string_view id = Family(family).id;
    constexpr std::size_t kPrefix = 3;  // "kb_"
    return std::string(id.substr(0, kPrefix)) + "pro_" + std::string(id.substr(kPrefix)) + "_" + command + "_btn";
}
std::string Named(ProfileFamily family, const char* rest) { return std::string(Family(family).id) + rest; }

bool IsKeyboard(ProfileFamily family) { return Family(family).device == DeviceKind::Keyboard; }

// The lists an add or delete acts on: the keyboard's go in pairs.
std::vector<ProfileFamily> PairOf(ProfileFamily family) {
    if (IsKeyboard(family)) return {ProfileFamily::KbDeng, ProfileFamily::KbKey};
    return {family};
}

ui::FileDialogRequest ProfileDialog(ProfileFamily family, ui::FileDialogMode mode) {
    const std::string ext(Family(family).extension.substr(1));  // without the "."
    ui::FileDialogRequest request;
    request.mode = mode;
    request.filter = "(*." + ext + ") | *." + ext + " ||";
    request.defaultName = "*." + ext;
    request.defaultExtension = ext;
    return request;
}

bool AnyEntry(const ui::ItemList& list, const std::string& name, bool byUserData) {
    for (int j = 0; j < list.Count(); ++j) {
        const ui::Control* item = list.ItemAt(j);
        if (item && platform::EqualsIgnoreCase(byUserData ? item->UserData() : item->Text(), name)) return true;
    }
    return false;
}

// The list's names folded once, for a search of a free name that tries many candidates.
std::unordered_set<std::string> FoldedNames(const ui::ItemList& list, bool byUserData) {
    std::unordered_set<std::string> names;
    names.reserve(static_cast<std::size_t>(list.Count()));
    for (int j = 0; j < list.Count(); ++j) {
        if (const ui::Control* item = list.ItemAt(j)) {
            names.insert(platform::CaseFoldKey(byUserData ? item->UserData() : item->Text()));
        }
    }
    return names;
}

}  // namespace

ProfileListPage::ProfileListPage(PageModel& model, ProfilePages& profiles) : model_(model), profiles_(profiles) {}

void ProfileListPage::RegisterRoutes(ui::RouteTable& routes) {
    const std::string click = "click";
    auto on = [&](const std::string& name, std::function<void()> action) {
        routes.SetHandler(click, name, [action = std::move(action)](const ui::Notification&) { action(); });
    };
    for (ProfileFamily family : kAllFamilies) {
        on(ButtonName(family, "add"), [this, family] { AddClicked(family); });
        on(ButtonName(family, "sub"), [this, family] { DeleteClicked(family); });
        on(ButtonName(family, "copy"), [this, family] { CopyProfile(family); });
        on(ButtonName(family, "import"), [this, family] { ImportProfile(family); });
        on(ButtonName(family, "export"), [this, family] { ExportProfile(family); });
        on(ButtonName(family, "edit"), [this, family] { Toggle(Named(family, "_profile_edit")); });
        on(Named(family, "_profile_edit_save_btn"), [this, family] { RenameProfile(family); });
    }
    for (const DevicePanel& p : kPanels) {
        on(p.spreadButton, [this, panel = std::string(p.panel)] { Toggle(panel); });
    }
}

ui::ItemList* ProfileListPage::List(ProfileFamily family) const {
    return model_.window.FindCombo(Family(family).listControl);
}

void ProfileListPage::Toggle(const std::string& name) {
    if (auto* c = model_.window.Find(name)) c->SetVisible(!c->IsVisible());
}

std::optional<std::vector<std::uint8_t>> ProfileListPage::ReadForUser(ProfileFamily family, const std::string& path) {
    // A save of this profile may still wait in the writer: what is read here (and written after
    // it, by an import) must come after that save.
    model_.FlushWrites();
    std::vector<std::uint8_t> payload(Family(family).payloadSize, 0);
    const int result = path.empty() ? kProfileMissing : ReadProfileFile(path, payload);
    if (const auto message = MessageForReadResult(result)) {
        profiles_.ShowMessage(*message);
        return std::nullopt;
    }
    return payload;
}

void ProfileListPage::SpreadKeyboardLighting(const std::vector<std::uint8_t>& payload) {
    profiles_.WithBlocks(DeviceKind::Keyboard,
                         [&](const SettingBlocks& b) { LoadPayload(ProfileFamily::KbDeng, payload, b); });
}

std::vector<IndexEntry> ProfileListPage::ListedEntries(ProfileFamily family, const ui::ItemList& list) const {
    // Names as the list shows them (it was built from the index), links as the index holds them.
    const FamilyIndex index = ReadFamilyIndex(family);
    std::vector<IndexEntry> entries;
    entries.reserve(static_cast<std::size_t>(list.Count()));
    for (int j = 0; j < list.Count(); ++j) {
        IndexEntry entry{list.ItemAt(j)->UserData()};
        if (j < index.count) {
            entry.linked = index.linked[j];
            entry.program = index.programs[j];
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void ProfileListPage::AddRow(ProfileFamily family, const std::string& name) {
    if (auto* row = List(family)->AddLabelRow(name, name, kRowHeight)) row->SetAttribute("style", kRowStyle);
}

void ProfileListPage::AppendEntry(ProfileFamily family, const std::string& name) {
    auto* list = List(family);
    AddRow(family, name);
    AppendFamilyEntry(family, list->Count() - 1, name);
}

void ProfileListPage::SelectLast(ProfileFamily family) {
    if (auto* list = List(family)) profiles_.SelectInList(family, list->Count() - 1);
}

void ProfileListPage::AddClicked(ProfileFamily family) {
    // The keyboard's two lists grow together: both files first, then one write of the index
    // that names both, so an end at any moment leaves the lists in step and every name its file.
    std::vector<FamilyEntries> lists;
    std::vector<std::string> names;
    for (const ProfileFamily f : PairOf(family)) {
        auto* list = List(f);
        if (!list) return;
        const auto taken = FoldedNames(*list, /*byUserData=*/false);
        int n = 1;
        std::string name = NewProfileName(f, n);
        while (taken.contains(platform::CaseFoldKey(name))) name = NewProfileName(f, ++n);
        // The default is read first, so that a missing one leaves no entry without a file.
        const auto payload = ReadForUser(f, DefaultProfilePath(f));
        if (!payload) return;
        const std::string path = ProfilePath(f, name);
        platform::DeleteFile(path);
        if (f == ProfileFamily::KbDeng) SpreadKeyboardLighting(*payload);
        if (!WriteProfileFile(path, *payload, Family(f).device)) return;
        lists.push_back({f, ListedEntries(f, *list)});
        lists.back().entries.push_back(IndexEntry{name});
        names.push_back(std::move(name));
    }
    if (!WriteFamilyEntries(lists)) return;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const ProfileFamily f = lists[i].family;
        AddRow(f, names[i]);
        if (f == ProfileFamily::KbDeng) profiles_.RefreshCustomColours();
        SelectLast(f);
    }
}

bool ProfileListPage::ConfirmDelete(ProfileFamily family) {
    auto* list = List(family);
    if (!list) return false;
    ui::MessageBoxRequest request;
    request.textId = kDeleteConfirmText;
    request.buttons = ui::MessageButtons::ConfirmCancel;
    // The keyboard's lighting and key profiles go in pairs: the question names both.
    if (IsKeyboard(family)) {
        const int index = list->CurSel();
        auto nameIn = [&](ProfileFamily f) {
            auto* l = List(f);
            const ui::Control* item = l && index >= 0 && index < l->Count() ? l->ItemAt(index) : nullptr;
            return item ? item->Text() : std::string();
        };
        request.textId = kDeletePairText;
        request.textArgs = {nameIn(ProfileFamily::KbDeng), nameIn(ProfileFamily::KbKey)};
    }
    return model_.window.ShowMessageBox(request) == ui::kMessageConfirmed;
}

void ProfileListPage::DeleteClicked(ProfileFamily family) {
    auto* list = List(family);
    if (!list) return;
    if (list->Count() <= 1) {
        profiles_.ShowMessage(kDeleteLastText);
        return;
    }
    // Taken before the box: work queued for the window (a watcher's switch) runs while it is open.
    const auto index = profiles_.CurrentEntry(family);
    if (!index || !ConfirmDelete(family)) return;
    DeleteProfile(family, *index);
}

void ProfileListPage::DeleteProfile(ProfileFamily family, int index) {
    // The keyboard's pair loses entry index in both lists, in one write of the index.
    std::vector<FamilyEntries> lists;
    std::vector<std::string> paths;
    for (const ProfileFamily f : PairOf(family)) {
        auto* list = List(f);
        // The other keyboard list may be shorter after a copy; it never loses its last entry.
        if (!list || index < 0 || index >= list->Count() || list->Count() <= 1) continue;
        // Entries behind the deleted one move up with their links.
        auto entries = ListedEntries(f, *list);
        entries.erase(entries.begin() + index);
        lists.push_back({f, std::move(entries)});
        paths.push_back(ProfilePath(f, list->ItemAt(index)->UserData()));
    }
    // The files only once no entry names them: an end at any moment leaves an index whose every
    // name has its file.
    if (lists.empty() || !WriteFamilyEntries(lists)) return;
    for (const std::string& path : paths) platform::DeleteFile(path);
    for (const FamilyEntries& list : lists) {
        List(list.family)->RemoveAt(index);
        SelectLast(list.family);
    }
}

void ProfileListPage::CopyProfile(ProfileFamily family) {
    auto* list = List(family);
    const auto index = profiles_.CurrentEntry(family);
    if (!list || !index) return;
    const std::string source = list->ItemAt(*index)->UserData();
    std::string name = source + kCopySuffix;
    const auto taken = FoldedNames(*list, /*byUserData=*/true);
    while (taken.contains(platform::CaseFoldKey(name))) {
        name += kCopySuffix;
        platform::debugOut(name);
    }
    const auto payload = ReadForUser(family, ProfilePath(family, source));
    if (!payload) return;
    if (family == ProfileFamily::KbDeng) SpreadKeyboardLighting(*payload);
    // A name grown past the file system's limit gets no entry without a file.
    if (!WriteProfileFile(ProfilePath(family, name), *payload, Family(family).device)) return;
    AppendEntry(family, name);
    SelectLast(family);
}

void ProfileListPage::RenameProfile(ProfileFamily family) {
    auto* list = List(family);
    auto* edit = model_.window.Find(Family(family).nameEditControl);
    if (!list || !edit) return;
    const std::string name = edit->Text();
    if (!IsUsableProfileName(family, name)) {
        profiles_.ShowMessage(kNameMissingText);
        return;
    }
    const auto current = profiles_.CurrentEntry(family);
    if (!current) return;
    const int index = *current;
    if (AnyEntry(*list, name, /*byUserData=*/false)) {
        profiles_.ShowMessage(kNameTakenText);
        return;
    }
    const std::string oldPath = ProfilePath(family, list->ItemAt(index)->UserData());
    const auto payload = ReadForUser(family, oldPath);
    if (!payload) return;
    // The index names the new file only once it exists, so a failed write loses nothing.
    if (!WriteProfileFile(ProfilePath(family, name), *payload, Family(family).device)) return;
    if (!RenameFamilyEntry(family, index, list->Count(), name)) return;  // the old file stays named
    platform::DeleteFile(oldPath);
    ui::Control* item = list->ItemAt(index);
    item->SetText(name);
    item->SetUserData(name);
    edit->SetText(name);
    list->NeedUpdate();
}

void ProfileListPage::ImportProfile(ProfileFamily family) {
    auto* list = List(family);
    const auto current = profiles_.CurrentEntry(family);
    if (!list || !current) return;
    const int index = *current;
    const std::string target = ProfilePath(family, list->ItemAt(index)->UserData());
    const auto chosen = model_.window.ShowFileDialog(ProfileDialog(family, ui::FileDialogMode::Open));
    if (!chosen) return;
    const auto payload = ReadForUser(family, *chosen);
    if (!payload) return;
    // The header is written anew: the imported file's device kind is not looked at.
    WriteProfileFile(target, *payload, Family(family).device);
    if (family == ProfileFamily::KbDeng) profiles_.RefreshCustomColours();
    // Loaded and applied again, as if the user had picked the entry.
    if (list->CurSel() == index) {
        profiles_.SelectProfile(family);
    } else {
        profiles_.SelectInList(family, index);
    }
}

void ProfileListPage::ExportProfile(ProfileFamily family) {
    auto* list = List(family);
    const auto index = profiles_.CurrentEntry(family);
    if (!list || !index) return;
    const std::string source = ProfilePath(family, list->ItemAt(*index)->UserData());
    ui::FileDialogRequest request = ProfileDialog(family, ui::FileDialogMode::Save);
    request.confirmOverwrite = false;  // asked below, in the program's own box
    const auto chosen = model_.window.ShowFileDialog(request);
    if (!chosen) return;
    if (platform::FileExists(*chosen)) {
        ui::MessageBoxRequest ask;
        ask.textId = kOverwriteText;
        ask.buttons = ui::MessageButtons::ConfirmCancel;
        if (model_.window.ShowMessageBox(ask) != ui::kMessageConfirmed) return;
    }
    const auto payload = ReadForUser(family, source);
    if (!payload) return;
    WriteProfileFile(*chosen, *payload, Family(family).device);
}

}  // namespace corvane::profiles::pages
