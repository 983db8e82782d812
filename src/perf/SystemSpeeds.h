// The two system values the mouse page keeps: the pointer speed (1..20, the system's default 10)
// and the wheel scroll lines (1..10 on the page). How the page's controls map onto them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace perf {

constexpr int kMinPointerSpeed = 1, kMaxPointerSpeed = 20, kDefaultPointerSpeed = 10;
constexpr int kMinWheelLines = 1, kMaxWheelLines = 10, kDefaultWheelLines = 3;

// The slider shows speed / 2 and a position p stands for speed 2p: one conversion both ways, so
// that showing a stored speed and moving the slider back to it store the same value. Position 0
// (speed 0) is held to the lowest speed.
constexpr int pointerSpeedOfPosition(int position) {
    return std::clamp(2 * std::max(position, 0), kMinPointerSpeed, kMaxPointerSpeed);
}
constexpr int positionOfPointerSpeed(int speed) { return std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed) / 2; }

// A stored speed as it is applied (and stored back): above 20 becomes 20, 0 becomes 1.
constexpr uint8_t clampPointerSpeed(int speed) {
    return uint8_t(std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed));
}

// The wheel edit's buttons: the text's leading decimal number (0 when there is none) stepped by
// one and held to 1..10.
int parseWheelText(std::string_view text);
constexpr int wheelUp(int lines) { return std::min(std::max(lines, kMinWheelLines) + 1, kMaxWheelLines); }
constexpr int wheelDown(int lines) { return std::max(std::min(lines, kMaxWheelLines) - 1, kMinWheelLines); }

}  // namespace perf
