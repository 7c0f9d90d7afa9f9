// The account printout: statements, stay lines and the page model of one room's bill.
//
// Invariants: see AccountPrintout.h. Positions are design pixels inside the 10 mm margins;
// the header frames span 720, the item table 490.

#include "documents/AccountPrintout.h"

#include <QFontMetricsF>
#include <algorithm>

#include "report/ReportRenderer.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace documents {

using report::Align;
using report::Band;
using report::Font;
using report::Item;

namespace {

constexpr double kHeaderWidth = 720;
constexpr double kTableWidth = 490;
constexpr double kDescrWidth = 241;

Font arial(int px, bool underline = false)
{
    Font f;
    f.family = QStringLiteral("Arial");
    f.pixelSize = px;
    f.bold = true;
    f.italic = true;
    f.underline = underline;
    return f;
}

// A caption at one position and its value at another, on one line.
void pair(Band& band, double captionLeft, double valueLeft, double top, const QString& caption,
          const QString& value, int px, double valueWidth)
{
    band.add(Item::textAt(captionLeft, top, caption, arial(px), valueLeft - captionLeft - 4));
    band.add(Item::textAt(valueLeft, top, value, arial(px), valueWidth));
}

void sideLines(Band& band)
{
    band.add(Item::line(QPointF(0, 0), QPointF(0, band.height)));
    band.add(Item::line(QPointF(kTableWidth, 0), QPointF(kTableWidth, band.height)));
}

Band pageHeader(const AccountHeader& h, const QString& paymentDate)
{
    Band b(Band::Kind::PageHeader, 395);
    b.add(Item::textAt(0, 16, titleText(h), arial(21), kHeaderWidth, Align::Center));
    b.add(Item::textAt(152, 48, QStringLiteral("NÁZEV HOTELU"), arial(19), 560));
    b.add(Item::textAt(152, 72, QStringLiteral("firma:  Jméno firmy, adresa"), arial(19), 560));
    b.add(Item::textAt(384, 96, QStringLiteral("IČO: 000000000"), arial(17), 330));
    b.add(Item::textAt(384, 120, QStringLiteral("DIČ: CZ000000000"), arial(17), 330));
    b.add(Item::frame(QRectF(0, 0, kHeaderWidth, 161)));
    pair(b, 152, 224, 184, QStringLiteral("Cena:"), priceText(h), 16, 490);
    pair(b, 152, 224, 208, QStringLiteral("Pobyt:"), h.DATEFROM + QStringLiteral(" - ") + h.DATETHRU, 16, 490);
    if (!h.sharedCharges.isEmpty()) b.add(Item::textAt(152, 230, h.sharedCharges, arial(13), 560));
    b.add(Item::frame(QRectF(0, 160, kHeaderWidth, 89)));
    pair(b, 16, 120, 288, QStringLiteral("Pan/Paní.:"), guestText(h), 15, 345);
    pair(b, 16, 120, 312, QStringLiteral("Identifikace.:"), h.PASSPORT, 15, 345);
    pair(b, 16, 120, 336, QStringLiteral("Národnost:"), h.COUNTRY, 15, 345);
    pair(b, 472, 608, 288, QStringLiteral("Platba:"), h.paymentForm, 15, 108);
    pair(b, 472, 608, 312, QStringLiteral("Datum platby:"), paymentDate, 15, 108);
    b.add(Item::frame(QRectF(0, 276, kHeaderWidth, 89)));
    // The table's opening edge; it ends with the band so the first heading stays clear.
    b.add(Item::line(QPointF(0, 387), QPointF(kTableWidth, 387)));
    b.add(Item::line(QPointF(0, 387), QPointF(0, 395)));
    b.add(Item::line(QPointF(kTableWidth, 387), QPointF(kTableWidth, 395)));
    return b;
}

Band groupHeader(const AccountLine& line)
{
    Band b(Band::Kind::GroupHeader, 28);
    // A charge whose item type was deleted still has a heading over it.
    const QString heading = line.UPNAME.isEmpty() ? QStringLiteral("Ostatní") : line.UPNAME;
    b.add(Item::textAt(16, 8, heading, arial(13, true), 460));
    sideLines(b);
    return b;
}

Band detail(const AccountLine& line, bool inEUR)
{
    const Font f = arial(13);
    // A description too long for one line of its column wraps onto a second line, and the
    // line's band grows by it; the amount keeps its place on the first line.
    Item description = Item::textAt(120, 3, line.DESCR == line.UPNAME ? QString() : line.DESCR, f, kDescrWidth);
    const QFontMetricsF metrics(report::qtFont(f));
    double height = 22;
    if (metrics.horizontalAdvance(description.text) > kDescrWidth) {
        description = Item::paragraph(QRectF(120, 3, kDescrWidth, 2 * metrics.lineSpacing() + 1), description.text, f);
        height = std::max(height, 6 + 2 * metrics.lineSpacing());
    }
    Band b(Band::Kind::Detail, height);
    b.add(Item::textAt(16, 3, line.TAXRATE, f, 30, Align::Right));
    b.add(Item::textAt(48, 3, QStringLiteral("% DPH"), f, 70));
    b.add(description);
    b.add(Item::textAt(360, 3, report::formatAmount(inEUR ? line.amountEUR : line.amountCZK), f, 81, Align::Right));
    b.add(Item::textAt(448, 3, inEUR ? QStringLiteral("EUR") : QStringLiteral("CZK"), f, 40));
    sideLines(b);
    return b;
}

Band summary(const AccountPrintData& data)
{
    Band b(Band::Kind::Summary, 30);
    const Font f = arial(15);
    b.add(Item::textAt(16, 4, QStringLiteral("Celkem"), f, 290));
    b.add(Item::textAt(360, 4, report::formatAmount(data.inEUR ? data.totalEUR : data.totalCZK), f, 81, Align::Right));
    b.add(Item::textAt(448, 4, data.inEUR ? QStringLiteral("EUR") : QStringLiteral("CZK"), f, 40));
    b.add(Item::frame(QRectF(0, 0, kTableWidth, 26)));
    b.add(Item::line(QPointF(320, 0), QPointF(320, 26)));
    return b;
}

}  // namespace

QString loadStaysSql(const QString& db, int uid)
{
    return shell::Sql(u"SELECT * FROM %1 AS UCT,%2 AS POB, %3 AS POK  "
                      u"WHERE UCT.UID=%4 and UCT.UID=POB.UID       and POB.PID=POK.PID "
                      u"ORDER BY POB.DATEFROM, POB.DATETHRU, POB.PID",
                      shell::Table(db, u"UCTY.DB"), shell::Table(db, u"POBYTY.DB"), shell::Table(db, u"POKOJE.DB"), uid);
}

QString stayLine(const TStaysData& stay, bool onlyStay)
{
    if (onlyStay) return stay.roomName;
    return stay.roomName + QStringLiteral("  (") + stay.period + QLatin1Char(')');
}

QString accountFilter(int uid, const QString& pid)
{
    return shell::Sql(u" WHERE UID=%1 and PID=%2", uid, shell::QuoteText(pid));
}

QString headerInfoSql(const QString& db, int uid, const QString& pid, int bid)
{
    QString sql = shell::Sql(u"SELECT PNAME,PPRICE,MAIDPRICE,   DATEFROM,DATETHRU,   FORMPAYM,DATEPAYM,   "
                             u"TITLE,SURNAME,NAME,PASSPORT,COUNTRY from %1 AS POK,%2 AS POB,      "
                             u"%3 AS UCT,%4 AS KAR%5 and POB.PID=POK.PID and KAR.KID=POB.KID and POB.UID=UCT.UID",
                             shell::Table(db, u"POKOJE.DB"), shell::Table(db, u"POBYTY.DB"), shell::Table(db, u"UCTY.DB"),
                             shell::Table(db, u"KARTY.DB"), accountFilter(uid, pid));
    // The chosen stay: the same room may stand twice on one account.
    if (bid > 0) sql += shell::Sql(u" and POB.BID=%1", bid);
    return sql;
}

QString roomStaysSql(const QString& db, int uid, const QString& pid)
{
    return shell::Sql(u"SELECT DATEFROM, DATETHRU FROM %1%2 ORDER BY DATEFROM, DATETHRU",
                      shell::Table(db, u"POBYTY.DB"), accountFilter(uid, pid));
}

QString accountItemsSql(const QString& db, int uid, const QString& pid)
{
    return shell::Sql(u"SELECT UCP.UPID, UPNAME, DESCR, TAXRATE, SUM(AMNTEUR) AS AMNTE, SUM(AMNTCZK) AS AMNTC "
                      u"from %1 AS UCP, %2 AS UCD%3 and UCP.UPID=UCD.UPID GROUP BY UCP.UPID, UPNAME, DESCR, TAXRATE",
                      shell::Table(db, u"UCTYPOL.DB"), shell::Table(db, u"UCPODEF.DB"), accountFilter(uid, pid));
}

QString orphanItemsSql(const QString& db, int uid, const QString& pid)
{
    return shell::Sql(u"SELECT UPID, DESCR, TAXRATE, SUM(AMNTEUR) AS AMNTE, SUM(AMNTCZK) AS AMNTC "
                      u"from %1 AS UCP%2 and (UPID IS NULL or UPID NOT IN (SELECT UPID FROM %3)) "
                      u"GROUP BY UPID, DESCR, TAXRATE",
                      shell::Table(db, u"UCTYPOL.DB"), accountFilter(uid, pid), shell::Table(db, u"UCPODEF.DB"));
}

QString totalAccountSql(const QString& db, int uid, const QString& pid)
{
    return shell::Sql(u"SELECT SUM(AMNTEUR) AS AMNTE, SUM(AMNTCZK) AS AMNTC from %1 AS UCP%2",
                      shell::Table(db, u"UCTYPOL.DB"), accountFilter(uid, pid));
}

QString sharedChargesText(const QStringList& periods)
{
    if (periods.size() < 2) return QString();
    const QString lead = periods.size() == 2 ? QStringLiteral("Položky zahrnují oba pobyty na tomto pokoji: ")
                                             : QStringLiteral("Položky zahrnují všechny pobyty na tomto pokoji: ");
    return lead + periods.join(QStringLiteral(", "));
}

QList<AccountLine> mergeLines(QList<AccountLine> typed, const QList<AccountLine>& untyped)
{
    typed.append(untyped);
    std::stable_sort(typed.begin(), typed.end(),
                     [](const AccountLine& a, const AccountLine& b) { return a.UPID < b.UPID; });
    return typed;
}

QString titleText(const AccountHeader& h)
{
    return QStringLiteral("Účet - Pokoj č. ") + h.PID + QLatin1Char(' ') + h.PNAME;
}

QString priceText(const AccountHeader& h)
{
    return h.PPRICE + QStringLiteral(" EURO/pokoj/noc + ") + h.MAIDPRICE + QStringLiteral(" EURO/služby/den");
}

QString guestText(const AccountHeader& h)
{
    QString title = h.TITLE + QLatin1Char(' ');
    while (!title.isEmpty() && title.front().isSpace()) title.remove(0, 1);
    return title + h.SURNAME + QLatin1Char(' ') + h.NAME;
}

report::Report buildAccountReport(const AccountPrintData& data)
{
    report::Report r;
    r.title = titleText(data.header);
    r.pageHeader = pageHeader(data.header, data.header.DATEPAYM);
    r.pageFooter = Band(Band::Kind::PageFooter, 40);
    if (data.lines.isEmpty()) return r;
    for (qsizetype i = 0; i < data.lines.size(); ++i) {
        const AccountLine& line = data.lines[i];
        // A new heading whenever the item type changes (the charges without type have one too).
        const bool newGroup = i == 0 || line.UPID != data.lines[i - 1].UPID
            || line.UPNAME != data.lines[i - 1].UPNAME;
        if (newGroup) r.body.append(groupHeader(line));
        r.body.append(detail(line, data.inEUR));
    }
    r.body.append(summary(data));
    return r;
}

}  // namespace documents
