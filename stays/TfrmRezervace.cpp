// TfrmRezervace: the reservation dialog's controls, activation, date and nights handling,
// price proposal, currency conversion, saving and closing.
//
// Invariants: see TfrmRezervace.h. Handlers of "leaving" a control run after the focus has
// moved (a message box in the middle of a focus change would hand the focus around), and
// a save first runs the handler of the control just left or still focused, so what is
// written is what the receptionist sees after that control's own rules.

#include "stays/TfrmRezervace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantMap>
#include <algorithm>
#include <functional>

#include "platform/DialogSeam.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"
#include "widgets/SpinEdit.h"
#include "widgets/LeaveRules.h"
#include "widgets/Named.h"
#include "widgets/QuietChanges.h"

using widgets::TCalcEdit;
using widgets::TDateEdit;
using widgets::TSpinEdit;

namespace {

using widgets::named;
using widgets::label;

const QString kCaption = QStringLiteral("Reservation");
const QString kFindClientCard = QStringLiteral("frmFindClientCard");
const QString kConfirmation = QStringLiteral("frmConfirmation");
const QString kRegCard = QStringLiteral("frmRegCard");
const QString kNoRate = QStringLiteral(
    "The newest exchange rate is missing or not above 0. Amounts in the other currency are left as they are.");

// The nights box: its spin buttons count as leaving the box.
class TNightsEdit : public TSpinEdit {
public:
    using TSpinEdit::TSpinEdit;
    std::function<void()> onStep;
    void stepBy(int steps) override
    {
        TSpinEdit::stepBy(steps);
        if (onStep) onStep();
    }
};

// An empty box stays empty; a filled one must hold a real date.
bool holdsNoBadDate(const TDateEdit* edit) { return edit->isEmpty() || edit->date().isValid(); }

}  // namespace

TfrmRezervace::TfrmRezervace(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmRezervace"));
    setWindowTitle(kCaption);
    buildControls();
    layoutControls();
}

TfrmRezervace::~TfrmRezervace() = default;

void TfrmRezervace::buildControls()
{
    gbClient = named(new QGroupBox(QStringLiteral(" Client data "), this), "gbClient");
    chkInDatabase = named(new QCheckBox(QStringLiteral("&Client in database"), gbClient), "chkInDatabase");
    cmbStatus = named(new QComboBox(gbClient), "cmbStatus");
    cmbStatus->addItems({QStringLiteral("Preliminary"), QStringLiteral("Definitive")});
    lbStatus = label(gbClient, "lbStatus", "Reservation:", cmbStatus);

    pnlNewClient = named(new QWidget(gbClient), "pnlNewClient");
    edBookedFor = named(new QLineEdit(pnlNewClient), "edBookedFor");
    edBookedFor->setMaxLength(40);
    lbClientInfo = label(pnlNewClient, "lbClientInfo", "Client Info:", edBookedFor);
    cmbKnowsFrom = named(new QComboBox(pnlNewClient), "cmbKnowsFrom");
    lbKnowsFrom = label(pnlNewClient, "lbKnowsFrom", "Knows from:", cmbKnowsFrom);

    pnlClientInDatabase = named(new QWidget(gbClient), "pnlClientInDatabase");
    edKID = named(new QLineEdit(pnlClientInDatabase), "edKID");
    edKID->setReadOnly(true);
    // Read-only boxes are skipped by Tab; a click still lets the text be copied.
    edKID->setFocusPolicy(Qt::ClickFocus);
    lbClientId = label(pnlClientInDatabase, "lbClientId", "Client &ID:", edKID);
    edClientNameReadOnly = named(new QLineEdit(pnlClientInDatabase), "edClientNameReadOnly");
    edClientNameReadOnly->setReadOnly(true);
    edClientNameReadOnly->setFocusPolicy(Qt::ClickFocus);
    lbClientNameReadOnly = label(pnlClientInDatabase, "lbClientNameReadOnly", "Client &Name:", edClientNameReadOnly);
    btFindClient = named(new QPushButton(QStringLiteral("Find Client"), pnlClientInDatabase), "btFindClient");

    gbStayData = named(new QGroupBox(QStringLiteral(" Data of stay "), this), "gbStayData");
    edDateFrom = named(new TDateEdit(gbStayData), "edDateFrom");
    edDateFrom->setDialogTitle(QStringLiteral("Select a Date From"));
    lbStayFrom = label(gbStayData, "lbStayFrom", "From:", edDateFrom);
    edDateThru = named(new TDateEdit(gbStayData), "edDateThru");
    edDateThru->setDialogTitle(QStringLiteral("Select a Date Thru"));
    tbStayThru = label(gbStayData, "tbStayThru", "Thru:", edDateThru);
    auto* nights = new TNightsEdit(gbStayData);
    nights->onStep = [this] { edNightsExit(); };
    edNights = named(static_cast<TSpinEdit*>(nights), "edNights");
    edNights->setRange(0, 999);
    edNights->setMaxLength(3);
    lbNights = label(gbStayData, "lbNights", "Nights:", edNights);

    gbRoom = named(new QGroupBox(QStringLiteral(" Room "), this), "gbRoom");
    cmbPID = named(new QComboBox(gbRoom), "cmbPID");
    lbPID = label(gbRoom, "lbPID", "Room:", cmbPID);
    edRoomPriceEUR = named(new TCalcEdit(gbRoom), "edRoomPriceEUR");
    edRoomPriceCZK = named(new TCalcEdit(gbRoom), "edRoomPriceCZK");
    edRoomPriceCZK->setTypingLimit(8);
    lbPrice = label(gbRoom, "lbPrice", "Price:");
    blPricePlus = label(gbRoom, "blPricePlus", "+");
    edRoomMaidPriceEUR = named(new TCalcEdit(gbRoom), "edRoomMaidPriceEUR");
    edRoomMaidPriceCZK = named(new TCalcEdit(gbRoom), "edRoomMaidPriceCZK");
    stCurrency = label(gbRoom, "stCurrency", "EUR");
    stCurrency->setFrameShape(QFrame::Panel);
    stCurrency->setFrameShadow(QFrame::Sunken);
    stCurrency->setAlignment(Qt::AlignCenter);
    chkForeign = named(new QCheckBox(QStringLiteral("FX"), gbRoom), "chkForeign");
    edBookThru = named(new TDateEdit(gbRoom), "edBookThru");
    edBookThru->setDialogTitle(QStringLiteral("Select a Book Thru Date"));
    lbBookThru = label(gbRoom, "lbBookThru", "Book thru:", edBookThru);

    gbOthers = named(new QGroupBox(QStringLiteral(" Others "), this), "gbOthers");
    edNumPers = named(new TSpinEdit(gbOthers), "edNumPers");
    edNumPers->setRange(1, 99);
    edNumPers->setMaxLength(2);
    lbNumPers = label(gbOthers, "lbNumPers", "Persons:", edNumPers);
    cmbBusiness = named(new QComboBox(gbOthers), "cmbBusiness");
    cmbBusiness->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
    lbBusiness = label(gbOthers, "lbBusiness", "Business trip:", cmbBusiness);

    tbOk = named(new QPushButton(QStringLiteral("Ok"), this), "tbOk");
    QFont bold = tbOk->font();
    bold.setBold(true);
    tbOk->setFont(bold);
    tbOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btPrintConfirmation = named(new QPushButton(QStringLiteral("Confirmation"), this), "btPrintConfirmation");
    btPrintRegCard = named(new QPushButton(QStringLiteral("Reg. card"), this), "btPrintRegCard");
    for (QPushButton* b : {btCancel, btPrintConfirmation, btPrintRegCard, btFindClient}) b->setAutoDefault(false);

    connect(tbOk, &QPushButton::clicked, this, &TfrmRezervace::tbOkClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btPrintConfirmation, &QPushButton::clicked, this, &TfrmRezervace::btPrintConfirmationClick);
    connect(btPrintRegCard, &QPushButton::clicked, this, &TfrmRezervace::btPrintRegCardClick);
    connect(btFindClient, &QPushButton::clicked, this, &TfrmRezervace::btFindClientClick);
    connect(chkInDatabase, &QCheckBox::clicked, this, &TfrmRezervace::chkInDatabaseClick);
    connect(chkForeign, &QCheckBox::clicked, this, &TfrmRezervace::chkForeignClick);
    connect(cmbStatus, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_quiet) cmbStatusChange();
    });
    connect(cmbPID, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_quiet) cmbPIDChange();
    });
    connect(edNights, &TSpinEdit::textChanged, this, [this] {
        if (!m_quiet) edNightsChange();
    });
    m_leave = new widgets::TLeaveRules(this, [this](QWidget* left, bool) { leaveRule(left); });
    m_leave->watch({edDateFrom, edDateThru, edNights, edRoomPriceEUR, edRoomMaidPriceEUR, edRoomPriceCZK,
                    edRoomMaidPriceCZK});
}

void TfrmRezervace::layoutControls()
{
    auto* newClient = new QGridLayout(pnlNewClient);
    newClient->setContentsMargins(0, 0, 0, 0);
    newClient->addWidget(lbClientInfo, 0, 0);
    newClient->addWidget(edBookedFor, 0, 1);
    newClient->addWidget(lbKnowsFrom, 1, 0);
    newClient->addWidget(cmbKnowsFrom, 1, 1);
    newClient->setColumnStretch(1, 1);

    auto* inDatabase = new QGridLayout(pnlClientInDatabase);
    inDatabase->setContentsMargins(0, 0, 0, 0);
    auto* idRow = new QHBoxLayout;
    idRow->addWidget(edKID);
    idRow->addStretch(1);
    idRow->addWidget(btFindClient);
    inDatabase->addWidget(lbClientId, 0, 0);
    inDatabase->addLayout(idRow, 0, 1);
    inDatabase->addWidget(lbClientNameReadOnly, 1, 0);
    inDatabase->addWidget(edClientNameReadOnly, 1, 1);
    inDatabase->setColumnStretch(1, 1);

    auto* client = new QGridLayout(gbClient);
    client->addWidget(chkInDatabase, 0, 0, 1, 2);
    client->addWidget(lbStatus, 0, 2, Qt::AlignRight);
    client->addWidget(cmbStatus, 0, 3);
    // The two panels share one place; only one is ever visible.
    client->addWidget(pnlNewClient, 1, 0, 1, 4);
    client->addWidget(pnlClientInDatabase, 1, 0, 1, 4);
    client->setColumnStretch(1, 1);

    auto* stay = new QGridLayout(gbStayData);
    stay->addWidget(lbStayFrom, 0, 0);
    stay->addWidget(edDateFrom, 0, 1);
    stay->addWidget(tbStayThru, 0, 2);
    stay->addWidget(edDateThru, 0, 3);
    stay->addWidget(lbNights, 0, 4);
    stay->addWidget(edNights, 0, 5);
    stay->setColumnStretch(6, 1);

    auto* room = new QGridLayout(gbRoom);
    room->addWidget(lbPID, 0, 0);
    room->addWidget(cmbPID, 0, 1, 1, 5);
    room->addWidget(lbPrice, 1, 0);
    // Each EUR edit and its CZK twin share one place; chkForeign shows one of them.
    room->addWidget(edRoomPriceEUR, 1, 1);
    room->addWidget(edRoomPriceCZK, 1, 1);
    room->addWidget(blPricePlus, 1, 2, Qt::AlignCenter);
    room->addWidget(edRoomMaidPriceEUR, 1, 3);
    room->addWidget(edRoomMaidPriceCZK, 1, 3);
    room->addWidget(stCurrency, 1, 4);
    room->addWidget(chkForeign, 1, 5);
    room->addWidget(lbBookThru, 2, 0);
    room->addWidget(edBookThru, 2, 1, 1, 3, Qt::AlignLeft);
    room->setColumnStretch(1, 1);
    room->setColumnStretch(3, 1);

    auto* others = new QGridLayout(gbOthers);
    others->addWidget(lbNumPers, 0, 0);
    others->addWidget(edNumPers, 0, 1);
    others->addWidget(lbBusiness, 0, 2);
    others->addWidget(cmbBusiness, 0, 3);
    others->setColumnStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btPrintConfirmation);
    buttons->addWidget(btPrintRegCard);
    buttons->addStretch(1);
    buttons->addWidget(tbOk);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbClient);
    layout->addWidget(gbStayData);
    layout->addWidget(gbRoom);
    layout->addWidget(gbOthers);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    edBookedFor->setMinimumWidth(280);
    edKID->setMaximumWidth(80);
    const int priceWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000000.00")) + 16;
    for (TCalcEdit* e : {edRoomPriceEUR, edRoomPriceCZK, edRoomMaidPriceEUR, edRoomMaidPriceCZK})
        e->setMinimumWidth(priceWidth);
    stCurrency->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("CZK")) + 12);
    for (QComboBox* c : {cmbStatus, cmbBusiness}) c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cmbPID->setMinimumWidth(200);

    // The order a reservation is taken in: who, when, which room and price, the rest, Ok.
    QWidget* order[] = {cmbStatus,      chkInDatabase,      edBookedFor,    cmbKnowsFrom,       btFindClient,
                        edDateFrom,     edDateThru,         edNights,       cmbPID,             edRoomPriceEUR,
                        edRoomPriceCZK, edRoomMaidPriceEUR, edRoomMaidPriceCZK, chkForeign,     edBookThru,
                        edNumPers,      cmbBusiness,        tbOk,           btCancel,           btPrintConfirmation,
                        btPrintRegCard};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

int TfrmRezervace::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

int TfrmRezervace::warn(const QString& message, const QString& caption, int icon, int buttons)
{
    return LangMessageBox(this, message, caption, platform::Icon(icon), platform::Buttons(buttons));
}

// ---- activation ----------------------------------------------------------------------

void TfrmRezervace::FormActivate()
{
    widgets::QuietChanges quiet(m_quiet);
    m_clientLocked = false;
    m_rateWarned = false;
    QStringList sources, rooms;
    if (TdmDataModule* dm = dmDataModule()) {
        dm->FillKnowsFromCombo(sources);
        dm->FillRoomCombo(rooms, false);
    }
    cmbKnowsFrom->clear();
    cmbKnowsFrom->addItems(sources);
    cmbPID->clear();
    cmbPID->addItems(rooms);
    resetControls();
    if (BID > 0) loadStay();
    else if (PresetDay > 0) applyPreset();
    PresetPID.clear();
    PresetDay = 0;
    if (chkInDatabase->isChecked()) btFindClient->setFocus();
    else edBookedFor->setFocus();
}

void TfrmRezervace::resetControls()
{
    chkInDatabase->setChecked(false);
    edKID->clear();
    edClientNameReadOnly->clear();
    edBookedFor->clear();
    cmbKnowsFrom->setCurrentIndex(-1);
    edDateFrom->clear();
    edDateThru->clear();
    edBookThru->clear();
    edNights->clear();
    cmbPID->setCurrentIndex(-1);
    for (TCalcEdit* e : {edRoomPriceEUR, edRoomPriceCZK, edRoomMaidPriceEUR, edRoomMaidPriceCZK}) e->setValue(0);
    edNumPers->setValue(1);
    chkForeign->setChecked(options().PreferEUR);
    cmbBusiness->setCurrentIndex(0);
    cmbStatus->setCurrentIndex(0);
    m_okClose = false;
    UpdateControls();
}

void TfrmRezervace::loadStay()
{
    TdmDataModule* dm = dmDataModule();
    bool loaded = false;
    try {
        if (!dm) throw std::runtime_error("no data module");
        auto q = dm->Open(stays::reservationLoadSql(dm->DbPrefix(), BID));
        if (!q->next()) throw std::runtime_error("the stay is gone");
        auto field = [&](const char* name) { return QString::fromStdString(q->text(name)); };

        QString kid = field("KID");
        if (kid == QStringLiteral("0")) kid.clear();
        edKID->setText(kid);
        if (!kid.isEmpty()) {
            m_clientLocked = true;
            ShowClient(kid);
            chkInDatabase->setChecked(true);
            if (field("STATUS") == QStringLiteral("R")) cmbStatus->setCurrentIndex(1);
        } else {
            chkInDatabase->setChecked(false);
            edBookedFor->setText(field("BOOKEDFOR"));
            const QString code = field("BOOKEDKNFR");
            cmbKnowsFrom->setCurrentIndex(-1);
            if (!code.isEmpty())
                for (int i = 0; i < cmbKnowsFrom->count(); ++i)
                    if (cmbKnowsFrom->itemText(i).startsWith(code.at(0))) cmbKnowsFrom->setCurrentIndex(i);
        }
        edDateFrom->setText(field("DATEFROM"));
        edDateThru->setText(field("DATETHRU"));
        edDateFromOrThruExit();
        selectRoomByPid(field("PID"));
        edRoomPriceEUR->setValue(q->number("PRICEEUR"));
        edRoomPriceCZK->setValue(q->number("PRICECZK"));
        edRoomMaidPriceEUR->setValue(q->number("MAIDEUR"));
        edRoomMaidPriceCZK->setValue(q->number("MAIDCZK"));
        edBookThru->setText(field("PRTHRU"));
        edNumPers->setValue(int(q->integer("NUMPERS")));
        if (field("BUSINESS") == QStringLiteral("1")) cmbBusiness->setCurrentIndex(1);
        loaded = true;
    } catch (const std::exception&) {
    }
    if (!loaded) {
        BID = 0;
        warn(QStringLiteral("Can't load the reservation"), kCaption, int(platform::Icon::Warning),
             int(platform::Buttons::Ok));
    }
    UpdateControls();
}

void TfrmRezervace::applyPreset()
{
    setDateFromDay(edDateFrom, PresetDay);
    setDateFromDay(edDateThru, PresetDay + 1);
    edDateFromOrThruExit();
    selectRoomByPid(PresetPID);
    proposePrice();
}

void TfrmRezervace::setDateFromDay(TDateEdit* edit, int day) { edit->setDate(shell::DateFromNumber(day)); }

void TfrmRezervace::selectRoomByPid(const QString& pid)
{
    widgets::QuietChanges quiet(m_quiet);
    TdmDataModule* dm = dmDataModule();
    const TTableRooms room = dm ? dm->FindRoom(QStringLiteral("PID"), pid) : TTableRooms{};
    shell::SelectComboItem(cmbPID, room.found ? room.PNAME : QString());
}

// ---- control rules --------------------------------------------------------------------

void TfrmRezervace::UpdateControls()
{
    widgets::QuietChanges quiet(m_quiet);
    const bool inDatabase = chkInDatabase->isChecked();
    const bool definitive = stays::isDefinitive(cmbStatus->currentIndex());
    pnlNewClient->setVisible(!inDatabase);
    pnlClientInDatabase->setVisible(inDatabase);
    if (inDatabase) {
        edBookedFor->clear();
        cmbKnowsFrom->setCurrentIndex(-1);
    } else {
        edKID->clear();
        edClientNameReadOnly->clear();
    }
    chkInDatabase->setEnabled(!definitive && !m_clientLocked);
    edBookThru->setEnabled(!definitive);
    btPrintConfirmation->setVisible(definitive);
    setWindowTitle(TranslateMessage(definitive ? QStringLiteral("Definitive reservation")
                                               : QStringLiteral("Preliminary reservation")));
    const bool eur = chkForeign->isChecked();
    edRoomPriceEUR->setVisible(eur);
    edRoomMaidPriceEUR->setVisible(eur);
    edRoomPriceCZK->setVisible(!eur);
    edRoomMaidPriceCZK->setVisible(!eur);
    stCurrency->setText(eur ? QStringLiteral("EUR") : QStringLiteral("CZK"));
}

void TfrmRezervace::chkInDatabaseClick() { UpdateControls(); }

void TfrmRezervace::chkForeignClick() { UpdateControls(); }

void TfrmRezervace::cmbStatusChange()
{
    if (stays::isDefinitive(cmbStatus->currentIndex()) && !chkInDatabase->isChecked()) {
        warn(QStringLiteral("If the reservation is definitive, client card must exist."),
             QStringLiteral("Definitive reservation"), int(platform::Icon::Information), int(platform::Buttons::Ok));
        chkInDatabase->setChecked(true);
    }
    UpdateControls();
}

void TfrmRezervace::ShowClient(const QString& kidText)
{
    TdmDataModule* dm = dmDataModule();
    const TTableClients c = dm ? dm->FindClient(QStringLiteral("KID"), kidText) : TTableClients{};
    if (!c.found) {
        edClientNameReadOnly->clear();
        return;
    }
    edKID->setText(kidText);
    edClientNameReadOnly->setText(stays::clientDisplayName(c.TITLE, c.SURNAME, c.NAME, c.COUNTRY));
}

void TfrmRezervace::btFindClientClick()
{
    QVariantMap args;
    platform::openDialog(kFindClientCard, args);
    const QString kid = args.value(QStringLiteral("KID")).toString();
    if (!kid.isEmpty()) ShowClient(kid);
}

// ---- dates, nights, prices -------------------------------------------------------------

void TfrmRezervace::edDateFromOrThruExit()
{
    // A box holding a bad date has told the receptionist itself and taken the focus back.
    if (!holdsNoBadDate(edDateFrom) || !holdsNoBadDate(edDateThru)) return;
    const QDate from = edDateFrom->date(), thru = edDateThru->date();
    if (from.isValid() && edBookThru->isEmpty()) edBookThru->setDate(from.addDays(-1));
    {
        // A negative count does not fit the box: it stays empty, and the save refuses such dates.
        widgets::QuietChanges quiet(m_quiet);
        if (from.isValid() && thru.isValid() && from.daysTo(thru) >= 0) edNights->setValue(int(from.daysTo(thru)));
        else edNights->clear();
    }
    if (from.isValid() && thru.isValid()) proposePrice();
}

void TfrmRezervace::edNightsExit()
{
    const QDate from = edDateFrom->date(), thru = edDateThru->date();
    if (!from.isValid() && !thru.isValid()) return;
    const QString text = edNights->text();
    const bool hasDigits = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    const int n = hasDigits ? shell::DigitsToInt(text) : 0;
    if (!hasDigits) {
        widgets::QuietChanges quiet(m_quiet);
        edNights->clear();
    }
    if (from.isValid()) edDateThru->setDate(from.addDays(n));
    else edDateFrom->setDate(thru.addDays(-n));
    proposePrice();
}

void TfrmRezervace::edNightsChange() { proposePrice(); }

void TfrmRezervace::cmbPIDChange() { proposePrice(); }

void TfrmRezervace::proposePrice()
{
    double room = 0, maid = 0;
    const QDate from = edDateFrom->date(), thru = edDateThru->date();
    TdmDataModule* dm = dmDataModule();
    // Departure on or before arrival has no nights to price (the room's default price times
    // a negative count would propose a negative total).
    if (dm && cmbPID->currentIndex() >= 0 && from.isValid() && thru.isValid() && thru > from)
        dm->ProposeRoomPrice(cmbPID->currentText(), shell::NumberFromDate(from), shell::NumberFromDate(thru), room,
                             maid);
    edRoomPriceEUR->setValue(room);
    edRoomMaidPriceEUR->setValue(maid);
    convertEurToCzk();
}

double TfrmRezervace::rateForStay() const
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return -1;
    return dm->CurrentRate(edDateFrom->date().isValid() ? edDateFrom->text() : QString());
}

bool TfrmRezervace::warnNoRate(double rate)
{
    if (stays::usableRate(rate)) return false;
    if (!m_rateWarned) {
        m_rateWarned = true;
        warn(kNoRate, kCaption, int(platform::Icon::Warning), int(platform::Buttons::Ok));
    }
    return true;
}

void TfrmRezervace::convertEurToCzk()
{
    const double room = edRoomPriceEUR->value(), maid = edRoomMaidPriceEUR->value();
    // Nothing costs nothing in either currency, with or without a rate.
    if (room == 0 && maid == 0) {
        edRoomPriceCZK->setValue(0);
        edRoomMaidPriceCZK->setValue(0);
        return;
    }
    const double rate = rateForStay();
    if (warnNoRate(rate)) return;
    edRoomPriceCZK->setValue(*stays::eurToCzk(room, rate));
    edRoomMaidPriceCZK->setValue(*stays::eurToCzk(maid, rate));
}

void TfrmRezervace::convertCzkToEur()
{
    const double room = edRoomPriceCZK->value(), maid = edRoomMaidPriceCZK->value();
    if (room == 0 && maid == 0) {
        edRoomPriceEUR->setValue(0);
        edRoomMaidPriceEUR->setValue(0);
        return;
    }
    const double rate = rateForStay();
    if (warnNoRate(rate)) return;
    edRoomPriceEUR->setValue(*stays::czkToEur(room, rate));
    edRoomMaidPriceEUR->setValue(*stays::czkToEur(maid, rate));
}

// ---- leaving controls -------------------------------------------------------------------

// The leaving rule of each box: dates read, nights and prices proposed, prices converted.
void TfrmRezervace::leaveRule(QWidget* w)
{
    if (w == edDateFrom || w == edDateThru) edDateFromOrThruExit();
    else if (w == edNights) edNightsExit();
    else if (w == edRoomPriceEUR || w == edRoomMaidPriceEUR) convertEurToCzk();
    else if (w == edRoomPriceCZK || w == edRoomMaidPriceCZK) convertCzkToEur();
}

void TfrmRezervace::leaveFocusedControl(bool alsoFocused) { m_leave->runPending(alsoFocused); }

// ---- saving and closing ---------------------------------------------------------------

stays::ReservationInput TfrmRezervace::input() const
{
    stays::ReservationInput in;
    in.clientInDatabase = chkInDatabase->isChecked();
    in.kidText = edKID->text();
    in.clientName = edClientNameReadOnly->text();
    in.bookedFor = edBookedFor->text();
    in.knowsFromChosen = cmbKnowsFrom->currentIndex() >= 0;
    in.knowsFromItem = cmbKnowsFrom->currentText();
    in.dateFrom = edDateFrom->text();
    in.dateThru = edDateThru->text();
    in.bookThru = edBookThru->text();
    in.nights = edNights->value();
    in.roomName = cmbPID->currentIndex() >= 0 ? cmbPID->currentText() : QString();
    in.statusIndex = cmbStatus->currentIndex();
    in.priceEur = edRoomPriceEUR->value();
    in.priceCzk = edRoomPriceCZK->value();
    in.maidEur = edRoomMaidPriceEUR->value();
    in.maidCzk = edRoomMaidPriceCZK->value();
    in.persons = edNumPers->value();
    return in;
}

bool TfrmRezervace::Save()
{
    using stays::IssueKind;
    leaveFocusedControl(true);
    for (TDateEdit* e : {edDateFrom, edDateThru, edBookThru})
        if (!e->checkValidDate()) return false;

    stays::SaveStep step = stays::SaveStep::ClientChosen;
    for (;;) {
        const stays::SaveIssue issue = stays::nextSaveIssue(input(), step);
        if (issue.kind == IssueKind::None) break;
        if (issue.kind == IssueKind::Refuse) {
            warn(issue.message, kCaption, int(platform::Icon::Warning), int(platform::Buttons::Ok));
            return false;
        }
        if (issue.kind == IssueKind::Ask) {
            const auto icon = issue.step == stays::SaveStep::NoZeroAmount ? platform::Icon::None : platform::Icon::Question;
            if (warn(issue.message, kCaption, int(icon), int(platform::Buttons::YesNo)) != QMessageBox::Yes)
                return false;
        }
        if (issue.kind == IssueKind::FillBookThru) edBookThru->setText(edDateFrom->text());
        step = stays::nextStep(issue.step);
    }

    TdmDataModule* dm = dmDataModule();
    const TTableRooms room = dm ? dm->FindRoom(QStringLiteral("PNAME"), cmbPID->currentText()) : TTableRooms{};
    // The room was renamed or removed while the dialog was open: no row without a room.
    if (!room.found) {
        warn(QStringLiteral("Room not specified"), kCaption, int(platform::Icon::Warning), int(platform::Buttons::Ok));
        return false;
    }

    stays::ReservationRow row;
    row.KID = chkInDatabase->isChecked() ? stays::kidValue(edKID->text()) : 0;
    row.PID = room.PID;
    row.dateFrom = edDateFrom->text();
    row.dateThru = edDateThru->text();
    row.status = stays::statusCode(cmbStatus->currentIndex());
    row.bookThru = edBookThru->text();
    row.persons = edNumPers->value();
    row.business = cmbBusiness->currentIndex() == 1;
    // The number the box shows, in full (a typed 0.005 stays 0.005), even when it was never
    // left and so never tidied.
    auto amount = [](const TCalcEdit* e) { return TCalcEdit::formatValue(e->value(), 10); };
    row.priceEur = amount(edRoomPriceEUR);
    row.priceCzk = amount(edRoomPriceCZK);
    row.maidEur = amount(edRoomMaidPriceEUR);
    row.maidCzk = amount(edRoomMaidPriceCZK);
    row.bookedFor = edBookedFor->text();
    row.knowsFrom = stays::knowsFromCode(cmbKnowsFrom->currentIndex() >= 0, cmbKnowsFrom->currentText());
    row.user = QString();
    row.date = shell::TodayText();
    row.time = shell::NowTimeText();

    const bool inserting = BID == 0;
    const QString sql = inserting ? stays::reservationInsertSql(dm->DbPrefix(), row)
                                  : stays::reservationUpdateSql(dm->DbPrefix(), BID, row);
    // An update that finds no row (the stay was removed meanwhile) wrote nothing.
    if (!dm->ExecStatement(sql) || dm->lastCount() < 1) {
        warn(QStringLiteral("Can't save the data"), kCaption, int(platform::Icon::Warning), int(platform::Buttons::Ok));
        return false;
    }
    if (inserting) {
        BID = 0;
        try {
            auto q = dm->Open(stays::lastBidSql(dm->DbPrefix()));
            if (q->next()) BID = int(q->integer("BIDMAX"));
        } catch (const std::exception&) {
        }
    }
    return true;
}

void TfrmRezervace::tbOkClick()
{
    m_okClose = true;
    done(QDialog::Accepted);
}

void TfrmRezervace::done(int result)
{
    const bool throughOk = m_okClose;
    if (!FormCloseQuery()) return;
    QDialog::done(throughOk && result == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected);
}

bool TfrmRezervace::FormCloseQuery()
{
    if (m_okClose) {
        m_okClose = false;
        return Save();
    }
    if (BID > 0) return true;
    return warn(QStringLiteral("Are you sure to cancel the operation?"), kCaption, int(platform::Icon::Question),
                int(platform::Buttons::YesNo))
        == QMessageBox::Yes;
}

void TfrmRezervace::printAfterSave(const QString& dialogName)
{
    if (!Save())
        warn(QStringLiteral("Data cannot be saved"), kCaption, int(platform::Icon::Warning), int(platform::Buttons::Ok));
    QVariantMap args{{QStringLiteral("BID"), BID}};
    platform::openDialog(dialogName, args);
}

void TfrmRezervace::btPrintConfirmationClick() { printAfterSave(kConfirmation); }

void TfrmRezervace::btPrintRegCardClick() { printAfterSave(kRegCard); }
