#include "arbor/model/textnodes.h"

#include "arbor/model/internal/textextent.h"
#include "arbor/model/nodepaint.h"
#include "arbor/model/xtreemodel.h"
#include "platform/ui/wincalls.h"

#include <QFontMetrics>
#include <QPainter>

#include <cstring>

namespace arbor {

namespace {

QString qtext(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

void XTreeNode_String::SetText(std::string_view text)
{
    // Stored up to the first NUL, as the narrow strings of the interface end there. The text may
    // be this node's own, so the old storage goes only after the copy.
    text = text.substr(0, text.find('\0'));
    if (text.size() <= kInlineText) {
        char copy[kInlineText + 1] = {};
        std::memcpy(copy, text.data(), text.size());
        dropHeapText();
        std::memcpy(m_store, copy, sizeof m_store);
        return;
    }
    char *buffer = new char[text.size() + 1];
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    dropHeapText();
    std::memcpy(m_store, &buffer, sizeof buffer);
    m_store[kInlineText] = 1;
}

void XTreeNode_String::dropHeapText() noexcept
{
    if (!onHeap())
        return;
    delete[] heapText();
    std::memset(m_store, 0, sizeof m_store);
}

QSize XTreeNode_String::measureText(const XTreeModel &model, const QFontMetrics &fm) const
{
    const XTreeItem *x = item();
    QSize size(0, fm.height());
    std::optional<QSize> summed;
    if (*textData() && !x->GetWordWrap())
        summed = fastSingleLineExtent(
            x->itemFont() ? *x->itemFont() : model.appearance().font, textData());
    const QString t = summed ? QString() : qtext(textData());
    if (summed) {
        size = *summed;
    } else if (!t.isEmpty()) {
        if (x->GetWordWrap()) {
            const int w = std::max<LONG>(x->width(), 0);
            size = fm.boundingRect(QRect(0, 0, w, 0x3fffffff),
                         Qt::TextWordWrap | Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop, t)
                       .size();
        } else {
            size = fm.boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic, t).size();
        }
    }
    return { size.width() + kTextExtraWidth,
        std::max(size.height(), kMinTextHeight) + kTextExtraHeight };
}

QSize XTreeNode_String::Measure(const XTreeModel &model, const QFontMetrics &fm) const
{
    return measureText(model, fm);
}

void XTreeNode_String::Paint(QPainter &p, const QRect &rect, XTreeModel &model)
{
    paintNode(p, rect, model, false);
}

void XTreeNode_String::PaintGhost(QPainter &p, const QRect &rect, XTreeModel &model)
{
    paintNode(p, rect, model, true);
}

void XTreeNode_String::paintNode(QPainter &p, const QRect &rect, XTreeModel &model, bool ghost)
{
    paintText(p, rect, model, ghost);
}

void XTreeNode_String::paintText(
    QPainter &p, const QRect &rect, XTreeModel &model, bool ghost) const
{
    if (!*textData())
        return;
    const XTreeItem *x = item();
    const XTreeAppearance &a = model.appearance();
    const bool shown = x->IsSelected() && (a.hasFocus || (a.style & ARBORSTYLE_SHOWSELALWAYS));
    const QRect fill = rect.adjusted(1, 1, -1, -1);
    if (!ghost) {
        if (shown)
            p.fillRect(fill, toQColor(a.hasFocus && a.enabled ? kSelectionBlue : kLightGrey));
        else if (hasOwnBackColor())
            p.fillRect(fill, toQColor(GetBackColor(model)));
    }
    COLORREF color;
    if (shown)
        color = ghost ? kGrey : kWhite;
    else
        color = x->IsSelected() ? kBlack : GetForeColor(model);

    p.save();
    p.setFont(x->itemFont() ? *x->itemFont() : a.font);
    p.setPen(toQColor(color));
    const QString t = qtext(textData());
    if (x->GetWordWrap()) {
        p.drawText(rect.adjusted(2, 2, -2, -2),
            Qt::TextWordWrap | Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop, t);
    } else {
        p.drawText(rect, Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::AlignCenter, t);
    }
    p.restore();
    if (!ghost && model.isFocusItem(x))
        drawFocusRect(p, rect);
}

XTreeNode_IconString::XTreeNode_IconString(
    std::string_view text, const VARIANT &collapsedKey, const VARIANT &expandedKey)
    : XTreeNode_String(text)
{
    (void)VariantCopyInd(&m_keys[0], &collapsedKey);
    (void)VariantCopyInd(&m_keys[1], expandedKey.vt == VT_EMPTY ? &collapsedKey : &expandedKey);
}

void XTreeNode_IconString::SetImageKey(LONG type, LONG value)
{
    m_keys[type & 1] = platform::com::Variant::i4(LOWORD(static_cast<ULONG>(value)));
}

const VARIANT &XTreeNode_IconString::GetImageKey(LONG type) const noexcept
{
    return m_keys[type & 1];
}

HICON XTreeNode_IconString::GetIcon(const XTreeModel &model, LONG type) const
{
    ImageEntry entry;
    const XTreeImageLookup *images = model.imageLookup();
    if (!images || !images->findImage(m_keys[type & 1], &entry))
        return 0;
    return entry.handle;
}

QImage XTreeNode_IconString::GetCurrentIcon(const XTreeModel &model) const
{
    const HICON h = GetIcon(model, item()->IsExpanded() ? Expanded : Collapsed);
    if (!h)
        return {};
    const std::optional<QIcon> icon = platform::ui::iconFromHandle(h);
    if (!icon)
        return {};
    return icon->pixmap(QSize(kIconSize, kIconSize)).toImage();
}

bool XTreeNode_IconString::reservesIcon(const XTreeModel &model) const
{
    return GetIcon(model, item()->IsExpanded() ? Expanded : Collapsed) != 0;
}

QSize XTreeNode_IconString::Measure(const XTreeModel &model, const QFontMetrics &fm) const
{
    QSize s = measureText(model, fm);
    s.rwidth() += kIconSpacing + (reservesIcon(model) ? kIconSize : 0);
    s.setHeight(std::max(s.height(), kIconSize));
    return s;
}

void XTreeNode_IconString::paintNode(QPainter &p, const QRect &rect, XTreeModel &model, bool ghost)
{
    const QImage icon = GetCurrentIcon(model);
    if (!icon.isNull())
        p.drawImage(QRect(rect.left(), rect.top(), kIconSize, kIconSize), icon);
    const bool room = !icon.isNull() || reservesIcon(model);
    QRect r = rect;
    r.setLeft(r.left() + kIconSpacing + (room ? kIconSize : 0));
    paintText(p, r, model, ghost);
}

} // namespace arbor

// A text item with a row text is one pooled block of 96 bytes, text included: a million-item tree
// costs about 95 bytes an item beyond the texts with its handle and root tables.
static_assert(sizeof(arbor::XTreeItem) == 72);
static_assert(arbor::XTreeModel::kNodeOffset + sizeof(arbor::XTreeNode_String) == 96);
