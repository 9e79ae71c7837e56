#pragma once

#include <functional>
#include <string_view>

#include "ui/window.h"

namespace corvane::ui {

// Where a page gives the notifications it handles their operations. The rows themselves, and so
// the order in which names are tried, belong to the window's routing table; a page fills the
// rows of its controls.
class RouteTable {
public:
    using Handler = std::function<void(const Notification&)>;
    using IndexedHandler = std::function<void(int index, const Notification&)>;

    virtual ~RouteTable() = default;
    // False when the table has no row of that type for the name (or prefix).
    virtual bool SetHandler(std::string_view type, std::string_view name, Handler handler) = 0;
    virtual bool SetIndexedHandler(std::string_view type, std::string_view prefix, IndexedHandler handler) = 0;
};

}  // namespace corvane::ui
