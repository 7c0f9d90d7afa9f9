#pragma once
// TDrawGrid: an owner-drawn grid with one fixed row and one fixed column, like the board's
// `grDraw`. It knows only geometry, selection, scrolling and input; every cell's contents
// come from the cell painter its owner installs.
//
// Invariants:
//  - column 0 and row 0 are fixed: always drawn, never scrolled, never selected;
//  - the selection is a non-fixed cell (column >= 1, row >= 1) whenever the grid has one;
//  - cell rectangles exclude the 1-pixel grid lines to their right and bottom.

#include <QAbstractScrollArea>
#include <QVector>
#include <functional>

class TDrawGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Paints one cell; it must not draw outside rect.
    using CellPainter = std::function<void(QPainter&, int col, int row, const QRect& rect, bool selected)>;

    explicit TDrawGrid(QWidget* parent = nullptr);

    void setCellPainter(CellPainter painter) { m_painter = std::move(painter); }
    // Called once before each painting of cells (to read colours and texts once per paint).
    void setBeforePaint(std::function<void()> prepare) { m_beforePaint = std::move(prepare); }

    int colCount() const { return int(m_colWidths.size()); }
    int rowCount() const { return int(m_rowHeights.size()); }
    void setColCount(int count);
    void setRowCount(int count);
    int colWidth(int col) const { return m_colWidths.value(col); }
    int rowHeight(int row) const { return m_rowHeights.value(row); }
    void setColWidth(int col, int width);
    void setRowHeight(int row, int height);
    int defaultColWidth() const { return m_defaultColWidth; }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    // Sum of all row heights plus grid lines.
    int totalHeight() const;
    int totalWidth() const;

    int col() const { return m_col; }
    int row() const { return m_row; }
    void setSelection(int col, int row);
    int leftCol() const { return m_leftCol; }
    void setLeftCol(int col);
    int topRow() const { return m_topRow; }

    // Cell under a point of the viewport; -1 when outside the cells.
    bool cellAt(const QPoint& pos, int& col, int& row) const;
    // The cell's rectangle in the viewport (empty when scrolled out of sight).
    QRect cellRect(int col, int row) const;

    // Draws every cell at its place in the unscrolled grid (for printing and benchmarks).
    void renderAll(QPainter& painter) const;

    QSize sizeHint() const override;

signals:
    // Any mouse button pressed in the viewport, before the selection moves.
    void mousePressed(const QPoint& pos, Qt::MouseButton button);
    void cellDoubleClicked(const QPoint& pos);
    void enterPressed();
    // The Delete key: the grid's request to delete the current row (the row stays).
    void deleteRowRequested();
    void ctrlDPressed();
    void selectionChanged(int col, int row);
    // A right click on a cell (after it was selected) or the menu key: the cell's menu is
    // wanted at globalPos.
    void cellMenuRequested(int col, int row, const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void paintCell(QPainter& painter, int col, int row, const QRect& rect) const;
    void paintLines(QPainter& painter, const QVector<int>& lineXs, const QVector<int>& lineYs) const;
    int colLeft(int col) const;   // viewport x of a column's left edge (scroll applied)
    int rowTop(int row) const;
    void updateScrollBars();
    void ensureVisible(int col, int row);
    int resizeBoundaryAt(const QPoint& pos) const;

    CellPainter m_painter;
    std::function<void()> m_beforePaint;
    QVector<int> m_colWidths;
    QVector<int> m_rowHeights;
    int m_defaultColWidth = 100;
    int m_defaultRowHeight = 30;
    int m_col = 1, m_row = 1;
    int m_leftCol = 1, m_topRow = 1;
    int m_resizingCol = -1;
    int m_resizeStartX = 0, m_resizeStartWidth = 0;
    // Where the grid lines of the cells being painted go (kept to spare an allocation per paint).
    mutable QVector<int> m_lineXs, m_lineYs;
};
