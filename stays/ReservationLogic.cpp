// The reservation dialog's logic: conversions, save checks and statement texts.
//
// Rounding works on the value scaled to hundredths and treats anything within a few units
// of the last binary place of an exact half as that half: the amounts are decimal numbers
// (two places, rates four), so 0.135 stands for the decimal half 13.5 hundredths even though
// the double holds 0.13500000000000000888. Hundredths are held in 64 bits: a 32-bit count
// would wrap above 21 474 836.47, which a CZK total of a long stay can reach.

#include "stays/ReservationLogic.h"

#include <cmath>
#include <stdexcept>

#include "shell/ValueHelpers.h"

namespace stays {

namespace {

// The day number of a date box text, or nothing for an empty or invalid text.
std::optional<int> dayOf(const QString& text)
{
    try {
        return shell::ParseDayMonthYear(text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool isBlankOrSingleSpace(const QString& text) { return text.isEmpty() || text == QStringLiteral(" "); }

SaveIssue refuse(SaveStep step, const char* message)
{
    return {step, IssueKind::Refuse, QString::fromUtf8(message)};
}

}  // namespace

SaveStep nextStep(SaveStep step)
{
    return step == SaveStep::Done ? SaveStep::Done : SaveStep(int(step) + 1);
}

SaveIssue nextSaveIssue(const ReservationInput& in, SaveStep from)
{
    for (SaveStep step = from; step != SaveStep::Done; step = nextStep(step)) {
        switch (step) {
        case SaveStep::ClientChosen:
            if (in.clientInDatabase
                && (in.kidText.isEmpty() || in.kidText == QStringLiteral("0") || in.clientName.isEmpty()))
                return refuse(step, "Client not chosen");
            break;
        case SaveStep::SurnameGiven:
            if (!in.clientInDatabase && isBlankOrSingleSpace(in.bookedFor))
                return refuse(step, "Insert at least surname of the client");
            break;
        case SaveStep::KnowsFromGiven:
            if (!in.clientInDatabase && (!in.knowsFromChosen || in.knowsFromItem.startsWith(QLatin1Char(' '))))
                return {step, IssueKind::Ask, QStringLiteral("\"Knows from\" is empty. Ignore?")};
            break;
        case SaveStep::DatesInOrder: {
            const auto first = dayOf(in.dateFrom), departure = dayOf(in.dateThru);
            if (!first || !departure || *departure <= *first)
                return refuse(step, "Dates of stay not specified correctly");
            break;
        }
        case SaveStep::NightsPositive:
            if (in.nights <= 0) return refuse(step, "Dates of stay not specified correctly");
            break;
        case SaveStep::RoomChosen:
            if (in.roomName.isEmpty()) return refuse(step, "Room not specified");
            break;
        case SaveStep::NoZeroAmount:
            if (in.priceEur == 0 || in.priceCzk == 0 || in.maidEur == 0 || in.maidCzk == 0)
                return {step, IssueKind::Ask, QStringLiteral("Zero amount specified. Is it correct?")};
            break;
        case SaveStep::BookThruGiven:
            if (!dayOf(in.bookThru)) {
                if (isDefinitive(in.statusIndex)) return refuse(step, "\"Book thru\" date not specified");
                return {step, IssueKind::FillBookThru, QString()};
            }
            break;
        case SaveStep::PersonsPositive:
            if (in.persons <= 0) return refuse(step, "Invalid number of persons");
            break;
        case SaveStep::Done: break;
        }
    }
    return {};
}

QChar statusCode(int statusIndex)
{
    switch (statusIndex) {
    case 0: return QLatin1Char('P');
    case 1: return QLatin1Char('R');
    default: return QLatin1Char('?');
    }
}

bool isDefinitive(int statusIndex) { return statusIndex == 1; }

QChar knowsFromCode(bool chosen, const QString& item)
{
    return chosen && !item.isEmpty() ? item.at(0) : QLatin1Char(' ');
}

int kidValue(const QString& kidText) { return shell::DigitsToInt(kidText); }

namespace {
// The apostrophe rule is meant for the values: the folder path goes in after it, so a path
// with an apostrophe still names the table file.
QString escapedWithFolder(QString sql, const QString& marker, const QString& folder)
{
    shell::EscapeApostrophes(sql);
    return sql.replace(marker, folder);
}
}  // namespace

QString reservationInsertSql(const QString& folder, const ReservationRow& r)
{
    using shell::QuoteText;
    const QString db(QChar(0xE000));
    QString sql = QStringLiteral("INSERT INTO \"%1POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS,  "
                                 "BUSINESS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK,  BOOKEDFOR, BOOKEDKNFR, DISCOUNT, USR, "
                                 "UPMJ, UPMT) VALUES (")
                      .arg(db);
    sql += QString::number(r.KID) + QStringLiteral(", ") + QuoteText(r.PID) + QStringLiteral(", ")
        + QuoteText(r.dateFrom) + QStringLiteral(", ") + QuoteText(r.dateThru) + QStringLiteral(", ")
        + QuoteText(QString(r.status)) + QStringLiteral(", ") + QuoteText(r.bookThru) + QStringLiteral(", ")
        + QString::number(r.persons) + QStringLiteral(", ") + QuoteText(r.business ? QStringLiteral("1") : QStringLiteral("0"))
        + QStringLiteral(", ") + shell::NumberForSql(r.priceEur) + QStringLiteral(", ") + shell::NumberForSql(r.priceCzk)
        + QStringLiteral(", ") + shell::NumberForSql(r.maidEur) + QStringLiteral(", ") + shell::NumberForSql(r.maidCzk)
        + QStringLiteral(", ") + QuoteText(r.bookedFor) + QStringLiteral(", ") + QuoteText(QString(r.knowsFrom))
        + QStringLiteral(", \" \", ") + QuoteText(r.user) + QStringLiteral(", ") + QuoteText(r.date) + QStringLiteral(", ")
        + QuoteText(r.time) + QStringLiteral(")");
    return escapedWithFolder(sql, db, folder);
}

QString reservationUpdateSql(const QString& folder, int bid, const ReservationRow& r)
{
    using shell::QuoteText;
    const QString db(QChar(0xE000));
    QString sql = QStringLiteral("UPDATE \"%1POBYTY.DB\" SET  KID=").arg(db) + QString::number(r.KID)
        + QStringLiteral(", PID=") + QuoteText(r.PID) + QStringLiteral(", DATEFROM=") + QuoteText(r.dateFrom)
        + QStringLiteral(", DATETHRU=") + QuoteText(r.dateThru) + QStringLiteral(", STATUS=") + QuoteText(QString(r.status))
        + QStringLiteral(",   PRTHRU=") + QuoteText(r.bookThru) + QStringLiteral(", NUMPERS=") + QString::number(r.persons)
        + QStringLiteral(", BUSINESS=") + QuoteText(r.business ? QStringLiteral("1") : QStringLiteral("0"))
        + QStringLiteral(", PRICEEUR=") + shell::NumberForSql(r.priceEur) + QStringLiteral(", PRICECZK=")
        + shell::NumberForSql(r.priceCzk) + QStringLiteral(", MAIDEUR=") + shell::NumberForSql(r.maidEur)
        + QStringLiteral(", MAIDCZK=") + shell::NumberForSql(r.maidCzk) + QStringLiteral(", BOOKEDFOR=")
        + QuoteText(r.bookedFor) + QStringLiteral(", BOOKEDKNFR=") + QuoteText(QString(r.knowsFrom))
        + QStringLiteral(",   DISCOUNT=\" \", USR=") + QuoteText(r.user) + QStringLiteral(", UPMJ=") + QuoteText(r.date)
        + QStringLiteral(", UPMT=") + QuoteText(r.time) + QStringLiteral(" WHERE BID=") + QString::number(bid);
    return escapedWithFolder(sql, db, folder);
}

QString reservationLoadSql(const QString& db, int bid)
{
    return QStringLiteral("SELECT * FROM \"%1POBYTY.DB\" WHERE BID=%2").arg(db).arg(bid);
}

QString lastBidSql(const QString& db)
{
    return QStringLiteral("SELECT max(BID) AS BIDMAX FROM \"%1POBYTY.DB\"").arg(db);
}

QString clientDisplayName(const QString& title, const QString& surname, const QString& name, const QString& country)
{
    QString text = title.isEmpty() ? surname + QLatin1Char(' ') + name
                                   : title + QLatin1Char(' ') + surname + QLatin1Char(' ') + name;
    if (!country.isEmpty()) {
        while (text.endsWith(QLatin1Char(' '))) text.chop(1);
        text += QStringLiteral(", ") + country;
    }
    return text;
}

}  // namespace stays
