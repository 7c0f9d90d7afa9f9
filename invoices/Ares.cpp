// The IČO check and the register lookup; see Ares.h.
#include "invoices/Ares.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSettings>
#include <QUrl>

#include "guests/HotelSettings.h"
#include "platform/Paths.h"

namespace invoices {

namespace {

constexpr int kNameLength = 100;      // Buyer::name
constexpr int kAddressLength = 200;   // Buyer::address

// A JSON value as text: the register writes house numbers and postcodes as numbers.
QString field(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isDouble()) return QString::number(qint64(v.toDouble()));
    return v.toString().trimmed();
}

QString oneLine(QString text) { return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed(); }

}  // namespace

QString normalIco(const QString& text)
{
    QString digits = text;
    digits.remove(QRegularExpression(QStringLiteral("\\s")));
    static const QRegularExpression short_(QStringLiteral("^\\d{1,7}$"));
    if (short_.match(digits).hasMatch()) return digits.rightJustified(8, QLatin1Char('0'));
    return digits.isEmpty() ? text.trimmed() : digits;
}

QString icoProblem(const QString& text)
{
    static const QRegularExpression eight(QStringLiteral("^\\d{8}$"));
    if (!eight.match(text).hasMatch()) return QStringLiteral("An IČO has eight digits.");
    if (!guests::icoIsValid(text)) return QStringLiteral("The IČO's check digit does not match; a digit is mistyped.");
    return {};
}

QString dicProblem(const QString& text)
{
    static const QRegularExpression czech(QStringLiteral("^CZ\\d{8,10}$"));
    static const QRegularExpression other(QStringLiteral("^[A-Z]{2}[0-9A-Z]{2,12}$"));
    if (text.startsWith(QLatin1String("CZ")) ? czech.match(text).hasMatch() : other.match(text).hasMatch()) return {};
    return QStringLiteral("A DIČ is the country's two letters and the number (CZ and 8 to 10 digits).");
}

QString aresBaseUrl(const QString& settingsFile)
{
    const QString env = qEnvironmentVariable("TAMAREL_ARES_URL").trimmed();
    if (!env.isEmpty()) return env;
    const QSettings ini(settingsFile.isEmpty() ? platform::paths::settingsFile() : settingsFile, QSettings::IniFormat);
    const QString url = ini.value(QStringLiteral("ARES/Url")).toString().trimmed();
    return url.isEmpty() ? kAresUrl : url;
}

QString AresAnswer::text(QString (*tr)(const QString&)) const
{
    QString t = tr ? tr(pattern) : pattern;
    // One pass: a part that itself holds "%1" is not read again.
    switch (parts.size()) {
    case 0: return t;
    case 1: return t.arg(parts[0]);
    default: return t.arg(parts[0], parts[1]);
    }
}

QString addressFromParts(const QJsonObject& seat)
{
    const QString street = field(seat, "nazevUlice"), town = field(seat, "nazevObce"), part = field(seat, "nazevCastiObce");
    QString number = field(seat, "cisloDomovni");
    const QString orientation = field(seat, "cisloOrientacni") + field(seat, "cisloOrientacniPismeno");
    if (!orientation.isEmpty()) number = number.isEmpty() ? orientation : number + QLatin1Char('/') + orientation;
    // A village without streets is addressed by its part and the house number.
    QString place = !street.isEmpty() ? street : (!part.isEmpty() && part != town ? part : town);
    place = oneLine(place + QLatin1Char(' ') + number);
    QString postcode = field(seat, "psc");
    if (postcode.size() == 5) postcode.insert(3, QLatin1Char(' '));
    const QString city = oneLine(postcode + QLatin1Char(' ') + town);
    QStringList lines;
    for (const QString& s : {place, city})
        if (!s.isEmpty() && !lines.contains(s)) lines << s;
    const QString country = field(seat, "kodStatu");
    if (!country.isEmpty() && country != QLatin1String("CZ") && !field(seat, "nazevStatu").isEmpty()) lines << field(seat, "nazevStatu");
    return lines.join(QStringLiteral(", "));
}

AresAnswer readAresAnswer(int status, const QByteArray& body, const QString& askedIco)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    const QJsonObject o = doc.object();
    if (status == 404)
        return {AresOutcome::NotFound, QStringLiteral("The register does not know the IČO %1."), {askedIco}, {}};
    if (status != 200) {
        // The register says what is wrong in "popis" (its "kod" names the kind).
        const QString said = field(o, "popis").isEmpty() ? field(o, "kod") : field(o, "popis");
        return {AresOutcome::Refused, QStringLiteral("The register answered with an error (HTTP %1): %2"),
                {QString::number(status), said}, {}};
    }
    const QString name = oneLine(field(o, "obchodniJmeno"));
    if (error.error != QJsonParseError::NoError || !doc.isObject() || name.isEmpty())
        return {AresOutcome::Refused, QStringLiteral("The register's answer cannot be read."), {}, {}};
    const QJsonObject seat = o.value(QLatin1String("sidlo")).toObject();
    QString address = oneLine(field(seat, "textovaAdresa"));
    if (address.isEmpty()) address = addressFromParts(seat);
    Buyer b;
    b.name = name.left(kNameLength);
    b.address = address.left(kAddressLength);
    b.ico = field(o, "ico").isEmpty() ? askedIco : normalIco(field(o, "ico"));
    b.dic = field(o, "dic").toUpper();
    return {AresOutcome::Found, QStringLiteral("Filled from the register."), {}, b};
}

AresLookup::AresLookup(QObject* parent, int timeoutMs, QString baseUrl)
    : QObject(parent), m_timeoutMs(timeoutMs), m_baseUrl(std::move(baseUrl)), m_network(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        end({AresOutcome::TimedOut, QStringLiteral("The register did not answer within %1 s."),
             {QString::number(m_timeoutMs / 1000.0)}, {}});
    });
}

AresLookup::~AresLookup() { cancel(); }

bool AresLookup::start(const QString& ico)
{
    const QString number = normalIco(ico);
    if (m_busy || !validIco(number)) return false;
    m_busy = true;
    m_ico = number;
    m_body.clear();
    QString base = m_baseUrl.isEmpty() ? aresBaseUrl() : m_baseUrl;
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    const QUrl url(base + QLatin1Char('/') + number);
    if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
        // Said from the event loop, as every other outcome is.
        QTimer::singleShot(0, this, [this, url] {
            if (m_busy)
                end({AresOutcome::Unreachable, QStringLiteral("The register's address is not an http or https address: %1"),
                     {url.toString()}, {}});
        });
        return true;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setRawHeader("Accept", "application/json");
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tamarel"));
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &AresLookup::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &AresLookup::onFinished);
    m_deadline.start(m_timeoutMs);
    return true;
}

void AresLookup::cancel()
{
    m_busy = false;
    m_deadline.stop();
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void AresLookup::onReadyRead()
{
    if (!m_reply) return;
    m_body += m_reply->read(kAresMaxBytes + 1 - m_body.size());
    if (m_body.size() > kAresMaxBytes)
        end({AresOutcome::Refused, QStringLiteral("The register's answer is larger than %1 KB: it is not a company's record."),
             {QString::number(kAresMaxBytes / 1024)}, {}});
}

void AresLookup::onFinished()
{
    onReadyRead();
    if (!m_reply) return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0 && m_reply->error() != QNetworkReply::NoError) {
        end({AresOutcome::Unreachable, QStringLiteral("The register cannot be reached: %1"), {m_reply->errorString()}, {}});
        return;
    }
    end(readAresAnswer(status, m_body, m_ico));
}

void AresLookup::end(const AresAnswer& answer)
{
    cancel();
    m_body.clear();
    emit finished(answer);
}

}  // namespace invoices
