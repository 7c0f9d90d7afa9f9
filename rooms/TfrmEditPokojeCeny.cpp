// The room prices editor: grid over POKCENY.DB, filtered to the room its caller gives.
#include "rooms/TfrmEditPokojeCeny.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "rooms/AuditFields.h"
#include "widgets/TableGrid.h"

TfrmEditPokojeCeny::TfrmEditPokojeCeny(QWidget* parent)
    : GridEditorWindow(QStringLiteral("frmEditPokojeCeny"), QStringLiteral("Room Prices Settings"), parent)
{
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    dbgPokoje->setColumns({{"PID", "Room Id", 45},
                           {"DATEFROM", "Date From", 75, right},
                           {"PPRICE", "Price (EUR)", 80, right},
                           {"MAIDPRICE", "Maid Price", 80, right}});
    auto* model = dbgPokoje->gridModel();
    model->afterEdit = [this] {
        if (auto* table = tbPokojeCeny()) rooms::SetAuditFields(*table);
    };
    model->newRow = [this] {
        if (auto* table = tbPokojeCeny(); table && !PID.isEmpty())
            table->setText(table->fieldIndex("PID"), PID.toStdString());
    };

    mnRoomPricesMenu = createMenuBar(QStringLiteral("mnRoomPricesMenu"));
    mnmPrices = mnRoomPricesMenu->addMenu(QStringLiteral("&Prices"));
    mnmPrices->setObjectName(QStringLiteral("mnmPrices"));
    mnmClose = mnmPrices->addAction(QStringLiteral("&Close"));
    mnmClose->setObjectName(QStringLiteral("mnmClose"));
    mnmEdit = mnRoomPricesMenu->addMenu(QStringLiteral("&Edit"));
    mnmEdit->setObjectName(QStringLiteral("mnmEdit"));
    mnmNewPriceLine = mnmEdit->addAction(QStringLiteral("&New Room Price"));
    mnmNewPriceLine->setObjectName(QStringLiteral("mnmNewPriceLine"));
    mnmDelete = mnmEdit->addAction(QStringLiteral("&Delete"));
    mnmDelete->setObjectName(QStringLiteral("mnmDelete"));
    pmLocal = new QMenu(this);
    pmLocal->setObjectName(QStringLiteral("pmLocal"));
    mnDelete = pmLocal->addAction(QStringLiteral("Delete record"));
    mnDelete->setObjectName(QStringLiteral("mnDelete"));
    dbgPokoje->setContextMenu(pmLocal);

    connect(mnmClose, &QAction::triggered, this, &QDialog::close);
    connect(mnmNewPriceLine, &QAction::triggered, this, &TfrmEditPokojeCeny::mnmNewPriceLineClick);
    connect(mnmDelete, &QAction::triggered, this, &TfrmEditPokojeCeny::mnDeleteClick);
    connect(mnDelete, &QAction::triggered, this, &TfrmEditPokojeCeny::mnDeleteClick);
    resize(340, 300);
}

TfrmEditPokojeCeny::~TfrmEditPokojeCeny() = default;

QString TfrmEditPokojeCeny::RoomFilter(const QString& pid)
{
    QString quoted = pid;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QStringLiteral(" PID='") + quoted + QLatin1Char('\'');
}

void TfrmEditPokojeCeny::FormActivate()
{
    openGridTable(QStringLiteral("POKCENY.DB"), PID.isEmpty() ? QString() : RoomFilter(PID));
}

void TfrmEditPokojeCeny::mnmNewPriceLineClick()
{
    if (!tbPokojeCeny()) return;
    dbgPokoje->setFocus();
    // With the room filled in, typing starts in the date.
    dbgPokoje->appendRow(PID.isEmpty() ? 0 : 1);
}
