#include "ctl/ctl_session.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>

#include "platform/instance_socket.h"
#include "platform/tick.h"

namespace corvane::ctl {
namespace {

constexpr std::string_view kErrorPrefix = "error";
constexpr int kConnectRetryMs = 50;

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

    // A script that starts with a wait may start before the program is listening: it keeps
    // trying for the wait's time.
    bool Connect(std::string_view firstCommand) {
        const auto words = Words(firstCommand);
        const bool waits = !words.empty() && words[0] == "wait";
        const auto deadline = platform::TickMs() + (waits ? ReplyLimitFor(firstCommand) - kWaitMarginMs : 0);
        for (;;) {
            if (client_.Connect(platform::kInstanceName, folder_)) return true;
            if (platform::TickMs() >= deadline) break;
            platform::SleepMs(kConnectRetryMs);
        }
        err_ << "corvane-ctl: no running instance (looked in "
             << (folder_.empty() ? std::string("no usable runtime folder") : folder_) << ")\n";
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
    if (!session.Connect(commands.empty() ? std::string_view{} : commands.front())) return kExitNoInstance;
    for (const auto& command : commands) {
        if (const int status = session.Send(command); status != kExitOk) return status;
    }
    return kExitOk;
}

int RunCommandStream(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder) {
    Session session(out, err, folder);
    bool connected = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        if (!connected && !session.Connect(line)) return kExitNoInstance;
        connected = true;
        if (const int status = session.Send(line); status != kExitOk) return status;
    }
    return connected || session.Connect({}) ? kExitOk : kExitNoInstance;
}

}  // namespace corvane::ctl
