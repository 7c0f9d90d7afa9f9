#pragma once
// A read-only grid model over one query: the client lists, the card's account history and
// the notes list.
// The columns are fixed (field name and English title); the rows are read when the list is
// opened and the query is dropped again within that call, so no result stays open while
// the user looks at the grid.
//
// Invariants: a closed list has no rows; open() either replaces the rows with the whole
// result or (on failure) leaves the list closed and empty; titles are stored per column so
// the translation of grid titles can replace them in place.

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace widgets {

struct GridColumn {
    QString field;   // the result field shown, e.g. "SURNAME"
    QString title;   // the English column title, e.g. "Surname"
};

class QueryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryTableModel(QList<GridColumn> columns, QObject* parent = nullptr);

    // The statement the list opens with; setting it does not open the list.
    void setStatement(const QString& sql) { m_statement = sql; }
    const QString& statement() const { return m_statement; }

    // Runs the statement through the data module. False (list closed, engine message kept
    // in lastError) when it fails.
    bool open();
    void close();
    bool isOpen() const { return m_open; }
    const QString& lastError() const { return m_lastError; }

    const QList<GridColumn>& columns() const { return m_columns; }
    // The column shown under a title as it stands now (translated or not); -1 if none.
    int columnOfTitle(const QString& title) const;
    QStringList titles() const;
    // Puts the English titles back (before translating them again).
    void resetTitles();

    // A field of a row as text; fields outside the shown columns are kept too.
    QString fieldText(int row, const QString& field) const;
    // The first row whose fields equal the given texts exactly; -1 when none.
    int findRow(const QList<std::pair<QString, QString>>& fieldValues) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;

private:
    QList<GridColumn> m_columns;
    QStringList m_titles;
    QString m_statement;
    bool m_open = false;
    QString m_lastError;
    QStringList m_resultFields;        // upper-case names of the result's fields
    QVector<QStringList> m_rows;       // every result field as text, in result order
    QVector<int> m_shownField;         // result field index of each shown column (-1: none)
};

}  // namespace widgets
