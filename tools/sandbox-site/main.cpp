// sandbox-site: a local stand-in for eBay, PayPal and the product site, for tests and the demo.
// Listens on 127.0.0.1 only (one http and one https port), writes a ready sites file for
// BIDLARK_SITES, the test authority's certificate and a log of every request into --dir, and ends
// by itself after --idle-exit seconds without a request. See the README for routes and scenarios.
#include "app/modules/sites.h"
#include "tools/sandbox-site/site.h"
#include "tools/sandbox-site/tls.h"

#include <httplib.h>

#include <QCoreApplication>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

namespace {

std::atomic<bool> g_stop { false };

void onSignal(int)
{
    g_stop = true;
}

int usage()
{
    std::cerr
        << "usage: sandbox-site --dir DIR [--scenario NAME] [--idle-exit SECONDS] [--seed N]\n"
           "       [--ebay-user ID] [--ebay-password PW] [--paypal-user EMAIL]\n"
           "       [--paypal-password PW] [--version TEXT] [--stall-seconds N]\n"
           "       [--http-port N] [--https-port N]\n";
    return 1;
}

bool writeAtomically(const std::filesystem::path &path, const std::string &text)
{
    const auto temp = path.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out)
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    return !ec;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // the page generator and the site table use Qt text
    sandbox::SiteOptions options;
    options.version = BIDLARK_SANDBOX_VERSION;
    std::filesystem::path dir;
    std::string scenario = "normal";
    int idleExit = 600, httpPort = 0, httpsPort = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        const std::string value = argv[++i];
        if (arg == "--dir")
            dir = value;
        else if (arg == "--scenario")
            scenario = value;
        else if (arg == "--idle-exit")
            idleExit = std::max(1, std::atoi(value.c_str()));
        else if (arg == "--seed")
            options.seed = unsigned(std::strtoul(value.c_str(), nullptr, 10));
        else if (arg == "--ebay-user")
            options.ebayUser = value;
        else if (arg == "--ebay-password")
            options.ebayPassword = value;
        else if (arg == "--paypal-user")
            options.payPalUser = value;
        else if (arg == "--paypal-password")
            options.payPalPassword = value;
        else if (arg == "--version")
            options.version = value;
        else if (arg == "--stall-seconds")
            options.stallSeconds = std::max(1, std::atoi(value.c_str()));
        else if (arg == "--http-port")
            httpPort = std::atoi(value.c_str());
        else if (arg == "--https-port")
            httpsPort = std::atoi(value.c_str());
        else
            return usage();
    }
    if (dir.empty())
        return usage();
    std::filesystem::create_directories(dir);

    for (const QString &key : sites::tableKeys())
        options.keys.insert(key.toStdString());
    sandbox::Site site(options, (dir / "requests.log").string());
    if (!site.setScenario(scenario)) {
        std::cerr << "sandbox-site: unknown scenario " << scenario << "\n";
        return 1;
    }

    sandbox::TestCertificates certs;
    try {
        certs = sandbox::makeTestCertificates();
    } catch (const std::exception &e) {
        std::cerr << "sandbox-site: " << e.what() << "\n";
        return 2;
    }
    httplib::Server http;
    httplib::SSLServer https(certs.server.get(), certs.serverKey.get());
    if (!https.is_valid()) {
        std::cerr << "sandbox-site: the https server could not be set up\n";
        return 2;
    }
    for (httplib::Server *server :
        { static_cast<httplib::Server *>(&http), static_cast<httplib::Server *>(&https) }) {
        const bool secure = server == &https;
        const auto handler = [&site, secure](const httplib::Request &req, httplib::Response &res) {
            site.handle(req, res, secure);
        };
        server->Get(".*", handler);
        server->Post(".*", handler);
        server->Put(".*", handler);
        server->Delete(".*", handler);
        server->Options(".*", handler);
        // Stalled requests hold a thread each; leave room for the rest.
        server->new_task_queue = [] { return new httplib::ThreadPool(24); };
        server->set_keep_alive_timeout(2);
    }
    const auto bindTo = [](httplib::Server &server, int port) {
        if (port > 0)
            return server.bind_to_port("127.0.0.1", port) ? port : -1;
        return server.bind_to_any_port("127.0.0.1");
    };
    httpPort = bindTo(http, httpPort);
    httpsPort = bindTo(https, httpsPort);
    if (httpPort <= 0 || httpsPort <= 0) {
        std::cerr << "sandbox-site: cannot listen on 127.0.0.1\n";
        return 2;
    }

    std::string sites = "# Written by sandbox-site; use with BIDLARK_SITES.\n";
    for (const QString &key : sites::tableKeys()) {
        const std::string k = key.toStdString();
        const std::string role = k.substr(0, k.find('.'));
        if (role == "supportmail") {
            sites += k + "=support@sandbox.invalid\n";
            continue;
        }
        const bool secure = sandbox::IsSecureRole(role);
        sites += k + "=" + (secure ? "https" : "http") +
            "://127.0.0.1:" + std::to_string(secure ? httpsPort : httpPort) + "/" + k + "\n";
    }
    const auto sitesPath = dir / "sites";
    if (!writeAtomically(dir / "ca.pem", certs.caPem) || !writeAtomically(sitesPath, sites)) {
        std::cerr << "sandbox-site: cannot write into " << dir << "\n";
        return 2;
    }

    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::thread httpThread([&] { http.listen_after_bind(); });
    std::thread httpsThread([&] { https.listen_after_bind(); });
    std::cout << "sandbox-site: http://127.0.0.1:" << httpPort << " https://127.0.0.1:" << httpsPort
              << " sites " << sitesPath.string() << std::endl;
    while (!g_stop && site.idleSeconds() < idleExit)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    site.shutdown();
    http.stop();
    https.stop();
    httpThread.join();
    httpsThread.join();
    std::filesystem::remove(sitesPath);
    return 0;
}
