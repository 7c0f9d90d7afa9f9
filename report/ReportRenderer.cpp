// QPainter rendering of report pages to paged devices and images.
//
// Invariants: see ReportRenderer.h.

#include "report/ReportRenderer.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include "lang/Language.h"
#include "platform/Platform.h"

namespace report {

namespace {
constexpr double kDesignDpi = 96.0;

void paintText(QPainter& painter, const Item& item)
{
    const QFont font = fittedFont(item);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    QRectF rect = item.rect;
    if (rect.height() <= 0) rect.setHeight(metrics.height());
    int flags = Qt::AlignTop;
    switch (item.align) {
    case Align::Left: flags |= Qt::AlignLeft; break;
    case Align::Center: flags |= Qt::AlignHCenter; break;
    case Align::Right: flags |= Qt::AlignRight; break;
    }
    if (item.wordWrap) flags |= Qt::TextWordWrap;
    if (rect.width() <= 0) {
        rect.setWidth(metrics.horizontalAdvance(item.text) + 1);
        flags |= Qt::TextDontClip;
    }
    painter.drawText(rect, flags, item.text);
}

void paintItem(QPainter& painter, const Item& item)
{
    QPen pen(Qt::black);
    pen.setWidthF(item.penWidth);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    switch (item.kind) {
    case Item::Kind::Text: paintText(painter, item); break;
    case Item::Kind::Frame: painter.drawRect(item.rect); break;
    case Item::Kind::Line: painter.drawLine(item.rect.topLeft(), item.rect.bottomRight()); break;
    case Item::Kind::Picture: painter.drawImage(item.rect, item.picture); break;
    }
}
}  // namespace

QFont qtFont(const Font& font)
{
    QString family = font.family;
    if (family == QLatin1String("Arial") || family == QLatin1String("Arial CE"))
        family = QStringLiteral("Liberation Sans");
    QFont f(family);
    f.setPixelSize(font.pixelSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

QPointF designScale(const QPaintDevice& device)
{
    return QPointF(device.logicalDpiX() / kDesignDpi, device.logicalDpiY() / kDesignDpi);
}

QFont fittedFont(const Item& item)
{
    QFont font = qtFont(item.font);
    if (!item.shrinkToFit || item.wordWrap || item.rect.width() <= 0 || item.text.isEmpty()) return font;
    // Unhinted metrics scale with the pixel size, so the first guess is close; the loop makes
    // sure of it one pixel at a time.
    int px = item.font.pixelSize;
    while (px > kMinFitPixelSize && QFontMetricsF(font).horizontalAdvance(item.text) > item.rect.width()) {
        --px;
        font.setPixelSize(px);
    }
    return font;
}

void paintPage(QPainter& painter, const Page& page)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const Item& item : page.items) paintItem(painter, item);
    painter.restore();
}

bool paintPages(QPagedPaintDevice& device, const QList<Page>& pages)
{
    // The sheet is turned before painting starts: a printer or PDF page cannot turn later.
    if (!pages.isEmpty()) {
        const QSizeF size = pages.first().size;
        device.setPageOrientation(size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    QPainter painter;
    if (!painter.begin(&device)) return false;
    // Each axis by its own resolution: a device whose dots are not square still prints A4.
    const QPointF scale = designScale(device);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) return false;
        painter.save();
        painter.scale(scale.x(), scale.y());
        paintPage(painter, pages[i]);
        painter.restore();
    }
    return painter.end();
}

bool writePdf(const QString& path, const QString& title, const QList<Page>& pages)
{
    return platform::writePdfFile(path, title, [&pages](QPagedPaintDevice& device) {
        if (!pages.isEmpty()) return paintPages(device, pages);
        // An empty document is still a valid file with one blank page.
        QPainter painter;
        return painter.begin(&device) && painter.end();
    });
}

platform::PrintOutcome printPages(QWidget* owner, const QString& title, const QList<Page>& pages, QString* pdfPath)
{
    const platform::PrintOutcome outcome = platform::printPages(
        owner, title, [&pages](QPagedPaintDevice& device) { return paintPages(device, pages); }, pdfPath);
    if (outcome == platform::PrintOutcome::Failed)
        platform::messageBox(owner, TranslateMessageIfAny(QStringLiteral("The document cannot be printed.")), title, platform::Icon::Warning,
                             platform::Buttons::Ok);
    return outcome;
}

platform::PrintOutcome print(QWidget* owner, const Report& report, QString* pdfPath)
{
    const QList<Page> pages = layout(report);
    if (pages.isEmpty()) return platform::PrintOutcome::Cancelled;
    return printPages(owner, report.title, pages, pdfPath);
}

QImage renderPage(const Page& page, double dpi)
{
    const QSizeF size = page.size * (dpi / kDesignDpi);
    QImage image(size.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(dpi / kDesignDpi, dpi / kDesignDpi);
    paintPage(painter, page);
    painter.end();
    return image;
}

}  // namespace report
