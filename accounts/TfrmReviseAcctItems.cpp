// TfrmReviseAcctItems: the revision dialog's controls, opening on an account's charges,
// stepping, deleting, discarding and the unrounded conversion of the two amounts.
//
// Invariants: see TfrmReviseAcctItems.h. A box the receptionist typed into is written into
// the charge before anything reads or posts it, a number box as the number it shows (a
// decimal comma read as a point); a converted amount is written into the charge as computed,
// the box only shows it. Every call into the engine is guarded: a failure is told with the
// engine's reason and leaves the dialog usable.

#include "accounts/TfrmReviseAcctItems.h"

#include <QEvent>
#include <QTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <iterator>

#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/CalcEdit.h"
#include "widgets/Named.h"

using widgets::TCalcEdit;

namespace {

using widgets::named;
using widgets::label;

const QString kCaption = QStringLiteral("Revise Account Items");
const QString kNoRate =
    QStringLiteral("The rate of this item is not above 0. The amount in the other currency is left as it is.");
const QString kCantRead = QStringLiteral("The Account item could not be read.");
const QString kCantSave = QStringLiteral("The Account item could not be saved.");
const QString kCantDelete = QStringLiteral("The Account item could not be deleted.");
const QString kNotAccountRoom = QStringLiteral("The room number must be one of this account's rooms:");
const char* const kDirty = "typedIn";

QPushButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture, const char* hint)
{
    auto* b = named(new QPushButton(parent), name);
    b->setIcon(parent->style()->standardIcon(picture));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoDefault(false);
    return b;
}

double numberOf(const engine::TableCursor& t, int field)
{
    const engine::Value v = t.value(field);
    if (const double* d = std::get_if<double>(&v)) return *d;
    if (const std::int64_t* i = std::get_if<std::int64_t>(&v)) return double(*i);
    return 0;
}

}  // namespace

TfrmReviseAcctItems::TfrmReviseAcctItems(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmReviseAcctItems"));
    setWindowTitle(kCaption);
    buildControls();
    layoutControls();
}

TfrmReviseAcctItems::~TfrmReviseAcctItems() = default;

void TfrmReviseAcctItems::buildControls()
{
    dbeRoomNum = named(new QLineEdit(this), "dbeRoomNum");
    dbeRoomNum->setMaxLength(3);
    lbRoomNumber = label(this, "lbRoomNumber", "Room number:", dbeRoomNum);
    dbeDescr = named(new QLineEdit(this), "dbeDescr");
    dbeDescr->setMaxLength(60);
    lbDescr = label(this, "lbDescr", "Description:", dbeDescr);
    dbeAmntEur = named(new TCalcEdit(this), "dbeAmntEur");
    dbeAmntCzk = named(new TCalcEdit(this), "dbeAmntCzk");
    lbAmount = label(this, "lbAmount", "Amount:", dbeAmntEur);
    lbEUR = label(this, "lbEUR", "EUR");
    lbCZK = label(this, "lbCZK", "CZK");
    dbeRate = named(new TCalcEdit(this), "dbeRate");
    lbCurrencyRate = label(this, "lbCurrencyRate", "Currency rate:", dbeRate);
    dbeVat = named(new TCalcEdit(this), "dbeVat");
    lbVAT = label(this, "lbVAT", "VAT:", dbeVat);
    for (TCalcEdit* e : {dbeAmntEur, dbeAmntCzk, dbeRate, dbeVat}) e->setDecimals(10);

    btPrevious = pictureButton(this, "btPrevious", QStyle::SP_ArrowLeft, "Previous item");
    btNext = pictureButton(this, "btNext", QStyle::SP_ArrowRight, "Next item");
    btDelete = pictureButton(this, "btDelete", QStyle::SP_TrashIcon, "Delete item");
    btCancelChanges = pictureButton(this, "btCancelChanges", QStyle::SP_DialogResetButton, "Cancel changes");
    btClose = named(new QPushButton(QStringLiteral("&Close"), this), "btClose");
    btClose->setDefault(true);

    connect(btPrevious, &QPushButton::clicked, this, &TfrmReviseAcctItems::btPreviousClick);
    connect(btNext, &QPushButton::clicked, this, &TfrmReviseAcctItems::btNextClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmReviseAcctItems::btDeleteClick);
    connect(btCancelChanges, &QPushButton::clicked, this, &TfrmReviseAcctItems::btCancelChangesClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);
    for (QLineEdit* e : std::initializer_list<QLineEdit*>{dbeRoomNum, dbeDescr, dbeAmntEur, dbeAmntCzk, dbeRate, dbeVat})
        connect(e, &QLineEdit::textChanged, this, [this, e] {
            if (!m_quiet) e->setProperty(kDirty, true);
        });
    dbeAmntEur->installEventFilter(this);
    dbeAmntCzk->installEventFilter(this);
}

void TfrmReviseAcctItems::layoutControls()
{
    auto* grid = new QGridLayout;
    grid->addWidget(lbRoomNumber, 0, 0);
    grid->addWidget(dbeRoomNum, 0, 1);
    grid->addWidget(lbDescr, 1, 0);
    grid->addWidget(dbeDescr, 1, 1, 1, 4);
    grid->addWidget(lbAmount, 2, 0);
    grid->addWidget(dbeAmntEur, 2, 1);
    grid->addWidget(lbEUR, 2, 2);
    grid->addWidget(dbeAmntCzk, 2, 3);
    grid->addWidget(lbCZK, 2, 4);
    grid->addWidget(lbCurrencyRate, 3, 0);
    grid->addWidget(dbeRate, 3, 1);
    grid->addWidget(lbVAT, 4, 0);
    grid->addWidget(dbeVat, 4, 1);
    grid->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btPrevious, btNext, btDelete, btCancelChanges}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    dbeDescr->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Pokojová služba - Apartmán 12 ")) + 40);
    const int amountWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000000.0000")) + 16;
    for (TCalcEdit* e : {dbeAmntEur, dbeAmntCzk, dbeRate, dbeVat}) e->setMinimumWidth(amountWidth);
    dbeRoomNum->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);

    QWidget* order[] = {dbeRoomNum, dbeDescr, dbeAmntEur, dbeAmntCzk, dbeRate, dbeVat,
                        btPrevious, btNext,   btDelete,   btCancelChanges, btClose};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

int TfrmReviseAcctItems::Execute()
{
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

void TfrmReviseAcctItems::warn(const QString& text)
{
    LangMessageBox(this, text, kCaption, platform::Icon::Warning, platform::Buttons::Ok);
}

void TfrmReviseAcctItems::tell(const QString& lead, const std::exception& e)
{
    LangMessageBox(this, TranslateMessage(lead) + QStringLiteral("\r\n\r\n") + QString::fromUtf8(e.what()), kCaption,
                   platform::Icon::Error, platform::Buttons::Ok);
}

bool TfrmReviseAcctItems::guarded(const QString& lead, const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        tell(lead, e);
        return false;
    }
}

// ---- opening -------------------------------------------------------------------------

bool TfrmReviseAcctItems::FormActivate()
{
    closeTable();
    m_position = accounts::RevisionPosition(0, 0);
    TdmDataModule* dm = dmDataModule();
    int charges = 0;
    m_accountRooms.clear();
    try {
        if (!dm) throw engine::Error("no database");
        tblAcctItems = dm->db().openTable((dm->DbPrefix() + QStringLiteral("UCTYPOL.DB")).toStdString(),
                                          accounts::revisionFilter(UID).toStdString());
        charges = int(tblAcctItems->rowCount());
        if (charges > 0) tblAcctItems->first();
        auto rooms = dm->Open(accounts::accountRoomsSql(dm->DbPrefix(), UID));
        while (rooms->next()) m_accountRooms << QString::fromStdString(rooms->text(0));
    } catch (const std::exception& e) {
        closeTable();
        warn(TranslateMessage(QStringLiteral("Can't open table")) + QStringLiteral("\r\n\r\n") + QString::fromUtf8(e.what()));
        return false;
    }
    if (charges == 0) {
        closeTable();
        warn(QStringLiteral("No Account items found"));
        return false;
    }
    m_position = accounts::RevisionPosition(1, charges);
    showItem();
    dbeDescr->setFocus();
    return true;
}

// The charge under the cursor into the boxes, in edit.
void TfrmReviseAcctItems::showItem()
{
    ++m_quiet;
    m_rateWarned = false;
    m_rateWarningPending = false;
    const bool editable = m_position.editable() && tblAcctItems;
    for (QLineEdit* e : std::initializer_list<QLineEdit*>{dbeRoomNum, dbeDescr, dbeAmntEur, dbeAmntCzk, dbeRate, dbeVat}) {
        e->setProperty(kDirty, false);
        e->setEnabled(editable);
        if (!editable) e->clear();
    }
    if (editable) {
        engine::TableCursor& t = *tblAcctItems;
        auto text = [&](const char* name) { return QString::fromStdString(t.text(t.fieldIndex(name))); };
        dbeRoomNum->setText(text("PID"));
        dbeDescr->setText(text("DESCR"));
        dbeAmntEur->setText(text("AMNTEUR"));
        dbeAmntCzk->setText(text("AMNTCZK"));
        dbeRate->setText(text("RATE"));
        dbeVat->setText(text("TAXRATE"));
        // Not in edit now: the next post puts it there (and says what refused it then).
        try {
            t.edit();
        } catch (const std::exception&) {
        }
    }
    --m_quiet;
    updateButtons();
}

void TfrmReviseAcctItems::updateButtons()
{
    btPrevious->setEnabled(m_position.canGoBack());
    btNext->setEnabled(m_position.canGoForward());
    btDelete->setEnabled(m_position.editable());
    btCancelChanges->setEnabled(m_position.editable());
}

// Writes the boxes typed into and posts the charge; false (told) when a typed room is not one
// of the account's or the engine refuses.
bool TfrmReviseAcctItems::postItem()
{
    if (!tblAcctItems || !m_position.editable()) return true;
    // A charge of another room would drop off every bill of the account.
    if (dbeRoomNum->property(kDirty).toBool() && !accounts::isAccountRoom(dbeRoomNum->text(), m_accountRooms)) {
        QStringList rooms;
        for (const QString& pid : m_accountRooms) rooms << pid.trimmed();
        warn(TranslateMessage(kNotAccountRoom) + QLatin1Char(' ') + rooms.join(QStringLiteral(", ")));
        dbeRoomNum->setFocus(Qt::OtherFocusReason);
        dbeRoomNum->selectAll();
        return false;
    }
    engine::TableCursor& t = *tblAcctItems;
    const std::pair<QLineEdit*, const char*> bound[] = {{dbeRoomNum, "PID"},  {dbeDescr, "DESCR"},
                                                        {dbeAmntEur, "AMNTEUR"}, {dbeAmntCzk, "AMNTCZK"},
                                                        {dbeRate, "RATE"},   {dbeVat, "TAXRATE"}};
    return guarded(kCantSave, [&] {
        if (t.state() == engine::TableCursor::State::Browse) t.edit();
        for (const auto& [box, name] : bound) {
            if (!box->property(kDirty).toBool()) continue;
            const int field = t.fieldIndex(name);
            auto* number = qobject_cast<TCalcEdit*>(box);
            if (!number) t.setText(field, box->text().trimmed().toStdString());
            else if (number->text().trimmed().isEmpty()) t.setValue(field, engine::Value());
            else t.setValue(field, engine::Value(number->value()));
            box->setProperty(kDirty, false);
        }
        // Nothing typed and nothing converted: nothing to write, so a table held by another
        // program never keeps the dialog from closing.
        if (!t.modified()) {
            t.cancel();
            return;
        }
        t.post();
    });
}

// ---- stepping, deleting, discarding --------------------------------------------------

void TfrmReviseAcctItems::btPreviousClick()
{
    showPendingRateWarning();
    if (!m_position.canGoBack() || !postItem()) return;
    if (!guarded(kCantRead, [&] { tblAcctItems->prior(); })) return;
    m_position.back();
    showItem();
}

void TfrmReviseAcctItems::btNextClick()
{
    showPendingRateWarning();
    if (!m_position.canGoForward() || !postItem()) return;
    if (!guarded(kCantRead, [&] { tblAcctItems->next(); })) return;
    m_position.forward();
    showItem();
}

void TfrmReviseAcctItems::btDeleteClick()
{
    showPendingRateWarning();
    if (!m_position.editable()) return;
    if (LangMessageBox(this, QStringLiteral("Are you sure to delete this Account item?"), kCaption,
                       platform::Icon::Question, platform::Buttons::YesNoCancel)
        != QMessageBox::Yes)
        return;
    if (!postItem()) return;
    if (!guarded(kCantDelete, [&] { tblAcctItems->remove(); })) {
        showItem();
        return;
    }
    m_position.deleted();
    showItem();
}

void TfrmReviseAcctItems::btCancelChangesClick()
{
    m_rateWarningPending = false;
    if (!tblAcctItems || !m_position.editable()) return;
    guarded(kCantRead, [&] { tblAcctItems->cancel(); });
    showItem();
}

// ---- amounts -------------------------------------------------------------------------

bool TfrmReviseAcctItems::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // Told once the focus change is complete: a message box inside it hands the focus around.
        if (watched == dbeAmntEur) convertAmount(true, true);
        else if (watched == dbeAmntCzk) convertAmount(false, true);
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmReviseAcctItems::dbeAmntEurExit() { convertAmount(true, false); }

void TfrmReviseAcctItems::dbeAmntCzkExit() { convertAmount(false, false); }

// The other amount follows the one left, unrounded, with the charge's own rate; with a rate
// that is not above 0 nothing is converted and the receptionist is told once per charge.
void TfrmReviseAcctItems::convertAmount(bool toCzk, bool deferWarning)
{
    if (!tblAcctItems || !m_position.editable()) return;
    TCalcEdit* from = toCzk ? dbeAmntEur : dbeAmntCzk;
    TCalcEdit* to = toCzk ? dbeAmntCzk : dbeAmntEur;
    const auto converted = toCzk ? accounts::revisionCzk(from->value(), dbeRate->value())
                                 : accounts::revisionEur(from->value(), dbeRate->value());
    if (!converted) {
        if (m_rateWarned) return;
        m_rateWarned = true;
        m_rateWarningPending = true;
        if (deferWarning) QTimer::singleShot(0, this, &TfrmReviseAcctItems::showPendingRateWarning);
        else showPendingRateWarning();
        return;
    }
    engine::TableCursor& t = *tblAcctItems;
    const bool written = guarded(kCantSave, [&] {
        if (t.state() == engine::TableCursor::State::Browse) t.edit();
        t.setValue(t.fieldIndex(toCzk ? "AMNTCZK" : "AMNTEUR"), engine::Value(*converted));
    });
    if (!written) return;
    ++m_quiet;
    to->setValue(*converted);
    to->setProperty(kDirty, false);
    --m_quiet;
}

// Only while the dialog is on screen: nothing is told over the board after it has closed.
void TfrmReviseAcctItems::showPendingRateWarning()
{
    if (!m_rateWarningPending || !isVisible()) return;
    m_rateWarningPending = false;
    warn(kNoRate);
}

// ---- closing -------------------------------------------------------------------------

void TfrmReviseAcctItems::closeTable()
{
    try {
        if (tblAcctItems && tblAcctItems->state() != engine::TableCursor::State::Browse) tblAcctItems->cancel();
    } catch (const std::exception&) {
        // The cursor goes anyway; what it held in edit was not posted.
    }
    tblAcctItems.reset();
}

void TfrmReviseAcctItems::done(int result)
{
    // Enter or Esc right after typing an amount: the amount being typed counts as left.
    if (QWidget* focused = focusWidget()) {
        if (focused == dbeAmntEur) convertAmount(true, false);
        else if (focused == dbeAmntCzk) convertAmount(false, false);
    }
    showPendingRateWarning();
    // Any close posts what was typed; a refused post keeps the dialog open.
    if (!postItem()) return;
    m_rateWarningPending = false;
    closeTable();
    QDialog::done(result == QDialog::Rejected ? QDialog::Accepted : result);
}
