#pragma once
// Fetching the feeds: every address at once with Qt Network (http and https, TLS by the
// system's certificates), or read from a local file, each within its time and its size.
//
// Invariants: a feed is fetched whole or not at all: no answer within the timeout, an HTTP
// error, more redirects than allowed, a redirect from https to http, or more bytes than the
// limit give no bytes and the reason; the caller's event loop runs while the feeds arrive
// (fetchFeeds returns when the last has ended).

#include <QByteArray>
#include <QList>
#include <QString>

namespace calendars {

struct FetchOptions {
    int timeoutMs = 30000;          // for each feed, from the request to the last byte
    qint64 maxBytes = 5 * 1024 * 1024;
    int maxRedirects = 5;
};

struct Fetched {
    bool ok = false;
    QByteArray bytes;
    QString problem;                // English, a message key
    QString detail;
};

// The results in the order of the addresses.
QList<Fetched> fetchFeeds(const QStringList& addresses, const FetchOptions& options = {});

}  // namespace calendars
