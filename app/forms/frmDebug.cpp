#include "app/forms/frmDebug.h"

#include "app/modules/mStartup.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {
std::unique_ptr<frmDebug> g_instance;
} // namespace

frmDebug::frmDebug(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_text1(new QPlainTextEdit(this))
    , m_text2(new QPlainTextEdit(this))
    , m_txtdebug(new QPlainTextEdit(this))
    , m_refresh(new QTimer(this))
    , m_ebayLog(QStringLiteral("eBay:\r\nEnter body text here, if needed"))
    , m_payPalLog(QStringLiteral("PayPal:\r\nEnter body text here, if needed"))
{
    setWindowTitle(QStringLiteral("Debug Window"));
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_txtdebug->setObjectName(QStringLiteral("txtdebug"));
    for (QPlainTextEdit *box : { m_text1, m_text2 })
        box->setReadOnly(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text1);
    layout->addWidget(m_text2);
    layout->addWidget(m_txtdebug);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(kRefreshInterval);
    connect(m_refresh, &QTimer::timeout, this, &frmDebug::refreshBoxes);
    refreshBoxes();
}

frmDebug::~frmDebug() = default;

frmDebug *frmDebug::instance()
{
    if (!g_instance) {
        // A widget must go before the application object does, not at static destruction.
        static const bool registered = [] {
            qAddPostRoutine(&frmDebug::destroyInstance);
            return true;
        }();
        (void)registered;
        g_instance = std::make_unique<frmDebug>();
    }
    return g_instance.get();
}

void frmDebug::destroyInstance()
{
    g_instance.reset();
}

void frmDebug::showFor(QWidget *mainWindow)
{
    mStartup::debugFlag = true;
    if (mainWindow) {
        const QRect frame = mainWindow->frameGeometry();
        move(frame.left() + frame.width() + 100, frame.top());
    }
    show();
    raise();
}

void frmDebug::append(QString &log, const QString &text)
{
    log += text;
    if (log.size() > kLogCap) {
        // Dropping an eighth at a time keeps the cost per append constant on average.
        log.remove(0, log.size() - (kLogCap - kLogCap / 8));
    }
    if (isVisible() && !m_refresh->isActive())
        m_refresh->start();
}

void frmDebug::refreshBoxes()
{
    m_text1->setPlainText(m_ebayLog);
    m_text2->setPlainText(m_payPalLog);
}

void frmDebug::showEvent(QShowEvent *event)
{
    refreshBoxes();
    QWidget::showEvent(event);
}

void frmDebug::closeEvent(QCloseEvent *event)
{
    mStartup::debugFlag = false;
    QWidget::closeEvent(event);
}
