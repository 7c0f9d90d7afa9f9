#pragma once
// The printer seam. Documents hand over a painting function; the seam decides where it goes:
// the default printer when one is installed, otherwise a PDF file the user chooses (the
// chooser says that no printer is installed), so a Print command never ends in silence.
//
// Invariants:
//  - with no handler installed each function does the real thing (QPrinterInfo, QPrinter,
//    QFileDialog, QPdfWriter);
//  - the painting function receives an A4 portrait device with no margins, its resolution
//    in logicalDpiX(); it may turn the device to landscape before it starts painting;
//  - an empty file name from the chooser is a cancel: nothing is written.

#include <QString>
#include <QStringList>
#include <functional>

class QPagedPaintDevice;
class QWidget;

namespace platform {

using PaintPages = std::function<bool(QPagedPaintDevice& device)>;

enum class PrintOutcome { Printed, SavedAsPdf, Cancelled, Failed };

// The names of the installed printers (empty when none is installed).
QStringList availablePrinters();
// Prints on the default printer, or offers a PDF file when no printer is installed.
// "pdfPath" receives the file written in the second case.
PrintOutcome printPages(QWidget* owner, const QString& title, const PaintPages& paint,
                        QString* pdfPath = nullptr);
// Writes an A4 PDF file through the painting function.
bool writePdfFile(const QString& path, const QString& title, const PaintPages& paint);
// The PDF file is asked for through platform::chooseSaveFile (Platform.h).

// The handlers tests install. Leave a member empty for the real behaviour.
struct PrinterSeams {
    std::function<QStringList()> printers;
    // Prints on the named printer; returns whether the job was handed over.
    std::function<bool(const QString& printer, const QString& title, const PaintPages&)> print;
};
PrinterSeams& printerSeams();

}  // namespace platform
