#include "shell/command_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ostream>

#include "platform/version.h"

namespace corvane::shell {

namespace {

enum class ValueKind {
    None,      // --flag
    Optional,  // --flag or --flag=VALUE
    Required,  // --flag=VALUE
};

struct OptionRow {
    std::string_view flag;
    ValueKind value;
    std::string_view valueName;
    std::string_view summary;
    // Applies the value (empty for None, or for Optional without one); false when it is bad.
    bool (*apply)(CommandLine& line, std::string_view value);
};

bool SetLatency(CommandLine& line, std::string_view v) {
    int us = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), us);
    if (ec != std::errc{} || end != v.data() + v.size() || us < 0) return false;
    line.options.virtualLatencyUs = us;
    return true;
}

constexpr std::array kOptions = {
    OptionRow{"--virtual-devices", ValueKind::Optional, "DIR",
              "run on the built-in virtual devices; DIR keeps their memory between runs",
              [](CommandLine& l, std::string_view v) {
                  l.options.virtualDevices = true;
                  if (!v.empty()) l.options.virtualMemory = std::filesystem::path(v);
                  return true;
              }},
    OptionRow{"--virtual-latency-us", ValueKind::Required, "N",
              "make each virtual device answer N microseconds late", SetLatency},
    OptionRow{"--virtual-shared-node", ValueKind::None, "",
              "one node per virtual device for both collections, as hidraw has",
              [](CommandLine& l, std::string_view) {
                  l.options.virtualSharedNode = true;
                  return true;
              }},
    OptionRow{"--screenshots", ValueKind::Required, "DIR",
              "render offscreen, write each device page to DIR as PNG once read, then end",
              [](CommandLine& l, std::string_view v) {
                  l.options.screenshots = std::filesystem::path(v);
                  return true;
              }},
    OptionRow{"--no-screenshots", ValueKind::None, "",
              "without a display, keep running offscreen (for corvane-ctl) instead",
              [](CommandLine& l, std::string_view) {
                  l.options.noScreenshots = true;
                  return true;
              }},
    OptionRow{"--lang", ValueKind::Required, "ID",
              "the language of the window's texts: en or cn (the skin's lan_ID.xml)",
              [](CommandLine& l, std::string_view v) {
                  l.options.language = std::string(v);
                  return true;
              }},
    OptionRow{"--help", ValueKind::None, "", "print this help and end",
              [](CommandLine& l, std::string_view) {
                  l.action = CommandLineAction::Help;
                  return true;
              }},
    OptionRow{"--version", ValueKind::None, "", "print the version and end",
              [](CommandLine& l, std::string_view) {
                  if (l.action != CommandLineAction::Help) l.action = CommandLineAction::Version;
                  return true;
              }},
};

std::string OptionForm(const OptionRow& row) {
    std::string form(row.flag);
    if (row.value == ValueKind::Optional) form.append("[=").append(row.valueName).append("]");
    if (row.value == ValueKind::Required) form.append("=").append(row.valueName);
    return form;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string_view>& args) {
    CommandLine line;
    for (const std::string_view word : args) {
        const std::string_view arg = word == "-h" ? std::string_view("--help") : word;
        const std::string_view flag = arg.substr(0, arg.find('='));
        const bool hasValue = flag.size() < arg.size();
        const std::string_view value = hasValue ? arg.substr(flag.size() + 1) : std::string_view{};
        const auto row = std::find_if(kOptions.begin(), kOptions.end(),
                                      [&](const OptionRow& r) { return r.flag == flag; });
        bool valueFits = false;
        if (row != kOptions.end()) {
            valueFits = row->value == ValueKind::None       ? !hasValue
                        : row->value == ValueKind::Required ? hasValue && !value.empty()
                                                            : !hasValue || !value.empty();
        }
        if (!valueFits || !row->apply(line, value)) {
            line.action = CommandLineAction::Error;
            line.error = "bad option: " + std::string(word);
            return line;
        }
    }
    return line;
}

void WriteProgramHelp(std::ostream& out) {
    out << "usage: corvane [OPTION...]\n"
           "\n"
           "Configures the keyboard, mouse and mouse pad over USB HID. Without a display it renders\n"
           "offscreen.\n"
           "\n"
           "Options:\n";
    std::size_t width = 0;
    for (const OptionRow& row : kOptions) width = std::max(width, OptionForm(row).size());
    for (const OptionRow& row : kOptions) {
        const std::string form = OptionForm(row);
        out << "  " << form << std::string(width - form.size() + 2, ' ') << row.summary << '\n';
    }
}

void WriteProgramVersion(std::ostream& out) { out << "corvane " << platform::kVersion << '\n'; }

}  // namespace corvane::shell
