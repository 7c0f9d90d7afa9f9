// Fetching feeds over the network (all at once, one event loop) and from files.
#include "calendars/FeedFetch.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace calendars {

namespace {

Fetched failed(const char* problem, const QString& detail = {})
{
    Fetched f;
    f.problem = QString::fromLatin1(problem);
    f.detail = detail;
    return f;
}

bool isLocal(const QString& address)
{
    return address.startsWith(QLatin1Char('/')) || address.startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
}

Fetched readFile(const QString& address, const FetchOptions& o)
{
    const QString path = address.startsWith(QLatin1Char('/')) ? address : QUrl(address).toLocalFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return failed("The feed's file cannot be read", path);
    if (file.size() > o.maxBytes) return failed("The feed is larger than 5 MB");
    Fetched f;
    f.bytes = file.read(o.maxBytes + 1);
    if (f.bytes.size() > o.maxBytes) return failed("The feed is larger than 5 MB");
    f.ok = true;
    return f;
}

// One reply's end: its bytes, or why there are none.
Fetched replyResult(QNetworkReply* reply, bool timedOut, bool tooLarge)
{
    if (tooLarge) return failed("The feed is larger than 5 MB");
    if (timedOut) return failed("The portal did not answer in time");
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    switch (reply->error()) {
    case QNetworkReply::NoError: break;
    case QNetworkReply::TooManyRedirectsError: return failed("The feed's address redirects too often");
    case QNetworkReply::InsecureRedirectError: return failed("The feed's address redirects to an insecure address");
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError: return failed("The portal did not answer in time");
    default:
        if (status >= 400)
            return failed("The portal answered with an HTTP error",
                          QString::number(status) + QLatin1Char(' ') +
                              reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        return failed("The feed cannot be fetched", reply->errorString());
    }
    if (status >= 300) return failed("The portal answered with an HTTP error", QString::number(status));
    Fetched f;
    f.bytes = reply->readAll();
    f.ok = true;
    return f;
}

}  // namespace

QList<Fetched> fetchFeeds(const QStringList& addresses, const FetchOptions& o)
{
    QList<Fetched> results(addresses.size());
    QNetworkAccessManager manager;
    QEventLoop loop;
    int pending = 0;
    for (int i = 0; i < addresses.size(); ++i) {
        const QString address = addresses[i].trimmed();
        if (isLocal(address)) {
            results[i] = readFile(address, o);
            continue;
        }
        const QUrl url(address);
        if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
            results[i] = failed("The feed's address must begin with http://, https:// or file:// (or be a full file path).",
                                address);
            continue;
        }
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(o.maxRedirects);
        request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tamarel calendars"));
        request.setTransferTimeout(o.timeoutMs);
        QNetworkReply* reply = manager.get(request);
        ++pending;
        auto timedOut = std::make_shared<bool>(false), tooLarge = std::make_shared<bool>(false);
        auto* timer = new QTimer(reply);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, reply, [reply, timedOut] {
            *timedOut = true;
            reply->abort();
        });
        timer->start(o.timeoutMs);
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, tooLarge, o](qint64 received, qint64 total) {
            if (received > o.maxBytes || total > o.maxBytes) {
                *tooLarge = true;
                reply->abort();
            }
        });
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, i, reply, timedOut, tooLarge] {
            results[i] = replyResult(reply, *timedOut, *tooLarge);
            reply->deleteLater();
            if (--pending == 0) loop.quit();
        });
    }
    if (pending > 0) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return results;
}

}  // namespace calendars
