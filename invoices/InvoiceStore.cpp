// The invoices' table; see InvoiceStore.h.
#include "invoices/InvoiceStore.h"

#include <QSet>
#include <algorithm>
#include <memory>

#include "engine/Engine.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace invoices {

namespace {

using shell::QuoteText;
using shell::Sql;

QString table(const QString& prefix) { return shell::Table(prefix, u"FAKTURY.DB"); }
QString file(const QString& prefix) { return prefix + QLatin1String(kInvoicesFile); }

QString dateSql(const QDate& d) { return d.isValid() ? QuoteText(shell::DateText(d)) : QStringLiteral("NULL"); }
QString money(shell::Hundredths h) { return QString::number(shell::fromHundredths(h), 'f', 2); }
QString textSql(const QString& s) { return QuoteText(s); }

QDate dateOf(const engine::Query& q, const char* name)
{
    return QDate::fromString(QString::fromStdString(q.text(name)), QStringLiteral("d.M.yyyy"));
}
QString textOf(const engine::Query& q, const char* name) { return QString::fromStdString(q.text(name)); }
shell::Hundredths moneyOf(const engine::Query& q, const char* name) { return shell::hundredthsHalfEven(q.number(name)); }

// The three places of the recap as the table names them.
struct Place {
    const char *rate, *base, *tax, *total, *taxCzk;
};
constexpr Place kPlaces[kMaxVatRates] = {
    {"VATRATE1", "BASE1", "TAX1", "TOTAL1", "TAXCZK1"},
    {"VATRATE2", "BASE2", "TAX2", "TOTAL2", "TAXCZK2"},
    {"VATRATE3", "BASE3", "TAX3", "TOTAL3", "TAXCZK3"},
};

bool numberTaken(engine::Database& db, const QString& prefix, int year, int seq)
{
    try {
        auto q = db.open(Sql(u"SELECT COUNT(*) AS N FROM %1 WHERE INVYEAR=%2 AND INVSEQ=%3", table(prefix), year, seq)
                             .toStdString());
        return q->next() && q->integer(0) > 0;
    } catch (const engine::Error&) {
        return false;
    }
}

}  // namespace

QString invoiceNumber(const QString& prefix, int year, int seq)
{
    return prefix + QString::number(year) + QLatin1Char('-') + QStringLiteral("%1").arg(seq, 6, 10, QLatin1Char('0'));
}

QString variableSymbol(const QString& number)
{
    QString digits;
    for (const QChar c : number)
        if (c.isDigit() && c.unicode() < 128) digits += c;
    return digits.right(10);
}

QString lastSeqSql(const QString& prefix, int year)
{
    return Sql(u"SELECT MAX(INVSEQ) AS LAST FROM %1 WHERE INVYEAR=%2", table(prefix), year);
}

QString insertInvoiceSql(const QString& prefix, const Invoice& inv)
{
    QStringList columns = {QStringLiteral("INVYEAR"), QStringLiteral("INVSEQ"), QStringLiteral("INVNO"),
                           QStringLiteral("UID"), QStringLiteral("DATEISSUE"), QStringLiteral("DATETAX"),
                           QStringLiteral("DATEDUE"), QStringLiteral("BUYER"), QStringLiteral("BUYERADDR"),
                           QStringLiteral("ICO"), QStringLiteral("DIC"), QStringLiteral("CURRENCY"),
                           QStringLiteral("RATE"), QStringLiteral("NOVAT"), QStringLiteral("TOTAL"),
                           QStringLiteral("FORMPAYM"), QStringLiteral("VATPAYER"), QStringLiteral("CANCELLED"),
                           QStringLiteral("CANCELREASON"), QStringLiteral("UPMJ"), QStringLiteral("UPMT")};
    QStringList values = {QString::number(inv.year), QString::number(inv.seq), textSql(inv.number),
                          QString::number(inv.uid), dateSql(inv.issued), dateSql(inv.taxDay), dateSql(inv.due),
                          textSql(inv.buyer.name), textSql(inv.buyer.address), textSql(inv.buyer.ico),
                          textSql(inv.buyer.dic), textSql(inv.currency), QString::number(inv.rate, 'g', 10),
                          money(inv.recap.noVat), money(inv.recap.total), textSql(QString(inv.paymentForm)),
                          textSql(inv.vatPayer ? QStringLiteral("1") : QStringLiteral("0")), dateSql(inv.cancelled),
                          textSql(inv.cancelReason), QuoteText(shell::TodayText()), QuoteText(shell::NowTimeText())};
    for (qsizetype i = 0; i < inv.recap.lines.size() && i < kMaxVatRates; ++i) {
        const Place& p = kPlaces[i];
        const VatLine& l = inv.recap.lines[i];
        columns << QLatin1String(p.rate) << QLatin1String(p.base) << QLatin1String(p.tax) << QLatin1String(p.total)
                << QLatin1String(p.taxCzk);
        values << QString::number(l.rate, 'g', 10) << money(l.base) << money(l.tax) << money(l.total) << money(l.taxCzk);
    }
    return Sql(u"INSERT INTO %1 (%2) VALUES (%3)", table(prefix), columns.join(QLatin1Char(',')),
               values.join(QLatin1Char(',')));
}

QString invoiceOfAccountSql(const QString& prefix, int uid)
{
    return Sql(u"SELECT * FROM %1 WHERE UID=%2 AND CANCELLED IS NULL ORDER BY INVYEAR, INVSEQ", table(prefix), uid);
}

QString cancelInvoiceSql(const QString& prefix, int uid, const QDate& day, const QString& reason)
{
    return Sql(u"UPDATE %1 SET CANCELLED=%2, CANCELREASON=%3 WHERE UID=%4 AND CANCELLED IS NULL", table(prefix),
               dateSql(day), QuoteText(reason.left(100)), uid);
}

QString invoicesIssuedSql(const QString& prefix, const QDate& from, const QDate& thru)
{
    return Sql(u"SELECT * FROM %1 WHERE DATEISSUE>=%2 AND DATEISSUE<=%3 ORDER BY INVYEAR, INVSEQ", table(prefix),
               dateSql(from), dateSql(thru));
}

QString allInvoicesSql(const QString& prefix)
{
    return Sql(u"SELECT * FROM %1 ORDER BY INVYEAR, INVSEQ", table(prefix));
}

Invoice readInvoice(const engine::Query& q)
{
    Invoice inv;
    inv.year = int(q.integer("INVYEAR"));
    inv.seq = int(q.integer("INVSEQ"));
    inv.number = textOf(q, "INVNO");
    inv.uid = int(q.integer("UID"));
    inv.issued = dateOf(q, "DATEISSUE");
    inv.taxDay = dateOf(q, "DATETAX");
    inv.due = dateOf(q, "DATEDUE");
    inv.buyer = {textOf(q, "BUYER"), textOf(q, "BUYERADDR"), textOf(q, "ICO"), textOf(q, "DIC")};
    inv.currency = textOf(q, "CURRENCY").trimmed();
    if (inv.currency.isEmpty()) inv.currency = QStringLiteral("CZK");
    inv.rate = q.number("RATE");
    for (const Place& p : kPlaces) {
        if (q.isNull(p.rate)) continue;
        VatLine l;
        l.rate = q.number(p.rate);
        l.base = moneyOf(q, p.base);
        l.tax = moneyOf(q, p.tax);
        l.total = moneyOf(q, p.total);
        l.taxCzk = moneyOf(q, p.taxCzk);
        inv.recap.lines.append(l);
    }
    inv.recap.noVat = moneyOf(q, "NOVAT");
    inv.recap.total = moneyOf(q, "TOTAL");
    const QString form = textOf(q, "FORMPAYM");
    inv.paymentForm = form.isEmpty() ? QLatin1Char('?') : form.at(0);
    inv.vatPayer = textOf(q, "VATPAYER") != QLatin1String("0");
    inv.cancelled = dateOf(q, "CANCELLED");
    inv.cancelReason = textOf(q, "CANCELREASON");
    return inv;
}

void issueInvoice(engine::Change& change, const QString& prefix, const QString& numberPrefix, Invoice& invoice)
{
    invoice.year = invoice.issued.year();
    {
        auto q = change.open(lastSeqSql(prefix, invoice.year).toStdString());
        invoice.seq = (q->next() && !q->isNull(0) ? int(q->integer(0)) : 0) + 1;
    }
    invoice.number = invoiceNumber(numberPrefix, invoice.year, invoice.seq);
    change.execute(insertInvoiceSql(prefix, invoice).toStdString());
}

void issueInNewChange(engine::Database& db, const QString& prefix, const QStringList& tableFiles,
                      const std::function<void(engine::Change&)>& body, const QString& numberPrefix, Invoice& invoice)
{
    std::vector<std::string> files;
    for (const QString& f : tableFiles) files.push_back((prefix + f).toStdString());
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        invoice.seq = 0;
        try {
            std::unique_ptr<engine::Change> change = db.beginChange(files);
            body(*change);
            issueInvoice(*change, prefix, numberPrefix, invoice);
            change->commit();
            return;
        } catch (const engine::Error&) {
            // Another desk took the number between our reading and our writing: the change is
            // gone as a whole, so it is made again, with the next number.
            const int tried = invoice.seq;
            invoice.seq = 0;
            invoice.number.clear();
            if (attempt >= kAttempts || tried == 0 || !numberTaken(db, prefix, invoice.year, tried)) throw;
        }
    }
}

std::optional<Invoice> invoiceOfAccount(engine::Database& db, const QString& prefix, int uid)
{
    auto q = db.open(invoiceOfAccountSql(prefix, uid).toStdString());
    if (!q->next()) return std::nullopt;
    return readInvoice(*q);
}

bool hasInvoiceTable(engine::Database& db, const QString& prefix)
{
    try {
        db.open(Sql(u"SELECT COUNT(*) FROM %1", table(prefix)).toStdString());
        return true;
    } catch (const engine::Error&) {
        return false;
    }
}

IssuedBefore readIssued(engine::Database& db, const QString& prefix)
{
    IssuedBefore before;
    if (!hasInvoiceTable(db, prefix)) return before;
    before.hadTable = true;
    auto q = db.open(allInvoicesSql(prefix).toStdString());
    while (q->next()) before.invoices.append(readInvoice(*q));
    return before;
}

QStringList keepAfterRestore(engine::Database& db, const QString& prefix, const IssuedBefore& before, const QDate& today)
{
    QStringList kept;
    if (before.invoices.isEmpty() || !hasInvoiceTable(db, prefix)) return kept;
    QSet<qint64> present;
    {
        auto q = db.open(Sql(u"SELECT INVYEAR, INVSEQ FROM %1", table(prefix)).toStdString());
        while (q->next()) present.insert(q->integer(0) * 1000000000LL + q->integer(1));
    }
    auto change = db.beginChange({file(prefix).toStdString()});
    for (Invoice inv : before.invoices) {
        if (present.contains(qint64(inv.year) * 1000000000LL + inv.seq)) continue;
        if (!inv.cancelled.isValid()) {
            inv.cancelled = today;
            inv.cancelReason = QStringLiteral("Not in the restored backup");
        }
        change->execute(insertInvoiceSql(prefix, inv).toStdString());
        kept << inv.number;
    }
    change->commit();
    return kept;
}

QString restoreNote(const QStringList& kept)
{
    if (kept.isEmpty()) return {};
    return QStringLiteral("The invoices given after this backup stay on record, marked cancelled; their numbers are not given again:");
}

}  // namespace invoices
