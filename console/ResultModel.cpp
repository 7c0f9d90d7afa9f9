// Lazily filled grid model over an engine result (see ResultModel.h).
#include "console/ResultModel.h"

namespace dorvane {

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleReleaseMs);
    connect(&m_idle, &QTimer::timeout, this, &ResultModel::releaseResult);
}

void ResultModel::setResult(std::unique_ptr<engine::Query> result, Opener reopen)
{
    beginResetModel();
    m_idle.stop();
    m_result = std::move(result);
    m_reopen = m_result ? std::move(reopen) : Opener{};
    m_headers.clear();
    m_numeric.clear();
    m_rows.clear();
    m_total = -1;
    m_atEnd = !m_result;
    if (m_result) {
        for (const engine::FieldInfo& f : m_result->fields()) {
            m_headers.append(QString::fromStdString(f.name));
            using T = engine::FieldType;
            m_numeric.append(f.type == T::Integer || f.type == T::Float || f.type == T::Key);
        }
    }
    endResetModel();
}

void ResultModel::clear() { setResult(nullptr); }

void ResultModel::releaseResult()
{
    // Without a way to run the statement again the result must stay until its end.
    if (m_reopen && !m_atEnd) m_result.reset();
}

bool ResultModel::ensureResult()
{
    if (m_result) return true;
    if (!m_reopen) return false;
    m_result = m_reopen();
    // Skip what the grid already shows; a table that shrank meanwhile ends the result.
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (!m_result->next()) {
            m_atEnd = true;
            m_result.reset();
            return false;
        }
    return true;
}

int ResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant ResultModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    if (role == Qt::DisplayRole) return m_rows[index.row()].value(index.column());
    if (role == Qt::TextAlignmentRole && m_numeric.value(index.column()))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return m_headers.value(section);
    return section + 1;
}

bool ResultModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void ResultModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || m_atEnd) return;
    QVector<QStringList> batch;
    batch.reserve(kBatch);
    const int columns = int(m_headers.size());
    try {
        if (!ensureResult()) {
            m_atEnd = true;
            return;
        }
        while (batch.size() < kBatch) {
            if (!m_result->next()) {
                m_atEnd = true;
                break;
            }
            QStringList row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c) row.append(QString::fromStdString(m_result->text(c)));
            batch.append(std::move(row));
        }
    } catch (const engine::Error&) {
        // A table that goes away while the grid reads ends the result where it is.
        m_atEnd = true;
    }
    if (m_atEnd) {
        if (m_total < 0) m_total = m_rows.size() + batch.size();
        m_result.reset();
    } else {
        m_idle.start();
    }
    if (batch.isEmpty()) return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + batch.size() - 1));
    m_rows += batch;
    endInsertRows();
}

qint64 ResultModel::totalRows()
{
    if (m_total >= 0) return m_total;
    try {
        if (m_result) {
            m_total = m_result->rowCount();
        } else if (m_reopen && !m_atEnd) {
            m_total = m_reopen()->rowCount();  // counted and let go at once
        }
    } catch (const engine::Error&) {
        m_total = -1;
    }
    return m_total;
}

}  // namespace dorvane
