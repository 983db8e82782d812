// Linux key codes to the Windows virtual-key codes KeyCodeTable speaks, so that key capture and
// macro recording work on the codes the table was made with.
//
// The source is the kernel's evdev key code (KEY_* in <linux/input-event-codes.h>); an X11
// keycode is the evdev code plus 8 (Qt's nativeScanCode on X11 is that keycode). The mapping is
// by key position, as on a US layout, so a key keeps its name whatever layout the desktop uses.
// Numeric-pad keys map as they do with Num Lock on. The extended flag is set where a Windows
// keyboard hook would report it (right Ctrl and Alt, the navigation block, Num /, Num Enter, the
// Windows and menu keys, consumer keys): the numeric pad's Enter is told from the main Enter only
// by that flag, as keyEventVirtualKey() expects.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace keys {

struct VirtualKey {
    uint16_t code;
    bool extended;
    friend constexpr bool operator==(const VirtualKey&, const VirtualKey&) = default;
};

struct EvdevKeyRow {
    uint16_t evdevCode;
    VirtualKey virtualKey;
};

// Nothing for a key this program has no use for (it has no KeyCodeTable row).
std::optional<VirtualKey> virtualKeyFromEvdev(int evdevCode);
std::optional<VirtualKey> virtualKeyFromX11Keycode(int x11Keycode);

constexpr int kX11KeycodeOffset = 8;

// The flags a Windows keyboard hook reports with an event: bit 0 extended key, bit 7 key up.
constexpr unsigned keyEventFlags(bool extended, bool keyUp) { return (extended ? 0x01u : 0u) | (keyUp ? 0x80u : 0u); }

std::span<const EvdevKeyRow> evdevKeyTable();

}  // namespace keys
