// The main window's menu entries that open pages, the About box and the Options dialog.
#include "app/forms/frmAbout.h"
#include "app/forms/frmMain.h"
#include "app/forms/frmOptions.h"
#include "app/modules/mShortcuts.h"

#include <QAction>
#include <QMenu>

void frmMain::wirePageMenus()
{
    using PageOf = QString (*)(int);
    const std::pair<const MenuArray *, PageOf> menus[] = {
        { &m_menus.mnuEbay, &frmMainMenuPages::ebay },
        { &m_menus.mnuBrowse, &frmMainMenuPages::browse },
        { &m_menus.mnuPayPal, &frmMainMenuPages::payPal },
        { &m_menus.mnuHelp, &frmMainMenuPages::help },
    };
    for (const auto &[menu, pageOf] : menus) {
        for (int i = menu->lBound(); i <= menu->uBound(); ++i) {
            // The address is made at the click, so a changed sites file is taken at once.
            if (!pageOf(i).isEmpty()) {
                QObject::connect((*menu)(i), &QAction::triggered, this,
                    [pageOf, i] { mShortcuts::OpenInBrowser(pageOf(i)); });
            }
        }
    }
    QObject::connect(mnuHelp(3), &QAction::triggered, this, &frmMain::showAbout);
}

void frmMain::setPayPalMenuVisible()
{
    m_menus.mnuPayPalTop->menuAction()->setVisible(!mSettings::settings.payPalPassword.isEmpty());
}

void frmMain::showAbout()
{
    frmAbout::showAbout(this);
}

void frmMain::showOptionsDialog(bool modal)
{
    if (modal)
        frmOptions::showModal(this);
    else
        frmOptions::showModeless(this);
}
