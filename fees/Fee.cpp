// The accommodation fee's rules, the fee of a person, the fee book and its CSV; see Fee.h.
#include "fees/Fee.h"

#include <QRegularExpression>
#include <QSet>
#include <cstdlib>

#include "engine/Engine.h"
#include "fees/FeeLaw.h"
#include "guests/HotelSettings.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace fees {

namespace {

QString asIs(const QString& s) { return s; }
QString dayText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

QString csvField(QString s)
{
    if (s.contains(QLatin1Char(';')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r')))
        s = QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return s;
}

QString csvLine(const QStringList& cells)
{
    QStringList quoted;
    for (const QString& c : cells) quoted << csvField(c);
    return quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}

}  // namespace

FeeRules feeRules(const QMap<QString, QString>& s)
{
    FeeRules rules;
    bool ok = false;
    const double rate = s.value(QLatin1String(kRateKey)).toDouble(&ok);
    rules.rate = ok && rate > 0 && rate <= kMaxRate ? shell::hundredthsHalfEven(rate) : 0;
    const int days = s.value(QLatin1String(kDaysKey)).toInt(&ok);
    rules.maxNights = ok && days > 0 ? days : kDefaultDays;
    rules.exemptUnderAge = kExemptUnderAge;
    rules.onAccount = s.value(QLatin1String(kOnAccountKey)).trimmed() == QLatin1String("1");
    rules.reasons = guests::feeExemptionReasons(s);
    return rules;
}

int ageOn(const QString& birth, const QDate& day)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})\\s*$"));
    const auto m = re.match(birth);
    if (!m.hasMatch() || !day.isValid()) return -1;
    int d = m.captured(1).toInt(), mo = m.captured(2).toInt();
    const int y = m.captured(3).toInt();
    if (y == 0) return -1;
    if (mo == 0) d = 1, mo = 1;
    if (d == 0) d = 1;
    if (mo > 12 || !QDate(y, mo, 1).isValid()) return -1;
    d = std::min(d, QDate(y, mo, 1).daysInMonth());
    int age = day.year() - y;
    if (day.month() < mo || (day.month() == mo && day.day() < d)) --age;
    return age;
}

PersonFee personFee(const guests::Guest& g, const FeeRules& rules)
{
    PersonFee f;
    f.nights = g.DATEFROM.isValid() && g.DATETHRU.isValid() ? std::max<qint64>(0, g.DATEFROM.daysTo(g.DATETHRU)) : 0;
    if (f.nights == 0) return f;
    const int age = ageOn(g.DATEBIRTH, g.DATEFROM);
    if (!g.FEEEXEMPT.trimmed().isEmpty()) {
        f.exemption = Exemption::Reason;
        f.reason = g.FEEEXEMPT.trimmed();
    } else if (age >= 0 && age < rules.exemptUnderAge) {
        f.exemption = Exemption::UnderAge;
    } else if (f.nights > rules.maxNights) {
        f.exemption = Exemption::OverLimit;
    } else {
        f.fee = shell::Hundredths(f.nights) * rules.rate;
    }
    return f;
}

QString exemptionText(const PersonFee& fee)
{
    switch (fee.exemption) {
    case Exemption::None: return {};
    case Exemption::Reason: return fee.reason;
    case Exemption::UnderAge: return QStringLiteral("under 18 on arrival");
    case Exemption::OverLimit: return QStringLiteral("stay over the limit of nights");
    }
    return {};
}

FeeBook makeFeeBook(const QList<guests::Guest>& persons, const FeeRules& rules, const QDate& from, const QDate& thru)
{
    FeeBook book;
    book.from = from;
    book.thru = thru;
    book.rate = rules.rate;
    book.rows.reserve(persons.size());
    for (const guests::Guest& g : persons) {
        const PersonFee f = personFee(g, rules);
        book.rows.append({g, f});
        book.total += f.fee;
        ++book.persons;
        book.nights += f.nights;
        if (f.exemption != Exemption::None) {
            ++book.exemptPersons;
            book.exemptNights += f.nights;
        }
    }
    return book;
}

QList<guests::Guest> feeBookPersons(engine::Database& db, const QString& prefix, const QDate& from, const QDate& thru)
{
    // The stays' states are read first and the guests filtered here: one pass over each file,
    // no join the planner could turn into a scan per guest.
    // A guest's arrival lies within the stay's days, so only the stays touching the period count.
    QSet<int> counted;
    auto stays = db.open(shell::Sql(u"SELECT BID FROM %1 WHERE DATETHRU>=%2 AND DATEFROM<=%3 AND STATUS IN (\"H\", \"O\")",
                                    shell::Table(prefix, u"POBYTY.DB"), shell::QuoteText(shell::DateText(from)),
                                    shell::QuoteText(shell::DateText(thru)))
                             .toStdString());
    while (stays->next()) counted.insert(int(stays->integer(0)));
    QList<guests::Guest> persons;
    for (const guests::Guest& g : guests::bookGuests(db, prefix, {from, thru, false, false}))
        if (counted.contains(g.BID)) persons << g;
    return persons;
}

FeeBook readFeeBook(engine::Database& db, const QString& prefix, const QDate& from, const QDate& thru)
{
    const FeeRules rules = feeRules(guests::readSettings(db, prefix));
    return makeFeeBook(feeBookPersons(db, prefix, from, thru), rules, from, thru);
}

QString plainAmount(shell::Hundredths amount)
{
    const shell::Hundredths whole = std::llabs(amount) / 100, cents = std::llabs(amount) % 100;
    return (amount < 0 ? QStringLiteral("-") : QString()) + QString::number(whole) + QLatin1Char('.') +
           QString::number(cents).rightJustified(2, QLatin1Char('0'));
}

QByteArray feeBookCsv(const FeeBook& book, QString (*tr)(const QString&))
{
    if (!tr) tr = &asIs;
    QString out = QStringLiteral("arrival;departure;surname;name;address;birth;doctype;docnum;nights;rate;fee;exemption\r\n");
    for (const FeeBookRow& r : book.rows) {
        const guests::Guest& g = r.person;
        const bool exempt = r.fee.exemption != Exemption::None;
        out += csvLine({dayText(g.DATEFROM), dayText(g.DATETHRU), g.SURNAME, g.NAME, g.ADDRESS, g.DATEBIRTH, g.DOCTYPE, g.DOCNUM,
                        QString::number(r.fee.nights), plainAmount(book.rate), plainAmount(r.fee.fee),
                        r.fee.exemption == Exemption::Reason ? r.fee.reason : (exempt ? tr(exemptionText(r.fee)) : QString())});
    }
    out += csvLine({QStringLiteral("total"), {}, {}, {}, {}, {}, {}, {}, QString::number(book.nights), {},
                    plainAmount(book.total), {}});
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

StayFee stayFee(const QList<guests::Guest>& persons, const FeeRules& rules)
{
    StayFee s;
    for (const guests::Guest& g : persons) {
        const PersonFee f = personFee(g, rules);
        if (f.exemption != Exemption::None || f.nights == 0) continue;
        s.amount += f.fee;
        ++s.persons;
        s.nights += f.nights;
    }
    return s;
}

}  // namespace fees
