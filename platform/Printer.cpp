// Real printing, PDF writing and the save chooser behind the printer seam.
//
// Invariants: see Printer.h.

#include "platform/Printer.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace platform {

namespace {
const char* const kNoPrinterTitle = "No printer is installed - save as PDF";

bool printOnPrinter(const QString& name, const QString& title, const PaintPages& paint)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    return paint(printer);
}

QString defaultPrinter(const QStringList& printers)
{
    if (!printerSeams().printers) {
        const QString name = QPrinterInfo::defaultPrinterName();
        if (printers.contains(name)) return name;
    }
    return printers.first();
}
}  // namespace

PrinterSeams& printerSeams()
{
    static PrinterSeams s;
    return s;
}

QStringList availablePrinters()
{
    if (printerSeams().printers) return printerSeams().printers();
    return QPrinterInfo::availablePrinterNames();
}

bool writePdfFile(const QString& path, const QString& title, const PaintPages& paint)
{
    QPdfWriter writer(path);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Tamarel"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(600);
    return paint(writer);
}

PrintOutcome printPages(QWidget* owner, const QString& title, const PaintPages& paint, QString* pdfPath)
{
    const QStringList printers = availablePrinters();
    if (!printers.isEmpty()) {
        const QString name = defaultPrinter(printers);
        const bool handed = printerSeams().print ? printerSeams().print(name, title, paint)
                                                 : printOnPrinter(name, title, paint);
        return handed ? PrintOutcome::Printed : PrintOutcome::Failed;
    }
    QString fileName = title;
    fileName.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    const QString suggested = QDir::home().filePath(fileName + QStringLiteral(".pdf"));
    // "Tamarel" is the translation engine's context: the chooser's title in the user's language.
    const QString path = chooseSaveFile(owner, QCoreApplication::translate("Tamarel", kNoPrinterTitle), suggested,
                                        QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return PrintOutcome::Cancelled;
    if (!writePdfFile(path, title, paint)) return PrintOutcome::Failed;
    if (pdfPath) *pdfPath = path;
    return PrintOutcome::SavedAsPdf;
}

}  // namespace platform
