// The keyboard key page on the real main layout (offscreen), with the scripted input capture: the
// editor's encodings and decodings, key capture, the remapped-key marks, and a remapped key saved
// to the emulated keyboard family.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "app/ui/UiQt.h"
#include "integration/BusFixture.h"
#include "support/PageTestSupport.h"
#include "keys/KeyboardDefaultCodes.h"
#include "keys/pages/KeyboardKeyPage.h"
#include "mirror/KeyboardTransfers.h"
#include "platform/capture/ScriptedInputCapture.h"

using namespace testsupport;

namespace {

using Entry = std::array<uint8_t, 3>;

std::string text(const std::string& key) { return ui::Language::instance().text(key); }

}  // namespace

class KeyboardKeyPageTest : public ::testing::Test {
protected:
    KeyboardKeyPageTest() {
        ensureQtApplication();
        ui::setSkinDir(std::string(std::getenv("ZELKAR_SOURCE_DIR")) + "/skin");
        host = std::make_unique<QWidget>();
        ui::buildInto(ui, host.get(), "main.xml");
        mirror->workingKeyTable[0] = keyboardDefaultKeyTable();
        page = std::make_unique<KeyboardKeyPage>(ui, *mirror, capture, [this] { return macros; });
        // What the window does: route the page's notifications, turn captured keys into 0x0801.
        ui.setSink([this](const ui::Notification& n) {
            ++notifications;
            if (n.sender.rfind("kb_key_", 0) != 0) return;
            const std::size_t underscore = n.sender.find_last_of('_');
            page->onNotification(n, std::atoi(n.sender.c_str() + underscore + 1));
        });
        capture.setKeySink([this](uint32_t message, const CapturedKey& key) {
            messages.push_back(message);
            if (message == hookmsg::KeySingleKey) page->onCapturedKey(key.virtualKey, key.flags);
        });
        page->refresh();
    }

    Entry entry(int key, unsigned profile = 0) const {
        const uint8_t* e = &mirror->workingKeyTable[profile][std::size_t(key) * 3];
        return {e[0], e[1], e[2]};
    }
    void setEntry(int key, Entry value) { std::memcpy(&mirror->workingKeyTable[0][std::size_t(key) * 3], value.data(), 3); }
    void click(const std::string& name) { ui.raise("click", name); }
    void choose(const std::string& combo, int item) { ui.setCurrent(combo, item, true); }
    void type(const std::string& edit, const std::string& value) {
        ui.setText(edit, value);
        ui.raise("textchanged", edit);
    }
    std::string tip(int key) const { return ui::widget(ui, "kb_key_" + std::to_string(key))->toolTip().toStdString(); }
    std::string image(int key) const { return ui.bkImage("kb_key_" + std::to_string(key)); }
    std::string plainImage(int key) const { return ui.userData("kb_key_" + std::to_string(key)); }
    int visibleSubPanel() const {
        int shown = -1;
        for (int i = 0; i < 10; ++i)
            if (ui.isVisible("kb_tab_function_" + std::to_string(i))) shown = shown == -1 ? i : -2;
        return shown;
    }

    ui::Ui ui;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<KeyboardMirror> mirror = std::make_unique<KeyboardMirror>();
    ScriptedInputCapture capture;
    std::vector<std::string> macros;
    std::unique_ptr<KeyboardKeyPage> page;
    int notifications = 0;
    std::vector<uint32_t> messages;
};

TEST_F(KeyboardKeyPageTest, SwingEncodesAtOnceAndOpensBackSilently) {
    click("kb_key_30");
    EXPECT_TRUE(ui.isVisible("kb_tab_function"));
    EXPECT_EQ(page->openedKey(), 30);
    choose("kb_key_fct_combo", 2);
    EXPECT_EQ(visibleSubPanel(), 2);
    choose("kb_key_fct_combo_12", 1);
    type("kb_key_fct_edit_15", "5");
    type("kb_key_fct_edit_17", "3");
    type("kb_key_fct_edit_20", "2");
    EXPECT_EQ(entry(30), (Entry{0x11, 0x32, 0x85}));

    // Another key moves the editor; coming back shows right, 5, 3, 2 without a notification.
    click("kb_key_31");
    EXPECT_EQ(ui.current("kb_key_fct_combo"), 0);
    EXPECT_EQ(visibleSubPanel(), 0);
    setEntry(40, {0x11, 0x32, 0x85});
    const int before = notifications;
    page->openKey(40);
    EXPECT_EQ(notifications, before);
    EXPECT_EQ(ui.current("kb_key_fct_combo"), 2);
    EXPECT_EQ(ui.current("kb_key_fct_combo_12"), 1);
    EXPECT_EQ(ui.text("kb_key_fct_edit_15"), "5");
    EXPECT_EQ(ui.text("kb_key_fct_edit_17"), "3");
    EXPECT_EQ(ui.text("kb_key_fct_edit_20"), "2");
    EXPECT_EQ(visibleSubPanel(), 2);
    EXPECT_EQ(entry(40), (Entry{0x11, 0x32, 0x85}));
}

TEST_F(KeyboardKeyPageTest, MacroChooserPlayModeAndRepeat) {
    // Without macros the chooser is empty and the macro type writes nothing.
    EXPECT_EQ(ui.itemCount("kb_key_fct_combo_23"), 0);
    click("kb_key_45");
    choose("kb_key_fct_combo", 9);
    EXPECT_EQ(entry(45), (Entry{0x20, 0x00, 0x08}));

    macros = {"jump", "reload", "burst"};
    page->refresh();
    ASSERT_EQ(ui.itemCount("kb_key_fct_combo_23"), 3);
    choose("kb_key_fct_combo_23", 2);
    choose("kb_key_fct_combo_24", 4);
    EXPECT_TRUE(ui.isVisible("kb_tab_function_26"));
    type("kb_key_fct_edit_25", "10");
    EXPECT_EQ(entry(45), (Entry{0x71, 2, 10}));
    choose("kb_key_fct_combo_24", 1);
    EXPECT_FALSE(ui.isVisible("kb_tab_function_26"));
    EXPECT_EQ(entry(45), (Entry{0x70, 2, 1}));
    // The macro's own name ends the tip, untranslated.
    EXPECT_EQ(tip(45), text("keyboard_key_E") + text("Key_Set") + "burst");

    // A macro index beyond the list: the tip stays, opening clears the macro selection, and
    // nothing is rewritten.
    setEntry(46, {0x70, 7, 0});
    page->refreshKeyTips();
    EXPECT_EQ(tip(46), text("keyboard_key_R"));
    page->openKey(46);
    EXPECT_EQ(ui.current("kb_key_fct_combo_23"), -1);
    EXPECT_EQ(entry(46), (Entry{0x70, 7, 0}));
}

TEST_F(KeyboardKeyPageTest, CapturedKeysBecomeKeyboardEntries) {
    click("kb_key_64");
    EXPECT_FALSE(page->capturing());
    choose("kb_key_fct_combo", 6);
    ASSERT_TRUE(page->capturing());
    EXPECT_EQ(capture.mode(), HookMode::KeyboardSingleKey);
    EXPECT_EQ(entry(64), (Entry{0x20, 0x00, 0x04})) << "no key captured yet: nothing written";

    struct Case {
        int vk;
        unsigned flags;
        Entry entry;
        const char* name;
    };
    const Case cases[] = {
        {0x0D, 0x01, {0x20, 0x00, 0x58}, "keyboard_key_Num Enter"},  // Enter with the extended flag
        {0x0D, 0x00, {0x20, 0x00, 0x28}, "keyboard_key_Enter"},
        {0x0D, 0x81, {0x20, 0x00, 0x58}, "keyboard_key_Num Enter"},  // its release too
        {0xA2, 0x00, {0x20, 0x01, 0x00}, "keyboard_key_LCtrl"},
        {0xAF, 0x01, {0x20, 0x01, 0x00}, "keyboard_key_LCtrl"},      // volume up: a media row, ignored
        {0x42, 0x00, {0x20, 0x00, 0x05}, "keyboard_key_B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(capture.press(c.vk, c.flags));
        EXPECT_EQ(entry(64), c.entry);
        EXPECT_EQ(ui.textKey("kb_key_fct_edit_21"), c.name);
    }
    EXPECT_EQ(messages, std::vector<uint32_t>(std::size(cases), hookmsg::KeySingleKey));
    // Caps Lock reaches the desktop; the captured ones did not.
    EXPECT_FALSE(capture.press(0x14));
    EXPECT_EQ(capture.passedKeys(), std::vector<int>{0x14});
    EXPECT_EQ(entry(64), (Entry{0x20, 0x00, 0x39})) << "Caps Lock is still captured";

    // Opening a key that holds a keyboard key shows its name and captures again; one that does
    // not ends the capture.
    setEntry(70, {0x20, 0x00, 0x05});
    page->cancelCapture();
    page->openKey(70);
    EXPECT_TRUE(page->capturing());
    EXPECT_EQ(ui.textKey("kb_key_fct_edit_21"), "keyboard_key_B");
    page->openKey(71);
    EXPECT_FALSE(page->capturing());
}

TEST_F(KeyboardKeyPageTest, CaptureEndsOnTypeChangeCancelAndDeactivation) {
    click("kb_key_64");
    choose("kb_key_fct_combo", 6);
    ASSERT_TRUE(page->capturing());
    choose("kb_key_fct_combo", 7);
    EXPECT_FALSE(page->capturing());

    choose("kb_key_fct_combo", 6);
    ASSERT_TRUE(page->capturing());
    const Entry kept = entry(64);
    click("kb_key_butt_keycanlc");
    EXPECT_FALSE(page->capturing());
    EXPECT_FALSE(ui.isVisible("kb_tab_function"));
    EXPECT_FALSE(capture.press(0x43)) << "the key goes to the desktop again";
    EXPECT_EQ(entry(64), kept);

    click("kb_key_64");
    EXPECT_TRUE(ui.isVisible("kb_tab_function"));
    choose("kb_key_fct_combo", 6);
    page->cancelCapture();  // the window on deactivation and tab switch
    EXPECT_FALSE(capture.keyboardInstalled());
    // A capture the page does not own (a macro recording) is left alone.
    capture.install(HookMode::KeyboardMacro, true, false);
    page->cancelCapture();
    EXPECT_TRUE(capture.keyboardInstalled());
}

TEST_F(KeyboardKeyPageTest, DefaultEntryIsItemZeroBothWays) {
    setEntry(64, {0x20, 0x00, 0x05});
    page->openKey(64);
    EXPECT_EQ(ui.current("kb_key_fct_combo"), 6);
    page->cancelCapture();
    choose("kb_key_fct_combo", 0);
    EXPECT_EQ(entry(64), (Entry{0x20, 0x00, 0x04})) << "the built-in code, not (0, 0, 0)";
    page->openKey(90);
    EXPECT_EQ(ui.current("kb_key_fct_combo"), 0);
}

TEST_F(KeyboardKeyPageTest, RemappedKeysAreMarkedAndRestoreUnmarksThem) {
    ASSERT_EQ(image(64), plainImage(64));
    click("kb_key_64");
    choose("kb_key_fct_combo", 6);
    capture.press(0x42);
    EXPECT_EQ(tip(64), text("keyboard_key_A") + text("Key_Set") + text("keyboard_key_B"));
    EXPECT_EQ(image(64), "kb/key_26x26_hot.png");

    click("kb_key_butt_keydefalut");
    EXPECT_EQ(entry(64), (Entry{0x20, 0x00, 0x04}));
    EXPECT_EQ(tip(64), text("keyboard_key_A"));
    EXPECT_EQ(image(64), plainImage(64));
    EXPECT_EQ(ui.current("kb_key_fct_combo"), 0);

    // Another function with the built-in name keeps key 16 unmarked.
    setEntry(16, {0x21, 0x23, 0x02});
    page->refreshKeyTips();
    EXPECT_EQ(image(16), plainImage(16));
    EXPECT_EQ(tip(16), text("keyboard_key_Browaer Home"));

    // An unknown type is named "close_text"; a position without a key is named by its button.
    setEntry(20, {0x45, 0x00, 0x00});
    setEntry(62, {0x20, 0x00, 0x05});
    page->refreshKeyTips();
    EXPECT_EQ(tip(20), text("keyboard_key_Media Next Track") + text("Key_Set") + text("close_text"));
    EXPECT_NE(image(20), plainImage(20));
    EXPECT_EQ(tip(62), text("kb_key_62") + text("Key_Set") + text("keyboard_key_B"));
}

TEST_F(KeyboardKeyPageTest, RestoreMovesToTheKeyAtThatKeyboardPosition) {
    setEntry(64, {0x20, 0x00, 0x05});
    mirror->positionMaps[0][10] = 64;
    mirror->positionMaps[0][12] = 64;
    click("kb_key_64");
    click("kb_key_butt_keydefalut");
    EXPECT_EQ(entry(64), (Entry{0x20, 0x00, 0x04}));
    EXPECT_EQ(page->openedKey(), 10);
}

TEST_F(KeyboardKeyPageTest, BadInputNeverWritesAHalfMadeEntry) {
    click("kb_key_50");
    choose("kb_key_fct_combo", 5);
    type("kb_key_fct_edit_11", "999");
    EXPECT_EQ(ui.text("kb_key_fct_edit_11"), "255");
    type("kb_key_fct_edit_12", "abc");
    EXPECT_EQ(ui.text("kb_key_fct_edit_12"), "0");
    EXPECT_EQ(entry(50), (Entry{0x14, 255, 0}));

    // An entry of a type the editor does not offer shows without changing the editor and stays.
    setEntry(51, {0x60, 0x12, 0x34});
    page->openKey(51);
    EXPECT_EQ(ui.current("kb_key_fct_combo"), 5);
    EXPECT_EQ(entry(51), (Entry{0x60, 0x12, 0x34}));

    // A needed combo without a selection writes nothing.
    click("kb_key_52");
    ui.setCurrent("kb_key_fct_combo_21", -1, false);
    choose("kb_key_fct_combo", 7);
    EXPECT_EQ(entry(52), (Entry{0x20, 0x00, 0x13}));

    // Names that are not a key button, and an active profile beyond the slots (slot 0 is edited).
    page->onNotification({"click", "kb_key_butt_prosave", nullptr}, 0);
    page->onNotification({"click", "kb_key_999", nullptr}, 999);
    EXPECT_EQ(page->openedKey(), 52);
    mirror->record[KeyboardRecord::kProfile] = 9;
    choose("kb_key_fct_combo", 1);
    choose("kb_key_fct_combo_11", 2);
    EXPECT_EQ(entry(52), (Entry{0x10, 0x02, 0x00}));
}

TEST(KeyHotImage, InsertsHotBeforeTheExtension) {
    EXPECT_EQ(keyHotImage("kb/key_26x26.png"), "kb/key_26x26_hot.png");
    EXPECT_EQ(keyHotImage("kb.d/key"), "kb.d/key_hot");
}

// ---- end to end against the emulated keyboard family -------------------------------------------------

class KeyboardKeyPageDeviceTest : public KeyboardKeyPageTest {
protected:
    void SetUp() override {
        connectKeyboardFamily(bus, kb, small, companion);
        if (HasFatalFailure()) return;
        transfers.readAll();
        transfers.readSmall();
        transfers.readCompanion();
        page->refresh();
    }
    std::vector<uint8_t> keys(const char* unit) const {
        std::vector<uint8_t> out;
        EXPECT_TRUE(bus.peek(unit, sim::Area::Keys, 0, 512, &out));
        return out;
    }
    // The unit that carries a logical key (the companion keyboard first, as the split does).
    std::pair<const char*, int> home(int key) const {
        const std::pair<KeyboardUnit, const char*> order[] = {
            {KeyboardUnit::companion, "companion"}, {KeyboardUnit::keyboard, "kb"}, {KeyboardUnit::small, "small"}};
        for (auto [unit, name] : order)
            if (int p = mirror->positionMaps[std::size_t(unit)][std::size_t(key)]; p != kPositionAbsent) return {name, p};
        return {nullptr, -1};
    }
    void remapAndSave(int key, int vk) {
        click("kb_key_" + std::to_string(key));
        choose("kb_key_fct_combo", 6);
        capture.press(vk);
        page->cancelCapture();
        transfers.saveToDevice();
    }

    TempDir dir;
    sim::VirtualBus bus{dir.path()};
    HidRoots roots = busRoots(dir.path());
    DeviceChannel kb{roots}, small{roots}, companion{roots};
    NullKeyboardHost noHost;
    KeyboardTransfers transfers{*mirror, {kb, small, companion}, noHost};
};

TEST_F(KeyboardKeyPageDeviceTest, ARemappedKeyLandsAtItsPositionOnItsUnitOnly) {
    // One key of the keyboard itself and one that an add-on unit carries.
    int addOnKey = -1;
    for (int k = 0; k < 132 && addOnKey < 0; ++k)
        if (const char* unit = home(k).first; unit && std::string(unit) != "kb" &&
                                             keys::kKeyboardDefaultCodes[std::size_t(k)].type == 0x20)
            addOnKey = k;
    ASSERT_GE(addOnKey, 0) << "the emulated add-on units carry no keyboard key";

    for (int key : {64, addOnKey}) {
        SCOPED_TRACE(key);
        const auto [unit, position] = home(key);
        ASSERT_NE(unit, nullptr);
        std::map<std::string, std::vector<uint8_t>> before;
        for (const char* u : {"kb", "small", "companion"}) before[u] = keys(u);

        remapAndSave(key, 0x42);
        EXPECT_EQ(entry(key), (Entry{0x20, 0x00, 0x05}));
        for (const char* u : {"kb", "small", "companion"}) {
            std::vector<uint8_t> expected = before[u];
            if (std::string(u) == unit) {
                expected[std::size_t(position) * 3 + 0] = 0x20;
                expected[std::size_t(position) * 3 + 1] = 0x00;
                expected[std::size_t(position) * 3 + 2] = 0x05;
            }
            EXPECT_EQ(keys(u), expected) << u;
        }
    }
}
