// TDrawGrid: geometry, painting loop, selection, scrolling by whole columns and rows, and
// column resizing by dragging a line of the fixed row.
#include "board/DrawGrid.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {
constexpr int kLine = 1;          // grid line width
constexpr int kResizeGrip = 3;    // pixels either side of a column line that start a resize
constexpr int kMinColWidth = 8;
}  // namespace

TDrawGrid::TDrawGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    setColCount(2);
    setRowCount(2);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
}

void TDrawGrid::setColCount(int count)
{
    count = std::max(count, 1);
    m_colWidths.resize(count, m_defaultColWidth);
    for (int& w : m_colWidths)
        if (w <= 0) w = m_defaultColWidth;
    setSelection(std::min(m_col, count - 1), m_row);
    m_leftCol = std::clamp(m_leftCol, 1, std::max(1, count - 1));
    updateScrollBars();
    viewport()->update();
}

void TDrawGrid::setRowCount(int count)
{
    count = std::max(count, 1);
    const int old = int(m_rowHeights.size());
    m_rowHeights.resize(count);
    for (int r = old; r < count; ++r) m_rowHeights[r] = m_defaultRowHeight;
    setSelection(m_col, std::min(m_row, count - 1));
    m_topRow = std::clamp(m_topRow, 1, std::max(1, count - 1));
    updateScrollBars();
    viewport()->update();
}

void TDrawGrid::setColWidth(int col, int width)
{
    if (col < 0 || col >= colCount()) return;
    m_colWidths[col] = std::max(width, 0);
    updateScrollBars();
    viewport()->update();
}

void TDrawGrid::setRowHeight(int row, int height)
{
    if (row < 0 || row >= rowCount()) return;
    m_rowHeights[row] = std::max(height, 0);
    updateScrollBars();
    viewport()->update();
}

int TDrawGrid::totalHeight() const
{
    int h = 0;
    for (int r : m_rowHeights) h += r + kLine;
    return h;
}

int TDrawGrid::totalWidth() const
{
    int w = 0;
    for (int c : m_colWidths) w += c + kLine;
    return w;
}

void TDrawGrid::setSelection(int col, int row)
{
    col = std::clamp(col, colCount() > 1 ? 1 : 0, std::max(0, colCount() - 1));
    row = std::clamp(row, rowCount() > 1 ? 1 : 0, std::max(0, rowCount() - 1));
    if (col == m_col && row == m_row) return;
    m_col = col;
    m_row = row;
    ensureVisible(col, row);
    viewport()->update();
    emit selectionChanged(col, row);
}

void TDrawGrid::setLeftCol(int col)
{
    col = std::clamp(col, 1, std::max(1, colCount() - 1));
    horizontalScrollBar()->setValue(col - 1);
    m_leftCol = col;
    viewport()->update();
}

int TDrawGrid::colLeft(int col) const
{
    if (col == 0) return 0;
    if (col < m_leftCol) return -1;
    int x = m_colWidths.value(0) + kLine;
    for (int c = m_leftCol; c < col; ++c) x += m_colWidths[c] + kLine;
    return x;
}

int TDrawGrid::rowTop(int row) const
{
    if (row == 0) return 0;
    if (row < m_topRow) return -1;
    int y = m_rowHeights.value(0) + kLine;
    for (int r = m_topRow; r < row; ++r) y += m_rowHeights[r] + kLine;
    return y;
}

QRect TDrawGrid::cellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= colCount() || row >= rowCount()) return {};
    const int x = colLeft(col), y = rowTop(row);
    if (x < 0 || y < 0) return {};
    return QRect(x, y, m_colWidths[col], m_rowHeights[row]);
}

bool TDrawGrid::cellAt(const QPoint& pos, int& col, int& row) const
{
    col = row = -1;
    int x = 0;
    for (int c = 0; c < colCount(); ++c) {
        if (c == 1) c = m_leftCol;
        if (c >= colCount()) break;
        const int right = x + m_colWidths[c] + kLine;
        if (pos.x() >= x && pos.x() < right) { col = c; break; }
        x = right;
    }
    int y = 0;
    for (int r = 0; r < rowCount(); ++r) {
        if (r == 1) r = m_topRow;
        if (r >= rowCount()) break;
        const int bottom = y + m_rowHeights[r] + kLine;
        if (pos.y() >= y && pos.y() < bottom) { row = r; break; }
        y = bottom;
    }
    return col >= 0 && row >= 0;
}

void TDrawGrid::paintCell(QPainter& painter, int col, int row, const QRect& rect) const
{
    // The painter keeps to the cell itself (clipping every cell costs more than the cell).
    if (m_painter) m_painter(painter, col, row, rect, col == m_col && row == m_row);
}

// The grid lines right of each column and below each row of cells drawn from (0, 0) to
// (right, bottom), the far edge of the last column and row: one line per column and row
// covers the same pixels as one beside and below every cell.
void TDrawGrid::paintLines(QPainter& painter, const QVector<int>& lineXs, const QVector<int>& lineYs) const
{
    if (lineXs.isEmpty() || lineYs.isEmpty()) return;
    const int right = lineXs.back() + kLine, bottom = lineYs.back() + kLine;
    for (int x : lineXs) painter.fillRect(QRect(x, 0, kLine, bottom), Qt::black);
    for (int y : lineYs) painter.fillRect(QRect(0, y, right, kLine), Qt::black);
}

void TDrawGrid::paintEvent(QPaintEvent*)
{
    if (m_beforePaint) m_beforePaint();
    QPainter painter(viewport());
    const int width = viewport()->width(), height = viewport()->height();
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    m_lineXs.clear();
    m_lineYs.clear();
    for (int r = 0; r < rowCount(); ++r) {
        if (r == 1) r = m_topRow;
        if (r >= rowCount()) break;
        const int y = rowTop(r);
        if (y >= height) break;
        m_lineYs.append(y + m_rowHeights[r]);
        for (int c = 0; c < colCount(); ++c) {
            if (c == 1) c = m_leftCol;
            if (c >= colCount()) break;
            const int x = colLeft(c);
            if (x >= width) break;
            if (m_lineYs.size() == 1) m_lineXs.append(x + m_colWidths[c]);
            paintCell(painter, c, r, QRect(x, y, m_colWidths[c], m_rowHeights[r]));
        }
    }
    paintLines(painter, m_lineXs, m_lineYs);
}

void TDrawGrid::renderAll(QPainter& painter) const
{
    if (m_beforePaint) m_beforePaint();
    m_lineXs.clear();
    m_lineYs.clear();
    int y = 0;
    for (int r = 0; r < rowCount(); ++r) {
        int x = 0;
        for (int c = 0; c < colCount(); ++c) {
            paintCell(painter, c, r, QRect(x, y, m_colWidths[c], m_rowHeights[r]));
            x += m_colWidths[c] + kLine;
            if (r == 0) m_lineXs.append(x - kLine);
        }
        y += m_rowHeights[r] + kLine;
        m_lineYs.append(y - kLine);
    }
    paintLines(painter, m_lineXs, m_lineYs);
}

QSize TDrawGrid::sizeHint() const
{
    return QSize(std::min(totalWidth(), 1200), totalHeight()) + QSize(2 * frameWidth(), 2 * frameWidth());
}

int TDrawGrid::resizeBoundaryAt(const QPoint& pos) const
{
    if (pos.y() >= m_rowHeights.value(0) + kLine) return -1;
    for (int c = 0; c < colCount(); ++c) {
        if (c == 1) c = m_leftCol;
        if (c >= colCount()) break;
        const int x = colLeft(c);
        if (x < 0) continue;
        const int edge = x + m_colWidths[c];
        if (std::abs(pos.x() - edge) <= kResizeGrip && c > 0) return c;
    }
    return -1;
}

void TDrawGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit mousePressed(pos, event->button());
    const int boundary = event->button() == Qt::LeftButton ? resizeBoundaryAt(pos) : -1;
    if (boundary > 0) {
        m_resizingCol = boundary;
        m_resizeStartX = pos.x();
        m_resizeStartWidth = m_colWidths[boundary];
        return;
    }
    int c, r;
    if (cellAt(pos, c, r) && c > 0 && r > 0) setSelection(c, r);
}

void TDrawGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_resizingCol > 0) {
        setColWidth(m_resizingCol, std::max(kMinColWidth, m_resizeStartWidth + pos.x() - m_resizeStartX));
        return;
    }
    viewport()->setCursor(resizeBoundaryAt(pos) > 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent*) { m_resizingCol = -1; }

// The second press of a double-click arrives as this event only: it is a press as well, or
// rapid clicks on the navigation cell would lose every second one.
void TDrawGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    emit cellDoubleClicked(event->position().toPoint());
}

void TDrawGrid::contextMenuEvent(QContextMenuEvent* event)
{
    int c = m_col, r = m_row;
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        // The press before it has selected the cell under the pointer; a fixed cell has no menu.
        if (!cellAt(event->pos(), c, r) || c <= 0 || r <= 0) return;
        setSelection(c, r);
    } else {
        if (c <= 0 || r <= 0) return;
        at = viewport()->mapToGlobal(cellRect(c, r).center());
    }
    event->accept();
    emit cellMenuRequested(c, r, at);
}

void TDrawGrid::keyPressEvent(QKeyEvent* event)
{
    const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (event->key()) {
    case Qt::Key_Left: setSelection(m_col - 1, m_row); return;
    case Qt::Key_Right: setSelection(m_col + 1, m_row); return;
    case Qt::Key_Up: setSelection(m_col, m_row - 1); return;
    case Qt::Key_Down: setSelection(m_col, m_row + 1); return;
    case Qt::Key_Home: setSelection(1, m_row); return;
    case Qt::Key_End: setSelection(colCount() - 1, m_row); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit enterPressed(); return;
    case Qt::Key_Delete: emit deleteRowRequested(); return;
    case Qt::Key_D:
        if (mods == Qt::ControlModifier) { emit ctrlDPressed(); return; }
        break;
    default: break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TDrawGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TDrawGrid::scrollContentsBy(int, int)
{
    m_leftCol = horizontalScrollBar()->value() + 1;
    m_topRow = verticalScrollBar()->value() + 1;
    viewport()->update();
}

void TDrawGrid::updateScrollBars()
{
    // The last scroll position still shows the last column (row) at the viewport's far edge.
    auto lastStart = [](const QVector<int>& sizes, int fixed, int room) {
        int used = fixed;
        int start = int(sizes.size()) - 1;
        while (start >= 1 && used + sizes[start] + kLine <= room) used += sizes[start--] + kLine;
        return std::max(1, start + 1);
    };
    const int cols = lastStart(m_colWidths, m_colWidths.value(0) + kLine, viewport()->width());
    const int rows = lastStart(m_rowHeights, m_rowHeights.value(0) + kLine, viewport()->height());
    horizontalScrollBar()->setRange(0, std::max(0, cols - 1));
    verticalScrollBar()->setRange(0, std::max(0, rows - 1));
    horizontalScrollBar()->setPageStep(5);
    verticalScrollBar()->setPageStep(5);
}

void TDrawGrid::ensureVisible(int col, int row)
{
    if (col >= 1) {
        if (col < m_leftCol) horizontalScrollBar()->setValue(col - 1);
        else {
            const QRect r = cellRect(col, std::max(row, 0));
            if (r.isValid() && r.right() >= viewport()->width() && col > m_leftCol)
                horizontalScrollBar()->setValue(horizontalScrollBar()->value() + 1 +
                                                (r.right() - viewport()->width()) / std::max(1, m_defaultColWidth));
        }
    }
    if (row >= 1) {
        if (row < m_topRow) verticalScrollBar()->setValue(row - 1);
        else {
            const QRect r = cellRect(std::max(col, 0), row);
            if (r.isValid() && r.bottom() >= viewport()->height() && row > m_topRow)
                verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
        }
    }
}
