// The skin picker: what each choice does to the main window at once and at the next start, the
// custom file, focus loss, placement, and the observer pair behind it.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>

#include "app/AppTestSupport.h"
#include "app/SkinPicker.h"
#include "app/ui/UiQt.h"
#include "profile/IniFile.h"

using apptest::ShellTest;
using apptest::spinFor;
using apptest::spinUntil;

namespace {

constexpr const char* kLayoutBackground = "common/background.png";

QAbstractButton* nthButton(CSkinFrame& picker, const char* name, int n) {
    const auto buttons = ui::rootWidget(picker.ui())->findChildren<QAbstractButton*>(name);
    return n < buttons.size() ? buttons[n] : nullptr;
}

}  // namespace

class SkinPickerTest : public ShellTest {
protected:
    // Opens the picker the way a person does: a click on "skinbtn".
    CSkinFrame* openPicker(CMainWnd& window) {
        auto* button = qobject_cast<QAbstractButton*>(ui::widget(window.ui(), "skinbtn"));
        if (!button) return nullptr;
        button->click();
        const auto open = CSkinFrame::openPickers();
        return open.empty() ? nullptr : open.back();
    }
    std::string ini(const char* key) { return readIniString(dataFile("main.ini"), "SKINIMAGE", key, "-"); }
    std::string nextStartBackground() {
        auto next = makeWindow();
        waitForInit(*next);
        return next->ui().bkImage("root");
    }
};

TEST_F(SkinPickerTest, PresetImageIsRememberedColourAndCustomFileAreNot) {
    auto window = makeWindow();
    ASSERT_TRUE(waitForInit(*window));
    ui::Ui& ui = window->ui();
    EXPECT_EQ(ui.bkImage("root"), kLayoutBackground);
    CSkinFrame* picker = openPicker(*window);
    ASSERT_NE(picker, nullptr);

    // A preset image: shown at once and written to main.ini.
    QAbstractButton* second = nthButton(*picker, "skin_image_btn", 1);
    ASSERT_NE(second, nullptr);
    const std::string preset = picker->ui().bkImage(ui::handleOf(picker->ui(), second));
    ASSERT_FALSE(preset.empty());
    second->click();
    EXPECT_EQ(ui.bkImage("root"), preset);
    EXPECT_EQ(ui.bkColor("root"), 0u);
    EXPECT_EQ(ini("FLAGS"), "1");
    EXPECT_EQ(ini("IMAGE"), preset);
    EXPECT_EQ(CSkinFrame::openPickers().size(), 1u);  // a choice leaves it open

    // A preset colour: shown at once, not written.
    picker->ui().raise("click", "skin_color");
    EXPECT_EQ(picker->ui().current("skin_tab"), 1);
    QAbstractButton* colour = nthButton(*picker, "skin_color_btn", 2);
    ASSERT_NE(colour, nullptr);
    const ui::Argb chosen = picker->ui().bkColor(ui::handleOf(picker->ui(), colour));
    colour->click();
    EXPECT_EQ(ui.bkColor("root"), chosen);
    EXPECT_EQ(ui.bkImage("root"), "");
    EXPECT_EQ(ini("IMAGE"), preset);

    // A custom PNG: shown at once, not written; the dialog asked for PNG files.
    const std::string png = dir.file("mine.png");
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(QString::fromStdString(png), "PNG"));
    dialogs->answers.push_back(png);
    picker->ui().raise("click", "skin_Custom");
    ASSERT_EQ(dialogs->asked.size(), 1u);
    EXPECT_EQ(dialogs->asked[0].defaultExtension, "png");
    EXPECT_EQ(ui.bkImage("root"), png);
    EXPECT_EQ(ini("IMAGE"), preset);
    picker->ui().raise("click", "skin_image");
    EXPECT_EQ(picker->ui().current("skin_tab"), 0);

    EXPECT_EQ(nextStartBackground(), preset);  // the colour and the file are forgotten
}

TEST_F(SkinPickerTest, ResetIsRememberedAndTheNextStartKeepsTheLayoutsBackground) {
    writeIniString(dataFile("main.ini"), "SKINIMAGE", "FLAGS", "1");
    writeIniString(dataFile("main.ini"), "SKINIMAGE", "IMAGE", "skin/bg_3.png");
    auto window = makeWindow();
    ASSERT_TRUE(waitForInit(*window));
    EXPECT_EQ(window->ui().bkImage("root"), "skin/bg_3.png");
    CSkinFrame* picker = openPicker(*window);
    ASSERT_NE(picker, nullptr);
    picker->ui().raise("click", "skin_reset");
    EXPECT_EQ(window->ui().bkImage("root"), kLayoutBackground);
    EXPECT_EQ(ini("FLAGS"), "0");
    EXPECT_EQ(ini("IMAGE"), kLayoutBackground);
    // Hand-edit IMAGE: with FLAGS 0 it is not read.
    writeIniString(dataFile("main.ini"), "SKINIMAGE", "IMAGE", "skin/bg_4.png");
    EXPECT_EQ(nextStartBackground(), kLayoutBackground);
}

TEST_F(SkinPickerTest, CancelledOrUnusableCustomFilesChangeNothing) {
    auto window = makeWindow();
    ASSERT_TRUE(waitForInit(*window));
    CSkinFrame* picker = openPicker(*window);
    ASSERT_NE(picker, nullptr);
    const std::string notPng = dir.file("fake.png");
    testsupport::writeFile(notPng, "not an image at all");
    const std::string jpeg = dir.file("photo.png");
    ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString(jpeg), "JPG"));
    dialogs->answers = {std::nullopt, notPng, jpeg, dir.path(), dir.file("missing.png")};
    for (size_t i = 0; i < 5; ++i) {
        picker->ui().raise("click", "skin_Custom");
        EXPECT_EQ(window->ui().bkImage("root"), kLayoutBackground) << i;
    }
    EXPECT_EQ(ini("FLAGS"), "-");  // nothing written either
}

TEST_F(SkinPickerTest, NonsenseInMainIniKeepsTheDefaultLook) {
    const char* images[] = {"no/such/file.png", "../../../../etc/passwd", "", "/dev/zero", "common"};
    for (const char* image : images) {
        writeIniString(dataFile("main.ini"), "SKINIMAGE", "FLAGS", "1");
        writeIniString(dataFile("main.ini"), "SKINIMAGE", "IMAGE", image);
        EXPECT_EQ(nextStartBackground(), kLayoutBackground) << image;
    }
    for (const char* flags : {"yes", "2", "-1", "1x"}) {
        writeIniString(dataFile("main.ini"), "SKINIMAGE", "FLAGS", flags);
        writeIniString(dataFile("main.ini"), "SKINIMAGE", "IMAGE", "skin/bg_1.png");
        const bool one = std::string(flags) == "1x";  // the leading number counts, as it always did
        EXPECT_EQ(nextStartBackground(), one ? "skin/bg_1.png" : kLayoutBackground) << flags;
    }
}

TEST_F(SkinPickerTest, OpensBelowTheButtonAndClosesWhenItLosesTheFocus) {
    auto window = makeWindow();
    window->show();
    ASSERT_TRUE(waitForInit(*window));
    window->show();
    QWidget* anchor = ui::widget(window->ui(), "skinbtn");
    CSkinFrame* picker = openPicker(*window);
    ASSERT_NE(picker, nullptr);
    const QPoint corner = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
    EXPECT_EQ(picker->window()->pos(), QPoint(corner.x() - picker->window()->width(), corner.y()));
    EXPECT_TRUE(picker->window()->windowFlags() & Qt::FramelessWindowHint);

    // Two clicks make two pickers; each closes on its own.
    CSkinFrame* another = openPicker(*window);
    ASSERT_NE(another, picker);
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(picker->window(), &deactivate);
    spinFor(10);
    ASSERT_EQ(CSkinFrame::openPickers().size(), 1u);
    EXPECT_EQ(CSkinFrame::openPickers()[0], another);
    window->shutdown();  // takes the other with it
    EXPECT_TRUE(CSkinFrame::openPickers().empty());
}

TEST(SkinChangeObserver, BroadcastsCopiesInOrderAndForgetsReceiversThatAreGone) {
    struct Recorder : SkinChangeReceiver {
        explicit Recorder(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name)) {}
        int receive(SkinChangedParam p) override {
            log->push_back(name + ":" + (p.colour ? std::to_string(p.bkColor) : p.bkImage));
            p.bkImage = "changed";  // a copy: the next receiver does not see this
            return 0;
        }
        std::vector<std::string>* log;
        std::string name;
    };
    SkinChangeObserver observer;
    std::vector<std::string> log;
    auto first = std::make_unique<Recorder>(&log, "a");
    Recorder second(&log, "b");
    observer.addReceiver(first.get());
    observer.addReceiver(&second);
    observer.broadcast({false, 0, "x.png"});
    EXPECT_EQ(log, (std::vector<std::string>{"a:x.png", "b:x.png"}));
    first.reset();  // leaves the observer as it goes
    EXPECT_EQ(observer.receiverCount(), 1u);
    log.clear();
    observer.broadcast({true, 7, ""});
    EXPECT_EQ(log, (std::vector<std::string>{"b:7"}));
    second.removeObserver();
    EXPECT_EQ(observer.receiverCount(), 0u);
}
