// What a line of the item tree does when it is selected: the pop-up menu of its section (by the
// line's tag) and the pages each entry opens, some after looking a user ID up on the item's page.
//
// The menu never runs inside the control's ItemSelect event: the handler keeps only the item
// number and posts the menu. A look-up waits for the page in a nested event loop where a refresh
// may empty the tree; by then the control has finished raising the event, and nothing here holds
// an item handle.
#pragma once

#include "arbor/arbor.h"
#include "platform/com/unknown.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QMenu;
class QWidget;

class ItemActions : public QObject {
    Q_OBJECT

public:
    enum Menu { Watch, Bid, Won, Seller, Sold, MenuCount };

    // An item page as the transfer gave it: the text, or the failure as the status bar shows it.
    struct Page {
        bool ok = false;
        QString text;
    };

    // What the actions need from the window; each has a working default but the tests replace them.
    struct Hooks {
        // Downloads a page synchronously (the transfer control's time-out bounds the wait).
        std::function<Page(const QString &url)> fetchPage;
        // Runs a pop-up menu at the pointer and returns when it is closed.
        std::function<void(QMenu *menu)> popUp;
        // An input box: the typed text, or nullopt on Cancel.
        std::function<std::optional<QString>(const QString &title, const QString &prompt)> inputBox;
        std::function<void(bool busy)> setStatusBusy;
        std::function<void(const QString &text)> setStatusText;
    };

    // `menuParent` owns the five menus.
    ItemActions(platform::com::ComPtr<IArbor> tree, Hooks hooks, QWidget *menuParent);
    Q_DISABLE_COPY(ItemActions)

    // The control's ItemSelect: a line without a tag (a branch) is left alone; a tagged line turns
    // white, its item number becomes the current one, and its menu is posted (PayPal lines open
    // the PayPal home page at once).
    void ItemSelect(LONG hItem);

    // The menu's entries by index, separators included.
    QMenu *menu(Menu m) const { return m_menus[m]; }
    // The action of entry `index` of menu `m` on the current item.
    void menuClick(Menu m, int index);

    const QString &currentItem() const { return m_item; }
    Hooks &hooks() { return m_hooks; }

    // Addresses; every value is percent-encoded.
    static QString viewItemAddress(const QString &item);
    static QString payPalHomeAddress();

private:
    void runPostedMenu();
    // The item page's seller or high bidder; empty (with the status bar telling) when the page
    // could not be read or holds no such ID.
    QString lookUp(bool highBidder);
    void payWithPayPal();
    void open(const QString &address);

    platform::com::ComPtr<IArbor> m_tree;
    Hooks m_hooks;
    std::array<QMenu *, MenuCount> m_menus {};
    QString m_item;
    std::optional<Menu> m_posted;
};
