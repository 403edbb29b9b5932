#include "app/forms/frmMainItems.h"

#include "platform/ui/inputbox.h"

#include "app/forms/frmMain.h"
#include "app/modules/mParseLookUp.h"
#include "app/modules/mSettings.h"
#include "app/modules/mWeb.h"
#include "app/modules/sites.h"
#include "platform/com/com.h"
#include "platform/com/typeless_dispatch.h"
#include "platform/com/variant.h"
#include "platform/net/inet.h"
#include "platform/ui/inputbox.h"
#include "platform/ui/shell.h"

#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <utility>

using platform::com::ComPtr;

namespace {

using sites::Role;

constexpr OLE_COLOR kWhite = 0x00FFFFFF;
const QString kIsapi = QStringLiteral("/aw-cgi/eBayISAPI.dll?");

QString enc(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

// These pages are the same for every country.
QString site(Role role)
{
    return sites::siteUrl(role, sites::Country::US);
}

struct MenuDef {
    const char *title;
    std::initializer_list<const char *> entries; // "-" is a separator
};
const MenuDef kMenus[] = {
    { "Watch",
        { "Goto Item", "-", "Seller Auctions", "Seller History", "Ask Question", "Buy It Now" } },
    { "Bid", { "Goto Item", "-", "Seller Auctions", "Seller History", "Ask Question" } },
    { "Won",
        { "Goto Item", "-", "Seller Auctions", "Seller History", "Ask Question", "Leave Feedback",
            "Pay for item with PayPal" } },
    { "Seller", { "Goto Item", "-", "Bidder Feedback", "Question Bidder" } },
    { "Sold", { "Goto Item", "-", "Bidder Feedback", "Leave Feedback", "Question Bidder" } },
};

QString itemData(IArbor *tree, LONG hItem)
{
    platform::com::Variant data;
    if (!tree || FAILED(tree->get_ItemData(hItem, &data)) || data.vt == VT_EMPTY)
        return {};
    platform::com::Variant text;
    if (FAILED(VariantChangeType(&text, &data, 0, VT_BSTR)) || !text.bstrVal)
        return {};
    return QString::fromStdU16String(std::u16string(platform::com::view(text.bstrVal)));
}

} // namespace

ItemActions::ItemActions(platform::com::ComPtr<IArbor> tree, Hooks hooks, QWidget *menuParent)
    : QObject(menuParent)
    , m_tree(std::move(tree))
    , m_hooks(std::move(hooks))
{
    if (!m_hooks.popUp)
        m_hooks.popUp = [](QMenu *menu) { menu->exec(QCursor::pos()); };
    if (!m_hooks.inputBox) {
        // The program's one input box, which tests and scripted runs answer without a dialog.
        m_hooks.inputBox = [menuParent](const QString &title, const QString &prompt) {
            const QString text = platform::ui::inputBox({ prompt, title }, menuParent);
            return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
        };
    }
    for (int m = 0; m < MenuCount; ++m) {
        auto *menu = new QMenu(QLatin1String(kMenus[m].title), menuParent);
        menu->setObjectName(QStringLiteral("mnu") + QLatin1String(kMenus[m].title));
        int index = 0;
        for (const char *entry : kMenus[m].entries) {
            QAction *action = qstrcmp(entry, "-") == 0 ? menu->addSeparator()
                                                       : menu->addAction(QLatin1String(entry));
            connect(
                action, &QAction::triggered, this, [this, m, index] { menuClick(Menu(m), index); });
            ++index;
        }
        m_menus[m] = menu;
    }
}

QString ItemActions::viewItemAddress(const QString &item)
{
    return site(Role::Item) + kIsapi + QStringLiteral("ViewItem&item=") + enc(item);
}

QString ItemActions::payPalHomeAddress()
{
    return site(Role::PayPal) + u'/';
}

void ItemActions::ItemSelect(LONG hItem)
{
    const QString data = itemData(m_tree.Get(), hItem);
    if (data.isEmpty())
        return;
    (void)m_tree->put_ItemBackColor(hItem, kWhite);
    m_item = data.mid(1);
    static const std::pair<QChar, Menu> kTags[] = { { u'Z', Watch }, { u'B', Bid }, { u'W', Won },
        { u'S', Seller }, { u'P', Sold } };
    if (data[0] == u'Y') {
        m_item.clear();
        open(payPalHomeAddress());
        return;
    }
    for (const auto &[tag, menu] : kTags) {
        if (data[0] == tag) {
            // A later selection before the menu runs replaces it: one menu per burst.
            const bool alreadyPosted = m_posted.has_value();
            m_posted = menu;
            if (!alreadyPosted)
                QTimer::singleShot(0, this, &ItemActions::runPostedMenu);
            return;
        }
    }
}

void ItemActions::runPostedMenu()
{
    if (!m_posted)
        return;
    const Menu menu = *m_posted;
    m_posted.reset();
    m_hooks.popUp(m_menus[menu]);
}

void ItemActions::open(const QString &address)
{
    platform::ui::shellOpenDocument(address);
}

QString ItemActions::lookUp(bool highBidder)
{
    const QString who = highBidder ? QStringLiteral("high bidder") : QStringLiteral("seller");
    const Page page = m_hooks.fetchPage(viewItemAddress(m_item));
    QString id;
    if (page.ok) {
        const mParse::MarkedPage marked(page.text);
        id = highBidder ? mParse::LookUpHighBidder(marked) : mParse::LookUpSeller(marked);
    }
    if (id.isEmpty()) {
        m_hooks.setStatusText(
            QStringLiteral("Could not find the %1 of item %2%3")
                .arg(
                    who, m_item, page.ok ? QStringLiteral(".") : QStringLiteral(": ") + page.text));
    }
    return id;
}

void ItemActions::menuClick(Menu m, int index)
{
    const QString item = enc(m_item);
    const QString me = enc(mSettings::current.userId);
    const bool buyer = m == Watch || m == Bid || m == Won;
    if (index == 0) {
        open(viewItemAddress(m_item));
        return;
    }
    if (m == Watch && index == 5)
        return; // "Buy It Now" has no page of its own
    if (m == Won && index == 6) {
        payWithPayPal();
        return;
    }
    if (index < 2 || index >= int(kMenus[m].entries.size()))
        return;
    const QString other = lookUp(!buyer);
    if (other.isEmpty())
        return;
    const QString user = enc(other);
    const QString askSeller = site(Role::Contact) + kIsapi +
        QStringLiteral("ReturnUserEmail&requested=") + user + QStringLiteral("&iid=") + item;
    const QString feedback =
        site(Role::Feedback) + kIsapi + QStringLiteral("ViewFeedback&userid=") + user;
    const QString leave = site(Role::Feedback) + kIsapi +
        QStringLiteral("LeaveFeedbackShow&useridfrom=") + me + QStringLiteral("&useridto=") + user +
        QStringLiteral("&item=") + item;
    QString address;
    if (buyer) {
        switch (index) {
        case 2:
            address =
                site(Role::Listings) + kIsapi + QStringLiteral("ViewListedItems&userid=") + user;
            break;
        case 3:
            address = feedback;
            break;
        case 4:
            address = askSeller;
            break;
        case 5:
            address = leave; // Won only: Watch's 5 returned above
            break;
        }
    } else {
        const QString askBidder = askSeller + QStringLiteral("&frm=284");
        if (index == 2)
            address = feedback;
        else if (m == Seller)
            address = askBidder; // 3
        else
            address = index == 3 ? leave : askBidder;
    }
    open(address);
}

void ItemActions::payWithPayPal()
{
    // The input box below runs its own loop: keep the item this choice was made for.
    const QString item = m_item;
    const Page page = m_hooks.fetchPage(viewItemAddress(item));
    if (!page.ok) {
        m_hooks.setStatusText(QStringLiteral("Could not find the seller's PayPal ID of item %1: %2")
                                  .arg(item, page.text));
        return;
    }
    QString id = mParse::LookUpPayPalId(mParse::MarkedPage(page.text));
    if (id == QStringLiteral("NA")) {
        id = m_hooks
                 .inputBox(QStringLiteral("PayPay Payment"),
                     QStringLiteral("Do you know the Sellers PayPal ID? If you do not know it, "
                                    "please click the Cancel button."))
                 .value_or(QString());
    }
    if (!id.isEmpty()) {
        open(site(Role::PayPal) + QStringLiteral("/xclick-auction/business=") + enc(id) +
            QStringLiteral("&auction_type=Ebay&jitem_id=") + enc(item) +
            QStringLiteral("&jmagic=1"));
        return;
    }
    m_hooks.setStatusBusy(true);
    m_hooks.setStatusBusy(false);
    m_hooks.setStatusText(QStringLiteral("Could not find Sellers PayPal ID."));
}

namespace {

// Hears the tree control's ItemSelect through its connection point and hands the handle on.
class ItemSelectSink final
    : public platform::com::TypelessDispatch<platform::com::ComObject<ItemSelectSink, IDispatch>> {
public:
    std::function<void(LONG)> onSelect;

    bool queryExtra(REFIID riid, void **ppv) noexcept
    {
        if (riid != DIID__IArborEvents)
            return false;
        *ppv = static_cast<IDispatch *>(this);
        return true;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *,
        UINT *) noexcept override
    {
        if (id != arbor::eventid::ItemSelect || !params || params->cArgs < 1 || !onSelect)
            return S_OK;
        platform::com::Variant handle;
        if (SUCCEEDED(VariantChangeType(&handle, &params->rgvarg[params->cArgs - 1], 0, VT_I4)))
            onSelect(handle.lVal);
        return S_OK;
    }
};

} // namespace

ItemActions::Page frmMain::fetchItemPage(const QString &url)
{
    // The window's own transfer control, which carries the firewall settings like every other.
    try {
        return { true, Inet1->OpenURL(url) };
    } catch (const platform::net::TransferError &error) {
        return { false, error.text() };
    }
}

void frmMain::wireItemActions()
{
    ItemActions::Hooks hooks;
    hooks.fetchPage = [this](const QString &url) { return fetchItemPage(url); };
    hooks.setStatusBusy = [this](bool busy) { setStatusBusy(busy); };
    hooks.setStatusText = [this](const QString &text) { setStatusText(text); };
    m_itemActions = new ItemActions(treeList().tree(), std::move(hooks), this);

    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    if (!treeList().hasTree() || FAILED(treeList().tree().As(points)) ||
        FAILED(points->FindConnectionPoint(DIID__IArborEvents, &point)))
        return;
    const auto sink = ItemSelectSink::make();
    sink->onSelect = [actions = QPointer<ItemActions>(m_itemActions)](LONG hItem) {
        if (actions)
            actions->ItemSelect(hItem);
    };
    DWORD cookie = 0;
    if (SUCCEEDED(point->Advise(sink.Get(), &cookie))) {
        m_itemSelectPoint = point;
        m_itemSelectCookie = cookie;
    }
}

void frmMain::unwireItemActions()
{
    if (m_itemSelectPoint && m_itemSelectCookie)
        (void)m_itemSelectPoint->Unadvise(m_itemSelectCookie);
    m_itemSelectPoint = {};
    m_itemSelectCookie = 0;
    // It holds the control: the control must go before its host closes, not with the children.
    delete std::exchange(m_itemActions, nullptr);
}
