#include "ui/file_filter.h"

#include <cctype>

namespace corvane::ui {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

char Fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Iterative wildcard match with single backtracking point; linear in practice.
bool Wildcard(std::string_view pattern, std::string_view text) {
    std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::vector<FileFilterEntry> ParseFileFilter(std::string_view filter) {
    std::vector<FileFilterEntry> entries;
    const auto fields = Split(filter, '|');
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        FileFilterEntry entry;
        entry.description = std::string(Trim(fields[i]));
        for (auto pattern : Split(fields[i + 1], ';')) {
            pattern = Trim(pattern);
            if (!pattern.empty()) entry.patterns.emplace_back(pattern);
        }
        if (entry.description.empty() && entry.patterns.empty()) break;  // the closing "||"
        if (!entry.patterns.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

bool MatchesFileFilter(std::string_view name, const std::vector<FileFilterEntry>& filter) {
    for (const auto& entry : filter) {
        for (const auto& pattern : entry.patterns) {
            if (Wildcard(pattern, name)) return true;
        }
    }
    return false;
}

}  // namespace corvane::ui
