#include "app/MessageBox.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cctype>

#include "app/Resources.h"
#include "app/ui/Language.h"
#include "app/ui/UiQt.h"
#include "platform/DebugLog.h"

namespace {

MessageBoxResponder& responder() {
    static MessageBoxResponder r;  // UI thread only
    return r;
}

std::vector<CMsgWnd*>& open() {
    static std::vector<CMsgWnd*> boxes;
    return boxes;
}

bool sameName(const std::string& a, const char* b) {
    const std::string_view bv(b);
    return a.size() == bv.size() && std::equal(a.begin(), a.end(), bv.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int run(bool autoClose, QWidget* owner, const std::string& title, const std::string& text, bool textIsKey) {
    debugLog("message box: " + text + (autoClose ? " (timed)" : ""));
    if (responder()) {
        MessageBoxRequest request{title, text, textIsKey, autoClose,
                                  text.empty() ? std::string() : textIsKey ? ui::Language::instance().text(text) : text};
        const MessageBoxResponder answer = responder();  // the responder may replace itself
        return answer(request);
    }
    CMsgWnd box(owner);
    box.setTitle(title);
    box.setText(text, textIsKey);
    if (autoClose) box.closeAfter(CMsgWnd::kAutoCloseMs);
    return box.exec();
}

}  // namespace

int showMessageBox(QWidget* owner, const std::string& title, const std::string& text, bool textIsKey) {
    return run(false, owner, title, text, textIsKey);
}

void showTimedMessageBox(bool autoClose, QWidget* owner, const std::string& title, const std::string& text,
                         bool textIsKey) {
    run(autoClose, owner, title, text, textIsKey);
}

void setMessageBoxResponder(MessageBoxResponder r) { responder() = std::move(r); }

void closeAllMessageBoxes() {
    const std::vector<CMsgWnd*> boxes = open();
    for (CMsgWnd* box : boxes) box->close(0);
}

std::vector<CMsgWnd*> CMsgWnd::openBoxes() { return open(); }

CMsgWnd::CMsgWnd(QWidget* owner) {
    // A top-level of its own (not a child of owner), so the box never outlives its control tree.
    window_ = ui::buildWindow(ui_, layoutFile("XML_MSG"));
    window_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);  // no taskbar button of its own
    window_->setWindowModality(Qt::ApplicationModal);
    window_->setAttribute(Qt::WA_DeleteOnClose, false);
    window_->installEventFilter(this);
    closeButton_ = ui_.handle("closebtn");
    ui_.setSink([this](const ui::Notification& n) { onNotify(n); });
    autoClose_.setTimerType(Qt::PreciseTimer);
    connect(&autoClose_, &QTimer::timeout, this, [this] {
        if (++ticks_ > 0) {
            autoClose_.stop();
            close(0);
        }
    });
    place(owner);
}

CMsgWnd::~CMsgWnd() {
    auto& boxes = open();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
    if (window_) window_->removeEventFilter(this);
    ui_.setSink(nullptr);
}

void CMsgWnd::setTitle(const std::string& title) {
    if (!title.empty()) ui_.setText("MessageTitle", title);
}

void CMsgWnd::setText(const std::string& text, bool textIsKey) {
    if (text.empty()) return;  // the layout's own text stays
    if (textIsKey) ui_.setTextKey("MessageText", text);
    else ui_.setText("MessageText", text);
}

void CMsgWnd::closeAfter(int milliseconds) { autoClose_.start(milliseconds); }

int CMsgWnd::exec() {
    if (!window_ || closed_) return result_;
    QEventLoop loop;
    loop_ = &loop;
    open().push_back(this);
    window_->show();
    window_->raise();
    window_->activateWindow();
    loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
    auto& boxes = open();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
    if (window_) window_->hide();
    return result_;
}

void CMsgWnd::close(int result) {
    if (closed_) return;
    closed_ = true;
    result_ = result;
    autoClose_.stop();
    if (loop_) loop_->exit(0);
}

void CMsgWnd::onNotify(const ui::Notification& n) {
    if (n.type != "click") return;
    if (n.handle && n.handle == closeButton_) return close(0);
    if (sameName(n.sender, "confirm_btn")) close(1);
    else if (sameName(n.sender, "cancel_btn")) close(0);
}

bool CMsgWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        if (event->type() == QEvent::Close) {
            close(0);
        } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            close(0);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CMsgWnd::place(QWidget* owner) {
    QRect area;
    if (owner && owner->isVisible()) area = owner->frameGeometry();
    else if (QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) window_->move(area.center() - QPoint(window_->width() / 2, window_->height() / 2));
}
