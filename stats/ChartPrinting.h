#pragma once
// How the statistics chart reaches paper. The window hands over a painter function that
// draws the chart into a page rectangle; PrintChart decides where that page goes:
//  - with a printer installed: Qt's print preview on an A4 landscape page, from which the
//    receptionist prints;
//  - with none: the receptionist chooses a PDF file (platform file chooser) and is told
//    where the chart was written, instead of nothing happening.
// Tests replace the whole function with setChartPrinter, so nothing blocks and no printer is
// needed.
//
// Invariants: the painter function is called only while PrintChart runs; PrintChart answers
// true when a page was produced (printed, or written to the PDF file).

#include <QRectF>
#include <QString>
#include <functional>

class QPainter;
class QWidget;

namespace stats {

using ChartPainter = std::function<void(QPainter& painter, const QRectF& page)>;
using ChartPrinter = std::function<bool(QWidget* owner, const QString& documentName, const ChartPainter& paint)>;

bool PrintChart(QWidget* owner, const QString& documentName, const ChartPainter& paint);

// Replaces PrintChart's real work (an empty function restores it).
void setChartPrinter(ChartPrinter printer);

// Writes the chart as a one-page A4 landscape PDF; false when the file cannot be written.
bool WriteChartPdf(const QString& file, const QString& documentName, const ChartPainter& paint);

}  // namespace stats
