// TfrmCheckIn: the check-in dialog's controls, activation and the check-in on Ok.
//
// Invariants: see TfrmCheckIn.h. The account row and the stays' update run in one composed
// change of the engine over both table files (stays/CheckInLogic runCheckIn).

#include "stays/TfrmCheckIn.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <exception>

#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stays/AfterShown.h"
#include "stays/CheckInLogic.h"
#include "widgets/ButtonRow.h"
#include "widgets/DateEdit.h"
#include "widgets/Named.h"

using widgets::TDateEdit;

namespace {

using widgets::named;
using widgets::label;

const QString kCaption = QStringLiteral("Check in");

// The engine's composed change as runCheckIn uses it.
class EngineChange {
public:
    EngineChange(engine::Database& db, const QString& folder)
    {
        std::vector<std::string> files;
        for (const QString& table : stays::checkInTables()) files.push_back((folder + table).toStdString());
        m_change = db.beginChange(files);
    }
    std::int64_t execute(const QString& sql) { return m_change->execute(sql.toStdString()); }
    std::int64_t lastInsertKey() { return m_change->lastInsertKey(); }
    void commit() { m_change->commit(); }

private:
    std::unique_ptr<engine::Change> m_change;
};

}  // namespace

TfrmCheckIn::TfrmCheckIn(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmCheckIn"));
    setWindowTitle(kCaption);
    buildControls();
    m_afterShown = new stays::TAfterShown(this);
}

TfrmCheckIn::~TfrmCheckIn() = default;

void TfrmCheckIn::buildControls()
{
    edClientName = named(new QLineEdit(this), "edClientName");
    edClientName->setReadOnly(true);
    edClientName->setFocusPolicy(Qt::ClickFocus);
    lbClientName = label(this, "lbClientName", "Client name:", edClientName);
    dbdUFrom = named(new TDateEdit(this), "dbdUFrom");
    dbdUFrom->setDialogTitle(QStringLiteral("Select a Date From"));
    lbAccountFrom = label(this, "lbAccountFrom", "Account from:", dbdUFrom);
    dbeCardNum = named(new QLineEdit(this), "dbeCardNum");
    dbeCardNum->setMaxLength(25);
    lbCardNum = label(this, "lbCardNum", "Card number:", dbeCardNum);
    dbcCardType = named(new QComboBox(this), "dbcCardType");
    dbcCardType->setEditable(true);
    dbcCardType->setInsertPolicy(QComboBox::NoInsert);
    dbcCardType->addItems({QStringLiteral("AMEX"), QStringLiteral("Diner's Club"), QStringLiteral("EC/MC"),
                           QStringLiteral("JCB"), QStringLiteral("VISA")});
    dbcCardType->lineEdit()->setMaxLength(20);
    dbeCardExp = named(new QLineEdit(this), "dbeCardExp");
    dbeCardExp->setMaxLength(10);
    lbCardTypeExp = label(this, "lbCardTypeExp", "Type && exp.:", dbcCardType);
    chkRooms = named(new QListWidget(this), "chkRooms");
    lbCheckInRooms = label(this, "lbCheckInRooms", "Checkin rooms:", chkRooms);

    btOk = named(new QPushButton(QStringLiteral("Ok"), this), "btOk");
    QFont bold = btOk->font();
    bold.setBold(true);
    btOk->setFont(bold);
    btOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btCancel->setAutoDefault(false);
    connect(btOk, &QPushButton::clicked, this, &TfrmCheckIn::btOkClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(lbClientName, 0, 0);
    grid->addWidget(edClientName, 0, 1, 1, 2);
    grid->addWidget(lbAccountFrom, 1, 0);
    grid->addWidget(dbdUFrom, 1, 1, Qt::AlignLeft);
    grid->addWidget(lbCardNum, 2, 0);
    grid->addWidget(dbeCardNum, 2, 1, 1, 2);
    grid->addWidget(lbCardTypeExp, 3, 0);
    grid->addWidget(dbcCardType, 3, 1);
    grid->addWidget(dbeCardExp, 3, 2);
    grid->addWidget(lbCheckInRooms, 4, 0, Qt::AlignTop);
    grid->addWidget(chkRooms, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    widgets::bodyAboveButtons(this, grid, {btOk, btCancel})->setSizeConstraint(QLayout::SetFixedSize);

    edClientName->setMinimumWidth(300);
    dbcCardType->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Diner's Club")) + 40);
    dbeCardExp->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00/0000")) + 24);
    chkRooms->setFixedHeight(fontMetrics().height() * 5 + 8);

    // Down the form: the account's start, the card, the rooms, then the buttons.
    QWidget* order[] = {dbdUFrom, dbeCardNum, dbcCardType, dbeCardExp, chkRooms, btOk, btCancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

int TfrmCheckIn::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmCheckIn::warn(const QString& message, const QString& detail)
{
    m_afterShown->say([this, message, detail] {
        if (detail.isEmpty()) {
            LangMessageBox(this, message, kCaption, platform::Icon::Warning, platform::Buttons::Ok);
            return;
        }
        // The engine's own words follow the translated message as they stand.
        platform::messageBox(this, TranslateMessage(message) + QStringLiteral("\r\n\r\n") + detail,
                             TranslateMessage(kCaption), platform::Icon::Warning, platform::Buttons::Ok);
    });
}

void TfrmCheckIn::FormActivate()
{
    m_afterShown->clear();
    m_cancel = true;
    m_clientFound = false;
    edClientName->clear();
    dbeCardNum->clear();
    dbcCardType->setCurrentIndex(-1);
    dbcCardType->setEditText(QString());
    dbeCardExp->clear();
    // An empty account start becomes today.
    dbdUFrom->setDate(platform::today());
    chkRooms->clear();

    TdmDataModule* dm = dmDataModule();
    const TTableClients client = dm && KID > 0 ? dm->FindClient(QStringLiteral("KID"), QString::number(KID))
                                               : TTableClients{};
    if (!client.found) {
        warn(QStringLiteral("Can't open the table or insert the record"));
        return;
    }
    m_clientFound = true;
    edClientName->setText(stays::clientFullName(client.TITLE, client.SURNAME, client.NAME));
    dbeCardNum->setText(client.CARDNUM);
    dbcCardType->setEditText(client.CARDTYPE);
    dbeCardExp->setText(client.CARDEXP);

    try {
        auto q = dm->Open(stays::checkInRoomsSql(dm->DbPrefix(), KID, shell::DateText(DATEFROM)));
        while (q->next()) {
            auto* item = new QListWidgetItem(QString::fromStdString(q->text("PNAME")), chkRooms);
            item->setData(Qt::UserRole, QString::fromStdString(q->text("PID")));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            item->setCheckState(Qt::Checked);
        }
    } catch (const std::exception&) {
    }
    if (chkRooms->count() == 0) warn(QStringLiteral("Can't load the rooms"));
    else chkRooms->setCurrentRow(0);
    dbdUFrom->setFocus();
}

QStringList TfrmCheckIn::tickedRooms() const
{
    QStringList pids;
    for (int i = 0; i < chkRooms->count(); ++i)
        if (chkRooms->item(i)->checkState() == Qt::Checked) pids << chkRooms->item(i)->data(Qt::UserRole).toString();
    return pids;
}

void TfrmCheckIn::btOkClick()
{
    m_cancel = false;
    done(QDialog::Accepted);
}

void TfrmCheckIn::done(int result)
{
    const bool throughOk = !m_cancel;
    if (!FormCloseQuery()) return;
    QDialog::done(throughOk && result == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected);
}

bool TfrmCheckIn::FormCloseQuery()
{
    if (m_cancel) return true;   // Cancel and Esc: nothing was stored
    m_cancel = true;
    return checkIn();
}

bool TfrmCheckIn::checkIn()
{
    if (tickedRooms().isEmpty()) {
        warn(QStringLiteral("No room selected for check in!"));
        return false;
    }
    if (!dbdUFrom->checkValidDate()) return false;
    TdmDataModule* dm = dmDataModule();
    if (!dm || !m_clientFound) {
        warn(QStringLiteral("Can't open the table or insert the record"));
        return false;
    }
    stays::AccountRow account;
    account.KID = KID;
    account.UFROM = dbdUFrom->isEmpty() ? shell::TodayText() : dbdUFrom->text();
    account.CARDNUM = dbeCardNum->text();
    account.CARDTYPE = dbcCardType->currentText();
    account.CARDEXP = dbeCardExp->text();
    account.USR = QString();
    account.UPMJ = shell::TodayText();
    account.UPMT = shell::NowTimeText();

    const QString folder = dm->DbPrefix();
    const stays::CheckInOutcome outcome =
        stays::runCheckIn([&] { return EngineChange(dm->db(), folder); }, folder, shell::DateText(DATEFROM), account,
                          tickedRooms(), account.UPMJ, account.UPMT);
    switch (outcome.failure) {
    case stays::CheckInFailure::None: break;
    case stays::CheckInFailure::NoRoomTicked: warn(QStringLiteral("No room selected for check in!")); return false;
    case stays::CheckInFailure::AccountNotStored:
        warn(QStringLiteral("Can't open the table or insert the record"), outcome.engineMessage);
        return false;
    case stays::CheckInFailure::StaysNotUpdated:
        warn(QStringLiteral("Can't update stays. Checkin failed"), outcome.engineMessage);
        return false;
    case stays::CheckInFailure::NotCommitted:
        warn(QStringLiteral("The check-in could not be stored; nothing was changed."), outcome.engineMessage);
        return false;
    }
    LangMessageBox(this, QStringLiteral("Ok. Client is successfully checked in."), QStringLiteral("Tamarel"),
                   platform::Icon::None, platform::Buttons::Ok);
    // The persons of the stay next, the booker listed first (guests/; Cancel skips it).
    platform::openDialog(QStringLiteral("frmGuests"), {{"BID", BID}, {"KID", KID}, {"afterCheckIn", true}});
    return true;
}
