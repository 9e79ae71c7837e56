#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/routes.h"
#include "ui/window.h"

namespace corvane::shell {

// A control name split at its last "_": the prefix up to and including the "_" and the decimal
// index after it. None when the name does not end in "_" + digits.
struct IndexedName {
    std::string prefix;
    int index = 0;
};
std::optional<IndexedName> SplitIndexedName(std::string_view name);

// Dispatchers by notification type. Each type has a table of prefix rows (prefix + index) and a
// table of exact names, both tried in the order the rows were added and compared without regard
// to case. A name that splits into prefix and index is tried against the prefix rows first; the
// first match ends dispatch unless its row says to go on to the exact names.
class Router : public ui::RouteTable {
public:
    void AddIndexed(std::string type, std::string prefix, IndexedHandler handler, bool thenExact = false);
    void AddExact(std::string type, std::string name, Handler handler);
    // Same handler for several names.
    void AddExact(const std::string& type, std::initializer_list<std::string_view> names, const Handler& handler);

    // Gives an existing row (the first with that type and name or prefix) its operation; later
    // pages fill the rows that do nothing yet. False when there is no such row.
    bool SetHandler(std::string_view type, std::string_view name, Handler handler) override;
    bool SetIndexedHandler(std::string_view type, std::string_view prefix, IndexedHandler handler) override;

    // True when a row matched (a row without a handler counts: it is a known control that does
    // nothing yet).
    bool Route(const ui::Notification& notification) const;

private:
    struct IndexedRow {
        std::string type;
        std::string prefix;
        IndexedHandler handler;
        bool thenExact = false;
    };
    struct ExactRow {
        std::string type;
        std::string name;
        Handler handler;
    };
    std::vector<IndexedRow> indexed_;
    std::vector<ExactRow> exact_;
};

// The device tabs ("kb_tab" .. "split_tab") select their page of "tab_switch", except while a
// macro is edited on the keyboard or the mouse: then that device's macro page stays and the user
// is told ("message_text_3").
enum class DeviceTabChoice { NotATab, MacroPageKept, Selected };
DeviceTabChoice SelectDeviceTab(ui::Window& window, std::string_view name);
// The same for a device's own function tabs (by the name of its page switch): while its macro
// is edited the macro page is put back, the user told, and true returned.
bool KeepEditedMacroPage(ui::Window& window, std::string_view functionSwitch);

}  // namespace corvane::shell
