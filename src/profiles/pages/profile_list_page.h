#pragma once

#include <string>
#include <vector>

#include "profiles/pages/profile_pages.h"
#include "profiles/profile_index.h"
#include "ui/routes.h"

namespace corvane::profiles::pages {

// The buttons beside each profile list: new, delete, copy, rename, import and export, and the
// panels they sit in. Every operation keeps the list, the index file and the profile files in
// step and ends by selecting a profile (or tells the user why it did not happen). UI thread.
class ProfileListPage {
public:
    ProfileListPage(PageModel& model, ProfilePages& profiles);

    // Fills the rows of the page's controls in the window's routing table.
    void RegisterRoutes(ui::RouteTable& routes);

    // The keyboard's add and delete act on both keyboard lists.
    void AddClicked(ProfileFamily family);
    void DeleteClicked(ProfileFamily family);

    // Entry index of the family (with the keyboard: of both its lists).
    void DeleteProfile(ProfileFamily family, int index);
    void CopyProfile(ProfileFamily family);
    void RenameProfile(ProfileFamily family);
    void ImportProfile(ProfileFamily family);
    void ExportProfile(ProfileFamily family);

private:
    ui::ItemList* List(ProfileFamily family) const;
    void Toggle(const std::string& name);
    // The profile's file read at the family's size; the user is told when it cannot be.
    std::optional<std::vector<std::uint8_t>> ReadForUser(ProfileFamily family, const std::string& path);
    void SpreadKeyboardLighting(const std::vector<std::uint8_t>& payload);
    // A row of the family's list, at its end.
    void AddRow(ProfileFamily family, const std::string& name);
    void AppendEntry(ProfileFamily family, const std::string& name);
    // The list's entries with the links the index holds for them.
    std::vector<IndexEntry> ListedEntries(ProfileFamily family, const ui::ItemList& list) const;
    void SelectLast(ProfileFamily family);
    bool ConfirmDelete(ProfileFamily family);

    PageModel& model_;
    ProfilePages& profiles_;
};

}  // namespace corvane::profiles::pages
