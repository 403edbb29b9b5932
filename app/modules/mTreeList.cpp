#include "app/modules/mTreeList.h"

#include "platform/com/bstr.h"
#include "platform/com/variant.h"

#include <QLoggingCategory>

using platform::com::BStr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

Q_LOGGING_CATEGORY(lcTree, "bidlark.tree", QtInfoMsg)

std::u16string_view wide(const QString &text)
{
    return { reinterpret_cast<const char16_t *>(text.utf16()),
        static_cast<std::size_t>(text.size()) };
}

constexpr const char16_t *kDocumentIcon = u"documenticon";
constexpr const char16_t *kPayPalIcon = u"paypalicon";

struct StartBranch {
    mTreeList::Branch branch;
    const char *caption;
    const char16_t *image;
};

// The start branches, in the order they appear.
constexpr StartBranch kStartBranches[] = {
    { mTreeList::Selling, "Items I am Selling", u"sellicon" },
    { mTreeList::Sold, "Items I have Sold", u"soldicon" },
    { mTreeList::Bidding, "Bids I have Placed", u"bidicon" },
    { mTreeList::Won, "Auctions I have Won", u"wonicon" },
    { mTreeList::Watching, "Items I am Watching", u"watchicon" },
    { mTreeList::DidntWin, "Auctions I did not Win", u"didntwinicon" },
    { mTreeList::Unsold, "Items I did not Sell", u"unsoldicon" },
};

constexpr mTreeList::Branch kClearingOrder[] = { mTreeList::Selling, mTreeList::Sold,
    mTreeList::Unsold, mTreeList::Bidding, mTreeList::Won, mTreeList::Watching, mTreeList::DidntWin,
    mTreeList::PayPal };

} // namespace

const std::array<const char16_t *, mTreeList::kImageCount> mTreeList::kImageKeys = { u"sellicon",
    u"soldicon", u"bidicon", u"wonicon", u"watchicon", u"favoriteicon", u"categoryicon",
    u"feedbackicon", u"personicon", u"documenticon", u"accounticon", u"paypalicon", u"searchicon",
    u"didntwinicon", u"unsoldicon" };

mTreeList::mTreeList(ComPtr<IArbor> tree)
    : m_tree(std::move(tree))
{
}

void mTreeList::buildInitialTree(const std::array<OLE_HANDLE, kImageCount> &images, bool withPayPal)
{
    if (!m_tree)
        return;
    for (int i = 0; i < kImageCount; ++i) {
        Variant handle;
        (void)m_tree->AddImage(Variant::str(kImageKeys[i]),
            Variant::i4(static_cast<LONG>(images[i])), Variant::missing(), Variant::missing(),
            Variant::missing(), &handle);
    }
    for (const StartBranch &start : kStartBranches)
        m_branch[start.branch] = addBranch(QLatin1String(start.caption), start.image);
    if (withPayPal)
        addPayPalBranch();
}

void mTreeList::addPayPalBranch()
{
    if (m_tree && m_branch[PayPal] == 0)
        m_branch[PayPal] = addBranch(QStringLiteral("PayPal"), kPayPalIcon);
}

LONG mTreeList::addBranch(const QString &caption, const char16_t *imageKey)
{
    Variant handle;
    if (FAILED(m_tree->AddItemIcon(BStr(wide(caption)).get(), Variant::str(imageKey),
            Variant::str(imageKey), Variant::missing(), Variant::missing(), &handle)))
        return 0;
    return handle.vt == VT_I4 ? handle.lVal : 0;
}

int mTreeList::clearChildren(LONG parent, const std::function<LONG(LONG)> &firstChild,
    const std::function<void(LONG)> &removeWithChildren)
{
    int removed = 0;
    for (LONG child = firstChild(parent); child > 0;) {
        removeWithChildren(child);
        const LONG next = firstChild(parent);
        if (next == child) {
            qCDebug(lcTree) << "item" << child << "stays after removal; branch" << parent
                            << "left as it is";
            break;
        }
        ++removed;
        child = next;
    }
    return removed;
}

void mTreeList::clearBranches()
{
    if (!m_tree)
        return;
    const auto firstChild = [this](LONG item) {
        LONG child = 0;
        return SUCCEEDED(m_tree->get_ItemChild(item, &child)) ? child : 0;
    };
    const auto remove = [this](LONG item) { (void)m_tree->RemoveItemRec(item); };
    for (Branch b : kClearingOrder) {
        if (m_branch[b] > 0)
            clearChildren(m_branch[b], firstChild, remove);
    }
}

LONG mTreeList::addLine(
    Branch parent, const QString &text, const char16_t *imageKey, const QString &data)
{
    if (!m_tree)
        return 0;
    Variant handle;
    LONG line = 0;
    if (SUCCEEDED(m_tree->AddItemIcon(BStr(wide(text)).get(), Variant::str(imageKey),
            Variant::str(imageKey), Variant::i4(m_branch[parent]), Variant::missing(), &handle)) &&
        handle.vt == VT_I4)
        line = handle.lVal;
    // Errors are ignored step by step: an untagged line is still better than a missing one.
    (void)m_tree->put_ItemData(line, Variant::str(wide(data)));
    return line;
}

void mTreeList::colourByState(LONG line, const QString &colour)
{
    if (colour == QLatin1String("RED"))
        (void)m_tree->put_ItemForeColor(line, kRed);
    else if (colour == QLatin1String("GREEN"))
        (void)m_tree->put_ItemForeColor(line, kGreen);
}

void mTreeList::AddWatchingLine(const QString &displayLine, const QString &item)
{
    addLine(Watching, displayLine, kDocumentIcon, u'Z' + item);
}

void mTreeList::AddBiddingLine(
    const QString &displayLine, const QString &item, const QString &colour)
{
    const LONG line = addLine(Bidding, displayLine, kDocumentIcon, u'B' + item);
    if (m_tree)
        colourByState(line, colour);
}

void mTreeList::AddSellingLine(
    const QString &displayLine, const QString &item, const QString &colour)
{
    const LONG line = addLine(Selling, displayLine, kDocumentIcon, u'S' + item);
    if (m_tree)
        colourByState(line, colour);
}

void mTreeList::AddSoldLine(const QString &displayLine, const QString &item)
{
    addLine(Sold, displayLine, kDocumentIcon, u'P' + item);
}

void mTreeList::AddUnsoldLine(const QString &displayLine, const QString &item)
{
    addLine(Unsold, displayLine, kDocumentIcon, u'P' + item);
}

void mTreeList::AddWonLine(const QString &displayLine, const QString &item)
{
    addLine(Won, displayLine, kDocumentIcon, u'W' + item);
}

void mTreeList::AddDidntWinLine(const QString &displayLine, const QString &item)
{
    addLine(DidntWin, displayLine, kDocumentIcon, u'B' + item);
}

void mTreeList::AddPayPalLine(const QString &text)
{
    addLine(PayPal, text, kPayPalIcon, QStringLiteral("Y"));
}

void mTreeList::AddPayPalBalanceLine(const QString &text)
{
    const LONG line = addLine(PayPal, text, kPayPalIcon, QStringLiteral("Y"));
    if (m_tree)
        (void)m_tree->put_ItemForeColor(line, kGreen);
}
