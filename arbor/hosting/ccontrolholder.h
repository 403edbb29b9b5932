// The hosted controls of one tree: creates a control by programmatic identifier, sites it in a
// CControlClient, finds controls by key or position and closes them. A holder made on its own
// (through the class factory) belongs to no tree and has no window: it refuses to add.
#pragma once

#include "arbor/hosting/ccontrolclient.h"
#include "arbor/hosting/hostingtree.h"

#include <vector>

namespace arbor {

class CControlHolder final
    : public platform::com::ComObject<CControlHolder,
          platform::com::DualImpl<IControlHolder, typelib::kControlHolderDesc>,
          platform::com::SupportErrorInfoFor<IControlHolder>> {
public:
    CControlHolder() noexcept = default;
    ~CControlHolder() override;

    void setTree(XHostingTree *tree) noexcept { m_tree = tree; }
    XHostingTree *tree() const noexcept { return m_tree; }

    // E_POINTER when a control already has an equal key (by value: see controlkey.h), the
    // error of the name look-up or of the creation, E_ACCESSDENIED for a control that refuses to
    // be safe for untrusted callers while the tree's host asked the tree to be, E_UNEXPECTED
    // without a tree window. S_OK with no control for an object that is not an in-place
    // control or cannot be sited. *pVal is null first.
    HRESULT Add(BSTR progid, VARIANT Key, VARIANT nInitialWidth, VARIANT nInitalHeight,
        IControl **pVal) noexcept override;
    HRESULT get_Count(LONG *pVal) noexcept override;
    // Closes and drops the control found; S_OK either way.
    HRESULT Remove(VARIANT Key) noexcept override;
    // An integer key within 0 .. Count - 1 is a position, else the first equal key; no object
    // (S_OK) when none. E_INVALIDARG without an out pointer.
    HRESULT get_item(VARIANT Key, IControl **pVal) noexcept override;

    // Closes and drops `client` (its item is gone). Nothing for one the holder does not hold.
    void removeClient(CControlClient *client) noexcept;
    // Closes every control (the tree is going).
    void closeAll() noexcept;

private:
    CControlClient *find(const VARIANT &key) const noexcept;
    void closeAt(std::size_t index) noexcept;

    XHostingTree *m_tree = nullptr;
    std::vector<ComPtr<CControlClient>> m_controls; // insertion order
};

HRESULT getControlHolderFactory(REFIID riid, void **ppv) noexcept;
HRESULT getControlFactory(REFIID riid, void **ppv) noexcept;

} // namespace arbor
