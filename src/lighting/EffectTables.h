// The keyboard's built-in lighting tables: which LED lies under each key picture, how the keys
// form columns and a snake path, the colour wheel, the breathing curves, the pass timings and
// the staged show. All constexpr data, so the effect engine and the key pictures read the same
// values and nothing is built at start-up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lighting {

// LEDs run to 131, past what a signed byte holds, so LED numbers are 16-bit.
constexpr int16_t kNoLed = -1;
constexpr int8_t kNoPicture = -1;

// LED under each key picture, kNoLed where the picture has none (112 pictures have one).
// Pictures 100 and 101 sit on the roller LEDs 18 and 19.
constexpr std::array<int16_t, 132> kLedOfPicture = {
    1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,            // 0..11
    13,  15,  16,  17,  22,  44,  66,  88,  110, 23,  24,  25,            // 12..23
    26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,  37,            // 24..35
    38,  39,  40,  41,  42,  43,  45,  46,  47,  48,  49,  50,            // 36..47
    51,  52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  62,            // 48..59
    63,  64,  115, 67,  68,  69,  70,  71,  72,  73,  74,  75,            // 60..71
    76,  77,  78,  80,  84,  85,  86,  -1,  -1,  -1,  -1,  -1,            // 72..83
    89,  91,  92,  93,  94,  95,  96,  97,  98,  99,  100, 102,           // 84..95
    104, 106, 107, 108, 18,  19,  -1,  -1,  -1,  111, 112, 113,           // 96..107
    114, 116, 117, 118, 119, 125, 126, 127, 129, 130, 131, 65,            // 108..119
    -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,            // 120..131
};

constexpr int kRollerLedA = 18;
constexpr int kRollerLedB = 19;

// LED of a picture, kNoLed for a picture without one or a number outside 0..131.
constexpr int ledOfPicture(int picture) {
    return picture >= 0 && picture < 132 ? kLedOfPicture[picture] : kNoLed;
}

// The keys in 23 columns of 6 rows, row 0 at the top; kNoPicture where a cell is empty. A few
// wide keys stand in two columns, so a ripple passing either column lights them.
constexpr int kColumns = 23;
constexpr int kRows = 6;
using Column = std::array<int8_t, kRows>;
constexpr std::array<Column, kColumns> kColumnTable = {{
    {-1, 16, 17, 18, 19, 20},     {-1, 21, 42, 63, 84, 105},    {0, 22, 43, 64, 85, 106},
    {1, 23, 44, 65, 86, 107},     {2, 24, 45, 66, 87, -1},      {3, 25, 46, 67, 88, -1},
    {4, 26, 47, 68, 89, 108},     {-1, 27, 48, 69, 90, 62},     {5, 28, 49, 70, 91, -1},
    {6, 29, 50, 71, 92, 109},     {7, 30, 51, 72, 93, 109},     {8, 31, 52, 73, 94, 110},
    {9, 32, 53, 74, -1, -1},      {10, 33, 54, -1, -1, 111},    {11, 34, 55, 75, 95, 112},
    {12, 34, 55, -1, 95, 112},    {13, 35, 56, -1, -1, 113},    {14, 36, 57, -1, 96, 114},
    {15, 37, 58, -1, -1, 115},    {100, 38, 59, 76, 97, 116},   {101, 39, 60, 77, 98, -1},
    {-1, 40, 61, 78, 99, 117},    {-1, 41, 119, -1, 118, -1},
}};

// Every picture with an LED once, in a snake over the board (path flow, ripple fading).
constexpr int kKeyPathLength = 112;
constexpr std::array<uint8_t, kKeyPathLength> kKeyPath = {
    101, 100, 15,  14,  13,  12,  11,  10,  9,   8,   7,   6,   5,   4,   3,   2,
    1,   0,   16,  17,  18,  19,  20,  105, 106, 107, 108, 62,  109, 110, 111, 112,
    113, 114, 115, 116, 117, 118, 119, 41,  40,  39,  38,  37,  36,  35,  34,  33,
    32,  31,  30,  29,  28,  27,  26,  25,  24,  23,  22,  21,  42,  63,  84,  85,
    86,  87,  88,  89,  90,  91,  92,  93,  94,  95,  96,  97,  98,  99,  78,  61,
    60,  59,  58,  57,  56,  55,  54,  53,  52,  51,  50,  49,  48,  47,  46,  45,
    44,  43,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,
};

// Colour wheel: six segments of 32 steps between the primaries, each segment raising or
// lowering one component along a perceptual ramp.
constexpr int kWheelSize = 192;
struct WheelColour {
    uint8_t r, g, b;
};
constexpr std::array<uint8_t, 32> kRampUp = {
    1,  3,  5,  7,  10, 14, 18, 22, 26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kRampDown = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

constexpr std::array<WheelColour, kWheelSize> makeWheel() {
    std::array<WheelColour, kWheelSize> w{};
    for (int i = 0; i < 32; ++i) {
        const uint8_t u = kRampUp[i], d = kRampDown[i];
        w[i] = {255, u, 0};
        w[32 + i] = {d, 255, 0};
        w[64 + i] = {0, 255, u};
        w[96 + i] = {0, d, 255};
        w[128 + i] = {u, 0, 255};
        w[160 + i] = {255, 0, d};
    }
    return w;
}
constexpr std::array<WheelColour, kWheelSize> kWheel = makeWheel();

// Breathing curves: a rise then the same values falling back.
constexpr std::array<uint8_t, 48> kRise96 = {
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
constexpr std::array<uint8_t, 64> kRise128 = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

template <std::size_t N>
constexpr std::array<uint8_t, 2 * N> mirrored(const std::array<uint8_t, N>& rise) {
    std::array<uint8_t, 2 * N> c{};
    for (std::size_t i = 0; i < N; ++i) {
        c[i] = rise[i];
        c[2 * N - 1 - i] = rise[i];
    }
    return c;
}
constexpr std::array<uint8_t, 96> kCurve96 = mirrored(kRise96);
constexpr std::array<uint8_t, 128> kCurve128 = mirrored(kRise128);

// Pass timing. The delay has rows for the modes 0..8 by speed byte 0..4; mode 9 paces itself on
// the timer's half-rate flag and takes kRippleDelayMs.
constexpr int kEffectModes = 10;
constexpr int kSpeeds = 5;
constexpr std::array<std::array<uint8_t, kSpeeds>, 9> kDelayMs = {{
    {9, 25, 37, 53, 65},  // 0 wave
    {9, 25, 37, 53, 65},  // 1 spectrum cycle
    {9, 25, 37, 53, 63},  // 2 breathing
    {9, 25, 37, 53, 65},  // 3 static
    {9, 25, 37, 53, 65},  // 4 per-key spectrum
    {15, 25, 37, 53, 65}, // 5 bouncing ripple
    {9, 25, 37, 53, 65},  // 6 staged show
    {10, 25, 37, 53, 65}, // 7 path flow
    {9, 25, 37, 53, 65},  // 8 custom
}};
constexpr int kRippleDelayMs = 9;
constexpr std::array<uint8_t, kEffectModes> kExtraWaitMs = {0, 20, 0, 0, 12, 50, 15, 1, 0, 0};

// Brightness byte 0..4 to the level the effects multiply by.
constexpr std::array<uint8_t, 5> kLevelOfBrightness = {0, 64, 128, 190, 255};

// Staged show: stage 0 lights one row of up to six pictures per pass, stage 1 one pair per pass.
constexpr int kStage0Rows = 20;
constexpr std::array<std::array<int8_t, 6>, kStage0Rows> kStage0 = {{
    {0, 118, -1, -1, -1, -1},  {1, 117, -1, -1, -1, -1},  {2, 116, 16, -1, -1, -1},
    {3, 115, 21, 118, -1, -1}, {4, 114, 22, 99, -1, -1},  {5, 113, 23, 98, 17, -1},
    {6, 112, 24, 97, 42, 119}, {7, 111, 25, 96, 43, 78},  {8, 110, 26, 95, 44, 77},
    {9, 109, 27, 94, 45, 76},  {33, 92, 28, 93, 46, -1},  {54, 71, 29, 92, 47, 75},
    {74, 50, 30, 71, 48, -1},  {94, 30, 31, 50, 49, 74},  {93, 31, 52, 30, 50, 73},
    {92, 32, 72, 31, 51, 72},  {71, 33, 71, 52, 52, 71},  {50, 54, 50, 72, 53, -1},
    {30, 74, -1, -1, -1, -1},  {31, 94, -1, -1, -1, -1},
}};
constexpr std::array<std::array<uint8_t, 2>, 16> kStage1Pairs = {{
    {30, 94}, {31, 93}, {32, 92}, {33, 71}, {54, 50}, {74, 30}, {94, 31}, {93, 32},
    {92, 33}, {71, 54}, {50, 74}, {51, 73}, {52, 72}, {53, 51}, {73, 52}, {72, 53},
}};

// First cell of the column table holding the picture, by column then row; false if none.
constexpr bool findColumnCell(int picture, int& column, int& row) {
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r)
            if (kColumnTable[c][r] >= 0 && kColumnTable[c][r] == picture) {
                column = c;
                row = r;
                return true;
            }
    return false;
}

}  // namespace lighting
