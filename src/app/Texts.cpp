#include "app/Texts.h"

#include "app/ui/Language.h"
#include "app/ui/Ui.h"

namespace {
ui::Ui* g_translator = nullptr;  // UI thread only
}

void setTranslator(ui::Ui* ui) { g_translator = ui; }
ui::Ui* translator() { return g_translator; }

std::string translate(const std::string& key) {
    if (g_translator && g_translator->has("str_test")) {
        g_translator->setTextKey("str_test", key);
        return g_translator->text("str_test");
    }
    return ui::Language::instance().text(key);
}

std::string formatMessage(const std::string& key, int value) { return formatWithInteger(translate(key), value); }

std::string formatWithInteger(const std::string& text, int value) {
    std::string out;
    out.reserve(text.size() + 12);
    bool placed = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '%') {
            out += '%';
            ++i;
        } else if (!placed && (next == 'd' || next == 'i' || next == 'u')) {
            out += std::to_string(value);
            placed = true;
            ++i;
        } else {
            out += '%';
        }
    }
    return out;
}
