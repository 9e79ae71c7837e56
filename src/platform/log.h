#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::platform {

// Leveled, categorised diagnostics for developers and bug reports. The fixed debug texts of the
// program keep going through debugOut; this is for everything else: failed operations, what a
// device was sent and answered, decisions worth knowing when something goes wrong.
//
// Without configuration, errors and warnings go to stderr. CORVANE_DEBUG=1 raises every category
// to "debug". CORVANE_LOG=<category>:<level>[,...] narrows that: the categories it names get
// their level, all others only errors. "*" names every category. Example:
//   CORVANE_LOG=kb:trace,profiles:debug
enum class LogLevel : std::uint8_t { Off, Error, Warn, Info, Debug, Trace };

// A device's own traffic (by kind) or a subsystem.
enum class LogCategory : std::uint8_t {
    Keyboard,  // "kb"
    Mouse,     // "ms"
    MousePad,  // "mp"
    Hid,       // "hid": transport below the devices' command protocol
    Workers,   // "workers"
    Profiles,  // "profiles"
    Settings,  // "settings": files written on the user's behalf
    Shell,     // "shell": window, script channel, pages
    Count,
};

std::string_view LevelName(LogLevel level);
std::string_view CategoryName(LogCategory category);

// Whether a record of this category and level goes anywhere. Cheap (two relaxed atomic loads),
// so callers test it before they build an expensive text.
bool LogEnabled(LogCategory category, LogLevel level);

// Writes one record when enabled: to stderr as "corvane: LEVEL CATEGORY: text" when the
// configuration lets it through, and to every live LogCapture whose level admits it. Any thread.
void Log(LogCategory category, LogLevel level, std::string_view text);

// Replaces the configuration with a CORVANE_LOG-style list on top of the CORVANE_DEBUG base.
// False (and nothing changed) when an entry names no known category or level.
bool ConfigureLog(std::string_view setting);

// Lowercase hexadecimal bytes separated by spaces, for raw reports.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count);

// Collects the records up to `level` while it lives (whatever stderr gets); for tests.
class LogCapture {
public:
    struct Record {
        LogCategory category;
        LogLevel level;
        std::string text;
    };

    explicit LogCapture(LogLevel level = LogLevel::Trace);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<Record> Records() const;
    // Records whose text contains `part`.
    std::size_t CountContaining(std::string_view part) const;
    void Clear();

private:
    friend void Log(LogCategory, LogLevel, std::string_view);
    void Append(LogCategory category, LogLevel level, std::string_view text);
    struct State;
    std::unique_ptr<State> state_;
    LogLevel level_;
};

}  // namespace corvane::platform
