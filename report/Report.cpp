// Page layout of the banded reports and the amount format.
//
// Invariants: see Report.h.

#include "report/Report.h"

#include <cmath>

#include "shell/Money.h"

namespace report {

namespace {
constexpr double kDesignDpi = 96.0;
constexpr double kMmPerInch = 25.4;
double mmToPx(double mm) { return mm * kDesignDpi / kMmPerInch; }

void placeBand(Page& page, const Band& band, const QPointF& origin)
{
    for (Item item : band.items) {
        item.rect.translate(origin);
        page.items.append(item);
    }
}
}  // namespace

Item Item::textAt(double left, double top, const QString& text, const Font& font, double width, Align align)
{
    Item item;
    item.kind = Kind::Text;
    item.rect = QRectF(left, top, width, 0);
    item.text = text;
    item.font = font;
    item.align = align;
    return item;
}

Item Item::paragraph(const QRectF& rect, const QString& text, const Font& font)
{
    Item item = textAt(rect.left(), rect.top(), text, font, rect.width());
    item.rect = rect;
    item.wordWrap = true;
    return item;
}

Item Item::frame(const QRectF& rect, double penWidth)
{
    Item item;
    item.kind = Kind::Frame;
    item.rect = rect;
    item.penWidth = penWidth;
    return item;
}

Item Item::line(const QPointF& from, const QPointF& to, double penWidth)
{
    Item item;
    item.kind = Kind::Line;
    item.rect = QRectF(from, to);
    item.penWidth = penWidth;
    return item;
}

Item Item::image(const QRectF& rect, const QImage& picture)
{
    Item item;
    item.kind = Kind::Picture;
    item.rect = rect;
    item.picture = picture;
    return item;
}

QSizeF pageSize(Orientation orientation)
{
    const QSizeF portrait(mmToPx(210), mmToPx(297));
    return orientation == Orientation::Landscape ? portrait.transposed() : portrait;
}

QRectF contentRect(const Report& report)
{
    const QMarginsF m = report.marginsMm;
    const QSizeF size = pageSize(report.orientation);
    return QRectF(mmToPx(m.left()), mmToPx(m.top()), size.width() - mmToPx(m.left() + m.right()),
                  size.height() - mmToPx(m.top() + m.bottom()));
}

QList<Page> layout(const Report& report)
{
    QList<Page> pages;
    if (report.body.isEmpty()) return pages;
    const QRectF area = contentRect(report);
    const double bodyTop = area.top() + report.pageHeader.height;
    const double bodyBottom = area.bottom() - report.pageFooter.height;

    double y = 0;
    auto newPage = [&] {
        if (!pages.isEmpty()) placeBand(pages.last(), report.pageFooter, QPointF(area.left(), bodyBottom));
        pages.append(Page{{}, pageSize(report.orientation)});
        placeBand(pages.last(), report.pageHeader, area.topLeft());
        y = bodyTop;
    };
    newPage();
    const qsizetype count = report.body.size();
    for (qsizetype i = 0; i < count; ++i) {
        // A band kept with the next one needs room for both (and for a chain of such bands).
        double needed = 0;
        for (qsizetype j = i; j < count; ++j) {
            needed += report.body[j].height;
            if (!report.body[j].keepWithNext) break;
        }
        const bool pageHasBody = y > bodyTop;
        if (y + needed > bodyBottom && pageHasBody) newPage();
        placeBand(pages.last(), report.body[i], QPointF(area.left(), y));
        y += report.body[i].height;
    }
    placeBand(pages.last(), report.pageFooter, QPointF(area.left(), bodyBottom));
    return pages;
}

QString formatAmount(double value)
{
    const shell::Hundredths cents = shell::hundredthsHalfEven(value);
    const bool negative = cents < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t(-(cents + 1)) + 1 : std::uint64_t(cents);
    QString whole = QString::number(magnitude / 100);
    const std::uint64_t fraction = magnitude % 100;
    for (qsizetype pos = whole.size() - 3; pos > 0; pos -= 3) whole.insert(pos, QLatin1Char(' '));
    QString text = whole + QLatin1Char('.') + (fraction < 10 ? QStringLiteral("0") : QString()) + QString::number(fraction);
    if (negative) text.prepend(QLatin1Char('-'));
    return text;
}

}  // namespace report
