#include "ctl/ctl_session.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>

#include "platform/instance_socket.h"
#include "shell/window_messages.h"

namespace corvane::ctl {
namespace {

constexpr std::string_view kErrorPrefix = "error";

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

class Session {
public:
    Session(std::ostream& out, std::ostream& err, const std::string& folder)
        : out_(out), err_(err), folder_(folder.empty() ? platform::UserRuntimeFolder() : folder) {}

    bool Connect() {
        if (client_.Connect(shell::kInstanceName, folder_)) return true;
        err_ << "corvane-ctl: no running instance\n";
        return false;
    }

    // kExitOk to go on, otherwise the status to end with.
    int Send(std::string_view line) {
        const auto reply = client_.Request(line, ReplyLimitFor(line));
        if (!reply) {
            err_ << "corvane-ctl: the instance did not answer\n";
            return kExitNoInstance;
        }
        out_ << *reply << '\n';
        out_.flush();
        return reply->starts_with(kErrorPrefix) ? kExitErrorReply : kExitOk;
    }

private:
    std::ostream& out_;
    std::ostream& err_;
    std::string folder_;
    platform::InstanceClient client_;
};

}  // namespace

int ReplyLimitFor(std::string_view line) {
    const auto words = Words(line);
    if (words.empty() || words[0] != "wait") return kReplyLimitMs;
    // wait connected KIND [MS] / wait idle [MS]
    const std::size_t at = words.size() > 1 && words[1] == "connected" ? 3 : 2;
    int timeout = 0;
    if (words.size() > at) {
        const auto w = words[at];
        const auto [ptr, ec] = std::from_chars(w.data(), w.data() + w.size(), timeout);
        if (ec != std::errc{} || ptr != w.data() + w.size() || timeout < 0) timeout = 0;
    }
    return std::max(kReplyLimitMs, timeout + kWaitMarginMs);
}

int RunCommands(const std::vector<std::string>& commands, std::ostream& out, std::ostream& err,
                const std::string& folder) {
    Session session(out, err, folder);
    if (!session.Connect()) return kExitNoInstance;
    for (const auto& command : commands) {
        if (const int status = session.Send(command); status != kExitOk) return status;
    }
    return kExitOk;
}

int RunCommandStream(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder) {
    Session session(out, err, folder);
    if (!session.Connect()) return kExitNoInstance;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        if (const int status = session.Send(line); status != kExitOk) return status;
    }
    return kExitOk;
}

}  // namespace corvane::ctl
