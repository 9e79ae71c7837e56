#include "platform/log.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

namespace corvane::platform {

namespace {

constexpr std::size_t kCategoryCount = static_cast<std::size_t>(LogCategory::Count);

constexpr std::array<std::string_view, kCategoryCount> kCategoryNames{
    "kb", "ms", "mp", "hid", "workers", "profiles", "settings", "shell"};
constexpr std::array<std::string_view, 6> kLevelNames{"off", "error", "warn", "info", "debug", "trace"};

constexpr std::string_view kAllCategories = "*";
constexpr LogLevel kQuietLevel = LogLevel::Warn;     // nothing configured
constexpr LogLevel kDebugLevel = LogLevel::Debug;    // CORVANE_DEBUG=1
constexpr LogLevel kNarrowedLevel = LogLevel::Error;  // categories CORVANE_LOG leaves out

std::optional<LogLevel> ParseLevel(std::string_view text) {
    for (std::size_t i = 0; i < kLevelNames.size(); ++i) {
        if (kLevelNames[i] == text) return static_cast<LogLevel>(i);
    }
    return std::nullopt;
}

std::optional<std::size_t> ParseCategory(std::string_view text) {
    for (std::size_t i = 0; i < kCategoryNames.size(); ++i) {
        if (kCategoryNames[i] == text) return i;
    }
    return std::nullopt;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The levels a setting gives each category, or nothing when any entry is malformed.
std::optional<std::array<LogLevel, kCategoryCount>> ParseSetting(std::string_view setting, LogLevel base) {
    std::array<LogLevel, kCategoryCount> levels{};
    setting = Trim(setting);
    levels.fill(setting.empty() ? base : kNarrowedLevel);
    while (!setting.empty()) {
        const std::size_t comma = setting.find(',');
        const std::string_view entry = Trim(setting.substr(0, comma));
        setting = comma == std::string_view::npos ? std::string_view{} : setting.substr(comma + 1);
        if (entry.empty()) continue;
        const std::size_t colon = entry.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        const auto level = ParseLevel(Trim(entry.substr(colon + 1)));
        const std::string_view name = Trim(entry.substr(0, colon));
        if (!level) return std::nullopt;
        if (name == kAllCategories) {
            levels.fill(*level);
            continue;
        }
        const auto category = ParseCategory(name);
        if (!category) return std::nullopt;
        levels[*category] = *level;
    }
    return levels;
}

LogLevel BaseLevel() {
    const char* debug = std::getenv("CORVANE_DEBUG");
    return debug != nullptr && std::strcmp(debug, "1") == 0 ? kDebugLevel : kQuietLevel;
}

struct Config {
    // What stderr gets, by category.
    std::array<std::atomic<std::uint8_t>, kCategoryCount> stderrLevel{};
    // The most detailed level any live capture wants (Off without one).
    std::atomic<std::uint8_t> captureLevel{static_cast<std::uint8_t>(LogLevel::Off)};
    LogLevel base = kQuietLevel;

    Config() {
        base = BaseLevel();
        const char* setting = std::getenv("CORVANE_LOG");
        auto levels = ParseSetting(setting ? setting : "", base);
        if (!levels) {
            std::fprintf(stderr, "corvane: CORVANE_LOG is not a list of category:level; ignored\n");
            levels = ParseSetting("", base);
        }
        Apply(*levels);
    }
    void Apply(const std::array<LogLevel, kCategoryCount>& levels) {
        for (std::size_t i = 0; i < kCategoryCount; ++i) {
            stderrLevel[i].store(static_cast<std::uint8_t>(levels[i]), std::memory_order_relaxed);
        }
    }
};

Config& Cfg() {
    static Config config;
    return config;
}

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}

std::vector<LogCapture*>& Registry() {
    static std::vector<LogCapture*> captures;
    return captures;
}

std::uint8_t Raw(LogLevel level) { return static_cast<std::uint8_t>(level); }

}  // namespace

std::string_view LevelName(LogLevel level) {
    const auto i = static_cast<std::size_t>(level);
    return i < kLevelNames.size() ? kLevelNames[i] : std::string_view("?");
}

std::string_view CategoryName(LogCategory category) {
    const auto i = static_cast<std::size_t>(category);
    return i < kCategoryNames.size() ? kCategoryNames[i] : std::string_view("?");
}

bool LogEnabled(LogCategory category, LogLevel level) {
    const auto i = static_cast<std::size_t>(category);
    if (i >= kCategoryCount || level == LogLevel::Off) return false;
    const Config& config = Cfg();
    const std::uint8_t wanted = std::max(config.stderrLevel[i].load(std::memory_order_relaxed),
                                         config.captureLevel.load(std::memory_order_relaxed));
    return Raw(level) <= wanted;
}

void Log(LogCategory category, LogLevel level, std::string_view text) {
    if (!LogEnabled(category, level)) return;
    const auto i = static_cast<std::size_t>(category);
    if (Raw(level) <= Cfg().stderrLevel[i].load(std::memory_order_relaxed)) {
        const std::string_view levelName = LevelName(level);
        const std::string_view categoryName = CategoryName(category);
        // One call per record, so lines of different threads do not interleave.
        std::fprintf(stderr, "corvane: %.*s %.*s: %.*s\n", static_cast<int>(levelName.size()),
                     levelName.data(), static_cast<int>(categoryName.size()), categoryName.data(),
                     static_cast<int>(text.size()), text.data());
    }
    if (Cfg().captureLevel.load(std::memory_order_relaxed) == Raw(LogLevel::Off)) return;
    std::lock_guard lock(RegistryMutex());
    for (LogCapture* capture : Registry()) capture->Append(category, level, text);
}

bool ConfigureLog(std::string_view setting) {
    Config& config = Cfg();
    const auto levels = ParseSetting(setting, config.base);
    if (!levels) return false;
    config.Apply(*levels);
    return true;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out.push_back(' ');
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return out;
}

struct LogCapture::State {
    mutable std::mutex mutex;
    std::vector<Record> records;
};

LogCapture::LogCapture(LogLevel level) : state_(std::make_unique<State>()), level_(level) {
    std::lock_guard lock(RegistryMutex());
    Registry().push_back(this);
    Config& config = Cfg();
    if (Raw(level_) > config.captureLevel.load(std::memory_order_relaxed)) {
        config.captureLevel.store(Raw(level_), std::memory_order_relaxed);
    }
}

LogCapture::~LogCapture() {
    std::lock_guard lock(RegistryMutex());
    auto& captures = Registry();
    captures.erase(std::remove(captures.begin(), captures.end(), this), captures.end());
    std::uint8_t wanted = Raw(LogLevel::Off);
    for (const LogCapture* c : captures) wanted = std::max(wanted, Raw(c->level_));
    Cfg().captureLevel.store(wanted, std::memory_order_relaxed);
}

void LogCapture::Append(LogCategory category, LogLevel level, std::string_view text) {
    if (Raw(level) > Raw(level_)) return;
    std::lock_guard lock(state_->mutex);
    state_->records.push_back(Record{category, level, std::string(text)});
}

std::vector<LogCapture::Record> LogCapture::Records() const {
    std::lock_guard lock(state_->mutex);
    return state_->records;
}

std::size_t LogCapture::CountContaining(std::string_view part) const {
    std::lock_guard lock(state_->mutex);
    return static_cast<std::size_t>(std::count_if(state_->records.begin(), state_->records.end(),
                                                  [&](const Record& r) { return r.text.find(part) != std::string::npos; }));
}

void LogCapture::Clear() {
    std::lock_guard lock(state_->mutex);
    state_->records.clear();
}

}  // namespace corvane::platform
