// The X11 backend: the window manager names the active window on the root window
// (_NET_ACTIVE_WINDOW) and well-behaved clients name their process on their windows
// (_NET_WM_PID). XWayland windows are X11 windows and are seen the same way.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foreground_process.h"

namespace corvane::platform {
namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

class X11Foreground final : public ForegroundProcess {
public:
    explicit X11Foreground(std::string display) : display_(std::move(display)) {}

    std::string_view Backend() const override { return "x11"; }

    ForegroundApp Current() override {
        std::lock_guard lock(mutex_);
        if (!Connected() && !Connect()) return {};
        const auto window = CardinalOf(root_, activeWindow_, XCB_ATOM_WINDOW);
        if (!window || *window == XCB_WINDOW_NONE) return {};
        const auto pid = CardinalOf(*window, wmPid_, XCB_ATOM_CARDINAL);
        // A window that does not name its process cannot be matched.
        if (!pid) return {};
        return ExecutableOfPid(static_cast<long>(*pid));
    }

private:
    bool Connected() const { return connection_ && xcb_connection_has_error(connection_.get()) == 0; }

    bool Connect() {
        int screenNumber = 0;
        connection_.reset(xcb_connect(display_.empty() ? nullptr : display_.c_str(), &screenNumber));
        if (!Connected()) return false;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_.get()));
        for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
        if (it.rem == 0) return false;
        root_ = it.data->root;
        activeWindow_ = Atom("_NET_ACTIVE_WINDOW");
        wmPid_ = Atom("_NET_WM_PID");
        return activeWindow_ != XCB_ATOM_NONE && wmPid_ != XCB_ATOM_NONE;
    }

    xcb_atom_t Atom(const char* name) {
        const auto cookie = xcb_intern_atom(connection_.get(), 0, static_cast<std::uint16_t>(std::char_traits<char>::length(name)), name);
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_.get(), cookie, nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    // The first 32-bit value of a property, when it has one of the expected type.
    std::optional<std::uint32_t> CardinalOf(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
        const auto cookie = xcb_get_property(connection_.get(), 0, window, property, type, 0, 1);
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_.get(), cookie, nullptr));
        if (!reply || reply->type != type || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
            return std::nullopt;
        }
        return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    }

    std::mutex mutex_;
    std::string display_;
    std::unique_ptr<xcb_connection_t, ConnectionDeleter> connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t activeWindow_ = XCB_ATOM_NONE;
    xcb_atom_t wmPid_ = XCB_ATOM_NONE;
};

}  // namespace

std::unique_ptr<ForegroundProcess> MakeX11Foreground(std::string display) {
    return std::make_unique<X11Foreground>(std::move(display));
}

}  // namespace corvane::platform
