// corvane-ctl: drives the running program from scripts.
//
//   corvane-ctl COMMAND [ARGS...]    one command, its words joined by spaces
//   corvane-ctl -                    one command per line of standard input
//   corvane-ctl --help | --version
//
// Each reply is printed as a line. Exit status: 0 when every command succeeded, 1 at the first
// error reply, 2 when no instance runs (or it stopped answering).

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "ctl/ctl_help.h"
#include "ctl/ctl_session.h"

int main(int argc, char** argv) {
    using namespace corvane::ctl;
    if (argc < 2) {
        std::fprintf(stderr, "usage: corvane-ctl COMMAND [ARGS...] | corvane-ctl - (see corvane-ctl --help)\n");
        return kExitErrorReply;
    }
    const std::string_view first = argv[1];
    if (argc == 2 && (first == "--help" || first == "-h")) {
        WriteHelp(std::cout);
        return kExitOk;
    }
    if (argc == 2 && first == "--version") {
        WriteVersion(std::cout);
        return kExitOk;
    }
    if (argc == 2 && first == "-") return RunCommandStream(std::cin, std::cout, std::cerr);
    std::string command;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) command.push_back(' ');
        command += argv[i];
    }
    return RunCommands({command}, std::cout, std::cerr);
}
