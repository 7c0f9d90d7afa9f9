#pragma once
// A grid model over an engine result that reads rows only as the grid scrolls to them, so a
// result of a million rows shows its first screen at once. Field texts are those the front
// office shows (dates 5.3.2004, times 9:05:07, numbers in shortest form, null empty).
//
// Invariants: rows already read stay in memory (as their texts); the engine result is read
// forward only, one batch per fetchMore(). An open result holds a read lock on its table
// files, which would make the front office's writes wait and fail: while the grid is idle
// the result is let go, and the next fetch runs the statement again and skips the rows it
// already has.

#include <QAbstractTableModel>
#include <QTimer>
#include <QVector>
#include <functional>
#include <memory>

#include "engine/Engine.h"

namespace dorvane {

class ResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using Opener = std::function<std::unique_ptr<engine::Query>()>;

    explicit ResultModel(QObject* parent = nullptr);
    // Takes the result; reads nothing until the grid asks. reopen runs the same statement
    // again after the result was let go (none: the result is kept to the end).
    void setResult(std::unique_ptr<engine::Query> result, Opener reopen = {});
    void clear();
    // Lets go of the open result (and its read locks); called when the grid is idle.
    void releaseResult();
    bool holdsResult() const { return m_result != nullptr; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    bool allRowsRead() const { return m_atEnd; }
    // The number of rows of the whole result (counted by the engine once, then kept).
    qint64 totalRows();

    static constexpr int kBatch = 256;
    static constexpr int kIdleReleaseMs = 1000;

private:
    bool ensureResult();

    std::unique_ptr<engine::Query> m_result;
    Opener m_reopen;
    QTimer m_idle;
    QStringList m_headers;
    QVector<bool> m_numeric;
    QVector<QStringList> m_rows;
    bool m_atEnd = true;
    qint64 m_total = -1;
};

}  // namespace dorvane
