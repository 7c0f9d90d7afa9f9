// The confirmation's statements, rate texts, placeholder values and form values.
//
// Invariants: see ConfirmationLogic.h.

#include "documents/ConfirmationLogic.h"

#include "engine/Engine.h"
#include "shell/Money.h"
#include "shell/Statement.h"

namespace documents {

namespace {
long long whole(double value) { return static_cast<long long>(shell::roundHalfEven(value)); }
}  // namespace

QString ConfirmationReportSql(const QString& db, int bid)
{
    return shell::Sql(u"SELECT PNAME,PPRICE,PDESCR,MAIDPRICE, AGENCY,   DATEFROM,DATETHRU, DATETHRU-DATEFROM as "
                          "NIGHTS,   TITLE,SURNAME,NAME, NAME+\" \"+SURNAME AS CLIENT, PASSPORT,COUNTRY,   CARDNUM, "
                          "CARDEXP,CARDTYPE,NUMPERS,PRICEEUR,MAIDEUR from %1 AS POK,%2 AS "
                          "POB,      %3 AS KAR WHERE POB.BID=%4 and POB.PID=POK.PID and KAR.KID=POB.KID",
                      shell::Table(db, u"POKOJE.DB"), shell::Table(db, u"POBYTY.DB"), shell::Table(db, u"KARTY.DB"), bid);
}

QString ConfirmationEmailSql(const QString& db, int bid)
{
    return shell::Sql(u"SELECT POB.*, POK.*, KAR.*, DATETHRU-DATEFROM as NIGHTS, NAME+\" \"+SURNAME AS CLIENT from "
                          "%1 AS POK,%2 AS POB,      %3 AS KAR WHERE POB.BID=%4 "
                          "and POB.PID=POK.PID and KAR.KID=POB.KID",
                      shell::Table(db, u"POKOJE.DB"), shell::Table(db, u"POBYTY.DB"), shell::Table(db, u"KARTY.DB"), bid);
}

std::optional<QString> StayRow::column(const QString& name) const
{
    for (const auto& [field, text] : columns)
        if (field.compare(name, Qt::CaseInsensitive) == 0) return text;
    return std::nullopt;
}

StayRow ReadStayRow(const engine::Query& query)
{
    StayRow row;
    const auto& fields = query.fields();
    for (int i = 0; i < int(fields.size()); ++i)
        row.columns.append({QString::fromStdString(fields[i].name), QString::fromStdString(query.text(i))});
    auto number = [&query](const char* name) {
        const int i = query.fieldIndex(name);
        return i < 0 ? 0.0 : query.number(i);
    };
    row.PRICEEUR = number("PRICEEUR");
    row.MAIDEUR = number("MAIDEUR");
    row.NIGHTS = number("NIGHTS");
    return row;
}

std::optional<long long> WholePerNight(double amount, double nights)
{
    const long long n = whole(nights);
    if (n == 0) return std::nullopt;
    return whole(amount) / n;
}

QString DailyRateText(double priceEur, double maidEur, double nights)
{
    const auto room = WholePerNight(priceEur, nights);
    const auto maid = WholePerNight(maidEur, nights);
    if (!room || !maid) return {};
    return QString::number(*room) + QStringLiteral(" EUR/accommodation/night + ") + QString::number(*maid) +
           QStringLiteral(" EUR/maid service/day");
}

QString TotalText(double priceEur, double maidEur)
{
    return QString::number(whole(priceEur)) + QStringLiteral(" + ") + QString::number(whole(maidEur)) +
           QStringLiteral(" EUR");
}

PlaceholderValue ConfirmationPlaceholder(const QString& name, const ConfirmationTexts& texts, const StayRow& stay)
{
    if (name == QLatin1String("RATE")) {
        const auto rate = WholePerNight(stay.PRICEEUR, stay.NIGHTS);
        return rate ? PlaceholderValue::found(QString::number(*rate)) : PlaceholderValue::failed();
    }
    if (name == QLatin1String("TOTAL")) return PlaceholderValue::found(TotalText(stay.PRICEEUR, stay.MAIDEUR));
    if (name == QLatin1String("BREAKFAST")) return PlaceholderValue::found(texts.breakfast);
    if (name == QLatin1String("SPECIALOFFER")) return PlaceholderValue::found(texts.specialOffer);
    if (name == QLatin1String("USERNAME")) return PlaceholderValue::found(texts.userName);
    if (const auto value = stay.column(name)) return PlaceholderValue::found(*value);
    return PlaceholderValue::unknown();
}

ConfirmationForm MakeConfirmationForm(const StayRow* stay, const ConfirmationTexts& texts)
{
    ConfirmationForm form;
    form.specialOffer = texts.specialOffer;
    form.breakfast = texts.breakfast;
    form.userName = texts.userName;
    form.showSpecialOffer = !texts.specialOffer.isEmpty();
    if (!stay) return form;
    form.client = stay->text(QStringLiteral("CLIENT"));
    form.agency = stay->text(QStringLiteral("AGENCY"));
    form.cardNum = stay->text(QStringLiteral("CARDNUM"));
    form.cardType = stay->text(QStringLiteral("CARDTYPE"));
    form.cardExp = stay->text(QStringLiteral("CARDEXP"));
    form.country = stay->text(QStringLiteral("COUNTRY"));
    form.dateFrom = stay->text(QStringLiteral("DATEFROM"));
    form.dateThru = stay->text(QStringLiteral("DATETHRU"));
    form.nights = stay->text(QStringLiteral("NIGHTS"));
    form.roomName = stay->text(QStringLiteral("PNAME"));
    form.roomDescr = stay->text(QStringLiteral("PDESCR"));
    form.numPers = stay->text(QStringLiteral("NUMPERS"));
    form.dailyRate = DailyRateText(stay->PRICEEUR, stay->MAIDEUR, stay->NIGHTS);
    form.total = TotalText(stay->PRICEEUR, stay->MAIDEUR);
    return form;
}

}  // namespace documents
