#pragma once

#include <iosfwd>

namespace corvane::ctl {

// corvane-ctl --help: how to call it, every command of the running program with its arguments
// (one line each, from the table the program's dispatcher reads), the replies and exit statuses.
void WriteHelp(std::ostream& out);

// corvane-ctl --version: "corvane-ctl VERSION".
void WriteVersion(std::ostream& out);

}  // namespace corvane::ctl
