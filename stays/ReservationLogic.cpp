// The reservation dialog's logic: conversions, save checks and statement texts.
//
// Rounding works on the value scaled to hundredths and treats anything within a few units
// of the last binary place of an exact half as that half: the amounts are decimal numbers
// (two places, rates four), so 0.135 stands for the decimal half 13.5 hundredths even though
// the double holds 0.13500000000000000888. Hundredths are held in 64 bits: a 32-bit count
// would wrap above 21 474 836.47, which a CZK total of a long stay can reach.

#include "stays/ReservationLogic.h"

#include "shell/Statement.h"

#include <cmath>
#include <stdexcept>
#include <vector>

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
// A text value of the reservation's statements: quoted, with the apostrophe rule applied to
// the value alone, so a folder path with an apostrophe still names the table file.
QString text(const QString& value)
{
    QString quoted = shell::QuoteText(value);
    shell::EscapeApostrophes(quoted);
    return quoted;
}

QString flag(bool on) { return text(on ? QStringLiteral("1") : QStringLiteral("0")); }

// The parts of both statements: the table, then the row's values in the order both name
// them (KID .. UPMT), then the stay's BID for the update.
std::vector<QString> parts(const QString& folder, const ReservationRow& r)
{
    return {shell::Table(folder, u"POBYTY.DB"), QString::number(r.KID), text(r.PID), text(r.dateFrom),
            text(r.dateThru), text(QString(r.status)), text(r.bookThru), QString::number(r.persons), flag(r.business),
            shell::NumberForSql(r.priceEur), shell::NumberForSql(r.priceCzk), shell::NumberForSql(r.maidEur),
            shell::NumberForSql(r.maidCzk), text(r.bookedFor), text(QString(r.knowsFrom)), text(r.user), text(r.date),
            text(r.time)};
}
}  // namespace

QString reservationInsertSql(const QString& folder, const ReservationRow& r)
{
    return shell::Compose(u"INSERT INTO %1 (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS,  BUSINESS, PRICEEUR, "
                          u"PRICECZK, MAIDEUR, MAIDCZK,  BOOKEDFOR, BOOKEDKNFR, DISCOUNT, USR, UPMJ, UPMT) VALUES (%2, "
                          u"%3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13, %14, %15, \" \", %16, %17, %18)",
                          parts(folder, r));
}

QString reservationUpdateSql(const QString& folder, int bid, const ReservationRow& r)
{
    std::vector<QString> p = parts(folder, r);
    p.push_back(QString::number(bid));
    return shell::Compose(u"UPDATE %1 SET  KID=%2, PID=%3, DATEFROM=%4, DATETHRU=%5, STATUS=%6,   PRTHRU=%7, "
                          u"NUMPERS=%8, BUSINESS=%9, PRICEEUR=%10, PRICECZK=%11, MAIDEUR=%12, MAIDCZK=%13, "
                          u"BOOKEDFOR=%14, BOOKEDKNFR=%15,   DISCOUNT=\" \", USR=%16, UPMJ=%17, UPMT=%18 WHERE BID=%19",
                          p);
}

QString reservationLoadSql(const QString& db, int bid)
{
    return shell::Sql(u"SELECT * FROM %1 WHERE BID=%2", shell::Table(db, u"POBYTY.DB"), bid);
}

QString lastBidSql(const QString& db)
{
    return shell::Sql(u"SELECT max(BID) AS BIDMAX FROM %1", shell::Table(db, u"POBYTY.DB"));
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
