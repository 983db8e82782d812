#include <QGuiApplication>

#include "platform/InputCapture.h"
#include "platform/capture/QtInputCapture.h"
#ifdef ZELKAR_HAVE_X11
#include "platform/linux/x11/X11InputCapture.h"
#endif

std::unique_ptr<InputCapture> makeInputCapture() {
#ifdef ZELKAR_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        if (std::unique_ptr<X11InputCapture> x11 = X11InputCapture::open()) return x11;
#endif
    return std::make_unique<QtInputCapture>();
}
