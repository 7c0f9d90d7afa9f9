// TfrmBrowseClientCard: Display and Delete on top of the shared client list.
//
// Invariants: see TfrmBrowseClientCard.h.

#include "clients/TfrmBrowseClientCard.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>

#include "clients/ClientStatements.h"
#include "widgets/QueryTableModel.h"
#include "clients/TfrmClientDetail.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"

TfrmBrowseClientCard::TfrmBrowseClientCard(TfrmClientDetail* detail, QWidget* parent)
    : TClientCardList("frmBrowseClientCard", "Browse Clients", detail, parent)
{
    btSelect->setText(QStringLiteral("&Display"));
    btDelete = new QPushButton(QStringLiteral("Delete"), this);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    buttonRow()->insertWidget(2, btDelete);
    setTabOrder(btAddRecord, btDelete);
    setTabOrder(btDelete, btClose);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(btDelete, &QPushButton::clicked, this, &TfrmBrowseClientCard::btDeleteClick);
}

int TfrmBrowseClientCard::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmBrowseClientCard::enableRowButtons(bool enabled) { btDelete->setEnabled(enabled); }

void TfrmBrowseClientCard::btSelectClick()
{
    if (!list()->isOpen() || list()->rowCount() == 0) return;
    const int kid = currentKID();
    if (kid <= 0 || !m_detail) return;
    m_detail->Execute(kid);
    refresh();
    // The card may have been filtered out by its changes: then the first row stays current.
    const int row = list()->findRow({{QStringLiteral("KID"), QString::number(kid)}});
    if (row >= 0) setCurrentRow(row);
}

void TfrmBrowseClientCard::btDeleteClick()
{
    const int kid = currentKID();
    if (kid <= 0) {
        LangMessageBox(this, QStringLiteral("No row selected"), QStringLiteral("Clients"), platform::Icon::Warning,
                       platform::Buttons::Ok);
        return;
    }
    const int remembered = currentRow();
    const QString question =
        TranslateMessage(QStringLiteral("If you delete the client, your database may become inconsistent!\r\n"
                                        "Are you absolutely sure that you must delete this client record?"))
        + QStringLiteral("\r\n\r\n") + QString(11, QLatin1Char(' ')) + list()->fieldText(remembered, QStringLiteral("NAME"))
        + QLatin1Char(' ') + list()->fieldText(remembered, QStringLiteral("SURNAME")) + QStringLiteral("\r\n\r\n")
        + TranslateMessage(QStringLiteral("Recommended action is \u00BBNo\u00AB!"));
    if (platform::messageBox(this, question, TranslateMessage(QStringLiteral("Clients data")), platform::Icon::Question,
                             platform::Buttons::YesNoCancelDefaultNo) != QMessageBox::Yes)
        return;
    TdmDataModule* dm = dmDataModule();
    if (!dm || !dm->ExecStatement(clients::clientDeleteSql(dm->DbPrefix(), kid)))
        LangMessageBox(this, QStringLiteral("Can't delete the client data"), QStringLiteral("Clients"),
                       platform::Icon::Warning, platform::Buttons::Ok);
    refresh();
    setCurrentRow(clients::rowAfterDelete(remembered, list()->rowCount()));
}

QString TfrmBrowseClientCard::internalErrorText() const { return QStringLiteral("Internal Error (BrowseClient, 75)"); }
