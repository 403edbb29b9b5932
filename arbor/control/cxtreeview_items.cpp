// The item members of IArbor: adding each kind, removal, links, texts, values, images, colours,
// expansion and selection. Every one validates its handle through the model first.
#include "arbor/control/cxtreeview.h"

#include "arbor/control/internal/args.h"
#include "arbor/model/additem.h"
#include "arbor/model/checknodes.h"
#include "arbor/model/imagenode.h"
#include "arbor/model/textnodes.h"
#include "arbor/view/xtreeselection.h"
#include "platform/com/out_param.h"
#include "platform/ui/wincommand.h"

namespace arbor {

using namespace platform::com;
using control::boolArg;
using control::deref;
using control::longArg;
using control::narrow;

namespace {

VARIANT_BOOL vbool(bool value) noexcept
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

void putLong(VARIANT *out, LONG value) noexcept
{
    (void)VariantClear(out);
    out->vt = VT_I4;
    out->lVal = value;
}

XTreeNode_Check *checkNode(XTreeItem *x) noexcept
{
    return x && x->GetNode()->IsCheckKind() ? static_cast<XTreeNode_Check *>(x->GetNode())
                                            : nullptr;
}

XTreeNode_ImageString *imageNode(XTreeItem *x) noexcept
{
    return x && x->GetNode()->typeCode() == kTypeImageString
        ? static_cast<XTreeNode_ImageString *>(x->GetNode())
        : nullptr;
}

XTreeNode_IconString *iconNode(XTreeItem *x) noexcept
{
    return x && x->GetNode()->typeCode() == kTypeIconString
        ? static_cast<XTreeNode_IconString *>(x->GetNode())
        : nullptr;
}

// Link getters share their shape: E_POINTER, then the model's answer (0 for an invalid handle).
template <LONG (XTreeModel::*Link)(LONG) const noexcept>
HRESULT link(const XTreeModel &model, LONG hItem, LONG *pVal) noexcept
{
    return giveOut(pVal, (model.*Link)(hItem));
}

} // namespace

HRESULT CXTreeView::added(LONG hItem, VARIANT *pVal) noexcept
{
    if (pVal)
        putLong(pVal, hItem);
    if (hItem)
        view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::AddItem(BSTR sItem, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept
{
    return guardedMember(u"AddItem", [&]() -> HRESULT {
        return added(
            arbor::AddItem(model(), narrow(sItem), longArg(hParent, 0), boolArg(bDown, true)),
            pVal);
        return S_OK;
    });
}

HRESULT CXTreeView::AddItemCheck(
    BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept
{
    return guardedMember(u"AddItemCheck", [&]() -> HRESULT {
        return added(arbor::AddItemCheck(model(), narrow(sItem), longArg(nValue, 1),
                         longArg(hParent, 0), boolArg(bDown, true)),
            pVal);
        return S_OK;
    });
}

HRESULT CXTreeView::AddItemCheck3(
    BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept
{
    return guardedMember(u"AddItemCheck3", [&]() -> HRESULT {
        return added(arbor::AddItemCheck3(model(), narrow(sItem), longArg(nValue, -1),
                         longArg(hParent, 0), boolArg(bDown, true)),
            pVal);
        return S_OK;
    });
}

HRESULT CXTreeView::AddItemRadio(
    BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept
{
    return guardedMember(u"AddItemRadio", [&]() -> HRESULT {
        return added(arbor::AddItemRadio(model(), narrow(sItem), longArg(nValue, 0),
                         longArg(hParent, 0), boolArg(bDown, true)),
            pVal);
        return S_OK;
    });
}

HRESULT CXTreeView::AddItemWindow(LONG hWnd, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept
{
    return guardedMember(u"AddItemWindow", [&]() -> HRESULT {
        // The model refuses the item window itself and its ancestors too: adopting one of them
        // would make a parent cycle.
        const LONG hItem = arbor::AddItemWindow(
            model(), static_cast<HWND>(hWnd), longArg(hParent, 0), boolArg(bDown, true));
        // An adopted Qt widget signals instead of notifying: map its signals to the codes a
        // child window sends, so CommandMessage reports them.
        if (hItem)
            (void)platform::ui::enableCommandNotifications(static_cast<HWND>(hWnd));
        return added(hItem, pVal);
        return S_OK;
    });
}

HRESULT CXTreeView::AddItemImage(
    BSTR sItem, VARIANT imageKey, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept
{
    return guardedMember(u"AddItemImage", [&]() -> HRESULT {
        const Variant key = deref(imageKey);
        return added(arbor::AddItemImage(
                         model(), narrow(sItem), key, longArg(hParent, 0), boolArg(bDown, true)),
            pVal);
        return S_OK;
    });
}

HRESULT CXTreeView::AddItemIcon(BSTR sItem, VARIANT imageKeyCollapsed, VARIANT imageKeyExpanded,
    VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept
{
    return guardedMember(u"AddItemIcon", [&]() -> HRESULT {
        const Variant collapsed = deref(imageKeyCollapsed);
        Variant expanded = deref(imageKeyExpanded);
        if (control::isLeftOut(expanded))
            expanded.clear();
        return added(arbor::AddItemIcon(model(), narrow(sItem), collapsed, expanded,
                         longArg(hParent, 0), boolArg(bDown, true)),
            pVal);
        return S_OK;
    });
}

HRESULT CXTreeView::RemoveItem(LONG hItem, VARIANT *pVal) noexcept
{
    bool removed = false;
    if (!eventsSuspended()) {
        removed = model().RemoveItem(hItem);
        if (removed)
            view().redraw(true);
    }
    if (pVal) {
        (void)VariantClear(pVal);
        pVal->vt = VT_BOOL;
        pVal->boolVal = vbool(removed);
    }
    return S_OK;
}

HRESULT CXTreeView::RemoveItemRec(LONG hItem) noexcept
{
    if (model().RemoveItemRec(hItem))
        view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::RemoveAllItems() noexcept
{
    if (insideEvent() || model().insideEvent())
        return reportError(
            IArbor::iid, kErrorSource, u"You cannot remove all items here.", DISP_E_EXCEPTION);
    if (eventsSuspended())
        return S_OK;
    (void)model().RemoveAllItems();
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::ChangeParentItem(LONG hItem, LONG hNewParent) noexcept
{
    if (!model().ChangeParentItem(hItem, hNewParent))
        return S_FALSE;
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::get_ItemText(LONG hItem, BSTR *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    const XTreeItem *x = model().item(hItem);
    return guardedMember(u"ItemText", [&]() -> HRESULT {
        *pVal = control::wide(x ? x->GetText() : std::string());
        return *pVal ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CXTreeView::put_ItemText(LONG hItem, BSTR newVal) noexcept
{
    if (!model().isValid(hItem))
        return S_OK;
    return guardedMember(u"ItemText", [&]() -> HRESULT {
        model().SetItemText(hItem, narrow(newVal));
        view().redraw(true);
        return S_OK;
    });
}

HRESULT CXTreeView::get_ItemValue(LONG hItem, VARIANT *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    const XTreeNode_Check *check = checkNode(model().item(hItem));
    putLong(pVal, check ? check->GetValue() : -1);
    return S_OK;
}

HRESULT CXTreeView::put_ItemValue(LONG hItem, VARIANT newVal) noexcept
{
    XTreeItem *x = model().item(hItem);
    if (!x)
        return S_OK;
    // Switching a radio item on walks its group, which may allocate.
    return guardedMember(u"ItemValue", [&]() -> HRESULT {
        const Variant value = deref(newVal);
        if (value.vt == VT_BSTR) {
            // A text renames the item whatever its kind.
            return put_ItemText(hItem, value.bstrVal);
        }
        XTreeNode_Check *check = checkNode(x);
        if (!check)
            return S_OK;
        check->SetValue(model(), longArg(value, 0)); // may raise ValueChanged and lose the item
        view().redraw(false);
        return S_OK;
    });
}

HRESULT CXTreeView::get_ItemImage(LONG hItem, LONG type, VARIANT *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    XTreeItem *x = model().item(hItem);
    LONG result = 0;
    if (const XTreeNode_IconString *icon = iconNode(x))
        result = static_cast<LONG>(icon->GetIcon(model(), type & 1));
    else if (const XTreeNode_ImageString *image = imageNode(x))
        result = image->GetTile(type);
    putLong(pVal, result);
    return S_OK;
}

HRESULT CXTreeView::put_ItemImage(LONG hItem, LONG type, VARIANT newVal) noexcept
{
    XTreeItem *x = model().item(hItem);
    const LONG value = longArg(newVal, 0);
    if (XTreeNode_IconString *icon = iconNode(x)) {
        icon->SetImageKey(type & 1, value & 0xFFFF);
        model().invalidateItem(x);
        view().redraw(true);
    } else if (XTreeNode_ImageString *image = imageNode(x)) {
        image->SetTile(model(), type, value); // raises ValueChanged
        view().redraw(true);
    }
    return S_OK;
}

HRESULT CXTreeView::AutoSort(LONG hItem, LONG nAscending, VARIANT bAuto) noexcept
{
    model().AutoSort(hItem, nAscending, boolArg(bAuto, false));
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::EnsureVisible(LONG hItem) noexcept
{
    arbor::EnsureVisible(view(), hItem);
    return S_OK;
}

HRESULT CXTreeView::get_ItemForeColor(LONG hItem, OLE_COLOR *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    const XTreeItem *x = model().item(hItem);
    // The grey a disabled control paints with is no colour of the item's: read it as enabled.
    XTreeAppearance &look = model().appearance();
    const bool enabled = look.enabled;
    look.enabled = true;
    *pVal = x ? x->GetNode()->GetForeColor(model()) : 0;
    look.enabled = enabled;
    return S_OK;
}

HRESULT CXTreeView::putItemColour(
    LONG hItem, OLE_COLOR colour, void (XTreeNode::*set)(const XTreeModel &, COLORREF)) noexcept
{
    XTreeItem *x = model().item(hItem);
    COLORREF rgb = 0;
    if (!x || FAILED(OleTranslateColor(colour, 0, &rgb)))
        return S_OK;
    (x->GetNode()->*set)(model(), rgb);
    view().redraw(false);
    return S_OK;
}

HRESULT CXTreeView::put_ItemForeColor(LONG hItem, OLE_COLOR newVal) noexcept
{
    return putItemColour(hItem, newVal, &XTreeNode::SetForeColor);
}

HRESULT CXTreeView::get_ItemBackColor(LONG hItem, OLE_COLOR *pVal) noexcept
{
    const XTreeItem *x = model().item(hItem);
    // No item: a white background.
    return giveOut(pVal, x ? x->GetNode()->GetBackColor(model()) : kWhite);
}

HRESULT CXTreeView::put_ItemBackColor(LONG hItem, OLE_COLOR newVal) noexcept
{
    return putItemColour(hItem, newVal, &XTreeNode::SetBackColor);
}

HRESULT CXTreeView::get_ExpandItem(LONG hItem, VARIANT_BOOL *pVal) noexcept
{
    const XTreeItem *x = model().item(hItem);
    return giveOut(pVal, vbool(x && x->IsExpanded()));
}

HRESULT CXTreeView::put_ExpandItem(LONG hItem, VARIANT_BOOL newVal) noexcept
{
    if (!model().isValid(hItem))
        return S_OK;
    model().Expand(hItem, newVal != VARIANT_FALSE);
    ClearSelection(view(), false); // items that became hidden lose their selection
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::get_SelectItem(LONG hItem, VARIANT_BOOL *pVal) noexcept
{
    const XTreeItem *x = model().item(hItem);
    return giveOut(pVal, vbool(x && x->IsSelected()));
}

HRESULT CXTreeView::put_SelectItem(LONG hItem, VARIANT_BOOL newVal) noexcept
{
    if (newVal != VARIANT_FALSE)
        (void)arbor::SelectItem(view(), hItem);
    else
        DeselectItem(view(), hItem);
    return S_OK;
}

HRESULT CXTreeView::get_Selection(VARIANT nIndex, VARIANT *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    const LONG n = longArg(nIndex, 0);
    const auto &selection = model().selection();
    const bool inRange = n >= 0 && static_cast<std::size_t>(n) < selection.size();
    putLong(pVal, inRange ? selection[static_cast<std::size_t>(n)]->handle() : 0);
    return S_OK;
}

HRESULT CXTreeView::get_SelectionCount(LONG *pVal) noexcept
{
    return giveOut(pVal, static_cast<LONG>(model().selection().size()));
}

HRESULT CXTreeView::get_RootCount(LONG *pVal) noexcept
{
    return giveOut(pVal, model().RootCount());
}

HRESULT CXTreeView::get_Root(LONG nIndex, LONG *pVal) noexcept
{
    return giveOut(pVal, model().Root(nIndex));
}

HRESULT CXTreeView::get_ItemChild(LONG hItem, LONG *pVal) noexcept
{
    return link<&XTreeModel::ItemChild>(model(), hItem, pVal);
}

HRESULT CXTreeView::get_ItemNext(LONG hItem, LONG *pVal) noexcept
{
    return link<&XTreeModel::ItemNext>(model(), hItem, pVal);
}

HRESULT CXTreeView::get_ItemPrev(LONG hItem, LONG *pVal) noexcept
{
    return link<&XTreeModel::ItemPrev>(model(), hItem, pVal);
}

HRESULT CXTreeView::get_ItemLeft(LONG hItem, LONG *pVal) noexcept
{
    return link<&XTreeModel::ItemLeft>(model(), hItem, pVal);
}

HRESULT CXTreeView::get_ItemRight(LONG hItem, LONG *pVal) noexcept
{
    return link<&XTreeModel::ItemRight>(model(), hItem, pVal);
}

HRESULT CXTreeView::get_ItemParent(LONG hItem, LONG *pVal) noexcept
{
    return link<&XTreeModel::ItemParent>(model(), hItem, pVal);
}

HRESULT CXTreeView::get_ItemType(LONG hItem, LONG *pVal) noexcept
{
    return link<&XTreeModel::ItemType>(model(), hItem, pVal);
}

HRESULT CXTreeView::get_ItemSortPosition(LONG hItem, LONG *pVal) noexcept
{
    const XTreeItem *x = model().item(hItem);
    return giveOut(pVal, x ? x->GetSortPosition() : 0);
}

HRESULT CXTreeView::put_ItemSortPosition(LONG hItem, LONG newVal) noexcept
{
    if (!model().isValid(hItem))
        return S_OK;
    return guardedMember(u"ItemSortPosition", [&]() -> HRESULT {
        model().SetSortPosition(hItem, newVal);
        view().redraw(true);
        return S_OK;
    });
}

HRESULT CXTreeView::get_ItemData(LONG hItem, VARIANT *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    const XTreeItem *x = model().item(hItem);
    if (!x)
        return E_POINTER;
    (void)VariantClear(pVal);
    return VariantCopy(pVal, &x->itemData());
}

HRESULT CXTreeView::put_ItemData(LONG hItem, VARIANT newVal) noexcept
{
    XTreeItem *x = model().item(hItem);
    if (!x)
        return S_OK;
    return guardedMember(u"ItemData", [&]() -> HRESULT {
        x->setItemData(deref(newVal));
        return S_OK;
    });
}

HRESULT CXTreeView::get_FindItem(
    BSTR pszItemText, VARIANT bMatch, VARIANT hItemStart, VARIANT *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    return guardedMember(u"FindItem", [&]() -> HRESULT {
        putLong(pVal,
            model().FindItem(narrow(pszItemText), boolArg(bMatch, true), longArg(hItemStart, 0)));
        return S_OK;
    });
}

HRESULT CXTreeView::put_ItemWidth(LONG hItem, LONG newVal) noexcept
{
    XTreeItem *x = model().item(hItem);
    if (!x)
        return S_OK;
    return guardedMember(u"ItemWidth", [&]() -> HRESULT {
        x->setWidth(newVal);
        model().invalidateItem(x);
        view().redraw(true);
        return S_OK;
    });
}

HRESULT CXTreeView::ModifyDrawLink(LONG hItem, VARIANT dwRemove, VARIANT dwAdd) noexcept
{
    XTreeItem *x = model().item(hItem);
    if (!x)
        return S_OK;
    const DWORD remove = static_cast<DWORD>(longArg(dwRemove, 0));
    const DWORD add = static_cast<DWORD>(longArg(dwAdd, 0));
    x->setLinkFlags((x->linkFlags() & ~remove) | add);
    view().redraw(false);
    return S_OK;
}

HRESULT CXTreeView::get_ItemWordWrap(LONG hItem, VARIANT_BOOL *pVal) noexcept
{
    const XTreeItem *x = model().item(hItem);
    return giveOut(pVal, vbool(x && x->GetWordWrap()));
}

HRESULT CXTreeView::put_ItemWordWrap(LONG hItem, VARIANT_BOOL newVal) noexcept
{
    XTreeItem *x = model().item(hItem);
    if (!x)
        return S_OK;
    x->SetWordWrap(newVal != VARIANT_FALSE);
    model().invalidateItem(x);
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::get_ItemVAlignment(LONG hItem, LONG *pVal) noexcept
{
    const XTreeItem *x = model().item(hItem);
    return giveOut(pVal, x ? x->GetVAlignment() : 0);
}

HRESULT CXTreeView::put_ItemVAlignment(LONG hItem, LONG newVal) noexcept
{
    XTreeItem *x = model().item(hItem);
    if (!x)
        return S_OK;
    x->SetVAlignment(newVal);
    model().invalidateItem(x);
    view().redraw(true);
    return S_OK;
}

} // namespace arbor
