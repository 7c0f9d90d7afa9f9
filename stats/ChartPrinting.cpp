// Printing the statistics chart: print preview with a printer, a PDF file without one.
//
// Invariants: see ChartPrinting.h.

#include "stats/ChartPrinting.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "lang/Language.h"
#include "platform/Platform.h"

namespace stats {

namespace {

ChartPrinter& replacement()
{
    static ChartPrinter printer;
    return printer;
}

const QString kCaption = QStringLiteral("Statistics");
const QString kChoosePdf = QStringLiteral("No printer is installed. Save the chart as a PDF file");
const QString kPdfSaved = QStringLiteral("The chart was saved as a PDF file:");
const QString kPdfFailed = QStringLiteral("Can't write the PDF file:");

void setUpPage(QPrinter& printer, const QString& documentName)
{
    printer.setDocName(documentName);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
}

bool paintPage(QPrinter& printer, const ChartPainter& paint)
{
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    paint(painter, QRectF(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size()));
    return painter.end();
}

bool saveAsPdf(QWidget* owner, const QString& documentName, const ChartPainter& paint)
{
    const QString file = platform::chooseSaveFile(owner, TranslateMessage(kChoosePdf),
                                                  QDir::homePath() + QLatin1Char('/') + documentName + QStringLiteral(".pdf"),
                                                  QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty()) return false;
    const bool written = WriteChartPdf(file, documentName, paint);
    // The file name is no translation key: only the sentence before it is translated.
    platform::messageBox(owner, TranslateMessage(written ? kPdfSaved : kPdfFailed) + QStringLiteral("\r\n") + QDir::toNativeSeparators(file),
                         TranslateMessage(kCaption), written ? platform::Icon::Information : platform::Icon::Warning,
                         platform::Buttons::Ok);
    return written;
}

}  // namespace

void setChartPrinter(ChartPrinter printer) { replacement() = std::move(printer); }

bool WriteChartPdf(const QString& file, const QString& documentName, const ChartPainter& paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    setUpPage(printer, documentName);
    return paintPage(printer, paint);
}

bool PrintChart(QWidget* owner, const QString& documentName, const ChartPainter& paint)
{
    if (replacement()) return replacement()(owner, documentName, paint);
    if (QPrinterInfo::availablePrinters().isEmpty()) return saveAsPdf(owner, documentName, paint);
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(printer, documentName);
    QPrintPreviewDialog preview(&printer, owner);
    preview.setWindowTitle(documentName);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter* target) { paintPage(*target, paint); });
    return platform::runModal(&preview) == QDialog::Accepted;
}

}  // namespace stats
