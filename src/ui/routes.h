#pragma once

#include <functional>
#include <string_view>

#include "ui/window.h"

namespace corvane::ui {

// Notification types, as the routing tables name them.
namespace notification_types {
inline constexpr const char* kClick = "click";
inline constexpr const char* kSelect = "selectchanged";
inline constexpr const char* kItem = "itemselect";
inline constexpr const char* kItemClick = "itemclick";
inline constexpr const char* kValue = "valuechanged";
inline constexpr const char* kMoveValue = "movevaluechanged";
inline constexpr const char* kText = "textchanged";
inline constexpr const char* kColour = "colorchanged";
}  // namespace notification_types

// The row an "itemselect" is about: the list's selection, or the notification's number when the
// sender is no list.
inline int ItemIndex(const Notification& n) {
    if (auto* list = dynamic_cast<ItemList*>(n.sender)) return list->CurSel();
    return static_cast<int>(n.param);
}

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
