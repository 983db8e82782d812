#include "app/ui/OverlaySurface.h"

#include "app/ui/Picture.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace ui {

OverlaySurface* OverlaySurface::of(QWidget* container) {
    auto* surface = container->findChild<OverlaySurface*>(QString(), Qt::FindDirectChildrenOnly);
    return surface ? surface : new OverlaySurface(container);
}

OverlaySurface::OverlaySurface(QWidget* container) : QWidget(container) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // Qt leaves widgets of this name out of the accessibility tree: assistive technology keeps
    // seeing the pictures beneath, as before.
    setObjectName(QStringLiteral("qt_rubberband"));
    // Right above the topmost picture: whatever the container shows over its pictures stays on top.
    QWidget* above = nullptr;
    bool pictureSeen = false;
    for (QObject* child : container->children()) {
        if (child == this) continue;
        if (qobject_cast<PictureUI*>(child)) {
            pictureSeen = true;
            above = nullptr;
        } else if (auto* w = qobject_cast<QWidget*>(child); w && pictureSeen && !above) {
            above = w;
        }
    }
    if (above) stackUnder(above);
    fit();
    show();
    all_.push_back(this);
}

OverlaySurface::~OverlaySurface() { all_.erase(std::find(all_.begin(), all_.end(), this)); }

void OverlaySurface::changed(QWidget* widget) {
    if (!widget) return;
    QWidget* top = widget->window();
    const QRect area(widget->mapTo(top, QPoint()), widget->size());
    for (OverlaySurface* surface : all_) {
        if (surface == widget || surface->window() != top) continue;
        if (surface->parentWidget() == widget->parentWidget()) surface->fit();  // a picture shown or hidden
        const QPoint origin = surface->mapTo(top, QPoint());
        const QRect beneath = area & QRect(origin, surface->size());
        if (!beneath.isEmpty()) surface->beneathChanged(beneath.translated(surface->pos() - origin));
    }
}

void OverlaySurface::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Application-wide palette, style or font changes reach every widget beneath as well.
    const auto type = event->type();
    if (type == QEvent::PaletteChange || type == QEvent::StyleChange || type == QEvent::FontChange)
        beneathChanged(geometry());
}

void OverlaySurface::fit() {
    QRect area;
    for (QObject* child : parentWidget()->children()) {
        if (child == this) break;
        auto* picture = qobject_cast<PictureUI*>(child);
        if (picture && !picture->isHidden()) area |= picture->geometry();
    }
    if (area != geometry()) setGeometry(area);
}

void OverlaySurface::picturesMoved() {
    fit();
    beneathChanged(geometry());
}

void OverlaySurface::beneathChanged(const QRect& rect) {
    const QRect mine = rect.translated(-pos()) & this->rect();
    if (mine.isEmpty()) return;
    stale_ += mine;
    update(mine);
}

void OverlaySurface::overlayChanged(const QRect& rect) {
    const QRect mine = rect.translated(-pos()) & this->rect();
    if (mine.isEmpty()) return;
    pending_ += mine;
    update(mine);
}

// A guard for what nobody reported: a picture looking different, the surface moved in the window,
// the window resized (backgrounds stretch over it) or the scale changed.
bool OverlaySurface::changedBeneath() const {
    const qreal ratio = devicePixelRatioF();
    if (composite_.size() != size() * ratio || composite_.devicePixelRatio() != ratio ||
        origin_ != mapTo(window(), QPoint()) || windowSize_ != window()->size())
        return true;
    return std::any_of(shown_.begin(), shown_.end(), [](const Shown& s) {
        const PictureUI* p = s.picture;
        return !p || p->isHidden() || p->geometry() != s.geometry || p->isHot() != s.hot || p->looks.bkColor != s.bkColor ||
               p->looks.bkImage != s.bkImage || p->looks.hotImage != s.hotImage || p->looks.image != s.image;
    });
}

void OverlaySurface::paintEvent(QPaintEvent* event) {
    // Beyond the overlays asked for, Qt repaints the surface when it is exposed, moved or resized.
    QRegion stale = stale_;
    if (!event->region().subtracted(pending_).isEmpty()) stale += event->region();
    pending_ = QRegion();
    stale_ = QRegion();
    if (changedBeneath()) {
        const qreal ratio = devicePixelRatioF();
        composite_ = QPixmap(size() * ratio);
        composite_.setDevicePixelRatio(ratio);
        stale = rect();
    }
    if (!stale.isEmpty()) capture(stale);

    QPainter painter(this);
    painter.drawPixmap(0, 0, composite_);
    const qreal ratio = devicePixelRatioF();
    const QRect dirty = event->region().boundingRect();
    for (const Shown& s : shown_) {
        const QRect at = s.geometry.translated(-pos());
        if (!s.picture || !dirty.intersects(at)) continue;
        painter.translate(at.topLeft());
        s.picture->paintOverlayAndCaption(painter, ratio);
        painter.translate(-at.topLeft());
    }
}

namespace {

// Paints what region (surface coordinates) shows of widget, whose origin lies at `at` there.
void renderPart(QPainter& painter, QWidget* widget, QPoint at, const QRegion& region, QWidget::RenderFlags flags) {
    const QRegion part = region.translated(-at) & widget->rect();
    // render() places the top left of the part, not the widget's origin, at the target offset.
    if (!part.isEmpty()) widget->render(&painter, at + part.boundingRect().topLeft(), part, flags);
}

}  // namespace

// Renders, into the composite, each ancestor's own painting and the siblings beneath the path to
// the surface, the way Qt stacks them; the pictures beneath contribute their base layer only.
void OverlaySurface::capture(const QRegion& region) {
    ++captures_;
    QWidget* top = window();
    std::vector<QWidget*> chain;
    for (QWidget* w = parentWidget(); w; w = w->isWindow() ? nullptr : w->parentWidget()) chain.push_back(w);
    std::reverse(chain.begin(), chain.end());
    origin_ = mapTo(top, QPoint());
    windowSize_ = top->size();

    shown_.clear();
    for (QObject* child : parentWidget()->children()) {
        if (child == this) break;
        auto* picture = qobject_cast<PictureUI*>(child);
        if (!picture || picture->isHidden() || !picture->geometry().intersects(geometry())) continue;
        picture->setSurface(this);
        const Looks& l = picture->looks;
        shown_.push_back({picture, picture->geometry(), picture->isHot(), l.bkColor, l.bkImage, l.hotImage, l.image});
    }

    QPainter painter(&composite_);
    painter.setClipRegion(region);
    painter.fillRect(rect(), top->palette().color(QPalette::Window));
    const bool wasComposing = PictureUI::composing;
    PictureUI::composing = true;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        QWidget* level = chain[i];
        const QObject* path = i + 1 < chain.size() ? static_cast<QObject*>(chain[i + 1]) : this;
        const QPoint at = level->mapTo(top, QPoint()) - origin_;
        renderPart(painter, level, at, region, level->isWindow() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
        for (QObject* child : level->children()) {
            if (child == path) break;
            auto* w = qobject_cast<QWidget*>(child);
            if (w && !w->isWindow() && !w->isHidden()) renderPart(painter, w, at + w->pos(), region, QWidget::DrawChildren);
        }
    }
    PictureUI::composing = wasComposing;
}

}  // namespace ui
