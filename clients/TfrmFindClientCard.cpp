// TfrmFindClientCard: the picker's Select and Close on top of the shared client list.
//
// Invariants: see TfrmFindClientCard.h.

#include "clients/TfrmFindClientCard.h"

#include <QPushButton>

#include "widgets/QueryTableModel.h"
#include "platform/Platform.h"

TfrmFindClientCard::TfrmFindClientCard(TfrmClientDetail* detail, QWidget* parent)
    : TClientCardList("frmFindClientCard", "Search and Select Client", detail, parent)
{
    btSelect->setText(QStringLiteral("&Select"));
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmFindClientCard::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmFindClientCard::FormActivate()
{
    KID.clear();
    TClientCardList::FormActivate();
}

void TfrmFindClientCard::btSelectClick()
{
    // Only a listed row can be chosen; anything else leaves the picker open.
    const int row = currentRow();
    if (!list()->isOpen() || row < 0) return;
    KID = list()->fieldText(row, QStringLiteral("KID"));
    accept();
}

QString TfrmFindClientCard::internalErrorText() const { return QStringLiteral("Internal Error (FindClient, 71)"); }
