// TfrmStatisticsRooms: the period list, the chart with its two stacked series, the reading
// of the stays in slices, zoom and printing.
//
// Invariants: see TfrmStatisticsRooms.h.

#include "stats/TfrmStatisticsRooms.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stats/ChartPrinting.h"
#include "widgets/Named.h"

namespace {

using widgets::named;

const QString kCaption = QStringLiteral("Statistics");
const QString kChartTitle = QStringLiteral("Rooms' usage statistics");
const QString kAxisUsage = QStringLiteral("Usage in %");
const QString kAxisRooms = QStringLiteral("Rooms");

// Reading runs in slices of this many milliseconds between the window's events; the bars
// are redrawn at most every kDrawEveryMs, so drawing costs the count next to nothing.
constexpr int kSliceMs = 30;
constexpr int kDrawEveryMs = 150;
constexpr int kRowsPerCheck = 1024;
// Reading that takes longer than this shows its progress.
constexpr int kProgressAfterMs = 300;
// Up to this many changed bars are updated one by one, more are set all at once.
constexpr int kSingleBarUpdates = 16;
// The zoom moves in 30 steps.
constexpr int kZoomSteps = 30;
constexpr int kZoomStepMs = 10;
// The narrowest a bar and its gap may get before the chart grows wider than the window.
constexpr int kMinBarPitch = 16;
// The chart's width beside its bars: the left axis with its title, and the margins.
constexpr int kPlotMargin = 120;

}  // namespace

TfrmStatisticsRooms::TfrmStatisticsRooms(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmStatisticsRooms"));
    setWindowTitle(QStringLiteral("Rooms' Statistics"));
    m_sliceTimer = new QTimer(this);
    m_sliceTimer->setSingleShot(true);
    m_sliceTimer->setInterval(0);
    connect(m_sliceTimer, &QTimer::timeout, this, &TfrmStatisticsRooms::readSlice);
    m_zoomTimer = new QTimer(this);
    m_zoomTimer->setInterval(kZoomStepMs);
    connect(m_zoomTimer, &QTimer::timeout, this, &TfrmStatisticsRooms::zoomStep);
    buildControls();
    resize(820, 520);
}

TfrmStatisticsRooms::~TfrmStatisticsRooms() { stopReading(); }

void TfrmStatisticsRooms::buildControls()
{
    cmbStatFor = named(new QComboBox(this), "cmbStatFor");
    cmbStatFor->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lbStatisticsFor = named(new QLabel(QStringLiteral("Statistic for last"), this), "lbStatisticsFor");
    lbStatisticsFor->setBuddy(cmbStatFor);
    pbProgress = named(new QProgressBar(this), "pbProgress");
    pbProgress->setMaximumWidth(240);
    pbProgress->setTextVisible(false);
    pbProgress->hide();

    auto* chartObject = new QChart;
    chartObject->setObjectName(QStringLiteral("chrChart"));
    QFont titleFont = chartObject->titleFont();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    chartObject->setTitleFont(titleFont);
    chartObject->setTitleBrush(QBrush(Qt::blue));
    chartObject->setTitle(kChartTitle);
    chartObject->legend()->setAlignment(Qt::AlignBottom);

    Series1 = named(new QBarSet(QStringLiteral("Not available")), "Series1");
    Series1->setColor(Qt::red);
    Series1->setBorderColor(Qt::darkRed);
    Series2 = named(new QBarSet(QStringLiteral("Usage")), "Series2");
    Series2->setColor(Qt::blue);
    Series2->setBorderColor(Qt::darkBlue);
    series = named(new QStackedBarSeries, "series");
    series->append(Series1);
    series->append(Series2);
    series->setBarWidth(0.7);
    chartObject->addSeries(series);

    axisRooms = named(new QBarCategoryAxis, "axisRooms");
    axisRooms->setTitleText(kAxisRooms);
    // Upright labels under narrow bars are whole room identifiers, never cut to "...".
    axisRooms->setTruncateLabels(false);
    axisUsage = named(new QValueAxis, "axisUsage");
    axisUsage->setRange(0, 100);
    axisUsage->setTickCount(11);
    axisUsage->setLabelFormat(QStringLiteral("%d"));
    axisUsage->setTitleText(kAxisUsage);
    chartObject->addAxis(axisRooms, Qt::AlignBottom);
    chartObject->addAxis(axisUsage, Qt::AlignLeft);
    series->attachAxis(axisRooms);
    series->attachAxis(axisUsage);

    Chart = named(new QChartView(chartObject), "Chart");
    Chart->setRenderHint(QPainter::Antialiasing, false);
    Chart->setMinimumHeight(300);
    // The chart and its series belong to the window, so object paths such as
    // frmStatisticsRooms.Series1.Title find them.
    chartObject->setParent(Chart);
    scrChart = named(new QScrollArea(this), "scrChart");
    scrChart->setWidget(Chart);
    scrChart->setWidgetResizable(true);
    scrChart->setFrameShape(QFrame::NoFrame);
    scrChart->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    mnPopupChart = named(new QMenu(this), "mnPopupChart");
    mnPrint = named(mnPopupChart->addAction(QStringLiteral("&Print")), "mnPrint");
    mnZoomIn = named(mnPopupChart->addAction(QStringLiteral("Zoom in")), "mnZoomIn");
    mnZoomOut = named(mnPopupChart->addAction(QStringLiteral("Zoom out")), "mnZoomOut");
    Chart->setContextMenuPolicy(Qt::CustomContextMenu);
    Chart->installEventFilter(this);
    connect(Chart, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { mnPopupChart->popup(Chart->mapToGlobal(at)); });
    connect(mnPrint, &QAction::triggered, this, &TfrmStatisticsRooms::mnPrintClick);
    connect(mnZoomIn, &QAction::triggered, this, &TfrmStatisticsRooms::mnZoomInClick);
    connect(mnZoomOut, &QAction::triggered, this, &TfrmStatisticsRooms::mnZoomOutClick);
    connect(cmbStatFor, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_quiet) cmbStatForChange();
    });

    auto* top = new QHBoxLayout;
    top->addWidget(lbStatisticsFor);
    top->addWidget(cmbStatFor);
    top->addStretch(1);
    top->addWidget(pbProgress);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(scrChart, 1);
}

QChart* TfrmStatisticsRooms::chart() const { return Chart->chart(); }

int TfrmStatisticsRooms::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmStatisticsRooms::FormActivate()
{
    // The titles are translated from their English design texts, so a switch back to
    // English gives English titles again.
    axisUsage->setTitleText(TranslateMessage(kAxisUsage));
    axisRooms->setTitleText(TranslateMessage(kAxisRooms));
    {
        ++m_quiet;
        cmbStatFor->clear();
        for (const stats::TStatForPeriod& period : stats::TStatForPeriods)
            cmbStatFor->addItem(TranslateMessage(QString::fromLatin1(period.name)));
        cmbStatFor->setCurrentIndex(0);
        --m_quiet;
    }
    cmbStatForChange();
}

bool TfrmStatisticsRooms::isComputing() const { return m_reader != nullptr; }

void TfrmStatisticsRooms::stopReading()
{
    m_sliceTimer->stop();
    m_reader.reset();
    pbProgress->hide();
}

void TfrmStatisticsRooms::cmbStatForChange()
{
    stopReading();
    const int index = cmbStatFor->currentIndex();
    if (index < 0 || index >= int(stats::TStatForPeriods.size())) return;
    chart()->setTitle(TranslateMessage(kChartTitle) + QStringLiteral(" (") + cmbStatFor->currentText() + QLatin1Char(')'));
    m_zoomTimer->stop();
    m_zoomStepsLeft = 0;
    chart()->zoomReset();
    axisUsage->setRange(0, 100);

    // Empty bars and series.
    m_usage = stats::TRoomUsage(stats::TStatForPeriods[std::size_t(index)].days, shell::TodayNumber());
    m_changed.clear();
    m_barsShown = 0;
    m_lengthShown = 0;
    Series1->remove(0, Series1->count());
    Series2->remove(0, Series2->count());
    axisRooms->clear();

    TdmDataModule* dm = dmDataModule();
    const QString db = dm ? dm->DbPrefix() : QString();
    try {
        if (!dm) throw engine::Error("no database");
        auto rooms = dm->Open(stats::RoomsStatement(db));
        while (rooms->next()) m_usage.addRoom(QString::fromStdString(rooms->text(0)));
    } catch (const std::exception&) {
        LangMessageBox(this, QStringLiteral("Can't load rooms"), kCaption, platform::Icon::Warning, platform::Buttons::Ok);
    }
    showCounts();

    try {
        if (!dm) throw engine::Error("no database");
        m_reader = std::make_unique<stats::TStayReader>(
            dm->Open(stats::StaysStatement(db, m_usage.start(), m_usage.today())));
    } catch (const std::exception&) {
        platform::messageBox(this, QStringLiteral("Can't load the data"), kCaption, platform::Icon::Warning,
                             platform::Buttons::Ok);
        return;
    }
    m_reading.start();
    m_sinceDraw.start();
    m_sliceEnded.invalidate();
    m_drawCost = 0;
    m_drawn = false;
    readSlice();
}

void TfrmStatisticsRooms::readSlice()
{
    if (!m_reader) return;
    if (m_drawn && m_sliceEnded.isValid()) m_drawCost = std::max(m_drawCost, m_sliceEnded.elapsed());
    m_drawn = false;
    QElapsedTimer slice;
    slice.start();
    bool more = true;
    try {
        do
            more = m_reader->read(m_usage, kRowsPerCheck, &m_changed);
        while (more && slice.elapsed() < kSliceMs);
    } catch (const std::exception&) {
        // The bars keep what was counted before the failure.
        finishReading();
        platform::messageBox(this, QStringLiteral("Can't load the data"), kCaption, platform::Icon::Warning,
                             platform::Buttons::Ok);
        return;
    }
    if (!more) {
        finishReading();
        return;
    }
    const qint64 elapsed = m_reading.elapsed();
    if (elapsed >= kProgressAfterMs) {
        if (pbProgress->isHidden()) {
            pbProgress->setRange(0, 0);
            try {
                pbProgress->setRange(0, int(std::min<std::int64_t>(m_reader->rowCount(), INT_MAX)));
            } catch (const std::exception&) {
            }
            pbProgress->show();
        }
        pbProgress->setValue(int(std::min<std::int64_t>(m_reader->rowsRead(), pbProgress->maximum())));
    }
    // The bars are redrawn when the last drawing is long enough ago that drawing (measured as
    // the pause between two slices) keeps to a tenth of the time.
    if (m_sinceDraw.elapsed() >= std::max<qint64>(kDrawEveryMs, 10 * m_drawCost)) {
        showCounts();
        m_sinceDraw.start();
        m_drawn = true;
    }
    m_sliceEnded.start();
    m_sliceTimer->start();
}

void TfrmStatisticsRooms::finishReading()
{
    stopReading();
    showCounts();
}

// Draws the counts: new bars get their room's label, changed bars their percentages.
void TfrmStatisticsRooms::showCounts()
{
    const QVector<stats::TRoomsDef>& bars = m_usage.bars();
    if (bars.size() > m_barsShown) {
        QStringList labels;
        QList<qreal> zeros;
        for (int i = m_barsShown; i < bars.size(); ++i) {
            labels << bars[i].PID;
            zeros << 0;
        }
        axisRooms->append(labels);
        Series1->append(zeros);
        Series2->append(zeros);
        m_barsShown = int(bars.size());
        fitChartWidth();
    }
    // Under "all the data" a longer span met in the stays rescales every bar.
    const bool rescale = m_usage.length() != m_lengthShown;
    m_lengthShown = m_usage.length();
    m_changed.resize(m_barsShown);
    const int changed = rescale ? m_barsShown : int(std::count(m_changed.begin(), m_changed.end(), true));
    if (changed > kSingleBarUpdates) {
        // Each single change makes the chart walk all its bars again: many go in at once.
        QList<qreal> outOfOrder, used;
        for (int i = 0; i < m_barsShown; ++i) {
            outOfOrder << m_usage.outOfOrderPercent(i);
            used << m_usage.usagePercent(i);
        }
        Series1->remove(0, Series1->count());
        Series1->append(outOfOrder);
        Series2->remove(0, Series2->count());
        Series2->append(used);
        m_changed.fill(false);
        return;
    }
    for (int i = 0; i < m_barsShown; ++i) {
        if (!rescale && !m_changed[i]) continue;
        m_changed[i] = false;
        Series1->replace(i, m_usage.outOfOrderPercent(i));
        Series2->replace(i, m_usage.usagePercent(i));
    }
}

// Many rooms make the chart wider than the window.
void TfrmStatisticsRooms::fitChartWidth()
{
    Chart->setMinimumWidth(std::max(1, m_barsShown) * kMinBarPitch + kPlotMargin);
    fitRoomLabels();
}

// The room labels turn upright when they would overlap.
void TfrmStatisticsRooms::fitRoomLabels()
{
    const int pitch = (Chart->width() - kPlotMargin) / std::max(1, m_barsShown);
    int widest = 0;
    const QFontMetrics metrics(axisRooms->labelsFont());
    for (const stats::TRoomsDef& bar : m_usage.bars()) widest = std::max(widest, metrics.horizontalAdvance(bar.PID));
    const int angle = widest + 6 > pitch ? -90 : 0;
    if (axisRooms->labelsAngle() != angle) axisRooms->setLabelsAngle(angle);
}

bool TfrmStatisticsRooms::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Chart && event->type() == QEvent::Resize) fitRoomLabels();
    return QDialog::eventFilter(watched, event);
}

void TfrmStatisticsRooms::mnZoomInClick() { startZoom(1.05); }

void TfrmStatisticsRooms::mnZoomOutClick() { startZoom(0.95); }

void TfrmStatisticsRooms::startZoom(double factor)
{
    // A zoom still moving completes first, so repeated clicks add up.
    while (m_zoomStepsLeft > 0) zoomStep();
    m_zoomStepFactor = std::pow(factor, 1.0 / kZoomSteps);
    m_zoomStepsLeft = kZoomSteps;
    m_zoomTimer->start();
}

void TfrmStatisticsRooms::zoomStep()
{
    if (m_zoomStepsLeft <= 0) {
        m_zoomTimer->stop();
        return;
    }
    chart()->zoom(m_zoomStepFactor);
    if (--m_zoomStepsLeft == 0) m_zoomTimer->stop();
}

void TfrmStatisticsRooms::paintChart(QPainter& painter, const QRectF& page)
{
    // The chart is laid out anew at the page's proportions (as wide as on screen at least),
    // drawn, and given back its size on screen.
    QChart* c = chart();
    const QSizeF onScreen = c->size();
    const qreal aspect = page.width() / std::max<qreal>(1, page.height());
    const qreal width = std::max<qreal>(onScreen.width(), 900);
    c->resize(QSizeF(width, width / aspect));
    if (c->layout()) c->layout()->activate();
    c->scene()->render(&painter, page, QRectF(c->pos(), c->size()), Qt::KeepAspectRatio);
    c->resize(onScreen);
    if (c->layout()) c->layout()->activate();
}

void TfrmStatisticsRooms::mnPrintClick()
{
    while (m_zoomStepsLeft > 0) zoomStep();
    stats::PrintChart(this, TranslateMessage(kChartTitle),
                      [this](QPainter& painter, const QRectF& page) { paintChart(painter, page); });
}

void TfrmStatisticsRooms::done(int result)
{
    stopReading();
    m_zoomTimer->stop();
    m_zoomStepsLeft = 0;
    QDialog::done(result);
}
