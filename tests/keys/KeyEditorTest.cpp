// The function editor: encoding the panel, showing an entry on it, and what it refuses.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "keys/FunctionTables.h"
#include "keys/KeyCodeTable.h"
#include "keys/KeyEditor.h"

using namespace keys;

namespace {

// Defaults no editor choice produces, so that a chosen function never shows as "default".
constexpr KeyFunction kSomeDefault{0x20, 0x00, 0x64};  // the keyboard's extra key
constexpr KeyFunction kMouseFill{0x05, 0x05, 0x05};    // a mouse key past the buttons

EditorContext keyboardContext(int macroCount = 3) { return {KeyPage::Keyboard, kSomeDefault, macroCount}; }
EditorContext mouseContext(int macroCount = 3) { return {KeyPage::Mouse, kMouseFill, macroCount}; }

EditorState withType(FunctionItem item) {
    EditorState state;
    state.typeItem = int(item);
    return state;
}

// Every panel setting each type offers, on the given page.
std::vector<EditorState> everyChoice(KeyPage page) {
    std::vector<EditorState> states;
    auto add = [&](FunctionItem item, const std::function<void(EditorState&)>& set) {
        EditorState s = withType(item);
        set(s);
        states.push_back(s);
    };
    for (int row = 0; row < 5; ++row) add(FunctionItem::Mouse, [&](EditorState& s) { s.mouseButtonItem = row; });
    for (int row = 0; row < 3; ++row) add(FunctionItem::Dpi, [&](EditorState& s) { s.dpiItem = row; });
    for (int row = 0; row < 18; ++row) add(FunctionItem::Media, [&](EditorState& s) { s.mediaItem = row; });
    for (int row = 0; row < 3; ++row) add(FunctionItem::System, [&](EditorState& s) { s.systemItem = row; });
    for (int dir = 0; dir < 2; ++dir)
        for (int amount : {0, 1, 64, 127})
            for (int nibble : {0, 5, 15}) {
                add(FunctionItem::HorizontalSwing, [&](EditorState& s) {
                    s.horizontalDirectionItem = dir, s.horizontalAmount = amount;
                    s.horizontalHighNibble = nibble, s.horizontalLowNibble = 15 - nibble;
                });
                add(FunctionItem::VerticalSwing, [&](EditorState& s) {
                    s.verticalDirectionItem = dir, s.verticalAmount = amount;
                    s.verticalHighNibble = 15 - nibble, s.verticalLowNibble = nibble;
                });
            }
    for (int p : {0, 1, 128, 255})
        add(FunctionItem::Fire, [&](EditorState& s) { s.fireParameter1 = p, s.fireParameter2 = 255 - p; });
    for (int row = 0; row < kFirstConsumerKeyRow; ++row)
        add(FunctionItem::Keyboard, [&](EditorState& s) { EXPECT_TRUE(captureKey(keyCodeTable()[row].virtualKey, 0, s)); });
    for (int macro = 0; macro < 3; ++macro)
        for (int mode = 0; mode <= kPlayModeRepeatItem; ++mode)
            add(FunctionItem::Macro, [&](EditorState& s) { s.macroItem = macro, s.playModeItem = mode, s.repeatCount = 7 * mode; });
    add(FunctionItem::Default, [](EditorState&) {});
    if (page == KeyPage::Mouse)
        for (int gun = 0; gun < 4; ++gun) add(FunctionItem::Gun, [&](EditorState& s) { s.gunItem = gun; });
    return states;
}

}  // namespace

TEST(KeyEditor, EveryChoiceSurvivesEncodeShowEncode) {
    for (const EditorContext& context : {keyboardContext(), mouseContext()}) {
        for (const EditorState& state : everyChoice(context.page)) {
            SCOPED_TRACE(testing::Message() << "page " << int(context.page) << " item " << state.typeItem);
            const std::optional<KeyFunction> entry = encodeKey(state, context);
            ASSERT_TRUE(entry.has_value());
            EditorState shown;  // a fresh panel: nothing may be left over from `state`
            const ShowResult result = showKey(*entry, context, shown);
            EXPECT_TRUE(result.typeShown);
            EXPECT_EQ(shown.typeItem, state.typeItem);
            EXPECT_EQ(result.captureWanted, state.typeItem == int(FunctionItem::Keyboard));
            EXPECT_EQ(encodeKey(shown, context), entry);
        }
    }
}

TEST(KeyEditor, KnownEncodings) {
    EditorState swing = withType(FunctionItem::HorizontalSwing);
    swing.horizontalDirectionItem = 1, swing.horizontalAmount = 5;
    swing.horizontalHighNibble = 3, swing.horizontalLowNibble = 2;
    EXPECT_EQ(encodeKey(swing, keyboardContext()), (KeyFunction{0x11, 0x32, 0x85}));

    EditorState shown;
    showKey({0x11, 0x32, 0x85}, keyboardContext(), shown);
    EXPECT_EQ(shown.horizontalDirectionItem, 1);
    EXPECT_EQ(shown.horizontalAmount, 5);
    EXPECT_EQ(shown.horizontalHighNibble, 3);
    EXPECT_EQ(shown.horizontalLowNibble, 2);

    EditorState vertical = withType(FunctionItem::VerticalSwing);
    vertical.verticalDirectionItem = 0, vertical.verticalAmount = 127;
    vertical.verticalHighNibble = 15, vertical.verticalLowNibble = 15;
    EXPECT_EQ(encodeKey(vertical, mouseContext()), (KeyFunction{0x12, 0xFF, 0x7F}));

    EditorState macro = withType(FunctionItem::Macro);
    macro.macroItem = 2, macro.playModeItem = 4, macro.repeatCount = 10;
    EXPECT_EQ(encodeKey(macro, keyboardContext()), (KeyFunction{0x71, 2, 10}));
    macro.playModeItem = 1;
    EXPECT_EQ(encodeKey(macro, keyboardContext()), (KeyFunction{0x70, 2, 1}));

    EditorState media = withType(FunctionItem::Media);
    media.mediaItem = 6;
    EXPECT_EQ(encodeKey(media, keyboardContext()), (KeyFunction{0x30, 0xE9, 0x00}));

    EditorState gun = withType(FunctionItem::Gun);
    gun.gunItem = 3;
    EXPECT_EQ(encodeKey(gun, mouseContext()), (KeyFunction{0x72, 3, 0}));
}

TEST(KeyEditor, DefaultItemStandsForTheKeysDefaultEntry) {
    // Showing an entry equal to the default opens item 0 and sets nothing else.
    const EditorContext mouse{KeyPage::Mouse, {0x13, 0x03, 0x00}, 0};
    EditorState state;
    state.dpiItem = 0;
    EXPECT_TRUE(showKey({0x13, 0x03, 0x00}, mouse, state).typeShown);
    EXPECT_EQ(state.typeItem, int(FunctionItem::Default));
    EXPECT_EQ(state.dpiItem, 0);
    // Item 0 writes the default entry back, never (0, 0, 0).
    EXPECT_EQ(encodeKey(state, mouse), (KeyFunction{0x13, 0x03, 0x00}));
}

TEST(KeyEditor, IncompletePanelsWriteNothing) {
    struct Case {
        const char* what;
        KeyPage page;
        std::function<void(EditorState&)> set;
    };
    const Case cases[] = {
        {"no type", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = kNoSelection; }},
        {"gun on the keyboard page", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 10, s.gunItem = 0; }},
        {"type beyond the combo", KeyPage::Mouse, [](EditorState& s) { s.typeItem = 11; }},
        {"no mouse button", KeyPage::Mouse, [](EditorState& s) { s.typeItem = 1; }},
        {"mouse button beyond the table", KeyPage::Mouse, [](EditorState& s) { s.typeItem = 1, s.mouseButtonItem = 5; }},
        {"no swing direction", KeyPage::Mouse, [](EditorState& s) { s.typeItem = 2, s.horizontalAmount = 3; }},
        {"swing direction 2", KeyPage::Mouse, [](EditorState& s) { s.typeItem = 3, s.verticalDirectionItem = 2; }},
        {"no DPI row", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 4, s.dpiItem = -7; }},
        {"no key captured", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 6, s.capturedFunction = {0x20, 0, 4}; }},
        {"media beyond the table", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 7, s.mediaItem = 18; }},
        {"no system row", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 8; }},
        {"no macro", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 9, s.playModeItem = 0; }},
        {"macro beyond the list", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 9, s.macroItem = 3, s.playModeItem = 0; }},
        {"no play mode", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 9, s.macroItem = 0; }},
        {"play mode beyond the combo", KeyPage::Keyboard, [](EditorState& s) { s.typeItem = 9, s.macroItem = 0, s.playModeItem = 5; }},
        {"gun beyond the combo", KeyPage::Mouse, [](EditorState& s) { s.typeItem = 10, s.gunItem = 4; }},
    };
    for (const Case& c : cases) {
        EditorState state;
        c.set(state);
        const EditorContext context{c.page, kSomeDefault, 3};
        EXPECT_EQ(encodeKey(state, context), std::nullopt) << c.what;
    }
    // A macro list longer than p1 can address is cut at 256 entries.
    EditorState macro = withType(FunctionItem::Macro);
    macro.macroItem = 256, macro.playModeItem = 0;
    EXPECT_EQ(encodeKey(macro, keyboardContext(1000)), std::nullopt);
}

TEST(KeyEditor, EditValuesAreHeldToTheirBounds) {
    EditorState swing = withType(FunctionItem::HorizontalSwing);
    swing.horizontalDirectionItem = 0, swing.horizontalAmount = 500;
    swing.horizontalHighNibble = 16, swing.horizontalLowNibble = -3;
    EXPECT_EQ(encodeKey(swing, mouseContext()), (KeyFunction{0x11, 0xF0, 0x7F}));  // never spills into bit 7

    EditorState fire = withType(FunctionItem::Fire);
    fire.fireParameter1 = 300, fire.fireParameter2 = -1;
    EXPECT_EQ(encodeKey(fire, mouseContext()), (KeyFunction{0x14, 0xFF, 0x00}));

    EditorState repeat = withType(FunctionItem::Macro);
    repeat.macroItem = 0, repeat.playModeItem = 4, repeat.repeatCount = 1000;
    EXPECT_EQ(encodeKey(repeat, mouseContext()), (KeyFunction{0x71, 0, 0xFF}));
}

TEST(KeyEditor, EditTextIsClampedAsTheHandlerWritesItBack) {
    struct Case {
        std::string_view text;
        int bound;
        int value;
    };
    const Case cases[] = {
        {"", 255, 0},        {"abc", 255, 0},  {"12", 255, 12},  {"  7", 15, 7},  {"+3", 15, 3},
        {"-4", 15, 0},       {"300", 255, 255}, {"12abc", 255, 12}, {"16", 15, 15}, {"99999999999999999999", 127, 127},
        {"--5", 255, 0},     {"+-5", 255, 0},  {"0x10", 255, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clampEditValue(c.text, c.bound), c.value) << '"' << c.text << '"';
    for (const EditorEdit& edit : kEditorEdits)
        EXPECT_GT(edit.upperBound, 0) << edit.suffix;
}

TEST(KeyEditor, TypesThePageDoesNotOfferLeaveThePanelAlone) {
    EditorState before = withType(FunctionItem::HorizontalSwing);
    before.horizontalDirectionItem = 1, before.horizontalAmount = 9, before.mediaItem = 4;
    const KeyFunction foreign[] = {{0x15, 1, 2}, {0x21, 0xE9, 0}, {0x50, 0, 0}, {0x60, 9, 9}, {0xA0, 0x33, 0},
                                   {0xB0, 1, 1}, {0xC0, 0, 0},    {0xD0, 0xA2, 1}, {0x45, 0, 0}, {0x72, 1, 0},
                                   {0xFF, 0xFF, 0xFF}};
    for (const KeyFunction& entry : foreign) {
        EditorState state = before;
        const ShowResult result = showKey(entry, keyboardContext(), state);
        EXPECT_FALSE(result.typeShown) << int(entry.type);
        EXPECT_EQ(state, before) << int(entry.type);
    }
    // The gun is offered on the mouse page only.
    EditorState state;
    EXPECT_TRUE(showKey({0x72, 1, 0}, mouseContext(), state).typeShown);
    EXPECT_EQ(state.gunItem, 1);
}

TEST(KeyEditor, ShowingKeepsWhatTheEntryDoesNotDetermine) {
    EditorState state;
    state.mouseButtonItem = 2, state.playModeItem = 3, state.macroItem = 1, state.gunItem = 2;

    showKey({0x10, 0x03, 0x00}, mouseContext(), state);  // no such button row
    EXPECT_EQ(state.typeItem, int(FunctionItem::Mouse));
    EXPECT_EQ(state.mouseButtonItem, 2);

    showKey({0x70, 7, 9}, mouseContext(3), state);  // macro beyond the list, play mode beyond 3
    EXPECT_EQ(state.macroItem, kNoSelection);
    EXPECT_EQ(state.playModeItem, 3);
    EXPECT_EQ(encodeKey(state, mouseContext(3)), std::nullopt);

    showKey({0x72, 9, 0}, mouseContext(), state);  // gun beyond the combo
    EXPECT_EQ(state.gunItem, 2);
}

TEST(KeyEditor, ShownKeyboardKeyReplacesAnEarlierCapture) {
    EditorState state = withType(FunctionItem::Keyboard);
    ASSERT_TRUE(captureKey(0x42, 0, state));  // B captured on some key
    showKey({0x20, 0x00, 0x1D}, keyboardContext(), state);  // another key holds Z
    EXPECT_EQ(state.capturedKeyName, "keyboard_key_Z");
    EXPECT_EQ(encodeKey(state, keyboardContext()), (KeyFunction{0x20, 0x00, 0x1D}));

    // Ctrl+Shift+A has no row: no name to show, so re-encoding never rewrites it.
    const ShowResult result = showKey({0x20, 0x03, 0x04}, keyboardContext(), state);
    EXPECT_TRUE(result.captureWanted);
    EXPECT_EQ(state.capturedKeyName, "");
    EXPECT_EQ(encodeKey(state, keyboardContext()), std::nullopt);
}

TEST(KeyEditor, AnyEntryShownOnAFreshPanelEncodesBackToItselfOrToNothing) {
    // Device tables may hold anything. Whatever the bytes, the panel never turns an entry into a
    // different one: encoding after showing gives the entry back or writes nothing.
    const uint8_t p2Values[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x7F, 0x80, 0xA2, 0xFF};
    for (const EditorContext& context : {keyboardContext(), mouseContext()}) {
        for (int type = 0; type < 256; ++type)
            for (int p1 = 0; p1 < 256; ++p1)
                for (uint8_t p2 : p2Values) {
                    const KeyFunction entry{uint8_t(type), uint8_t(p1), p2};
                    EditorState state;
                    const ShowResult result = showKey(entry, context, state);
                    std::optional<KeyFunction> again = encodeKey(state, context);
                    // The gun's p2 is always 0 and the panel has no place for another value.
                    if (again && entry.is(KeyFunctionType::GunKey) && *again == KeyFunction{entry.type, entry.p1, 0})
                        again = entry;
                    if (again && *again != entry)
                        FAIL() << "entry " << type << ',' << p1 << ',' << int(p2) << " came back changed";
                    if (result.typeShown != (state.typeItem != kNoSelection))
                        FAIL() << "entry " << type << ',' << p1 << ',' << int(p2) << " shown inconsistently";
                }
    }
}
