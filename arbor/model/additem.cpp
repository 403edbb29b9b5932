#include "arbor/model/additem.h"

#include "arbor/hosting/windownodes.h"
#include "arbor/model/checknodes.h"
#include "arbor/model/imagenode.h"
#include "platform/ui/wincalls.h"

namespace arbor {

namespace {

template <class Node> Node *nodeOf(const XTreeModel &model, LONG h)
{
    XTreeItem *x = model.item(h);
    return x ? static_cast<Node *>(x->GetNode()) : nullptr;
}

} // namespace

LONG AddItem(XTreeModel &model, std::string_view text, LONG hParent, bool bDown)
{
    return model.InsertNode<XTreeNode_String>(hParent, bDown, text);
}

LONG AddItemCheck(XTreeModel &model, std::string_view text, LONG nValue, LONG hParent, bool bDown)
{
    const LONG h = model.InsertNode<XTreeNode_Check>(hParent, bDown, text);
    if (auto *n = nodeOf<XTreeNode_Check>(model, h))
        n->setValueSilently(nValue);
    return h;
}

LONG AddItemCheck3(XTreeModel &model, std::string_view text, LONG nValue, LONG hParent, bool bDown)
{
    const LONG h = model.InsertNode<XTreeNode_Check3>(hParent, bDown, text);
    if (auto *n = nodeOf<XTreeNode_Check3>(model, h))
        n->setValueSilently(nValue);
    return h;
}

LONG AddItemRadio(XTreeModel &model, std::string_view text, LONG nValue, LONG hParent, bool bDown)
{
    const LONG h = model.InsertNode<XTreeNode_Radio>(hParent, bDown, text);
    if (auto *n = nodeOf<XTreeNode_Radio>(model, h))
        n->SetValue(model, nValue);
    return h;
}

LONG AddItemIcon(XTreeModel &model, std::string_view text, const VARIANT &collapsedKey,
    const VARIANT &expandedKey, LONG hParent, bool bDown)
{
    return model.InsertNode<XTreeNode_IconString>(hParent, bDown, text, collapsedKey, expandedKey);
}

LONG AddItemImage(
    XTreeModel &model, std::string_view text, const VARIANT &imageKey, LONG hParent, bool bDown)
{
    if (imageKey.vt == VT_EMPTY)
        return AddItem(model, text, hParent, bDown);
    return model.InsertNode<XTreeNode_ImageString>(hParent, bDown, text, imageKey);
}

LONG AddItemWindow(XTreeModel &model, HWND hwnd, LONG hParent, bool bDown)
{
    if (QWidget *itemWindow = model.itemWindow()) {
        const HWND itemHwnd = platform::ui::windowHandle(itemWindow);
        if (IsChild(itemHwnd, hwnd))
            return 0;
        // Adopting the item window or one of its ancestors would make a window its own child.
        if (QWidget *w = platform::ui::widgetFromHandle(hwnd);
            w && (w == itemWindow || w->isAncestorOf(itemWindow)))
            return 0;
    }
    if (hParent != 0 && !model.isValid(hParent))
        return 0;
    const LONG h = model.InsertNode<XTreeNode_Window>(hParent, bDown);
    if (auto *n = nodeOf<XTreeNode_Window>(model, h)) {
        n->AttachWindow(model, hwnd);
        model.invalidateItem(model.item(h));
    }
    return h;
}

LONG AddItemControl(XTreeModel &model, XHostedControl *control, LONG hParent, bool bDown)
{
    if (!control || (hParent != 0 && !model.isValid(hParent)))
        return 0;
    const LONG h = model.InsertNode<XTreeNode_Control>(hParent, bDown);
    if (auto *n = nodeOf<XTreeNode_Control>(model, h))
        n->AttachControl(model, control);
    return h;
}

} // namespace arbor
