#pragma once
// TableGrid: the editable grid over a table cursor that the settings windows (rooms, room
// prices, item types, referral sources) edit their tables in. The user types into the cells;
// the row is written when the user leaves it, and the table's own refusal (a duplicate key,
// a value too long) is shown with the engine's message while the row stays in edit.
//
// Invariants:
//  - at most one row is pending at a time, and it is the cursor's row in Edit or Insert;
//    every move to another row first posts it (or drops it when it is an untouched new row),
//    and a refused post keeps the grid on that row;
//  - the new row is always the last row of the grid; values a window sets when a row starts
//    (newRow hook) do not count as the user's change, so such a row is still dropped untouched;
//  - with the free last row switched on, an empty row is always shown below the table's rows;
//    it becomes a real insert only when something is typed into it;
//  - values are shown and typed as the rest of the program shows them (5.3.2004, 150.5) and
//    read back by the cursor's field types (dates d.m.yyyy, numbers with point or comma);
//  - the cursor is not owned; the grid only reads it while it is not in edit;
//  - an open cell editor stands on the current cell and holds the text it loaded from that
//    cell: none opens while rows are added, removed or written (the view would load a cell
//    about to move), and after a delete the row that moved up gets a freshly loaded one, so
//    no editor can write one row's text over another.

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <vector>

#include "engine/Engine.h"

#include <QMenu>

namespace widgets {

struct TableGridColumn {
    QString field;                 // table field name
    QString title;                 // design-time (English) title
    int width = 64;                // pixels
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;  // of the values
};

class TableCursorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TableCursorModel(QObject* parent = nullptr);

    void setColumns(const QList<TableGridColumn>& columns);
    const QList<TableGridColumn>& columns() const { return m_columns; }
    // Puts the design-time titles back (before translating them again).
    void resetTitles();
    // The cursor to edit (not owned); nullptr detaches. Re-reads everything.
    void setTableCursor(engine::TableCursor* cursor);
    engine::TableCursor* tableCursor() const { return m_cursor; }
    void setFreeLastRow(bool on);
    bool freeLastRow() const { return m_freeLastRow; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Escape in a cell: the pending row's changes are given up.
    void revert() override;

    int tableRowCount() const { return m_count; }          // rows of the table
    bool isNewRow(int row) const { return row == m_count && row < rowCount(); }
    bool inserting() const;
    bool editing() const;                                    // Edit or Insert
    int pendingRow() const;                                  // row in Edit/Insert, -1
    bool userModified() const { return m_userModified; }
    // Rows are being added, removed or written right now: the view must not open an editor
    // (the cell it would load is about to move) nor post.
    bool changingRows() const { return m_changingRows; }
    int fieldColumn(const QString& field) const;             // grid column of a field, -1
    // A field's text in a row (any field of the table, not only the grid's columns).
    QString fieldText(int row, const QString& field) const;
    engine::Value fieldValue(int row, const QString& field) const;

    // Puts the cursor on a table row (only while nothing is pending on another row).
    bool positionCursor(int row);
    // Starts editing a row: the new row becomes an insert, a table row enters Edit (hooks run).
    bool beginRowEdit(int row);
    // Starts a new row at the end (posting the pending one first); answers its row or -1.
    int appendRow();
    // Writes the pending row. An untouched new row is dropped instead. On refusal the row
    // stays pending, failed() carries the engine's message and the answer is false.
    // postedRow receives the row the written row stands on now (-1 when none was written).
    bool postRow(int* postedRow = nullptr);
    void cancelRow();
    bool deleteRow(int row);
    // Reads the row count again and forgets every cached row.
    void reload();
    void setIndicatorRow(int row);
    // True once after a typed value was refused (the grid then keeps the cell).
    bool takeEntryFailure();

    // Hooks for the windows. The cursor stands on the row when they run.
    std::function<void()> beforeEdit;                        // a table row is about to enter Edit
    std::function<void()> afterEdit;                         // ... and has entered it
    std::function<void()> newRow;                            // a new row started: set its defaults
    std::function<void(const QString& field)> fieldChanged;  // a typed value was taken
    std::function<bool(const QString& field)> canEditField;  // false: the cell is read-only
    std::function<void()> beforePost;                        // the pending row is about to be written
    std::function<QColor(const QString& field, const engine::Value& value)> cellColour;

signals:
    // The engine refused something the user did; the grid shows the message.
    void failed(const QString& message);

private:
    const std::vector<engine::Value>* cachedRow(int row) const;
    bool loadBlock(int row) const;
    void prefetch(int row) const;
    void rowChanged(int row);
    void clearCache() const { m_cache.clear(); }

    QList<TableGridColumn> m_columns;
    QStringList m_titles;
    engine::TableCursor* m_cursor = nullptr;
    bool m_freeLastRow = false;
    int m_count = 0;
    int m_editRow = -1;            // table row in Edit
    bool m_inserting = false;      // the new row is an Insert
    bool m_userModified = false;
    bool m_entryFailed = false;
    bool m_changingRows = false;   // rows come and go: an editor closing now must not write
    // The cursor already shows the table after a delete or a write that the view has not been
    // told of yet: rows are answered only from what was read before, never from the cursor.
    bool m_cursorAhead = false;
    int m_indicatorRow = -1;
    mutable QHash<int, std::vector<engine::Value>> m_cache;
};

// The in-place editor: a line edit, remembered so the grid can take its text before it posts.
class TableGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    QWidget* currentEditor() const { return m_editor; }
    // The cell the open editor loaded its text from (invalid when none is open).
    QModelIndex editorIndex() const { return m_editor ? QModelIndex(m_editorIndex) : QModelIndex(); }
    bool eventFilter(QObject* object, QEvent* event) override;

signals:
    // The grid's own delete key (Ctrl+Delete) pressed inside an editor.
    void deleteRequested();

private:
    mutable QPointer<QWidget> m_editor;
    mutable QPersistentModelIndex m_editorIndex;
};

class TableGrid : public QTableView {
    Q_OBJECT
public:
    explicit TableGrid(QWidget* parent = nullptr);

    TableCursorModel* gridModel() const { return m_model; }
    void setColumns(const QList<TableGridColumn>& columns);
    void setTableCursor(engine::TableCursor* cursor);
    // Down or Tab past the last row starts a new row.
    void setAllowAppend(bool on) { m_allowAppend = on; }
    void setFreeLastRow(bool on);
    // Caption of the delete confirmation.
    void setDeleteCaption(const QString& caption) { m_deleteCaption = caption; }
    void setContextMenu(QMenu* menu) { m_contextMenu = menu; }

    // Widens every column that is narrower than its (translated) title; the design widths
    // stay the least widths. Answers the width the grid needs to show all columns.
    int fitColumnsToTitles();

    int currentRow() const;
    QString currentText(const QString& field) const;
    // Takes the open editor's text into the row.
    void commitEditor();
    // Posts the pending row (after taking the editor's text); false on refusal.
    bool postPending();
    void cancelPending();
    // Starts a new row at the end and moves there (to the given column).
    bool appendRow(int column = 0);
    // Asks "Are you sure to delete this record?" and deletes the current row on Yes.
    bool deleteCurrentRow();
    // The current row into edit (a new row into insert); its cursor is then ready for values.
    bool editCurrentRow();
    // Sets a cell of the current row as if the user had typed the text.
    bool setCurrentText(const QString& field, const QString& text);
    using QTableView::edit;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void showFailure(const QString& message);
    void focusMoved(QWidget* old, QWidget* now);
    bool inside(QWidget* widget) const;
    void moveTo(int row, int column);
    void settleEditor();

    TableCursorModel* m_model;
    TableGridDelegate* m_delegate;
    QPointer<QMenu> m_contextMenu;
    QString m_deleteCaption;
    bool m_allowAppend = true;
    bool m_moving = false;
};

}  // namespace widgets

using widgets::TableGrid;
