// The ring progress, pictures with hover image and colour overlay, and what accessibility sees.
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include "app/ui/Accessibility.h"
#include "app/ui/CustomControls.h"
#include "app/ui/OverlaySurface.h"
#include "app/ui/Picture.h"
#include "app/ui/UiQt.h"
#include "app_ui/UiTestSupport.h"

using uitest::UiTest;
using Strings = std::vector<std::string>;

namespace {

QRgb pixel(QWidget* w, QPoint at) { return w->grab().toImage().pixel(at); }

TEST(CircleSweep, ValueOverRangeWidthOfAFullTurn) {
    struct Case {
        int minimum, maximum, value, degrees;
    };
    const Case cases[] = {
        {0, 100, 25, 90},
        {50, 150, 75, 270},   // the value is not shifted by the minimum
        {0, 100, 0, 0},
        {0, 100, 100, 360},   // value == max - min: the full ring
        {50, 150, 100, 360},
        {0, 3, 1, 120},
        {0, 7, 1, 51},        // cut, not rounded (51.43)
        {10, 10, 5, 0},       // empty range: nothing
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::circleSweepDegrees(c.minimum, c.maximum, c.value), c.degrees)
            << c.minimum << ".." << c.maximum << " value " << c.value;
}

class Controls : public UiTest {};

TEST_F(Controls, RingPaintsTrackArcFromTheBottomClockwiseAndWhiteCentre) {
    build(R"(<Box><CircleProgress name="ring" pos="0,0,100,100" min="0" max="100" value="25"
               bkcolor="#FF0000FF" forecolor="#FF00FF00"/></Box>)");
    QWidget* ring = widget("ring");
    const QRgb green = 0xFF00FF00, blue = 0xFF0000FF, white = 0xFFFFFFFF;
    const QRgb outside = pixel(ring, {0, 0});
    // Points on the ring (radius 45 of 50) in each quarter, and just left of the bottom.
    const QPoint bottomLeft{18, 82}, bottomRight{82, 82}, topLeft{18, 18}, topRight{82, 18}, bottom{45, 95};
    // 25 % from the bottom clockwise covers the bottom-left quarter of the ring.
    EXPECT_EQ(pixel(ring, bottom), green);
    EXPECT_EQ(pixel(ring, bottomLeft), green);
    EXPECT_EQ(pixel(ring, topLeft), blue) << "track";
    EXPECT_EQ(pixel(ring, bottomRight), blue) << "track";
    EXPECT_EQ(pixel(ring, {50, 50}), white);
    EXPECT_EQ(pixel(ring, {50, 15}), white) << "the white disc is 10 px inside";

    ui.setValue("ring", 50, false);  // half: up the left side to the top
    EXPECT_EQ(pixel(ring, topLeft), green);
    EXPECT_EQ(pixel(ring, topRight), blue);
    ui.setValue("ring", 0, false);
    EXPECT_EQ(pixel(ring, bottom), blue);
    ui.setValue("ring", 100, false);
    for (QPoint p : {bottomLeft, bottomRight, topLeft, topRight}) EXPECT_EQ(pixel(ring, p), green);
    // No anti-aliasing: nothing but the ring's colours and the untouched background.
    const QImage image = ring->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (p != green && p != blue && p != white && p != outside) ADD_FAILURE() << "blended pixel at " << x << "," << y;
        }
}

class Pictures : public UiTest {
protected:
    Pictures() {
        uitest::writePng(skin("key.png"), 8, 8, 0xFFFF0000);
        uitest::writePng(skin("key_hot.png"), 8, 8, 0xFF00FF00);
        // Away from the corner where the (offscreen) pointer rests.
        build(R"(<Box><Picture name="kb_dkey_1" pos="100,100,40,40" bkimage="key.png" hotimage="key_hot.png"/>
                   <Picture name="missing" pos="150,100,40,40" bkimage="nope.png" bkcolor="#FF0000FF"/></Box>)");
    }
    void enter(QWidget* w) {
        QEnterEvent event(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
        QApplication::sendEvent(w, &event);
    }
    void leave(QWidget* w) {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(w, &event);
    }
};

TEST_F(Pictures, HoverShowsTheHotImageAndReportsEnterAndLeave) {
    QWidget* key = widget("kb_dkey_1");
    EXPECT_EQ(pixel(key, {20, 20}), 0xFFFF0000u);
    enter(key);
    EXPECT_EQ(pixel(key, {20, 20}), 0xFF00FF00u);
    leave(key);
    EXPECT_EQ(pixel(key, {20, 20}), 0xFFFF0000u);
    uitest::click(key);
    EXPECT_EQ(seen(), (Strings{"msenter:kb_dkey_1", "msleave:kb_dkey_1", "click:kb_dkey_1"}));
}

TEST_F(Pictures, OverlayIsPaintedOverTheImageWithItsAlpha) {
    QWidget* key = widget("kb_dkey_1");
    ui.setOverlayColor("kb_dkey_1", 0xFF0000FF);
    EXPECT_EQ(pixel(key, {20, 20}), 0xFFFF0000u) << "alpha 0 shows no overlay";
    ui.setOverlayAlpha("kb_dkey_1", 255);
    EXPECT_EQ(pixel(key, {20, 20}), 0xFF0000FFu);
    ui.setOverlayAlpha("kb_dkey_1", 128);
    const QRgb mixed = pixel(key, {20, 20});
    EXPECT_NEAR(qRed(mixed), 127, 2);
    EXPECT_NEAR(qBlue(mixed), 128, 2);
    ui.setOverlayColor("kb_dkey_1", 0x0000FF00);  // the colour's own alpha byte plays no part
    EXPECT_NEAR(qGreen(pixel(key, {20, 20})), 128, 2);
}

TEST_F(Pictures, MissingImageShowsNothingButTheColour) {
    EXPECT_EQ(pixel(widget("missing"), {20, 20}), 0xFF0000FFu);
    ui.setBkImage("kb_dkey_1", "");
    ui.setBkColor("kb_dkey_1", 0);
    EXPECT_EQ(QColor(pixel(widget("kb_dkey_1"), {20, 20})), window->palette().color(QPalette::Window))
        << "only the window behind";
}

// The preview's pictures repaint through one opaque surface showing a captured composite of what
// lies beneath them. Overlay frames reuse it; Qt repaints nothing under an opaque widget, so any
// other change beneath must reach the surface, or it would keep showing the old look.
TEST_F(Controls, PreviewSurfaceShowsChangesBeneathIt) {
    uitest::writePng(skin("hot.png"), 8, 8, 0xFFFFFFFF);
    std::string pictures;
    std::vector<ui::Ui::OverlayChange> frame;
    for (int i = 0; i < 10; ++i)
        pictures += "<Picture name=\"p" + std::to_string(i) + "\" hotimage=\"hot.png\" pos=\"" + std::to_string(10 + 30 * i) + ",10,20,20\"/>";
    build(R"(<Box name="box" pos="0,0,320,40" bkcolor="#FF0000FF">)" + pictures + "</Box>");
    for (int i = 0; i < 10; ++i) frame.push_back({ui.handle("p" + std::to_string(i)), 0xFFFF0000, 0});
    QWidget* key = widget("p0");
    auto onScreen = [&] {
        // The window repaints on its next update request, not within one pass of the event loop.
        QElapsedTimer waited;
        for (waited.start(); waited.elapsed() < 50;) QApplication::processEvents(QEventLoop::AllEvents, 5);
        return QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage().pixel(key->mapTo(window, QPoint(10, 10)));
    };
    auto show = [&](int alpha) {
        for (auto& change : frame) change.alpha = alpha;
        ui.setOverlays(frame);
        return onScreen();
    };
    EXPECT_EQ(show(255), 0xFFFF0000u);
    auto* surface = widget("box")->findChild<ui::OverlaySurface*>();
    ASSERT_TRUE(surface);
    const int captures = surface->captures();
    EXPECT_EQ(show(0), 0xFF0000FFu) << "the background shows through";
    EXPECT_EQ(surface->captures(), captures) << "overlay frames reuse the composite";
    ui.setBkColor("box", 0xFF00FF00);
    EXPECT_EQ(onScreen(), 0xFF00FF00u) << "a new background without an overlay frame";
    show(255);
    ui.setBkColor("box", 0xFF0000FF);  // in the same frame as overlays over the whole surface
    EXPECT_EQ(show(0), 0xFF0000FFu);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), key->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(key, &enter);
    EXPECT_EQ(onScreen(), 0xFFFFFFFFu) << "the hot image";
}

TEST_F(Controls, AccessibleNamesAreWhatAPersonSeesAndIdsAreOptIn) {
    write("lan.xml", R"(<Language><Text key="close_text">Close</Text><Text key="t">Keyboard</Text></Language>)");
    ui::Language::instance().load("lan.xml");
    build(R"(<VBox><Option name="kb_tab" group="tabs" key="t"/><Option name="check"/>
             <Button name="closebtn" tooltip="close_text"/>
             <Slider name="speed" tooltip="close_text"/><Picture name="pic"/></VBox>)");
    auto role = [&](const char* name) { return QAccessible::queryAccessibleInterface(widget(name))->role(); };
    EXPECT_EQ(role("kb_tab"), QAccessible::RadioButton);
    EXPECT_EQ(role("check"), QAccessible::CheckBox);
    EXPECT_EQ(role("pic"), QAccessible::Button);
    // Pressed by assistive technology, a radio option acts as under the user's click.
    QAccessibleInterface* radio = QAccessible::queryAccessibleInterface(widget("kb_tab"));
    radio->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(seen(), (Strings{"selectchanged:kb_tab", "click:kb_tab"}));
    EXPECT_TRUE(radio->state().checked);
    EXPECT_EQ(widget("kb_tab")->accessibleName(), "Keyboard");
    EXPECT_EQ(widget("closebtn")->accessibleName(), "Close");
    EXPECT_EQ(widget("speed")->accessibleName(), "Close");
    EXPECT_EQ(widget("kb_tab")->accessibleDescription(), "") << "ids are off by default";
    ui::setAccessibleIds(true);
    EXPECT_EQ(widget("kb_tab")->accessibleDescription(), "kb_tab");
    EXPECT_EQ(widget("pic")->accessibleDescription(), "pic");
    EXPECT_EQ(widget("kb_tab")->accessibleName(), "Keyboard") << "the name is never the label";
    ui::setAccessibleIds(false);
    EXPECT_EQ(widget("closebtn")->accessibleDescription(), "");
}

}  // namespace
