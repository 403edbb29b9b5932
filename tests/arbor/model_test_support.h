// Shared helpers of the model tests: an event recorder that can run a handler inside an event, a
// fake image collection, and an invariant checker that walks the model from the inside.
#pragma once

#include "arbor/model/additem.h"
#include "arbor/model/xtreemodel.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace arbor {

struct Event {
    std::string name;
    LONG hItem;
    bool flag = false;
    bool operator==(const Event &) const = default;
};

inline std::ostream &operator<<(std::ostream &os, const Event &e)
{
    return os << e.name << "(" << e.hItem
              << (e.name == "ItemExpanded" ? (e.flag ? ",1" : ",0") : "") << ")";
}

class RecordingEvents : public XTreeEvents {
public:
    // Attaches itself to the model when one is given; declare it after the model it records.
    explicit RecordingEvents(XTreeModel *model = nullptr)
    {
        if (model)
            model->setEvents(this);
    }

    std::vector<Event> events;
    // Runs inside the event, after it was recorded.
    std::function<void(const Event &)> onEvent;

    void ItemSelect(LONG h) override { record({ "ItemSelect", h }); }
    void ValueChanged(LONG h) override { record({ "ValueChanged", h }); }
    void ItemExpanding(LONG h) override { record({ "ItemExpanding", h }); }
    void ItemExpanded(LONG h, bool e) override { record({ "ItemExpanded", h, e }); }

private:
    void record(const Event &e)
    {
        events.push_back(e);
        if (onEvent)
            onEvent(e);
    }
};

// Keys are VT_I4 numbers or strings; each maps to an entry.
class FakeImages : public XTreeImageLookup {
public:
    std::map<LONG, ImageEntry> entries;
    bool findImage(const VARIANT &key, ImageEntry *entry) const override
    {
        if (key.vt != VT_I4)
            return false;
        auto it = entries.find(key.lVal);
        if (it == entries.end())
            return false;
        *entry = it->second;
        return true;
    }
};

// Walks every item without recursion and checks the link invariants and the registry.
struct ModelInspector {
    static ::testing::AssertionResult check(const XTreeModel &m)
    {
        std::size_t count = 0;
        std::vector<const XTreeItem *> pending;
        const XTreeItem *prevRoot = nullptr;
        std::size_t rootIndex = 0;
        for (const XTreeItem *r = m.m_roots.first(); r; r = r->m_next, ++rootIndex) {
            if (r->m_parent || r->m_left || r->m_prev != prevRoot)
                return ::testing::AssertionFailure() << "bad root links at " << r->m_handle;
            if (m.m_roots.at(rootIndex) != r)
                return ::testing::AssertionFailure() << "root list index " << rootIndex;
            prevRoot = r;
            pending.push_back(r);
        }
        if (rootIndex != m.m_roots.size() || m.m_roots.last() != prevRoot)
            return ::testing::AssertionFailure() << "root count";
        while (!pending.empty()) {
            const XTreeItem *x = pending.back();
            pending.pop_back();
            ++count;
            if (m.item(x->m_handle) != x)
                return ::testing::AssertionFailure() << "registry misses " << x->m_handle;
            if (x->m_right) {
                const XTreeItem *r = x->m_right;
                if (r->m_left != x || r->m_next || r->m_prev || r->m_parent != x->m_parent)
                    return ::testing::AssertionFailure() << "bad cell links at " << r->m_handle;
                pending.push_back(r);
            }
            const XTreeItem *prev = nullptr;
            for (const XTreeItem *c = x->m_firstChild; c; c = c->m_next) {
                if (c->m_parent != x || c->m_prev != prev || c->m_left)
                    return ::testing::AssertionFailure() << "bad child links at " << c->m_handle;
                prev = c;
                pending.push_back(c);
            }
            if (x->m_lastChild != prev)
                return ::testing::AssertionFailure() << "last child of " << x->m_handle;
            if (x->m_selected !=
                (std::find(m.m_selection.begin(), m.m_selection.end(), x) != m.m_selection.end()))
                return ::testing::AssertionFailure()
                    << "selection list and flag differ at " << x->m_handle;
        }
        if (count != m.itemCount())
            return ::testing::AssertionFailure()
                << "walked " << count << " items, registry has " << m.itemCount();
        if (m.m_selection.size() > count)
            return ::testing::AssertionFailure() << "selection holds dead items";
        if (m.m_firstRoot && m.item(m.m_firstRoot->m_handle) != m.m_firstRoot)
            return ::testing::AssertionFailure() << "first root is dead";
        return ::testing::AssertionSuccess();
    }
};

// Children handles of an item (0: the roots), in order.
inline std::vector<LONG> childrenOf(const XTreeModel &m, LONG h)
{
    std::vector<LONG> out;
    if (h == 0) {
        for (LONG i = 0; i < m.RootCount(); ++i)
            out.push_back(m.Root(i));
        return out;
    }
    for (LONG c = m.ItemChild(h); c > 0; c = m.ItemNext(c))
        out.push_back(c);
    return out;
}

// Handles of the selected items, in the order they were selected.
inline std::vector<LONG> selectedHandles(const XTreeModel &m)
{
    std::vector<LONG> out;
    for (const XTreeItem *x : m.selection())
        out.push_back(x->handle());
    return out;
}

template <class Node> Node *nodeOf(XTreeModel &m, LONG h)
{
    return static_cast<Node *>(m.item(h)->GetNode());
}

} // namespace arbor
