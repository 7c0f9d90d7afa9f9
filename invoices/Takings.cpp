// The day's takings: reading, grouping, CSV and the database tool's command; see Takings.h.
#include "invoices/Takings.h"

#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "guests/Dates.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace invoices {

namespace {

constexpr int kKeysPerStatement = 500;
const QChar kOther = QLatin1Char('?');

QString asIs(const QString& s) { return s; }
QString textAt(const engine::Query& q, int i) { return q.isNull(i) ? QString() : QString::fromStdString(q.text(i)).trimmed(); }
shell::Hundredths moneyAt(const engine::Query& q, int i) { return q.isNull(i) ? 0 : shell::hundredthsHalfEven(q.number(i)); }
QString dayText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

double normalRate(double rate) { return std::isfinite(rate) && rate > 0 ? rate : kNoVatRate; }

// Runs pattern (its %2 the list of keys) for the keys in portions the server accepts.
template <class Row>
void forKeys(engine::Database& db, const QList<int>& keys, const QString& table, QStringView pattern, Row row)
{
    for (int i = 0; i < keys.size(); i += kKeysPerStatement) {
        QStringList part;
        for (int j = i; j < std::min<int>(keys.size(), i + kKeysPerStatement); ++j) part << QString::number(keys[j]);
        auto q = db.open(shell::Sql(pattern, table, part.join(QLatin1Char(','))).toStdString());
        while (q->next()) row(*q);
    }
}

QString csvField(QString s)
{
    if (s.contains(QLatin1Char(';')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')))
        s = QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return s;
}

}  // namespace

Takings summarise(const QDate& from, const QDate& thru, QList<ClosedAccount> accounts, const QList<TakingsCharge>& charges,
                  bool invoicesKept)
{
    Takings t;
    t.from = from;
    t.thru = thru;
    t.invoicesKept = invoicesKept;
    std::stable_sort(accounts.begin(), accounts.end(), [](const ClosedAccount& a, const ClosedAccount& b) {
        return a.paid != b.paid ? a.paid < b.paid : a.uid < b.uid;
    });
    t.accounts = accounts;
    for (const auto& [code, name] : shell::PaymentFormList()) t.byForm.append({code, name, 0, {}});
    auto formOf = [&t](QChar code) -> FormTotal& {
        for (FormTotal& f : t.byForm)
            if (f.code == code) return f;
        for (FormTotal& f : t.byForm)
            if (f.code == kOther) return f;
        return t.byForm.last();
    };
    QSet<int> uids;
    for (const ClosedAccount& a : t.accounts) {
        FormTotal& f = formOf(a.form);
        ++f.accounts;
        f.amount += a.total;
        t.total += a.total;
        uids.insert(a.uid);
    }
    QMap<double, Amount> rates;
    for (const TakingsCharge& c : charges)
        if (uids.contains(c.uid)) rates[normalRate(c.taxRate)] += c.amount;
    for (auto it = rates.begin(); it != rates.end(); ++it) t.byRate.append({it.key(), it.value()});
    return t;
}

bool invoicesKept(engine::Database& db, const QString& prefix)
{
    if (!prefix.isEmpty()) return QFileInfo::exists(prefix + QStringLiteral("FAKTURY.DB"));
    try {
        db.open(shell::Sql(u"SELECT COUNT(*) AS N FROM %1", shell::Table(prefix, u"FAKTURY.DB")).toStdString());
        return true;
    } catch (const engine::Error&) {
        return false;
    }
}

Takings readTakings(engine::Database& db, const QString& prefix, const QDate& from, const QDate& thru)
{
    QList<ClosedAccount> accounts;
    QHash<int, int> payerOf;   // account -> card
    {
        auto q = db.open(shell::Sql(u"SELECT UID, DATEPAYM, FORMPAYM, TOTALEUR, TOTALCZK, PKID, KID FROM %1 "
                                    u"WHERE FORMPAYM IS NOT NULL AND DATEPAYM>=%2 AND DATEPAYM<=%3 ORDER BY DATEPAYM, UID",
                                    shell::Table(prefix, u"UCTY.DB"), shell::QuoteText(shell::DateText(from)),
                                    shell::QuoteText(shell::DateText(thru)))
                             .toStdString());
        while (q->next()) {
            const QString form = textAt(*q, 2);
            if (form.isEmpty()) continue;
            ClosedAccount a;
            a.uid = int(q->integer(0));
            a.paid = shell::DateFromNumber(double(q->integer(1)));
            a.form = form.at(0);
            a.total = {moneyAt(*q, 3), moneyAt(*q, 4)};
            const int pkid = q->isNull(5) ? 0 : int(q->integer(5));
            payerOf.insert(a.uid, pkid > 0 ? pkid : (q->isNull(6) ? 0 : int(q->integer(6))));
            accounts << a;
        }
    }
    QList<int> uids;
    for (const ClosedAccount& a : accounts) uids << a.uid;
    QList<int> cards = payerOf.values();
    std::sort(cards.begin(), cards.end());
    cards.erase(std::unique(cards.begin(), cards.end()), cards.end());
    QHash<int, QString> names;
    forKeys(db, cards, shell::Table(prefix, u"KARTY.DB"), u"SELECT KID, SURNAME, NAME FROM %1 WHERE KID IN (%2)",
            [&names](const engine::Query& q) {
                names.insert(int(q.integer(0)), (textAt(q, 1) + QLatin1Char(' ') + textAt(q, 2)).trimmed());
            });
    QList<TakingsCharge> charges;
    forKeys(db, uids, shell::Table(prefix, u"UCTYPOL.DB"), u"SELECT UID, TAXRATE, AMNTEUR, AMNTCZK FROM %1 WHERE UID IN (%2)",
            [&charges](const engine::Query& q) {
                charges.append({int(q.integer(0)), q.isNull(1) ? kNoVatRate : q.number(1), {moneyAt(q, 2), moneyAt(q, 3)}});
            });
    const bool kept = invoicesKept(db, prefix);
    QHash<int, QPair<QString, bool>> invoiceOf;   // the valid invoice, else the last cancelled one
    if (kept)
        forKeys(db, uids, shell::Table(prefix, u"FAKTURY.DB"),
                u"SELECT UID, INVNO, CANCELLED FROM %1 WHERE UID IN (%2) ORDER BY INVYEAR, INVSEQ",
                [&invoiceOf](const engine::Query& q) {
                    const int uid = int(q.integer(0));
                    const bool cancelled = !q.isNull(2);
                    if (!cancelled || !invoiceOf.contains(uid) || invoiceOf.value(uid).second)
                        invoiceOf.insert(uid, {textAt(q, 1), cancelled});
                });
    for (ClosedAccount& a : accounts) {
        a.payer = names.value(payerOf.value(a.uid));
        a.invoiceNo = invoiceOf.value(a.uid).first;
        a.cancelled = invoiceOf.value(a.uid).second;
    }
    return summarise(from, thru, accounts, charges, kept);
}

QString amountText(shell::Hundredths h)
{
    const shell::Hundredths a = h < 0 ? -h : h;
    return (h < 0 ? QStringLiteral("-") : QString()) + QString::number(a / 100) + QLatin1Char('.') +
           QString::number(a % 100).rightJustified(2, QLatin1Char('0'));
}

QString takingsRateText(double rate, QString (*tr)(const QString&))
{
    if (!tr) tr = &asIs;
    return rate == kNoVatRate ? tr(QStringLiteral("without VAT")) : QString::number(rate) + QStringLiteral(" %");
}

QByteArray takingsCsv(const Takings& t, QString (*tr)(const QString&))
{
    if (!tr) tr = &asIs;
    QString out = QStringLiteral("date;account;invoice;cancelled;payer;payment;vat;eur;czk\r\n");
    auto row = [&out](const QStringList& cells) {
        QStringList quoted;
        for (const QString& c : cells) quoted << csvField(c);
        out += quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    };
    auto formName = [&t, tr](QChar code) {
        for (const FormTotal& f : t.byForm)
            if (f.code == code) return tr(f.name);
        for (const FormTotal& f : t.byForm)
            if (f.code == kOther) return tr(f.name);
        return QString(code);
    };
    for (const ClosedAccount& a : t.accounts)
        row({dayText(a.paid), QString::number(a.uid), a.invoiceNo, a.cancelled ? tr(QStringLiteral("cancelled")) : QString(),
             a.payer, formName(a.form), QString(), amountText(a.total.eur), amountText(a.total.czk)});
    const QString total = tr(QStringLiteral("Total"));
    for (const FormTotal& f : t.byForm)
        row({QString(), QString(), QString(), QString(), total, tr(f.name), QString(), amountText(f.amount.eur),
             amountText(f.amount.czk)});
    for (const RateTotal& r : t.byRate)
        row({QString(), QString(), QString(), QString(), total, QString(), takingsRateText(r.rate, tr), amountText(r.amount.eur),
             amountText(r.amount.czk)});
    row({QString(), QString(), QString(), QString(), total, QString(), QString(), amountText(t.total.eur),
         amountText(t.total.czk)});
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

QStringList takingsLines(const Takings& t)
{
    auto money = [](shell::Hundredths h) { return amountText(h).rightJustified(12); };
    QStringList lines;
    lines << QStringLiteral("Takings from %1 through %2: %3 accounts")
                 .arg(shell::DateText(t.from), shell::DateText(t.thru), QString::number(t.accounts.size()));
    if (!t.invoicesKept) lines << QStringLiteral("The database keeps no invoices: the accounts are shown without numbers.");
    lines << QStringLiteral("Paid        Account  Invoice             Payment          EUR          CZK  Payer");
    QHash<QChar, QString> names;
    for (const FormTotal& f : t.byForm) names.insert(f.code, f.name);
    for (const ClosedAccount& a : t.accounts) {
        const QString invoice = a.cancelled ? a.invoiceNo + QStringLiteral(" (cancelled)") : a.invoiceNo;
        lines << shell::DateText(a.paid).leftJustified(12) + QString::number(a.uid).rightJustified(7) + QStringLiteral("  ") +
                     invoice.leftJustified(20) + names.value(a.form, names.value(kOther)).leftJustified(8) +
                     money(a.total.eur) + QLatin1Char(' ') + money(a.total.czk) + QStringLiteral("  ") + a.payer;
    }
    lines << QStringLiteral("By payment form     Accounts          EUR          CZK");
    for (const FormTotal& f : t.byForm)
        lines << f.name.leftJustified(20) + QString::number(f.accounts).rightJustified(8) + QLatin1Char(' ') +
                     money(f.amount.eur) + QLatin1Char(' ') + money(f.amount.czk);
    lines << QStringLiteral("By VAT rate                           EUR          CZK");
    for (const RateTotal& r : t.byRate)
        lines << takingsRateText(r.rate).leftJustified(29) + money(r.amount.eur) + QLatin1Char(' ') + money(r.amount.czk);
    lines << QStringLiteral("Total").leftJustified(29) + money(t.total.eur) + QLatin1Char(' ') + money(t.total.czk);
    return lines;
}

int takingsCommand(engine::Database& db, const QString& prefix, const QStringList& rest, void (*out)(const QString&),
                   void (*err)(const QString&))
{
    if (rest.size() != 2 && !(rest.size() == 4 && rest[2] == QLatin1String("--csv"))) return 2;
    const QDate from = guests::parseDateArgument(rest[0]), thru = guests::parseDateArgument(rest[1]);
    if (!from.isValid() || !thru.isValid()) {
        err(QStringLiteral("FROM and THRU are dates: D.M.YYYY or YYYY-MM-DD"));
        return 2;
    }
    if (thru < from) {
        err(QStringLiteral("THRU (%1) lies before FROM (%2)").arg(shell::DateText(thru), shell::DateText(from)));
        return 2;
    }
    const Takings t = readTakings(db, prefix, from, thru);
    for (const QString& line : takingsLines(t)) out(line);
    if (rest.size() == 4) {
        const QByteArray bytes = takingsCsv(t);
        QSaveFile save(rest[3]);
        if (!save.open(QIODevice::WriteOnly) || save.write(bytes) != bytes.size() || !save.commit()) {
            err(QStringLiteral("%1 cannot be written: %2").arg(rest[3], save.errorString()));
            return 1;
        }
        out(QStringLiteral("The takings are written to %1").arg(rest[3]));
    }
    return 0;
}

}  // namespace invoices
