// The item tree builder: fills the main window's tree-list control with one branch per My eBay
// section and one line per parsed row, each line tagged (its item data) so the item actions know
// which menu belongs to it. It talks to the control only through IArbor's vtable: the calls are
// checked by the compiler, and a refresh makes a few thousand of them, which would each pay a
// name-free but argument-packing Invoke through IDispatch.
//
// Without a control (it could not be created) every operation does nothing.
#pragma once

#include "app/modules/item_sink.h"
#include "arbor/arbor.h"
#include "platform/com/unknown.h"

#include <array>
#include <functional>

class mTreeList final : public ItemTreeSink {
public:
    // The branches, in the order they are created.
    enum Branch { Selling, Sold, Bidding, Won, Watching, DidntWin, Unsold, PayPal, BranchCount };

    static constexpr int kImageCount = 15;
    // The image keys, in the order they are registered with the control.
    static const std::array<const char16_t *, kImageCount> kImageKeys;

    // Line colours as the control takes them (0x00BBGGRR).
    static constexpr OLE_COLOR kRed = 0x000000FF; // RGB(255, 0, 0)
    static constexpr OLE_COLOR kGreen = 0x0000C000; // RGB(0, 192, 0)

    explicit mTreeList(platform::com::ComPtr<IArbor> tree = {});
    Q_DISABLE_COPY(mTreeList)

    bool hasTree() const { return m_tree != nullptr; }
    const platform::com::ComPtr<IArbor> &tree() const { return m_tree; }

    // Registers the fifteen images (graphics handles in kImageKeys order, owned by the caller for
    // the control's life), then adds the start branches Selling, Sold, Bidding, Won, Watching,
    // "Auctions I did not Win" and "Items I did not Sell", and with `withPayPal` the PayPal one.
    // Called once.
    void buildInitialTree(const std::array<OLE_HANDLE, kImageCount> &images, bool withPayPal);

    // Removes the lines under every branch, in the order Selling, Sold, Unsold, Bidding, Won,
    // Watching, Didn't win, PayPal. The branches keep their handles, captions and expansion.
    void clearBranches();

    // Adds the top-level "PayPal" branch, unless it exists already (a second one would take the
    // lines from the first and leave it stale).
    void addPayPalBranch();

    // The branch's item handle; 0 until it exists.
    LONG branch(Branch b) const { return m_branch[b]; }

    // ItemTreeSink: one line per row; control errors leave the line as far as it got.
    void AddWatchingLine(const QString &displayLine, const QString &item) override;
    void AddBiddingLine(
        const QString &displayLine, const QString &item, const QString &colour) override;
    void AddSellingLine(
        const QString &displayLine, const QString &item, const QString &colour) override;
    void AddSoldLine(const QString &displayLine, const QString &item) override;
    void AddUnsoldLine(const QString &displayLine, const QString &item) override;
    void AddWonLine(const QString &displayLine, const QString &item) override;
    void AddDidntWinLine(const QString &displayLine, const QString &item) override;
    void AddPayPalLine(const QString &text) override;
    void AddPayPalBalanceLine(const QString &text) override;

    // Removes the first child of `parent` until it has none. A removal that leaves the same first
    // child in place ends the loop, so a refusing control cannot hang the program. Returns the
    // number of children removed. O(children).
    static int clearChildren(LONG parent, const std::function<LONG(LONG)> &firstChild,
        const std::function<void(LONG)> &removeWithChildren);

private:
    LONG addBranch(const QString &caption, const char16_t *imageKey);
    LONG addLine(Branch parent, const QString &text, const char16_t *imageKey, const QString &data);
    // "RED" and "GREEN" exactly colour the line; anything else keeps the control's default.
    void colourByState(LONG line, const QString &colour);

    platform::com::ComPtr<IArbor> m_tree;
    std::array<LONG, BranchCount> m_branch {};
};
