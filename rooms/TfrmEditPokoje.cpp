// The rooms editor: grid, menus, colour choice, the room identifier guard, audit fields and
// the hand-over to the prices editor.
#include "rooms/TfrmEditPokoje.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "lang/Language.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "rooms/AuditFields.h"
#include "rooms/TfrmEditPokojeCeny.h"
#include "widgets/TableGrid.h"

namespace {
const QString kRooms = QStringLiteral("Rooms");
}

TfrmEditPokoje::TfrmEditPokoje(TfrmEditPokojeCeny* prices, QWidget* parent)
    : GridEditorWindow(QStringLiteral("frmEditPokoje"), QStringLiteral("Rooms Settings"), parent), m_prices(prices)
{
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    dbgPokoje->setColumns({{"PID", "Room Id", 45},
                           {"PNAME", "Room name", 90},
                           {"PDESCR", "Room description", 162},
                           {"PMETR", "Meters", 37, right},
                           {"PCOLOR", "Room color", 65, right},
                           {"PPRICE", "Price (EUR)", 60, right},
                           {"MAIDPRICE", "Maid price", 53, right}});
    auto* model = dbgPokoje->gridModel();
    model->beforeEdit = [this] {
        m_rememberedPid = QString::fromStdString(tbPokoje()->text(tbPokoje()->fieldIndex("PID")));
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

TfrmEditPokoje::~TfrmEditPokoje() = default;

void TfrmEditPokoje::buildMenus()
{
    mnRoomsMain = createMenuBar(QStringLiteral("mnRoomsMain"));
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

void TfrmEditPokoje::FormActivate()
{
    m_rememberedPid.reset();
    openGridTable(QStringLiteral("POKOJE.DB"));
}

void TfrmEditPokoje::setAuditFields()
{
    if (auto* table = tbPokoje()) rooms::SetAuditFields(*table);
}

void TfrmEditPokoje::roomIdChanged()
{
    engine::TableCursor* table = tbPokoje();
    const QString current = QString::fromStdString(table->text(table->fieldIndex("PID")));
    if (!m_rememberedPid || *m_rememberedPid == current) return;
    const int answer = LangMessageBox(
        this, QStringLiteral("»Room id« should NOT be changed!\r\n\r\nAre you absolutely sure to keep the new value ?"),
        kRooms, platform::Icon::Question, platform::Buttons::YesNo);
    if (answer != QMessageBox::Yes)
        table->setText(table->fieldIndex("PID"), m_rememberedPid->toStdString());
}

void TfrmEditPokoje::mnmNewRecordClick()
{
    if (!tbPokoje()) return;
    dbgPokoje->setFocus();
    dbgPokoje->appendRow(0);
}

void TfrmEditPokoje::mnChooseColorClick()
{
    if (!tbPokoje()) return;
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
    if (!tbPokoje() || !m_prices) return;
    // The prices belong to the room as it is stored: write its row first.
    if (!dbgPokoje->postPending()) return;
    m_prices->PID = dbgPokoje->currentText("PID");
    platform::runModal(m_prices);
}
