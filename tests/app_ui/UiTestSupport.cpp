#include "app_ui/UiTestSupport.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QWidget>

#include "app/ui/Language.h"
#include "app/ui/UiQt.h"

namespace uitest {

namespace {

QtMessageHandler qtDefaultHandler = nullptr;

// The offscreen platform warns about every fixed-size window; nothing a test can act on.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support propagateSizeHints"))) return;
    if (qtDefaultHandler) qtDefaultHandler(type, context, message);
}

// One QApplication for the whole program: gtest_main runs the tests, this environment brackets them.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        qtDefaultHandler = qInstallMessageHandler(quietOffscreen);
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[9] = "ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QStringList* captured = nullptr;
QtMessageHandler previousHandler = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (captured && context.category && QByteArray(context.category) == "zelkar.ui") {
        captured->push_back(message);
        return;
    }
    if (previousHandler) previousHandler(type, context, message);
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

}  // namespace

UiTest::UiTest() {
    ui::setSkinDir(dir_.path());
    write("empty_lan.xml", "<Language name=\"none\"/>");
    ui::Language::instance().load("empty_lan.xml");  // no texts: every key shows itself
    ui.setSink([this](const ui::Notification& n) { got_.push_back(n); });
}

UiTest::~UiTest() {
    delete window;
    ui::setSkinDir({});
}

void UiTest::write(const std::string& file, const std::string& content) const {
    testsupport::writeFile(dir_.file(file), content);
}

void UiTest::build(const std::string& body) {
    write("layout.xml", "<Window size=\"400,300\">" + body + "</Window>");
    buildFile("layout.xml");
}

void UiTest::buildFile(const std::string& file) {
    delete window;
    window = new QWidget;
    ui::buildInto(ui, window, file);
    window->show();
    processEvents();
}

QWidget* UiTest::widget(const std::string& name) const { return ui::widget(ui, name); }

std::vector<std::string> UiTest::types() const {
    std::vector<std::string> out;
    for (const auto& n : got_) out.push_back(n.type);
    return out;
}

std::vector<std::string> UiTest::seen() const {
    std::vector<std::string> out;
    for (const auto& n : got_) out.push_back(n.type + ":" + n.sender);
    return out;
}

void press(QWidget* w, QPoint at) { sendMouse(w, QEvent::MouseButtonPress, at); }
void release(QWidget* w, QPoint at) { sendMouse(w, QEvent::MouseButtonRelease, at); }

void click(QWidget* w, QPoint at) {
    press(w, at);
    release(w, at);
}

void click(QWidget* w) { click(w, w->rect().center()); }

void key(QWidget* w, int qtKey, const QString& text) {
    QKeyEvent down(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(w, &up);
}

void processEvents() { QApplication::processEvents(); }

namespace {
QStringList captureLines;
}

LogCapture::LogCapture() {
    captureLines.clear();
    captured = &captureLines;
    QLoggingCategory::setFilterRules(QStringLiteral("zelkar.ui.debug=true"));
    previousHandler = qInstallMessageHandler(captureHandler);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previousHandler);
    QLoggingCategory::setFilterRules(QStringLiteral("zelkar.ui.debug=false"));
    captured = nullptr;
}

const QStringList& LogCapture::lines() const { return captureLines; }

int LogCapture::count(const QString& containing) const {
    int n = 0;
    for (const QString& line : captureLines) n += line.contains(containing) ? 1 : 0;
    return n;
}

void writePng(const std::string& path, int width, int height, uint32_t argb) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(argb));
    image.save(QString::fromStdString(path), "PNG");
}

}  // namespace uitest
