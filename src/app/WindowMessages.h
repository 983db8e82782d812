// The main window's message numbers and timer ids. Worker threads and input hooks reach the
// window through these; the numbers are part of the window's interface and stay as they are.
#pragma once

#include <cstdint>

#include "platform/InputCapture.h"

namespace msg {

constexpr uint32_t Activate = 0x0006;          // window (de)activated: wParam 0 = deactivated
constexpr uint32_t Destroy = 0x0002;
constexpr uint32_t Timer = 0x0113;
constexpr uint32_t DpiChanged = 0x02E0;
constexpr uint32_t TrayNotify = 0x0401;        // lParam 0x0202 left button up, 0x0205 right button up
constexpr uint32_t MenuCommand = 0x0479;
// The input hook's messages are the capture's own (platform/InputCapture.h).
constexpr uint32_t HookKeySingleKey = hookmsg::KeySingleKey;  // key captured for the keyboard key page
constexpr uint32_t HookKeyKbHitKey = 0x0802;
constexpr uint32_t HookKeyMacro = hookmsg::KeyMacro;
constexpr uint32_t HookKeyMacroMouse = hookmsg::KeyMacroMouse;
constexpr uint32_t HookMouSingleKey = hookmsg::MouSingleKey;
constexpr uint32_t HookMouHitKey = 0x0811;
constexpr uint32_t HookMouMacro = hookmsg::MouMacro;
constexpr uint32_t HookMouMacroMouse = hookmsg::MouMacroMouse;
constexpr uint32_t ReadMouse = 0x0901;
constexpr uint32_t RereadMouseBlock = 0x0902;
constexpr uint32_t ReadPad = 0x0A01;
constexpr uint32_t RereadPadBlock = 0x0A02;
constexpr uint32_t PadLedColour = 0x0A03;
constexpr uint32_t PadLedAlpha = 0x0A04;
constexpr uint32_t ReadKeyboard = 0x0B01;
constexpr uint32_t RereadKeyboardBlock = 0x0B02;
constexpr uint32_t ExportKeyLayout = 0x0B03;
constexpr uint32_t ShowProgress = 0x0C00;
constexpr uint32_t HideProgress = 0x0C01;
constexpr uint32_t HideNotice = 0x0C05;
constexpr uint32_t DeviceArrived = 0x0C12;     // wParam kind, lParam sub-device
constexpr uint32_t DeviceRemoved = 0x0C13;

constexpr uint16_t TrayLeftButtonUp = 0x0202;
constexpr uint16_t TrayRightButtonUp = 0x0205;

}  // namespace msg

namespace timer {

constexpr int HideProgress = 1;       // 1000 ms, one shot
constexpr int FlushSettings = 2;      // 10 ms, periodic
constexpr int LightingPhase = 3;      // 10 ms, periodic
constexpr int Repaint = 7;            // 10 or 100 ms, one shot
constexpr int AbFlag = 8;             // 50 ms, one shot
constexpr int LightingFrame = 9;      // 50 ms first, then 10 ms
constexpr int RereadBlock = 10;       // 100 ms, one shot
constexpr int ReadAllAgain = 1006;    // 500 ms, one shot

}  // namespace timer

// The worker-thread slots: each has its StopEvent; only some have a thread.
namespace worker {

constexpr int kSlots = 16;
constexpr int DeviceWatcher = 0;
constexpr int KeyboardListener = 4;
constexpr int LightingEffects = 5;
constexpr int LightingProfileWatcher = 9;
constexpr int DeviceProfileWatcher = 10;

}  // namespace worker
