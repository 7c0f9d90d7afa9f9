// TfrmKnowsFrom: the referral source grid on the ODKUDVI.DB table cursor.
//
// Invariants: see TfrmKnowsFrom.h. Every way of closing (Esc, the close box, the caller)
// ends in done(), which stores the pending row first.

#include "clients/TfrmKnowsFrom.h"

#include <QAction>
#include <QMenu>
#include <QVBoxLayout>

#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/TableGrid.h"

using widgets::TableGrid;
using widgets::TableGridColumn;

TfrmKnowsFrom::TfrmKnowsFrom(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmKnowsFrom"));
    setWindowTitle(QStringLiteral("Knows from..."));
    setSizeGripEnabled(true);

    dbgKnowsFrom = new TableGrid(this);
    dbgKnowsFrom->setObjectName(QStringLiteral("dbgKnowsFrom"));
    dbgKnowsFrom->setColumns({
        TableGridColumn{QStringLiteral("FID"), QStringLiteral("Code"), 50, Qt::AlignCenter},
        TableGridColumn{QStringLiteral("FDESCR"), QStringLiteral("Description"), 280},
    });
    dbgKnowsFrom->setFreeLastRow(true);
    dbgKnowsFrom->setDeleteCaption(QStringLiteral("Knows from settings"));

    pmLocal = new QMenu(this);
    pmLocal->setObjectName(QStringLiteral("pmLocal"));
    mnDelete = pmLocal->addAction(QStringLiteral("Delete record"));
    mnDelete->setObjectName(QStringLiteral("mnDelete"));
    dbgKnowsFrom->setContextMenu(pmLocal);
    connect(mnDelete, &QAction::triggered, this, &TfrmKnowsFrom::mnDeleteClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(dbgKnowsFrom);
    resize(380, 300);
}

TfrmKnowsFrom::~TfrmKnowsFrom()
{
    dbgKnowsFrom->setTableCursor(nullptr);
}

int TfrmKnowsFrom::Execute()
{
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

bool TfrmKnowsFrom::FormActivate()
{
    dbgKnowsFrom->setTableCursor(nullptr);
    m_table.reset();
    dbgKnowsFrom->gridModel()->resetTitles();
    TranslateGridTitles(dbgKnowsFrom);
    TdmDataModule* dm = dmDataModule();
    try {
        if (!dm) throw engine::Error("no database");
        m_table = dm->db().openTable((dm->DbPrefix() + QStringLiteral("ODKUDVI.DB")).toStdString());
    } catch (const std::exception& e) {
        // The database's own message: what is wrong with the table is what the user needs.
        platform::messageBox(this, QString::fromStdString(e.what()), TranslateMessage(QStringLiteral("Knows from settings")),
                             platform::Icon::Warning, platform::Buttons::Ok);
        return false;
    }
    dbgKnowsFrom->setTableCursor(m_table.get());
    dbgKnowsFrom->setCurrentIndex(dbgKnowsFrom->model()->index(0, 0));
    dbgKnowsFrom->setFocus();
    return true;
}

void TfrmKnowsFrom::mnDeleteClick()
{
    // The grid asks first, and its own delete key (Ctrl+Delete) does the same.
    if (m_table) dbgKnowsFrom->deleteCurrentRow();
}

bool TfrmKnowsFrom::FormCloseQuery()
{
    // The grid drops an untouched new row and reports a refused one itself.
    return !m_table || dbgKnowsFrom->postPending();
}

void TfrmKnowsFrom::FormClose()
{
    dbgKnowsFrom->setTableCursor(nullptr);
    m_table.reset();
}

void TfrmKnowsFrom::done(int result)
{
    if (!FormCloseQuery()) return;
    FormClose();
    QDialog::done(result);
}
