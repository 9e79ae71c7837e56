// The Hyprland backend: its request socket answers "j/activewindow" with the active window as
// JSON, including the owning process in "pid" (-1 or an empty object when there is none).

#include <nlohmann/json.hpp>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/foreground/json_pid.h"
#include "platform/foreground/socket_exchange.h"
#include "platform/foreground_process.h"

namespace corvane::platform {
namespace {

constexpr std::string_view kRequest = "j/activewindow";
constexpr std::size_t kReplyLimit = 1u << 20;

class HyprlandForeground final : public ForegroundProcess {
public:
    explicit HyprlandForeground(std::string path) : path_(std::move(path)) {}
    std::string_view Backend() const override { return "hyprland"; }

    ForegroundApp Current() override {
        std::lock_guard lock(mutex_);
        // The socket takes one request per connection and closes after answering.
        const UniqueFd fd = ConnectUnixSocket(path_);
        const auto* request = reinterpret_cast<const std::uint8_t*>(kRequest.data());
        if (!fd || !WriteAll(fd.Get(), {request, kRequest.size()})) return {};
        const auto reply = ReadToEnd(fd.Get(), kReplyLimit);
        if (!reply) return {};
        return ExecutableOfPidField(nlohmann::json::parse(reply->begin(), reply->end(), nullptr, false));
    }

private:
    std::mutex mutex_;
    std::string path_;
};

}  // namespace

std::unique_ptr<ForegroundProcess> MakeHyprlandForeground(std::string socketPath) {
    return std::make_unique<HyprlandForeground>(std::move(socketPath));
}

}  // namespace corvane::platform
