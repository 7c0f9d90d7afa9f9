// The invoice's makings; see InvoiceDraft.h.
#include "invoices/InvoiceDraft.h"

#include <QMap>
#include <QStringList>
#include <algorithm>

#include "engine/Engine.h"
#include "guests/HotelSettings.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace invoices {

using shell::Sql;
using shell::Table;

QList<InvoiceLine> accountCharges(engine::Database& db, const QString& prefix, int uid)
{
    QMap<int, QString> typeNames;
    {
        auto q = db.open(Sql(u"SELECT UPID, UPNAME FROM %1", Table(prefix, u"UCPODEF.DB")).toStdString());
        while (q->next()) typeNames.insert(int(q->integer(0)), QString::fromStdString(q->text(1)));
    }
    QList<InvoiceLine> lines;
    auto q = db.open(Sql(u"SELECT UPID, DESCR, TAXRATE, AMNTEUR, AMNTCZK FROM %1 WHERE UID=%2 ORDER BY UPID, POLID",
                         Table(prefix, u"UCTYPOL.DB"), uid)
                         .toStdString());
    while (q->next()) {
        InvoiceLine l;
        l.upid = q->isNull(0) ? 0 : int(q->integer(0));
        l.typeName = typeNames.value(l.upid);
        l.descr = QString::fromStdString(q->text(1));
        l.vatRate = q->isNull(2) ? kNoVatRate : q->number(2);
        l.eur = shell::hundredthsHalfEven(q->number(3));
        l.czk = shell::hundredthsHalfEven(q->number(4));
        auto same = std::find_if(lines.begin(), lines.end(), [&](const InvoiceLine& o) {
            return o.upid == l.upid && o.descr == l.descr && o.vatRate == l.vatRate;
        });
        if (same == lines.end()) lines.append(l);
        else {
            same->eur += l.eur;
            same->czk += l.czk;
        }
    }
    return lines;
}

Buyer buyerFromCard(engine::Database& db, const QString& prefix, int kid)
{
    auto q = db.open(Sql(u"SELECT TITLE, SURNAME, NAME, ADDRESS, POSTAL, CITY, COUNTRY FROM %1 WHERE KID=%2",
                         Table(prefix, u"KARTY.DB"), kid)
                         .toStdString());
    Buyer b;
    if (!q->next()) return b;
    auto t = [&](int i) { return QString::fromStdString(q->text(i)).trimmed(); };
    QStringList name;
    for (int i : {0, 1, 2})
        if (!t(i).isEmpty()) name << t(i);
    b.name = name.join(QLatin1Char(' ')).left(100);
    QStringList address;
    if (!t(3).isEmpty()) address << t(3);
    const QString town = (t(4) + QLatin1Char(' ') + t(5)).trimmed();
    if (!town.isEmpty()) address << town;
    if (!t(6).isEmpty()) address << t(6);
    b.address = address.join(QStringLiteral(", ")).left(200);
    return b;
}

QDate lastCheckOut(engine::Database& db, const QString& prefix, int uid)
{
    // The day the guest left; a stay closed without a check-out time counts by its end.
    auto q = db.open(Sql(u"SELECT MAX(DATEOUT) AS LASTOUT, MAX(DATETHRU) AS LASTTHRU FROM %1 WHERE UID=%2",
                         Table(prefix, u"POBYTY.DB"), uid)
                         .toStdString());
    if (!q->next()) return {};
    const int column = q->isNull(0) ? 1 : 0;
    if (q->isNull(column)) return {};
    return QDate::fromString(QString::fromStdString(q->text(column)), QStringLiteral("d.M.yyyy"));
}

Invoice draftInvoice(const QList<InvoiceLine>& lines, const guests::HotelDetails& hotel, int uid, const Buyer& buyer,
                     QChar paymentForm, bool inEur, double czkPerEur, const QDate& issued, const QDate& taxDay)
{
    Invoice inv;
    inv.uid = uid;
    inv.issued = issued;
    inv.taxDay = taxDay.isValid() ? taxDay : issued;
    inv.buyer = buyer;
    inv.currency = inEur ? QStringLiteral("EUR") : QStringLiteral("CZK");
    inv.rate = inEur ? czkPerEur : 0;
    inv.paymentForm = paymentForm;
    inv.vatPayer = hotel.vatPayer;
    if (inv.isTransfer()) inv.due = issued.addDays(hotel.dueDays);
    QList<Charge> charges;
    for (const InvoiceLine& l : lines) charges.append({l.vatRate, l.amount(inEur)});
    if (hotel.vatPayer) {
        inv.recap = vatRecap(charges, inEur, czkPerEur);
    } else {
        // A receipt of a hotel that is not a VAT payer states no tax: only the total.
        for (const Charge& c : charges) inv.recap.total += c.total;
        inv.recap.noVat = inv.recap.total;
    }
    if (inv.isTransfer() && hotel.iban.isEmpty() && inv.recap.ok())
        inv.recap.error = QStringLiteral("A bank transfer needs the hotel's IBAN: enter it in the hotel's details.");
    return inv;
}

}  // namespace invoices
