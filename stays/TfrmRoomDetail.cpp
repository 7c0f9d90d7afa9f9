// TfrmRoomDetail: the occupied-room detail's pages, activation, conversions, posting of a new
// account item, and storing the stay's changes on Ok.
//
// Invariants: see TfrmRoomDetail.h. Handlers of "leaving" a control run after the focus has
// moved (a message box in the middle of a focus change would hand the focus around), and Ok
// and Save first run the handler of the control just left or still focused, so what is
// written is what the receptionist sees after that control's own rules.

#include "stays/TfrmRoomDetail.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <stdexcept>

#include "lang/Language.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stays/AfterShown.h"
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

const QString kCaption = QStringLiteral("Room detail");
const QString kNoRate = QStringLiteral(
    "The newest exchange rate is missing or not above 0. Amounts in the other currency are left as they are.");
const char* const kItemTitles[] = {"Item", "Date", "EUR", "CZK", "VAT"};
const char* const kItemFields[] = {"DESCR", "ITEMDATE", "AMNTEUR", "AMNTCZK", "TAXRATE"};

QLabel* currencyText(QWidget* parent, const char* name, const char* text)
{
    QLabel* l = label(parent, name, text);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setFixedWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("CZK")) + 16);
    return l;
}

QLineEdit* readOnly(QLineEdit* edit)
{
    edit->setReadOnly(true);
    // Read-only boxes are skipped by Tab; a click still lets the text be copied.
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

std::optional<int> dayOf(const TDateEdit* edit)
{
    const QDate d = edit->date();
    if (!d.isValid()) return std::nullopt;
    return shell::NumberFromDate(d);
}

void setHundredths(TCalcEdit* edit, shell::Hundredths amount) { edit->setValue(shell::fromHundredths(amount)); }

}  // namespace

TfrmRoomDetail::TfrmRoomDetail(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmRoomDetail"));
    setWindowTitle(kCaption);
    buildControls();
    layoutControls();
    m_afterShown = new stays::TAfterShown(this);
}

TfrmRoomDetail::~TfrmRoomDetail() = default;

void TfrmRoomDetail::buildControls()
{
    pgPages = named(new QTabWidget(this), "pgPages");
    pgPages->setTabPosition(QTabWidget::South);

    pgMain = named(new QWidget, "pgMain");
    edClientName = named(readOnly(new QLineEdit(pgMain)), "edClientName");
    lbClient = label(pgMain, "lbClient", "Client:", edClientName);
    edRoomName = named(readOnly(new QLineEdit(pgMain)), "edRoomName");
    lbRoomName = label(pgMain, "lbRoomName", "Room:", edRoomName);
    dbeDateFrom = named(new TDateEdit(pgMain), "dbeDateFrom");
    readOnly(dbeDateFrom);
    dbeDateFrom->setDialogTitle(QStringLiteral("Select a Date From"));
    lbFrom = label(pgMain, "lbFrom", "Checkin date:", dbeDateFrom);
    dbeCheckinTime = named(readOnly(new QLineEdit(pgMain)), "dbeCheckinTime");
    lbCheckinTime = label(pgMain, "lbCheckinTime", "Time:", dbeCheckinTime);
    dbeDateThru = named(new TDateEdit(pgMain), "dbeDateThru");
    dbeDateThru->setDialogTitle(QStringLiteral("Select a Date Thru"));
    lbCheckoutDate = label(pgMain, "lbCheckoutDate", "Checkout:", dbeDateThru);
    edNumPers = named(new TSpinEdit(pgMain), "edNumPers");
    // 0 is taken as typed, so Ok can say that a stay needs a person rather than store 1.
    edNumPers->setRange(0, 99);
    edNumPers->setMaxLength(2);
    lbNumPers = label(pgMain, "lbNumPers", "Persons:", edNumPers);
    cmbBusiness = named(new QComboBox(pgMain), "cmbBusiness");
    cmbBusiness->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
    lbBusiness = label(pgMain, "lbBusiness", "Business:", cmbBusiness);
    dbePriceEUR = named(new TCalcEdit(pgMain), "dbePriceEUR");
    dbePriceCZK = named(new TCalcEdit(pgMain), "dbePriceCZK");
    lbPrice = label(pgMain, "lbPrice", "Room price:");
    dbePriceMaidEUR = named(new TCalcEdit(pgMain), "dbePriceMaidEUR");
    dbePriceMaidCZK = named(new TCalcEdit(pgMain), "dbePriceMaidCZK");
    lbMaidPrice = label(pgMain, "lbMaidPrice", "Maid price:");
    stCurrency = currencyText(pgMain, "stCurrency", "EUR");
    stCurrencyM = currencyText(pgMain, "stCurrencyM", "EUR");
    chkFX = named(new QCheckBox(QStringLiteral("FX"), pgMain), "chkFX");

    pgAccount = named(new QWidget, "pgAccount");
    dbAccItems = named(new QTableWidget(0, 5, pgAccount), "dbAccItems");
    dbAccItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbAccItems->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbAccItems->verticalHeader()->hide();

    pgNewAccountItem = named(new QWidget, "pgNewAccountItem");
    edRoomNew = named(readOnly(new QLineEdit(pgNewAccountItem)), "edRoomNew");
    lbRoomNew = label(pgNewAccountItem, "lbRoomNew", "Room:", edRoomNew);
    cmbUPID = named(new QComboBox(pgNewAccountItem), "cmbUPID");
    lbItemNew = label(pgNewAccountItem, "lbItemNew", "Item:", cmbUPID);
    edDescrNew = named(new QLineEdit(pgNewAccountItem), "edDescrNew");
    edDescrNew->setMaxLength(40);
    lbDescription = label(pgNewAccountItem, "lbDescription", "Description:", edDescrNew);
    edPriceEURNew = named(new TCalcEdit(pgNewAccountItem), "edPriceEURNew");
    stCurrencyNewEUR = currencyText(pgNewAccountItem, "stCurrencyNewEUR", "EUR");
    edPriceCZKNew = named(new TCalcEdit(pgNewAccountItem), "edPriceCZKNew");
    stCurrencyNewCZK = currencyText(pgNewAccountItem, "stCurrencyNewCZK", "CZK");
    lbPriceNew = label(pgNewAccountItem, "lbPriceNew", "Price:", edPriceEURNew);
    cmbVatNew = named(new QComboBox(pgNewAccountItem), "cmbVatNew");
    lbVatNew = label(pgNewAccountItem, "lbVatNew", "VAT:", cmbVatNew);
    btSave = named(new QPushButton(QStringLiteral("Save"), pgNewAccountItem), "btSave");
    btSave->setToolTip(QStringLiteral("Click to save the Account Item"));

    pgPages->addTab(pgMain, QStringLiteral("Main"));
    pgPages->addTab(pgAccount, QStringLiteral("Account"));
    pgPages->addTab(pgNewAccountItem, QStringLiteral("New account item"));

    btOk = named(new QPushButton(QStringLiteral("Ok"), this), "btOk");
    btOk->setToolTip(QStringLiteral("Save stay changes"));
    btOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btCancel->setToolTip(QStringLiteral("Cancel stay changes"));
    QFont bold = btOk->font();
    bold.setBold(true);
    btOk->setFont(bold);
    btSave->setFont(bold);
    for (QPushButton* b : {btCancel, btSave}) b->setAutoDefault(false);

    connect(btOk, &QPushButton::clicked, this, &TfrmRoomDetail::btOkClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btSave, &QPushButton::clicked, this, &TfrmRoomDetail::btSaveClick);
    connect(chkFX, &QCheckBox::clicked, this, &TfrmRoomDetail::chkFXClick);
    connect(pgPages, &QTabWidget::currentChanged, this, &TfrmRoomDetail::pgPagesChange);
    connect(cmbUPID, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_quiet) cmbUPIDChange();
    });
    connect(cmbVatNew, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_quiet) UpdateControls();
    });
    for (QLineEdit* e : std::initializer_list<QLineEdit*>{edDescrNew, edPriceEURNew, edPriceCZKNew})
        connect(e, &QLineEdit::textChanged, this, [this] {
            if (!m_quiet) UpdateControls();
        });
    m_leave = new widgets::TLeaveRules(this, [this](QWidget* left, bool onEnter) { leaveRule(left, onEnter); });
    m_leave->watch({dbeDateThru, dbePriceEUR, dbePriceMaidEUR, dbePriceCZK, dbePriceMaidCZK, edPriceEURNew,
                    edPriceCZKNew});
}

void TfrmRoomDetail::layoutControls()
{
    auto* main = new QGridLayout(pgMain);
    main->addWidget(lbClient, 0, 0);
    main->addWidget(edClientName, 0, 1, 1, 4);
    main->addWidget(lbRoomName, 1, 0);
    main->addWidget(edRoomName, 1, 1, 1, 4);
    main->addWidget(lbFrom, 2, 0);
    main->addWidget(dbeDateFrom, 2, 1);
    main->addWidget(lbCheckinTime, 2, 2, Qt::AlignRight);
    main->addWidget(dbeCheckinTime, 2, 3, 1, 2);
    main->addWidget(lbCheckoutDate, 3, 0);
    main->addWidget(dbeDateThru, 3, 1);
    main->addWidget(lbNumPers, 4, 0);
    main->addWidget(edNumPers, 4, 1, Qt::AlignLeft);
    main->addWidget(lbBusiness, 4, 2, Qt::AlignRight);
    main->addWidget(cmbBusiness, 4, 3, 1, 2);
    main->addWidget(lbPrice, 5, 0);
    // Each EUR edit and its CZK twin share one place; chkFX shows one of them.
    main->addWidget(dbePriceEUR, 5, 1);
    main->addWidget(dbePriceCZK, 5, 1);
    main->addWidget(stCurrency, 5, 2, Qt::AlignLeft);
    main->addWidget(chkFX, 5, 3);
    main->addWidget(lbMaidPrice, 6, 0);
    main->addWidget(dbePriceMaidEUR, 6, 1);
    main->addWidget(dbePriceMaidCZK, 6, 1);
    main->addWidget(stCurrencyM, 6, 2, Qt::AlignLeft);
    main->setColumnStretch(4, 1);
    main->setRowStretch(7, 1);

    auto* account = new QVBoxLayout(pgAccount);
    account->addWidget(dbAccItems);

    auto* item = new QGridLayout(pgNewAccountItem);
    item->addWidget(lbRoomNew, 0, 0);
    item->addWidget(edRoomNew, 0, 1, 1, 4);
    item->addWidget(lbItemNew, 1, 0);
    item->addWidget(cmbUPID, 1, 1, 1, 4);
    item->addWidget(lbDescription, 2, 0);
    item->addWidget(edDescrNew, 2, 1, 1, 4);
    item->addWidget(lbPriceNew, 3, 0);
    item->addWidget(edPriceEURNew, 3, 1);
    item->addWidget(stCurrencyNewEUR, 3, 2);
    item->addWidget(edPriceCZKNew, 3, 3);
    item->addWidget(stCurrencyNewCZK, 3, 4, Qt::AlignLeft);
    item->addWidget(lbVatNew, 4, 0);
    item->addWidget(cmbVatNew, 4, 1);
    item->addWidget(btSave, 5, 3, 1, 2, Qt::AlignRight);
    item->setColumnStretch(4, 1);
    item->setRowStretch(6, 1);

    auto* buttons = new QHBoxLayout;
    // The persons of the stay live in the guest book's own window (guests/), reached by name.
    auto* btGuests = named(new QPushButton(QStringLiteral("Guests..."), this), "btGuests");
    btGuests->setAutoDefault(false);
    connect(btGuests, &QPushButton::clicked, this, [this] { platform::openDialog(QStringLiteral("frmGuests"), {{"BID", BID}}); });
    buttons->addWidget(btGuests);
    buttons->addStretch(1);
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pgPages);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const int priceWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000000.00")) + 16;
    for (TCalcEdit* e : {dbePriceEUR, dbePriceCZK, dbePriceMaidEUR, dbePriceMaidCZK, edPriceEURNew, edPriceCZKNew})
        e->setFixedWidth(priceWidth);
    edClientName->setMinimumWidth(320);
    edDescrNew->setMinimumWidth(320);
    cmbUPID->setMinimumWidth(240);
    cmbVatNew->setMinimumWidth(80);
    dbeCheckinTime->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 24);
    cmbBusiness->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int rowHeight = fontMetrics().height() + 8;
    dbAccItems->setMinimumSize(440, rowHeight * 8);
    // A date shows whole on one line, whatever the font.
    dbAccItems->setWordWrap(false);
    dbAccItems->setColumnWidth(0, 150);
    dbAccItems->setColumnWidth(1, dbAccItems->fontMetrics().horizontalAdvance(QStringLiteral("28.12.2026")) + 14);
    for (int c = 2; c < 5; ++c) dbAccItems->setColumnWidth(c, 64);
    dbAccItems->horizontalHeader()->setStretchLastSection(true);

    // Down each page, then Ok and Cancel.
    QWidget* order[] = {dbeDateThru,     edNumPers,   cmbBusiness, dbePriceEUR, dbePriceCZK, chkFX,
                        dbePriceMaidEUR, dbePriceMaidCZK, dbAccItems, cmbUPID,  edDescrNew,  edPriceEURNew,
                        edPriceCZKNew,   cmbVatNew,   btSave,      btOk,        btCancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

int TfrmRoomDetail::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmRoomDetail::warn(const QString& message, const QString& caption)
{
    const QString shownCaption = caption.isEmpty() ? kCaption : caption;
    m_afterShown->say([this, message, shownCaption] {
        LangMessageBox(this, message, shownCaption, platform::Icon::Warning, platform::Buttons::Ok);
    });
}

// ---- activation ----------------------------------------------------------------------

void TfrmRoomDetail::FormActivate()
{
    m_afterShown->clear();
    {
        widgets::QuietChanges quiet(m_quiet);
        resetControls();
        loadItemTypes();
    }
    m_cancel = true;
    pgPages->setCurrentWidget(pgMain);
    if (BID == 0) warn(QStringLiteral("Can't find Account"));
    else loadStay();
    chkFXClick();   // the currency texts follow the pair shown
    pgPagesChange();
    dbeDateThru->setFocus();
}

void TfrmRoomDetail::resetControls()
{
    QStringList titles;
    for (const char* t : kItemTitles) titles << QString::fromLatin1(t);
    dbAccItems->setHorizontalHeaderLabels(titles);
    TranslateGridTitles(dbAccItems);
    dbAccItems->setRowCount(0);
    m_loaded = false;
    m_rateWarned = false;
    m_uid = 0;
    m_pid.clear();
    for (QString& text : m_loadedPrices) text.clear();
    m_leave->clear();
    for (QLineEdit* e : {edClientName, edRoomName, dbeCheckinTime, edRoomNew}) e->clear();
    dbeDateFrom->clear();
    dbeDateThru->clear();
    edNumPers->setValue(1);
    cmbBusiness->setCurrentIndex(0);
    chkFX->setChecked(options().PreferEUR);
    for (TCalcEdit* e : {dbePriceEUR, dbePriceCZK, dbePriceMaidEUR, dbePriceMaidCZK}) e->setValue(0);
    pgPages->setTabVisible(pgPages->indexOf(pgAccount), true);
    clearNewItem();
}

void TfrmRoomDetail::clearNewItem()
{
    widgets::QuietChanges quiet(m_quiet);
    cmbUPID->setCurrentIndex(-1);
    edDescrNew->clear();
    edPriceEURNew->setValue(0);
    edPriceCZKNew->setValue(0);
    cmbVatNew->clear();
}

void TfrmRoomDetail::loadItemTypes()
{
    m_types.clear();
    cmbUPID->clear();
    TdmDataModule* dm = dmDataModule();
    try {
        if (!dm) throw std::runtime_error("no data module");
        auto q = dm->Open(stays::itemTypesSql(dm->DbPrefix()));
        while (q->next()) {
            stays::TTableUcPoDef t;
            t.UPID = int(q->integer("UPID"));
            t.UPNAME = QString::fromStdString(q->text("UPNAME"));
            t.UPTAX1 = q->isNull("UPTAX1") ? -1 : int(q->integer("UPTAX1"));
            t.UPTAX2 = q->isNull("UPTAX2") ? -1 : int(q->integer("UPTAX2"));
            m_types.append(t);
            cmbUPID->addItem(t.UPNAME);
        }
    } catch (const std::exception&) {
        m_types.clear();
        cmbUPID->clear();
        warn(QStringLiteral("Can't load Account Type Definitions"));
    }
    cmbUPID->setCurrentIndex(-1);
}

void TfrmRoomDetail::loadStay()
{
    TdmDataModule* dm = dmDataModule();
    std::unique_ptr<engine::Query> q;
    bool found = false;
    try {
        if (!dm) throw std::runtime_error("no data module");
        q = dm->Open(stays::stayLoadSql(dm->DbPrefix(), BID));
        found = q->next();   // the row is read here: a lock stops it here too
    } catch (const std::exception&) {
        m_afterShown->say([this] {
            LangMessageBox(this, QStringLiteral("Can't open table"), QStringLiteral("Tamarel"), platform::Icon::None,
                           platform::Buttons::Ok);
        });
        return;
    }
    if (!found) {
        // Another stay's row must never stand in for the missing one.
        warn(QStringLiteral("Can't locate the record"));
        return;
    }
    widgets::QuietChanges quiet(m_quiet);
    auto field = [&](const char* name) { return QString::fromStdString(q->text(name)); };
    m_uid = int(q->integer("UID"));
    m_pid = field("PID");
    const TTableRooms room = dm->FindRoom(QStringLiteral("PID"), m_pid);
    // A room that is not found has no name to show; its id is no name.
    edRoomName->setText(room.found ? room.PNAME : QString());
    const TTableClients client = dm->FindClient(QStringLiteral("KID"), field("KID"));
    if (client.found)
        edClientName->setText(shell::TrimLeft(client.TITLE + QLatin1Char(' ') + client.SURNAME + QLatin1Char(' ')
                                              + client.NAME));
    dbeDateFrom->setText(field("DATEFROM"));
    dbeCheckinTime->setText(field("TIMEIN"));
    dbeDateThru->setText(field("DATETHRU"));
    edNumPers->setValue(int(q->integer("NUMPERS")));
    cmbBusiness->setCurrentIndex(field("BUSINESS") == QStringLiteral("1") ? 1 : 0);
    dbePriceEUR->setValue(q->number("PRICEEUR"));
    dbePriceCZK->setValue(q->number("PRICECZK"));
    dbePriceMaidEUR->setValue(q->number("MAIDEUR"));
    dbePriceMaidCZK->setValue(q->number("MAIDCZK"));
    q.reset();
    const TCalcEdit* prices[] = {dbePriceEUR, dbePriceCZK, dbePriceMaidEUR, dbePriceMaidCZK};
    for (int i = 0; i < 4; ++i) m_loadedPrices[i] = prices[i]->text();
    m_loaded = true;
    edRoomNew->setText(edRoomName->text());
    if (!loadAccountItems()) {
        warn(QStringLiteral("Account items not available"));
        pgPages->setTabVisible(pgPages->indexOf(pgAccount), false);
    }
}

bool TfrmRoomDetail::loadAccountItems()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm || !m_loaded) return false;
    try {
        auto q = dm->Open(stays::accountItemsSql(dm->DbPrefix(), m_uid, m_pid));
        int row = 0;
        dbAccItems->setRowCount(0);
        while (q->next()) {
            dbAccItems->insertRow(row);
            for (int c = 0; c < 5; ++c) {
                auto* cell = new QTableWidgetItem(QString::fromStdString(q->text(kItemFields[c])));
                if (c > 1) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                dbAccItems->setItem(row, c, cell);
            }
            ++row;
        }
    } catch (const std::exception&) {
        dbAccItems->setRowCount(0);
        return false;
    }
    pgPages->setTabVisible(pgPages->indexOf(pgAccount), true);
    return true;
}

// ---- control rules --------------------------------------------------------------------

void TfrmRoomDetail::UpdateControls()
{
    const bool eur = chkFX->isChecked();
    dbePriceEUR->setVisible(eur);
    dbePriceMaidEUR->setVisible(eur);
    dbePriceCZK->setVisible(!eur);
    dbePriceMaidCZK->setVisible(!eur);
    btSave->setEnabled(m_loaded
                       && stays::canSaveItem(cmbUPID->currentIndex() >= 0, edDescrNew->text(), edPriceCZKNew->text(),
                                             cmbVatNew->currentIndex() >= 0));
    btOk->setEnabled(m_loaded && pgPages->currentWidget() != pgNewAccountItem);
}

void TfrmRoomDetail::chkFXClick()
{
    UpdateControls();
    const QString currency = chkFX->isChecked() ? QStringLiteral("EUR") : QStringLiteral("CZK");
    stCurrency->setText(currency);
    stCurrencyM->setText(currency);
}

void TfrmRoomDetail::pgPagesChange()
{
    btOk->setEnabled(m_loaded && pgPages->currentWidget() != pgNewAccountItem);
}

void TfrmRoomDetail::cmbUPIDChange()
{
    {
        widgets::QuietChanges quiet(m_quiet);
        cmbVatNew->clear();
        const int index = cmbUPID->currentIndex();
        if (index >= 0 && index < m_types.size()) {
            const stays::TTableUcPoDef& type = m_types.at(index);
            edDescrNew->setText(type.UPNAME);
            edPriceEURNew->setValue(0);
            edPriceCZKNew->setValue(0);
            const QStringList rates = stays::vatChoices(type);
            cmbVatNew->addItems(rates);
            cmbVatNew->setCurrentIndex(rates.size() == 1 ? 0 : -1);
        }
    }
    UpdateControls();
}

// ---- dates and conversions --------------------------------------------------------------

void TfrmRoomDetail::dbeDateThruExit()
{
    if (!m_loaded || (!dbeDateThru->isEmpty() && !dbeDateThru->date().isValid())) return;
    if (stays::departureInvalid(dayOf(dbeDateFrom), dayOf(dbeDateThru), shell::TodayNumber()))
        warn(stays::stayIssueMessage(stays::StayIssue::DatesInvalid));
}

bool TfrmRoomDetail::warnNoRate(double rate)
{
    if (shell::usableRate(rate)) return false;
    if (!m_rateWarned) {
        m_rateWarned = true;
        warn(kNoRate);
    }
    return true;
}

double TfrmRoomDetail::rateForStay()
{
    TdmDataModule* dm = dmDataModule();
    return dm ? dm->CurrentRate(dbeDateFrom->date().isValid() ? dbeDateFrom->text() : QString()) : -1;
}

double TfrmRoomDetail::latestRate()
{
    TdmDataModule* dm = dmDataModule();
    return dm ? dm->CurrentRate(QString()) : -1;
}

void TfrmRoomDetail::convertStayEurToCzk()
{
    const double rate = rateForStay();
    if (warnNoRate(rate)) return;
    setHundredths(dbePriceCZK, *stays::czkFromEur(dbePriceEUR->value(), rate));
    setHundredths(dbePriceMaidCZK, *stays::czkFromEur(dbePriceMaidEUR->value(), rate));
}

void TfrmRoomDetail::convertStayCzkToEur()
{
    const double rate = rateForStay();
    if (warnNoRate(rate)) return;
    setHundredths(dbePriceEUR, *stays::eurFromCzk(dbePriceCZK->value(), rate));
    setHundredths(dbePriceMaidEUR, *stays::eurFromCzk(dbePriceMaidCZK->value(), rate));
}

void TfrmRoomDetail::convertNewEurToCzk()
{
    const double rate = latestRate();
    if (warnNoRate(rate)) return;
    setHundredths(edPriceCZKNew, *stays::czkFromEur(edPriceEURNew->value(), rate));
}

void TfrmRoomDetail::convertNewCzkToEur()
{
    const double rate = latestRate();
    if (warnNoRate(rate)) return;
    setHundredths(edPriceEURNew, *stays::eurFromCzk(edPriceCZKNew->value(), rate));
}

// The leaving rule of each box: the departure checked, prices converted. On Ok the closing
// checks tell about the dates themselves; one message is enough.
void TfrmRoomDetail::leaveRule(QWidget* w, bool onEnter)
{
    if (w == dbeDateThru) {
        if (!onEnter) dbeDateThruExit();
    } else if (w == dbePriceEUR || w == dbePriceMaidEUR) convertStayEurToCzk();
    else if (w == dbePriceCZK || w == dbePriceMaidCZK) convertStayCzkToEur();
    else if (w == edPriceEURNew) convertNewEurToCzk();
    else if (w == edPriceCZKNew) convertNewCzkToEur();
}

void TfrmRoomDetail::leaveFocusedControl(bool alsoFocused) { m_leave->runPending(alsoFocused); }

// ---- posting a new item ----------------------------------------------------------------

void TfrmRoomDetail::btSaveClick()
{
    leaveFocusedControl(true);
    UpdateControls();
    const int index = cmbUPID->currentIndex();
    TdmDataModule* dm = dmDataModule();
    if (!btSave->isEnabled() || !dm || index < 0 || index >= m_types.size()) return;
    stays::AccountItem item;
    item.UID = m_uid;
    item.PID = m_pid;
    item.UPID = m_types.at(index).UPID;
    item.DESCR = edDescrNew->text();
    item.ITEMDATE = shell::TodayText();
    // The amounts as typed: the box shows them whole, and so they are stored.
    item.EUR = TCalcEdit::fullText(edPriceEURNew->value());
    item.CZK = TCalcEdit::fullText(edPriceCZKNew->value());
    item.TAXRATE = cmbVatNew->currentText();
    item.RATE = latestRate();
    item.USR = QString();
    item.UPMJ = shell::TodayText();
    item.UPMT = shell::NowTimeText();
    if (!dm->ExecStatement(stays::accountItemInsertSql(dm->DbPrefix(), item)) || dm->lastCount() < 1) {
        warn(QStringLiteral("Can't write the account item"), QStringLiteral("New account item"));
        return;
    }
    LangMessageBox(this, QStringLiteral("Account item saved"), QStringLiteral("Tamarel"), platform::Icon::None,
                   platform::Buttons::Ok);
    clearNewItem();
    UpdateControls();
    if (!loadAccountItems()) pgPages->setTabVisible(pgPages->indexOf(pgAccount), false);
}

// ---- storing the stay and closing -----------------------------------------------------

void TfrmRoomDetail::btOkClick()
{
    m_cancel = false;
    done(QDialog::Accepted);
}

void TfrmRoomDetail::done(int result)
{
    // Accepted only when the stay's changes were stored.
    const bool storing = !m_cancel && m_loaded && result == QDialog::Accepted;
    if (!FormCloseQuery()) return;
    m_types.clear();
    QDialog::done(storing ? QDialog::Accepted : QDialog::Rejected);
}

bool TfrmRoomDetail::FormCloseQuery()
{
    if (m_cancel) return true;   // Cancel and Esc: the stay's changes are dropped
    m_cancel = true;
    if (!m_loaded) return true;  // nothing was loaded, so nothing is written
    return storeStay();
}

bool TfrmRoomDetail::storeStay()
{
    leaveFocusedControl(true);
    for (TDateEdit* e : {dbeDateThru})
        if (!e->checkValidDate()) return false;
    const stays::StayIssue issue =
        stays::stayIssue(dayOf(dbeDateFrom), dayOf(dbeDateThru), shell::TodayNumber(), edNumPers->value());
    if (issue != stays::StayIssue::None) {
        warn(stays::stayIssueMessage(issue));
        return false;
    }
    stays::StayChanges c;
    c.DATETHRU = dbeDateThru->text();
    c.NUMPERS = edNumPers->value();
    c.business = cmbBusiness->currentIndex() == 1;
    // Only the prices the receptionist (or a conversion) changed are written, each as its box
    // holds it; the others keep what is stored, to every place.
    const TCalcEdit* prices[] = {dbePriceEUR, dbePriceCZK, dbePriceMaidEUR, dbePriceMaidCZK};
    std::optional<QString>* columns[] = {&c.PRICEEUR, &c.PRICECZK, &c.MAIDEUR, &c.MAIDCZK};
    for (int i = 0; i < 4; ++i)
        if (prices[i]->text() != m_loadedPrices[i]) *columns[i] = TCalcEdit::fullText(prices[i]->value());
    c.USR = QString();
    c.UPMJ = shell::TodayText();
    c.UPMT = shell::NowTimeText();
    TdmDataModule* dm = dmDataModule();
    // An update that finds no row (the stay was removed meanwhile) wrote nothing.
    if (!dm || !dm->ExecStatement(stays::stayUpdateSql(dm->DbPrefix(), BID, c)) || dm->lastCount() < 1) {
        warn(QStringLiteral("Can't save the data"));
        return false;
    }
    return true;
}
