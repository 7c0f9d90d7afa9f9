#pragma once
// TfrmStatisticsRooms (form frmStatisticsRooms): for every room, the share of the nights of a
// chosen past period it was used (blue, "Usage") and out of order (red, "Not available"), as
// stacked bars in percent, with zoom and printing from the chart's pop-up menu.
//
// The stays are read a slice at a time between the window's events, so the bars grow while
// the count goes on and the window stays responsive on a database of a million stays; the
// chart is redrawn from the counts at most once per slice, so drawing never slows the count.
// A progress bar appears when reading takes longer than a moment.
//
// Invariants: each opening starts with the last week; a change of the period stops the
// reading under way and starts anew, closing the window stops it too, and no query stays
// open once the reading has ended; bar k of both series belongs to entry k of the counting;
// the left axis stays 0..100 until the receptionist zooms; there is no limit on the number
// of bars: with many rooms the chart grows wider than the window and scrolls.

#include <QDialog>
#include <QElapsedTimer>
#include <QVector>
#include <memory>

#include "stats/RoomUsage.h"

class QAction;
class QBarCategoryAxis;
class QBarSet;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QMenu;
class QPainter;
class QProgressBar;
class QRectF;
class QScrollArea;
class QStackedBarSeries;
class QTimer;
class QValueAxis;

class TfrmStatisticsRooms : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStatisticsRooms(QWidget* parent = nullptr);
    ~TfrmStatisticsRooms() override;

    // Opens the window modally (it always starts with the last week).
    int Execute();
    // The work on being shown: axis titles and period list translated, "week" computed.
    void FormActivate();
    // Computes the statistics of the selected period (on every change of the period).
    void cmbStatForChange();
    void mnPrintClick();
    void mnZoomInClick();
    void mnZoomOutClick();

    // True while stays are still being read.
    bool isComputing() const;
    // The counts behind the bars (complete once isComputing() is false).
    const stats::TRoomUsage& usage() const { return m_usage; }
    // Draws the chart into a page rectangle (printing).
    void paintChart(QPainter& painter, const QRectF& page);

    void done(int result) override;

    QLabel* lbStatisticsFor;
    QComboBox* cmbStatFor;
    QProgressBar* pbProgress;
    QScrollArea* scrChart;
    QChartView* Chart;
    QMenu* mnPopupChart;
    QAction* mnPrint;
    QAction* mnZoomIn;
    QAction* mnZoomOut;
    QStackedBarSeries* series;
    QBarSet* Series1;   // "Not available": out-of-order nights in percent
    QBarSet* Series2;   // "Usage": used nights in percent
    QBarCategoryAxis* axisRooms;
    QValueAxis* axisUsage;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QChart* chart() const;
    void buildControls();
    void stopReading();
    void readSlice();
    void finishReading();
    void showCounts();
    void fitChartWidth();
    void fitRoomLabels();
    void zoomStep();
    void startZoom(double factor);

    stats::TRoomUsage m_usage;
    std::unique_ptr<stats::TStayReader> m_reader;
    QVector<bool> m_changed;     // bars whose counts changed since they were last drawn
    int m_barsShown = 0;
    int m_lengthShown = 0;       // L the shown percentages were computed with
    QElapsedTimer m_reading;
    QElapsedTimer m_sinceDraw;   // since the bars were last drawn during the reading
    QElapsedTimer m_sliceEnded;  // since the last slice handed back to the event loop
    qint64 m_drawCost = 0;       // the longest pause after a drawing, ms
    bool m_drawn = false;        // the last slice drew the bars
    QTimer* m_sliceTimer;
    QTimer* m_zoomTimer;
    int m_zoomStepsLeft = 0;
    double m_zoomStepFactor = 1.0;
    int m_quiet = 0;
};
