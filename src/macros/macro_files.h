#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "device/device_kind.h"
#include "macros/macro_action.h"
#include "macros/macro_image.h"
#include "platform/ini_file.h"

namespace corvane::macros {

// Sections and keys of the macro index file and the macro (and cursor script) files.
inline constexpr std::string_view kMacroCountSection = "MACROCOUNT";
inline constexpr std::string_view kMacroNameSection = "MACRONAME";
inline constexpr std::string_view kCursorCountSection = "CURSORCOUNT";
inline constexpr std::string_view kCursorNameSection = "CURSORNAME";
inline constexpr std::string_view kActionCountSection = "MACROACTIONCOUNT";
inline constexpr std::string_view kActionSection = "MACROACTION";
inline constexpr std::string_view kCountKey = "count";

inline constexpr std::string_view kMacroExtension = ".mac";
inline constexpr std::string_view kScriptExtension = ".cur";
inline constexpr int kCursorScriptCount = 4;
inline constexpr int kMaxMacros = 50;
// Counts read from files are limited to what the program can hold: a macro's steps to what one
// record of the largest device image (its size is a 16-bit field) can take, index counts to the
// number of macros or cursor scripts there can be. Entries beyond are treated as absent.
inline constexpr int kMaxStepCount = static_cast<int>(
    (kMaxImageSize - kImageHeaderSize - kImageOffsetEntrySize - kRecordHeaderSize) / kStepBytes);
inline constexpr int kMaxIndexCount = kMaxMacros;

// Folder of the device's macros (keyboard or mouse), ending in "/"; empty for the pad.
std::string MacroFolder(device::DeviceKind kind);
// "kbMacro.ini" / "msMacro.ini" in that folder.
platform::IniFile MacroIndexFile(device::DeviceKind kind);
// Folder + name + ".mac"; empty when the name cannot be a file name.
std::string MacroFilePath(device::DeviceKind kind, std::string_view name);
// "name_1" .. "name_4": the cursor scripts' fixed names (index 0..3).
std::string CursorScriptName(int index);
// Mouse folder + name + ".cur"; empty when the name cannot be a file name.
std::string CursorScriptPath(std::string_view name);

// A macro file's step count (0 for a missing file, a negative or unreadable count).
int ReadStepCount(const std::string& path);
// All steps in order. A line that is not a step reads as an all-zero step, so the count stays.
std::vector<MacroAction> ReadSteps(const std::string& path);
// Count and every step line, in one atomic write. Keys past the new count stay in the file.
bool WriteSteps(const std::string& path, const std::vector<MacroAction>& steps);
// The file replaced whole by one holding just these steps.
bool ReplaceSteps(const std::string& path, const std::vector<MacroAction>& steps);

}  // namespace corvane::macros
