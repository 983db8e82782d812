#include "app/SkinPicker.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cctype>

#include "app/Resources.h"
#include "app/SkinChange.h"
#include "app/SkinImages.h"
#include "app/ui/UiQt.h"
#include "platform/DataFolder.h"
#include "platform/DebugLog.h"
#include "platform/FileDialog.h"
#include "profile/IniFile.h"

namespace {

std::vector<CSkinFrame*>& live() {
    static std::vector<CSkinFrame*> pickers;  // UI thread only
    return pickers;
}

bool sameName(const std::string& a, const char* b) {
    const std::string_view bv(b);
    return a.size() == bv.size() && std::equal(a.begin(), a.end(), bv.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

void broadcastImage(const std::string& image) {
    SkinChangedParam param;
    param.colour = false;
    param.bkImage = image;
    skinChangeObserver().broadcast(param);
}

}  // namespace

std::string CSkinFrame::settingsFile() { return dataFolder() + "main.ini"; }

void rememberSkinImage(const std::string& image) {
    // A failed write is not the user's problem: the choice still shows for this run.
    writeIniString(CSkinFrame::settingsFile(), "SKINIMAGE", "FLAGS", "1");
    writeIniString(CSkinFrame::settingsFile(), "SKINIMAGE", "IMAGE", image);
}

void rememberSkinReset() {
    writeIniString(CSkinFrame::settingsFile(), "SKINIMAGE", "FLAGS", "0");
    writeIniString(CSkinFrame::settingsFile(), "SKINIMAGE", "IMAGE", CSkinFrame::kDefaultImage);
}

CSkinFrame* CSkinFrame::open(QWidget* anchor) { return new CSkinFrame(anchor); }

std::vector<CSkinFrame*> CSkinFrame::openPickers() {
    std::vector<CSkinFrame*> out;
    for (CSkinFrame* p : live())
        if (!p->closing_) out.push_back(p);
    return out;
}

void CSkinFrame::closeAll() {
    for (CSkinFrame* p : openPickers()) p->close();
}

CSkinFrame::CSkinFrame(QWidget* anchor) {
    live().push_back(this);
    window_ = ui::buildWindow(ui_, layoutFile("XML_SKIN"));
    window_->setObjectName("skinframe");
    window_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    if (anchor) window_->setWindowIcon(anchor->window()->windowIcon());
    window_->installEventFilter(this);
    ui_.setSink([this](const ui::Notification& n) { onNotify(n); });
    window_->show();
    place(anchor);  // once shown: the layout may have widened it
    window_->activateWindow();
    window_->setFocus(Qt::PopupFocusReason);
}

CSkinFrame::~CSkinFrame() {
    auto& pickers = live();
    pickers.erase(std::remove(pickers.begin(), pickers.end(), this), pickers.end());
    if (window_) window_->removeEventFilter(this);
    ui_.setSink(nullptr);
}

void CSkinFrame::close() {
    if (closing_) return;
    closing_ = true;
    if (window_) window_->hide();
    deleteLater();  // never from inside our own notification: the sender is still on the stack
}

void CSkinFrame::place(QWidget* anchor) {
    const QSize size = window_->size();
    QPoint topLeft;
    if (anchor) {
        // Right edges aligned, just below the button, in screen coordinates.
        const QPoint bottomRight = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
        topLeft = QPoint(bottomRight.x() - size.width(), bottomRight.y());
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        topLeft = screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
    }
    window_->move(topLeft);
}

bool CSkinFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::WindowDeactivate:
            if (!asking_) close();
            break;
        case QEvent::Close:
            close();
            break;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                close();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CSkinFrame::onNotify(const ui::Notification& n) {
    if (n.type != "click" || closing_) return;
    const std::string& name = n.sender;
    if (sameName(name, "skin_image_btn")) {
        const std::string image = ui_.bkImage(n.handle);
        broadcastImage(image);
        rememberSkinImage(image);
    } else if (sameName(name, "skin_color_btn")) {
        SkinChangedParam param;
        param.colour = true;
        param.bkColor = ui_.bkColor(n.handle);
        skinChangeObserver().broadcast(param);
    } else if (sameName(name, "skin_color")) {
        ui_.setCurrent("skin_tab", 1, false);
    } else if (sameName(name, "skin_image")) {
        ui_.setCurrent("skin_tab", 0, false);
    } else if (sameName(name, "skin_reset")) {
        broadcastImage(kDefaultImage);
        rememberSkinReset();
    } else if (sameName(name, "skin_Custom")) {
        chooseCustomFile();
    }
}

void CSkinFrame::chooseCustomFile() {
    FileDialogRequest request;
    request.filters = {{"PNG", "*.png *.PNG"}, {"*.*", "*"}};
    request.defaultExtension = "png";
    request.initialName = "*.png";
    asking_ = true;
    const std::optional<std::string> chosen = askOpenFile(request);
    asking_ = false;
    if (chosen && isLoadablePng(*chosen)) broadcastImage(*chosen);
    // The dialog took the focus; take it back so that the next focus loss closes the picker.
    if (window_ && !closing_) window_->activateWindow();
}
