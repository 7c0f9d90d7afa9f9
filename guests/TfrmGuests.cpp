// TfrmGuests: the guests window of a stay; see TfrmGuests.h.
#include "guests/TfrmGuests.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "guests/Countries.h"
#include "guests/GuestForms.h"
#include "guests/GuestWindows.h"
#include "guests/HotelSettings.h"
#include "guests/PoliceFile.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"
#include "widgets/ButtonRow.h"
#include "widgets/Named.h"

using widgets::label;
using widgets::named;

namespace {
const QString kCaption = QStringLiteral("Guests of the stay");

QString language()
{
    return currentLanguage() && currentLanguage()->LanguageIdent() == 2 ? QStringLiteral("cs") : QStringLiteral("en");
}
QString translated(const QString& text) { return TranslateMessage(text); }

const char* const kColumns[] = {"Surname", "First name", "Born", "Citizenship", "Document", "From", "To", "Reported"};
}  // namespace

TfrmGuests::TfrmGuests(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGuests"));
    setWindowTitle(kCaption);
    buildControls();
}

void TfrmGuests::buildControls()
{
    lbStay = named(new QLabel(this), "lbStay");
    grGuests = named(new QTableWidget(0, int(std::size(kColumns)), this), "grGuests");
    QStringList titles;
    for (const char* c : kColumns) titles << QString::fromLatin1(c);
    grGuests->setHorizontalHeaderLabels(titles);
    grGuests->setSelectionBehavior(QAbstractItemView::SelectRows);
    grGuests->setSelectionMode(QAbstractItemView::SingleSelection);
    grGuests->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grGuests->verticalHeader()->hide();
    grGuests->horizontalHeader()->setStretchLastSection(true);
    grGuests->setMinimumHeight(150);
    connect(grGuests, &QTableWidget::currentCellChanged, this, [this](int row) { selectGuest(row); });

    edSurname = named(new QLineEdit(this), "edSurname");
    edSurname->setMaxLength(40);
    edName = named(new QLineEdit(this), "edName");
    edName->setMaxLength(30);
    edBirth = named(new QLineEdit(this), "edBirth");
    edBirth->setMaxLength(10);
    edBirth->setPlaceholderText(QStringLiteral("DD.MM.YYYY"));
    cmbCitizen = named(new QComboBox(this), "cmbCitizen");
    cmbCitizen->setEditable(false);
    cmbDocType = named(new QComboBox(this), "cmbDocType");
    edDocNum = named(new QLineEdit(this), "edDocNum");
    edDocNum->setMaxLength(30);
    edVisa = named(new QLineEdit(this), "edVisa");
    edVisa->setMaxLength(15);
    edAddress = named(new QLineEdit(this), "edAddress");
    edAddress->setMaxLength(128);
    cmbPurpose = named(new QComboBox(this), "cmbPurpose");
    dtFrom = named(new QDateEdit(this), "dtFrom");
    dtThru = named(new QDateEdit(this), "dtThru");
    for (QDateEdit* d : {dtFrom, dtThru}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("d.M.yyyy"));
    }
    edFeeExempt = named(new QLineEdit(this), "edFeeExempt");
    edFeeExempt->setMaxLength(40);
    edNote = named(new QLineEdit(this), "edNote");
    edNote->setMaxLength(255);
    chkMakeCard = named(new QCheckBox(QStringLiteral("Make a client card of this person"), this), "chkMakeCard");
    mmWarnings = named(new QPlainTextEdit(this), "mmWarnings");
    mmWarnings->setReadOnly(true);
    mmWarnings->setMaximumHeight(80);

    btFromCard = named(new QPushButton(QStringLiteral("From client card..."), this), "btFromCard");
    btNew = named(new QPushButton(QStringLiteral("New person"), this), "btNew");
    btRemove = named(new QPushButton(QStringLiteral("Remove"), this), "btRemove");
    btForms = named(new QPushButton(QStringLiteral("Registration forms..."), this), "btForms");
    btOk = named(new QPushButton(QStringLiteral("Ok"), this), "btOk");
    btOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    for (QPushButton* b : {btFromCard, btNew, btRemove, btForms, btCancel}) b->setAutoDefault(false);
    connect(btFromCard, &QPushButton::clicked, this, [this] {
        QVariantMap args;
        if (platform::openDialog(QStringLiteral("frmFindClientCard"), args) == platform::kAccepted)
            addFromCard(args.value(QStringLiteral("KID")).toInt());
    });
    connect(btNew, &QPushButton::clicked, this, &TfrmGuests::addNew);
    connect(btRemove, &QPushButton::clicked, this, &TfrmGuests::removeSelected);
    connect(btForms, &QPushButton::clicked, this, [this] { guests::previewRegistrationForms(this, currentGuests()); });
    connect(btOk, &QPushButton::clicked, this, [this] {
        if (save()) accept();
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Every edit goes into the selected person at once, so the warnings follow the typing.
    for (QLineEdit* e : {edSurname, edName, edBirth, edDocNum, edVisa, edAddress, edFeeExempt, edNote})
        connect(e, &QLineEdit::textChanged, this, [this] { storeEditors(); });
    for (QComboBox* c : {cmbCitizen, cmbDocType, cmbPurpose})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { storeEditors(); });
    for (QDateEdit* d : {dtFrom, dtThru}) connect(d, &QDateEdit::dateChanged, this, [this] { storeEditors(); });
    connect(chkMakeCard, &QCheckBox::toggled, this, [this] { storeEditors(); });

    auto* fields = new QGridLayout;
    auto place = [&](int row, int col, QLabel* l, QWidget* w) {
        fields->addWidget(l, row, col * 2);
        fields->addWidget(w, row, col * 2 + 1);
    };
    place(0, 0, label(this, "lbSurname", "Surname:", edSurname), edSurname);
    place(0, 1, label(this, "lbName", "First name:", edName), edName);
    place(1, 0, label(this, "lbBirth", "Date of birth:", edBirth), edBirth);
    place(1, 1, label(this, "lbCitizen", "Citizenship:", cmbCitizen), cmbCitizen);
    place(2, 0, label(this, "lbDocType", "Document:", cmbDocType), cmbDocType);
    place(2, 1, label(this, "lbDocNum", "Document number:", edDocNum), edDocNum);
    place(3, 0, label(this, "lbVisa", "Visa number:", edVisa), edVisa);
    place(3, 1, label(this, "lbPurpose", "Purpose of stay:", cmbPurpose), cmbPurpose);
    place(4, 0, label(this, "lbFrom", "From:", dtFrom), dtFrom);
    place(4, 1, label(this, "lbThru", "To:", dtThru), dtThru);
    fields->addWidget(label(this, "lbAddress", "Address:", edAddress), 5, 0);
    fields->addWidget(edAddress, 5, 1, 1, 3);
    place(6, 0, label(this, "lbFeeExempt", "Exempt from fee:", edFeeExempt), edFeeExempt);
    place(6, 1, label(this, "lbNote", "Note:", edNote), edNote);
    fields->addWidget(chkMakeCard, 7, 1, 1, 3);

    auto* listButtons = new QHBoxLayout;
    for (QPushButton* b : {btFromCard, btNew, btRemove, btForms}) listButtons->addWidget(b);
    listButtons->addStretch(1);
    auto* body = new QVBoxLayout;
    body->addWidget(lbStay);
    body->addWidget(grGuests);
    body->addLayout(listButtons);
    body->addLayout(fields);
    body->addWidget(label(this, "lbWarnings", "Warnings:", mmWarnings));
    body->addWidget(mmWarnings);
    widgets::bodyAboveButtons(this, body, {btOk, btCancel});
    resize(820, 640);
}

void TfrmGuests::fillLists()
{
    m_loading = true;
    const QString lang = language();
    cmbCitizen->clear();
    cmbCitizen->addItem(QString(), QString());
    for (const guests::Country& c : guests::countries(lang)) cmbCitizen->addItem(c.name + QStringLiteral(" (") + c.code + QLatin1Char(')'), c.code);
    cmbDocType->clear();
    cmbDocType->addItem(QString(), QString());
    cmbDocType->addItem(TranslateMessage(QStringLiteral("Passport")), QStringLiteral("P"));
    cmbDocType->addItem(TranslateMessage(QStringLiteral("Identity card")), QStringLiteral("I"));
    cmbDocType->addItem(TranslateMessage(QStringLiteral("Other document")), QStringLiteral("O"));
    cmbPurpose->clear();
    for (const guests::PurposeCode& p : guests::purposeCodes())
        cmbPurpose->addItem(QLatin1String(p.code) + QStringLiteral(" ") + QString::fromUtf8(lang == QLatin1String("cs") ? p.czech : p.english),
                            QLatin1String(p.code));
    m_loading = false;
}

int TfrmGuests::Execute()
{
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

bool TfrmGuests::FormActivate()
{
    TdmDataModule* dm = dmDataModule();
    if (!guests::guestBookReadyOrSay(parentWidget(), dm, kCaption)) return false;
    fillLists();
    QStringList titles;
    for (const char* c : kColumns) titles << TranslateMessage(QString::fromLatin1(c));
    grGuests->setHorizontalHeaderLabels(titles);
    m_guests.clear();
    m_makeCard.clear();
    m_current = -1;
    try {
        auto q = dm->Open(shell::Sql(u"SELECT DATEFROM, DATETHRU, NUMPERS, BOOKEDFOR, PID FROM %1 WHERE BID=%2",
                                     shell::Table(dm->DbPrefix(), u"POBYTY.DB"), BID));
        if (!q->next()) {
            guests::warnUser(parentWidget(), kCaption, QStringLiteral("The stay cannot be found."));
            return false;
        }
        m_from = shell::DateFromNumber(double(q->integer(0)));
        m_thru = shell::DateFromNumber(double(q->integer(1)));
        m_persons = int(q->integer(2));
        lbStay->setText(TranslateMessage(QStringLiteral("Room")) + QLatin1Char(' ') + QString::fromStdString(q->text(4)) +
                        QStringLiteral(", ") + shell::DateText(m_from) + QStringLiteral(" - ") + shell::DateText(m_thru) +
                        QStringLiteral(", ") + TranslateMessage(QStringLiteral("persons:")) + QLatin1Char(' ') +
                        QString::number(m_persons));
        q.reset();
        m_guests = guests::stayGuests(dm->db(), dm->DbPrefix(), BID);
        // The fee's exemption reasons are offered as the receptionist types (any other may be typed).
        QStringList reasons;
        for (const QString& r : guests::feeExemptionReasons(guests::readSettings(dm->db(), dm->DbPrefix())))
            reasons << TranslateMessageIfAny(r);
        auto* completer = new QCompleter(reasons, edFeeExempt);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setFilterMode(Qt::MatchContains);
        delete edFeeExempt->completer();
        edFeeExempt->setCompleter(completer);
    } catch (const engine::Error& e) {
        guests::warnUser(parentWidget(), kCaption, QStringLiteral("The guests of the stay cannot be read."), QString::fromUtf8(e.what()));
        return false;
    }
    for (int i = 0; i < m_guests.size(); ++i) m_makeCard << false;
    showList();
    // After a check-in the booker comes first.
    if (m_guests.isEmpty() && KID > 0) addFromCard(KID);
    else showRow(m_guests.isEmpty() ? -1 : 0);
    return true;
}

void TfrmGuests::addFromCard(int kid)
{
    TdmDataModule* dm = dmDataModule();
    if (!dm || kid <= 0) return;
    const TTableClients card = dm->FindClient(QStringLiteral("KID"), QString::number(kid));
    if (!card.found) {
        guests::warnUser(this, kCaption, QStringLiteral("The client card cannot be found."));
        return;
    }
    storeEditors();
    m_guests << guests::guestFromClient(card, BID, m_from, m_thru, &guests::countryCode);
    m_makeCard << false;
    showList();
    showRow(int(m_guests.size()) - 1);
}

void TfrmGuests::addNew()
{
    storeEditors();
    guests::Guest g;
    g.BID = BID;
    g.DATEFROM = m_from;
    g.DATETHRU = m_thru;
    m_guests << g;
    m_makeCard << false;
    showList();
    showRow(int(m_guests.size()) - 1);
    edSurname->setFocus();
}

void TfrmGuests::removeSelected()
{
    if (m_current < 0 || m_current >= m_guests.size()) return;
    if (!shell::ConfirmDelete(this, TranslateMessage(kCaption))) return;
    m_guests.removeAt(m_current);
    m_makeCard.removeAt(m_current);
    m_current = -1;
    showList();
    showRow(m_guests.isEmpty() ? -1 : 0);
}

void TfrmGuests::selectGuest(int row)
{
    if (m_loading || row == m_current) return;
    storeEditors();
    showRow(row);
}

void TfrmGuests::showList()
{
    m_loading = true;
    grGuests->setRowCount(int(m_guests.size()));
    for (int r = 0; r < m_guests.size(); ++r) {
        const guests::Guest& g = m_guests[r];
        const QStringList cells = {g.SURNAME, g.NAME, g.DATEBIRTH, g.CITIZEN, g.DOCNUM, shell::DateText(g.DATEFROM),
                                   shell::DateText(g.DATETHRU), g.REPORTED.isValid() ? shell::DateText(g.REPORTED) : QString()};
        for (int c = 0; c < cells.size(); ++c) grGuests->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    m_loading = false;
    refreshWarnings();
}

void TfrmGuests::showRow(int row)
{
    m_current = row >= 0 && row < m_guests.size() ? row : -1;
    m_loading = true;
    if (m_current >= 0) grGuests->setCurrentCell(m_current, 0);
    m_loading = false;
    loadEditors();
}

void TfrmGuests::loadEditors()
{
    m_loading = true;
    const bool any = m_current >= 0;
    const guests::Guest g = any ? m_guests[m_current] : guests::Guest{};
    for (QWidget* w : std::initializer_list<QWidget*>{edSurname, edName, edBirth, edDocNum, edVisa, edAddress, edFeeExempt, edNote,
                                                      cmbCitizen, cmbDocType, cmbPurpose, dtFrom, dtThru, chkMakeCard, btRemove})
        w->setEnabled(any);
    edSurname->setText(g.SURNAME);
    edName->setText(g.NAME);
    edBirth->setText(g.DATEBIRTH);
    edDocNum->setText(g.DOCNUM);
    edVisa->setText(g.VISA);
    edAddress->setText(g.ADDRESS);
    edFeeExempt->setText(g.FEEEXEMPT);
    edNote->setText(g.NOTE);
    cmbCitizen->setCurrentIndex(std::max(0, cmbCitizen->findData(g.CITIZEN.toUpper())));
    cmbDocType->setCurrentIndex(std::max(0, cmbDocType->findData(g.DOCTYPE)));
    cmbPurpose->setCurrentIndex(std::max(0, cmbPurpose->findData(g.PURPOSE.isEmpty() ? QStringLiteral("10") : g.PURPOSE)));
    dtFrom->setDate(g.DATEFROM.isValid() ? g.DATEFROM : m_from);
    dtThru->setDate(g.DATETHRU.isValid() ? g.DATETHRU : m_thru);
    chkMakeCard->setChecked(any && m_makeCard[m_current]);
    chkMakeCard->setVisible(!any || g.KID == 0);
    m_loading = false;
}

void TfrmGuests::storeEditors()
{
    if (m_loading || m_current < 0 || m_current >= m_guests.size()) return;
    guests::Guest& g = m_guests[m_current];
    g.SURNAME = edSurname->text().trimmed();
    g.NAME = edName->text().trimmed();
    g.DATEBIRTH = edBirth->text().trimmed();
    g.CITIZEN = cmbCitizen->currentData().toString();
    g.DOCTYPE = cmbDocType->currentData().toString();
    g.DOCNUM = edDocNum->text().trimmed();
    g.VISA = edVisa->text().trimmed();
    g.ADDRESS = edAddress->text().trimmed();
    g.PURPOSE = cmbPurpose->currentData().toString();
    g.DATEFROM = dtFrom->date();
    g.DATETHRU = dtThru->date();
    g.FEEEXEMPT = edFeeExempt->text().trimmed();
    g.NOTE = edNote->text().trimmed();
    m_makeCard[m_current] = chkMakeCard->isChecked();
    const QStringList cells = {g.SURNAME, g.NAME, g.DATEBIRTH, g.CITIZEN, g.DOCNUM, shell::DateText(g.DATEFROM),
                               shell::DateText(g.DATETHRU)};
    m_loading = true;
    for (int c = 0; c < cells.size(); ++c)
        if (QTableWidgetItem* item = grGuests->item(m_current, c)) item->setText(cells[c]);
    m_loading = false;
    refreshWarnings();
}

const QList<guests::Guest>& TfrmGuests::currentGuests()
{
    storeEditors();
    return m_guests;
}

QStringList TfrmGuests::warningLines() const
{
    QStringList lines;
    for (const guests::StayWarning& w : guests::stayWarnings(m_guests, m_persons)) lines << w.text(&translated);
    return lines;
}

void TfrmGuests::refreshWarnings() { mmWarnings->setPlainText(warningLines().join(QLatin1Char('\n'))); }

bool TfrmGuests::save()
{
    storeEditors();
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    for (const guests::Guest& g : m_guests)
        if (g.SURNAME.isEmpty()) {
            guests::warnUser(this, kCaption, QStringLiteral("Every person needs a surname."));
            return false;
        }
    try {
        QList<guests::NewCard> cards;
        for (int i = 0; i < m_guests.size(); ++i)
            if (m_makeCard[i] && m_guests[i].KID == 0)
                cards << guests::NewCard{i, guests::countryName(m_guests[i].CITIZEN, language())};
        guests::saveStayGuests(dm->db(), dm->DbPrefix(), BID, m_guests, shell::TodayText(), shell::NowTimeText(), cards);
        for (bool& make : m_makeCard) make = false;
    } catch (const engine::Error& e) {
        guests::warnUser(this, kCaption, QStringLiteral("The guests cannot be stored."), QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}
