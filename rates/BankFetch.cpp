// The fetch of the bank's file: Qt Network's reply, watched for time, size and redirects.
#include "rates/BankFetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

namespace rates {

QUrl DailyFileUrl(const QString& address, const QDate& day)
{
    QUrl url(address.trimmed());
    if (day.isValid()) {
        QUrlQuery query(url);
        query.removeAllQueryItems(QStringLiteral("date"));
        query.addQueryItem(QStringLiteral("date"), day.toString(QStringLiteral("dd.MM.yyyy")));
        url.setQuery(query);
    }
    return url;
}

BankFetch::BankFetch(QObject* parent, TFetchLimits limits)
    : QObject(parent), m_limits(limits), m_network(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(Fault::Timeout, Say(QStringLiteral("The bank did not answer within %1 s."),
                                 {QString::number(m_limits.timeoutMs / 1000.0)}));
    });
}

BankFetch::~BankFetch()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void BankFetch::start(const QUrl& url)
{
    if (m_reply) return;
    m_body.clear();
    if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
        // Emitted from the event loop, as every other outcome is.
        QTimer::singleShot(0, this, [this, url] {
            emit finished({Fault::Network, Say(QStringLiteral("The bank's address is not an http or https address: %1"),
                                               {url.toString()}), {}});
        });
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(m_limits.maxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tamarel"));
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &BankFetch::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &BankFetch::onFinished);
    m_deadline.start(m_limits.timeoutMs);
}

void BankFetch::onReadyRead()
{
    if (!m_reply) return;
    // A redirect's own body is not the answer.
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400) return;
    m_body += m_reply->read(m_limits.maxBytes + 1 - m_body.size());
    if (m_body.size() > m_limits.maxBytes || m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > m_limits.maxBytes)
        fail(Fault::TooLarge, Say(QStringLiteral("The bank's answer is larger than %1 KB: it is not the daily rate file."),
                                  {QString::number(m_limits.maxBytes / 1024)}));
}

void BankFetch::onFinished()
{
    if (!m_reply) return;
    onReadyRead();
    if (!m_reply) return;  // refused as too large
    QNetworkReply* reply = m_reply;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::TooManyRedirectsError) {
        fail(Fault::Redirects, Say(QStringLiteral("The bank's address redirects more than %1 times (a redirect loop)."),
                                   {QString::number(m_limits.maxRedirects)}));
    } else if (status >= 400 || (status != 0 && status != 200)) {
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        fail(Fault::Http, Say(QStringLiteral("The bank answered with HTTP error %1 %2."), {QString::number(status), reason}));
    } else if (error != QNetworkReply::NoError) {
        fail(Fault::Network, Say(QStringLiteral("The bank cannot be reached: %1"), {reply->errorString()}));
    } else {
        m_deadline.stop();
        m_reply = nullptr;
        reply->deleteLater();
        TFetched fetched;
        try {
            fetched.fixing = ParseBankFile(m_body);
        } catch (const RateError& e) {
            fetched.fault = e.fault();
            fetched.message = e.message();
        }
        emit finished(fetched);
    }
}

void BankFetch::fail(Fault fault, const QString& message)
{
    m_deadline.stop();
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_body.clear();
    emit finished({fault, message, {}});
}

}  // namespace rates
