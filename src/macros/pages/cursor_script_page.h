#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_link.h"
#include "lighting/pages/page_model.h"
#include "macros/cursor_bullets.h"
#include "ui/routes.h"

namespace corvane::macros::pages {

// The mouse's cursor-script page: one of four scripts, one of its 30 bullets, the bullet's
// pause and offsets written to the script file as they are typed, and the four scripts sent to
// the mouse. UI thread, except ReadFromMouse.
class CursorScriptPage {
public:
    explicit CursorScriptPage(lighting::pages::PageModel& model);

    void RegisterRoutes(ui::RouteTable& routes);

    // Start-up: the mouse index's script section and the shipped scripts, when this is the
    // first run.
    void Init();
    // Mouse presence thread, with the mouse's lock held: the script image, when the mouse has one.
    std::optional<std::vector<std::uint8_t>> ReadFromMouse();
    // After ReadFromMouse: the script files are rewritten from the image (when there is one),
    // then the first script is shown.
    void ShowMouseScripts(const std::optional<std::vector<std::uint8_t>>& image);

    // "ms_gun_op_" n selected: script n, its first bullet.
    void SelectScript(int script);
    // "ms_bullet_op_" n selected (or chosen by the program): its values in the edit area.
    void SelectBullet(int bullet);
    // A click on "ms_bullet_op_" n, before the option takes it: a click on the bullet already
    // selected clears the selection and the edit area.
    void ClickBullet(int bullet);
    // "bullet_selected_prev" / "bullet_selected_next".
    void StepBullet(int delta);
    // An edit or check of the edit area changed: the bullet's three steps are rewritten.
    void ApplyEdits();
    void Save();
    void Reset();
    void Import();
    void Export();

    int Script() const { return script_; }
    std::optional<int> CurrentBullet() const { return bullet_; }
    // The current script's file.
    std::string ScriptPath() const;

private:
    void ShowBullet();
    void ClearBullet();
    void ShowMessage(const char* textId);

    lighting::pages::PageModel& model_;
    int script_ = 0;
    std::optional<int> bullet_ = 0;
    // Closures posted by the page look at this before touching it.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace corvane::macros::pages
