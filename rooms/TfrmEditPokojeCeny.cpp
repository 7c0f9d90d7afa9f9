// The room prices editor: grid over POKCENY.DB, filtered to the room its caller gives.
#include "rooms/TfrmEditPokojeCeny.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "rooms/AuditFields.h"
#include "shell/DataModule.h"
#include "widgets/TableGrid.h"

namespace {
const QString kRooms = QStringLiteral("Rooms");
}

TfrmEditPokojeCeny::TfrmEditPokojeCeny(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEditPokojeCeny"));
    setWindowTitle(QStringLiteral("Room Prices Settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    dbgPokoje = new widgets::TableGrid(this);
    dbgPokoje->setObjectName(QStringLiteral("dbgPokoje"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    dbgPokoje->setColumns({{"PID", "Room Id", 45},
                           {"DATEFROM", "Date From", 75, right},
                           {"PPRICE", "Price (EUR)", 80, right},
                           {"MAIDPRICE", "Maid Price", 80, right}});
    dbgPokoje->setDeleteCaption(kRooms);
    auto* model = dbgPokoje->gridModel();
    model->afterEdit = [this] {
        if (m_tbPokojeCeny) rooms::SetAuditFields(*m_tbPokojeCeny);
    };
    model->newRow = [this] {
        if (m_tbPokojeCeny && !PID.isEmpty())
            m_tbPokojeCeny->setText(m_tbPokojeCeny->fieldIndex("PID"), PID.toStdString());
    };

    mnRoomPricesMenu = new QMenuBar(this);
    mnRoomPricesMenu->setObjectName(QStringLiteral("mnRoomPricesMenu"));
    mnRoomPricesMenu->setNativeMenuBar(false);
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

TfrmEditPokojeCeny::~TfrmEditPokojeCeny() { dbgPokoje->setTableCursor(nullptr); }

QString TfrmEditPokojeCeny::RoomFilter(const QString& pid)
{
    QString quoted = pid;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QStringLiteral(" PID='") + quoted + QLatin1Char('\'');
}

void TfrmEditPokojeCeny::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TfrmEditPokojeCeny::FormActivate()
{
    dbgPokoje->gridModel()->resetTitles();
    TranslateGridTitles(dbgPokoje);
    const int gridWidth = dbgPokoje->fitColumnsToTitles();
    if (width() < gridWidth + 20) resize(gridWidth + 20, height());
    closeTable();
    const QString filter = PID.isEmpty() ? QString() : RoomFilter(PID);
    try {
        m_tbPokojeCeny = dmDataModule()->db().openTable((dmDataModule()->DbPrefix() + "POKCENY.DB").toStdString(),
                                                        filter.toStdString());
    } catch (const engine::Error& e) {
        platform::messageBox(this, QString::fromStdString(e.what()), TranslateMessage(kRooms),
                             platform::Icon::Error, platform::Buttons::Ok);
        return;
    }
    dbgPokoje->setTableCursor(m_tbPokojeCeny.get());
    FormResize();
    dbgPokoje->setFocus();
}

void TfrmEditPokojeCeny::mnmNewPriceLineClick()
{
    if (!m_tbPokojeCeny) return;
    dbgPokoje->setFocus();
    // With the room filled in, typing starts in the date.
    dbgPokoje->appendRow(PID.isEmpty() ? 0 : 1);
}

void TfrmEditPokojeCeny::mnDeleteClick()
{
    if (!m_tbPokojeCeny) return;
    dbgPokoje->deleteCurrentRow();
}

void TfrmEditPokojeCeny::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmEditPokojeCeny::FormResize()
{
    const int menuHeight = mnRoomPricesMenu->sizeHint().height();
    mnRoomPricesMenu->setGeometry(0, 0, width(), menuHeight);
    dbgPokoje->setGeometry(10, menuHeight + 10, std::max(0, width() - 20), std::max(0, height() - menuHeight - 40));
}

bool TfrmEditPokojeCeny::FormCloseQuery()
{
    if (m_tbPokojeCeny && !dbgPokoje->postPending()) return false;
    closeTable();
    return true;
}

void TfrmEditPokojeCeny::closeTable()
{
    dbgPokoje->setTableCursor(nullptr);
    m_tbPokojeCeny.reset();
}

void TfrmEditPokojeCeny::done(int result)
{
    if (!FormCloseQuery()) return;
    QDialog::done(result);
}

void TfrmEditPokojeCeny::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
