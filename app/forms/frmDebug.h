// The debug window ("Debug Window"): the eBay log (Text1), the PayPal log (Text2) and a test input
// (txtdebug) whose text replaces the downloaded My eBay page while debug mode is on. The logs are
// kept as text here and shown in the boxes when visible; each keeps at most the last kLogCap
// characters so that a long session in debug mode cannot exhaust memory.
#pragma once

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QTimer;

class frmDebug : public QWidget {
    Q_OBJECT
public:
    // Most characters one log keeps; when it would grow past that, the oldest eighth goes.
    static constexpr qsizetype kLogCap = 4 * 1024 * 1024;
    // How often the shown boxes catch up with the logs while text arrives.
    static constexpr int kRefreshInterval = 250;

    explicit frmDebug(QWidget *parent = nullptr);
    ~frmDebug() override;
    Q_DISABLE_COPY(frmDebug)

    // The one window, created on first use; null after destroyInstance().
    static frmDebug *instance();
    static void destroyInstance();

    // Sets the debug flag, places the window to the right of `mainWindow` (its left + width +
    // 100 pixels, same top) when given, and shows it.
    void showFor(QWidget *mainWindow);

    // Appends to the log; O(text) amortized, whatever the log's size.
    void appendEbay(const QString &text) { append(m_ebayLog, text); }
    void appendPayPal(const QString &text) { append(m_payPalLog, text); }
    const QString &ebayLog() const { return m_ebayLog; }
    const QString &payPalLog() const { return m_payPalLog; }

    QPlainTextEdit *Text1() const { return m_text1; }
    QPlainTextEdit *Text2() const { return m_text2; }
    QPlainTextEdit *txtdebug() const { return m_txtdebug; }

protected:
    void closeEvent(QCloseEvent *event) override; // clears the debug flag
    void showEvent(QShowEvent *event) override;

private:
    void append(QString &log, const QString &text);
    void refreshBoxes();

    QPlainTextEdit *m_text1;
    QPlainTextEdit *m_text2;
    QPlainTextEdit *m_txtdebug;
    QTimer *m_refresh;
    QString m_ebayLog;
    QString m_payPalLog;
};
