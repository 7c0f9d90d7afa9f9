// QueryTableModel: reads a whole result into rows of texts for a read-only grid.
//
// Invariants: see QueryTableModel.h; a failure while reading rows closes the list rather
// than showing part of a result as if it were all of it.

#include "widgets/QueryTableModel.h"

#include <exception>

#include "shell/DataModule.h"

namespace widgets {

QueryTableModel::QueryTableModel(QList<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns))
{
    resetTitles();
}

bool QueryTableModel::open()
{
    beginResetModel();
    m_rows.clear();
    m_resultFields.clear();
    m_shownField.clear();
    m_open = false;
    try {
        TdmDataModule* dm = dmDataModule();
        if (!dm) throw std::runtime_error("no database");
        auto query = dm->Open(m_statement);
        for (const engine::FieldInfo& f : query->fields())
            m_resultFields << QString::fromStdString(f.name).toUpper();
        for (const GridColumn& c : m_columns) m_shownField << m_resultFields.indexOf(c.field.toUpper());
        const int fieldCount = int(m_resultFields.size());
        while (query->next()) {
            QStringList row;
            row.reserve(fieldCount);
            for (int i = 0; i < fieldCount; ++i) row << QString::fromStdString(query->text(i));
            m_rows << row;
        }
        m_open = true;
        m_lastError.clear();
    } catch (const std::exception& e) {
        m_rows.clear();
        m_lastError = QString::fromStdString(e.what());
    }
    endResetModel();
    return m_open;
}

void QueryTableModel::close()
{
    beginResetModel();
    m_rows.clear();
    m_open = false;
    endResetModel();
}

int QueryTableModel::columnOfTitle(const QString& title) const { return int(m_titles.indexOf(title)); }

QStringList QueryTableModel::titles() const { return m_titles; }

void QueryTableModel::resetTitles()
{
    m_titles.clear();
    for (const GridColumn& c : m_columns) m_titles << c.title;
    if (!m_columns.isEmpty()) emit headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

QString QueryTableModel::fieldText(int row, const QString& field) const
{
    const int i = int(m_resultFields.indexOf(field.toUpper()));
    if (row < 0 || row >= m_rows.size() || i < 0) return {};
    return m_rows[row][i];
}

int QueryTableModel::findRow(const QList<std::pair<QString, QString>>& fieldValues) const
{
    QVector<int> indexes;
    for (const auto& [field, value] : fieldValues) {
        const int i = int(m_resultFields.indexOf(field.toUpper()));
        if (i < 0) return -1;
        indexes << i;
    }
    for (int row = 0; row < m_rows.size(); ++row) {
        bool equal = true;
        for (int k = 0; k < indexes.size() && equal; ++k) equal = m_rows[row][indexes[k]] == fieldValues[k].second;
        if (equal) return row;
    }
    return -1;
}

int QueryTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int QueryTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

QVariant QueryTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const int field = m_shownField.value(index.column(), -1);
    if (field < 0 || index.row() >= m_rows.size()) return {};
    return m_rows[index.row()][field];
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return {};   // the row indicator carries no number
    return m_titles.value(section);
}

bool QueryTableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_titles.size())
        return false;
    m_titles[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

}  // namespace widgets
