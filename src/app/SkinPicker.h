// CSkinFrame: the small pop-up below the caption button "skinbtn" from which the user changes the
// main window's background: a preset image (remembered in main.ini), a preset colour, the default
// image (remembered as a reset) or any PNG file (for this run only). It announces each choice
// through the skin-change observer (SkinChange.h).
//
// The picker lives on its own: the main window keeps no reference to it. A choice leaves it open;
// it closes (and deletes itself) when it loses the focus, when Escape is pressed or when its
// window is closed. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

#include "app/ui/Ui.h"

class QWidget;

class CSkinFrame : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultImage = "common/background.png";

    // Opens a picker below anchor (the "skinbtn" widget; nullptr: centred on the screen).
    static CSkinFrame* open(QWidget* anchor);
    // The pickers open now (tests, and the main window's shutdown).
    static std::vector<CSkinFrame*> openPickers();
    static void closeAll();

    ui::Ui& ui() { return ui_; }
    QWidget* window() const { return window_; }
    void close();

    // main.ini of the data folder, where the picker remembers preset images and resets.
    static std::string settingsFile();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CSkinFrame(QWidget* anchor);
    ~CSkinFrame() override;

    void onNotify(const ui::Notification& n);
    void chooseCustomFile();
    void place(QWidget* anchor);

    ui::Ui ui_;
    QPointer<QWidget> window_;
    bool asking_ = false;   // a file dialog of ours is open: losing the focus to it is no reason to close
    bool closing_ = false;
};

// Remembered skin settings of main.ini, section "SKINIMAGE".
void rememberSkinImage(const std::string& image);  // FLAGS=1, IMAGE=image
void rememberSkinReset();                          // FLAGS=0, IMAGE=common/background.png
