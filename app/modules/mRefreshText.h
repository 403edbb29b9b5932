// The texts a refresh is made of: the sign-in and My eBay addresses, the sign-in form body, the
// token cut from the sign-in answer, the schedule's interval and the "last sync" time. Kept apart
// from the windows that send them so each rule can be checked without a network.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace mRefreshText {

// application/x-www-form-urlencoded value: letters, digits and "-._*" unchanged, blank as "+",
// anything else %XX of its Windows-1252 byte (UTF-8 bytes for a character outside that code page).
// O(n).
QString FormEncode(const QString &value);

// The fixed sign-in body followed by "userid=", the encoded ID, "&pass=", the encoded password.
QByteArray SignInBody(const QString &userId, const QString &password);

// Sign-in page: UK and Ireland on the UK sign-in host ("?SignIn"), everyone else on the US one
// ("?SIgnIn", as the site has always been asked). Post: the country's own sign-in host.
QString SignInPageAddress(const QString &eBayCountry);
QString SignInPostAddress(const QString &eBayCountry);

// "Today" 0; a six-character text its first character; anything else its first two characters.
QString DaysSince(const QString &dataView);
QString MyEbayAddress(const QString &eBayCountry, const QString &dataView);

// The token between the first "pass=" (+5; position 5 when there is none) and the next "&amp",
// with every "&amp" removed; nullopt when no "&amp" follows (the cut would have a negative length).
std::optional<QString> CutSignInToken(const QString &answer);

// Minutes of a Refresh text: its first two characters without blanks as a whole number. Anything
// that is not a positive number counts as 60, so a damaged setting never refreshes more often.
int RefreshMinutes(const QString &refresh);

// "last sync: " and the time in the system locale's short date format, with seconds.
QString LastSyncText(const QDateTime &when);

// Whether any section heading of the My eBay page is on `page`; a page without one is not a My
// eBay page at all (the site changed, or answered with something else). O(n).
bool LooksLikeMyEbay(const QString &page);

// Saves an unrecognised page as UTF-8 into `folder` (created when missing) and keeps only the
// newest `keep` such files. Returns the file's path, or empty when it could not be written.
QString SaveUnrecognisedPage(const QString &page, const QString &folder, int keep = 5);
// Where SaveUnrecognisedPage puts pages: "unrecognised" in the user's bidlark data folder.
QString UnrecognisedPageFolder();

} // namespace mRefreshText
