#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "profiles/pages/profile_pages.h"
#include "ui/routes.h"
#include "profiles/process_watcher.h"

namespace corvane::profiles::pages {

// Linking a profile to a program: the link check, the change button and what they store, and
// the UI side of the process watchers (their choice is selected as the user would pick it).
class ProfileLinks : public WatcherHost {
public:
    // foreground: which program is in front ("unknown" shows a hint in the link panels).
    ProfileLinks(PageModel& model, ProfilePages& profiles, std::unique_ptr<platform::ForegroundProcess> foreground);

    // The process watcher of a worker index (none for other workers); it uses this page and
    // the foreground source, so they outlive it.
    workers::WorkerBody WatcherBody(workers::WorkerIndex index);

    // Fills the rows of the page's controls in the window's routing table.
    void RegisterRoutes(ui::RouteTable& routes);
    // Once the window is built: the hint where no program can be followed.
    void ShowBackendHint();

    // The link check changed state.
    void LinkProfile(ProfileFamily family);
    // The change button: another program for the selected profile.
    void LinkButton(ProfileFamily family);

    // Any thread (waits for the UI thread).
    bool ApplyWatcherChoice(ProfileFamily family, std::optional<int> linked) override;

private:
    std::optional<std::string> ChooseProgram();
    void ShowLinked(ProfileFamily family, int index, const std::string& path);
    void ClearLink(ProfileFamily family, int index);
    // UI thread.
    bool ApplyChoiceNow(ProfileFamily family, std::optional<int> linked);

    PageModel& model_;
    ProfilePages& profiles_;
    std::unique_ptr<platform::ForegroundProcess> foreground_;
};

}  // namespace corvane::profiles::pages
