// frmPrintAccounts: the stay and currency choice of the account printout.
//
// Invariants: see TfrmPrintAccounts.h.

#include "documents/TfrmPrintAccounts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <memory>

#include "documents/TrepAccount.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/Named.h"

namespace {

using widgets::named;
}  // namespace

TfrmPrintAccounts::TfrmPrintAccounts(TrepAccount* repAccount, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_rep(repAccount)
{
    setObjectName(QStringLiteral("frmPrintAccounts"));
    setWindowTitle(QStringLiteral("Print Accounts"));
    lbStayAccount = named(new QLabel(QStringLiteral("Choose stay:"), this), "lbStayAccount");
    cmbStays = named(new QComboBox(this), "cmbStays");
    cmbStays->setMinimumWidth(260);
    lbStayAccount->setBuddy(cmbStays);
    chkFX = named(new QCheckBox(QStringLiteral("In foreign currency?"), this), "chkFX");
    btPreview = named(new QPushButton(QStringLiteral("Preview"), this), "btPreview");
    btPrint = named(new QPushButton(QStringLiteral("Print"), this), "btPrint");
    QFont bold = btPrint->font();
    bold.setBold(true);
    btPrint->setFont(bold);
    btClose = named(new QPushButton(QStringLiteral("&Close"), this), "btClose");
    for (QPushButton* b : {btPreview, btPrint}) b->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lbStayAccount, 0, 0);
    grid->addWidget(cmbStays, 0, 1);
    grid->addWidget(chkFX, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btPreview);
    buttons->addWidget(btPrint);
    buttons->addStretch();
    buttons->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btPreview, &QPushButton::clicked, this, &TfrmPrintAccounts::btPreviewClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmPrintAccounts::btPrintClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);
}

int TfrmPrintAccounts::Execute(int uid)
{
    AccountId = uid;
    FormShow();
    return platform::runModal(this);
}

void TfrmPrintAccounts::FormShow()
{
    m_stays.clear();
    cmbStays->clear();
    chkFX->setChecked(::options().PreferEUR);
    TdmDataModule* dm = dmDataModule();
    try {
        std::unique_ptr<engine::Query> queLoadStays = dm->Open(documents::loadStaysSql(dm->DbPrefix(), AccountId));
        while (queLoadStays->next()) {
            documents::TStaysData stay;
            stay.account = AccountId;
            stay.stayAccount = int(queLoadStays->integer("UID"));
            stay.stay = int(queLoadStays->integer("BID"));
            stay.period = QString::fromStdString(queLoadStays->text("DATEFROM")) + QStringLiteral(" - ")
                + QString::fromStdString(queLoadStays->text("DATETHRU"));
            stay.room = QString::fromStdString(queLoadStays->text("PID"));
            stay.roomName = QString::fromStdString(queLoadStays->text("PNAME"));
            m_stays.append(stay);
        }
    } catch (const std::exception&) {
        m_stays.clear();
        LangMessageBox(this, QStringLiteral("Can't load stays data"), QStringLiteral("Print Account"),
                       platform::Icon::Warning, platform::Buttons::Ok);
    }
    const bool onlyStay = m_stays.size() == 1;
    for (const documents::TStaysData& stay : m_stays) cmbStays->addItem(documents::stayLine(stay, onlyStay));
    cmbStays->setCurrentIndex(onlyStay ? 0 : -1);
}

const documents::TStaysData* TfrmPrintAccounts::chosenStay() const
{
    const int index = cmbStays->currentIndex();
    return index >= 0 && index < m_stays.size() ? &m_stays[index] : nullptr;
}

void TfrmPrintAccounts::btPreviewClick()
{
    if (const documents::TStaysData* stay = chosenStay())
        m_rep->Preview(stay->account, stay->room, chkFX->isChecked(), stay->stay);
}

void TfrmPrintAccounts::btPrintClick()
{
    if (const documents::TStaysData* stay = chosenStay())
        m_rep->Print(stay->account, stay->room, chkFX->isChecked(), stay->stay);
}
