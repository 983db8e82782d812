// Shared by the application-shell tests: a QApplication (offscreen), a private data folder, the
// real skin of the source tree, a recording message-box responder, scripted file dialogs and a
// private emulator bus, so no test touches the user's files or sees a real device.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "device/HidTransport.h"
#include "platform/FileDialog.h"
#include "sim/VirtualBus.h"
#include "support/TestSupport.h"

namespace apptest {

void ensureApp();
// Processes events until done() or the time is up; answers done().
bool spinUntil(const std::function<bool()>& done, int ms = 4000);
void spinFor(int ms);

std::string sourceDir();
std::string binaryDir();

// Answers file dialogs from a queue; an empty queue (or nullopt) is a cancel.
class ScriptedFileDialogs : public FileDialogService {
public:
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    std::deque<std::optional<std::string>> answers;
    std::vector<FileDialogRequest> asked;
};

class ShellTest : public ::testing::Test {
protected:
    ShellTest();
    ~ShellTest() override;

    // A main window on this test's bus. With workers, it watches the bus for devices.
    std::unique_ptr<CMainWnd> makeWindow(bool workers = false, bool tray = true);
    // Lets the window finish "windowinit" (workers and timers started).
    bool waitForInit(CMainWnd& window);
    HidRoots roots() const;
    // The bus path of a device interface's top-level collection ("" when absent).
    std::string busPath(uint16_t product, uint16_t interfaceNumber, uint16_t collection) const;
    std::string dataFile(const std::string& name) const { return dir.path() + "/data/" + name; }

    // Every box shown so far, in order; the next answers come from `answers` (else 0).
    std::vector<MessageBoxRequest> boxes;
    std::deque<int> answers;
    std::function<void(const MessageBoxRequest&)> whileBoxOpen;  // runs inside the box
    int boxesWithKey(const std::string& key) const;

    testsupport::TempDir dir;
    std::unique_ptr<sim::VirtualBus> bus;
    std::shared_ptr<ScriptedFileDialogs> dialogs = std::make_shared<ScriptedFileDialogs>();
};

}  // namespace apptest
