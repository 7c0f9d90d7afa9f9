// TfrmVisitorStatistics: the statistical office's counts window; see TfrmVisitorStatistics.h.
#include "fees/TfrmVisitorStatistics.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "fees/FeeForms.h"
#include "fees/FeeWindows.h"
#include "guests/Countries.h"
#include "guests/GuestWindows.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"
#include "widgets/ButtonRow.h"
#include "widgets/Named.h"

using widgets::label;
using widgets::named;

namespace {
const QString kCaption = QStringLiteral("Guests by country");
const char* const kColumns[] = {"Code", "Country", "Arrivals", "Nights"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
QString translated(const QString& text) { return TranslateMessageIfAny(text); }
QString language() { return currentLanguage() && currentLanguage()->LanguageIdent() == 2 ? QStringLiteral("cs") : QStringLiteral("en"); }
QString nameOf(const QString& code) { return guests::countryName(code, language()); }
}  // namespace

TfrmVisitorStatistics::TfrmVisitorStatistics(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmVisitorStatistics"));
    setWindowTitle(kCaption);
    cmbKind = named(new QComboBox(this), "cmbKind");
    cmbKind->addItems({QStringLiteral("Month"), QStringLiteral("Quarter")});
    cmbPart = named(new QComboBox(this), "cmbPart");
    spYear = named(new QSpinBox(this), "spYear");
    spYear->setRange(2000, 2100);
    btShow = named(new QPushButton(QStringLiteral("Show"), this), "btShow");
    grCountries = named(new QTableWidget(0, int(std::size(kColumns)), this), "grCountries");
    grCountries->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grCountries->setSelectionBehavior(QAbstractItemView::SelectRows);
    grCountries->verticalHeader()->hide();
    grCountries->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    lbSummary = named(new QLabel(this), "lbSummary");
    btPrint = named(new QPushButton(QStringLiteral("Print"), this), "btPrint");
    btPdf = named(new QPushButton(QStringLiteral("Save as PDF..."), this), "btPdf");
    btCsv = named(new QPushButton(QStringLiteral("Save as CSV..."), this), "btCsv");
    btClose = named(new QPushButton(QStringLiteral("Close"), this), "btClose");
    for (QPushButton* b : {btShow, btPrint, btPdf, btCsv}) b->setAutoDefault(false);
    connect(cmbKind, &QComboBox::activated, this, [this] { fillParts(); });
    connect(btShow, &QPushButton::clicked, this, &TfrmVisitorStatistics::reload);
    connect(btPrint, &QPushButton::clicked, this, &TfrmVisitorStatistics::printCounts);
    connect(btPdf, &QPushButton::clicked, this, &TfrmVisitorStatistics::savePdf);
    connect(btCsv, &QPushButton::clicked, this, &TfrmVisitorStatistics::saveCsv);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QGridLayout;
    top->addWidget(label(this, "lbPeriod", "Period:", cmbKind), 0, 0);
    top->addWidget(cmbKind, 0, 1);
    top->addWidget(cmbPart, 0, 2);
    top->addWidget(spYear, 0, 3);
    top->addWidget(btShow, 0, 4);
    top->setColumnStretch(5, 1);
    auto* body = new QVBoxLayout;
    body->addLayout(top);
    body->addWidget(grCountries);
    body->addWidget(lbSummary);
    widgets::bodyAboveButtons(this, body, {btPrint, btPdf, btCsv, btClose});
    resize(640, 520);
}

int TfrmVisitorStatistics::Execute()
{
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

void TfrmVisitorStatistics::fillParts()
{
    cmbPart->clear();
    if (cmbKind->currentIndex() == 1) {
        for (int q = 1; q <= 4; ++q) cmbPart->addItem(QStringLiteral("Q%1").arg(q));
    } else {
        for (const char* m : kMonths) cmbPart->addItem(TranslateMessage(QString::fromLatin1(m)));
    }
}

bool TfrmVisitorStatistics::FormActivate()
{
    if (!guests::guestBookReadyOrSay(parentWidget(), dmDataModule(), kCaption)) return false;
    // The office asks for the month just ended.
    const QDate last = platform::today().addMonths(-1);
    cmbKind->clear();
    cmbKind->addItems({TranslateMessage(QStringLiteral("Month")), TranslateMessage(QStringLiteral("Quarter"))});
    cmbKind->setCurrentIndex(0);
    fillParts();
    cmbPart->setCurrentIndex(last.month() - 1);
    spYear->setValue(last.year());
    QStringList titles;
    for (const char* c : kColumns) titles << TranslateMessage(QString::fromLatin1(c));
    grCountries->setHorizontalHeaderLabels(titles);
    reload();
    return true;
}

fees::StatPeriod TfrmVisitorStatistics::period() const
{
    const bool quarter = cmbKind->currentIndex() == 1;
    const int part = std::max(0, cmbPart->currentIndex());
    const QDate from(spYear->value(), quarter ? 3 * part + 1 : part + 1, 1);
    return {from, from.addMonths(quarter ? 3 : 1).addDays(-1)};
}

bool TfrmVisitorStatistics::reload()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    const fees::StatPeriod p = period();
    try {
        m_stats = fees::readVisitorStatistics(dm->db(), dm->DbPrefix(), p.from, p.thru);
    } catch (const engine::Error& e) {
        guests::warnUser(this, kCaption, QStringLiteral("The statistics cannot be read."), QString::fromUtf8(e.what()));
        return false;
    }
    grCountries->setRowCount(int(m_stats.countries.size()) + 1);
    auto put = [this](int r, const QStringList& cells, bool bold) {
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (bold) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
            }
            grCountries->setItem(r, c, item);
        }
    };
    for (int r = 0; r < m_stats.countries.size(); ++r) {
        const fees::CountryCount& c = m_stats.countries[r];
        put(r, {c.country, nameOf(c.country), QString::number(c.arrivals), QString::number(c.nights)}, false);
    }
    put(int(m_stats.countries.size()),
        {TranslateMessage(QStringLiteral("Total")), QString(), QString::number(m_stats.arrivals), QString::number(m_stats.nights)}, true);
    lbSummary->setText(TranslateMessage(QStringLiteral("Rooms:")) + QLatin1Char(' ') + QString::number(m_stats.rooms) +
                       QStringLiteral(", ") + TranslateMessage(QStringLiteral("Beds:")) + QLatin1Char(' ') +
                       QString::number(m_stats.beds) + QStringLiteral(", ") + TranslateMessage(QStringLiteral("Days open:")) +
                       QLatin1Char(' ') + QString::number(m_stats.daysOpen));
    return true;
}

bool TfrmVisitorStatistics::printCounts()
{
    const auto pages = fees::visitorStatisticsPages(fees::storedHotel(), m_stats, &translated, &nameOf);
    return report::printPages(this, TranslateMessage(kCaption), pages) == platform::PrintOutcome::Printed;
}

bool TfrmVisitorStatistics::savePdf()
{
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save as PDF")),
                                                  QStringLiteral("guests-by-country.pdf"), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return false;
    if (report::writePdf(path, TranslateMessage(kCaption),
                         fees::visitorStatisticsPages(fees::storedHotel(), m_stats, &translated, &nameOf)))
        return true;
    guests::warnUser(this, kCaption, QStringLiteral("The file cannot be written:"), path);
    return false;
}

bool TfrmVisitorStatistics::saveCsv()
{
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save as CSV")),
                                                  QStringLiteral("guests-by-country.csv"), QStringLiteral("CSV (*.csv)"));
    return !path.isEmpty() && fees::writeFileOrSay(this, kCaption, path, fees::visitorStatisticsCsv(m_stats));
}
