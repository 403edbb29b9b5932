#include "arbor/model/imagenode.h"

#include "arbor/model/nodepaint.h"
#include "arbor/model/xtreemodel.h"
#include "platform/ui/wincalls.h"

#include <QGuiApplication>
#include <QPainter>

namespace arbor {

namespace {

int stateOf(LONG type) noexcept
{
    return static_cast<int>(((type % 2) + 2) % 2);
}

} // namespace

XTreeNode_ImageString::XTreeNode_ImageString(std::string_view text, const VARIANT &key)
    : XTreeNode_String(text)
{
    (void)VariantCopyInd(&m_key, &key);
}

int XTreeNode_ImageString::tileWidth(const XTreeModel &model) const
{
    ImageEntry entry;
    const XTreeImageLookup *images = model.imageLookup();
    return images && images->findImage(m_key, &entry) ? entry.cx : 0;
}

QSize XTreeNode_ImageString::Measure(const XTreeModel &model, const QFontMetrics &fm) const
{
    QSize s = measureText(model, fm);
    ImageEntry entry;
    const XTreeImageLookup *images = model.imageLookup();
    const bool found = images && images->findImage(m_key, &entry);
    s.rwidth() += kIconSpacing + (found ? entry.cx : 0);
    s.setHeight(std::max(s.height(), found ? entry.cy : 0));
    return s;
}

int XTreeNode_ImageString::HitTest(
    const XTreeModel &model, const QPoint &point, const QRect &rect) const
{
    if (!rect.contains(point))
        return kHitOutside;
    if (point.x() < rect.left() + kButtonColumn)
        return kHitButton;
    return point.x() < rect.left() + kButtonColumn + tileWidth(model) ? kHitBox : kHitItem;
}

bool XTreeNode_ImageString::OnClick(XTreeModel &model, int area)
{
    if (area != kHitBox)
        return false;
    const LONG h = item()->handle();
    if (!(QGuiApplication::keyboardModifiers() & Qt::ControlModifier))
        model.clearSelection();
    if (!model.raiseValueChanged(h))
        return true;
    model.setFocusItem(h);
    model.MarkSelected(h);
    return true;
}

void XTreeNode_ImageString::SetTile(XTreeModel &model, LONG type, LONG value)
{
    const auto v = static_cast<ULONG>(value);
    m_tiles[stateOf(type)][0] = LOWORD(v);
    m_tiles[stateOf(type)][1] = HIWORD(v);
    const LONG h = item()->handle();
    model.requestRepaint();
    model.raiseValueChanged(h);
}

LONG XTreeNode_ImageString::GetTile(LONG type) const noexcept
{
    return m_tiles[stateOf(type)][0];
}

QPoint XTreeNode_ImageString::tilePosition(LONG type) const noexcept
{
    return { m_tiles[stateOf(type)][0], m_tiles[stateOf(type)][1] };
}

QImage XTreeNode_ImageString::GetImage(const XTreeModel &model, COLORREF background) const
{
    ImageEntry entry;
    const XTreeImageLookup *images = model.imageLookup();
    if (!images || !images->findImage(m_key, &entry) || entry.cx <= 0 || entry.cy <= 0)
        return {};
    const std::optional<QPixmap> pixmap = platform::ui::pixmapFromHandle(entry.handle);
    if (!pixmap)
        return {};
    const QPoint tile = tilePosition(item()->IsExpanded() ? Expanded : Collapsed);
    return maskedTile(
        pixmap->toImage(), tile.x(), tile.y(), entry.cx, entry.cy, entry.transparent, background);
}

void XTreeNode_ImageString::paintNode(QPainter &p, const QRect &rect, XTreeModel &model, bool ghost)
{
    // Cells combine with the control's background, whatever the item's own colour.
    const QImage tile = GetImage(model, model.appearance().backColor);
    if (!tile.isNull())
        p.drawImage(rect.topLeft(), tile);
    QRect r = rect;
    r.setLeft(r.left() + (tile.isNull() ? 0 : tile.width()) + kIconSpacing);
    paintText(p, r, model, ghost);
}

} // namespace arbor
