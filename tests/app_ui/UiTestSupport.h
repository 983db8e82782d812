// Shared by the UI tests: a QApplication for the whole run, layouts written into a private
// skin folder, a recording sink, synthetic input and a capture of the debug log.
#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/Ui.h"
#include "support/TestSupport.h"

class QWidget;

namespace uitest {

// A fixture with its own skin folder and one Ui whose window is shown (offscreen) after build.
class UiTest : public ::testing::Test {
protected:
    UiTest();
    ~UiTest() override;

    std::string skin(const std::string& file) const { return dir_.file(file); }
    void write(const std::string& file, const std::string& content) const;
    // Writes layout.xml with a <Window> around body, builds it into a shown window.
    void build(const std::string& body);
    void buildFile(const std::string& file);

    QWidget* widget(const std::string& name) const;
    std::vector<std::string> types() const;                  // every notification's type
    std::vector<std::string> seen() const;                   // "type:sender" of each
    void clearSeen() { got_.clear(); }

    testsupport::TempDir dir_;
    ui::Ui ui;
    QWidget* window = nullptr;
    std::vector<ui::Notification> got_;
};

// Synthetic input delivered straight to a widget, as the window system would.
void press(QWidget* w, QPoint at);
void release(QWidget* w, QPoint at);
void click(QWidget* w, QPoint at);
void click(QWidget* w);  // at its centre
void key(QWidget* w, int qtKey, const QString& text = {});
void processEvents();

// Collects the "zelkar.ui" debug lines while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    const QStringList& lines() const;
    int count(const QString& containing) const;
};

// A solid PNG of one colour, for image tests.
void writePng(const std::string& path, int width, int height, uint32_t argb);

}  // namespace uitest
