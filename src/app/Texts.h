// Translating language keys for program code, and the two composed messages.
//
// The pages translate through the hidden key-mode label "str_test" of the main window: set the key,
// read the shown text back. The main window registers its control tree as the translator; without
// one (or without "str_test") the language table answers directly. UI thread only.
#pragma once

#include <string>

namespace ui {
class Ui;
}

void setTranslator(ui::Ui* ui);   // nullptr forgets it
ui::Ui* translator();

// The current language's text for key; the key itself when the language has none.
std::string translate(const std::string& key);

// "message_text_16" (surplus actions) and "message_text_17" (macro limit) hold one integer
// placeholder. The translated text is data, never a printf format: see formatWithInteger.
std::string formatMessage(const std::string& key, int value);

// Replaces the first "%d" (also "%i", "%u") of text with value and every "%%" with "%"; every other
// '%' stays as it is. So a translation with "%s" or "%n" can neither crash nor write memory.
std::string formatWithInteger(const std::string& text, int value);
