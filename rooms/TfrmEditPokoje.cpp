// The rooms editor: grid, menus, colour choice, the room identifier guard, audit fields and
// the hand-over to the prices editor.
#include "rooms/TfrmEditPokoje.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "lang/Language.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "rooms/AuditFields.h"
#include "rooms/TfrmEditPokojeCeny.h"
#include "shell/DataModule.h"
#include "widgets/TableGrid.h"

namespace {
const QString kRooms = QStringLiteral("Rooms");
}

TfrmEditPokoje::TfrmEditPokoje(TfrmEditPokojeCeny* prices, QWidget* parent)
    : QDialog(parent), m_prices(prices)
{
    setObjectName(QStringLiteral("frmEditPokoje"));
    setWindowTitle(QStringLiteral("Rooms Settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    dbgPokoje = new widgets::TableGrid(this);
    dbgPokoje->setObjectName(QStringLiteral("dbgPokoje"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    dbgPokoje->setColumns({{"PID", "Room Id", 45},
                           {"PNAME", "Room name", 90},
                           {"PDESCR", "Room description", 162},
                           {"PMETR", "Meters", 37, right},
                           {"PCOLOR", "Room color", 65, right},
                           {"PPRICE", "Price (EUR)", 60, right},
                           {"MAIDPRICE", "Maid price", 53, right}});
    dbgPokoje->setDeleteCaption(kRooms);
    auto* model = dbgPokoje->gridModel();
    model->beforeEdit = [this] {
        m_rememberedPid = QString::fromStdString(m_tbPokoje->text(m_tbPokoje->fieldIndex("PID")));
    };
    model->afterEdit = [this] { setAuditFields(); };
    model->newRow = [this] { m_rememberedPid.reset(); };
    model->fieldChanged = [this](const QString& field) {
        if (field.compare(QLatin1String("PID"), Qt::CaseInsensitive) == 0) roomIdChanged();
    };
    model->cellColour = [](const QString& field, const engine::Value& value) {
        if (field != QLatin1String("PCOLOR")) return QColor();
        if (const auto* n = std::get_if<std::int64_t>(&value)) return colorFromWindows(int(*n));
        return QColor();
    };
    buildMenus();
    resize(580, 320);
}

TfrmEditPokoje::~TfrmEditPokoje()
{
    dbgPokoje->setTableCursor(nullptr);
}

void TfrmEditPokoje::buildMenus()
{
    mnRoomsMain = new QMenuBar(this);
    mnRoomsMain->setObjectName(QStringLiteral("mnRoomsMain"));
    mnRoomsMain->setNativeMenuBar(false);
    mnRooms = mnRoomsMain->addMenu(QStringLiteral("&Rooms"));
    mnRooms->setObjectName(QStringLiteral("mnRooms"));
    mnmClose = mnRooms->addAction(QStringLiteral("Close"));
    mnmClose->setObjectName(QStringLiteral("mnmClose"));
    mnEdit = mnRoomsMain->addMenu(QStringLiteral("&Edit"));
    mnEdit->setObjectName(QStringLiteral("mnEdit"));
    mnmNewRecord = mnEdit->addAction(QStringLiteral("&New Room"));
    mnmNewRecord->setObjectName(QStringLiteral("mnmNewRecord"));
    mnmDelete = mnEdit->addAction(QStringLiteral("&Delete"));
    mnmDelete->setObjectName(QStringLiteral("mnmDelete"));
    mnEdit->addSeparator();
    mnmChooseColor = mnEdit->addAction(QStringLiteral("Choose Room &Color"));
    mnmChooseColor->setObjectName(QStringLiteral("mnmChooseColor"));
    mnmDetailPrices = mnEdit->addAction(QStringLiteral("Detail &Prices Definition"));
    mnmDetailPrices->setObjectName(QStringLiteral("mnmDetailPrices"));

    pmLocal = new QMenu(this);
    pmLocal->setObjectName(QStringLiteral("pmLocal"));
    mnChooseColor = pmLocal->addAction(QStringLiteral("Choose &Color"));
    mnChooseColor->setObjectName(QStringLiteral("mnChooseColor"));
    mnDetailPrices = pmLocal->addAction(QStringLiteral("Detail &Prices"));
    mnDetailPrices->setObjectName(QStringLiteral("mnDetailPrices"));
    pmLocal->addSeparator();
    mnDelete = pmLocal->addAction(QStringLiteral("&Delete record"));
    mnDelete->setObjectName(QStringLiteral("mnDelete"));
    dbgPokoje->setContextMenu(pmLocal);

    connect(mnmClose, &QAction::triggered, this, &QDialog::close);
    connect(mnmNewRecord, &QAction::triggered, this, &TfrmEditPokoje::mnmNewRecordClick);
    connect(mnmDelete, &QAction::triggered, this, &TfrmEditPokoje::mnDeleteClick);
    connect(mnDelete, &QAction::triggered, this, &TfrmEditPokoje::mnDeleteClick);
    connect(mnmChooseColor, &QAction::triggered, this, &TfrmEditPokoje::mnChooseColorClick);
    connect(mnChooseColor, &QAction::triggered, this, &TfrmEditPokoje::mnChooseColorClick);
    connect(mnmDetailPrices, &QAction::triggered, this, &TfrmEditPokoje::mnDetailPricesClick);
    connect(mnDetailPrices, &QAction::triggered, this, &TfrmEditPokoje::mnDetailPricesClick);
}

void TfrmEditPokoje::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TfrmEditPokoje::FormActivate()
{
    // Titles go back to English first, so a switch back from Czech shows English again.
    dbgPokoje->gridModel()->resetTitles();
    TranslateGridTitles(dbgPokoje);
    const int gridWidth = dbgPokoje->fitColumnsToTitles();
    if (width() < gridWidth + 20) resize(gridWidth + 20, height());
    closeTable();
    m_rememberedPid.reset();
    try {
        m_tbPokoje = dmDataModule()->db().openTable((dmDataModule()->DbPrefix() + "POKOJE.DB").toStdString());
    } catch (const engine::Error& e) {
        platform::messageBox(this, QString::fromStdString(e.what()), TranslateMessage(kRooms),
                             platform::Icon::Error, platform::Buttons::Ok);
        return;
    }
    dbgPokoje->setTableCursor(m_tbPokoje.get());
    FormResize();
    dbgPokoje->setFocus();
}

void TfrmEditPokoje::setAuditFields()
{
    if (m_tbPokoje) rooms::SetAuditFields(*m_tbPokoje);
}

void TfrmEditPokoje::roomIdChanged()
{
    const QString current = QString::fromStdString(m_tbPokoje->text(m_tbPokoje->fieldIndex("PID")));
    if (!m_rememberedPid || *m_rememberedPid == current) return;
    const int answer = LangMessageBox(
        this, QStringLiteral("»Room id« should NOT be changed!\r\n\r\nAre you absolutely sure to keep the new value ?"),
        kRooms, platform::Icon::Question, platform::Buttons::YesNo);
    if (answer != QMessageBox::Yes)
        m_tbPokoje->setText(m_tbPokoje->fieldIndex("PID"), m_rememberedPid->toStdString());
}

void TfrmEditPokoje::mnmNewRecordClick()
{
    if (!m_tbPokoje) return;
    dbgPokoje->setFocus();
    dbgPokoje->appendRow(0);
}

void TfrmEditPokoje::mnDeleteClick()
{
    if (!m_tbPokoje) return;
    dbgPokoje->deleteCurrentRow();
}

void TfrmEditPokoje::mnChooseColorClick()
{
    if (!m_tbPokoje) return;
    dbgPokoje->commitEditor();
    if (dbgPokoje->currentRow() < 0 && !dbgPokoje->appendRow(0)) return;
    const QColor initial = colorFromWindows(dbgPokoje->currentText("PCOLOR").toInt());
    const QColor chosen = platform::chooseColour(this, initial.isValid() ? initial : QColor(Qt::black), &m_customColours);
    if (!chosen.isValid()) return;
    if (!dbgPokoje->editCurrentRow()) return;
    dbgPokoje->setCurrentText("PCOLOR", QString::number(windowsFromColor(chosen)));
}

void TfrmEditPokoje::mnDetailPricesClick()
{
    if (!m_tbPokoje || !m_prices) return;
    // The prices belong to the room as it is stored: write its row first.
    if (!dbgPokoje->postPending()) return;
    m_prices->PID = dbgPokoje->currentText("PID");
    platform::runModal(m_prices);
}

void TfrmEditPokoje::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmEditPokoje::FormResize()
{
    const int menuHeight = mnRoomsMain->sizeHint().height();
    mnRoomsMain->setGeometry(0, 0, width(), menuHeight);
    // The grid keeps a margin of 10 pixels at the sides and 30 below.
    dbgPokoje->setGeometry(10, menuHeight + 10, std::max(0, width() - 20), std::max(0, height() - menuHeight - 40));
}

bool TfrmEditPokoje::FormCloseQuery()
{
    if (m_tbPokoje && !dbgPokoje->postPending()) return false;
    closeTable();
    return true;
}

void TfrmEditPokoje::closeTable()
{
    dbgPokoje->setTableCursor(nullptr);
    m_tbPokoje.reset();
}

void TfrmEditPokoje::done(int result)
{
    if (!FormCloseQuery()) return;
    QDialog::done(result);
}

void TfrmEditPokoje::keyPressEvent(QKeyEvent* event)
{
    // No Cancel button: Escape belongs to the grid (it gives up the row's changes).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
