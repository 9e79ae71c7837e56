// The Sway backend: i3 IPC on $SWAYSOCK. GET_TREE answers with the whole layout tree; the node
// with "focused": true is the focused window and carries its process in "pid" (XWayland
// windows included).

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/foreground/json_pid.h"
#include "platform/foreground/socket_exchange.h"
#include "platform/foreground_process.h"

namespace corvane::platform {
namespace {

constexpr std::array<char, 6> kMagic = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kLengthOffset = kMagic.size();
constexpr std::size_t kTypeOffset = kLengthOffset + sizeof(std::uint32_t);
constexpr std::size_t kHeaderSize = kTypeOffset + sizeof(std::uint32_t);
static_assert(kHeaderSize == 14);
constexpr std::uint32_t kGetTree = 4;
// A layout tree of a busy desktop is some hundred kilobytes.
constexpr std::uint32_t kReplyLimit = 16u << 20;
// Nested containers deeper than this are not a real layout.
constexpr int kMaxDepth = 64;

// i3 IPC numbers are in the host's byte order.
std::array<std::uint8_t, kHeaderSize> Header(std::uint32_t length, std::uint32_t type) {
    std::array<std::uint8_t, kHeaderSize> h{};
    std::memcpy(h.data(), kMagic.data(), kMagic.size());
    std::memcpy(h.data() + kLengthOffset, &length, sizeof length);
    std::memcpy(h.data() + kTypeOffset, &type, sizeof type);
    return h;
}

const nlohmann::json* FindFocused(const nlohmann::json& node, int depth) {
    if (!node.is_object() || depth > kMaxDepth) return nullptr;
    if (const auto f = node.find("focused"); f != node.end() && f->is_boolean() && f->get<bool>()) return &node;
    for (const char* children : {"nodes", "floating_nodes"}) {
        const auto list = node.find(children);
        if (list == node.end() || !list->is_array()) continue;
        for (const auto& child : *list) {
            if (const auto* found = FindFocused(child, depth + 1)) return found;
        }
    }
    return nullptr;
}

class SwayForeground final : public ForegroundProcess {
public:
    explicit SwayForeground(std::string path) : path_(std::move(path)) {}
    std::string_view Backend() const override { return "sway"; }

    ForegroundApp Current() override {
        std::lock_guard lock(mutex_);
        const auto tree = GetTree();
        if (!tree) return {};
        const nlohmann::json json = nlohmann::json::parse(tree->begin(), tree->end(), nullptr, false);
        const nlohmann::json* focused = FindFocused(json, 0);
        return focused ? ExecutableOfPidField(*focused) : ForegroundApp{};
    }

private:
    std::optional<std::vector<std::uint8_t>> GetTree() const {
        const UniqueFd fd = ConnectUnixSocket(path_);
        if (!fd || !WriteAll(fd.Get(), Header(0, kGetTree))) return std::nullopt;
        const auto header = ReadExact(fd.Get(), kHeaderSize);
        if (!header || std::memcmp(header->data(), kMagic.data(), kMagic.size()) != 0) return std::nullopt;
        std::uint32_t length = 0;
        std::uint32_t type = 0;
        std::memcpy(&length, header->data() + kLengthOffset, sizeof length);
        std::memcpy(&type, header->data() + kTypeOffset, sizeof type);
        if (type != kGetTree || length > kReplyLimit) return std::nullopt;
        return ReadExact(fd.Get(), length);
    }

    std::mutex mutex_;
    std::string path_;
};

}  // namespace

std::unique_ptr<ForegroundProcess> MakeSwayForeground(std::string socketPath) {
    return std::make_unique<SwayForeground>(std::move(socketPath));
}

}  // namespace corvane::platform
