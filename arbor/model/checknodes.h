// Check, three-state check and radio nodes: an icon-and-text node whose icon is the state of a
// value. Setting the value always raises ValueChanged; radio items switch their set off first.
#pragma once

#include "arbor/model/textnodes.h"

namespace arbor {

class XTreeNode_Check : public XTreeNode_IconString {
public:
    explicit XTreeNode_Check(std::string_view text);

    LONG typeCode() const noexcept override { return kTypeCheck; }
    bool IsCheckKind() const noexcept override { return true; }
    QSize Measure(const XTreeModel &model, const QFontMetrics &fm) const override;
    int HitTest(const XTreeModel &model, const QPoint &point, const QRect &rect) const override;
    // Area 1: value + 1, then the item alone is selected and focused. May destroy the item.
    bool OnClick(XTreeModel &model, int area) override;
    QImage GetCurrentIcon(const XTreeModel &model) const override;

    LONG GetValue() const noexcept { return m_value; }
    // Stores v modulo 2 with the sign of v (3 -> 1, -1 -> -1, -2 -> 0) and raises ValueChanged,
    // also when nothing changes. The node may be gone when this returns.
    virtual void SetValue(XTreeModel &model, LONG v);
    // Stores without an event: the one-on rule switching a radio item off.
    void setValueSilently(LONG v) noexcept { m_value = v % 2; }

protected:
    bool reservesIcon(const XTreeModel &) const override { return true; }
    // Which state icon the value shows.
    virtual int stateIcon() const noexcept;

private:
    LONG m_value = 0;
};

class XTreeNode_Check3 : public XTreeNode_Check {
public:
    using XTreeNode_Check::XTreeNode_Check;
    LONG typeCode() const noexcept override { return kTypeCheck3; }

protected:
    int stateIcon() const noexcept override;
};

class XTreeNode_Radio : public XTreeNode_Check {
public:
    using XTreeNode_Check::XTreeNode_Check;
    LONG typeCode() const noexcept override { return kTypeRadio; }
    bool IsRadio() const noexcept override { return true; }
    // 0 is ignored; anything else switches the rest of its set off silently, then stores and
    // raises ValueChanged for this item only.
    void SetValue(XTreeModel &model, LONG v) override;
    // An item inserted on switches the rest of its set off.
    void OnAttached(XTreeModel &model) override;

protected:
    int stateIcon() const noexcept override;

private:
    void switchOthersOff(XTreeModel &model);
};

} // namespace arbor
