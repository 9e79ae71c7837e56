#pragma once

// The program's command line: one table of options that both the parser and --help read.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::shell {

struct ProgramOptions {
    bool virtualDevices = false;
    std::optional<std::filesystem::path> virtualMemory;
    std::optional<std::filesystem::path> screenshots;
    bool noScreenshots = false;
    std::string language;
    int virtualLatencyUs = 0;
    bool virtualSharedNode = false;
};

enum class CommandLineAction { Run, Help, Version, Error };

struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    ProgramOptions options;
    std::string error;  // what was wrong, for Error
};

// args without the program name.
CommandLine ParseCommandLine(const std::vector<std::string_view>& args);

// corvane --help: the usage line and every option with one line each.
void WriteProgramHelp(std::ostream& out);
// corvane --version: "corvane VERSION".
void WriteProgramVersion(std::ostream& out);

}  // namespace corvane::shell
