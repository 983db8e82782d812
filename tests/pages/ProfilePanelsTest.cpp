// The profile panels on the real main layout: the lists filled at a first start, and the keyboard
// device list applying its stored entry to the emulated keyboard when the keyboard arrives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/ui/UiQt.h"
#include "integration/BusFixture.h"
#include "support/PageTestSupport.h"
#include "mirror/KeyboardTransfers.h"
#include "platform/DataFolder.h"
#include "profile/IniFile.h"
#include "profile/ProfileFile.h"
#include "profile/pages/ProfilePanels.h"

using namespace testsupport;

class ProfilePanelsTest : public ::testing::Test {
protected:
    ProfilePanelsTest() {
        ensureQtApplication();
        const std::string source = std::getenv("ZELKAR_SOURCE_DIR");
        ui::setSkinDir(source + "/skin");
        setDataFolderOverride(data.path());
        host = std::make_unique<QWidget>();
        ui::buildInto(ui, host.get(), "main.xml");
        store = std::make_unique<ProfileStore>(
            ProfileMirrors{*keyboard, *mouse, *pad, system}, source + "/defaults/");
        panels = std::make_unique<ProfilePanels>(ui, *store, [this](const std::string& text, bool isKey) {
            messages.push_back((isKey ? "key " : "text ") + text);
        });
    }
    ~ProfilePanelsTest() override { setDataFolderOverride(""); }

    TempDir data;
    ui::Ui ui;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<KeyboardMirror> keyboard = std::make_unique<KeyboardMirror>();
    std::unique_ptr<MouseMirror> mouse = std::make_unique<MouseMirror>();
    std::unique_ptr<PadMirror> pad = std::make_unique<PadMirror>();
    MouseSystemSettings system;
    std::unique_ptr<ProfileStore> store;
    std::unique_ptr<ProfilePanels> panels;
    std::vector<std::string> messages;
};

TEST_F(ProfilePanelsTest, AFirstStartFillsEveryListAndShowsItsStoredEntry) {
    panels->initialise();
    EXPECT_TRUE(messages.empty());
    for (const char* folder : {"kb", "ms", "mp"}) EXPECT_TRUE(std::filesystem::is_directory(data.file(folder)));
    for (const char* list : {"kb_device_profile_combo", "kb_deng_profile_combo", "kb_key_profile_combo",
                             "ms_device_profile_combo", "ms_deng_profile_combo", "ms_key_profile_combo",
                             "mp_deng_profile_combo"}) {
        SCOPED_TRACE(list);
        ASSERT_EQ(ui.itemCount(list), 1);
        EXPECT_EQ(ui.itemText(list, 0), "新配置文件1");
        EXPECT_EQ(ui.current(list), 0);
    }
    EXPECT_EQ(ui.text("kb_key_profile_name_edit"), "新配置文件1");
    EXPECT_TRUE(std::filesystem::exists(data.file("kb/新配置文件1.config")));
    EXPECT_TRUE(std::filesystem::exists(data.file("mp/新配置文件1.led")));
    // A second start lists the same entries and creates nothing new.
    panels->initialise();
    EXPECT_EQ(ui.itemCount("kb_key_profile_combo"), 1);
}

TEST_F(ProfilePanelsTest, SelectShowsTheNameStoresTheChoiceAndApplies) {
    panels->initialise();
    int applied = 0;
    panels->setApplier(ProfileList::keyboardLighting, [&] { ++applied; });
    ui.setCurrent("kb_deng_profile_combo", 0, false);
    panels->onItemSelect("kb_deng_profile_combo");
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(ui.text("kb_deng_profile_name_edit"), "新配置文件1");
    EXPECT_EQ(readSelectedIndex(ProfileList::keyboardLighting), 0);
    EXPECT_FALSE(ui.isSelected("kb_deng_profile_link_check"));

    // A linked program shows its file name; a link that is no path loads and applies nothing.
    const std::string ini = profileIniPath(ProfileList::keyboardLighting);
    writeIniString(ini, linkSection(ProfileList::keyboardLighting), "0", "1");
    writeIniString(ini, processSection(ProfileList::keyboardLighting), "0", "/usr/games/shooter");
    panels->select(ProfileList::keyboardLighting, 0);
    EXPECT_EQ(ui.text("kb_deng_profile_link_edit"), "shooter");
    EXPECT_TRUE(ui.isSelected("kb_deng_profile_link_check"));
    EXPECT_EQ(applied, 2);
    writeIniString(ini, processSection(ProfileList::keyboardLighting), "0", "nonsense");
    panels->select(ProfileList::keyboardLighting, 0);
    EXPECT_EQ(applied, 2);
    panels->select(ProfileList::keyboardLighting, 5);  // no such entry
    EXPECT_EQ(applied, 2);
}

TEST_F(ProfilePanelsTest, ArrivalAppliesTheStoredDeviceProfileToTheKeyboard) {
    TempDir busDir;
    sim::VirtualBus bus(busDir.path());
    ASSERT_TRUE(bus.plug("kb"));
    DeviceChannel kb{busRoots(busDir.path())}, small{busRoots(busDir.path())}, companion{busRoots(busDir.path())};
    ASSERT_EQ(kb.connect(findPath(busDir.path(), 0x751D, 4)), 1);
    NullKeyboardHost noHost;
    KeyboardTransfers transfers(*keyboard, {kb, small, companion}, noHost);
    panels->initialise();
    transfers.readAll();

    // The stored profile remaps logical key 22 ("1") to "A".
    std::vector<uint8_t> payload(2560, 0);
    ASSERT_EQ(readProfileFile(data.file("kb/新配置文件1.config"), payload.data(), payload.size()), 0);
    payload[2048 + 22 * 3] = 0x20;
    payload[2048 + 22 * 3 + 2] = 0x04;
    ASSERT_TRUE(writeProfileFile(data.file("kb/新配置文件1.config"), payload.data(), payload.size(), 1));
    panels->setApplier(ProfileList::keyboardDevice, [&] {
        store->saveSelected(ProfileList::keyboardDevice);
        std::memcpy(keyboard->record.data(), keyboard->blocks[0].data(), KeyboardRecord::kSize);
        transfers.writeKeyTables();
        ui.setVisible("kb_tab_function", false);
    });
    bus.clearWireRecords();
    panels->selectStored(ProfileList::keyboardDevice);
    EXPECT_EQ(ui.current("kb_device_profile_combo"), 0);
    int keyTableWrites = 0;
    for (const sim::WireRecord& r : bus.wireRecords())
        if (r.dir == sim::WireDir::Out && r.bytes[3] == 9) ++keyTableWrites;
    EXPECT_EQ(keyTableWrites, 7);
    const int16_t position = keyboard->positionMaps[0][22];
    ASSERT_NE(position, kPositionAbsent);
    std::vector<uint8_t> entry;
    ASSERT_TRUE(bus.peek("kb", sim::Area::Keys, size_t(position) * 3, 3, &entry));
    EXPECT_EQ(entry, (std::vector<uint8_t>{0x20, 0x00, 0x04}));
}

namespace {
struct OneAnswer : FileDialogService {
    std::string path;
    std::optional<std::string> openFile(const FileDialogRequest&) override { return path; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return path; }
};
}  // namespace

// Every panel's buttons and link controls reach their list's operations, by the names the
// layouts give them.
TEST_F(ProfilePanelsTest, EveryPanelsButtonsAndLinkControlsWorkTheirOwnList) {
    panels->initialise();
    auto dialog = std::make_shared<OneAnswer>();
    dialog->path = "/usr/games/racer";
    setFileDialogService(dialog);
    const std::pair<const char*, const char*> panelsByPrefix[] = {
        {"kb_device", "kb_pro_device"}, {"kb_deng", "kb_pro_deng"}, {"kb_key", "kb_pro_key"},
        {"ms_device", "ms_pro_device"}, {"ms_deng", "ms_pro_deng"}, {"ms_key", "ms_pro_key"},
        {"mp_deng", "mp_pro_deng"}};
    for (const auto& [prefix, buttons] : panelsByPrefix) {
        SCOPED_TRACE(prefix);
        const std::string list = std::string(prefix) + "_profile_combo";
        EXPECT_TRUE(panels->onClick(std::string(buttons) + "_add_btn"));
        ASSERT_EQ(ui.itemCount(list), 2);
        EXPECT_EQ(ui.current(list), 1);
        EXPECT_EQ(ui.text(std::string(prefix) + "_profile_name_edit"), "新配置文件2");
        ui.setText(std::string(prefix) + "_profile_name_edit", "Racing");
        EXPECT_TRUE(panels->onClick(std::string(prefix) + "_profile_edit_save_btn"));
        EXPECT_EQ(ui.itemText(list, 1), "Racing");
        EXPECT_TRUE(panels->onLinkControl(std::string(prefix) + "_profile_link_btn", "click"));
        EXPECT_EQ(ui.text(std::string(prefix) + "_profile_link_edit"), "racer");
        EXPECT_TRUE(ui.isVisible(std::string(prefix) + "_profile_link_name_hor"));
        EXPECT_TRUE(ui.isSelected(std::string(prefix) + "_profile_link_check"));
    }
    EXPECT_FALSE(panels->onClick("kb_pro_deng_edit_btn"));  // the router's own toggle
    setFileDialogService(nullptr);

    // Without a foreground source the two watched panels say so; the others do not.
    panels->showForegroundUnavailable();
    EXPECT_TRUE(ui.isVisible("kb_deng_profile_link_note"));
    EXPECT_TRUE(ui.isVisible("kb_device_profile_link_note"));
    EXPECT_EQ(ui.textKey("kb_device_profile_link_note"), "profile_link_needs_x11");
}
