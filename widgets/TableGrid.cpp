// The editable grid over a table cursor: the model that reads rows in blocks and keeps the
// one pending row, and the view that posts that row whenever the user leaves it.
//
// Invariants: rows are read through the cursor only while nothing is pending (reading moves
// the cursor, and moving would post) and never while the view still counts the rows of before
// a delete or a write; no editor opens while rows come and go, and after they did the only
// editor stands on the current cell with the text it loaded from there; a refused post or a
// refused typed value leaves the grid on the row (and cell) the user was in; engine errors
// never leave this file as exceptions, they become failed() and a message box.

#include "widgets/TableGrid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QStyle>

#include "platform/Platform.h"
#include "shell/DataModule.h"

namespace widgets {

namespace {
constexpr int kBlockRows = 64;
constexpr int kMaxCachedRows = 4096;

QString fromEngine(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

// ---------------------------------------------------------------------------------------
// TableCursorModel

TableCursorModel::TableCursorModel(QObject* parent) : QAbstractTableModel(parent) {}

void TableCursorModel::setColumns(const QList<TableGridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    m_titles.clear();
    for (const TableGridColumn& c : columns) m_titles << c.title;
    endResetModel();
}

void TableCursorModel::resetTitles()
{
    for (int i = 0; i < m_columns.size(); ++i) m_titles[i] = m_columns.at(i).title;
    if (!m_columns.isEmpty()) emit headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

void TableCursorModel::setTableCursor(engine::TableCursor* cursor)
{
    beginResetModel();
    m_cursor = cursor;
    m_editRow = -1;
    m_inserting = false;
    m_userModified = false;
    m_indicatorRow = -1;
    clearCache();
    m_count = 0;
    if (m_cursor) {
        try {
            m_count = int(m_cursor->rowCount());
        } catch (const engine::Error&) {
            m_count = 0;
        }
    }
    endResetModel();
}

void TableCursorModel::setFreeLastRow(bool on)
{
    beginResetModel();
    m_freeLastRow = on;
    endResetModel();
}

int TableCursorModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_cursor) return 0;
    return m_count + ((m_inserting || m_freeLastRow) ? 1 : 0);
}

int TableCursorModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

bool TableCursorModel::inserting() const { return m_inserting; }
bool TableCursorModel::editing() const { return m_inserting || m_editRow >= 0; }
int TableCursorModel::pendingRow() const { return m_inserting ? m_count : m_editRow; }

int TableCursorModel::fieldColumn(const QString& field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).field.compare(field, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

bool TableCursorModel::loadBlock(int row) const
{
    if (!m_cursor || editing() || m_cursorAhead || row < 0 || row >= m_count) return false;
    if (m_cache.size() >= kMaxCachedRows) m_cache.clear();
    const int start = row - row % kBlockRows;
    try {
        if (!m_cursor->moveTo(start)) return false;
        const int fieldCount = int(m_cursor->fields().size());
        for (int r = start; r < start + kBlockRows; ++r) {
            std::vector<engine::Value> values;
            values.reserve(size_t(fieldCount));
            for (int f = 0; f < fieldCount; ++f) values.push_back(m_cursor->value(f));
            m_cache.insert(r, std::move(values));
            if (r + 1 >= m_count || !m_cursor->next()) break;
        }
    } catch (const engine::Error&) {
        return false;
    }
    return m_cache.contains(row);
}

void TableCursorModel::prefetch(int row) const
{
    // While a row is pending the cursor cannot move, so the rows the user may look at or the
    // window may ask for are read now: all of a small table, the neighbourhood of a large one.
    const bool small = m_count <= kMaxCachedRows / 2;
    const int from = small ? 0 : std::max(0, row - 2 * kBlockRows);
    const int to = small ? m_count : std::min(m_count, row + 2 * kBlockRows);
    for (int r = from - from % kBlockRows; r < to; r += kBlockRows)
        if (!m_cache.contains(r)) loadBlock(r);
}

const std::vector<engine::Value>* TableCursorModel::cachedRow(int row) const
{
    auto it = m_cache.constFind(row);
    if (it == m_cache.constEnd()) {
        if (!loadBlock(row)) return nullptr;
        it = m_cache.constFind(row);
        if (it == m_cache.constEnd()) return nullptr;
    }
    return &*it;
}

engine::Value TableCursorModel::fieldValue(int row, const QString& field) const
{
    if (!m_cursor) return {};
    const int f = m_cursor->fieldIndex(field.toStdString());
    if (f < 0) return {};
    if (editing() && row == pendingRow()) return m_cursor->value(f);
    if (row < 0 || row >= m_count) return {};
    const std::vector<engine::Value>* values = cachedRow(row);
    return values && size_t(f) < values->size() ? (*values)[size_t(f)] : engine::Value();
}

QString TableCursorModel::fieldText(int row, const QString& field) const
{
    if (!m_cursor) return {};
    const int f = m_cursor->fieldIndex(field.toStdString());
    if (f < 0) return {};
    return fromEngine(engine::displayText(fieldValue(row, field), m_cursor->fields()[size_t(f)].type));
}

QVariant TableCursorModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_cursor || index.column() >= m_columns.size()) return {};
    const TableGridColumn& column = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return fieldText(index.row(), column.field);
    case Qt::TextAlignmentRole: return QVariant(int(column.alignment));
    case Qt::BackgroundRole: {
        if (!cellColour || (isNewRow(index.row()) && !m_inserting)) return {};
        const QColor colour = cellColour(column.field, fieldValue(index.row(), column.field));
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    default: return {};
    }
}

bool TableCursorModel::takeEntryFailure()
{
    const bool failedEntry = m_entryFailed;
    m_entryFailed = false;
    return failedEntry;
}

bool TableCursorModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !m_cursor || index.column() >= m_columns.size()) return false;
    if (m_changingRows) return false;
    const int row = index.row();
    const TableGridColumn& column = m_columns.at(index.column());
    const QString text = value.toString();
    // An editor closed without a change must not put the row into edit.
    if (data(index, Qt::EditRole).toString() == text) return true;
    if (!beginRowEdit(row)) return false;
    const int f = m_cursor->fieldIndex(column.field.toStdString());
    try {
        m_cursor->setText(f, text.toStdString());
    } catch (const engine::Error& e) {
        m_entryFailed = true;
        emit failed(fromEngine(e.what()));
        return false;
    }
    m_userModified = true;
    if (fieldChanged) fieldChanged(column.field);
    rowChanged(row);
    return true;
}

QVariant TableCursorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_titles.size()) return {};
        if (role == Qt::DisplayRole) return m_titles.at(section);
        if (role == Qt::TextAlignmentRole) return QVariant(int(Qt::AlignCenter));
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    // The row indicator: new row, row in edit, current row.
    if (m_inserting && section == m_count) return QStringLiteral("*");
    if (section == m_editRow) return QStringLiteral("I");
    if (section == m_indicatorRow) return QString(QChar(0x25BA));
    return QString();
}

bool TableCursorModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_titles.size())
        return false;
    m_titles[section] = value.toString();
    emit headerDataChanged(Qt::Horizontal, section, section);
    return true;
}

Qt::ItemFlags TableCursorModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!canEditField || canEditField(m_columns.at(index.column()).field)) f |= Qt::ItemIsEditable;
    return f;
}

void TableCursorModel::revert() { cancelRow(); }

void TableCursorModel::setIndicatorRow(int row)
{
    if (row == m_indicatorRow) return;
    const int old = m_indicatorRow;
    m_indicatorRow = row;
    if (old >= 0 && old < rowCount()) emit headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < rowCount()) emit headerDataChanged(Qt::Vertical, row, row);
}

void TableCursorModel::rowChanged(int row)
{
    if (row < 0 || row >= rowCount() || m_columns.isEmpty()) return;
    emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

bool TableCursorModel::positionCursor(int row)
{
    if (!m_cursor) return false;
    if (editing()) return row == pendingRow();
    if (row < 0 || row >= m_count) return false;
    try {
        return m_cursor->moveTo(row);
    } catch (const engine::Error& e) {
        emit failed(fromEngine(e.what()));
        return false;
    }
}

bool TableCursorModel::beginRowEdit(int row)
{
    if (!m_cursor) return false;
    if (editing()) return row == pendingRow();
    prefetch(row);
    if (isNewRow(row)) {
        // The free last row becomes a real new row when something is typed into it.
        m_cursor->append();
        m_inserting = true;
        m_userModified = false;
        try {
            if (newRow) newRow();
        } catch (const engine::Error& e) {
            emit failed(fromEngine(e.what()));
        }
        rowChanged(row);
        return true;
    }
    if (!positionCursor(row)) return false;
    try {
        if (beforeEdit) beforeEdit();
        m_cursor->edit();
        m_editRow = row;
        m_userModified = false;
        if (afterEdit) afterEdit();
    } catch (const engine::Error& e) {
        emit failed(fromEngine(e.what()));
        if (m_editRow < 0) return false;
    }
    rowChanged(row);
    return true;
}

int TableCursorModel::appendRow()
{
    if (!m_cursor) return -1;
    if (m_inserting && !m_userModified) return m_count;
    if (editing() && !postRow()) return -1;
    if (m_freeLastRow) return m_count;  // the free row is there already; typing starts it
    prefetch(m_count);
    beginInsertRows(QModelIndex(), m_count, m_count);
    m_cursor->append();
    m_inserting = true;
    m_userModified = false;
    endInsertRows();
    try {
        if (newRow) newRow();
    } catch (const engine::Error& e) {
        emit failed(fromEngine(e.what()));
    }
    rowChanged(m_count);
    return m_count;
}

bool TableCursorModel::postRow(int* postedRow)
{
    if (postedRow) *postedRow = -1;
    if (!m_cursor || !editing()) return true;
    if (m_inserting && !m_userModified) {
        cancelRow();
        return true;
    }
    try {
        if (beforePost) beforePost();
        m_cursor->post();
    } catch (const engine::Error& e) {
        emit failed(fromEngine(e.what()));
        return false;
    }
    const QScopedValueRollback<bool> changing(m_changingRows, true);
    // The written row may have moved to its key place and a new row added one: until the
    // view is told, its rows are answered from what was read before.
    QScopedValueRollback<bool> ahead(m_cursorAhead, true);
    int count = m_count;
    int position = -1;
    try {
        count = int(m_cursor->rowCount());
        position = int(m_cursor->rowNumber());
    } catch (const engine::Error&) {
    }
    const int oldRows = rowCount();
    const int newRows = count + (m_freeLastRow ? 1 : 0);
    auto settle = [&] {
        m_inserting = false;
        m_editRow = -1;
        m_userModified = false;
        m_count = count;
        m_cursorAhead = false;
        clearCache();
    };
    if (newRows > oldRows) {
        beginInsertRows(QModelIndex(), oldRows, newRows - 1);
        settle();
        endInsertRows();
    } else if (newRows < oldRows) {
        beginRemoveRows(QModelIndex(), newRows, oldRows - 1);
        settle();
        endRemoveRows();
    } else {
        settle();
    }
    if (rowCount() > 0 && !m_columns.isEmpty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, int(m_columns.size()) - 1));
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    }
    if (postedRow) *postedRow = position < 0 ? -1 : std::min(position, std::max(0, m_count - 1));
    return true;
}

void TableCursorModel::cancelRow()
{
    if (!m_cursor || !editing()) return;
    const QScopedValueRollback<bool> changing(m_changingRows, true);
    m_cursor->cancel();
    m_userModified = false;
    if (m_inserting) {
        if (!m_freeLastRow) {
            beginRemoveRows(QModelIndex(), m_count, m_count);
            m_inserting = false;
            endRemoveRows();
        } else {
            m_inserting = false;
            rowChanged(m_count);
        }
        return;
    }
    const int row = m_editRow;
    m_editRow = -1;
    rowChanged(row);
}

bool TableCursorModel::deleteRow(int row)
{
    if (!m_cursor) return false;
    if (isNewRow(row)) {
        cancelRow();
        return true;
    }
    if (row < 0 || row >= m_count) return false;
    if (editing()) {
        if (pendingRow() != row) return false;
        cancelRow();  // the row goes, and its unsaved changes with it
    }
    // While the view is told that the row goes it may look at the rows around it (it moves its
    // current cell to the next row): they are read now, in their places before the delete,
    // because the cursor will already stand in the table without the row.
    prefetch(row);
    if (!positionCursor(row)) return false;
    try {
        m_cursor->remove();
    } catch (const engine::Error& e) {
        emit failed(fromEngine(e.what()));
        return false;
    }
    {
        const QScopedValueRollback<bool> changing(m_changingRows, true);
        QScopedValueRollback<bool> ahead(m_cursorAhead, true);
        beginRemoveRows(QModelIndex(), row, row);
        m_cursorAhead = false;
        clearCache();
        m_count = std::max(0, m_count - 1);
        endRemoveRows();
    }
    // Another program may have changed the table meanwhile: trust the table's own count.
    int actual = m_count;
    try {
        actual = int(m_cursor->rowCount());
    } catch (const engine::Error&) {
    }
    if (actual != m_count) {
        reload();
    } else if (row < rowCount() && !m_columns.isEmpty()) {
        // Every row below moved up one: whatever shows them (an editor too) reads them again.
        emit dataChanged(index(row, 0), index(rowCount() - 1, int(m_columns.size()) - 1));
        emit headerDataChanged(Qt::Vertical, row, rowCount() - 1);
    }
    return true;
}

void TableCursorModel::reload()
{
    const QScopedValueRollback<bool> changing(m_changingRows, true);
    beginResetModel();
    clearCache();
    m_count = 0;
    if (m_cursor) {
        try {
            m_count = int(m_cursor->rowCount());
        } catch (const engine::Error&) {
        }
    }
    endResetModel();
}

// ---------------------------------------------------------------------------------------
// TableGridDelegate

QWidget* TableGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    m_editor = editor;
    m_editorIndex = index;
    return editor;
}

void TableGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    // A released editor no longer belongs to the view: its text is not taken again.
    if (editor == m_editor) {
        m_editor = nullptr;
        m_editorIndex = QPersistentModelIndex();
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool TableGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier)) {
            emit deleteRequested();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// ---------------------------------------------------------------------------------------
// TableGrid

TableGrid::TableGrid(QWidget* parent)
    : QTableView(parent), m_model(new TableCursorModel(this)), m_delegate(new TableGridDelegate(this))
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    // The editor is always shown: it opens on every cell the user moves to.
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(14);
    verticalHeader()->setHighlightSections(false);
    connect(m_model, &TableCursorModel::failed, this, &TableGrid::showFailure);
    connect(m_delegate, &TableGridDelegate::deleteRequested, this, [this] { deleteCurrentRow(); },
            Qt::QueuedConnection);
    connect(qApp, &QApplication::focusChanged, this, &TableGrid::focusMoved);
}

void TableGrid::setColumns(const QList<TableGridColumn>& columns)
{
    m_model->setColumns(columns);
    for (int i = 0; i < columns.size(); ++i) setColumnWidth(i, columns.at(i).width);
}

int TableGrid::fitColumnsToTitles()
{
    const QFontMetrics metrics(horizontalHeader()->font());
    int total = 0;
    for (int i = 0; i < m_model->columnCount(); ++i) {
        const QString title = m_model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        const int width = std::max(m_model->columns().at(i).width, metrics.horizontalAdvance(title) + 14);
        setColumnWidth(i, width);
        total += width;
    }
    return total + verticalHeader()->sizeHint().width() + 2 * frameWidth() +
           style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
}

void TableGrid::setTableCursor(engine::TableCursor* cursor)
{
    m_model->setTableCursor(cursor);
    if (m_model->rowCount() > 0) moveTo(0, 0);
}

void TableGrid::setFreeLastRow(bool on) { m_model->setFreeLastRow(on); }

int TableGrid::currentRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

QString TableGrid::currentText(const QString& field) const { return m_model->fieldText(currentRow(), field); }

void TableGrid::commitEditor()
{
    if (QWidget* editor = m_delegate->currentEditor()) commitData(editor);
}

void TableGrid::moveTo(int row, int column)
{
    const int rows = m_model->rowCount();
    if (rows == 0) {
        m_model->setIndicatorRow(-1);
        return;
    }
    row = std::clamp(row, 0, rows - 1);
    column = std::clamp(column, 0, std::max(0, m_model->columnCount() - 1));
    const bool wasMoving = m_moving;
    m_moving = true;
    setCurrentIndex(m_model->index(row, column));
    m_moving = wasMoving;
    m_model->setIndicatorRow(row);
}

bool TableGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // While rows come and go the view moves its current cell off a removed row and would open
    // an editor there at once, loading a cell that is about to move (or one the model cannot
    // read yet). Its text would later be written over the row that took that place.
    if (m_model->changingRows()) return false;
    return QTableView::edit(index, trigger, event);
}

void TableGrid::settleEditor()
{
    // After rows came or went: an editor may only stand on the current cell, holding the text
    // it loaded from there. A stray one is dropped without writing; the current cell gets its
    // editor as it would have on moving there, unless the user is in another control.
    const QModelIndex current = currentIndex();
    if (QWidget* editor = m_delegate->currentEditor()) {
        if (m_delegate->editorIndex() == current) return;
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    if (!current.isValid() || !isVisible() || !(m_model->flags(current) & Qt::ItemIsEditable)) return;
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == window() && !inside(focus)) return;
    QTableView::edit(current, CurrentChanged, nullptr);
}

void TableGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The base class takes the editor's text into the row it was typed in.
    QTableView::currentChanged(current, previous);
    // A move the view makes itself while rows come and go is no move of the user's: nothing
    // is posted (the model is in the middle of a change).
    if (m_model->changingRows()) {
        m_model->setIndicatorRow(current.row());
        return;
    }
    if (m_moving) return;
    if (m_model->takeEntryFailure() && previous.isValid()) {
        moveTo(previous.row(), previous.column());
        return;
    }
    const int pending = m_model->pendingRow();
    if (!previous.isValid() || !current.isValid() || current.row() == previous.row() || pending != previous.row()) {
        m_model->setIndicatorRow(current.row());
        return;
    }
    const int oldCount = m_model->tableRowCount();
    int posted = -1;
    if (!m_model->postRow(&posted)) {
        moveTo(previous.row(), previous.column());
        return;
    }
    int target = current.row();
    if (posted >= 0) {
        if (target >= oldCount) {
            target = m_model->tableRowCount();  // the free row, below the table's rows
        } else {
            // Follow the row the user moved to: the written row left its old place and took
            // its place in key order.
            const int left = previous.row();
            if (target > left && left < oldCount) --target;
            if (target >= posted) ++target;
        }
    }
    moveTo(target, current.column());
    settleEditor();
}

QModelIndex TableGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const int lastRow = m_model->rowCount() - 1;
    const bool pastEnd = current.isValid() && current.row() == lastRow &&
                         (action == MoveDown || (action == MoveNext && current.column() == m_model->columnCount() - 1));
    if (pastEnd) {
        commitEditor();
        if (m_model->takeEntryFailure()) return current;
        if (m_model->isNewRow(current.row()) && !m_model->userModified()) return current;
        if (m_allowAppend || m_model->freeLastRow()) {
            appendRow(action == MoveDown ? current.column() : 0);
            return currentIndex();
        }
        return current;
    }
    return QTableView::moveCursor(action, modifiers);
}

bool TableGrid::postPending()
{
    commitEditor();
    if (m_model->takeEntryFailure()) return false;
    const int column = std::max(0, currentIndex().column());
    int posted = -1;
    if (!m_model->postRow(&posted)) return false;
    if (posted >= 0) moveTo(posted, column);
    else if (currentRow() >= m_model->rowCount()) moveTo(m_model->rowCount() - 1, column);
    settleEditor();
    return true;
}

void TableGrid::cancelPending()
{
    m_model->cancelRow();
    if (currentRow() >= m_model->rowCount() || currentRow() < 0) moveTo(m_model->rowCount() - 1, currentIndex().column());
    settleEditor();
}

bool TableGrid::appendRow(int column)
{
    commitEditor();
    if (m_model->takeEntryFailure()) return false;
    if (m_model->editing() && !(m_model->inserting() && !m_model->userModified())) {
        int posted = -1;
        if (!m_model->postRow(&posted)) return false;
    }
    const int row = m_model->appendRow();
    if (row < 0) return false;
    moveTo(row, column);
    settleEditor();
    return true;
}

bool TableGrid::deleteCurrentRow()
{
    const int row = currentRow();
    if (row < 0) return false;
    const int column = currentIndex().column();
    // The open editor's text goes with the row: it must not be written back afterwards.
    auto dropEditor = [this] {
        if (QWidget* editor = m_delegate->currentEditor()) closeEditor(editor, QAbstractItemDelegate::NoHint);
    };
    if (m_model->isNewRow(row)) {
        // Nothing of the new row is stored yet: it is simply given up.
        dropEditor();
        m_model->cancelRow();
        moveTo(row, column);
        settleEditor();
        return true;
    }
    commitEditor();
    if (!shell::ConfirmDelete(window(), m_deleteCaption)) return false;
    dropEditor();
    if (!m_model->deleteRow(row)) return false;
    moveTo(row, column);
    // The row that moved up into the deleted row's place gets an editor loaded from it.
    settleEditor();
    return true;
}

bool TableGrid::editCurrentRow()
{
    commitEditor();
    return m_model->beginRowEdit(currentRow());
}

bool TableGrid::setCurrentText(const QString& field, const QString& text)
{
    const int column = m_model->fieldColumn(field);
    if (column < 0 || currentRow() < 0) return false;
    const bool ok = m_model->setData(m_model->index(currentRow(), column), text, Qt::EditRole);
    m_model->takeEntryFailure();
    return ok;
}

void TableGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        deleteCurrentRow();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        appendRow(std::max(0, currentIndex().column()));
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_model->editing()) {
        cancelPending();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TableGrid::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_contextMenu) {
        QTableView::contextMenuEvent(event);
        return;
    }
    m_contextMenu->exec(event->globalPos());
    event->accept();
}

void TableGrid::showFailure(const QString& message)
{
    platform::messageBox(window(), message, QStringLiteral("Tamarel"), platform::Icon::Error, platform::Buttons::Ok);
}

bool TableGrid::inside(QWidget* widget) const { return widget && (widget == this || isAncestorOf(widget)); }

void TableGrid::focusMoved(QWidget* old, QWidget* now)
{
    // An untouched new row is dropped when the user goes to another control of the window;
    // a message box, another window or a menu taking the focus is not leaving the grid.
    if (!m_model->inserting() || m_model->userModified()) return;
    if (!inside(old) || inside(now) || !now || now->window() != window()) return;
    if (qobject_cast<QMenu*>(now) || qobject_cast<QMenuBar*>(now)) return;
    cancelPending();
}

}  // namespace widgets
