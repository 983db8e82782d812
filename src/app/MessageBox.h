// CMsgWnd: the one modal box for every notice and every yes/no question, built from the layout
// "XML_MSG" ("MessageTitle", "MessageText", "confirm_btn", "cancel_btn", "closebtn").
//
//   if (showMessageBox(this, "", "message_text_12", true) == 1) deleteProfile();
//
// The box keeps the layout's title unless one is given, shows its text as a language key or as
// literal text, and answers 1 for "confirm_btn", 0 for "cancel_btn", the caption's "closebtn",
// Escape, a window-manager close or the program shutting down. While it is open the main window
// goes on receiving timers and messages (a nested event loop). UI thread only.
//
// Tests install a responder: every box is then handed to it (recorded, answered) and no window
// is shown.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>

#include "app/ui/Ui.h"

class QEventLoop;
class QWidget;

int showMessageBox(QWidget* owner, const std::string& title, const std::string& text, bool textIsKey);
// The same box; with autoClose it closes itself with result 0 after 500 ms.
void showTimedMessageBox(bool autoClose, QWidget* owner, const std::string& title, const std::string& text,
                         bool textIsKey);

struct MessageBoxRequest {
    std::string title;       // "" keeps the layout's title
    std::string text;        // the key, or the literal text
    bool textIsKey = true;
    bool autoClose = false;  // the timed form
    std::string shownText;   // what the box shows: the translation in key mode ("" for no text)
};
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;
// An empty function shows real boxes again.
void setMessageBoxResponder(MessageBoxResponder responder);

// Every open box closes with 0 (used by Shutdown so that nested loops unwind).
void closeAllMessageBoxes();

class CMsgWnd : public QObject {
    Q_OBJECT
public:
    static constexpr int kAutoCloseMs = 500;

    explicit CMsgWnd(QWidget* owner);
    ~CMsgWnd() override;

    void setTitle(const std::string& title);
    void setText(const std::string& text, bool textIsKey);
    void closeAfter(int milliseconds);
    // Shows the box modally and returns its result once it is closed.
    int exec();
    void close(int result);

    ui::Ui& ui() { return ui_; }
    QWidget* window() const { return window_; }
    bool isOpen() const { return loop_ != nullptr; }

    // The boxes open now, innermost last.
    static std::vector<CMsgWnd*> openBoxes();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onNotify(const ui::Notification& n);
    void place(QWidget* owner);

    ui::Ui ui_;
    QPointer<QWidget> window_;
    ui::ControlHandle closeButton_ = nullptr;
    QEventLoop* loop_ = nullptr;
    QTimer autoClose_;
    int ticks_ = 0;
    int result_ = 0;
    bool closed_ = false;
};
