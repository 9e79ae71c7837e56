// The program's command line: what each option does, what is refused, and the help that lists them.

#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/version.h"

namespace corvane::shell {
namespace {

CommandLine Parse(std::vector<std::string_view> args) { return ParseCommandLine(args); }

TEST(CommandLineTest, OptionsSetTheirFields) {
    const CommandLine none = Parse({});
    EXPECT_EQ(none.action, CommandLineAction::Run);
    EXPECT_FALSE(none.options.virtualDevices);

    const CommandLine all = Parse({"--virtual-devices=/tmp/mem", "--virtual-latency-us=250", "--screenshots=/tmp/s",
                                   "--lang=cn", "--no-screenshots"});
    ASSERT_EQ(all.action, CommandLineAction::Run) << all.error;
    EXPECT_TRUE(all.options.virtualDevices);
    EXPECT_EQ(all.options.virtualMemory, std::filesystem::path("/tmp/mem"));
    EXPECT_EQ(all.options.virtualLatencyUs, 250);
    EXPECT_EQ(all.options.screenshots, std::filesystem::path("/tmp/s"));
    EXPECT_EQ(all.options.language, "cn");
    EXPECT_TRUE(all.options.noScreenshots);

    const CommandLine bare = Parse({"--virtual-devices"});
    EXPECT_TRUE(bare.options.virtualDevices);
    EXPECT_FALSE(bare.options.virtualMemory);
}

TEST(CommandLineTest, HelpAndVersionEndTheRunAndBadOptionsAreRefused) {
    struct Case {
        std::vector<std::string_view> args;
        CommandLineAction action;
    };
    const Case cases[] = {
        {{"--help"}, CommandLineAction::Help},
        {{"-h"}, CommandLineAction::Help},
        {{"--version"}, CommandLineAction::Version},
        {{"--version", "--help"}, CommandLineAction::Help},
        {{"--virtual-devices", "--version"}, CommandLineAction::Version},
        {{"--frobnicate"}, CommandLineAction::Error},
        {{"virtual-devices"}, CommandLineAction::Error},
        {{"--help=yes"}, CommandLineAction::Error},
        {{"--no-screenshots=1"}, CommandLineAction::Error},
        {{"--screenshots"}, CommandLineAction::Error},
        {{"--screenshots="}, CommandLineAction::Error},
        {{"--virtual-devices="}, CommandLineAction::Error},
        {{"--lang"}, CommandLineAction::Error},
        {{"--virtual-latency-us=fast"}, CommandLineAction::Error},
        {{"--virtual-latency-us=-5"}, CommandLineAction::Error},
        {{"--virtual-latency-us=99999999999"}, CommandLineAction::Error},
    };
    for (const Case& c : cases) {
        const CommandLine line = Parse(c.args);
        EXPECT_EQ(line.action, c.action) << c.args.front();
        if (c.action == CommandLineAction::Error) {
            EXPECT_NE(line.error.find(c.args.front()), std::string::npos);
        }
    }
}

TEST(CommandLineTest, HelpListsEveryOptionOnALineOfItsOwn) {
    std::ostringstream help;
    WriteProgramHelp(help);
    std::istringstream lines(help.str());
    std::vector<std::string> options;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) == 0) options.push_back(line.substr(2, line.find_first_of(" =[", 2) - 2));
    }
    const std::vector<std::string> expected = {"--virtual-devices", "--virtual-latency-us", "--virtual-shared-node",
                                               "--screenshots", "--no-screenshots", "--lang", "--help", "--version"};
    EXPECT_EQ(options, expected) << help.str();
    // Every listed option is one the parser takes.
    for (const std::string& option : options) {
        const std::string withValue = option == "--virtual-latency-us" ? option + "=1"
                                      : option == "--screenshots" || option == "--lang" ? option + "=x"
                                                                                         : option;
        EXPECT_NE(ParseCommandLine({withValue}).action, CommandLineAction::Error) << option;
    }

    std::ostringstream version;
    WriteProgramVersion(version);
    EXPECT_EQ(version.str(), std::string("corvane ") + platform::kVersion + "\n");
}

}  // namespace
}  // namespace corvane::shell
