// TfrmReviseAcctItems: the revision dialog's controls, opening on an account's charges,
// stepping, deleting, discarding and the unrounded conversion of the two amounts.
//
// Invariants: see TfrmReviseAcctItems.h. A box the receptionist typed into is written into
// the charge before anything reads or posts it; a converted amount is written into the
// charge as computed, the box only shows it.

#include "accounts/TfrmReviseAcctItems.h"

#include <QEvent>
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

// ---- opening -------------------------------------------------------------------------

bool TfrmReviseAcctItems::FormActivate()
{
    closeTable();
    m_position = accounts::RevisionPosition(0, 0);
    TdmDataModule* dm = dmDataModule();
    int charges = 0;
    try {
        if (!dm) throw engine::Error("no database");
        tblAcctItems = dm->db().openTable((dm->DbPrefix() + QStringLiteral("UCTYPOL.DB")).toStdString(),
                                          QStringLiteral(" UID=%1").arg(UID).toStdString());
        charges = int(tblAcctItems->rowCount());
    } catch (const std::exception&) {
        closeTable();
        warn(QStringLiteral("Can't open table"));
        return false;
    }
    if (charges == 0) {
        closeTable();
        warn(QStringLiteral("No Account items found"));
        return false;
    }
    tblAcctItems->first();
    m_position = accounts::RevisionPosition(1, charges);
    showItem();
    dbeDescr->setFocus();
    return true;
}

// The charge under the cursor into the boxes, in edit.
void TfrmReviseAcctItems::showItem()
{
    ++m_quiet;
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
        t.edit();
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

// Writes the boxes typed into and posts the charge; false (told) when the engine refuses.
bool TfrmReviseAcctItems::postItem()
{
    if (!tblAcctItems || !m_position.editable()) return true;
    engine::TableCursor& t = *tblAcctItems;
    const std::pair<QLineEdit*, const char*> bound[] = {{dbeRoomNum, "PID"},  {dbeDescr, "DESCR"},
                                                        {dbeAmntEur, "AMNTEUR"}, {dbeAmntCzk, "AMNTCZK"},
                                                        {dbeRate, "RATE"},   {dbeVat, "TAXRATE"}};
    try {
        if (t.state() == engine::TableCursor::State::Browse) t.edit();
        for (const auto& [box, name] : bound)
            if (box->property(kDirty).toBool()) {
                t.setText(t.fieldIndex(name), box->text().toStdString());
                box->setProperty(kDirty, false);
            }
        t.post();
        return true;
    } catch (const std::exception& e) {
        LangMessageBox(this, QString::fromUtf8(e.what()), kCaption, platform::Icon::Error, platform::Buttons::Ok);
        return false;
    }
}

// ---- stepping, deleting, discarding --------------------------------------------------

void TfrmReviseAcctItems::btPreviousClick()
{
    if (!m_position.canGoBack() || !postItem()) return;
    m_position.back();
    tblAcctItems->prior();
    showItem();
}

void TfrmReviseAcctItems::btNextClick()
{
    if (!m_position.canGoForward() || !postItem()) return;
    m_position.forward();
    tblAcctItems->next();
    showItem();
}

void TfrmReviseAcctItems::btDeleteClick()
{
    if (!m_position.editable()) return;
    if (LangMessageBox(this, QStringLiteral("Are you sure to delete this Account item?"), kCaption,
                       platform::Icon::Question, platform::Buttons::YesNoCancel)
        != QMessageBox::Yes)
        return;
    if (!postItem()) return;
    try {
        tblAcctItems->remove();
    } catch (const std::exception& e) {
        LangMessageBox(this, QString::fromUtf8(e.what()), kCaption, platform::Icon::Error, platform::Buttons::Ok);
        showItem();
        return;
    }
    m_position.deleted();
    showItem();
}

void TfrmReviseAcctItems::btCancelChangesClick()
{
    if (!tblAcctItems || !m_position.editable()) return;
    tblAcctItems->cancel();
    showItem();
}

// ---- amounts -------------------------------------------------------------------------

bool TfrmReviseAcctItems::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == dbeAmntEur) dbeAmntEurExit();
        else if (watched == dbeAmntCzk) dbeAmntCzkExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmReviseAcctItems::dbeAmntEurExit()
{
    if (!tblAcctItems || !m_position.editable()) return;
    const double czk = accounts::revisionCzk(dbeAmntEur->value(), dbeRate->value());
    if (tblAcctItems->state() == engine::TableCursor::State::Browse) tblAcctItems->edit();
    tblAcctItems->setValue(tblAcctItems->fieldIndex("AMNTCZK"), engine::Value(czk));
    ++m_quiet;
    dbeAmntCzk->setValue(czk);
    dbeAmntCzk->setProperty(kDirty, false);
    --m_quiet;
}

void TfrmReviseAcctItems::dbeAmntCzkExit()
{
    if (!tblAcctItems || !m_position.editable()) return;
    const auto eur = accounts::revisionEur(dbeAmntCzk->value(), dbeRate->value());
    if (!eur) return;
    if (tblAcctItems->state() == engine::TableCursor::State::Browse) tblAcctItems->edit();
    tblAcctItems->setValue(tblAcctItems->fieldIndex("AMNTEUR"), engine::Value(*eur));
    ++m_quiet;
    dbeAmntEur->setValue(*eur);
    dbeAmntEur->setProperty(kDirty, false);
    --m_quiet;
}

// ---- closing -------------------------------------------------------------------------

void TfrmReviseAcctItems::closeTable()
{
    if (tblAcctItems && tblAcctItems->state() != engine::TableCursor::State::Browse) tblAcctItems->cancel();
    tblAcctItems.reset();
}

void TfrmReviseAcctItems::done(int result)
{
    // Any close posts what was typed; a refused post keeps the dialog open.
    if (!postItem()) return;
    closeTable();
    QDialog::done(result == QDialog::Rejected ? QDialog::Accepted : result);
}
