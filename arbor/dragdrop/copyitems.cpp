#include "arbor/dragdrop/copyitems.h"

#include "arbor/model/checknodes.h"
#include "arbor/model/imagenode.h"
#include "arbor/model/textnodes.h"
#include "platform/com/bstr.h"

#include <deque>

namespace arbor {

using platform::com::BStr;
using platform::com::Variant;

namespace {

// The new item's handle, 0 when the kind cannot be copied or the target refused.
LONG copyOne(const XTreeModel &source, const XTreeItem &x, IArbor &target, LONG hParent, bool bDown)
{
    const XTreeNode *node = x.GetNode();
    const LONG type = node->typeCode();
    if (type == kTypeWindow || type == kTypeControl)
        return 0;
    const std::string text = x.GetText();
    const BStr name = BStr::fromUtf8(text);
    const Variant parent = Variant::i4(hParent);
    const Variant down = Variant::boolean(bDown);
    Variant made;
    HRESULT hr = E_FAIL;
    if (const auto *check = dynamic_cast<const XTreeNode_Check *>(node)) {
        const Variant value = Variant::i4(check->GetValue());
        if (type == kTypeRadio)
            hr = target.AddItemRadio(name.get(), value, parent, down, &made);
        else if (type == kTypeCheck3)
            hr = target.AddItemCheck3(name.get(), value, parent, down, &made);
        else
            hr = target.AddItemCheck(name.get(), value, parent, down, &made);
    } else if (const auto *image = dynamic_cast<const XTreeNode_ImageString *>(node)) {
        hr = target.AddItemImage(name.get(), image->GetImageKey(), parent, down, &made);
    } else if (const auto *icon = dynamic_cast<const XTreeNode_IconString *>(node)) {
        hr = target.AddItemIcon(
            name.get(), icon->GetImageKey(0), icon->GetImageKey(1), parent, down, &made);
    } else {
        hr = target.AddItem(name.get(), parent, down, &made);
    }
    if (FAILED(hr) || made.vt != VT_I4 || made.lVal == 0)
        return 0;
    const LONG h = made.lVal;
    const XTreeAppearance &look = source.appearance();
    const COLORREF fore = node->GetForeColor(source);
    if (look.enabled && fore != look.foreColor)
        (void)target.put_ItemForeColor(h, fore);
    if (node->hasOwnBackColor())
        (void)target.put_ItemBackColor(h, node->GetBackColor(source));
    return h;
}

} // namespace

CopyResult CopyItems(const XTreeModel &source, LONG hSource, IArbor &target,
    const XTreeModel &targetModel, LONG hParent, bool bDown)
{
    CopyResult result;
    if (!source.isValid(hSource) || !targetModel.isValid(hParent))
        return result;
    struct Job {
        LONG source;
        LONG parent;
        bool down;
    };
    // Children are queued first to last and each is added as the last child, so order holds.
    std::deque<Job> jobs { { hSource, hParent, bDown } };
    result.complete = true;
    while (!jobs.empty()) {
        const Job job = jobs.front();
        jobs.pop_front();
        // Handles, not pointers: each step looks the items up again.
        const XTreeItem *x = source.item(job.source);
        if (!x || !targetModel.isValid(job.parent)) {
            result.complete = false;
            continue;
        }
        const LONG made = copyOne(source, *x, target, job.parent, job.down);
        if (made == 0) {
            result.complete = false;
            continue;
        }
        if (result.copy == 0)
            result.copy = made;
        x = source.item(job.source);
        if (!x)
            continue;
        if (const XTreeItem *right = x->GetRight())
            jobs.push_back({ right->handle(), made, false });
        for (const XTreeItem *c = x->GetFirstChild(); c; c = c->GetNext())
            jobs.push_back({ c->handle(), made, true });
    }
    return result;
}

} // namespace arbor
