// TfrmCloseAccount: the closing dialog's controls, opening on an account row, the payee,
// the totals and their conversion, the checks and the writing of the row.
//
// Invariants: see TfrmCloseAccount.h.

#include "accounts/TfrmCloseAccount.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVariantMap>
#include <algorithm>
#include <iterator>

#include "accounts/AccountLogic.h"
#include "engine/Engine.h"
#include "invoices/InvoiceDocument.h"
#include "invoices/InvoiceDraft.h"
#include "options/Options.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/ButtonRow.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"
#include "widgets/Named.h"

using widgets::TCalcEdit;
using widgets::TDateEdit;

namespace {

using widgets::named;
using widgets::label;

const QString kCaption = QStringLiteral("Close Account");
const QString kFindClientCard = QStringLiteral("frmFindClientCard");
// The dialog takes the newest rate of any day; CurrentRate gives -1 when there is none (or
// two rates for the newest day), and a stored rate may be 0 or below.
const QString kNoRate = QStringLiteral(
    "The newest exchange rate is missing or not above 0. Amounts in the other currency are left as they are.");

// A grey box the receptionist reads but does not type into.
void readOnly(QLineEdit* edit)
{
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    QPalette grey = edit->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    edit->setPalette(grey);
}

int field(engine::TableCursor& t, const char* name) { return t.fieldIndex(name); }

QString text(engine::TableCursor& t, const char* name)
{
    return QString::fromStdString(t.text(field(t, name)));
}

double number(engine::TableCursor& t, const char* name)
{
    const engine::Value v = t.value(field(t, name));
    if (const double* d = std::get_if<double>(&v)) return *d;
    if (const std::int64_t* i = std::get_if<std::int64_t>(&v)) return double(*i);
    return 0;
}

}  // namespace

TfrmCloseAccount::TfrmCloseAccount(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmCloseAccount"));
    setWindowTitle(kCaption);
    buildControls();
    layoutControls();
}

TfrmCloseAccount::~TfrmCloseAccount() = default;

void TfrmCloseAccount::buildControls()
{
    edClientName = named(new QLineEdit(this), "edClientName");
    readOnly(edClientName);
    lbClientName = label(this, "lbClientName", "Client name:", edClientName);
    dbeDateFrom = named(new TDateEdit(this), "dbeDateFrom");
    dbeDateThru = named(new TDateEdit(this), "dbeDateThru");
    dbeDateFrom->setDialogTitle(QStringLiteral("Select a Date From"));
    dbeDateThru->setDialogTitle(QStringLiteral("Select a Date Thru"));
    for (TDateEdit* d : {dbeDateFrom, dbeDateThru}) readOnly(d);
    lbFromThru = label(this, "lbFromThru", "From-Thru:", dbeDateFrom);
    cmbPaymForm = named(new QComboBox(this), "cmbPaymForm");
    lbPaymentForm = label(this, "lbPaymentForm", "Payment form:", cmbPaymForm);
    dbeDatePaym = named(new TDateEdit(this), "dbeDatePaym");
    dbeDatePaym->setDialogTitle(QStringLiteral("Select a Payment Date"));
    lbPaymDate = label(this, "lbPaymDate", "Payment date:", dbeDatePaym);
    dbePKID = named(new QLineEdit(this), "dbePKID");
    edPayeeName = named(new QLineEdit(this), "edPayeeName");
    for (QLineEdit* e : {dbePKID, edPayeeName}) readOnly(e);
    lbPayee = label(this, "lbPayee", "Payee:", dbePKID);
    btChangePayee = named(new QToolButton(this), "btChangePayee");
    btChangePayee->setText(QStringLiteral("..."));
    btChangePayee->setToolTip(QStringLiteral("Change Payee"));
    dbeCardNum = named(new QLineEdit(this), "dbeCardNum");
    dbeCardNum->setMaxLength(25);
    lbCardNum = label(this, "lbCardNum", "Card number:", dbeCardNum);
    dbcCardType = named(new QComboBox(this), "dbcCardType");
    dbcCardType->setEditable(true);
    dbcCardType->addItems({QStringLiteral("AMEX"), QStringLiteral("Diner's Club"), QStringLiteral("EC/MC"),
                           QStringLiteral("JCB"), QStringLiteral("VISA")});
    dbcCardType->lineEdit()->setMaxLength(20);
    dbcCardType->setInsertPolicy(QComboBox::NoInsert);
    dbeCardExp = named(new QLineEdit(this), "dbeCardExp");
    dbeCardExp->setMaxLength(10);
    lbCardTypExp = label(this, "lbCardTypExp", "Type && exp.:", dbcCardType);
    dbeTotalEUR = named(new TCalcEdit(this), "dbeTotalEUR");
    dbeTotalCZK = named(new TCalcEdit(this), "dbeTotalCZK");
    lbPrice = label(this, "lbPrice", "Total price:", dbeTotalEUR);
    lbEUR = label(this, "lbEUR", "EUR");
    lbCZK = label(this, "lbCZK", "CZK");

    chkInvoiceEUR = named(new QCheckBox(QStringLiteral("Invoice in EUR"), this), "chkInvoiceEUR");
    btBuyer = named(new QPushButton(QStringLiteral("Buyer..."), this), "btBuyer");
    btBuyer->setAutoDefault(false);
    btBuyer->setToolTip(QStringLiteral("The buyer the invoice names"));

    btOk = named(new QPushButton(QStringLiteral("Ok"), this), "btOk");
    QFont bold = btOk->font();
    bold.setBold(true);
    btOk->setFont(bold);
    btOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btCancel->setAutoDefault(false);

    connect(btOk, &QPushButton::clicked, this, &TfrmCloseAccount::btOkClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btChangePayee, &QToolButton::clicked, this, &TfrmCloseAccount::btChangePayeeClick);
    connect(btBuyer, &QPushButton::clicked, this, &TfrmCloseAccount::btBuyerClick);
    dbeTotalEUR->installEventFilter(this);
    dbeTotalCZK->installEventFilter(this);
}

void TfrmCloseAccount::layoutControls()
{
    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(lbClientName, row, 0);
    grid->addWidget(edClientName, row++, 1, 1, 4);
    grid->addWidget(lbFromThru, row, 0);
    grid->addWidget(dbeDateFrom, row, 1);
    grid->addWidget(dbeDateThru, row++, 2);
    grid->addWidget(lbPaymentForm, row, 0);
    grid->addWidget(cmbPaymForm, row++, 1);
    grid->addWidget(lbPaymDate, row, 0);
    grid->addWidget(dbeDatePaym, row++, 1);
    auto* payee = new QHBoxLayout;
    payee->addWidget(dbePKID);
    payee->addWidget(edPayeeName, 1);
    payee->addWidget(btChangePayee);
    grid->addWidget(lbPayee, row, 0);
    grid->addLayout(payee, row++, 1, 1, 4);
    grid->addWidget(lbCardNum, row, 0);
    grid->addWidget(dbeCardNum, row++, 1, 1, 2);
    grid->addWidget(lbCardTypExp, row, 0);
    grid->addWidget(dbcCardType, row, 1);
    grid->addWidget(dbeCardExp, row++, 2);
    auto* totals = new QHBoxLayout;
    totals->addWidget(dbeTotalEUR);
    totals->addWidget(lbEUR);
    totals->addSpacing(12);
    totals->addWidget(dbeTotalCZK);
    totals->addWidget(lbCZK);
    totals->addStretch(1);
    grid->addWidget(lbPrice, row, 0);
    grid->addLayout(totals, row++, 1, 1, 4);
    auto* invoice = new QHBoxLayout;
    invoice->addWidget(chkInvoiceEUR);
    invoice->addSpacing(12);
    invoice->addWidget(btBuyer);
    invoice->addStretch(1);
    grid->addLayout(invoice, row++, 1, 1, 4);
    grid->setColumnStretch(3, 1);

    widgets::bodyAboveButtons(this, grid, {btOk, btCancel})->setSizeConstraint(QLayout::SetFixedSize);

    dbePKID->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    edPayeeName->setMinimumWidth(240);
    const int amountWidth = fontMetrics().horizontalAdvance(QStringLiteral("000000000.00")) + 16;
    for (TCalcEdit* e : {dbeTotalEUR, dbeTotalCZK}) e->setMinimumWidth(amountWidth);
    dbcCardType->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Diner's Club")) + 40);

    // The order a payment is taken in: how, when, who pays, the card, the amounts, Ok.
    QWidget* order[] = {cmbPaymForm, dbeDatePaym, btChangePayee, dbeCardNum,    dbcCardType, dbeCardExp,
                        dbeTotalEUR, dbeTotalCZK, chkInvoiceEUR, btBuyer,       btOk,        btCancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

int TfrmCloseAccount::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmCloseAccount::warn(const QString& text)
{
    LangMessageBox(this, text, kCaption, platform::Icon::Warning, platform::Buttons::Ok);
}

// ---- opening -------------------------------------------------------------------------

void TfrmCloseAccount::FormActivate()
{
    m_cancelPending = true;
    m_rateWarned = false;
    m_rateWarningPending = false;
    m_loaded = false;
    m_invoiceNumber.clear();
    m_buyer = {};
    chkInvoiceEUR->setChecked(::options().PreferEUR);
    TdmDataModule* dm = dmDataModule();
    m_rate = dm ? dm->CurrentRate(QString()) : -1;
    shell::FillPaymentForms(cmbPaymForm);
    clearControls();
    closeTable();
    if (!dm) return;
    try {
        tblUcty = dm->db().openTable((dm->DbPrefix() + QStringLiteral("UCTY.DB")).toStdString());
        if (UID <= 0 || !tblUcty->locate({{"UID", engine::Value(std::int64_t(UID))}})) {
            closeTable();
            warn(QStringLiteral("Can't find Account"));
            return;
        }
        loadAccount();
    } catch (const std::exception& e) {
        // Another program may hold the table: the dialog opens empty, and Ok says so.
        closeTable();
        clearControls();
        warn(TranslateMessage(QStringLiteral("Can't open table")) + QStringLiteral("\r\n\r\n") + QString::fromUtf8(e.what()));
        return;
    }
    cmbPaymForm->setFocus();
}

void TfrmCloseAccount::clearControls()
{
    for (QLineEdit* e : {edClientName, dbePKID, edPayeeName, dbeCardNum, dbeCardExp}) e->clear();
    for (TDateEdit* d : {dbeDateFrom, dbeDateThru, dbeDatePaym}) d->clear();
    dbcCardType->setCurrentIndex(-1);
    dbcCardType->setEditText(QString());
    cmbPaymForm->setCurrentIndex(-1);
    dbeTotalEUR->setValue(0);
    dbeTotalCZK->setValue(0);
}

void TfrmCloseAccount::loadAccount()
{
    TdmDataModule* dm = dmDataModule();
    engine::TableCursor& t = *tblUcty;
    t.edit();
    m_loaded = true;
    dbeDateFrom->setText(text(t, "UFROM"));
    dbeDateThru->setText(text(t, "UTHRU"));
    const QString paid = text(t, "DATEPAYM");
    if (paid.isEmpty()) dbeDatePaym->setDate(platform::today());
    else dbeDatePaym->setText(paid);
    const TTableClients holder = dm->FindClient(QStringLiteral("KID"), text(t, "KID"));
    edClientName->setText(accounts::clientDisplayName(holder.TITLE, holder.SURNAME, holder.NAME));
    cmbPaymForm->setCurrentIndex(0);
    // The card typed at check-in stays; only an account without one takes the client card's.
    const QString cardNum = text(t, "CARDNUM"), cardType = text(t, "CARDTYPE"), cardExp = text(t, "CARDEXP");
    const bool accountHasCard = !(cardNum.trimmed().isEmpty() && cardType.trimmed().isEmpty() && cardExp.trimmed().isEmpty());
    showPayee(text(t, "KID").toInt(), !accountHasCard);
    if (accountHasCard) {
        dbeCardNum->setText(cardNum);
        dbcCardType->setEditText(cardType);
        dbeCardExp->setText(cardExp);
    }
    // When the sums cannot be taken the totals stay as stored.
    dbeTotalEUR->setValue(number(t, "TOTALEUR"));
    dbeTotalCZK->setValue(number(t, "TOTALCZK"));
    try {
        auto q = dm->Open(accounts::accountTotalsSql(dm->DbPrefix(), UID));
        q->next();
        dbeTotalEUR->setValue(shell::fromHundredths(shell::hundredthsHalfEven(q->number("TOTEUR"))));
        dbeTotalCZK->setValue(shell::fromHundredths(shell::hundredthsHalfEven(q->number("TOTCZK"))));
    } catch (const std::exception&) {
        warn(QStringLiteral("Can't calculate total amounts"));
    }
}

// The payee's id and name, and with withCard the card data of the payee's client card.
void TfrmCloseAccount::showPayee(int kid, bool withCard)
{
    const TTableClients payee = dmDataModule()->FindClient(QStringLiteral("KID"), QString::number(kid));
    dbePKID->setText(QString::number(kid));
    edPayeeName->setText(payee.found ? accounts::clientDisplayName(payee.TITLE, payee.SURNAME, payee.NAME) : QString());
    takeBuyer(kid);
    if (!withCard) return;
    dbeCardNum->setText(payee.CARDNUM);
    dbcCardType->setEditText(payee.CARDTYPE);
    dbeCardExp->setText(payee.CARDEXP);
}

void TfrmCloseAccount::btChangePayeeClick()
{
    QVariantMap args;
    if (platform::openDialog(kFindClientCard, args) != platform::kAccepted) return;
    const QString kid = args.value(QStringLiteral("KID")).toString().trimmed();
    if (kid.isEmpty() || kid == QStringLiteral("0") || !m_loaded) return;
    if (!dmDataModule()->FindClient(QStringLiteral("KID"), kid).found) return;
    showPayee(kid.toInt(), true);
}

// The invoice's buyer is taken from the payer's card whenever the payer changes.
void TfrmCloseAccount::takeBuyer(int kid)
{
    TdmDataModule* dm = dmDataModule();
    try {
        m_buyer = dm ? invoices::buyerFromCard(dm->db(), dm->DbPrefix(), kid) : invoices::Buyer{};
    } catch (const std::exception&) {
        m_buyer = {};   // typed in the buyer dialog, then
    }
}

void TfrmCloseAccount::btBuyerClick()
{
    if (!m_loaded) return;
    invoices::Buyer edited = m_buyer;
    if (invoices::editBuyer(this, edited)) m_buyer = edited;
}

// ---- totals --------------------------------------------------------------------------

bool TfrmCloseAccount::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && m_loaded) {
        if (watched == dbeTotalEUR) convertTotal(true, true);
        else if (watched == dbeTotalCZK) convertTotal(false, true);
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmCloseAccount::dbeTotalEURExit() { convertTotal(true, false); }

void TfrmCloseAccount::dbeTotalCZKExit() { convertTotal(false, false); }

void TfrmCloseAccount::convertTotal(bool toCzk, bool deferWarning)
{
    if (!m_loaded) return;
    TCalcEdit* from = toCzk ? dbeTotalEUR : dbeTotalCZK;
    TCalcEdit* to = toCzk ? dbeTotalCZK : dbeTotalEUR;
    const auto converted = accounts::convertedTotal(shell::hundredthsHalfEven(from->value()), m_rate, toCzk);
    if (converted) {
        to->setValue(shell::fromHundredths(*converted));
        return;
    }
    if (m_rateWarned) return;
    m_rateWarned = true;
    m_rateWarningPending = true;
    // Told after the focus has settled: a message box inside a focus change hands it around.
    if (deferWarning) QTimer::singleShot(0, this, &TfrmCloseAccount::showPendingRateWarning);
    else showPendingRateWarning();
}

// Only while the dialog is open and undecided: Ok tells it before it decides, Cancel drops it,
// so nothing is said over the board.
void TfrmCloseAccount::showPendingRateWarning()
{
    if (!m_rateWarningPending || !isVisible()) return;
    m_rateWarningPending = false;
    warn(kNoRate);
}

// ---- closing -------------------------------------------------------------------------

void TfrmCloseAccount::btOkClick()
{
    // The total still being typed in counts as left.
    if (QWidget* focused = focusWidget()) {
        if (focused == dbeTotalEUR) dbeTotalEURExit();
        else if (focused == dbeTotalCZK) dbeTotalCZKExit();
    }
    showPendingRateWarning();
    m_cancelPending = false;
    if (FormCloseQuery()) QDialog::done(QDialog::Accepted);
}

bool TfrmCloseAccount::FormCloseQuery()
{
    if (m_cancelPending) {
        closeTable();
        return true;
    }
    m_cancelPending = true;
    if (cmbPaymForm->currentIndex() < 0) {
        LangMessageBox(this, QStringLiteral("Payment form not chosen"), QStringLiteral("Tamarel"), platform::Icon::None,
                       platform::Buttons::Ok);
        return false;
    }
    if (!m_loaded) {
        warn(QStringLiteral("Can't find Account"));
        return false;
    }
    // A text that is no date is said before anything is written (the box's own check, which
    // then does not come again once the focus has left it); an empty box stands for today.
    if (!dbeDatePaym->isEmpty() && !dbeDatePaym->date().isValid()) {
        dbeDatePaym->checkValidDate();
        return false;
    }
    if (dbeDatePaym->date() == QDate(1899, 12, 30)) {
        warn(QStringLiteral("Invalid payment date"));
        return false;
    }
    if (shell::hundredthsHalfEven(dbeTotalEUR->value()) == 0) {
        warn(QStringLiteral("Invalid payment amount"));
        return false;
    }
    if (!writeRow()) return false;
    LangMessageBox(this, QStringLiteral("Account has been closed"), kCaption, platform::Icon::Information,
                   platform::Buttons::Ok);
    closeTable();
    return true;
}

bool TfrmCloseAccount::writeRow()
{
    TdmDataModule* dm = dmDataModule();
    const QString prefix = dm->DbPrefix();
    const QDate paid = dbeDatePaym->date().isValid() ? dbeDatePaym->date() : platform::today();
    accounts::AccountPayment payment;
    payment.FORMPAYM = QString(shell::PaymentFormCode(cmbPaymForm));
    payment.DATEPAYM = shell::DateText(paid);
    payment.PKID = dbePKID->text();
    payment.CARDNUM = dbeCardNum->text();
    payment.CARDTYPE = dbcCardType->currentText();
    payment.CARDEXP = dbeCardExp->text();
    payment.totalEur = shell::hundredthsHalfEven(dbeTotalEUR->value());
    payment.totalCzk = shell::hundredthsHalfEven(dbeTotalCZK->value());
    payment.today = shell::TodayText();
    payment.now = shell::NowTimeText();
    const QString update = accounts::closeAccountSql(prefix, UID, payment);
    auto writeAccount = [&](engine::Change& change) {
        if (change.execute(update.toStdString()) != 1) throw engine::Error("The account row is gone.");
    };
    // The cursor lets go of its edit: the row is written by the change, with the invoice.
    closeTable();
    try {
        engine::Database& db = dm->db();
        if (!invoices::hasInvoiceTable(db, prefix)) {
            auto change = db.beginChange({(prefix + QStringLiteral("UCTY.DB")).toStdString()});
            writeAccount(*change);
            change->commit();
            return true;
        }
        const guests::HotelDetails hotel = invoices::hotelOf(db, prefix);
        invoices::Invoice invoice = invoices::draftInvoice(
            invoices::accountCharges(db, prefix, UID), hotel, UID, m_buyer, payment.FORMPAYM.at(0),
            chkInvoiceEUR->isChecked(), m_rate, platform::today(), invoices::lastCheckOut(db, prefix, UID));
        if (!invoice.recap.ok()) {
            reopenAccount();
            const QString detail = invoice.recap.detail;
            platform::messageBox(this, TranslateMessage(invoice.recap.error) + (detail.isEmpty() ? QString() : QLatin1Char(' ') + detail),
                                 TranslateMessage(kCaption), platform::Icon::Warning, platform::Buttons::Ok);
            return false;
        }
        invoices::issueInNewChange(db, prefix, {QStringLiteral("UCTY.DB"), QLatin1String(invoices::kInvoicesFile)},
                                   writeAccount, hotel.invoicePrefix, invoice);
        m_invoiceNumber = invoice.number;
        return true;
    } catch (const std::exception& e) {
        reopenAccount();
        LangMessageBox(this, QString::fromUtf8(e.what()), kCaption, platform::Icon::Error, platform::Buttons::Ok);
        return false;
    }
}

// After a refused closing the dialog holds the account again, as it was before Ok.
void TfrmCloseAccount::reopenAccount()
{
    TdmDataModule* dm = dmDataModule();
    try {
        tblUcty = dm->db().openTable((dm->DbPrefix() + QStringLiteral("UCTY.DB")).toStdString());
        if (tblUcty->locate({{"UID", engine::Value(std::int64_t(UID))}})) {
            tblUcty->edit();
            m_loaded = true;
            return;
        }
    } catch (const std::exception&) {
    }
    tblUcty.reset();
}

void TfrmCloseAccount::closeTable()
{
    try {
        if (tblUcty && tblUcty->state() != engine::TableCursor::State::Browse) tblUcty->cancel();
    } catch (const std::exception&) {
        // The cursor goes anyway; its edit was never posted.
    }
    tblUcty.reset();
    m_loaded = false;
}

void TfrmCloseAccount::done(int result)
{
    // Esc, Cancel and the close box discard the edit, and whatever was still to be told.
    if (result == QDialog::Rejected) {
        m_cancelPending = true;
        m_rateWarningPending = false;
        FormCloseQuery();
    }
    QDialog::done(result);
}
