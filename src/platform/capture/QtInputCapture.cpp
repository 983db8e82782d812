#include "platform/capture/QtInputCapture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <array>
#include <utility>

namespace {

struct QtKeyRow {
    int qtKey;
    uint16_t vk;
    bool extended;
};

// Keys by their Qt code, for platforms without X keycodes. Shifted symbols name their key.
constexpr std::array<QtKeyRow, 72> kQtKeys = {{
    {Qt::Key_Escape, 0x1B, false}, {Qt::Key_Tab, 0x09, false}, {Qt::Key_Backtab, 0x09, false},
    {Qt::Key_Backspace, 0x08, false}, {Qt::Key_Return, 0x0D, false}, {Qt::Key_Enter, 0x0D, true},
    {Qt::Key_Insert, 0x2D, true}, {Qt::Key_Delete, 0x2E, true}, {Qt::Key_Pause, 0x13, false},
    {Qt::Key_Print, 0x2C, true}, {Qt::Key_Home, 0x24, true}, {Qt::Key_End, 0x23, true},
    {Qt::Key_Left, 0x25, true}, {Qt::Key_Up, 0x26, true}, {Qt::Key_Right, 0x27, true},
    {Qt::Key_Down, 0x28, true}, {Qt::Key_PageUp, 0x21, true}, {Qt::Key_PageDown, 0x22, true},
    {Qt::Key_Shift, 0xA0, false}, {Qt::Key_Control, 0xA2, false}, {Qt::Key_Meta, 0x5B, true},
    {Qt::Key_Alt, 0xA4, false}, {Qt::Key_AltGr, 0xA5, true}, {Qt::Key_CapsLock, 0x14, false},
    {Qt::Key_NumLock, 0x90, true}, {Qt::Key_ScrollLock, 0x91, false}, {Qt::Key_Menu, 0x5D, true},
    {Qt::Key_Space, 0x20, false},
    {Qt::Key_Minus, 0xBD, false}, {Qt::Key_Underscore, 0xBD, false},
    {Qt::Key_Equal, 0xBB, false}, {Qt::Key_Plus, 0xBB, false},
    {Qt::Key_BracketLeft, 0xDB, false}, {Qt::Key_BraceLeft, 0xDB, false},
    {Qt::Key_BracketRight, 0xDD, false}, {Qt::Key_BraceRight, 0xDD, false},
    {Qt::Key_Backslash, 0xDC, false}, {Qt::Key_Bar, 0xDC, false},
    {Qt::Key_Semicolon, 0xBA, false}, {Qt::Key_Colon, 0xBA, false},
    {Qt::Key_Apostrophe, 0xDE, false}, {Qt::Key_QuoteDbl, 0xDE, false},
    {Qt::Key_QuoteLeft, 0xC0, false}, {Qt::Key_AsciiTilde, 0xC0, false},
    {Qt::Key_Comma, 0xBC, false}, {Qt::Key_Less, 0xBC, false},
    {Qt::Key_Period, 0xBE, false}, {Qt::Key_Greater, 0xBE, false},
    {Qt::Key_Slash, 0xBF, false}, {Qt::Key_Question, 0xBF, false},
    {Qt::Key_Exclam, 0x31, false}, {Qt::Key_At, 0x32, false}, {Qt::Key_NumberSign, 0x33, false},
    {Qt::Key_Dollar, 0x34, false}, {Qt::Key_Percent, 0x35, false}, {Qt::Key_AsciiCircum, 0x36, false},
    {Qt::Key_Ampersand, 0x37, false}, {Qt::Key_Asterisk, 0x38, false}, {Qt::Key_ParenLeft, 0x39, false},
    {Qt::Key_ParenRight, 0x30, false},
    {Qt::Key_VolumeUp, 0xAF, true}, {Qt::Key_VolumeDown, 0xAE, true}, {Qt::Key_VolumeMute, 0xAD, true},
    {Qt::Key_MediaPlay, 0xB3, true}, {Qt::Key_MediaTogglePlayPause, 0xB3, true},
    {Qt::Key_MediaStop, 0xB2, true}, {Qt::Key_MediaPrevious, 0xB1, true}, {Qt::Key_MediaNext, 0xB0, true},
    {Qt::Key_HomePage, 0xAC, true}, {Qt::Key_Search, 0xAA, true}, {Qt::Key_LaunchMail, 0xB4, true},
    {Qt::Key_Back, 0xA6, true},
}};

// Keys of the numeric pad as Qt reports them with Qt::KeypadModifier.
std::optional<keys::VirtualKey> keypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return keys::VirtualKey{uint16_t(0x60 + (qtKey - Qt::Key_0)), false};
    switch (qtKey) {
    case Qt::Key_Asterisk: return keys::VirtualKey{0x6A, false};
    case Qt::Key_Plus: return keys::VirtualKey{0x6B, false};
    case Qt::Key_Minus: return keys::VirtualKey{0x6D, false};
    case Qt::Key_Period:
    case Qt::Key_Comma:
    case Qt::Key_Delete: return keys::VirtualKey{0x6E, false};
    case Qt::Key_Slash: return keys::VirtualKey{0x6F, true};
    case Qt::Key_Enter:
    case Qt::Key_Return: return keys::VirtualKey{0x0D, true};
    default: return std::nullopt;
    }
}

bool isMouseEvent(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick;
}

std::optional<MouseEventKind> mouseKind(const QMouseEvent& event) {
    const bool down = event.type() != QEvent::MouseButtonRelease;
    switch (event.button()) {
    case Qt::LeftButton: return down ? MouseEventKind::LeftDown : MouseEventKind::LeftUp;
    case Qt::RightButton: return down ? MouseEventKind::RightDown : MouseEventKind::RightUp;
    case Qt::MiddleButton: return down ? MouseEventKind::MiddleDown : MouseEventKind::MiddleUp;
    case Qt::BackButton:
    case Qt::ForwardButton: return down ? MouseEventKind::ExtraDown : MouseEventKind::ExtraUp;
    default: return std::nullopt;
    }
}

}  // namespace

std::optional<keys::VirtualKey> virtualKeyFromQtKey(int qtKey, bool keypad) {
    if (keypad)
        if (auto key = keypadKey(qtKey)) return key;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return keys::VirtualKey{uint16_t(0x41 + (qtKey - Qt::Key_A)), false};
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return keys::VirtualKey{uint16_t(0x30 + (qtKey - Qt::Key_0)), false};
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return keys::VirtualKey{uint16_t(0x70 + (qtKey - Qt::Key_F1)), false};
    for (const QtKeyRow& row : kQtKeys)
        if (row.qtKey == qtKey) return keys::VirtualKey{row.vk, row.extended};
    return std::nullopt;
}

std::optional<CapturedKey> capturedKeyFromQt(const QKeyEvent& event) {
    const bool release = event.type() == QEvent::KeyRelease;
    if (release && event.isAutoRepeat()) return std::nullopt;
    std::optional<keys::VirtualKey> vk;
    const quint32 native = event.nativeScanCode();
    if (native > quint32(keys::kX11KeycodeOffset) && native < 256) vk = keys::virtualKeyFromX11Keycode(int(native));
    if (!vk) vk = virtualKeyFromQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
    if (!vk) return std::nullopt;
    // Windows reports keys pressed with Alt held (and Alt itself) as system keys.
    const bool alt = event.modifiers().testFlag(Qt::AltModifier) || vk->code == 0xA4 || vk->code == 0xA5;
    CapturedKey key;
    key.kind = release ? (alt ? KeyEventKind::SystemKeyUp : KeyEventKind::KeyUp)
                       : (alt ? KeyEventKind::SystemKeyDown : KeyEventKind::KeyDown);
    key.virtualKey = vk->code;
    key.flags = keys::keyEventFlags(vk->extended, release);
    key.time = uint32_t(event.timestamp());
    return key;
}

bool QtInputCapture::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (keys_ && (type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride)) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (type == QEvent::ShortcutOverride) {
            // Claiming the override keeps the program's shortcuts from firing; the press follows.
            if (passesCapture(capturedKeyFromQt(*keyEvent).value_or(CapturedKey{}).virtualKey)) return false;
            event->accept();
            return true;
        }
        // A key left to pass travels on to the parents; deliver it only the first time.
        if (event == passing_ && keyEvent->timestamp() == passingTime_) return false;
        passing_ = nullptr;
        const std::optional<CapturedKey> key = capturedKeyFromQt(*keyEvent);
        if (!key) return true;  // a key the tables have no use for is withheld all the same
        if (deliverKey(*key)) return true;
        passing_ = event;
        passingTime_ = keyEvent->timestamp();
        return false;
    }
    if (mouse_ && isMouseEvent(type) && watched && watched->isWindowType())
        if (auto kind = mouseKind(*static_cast<QMouseEvent*>(event)))
            deliverMouse(*kind, uint32_t(static_cast<QMouseEvent*>(event)->timestamp()));
    return QObject::eventFilter(watched, event);
}

bool QtInputCapture::startKeyboard() {
    if (!QCoreApplication::instance()) return false;
    keys_ = true;
    updateFilter();
    return true;
}

void QtInputCapture::stopKeyboard() {
    keys_ = false;
    passing_ = nullptr;
    updateFilter();
}

bool QtInputCapture::startMouse() {
    if (!QCoreApplication::instance()) return false;
    mouse_ = true;
    updateFilter();
    return true;
}

void QtInputCapture::stopMouse() {
    mouse_ = false;
    updateFilter();
}

void QtInputCapture::updateFilter() {
    QCoreApplication* app = QCoreApplication::instance();
    const bool wanted = keys_ || mouse_;
    if (!app || wanted == filtering_) return;
    if (wanted)
        app->installEventFilter(this);
    else
        app->removeEventFilter(this);
    filtering_ = wanted;
}
