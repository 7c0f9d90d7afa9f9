// The shared frame of the room settings windows: opening and closing the table, layout and
// the close guard.
#include "rooms/GridEditorWindow.h"

#include <QKeyEvent>
#include <QMenuBar>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/TableGrid.h"

namespace rooms {

namespace {
const QString kRooms = QStringLiteral("Rooms");
}

GridEditorWindow::GridEditorWindow(const QString& objectName, const QString& title, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    dbgPokoje = new widgets::TableGrid(this);
    dbgPokoje->setObjectName(QStringLiteral("dbgPokoje"));
    dbgPokoje->setDeleteCaption(kRooms);
}

GridEditorWindow::~GridEditorWindow()
{
    dbgPokoje->setTableCursor(nullptr);
}

QMenuBar* GridEditorWindow::createMenuBar(const QString& objectName)
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(objectName);
    m_menuBar->setNativeMenuBar(false);
    return m_menuBar;
}

void GridEditorWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void GridEditorWindow::openGridTable(const QString& fileName, const QString& filter)
{
    // Titles go back to English first, so a switch back from Czech shows English again.
    dbgPokoje->gridModel()->resetTitles();
    TranslateGridTitles(dbgPokoje);
    const int gridWidth = dbgPokoje->fitColumnsToTitles();
    if (width() < gridWidth + 20) resize(gridWidth + 20, height());
    closeTable();
    try {
        m_table = dmDataModule()->db().openTable((dmDataModule()->DbPrefix() + fileName).toStdString(),
                                                 filter.toStdString());
    } catch (const engine::Error& e) {
        platform::messageBox(this, QString::fromStdString(e.what()), TranslateMessage(kRooms),
                             platform::Icon::Error, platform::Buttons::Ok);
        return;
    }
    dbgPokoje->setTableCursor(m_table.get());
    FormResize();
    dbgPokoje->setFocus();
}

void GridEditorWindow::mnDeleteClick()
{
    if (!m_table) return;
    dbgPokoje->deleteCurrentRow();
}

void GridEditorWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void GridEditorWindow::FormResize()
{
    const int menuHeight = m_menuBar ? m_menuBar->sizeHint().height() : 0;
    if (m_menuBar) m_menuBar->setGeometry(0, 0, width(), menuHeight);
    dbgPokoje->setGeometry(10, menuHeight + 10, std::max(0, width() - 20), std::max(0, height() - menuHeight - 40));
}

bool GridEditorWindow::FormCloseQuery()
{
    if (m_table && !dbgPokoje->postPending()) return false;
    closeTable();
    return true;
}

void GridEditorWindow::closeTable()
{
    dbgPokoje->setTableCursor(nullptr);
    m_table.reset();
}

void GridEditorWindow::done(int result)
{
    if (!FormCloseQuery()) return;
    QDialog::done(result);
}

void GridEditorWindow::keyPressEvent(QKeyEvent* event)
{
    // No Cancel button: Escape belongs to the grid (it gives up the row's changes).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace rooms
