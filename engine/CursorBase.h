#pragma once
// What a table cursor is on either storage: the current row and its edit buffer, the values a
// user types read by the column's type, and moving in key order built on three seeks the
// storage gives (an end of the table, the row beyond the current one, the current row again).
//
// Invariants:
//  - first()/last() flag the end they reached, the other end only when the table is empty;
//  - next()/prior() past the end keep the current row (read again) and flag that end;
//  - a row in Edit or Insert is posted before the cursor moves;
//  - a refused post() leaves the row in Edit/Insert with the values the user gave.

#include "Internal.h"

#include <optional>
#include <utility>

namespace engine::detail {

class CursorBase : public TableCursor {
public:
    const std::vector<FieldInfo>& fields() const override { return m_fields; }
    int fieldIndex(std::string_view name) const override;
    std::string tableName() const override { return m_table.tableName; }

    bool first() override { return goToEnd(false); }
    bool last() override { return goToEnd(true); }
    bool next() override { return step(false); }
    bool prior() override { return step(true); }
    bool eof() const override { return m_eof; }
    bool bof() const override { return m_bof; }

    Value value(int field) const override;
    std::string text(int field) const override;
    bool isNull(int field) const override;

    State state() const override { return m_state; }
    void edit() override;
    void insert() override;
    void append() override { insert(); }
    void setValue(int field, const Value& v) override;
    void setText(int field, std::string_view text) override;
    bool modified() const override;
    void cancel() override;
    void remove() override;
    std::int64_t lastKey() const override { return m_lastKey; }
    void refresh() override;

protected:
    // Makes the table's files or connection ready (the file storage re-attaches a file a
    // restore replaced); called before every read and write.
    virtual void ensure() {}
    // The first (backward: last) row of the filtered table becomes the current row; false and
    // no current row when the table is empty.
    virtual bool seekEnd(bool backward) = 0;
    // The row after (backward: before) the current one in key order becomes the current row;
    // false and no move when there is none.
    virtual bool seekBeyond(bool backward) = 0;
    // Reads the current row again; false (and the row kept as it was) when it is gone.
    virtual bool reread() = 0;
    // Deletes the current row from the table.
    virtual void deleteCurrent() = 0;

    void setTable(TableSchema table);
    void checkField(int field) const;
    void autoPost() {
        if (m_state != State::Browse) post();
    }
    // The columns given a value since edit() or insert().
    std::vector<int> modifiedColumns() const;
    // The values of a locate() as their columns store them; nullopt when a number does not
    // fit its column (2.5 for an integer), so no row can have it.
    std::optional<std::vector<std::pair<const Column*, Value>>> locateValues(
        const std::vector<std::pair<std::string, Value>>& fieldValues) const;

    TableSchema m_table;
    std::vector<FieldInfo> m_fields;
    bool m_hasRow = false;
    bool m_eof = true, m_bof = true;
    std::vector<Value> m_row;
    State m_state = State::Browse;
    std::vector<Value> m_edit;
    std::vector<bool> m_modified;
    std::int64_t m_lastKey = 0;

private:
    bool goToEnd(bool backward);
    bool step(bool backward);
};

}  // namespace engine::detail
