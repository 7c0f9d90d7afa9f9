// frmRegCard: the registration card's questions and its write-back to the client card.
//
// Invariants: see TfrmRegCard.h.

#include "documents/TfrmRegCard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <exception>
#include <memory>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/Named.h"

namespace {

using widgets::named;
const QString kCaption = QStringLiteral("Registration Card");

}  // namespace

TfrmRegCard::TfrmRegCard(TqrpRegistrationCard* report, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      m_report(report)
{
    setObjectName(QStringLiteral("frmRegCard"));
    setWindowTitle(kCaption);
    Label1 = named(new QLabel(QStringLiteral("Form of payment:"), this), "Label1");
    rbCash = named(new QRadioButton(QStringLiteral("Cash"), this), "rbCash");
    rbCard = named(new QRadioButton(QStringLiteral("Card"), this), "rbCard");
    rbCard->setChecked(true);
    lbCardNum = named(new QLabel(QStringLiteral("Card Num:"), this), "lbCardNum");
    edCardNum = named(new QLineEdit(this), "edCardNum");
    edCardNum->setMaxLength(documents::kCardNumWidth);
    lbCardTypExp = named(new QLabel(QStringLiteral("Type && Exp:"), this), "lbCardTypExp");
    cmbCardType = named(new QComboBox(this), "cmbCardType");
    cmbCardType->setEditable(true);
    cmbCardType->addItems({QStringLiteral("AMEX"), QStringLiteral("Diner's Club"), QStringLiteral("EC/MC"),
                           QStringLiteral("JCB"), QStringLiteral("VISA")});
    cmbCardType->lineEdit()->setMaxLength(documents::kCardTypeWidth);
    cmbCardType->setCurrentIndex(-1);
    edCardExp = named(new QLineEdit(this), "edCardExp");
    edCardExp->setMaxLength(documents::kCardExpWidth);
    edCardExp->setMaximumWidth(80);
    Label2 = named(new QLabel(QStringLiteral("Stay for:"), this), "Label2");
    chkBusiness = named(new QCheckBox(QStringLiteral("Business"), this), "chkBusiness");
    chkTravel = named(new QCheckBox(QStringLiteral("Travel"), this), "chkTravel");
    for (QCheckBox* c : {chkBusiness, chkTravel}) c->setLayoutDirection(Qt::RightToLeft);
    Label3 = named(new QLabel(QStringLiteral("Checkin time:"), this), "Label3");
    edCheckinTime = named(new QLineEdit(this), "edCheckinTime");
    edCheckinTime->setMaximumWidth(80);
    Label4 = named(new QLabel(QStringLiteral("User name:"), this), "Label4");
    edUserName = named(new QLineEdit(this), "edUserName");
    btPreview = named(new QPushButton(QStringLiteral("Preview"), this), "btPreview");
    btPrint = named(new QPushButton(QStringLiteral("Print"), this), "btPrint");
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    for (QPushButton* b : {btPreview, btPrint, btCancel}) b->setAutoDefault(false);
    // A label with a buddy reads "&&" as one ampersand ("Type & Exp:"), as the caption means.
    lbCardNum->setBuddy(edCardNum);
    lbCardTypExp->setBuddy(cmbCardType);

    auto* grid = new QGridLayout;
    auto* payment = new QHBoxLayout;
    payment->addWidget(rbCash);
    payment->addWidget(rbCard);
    payment->addStretch();
    grid->addWidget(Label1, 0, 0);
    grid->addLayout(payment, 0, 1);
    grid->addWidget(lbCardNum, 1, 0);
    grid->addWidget(edCardNum, 1, 1);
    auto* typeExp = new QHBoxLayout;
    typeExp->addWidget(cmbCardType, 1);
    typeExp->addWidget(edCardExp);
    grid->addWidget(lbCardTypExp, 2, 0);
    grid->addLayout(typeExp, 2, 1);
    auto* purpose = new QHBoxLayout;
    purpose->addWidget(chkBusiness);
    purpose->addWidget(chkTravel);
    purpose->addStretch();
    grid->addWidget(Label2, 3, 0);
    grid->addLayout(purpose, 3, 1);
    grid->addWidget(Label3, 4, 0);
    grid->addWidget(edCheckinTime, 4, 1, Qt::AlignLeft);
    grid->addWidget(Label4, 5, 0);
    grid->addWidget(edUserName, 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btPreview);
    buttons->addWidget(btPrint);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    connect(rbCash, &QRadioButton::clicked, this, &TfrmRegCard::rbClick);
    connect(rbCard, &QRadioButton::clicked, this, &TfrmRegCard::rbClick);
    connect(btPreview, &QPushButton::clicked, this, &TfrmRegCard::btPreviewClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmRegCard::btPrintClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmRegCard::Execute(int bid)
{
    Open(bid);
    return platform::runModal(this);
}

void TfrmRegCard::Open(int bid)
{
    BID = bid;
    KID = 0;
    edCardNum->clear();
    cmbCardType->setCurrentIndex(-1);
    cmbCardType->setEditText(QString());
    edCardExp->clear();
    TdmDataModule* dm = dmDataModule();
    try {
        std::unique_ptr<engine::Query> qryInfo = dm->Open(documents::regCardClientSql(dm->DbPrefix(), bid));
        if (qryInfo->next()) {
            KID = int(qryInfo->integer("KID"));
            edCardNum->setText(QString::fromStdString(qryInfo->text("CARDNUM")));
            cmbCardType->setEditText(QString::fromStdString(qryInfo->text("CARDTYPE")));
            edCardExp->setText(QString::fromStdString(qryInfo->text("CARDEXP")));
        }
    } catch (const std::exception&) {
        LangMessageBox(this, QStringLiteral("Can't load the data"), kCaption, platform::Icon::Warning,
                       platform::Buttons::Ok);
    }
    chkBusiness->setChecked(false);
    chkTravel->setChecked(false);
    edCheckinTime->setText(documents::checkInTimeText(platform::now().time()));
    rbClick();
}

void TfrmRegCard::rbClick()
{
    const bool card = rbCard->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edCardNum, cmbCardType, edCardExp}) w->setEnabled(card);
}

bool TfrmRegCard::WriteCardBack()
{
    // A stay without a client card has nowhere to keep the card data.
    if (KID <= 0) return true;
    TdmDataModule* dm = dmDataModule();
    const bool ok = dm->ExecStatement(documents::cardWriteBackSql(dm->DbPrefix(), KID, edCardNum->text(),
                                                                  cmbCardType->currentText(), edCardExp->text()));
    return ok && dm->lastCount() == 1;
}

TRegCardRequest TfrmRegCard::Request() const
{
    TRegCardRequest r;
    r.BID = BID;
    const bool card = rbCard->isChecked();
    r.paymentWord = card ? QStringLiteral("card") : QStringLiteral("cash");
    r.business = chkBusiness->isChecked();
    r.travel = chkTravel->isChecked();
    r.userName = edUserName->text();
    r.checkInTime = edCheckinTime->text();
    if (card) {
        r.cardNum = edCardNum->text().left(documents::kCardNumWidth);
        r.cardType = cmbCardType->currentText().left(documents::kCardTypeWidth);
        r.cardExp = edCardExp->text().left(documents::kCardExpWidth);
    }
    return r;
}

TRegCardRequest TfrmRegCard::prepare()
{
    // The card prints what the client card holds, so a failed write-back is said before it.
    if (rbCard->isChecked() && !WriteCardBack())
        LangMessageBox(this, QStringLiteral("The card data was not stored on the client card; the card prints the data stored there."),
                       kCaption, platform::Icon::Warning, platform::Buttons::Ok);
    return Request();
}

void TfrmRegCard::btPreviewClick()
{
    // A card that could not be built (its query failed, the user was told) keeps the dialog open.
    if (m_report->Preview(prepare()) < 0) return;
    accept();
}

void TfrmRegCard::btPrintClick()
{
    if (m_report->Print(prepare()) == platform::PrintOutcome::Failed) return;
    accept();
}
