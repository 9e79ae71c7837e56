#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::ctl {

// Exit statuses of corvane-ctl.
inline constexpr int kExitOk = 0;
inline constexpr int kExitErrorReply = 1;
inline constexpr int kExitNoInstance = 2;

// How long a reply may take. Waits get their own timeout plus this margin; other commands may
// wait for a message box to be answered from elsewhere.
inline constexpr int kReplyLimitMs = 120000;
inline constexpr int kWaitMarginMs = 5000;

// The time to allow for the reply to line.
int ReplyLimitFor(std::string_view line);

// Sends each command in turn (when the first is a wait, the instance itself is waited for as
// long) to the instance in folder (the user's runtime folder when empty),
// writes each reply as a line to out, and stops at the first error reply. Problems of the
// connection itself go to err.
int RunCommands(const std::vector<std::string>& commands, std::ostream& out, std::ostream& err,
                const std::string& folder = {});

// The same with one command per line of in (empty lines are skipped).
int RunCommandStream(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder = {});

}  // namespace corvane::ctl
