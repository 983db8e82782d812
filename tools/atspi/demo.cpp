// Shows one layout through the UI layer for the accessibility check (find_control.py).
//   zelkar-atspi-demo SKIN_DIR [LAYOUT]
// Prints every notification on stdout; a click on "lang_btn" switches between the languages,
// so the check can see accessible names follow a switch. Rows are added to "macro_list" once
// the window shows, while assistive technology is already watching, as the macro pages do.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "app/ui/Language.h"
#include "app/ui/UiQt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: zelkar-atspi-demo SKIN_DIR [LAYOUT]\n");
        return 2;
    }
    ui::setSkinDir(argv[1]);
    ui::Language::instance().setName("cn_zh");
    ui::Language::instance().load("lan_cn.xml");

    QWidget window;
    ui::Ui ui;
    ui::buildInto(ui, &window, argc > 2 ? argv[2] : "layout.xml");
    ui.setSink([](const ui::Notification& n) {
        std::printf("notification %s %s\n", n.type.c_str(), n.sender.c_str());
        std::fflush(stdout);
        if (n.type == "click" && n.sender == "lang_btn") {
            const bool toEnglish = ui::Language::instance().name() != "en";
            ui::switchLanguage(toEnglish ? "en" : "cn_zh", toEnglish ? "lan_en.xml" : "lan_cn.xml");
        }
    });
    window.show();
    QTimer::singleShot(300, &window, [&ui] {
        for (const char* row : {"macro 1", "macro 2", "macro 3"}) ui.addItem("macro_list", row);
    });
    return app.exec();
}
