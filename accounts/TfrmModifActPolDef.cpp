// The account item types editor: grid over UCPODEF.DB with a free last row. A table the
// engine cannot open or write (another program holds it) is said, and the editor stays usable.
#include "accounts/TfrmModifActPolDef.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/TableGrid.h"

namespace {
const QString kCaption = QStringLiteral("Account Item Types Definition");
}

TfrmModifActPolDef::TfrmModifActPolDef(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmModifActPolDef"));
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    dbgUCPODEF = new widgets::TableGrid(this);
    dbgUCPODEF->setObjectName(QStringLiteral("dbgUCPODEF"));
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    dbgUCPODEF->setColumns({{"UPID", "Sequence", 62, right},
                            {"UPNAME", "Item Description", 133},
                            {"UPTAX1", "First Tax Rate", 74, right},
                            {"UPTAX2", "Second Tax Rate", 91, right}});
    dbgUCPODEF->setFreeLastRow(true);
    dbgUCPODEF->setDeleteCaption(kCaption);

    mnPopupMenu = new QMenu(this);
    mnPopupMenu->setObjectName(QStringLiteral("mnPopupMenu"));
    mnDelete = mnPopupMenu->addAction(QStringLiteral("&Delete"));
    mnDelete->setObjectName(QStringLiteral("mnDelete"));
    dbgUCPODEF->setContextMenu(mnPopupMenu);
    connect(mnDelete, &QAction::triggered, this, &TfrmModifActPolDef::mnDeleteClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(dbgUCPODEF);
    // The four columns, the row indicator and a scroll bar; the border stays fixed.
    setFixedSize(62 + 133 + 74 + 91 + 40, 260);
}

TfrmModifActPolDef::~TfrmModifActPolDef() { dbgUCPODEF->setTableCursor(nullptr); }

void TfrmModifActPolDef::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TfrmModifActPolDef::FormActivate()
{
    dbgUCPODEF->gridModel()->resetTitles();
    TranslateGridTitles(dbgUCPODEF);
    // The border is fixed, so the window takes the width the titles of this language need.
    setFixedSize(std::max(62 + 133 + 74 + 91 + 40, dbgUCPODEF->fitColumnsToTitles()), 260);
    closeTable();
    try {
        TdmDataModule* dm = dmDataModule();
        if (!dm) throw engine::Error("no database");
        m_tblUCPODEF = dm->db().openTable((dm->DbPrefix() + "UCPODEF.DB").toStdString());
        dbgUCPODEF->setTableCursor(m_tblUCPODEF.get());
    } catch (const std::exception& e) {
        // Another program may hold the table: said, and the grid stays empty.
        closeTable();
        platform::messageBox(this, QString::fromStdString(e.what()), TranslateMessage(kCaption),
                             platform::Icon::Error, platform::Buttons::Ok);
    }
    dbgUCPODEF->setFocus();
    LangMessageBox(this, QStringLiteral("Value \"-1\" in tax columns means \"Not available\""),
                   QStringLiteral("Tamarel"), platform::Icon::None, platform::Buttons::Ok);
}

void TfrmModifActPolDef::mnDeleteClick()
{
    if (!m_tblUCPODEF) return;
    dbgUCPODEF->deleteCurrentRow();
}

bool TfrmModifActPolDef::FormCloseQuery()
{
    if (m_tblUCPODEF && !dbgUCPODEF->postPending()) return false;
    closeTable();
    return true;
}

void TfrmModifActPolDef::closeTable()
{
    dbgUCPODEF->setTableCursor(nullptr);
    m_tblUCPODEF.reset();
}

void TfrmModifActPolDef::done(int result)
{
    if (!FormCloseQuery()) return;
    QDialog::done(result);
}

void TfrmModifActPolDef::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
