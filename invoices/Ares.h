#pragma once
// The buyer by IČO: the check of a company's identification number and the lookup of its
// name, registered office and VAT number in the Czech public register of businesses (its
// REST service answers one company as JSON at <base>/<IČO>).
//
// The lookup runs in the background: start() returns at once and finished() comes from the
// event loop, so a window never waits for the register. The base address is a setting
// (section [ARES], key Url, of the program's settings file) and the environment variable
// TAMAREL_ARES_URL overrides it, so a desk behind a proxy and the tests reach another one.
//
// Invariants: finished() is emitted exactly once per accepted start(), also when the
// register cannot be reached, answers an error, does not know the number (HTTP 404), sends
// what is not its JSON, or does not answer whole within the time allowed; an answer is taken
// only whole and no larger than kAresMaxBytes; only a Found answer carries a buyer.

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "invoices/Buyer.h"

class QJsonObject;
class QNetworkAccessManager;

namespace invoices {

inline const QString kAresUrl =
    QStringLiteral("https://ares.gov.cz/ekonomicke-subjekty-v-be/rest/ekonomicke-subjekty");
inline constexpr int kAresTimeoutMs = 10000;
inline constexpr qint64 kAresMaxBytes = 1024 * 1024;

// The IČO as the register writes it: blanks removed and, for one to seven digits, the
// leading zeros a company may leave out put back ("2707435" -> "02707435"). Anything else is
// returned trimmed as it stands (and then fails icoProblem).
QString normalIco(const QString& text);
// Empty when text is a valid IČO (eight digits whose last is the mod-11 check digit of the
// first seven, weighted 8 down to 2), else the English reason (a translation key).
QString icoProblem(const QString& text);
inline bool validIco(const QString& text) { return icoProblem(text).isEmpty(); }
// Empty when text is a plausible VAT number (two letters of the country, then 2 to 12
// letters or digits; a Czech one "CZ" and 8 to 10 digits), else the English reason.
QString dicProblem(const QString& text);

// The register's base address: TAMAREL_ARES_URL, else [ARES] Url of settingsFile, else
// kAresUrl. An empty settingsFile means the program's own.
QString aresBaseUrl(const QString& settingsFile = QString());

enum class AresOutcome { Found, NotFound, Refused, Unreachable, TimedOut };

struct AresAnswer {
    AresOutcome outcome = AresOutcome::Unreachable;
    QString pattern;      // English, the translation key, with places %1 .. for parts
    QStringList parts;    // put in as they stand (the register's or the network's words)
    Buyer buyer;          // Found: name, address, IČO, DIČ (empty when the company has none)
    // The message with the parts put in, the pattern through tr first (nullptr: English).
    QString text(QString (*tr)(const QString&) = nullptr) const;
};

// What an answer of the register means: status is the HTTP status, body its bytes.
AresAnswer readAresAnswer(int status, const QByteArray& body, const QString& askedIco);
// The registered office on one line from the address parts of the answer's "sidlo"
// (street and numbers, postcode and town, the country when not the Czech Republic).
QString addressFromParts(const QJsonObject& seat);

class AresLookup : public QObject {
    Q_OBJECT
public:
    // An empty baseUrl: aresBaseUrl() at each start (a changed setting counts at once).
    explicit AresLookup(QObject* parent = nullptr, int timeoutMs = kAresTimeoutMs, QString baseUrl = QString());
    ~AresLookup() override;
    // Asks for the company of ico (normalIco first); false, and nothing emitted, while a
    // lookup runs or when ico is not valid.
    bool start(const QString& ico);
    // Drops the running lookup without a word (the window closed).
    void cancel();
    bool running() const { return m_busy; }
    // The whole answer's time allowed, for lookups started from now on.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    QString asked() const { return m_ico; }

signals:
    void finished(const invoices::AresAnswer& answer);

private:
    void onReadyRead();
    void onFinished();
    void end(const AresAnswer& answer);

    int m_timeoutMs;
    QString m_baseUrl;
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    QString m_ico;
    bool m_busy = false;
};

}  // namespace invoices
