#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace corvane::ui {

// A user action or a programmatic change that the window reports to its owner. Types:
// "click", "selectchanged", "itemselect", "itemclick", "valuechanged", "movevaluechanged",
// "textchanged", "colorchanged", "msenter", "msleave", "windowinit", "setfocus", "killfocus",
// "return".
struct Notification {
    std::string type;
    Control* sender = nullptr;
    // itemselect: the new index; itemclick: the row's index; valuechanged/movevaluechanged:
    // the value; colorchanged: the colour. 0 otherwise.
    std::int64_t param = 0;
};

class NotifySink {
public:
    virtual ~NotifySink() = default;
    virtual void Notify(const Notification& notification) = 0;
};

enum class MessageButtons { Confirm, ConfirmCancel };

// A message box: title and text are language-file ids (an empty id keeps the box's own text).
// A timed box closes itself with result 0 after half a second.
struct MessageBoxRequest {
    std::string titleId;
    std::string textId;
    MessageButtons buttons = MessageButtons::ConfirmCancel;
    bool timed = false;
    // False: textId is shown as it stands rather than looked up.
    bool textIsId = true;
    // Values for the looked-up text's "{1}", "{2}", ... (names the question is about).
    std::vector<std::string> textArgs;
};
// text with its "{1}", "{2}", ... replaced by the values, in order; other text stays.
std::string FillInText(std::string text, const std::vector<std::string>& values);
inline constexpr int kMessageConfirmed = 1;
inline constexpr int kMessageDismissed = 0;
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;

enum class FileDialogMode { Open, Save };

// filter is the pattern list as "description|patterns|description|patterns||"
// (see ParseFileFilter); defaultExtension is added to a saved name that has none.
struct FileDialogRequest {
    FileDialogMode mode = FileDialogMode::Open;
    std::string filter;
    std::string defaultName;
    std::string defaultExtension;
    // Save: the dialog asks before an existing file is replaced. Off when the caller asks itself.
    bool confirmOverwrite = true;
};
using FileDialogResponder = std::function<std::optional<std::string>(const FileDialogRequest&)>;

// A screen position in device-independent pixels.
struct Point {
    int x = 0;
    int y = 0;
};

// One item of a pop-up menu, as a choice hands it over.
struct MenuItem {
    std::string name;
    std::string text;  // as shown, in the language of the moment
    std::string userData;
};
using MenuHandler = std::function<void(const MenuItem&)>;

// A pop-up menu built from a skin menu file (<Menu> with <MenuElement name text userdata
// visible> items). It closes on a choice or a click elsewhere; destroying it closes it.
class Menu {
public:
    virtual ~Menu() = default;
    virtual void AppendItem(std::string_view name, std::string_view text) = 0;
    // Fits the menu to its items.
    virtual void ResizeToItems() = 0;
    // The items shown, in order.
    virtual std::vector<MenuItem> Items() const = 0;
    virtual bool IsOpen() const = 0;
    // Chooses a shown item as a click would; false when none has the name (ignoring case).
    virtual bool Choose(std::string_view name) = 0;
};

// Falls back to this for ids the language file lacks: (language id, text id) -> text.
using TextQuery = std::function<std::optional<std::string>(std::string_view, std::string_view)>;

// A window built from a skin layout. Everything except Post and Send is for the UI thread.
class Window {
public:
    virtual ~Window() = default;

    // The first control with the name in tree order, ignoring case; nullptr when the skin lacks it.
    virtual Control* Find(std::string_view name) const = 0;
    // Every control of the window in tree order (rows, combo items and page content included).
    virtual std::vector<Control*> Controls() const = 0;

    // Typed finders: nullptr when the name is missing or the control is of another kind.
    Option* FindOption(std::string_view name) const;  // Option or CheckBox
    ItemList* FindCombo(std::string_view name) const;
    ItemList* FindList(std::string_view name) const;
    TabLayout* FindTab(std::string_view name) const;
    Slider* FindSlider(std::string_view name) const;  // Slider, Progress or CircleProgress
    ColourPalette* FindPalette(std::string_view name) const;
    Edit* FindEdit(std::string_view name) const;
    Chart* FindChart(std::string_view name) const;
    // The control when it is of that kind, else nullptr.
    Control* FindOfKind(std::string_view name, ControlKind kind) const;

    // Where notifications go; nullptr stops them. The sink is not owned.
    virtual void SetNotifySink(NotifySink* sink) = 0;

    // Language: the ids the skin's resource list gives ("en", "cn"). Switching re-resolves the
    // text of every control whose text is an id. False for a language the skin does not have.
    virtual bool SetLanguage(std::string_view languageId) = 0;
    virtual std::string Language() const = 0;
    // The wording of a text id in the current language (the text query's answer or the id
    // itself when there is none).
    virtual std::string LanguageText(std::string_view textId) const = 0;
    virtual void SetTextQuery(TextQuery query) = 0;

    // The window's caption as the desktop shows it (task bar, window switcher).
    virtual void SetTitle(std::string_view title) = 0;
    // Centres the window on the available area of its screen.
    virtual void CentreOnScreen() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsShown() const = 0;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    virtual void Restore() = 0;
    virtual void BringToFront() = 0;
    virtual void Close() = 0;
    // Scales the window's layout: 96 is 100 %.
    virtual void SetDpi(int dpi) = 0;
    // Lays out and repaints the whole window.
    virtual void NeedUpdate() = 0;

    // Runs fn on the UI thread later, in order with other posted work. Safe from any thread.
    virtual void Post(std::function<void()> fn) = 0;
    // Runs fn on the UI thread and waits for it; on the UI thread it runs at once. False when fn
    // did not run because the window stopped taking calls (see RejectCalls).
    virtual bool Send(std::function<void()> fn) = 0;
    // From now on Send returns false without running, and senders waiting for a closure that has
    // not started are released. Used before the UI thread waits for worker threads.
    virtual void RejectCalls() = 0;

    // Modal message box; returns kMessageConfirmed or kMessageDismissed. The responder, when one
    // is set, answers instead.
    virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
    virtual void SetMessageBoxResponder(MessageBoxResponder responder) = 0;
    // The window's own modal box, whatever responder is set (for a responder that leaves the
    // answer to the user); boxes asked for while it is open still reach the responder.
    virtual int ShowOwnMessageBox(const MessageBoxRequest& request) = 0;
    // Ends the innermost box ShowOwnMessageBox shows with result, as its buttons would; false
    // when none is open.
    virtual bool AnswerOwnMessageBox(int result) = 0;
    // Opens a pop-up menu from a skin menu file at a screen position. A choice reaches onChoice
    // from the event loop once the menu has closed. nullptr when the file does not load.
    virtual std::unique_ptr<Menu> OpenMenu(std::string_view file, Point at, MenuHandler onChoice) = 0;

    // File dialog; none when the user cancels.
    virtual std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) = 0;
    virtual void SetFileDialogResponder(FileDialogResponder responder) = 0;
};

// Case-insensitive (ASCII) equality of control names and ids.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToLower(std::string_view text);

}  // namespace corvane::ui
