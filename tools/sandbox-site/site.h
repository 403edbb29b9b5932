// The sandbox site's behaviour: every site role the program talks to (eBay sign-in, My eBay, item
// pages, PayPal, the product site, the other eBay sites), answered as those sites answer the
// program's requests, plus switchable failures. Each role lives under its own first path segment
// ("/signin.uk/aw-cgi/eBayISAPI.dll"), so one http and one https port serve them all and the
// request log shows which site entry a request went to. The server loop is in main.cpp.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

namespace sandbox {

struct SiteOptions {
    std::string ebayUser = "sandboxuser";
    std::string ebayPassword = "sandboxpass";
    std::string payPalUser = "buyer@example.com";
    std::string payPalPassword = "paypalpass";
    std::string version; // what /version.txt holds in the default scenario
    unsigned seed = 1; // of the generated pages
    int stallSeconds = 120; // how long the "stall" scenario keeps a request unanswered
    std::set<std::string> keys; // the site entries served ("signin", "signin.uk", ...)
};

// Scenario names, "ROLE:NAME" limits a failure to one role (say "myebay:error500"):
//   normal            every exchange as a working site answers it
//   error500          every site page answers 500 with an error page
//   drop              headers promising a body, then the connection is closed
//   reset             half of the promised body, then the connection is closed
//   short             the whole page, but Content-Length promises 100 bytes more; then closed
//   stall             no answer for stallSeconds
//   bigpage           every page padded to about 6 MB with an HTML comment
//   alert7            My eBay with exactly 7 watching/bidding rows ending within 15 minutes
//   rows201           My eBay with 201 rows in every section
//   pound-latin1      UK My eBay declared ISO-8859-1 in header and <meta>
//   pound-undeclared  UK My eBay without any charset (Windows-1252 bytes)
//   pound-utf8        UK My eBay re-encoded and declared UTF-8
//   next-page         every My eBay page from the next seed (seed, seed + 1, ...)
//   unrecognised      My eBay answers a page without any section heading
//   item-no-paypal    item pages without the secure payment link
//   paypal-many       the PayPal account page with 20 activity rows
//   paypal-late-login the PayPal sign-in answer holds "Processing Login" only near its end
//   version-newer     /version.txt holds the next revision
//   version-newline   /version.txt holds the version and CR LF
//   version-empty     /version.txt is empty
//   version-404       /version.txt is not found
class Site {
public:
    Site(SiteOptions options, const std::string &requestLogPath);
    ~Site();

    // Answers one request; `https` tells which port it came in on. Thread-safe.
    void handle(const httplib::Request &req, httplib::Response &res, bool https);

    bool setScenario(const std::string &name); // false for an unknown name
    std::string scenario() const;

    // Seconds since the last request (or since start).
    double idleSeconds() const;
    // Wakes stalled requests; called before the servers stop.
    void shutdown();

private:
    void log(const httplib::Request &req, bool https);
    bool applyFault(const std::string &role, httplib::Response &res);
    void serve(const std::string &key, const std::string &role, const std::string &country,
        const std::string &path, const httplib::Request &req, httplib::Response &res);
    void signIn(const std::string &country, const std::string &path, const httplib::Request &req,
        httplib::Response &res);
    void myEbay(const std::string &country, const httplib::Request &req, httplib::Response &res);
    void payPal(const httplib::Request &req, httplib::Response &res);
    void product(const std::string &path, httplib::Response &res);
    void sandboxControl(
        const std::string &path, const httplib::Request &req, httplib::Response &res);
    std::string issueToken(const char *prefix);
    bool hasCookie(const httplib::Request &req, const std::string &name, bool issuedOnly);
    std::string faultScenario(const std::string &role) const;

    SiteOptions m_options;
    mutable std::mutex m_mutex; // guards everything below and the log file
    std::FILE *m_log = nullptr;
    std::string m_scenario = "normal";
    std::set<std::string> m_tokens; // auth cookie values handed out
    unsigned long m_tokenCounter = 0;
    unsigned m_myEbayPages = 0; // served in the next-page scenario
    // The alert7 page's seed per country and row count: finding it generates many pages.
    std::map<std::pair<std::string, int>, unsigned> m_alert7Seeds;
    std::chrono::steady_clock::time_point m_lastRequest;
    bool m_stopping = false;
    std::condition_variable m_wake;
};

// The site entries a sites file names, "role" or "role.country", as the program's site table
// knows them; each maps to "scheme://127.0.0.1:port/<entry>".
bool IsSecureRole(const std::string &role);

} // namespace sandbox
