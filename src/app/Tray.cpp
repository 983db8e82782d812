// The tray icon, its menu (from "menu.xml", with "exit" put first) and the menu's commands.
//
// Without a system tray (bare X servers, the offscreen platform) there is no icon; the window then
// stays reachable on screen instead of hiding (see hideOrKeepReachable).
#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QXmlStreamReader>

#include "app/MainWindow.h"

#include "app/MacroFeatures.h"
#include "app/MessageBox.h"
#include "app/Resources.h"
#include "app/ui/Language.h"
#include "app/ui/UiQt.h"
#include "platform/DebugLog.h"

namespace {

constexpr const char* kExitText = "退出";
constexpr int kMenuLift = 50;  // the menu opens this far above the pointer

std::vector<CMainWnd::MenuItem> readMenu() {
    std::vector<CMainWnd::MenuItem> items;
    QFile in(QDir(QString::fromStdString(ui::skinDir())).filePath(QString::fromStdString(layoutFile("XML_MENU"))));
    if (!in.open(QIODevice::ReadOnly)) {
        debugLog("tray menu: menu.xml missing or unreadable");
        return items;
    }
    QXmlStreamReader xml(&in);
    if (!xml.readNextStartElement()) return items;
    while (xml.readNextStartElement()) {
        if (xml.name().compare(u"Item", Qt::CaseInsensitive) == 0) {
            const QXmlStreamAttributes a = xml.attributes();
            CMainWnd::MenuItem item;
            item.name = a.value("name").toString().toStdString();
            item.key = a.value("key").toString().toStdString();
            item.text = item.key.empty() ? a.value("text").toString().toStdString()
                                         : ui::Language::instance().text(item.key);
            if (!item.name.empty()) items.push_back(item);
        }
        xml.skipCurrentElement();
    }
    if (xml.hasError()) debugLog("tray menu: menu.xml is malformed: " + xml.errorString().toStdString());
    return items;
}

}  // namespace

void CMainWnd::createTray() {
    if (!options_.trayAvailable) trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    if (!trayAvailable_ || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip("ZELKAR");
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) post(msg::TrayNotify, 0, msg::TrayLeftButtonUp);
        else if (reason == QSystemTrayIcon::Context) post(msg::TrayNotify, 0, msg::TrayRightButtonUp);
    });
    tray_->show();
}

void CMainWnd::destroyTray() {
    trayMenu_.reset();
    if (tray_) {
        tray_->hide();
        tray_->deleteLater();
        tray_ = nullptr;
    }
}

void CMainWnd::trayNotify(intptr_t event) {
    if (event == msg::TrayLeftButtonUp) {
        const bool connected = channels_[ChannelMouse].isConnected() || channels_[ChannelPad].isConnected() ||
                               channels_[ChannelKeyboard].isConnected();
        if (connected) {
            bringToFront();
            repaintAll();
            setTimer(timer::Repaint, 10);
        } else {
            hideOrKeepReachable();
            showNoDeviceBox(trayBoxOpen_);
        }
    } else if (event == msg::TrayRightButtonUp) {
        openTrayMenu();
    }
}

std::vector<CMainWnd::MenuItem> CMainWnd::trayMenuItems() const {
    std::vector<MenuItem> items = readMenu();
    items.insert(items.begin(), MenuItem{"exit", "", kExitText});
    return items;
}

void CMainWnd::openTrayMenu() {
    const QPoint at = QCursor::pos() - QPoint(0, kMenuLift);
    trayMenu_.reset();  // the previous menu, if any
    trayMenuItems_ = trayMenuItems();
    trayMenu_ = std::make_unique<QMenu>();
    for (size_t i = 0; i < trayMenuItems_.size(); ++i) {
        QAction* action = trayMenu_->addAction(QString::fromStdString(trayMenuItems_[i].text));
        action->setObjectName(QString::fromStdString(trayMenuItems_[i].name));
        // Through the message table, as the menu's command message always went.
        connect(action, &QAction::triggered, this, [this, i] { post(msg::MenuCommand, i, 0); });
    }
    trayMenu_->adjustSize();
    trayMenu_->popup(at);
}

void CMainWnd::menuCommand(const std::string& name) {
    if (name == "lan") {
        switchLanguage();
    } else if (name == "exit") {
        close();
    } else if (name == "qianting" || name == "Menu_Import" || name == "Menu_Export") {
        // nothing
    } else {
        for (const MenuItem& item : trayMenuItems()) {
            if (item.name != name) continue;
            showMessageBox(this, "", item.key.empty() ? item.text : item.key, true);
            return;
        }
        debugLog("tray menu: no item \"" + name + "\"");
    }
}

void CMainWnd::switchLanguage() {
    const bool ok = english_ ? ui::switchLanguage("cn_zh", "lan_cn.xml") : ui::switchLanguage("en", "lan_en.xml");
    if (!ok) {
        debugLog("language switch failed: the language file could not be read");
        return;
    }
    english_ = !english_;
    if (macroFeatures_) macroFeatures_->retranslate();
    repaintAll();
}
