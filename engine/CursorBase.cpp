// The storage-independent half of a table cursor (see CursorBase.h).

#include "CursorBase.h"

#include "Ast.h"

#include <algorithm>
#include <cmath>

namespace engine::detail {

int CursorBase::fieldIndex(std::string_view name) const {
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (sql::equalsNoCase(m_fields[i].name, name)) return static_cast<int>(i);
    return -1;
}

Value CursorBase::value(int field) const {
    checkField(field);
    if (m_state != State::Browse) return m_edit[static_cast<size_t>(field)];
    return m_hasRow ? m_row[static_cast<size_t>(field)] : Value();
}

std::string CursorBase::text(int field) const { return displayText(value(field), m_fields[static_cast<size_t>(field)].type); }

bool CursorBase::isNull(int field) const { return std::holds_alternative<std::monostate>(value(field)); }

void CursorBase::edit() {
    if (m_state != State::Browse) return;
    if (!m_hasRow) throw Error("No current row to edit in " + m_table.fileName);
    m_edit = m_row;
    m_modified.assign(m_fields.size(), false);
    m_state = State::Edit;
}

void CursorBase::insert() {
    autoPost();
    m_edit.assign(m_fields.size(), Value());
    m_modified.assign(m_fields.size(), false);
    m_state = State::Insert;
}

void CursorBase::setValue(int field, const Value& v) {
    checkField(field);
    if (m_state == State::Browse) throw Error("The row is not being edited (call edit() or insert() first)");
    m_edit[static_cast<size_t>(field)] = storedValue(v, m_table.columns[static_cast<size_t>(field)]);
    m_modified[static_cast<size_t>(field)] = true;
}

void CursorBase::setText(int field, std::string_view text) {
    checkField(field);
    const Column& c = m_table.columns[static_cast<size_t>(field)];
    if (text.empty() || (text.find_first_not_of(' ') == std::string_view::npos && c.type != FieldType::Text)) {
        setValue(field, Value());
        return;
    }
    switch (c.type) {
    case FieldType::Integer:
    case FieldType::Key:
    case FieldType::Float: {
        std::string t;
        for (char ch : text)
            if (ch != ' ') t += ch;  // a decimal comma is read (and "1,000" refused) below
        sql::Token tok;
        tok.kind = sql::TokenKind::DoubleQuoted;
        tok.text = t;
        Value v = convertLiteral(tok, Conv::Number, c.name);
        if (c.type != FieldType::Float) {
            if (const auto* d = std::get_if<double>(&v)) {
                if (*d != std::floor(*d)) throw Error("Not a whole number: \"" + std::string(text) + "\" (column " + c.name + ")");
                v = static_cast<std::int64_t>(*d);
            }
        }
        setValue(field, v);
        return;
    }
    default: setValue(field, std::string(text)); return;
    }
}

bool CursorBase::modified() const {
    return m_state != State::Browse && std::any_of(m_modified.begin(), m_modified.end(), [](bool b) { return b; });
}

void CursorBase::cancel() {
    m_state = State::Browse;
    m_edit.clear();
}

void CursorBase::remove() {
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    cancel();
    ensure();
    if (!m_hasRow) throw Error("No current row to delete in " + m_table.fileName);
    deleteCurrent();
    if (!seekBeyond(false) && !seekEnd(true)) {
        m_hasRow = false;
        m_eof = m_bof = true;
    }
}

void CursorBase::refresh() {
    ensure();
    if (m_state != State::Browse || !m_hasRow) return;
    if (!reread() && !seekBeyond(false) && !seekEnd(true)) {
        m_hasRow = false;
        m_eof = m_bof = true;
    }
}

void CursorBase::setTable(TableSchema table) {
    m_table = std::move(table);
    m_fields.clear();
    for (const auto& c : m_table.columns) m_fields.push_back({c.name, c.type, c.width});
}

void CursorBase::checkField(int field) const {
    if (field < 0 || static_cast<size_t>(field) >= m_fields.size()) throw Error("Field index out of range");
}

std::vector<int> CursorBase::modifiedColumns() const {
    std::vector<int> cols;
    for (size_t i = 0; i < m_modified.size(); ++i)
        if (m_modified[i]) cols.push_back(static_cast<int>(i));
    return cols;
}

std::optional<std::vector<std::pair<const Column*, Value>>> CursorBase::locateValues(
    const std::vector<std::pair<std::string, Value>>& fieldValues) const {
    std::vector<std::pair<const Column*, Value>> located;
    for (const auto& [field, v] : fieldValues) {
        const int c = m_table.findColumn(field);
        if (c < 0) throw Error("Unknown column: " + field + " (" + m_table.fileName + " has no such field)");
        const Column& col = m_table.columns[static_cast<size_t>(c)];
        try {
            located.emplace_back(&col, storedValue(v, col));
        } catch (const Error&) {
            if (std::holds_alternative<std::string>(v)) throw;
            return std::nullopt;
        }
    }
    return located;
}

// first()/last(): the end reached is flagged even when the table is empty, the other end
// only then.
bool CursorBase::goToEnd(bool backward) {
    autoPost();
    ensure();
    const bool ok = seekEnd(backward);
    bool& atEnd = backward ? m_eof : m_bof;
    bool& otherEnd = backward ? m_bof : m_eof;
    atEnd = true;
    otherEnd = !ok;
    return ok;
}

// next()/prior(): one row on in key order; past the end the cursor stays on its row, read
// again, and flags that end.
bool CursorBase::step(bool backward) {
    autoPost();
    ensure();
    bool& passedEnd = backward ? m_bof : m_eof;
    if (!m_hasRow) {
        passedEnd = true;
        return false;
    }
    if (seekBeyond(backward)) {
        m_bof = m_eof = false;
        return true;
    }
    reread();
    passedEnd = true;
    return false;
}

}  // namespace engine::detail
