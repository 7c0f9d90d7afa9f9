// The day's takings on paper; see TakingsReport.h.
#include "invoices/TakingsReport.h"

#include <QHash>

namespace invoices {

namespace {
using report::Align;
using report::Band;
using report::Item;

QString asIs(const QString& s) { return s; }
QString dayText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

struct Column {
    const char* title;
    double width;
    Align align;
};
// The columns across the 718 pixels of an A4 page inside its margins.
const Column kColumns[] = {{"Paid", 70, Align::Left},     {"Account", 52, Align::Center}, {"Invoice", 104, Align::Left},
                           {"Payer", 210, Align::Left},   {"Payment", 82, Align::Left},  {"EUR", 100, Align::Right},
                           {"CZK", 100, Align::Right}};

Band rowBand(const QStringList& cells, const report::Font& font, double height = 15)
{
    Band band(Band::Kind::Detail, height);
    double x = 0;
    for (int i = 0; i < cells.size(); ++i) {
        if (!cells[i].isEmpty()) band.add(Item::textAt(x + 2, 2, cells[i], font, kColumns[i].width - 4, kColumns[i].align));
        x += kColumns[i].width;
    }
    return band;
}
}  // namespace

QList<report::Page> takingsPages(const QString& hotelName, const Takings& t, QString (*tr)(const QString&))
{
    if (!tr) tr = &asIs;
    report::Report r;
    r.title = tr(QStringLiteral("Day's takings"));
    report::Font title;
    title.pixelSize = 16;
    title.bold = true;
    report::Font small;
    small.pixelSize = 10;
    report::Font heading = small;
    heading.bold = true;

    const QString period = t.from == t.thru ? dayText(t.from) : dayText(t.from) + QStringLiteral(" - ") + dayText(t.thru);
    r.pageHeader = Band(Band::Kind::PageHeader, 48);
    r.pageHeader.add(Item::textAt(0, 0, hotelName, title, 400));
    r.pageHeader.add(Item::textAt(400, 4, tr(QStringLiteral("Day's takings")) + QLatin1Char(' ') + period, heading, 318, Align::Right));
    double x = 0;
    for (const Column& c : kColumns) {
        r.pageHeader.add(Item::textAt(x + 2, 28, tr(QString::fromLatin1(c.title)), heading, c.width - 4, c.align));
        x += c.width;
    }
    r.pageHeader.add(Item::line(QPointF(0, 45), QPointF(718, 45)));
    r.pageFooter = Band(Band::Kind::PageFooter, 18);

    QHash<QChar, QString> names;
    for (const FormTotal& f : t.byForm) names.insert(f.code, tr(f.name));
    for (const ClosedAccount& a : t.accounts) {
        const QString invoice = a.cancelled ? a.invoiceNo + QLatin1Char(' ') + tr(QStringLiteral("(cancelled)")) : a.invoiceNo;
        r.body << rowBand({dayText(a.paid), QString::number(a.uid), invoice, a.payer,
                           names.value(a.form, names.value(QLatin1Char('?'))), report::formatAmount(a.total.eur / 100.0),
                           report::formatAmount(a.total.czk / 100.0)},
                          small);
    }
    if (t.accounts.isEmpty()) {
        Band none(Band::Kind::Detail, 20);
        none.add(Item::textAt(0, 4, tr(QStringLiteral("No account was paid in this period.")), small, 718));
        r.body << none;
    }
    auto heading_ = [&](const QString& text) {
        Band b(Band::Kind::GroupHeader, 26);
        b.add(Item::line(QPointF(0, 4), QPointF(718, 4), 0.5));
        b.add(Item::textAt(2, 9, text, heading, 400));
        return b;
    };
    r.body << heading_(tr(QStringLiteral("By payment form")));
    for (const FormTotal& f : t.byForm)
        r.body << rowBand({QString(), QString::number(f.accounts), QString(), QString(), tr(f.name),
                           report::formatAmount(f.amount.eur / 100.0), report::formatAmount(f.amount.czk / 100.0)},
                          small);
    r.body << heading_(tr(QStringLiteral("By VAT rate")));
    for (const RateTotal& rate : t.byRate)
        r.body << rowBand({QString(), QString(), QString(), QString(), takingsRateText(rate.rate, tr),
                           report::formatAmount(rate.amount.eur / 100.0), report::formatAmount(rate.amount.czk / 100.0)},
                          small);
    Band total = rowBand({QString(), QString::number(t.accounts.size()), QString(), QString(), tr(QStringLiteral("Total")),
                          report::formatAmount(t.total.eur / 100.0), report::formatAmount(t.total.czk / 100.0)},
                         heading, 22);
    total.kind = Band::Kind::Summary;
    total.items.prepend(Item::line(QPointF(0, 1), QPointF(718, 1)));
    r.body << total;

    QList<report::Page> pages = report::layout(r);
    const QRectF area = report::contentRect(r);
    for (int i = 0; i < pages.size(); ++i)
        pages[i].items << Item::textAt(area.left(), area.bottom() - 14, QStringLiteral("%1 / %2").arg(i + 1).arg(pages.size()),
                                       small, area.width(), Align::Right);
    return pages;
}

}  // namespace invoices
