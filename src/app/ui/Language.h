// The language table: language key -> text of the current language, loaded from lan_cn.xml or
// lan_en.xml in the skin folder. One table for the whole process; every Ui's key-mode controls
// follow it when reloadText() is called. UI thread only.
#pragma once

#include <string>
#include <vector>

namespace ui {

// The folder the layouts, language files and images are read from ("skin" beside the program).
void setSkinDir(const std::string& dir);
std::string skinDir();

class Language {
public:
    static Language& instance();

    // Loads a language file (a name inside the skin folder, or an absolute path), replacing the
    // table. false (table unchanged) when the file is missing or malformed.
    bool load(const std::string& file);
    void setName(const std::string& name);   // "cn_zh" or "en"
    const std::string& name() const { return name_; }

    bool has(const std::string& key) const;
    // The text for key; the key itself when the table has none.
    std::string text(const std::string& key) const;
    std::vector<std::string> keys() const;

    // Makes every key-mode control of every live Ui show the current table's text.
    void reloadText();

private:
    Language() = default;
    std::string name_;
    struct Table;
    Table* table_ = nullptr;
};

}  // namespace ui
