#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane::ui {

// One entry of a file dialog's type list.
struct FileFilterEntry {
    std::string description;
    std::vector<std::string> patterns;  // "*.mac"
};

// Parses "description|patterns|description|patterns||" (patterns separated by ';', blanks
// around fields ignored), e.g. "(*.png) | *.png |(*.*)|*.*||". A description without patterns
// is dropped; an empty or malformed text gives an empty list.
std::vector<FileFilterEntry> ParseFileFilter(std::string_view filter);

// True when name matches one of the patterns ('*' any run, '?' one character, ignoring case).
bool MatchesFileFilter(std::string_view name, const std::vector<FileFilterEntry>& filter);

}  // namespace corvane::ui
