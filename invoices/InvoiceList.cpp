// The month's invoice list; see InvoiceList.h.
#include "invoices/InvoiceList.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <memory>

#include "engine/Engine.h"
#include "shell/ValueHelpers.h"

namespace invoices {

namespace {
constexpr QChar kSeparator = QLatin1Char(';');

QString field(const QString& s)
{
    if (!s.contains(kSeparator) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')) && !s.contains(QLatin1Char('\r')))
        return s;
    QString quoted = s;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
QString money(shell::Hundredths h) { return QString::number(shell::fromHundredths(h), 'f', 2); }
QString day(const QDate& d) { return d.isValid() ? shell::DateText(d) : QString(); }
}  // namespace

std::optional<Month> parseMonth(const QString& text)
{
    static const QRegularExpression isoLike(QStringLiteral("^(\\d{4})-(\\d{1,2})$"));
    static const QRegularExpression czech(QStringLiteral("^(\\d{1,2})[./](\\d{4})$"));
    Month m;
    if (const auto a = isoLike.match(text.trimmed()); a.hasMatch()) m = {a.captured(1).toInt(), a.captured(2).toInt()};
    else if (const auto b = czech.match(text.trimmed()); b.hasMatch()) m = {b.captured(2).toInt(), b.captured(1).toInt()};
    else return std::nullopt;
    if (m.month < 1 || m.month > 12 || m.year < 1900) return std::nullopt;
    return m;
}

QList<Invoice> invoicesOfMonth(engine::Database& db, const QString& prefix, const Month& month)
{
    const QDate from(month.year, month.month, 1);
    auto q = db.open(invoicesIssuedSql(prefix, from, from.addMonths(1).addDays(-1)).toStdString());
    QList<Invoice> list;
    while (q->next()) list.append(readInvoice(*q));
    return list;
}

QString invoiceListCsv(const QList<Invoice>& invoices)
{
    QList<double> rates;
    for (const Invoice& inv : invoices)
        for (const VatLine& l : inv.recap.lines)
            if (!rates.contains(l.rate)) rates.append(l.rate);
    std::sort(rates.begin(), rates.end(), std::greater<>());
    QStringList head = {QStringLiteral("Number"), QStringLiteral("Issued"), QStringLiteral("Taxable supply"),
                        QStringLiteral("Due"), QStringLiteral("Buyer"), QStringLiteral("IČO"), QStringLiteral("DIČ"),
                        QStringLiteral("Currency"), QStringLiteral("Rate")};
    for (double r : rates) {
        const QString rate = rateText(r);
        head << QStringLiteral("Base ") + rate << QStringLiteral("VAT ") + rate << QStringLiteral("VAT ") + rate + QStringLiteral(" CZK");
    }
    head << QStringLiteral("Without VAT") << QStringLiteral("Total") << QStringLiteral("Payment form")
         << QStringLiteral("Cancelled") << QStringLiteral("Reason");
    QString csv = head.join(kSeparator) + QStringLiteral("\r\n");
    for (const Invoice& inv : invoices) {
        QStringList row = {field(inv.number), day(inv.issued), day(inv.taxDay), day(inv.due), field(inv.buyer.name),
                           field(inv.buyer.ico), field(inv.buyer.dic), inv.currency,
                           inv.inEur() ? QString::number(inv.rate, 'f', 3) : QString()};
        for (double r : rates) {
            const auto line = std::find_if(inv.recap.lines.begin(), inv.recap.lines.end(),
                                           [r](const VatLine& l) { return l.rate == r; });
            if (line == inv.recap.lines.end()) row << QString() << QString() << QString();
            else row << money(line->base) << money(line->tax) << money(line->taxCzk);
        }
        row << money(inv.recap.noVat) << money(inv.recap.total) << QString(inv.paymentForm) << day(inv.cancelled)
            << field(inv.cancelReason);
        csv += row.join(kSeparator) + QStringLiteral("\r\n");
    }
    return csv;
}

CommandResult invoicesCommand(engine::Database& db, const QString& prefix, const QStringList& rest)
{
    if (rest.size() != 3 || rest[1] != QLatin1String("--csv")) return {2, {}};
    const std::optional<Month> month = parseMonth(rest[0]);
    if (!month) return {2, QStringLiteral("MONTH is YYYY-MM or MM.YYYY")};
    if (!hasInvoiceTable(db, prefix))
        return {1, QStringLiteral("The database has no invoices' table; run tamarel-db upgrade first")};
    const QList<Invoice> list = invoicesOfMonth(db, prefix, *month);
    const QByteArray bytes = invoiceListCsv(list).toUtf8();
    QSaveFile file(rest[2]);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return {1, QStringLiteral("%1 cannot be written: %2").arg(rest[2], file.errorString())};
    return {0, QStringLiteral("%1 invoices written to %2").arg(QString::number(list.size()), rest[2])};
}

}  // namespace invoices
