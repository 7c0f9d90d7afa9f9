// TfrmFeeBook: the fee book window; see TfrmFeeBook.h.
#include "fees/TfrmFeeBook.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "fees/FeeForms.h"
#include "fees/FeeWindows.h"
#include "guests/GuestWindows.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "report/Report.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/ButtonRow.h"
#include "widgets/Named.h"

using widgets::label;
using widgets::named;

namespace {
const QString kCaption = QStringLiteral("Accommodation fee book");
const char* const kColumns[] = {"Arrival", "Departure", "Name", "Born", "Document", "Nights", "Fee rate", "Fee", "Exemption"};
QString translated(const QString& text) { return TranslateMessageIfAny(text); }
}  // namespace

TfrmFeeBook::TfrmFeeBook(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFeeBook"));
    setWindowTitle(kCaption);
    dtFrom = named(new QDateEdit(this), "dtFrom");
    dtThru = named(new QDateEdit(this), "dtThru");
    for (QDateEdit* d : {dtFrom, dtThru}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("d.M.yyyy"));
    }
    btShow = named(new QPushButton(QStringLiteral("Show"), this), "btShow");
    grFees = named(new QTableWidget(0, int(std::size(kColumns)), this), "grFees");
    grFees->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grFees->setSelectionBehavior(QAbstractItemView::SelectRows);
    grFees->verticalHeader()->hide();
    grFees->horizontalHeader()->setStretchLastSection(true);
    lbSummary = named(new QLabel(this), "lbSummary");
    btPrint = named(new QPushButton(QStringLiteral("Print"), this), "btPrint");
    btPdf = named(new QPushButton(QStringLiteral("Save as PDF..."), this), "btPdf");
    btCsv = named(new QPushButton(QStringLiteral("Save as CSV..."), this), "btCsv");
    btClose = named(new QPushButton(QStringLiteral("Close"), this), "btClose");
    for (QPushButton* b : {btShow, btPrint, btPdf, btCsv}) b->setAutoDefault(false);
    connect(btShow, &QPushButton::clicked, this, &TfrmFeeBook::reload);
    connect(btPrint, &QPushButton::clicked, this, &TfrmFeeBook::printBook);
    connect(btPdf, &QPushButton::clicked, this, &TfrmFeeBook::savePdf);
    connect(btCsv, &QPushButton::clicked, this, &TfrmFeeBook::saveCsv);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QGridLayout;
    top->addWidget(label(this, "lbFrom", "Arrivals from:", dtFrom), 0, 0);
    top->addWidget(dtFrom, 0, 1);
    top->addWidget(label(this, "lbThru", "to:", dtThru), 0, 2);
    top->addWidget(dtThru, 0, 3);
    top->addWidget(btShow, 0, 4);
    top->setColumnStretch(5, 1);
    auto* body = new QVBoxLayout;
    body->addLayout(top);
    body->addWidget(grFees);
    body->addWidget(lbSummary);
    widgets::bodyAboveButtons(this, body, {btPrint, btPdf, btCsv, btClose});
    resize(980, 560);
}

int TfrmFeeBook::Execute()
{
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

bool TfrmFeeBook::FormActivate()
{
    if (!guests::guestBookReadyOrSay(parentWidget(), dmDataModule(), kCaption)) return false;
    const QDate today = platform::today();
    dtFrom->setDate(QDate(today.year(), today.month(), 1));
    dtThru->setDate(today);
    QStringList titles;
    for (const char* c : kColumns) titles << TranslateMessage(QString::fromLatin1(c));
    grFees->setHorizontalHeaderLabels(titles);
    reload();
    return true;
}

bool TfrmFeeBook::reload()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    try {
        m_book = fees::readFeeBook(dm->db(), dm->DbPrefix(), dtFrom->date(), dtThru->date());
    } catch (const engine::Error& e) {
        guests::warnUser(this, kCaption, QStringLiteral("The fee book cannot be read."), QString::fromUtf8(e.what()));
        return false;
    }
    grFees->setRowCount(int(m_book.rows.size()));
    const QString rate = report::formatAmount(shell::fromHundredths(m_book.rate));
    for (int r = 0; r < m_book.rows.size(); ++r) {
        const fees::FeeBookRow& row = m_book.rows[r];
        const guests::Guest& g = row.person;
        const QString exemption =
            row.fee.exemption == fees::Exemption::Reason ? row.fee.reason : TranslateMessageIfAny(fees::exemptionText(row.fee));
        const QStringList cells = {shell::DateText(g.DATEFROM), shell::DateText(g.DATETHRU), g.fullName(), g.DATEBIRTH,
                                   (g.DOCTYPE + QLatin1Char(' ') + g.DOCNUM).trimmed(), QString::number(row.fee.nights), rate,
                                   report::formatAmount(shell::fromHundredths(row.fee.fee)), exemption};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 5 && c <= 7) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grFees->setItem(r, c, item);
        }
    }
    lbSummary->setText(TranslateMessage(QStringLiteral("Persons:")) + QLatin1Char(' ') + QString::number(m_book.persons) +
                       QStringLiteral(", ") + TranslateMessage(QStringLiteral("nights:")) + QLatin1Char(' ') +
                       QString::number(m_book.nights) + QStringLiteral(", ") + TranslateMessage(QStringLiteral("exempt:")) +
                       QLatin1Char(' ') + QString::number(m_book.exemptPersons) + QStringLiteral(" / ") +
                       QString::number(m_book.exemptNights) + QStringLiteral(", ") +
                       TranslateMessage(QStringLiteral("fee (CZK):")) + QLatin1Char(' ') +
                       report::formatAmount(shell::fromHundredths(m_book.total)));
    return true;
}

bool TfrmFeeBook::printBook()
{
    const auto pages = fees::feeBookPages(fees::storedHotel(), m_book, &translated);
    return report::printPages(this, TranslateMessage(kCaption), pages) == platform::PrintOutcome::Printed;
}

bool TfrmFeeBook::savePdf()
{
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save as PDF")),
                                                  QStringLiteral("fee-book.pdf"), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return false;
    if (report::writePdf(path, TranslateMessage(kCaption), fees::feeBookPages(fees::storedHotel(), m_book, &translated)))
        return true;
    guests::warnUser(this, kCaption, QStringLiteral("The file cannot be written:"), path);
    return false;
}

bool TfrmFeeBook::saveCsv()
{
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save as CSV")),
                                                  QStringLiteral("fee-book.csv"), QStringLiteral("CSV (*.csv)"));
    return !path.isEmpty() && fees::writeFileOrSay(this, kCaption, path, fees::feeBookCsv(m_book, &translated));
}
