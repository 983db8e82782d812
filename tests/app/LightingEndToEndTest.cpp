// The keyboard's lighting on the wire, end to end: a stored keyboard device profile says which
// effect runs, the real program applies it on arrival, and the frames zelkar-vhid receives (a
// separate process) are that effect's, byte for byte.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/ProcessAndWire.h"
#include "profile/IniFile.h"
#include "profile/ProfileFile.h"
#include "support/TestSupport.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;
using Frame = std::array<uint8_t, 396>;

// The LEDs that have a key picture, written out here from the keyboard's LED map (on purpose not
// taken from the program's own table): every other LED must stay dark on the wire.
constexpr uint8_t kLitLeds[] = {
    1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  15,  16,  17,  22,  44,  66,  88,
    110, 23,  24,  25,  26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,  37,  38,  39,  40,  41,
    42,  43,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  62,
    63,  64,  115, 67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,  78,  80,  84,  85,  86,  89,
    91,  92,  93,  94,  95,  96,  97,  98,  99,  100, 102, 104, 106, 107, 108, 18,  19,  111, 112, 113,
    114, 116, 117, 118, 119, 125, 126, 127, 129, 130, 131, 65};
static_assert(sizeof(kLitLeds) == 112);

struct Case {
    const char* what;
    uint8_t mode, brightness;  // brightness index: level 0, 64, 128, 190, 255
    std::array<uint8_t, 3> colour;
    Frame (*expected)(const Case&);
};

uint8_t scale(unsigned c, unsigned a) { return uint8_t(c * a / 256); }
constexpr unsigned kLevels[] = {0, 64, 128, 190, 255};

// Static: the frame holds the colour scaled by the level, and the wire scales it by the level again.
Frame staticFrame(const Case& c) {
    Frame f{};
    const unsigned l = kLevels[c.brightness];
    for (uint8_t led : kLitLeds)
        for (int i = 0; i < 3; ++i) f[size_t(led) * 3 + size_t(i)] = scale(scale(c.colour[size_t(i)], l), l);
    return f;
}

// Custom: LED n of the selected set (filled below with n, 2n, 255 - n), scaled by the level once.
std::array<uint8_t, 3> customColour(unsigned led) { return {uint8_t(led), uint8_t(2 * led), uint8_t(255 - led)}; }
Frame customFrame(const Case& c) {
    Frame f{};
    for (uint8_t led : kLitLeds) {
        const auto colour = customColour(led);
        for (int i = 0; i < 3; ++i) f[size_t(led) * 3 + size_t(i)] = scale(colour[size_t(i)], kLevels[c.brightness]);
    }
    return f;
}

const Case kCases[] = {
    {"static", 3, 2, {200, 100, 50}, staticFrame},
    {"custom", 8, 3, {1, 2, 3}, customFrame},
};

// The stored keyboard device profile "Racing", selected, with the case's lighting in its record.
void storeDeviceProfile(const std::string& documents, const Case& c) {
    const std::string folder = documents + "/ZELKAR/kb/";
    std::filesystem::create_directories(folder);
    std::vector<uint8_t> payload(2560, 0);
    payload[1] = c.mode;
    payload[2] = c.brightness;
    payload[3] = 2;  // speed
    payload[5] = 0;  // one colour
    payload[6] = c.colour[0], payload[7] = c.colour[1], payload[8] = c.colour[2];
    payload[24] = 1;                 // the keyboard has a lighting page
    const size_t selectedSet = 2, sets = 68;
    payload[64] = uint8_t(selectedSet);
    for (unsigned led = 0; led < 132; ++led)
        for (int i = 0; i < 3; ++i) payload[sets + selectedSet * 396 + led * 3 + size_t(i)] = customColour(led)[size_t(i)];
    ASSERT_TRUE(writeProfileFile(folder + "Racing.config", payload.data(), payload.size(), ProfileTagKeyboard));
    const std::string ini = folder + "kbProfile.ini";
    ASSERT_TRUE(writeIniString(ini, "PROFILEDEVICECOUNT", "count", "1"));
    ASSERT_TRUE(writeIniString(ini, "PROFILEDEVICENAME", "0", "Racing"));
    ASSERT_TRUE(writeIniString(ini, "PROFILEDEVICESELECT", "select", "0"));
}

// Frames put together from the command 18 chunks on the wire, in the order they were completed.
std::vector<Frame> framesOnTheWire(const std::vector<Report>& sent) {
    std::vector<Frame> frames;
    Frame building{};
    unsigned filled = 0;
    for (const Report& r : sent) {
        if (r.bytes[3] != 18) continue;
        const unsigned length = r.bytes[4], address = unsigned(r.bytes[5] | (r.bytes[6] << 8));
        if (address == 0) filled = 0;
        if (address != filled || address + length > building.size()) continue;
        std::copy_n(r.bytes.begin() + 8, length, building.begin() + address);
        filled += length;
        if (filled == building.size()) frames.push_back(building);
    }
    return frames;
}

}  // namespace

TEST(LightingEndToEnd, TheStoredDeviceProfilesEffectIsWhatTheKeyboardReceives) {
    ZELKAR_NEED_PROGRAM(Session().built(), "the program");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Session session;
        storeDeviceProfile(session.documents, c);
        const auto bus = session.startBus("kb");
        const auto zelkar = session.startProgram();
        OutputOnFailure programOutput{session.log};

        // The effect thread starts 3 s after the window; the frames settle on the effect's image.
        const Frame expected = c.expected(c);
        std::vector<Frame> frames;
        EXPECT_TRUE(waitUntil([&] {
            frames = framesOnTheWire(sentTo(readWire(session.wire), "kb"));
            return frames.size() >= 3 && frames.back() == expected && frames[frames.size() - 2] == expected;
        }, 30s)) << "frames seen: " << frames.size() << "; last: "
                 << (frames.empty() ? std::string("none") : testsupport::toHex(frames.back().data(), 396));
    }
}
