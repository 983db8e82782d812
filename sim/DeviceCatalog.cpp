#include "sim/DeviceCatalog.h"

#include "sim/KeyLayouts.h"
#include "sim/ReportDescriptors.h"

namespace sim {
namespace {

constexpr const char* kAreaNames[kAreaCount] = {"info", "defaultkeys", "settings", "keys",
                                                "macro", "recoil", "frame"};

// Area sizes in Area order: info, defaultkeys, settings, keys, macro, recoil, frame.
constexpr size_t kSettingsSize = kSettingsBlocks * kSettingsBlockStride;

const InterfaceDefinition kKeyboardInterfaces[] = {
    {0, bootKeyboardDescriptor()},
    {1, keyboardExtrasDescriptor()},
};
const InterfaceDefinition kMouseInterfaces[] = {
    {0, bootMouseDescriptor()},
    {1, commandOnlyDescriptor()},
};
const InterfaceDefinition kPadInterfaces[] = {
    {0, commandOnlyDescriptor()},
};

const DeviceDefinition kDevices[] = {
    {"kb", 0x0C45, 0x751D, 0x0105, kKeyboardInterfaces, 1, 1,
     {kInfoSize, 126 * 3, kSettingsSize, kKeysAreaSize, 16 * 128, 0, kFrameSize}, 126, 16},
    {"small", 0x0C45, 0x761E, 0x0102, kKeyboardInterfaces, 1, 1,
     {kInfoSize, 20 * 3, kSettingsSize, kKeysAreaSize, 16 * 128, 0, 0}, 20, 16},
    {"companion", 0x0C45, 0x7624, 0x0101, kKeyboardInterfaces, 1, 1,
     {kInfoSize, 16 * 3, kSettingsSize, kKeysAreaSize, 16 * 128, 0, 0}, 16, 16},
    {"mouse", 0x0C45, 0x6656, 0x0210, kMouseInterfaces, 1, -1,
     {kInfoSize, 512, kSettingsSize, kKeysAreaSize, 16 * 128, kRecoilSize, 0}, 42, 16},
    {"pad", 0x0C45, 0x6758, 0x0103, kPadInterfaces, 0, -1,
     {kInfoSize, 0, kSettingsSize, 0, 0, 0, 0}, 0, 0},
};

struct Rgb {
    uint8_t r, g, b;
};
// One colour per onboard profile, so a test can tell the blocks apart.
constexpr Rgb kProfileColours[kSettingsBlocks] = {
    {0xFF, 0x40, 0x00}, {0x00, 0x80, 0xFF}, {0x00, 0xFF, 0x60}, {0xFF, 0x00, 0xA0}, {0xFF, 0xFF, 0xFF}};

// Lighting bytes 1..8 of a settings block: mode, brightness, speed, direction, multi-colour, colour.
void putLighting(uint8_t* block, uint8_t mode, uint8_t brightness, uint8_t speed, uint8_t direction,
                 uint8_t multi, Rgb colour) {
    block[1] = mode;
    block[2] = brightness;
    block[3] = speed;
    block[4] = direction;
    block[5] = multi;
    block[6] = colour.r;
    block[7] = colour.g;
    block[8] = colour.b;
}

void fillSettingsBlock(const DeviceDefinition& def, unsigned p, uint8_t* block) {
    const std::string_view name = def.name;
    block[0] = uint8_t(p);  // block 0 byte 0 doubles as the active profile number (0)
    if (name == "mouse") {
        static constexpr uint8_t kModes[] = {1, 0, 2, 3, 4};
        putLighting(block, kModes[p], 3, 2, 0, 0, kProfileColours[p]);
        block[11] = 0x00, block[12] = 0xFF, block[13] = 0x00;  // resolution colour
        block[14] = 3;                                         // report rate index
        block[15] = 2, block[16] = 6, block[17] = 14, block[18] = 30;  // 400, 800, 1600, 3200 dpi
        block[19] = 1;                                         // active resolution level
        block[20] = 38, block[21] = 48;                        // 4000, 5000 dpi
        block[22] = 1;                                         // sensor height
    } else if (name == "pad") {
        static constexpr uint8_t kModes[] = {2, 0, 3, 5, 7};
        putLighting(block, kModes[p], 3, 7, 0, 0, kProfileColours[p]);
    } else {
        static constexpr uint8_t kModes[] = {0, 3, 2, 1, 7};  // wave, static, breathing, ...
        putLighting(block, kModes[p], 4, 2, 1, 0, kProfileColours[p]);
        block[23] = 0;  // A/B flag
        block[24] = 1;  // lighting tab shown
        block[25] = 0;
    }
}

std::span<const KeyCode> layoutOf(const DeviceDefinition& def) {
    const std::string_view name = def.name;
    if (name == "kb") return keyboardLayout();
    if (name == "small") return smallKeyboardLayout();
    if (name == "companion") return companionKeyboardLayout();
    if (name == "mouse") return mouseButtonLayout();
    return {};
}

void putKeys(std::span<const KeyCode> layout, uint8_t* out, size_t room) {
    for (size_t i = 0; i < layout.size() && 3 * i + 3 <= room; ++i) {
        out[3 * i] = layout[i].type;
        out[3 * i + 1] = layout[i].p1;
        out[3 * i + 2] = layout[i].p2;
    }
}

}  // namespace

const char* areaName(Area area) {
    const size_t i = size_t(area);
    return i < kAreaCount ? kAreaNames[i] : "?";
}

bool areaFromName(std::string_view name, Area* area) {
    for (size_t i = 0; i < kAreaCount; ++i)
        if (name == kAreaNames[i]) {
            *area = Area(i);
            return true;
        }
    return false;
}

std::span<const DeviceDefinition> deviceCatalog() { return kDevices; }

const DeviceDefinition* findDevice(std::string_view name) {
    for (const DeviceDefinition& d : kDevices)
        if (name == d.name) return &d;
    return nullptr;
}

std::vector<uint8_t> factoryContents(const DeviceDefinition& def, Area area) {
    std::vector<uint8_t> out(def.areaSize[size_t(area)], 0);
    if (out.empty()) return out;
    switch (area) {
    case Area::Info:
        out[0] = uint8_t(def.version), out[1] = uint8_t(def.version >> 8);
        out[2] = uint8_t(def.productId), out[3] = uint8_t(def.productId >> 8);
        out[4] = kSettingsBlocks;
        out[5] = def.keyCount;
        out[6] = def.macroUnits;
        out[7] = 1;
        if (std::string_view(def.name) == "mouse") {
            out[9] = 0x25, out[10] = 0x33;  // sensor 0x3325
            out[11] = 100;                  // dpi per step
            out[12] = 48;                   // steps: 200 + 48 x 100 = 5000 dpi
            out[13] = 200, out[14] = 0;     // base 200 dpi
        }
        break;
    case Area::DefaultKeys:
        putKeys(layoutOf(def), out.data(), out.size());
        break;
    case Area::Settings:
        for (unsigned p = 0; p < kSettingsBlocks; ++p)
            fillSettingsBlock(def, p, out.data() + p * kSettingsBlockStride);
        break;
    case Area::Keys:
        // Every profile starts as the default table. Written from profile 4 down so that
        // profile 0, the one the keyboards are read from, is whole where the tables overlap.
        for (int p = int(kSettingsBlocks) - 1; p >= 0; --p)
            putKeys(layoutOf(def), out.data() + p * kKeyTableStride, out.size() - p * kKeyTableStride);
        break;
    case Area::Macro:
    case Area::Recoil:
    case Area::Frame:
        break;  // empty images
    }
    return out;
}

}  // namespace sim
