// Start-up: one copy per user, the skin folder, the main window (hidden until a device or the
// Show policy shows it), the message loop, and an orderly Shutdown on close, SIGTERM or SIGINT.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "app/AppLog.h"
#include "app/MainWindow.h"
#include "app/QtFileDialog.h"
#include "app/SingleInstance.h"
#include "app/ui/Language.h"
#include "platform/DataFolder.h"
#include "platform/DebugLog.h"
#include "platform/TerminationSignals.h"

namespace {

// skin/ beside the program; in a development build that lacks it, the source tree's.
std::string findSkinDir() {
    const QString beside = QString::fromStdString(programFolder()) + "skin";
    if (QFileInfo(beside).isDir()) return beside.toStdString();
#ifdef ZELKAR_DEV_SKIN_DIR
    if (QFileInfo(QStringLiteral(ZELKAR_DEV_SKIN_DIR)).isDir()) return ZELKAR_DEV_SKIN_DIR;
#endif
    debugLog("no skin folder beside the program: " + beside.toStdString());
    return beside.toStdString();
}

void centre(QWidget& window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("zelkar");
    // The window hides while no device is there; only Shutdown ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installDebugLogSink();

    SingleInstance instance;
    if (!instance.acquire()) return 0;  // the running copy was asked to show itself

    ui::setSkinDir(findSkinDir());
    setFileDialogService(std::make_shared<QtFileDialogService>());

    int leftBehind = 0;
    {
        CMainWnd window;
        centre(window);
        QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                         [&window] { window.post(kActivationMessage); });
        QObject::connect(&window, &CMainWnd::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        TerminationSignals signalsToClose([&window](int signalNumber) {
            debugLog("signal " + std::to_string(signalNumber) + ": closing");
            window.close();
        });
        app.exec();
        window.shutdown();  // in case the loop ended some other way
        leftBehind = window.shutdownReport().leftRunning;
    }
    setFileDialogService(nullptr);
    if (leftBehind > 0) {
        // A worker that did not stop may still be inside a system call; leave without running
        // static destructors under it.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return 0;
}
