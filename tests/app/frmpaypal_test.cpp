// The PayPal step against the sandbox site (a real process): sign-in, prompt, refusal, transfer
// error, the account lines under the PayPal branch, and the alert timer running after every exit.
#include "app/forms/frmMain.h"
#include "app/forms/frmPayPal.h"
#include "app/modules/mStartup.h"
#include "app/modules/sites.h"
#include "platform/ui/inputbox.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/shell.h"
#include "tests/app/shell_test_support.h"
#include "tests/support/sandbox_site.h"

#include <QCoreApplication>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

using mSettings::settings;

const QString kUser = u"a+b@example.com"_s;
const QString kPassword = u"p&ss w%rd=1"_s;
const QByteArray kEncodedForm = "__track=_login-run:p/gen/login:_login-submit&cmd=_login-submit&"
                                "login_cmd=&login_params&login_email=a%2Bb%40example.com&"
                                "login_password=p%26ss%20w%25rd%3D1";

class QuietMain : public frmMain {
public:
    QuietMain() { tmStartupDelay.stop(); }
    void Connect() override { }
    void showOptionsDialog(bool) override { }
};

QStringList payPalLines(const frmMain &w)
{
    return shelltest::linesUnder(shelltest::treeLines(w), u"PayPal"_s);
}

class PayPalTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_TRUE(m_site.ok()) << m_site.error().toStdString();
        ASSERT_TRUE(m_sites.errors.isEmpty());
        settings.payPalUserID = kUser;
    }
    QList<testsupport::LoggedRequest> payPalRequests() const
    {
        QList<testsupport::LoggedRequest> out;
        for (const auto &r : m_site.requests())
            if (r.target.startsWith(QLatin1String("/paypal/")))
                out << r;
        return out;
    }
    // Runs the step the way the end of a retrieval does and waits until the window is gone.
    static void runStep(frmMain &w)
    {
        w.tmAlert.stop();
        frmPayPal::start(w);
        QTRY_VERIFY_WITH_TIMEOUT(frmPayPal::instance() == nullptr, 15000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    testsupport::SandboxSite m_site { { u"--paypal-user"_s, kUser, u"--paypal-password"_s,
        kPassword } };
    shelltest::SitesFile m_sites { m_site.sitesFile(), m_site.caFile() };
    platform::ui::MessageBoxRecorder m_boxes;
    platform::ui::InputBoxRecorder m_inputs;
};

struct StepCase {
    const char *name;
    const char *scenario;
    const char *stored; // PayPalPassword
    QStringList answers; // typed into the prompt; none = cancelled
    int prompts;
    int posts; // sign-in posts the site saw
    QString status; // panel 2 at the end; "last sync: " means it starts so
    int lines; // balance + activity lines under the PayPal branch
};

TEST_F(PayPalTest, EveryExitLeavesTheAlertTimerRunningAndTheBusyPictureCleared)
{
    const QString sync = u"last sync: "_s;
    const QString refused = u"PayPal username (email) or password was invalid"_s;
    const QString failed = u"An error occurred in communicating with the eBay computers..."_s;
    const QString waiting = u"Logging onto PayPal..."_s;
    const StepCase cases[] = {
        { "stored password", "normal", "p&ss w%rd=1", {}, 0, 1, sync, 1 + 5 },
        { "prompt answered", "normal", "", { kPassword }, 1, 1, sync, 1 + 5 },
        { "prompt cancelled", "normal", "", {}, 1, 0, waiting, 0 },
        { "refused sign-in", "normal", "wrong", {}, 0, 1, refused, 0 },
        { "transfer error", "paypal:drop", "p&ss w%rd=1", {}, 0, 1, failed, 0 },
        { "server error page", "paypal:error500", "p&ss w%rd=1", {}, 0, 1, refused, 0 },
        { "marker late in a long answer", "paypal-late-login", "p&ss w%rd=1", {}, 0, 1, sync,
            1 + 5 },
    };
    QuietMain w;
    for (const StepCase &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_site.setScenario(QLatin1String(c.scenario)));
        settings.payPalPassword = QString::fromUtf8(c.stored);
        for (const QString &a : c.answers)
            m_inputs.queueAnswer(a);
        const int promptsBefore = m_inputs.boxes().size();
        const int postsBefore = payPalRequests().size();
        w.treeList().clearBranches();
        w.setStatusText(QString());

        runStep(w);

        EXPECT_TRUE(w.tmAlert.isActive());
        EXPECT_FALSE(w.statusBusy());
        EXPECT_TRUE(w.statusText().startsWith(c.status)) << w.statusText().toStdString();
        EXPECT_EQ(m_inputs.boxes().size() - promptsBefore, c.prompts);
        const auto requests = payPalRequests().mid(postsBefore);
        int posts = 0;
        for (const auto &r : requests) {
            if (r.method != QLatin1String("POST"))
                continue;
            ++posts;
            EXPECT_EQ(r.scheme, u"https"_s);
            EXPECT_EQ(r.header(u"Content-Type"_s), u"application/x-www-form-urlencoded"_s);
            if (c.stored == kPassword || !c.answers.isEmpty()) {
                EXPECT_EQ(r.body, kEncodedForm);
            }
        }
        EXPECT_EQ(posts, c.posts);
        const QStringList lines = payPalLines(w);
        ASSERT_EQ(lines.size(), c.lines);
        if (!lines.empty()) {
            EXPECT_TRUE(lines[0].startsWith(QLatin1String("Balance: $")));
            EXPECT_TRUE(lines[0].endsWith(QLatin1String("\t0x0000c000"))); // green
            EXPECT_TRUE(lines[1].endsWith(QLatin1String("\t0x00000000")));
        }
    }
    EXPECT_TRUE(m_boxes.boxes().isEmpty());
}

// Without a PayPal ID the step is only the alert timer; while a PayPal window still runs, a second
// retrieval's end does not start another one (no stacked prompts).
TEST_F(PayPalTest, NoIdMeansNoTrafficAndASecondStartDoesNotStack)
{
    QuietMain w;
    settings.payPalUserID.clear();
    w.tmAlert.stop();
    frmPayPal::start(w);
    EXPECT_EQ(frmPayPal::instance(), nullptr);
    EXPECT_TRUE(w.tmAlert.isActive());

    settings.payPalUserID = kUser;
    settings.payPalPassword = kPassword;
    w.tmAlert.stop();
    frmPayPal::start(w);
    frmPayPal *first = frmPayPal::instance();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(w.statusBusy());
    EXPECT_FALSE(w.tmAlert.isActive());
    frmPayPal::start(w);
    EXPECT_EQ(frmPayPal::instance(), first);
    EXPECT_TRUE(w.tmAlert.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(frmPayPal::instance() == nullptr, 15000);
    EXPECT_EQ(payPalRequests().size(), 2); // one sign-in, one account page
    EXPECT_EQ(payPalLines(w).size(), 1 + 5);
}

} // namespace
