#include "macros/cursor_scripts.h"

#include <array>
#include <string_view>

#include "keys/key_code_tables.h"
#include "macros/macro_files.h"
#include "macros/macro_image.h"
#include "platform/bytes.h"

namespace corvane::macros {
namespace {

struct ButtonLabel {
    std::uint8_t bit;
    std::string_view id;
};
constexpr std::array<ButtonLabel, 5> kButtonLabels{{
    {0x01, "mouse_key_left"},
    {0x02, "mouse_key_right"},
    {0x04, "mouse_key_middle"},
    {0x08, "mouse_key_back"},
    {0x10, "mouse_key_forward"},
}};

constexpr std::string_view kMoveLeft = "mouse_move_to_left_text";
constexpr std::string_view kMoveRight = "mouse_move_to_right_text";
constexpr std::string_view kMoveUp = "mouse_move_to_up_text";
constexpr std::string_view kMoveDown = "mouse_move_to_down_text";

// A key row of the key table: a usage alone, or a modifier bit alone.
std::string_view KeyLabel(std::uint8_t code, bool modifier) {
    for (std::size_t i = 0; i < keys::VirtualKeyTable.size(); ++i) {
        const keys::KeyCodeRow& row = keys::VirtualKeyTable[i];
        if (row.kind != keys::FunctionKind::KeyboardKeyFunction) continue;
        const bool match = modifier ? (row.param1 == code && row.param2 == 0)
                                    : (row.param1 == 0 && row.param2 == code);
        if (match && code != 0) return keys::KeyNames[i];
    }
    return kUnknownStepLabel;
}

}  // namespace

std::string StepLabel(const MacroAction& step) {
    switch (static_cast<ActionKind>(KindBits(step))) {
        case ActionKind::MouseButton:
            for (const ButtonLabel& b : kButtonLabels) {
                if (b.bit == step.code) return std::string(b.id);
            }
            return std::string(kUnknownStepLabel);
        case ActionKind::MoveX: return std::string(IsDown(step) ? kMoveLeft : kMoveRight);
        case ActionKind::MoveY: return std::string(IsDown(step) ? kMoveUp : kMoveDown);
        case ActionKind::Key: return std::string(KeyLabel(step.code, false));
        case ActionKind::ModifierKey: return std::string(KeyLabel(step.code, true));
    }
    return std::string(kUnknownStepLabel);
}

std::optional<std::vector<std::uint8_t>> ReadScriptImage(device::DeviceLink& link) {
    // The reads below decide: a refused setting mode shows up as a failed read (logged).
    (void)link.EnterSettingMode();
    std::optional<std::vector<std::uint8_t>> result;
    std::vector<std::uint8_t> header(kImageHeaderSize, 0);
    if (link.ReadScriptData(header) == device::kSuccess &&
        platform::LoadLe16(header, kImageMagicOffset) == kImageMagic) {
        const std::size_t size = platform::LoadLe16(header, kImageSizeOffset);
        if (size >= kImageHeaderSize) {
            std::vector<std::uint8_t> image(size, 0);
            if (link.ReadScriptData(image) == device::kSuccess) result = std::move(image);
        }
    }
    // Never leave the mouse in setting mode, whatever stopped the read; the image is read or not
    // whatever this answer is (a failure is logged).
    (void)link.ExitSettingMode();
    return result;
}

bool RewriteScriptFiles(std::span<const std::uint8_t> image) {
    const auto records = ParseImage(image);
    if (!records) return false;
    const platform::IniDocument index = MacroIndexFile(device::DeviceKind::Mouse).Load();
    for (std::size_t i = 0; i < records->size(); ++i) {
        // Only scripts the index names: a record without a name has no file to go to.
        const auto name = index.Find(kCursorNameSection, std::to_string(i));
        if (!name) continue;
        const std::string path = CursorScriptPath(*name);
        if (path.empty()) continue;
        std::vector<MacroAction> steps = (*records)[i];
        for (MacroAction& step : steps) step.label = StepLabel(step);
        // The file is replaced whole (in one step): no keys of an older, longer script remain.
        ReplaceSteps(path, steps);
    }
    return true;
}

bool ReadScriptsFromMouse(device::DeviceLink& link) {
    const auto image = ReadScriptImage(link);
    return image && RewriteScriptFiles(*image);
}

}  // namespace corvane::macros
