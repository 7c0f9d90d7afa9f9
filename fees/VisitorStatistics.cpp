// The statistical office's counts; see VisitorStatistics.h.
#include "fees/VisitorStatistics.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "engine/Engine.h"
#include "fees/FeeLaw.h"
#include "guests/HotelSettings.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace fees {

std::optional<StatPeriod> parseStatPeriod(const QString& text)
{
    static const QRegularExpression month(QStringLiteral("^(\\d{1,2})\\.(\\d{4})$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})$"));
    static const QRegularExpression quarter(QStringLiteral("^[Qq]([1-4])\\.(\\d{4})$"));
    const QString t = text.trimmed();
    int y = 0, first = 0, months = 1;
    if (const auto m = month.match(t); m.hasMatch()) y = m.captured(2).toInt(), first = m.captured(1).toInt();
    else if (const auto m = iso.match(t); m.hasMatch()) y = m.captured(1).toInt(), first = m.captured(2).toInt();
    else if (const auto m = quarter.match(t); m.hasMatch()) y = m.captured(2).toInt(), first = 3 * m.captured(1).toInt() - 2, months = 3;
    if (first < 1 || first > 12 || y < 1900) return std::nullopt;
    const QDate from(y, first, 1);
    return StatPeriod{from, from.addMonths(months).addDays(-1)};
}

VisitorStatistics countVisitors(const QList<StayingGuest>& guests, const QDate& from, const QDate& thru)
{
    VisitorStatistics s;
    s.from = from;
    s.thru = thru;
    s.daysOpen = from.isValid() && thru.isValid() ? std::max<qint64>(0, from.daysTo(thru) + 1) : 0;
    const QDate end = thru.addDays(1);   // the night of thru is in the period
    QMap<QString, CountryCount> byCountry;
    for (const StayingGuest& g : guests) {
        if (!g.from.isValid() || !g.thru.isValid()) continue;
        const bool arrived = g.from >= from && g.from <= thru;
        const QDate first = std::max(g.from, from), last = std::min(g.thru, end);
        const qint64 nights = std::max<qint64>(0, first.daysTo(last));
        if (!arrived && nights == 0) continue;
        QString code = g.citizen.trimmed().toUpper();
        if (code.isEmpty()) code = QString::fromLatin1(kUnknownCountry);
        CountryCount& c = byCountry[code];
        c.country = code;
        c.arrivals += arrived ? 1 : 0;
        c.nights += nights;
        s.arrivals += arrived ? 1 : 0;
        s.nights += nights;
    }
    s.countries = byCountry.values();   // QMap keeps them sorted by code
    return s;
}

int bedsOfRooms(const QStringList& roomIds, const QMap<QString, QString>& settings)
{
    int beds = 0;
    for (const QString& id : roomIds) beds += settings.value(QLatin1String(kBedsKeyPrefix) + id.trimmed()).toInt();
    return beds;
}

VisitorStatistics readVisitorStatistics(engine::Database& db, const QString& prefix, const QDate& from, const QDate& thru)
{
    const QString fromText = shell::QuoteText(shell::DateText(from)), thruText = shell::QuoteText(shell::DateText(thru));
    QSet<int> counted;
    auto stays = db.open(shell::Sql(u"SELECT BID FROM %1 WHERE DATETHRU>=%2 AND DATEFROM<=%3 AND STATUS IN (\"H\", \"O\")",
                                    shell::Table(prefix, u"POBYTY.DB"), fromText, thruText)
                             .toStdString());
    while (stays->next()) counted.insert(int(stays->integer(0)));
    QList<StayingGuest> guests;
    auto q = db.open(shell::Sql(u"SELECT BID, CITIZEN, DATEFROM, DATETHRU FROM %1 WHERE DATEFROM<=%2 AND DATETHRU>=%3",
                                shell::Table(prefix, u"HOSTE.DB"), thruText, fromText)
                         .toStdString());
    while (q->next()) {
        if (!counted.contains(int(q->integer(0))) || q->isNull(2) || q->isNull(3)) continue;
        guests.append({QString::fromStdString(q->text(1)), shell::DateFromNumber(double(q->integer(2))),
                       shell::DateFromNumber(double(q->integer(3)))});
    }
    VisitorStatistics s = countVisitors(guests, from, thru);
    QStringList rooms;
    auto r = db.open(shell::Sql(u"SELECT PID FROM %1", shell::Table(prefix, u"POKOJE.DB")).toStdString());
    while (r->next()) rooms << QString::fromStdString(r->text(0));
    s.rooms = int(rooms.size());
    s.beds = bedsOfRooms(rooms, guests::readSettings(db, prefix));
    return s;
}

QByteArray visitorStatisticsCsv(const VisitorStatistics& s)
{
    QString out = QStringLiteral("country;arrivals;nights\r\n");
    for (const CountryCount& c : s.countries)
        out += c.country + QLatin1Char(';') + QString::number(c.arrivals) + QLatin1Char(';') + QString::number(c.nights) +
               QStringLiteral("\r\n");
    out += QStringLiteral("total;") + QString::number(s.arrivals) + QLatin1Char(';') + QString::number(s.nights) +
           QStringLiteral("\r\n");
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

}  // namespace fees
