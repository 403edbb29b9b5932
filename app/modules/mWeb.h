// How the program drives its transfer controls: the debug logs, the firewall settings, and reading
// a whole response in chunks while the user interface keeps running.
#pragma once

#include <QString>

class QObject;

namespace platform::net {
class Inet;
}

namespace mWeb {

// Append `text` and CR LF to the debug window's eBay log (Text1) / PayPal log (Text2); nothing at
// all while the debug flag is off.
void LogDebug(const QString &text);
void LogPayPalDebug(const QString &text);

// The entries the web steps write, each exactly as the debug log has always shown them (every
// piece is one LogDebug / LogPayPalDebug call, so each ends with one more CR LF).
void LogConnectionFormLoad(); // the retrieval window opens
void LogMyEbayRequest(const QString &address); // before the My eBay page is read
void LogAfterGetStatement(); // after it is read and parsed
void LogMyEbayPage(const QString &page); // the page handed to the parser
void LogSignInPost(const QString &address);
void LogSignInSuccess(const QString &token, const QString &response);
void LogPayPalReturnData(const QString &response);
void LogPayPalState(const QString &statusText); // after every PayPal state event

// Copies FirewallHost, FirewallPort, FirewallLogin and FirewallPassword into every transfer control
// that `window` owns. The port is taken when it is a whole number 1 to 65535; any other text
// leaves the control's port as it was, as an empty one does. An empty login or password leaves the
// control's as it was. An empty host removes the proxy from the controls (direct connections),
// whatever the other three hold, so clearing the host in the options takes effect.
void ApplyFirewallSettings(QObject *window);
void ApplyFirewallSettings(platform::net::Inet &control);

// The port FirewallPort names, or 0 when it names none.
int FirewallPortNumber(const QString &text);

// The whole response of `control`'s completed request, read in chunks of 1024 characters, letting
// pending events run after each chunk. O(length).
QString ReadWholeResponse(platform::net::Inet &control);

} // namespace mWeb
