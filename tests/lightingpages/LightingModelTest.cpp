// The lighting model without a display: the change rules (bytes, marks, saves), where keyboard
// colours go, typed components, custom sets and the same-mode sync.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "LightingFakes.h"
#include "lighting/LightingModel.h"
#include "lighting/QuickColourSwatch.h"

using lighting::LightDevice;
using lighting::Rgb;
using testsupport::LightingLog;
using Events = std::vector<std::string>;

namespace {
constexpr auto KB = LightDevice::keyboard, MS = LightDevice::mouse, MP = LightDevice::pad;
}

class LightingModelTest : public ::testing::Test {
protected:
    uint8_t* record(LightDevice d) {
        return d == KB ? kb->record.data() : d == MS ? ms->record.data() : mp->record.data();
    }
    std::array<uint8_t, 3> led(int set, int number) const {
        const auto& s = kb->lighting.sets[std::size_t(set)];
        return {s[std::size_t(number) * 3], s[std::size_t(number) * 3 + 1], s[std::size_t(number) * 3 + 2]};
    }

    std::unique_ptr<KeyboardMirror> kb = std::make_unique<KeyboardMirror>();
    std::unique_ptr<MouseMirror> ms = std::make_unique<MouseMirror>();
    std::unique_ptr<PadMirror> mp = std::make_unique<PadMirror>();
    LightingLog log;
    lighting::LightingModel model{*kb, *ms, *mp, log, log};
};

TEST_F(LightingModelTest, EveryChangeStoresItsByteWithItsMarkAndSave) {
    struct Row {
        const char* what;
        LightDevice device;
        std::function<void(lighting::LightingModel&)> change;
        std::size_t byte;
        int value;
        Events events;
    };
    const Row rows[] = {
        {"keyboard mode", KB, [](auto& m) { m.setMode(KB, 3); }, 1, 3, {"reset", "mark kb", "save kb"}},
        {"keyboard mode 4 primes", KB, [](auto& m) { m.setMode(KB, 4); }, 1, 4, {"reset", "prime", "mark kb", "save kb"}},
        {"keyboard mode 5 seeds", KB, [](auto& m) { m.setMode(KB, 5); }, 1, 5, {"reset", "seed", "mark kb", "save kb"}},
        {"mouse mode 6 refused", MS, [](auto& m) { m.setMode(MS, 6); }, 1, 0, {}},
        {"pad mode", MP, [](auto& m) { m.setMode(MP, 9); }, 1, 9, {"mark mp", "save mp"}},
        {"brightness", MS, [](auto& m) { m.setBrightness(MS, 3); }, 2, 3, {"mark ms", "save ms"}},
        {"brightness clamped", KB, [](auto& m) { m.setBrightness(KB, 9); }, 2, 4, {"mark kb", "save kb"}},
        {"keyboard speed 4", KB, [](auto& m) { m.setSpeedFromSlider(KB, 4); }, 3, 0, {"mark kb", "save kb"}},
        {"keyboard speed 6", KB, [](auto& m) { m.setSpeedFromSlider(KB, 6); }, 3, 0, {"mark kb", "save kb"}},
        {"keyboard speed 1", KB, [](auto& m) { m.setSpeedFromSlider(KB, 1); }, 3, 3, {"mark kb", "save kb"}},
        {"pad speed 14", MP, [](auto& m) { m.setSpeedFromSlider(MP, 14); }, 3, 0, {"mark mp", "save mp"}},
        {"pad speed 0", MP, [](auto& m) { m.setSpeedFromSlider(MP, 0); }, 3, 14, {"mark mp", "save mp"}},
        {"direction left", MP, [](auto& m) { m.setDirection(MP, true); }, 4, 1, {"mark mp", "save mp"}},
        {"multi-colour", KB, [](auto& m) { m.setMultiColour(KB, true); }, 5, 1, {"mark kb", "save kb"}},
        {"apply colour", MS, [](auto& m) { m.applyColour(MS, {1, 2, 3}); }, 7, 2, {"mark ms", "save ms"}},
        {"typed component mouse", MS, [](auto& m) { m.typeComponent(MS, 2, 77); }, 8, 77, {"mark ms", "save ms"}},
        {"typed component keyboard", KB, [](auto& m) { m.typeComponent(KB, 0, 9); }, 6, 9, {"mark kb", "save kb"}},
        {"typed component out of range", KB, [](auto& m) { m.typeComponent(KB, 3, 9); }, 6, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        *kb = {}, *ms = {}, *mp = {};
        log.events.clear();
        row.change(model);
        EXPECT_EQ(record(row.device)[row.byte], row.value);
        EXPECT_EQ(log.events, row.events);
    }
}

TEST_F(LightingModelTest, KeyboardColourGoesToBrushInCustomModeAndToRollerWhileOn) {
    record(KB)[1] = 8;
    record(KB)[5] = 1;
    record(KB)[6] = 10;
    EXPECT_EQ(model.applyColour(KB, {200, 100, 50}), lighting::ColourTarget::brush);
    EXPECT_EQ(model.brush(), (Rgb{200, 100, 50}));
    EXPECT_EQ(record(KB)[6], 10);
    EXPECT_EQ(record(KB)[5], 1);
    EXPECT_EQ(model.typeComponent(KB, 1, 7), lighting::ColourTarget::brush);
    EXPECT_EQ(model.brush(), (Rgb{200, 7, 50}));
    EXPECT_EQ(log.events, (Events{"save kb", "save kb"}));

    log.events.clear();
    record(KB)[1] = 3;
    model.setRoller(true);
    EXPECT_EQ(model.applyColour(KB, {1, 2, 3}), lighting::ColourTarget::roller);
    EXPECT_EQ(model.roller(), (Rgb{1, 2, 3}));
    EXPECT_EQ(record(KB)[6], 10);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(LightingModelTest, TypedComponentText) {
    using R = lighting::TypedComponent::Result;
    struct Row {
        const char* text;
        R result;
        int value;
        bool rewrite;
    } rows[] = {
        {"300", R::accepted, 255, true},    {"255", R::accepted, 255, false},
        {"007", R::accepted, 7, false},     {" 12 ", R::accepted, 12, false},
        {"99999999999999999999", R::accepted, 255, true},
        {"", R::empty, 0, false},           {"  ", R::empty, 0, false},
        {"-5", R::refused, 0, false},       {"1e2", R::refused, 0, false},
        {"abc", R::refused, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const auto typed = lighting::parseColourComponent(row.text);
        EXPECT_EQ(typed.result, row.result);
        EXPECT_EQ(typed.value, row.value);
        EXPECT_EQ(typed.rewrite, row.rewrite);
    }
}

TEST_F(LightingModelTest, CustomSetsPaintFillAndClearTheSelectedSet) {
    kb->lighting.brush = {9, 8, 7};
    EXPECT_FALSE(model.selectCustomSet(5));
    EXPECT_TRUE(model.selectCustomSet(2));
    EXPECT_TRUE(model.paintKey(12));       // picture 12 sits on LED 13
    EXPECT_FALSE(model.paintKey(79));      // no LED
    EXPECT_FALSE(model.paintKey(132));
    EXPECT_EQ(led(2, 13), (std::array<uint8_t, 3>{9, 8, 7}));
    EXPECT_EQ(led(0, 13), (std::array<uint8_t, 3>{0, 0, 0}));

    kb->lighting.brush = {1, 1, 1};
    model.fillUnpainted();
    EXPECT_EQ(led(2, 13), (std::array<uint8_t, 3>{9, 8, 7}));
    EXPECT_EQ(led(2, 0), (std::array<uint8_t, 3>{1, 1, 1}));
    model.clearSet();
    EXPECT_EQ(led(2, 13), (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(log.events, (Events{"save kb", "save kb", "save kb", "save kb"}));

    // A selected set from a foreign file works on set 0 instead of past the sets.
    kb->lighting.selectedSet = 200;
    EXPECT_EQ(model.selectedSet(), 0);
    EXPECT_TRUE(model.paintKey(0));
    EXPECT_EQ(led(0, 1), (std::array<uint8_t, 3>{1, 1, 1}));
}

TEST_F(LightingModelTest, SameModeCopiesBytesOneToEightRawAndHoldsEffects) {
    const std::array<uint8_t, 9> keyboardFields = {4, 9, 3, 2, 1, 1, 10, 20, 30};
    std::copy(keyboardFields.begin(), keyboardFields.end(), record(KB));
    record(KB)[9] = 2;
    record(MS)[0] = 1;
    record(MS)[14] = 3;
    std::vector<std::string> refreshed;
    model.sameModeSync(KB, [&](LightDevice d) {
        refreshed.push_back(testsupport::deviceName(d));
        log.events.push_back(std::string("refresh ") + testsupport::deviceName(d));
    });
    for (LightDevice d : {MS, MP})
        for (std::size_t b = 1; b <= 8; ++b) EXPECT_EQ(record(d)[b], keyboardFields[b]) << b;
    EXPECT_EQ(record(MS)[1], 9);  // the mouse has no mode 9; the copy keeps it all the same
    EXPECT_EQ(record(MS)[0], 1);
    EXPECT_EQ(record(MS)[14], 3);
    EXPECT_EQ(log.events, (Events{"refresh ms", "save ms", "refresh mp", "save mp", "hold"}));
}

TEST_F(LightingModelTest, TablesHoldTheirKnownRows) {
    EXPECT_EQ(lighting::kQuickColourSwatch[1], 0xFF00F6FFu);
    EXPECT_EQ(lighting::kQuickColourSwatch[29], 0xFF4776A4u);
    EXPECT_FALSE(lighting::quickColourSwatch(30).has_value());
    EXPECT_FALSE(lighting::quickColourSwatch(-1).has_value());
    EXPECT_EQ(lighting::modePanels(MS, 6), nullptr);
    EXPECT_EQ(lighting::modePanels(MS, 0, 3), nullptr);
    EXPECT_EQ(lighting::modePanels(KB, -1), nullptr);
    EXPECT_EQ(lighting::modePanels(MS, 1, 0)->multiColour, lighting::Panel::yes);
    EXPECT_EQ(lighting::modePanels(MS, 1, 1)->multiColour, lighting::Panel::no);
    EXPECT_EQ(lighting::modePanels(KB, 8)->colour, lighting::Panel::kept);
    EXPECT_EQ(lighting::modePanels(MP, 6)->direction, lighting::Panel::yes);
}
