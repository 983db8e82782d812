// Checks the skin data against what the program needs of it: the control inventory
// (skin/controls.txt) against the layouts, the page tags and tab pages the program selects, the
// item lists it indexes, the language keys of layouts and program (skin/program_keys.txt) against
// both language files, the two printf-style message texts, and the images every layout names.
//
// The skin folder is ZELKAR_SOURCE_DIR + "/skin" (ctest sets the variable).

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------- reading the files

struct Element {
    std::string tag;
    std::map<std::string, std::string> attrs;
    std::string text;                 // character data (language texts)
    int parent = -1;
    std::vector<int> children;

    std::string attr(const std::string& name) const {
        auto it = attrs.find(name);
        return it == attrs.end() ? std::string() : it->second;
    }
    bool has(const std::string& name) const { return attrs.count(name) != 0; }
};

struct Document {
    std::string file;
    std::vector<Element> elements;   // document order; element 0 is the root
    std::string error;               // empty when well-formed
    bool exists = false;

    const Element& root() const { return elements.front(); }
};

std::string skinDir() {
    const char* source = std::getenv("ZELKAR_SOURCE_DIR");
    return source ? std::string(source) + "/skin" : std::string();
}

Document parse(const std::string& file) {
    Document doc;
    doc.file = file;
    QFile f(QString::fromStdString(skinDir() + "/" + file));
    if (!f.open(QIODevice::ReadOnly)) {
        doc.error = "cannot open";
        return doc;
    }
    doc.exists = true;
    QXmlStreamReader xml(&f);
    std::vector<int> open;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            Element e;
            e.tag = xml.name().toString().toStdString();
            for (const auto& a : xml.attributes())
                e.attrs[a.name().toString().toStdString()] = a.value().toString().toStdString();
            e.parent = open.empty() ? -1 : open.back();
            int index = int(doc.elements.size());
            if (e.parent >= 0) doc.elements[size_t(e.parent)].children.push_back(index);
            doc.elements.push_back(std::move(e));
            open.push_back(index);
        } else if (xml.isEndElement()) {
            open.pop_back();
        } else if (xml.isCharacters() && !open.empty()) {
            doc.elements[size_t(open.back())].text += xml.text().toString().toStdString();
        }
    }
    if (xml.hasError())
        doc.error = xml.errorString().toStdString() + " at line " + std::to_string(xml.lineNumber());
    else if (doc.elements.empty())
        doc.error = "no root element";
    return doc;
}

// Reads a list file: one entry a line, '#' starts a comment line, blank lines skipped.
std::vector<std::string> readLines(const std::string& file) {
    std::vector<std::string> lines;
    QFile f(QString::fromStdString(skinDir() + "/" + file));
    if (!f.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        std::string line = QString::fromUtf8(raw).toStdString();
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        lines.push_back(line);
    }
    return lines;
}

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Page tags and the page files they expand to (compared without regard to case).
const std::map<std::string, std::string> kPageTags = {
    {"kb_key_ui", "keyboard_key.xml"},   {"kb_deng_ui", "keyboard_deng.xml"},
    {"kb_macro_ui", "keyboard_macro.xml"}, {"ms_deng_ui", "Mouse_deng.xml"},
    {"ms_macro_ui", "Mouse_macro.xml"},  {"ms_key_ui", "Mouse_key.xml"},
    {"mp_deng_ui", "MousePad_deng.xml"}, {"ms_dpi_ui", "Mouse_DPI.xml"},
    {"ms_cursor_ui", "Mouse_cursor.xml"},
};

const std::vector<std::string> kWindowLayouts = {"main.xml", "msg.xml", "skin.xml"};

std::vector<std::string> pageFiles() {
    std::vector<std::string> files;
    for (const auto& [tag, file] : kPageTags) files.push_back(file);
    return files;
}

std::vector<std::string> allLayouts() {
    std::vector<std::string> files = kWindowLayouts;
    for (const auto& f : pageFiles()) files.push_back(f);
    files.push_back("menu.xml");
    return files;
}

// Every layout parsed once for the whole program.
const std::map<std::string, Document>& layouts() {
    static const std::map<std::string, Document> docs = [] {
        std::map<std::string, Document> m;
        for (const auto& f : allLayouts()) m[f] = parse(f);
        return m;
    }();
    return docs;
}

const Document& layout(const std::string& file) { return layouts().at(file); }

// The first element of a file with that name, or nullptr.
const Element* find(const Document& doc, const std::string& name) {
    for (const auto& e : doc.elements)
        if (e.attr("name") == name) return &e;
    return nullptr;
}

// A named control anywhere in the main window: main.xml or one of the page files.
const Element* findInMain(const std::string& name) {
    if (const Element* e = find(layout("main.xml"), name)) return e;
    for (const auto& f : pageFiles())
        if (const Element* e = find(layout(f), name)) return e;
    return nullptr;
}

std::vector<const Element*> childrenOf(const Document& doc, const Element& e, const std::string& tag = {}) {
    std::vector<const Element*> out;
    for (int i : e.children)
        if (tag.empty() || doc.elements[size_t(i)].tag == tag) out.push_back(&doc.elements[size_t(i)]);
    return out;
}

std::string join(const std::vector<std::string>& items) {
    std::ostringstream s;
    for (const auto& i : items) s << "\n  " << i;
    return s.str();
}

// ---------------------------------------------------------------------------- language files

struct Language {
    Document doc;
    std::map<std::string, std::string> texts;
    std::vector<std::string> duplicates;
};

const Language& language(const std::string& file) {
    static std::map<std::string, Language> cache;
    auto it = cache.find(file);
    if (it != cache.end()) return it->second;
    Language lang;
    lang.doc = parse(file);
    if (lang.doc.error.empty()) {
        for (const Element* t : childrenOf(lang.doc, lang.doc.root(), "Text")) {
            const std::string key = t->attr("key");
            if (!lang.texts.emplace(key, t->text).second) lang.duplicates.push_back(key);
        }
    }
    return cache.emplace(file, std::move(lang)).first->second;
}

const std::vector<std::string> kLanguageFiles = {"lan_cn.xml", "lan_en.xml"};

class SkinFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (skinDir().empty()) FAIL() << "ZELKAR_SOURCE_DIR is not set";
    }
};

// ---------------------------------------------------------------------------- well-formed files

TEST_F(SkinFiles, EveryXmlFileIsWellFormedWithTheExpectedRoot) {
    std::map<std::string, std::string> roots = {{"main.xml", "Window"}, {"msg.xml", "Window"},
                                                {"skin.xml", "Window"}, {"menu.xml", "Menu"},
                                                {"res.xml", "Resources"}, {"lan_cn.xml", "Language"},
                                                {"lan_en.xml", "Language"}};
    for (const auto& f : pageFiles()) roots[f] = "Page";
    // every XML file of the folder, also ones nobody lists
    const QStringList found = QDir(QString::fromStdString(skinDir())).entryList({"*.xml"}, QDir::Files);
    for (const QString& name : found) roots.emplace(name.toStdString(), "");
    for (const auto& [file, root] : roots) {
        Document doc = parse(file);
        EXPECT_TRUE(doc.error.empty()) << file << ": " << doc.error;
        if (doc.error.empty() && !root.empty()) {
            EXPECT_EQ(doc.root().tag, root) << file;
        }
    }
}

TEST_F(SkinFiles, ResourceListNamesExistingLayouts) {
    Document res = parse("res.xml");
    ASSERT_TRUE(res.error.empty()) << res.error;
    std::map<std::string, std::string> ids;
    for (const Element* e : childrenOf(res, res.root(), "Layout")) {
        ids[e->attr("id")] = e->attr("file");
        EXPECT_TRUE(QFile::exists(QString::fromStdString(skinDir() + "/" + e->attr("file"))))
            << e->attr("id") << " -> " << e->attr("file");
    }
    EXPECT_EQ(ids["XML_MAIN"], "main.xml");
    EXPECT_EQ(ids["XML_MSG"], "msg.xml");
}

TEST_F(SkinFiles, LayoutsUseOnlyElementsTheBuilderKnows) {
    // An unknown element silently yields no control, so a misspelt one loses its whole subtree.
    const std::set<std::string> known = {
        "Window", "Page", "VBox", "HBox", "Box", "Tab", "Button", "Option", "Label", "Text", "Edit",
        "Combo", "List", "Slider", "Progress", "CircleProgress", "Palette", "Picture", "Item", "Column",
        "CCircleProgressUI", "CChartViewUI", "CWndUI", "Menu"};
    for (const auto& [file, doc] : layouts()) {
        ASSERT_TRUE(doc.error.empty()) << file << ": " << doc.error;
        for (const auto& e : doc.elements)
            EXPECT_TRUE(known.count(e.tag) || kPageTags.count(lower(e.tag))) << file << ": <" << e.tag << ">";
    }
}

// ---------------------------------------------------------------------------- controls

TEST_F(SkinFiles, EveryControlOfTheInventoryExistsWithItsKind) {
    const std::vector<std::string> lines = readLines("controls.txt");
    ASSERT_GT(lines.size(), 900u) << "skin/controls.txt missing or truncated";
    std::vector<std::string> problems;
    for (const auto& line : lines) {
        std::istringstream in(line);
        std::string name, kind, file, rest;
        in >> name >> kind >> file >> rest;
        if (file.empty() || !rest.empty()) {
            problems.push_back("malformed line: " + line);
            continue;
        }
        auto it = layouts().find(file);
        if (it == layouts().end()) {
            problems.push_back(name + ": unknown layout file " + file);
            continue;
        }
        bool named = false, ofKind = false;
        for (const auto& e : it->second.elements) {
            if (e.attr("name") != name) continue;
            named = true;
            ofKind = ofKind || e.tag == kind;
        }
        if (!named) problems.push_back(name + " (" + kind + ") is not in " + file);
        else if (!ofKind) problems.push_back(name + " in " + file + " is not a " + kind);
    }
    EXPECT_TRUE(problems.empty()) << join(problems);
}

TEST_F(SkinFiles, ControlNamesAreUniqueWithinEachWindow) {
    // The main window finds every control of every page through one tree, by name: a second
    // control of the same name would never be reached.
    std::map<std::string, std::vector<std::string>> mainNames;
    std::vector<std::string> mainFiles = {"main.xml"};
    for (const auto& f : pageFiles()) mainFiles.push_back(f);
    for (const auto& f : mainFiles)
        for (const auto& e : layout(f).elements)
            if (e.has("name")) mainNames[e.attr("name")].push_back(f);
    std::vector<std::string> dups;
    for (const auto& [name, files] : mainNames)
        if (files.size() > 1) dups.push_back(name + " in " + files[0] + " and " + files[1]);
    EXPECT_TRUE(dups.empty()) << join(dups);

    for (const std::string file : {"msg.xml", "skin.xml", "menu.xml"}) {
        std::map<std::string, int> count;
        for (const auto& e : layout(file).elements)
            if (e.has("name")) ++count[e.attr("name")];
        for (const auto& [name, n] : count) {
            if (file == "skin.xml" && (name == "skin_image_btn" || name == "skin_color_btn"))
                EXPECT_GE(n, 2) << name << ": the picker offers several presets";
            else
                EXPECT_EQ(n, 1) << file << ": " << name;
        }
    }
}

TEST_F(SkinFiles, MainLayoutExpandsEveryPageTagOnceInTheTabsTheRouterSwitches) {
    const Document& main = layout("main.xml");
    std::map<std::string, int> tags;
    for (const auto& e : main.elements)
        if (kPageTags.count(lower(e.tag))) ++tags[lower(e.tag)];
    for (const auto& [tag, file] : kPageTags) EXPECT_EQ(tags[tag], 1) << tag;

    auto pageTagsOf = [&](const std::string& tab) {
        std::vector<std::string> out;
        const Element* t = find(main, tab);
        if (t)
            for (const Element* c : childrenOf(main, *t)) out.push_back(lower(c->tag));
        return out;
    };
    // the option router selects these page indexes (kb_deng_Op_tab 0, kb_macro_Op_tab 1, ...)
    std::vector<std::string> kb = pageTagsOf("kb_tab_switch");
    ASSERT_GE(kb.size(), 3u);
    EXPECT_EQ(kb[0], "kb_deng_ui");
    EXPECT_EQ(kb[1], "kb_macro_ui");
    EXPECT_EQ(kb[2], "kb_key_ui");
    EXPECT_EQ(pageTagsOf("ms_tab_switch"),
              (std::vector<std::string>{"ms_deng_ui", "ms_macro_ui", "ms_key_ui", "ms_dpi_ui", "ms_cursor_ui"}));

    // the pad page is page 2 of "tab_switch"
    const Element* tabs = find(main, "tab_switch");
    ASSERT_NE(tabs, nullptr);
    std::vector<const Element*> pages = childrenOf(main, *tabs);
    ASSERT_GE(pages.size(), 3u);
    bool padInPage2 = false;
    int first = int(pages[2] - &main.elements[0]);
    int last = pages.size() > 3 ? int(pages[3] - &main.elements[0]) : int(main.elements.size());
    for (int i = first; i < last; ++i) padInPage2 = padInPage2 || lower(main.elements[size_t(i)].tag) == "mp_deng_ui";
    EXPECT_TRUE(padInPage2);
}

TEST_F(SkinFiles, TabsHaveEveryPageTheProgramSelects) {
    const std::map<std::string, size_t> pages = {
        {"tab_switch", 5},         {"kb_tab_switch", 4},        {"ms_tab_switch", 5},
        {"a_or_b_control_status", 2}, {"ms_deng_mode_switch", 3}, {"ms_tab_macro_edit", 3},
        {"kb_tab_macro_edit", 3}};
    for (const auto& [name, count] : pages) {
        const Element* tab = findInMain(name);
        ASSERT_NE(tab, nullptr) << name;
        EXPECT_EQ(tab->children.size(), count) << name;
    }
    const Element* skinTab = find(layout("skin.xml"), "skin_tab");
    ASSERT_NE(skinTab, nullptr);
    EXPECT_EQ(skinTab->children.size(), 2u);
}

// The item keys of a combo, in order (literal items give their text).
std::vector<std::string> itemsOf(const std::string& combo) {
    std::vector<std::string> out;
    for (const auto& f : allLayouts()) {
        const Document& doc = layout(f);
        const Element* c = find(doc, combo);
        if (!c) continue;
        for (const Element* item : childrenOf(doc, *c, "Item"))
            out.push_back(item->has("key") ? item->attr("key") : item->attr("text"));
        return out;
    }
    return out;
}

TEST_F(SkinFiles, ListsOfferTheItemsTheProgramIndexes) {
    // The program stores the selected item's index, so each list needs its items in this order.
    const std::vector<std::string> mouseButtons = {"mouse_key_left", "mouse_key_middle", "mouse_key_right",
                                                   "mouse_key_forward", "mouse_key_back"};
    const std::vector<std::string> dpi = {"mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop"};
    const std::vector<std::string> system = {"system_power", "system_sleep", "system_wake_up"};
    const std::vector<std::string> media = {
        "keyboard_key_Launch Media Select", "keyboard_key_Media Play Pause", "keyboard_key_Media Stop",
        "keyboard_key_Media Prev Track",    "keyboard_key_Media Next Track", "keyboard_key_Volume Down",
        "keyboard_key_Volume Up",           "keyboard_key_Volume Mute",      "keyboard_key_Browaer Home",
        "web_refresh", "wed_stop", "wed_back", "wed_forward", "wed_favorite", "keyboard_key_Browser Search",
        "keyboard_key_Computer", "media_calc", "keyboard_key_Launch Mail"};
    for (const std::string p : {"ms", "kb"}) {
        EXPECT_EQ(itemsOf(p + "_key_fct_combo_11"), mouseButtons) << p;
        EXPECT_EQ(itemsOf(p + "_key_fct_combo_14"), dpi) << p;
        EXPECT_EQ(itemsOf(p + "_key_fct_combo_21"), media) << p;
        EXPECT_EQ(itemsOf(p + "_key_fct_combo_22"), system) << p;
        EXPECT_EQ(itemsOf(p + "_key_fct_combo_12").size(), 2u) << p;   // left, right
        EXPECT_EQ(itemsOf(p + "_key_fct_combo_13").size(), 2u) << p;   // up, down
        EXPECT_EQ(itemsOf(p + "_key_fct_combo_24").size(), 5u) << p;   // 4 play modes + repeat
        EXPECT_EQ(itemsOf(p + "_macro_combo_upordown").size(), 2u) << p;   // release, press
        std::vector<std::string> mouseActions = itemsOf(p + "_macro_combo_mouselect");
        ASSERT_EQ(mouseActions.size(), 14u) << p;
        EXPECT_EQ(std::vector<std::string>(mouseActions.begin() + 10, mouseActions.end()),
                  (std::vector<std::string>{"mouse_move_to_left_text", "mouse_move_to_right_text",
                                            "mouse_move_to_up_text", "mouse_move_to_down_text"}))
            << p;
    }
    EXPECT_EQ(itemsOf("ms_key_fct_combo").size(), 11u);
    EXPECT_EQ(itemsOf("kb_key_fct_combo").size(), 10u);
    EXPECT_EQ(itemsOf("ms_key_fct_combo_25"), (std::vector<std::string>{"GUN_1", "GUN_2", "GUN_3", "GUN_4"}));
    EXPECT_EQ(itemsOf("kb_deng_combo_modeSelect").size(), 10u);
    EXPECT_EQ(itemsOf("mp_deng_combo_modeSelect").size(), 10u);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(itemsOf("ms_deng_combo_modeSelect" + std::to_string(n)).size(), 6u) << n;
    EXPECT_EQ(itemsOf("kb_deng_combo_curtom_count").size(), 5u);
    EXPECT_EQ(itemsOf("mp_deng_combo_profile").size(), 5u);
    EXPECT_FALSE(itemsOf("ms_report_fct_combo").empty());
}

TEST_F(SkinFiles, KeyButtonsKeepTheirPlainImageInTheirUserData) {
    // The key page restores a key's plain look from its user data and marks a remapped key with
    // its hot image.
    for (int k = 0; k < 132; ++k) {
        const Element* key = find(layout("keyboard_key.xml"), "kb_key_" + std::to_string(k));
        ASSERT_NE(key, nullptr) << k;
        EXPECT_FALSE(key->attr("bkimage").empty()) << k;
        EXPECT_EQ(key->attr("userdata"), key->attr("bkimage")) << k;
        EXPECT_FALSE(key->attr("hotimage").empty()) << k;
        EXPECT_NE(key->attr("hotimage"), key->attr("bkimage")) << k;
    }
}

// ---------------------------------------------------------------------------- images

// "file='ms/key_left_normal.png'" or a plain relative name -> the relative name.
std::string imageFile(const std::string& description) {
    const std::string marker = "file='";
    size_t at = description.find(marker);
    if (at == std::string::npos) return description;
    size_t end = description.find('\'', at + marker.size());
    return description.substr(at + marker.size(), end - at - marker.size());
}

bool isPng(const std::string& relative) {
    QFile f(QString::fromStdString(skinDir() + "/" + relative));
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(8) == QByteArray("\x89PNG\r\n\x1a\n", 8);
}

TEST_F(SkinFiles, EveryImageALayoutOrTheProgramNamesIsAPngFile) {
    std::set<std::string> images;
    for (const auto& [file, doc] : layouts())
        for (const auto& e : doc.elements) {
            for (const char* a : {"bkimage", "hotimage", "image", "selectedimage"})
                if (!e.attr(a).empty()) images.insert(imageFile(e.attr(a)));
            const std::string data = e.attr("userdata");
            if (data.size() > 4 && data.compare(data.size() - 4, 4, ".png") == 0) images.insert(imageFile(data));
        }
    // named by the program itself: the skin reset and the mouse button pictures
    images.insert("common/background.png");
    for (const char* b : {"left", "wheel", "right", "forward", "back", "dpi"})
        for (const char* state : {"normal", "down"}) images.insert(std::string("ms/key_") + b + "_" + state + ".png");
    std::vector<std::string> missing;
    for (const auto& i : images)
        if (!isPng(i)) missing.push_back(i);
    EXPECT_TRUE(missing.empty()) << join(missing);
}

// ---------------------------------------------------------------------------- language keys

TEST_F(SkinFiles, BothLanguagesHoldTheSameKeysOnceEachWithAText) {
    const Language& cn = language("lan_cn.xml");
    const Language& en = language("lan_en.xml");
    ASSERT_TRUE(cn.doc.error.empty()) << cn.doc.error;
    ASSERT_TRUE(en.doc.error.empty()) << en.doc.error;
    EXPECT_EQ(cn.doc.root().attr("name"), "cn_zh");
    EXPECT_EQ(en.doc.root().attr("name"), "en");
    EXPECT_TRUE(cn.duplicates.empty()) << join(cn.duplicates);
    EXPECT_TRUE(en.duplicates.empty()) << join(en.duplicates);
    std::vector<std::string> onlyOne, empty;
    for (const auto& [key, text] : cn.texts) {
        if (!en.texts.count(key)) onlyOne.push_back(key + " (Chinese only)");
        if (text.empty()) empty.push_back(key + " (Chinese)");
    }
    for (const auto& [key, text] : en.texts) {
        if (!cn.texts.count(key)) onlyOne.push_back(key + " (English only)");
        if (text.empty()) empty.push_back(key + " (English)");
    }
    EXPECT_TRUE(onlyOne.empty()) << join(onlyOne);
    EXPECT_TRUE(empty.empty()) << join(empty);
}

void expectKeysInBothLanguages(const std::set<std::string>& keys, const std::string& what) {
    for (const auto& file : kLanguageFiles) {
        const Language& lang = language(file);
        std::vector<std::string> missing;
        for (const auto& k : keys)
            if (!lang.texts.count(k)) missing.push_back(k);
        EXPECT_TRUE(missing.empty()) << file << " lacks keys " << what << ":" << join(missing);
    }
}

TEST_F(SkinFiles, EveryKeyALayoutOrTheMenuUsesHasATextInBothLanguages) {
    std::set<std::string> keys;
    for (const auto& [file, doc] : layouts())
        for (const auto& e : doc.elements)
            for (const char* a : {"key", "tooltip", "spoken"})
                if (e.has(a)) keys.insert(e.attr(a));
    ASSERT_FALSE(keys.empty());
    expectKeysInBothLanguages(keys, "that the layouts use");
}

TEST_F(SkinFiles, EveryKeyTheProgramNamesHasATextInBothLanguages) {
    const std::vector<std::string> lines = readLines("program_keys.txt");
    ASSERT_GT(lines.size(), 150u) << "skin/program_keys.txt missing or truncated";
    std::set<std::string> keys(lines.begin(), lines.end());
    for (int n = 1; n <= 20; ++n) keys.insert("message_text_" + std::to_string(n));
    expectKeysInBothLanguages(keys, "that the program names");
}

// The printf-style conversions of a text ("%d", "%s", ...); "%%" is none.
std::vector<std::string> conversions(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && std::string("-+ #0123456789.lhz").find(text[j]) != std::string::npos) ++j;
        out.push_back(text.substr(i, j < text.size() ? j - i + 1 : j - i));
        i = j;
    }
    return out;
}

TEST_F(SkinFiles, OnlyTheComposedMessagesHoldAnIntegerPlaceholder) {
    // "message_text_16", "_17" and "message_recoil_too_large" are formatted with one integer; any other text is shown as it
    // is, and a conversion in a formatted text other than that one %d would read garbage.
    for (const auto& file : kLanguageFiles) {
        for (const auto& [key, text] : language(file).texts) {
            std::vector<std::string> conv = conversions(text);
            if (key == "message_text_16" || key == "message_text_17" || key == "message_recoil_too_large")
                EXPECT_EQ(conv, std::vector<std::string>{"%d"}) << file << ": " << key << " = " << text;
            else
                EXPECT_EQ(text.find('%'), std::string::npos) << file << ": " << key << " = " << text;
        }
    }
}

TEST(SkinConversions, FindsEachPrintfConversion) {
    EXPECT_EQ(conversions("remove %d actions"), std::vector<std::string>{"%d"});
    EXPECT_EQ(conversions("%d of %s"), (std::vector<std::string>{"%d", "%s"}));
    EXPECT_EQ(conversions("100%% sure, %5d"), std::vector<std::string>{"%5d"});
    EXPECT_TRUE(conversions("no placeholder").empty());
}

}  // namespace
