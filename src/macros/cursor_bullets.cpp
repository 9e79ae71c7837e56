#include "macros/cursor_bullets.h"

#include <algorithm>
#include <optional>

#include "macros/macro_action.h"
#include "macros/macro_files.h"
#include "platform/ini_file.h"

namespace corvane::macros {
namespace {

constexpr std::uint8_t kMoveX = static_cast<std::uint8_t>(ActionKind::MoveX);
constexpr std::uint8_t kMoveY = static_cast<std::uint8_t>(ActionKind::MoveY);
constexpr std::string_view kMoveLeft = "mouse_move_to_left_text";
constexpr std::string_view kMoveRight = "mouse_move_to_right_text";
constexpr std::string_view kMoveUp = "mouse_move_to_up_text";
constexpr std::string_view kMoveDown = "mouse_move_to_down_text";

// What a step the script lacks becomes when it is written: a move right by nothing.
MacroAction NeutralStep() { return MacroAction{0, 0, kMoveX, 0, 0, std::string(kMoveRight)}; }

int StepCount(const platform::IniDocument& doc) {
    return std::clamp(platform::ToInt(doc.Get(kActionCountSection, kCountKey)), 0, kMaxStepCount);
}

// The stored step j; nothing when the script does not hold it.
std::optional<MacroAction> StoredStep(const platform::IniDocument& doc, int count, int j) {
    if (j >= count) return std::nullopt;
    return parseAction(doc.Get(kActionSection, std::to_string(j)));
}

void SetMove(MacroAction& step, std::uint8_t kind, std::uint8_t distance, bool negative,
             std::string_view negativeLabel, std::string_view positiveLabel) {
    step.stepKind = static_cast<std::uint8_t>(kind | (negative ? kDownBit : 0));
    step.code = distance;
    step.down = negative ? 1 : 0;
    step.label = std::string(negative ? negativeLabel : positiveLabel);
}

}  // namespace

Bullet ReadBullet(const std::string& path, int bullet) {
    if (!ValidBullet(bullet)) return {};
    const platform::IniDocument doc = platform::IniFile(path).Load();
    const int count = StepCount(doc);
    const int first = BulletFirstStep(bullet);
    const MacroAction pause = StoredStep(doc, count, first).value_or(MacroAction{});
    const MacroAction x = StoredStep(doc, count, first + 1).value_or(MacroAction{});
    const MacroAction y = StoredStep(doc, count, first + 2).value_or(MacroAction{});
    return Bullet{DelayMs(pause), x.code, IsDown(x), y.code, IsDown(y)};
}

bool WriteBullet(const std::string& path, int bullet, const Bullet& values) {
    if (path.empty() || !ValidBullet(bullet)) return false;
    return platform::IniFile(path).Update([&](platform::IniDocument& doc) {
        const int count = StepCount(doc);
        const int first = BulletFirstStep(bullet);
        auto stored = [&](int j) { return StoredStep(doc, count, j).value_or(NeutralStep()); };
        auto put = [&](int j, const MacroAction& step) {
            doc.Set(kActionSection, std::to_string(j), formatAction(step));
        };

        MacroAction pause = stored(first);
        SetDelayMs(pause, values.delayMs);
        MacroAction x = stored(first + 1);
        SetMove(x, kMoveX, values.x, values.left, kMoveLeft, kMoveRight);
        MacroAction y = stored(first + 2);
        SetMove(y, kMoveY, values.y, values.up, kMoveUp, kMoveDown);

        for (int j = count; j < first; ++j) put(j, NeutralStep());
        put(first, pause);
        put(first + 1, x);
        put(first + 2, y);
        if (count < BulletEndStep(bullet)) {
            doc.Set(kActionCountSection, kCountKey, std::to_string(BulletEndStep(bullet)));
        }
    });
}

int LimitedEditValue(std::string_view text, int limit) { return std::clamp(platform::ToInt(text), 0, limit); }

}  // namespace corvane::macros
