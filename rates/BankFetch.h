#pragma once
// Fetching the bank's daily file over HTTP(S) with Qt Network, without blocking: start()
// returns at once and finished() comes from the event loop.
//
// Invariants: an answer is taken only whole, with status 200, within the time allowed and no
// larger than the limit; otherwise the outcome says which of these failed and holds no file.
// Redirects are followed (never from https to http) up to a bound: a loop ends as a fault.
// One fetch at a time per object; finished() is emitted exactly once per start().

#include <QDate>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "rates/BankFile.h"
#include "rates/RateFault.h"

class QNetworkAccessManager;


namespace rates {

// The daily file at the bank's site.
inline const QString kBankUrl = QStringLiteral(
    "https://www.cnb.cz/cs/financni-trhy/devizovy-trh/kurzy-devizoveho-trhu/kurzy-devizoveho-trhu/denni_kurz.txt");

// The file of `day` (its query "date=DD.MM.YYYY" added to the address), or with an invalid
// day the newest one (the address as it stands).
QUrl DailyFileUrl(const QString& address, const QDate& day);

struct TFetchLimits {
    int timeoutMs = 10000;          // the whole answer, from the start
    qint64 maxBytes = 64 * 1024;    // the daily file is some 3 KB
    int maxRedirects = 5;
};

struct TFetched {
    Fault fault = Fault::None;      // None: fixing holds the file
    QString message;                // the fault, in the language in use
    TBankFixing fixing;
};

class BankFetch : public QObject {
    Q_OBJECT
public:
    explicit BankFetch(QObject* parent = nullptr, TFetchLimits limits = {});
    ~BankFetch() override;
    void start(const QUrl& url);
    bool running() const { return m_reply != nullptr; }

signals:
    void finished(const rates::TFetched& fetched);

private:
    void onReadyRead();
    void onFinished();
    void fail(Fault fault, const QString& message);

    TFetchLimits m_limits;
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
};

}  // namespace rates
