#pragma once
// The banded report facility: a page model of positioned items in bands, laid out onto A4
// pages, portrait or landscape. A document (account, registration card, confirmation, labels) is fed its
// rows by its caller and turns them into a Report: the page header and footer bands and the
// body bands in print order (group headers, details, group footers, summary). Layout cuts the
// body into pages; the renderer (ReportRenderer.h) paints the pages.
//
// Units: every position and size is in pixels of a 96-dpi design surface, relative to the
// top left of the band; bands are placed inside the page's margins, so x = 0 is the left
// margin. A4 at 96 dpi is 793.7 by 1122.5; with 10 mm margins the printable width is 718
// (1047 on a landscape page).
//
// Invariants:
//  - the page header band is printed at the top of every page, the footer at the bottom;
//  - a body band never straddles two pages: a band that does not fit below the previous one
//    starts a new page (a band taller than a page is put on a page of its own);
//  - a band marked keepWithNext moves with the band after it (a group heading is never the
//    last thing on a page);
//  - layout keeps the items and their order; it only positions bands.

#include <QImage>
#include <QList>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace report {

// The design families "Arial" and "Arial CE" are drawn with Liberation Sans (same metrics).
struct Font {
    QString family = QStringLiteral("Arial");
    int pixelSize = 13;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

enum class Align { Left, Center, Right };

enum class Orientation { Portrait, Landscape };

struct Item {
    enum class Kind { Text, Frame, Line, Picture };
    Kind kind = Kind::Text;
    // Text: the clip rectangle (width 0 = as wide as the text, height 0 = one line of the
    // font). Frame: the rectangle. Line: from topLeft to bottomRight. Picture: the target.
    QRectF rect;
    QString text;
    Font font;
    Align align = Align::Left;
    bool wordWrap = false;   // a paragraph wrapped inside rect
    // A single line wider than its rect is drawn in a smaller font until it fits (never below
    // kMinFitPixelSize), so no character of an amount or a name is cut at the box's edge.
    bool shrinkToFit = true;
    double penWidth = 1.0;   // frames and lines
    QImage picture;

    static Item textAt(double left, double top, const QString& text, const Font& font,
                       double width = 0, Align align = Align::Left);
    static Item paragraph(const QRectF& rect, const QString& text, const Font& font);
    static Item frame(const QRectF& rect, double penWidth = 1.0);
    static Item line(const QPointF& from, const QPointF& to, double penWidth = 1.0);
    static Item image(const QRectF& rect, const QImage& picture);
};

struct Band {
    enum class Kind { PageHeader, GroupHeader, Detail, GroupFooter, Summary, PageFooter };
    Kind kind = Kind::Detail;
    double height = 0;
    bool keepWithNext = false;
    QList<Item> items;

    Band() = default;
    Band(Kind k, double h) : kind(k), height(h), keepWithNext(k == Kind::GroupHeader) {}
    Band& add(const Item& item) { items.append(item); return *this; }
};

struct Report {
    QString title;              // the preview's caption and the PDF's title
    Orientation orientation = Orientation::Portrait;
    QMarginsF marginsMm{10, 10, 10, 10};
    Band pageHeader{Band::Kind::PageHeader, 0};
    Band pageFooter{Band::Kind::PageFooter, 0};
    QList<Band> body;           // in print order
};

// A4 in design pixels, 793.7 by 1122.5 (portrait) or 1122.5 by 793.7.
QSizeF pageSize(Orientation orientation = Orientation::Portrait);

// One laid-out page: items with positions relative to the page's top left corner.
struct Page {
    QList<Item> items;
    QSizeF size = pageSize();   // the sheet it is laid out on
};
// The area inside the margins, in design pixels from the page's top left.
QRectF contentRect(const Report& report);
// Cuts the body into pages. An empty body gives no page.
QList<Page> layout(const Report& report);

// The smallest pixel size a text is shrunk to; below it the text is clipped.
inline constexpr int kMinFitPixelSize = 6;

// "# ##0.00": two decimals, a blank between thousands (1 234.50, -12.00); halves round to
// the even neighbour, as money is rounded everywhere in the program (0.125 -> 0.12).
QString formatAmount(double value);

}  // namespace report
