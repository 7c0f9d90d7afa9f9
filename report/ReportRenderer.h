#pragma once
// Paints laid-out report pages with QPainter: on any paged device (printer, PDF writer) and
// into an image for the preview. The design surface is 96 dpi; each device is scaled to it,
// so a page looks the same on paper, in a PDF and on screen.
//
// Invariants: a single-line text item wider than its rectangle is drawn in a smaller font
// until it fits (shrinkToFit), else it is clipped to its rectangle (unless its width is 0);
// it is drawn in Liberation Sans for the design families "Arial" and "Arial CE", with
// unhinted metrics so that widths do not change with the device's resolution.

#include <QFont>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>

#include "platform/Printer.h"
#include "report/Report.h"

class QPaintDevice;
class QPainter;
class QPagedPaintDevice;
class QWidget;

namespace report {

// The font the renderer draws a design font with.
QFont qtFont(const Font& font);
// The font a text item is drawn with: its own, made smaller until the text fits its width.
QFont fittedFont(const Item& item);

// The factors from design pixels to the device's, each axis by its own resolution.
QPointF designScale(const QPaintDevice& device);
// Paints one page; the painter's coordinates are design pixels from the page's top left.
void paintPage(QPainter& painter, const Page& page);
// Paints every page on a paged device, a new page between them, the device turned to the
// pages' orientation (that of the first page) before painting starts. False when painting
// could not start (an unwritable PDF file, a printer that refused).
bool paintPages(QPagedPaintDevice& device, const QList<Page>& pages);
// Writes the pages as an A4 PDF file, portrait or landscape as the pages are.
bool writePdf(const QString& path, const QString& title, const QList<Page>& pages);
// One page as a white image at the given resolution.
QImage renderPage(const Page& page, double dpi);
// Prints pages through the printer seam: the default printer, or a PDF file the user
// chooses when no printer is installed; a printer or file that refuses is reported.
platform::PrintOutcome printPages(QWidget* owner, const QString& title, const QList<Page>& pages,
                                  QString* pdfPath = nullptr);
// Lays the report out and prints it as above. Nothing happens for a report without pages.
platform::PrintOutcome print(QWidget* owner, const Report& report, QString* pdfPath = nullptr);

}  // namespace report
