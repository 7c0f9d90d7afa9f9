// The fee book's and the statistics' printouts; see FeeForms.h.
#include "fees/FeeForms.h"

#include "guests/Guest.h"

namespace fees {

namespace {
using report::Align;
using report::Band;
using report::Item;

QString asIs(const QString& s) { return s; }
QString dayText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

struct Column {
    const char* title;
    double share;   // of the page's width
    Align align;
};
const Column kBookColumns[] = {
    {"No.", 3, Align::Right},       {"Arrival", 8, Align::Left},    {"Departure", 8, Align::Left},
    {"Name", 14, Align::Left},      {"Address", 16, Align::Left},   {"Born", 8, Align::Left},
    {"Document", 11, Align::Left},  {"Nights", 5, Align::Right},    {"Fee rate", 6, Align::Right},
    {"Fee", 7, Align::Right},       {"Exemption", 19, Align::Left},
};
const Column kStatColumns[] = {
    {"Code", 10, Align::Left}, {"Country", 50, Align::Left}, {"Arrivals", 20, Align::Right}, {"Nights", 20, Align::Right}};

struct Fonts {
    report::Font title, small, heading;
    Fonts()
    {
        title.pixelSize = 16;
        title.bold = true;
        small.pixelSize = 10;
        heading = small;
        heading.bold = true;
    }
};

// The columns' widths across width, in the order given.
template <size_t N>
QList<double> widths(const Column (&columns)[N], double width)
{
    double shares = 0;
    for (const Column& c : columns) shares += c.share;
    QList<double> w;
    for (const Column& c : columns) w << width * c.share / shares;
    return w;
}

template <size_t N>
Band rowBand(const Column (&columns)[N], const QList<double>& w, const QStringList& cells, const report::Font& font)
{
    Band band(Band::Kind::Detail, 15);
    double x = 0;
    for (int i = 0; i < cells.size() && i < int(N); ++i) {
        band.add(Item::textAt(x + 2, 2, cells[i], font, w[i] - 4, columns[i].align));
        x += w[i];
    }
    return band;
}

// The report with its page header (the hotel, the title and period, the column titles).
template <size_t N>
report::Report framed(const guests::HotelDetails& hotel, const QString& title, const QString& period,
                      const Column (&columns)[N], QString (*tr)(const QString&), const Fonts& f, QList<double>& w,
                      report::Orientation orientation)
{
    report::Report r;
    r.title = title;
    r.orientation = orientation;
    const double width = report::contentRect(r).width();
    w = widths(columns, width);
    r.pageHeader = Band(Band::Kind::PageHeader, 62);
    r.pageHeader.add(Item::textAt(0, 0, hotel.name, f.title, width * 0.55));
    r.pageHeader.add(Item::textAt(width * 0.55, 4, title + QStringLiteral(" ") + period, f.heading, width * 0.45, Align::Right));
    r.pageHeader.add(Item::textAt(0, 22, guests::hotelAddressLine(hotel), f.small, width));
    double x = 0;
    for (size_t i = 0; i < N; ++i) {
        r.pageHeader.add(Item::textAt(x + 2, 44, tr(QString::fromLatin1(columns[i].title)), f.heading, w[i] - 4, columns[i].align));
        x += w[i];
    }
    r.pageHeader.add(Item::line(QPointF(0, 59), QPointF(width, 59)));
    r.pageFooter = Band(Band::Kind::PageFooter, 18);
    return r;
}

// A summary line of label and value pairs under the rows.
Band summaryBand(const QList<QPair<QString, QString>>& lines, const Fonts& f, double width)
{
    Band band(Band::Kind::Summary, 8 + 15 * lines.size());
    band.add(Item::line(QPointF(0, 3), QPointF(width, 3)));
    double y = 6;
    for (const auto& [label, value] : lines) {
        band.add(Item::textAt(0, y, label, f.heading, width * 0.4));
        band.add(Item::textAt(width * 0.4, y, value, f.heading, width * 0.3));
        y += 15;
    }
    return band;
}

QList<report::Page> numbered(const report::Report& r, const Fonts& f)
{
    QList<report::Page> pages = report::layout(r);
    const QRectF area = report::contentRect(r);
    for (int i = 0; i < pages.size(); ++i)
        pages[i].items << Item::textAt(area.left(), area.bottom() - 14, QStringLiteral("%1 / %2").arg(i + 1).arg(pages.size()),
                                       f.small, area.width(), Align::Right);
    return pages;
}

QString period(const QDate& from, const QDate& thru) { return dayText(from) + QStringLiteral(" - ") + dayText(thru); }
}  // namespace

QList<report::Page> feeBookPages(const guests::HotelDetails& hotel, const FeeBook& book, QString (*tr)(const QString&))
{
    if (!tr) tr = &asIs;
    const Fonts f;
    QList<double> w;
    report::Report r = framed(hotel, tr(QStringLiteral("Accommodation fee book")), period(book.from, book.thru), kBookColumns, tr, f, w,
                                // the fee book's eleven columns want the long side of the sheet
                                report::Orientation::Landscape);
    const double width = report::contentRect(r).width();
    for (int i = 0; i < book.rows.size(); ++i) {
        const FeeBookRow& row = book.rows[i];
        const guests::Guest& g = row.person;
        const QString document = (g.DOCTYPE + QLatin1Char(' ') + g.DOCNUM).trimmed();
        const QString exemption = row.fee.exemption == Exemption::Reason ? row.fee.reason : tr(exemptionText(row.fee));
        r.body << rowBand(kBookColumns, w,
                          {QString::number(i + 1), dayText(g.DATEFROM), dayText(g.DATETHRU), g.fullName(), g.ADDRESS,
                           g.DATEBIRTH, document, QString::number(row.fee.nights), report::formatAmount(shell::fromHundredths(book.rate)),
                           report::formatAmount(shell::fromHundredths(row.fee.fee)), exemption},
                          f.small);
    }
    if (book.rows.isEmpty()) {
        Band none(Band::Kind::Detail, 20);
        none.add(Item::textAt(0, 4, tr(QStringLiteral("No guest arrived in this period.")), f.small, width));
        r.body << none;
    }
    r.body << summaryBand({{tr(QStringLiteral("Fee collected (CZK):")), report::formatAmount(shell::fromHundredths(book.total))},
                           {tr(QStringLiteral("Persons, nights:")), QStringLiteral("%1, %2").arg(book.persons).arg(book.nights)},
                           {tr(QStringLiteral("Exempt persons, nights:")),
                            QStringLiteral("%1, %2").arg(book.exemptPersons).arg(book.exemptNights)}},
                          f, width);
    return numbered(r, f);
}

QList<report::Page> visitorStatisticsPages(const guests::HotelDetails& hotel, const VisitorStatistics& s,
                                           QString (*tr)(const QString&), QString (*countryName)(const QString&))
{
    if (!tr) tr = &asIs;
    const Fonts f;
    QList<double> w;
    report::Report r = framed(hotel, tr(QStringLiteral("Guests by country")), period(s.from, s.thru), kStatColumns, tr, f, w,
                                report::Orientation::Portrait);
    const double width = report::contentRect(r).width();
    for (const CountryCount& c : s.countries)
        r.body << rowBand(kStatColumns, w,
                          {c.country, countryName ? countryName(c.country) : QString(), QString::number(c.arrivals),
                           QString::number(c.nights)},
                          f.small);
    r.body << rowBand(kStatColumns, w, {tr(QStringLiteral("Total")), QString(), QString::number(s.arrivals), QString::number(s.nights)},
                      f.heading);
    r.body << summaryBand({{tr(QStringLiteral("Rooms:")), QString::number(s.rooms)},
                           {tr(QStringLiteral("Beds:")), QString::number(s.beds)},
                           {tr(QStringLiteral("Days open:")), QString::number(s.daysOpen)}},
                          f, width);
    return numbered(r, f);
}

}  // namespace fees
