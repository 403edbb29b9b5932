#include "tools/sandbox-site/site.h"

#include "tools/mypages/pages.h"

#include <httplib.h>

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstring>

namespace sandbox {

namespace {

const std::string kSignInBody =
    "MfcISAPICommand=SignInWelcome&siteid=0&co_partnerId=2&UsingSSL=0&ru=&pp=&pa1=&pa2=&pa3=&pa4=&"
    "pa5=&pa6=&pa7=&pa8=&pa9=&pa10=&i1=-1&i2=-1&i3=-1&i4=-1&i5=-1&i6=-1&i7=-1&i8=-1&i9=-1&i10=-1&"
    "i11=-1&pNextPage=&pageType=174&";
const std::string kPayPalBody =
    "__track=_login-run:p/gen/login:_login-submit&cmd=_login-submit&login_cmd=&login_params&"
    "login_email=";
const std::string kFormType = "application/x-www-form-urlencoded";

const char *const kFaults[] = { "error500", "drop", "reset", "short", "stall", "bigpage" };
const char *const kContent[] = { "normal", "alert7", "rows201", "pound-latin1", "pound-undeclared",
    "pound-utf8", "next-page", "unrecognised", "item-no-paypal", "paypal-many", "paypal-late-login",
    "version-newer", "version-newline", "version-empty", "version-404" };

std::string escapeField(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string html(const std::string &title, const std::string &body)
{
    return "<html><head><title>" + title + "</title></head>\n<body>\n" + body +
        "\n</body></html>\n";
}

std::string countryName(const std::string &country)
{
    if (country == "uk")
        return "United Kingdom";
    if (country == "ca")
        return "Canada";
    if (country == "au")
        return "Australia";
    return "United States";
}

// Replaces the <meta> charset a generated page declares.
QByteArray redeclare(QByteArray page, const QByteArray &charset)
{
    const QByteArray from = "; charset=windows-1252";
    const qsizetype at = page.indexOf(from);
    if (at >= 0)
        page.replace(at, from.size(), charset.isEmpty() ? QByteArray() : "; charset=" + charset);
    return page;
}

// "5m" or "12m" left: inside a 15-minute alert time.
bool endsSoon(const QString &callLine)
{
    if (!callLine.startsWith(QStringLiteral("QUEUE\t")))
        return false;
    const QString time = callLine.section(u'\t', 3, 3);
    return time == u"12m" || time == u"3m";
}

// A form value as the site reads it: "+" a blank, %XX a byte, the bytes taken as Latin-1.
QString formValue(const std::string &encoded)
{
    QByteArray bytes;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '+')
            bytes += ' ';
        else if (encoded[i] == '%' && i + 2 < encoded.size()) {
            bytes += char(QByteArray::fromStdString(encoded.substr(i + 1, 2)).toInt(nullptr, 16));
            i += 2;
        } else
            bytes += encoded[i];
    }
    return QString::fromLatin1(bytes);
}

} // namespace

bool IsSecureRole(const std::string &role)
{
    return role == "signin" || role == "paypal";
}

Site::Site(SiteOptions options, const std::string &requestLogPath)
    : m_options(std::move(options))
    , m_lastRequest(std::chrono::steady_clock::now())
{
    m_log = std::fopen(requestLogPath.c_str(), "a");
}

Site::~Site()
{
    if (m_log)
        std::fclose(m_log);
}

bool Site::setScenario(const std::string &name)
{
    const std::size_t colon = name.find(':');
    const std::string bare = colon == std::string::npos ? name : name.substr(colon + 1);
    const bool known = std::any_of(std::begin(kFaults), std::end(kFaults),
                           [&](const char *f) { return bare == f; }) ||
        std::any_of(
            std::begin(kContent), std::end(kContent), [&](const char *c) { return bare == c; });
    if (!known)
        return false;
    std::lock_guard lock(m_mutex);
    m_scenario = name;
    return true;
}

std::string Site::scenario() const
{
    std::lock_guard lock(m_mutex);
    return m_scenario;
}

double Site::idleSeconds() const
{
    std::lock_guard lock(m_mutex);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_lastRequest).count();
}

void Site::shutdown()
{
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_wake.notify_all();
}

void Site::log(const httplib::Request &req, bool https)
{
    std::lock_guard lock(m_mutex);
    m_lastRequest = std::chrono::steady_clock::now();
    if (!m_log)
        return;
    std::string block = "[request]\nscheme=" + std::string(https ? "https" : "http") +
        "\nmethod=" + req.method + "\ntarget=" + escapeField(req.target) + "\n";
    for (const auto &[name, value] : req.headers) {
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
            name == "LOCAL_PORT")
            continue;
        block += "header=" + escapeField(name) + ": " + escapeField(value) + "\n";
    }
    block += "body=" + escapeField(req.body) + "\n\n";
    std::fwrite(block.data(), 1, block.size(), m_log);
    std::fflush(m_log);
}

std::string Site::faultScenario(const std::string &role) const
{
    const std::string s = scenario();
    const std::size_t colon = s.find(':');
    if (colon != std::string::npos && s.substr(0, colon) != role)
        return {};
    return colon == std::string::npos ? s : s.substr(colon + 1);
}

std::string Site::issueToken(const char *prefix)
{
    std::lock_guard lock(m_mutex);
    const std::string token = std::string(prefix) + std::to_string(++m_tokenCounter) + "x" +
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 100000);
    m_tokens.insert(token);
    return token;
}

bool Site::hasCookie(const httplib::Request &req, const std::string &name, bool issuedOnly)
{
    const std::string cookies = req.get_header_value("Cookie");
    std::size_t at = 0;
    while ((at = cookies.find(name + "=", at)) != std::string::npos) {
        if (at == 0 || cookies[at - 1] == ' ' || cookies[at - 1] == ';') {
            const std::size_t start = at + name.size() + 1;
            const std::size_t end = cookies.find(';', start);
            const std::string value =
                cookies.substr(start, end == std::string::npos ? end : end - start);
            std::lock_guard lock(m_mutex);
            if (!value.empty() && (!issuedOnly || m_tokens.count(value)))
                return true;
        }
        at += name.size();
    }
    return false;
}

void Site::handle(const httplib::Request &req, httplib::Response &res, bool https)
{
    log(req, https);
    const std::string &path = req.path;
    if (path.rfind("/__sandbox/", 0) == 0) {
        sandboxControl(path, req, res);
        return;
    }
    // "/<key>/rest": the key names the site entry the program's table pointed here.
    const std::size_t slash = path.find('/', 1);
    const std::string key =
        path.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
    const std::string rest = slash == std::string::npos ? "/" : path.substr(slash);
    const std::size_t dot = key.find('.');
    const std::string role = key.substr(0, dot);
    const std::string country = dot == std::string::npos ? "us" : key.substr(dot + 1);
    if (!m_options.keys.count(key)) {
        res.status = 404;
        res.set_content(html("Not found", "<p>No site here.</p>"), "text/html");
        return;
    }
    if (IsSecureRole(role) && !https) {
        // As the real sites did: the secure roles answer only over https.
        res.status = 403;
        res.set_content(html("Forbidden", "<p>Use a secure connection.</p>"), "text/html");
        return;
    }
    serve(key, role, country, rest, req, res);
}

void Site::serve(const std::string &key, const std::string &role, const std::string &country,
    const std::string &path, const httplib::Request &req, httplib::Response &res)
{
    const std::string fault = faultScenario(role);
    if (fault == "stall") {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(
            lock, std::chrono::seconds(m_options.stallSeconds), [this] { return m_stopping; });
        res.status = 503;
        res.set_content(html("Stalled", "<p>The stall ended.</p>"), "text/html");
        return;
    }
    if (role == "signin")
        signIn(country, path, req, res);
    else if (role == "myebay" && path == "/ws/ebayISAPI.dll")
        myEbay(country, req, res);
    else if (role == "item" && path == "/aw-cgi/eBayISAPI.dll" && req.has_param("ViewItem")) {
        const std::string item = req.get_param_value("item");
        const auto page = mypages::itemPage(
            QString::fromStdString(item), m_options.seed, faultScenario(role) != "item-no-paypal");
        res.set_content(page.bytes.toStdString(), "text/html");
    } else if (role == "paypal" && path == "/cgi-bin/webscr")
        payPal(req, res);
    else if (role == "product")
        product(path, res);
    else
        res.set_content(html("Sandbox " + key,
                            "<p>Sandbox page of " + key + " at " + escapeField(path) + "</p>"),
            "text/html");
    applyFault(role, res);
}

void Site::signIn(const std::string &country, const std::string &path, const httplib::Request &req,
    httplib::Response &res)
{
    (void)country;
    if (path != "/aw-cgi/eBayISAPI.dll") {
        res.status = 404;
        res.set_content(html("Not found", "<p>No such page.</p>"), "text/html");
        return;
    }
    if (req.method == "GET") {
        // The sign-in page: both spellings of the command, as the site took them.
        if (!req.has_param("SignIn") && !req.has_param("SIgnIn")) {
            res.status = 400;
            res.set_content(html("Bad request", "<p>Unknown command.</p>"), "text/html");
            return;
        }
        res.set_header("Set-Cookie", "sandbox_session=" + issueToken("s") + "; Path=/");
        res.set_content(
            html("eBay Sign In",
                "<form method=\"post\" action=\"eBayISAPI.dll\">"
                "<input type=\"hidden\" name=\"MfcISAPICommand\" value=\"SignInWelcome\">"
                "User ID <input name=\"userid\"> Password <input type=\"password\" "
                "name=\"pass\"></form>"),
            "text/html");
        return;
    }
    if (req.method != "POST" || req.get_header_value("Content-Type") != kFormType ||
        req.body.rfind(kSignInBody + "userid=", 0) != 0) {
        res.status = 400;
        res.set_content(
            html("Bad request", "<p>The sign-in form was not as expected.</p>"), "text/html");
        return;
    }
    if (!hasCookie(req, "sandbox_session", true)) {
        res.set_content(html("eBay Sign In",
                            "<p>It appears that your browser is rejecting cookies. Please "
                            "enable cookies and sign in again.</p>"),
            "text/html");
        return;
    }
    // The fields are form-encoded, so "&" inside a value arrives as %26 and splits nothing.
    const std::string fields = req.body.substr(kSignInBody.size() + 7);
    const std::size_t pass = fields.find("&pass=");
    const bool valid = pass != std::string::npos &&
        formValue(fields.substr(0, pass)) == QString::fromStdString(m_options.ebayUser) &&
        formValue(fields.substr(pass + 6)) == QString::fromStdString(m_options.ebayPassword);
    if (!valid) {
        res.set_content(html("eBay Sign In",
                            "<p><font color=\"red\">Your User ID or password is not valid.</font> "
                            "Please try again.</p>"),
            "text/html");
        return;
    }
    const std::string token = issueToken("t");
    res.set_header("Set-Cookie", "sandbox_auth=" + token + "; Path=/");
    res.set_content(
        html("Welcome to eBay",
            "<p>Welcome " + m_options.ebayUser +
                ". <a href=\"/myebay/ws/"
                "ebayISAPI.dll?MyeBay&amp;userid=" +
                m_options.ebayUser + "&amp;pass=" + token + "&amp;first=N\">Go to My eBay</a></p>"),
        "text/html");
}

void Site::myEbay(const std::string &country, const httplib::Request &req, httplib::Response &res)
{
    // "/ws/ebayISAPI.dll?MyeBay&first=N&sellerSort=3&bidderSort=3&watchSort=3&dayssince=D"
    const std::string days = req.get_param_value("dayssince");
    const bool queryOk = req.has_param("MyeBay") && req.get_param_value("first") == "N" &&
        req.get_param_value("sellerSort") == "3" && req.get_param_value("bidderSort") == "3" &&
        req.get_param_value("watchSort") == "3" && !days.empty() && days.size() <= 2 &&
        std::all_of(days.begin(), days.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        std::stoi(days) <= 30;
    if (!queryOk) {
        res.status = 400;
        res.set_content(
            html("Bad request", "<p>The My eBay request was not as expected.</p>"), "text/html");
        return;
    }
    if (!hasCookie(req, "sandbox_auth", true)) {
        res.set_content(html("eBay Sign In", "<p>Please sign in to see My eBay.</p>"), "text/html");
        return;
    }
    const std::string scenario = faultScenario("myebay");
    mypages::MyEbayOptions options;
    options.seed = m_options.seed;
    options.country = QString::fromStdString(countryName(country));
    // Looking back further shows more: today 1 row per section, 2 days 3, longer 4.
    const int d = std::stoi(days);
    options.rowsPerSection = d == 0 ? 1 : d < 3 ? 3 : 4;
    if (scenario == "rows201")
        options.rowsPerSection = 201;
    if (scenario == "next-page") {
        std::lock_guard lock(m_mutex);
        options.seed = m_options.seed + m_myEbayPages++;
    }
    if (scenario == "unrecognised") {
        res.set_content(
            html("My eBay", "<p>My eBay has a new look. <a href=\"/\">Start</a></p>"), "text/html");
        return;
    }
    if (scenario == "alert7") {
        // The first seed whose page has exactly 7 rows that end within 15 minutes. The search
        // generates pages until it finds one, so its answer is kept for the next requests.
        const std::pair key(options.country.toStdString(), options.rowsPerSection);
        std::unique_lock lock(m_mutex);
        auto known = m_alert7Seeds.find(key);
        if (known == m_alert7Seeds.end()) {
            lock.unlock();
            for (quint32 seed = 1; seed < 100000; ++seed) {
                options.seed = seed;
                const auto calls = mypages::myEbayPage(options).calls;
                if (std::count_if(calls.begin(), calls.end(), endsSoon) == 7)
                    break;
            }
            lock.lock();
            known = m_alert7Seeds.emplace(key, options.seed).first;
        }
        options.seed = known->second;
    }
    QByteArray page = mypages::myEbayPage(options).bytes;
    std::string type = "text/html";
    if (scenario == "pound-latin1") {
        page = redeclare(page, "ISO-8859-1");
        type = "text/html; charset=ISO-8859-1";
    } else if (scenario == "pound-undeclared") {
        page = redeclare(page, {});
    } else if (scenario == "pound-utf8") {
        page = redeclare(page, "utf-8");
        page = QString::fromLatin1(page).toUtf8(); // the generator writes Latin-1 only
        type = "text/html; charset=utf-8";
    }
    res.set_content(page.toStdString(), type);
}

void Site::payPal(const httplib::Request &req, httplib::Response &res)
{
    if (req.method == "POST") {
        const bool formOk = req.get_header_value("Content-Type") == kFormType &&
            req.body.rfind(kPayPalBody, 0) == 0;
        if (!formOk) {
            res.status = 400;
            res.set_content(
                html("Bad request", "<p>The login form was not as expected.</p>"), "text/html");
            return;
        }
        // The form values arrive percent-encoded; compare what they say.
        const std::string fields = req.body.substr(kPayPalBody.size());
        const std::string passwordKey = "&login_password=";
        const std::size_t split = fields.find(passwordKey);
        const bool credentialsOk = split != std::string::npos &&
            httplib::detail::decode_url(fields.substr(0, split), false) == m_options.payPalUser &&
            httplib::detail::decode_url(fields.substr(split + passwordKey.size()), false) ==
                m_options.payPalPassword;
        if (!credentialsOk) {
            res.set_content(html("PayPal - Login",
                                "<p>Please check your email address and password and try "
                                "again.</p>"),
                "text/html");
            return;
        }
        res.set_header("Set-Cookie", "sandbox_paypal=" + issueToken("p") + "; Path=/");
        if (faultScenario("paypal") == "paypal-late-login") {
            // The marker only near the end of a page longer than one read chunk.
            res.set_content(
                html("PayPal", "<p>" + std::string(3000, '.') + "</p>\n<p>Processing Login</p>"),
                "text/html");
            return;
        }
        res.set_content(
            html("PayPal - Processing Login",
                "<p>Processing Login... <a href=\"webscr?cmd=_account\">continue</a></p>"),
            "text/html");
        return;
    }
    if (req.get_param_value("cmd") == "_account" && hasCookie(req, "sandbox_paypal", true)) {
        const int rows = faultScenario("paypal") == "paypal-many" ? 20 : 5;
        res.set_content(
            mypages::payPalAccountPage(m_options.seed, rows).bytes.toStdString(), "text/html");
        return;
    }
    res.set_content(html("PayPal - Login", "<p>Log in to your account.</p>"), "text/html");
}

void Site::product(const std::string &path, httplib::Response &res)
{
    if (path == "/version.txt") {
        const std::string s = faultScenario("product");
        std::string text = m_options.version;
        if (s == "version-404") {
            res.status = 404;
            res.set_content(html("Not found", "<p>No such file.</p>"), "text/html");
            return;
        }
        if (s == "version-newer") {
            const std::size_t dot = text.rfind('.');
            const int revision = dot == std::string::npos ? 0 : std::atoi(text.c_str() + dot + 1);
            text = text.substr(0, dot + 1) + std::to_string(revision + 1);
        } else if (s == "version-newline") {
            text += "\r\n";
        } else if (s == "version-empty") {
            text.clear();
        }
        res.set_content(text, "text/plain");
        return;
    }
    if (path == "/bidlarkupdate.exe") {
        res.set_content(std::string("MZ sandbox updater\0", 19), "application/octet-stream");
        return;
    }
    res.set_content(
        html("Bidlark", "<p>Sandbox product site: " + escapeField(path) + "</p>"), "text/html");
}

void Site::sandboxControl(
    const std::string &path, const httplib::Request &req, httplib::Response &res)
{
    if (path == "/__sandbox/scenario") {
        const std::string name = req.get_param_value("name");
        if (name.empty()) {
            res.set_content(scenario() + "\n", "text/plain");
        } else if (setScenario(name)) {
            res.set_content("scenario " + name + "\n", "text/plain");
        } else {
            res.status = 400;
            res.set_content("unknown scenario " + name + "\n", "text/plain");
        }
        return;
    }
    if (path == "/__sandbox/page") {
        // Exactly `chars` characters of HTML; with charset=utf-8 every 50th is a pound sign sent
        // as two bytes, so bytes and characters differ.
        const long long chars = std::atoll(req.get_param_value("chars").c_str());
        const bool utf8 = req.get_param_value("charset") == "utf-8";
        if (chars < 0 || chars > 64ll * 1024 * 1024) {
            res.status = 400;
            return;
        }
        // Built from a 50-character block, so even 33 MB takes no time.
        std::string block;
        for (int i = 0; i < 50; ++i)
            block +=
                (utf8 && i == 49) ? std::string("\xC2\xA3") : std::string(1, char('a' + i % 26));
        std::string body;
        body.reserve(static_cast<size_t>(chars) * (utf8 ? 2 : 1));
        long long i = 0;
        for (; i + 50 <= chars; i += 50)
            body += block;
        for (; i < chars; ++i)
            body += char('a' + (i % 50) % 26);
        res.set_content(body, utf8 ? "text/html; charset=utf-8" : "text/html");
        applyFault("", res);
        return;
    }
    res.status = 404;
    res.set_content("no such sandbox request\n", "text/plain");
}

bool Site::applyFault(const std::string &role, httplib::Response &res)
{
    const std::string fault = faultScenario(role.empty() ? std::string("page") : role);
    if (fault == "error500") {
        res.status = 500;
        res.set_content(
            html("Server error", "<p>The sandbox site failed on purpose (500).</p>"), "text/html");
        return true;
    }
    if (fault == "bigpage") {
        std::string body = res.body;
        const std::size_t target = 6u * 1024 * 1024;
        if (body.size() < target) {
            std::string pad = "<!-- ";
            while (pad.size() + body.size() < target - 4)
                pad += "padding padding padding padding padding padding padding padding\n";
            pad += " -->";
            body += pad;
        }
        const std::string type = res.get_header_value("Content-Type");
        res.headers.erase("Content-Type");
        res.set_content(body, type);
        return true;
    }
    if (fault == "drop" || fault == "reset" || fault == "short") {
        auto body = std::make_shared<std::string>(res.body);
        const std::string type = res.get_header_value("Content-Type");
        const size_t promised = body->size() + (fault == "short" ? 100 : 0);
        const size_t sent = fault == "drop" ? 0
            : fault == "reset"              ? body->size() / 2
                                            : body->size();
        res.body.clear();
        res.headers.erase("Content-Type");
        res.set_content_provider(
            promised, type, [body, sent](size_t offset, size_t, httplib::DataSink &sink) {
                if (offset >= sent)
                    return false; // closes the connection short of what was promised
                sink.write(body->data() + offset, sent - offset);
                return true;
            });
        return true;
    }
    return false;
}

} // namespace sandbox
