// TfrmTakings: the day's takings window and its entry in the dialog seam; see TakingsWindow.h.
#include "invoices/TakingsWindow.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTableWidget>

#include "guests/Guest.h"
#include "guests/HotelSettings.h"
#include "invoices/TakingsReport.h"
#include "invoices/TfrmBuyer.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/ButtonRow.h"
#include "widgets/Named.h"

using widgets::label;
using widgets::named;

namespace {
const QString kCaption = QStringLiteral("Day's takings");
const char* const kAccountColumns[] = {"Paid", "Account", "Invoice", "Payer", "Payment", "EUR", "CZK"};
const char* const kTotalColumns[] = {"Payment form / VAT rate", "Accounts", "EUR", "CZK"};
QString translated(const QString& text) { return TranslateMessageIfAny(text); }
QPointer<TfrmTakings> g_takings;

void warn(QWidget* owner, const QString& message, const QString& detail = QString())
{
    platform::messageBox(owner, TranslateMessage(message) + (detail.isEmpty() ? QString() : QStringLiteral("\r\n") + detail),
                         TranslateMessage(kCaption), platform::Icon::Warning, platform::Buttons::Ok);
}

QString hotelName()
{
    TdmDataModule* dm = dmDataModule();
    try {
        if (dm && guests::guestBookReady(dm->db(), dm->DbPrefix()))
            return guests::hotelDetails(guests::readSettings(dm->db(), dm->DbPrefix())).name;
    } catch (const std::exception&) {
    }
    return {};
}

QTableWidget* grid(QWidget* parent, const char* name, int columns)
{
    auto* g = named(new QTableWidget(0, columns, parent), name);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->verticalHeader()->hide();
    return g;
}

void setRow(QTableWidget* g, int row, const QStringList& cells, int firstNumber, bool bold = false)
{
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (c >= firstNumber) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (bold) {
            QFont f = item->font();
            f.setBold(true);
            item->setFont(f);
        }
        g->setItem(row, c, item);
    }
}

QString money(shell::Hundredths h) { return report::formatAmount(h / 100.0); }
}  // namespace

TfrmTakings::TfrmTakings(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTakings"));
    setWindowTitle(kCaption);
    dtFrom = named(new QDateEdit(this), "dtFrom");
    dtThru = named(new QDateEdit(this), "dtThru");
    for (QDateEdit* d : {dtFrom, dtThru}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("d.M.yyyy"));
    }
    btShow = named(new QPushButton(QStringLiteral("Show"), this), "btShow");
    grAccounts = grid(this, "grAccounts", int(std::size(kAccountColumns)));
    grAccounts->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    grTotals = grid(this, "grTotals", int(std::size(kTotalColumns)));
    grTotals->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    lbSummary = named(new QLabel(this), "lbSummary");
    btPrint = named(new QPushButton(QStringLiteral("Print"), this), "btPrint");
    btPdf = named(new QPushButton(QStringLiteral("Save as PDF..."), this), "btPdf");
    btCsv = named(new QPushButton(QStringLiteral("Save as CSV..."), this), "btCsv");
    btClose = named(new QPushButton(QStringLiteral("Close"), this), "btClose");
    for (QPushButton* b : {btShow, btPrint, btPdf, btCsv}) b->setAutoDefault(false);
    connect(btShow, &QPushButton::clicked, this, &TfrmTakings::reload);
    connect(btPrint, &QPushButton::clicked, this, &TfrmTakings::printTakings);
    connect(btPdf, &QPushButton::clicked, this, &TfrmTakings::savePdf);
    connect(btCsv, &QPushButton::clicked, this, &TfrmTakings::saveCsv);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QGridLayout;
    top->addWidget(label(this, "lbFrom", "Paid from:", dtFrom), 0, 0);
    top->addWidget(dtFrom, 0, 1);
    top->addWidget(label(this, "lbThru", "to:", dtThru), 0, 2);
    top->addWidget(dtThru, 0, 3);
    top->addWidget(btShow, 0, 4);
    top->setColumnStretch(5, 1);
    auto* body = new QVBoxLayout;
    body->addLayout(top);
    body->addWidget(grAccounts, 3);
    body->addWidget(grTotals, 2);
    body->addWidget(lbSummary);
    widgets::bodyAboveButtons(this, body, {btPrint, btPdf, btCsv, btClose});
    resize(900, 620);
}

int TfrmTakings::Execute()
{
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

bool TfrmTakings::FormActivate()
{
    if (!dmDataModule()) return false;
    const QDate today = platform::today();
    dtFrom->setDate(today);
    dtThru->setDate(today);
    QStringList titles;
    for (const char* c : kAccountColumns) titles << TranslateMessage(QString::fromLatin1(c));
    grAccounts->setHorizontalHeaderLabels(titles);
    titles.clear();
    for (const char* c : kTotalColumns) titles << TranslateMessage(QString::fromLatin1(c));
    grTotals->setHorizontalHeaderLabels(titles);
    reload();
    return true;
}

bool TfrmTakings::reload()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    if (dtThru->date() < dtFrom->date()) {
        warn(this, QStringLiteral("The period ends before it begins."));
        return false;
    }
    try {
        m_takings = invoices::readTakings(dm->db(), dm->DbPrefix(), dtFrom->date(), dtThru->date());
    } catch (const engine::Error& e) {
        warn(this, QStringLiteral("The takings cannot be read."), QString::fromUtf8(e.what()));
        return false;
    }
    showTakings();
    return true;
}

void TfrmTakings::showTakings()
{
    const invoices::Takings& t = m_takings;
    QHash<QChar, QString> names;
    for (const invoices::FormTotal& f : t.byForm) names.insert(f.code, TranslateMessage(f.name));
    grAccounts->setRowCount(int(t.accounts.size()));
    for (int r = 0; r < t.accounts.size(); ++r) {
        const invoices::ClosedAccount& a = t.accounts[r];
        const QString invoice =
            a.cancelled ? a.invoiceNo + QLatin1Char(' ') + TranslateMessage(QStringLiteral("(cancelled)")) : a.invoiceNo;
        setRow(grAccounts, r,
               {shell::DateText(a.paid), QString::number(a.uid), invoice, a.payer,
                names.value(a.form, names.value(QLatin1Char('?'))), money(a.total.eur), money(a.total.czk)},
               5);
        grAccounts->item(r, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    grAccounts->resizeColumnsToContents();
    grAccounts->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    grTotals->setRowCount(int(t.byForm.size() + t.byRate.size() + 1));
    int row = 0;
    for (const invoices::FormTotal& f : t.byForm)
        setRow(grTotals, row++, {TranslateMessage(f.name), QString::number(f.accounts), money(f.amount.eur), money(f.amount.czk)}, 1);
    for (const invoices::RateTotal& r : t.byRate)
        setRow(grTotals, row++,
               {r.rate == invoices::kNoVatRate   // "without VAT", not "VAT without VAT"
                    ? invoices::takingsRateText(r.rate, &translated)
                    : TranslateMessage(QStringLiteral("VAT")) + QLatin1Char(' ') + invoices::takingsRateText(r.rate, &translated),
                QString(),
                money(r.amount.eur), money(r.amount.czk)},
               1);
    setRow(grTotals, row, {TranslateMessage(QStringLiteral("Total")), QString::number(t.accounts.size()), money(t.total.eur),
                           money(t.total.czk)},
           1, true);
    lbSummary->setText(t.invoicesKept ? QString()
                                      : TranslateMessage(QStringLiteral("The database keeps no invoices: the accounts are shown without numbers.")));
}

bool TfrmTakings::printTakings()
{
    const auto pages = invoices::takingsPages(hotelName(), m_takings, &translated);
    return report::printPages(this, TranslateMessage(kCaption), pages) == platform::PrintOutcome::Printed;
}

bool TfrmTakings::savePdf()
{
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save as PDF")),
                                                  QStringLiteral("takings.pdf"), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return false;
    if (report::writePdf(path, TranslateMessage(kCaption), invoices::takingsPages(hotelName(), m_takings, &translated))) return true;
    warn(this, QStringLiteral("The file cannot be written:"), path);
    return false;
}

bool TfrmTakings::saveCsv()
{
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save as CSV")),
                                                  QStringLiteral("takings.csv"), QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) return false;
    const QByteArray bytes = invoices::takingsCsv(m_takings, &translated);
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit()) return true;
    warn(this, QStringLiteral("The file cannot be written:"), path + QStringLiteral("\r\n") + f.errorString());
    return false;
}

namespace invoices {

TfrmTakings* takingsDialog() { return g_takings; }

void unregisterTakingsDialogs()
{
    platform::unregisterDialog(QLatin1String(kTakingsDialog));
    delete g_takings.data();
    unregisterBuyerDialog();
}

}  // namespace invoices

void registerTakingsDialogs(QWidget* mainWindow)
{
    if (!g_takings) g_takings = new TfrmTakings(mainWindow);
    platform::registerDialog(QLatin1String(invoices::kTakingsDialog), [](QVariantMap&) {
        return g_takings && g_takings->Execute() == QDialog::Accepted ? platform::kAccepted : platform::kRejected;
    });
    registerBuyerDialog(mainWindow);
}
