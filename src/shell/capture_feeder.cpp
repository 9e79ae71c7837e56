#include "shell/capture_feeder.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "platform/scan_codes.h"

namespace corvane::shell {
namespace {

using platform::VirtualKey;

struct QtKeyRow {
    int key;
    std::uint16_t vk;
    bool extended;
};

// Keys without a scan code, by the Qt key. Letters and digits are handled by their code.
constexpr QtKeyRow kQtKeys[] = {
    {Qt::Key_Escape, 0x1B, false},     {Qt::Key_Tab, 0x09, false},       {Qt::Key_Backtab, 0x09, false},
    {Qt::Key_Backspace, 0x08, false},  {Qt::Key_Return, 0x0D, false},    {Qt::Key_Enter, 0x0D, true},
    {Qt::Key_Insert, 0x2D, true},      {Qt::Key_Delete, 0x2E, true},     {Qt::Key_Pause, 0x13, false},
    {Qt::Key_Print, 0x2C, true},       {Qt::Key_Home, 0x24, true},       {Qt::Key_End, 0x23, true},
    {Qt::Key_Left, 0x25, true},        {Qt::Key_Up, 0x26, true},         {Qt::Key_Right, 0x27, true},
    {Qt::Key_Down, 0x28, true},        {Qt::Key_PageUp, 0x21, true},     {Qt::Key_PageDown, 0x22, true},
    {Qt::Key_Shift, 0xA0, false},      {Qt::Key_Control, 0xA2, false},   {Qt::Key_Meta, 0x5B, true},
    {Qt::Key_Alt, 0xA4, false},        {Qt::Key_AltGr, 0xA5, true},      {Qt::Key_CapsLock, 0x14, false},
    {Qt::Key_NumLock, 0x90, true},     {Qt::Key_ScrollLock, 0x91, false}, {Qt::Key_Menu, 0x5D, true},
    {Qt::Key_Space, 0x20, false},      {Qt::Key_Minus, 0xBD, false},     {Qt::Key_Underscore, 0xBD, false},
    {Qt::Key_Equal, 0xBB, false},      {Qt::Key_Plus, 0xBB, false},      {Qt::Key_BracketLeft, 0xDB, false},
    {Qt::Key_BraceLeft, 0xDB, false},  {Qt::Key_BracketRight, 0xDD, false}, {Qt::Key_BraceRight, 0xDD, false},
    {Qt::Key_Backslash, 0xDC, false},  {Qt::Key_Bar, 0xDC, false},       {Qt::Key_Semicolon, 0xBA, false},
    {Qt::Key_Colon, 0xBA, false},      {Qt::Key_Apostrophe, 0xDE, false}, {Qt::Key_QuoteDbl, 0xDE, false},
    {Qt::Key_QuoteLeft, 0xC0, false},  {Qt::Key_AsciiTilde, 0xC0, false}, {Qt::Key_Comma, 0xBC, false},
    {Qt::Key_Less, 0xBC, false},       {Qt::Key_Period, 0xBE, false},    {Qt::Key_Greater, 0xBE, false},
    {Qt::Key_Slash, 0xBF, false},      {Qt::Key_Question, 0xBF, false},  {Qt::Key_VolumeMute, 0xAD, true},
    {Qt::Key_VolumeDown, 0xAE, true},  {Qt::Key_VolumeUp, 0xAF, true},   {Qt::Key_MediaPlay, 0xB3, true},
    {Qt::Key_MediaTogglePlayPause, 0xB3, true}, {Qt::Key_MediaStop, 0xB2, true},
    {Qt::Key_MediaPrevious, 0xB1, true}, {Qt::Key_MediaNext, 0xB0, true},
};

// Keypad keys without a scan code: the Qt key says the digit or operator, the modifier says keypad.
constexpr QtKeyRow kQtKeypad[] = {
    {Qt::Key_0, 0x60, false}, {Qt::Key_1, 0x61, false}, {Qt::Key_2, 0x62, false}, {Qt::Key_3, 0x63, false},
    {Qt::Key_4, 0x64, false}, {Qt::Key_5, 0x65, false}, {Qt::Key_6, 0x66, false}, {Qt::Key_7, 0x67, false},
    {Qt::Key_8, 0x68, false}, {Qt::Key_9, 0x69, false}, {Qt::Key_Asterisk, 0x6A, false},
    {Qt::Key_Plus, 0x6B, false}, {Qt::Key_Minus, 0x6D, false}, {Qt::Key_Period, 0x6E, false},
    {Qt::Key_Slash, 0x6F, true}, {Qt::Key_Enter, 0x0D, true},
};

template <std::size_t N>
std::optional<VirtualKey> FindQtKey(const QtKeyRow (&rows)[N], int key) {
    for (const QtKeyRow& row : rows) {
        if (row.key == key) return VirtualKey{row.vk, row.extended};
    }
    return std::nullopt;
}

std::optional<VirtualKey> VirtualKeyOfQtKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (auto found = FindQtKey(kQtKeypad, key)) return found;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return VirtualKey{static_cast<std::uint16_t>(key), false};
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        constexpr std::uint16_t kVkF1 = 0x70;
        return VirtualKey{static_cast<std::uint16_t>(kVkF1 + (key - Qt::Key_F1)), false};
    }
    return FindQtKey(kQtKeys, key);
}

std::optional<std::uint32_t> MouseMessageOf(const QMouseEvent& event) {
    const bool press = event.type() == QEvent::MouseButtonPress;
    switch (event.button()) {
        case Qt::LeftButton: return press ? platform::kLeftButtonDown : platform::kLeftButtonUp;
        case Qt::RightButton: return press ? platform::kRightButtonDown : platform::kRightButtonUp;
        case Qt::MiddleButton: return press ? platform::kMiddleButtonDown : platform::kMiddleButtonUp;
        case Qt::BackButton:
        case Qt::ForwardButton: return press ? platform::kSideButtonDown : platform::kSideButtonUp;
        default: return std::nullopt;
    }
}

}  // namespace

std::optional<std::uint32_t> ScanCodeOffsetOf(const QString& platformName) {
    if (platformName == QLatin1String("xcb") || platformName.startsWith(QLatin1String("wayland")) ||
        platformName == QLatin1String("offscreen")) {
        return platform::kXkbKeycodeOffset;
    }
    return std::nullopt;
}

std::optional<VirtualKey> CapturedKeyOf(const QKeyEvent& event, std::optional<std::uint32_t> scanCodeOffset) {
    const std::uint32_t scanCode = event.nativeScanCode();
    if (scanCodeOffset && scanCode > *scanCodeOffset) {
        return platform::VirtualKeyOfEvdev(scanCode - *scanCodeOffset);
    }
    return VirtualKeyOfQtKey(event.key(), event.modifiers());
}

CaptureFeeder::CaptureFeeder(QWidget& window, platform::CDeviceHook& hook)
    : window_(window), hook_(hook), scanCodeOffset_(ScanCodeOffsetOf(QGuiApplication::platformName())) {
    qApp->installEventFilter(this);
    hook_.AttachSource();
}

CaptureFeeder::~CaptureFeeder() {
    hook_.DetachSource();
    qApp->removeEventFilter(this);
}

bool CaptureFeeder::FilterKey(const QKeyEvent& event) {
    const auto key = CapturedKeyOf(event, scanCodeOffset_);
    if (!key) return hook_.KeyboardInstalled();  // a key the tables do not know is still no text
    const bool press = event.type() == QEvent::KeyPress;
    // A held key repeats its press (the recorder drops repeats); its repeated releases are noise.
    if (!press && event.isAutoRepeat()) return hook_.WouldSwallow(*key);
    return hook_.FeedKey(press, *key, (event.modifiers() & Qt::AltModifier) != 0);
}

bool CaptureFeeder::eventFilter(QObject* watched, QEvent* event) {
    // The events as they reach the window itself, once, before it hands them to a control.
    if (!watched->isWindowType() || watched != window_.windowHandle()) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: return FilterKey(*static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            if (const auto message = MouseMessageOf(*static_cast<QMouseEvent*>(event))) hook_.FeedMouse(*message);
            return false;
        case QEvent::MouseMove: hook_.FeedMouse(platform::kMouseMove); return false;
        case QEvent::Wheel: hook_.FeedMouse(platform::kMouseWheel); return false;
        default: return false;
    }
}

}  // namespace corvane::shell
