#include "app/ui/LayoutBuilder.h"

#include "app/ui/Attributes.h"
#include "app/ui/Buttons.h"
#include "app/ui/ControlFactory.h"
#include "app/ui/CustomControls.h"
#include "app/ui/Language.h"
#include "app/ui/Palette.h"
#include "app/ui/UiLog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStackedWidget>
#include <QXmlStreamReader>

namespace ui {

namespace {

struct PageTag {
    const char* tag;  // lower case
    const char* file;
};

constexpr PageTag kPageTags[] = {
    {"kb_key_ui", "keyboard_key.xml"},   {"kb_deng_ui", "keyboard_deng.xml"},
    {"kb_macro_ui", "keyboard_macro.xml"}, {"ms_deng_ui", "Mouse_deng.xml"},
    {"ms_macro_ui", "Mouse_macro.xml"},   {"ms_key_ui", "Mouse_key.xml"},
    {"mp_deng_ui", "MousePad_deng.xml"},  {"ms_dpi_ui", "Mouse_DPI.xml"},
    {"ms_cursor_ui", "Mouse_cursor.xml"},
};

// Element nesting beyond this is not a layout anyone drew; it is skipped rather than recursed.
constexpr int kMaxNesting = 64;

using Attrs = QHash<QString, QString>;  // attribute names in lower case

const QStringList& knownAttributes() {
    static const QStringList known = {
        "name", "text", "key", "tooltip", "visible", "enabled", "width", "height", "pos", "padding",
        "bkcolor", "textcolor", "forecolor", "bkimage", "hotimage", "image", "selectedimage",
        "userdata", "font", "align", "group", "selected", "min", "max", "value", "numeric",
        "maxchars", "itemheight", "color", "childpadding", "inset", "vertical", "size", "title", "spoken"};
    return known;
}

Attrs readAttrs(const QXmlStreamAttributes& attributes) {
    Attrs out;
    for (const QXmlStreamAttribute& a : attributes) out.insert(a.name().toString().toLower(), a.value().toString());
    return out;
}

QString layoutPath(const QString& file) {
    if (QFileInfo(file).isAbsolute()) return file;
    return QDir(QString::fromStdString(skinDir())).filePath(file);
}

class Builder {
public:
    explicit Builder(Ui::Impl& impl) : impl_(impl) {}

    QWidget* build(const QString& file, QWidget* host);

private:
    void readChildren(QXmlStreamReader& xml, Control& parent, int pageDepth, int nesting);
    void readElement(QXmlStreamReader& xml, Control& parent, int pageDepth, int nesting);
    void expandPage(QXmlStreamReader& xml, const QString& pageFile, Control& parent, int pageDepth, int nesting);
    void readItems(QXmlStreamReader& xml, Control& c);
    Control& makeControl(Kind kind, const Attrs& attrs, Control& parent);
    void configure(Control& c, const Attrs& attrs);
    void attach(Control& c, Control& parent, const Attrs& attrs);
    void finish(Control& c, const Attrs& attrs);
    void log(const QXmlStreamReader& xml, const QString& message) const;
    void logError(const QXmlStreamReader& xml) const;

    Ui::Impl& impl_;
    QString file_;  // the file being read, for log lines
};

void Builder::log(const QXmlStreamReader& xml, const QString& message) const {
    qCDebug(lcUi).noquote() << QStringLiteral("%1:%2: %3").arg(file_).arg(xml.lineNumber()).arg(message);
}

void Builder::logError(const QXmlStreamReader& xml) const {
    if (xml.hasError()) log(xml, QStringLiteral("malformed layout, stopped reading: ") + xml.errorString());
}

QWidget* Builder::build(const QString& file, QWidget* host) {
    Ui::Impl::Silence quiet(impl_);
    QFile in(layoutPath(file));
    const bool readable = in.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&in);
    file_ = in.fileName();
    Attrs attrs;
    const bool hasRoot = readable && xml.readNextStartElement();
    if (hasRoot) attrs = readAttrs(xml.attributes());

    Control& root = createControl(impl_, Kind::VBox, attrs.value("name").toStdString(), host);
    if (host) {
        if (!host->layout()) {
            auto* fill = new QVBoxLayout(host);
            fill->setContentsMargins(0, 0, 0, 0);
        }
        host->layout()->addWidget(root.widget);
        if (const auto size = attr::parseSize(attrs.value("size")); size && attrs.contains("size")) host->resize(*size);
        if (attrs.contains("title")) host->setWindowTitle(attrs.value("title"));
    }
    configure(root, attrs);

    if (!readable) {
        qCDebug(lcUi).noquote() << "layout file missing or unreadable:" << file_;
    } else if (!hasRoot) {
        logError(xml);
    } else {
        const QString element = xml.name().toString().toLower();
        if (element != u"window" && element != u"page") log(xml, "root element <" + xml.name().toString() + "> is neither Window nor Page");
        readChildren(xml, root, 0, 1);
        logError(xml);
    }
    impl_.root = root.widget;
    return root.widget;
}

void Builder::readChildren(QXmlStreamReader& xml, Control& parent, int pageDepth, int nesting) {
    while (xml.readNextStartElement()) readElement(xml, parent, pageDepth, nesting);
}

void Builder::readElement(QXmlStreamReader& xml, Control& parent, int pageDepth, int nesting) {
    const QString element = xml.name().toString();
    if (nesting >= kMaxNesting) {
        log(xml, "<" + element + "> nested too deeply: skipped");
        xml.skipCurrentElement();
        return;
    }
    if (const auto kind = kindForElement(element)) {
        const Attrs attrs = readAttrs(xml.attributes());
        Control& c = makeControl(*kind, attrs, parent);
        if (isContainer(*kind)) {
            readChildren(xml, c, pageDepth, nesting + 1);
        } else if (*kind == Kind::Combo || *kind == Kind::List) {
            readItems(xml, c);
        } else {
            while (xml.readNextStartElement()) {
                log(xml, "<" + xml.name().toString() + "> inside <" + element + ">: no control");
                xml.skipCurrentElement();
            }
        }
        finish(c, attrs);
        return;
    }
    const QString pageFile = pageFileForTag(element);
    if (!pageFile.isEmpty()) return expandPage(xml, pageFile, parent, pageDepth, nesting);
    log(xml, "unknown element <" + element + ">: no control");
    xml.skipCurrentElement();
}

void Builder::expandPage(QXmlStreamReader& xml, const QString& pageFile, Control& parent, int pageDepth, int nesting) {
    const Attrs tagAttrs = readAttrs(xml.attributes());
    const QString tag = xml.name().toString();
    xml.skipCurrentElement();  // a page tag's own content, if any, is not part of the page
    if (pageDepth >= kMaxPageDepth) {
        log(xml, "page <" + tag + "> nested too deeply: skipped");
        return;
    }
    QFile in(layoutPath(pageFile));
    if (!in.open(QIODevice::ReadOnly)) {
        log(xml, "page <" + tag + ">: file " + pageFile + " missing or unreadable");
        return;
    }
    QXmlStreamReader page(&in);
    const QString outerFile = std::exchange(file_, in.fileName());
    if (page.readNextStartElement()) {
        // The page's root becomes a vertical box; the tag's attributes win over the file's.
        Attrs attrs = readAttrs(page.attributes());
        for (auto it = tagAttrs.begin(); it != tagAttrs.end(); ++it) attrs.insert(it.key(), it.value());
        Control& c = makeControl(Kind::VBox, attrs, parent);
        readChildren(page, c, pageDepth + 1, nesting + 1);
        finish(c, attrs);
    }
    logError(page);
    file_ = outerFile;
}

void Builder::readItems(QXmlStreamReader& xml, Control& c) {
    while (xml.readNextStartElement()) {
        const QString element = xml.name().toString().toLower();
        const Attrs attrs = readAttrs(xml.attributes());
        const bool keyMode = attrs.contains("key");
        const std::string text = (keyMode ? attrs.value("key") : attrs.value("text")).toStdString();
        if (element == u"item") {
            impl_.addItemTo(c, text, attrs.value("userdata", attrs.value("data")).toStdString(), keyMode);
        } else if (element == u"column" && c.kind == Kind::List) {
            impl_.addColumnTo(c, text, keyMode, attr::parseInt(attrs.value("width")).value_or(0));
        } else {
            log(xml, "<" + xml.name().toString() + "> inside <" + kindName(c.kind) + ">: no control");
        }
        xml.skipCurrentElement();
    }
}

Control& Builder::makeControl(Kind kind, const Attrs& attrs, Control& parent) {
    Control& c = createControl(impl_, kind, attrs.value("name").toStdString(), parent.widget,
                               kind == Kind::Option ? attrs.value("group").toStdString() : std::string());
    configure(c, attrs);
    attach(c, parent, attrs);
    return c;
}

void Builder::configure(Control& c, const Attrs& attrs) {
    QWidget* w = c.widget;
    auto* skinned = dynamic_cast<Skinned*>(w);
    for (auto it = attrs.begin(); it != attrs.end(); ++it)
        if (!knownAttributes().contains(it.key()))
            impl_.logOnce("layout attribute \"" + it.key().toStdString() + "\" is not known (on " + kindName(c.kind) + ")");
    auto bad = [&](const char* name) {
        impl_.logOnce(std::string("layout: bad ") + name + "=\"" + attrs.value(name).toStdString() + "\" on \"" + c.name + "\"");
    };
    // Each reader applies a parsed attribute, or logs a value it cannot read.
    auto withInt = [&](const char* name, auto apply) {
        if (!attrs.contains(name)) return;
        if (const auto v = attr::parseInt(attrs.value(name))) apply(*v); else bad(name);
    };
    auto withColour = [&](const char* name, auto apply) {
        if (!attrs.contains(name)) return;
        if (const auto v = attr::parseColour(attrs.value(name))) apply(*v); else bad(name);
    };
    auto withBool = [&](const char* name, auto apply) {
        if (!attrs.contains(name)) return;
        if (const auto v = attr::parseBool(attrs.value(name))) apply(*v); else bad(name);
    };

    if (attrs.contains("key")) {
        c.keyMode = true;
        c.text = attrs.value("key").toStdString();
    } else {
        c.text = attrs.value("text").toStdString();
    }
    c.toolTipKey = attrs.value("tooltip").toStdString();
    c.spokenKey = attrs.value("spoken").toStdString();
    c.userData = attrs.value("userdata").toStdString();
    withInt("width", [&](int v) { if (v > 0) w->setFixedWidth(v); });
    withInt("height", [&](int v) { if (v > 0) w->setFixedHeight(v); });
    if (attrs.contains("font")) {
        if (const auto font = attr::parseFont(attrs.value("font"), w->font())) w->setFont(*font); else bad("font");
    }
    withColour("textcolor", [&](Argb v) {
        QPalette palette = w->palette();
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) palette.setColor(role, QColor::fromRgba(v));
        w->setPalette(palette);
    });
    withColour("bkcolor", [&](Argb v) { impl_.applyBkColor(c, v); });
    withColour("forecolor", [&](Argb v) {
        if (skinned) skinned->looks.foreColor = v;
        QPalette palette = w->palette();
        palette.setColor(QPalette::Highlight, QColor::fromRgba(v));
        w->setPalette(palette);
    });
    if (attrs.contains("bkimage")) impl_.applyBkImage(c, attrs.value("bkimage").toStdString());
    if (skinned) {
        skinned->looks.image = attrs.value("image");
        skinned->looks.hotImage = attrs.value("hotimage");
        skinned->looks.selectedImage = attrs.value("selectedimage");
    }
    if (attrs.contains("align")) {
        if (const auto align = attr::parseAlign(attrs.value("align"))) {
            if (skinned) skinned->looks.align = *align;
            if (auto* label = qobject_cast<QLabel*>(w)) label->setAlignment(*align);
            if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setAlignment(*align);
        } else {
            bad("align");
        }
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        withBool("numeric", [&](bool on) {
            if (on) edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        });
        withInt("maxchars", [&](int v) { if (v > 0) edit->setMaxLength(v); });
    }
    withBool("vertical", [&](bool on) {
        if (auto* slider = qobject_cast<QSlider*>(w)) slider->setOrientation(on ? Qt::Vertical : Qt::Horizontal);
    });
    withInt("itemheight", [&](int v) { impl_.applyItemHeight(c, v); });
    if (attrs.contains("min") || attrs.contains("max")) {
        const int minimum = attr::parseInt(attrs.value("min")).value_or(c.minimum);
        const int maximum = attr::parseInt(attrs.value("max")).value_or(c.maximum);
        impl_.applyRange(c, minimum, maximum);
    }
    withInt("value", [&](int v) { impl_.applyValue(c, v); });
    withColour("color", [&](Argb v) {
        if (auto* palette = qobject_cast<ColourPalette*>(w)) palette->setColour(v);
    });
    if (auto* box = w->layout()) {
        withInt("childpadding", [&](int v) { box->setSpacing(std::max(0, v)); });
        if (attrs.contains("inset")) {
            if (const auto m = attr::parseMargins(attrs.value("inset"))) box->setContentsMargins(*m); else bad("inset");
        }
    }
    if (c.kind == Kind::Option) withBool("selected", [&](bool on) { impl_.applySelected(c, on); });
    withBool("enabled", [&](bool on) { impl_.applyEnabled(c, on); });
    impl_.applyText(c);
    impl_.applyToolTip(c);
}

void Builder::attach(Control& c, Control& parent, const Attrs& attrs) {
    QWidget* w = c.widget;
    auto* box = qobject_cast<QBoxLayout*>(parent.widget ? parent.widget->layout() : nullptr);
    const bool boxed = box || parent.kind == Kind::Tab;
    if (boxed && attrs.contains("padding")) {
        // Space around the control: a frame with margins holds it in the container.
        if (const auto m = attr::parseMargins(attrs.value("padding"))) {
            auto* frame = new QWidget(parent.widget);
            auto* inner = new QVBoxLayout(frame);
            inner->setContentsMargins(*m);
            inner->addWidget(w);
            if (w->minimumWidth() == w->maximumWidth()) frame->setFixedWidth(w->maximumWidth() + m->left() + m->right());
            if (w->minimumHeight() == w->maximumHeight()) frame->setFixedHeight(w->maximumHeight() + m->top() + m->bottom());
            c.outer = frame;
        } else {
            impl_.logOnce("layout: bad padding=\"" + attrs.value("padding").toStdString() + "\" on \"" + c.name + "\"");
        }
    }
    QWidget* outer = c.outer;
    if (box) {
        // Like the layouts were drawn: a control without a size along the box's direction
        // shares the room left by the sized ones.
        const bool across = box->direction() == QBoxLayout::LeftToRight || box->direction() == QBoxLayout::RightToLeft;
        const bool sized = across ? outer->minimumWidth() == outer->maximumWidth()
                                  : outer->minimumHeight() == outer->maximumHeight();
        box->addWidget(outer, sized ? 0 : 1);
    } else if (auto* tab = qobject_cast<QStackedWidget*>(parent.widget.data())) {
        tab->addWidget(outer);
        c.tabPage = true;
    } else if (parent.kind == Kind::Box) {
        const auto pos = attr::parseRect(attrs.value("pos"));
        if (!pos) impl_.logOnce("layout: \"" + c.name + "\" in a Box without a valid pos");
        outer->setGeometry(pos.value_or(QRect(QPoint(0, 0), outer->sizeHint())));
    }
    if (attrs.contains("visible")) {
        if (const auto on = attr::parseBool(attrs.value("visible"))) impl_.applyVisible(c, *on);
    }
}

void Builder::finish(Control& c, const Attrs& attrs) {
    if (c.kind == Kind::Tab || c.kind == Kind::Combo || c.kind == Kind::List) {
        const int fallback = c.kind == Kind::Tab ? 0 : -1;
        impl_.applyCurrent(c, attr::parseInt(attrs.value("selected")).value_or(fallback));
    }
    if (c.kind == Kind::Box && !attrs.contains("width") && !attrs.contains("height")) {
        QRect extent;
        for (QObject* child : c.widget->children())
            if (auto* w = qobject_cast<QWidget*>(child)) extent |= w->geometry();
        c.widget->setMinimumSize(extent.right() + 1, extent.bottom() + 1);
    }
}

}  // namespace

QString pageFileForTag(const QString& tag) {
    const QString lower = tag.toLower();
    for (const PageTag& p : kPageTags)
        if (lower == QLatin1String(p.tag)) return QString::fromLatin1(p.file);
    return {};
}

QWidget* buildLayout(Ui::Impl& impl, const QString& file, QWidget* host) {
    return Builder(impl).build(file, host);
}

}  // namespace ui
