// The guest book's rows: reading, writing and the checks of the guests window; see Guest.h.
#include "guests/Guest.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "engine/Engine.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace guests {

namespace {

constexpr const char* kColumns =
    "HID, BID, KID, SURNAME, NAME, DATEBIRTH, CITIZEN, DOCTYPE, DOCNUM, VISA, ADDRESS, PURPOSE, DATEFROM, DATETHRU, "
    "FEEEXEMPT, REPORTED, NOTE";

QString table(const QString& prefix) { return shell::Table(prefix, u"HOSTE.DB"); }
std::string file(const QString& prefix) { return (prefix + QLatin1String(kGuestsFile)).toStdString(); }

QString dateOrNull(const QDate& d) { return d.isValid() ? shell::QuoteText(shell::DateText(d)) : QStringLiteral("null"); }

QDate dateAt(const engine::Query& q, int i) { return q.isNull(i) ? QDate() : shell::DateFromNumber(double(q.integer(i))); }
QString textAt(const engine::Query& q, int i) { return QString::fromStdString(q.text(i)); }

Guest readGuest(const engine::Query& q)
{
    Guest g;
    g.HID = int(q.integer(0));
    g.BID = int(q.integer(1));
    g.KID = int(q.integer(2));
    g.SURNAME = textAt(q, 3);
    g.NAME = textAt(q, 4);
    g.DATEBIRTH = textAt(q, 5);
    g.CITIZEN = textAt(q, 6);
    g.DOCTYPE = textAt(q, 7);
    g.DOCNUM = textAt(q, 8);
    g.VISA = textAt(q, 9);
    g.ADDRESS = textAt(q, 10);
    g.PURPOSE = textAt(q, 11);
    g.DATEFROM = dateAt(q, 12);
    g.DATETHRU = dateAt(q, 13);
    g.FEEEXEMPT = textAt(q, 14);
    g.REPORTED = dateAt(q, 15);
    g.NOTE = textAt(q, 16);
    return g;
}

QList<Guest> readAll(engine::Database& db, const QString& sql)
{
    auto q = db.open(sql.toStdString());
    QList<Guest> rows;
    while (q->next()) rows << readGuest(*q);
    return rows;
}

// The values of a row's own fields (everything but HID and REPORTED), in kColumns order.
QStringList rowValues(const Guest& g, int bid)
{
    return {QString::number(bid),          QString::number(g.KID),        shell::QuoteText(g.SURNAME),
            shell::QuoteText(g.NAME),      shell::QuoteText(g.DATEBIRTH), shell::QuoteText(g.CITIZEN.toUpper()),
            shell::QuoteText(g.DOCTYPE),   shell::QuoteText(g.DOCNUM),    shell::QuoteText(g.VISA),
            shell::QuoteText(g.ADDRESS),   shell::QuoteText(g.PURPOSE),   dateOrNull(g.DATEFROM),
            dateOrNull(g.DATETHRU),        shell::QuoteText(g.FEEEXEMPT), shell::QuoteText(g.NOTE)};
}
const QStringList kRowColumns = {"BID",     "KID",    "SURNAME",  "NAME",     "DATEBIRTH", "CITIZEN", "DOCTYPE", "DOCNUM",
                                 "VISA",    "ADDRESS", "PURPOSE", "DATEFROM", "DATETHRU",  "FEEEXEMPT", "NOTE"};

}  // namespace

QString Guest::fullName() const { return (SURNAME + QLatin1Char(' ') + NAME).trimmed(); }

bool guestBookReady(engine::Database& db, const QString& prefix)
{
    if (!prefix.isEmpty()) return QFileInfo::exists(prefix + QLatin1String(kGuestsFile)) && QFileInfo::exists(prefix + QStringLiteral("NASTAVENI.DB"));
    try {
        db.open(shell::Sql(u"SELECT COUNT(*) AS N FROM %1", table(prefix)).toStdString());
        db.open(shell::Sql(u"SELECT COUNT(*) AS N FROM %1", shell::Table(prefix, u"NASTAVENI.DB")).toStdString());
        return true;
    } catch (const engine::Error&) {
        return false;
    }
}

QString birthDateText(const QString& cardDate)
{
    const QString t = cardDate.trimmed();
    if (t.isEmpty()) return {};
    try {
        return shell::DateFromNumber(shell::ParseDayMonthYear(t)).toString(QStringLiteral("dd.MM.yyyy"));
    } catch (const std::exception&) {
        return {};
    }
}

Guest guestFromClient(const TTableClients& card, int bid, const QDate& from, const QDate& thru,
                      QString (*countryToCode)(const QString&))
{
    Guest g;
    g.BID = bid;
    g.KID = card.KID;
    g.SURNAME = card.SURNAME.left(40);
    g.NAME = card.NAME.left(30);
    g.DATEBIRTH = birthDateText(card.DATEBIRTH);
    g.DOCNUM = card.PASSPORT.left(30);
    if (!g.DOCNUM.isEmpty()) g.DOCTYPE = QStringLiteral("P");
    QStringList address;
    for (const QString& part : {card.ADDRESS, (card.POSTAL + QLatin1Char(' ') + card.CITY).trimmed(), card.COUNTRY})
        if (!part.trimmed().isEmpty()) address << part.trimmed();
    g.ADDRESS = address.join(QStringLiteral(", ")).left(128);
    if (countryToCode) g.CITIZEN = countryToCode(card.COUNTRY);
    g.DATEFROM = from;
    g.DATETHRU = thru;
    return g;
}

QList<Guest> stayGuests(engine::Database& db, const QString& prefix, int bid)
{
    return readAll(db, shell::Sql(u"SELECT %1 FROM %2 WHERE BID=%3 ORDER BY HID", QLatin1String(kColumns), table(prefix), bid));
}

void saveStayGuests(engine::Database& db, const QString& prefix, int bid, QList<Guest>& guests, const QString& upmj,
                    const QString& upmt, const QList<NewCard>& cards)
{
    std::vector<std::string> files{file(prefix)};
    if (!cards.isEmpty()) files.push_back((prefix + QStringLiteral("KARTY.DB")).toStdString());
    auto change = db.beginChange(files);
    const QString t = table(prefix);
    for (const NewCard& card : cards) {
        if (card.index < 0 || card.index >= guests.size() || guests[card.index].KID != 0) continue;
        Guest& g = guests[card.index];
        // The card's birth date is a date: a partly unknown one stays off the card.
        const bool wholeDate = validBirthDate(g.DATEBIRTH) && !g.DATEBIRTH.startsWith(QLatin1String("00")) &&
                               g.DATEBIRTH.mid(3, 2) != QLatin1String("00");
        change->execute(shell::Sql(u"INSERT INTO %1 (SURNAME, NAME, ADDRESS, COUNTRY, DATEBIRTH, PASSPORT, USR, UPMJ, UPMT) "
                                   u"VALUES (%2, %3, %4, %5, %6, %7, %8, %9, %10)",
                                   shell::Table(prefix, u"KARTY.DB"), shell::QuoteText(g.SURNAME.left(40)),
                                   shell::QuoteText(g.NAME.left(30)), shell::QuoteText(g.ADDRESS.left(60)),
                                   shell::QuoteText(card.country.left(30)),
                                   wholeDate ? shell::QuoteText(g.DATEBIRTH) : QStringLiteral("null"),
                                   shell::QuoteText(g.DOCNUM.left(20)), shell::QuoteText(QString()), shell::QuoteText(upmj),
                                   shell::QuoteText(upmt))
                            .toStdString());
        g.KID = int(change->lastInsertKey());
    }
    QStringList kept;
    for (const Guest& g : guests)
        if (g.HID > 0) kept << QString::number(g.HID);
    change->execute((kept.isEmpty() ? shell::Sql(u"DELETE FROM %1 WHERE BID=%2", t, bid)
                                    : shell::Sql(u"DELETE FROM %1 WHERE BID=%2 AND HID NOT IN (%3)", t, bid, kept.join(u',')))
                        .toStdString());
    const QString audit = shell::Sql(u"%1, %2, %3", shell::QuoteText(QString()), shell::QuoteText(upmj), shell::QuoteText(upmt));
    for (Guest& g : guests) {
        const QStringList values = rowValues(g, bid);
        if (g.HID == 0) {
            change->execute(shell::Sql(u"INSERT INTO %1 (%2, USR, UPMJ, UPMT) VALUES (%3, %4)", t,
                                       kRowColumns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), audit)
                                .toStdString());
            g.HID = int(change->lastInsertKey());
        } else {
            QStringList sets;
            for (int i = 0; i < kRowColumns.size(); ++i) sets << kRowColumns[i] + QLatin1Char('=') + values[i];
            change->execute(shell::Sql(u"UPDATE %1 SET %2, USR=%3, UPMJ=%4, UPMT=%5 WHERE HID=%6", t,
                                       sets.join(QStringLiteral(", ")), shell::QuoteText(QString()),
                                       shell::QuoteText(upmj), shell::QuoteText(upmt), g.HID)
                                .toStdString());
        }
        g.BID = bid;
    }
    change->commit();
}

QList<Guest> bookGuests(engine::Database& db, const QString& prefix, const BookQuery& query)
{
    QString where = shell::Sql(u"DATEFROM>=%1 AND DATEFROM<=%2", dateOrNull(query.from), dateOrNull(query.thru));
    if (query.foreignOnly)
        where += shell::Sql(u" AND (CITIZEN IS NULL OR CITIZEN<>%1)", shell::QuoteText(QLatin1String(kCzech)));
    if (query.unreportedOnly) where += QStringLiteral(" AND REPORTED IS NULL");
    return readAll(db, shell::Sql(u"SELECT %1 FROM %2 WHERE %3 ORDER BY DATEFROM, HID", QLatin1String(kColumns),
                                  table(prefix), where));
}

void markReported(engine::Database& db, const QString& prefix, const QList<int>& hids, const QDate& day)
{
    auto change = db.beginChange({file(prefix)});
    constexpr int kPerStatement = 500;
    for (int i = 0; i < hids.size(); i += kPerStatement) {
        QStringList keys;
        for (int j = i; j < std::min<int>(hids.size(), i + kPerStatement); ++j) keys << QString::number(hids[j]);
        change->execute(shell::Sql(u"UPDATE %1 SET REPORTED=%2 WHERE HID IN (%3)", table(prefix), dateOrNull(day),
                                   keys.join(u','))
                            .toStdString());
    }
    change->commit();
}

bool validBirthDate(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{2})\\.(\\d{2})\\.(\\d{4})$"));
    const auto m = re.match(text);
    if (!m.hasMatch()) return false;
    const int d = m.captured(1).toInt(), mo = m.captured(2).toInt(), y = m.captured(3).toInt();
    if (y < 1850 || mo > 12 || d > 31) return false;
    if (mo == 0 || d == 0) return mo != 0 || d == 0;   // an unknown month makes the day unknown too
    return QDate(y, mo, d).isValid();
}

bool plausibleDocumentNumber(const QString& number)
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-Za-z](?:[0-9A-Za-z -]*[0-9A-Za-z])?$"));
    int alnum = 0;
    for (QChar c : number) alnum += c.isLetterOrNumber() ? 1 : 0;
    return number.size() <= 30 && alnum >= 4 && re.match(number).hasMatch();
}

QStringList missingPoliceFields(const Guest& g)
{
    QStringList missing;
    static const QRegularExpression year(QStringLiteral("\\d{4}$"));
    if (g.SURNAME.trimmed().isEmpty()) missing << QStringLiteral("surname");
    if (g.NAME.trimmed().isEmpty()) missing << QStringLiteral("first name");
    const auto y = year.match(g.DATEBIRTH.trimmed());
    if (!y.hasMatch() || y.captured(0) == QLatin1String("0000")) missing << QStringLiteral("birth year");
    if (g.CITIZEN.trimmed().isEmpty()) missing << QStringLiteral("citizenship");
    if (g.DOCNUM.trimmed().isEmpty()) missing << QStringLiteral("document number");
    if (!g.DATEFROM.isValid()) missing << QStringLiteral("from");
    if (!g.DATETHRU.isValid()) missing << QStringLiteral("to");
    return missing;
}

QString StayWarning::text(QString (*tr)(const QString&)) const
{
    QString out = tr ? tr(pattern) : pattern;
    // The guest's name is the first part and never translated; the field names follow.
    QStringList fields = parts.mid(1);
    if (translateParts && tr)
        for (QString& f : fields) f = tr(f);
    const QString first = parts.value(0);
    return translateParts ? out.arg(first, fields.join(QStringLiteral(", ")))
                          : (parts.size() > 1 ? out.arg(first, parts[1]) : out.arg(first));
}

QList<StayWarning> stayWarnings(const QList<Guest>& guests, int stayPersons)
{
    QList<StayWarning> warnings;
    if (stayPersons > 0 && guests.size() != stayPersons)
        warnings << StayWarning{QStringLiteral("The stay is for %1 persons and %2 are listed."),
                                {QString::number(stayPersons), QString::number(guests.size())}};
    for (qsizetype i = 0; i < guests.size(); ++i) {
        const Guest& g = guests[i];
        // A person not named yet is named by the place in the list ("#2").
        const QString who = g.fullName().isEmpty() ? QStringLiteral("#%1").arg(i + 1) : g.fullName();
        if (g.isForeign()) {
            const QStringList missing = missingPoliceFields(g);
            if (!missing.isEmpty())
                warnings << StayWarning{QStringLiteral("%1: the police need %2."), QStringList{who} + missing, true};
        }
        if (!g.DOCNUM.trimmed().isEmpty() && !plausibleDocumentNumber(g.DOCNUM.trimmed()))
            warnings << StayWarning{QStringLiteral("%1: the document number %2 is not plausible."), {who, g.DOCNUM}};
        if (!g.DATEBIRTH.isEmpty() && !validBirthDate(g.DATEBIRTH))
            warnings << StayWarning{QStringLiteral("%1: the birth date %2 is not DD.MM.YYYY."), {who, g.DATEBIRTH}};
    }
    return warnings;
}

}  // namespace guests
