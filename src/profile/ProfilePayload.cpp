#include "profile/ProfilePayload.h"

#include <algorithm>
#include <cstring>

static_assert(payload::kKeyboardSets + KeyboardCustomLighting::kSets * KeyboardCustomLighting::kSetSize ==
              payload::kKeyboardLightingSize);
static_assert(payload::kMouseBlock + mirror::kSettingsBlockSize == 576);

namespace {

template <typename Area>
void put(std::vector<uint8_t>& out, std::size_t offset, const Area& area) {
    std::memcpy(out.data() + offset, area.data(), area.size());
}

template <typename Area>
void take(Area& area, const uint8_t* from) {
    std::memcpy(area.data(), from, area.size());
}

// ---- keyboard ----

void keyboardRecordIntoBlock(KeyboardMirror& kb) {
    std::copy(kb.record.begin(), kb.record.end(), kb.blocks[0].begin());
}

void putKeyboardLighting(std::vector<uint8_t>& out, const KeyboardMirror& kb) {
    put(out, 0, kb.blocks[0]);
    out[payload::kKeyboardSelectedSet] = kb.lighting.selectedSet;
    put(out, payload::kKeyboardBrush, kb.lighting.brush);
    for (std::size_t s = 0; s < KeyboardCustomLighting::kSets; ++s)
        put(out, payload::kKeyboardSets + s * KeyboardCustomLighting::kSetSize, kb.lighting.sets[s]);
}

void takeKeyboardLighting(KeyboardMirror& kb, const uint8_t* p) {
    take(kb.blocks[0], p);
    std::copy_n(kb.blocks[0].begin(), kb.record.size(), kb.record.begin());
    const uint8_t set = p[payload::kKeyboardSelectedSet];
    kb.lighting.selectedSet = set < KeyboardCustomLighting::kSets ? set : 0;
    take(kb.lighting.brush, p + payload::kKeyboardBrush);
    for (std::size_t s = 0; s < KeyboardCustomLighting::kSets; ++s)
        take(kb.lighting.sets[s], p + payload::kKeyboardSets + s * KeyboardCustomLighting::kSetSize);
}

// ---- mouse ----

void mouseRecordIntoBlock(MouseMirror& ms, const MouseSystemSettings& system) {
    std::copy(ms.record.begin(), ms.record.end(), ms.blocks[0].begin());
    ms.blocks[0][kMouseBlockPointerSpeed] = system.pointerSpeed.load();
    ms.blocks[0][kMouseBlockWheelLines] = system.wheelLines.load();
}

void takeMouseBlock(MouseMirror& ms, MouseSystemSettings& system, const uint8_t* p) {
    take(ms.blocks[0], p);
    std::copy_n(ms.blocks[0].begin(), ms.record.size(), ms.record.begin());
    const uint8_t speed = ms.blocks[0][kMouseBlockPointerSpeed];
    const uint8_t lines = ms.blocks[0][kMouseBlockWheelLines];
    system.pointerSpeed.store(speed ? speed : 1);
    system.wheelLines.store(lines ? lines : 1);
}

// ---- pad ----

void padRecordIntoBlock(PadMirror& pad) { std::copy(pad.record.begin(), pad.record.end(), pad.blocks[0].begin()); }

void takePadBlock(PadMirror& pad, const uint8_t* p) {
    take(pad.blocks[0], p);
    std::copy_n(pad.blocks[0].begin(), pad.record.size(), pad.record.begin());
}

}  // namespace

std::vector<uint8_t> buildProfilePayload(ProfileList list, ProfileMirrors& m) {
    std::vector<uint8_t> out(profileListInfo(list).payloadSize, 0);
    switch (list) {
    case ProfileList::keyboardDevice:
        keyboardRecordIntoBlock(m.keyboard);
        putKeyboardLighting(out, m.keyboard);
        put(out, payload::kKeyboardKeyTable, m.keyboard.workingKeyTable[0]);
        break;
    case ProfileList::keyboardLighting:
        keyboardRecordIntoBlock(m.keyboard);
        putKeyboardLighting(out, m.keyboard);
        break;
    case ProfileList::keyboardKeys:
        put(out, 0, m.keyboard.workingKeyTable[0]);
        break;
    case ProfileList::mouseDevice:
        mouseRecordIntoBlock(m.mouse, m.mouseSystem);
        put(out, 0, m.mouse.keyTables[0]);
        put(out, payload::kMouseBlock, m.mouse.blocks[0]);
        break;
    case ProfileList::mouseLighting:
        mouseRecordIntoBlock(m.mouse, m.mouseSystem);
        put(out, 0, m.mouse.blocks[0]);
        break;
    case ProfileList::mouseKeys:
        put(out, 0, m.mouse.keyTables[0]);
        break;
    case ProfileList::padLighting:
        padRecordIntoBlock(m.pad);
        put(out, 0, m.pad.blocks[0]);
        break;
    }
    return out;
}

void applyProfilePayload(ProfileList list, const uint8_t* p, ProfileMirrors& m) {
    switch (list) {
    case ProfileList::keyboardDevice:
        takeKeyboardLighting(m.keyboard, p);
        take(m.keyboard.workingKeyTable[0], p + payload::kKeyboardKeyTable);
        break;
    case ProfileList::keyboardLighting:
        takeKeyboardLighting(m.keyboard, p);
        break;
    case ProfileList::keyboardKeys:
        take(m.keyboard.workingKeyTable[0], p);
        break;
    case ProfileList::mouseDevice:
        take(m.mouse.keyTables[0], p);
        takeMouseBlock(m.mouse, m.mouseSystem, p + payload::kMouseBlock);
        break;
    case ProfileList::mouseLighting:
        takeMouseBlock(m.mouse, m.mouseSystem, p);
        break;
    case ProfileList::mouseKeys:
        take(m.mouse.keyTables[0], p);
        break;
    case ProfileList::padLighting:
        takePadBlock(m.pad, p);
        break;
    }
}
