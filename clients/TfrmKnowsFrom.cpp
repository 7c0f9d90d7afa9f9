// TfrmKnowsFrom: the referral source grid on the ODKUDVI.DB table cursor.
//
// Invariants: see TfrmKnowsFrom.h. Every way of closing (Esc, the close box, the caller)
// ends in done(), which stores the pending row first.

#include "clients/TfrmKnowsFrom.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
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
    qApp->removeEventFilter(this);
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
    // The grid's delete key is seen before the grid and its cell editors see it, so that it
    // deletes the way the menu entry does.
    qApp->installEventFilter(this);
    return true;
}

void TfrmKnowsFrom::mnDeleteClick()
{
    if (!m_table) return;
    const QModelIndex at = dbgKnowsFrom->currentIndex();
    if (!dbgKnowsFrom->deleteCurrentRow()) return;
    // The grid may open an editor on the row that moved up while the deleted one was being
    // removed, before that row could be read: such an editor holds an empty text that would
    // be written over the row. Dropping every editor and settling on the row again avoids it.
    dbgKnowsFrom->reset();
    QAbstractItemModel* model = dbgKnowsFrom->model();
    const int row = std::min(at.row(), model->rowCount() - 1);
    if (row >= 0) dbgKnowsFrom->setCurrentIndex(model->index(row, std::max(0, at.column())));
}

bool TfrmKnowsFrom::FormCloseQuery()
{
    // The grid drops an untouched new row and reports a refused one itself.
    return !m_table || dbgKnowsFrom->postPending();
}

bool TfrmKnowsFrom::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && m_table) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier) && widget
            && (widget == dbgKnowsFrom || dbgKnowsFrom->isAncestorOf(widget))) {
            mnDeleteClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmKnowsFrom::FormClose()
{
    qApp->removeEventFilter(this);
    dbgKnowsFrom->setTableCursor(nullptr);
    m_table.reset();
}

void TfrmKnowsFrom::done(int result)
{
    if (!FormCloseQuery()) return;
    FormClose();
    QDialog::done(result);
}
