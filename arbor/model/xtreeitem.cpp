#include "arbor/model/xtreeitem.h"

#include "arbor/model/xtreemodel.h"
#include "arbor/model/xtreenode.h"

#include <new>
#include <unordered_map>

namespace arbor {

// Items live and die on the thread of their control, as all of its windows do.
struct XTreeItem::ExtrasTable : std::unordered_map<const XTreeItem *, std::unique_ptr<Extras>> { };

XTreeItem::ExtrasTable &XTreeItem::extrasTable()
{
    // Never destroyed: a model kept in a static may outlive any other static.
    static auto *table = new ExtrasTable;
    return *table;
}

XTreeItem::XTreeItem(LONG handle) noexcept
    : m_handle(handle)
{
}

XTreeItem::~XTreeItem()
{
    if (!m_hasExtras)
        return;
    // Taken out of the table before it is destroyed: releasing a font source may run code that
    // looks up other items.
    auto node = extrasTable().extract(this);
    m_hasExtras = false;
}

XTreeItem::Extras *XTreeItem::extrasIfAny() const noexcept
{
    if (!m_hasExtras)
        return nullptr;
    // The flag is set only together with the table entry.
    return extrasTable().find(this)->second.get();
}

XTreeNode *XTreeItem::GetNode() const noexcept
{
    auto *self = const_cast<char *>(reinterpret_cast<const char *>(this));
    return std::launder(reinterpret_cast<XTreeNode *>(self + XTreeModel::kNodeOffset));
}

XTreeItem *XTreeNode::item() const noexcept
{
    auto *self = const_cast<char *>(reinterpret_cast<const char *>(this));
    return std::launder(reinterpret_cast<XTreeItem *>(self - XTreeModel::kNodeOffset));
}

XTreeItem *XTreeItem::rowStart() const noexcept
{
    const XTreeItem *x = this;
    while (x->m_left)
        x = x->m_left;
    return const_cast<XTreeItem *>(x);
}

XTreeItem *XTreeItem::GetTopAncestor() const noexcept
{
    const XTreeItem *x = this;
    for (;;) {
        if (x->m_left)
            x = x->m_left;
        else if (x->m_parent)
            x = x->m_parent;
        else
            return const_cast<XTreeItem *>(x);
    }
}

bool XTreeItem::IsInSubtreeOf(const XTreeItem *other) const noexcept
{
    // Every item of other's right chain and subtree reaches other by left and parent links, and
    // nothing else does: a cell's parent is the parent of its row, so it is left links first.
    for (const XTreeItem *x = this; x; x = x->m_left ? x->m_left : x->m_parent) {
        if (x == other)
            return true;
    }
    return false;
}

bool XTreeItem::IsVisible() const noexcept
{
    for (const XTreeItem *p = m_parent; p; p = p->m_parent) {
        if (!p->m_expanded)
            return false;
    }
    return true;
}

std::string XTreeItem::GetText() const
{
    return GetNode()->GetText();
}

HWND XTreeItem::GetHostedWindow() const noexcept
{
    return GetNode()->GetWindow();
}

bool XTreeItem::Greater(const XTreeItem &other) const
{
    const LONG mine = GetSortPosition();
    const LONG theirs = other.GetSortPosition();
    if (mine != theirs)
        return mine > theirs;
    const char *a = GetNode()->textData();
    const char *b = other.GetNode()->textData();
    if (a && b)
        return std::string_view(a).compare(b) > 0;
    return GetText().compare(other.GetText()) > 0;
}

const VARIANT &XTreeItem::itemData() const noexcept
{
    static const platform::com::Variant empty;
    const Extras *e = extrasIfAny();
    return e ? e->data : empty;
}

void XTreeItem::setItemData(const VARIANT &value)
{
    (void)VariantCopy(&extras().data, &value);
}

const QFont *XTreeItem::itemFont() const noexcept
{
    const Extras *e = extrasIfAny();
    return e ? e->font.get() : nullptr;
}

void XTreeItem::setItemFont(const QFont *font)
{
    if (!font) {
        if (Extras *e = extrasIfAny())
            e->font.reset();
        return;
    }
    extras().font = std::make_unique<QFont>(*font);
}

IUnknown *XTreeItem::itemFontSource() const noexcept
{
    const Extras *e = extrasIfAny();
    return e ? e->fontSource.Get() : nullptr;
}

void XTreeItem::setItemFontSource(ComPtr<IUnknown> source, std::shared_ptr<void> watch)
{
    if (!source) {
        if (Extras *e = extrasIfAny()) {
            e->fontWatch.reset();
            e->fontSource = nullptr;
        }
        return;
    }
    Extras &e = extras();
    e.fontWatch = std::move(watch);
    e.fontSource = std::move(source);
}

const void *XTreeItem::itemFontWatch() const noexcept
{
    const Extras *e = extrasIfAny();
    return e ? e->fontWatch.get() : nullptr;
}

void XTreeItem::setWidth(LONG w)
{
    if (w != -1 || m_hasExtras)
        extras().width = w;
}

XTreeItem::Extras &XTreeItem::extras()
{
    if (Extras *e = extrasIfAny())
        return *e;
    auto fresh = std::make_unique<Extras>();
    Extras &e = *fresh;
    extrasTable()[this] = std::move(fresh);
    m_hasExtras = true;
    return e;
}

} // namespace arbor
