// Start-up: the command line, the skin folder, one copy per user, the main window (hidden until a
// device or the Show policy shows it), the message loop, and an orderly Shutdown on close,
// SIGTERM or SIGINT.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "app/AppLog.h"
#include "app/MainWindow.h"
#include "app/ProgramOptions.h"
#include "app/QtFileDialog.h"
#include "app/Resources.h"
#include "app/SingleInstance.h"
#include "app/ui/Language.h"
#include "platform/DataFolder.h"
#include "platform/DebugLog.h"
#include "platform/TerminationSignals.h"

namespace {

// The skin folder beside the program (a build tree) or under ../share/zelkar (installed); ""
// with the reason in *problem when neither holds a readable main layout.
std::string findSkinDir(std::string* problem) {
    const std::string program = programFolder();
    std::string skin = skinFolderOf(program);
    if (skin.empty()) {
        *problem = "no skin folder: neither " + program + "skin nor " +
                   QDir::cleanPath(QString::fromStdString(program + "../share/zelkar/skin")).toStdString() +
                   " exists";
        return {};
    }
    skin.pop_back();  // the layouts join names to it themselves
    ui::setSkinDir(skin);
    const QFileInfo main(QDir(QString::fromStdString(skin)).filePath(QString::fromStdString(layoutFile("XML_MAIN"))));
    if (!main.isFile() || !main.isReadable()) {
        *problem = "the skin folder " + skin + " cannot be used: " + main.filePath().toStdString() +
                   " is missing or unreadable";
        return {};
    }
    return skin;
}

void centre(QWidget& window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const ProgramOptions options = readProgramOptions(argc, argv);
    switch (options.action) {
    case ProgramOptions::Action::help: std::fputs(programUsage(), stdout); return 0;
    case ProgramOptions::Action::version: std::printf("%s\n", programVersion().c_str()); return 0;
    case ProgramOptions::Action::refuse: std::fprintf(stderr, "zelkar: %s (try --help)\n", options.error.c_str()); return 2;
    case ProgramOptions::Action::run: break;
    }
    // Without its layouts the window would be blank: say which folder is wrong and stop.
    std::string problem;
    const std::string skin = findSkinDir(&problem);
    if (skin.empty()) {
        std::fprintf(stderr, "zelkar: %s\n", problem.c_str());
        // Started from the desktop's menu nobody reads stderr: where there is a screen, say it there too.
        if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) {
            QApplication app(argc, argv);
            if (QGuiApplication::platformName() != QLatin1String("offscreen"))
                QMessageBox::critical(nullptr, QStringLiteral("Zelkar"), QString::fromStdString(problem));
        }
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("zelkar");
    // The window hides while no device is there; only Shutdown ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installDebugLogSink();

    SingleInstance instance;
    if (!instance.acquire()) return 0;  // the running copy was asked to show itself

    debugLog("skin folder: " + skin + ", defaults folder: " + defaultsFolder());
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
