// Shared by the page tests: one QApplication for the run, and a keyboard sequence host that does
// nothing (for tests that look at the mirror and the wire, not at the window).
#pragma once

#include <QApplication>
#include <string>

#include "mirror/KeyboardTransfers.h"

namespace testsupport {

inline void ensureQtApplication() {
    static int argc = 1;
    static char name[] = "zelkar-page-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

struct NullKeyboardHost : KeyboardSequenceHost {
    void showMessage(const std::string&) override {}
    void saveDeviceProfile() override {}
    void saveKeyProfile() override {}
    void showSettingsTab(bool) override {}
    void showFirstFunctionPage() override {}
    void setAbControlEnabled(bool) override {}
    void refreshPages() override {}
    void showProgress() override {}
    void hideProgressLater() override {}
};

}  // namespace testsupport
