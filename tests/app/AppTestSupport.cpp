#include "app/AppTestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>
#include <cstdlib>

#include "app/ui/Language.h"
#include "platform/DataFolder.h"

namespace apptest {

namespace {

QtMessageHandler g_qtDefault = nullptr;

// The offscreen platform warns about fixed-size windows and raise(); nothing a test acts on.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("propagateSizeHints")) || message.contains(QLatin1String("support raise()")))
        return;
    if (g_qtDefault) g_qtDefault(type, context, message);
}

}  // namespace

void ensureApp() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtDefault = qInstallMessageHandler(quietOffscreen);
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
}

bool spinUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void spinFor(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

std::string sourceDir() {
    const char* dir = std::getenv("ZELKAR_SOURCE_DIR");
    return dir ? dir : ".";
}

std::string binaryDir() {
    const char* dir = std::getenv("ZELKAR_BINARY_DIR");
    return dir ? dir : ".";
}

std::optional<std::string> ScriptedFileDialogs::openFile(const FileDialogRequest& request) {
    asked.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedFileDialogs::saveFile(const FileDialogRequest& request) { return openFile(request); }

ShellTest::ShellTest() {
    ensureApp();
    QStandardPaths::setTestModeEnabled(true);
    testsupport::makeDirs(dir.path() + "/data");
    setDataFolderOverride(dir.path() + "/data");
    ui::setSkinDir(sourceDir() + "/skin");
    bus = std::make_unique<sim::VirtualBus>(dir.path() + "/bus");
    setFileDialogService(dialogs);
    setMessageBoxResponder([this](const MessageBoxRequest& request) {
        boxes.push_back(request);
        if (whileBoxOpen) whileBoxOpen(request);
        if (answers.empty()) return 0;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

ShellTest::~ShellTest() {
    setMessageBoxResponder({});
    setFileDialogService(nullptr);
    setDataFolderOverride("");
    spinFor(5);  // deferred deletions of closed pickers and menus
    // Painting a large window hands image work to Qt's thread pool. Its threads must be gone (and
    // joined) before a test starts a process: ThreadSanitizer counts a process with finished but
    // unjoined threads as multi-threaded, and QProcess's child shares our memory until its exec.
    QThreadPool::globalInstance()->waitForDone();
}

HidRoots ShellTest::roots() const {
    HidRoots r;
    r.useHidraw = false;
    r.vhidBus = bus->dir();
    return r;
}

std::string ShellTest::busPath(uint16_t product, uint16_t interfaceNumber, uint16_t collection) const {
    HidTransport transport(roots());
    if (!transport.enumerate()) return {};
    while (const char* p = transport.nextPath())
        if (parseProductId(p) == product && parseInterfaceNumber(p) == interfaceNumber &&
            parseCollectionNumber(p) == collection)
            return p;
    return {};
}

std::unique_ptr<CMainWnd> ShellTest::makeWindow(bool workers, bool tray) {
    MainWindowOptions options;
    options.roots = roots();
    options.trayAvailable = tray;
    options.hideDelayMs = 0;
    options.startWorkers = workers;
    return std::make_unique<CMainWnd>(options);
}

bool ShellTest::waitForInit(CMainWnd& window) {
    return spinUntil([&] { return window.workersStarted(); });
}

int ShellTest::boxesWithKey(const std::string& key) const {
    int n = 0;
    for (const MessageBoxRequest& b : boxes) n += b.textIsKey && b.text == key;
    return n;
}

}  // namespace apptest
