// The Qt side of the UI layer, for the app layer (main window, message box, skin picker).
// Page code uses Ui.h only.
//
//   auto* window = new QWidget;                        // the app's main window
//   ui::Ui ui;
//   ui::buildInto(ui, window, "main.xml");             // size, title and controls from the layout
//   ui.setSink([&](const ui::Notification& n) { router.route(n); });
//   ui::switchLanguage("en", "lan_en.xml");            // every key-mode text follows at once
//
// A Ui must not be destroyed or rebuilt from inside its own sink (the widget that raised the
// notification is still on the stack): do it later (QObject::deleteLater, a queued call).
// Everything here runs on the UI thread only.
#pragma once

#include "app/ui/Accessibility.h"
#include "app/ui/Language.h"
#include "app/ui/Ui.h"

#include <QString>
#include <string>

class QWidget;

namespace ui {

// Builds a layout file (a name inside the skin folder, or an absolute path) into host, which
// gets the layout's size and title; the layout's root box fills host. Replaces whatever the Ui
// held before. Never fails: a missing or malformed file builds what it can (see the debug log)
// and the answer is still the root box. Raises no notification.
QWidget* buildInto(Ui& ui, QWidget* host, const std::string& layoutFile);

// As buildInto, into a new top-level widget (optionally with a parent window, for a dialog)
// that the Ui owns: it is deleted with the Ui or by the next build. Answers the top-level.
QWidget* buildWindow(Ui& ui, const std::string& layoutFile, QWidget* parent = nullptr);

// The root box of the last build (nullptr before one, or once the host has deleted it).
QWidget* rootWidget(const Ui& ui);
// The widget of a control; nullptr for no such control (or one whose widget is gone).
QWidget* widget(const Ui& ui, const std::string& name);
QWidget* widget(const Ui& ui, ControlHandle handle);
inline QWidget* widget(const Ui& ui, const char* name) { return widget(ui, std::string(name)); }  // not the handle
// The control a widget belongs to (nullptr for widgets the Ui did not build).
ControlHandle handleOf(const Ui& ui, const QWidget* widget);

// Sets the language name, loads its file and makes every live Ui show it, then repaints.
// false (nothing changed) when the file cannot be read.
bool switchLanguage(const std::string& name, const std::string& file);

}  // namespace ui
