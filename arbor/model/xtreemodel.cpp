#include "arbor/model/xtreemodel.h"

#include "arbor/hosting/windownodes.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace arbor {

namespace {

// The hook used until radio groups exist: no item is in a group.
class NoGroups final : public XTreeGroupHook {
public:
    bool groupMembers(LONG, std::vector<LONG> &) override { return false; }
    void forgetItem(LONG) override { }
    void forgetAll() override { }
};

NoGroups g_noGroups;

} // namespace

// Counts the event handlers running, so RemoveAllItems can refuse inside one.
class XTreeModel::EventScope {
public:
    explicit EventScope(XTreeModel &m) noexcept
        : m_model(m)
    {
        ++m_model.m_eventDepth;
    }
    ~EventScope() { --m_model.m_eventDepth; }
    Q_DISABLE_COPY_MOVE(EventScope)

private:
    XTreeModel &m_model;
};

XTreeModel::XTreeModel()
    : m_roots(m_registry)
    , m_groups(&g_noGroups)
{
}

// Lives as the item window's first child: Qt deletes children in order, so this runs before the
// adopted windows are deleted with their parent.
class ItemWindowGuard : public QObject {
public:
    ItemWindowGuard(XTreeModel *model, QObject *parent)
        : QObject(parent)
        , m_model(model)
    {
    }
    ~ItemWindowGuard() override
    {
        if (m_model)
            m_model->detachHostedWindows();
    }
    XTreeModel *m_model;
};

void XTreeModel::setItemWindow(QWidget *window)
{
    if (auto *old = static_cast<ItemWindowGuard *>(m_itemWindowGuard.data())) {
        old->m_model = nullptr;
        delete old;
    }
    m_itemWindow = window;
    if (window)
        m_itemWindowGuard = new ItemWindowGuard(this, window);
}

struct XTreeModel::WindowWork {
    explicit WindowWork(XTreeModel &model) noexcept
        : m_model(model)
    {
        ++m_model.m_windowWork;
    }
    ~WindowWork() { --m_model.m_windowWork; }
    WindowWork(const WindowWork &) = delete;
    WindowWork &operator=(const WindowWork &) = delete;
    XTreeModel &m_model;
};

void XTreeModel::detachHostedWindows()
{
    const WindowWork work(*this);
    const std::vector<XTreeNode_Window *> nodes(m_windowNodes.begin(), m_windowNodes.end());
    for (XTreeNode_Window *n : nodes)
        n->detachWidget();
}

XTreeModel::~XTreeModel()
{
    if (auto *guard = static_cast<ItemWindowGuard *>(m_itemWindowGuard.data())) {
        guard->m_model = nullptr;
        delete guard;
    }
    const WindowWork work(*this);
    destroyRoots();
}

void XTreeModel::setGroupHook(XTreeGroupHook *hook) noexcept
{
    m_groups = hook ? hook : &g_noGroups;
}

LONG XTreeModel::linkNewItem(void *block, XTreeNode *node, XTreeItem *parent, bool bDown)
{
    // The node must start the block's second half, or item() and GetNode() would miss each other.
    if (static_cast<void *>(node) != static_cast<char *>(block) + kNodeOffset)
        std::abort();
    auto *x = ::new (block) XTreeItem(0);
    const LONG h = m_registry.add(x);
    if (h == 0) {
        node->~XTreeNode();
        x->~XTreeItem();
        BlockPool::release(block);
        return 0;
    }
    x->m_handle = h;
    if (!parent) {
        m_roots.append(x);
        if (!m_firstRoot)
            m_firstRoot = x;
    } else if (!bDown) {
        XTreeItem *end = parent;
        while (end->m_right)
            end = end->m_right;
        end->m_right = x;
        x->m_left = end;
        x->m_parent = end->m_parent; // every cell of a row names the row's parent
    } else {
        appendChild(parent, x);
    }
    invalidateFrom(x->m_left ? x->m_left : x->m_parent);
    // OnInserted: to its sorted place, then the node's own rule. Neither raises an event. A new
    // cell changes no sort key: only the leftmost items of rows are compared.
    if (!x->m_left)
        resortInParent(x);
    node->OnAttached(*this);
    return h;
}

void XTreeModel::appendChild(XTreeItem *parent, XTreeItem *x) noexcept
{
    x->m_parent = parent;
    x->m_prev = parent->m_lastChild;
    x->m_next = nullptr;
    if (parent->m_lastChild)
        parent->m_lastChild->m_next = x;
    else
        parent->m_firstChild = x;
    parent->m_lastChild = x;
}

void XTreeModel::unlink(XTreeItem *x, bool firstRootFollows)
{
    if (x->m_left) {
        x->m_left->m_right = nullptr;
        invalidateFrom(x->m_left);
        x->m_left = nullptr;
        return;
    }
    if (!x->m_parent) {
        XTreeItem *following = x->m_next;
        m_roots.remove(x);
        if (m_firstRoot == x)
            m_firstRoot = firstRootFollows ? following : m_roots.first();
        invalidateFrom(nullptr);
        return;
    }
    XTreeItem *p = x->m_parent;
    if (x->m_prev)
        x->m_prev->m_next = x->m_next;
    else
        p->m_firstChild = x->m_next;
    if (x->m_next)
        x->m_next->m_prev = x->m_prev;
    else
        p->m_lastChild = x->m_prev;
    x->m_next = x->m_prev = nullptr;
    invalidateFrom(p);
}

bool XTreeModel::RemoveItem(LONG hItem)
{
    XTreeItem *x = item(hItem);
    if (!x || x->m_firstChild || x->m_right)
        return false;
    unlink(x, false);
    destroyTree(x, true);
    return true;
}

bool XTreeModel::RemoveItemRec(LONG hItem)
{
    XTreeItem *x = item(hItem);
    if (!x)
        return false;
    unlink(x, false);
    destroyTree(x, true);
    return true;
}

bool XTreeModel::RemoveAllItems()
{
    if (m_eventDepth > 0)
        return false;
    m_focus = nullptr;
    m_firstRoot = nullptr;
    const WindowWork work(*this);
    destroyRoots();
    m_roots.clear();
    m_selection.clear();
    m_groups->forgetAll();
    invalidateFrom(nullptr);
    return true;
}

void XTreeModel::destroyRoots()
{
    // Root by root as destroyTree does, with one work list for all of them; the selection is not
    // kept up to date, as the callers drop it whole. Each block goes back to its slab, and a slab
    // emptied by it to the heap.
    std::vector<XTreeItem *> pending;
    for (XTreeItem *r = m_roots.first(); r;) {
        XTreeItem *next = r->m_next;
        takeApart(r, pending, [this](XTreeItem *x) { destroyOne(x, false); });
        r = next;
    }
}

template <class Visit>
void XTreeModel::takeApart(XTreeItem *top, std::vector<XTreeItem *> &pending, Visit visit)
{
    pending.push_back(top);
    while (!pending.empty()) {
        XTreeItem *x = pending.back();
        pending.pop_back();
        if (x->m_right)
            pending.push_back(x->m_right);
        for (XTreeItem *c = x->m_firstChild; c; c = c->m_next)
            pending.push_back(c);
        visit(x); // last: it may free x
    }
}

void XTreeModel::destroyTree(XTreeItem *top, bool forgetGroups)
{
    const WindowWork work(*this);
    std::vector<XTreeItem *> pending;
    std::vector<XTreeItem *> deadSelected;
    takeApart(top, pending, [&](XTreeItem *x) {
        if (x->m_selected)
            deadSelected.push_back(x);
        destroyOne(x, forgetGroups);
    });
    if (!deadSelected.empty())
        dropFromSelection(deadSelected);
}

void XTreeModel::destroyOne(XTreeItem *x, bool forgetGroups)
{
    if (m_focus == x)
        m_focus = nullptr;
    if (m_firstRoot == x)
        m_firstRoot = nullptr;
    const LONG h = x->m_handle;
    if (forgetGroups)
        m_groups->forgetItem(h);
    m_registry.remove(h);
    x->GetNode()->~XTreeNode();
    x->~XTreeItem();
    BlockPool::release(x);
}

BlockPool &XTreeModel::poolFor(std::size_t blockBytes)
{
    // A handful of node kinds, so a handful of pools; the last one used is the likely one.
    if (m_lastPool && m_lastPool->blockBytes() == (blockBytes + 7) / 8 * 8)
        return *m_lastPool;
    for (const auto &p : m_pools) {
        if (p->blockBytes() == (blockBytes + 7) / 8 * 8)
            return *(m_lastPool = p.get());
    }
    m_pools.push_back(std::make_unique<BlockPool>(blockBytes));
    return *(m_lastPool = m_pools.back().get());
}

void XTreeModel::dropFromSelection(const std::vector<XTreeItem *> &dead)
{
    // Dead items are compared as addresses only; they are never read.
    if (dead.size() == 1) {
        auto it = std::find(m_selection.begin(), m_selection.end(), dead.front());
        if (it != m_selection.end())
            m_selection.erase(it);
        return;
    }
    const std::unordered_set<XTreeItem *> gone(dead.begin(), dead.end());
    std::erase_if(m_selection, [&](XTreeItem *x) { return gone.count(x) != 0; });
}

bool XTreeModel::ChangeParentItem(LONG hItem, LONG hNewParent)
{
    XTreeItem *x = item(hItem);
    XTreeItem *np = item(hNewParent);
    if (!x || !np)
        return false;
    if (!x->m_left && x->m_parent == np)
        return false;
    // The new parent below or right of the item (or the item itself) would close a cycle.
    if (np->IsInSubtreeOf(x))
        return false;
    const LONG hOldParent = x->m_left ? 0 : handleOf(x->m_parent);
    unlink(x, true);
    appendChild(np, x);
    for (XTreeItem *r = x->m_right; r; r = r->m_right)
        r->m_parent = np;
    invalidateFrom(np);

    Expand(hNewParent, true);
    if ((x = item(hItem)))
        resortInParent(x);
    if (XTreeItem *old = item(hOldParent); old && !old->m_firstChild && old->m_expanded) {
        old->m_expanded = false;
        old->GetNode()->OnExpand(false);
        invalidateItem(old);
    }
    return true;
}

namespace {

bool asciiOnly(std::string_view s) noexcept
{
    return std::all_of(
        s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (asciiOnly(a) && asciiOnly(b)) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            char ca = a[i], cb = b[i];
            if (ca >= 'A' && ca <= 'Z')
                ca = static_cast<char>(ca - 'A' + 'a');
            if (cb >= 'A' && cb <= 'Z')
                cb = static_cast<char>(cb - 'A' + 'a');
            if (ca != cb)
                return false;
        }
        return true;
    }
    const QString qa = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
    const QString qb = QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size()));
    return qa.compare(qb, Qt::CaseInsensitive) == 0;
}

} // namespace

LONG XTreeModel::FindItem(std::string_view text, bool bMatch, LONG hItemStart) const
{
    auto matches = [&](const XTreeItem *x) {
        ++m_counters.visited;
        const char *stored = x->GetNode()->textData();
        std::string computed;
        if (!stored) {
            computed = x->GetText();
            stored = computed.c_str();
        }
        const std::string_view t(stored);
        return bMatch ? equalIgnoringCase(t, text) : t.substr(0, text.size()) == text;
    };
    std::vector<const XTreeItem *> pending;
    auto search = [&](const XTreeItem *top) -> LONG {
        pending.assign(1, top);
        while (!pending.empty()) {
            const XTreeItem *x = pending.back();
            pending.pop_back();
            if (matches(x))
                return x->m_handle;
            // The right chain comes before the children, so it goes on the stack last.
            for (const XTreeItem *c = x->m_lastChild; c; c = c->m_prev)
                pending.push_back(c);
            if (x->m_right)
                pending.push_back(x->m_right);
        }
        return 0;
    };
    if (hItemStart != 0) {
        const XTreeItem *start = item(hItemStart);
        return start ? search(start) : 0;
    }
    for (const XTreeItem *r = m_roots.first(); r; r = r->m_next) {
        if (const LONG h = search(r))
            return h;
    }
    return 0;
}

LONG XTreeModel::ItemType(LONG hItem) const noexcept
{
    const XTreeItem *x = item(hItem);
    return x ? x->GetNode()->typeCode() : 0;
}

LONG XTreeModel::Root(LONG nIndex) const noexcept
{
    if (nIndex < 0)
        return 0;
    return handleOf(m_roots.at(static_cast<std::size_t>(nIndex)));
}

void XTreeModel::SetItemText(LONG hItem, std::string_view text)
{
    XTreeItem *x = item(hItem);
    if (!x)
        return;
    x->GetNode()->SetText(text);
    invalidateItem(x);
    resortInParent(x);
}

void XTreeModel::SetSortPosition(LONG hItem, LONG position)
{
    XTreeItem *x = item(hItem);
    if (!x)
        return;
    if (position != 0 || x->m_hasExtras)
        x->extras().sortPosition = position;
    resortInParent(x);
}

void XTreeModel::Expand(LONG hItem, bool expand)
{
    XTreeItem *x = item(hItem);
    if (!x || (expand && !x->m_firstChild))
        return;
    if (m_events) {
        EventScope scope(*this);
        m_events->ItemExpanding(hItem);
    }
    if (!(x = item(hItem)))
        return;
    // The handler may have taken the last child away: an item without children stays collapsed.
    const bool state = expand && x->m_firstChild != nullptr;
    if (x->m_expanded != state) {
        x->m_expanded = state;
        invalidateItem(x);
    }
    x->GetNode()->OnExpand(state);
    if (!m_windowNodes.empty())
        showChildWindows(x, state);
    if (m_events && item(hItem)) {
        EventScope scope(*this);
        m_events->ItemExpanded(hItem, state);
    }
}

void XTreeModel::ExpandAll(LONG hItem)
{
    std::vector<LONG> pending { hItem };
    std::vector<LONG> children;
    while (!pending.empty()) {
        const LONG h = pending.back();
        pending.pop_back();
        Expand(h, true);
        const XTreeItem *x = item(h);
        if (!x)
            continue;
        for (const XTreeItem *c = x->m_lastChild; c; c = c->m_prev)
            pending.push_back(c->m_handle);
    }
}

void XTreeModel::ExpandAncestors(LONG hItem)
{
    const XTreeItem *x = item(hItem);
    if (!x)
        return;
    std::vector<LONG> collapsed;
    for (const XTreeItem *p = x->m_parent; p; p = p->m_parent) {
        if (!p->m_expanded)
            collapsed.push_back(p->m_handle);
    }
    for (auto it = collapsed.rbegin(); it != collapsed.rend(); ++it)
        Expand(*it, true);
}

void XTreeModel::showChildWindows(XTreeItem *top, bool show)
{
    // Hiding reaches every hosted window below; showing only those that are visible now, the rest
    // appear when their own ancestors are expanded and the next paint places them.
    if (show && !top->IsVisible())
        return;
    const WindowWork work(*this);
    std::vector<XTreeItem *> pending;
    for (XTreeItem *c = top->m_firstChild; c; c = c->m_next)
        pending.push_back(c);
    while (!pending.empty()) {
        XTreeItem *x = pending.back();
        pending.pop_back();
        if (x->m_right)
            pending.push_back(x->m_right);
        x->GetNode()->ShowHosted(show);
        if (!show || x->m_expanded) {
            for (XTreeItem *c = x->m_firstChild; c; c = c->m_next)
                pending.push_back(c);
        }
    }
}

void XTreeModel::MarkSelected(LONG hItem)
{
    XTreeItem *x = item(hItem);
    if (!x)
        return;
    if (!x->m_selected) {
        x->m_selected = true;
        m_selection.push_back(x);
    }
    x->GetNode()->OnSelectChanged(true);
    raiseItemSelect(hItem);
}

void XTreeModel::MarkDeselected(LONG hItem)
{
    XTreeItem *x = item(hItem);
    if (!x || !x->m_selected)
        return;
    x->m_selected = false;
    std::erase(m_selection, x);
    x->GetNode()->OnSelectChanged(false);
}

void XTreeModel::clearSelection()
{
    std::vector<XTreeItem *> old;
    old.swap(m_selection);
    for (XTreeItem *x : old) {
        x->m_selected = false;
        x->GetNode()->OnSelectChanged(false);
    }
}

void XTreeModel::selectAlone(LONG hItem)
{
    if (!item(hItem))
        return;
    clearSelection();
    setFocusItem(hItem);
    MarkSelected(hItem);
}

void XTreeModel::raiseItemSelect(LONG hItem)
{
    if (!m_events)
        return;
    EventScope scope(*this);
    m_events->ItemSelect(hItem);
}

bool XTreeModel::raiseValueChanged(LONG hItem)
{
    if (m_events) {
        EventScope scope(*this);
        m_events->ValueChanged(hItem);
    }
    return isValid(hItem);
}

QSize XTreeModel::measure(LONG hItem) const
{
    const XTreeItem *x = item(hItem);
    if (!x)
        return {};
    const QFont *f = x->itemFont();
    const QFontMetrics fm(f ? *f : m_appearance.font);
    return x->GetNode()->Measure(*this, fm);
}

void XTreeModel::invalidateItem(XTreeItem *x) noexcept
{
    invalidateFrom(x);
}

void XTreeModel::invalidateFrom(XTreeItem *x) noexcept
{
    while (x && x->m_sizeValid) {
        ++m_counters.visited;
        x->m_sizeValid = false;
        x = x->m_left ? x->m_left : x->m_parent;
    }
    if (!m_layoutDirty) {
        m_layoutDirty = true;
        if (m_sink)
            m_sink->layoutInvalidated();
    }
}

} // namespace arbor
