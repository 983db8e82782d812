// Consistency of the built-in tables, checked when the library is built: a slip in typing them
// would otherwise show only as a dark or doubled key on the keyboard.
#include "lighting/EffectTables.h"

namespace lighting {
namespace {

constexpr bool ledsAreUniqueAndInRange() {
    std::array<bool, 132> seen{};
    int mapped = 0;
    for (int16_t led : kLedOfPicture) {
        if (led == kNoLed) continue;
        if (led < 0 || led >= 132 || seen[led]) return false;
        seen[led] = true;
        ++mapped;
    }
    return mapped == kKeyPathLength;
}

// The path visits each picture with an LED exactly once, and nothing else.
constexpr bool pathCoversEveryLitPicture() {
    std::array<bool, 132> seen{};
    for (uint8_t p : kKeyPath) {
        if (p >= 132 || seen[p] || kLedOfPicture[p] == kNoLed) return false;
        seen[p] = true;
    }
    return true;
}

constexpr bool cellsArePictures() {
    for (const auto& column : kColumnTable)
        for (int8_t p : column)
            if (p != kNoPicture && p < 0) return false;
    for (const auto& row : kStage0)
        for (int8_t p : row)
            if (p != kNoPicture && p < 0) return false;
    for (const auto& pair : kStage1Pairs)
        if (pair[0] >= 132 || pair[1] >= 132) return false;
    return true;
}

static_assert(ledsAreUniqueAndInRange());
static_assert(pathCoversEveryLitPicture());
static_assert(cellsArePictures());
static_assert(kLedOfPicture[100] == kRollerLedA && kLedOfPicture[101] == kRollerLedB);
static_assert(kWheel[0].r == 255 && kWheel[0].g == 1 && kWheel[191].b == 0);
static_assert(kCurve96[47] == 255 && kCurve96[48] == 255 && kCurve96[95] == 22);
static_assert(kCurve128[0] == 0 && kCurve128[127] == 0);

}  // namespace
}  // namespace lighting
