// Shared by the refresh tests: a main window pointed at a running sandbox site, the chain run to
// its end, and the requests it made.
#pragma once

#include "app/forms/frmMain.h"
#include "tests/app/shell_test_support.h"
#include "tests/support/sandbox_site.h"

#include <QTest>
#include <QUrl>

#include <optional>

using namespace Qt::Literals::StringLiterals;

class RefreshTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        qputenv("BIDLARK_NET_TIMEOUT_MS", "1500");
    }
    void TearDown() override
    {
        m_sites.reset();
        ShellTest::TearDown();
    }

    // Points the site table at `site` and signs in as its default account.
    void useSite(const testsupport::SandboxSite &site, const QString &country,
        const QString &dataView, const QString &password = u"sandboxpass"_s)
    {
        m_sites.reset();
        m_sites.emplace(site.sitesFile(), site.caFile());
        mSettings::settings.eBayCountry = country;
        mSettings::settings.dataView = dataView;
        mSettings::settings.refresh = u"15 Minutes"_s;
        mSettings::current.userId = u"sandboxuser"_s;
        mSettings::current.password = password;
    }

    // Connects and waits until the sign-in and retrieval windows are gone.
    static bool refresh(frmMain &w)
    {
        w.Connect();
        return QTest::qWaitFor([] { return !frmMain::refreshRunning(); }, 30000);
    }

    // The path a site entry's request arrives at on the sandbox.
    static QString target(
        const testsupport::SandboxSite &site, const QString &key, const QString &path)
    {
        return QUrl(site.base(key)).path() + path;
    }

    std::optional<shelltest::SitesFile> m_sites;
};
