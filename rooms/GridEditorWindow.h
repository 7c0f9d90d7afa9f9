#pragma once
// GridEditorWindow: what the two room settings windows share, a resizable dialog with a menu
// bar on top and one grid editing a table in place below it.
//
// Invariants:
//  - the window owns the open table; the grid is detached from it before it is closed;
//  - closing writes the pending row first and keeps the window open when the table refuses it;
//  - Escape belongs to the grid (it gives up the row's changes), never to the dialog;
//  - the grid keeps a margin of 10 pixels at the sides and 30 below the menu bar's height.

#include <QDialog>
#include <memory>

#include "engine/Engine.h"

class QMenuBar;
namespace widgets { class TableGrid; }

namespace rooms {

class GridEditorWindow : public QDialog {
    Q_OBJECT
public:
    ~GridEditorWindow() override;

    widgets::TableGrid* dbgPokoje = nullptr;

    virtual void FormActivate() = 0;
    // The decision on a request to close: false keeps the window open.
    bool FormCloseQuery();
    void FormResize();
    void mnDeleteClick();

    void done(int result) override;

protected:
    GridEditorWindow(const QString& objectName, const QString& title, QWidget* parent);

    // The menu bar the grid is laid out below; the window owns it.
    QMenuBar* createMenuBar(const QString& objectName);
    engine::TableCursor* table() const { return m_table.get(); }
    // Fits the columns to their (translated) titles, widens the window to them and opens the
    // table with the filter into the grid; a table that cannot be opened is reported and
    // leaves the grid empty.
    void openGridTable(const QString& fileName, const QString& filter = QString());
    void closeTable();

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QMenuBar* m_menuBar = nullptr;
    std::unique_ptr<engine::TableCursor> m_table;
};

}  // namespace rooms
