#include "app/forms/frmAbout.h"

#include "app/forms/click_label.h"
#include "app/forms/frmDebug.h"
#include "app/forms/frmMain.h"
#include "app/modules/mShortcuts.h"
#include "app/modules/mStartup.h"
#include "app/modules/sites.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPointer<frmAbout> g_about;

constexpr const char *kDisclaimer =
    "Warning: this program is protected by copyright law. Copying or passing it on, in whole or in "
    "part, without the author's permission may lead to civil and criminal penalties.\n\n"
    "Bidlark reads eBay's and PayPal's web pages as they are today. When those sites change the "
    "way they work, some features may stop working until an update of Bidlark follows.";

QString productSite()
{
    return sites::siteUrl(sites::Role::Product) + u'/';
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setModal(false);

    m_title = new QLabel(QLatin1String(mStartup::kProgramTitle), this);
    QFont big = m_title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    m_title->setFont(big);
    m_version = new QLabel(mStartup::versionText, this);
    m_legal = new QLabel(QLatin1String(kLegalCopyright), this);
    m_disclaimer = new QLabel(QLatin1String(kDisclaimer), this);
    m_disclaimer->setWordWrap(true);
    m_disclaimer->setFrameShape(QFrame::StyledPanel);
    m_disclaimer->setMargin(6);

    // Both the caption and the value act when clicked.
    auto *links = new QGridLayout;
    auto addLink = [&](const char *caption, const QString &value, void (frmAbout::*action)()) {
        auto *head = new ClickLabel(QLatin1String(caption), this);
        auto *text = new ClickLabel(value, this);
        QFont f = text->font();
        f.setUnderline(true);
        text->setFont(f);
        text->setStyleSheet(QStringLiteral("color: #0645ad"));
        connect(head, &ClickLabel::clicked, this, action);
        connect(text, &ClickLabel::clicked, this, action);
        links->addWidget(head, m_linkRows, 0);
        links->addWidget(text, m_linkRows++, 1);
        return text;
    };
    m_web = addLink("Web:", productSite(), &frmAbout::webClick);
    m_mail = addLink("E-Mail:", sites::siteUrl(sites::Role::SupportMail), &frmAbout::mailClick);
    m_debug = addLink("Debug:", QStringLiteral("Debug (don't click unless we ask you to)"),
        &frmAbout::debugClick);
    links->setColumnStretch(1, 1);

    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_version);
    layout->addWidget(m_legal);
    layout->addSpacing(6);
    layout->addWidget(m_disclaimer);
    layout->addSpacing(6);
    layout->addLayout(links);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
}

frmAbout::~frmAbout() = default;

frmAbout *frmAbout::instance()
{
    return g_about;
}

frmAbout *frmAbout::showAbout(QWidget *parent)
{
    if (!g_about) {
        g_about = new frmAbout(parent); // deletes itself on close
        g_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    g_about->show();
    g_about->raise();
    g_about->activateWindow();
    return g_about;
}

void frmAbout::webClick()
{
    mShortcuts::OpenInBrowser(productSite());
}

void frmAbout::mailClick()
{
    mShortcuts::OpenMail(sites::siteUrl(sites::Role::SupportMail));
}

void frmAbout::debugClick()
{
    frmDebug::instance()->showFor(frmMain::instance());
}
