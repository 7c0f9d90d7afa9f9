// TfrmGuestBook: the guest book window and the start-up reminder; see TfrmGuestBook.h.
#include "guests/TfrmGuestBook.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>

#include "guests/Dates.h"
#include "guests/GuestForms.h"
#include "guests/GuestWindows.h"
#include "guests/PoliceFile.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/ButtonRow.h"
#include "widgets/Named.h"

using widgets::label;
using widgets::named;

namespace {
const QString kCaption = QStringLiteral("Guest book");
const char* const kColumns[] = {"Arrival", "Departure", "Surname", "First name", "Born", "Citizen", "Document", "Reported",
                                "Report by"};
QString translated(const QString& text) { return TranslateMessageIfAny(text); }

guests::HotelDetails storedHotel()
{
    TdmDataModule* dm = dmDataModule();
    try {
        if (dm) return guests::hotelDetails(guests::readSettings(dm->db(), dm->DbPrefix()));
    } catch (const std::exception&) {
    }
    return {};
}

bool writeFile(QWidget* owner, const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit()) return true;
    guests::warnUser(owner, kCaption, QStringLiteral("The file cannot be written:"), path + QStringLiteral("\r\n") + f.errorString());
    return false;
}
}  // namespace

TfrmGuestBook::TfrmGuestBook(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGuestBook"));
    setWindowTitle(kCaption);
    dtFrom = named(new QDateEdit(this), "dtFrom");
    dtThru = named(new QDateEdit(this), "dtThru");
    for (QDateEdit* d : {dtFrom, dtThru}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("d.M.yyyy"));
    }
    cmbShow = named(new QComboBox(this), "cmbShow");
    cmbShow->addItems({QStringLiteral("All guests"), QStringLiteral("Foreign guests")});
    btShow = named(new QPushButton(QStringLiteral("Show"), this), "btShow");
    grBook = named(new QTableWidget(0, int(std::size(kColumns)), this), "grBook");
    QStringList titles;
    for (const char* c : kColumns) titles << QString::fromLatin1(c);
    grBook->setHorizontalHeaderLabels(titles);
    grBook->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grBook->setSelectionBehavior(QAbstractItemView::SelectRows);
    grBook->verticalHeader()->hide();
    grBook->horizontalHeader()->setStretchLastSection(true);
    lbSummary = named(new QLabel(this), "lbSummary");
    btPrint = named(new QPushButton(QStringLiteral("Print"), this), "btPrint");
    btPdf = named(new QPushButton(QStringLiteral("Save as PDF..."), this), "btPdf");
    btCsv = named(new QPushButton(QStringLiteral("Save as CSV..."), this), "btCsv");
    btPolice = named(new QPushButton(QStringLiteral("Police file..."), this), "btPolice");
    btClose = named(new QPushButton(QStringLiteral("Close"), this), "btClose");
    for (QPushButton* b : {btShow, btPrint, btPdf, btCsv, btPolice}) b->setAutoDefault(false);
    connect(btShow, &QPushButton::clicked, this, &TfrmGuestBook::reload);
    connect(btPrint, &QPushButton::clicked, this, &TfrmGuestBook::printBook);
    connect(btPdf, &QPushButton::clicked, this, &TfrmGuestBook::savePdf);
    connect(btCsv, &QPushButton::clicked, this, &TfrmGuestBook::saveCsv);
    connect(btPolice, &QPushButton::clicked, this, &TfrmGuestBook::savePoliceFile);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QGridLayout;
    top->addWidget(label(this, "lbFrom", "Arrivals from:", dtFrom), 0, 0);
    top->addWidget(dtFrom, 0, 1);
    top->addWidget(label(this, "lbThru", "to:", dtThru), 0, 2);
    top->addWidget(dtThru, 0, 3);
    top->addWidget(cmbShow, 0, 4);
    top->addWidget(btShow, 0, 5);
    top->setColumnStretch(6, 1);
    auto* body = new QVBoxLayout;
    body->addLayout(top);
    body->addWidget(grBook);
    body->addWidget(lbSummary);
    widgets::bodyAboveButtons(this, body, {btPrint, btPdf, btCsv, btPolice, btClose});
    resize(960, 560);
}

int TfrmGuestBook::Execute()
{
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

bool TfrmGuestBook::FormActivate()
{
    if (!guests::guestBookReadyOrSay(parentWidget(), dmDataModule(), kCaption)) return false;
    const QDate today = platform::today();
    dtFrom->setDate(QDate(today.year(), today.month(), 1));
    dtThru->setDate(today);
    cmbShow->clear();
    cmbShow->addItems({TranslateMessage(QStringLiteral("All guests")), TranslateMessage(QStringLiteral("Foreign guests"))});
    cmbShow->setCurrentIndex(0);
    QStringList titles;
    for (const char* c : kColumns) titles << TranslateMessage(QString::fromLatin1(c));
    grBook->setHorizontalHeaderLabels(titles);
    reload();
    return true;
}

bool TfrmGuestBook::reload()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    try {
        m_rows = guests::bookGuests(dm->db(), dm->DbPrefix(), {dtFrom->date(), dtThru->date(), cmbShow->currentIndex() == 1, false});
    } catch (const engine::Error& e) {
        guests::warnUser(this, kCaption, QStringLiteral("The guest book cannot be read."), QString::fromUtf8(e.what()));
        return false;
    }
    const QDate today = platform::today();
    const QColor conflict = colorFromWindows(options().Conflict);
    int unreported = 0, overdue = 0;
    grBook->setRowCount(int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r) {
        const guests::Guest& g = m_rows[r];
        const bool pending = g.isForeign() && !g.REPORTED.isValid();
        const QDate last = pending && g.DATEFROM.isValid() ? guests::lastDayToReport(g.DATEFROM) : QDate();
        const bool late = pending && last.isValid() && last < today;
        unreported += pending ? 1 : 0;
        overdue += late ? 1 : 0;
        const QStringList cells = {shell::DateText(g.DATEFROM), shell::DateText(g.DATETHRU), g.SURNAME, g.NAME, g.DATEBIRTH,
                                   g.CITIZEN, g.DOCNUM,
                                   g.REPORTED.isValid() ? shell::DateText(g.REPORTED)
                                                        : (pending ? TranslateMessage(QStringLiteral("not reported")) : QString()),
                                   last.isValid() ? shell::DateText(last) : QString()};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (pending) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
            }
            if (late) item->setBackground(conflict);
            grBook->setItem(r, c, item);
        }
    }
    lbSummary->setText(TranslateMessage(QStringLiteral("Persons:")) + QLatin1Char(' ') + QString::number(m_rows.size()) +
                       QStringLiteral(", ") + TranslateMessage(QStringLiteral("not reported:")) + QLatin1Char(' ') +
                       QString::number(unreported) + QStringLiteral(", ") + TranslateMessage(QStringLiteral("overdue:")) +
                       QLatin1Char(' ') + QString::number(overdue));
    return true;
}

bool TfrmGuestBook::printBook()
{
    const auto pages = guests::guestBookPages(storedHotel(), m_rows, dtFrom->date(), dtThru->date(), &translated);
    return report::printPages(this, TranslateMessage(kCaption), pages) == platform::PrintOutcome::Printed;
}

bool TfrmGuestBook::savePdf()
{
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save as PDF")),
                                                  QStringLiteral("guest-book.pdf"), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return false;
    const auto pages = guests::guestBookPages(storedHotel(), m_rows, dtFrom->date(), dtThru->date(), &translated);
    if (report::writePdf(path, TranslateMessage(kCaption), pages)) return true;
    guests::warnUser(this, kCaption, QStringLiteral("The file cannot be written:"), path);
    return false;
}

bool TfrmGuestBook::saveCsv()
{
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save as CSV")),
                                                  QStringLiteral("guest-book.csv"), QStringLiteral("CSV (*.csv)"));
    return !path.isEmpty() && writeFile(this, path, guests::guestBookCsv(m_rows));
}

bool TfrmGuestBook::savePoliceFile()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    QList<guests::Guest> pending;
    try {
        pending = guests::bookGuests(dm->db(), dm->DbPrefix(), {dtFrom->date(), dtThru->date(), true, true});
    } catch (const engine::Error& e) {
        guests::warnUser(this, kCaption, QStringLiteral("The guest book cannot be read."), QString::fromUtf8(e.what()));
        return false;
    }
    const guests::HotelDetails hotel = storedHotel();
    const QDateTime made = platform::now();
    guests::PoliceFile file = guests::makePoliceFile(hotel, pending, made);
    if (!file.ok()) {
        QStringList lines;
        bool onlyMissing = true;
        for (const guests::PoliceProblem& p : file.problems) {
            lines << (p.guest.isEmpty() ? TranslateMessage(QStringLiteral("Hotel details")) : p.guest) + QStringLiteral(": ") +
                         TranslateMessage(p.field) + QLatin1Char(' ') + TranslateMessage(p.reason);
            onlyMissing = onlyMissing && p.missing && !p.guest.isEmpty();
        }
        if (!onlyMissing) {
            guests::warnUser(this, kCaption, QStringLiteral("The police file cannot be made:"), lines.join(QStringLiteral("\r\n")));
            return false;
        }
        const int answer = platform::messageBox(
            this, TranslateMessage(QStringLiteral("These guests lack what the police require:")) + QStringLiteral("\r\n") +
                      lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n") +
                      TranslateMessage(QStringLiteral("Leave them out of the file and report them later?")),
            TranslateMessage(kCaption), platform::Icon::Question, platform::Buttons::YesNo);
        if (answer != QMessageBox::Yes) return false;
        file = guests::makePoliceFile(hotel, pending, made, true);
        if (!file.ok()) return false;
    }
    if (file.written.isEmpty()) {
        LangMessageBox(this, QStringLiteral("No foreign guest of this period waits to be reported."), kCaption,
                       platform::Icon::Information, platform::Buttons::Ok);
        return false;
    }
    const QString path = platform::chooseSaveFile(this, TranslateMessage(QStringLiteral("Save the police file")),
                                                  guests::policeFileName(hotel.idub, made), QStringLiteral("UNL (*.unl)"));
    if (path.isEmpty() || !writeFile(this, path, file.bytes)) return false;
    try {
        guests::markReported(dm->db(), dm->DbPrefix(), file.written, made.date());
    } catch (const engine::Error& e) {
        guests::warnUser(this, kCaption, QStringLiteral("The file was written, but the guests could not be marked reported."),
                         QString::fromUtf8(e.what()));
        return false;
    }
    reload();
    LangMessageBox(this, QStringLiteral("The police file is saved. Send it through the police portal."), kCaption,
                   platform::Icon::Information, platform::Buttons::Ok);
    return true;
}

namespace guests {

int dueReports(const QDate& today)
{
    TdmDataModule* dm = dmDataModule();
    if (!dm || !guestBookReady(dm->db(), dm->DbPrefix())) return 0;
    int due = 0;
    try {
        for (const Guest& g : bookGuests(dm->db(), dm->DbPrefix(), {QDate(1900, 1, 1), today, true, true}))
            if (g.DATEFROM.isValid() && lastDayToReport(g.DATEFROM) <= today) ++due;
    } catch (const engine::Error&) {
    }
    return due;
}

void remindDueReports(QWidget* owner)
{
    const int due = dueReports(platform::today());
    if (due == 0) return;
    platform::messageBox(owner,
                         TranslateMessage(QStringLiteral("Foreign guests whose report to the police is due today or overdue:")) +
                             QLatin1Char(' ') + QString::number(due) + QStringLiteral("\r\n") +
                             TranslateMessage(QStringLiteral("Overview - Guest book - Police file sends them.")),
                         TranslateMessage(QStringLiteral("Guest book")), platform::Icon::Warning, platform::Buttons::Ok);
}

}  // namespace guests
