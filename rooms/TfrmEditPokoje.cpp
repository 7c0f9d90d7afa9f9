// The rooms editor: grid, menus, colour choice, the room identifier guard, audit fields and
// the hand-over to the prices editor.
#include "rooms/TfrmEditPokoje.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>

#include "engine/Engine.h"
#include "fees/FeeLaw.h"
#include "guests/Guest.h"
#include "guests/HotelSettings.h"
#include "shell/DataModule.h"

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
    lbBeds = new QLabel(QStringLiteral("Beds in the room:"), this);
    lbBeds->setObjectName(QStringLiteral("lbBeds"));
    spBeds = new QSpinBox(this);
    spBeds->setObjectName(QStringLiteral("spBeds"));
    spBeds->setRange(0, fees::kMaxBeds);
    lbBeds->setBuddy(spBeds);
    connect(spBeds, &QSpinBox::valueChanged, this, [this] {
        if (!m_showingBeds) storeBeds();
    });
    connect(dbgPokoje->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { showBeds(); });
    resize(580, 320);
}

void TfrmEditPokoje::resizeEvent(QResizeEvent* event)
{
    GridEditorWindow::resizeEvent(event);
    // In the strip below the grid.
    const int top = height() - 27;
    lbBeds->adjustSize();
    lbBeds->move(10, top + (24 - lbBeds->height()) / 2);
    spBeds->setGeometry(lbBeds->x() + lbBeds->width() + 6, top, 60, 24);
}

void TfrmEditPokoje::showBeds()
{
    m_showingBeds = true;
    m_bedsPid = tbPokoje() && dbgPokoje->currentRow() >= 0 ? dbgPokoje->currentText("PID").trimmed() : QString();
    int beds = 0;
    bool ready = false;
    TdmDataModule* dm = dmDataModule();
    try {
        ready = dm && guests::guestBookReady(dm->db(), dm->DbPrefix());
        if (ready && !m_bedsPid.isEmpty())
            beds = guests::readSettings(dm->db(), dm->DbPrefix()).value(QLatin1String(fees::kBedsKeyPrefix) + m_bedsPid).toInt();
    } catch (const engine::Error&) {
        ready = false;
    }
    spBeds->setValue(beds);
    spBeds->setEnabled(ready && !m_bedsPid.isEmpty());
    m_showingBeds = false;
}

bool TfrmEditPokoje::storeBeds()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm || m_bedsPid.isEmpty()) return false;
    const int beds = spBeds->value();
    try {
        guests::writeSettings(dm->db(), dm->DbPrefix(),
                              {{QLatin1String(fees::kBedsKeyPrefix) + m_bedsPid, beds > 0 ? QString::number(beds) : QString()}});
        return true;
    } catch (const std::exception& e) {
        platform::messageBox(this, QString::fromUtf8(e.what()), TranslateMessage(kRooms), platform::Icon::Error,
                             platform::Buttons::Ok);
        return false;
    }
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
    showBeds();
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
