// TfrmOutOfOrders: the out-of-order dialog's controls, activation, and storing or deleting
// the period on closing.
//
// Invariants: see TfrmOutOfOrders.h.

#include "stays/TfrmOutOfOrders.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <stdexcept>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stays/AfterShown.h"
#include "stays/OutOfOrderLogic.h"
#include "widgets/DateEdit.h"
#include "widgets/Named.h"

using widgets::TDateEdit;

namespace {

using widgets::named;
using widgets::label;

const QString kCaption = QStringLiteral("Out of orders");

std::optional<int> dayOf(const TDateEdit* edit)
{
    const QDate d = edit->date();
    if (!d.isValid()) return std::nullopt;
    return shell::NumberFromDate(d);
}

}  // namespace

TfrmOutOfOrders::TfrmOutOfOrders(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmOutOfOrders"));
    setWindowTitle(kCaption);
    buildControls();
    m_afterShown = new stays::TAfterShown(this);
}

TfrmOutOfOrders::~TfrmOutOfOrders() = default;

void TfrmOutOfOrders::buildControls()
{
    cmbPID = named(new QComboBox(this), "cmbPID");
    lbPID = label(this, "lbPID", "Room:", cmbPID);
    dbeDateFrom = named(new TDateEdit(this), "dbeDateFrom");
    dbeDateFrom->setDialogTitle(QStringLiteral("Select a Date From"));
    lbFrom = label(this, "lbFrom", "From:", dbeDateFrom);
    dbeDateThru = named(new TDateEdit(this), "dbeDateThru");
    dbeDateThru->setDialogTitle(QStringLiteral("Select a Date Thru"));
    lbThru = label(this, "lbThru", "Thru:", dbeDateThru);
    dbcReason = named(new QComboBox(this), "dbcReason");
    dbcReason->setEditable(true);
    dbcReason->setInsertPolicy(QComboBox::NoInsert);
    dbcReason->lineEdit()->setMaxLength(60);
    lbReason = label(this, "lbReason", "Reason:", dbcReason);

    btOK = named(new QPushButton(QStringLiteral("Ok"), this), "btOK");
    QFont bold = btOK->font();
    bold.setBold(true);
    btOK->setFont(bold);
    btOK->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btDelete = named(new QPushButton(QStringLiteral("Delete"), this), "btDelete");
    for (QPushButton* b : {btCancel, btDelete}) b->setAutoDefault(false);
    connect(btOK, &QPushButton::clicked, this, &TfrmOutOfOrders::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btDelete, &QPushButton::clicked, this, &TfrmOutOfOrders::btDeleteClick);

    auto* grid = new QGridLayout;
    grid->addWidget(lbPID, 0, 0);
    grid->addWidget(cmbPID, 0, 1, 1, 3);
    grid->addWidget(lbFrom, 1, 0);
    grid->addWidget(dbeDateFrom, 1, 1);
    grid->addWidget(lbThru, 1, 2, Qt::AlignRight);
    grid->addWidget(dbeDateThru, 1, 3);
    grid->addWidget(lbReason, 2, 0);
    grid->addWidget(dbcReason, 2, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btDelete);
    buttons->addStretch(1);
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    dbcReason->setMinimumWidth(300);

    QWidget* order[] = {cmbPID, dbeDateFrom, dbeDateThru, dbcReason, btOK, btCancel, btDelete};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

int TfrmOutOfOrders::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmOutOfOrders::warn(const QString& message)
{
    m_afterShown->say(
        [this, message] { LangMessageBox(this, message, kCaption, platform::Icon::Warning, platform::Buttons::Ok); });
}

void TfrmOutOfOrders::FormActivate()
{
    m_afterShown->clear();
    m_mode = CloseMode::Cancel;
    m_found = false;
    btDelete->setEnabled(BID > 0);
    btOK->setEnabled(true);
    fillLists();
    dbeDateFrom->clear();
    dbeDateThru->clear();
    dbcReason->setCurrentIndex(-1);
    dbcReason->setEditText(QString());
    if (BID != 0) {
        loadPeriod();
    } else {
        m_found = true;
        if (PresetDay > 0) {
            dbeDateFrom->setDate(shell::DateFromNumber(PresetDay));
            dbeDateThru->setDate(shell::DateFromNumber(PresetDay + 1));
        }
        selectRoom(PresetPID, PresetName);
    }
    PresetDay = 0;
    PresetPID.clear();
    PresetName.clear();
    cmbPID->setFocus();
}

void TfrmOutOfOrders::fillLists()
{
    cmbPID->clear();
    QStringList reasons;
    TdmDataModule* dm = dmDataModule();
    if (!dm) return;
    try {
        auto q = dm->Open(stays::outOfOrderRoomsSql(dm->DbPrefix()));
        while (q->next()) cmbPID->addItem(QString::fromStdString(q->text("PNAME")), QString::fromStdString(q->text("PID")));
    } catch (const std::exception&) {
    }
    cmbPID->setCurrentIndex(-1);
    dm->FillReasonCombo(reasons);
    dbcReason->clear();
    dbcReason->addItems(reasons);
}

void TfrmOutOfOrders::selectRoom(const QString& pid, const QString& name)
{
    int index = pid.isEmpty() ? -1 : cmbPID->findData(pid);
    if (index < 0 && !name.isEmpty()) index = cmbPID->findText(name, Qt::MatchExactly);
    cmbPID->setCurrentIndex(index);
}

QString TfrmOutOfOrders::chosenPid() const
{
    return cmbPID->currentIndex() >= 0 ? cmbPID->currentData().toString() : QString();
}

void TfrmOutOfOrders::loadPeriod()
{
    TdmDataModule* dm = dmDataModule();
    try {
        if (!dm) throw std::runtime_error("no data module");
        auto q = dm->Open(stays::outOfOrderLoadSql(dm->DbPrefix(), BID));
        if (q->next()) {
            selectRoom(QString::fromStdString(q->text("PID")), QString());
            dbeDateFrom->setText(QString::fromStdString(q->text("DATEFROM")));
            dbeDateThru->setText(QString::fromStdString(q->text("DATETHRU")));
            dbcReason->setEditText(QString::fromStdString(q->text("BOOKEDFOR")));
            m_found = true;
        }
    } catch (const std::exception&) {
    }
    if (!m_found) {
        // No other row may stand in for it: nothing can be stored or deleted now.
        btOK->setEnabled(false);
        btDelete->setEnabled(false);
        warn(QStringLiteral("Can't locate the record"));
    }
}

void TfrmOutOfOrders::btOKClick()
{
    m_mode = CloseMode::Save;
    done(QDialog::Accepted);
}

void TfrmOutOfOrders::btDeleteClick()
{
    m_mode = CloseMode::Delete;
    done(QDialog::Accepted);
}

void TfrmOutOfOrders::done(int result)
{
    // Accepted only after a period was stored or deleted.
    const bool writing = m_mode != CloseMode::Cancel && m_found && result == QDialog::Accepted;
    if (!FormCloseQuery()) return;
    QDialog::done(writing ? QDialog::Accepted : QDialog::Rejected);
}

bool TfrmOutOfOrders::FormCloseQuery()
{
    const CloseMode mode = m_mode;
    m_mode = CloseMode::Cancel;
    if (!m_found) return true;
    switch (mode) {
    case CloseMode::Cancel: return true;
    case CloseMode::Delete: return remove();
    case CloseMode::Save: return save();
    }
    return true;
}

bool TfrmOutOfOrders::remove()
{
    if (BID <= 0) return false;
    if (LangMessageBox(this, QStringLiteral("Are you sure to delete this record?"), kCaption, platform::Icon::Question,
                       platform::Buttons::YesNo)
        != QMessageBox::Yes)
        return false;
    TdmDataModule* dm = dmDataModule();
    if (!dm || !dm->ExecStatement(stays::outOfOrderDeleteSql(dm->DbPrefix(), BID))) {
        warn(QStringLiteral("Can't save data"));
        return false;
    }
    if (dm->lastCount() < 1) {
        warn(QStringLiteral("Can't locate the record"));
        return false;
    }
    return true;
}

bool TfrmOutOfOrders::save()
{
    for (TDateEdit* e : {dbeDateFrom, dbeDateThru})
        if (!e->checkValidDate()) return false;
    const stays::OutOfOrderIssue issue = stays::outOfOrderIssue(!chosenPid().isEmpty(), dayOf(dbeDateFrom), dayOf(dbeDateThru));
    if (issue != stays::OutOfOrderIssue::None) {
        warn(stays::outOfOrderIssueMessage(issue));
        return false;
    }
    stays::OutOfOrderRow row;
    row.PID = chosenPid();
    row.DATEFROM = dbeDateFrom->text();
    row.DATETHRU = dbeDateThru->text();
    row.BOOKEDFOR = dbcReason->currentText();
    row.USR = QString();
    row.UPMJ = shell::TodayText();
    row.UPMT = shell::NowTimeText();
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    const QString sql = BID > 0 ? stays::outOfOrderUpdateSql(dm->DbPrefix(), BID, row)
                                : stays::outOfOrderInsertSql(dm->DbPrefix(), row);
    // A change that finds no row (the period was removed meanwhile) stored nothing.
    if (!dm->ExecStatement(sql) || dm->lastCount() < 1) {
        warn(QStringLiteral("Can't save data"));
        return false;
    }
    return true;
}
