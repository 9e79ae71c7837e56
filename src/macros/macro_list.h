#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "macros/macro_action.h"

namespace corvane::macros {

// The ordered macros of the keyboard or the mouse. A macro's macroNumber is its position here,
// in the index file, in the device image and in the key entries that play it. Every operation
// writes the index file at once; the page shows the messages and asks the questions.
class MacroList {
public:
    explicit MacroList(device::DeviceKind kind) : kind_(kind) {}

    device::DeviceKind kind() const { return kind_; }
    const std::vector<std::string>& names() const { return names_; }
    std::size_t size() const { return names_.size(); }
    std::optional<int> macroNumber(std::string_view name) const;  // any spelling

    // Reads the list from the index file. For the mouse the cursor-script section is created
    // first when missing, and the default scripts are copied in without overwriting any.
    void Load();

    // "name_k" for the first k from n + 1 that no macro uses (any spelling); appended and
    // recorded in the index. Nothing when the list holds kMaxMacros already ("message_text_17").
    std::optional<std::string> NewMacro();

    std::vector<MacroAction> LoadSteps(int number) const;
    // Records the index count and last name, then writes the macro's file.
    bool SaveSteps(int number, const std::vector<MacroAction>& steps);

    enum class RenameResult { Renamed, Unchanged, NameTaken, Failed };
    // Stores `steps` under the old name, moves the file and renames the index entry. When the
    // move fails (a name the file system refuses, or a file of that name present) the old name,
    // file and index entry stay.
    RenameResult Rename(int number, std::string_view newName,
                        const std::vector<MacroAction>& steps);

    // Deletes macro `number`: repairs the key banks (entries playing it get their factory
    // entry back, those playing a later macro move down by one), deletes its file and rewrites
    // the index. `entryCount` key entries of every bank are looked at.
    bool Delete(int number, device::KeyBanksImage& banks, const device::KeyTableImage& defaults,
                std::size_t entryCount);

    // Byte-for-byte copies between the macro's file and a file the user chose.
    bool Import(int number, const std::string& source) const;
    bool Export(int number, const std::string& destination) const;

private:
    bool Valid(int number) const {
        return number >= 0 && static_cast<std::size_t>(number) < names_.size();
    }
    void WriteIndexTail() const;
    bool RewriteIndex() const;

    device::DeviceKind kind_;
    std::vector<std::string> names_;
};

// Whether any of the first `entryCount` entries of the five banks plays macro `number`.
bool MacroInUse(const device::KeyBanksImage& banks, std::size_t entryCount, int number);

// The key entries to look at when a macro is deleted: every entry of a keyboard bank (the
// device's key count, or the whole bank before the keyboard has reported it), 42 for the mouse.
std::size_t MacroKeyEntryCount(device::DeviceKind kind, const device::DeviceInfoBlock& info);

// Creates the mouse index's cursor section when "CURSORCOUNT"/"count" reads 0 and copies the
// shipped scripts into the mouse folder, keeping any that are there.
void EnsureCursorSection();

}  // namespace corvane::macros
