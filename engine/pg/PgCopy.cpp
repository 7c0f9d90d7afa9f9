// COPY of whole rows into a server table; see PgCopy.h.
#include "PgCopy.h"

#include "PgInternal.h"
#include "PgTranslator.h"

#include <charconv>

namespace engine::pg {

namespace {

// A value in COPY's text form for a column of the type (null as \N, specials escaped).
void appendCopyValue(std::string& out, const Value& v, FieldType type) {
    if (std::holds_alternative<std::monostate>(v)) {
        out += "\\N";
        return;
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        for (char c : *s) {
            switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
            }
        }
        return;
    }
    const bool isInt = std::holds_alternative<std::int64_t>(v);
    const double d = isInt ? static_cast<double>(std::get<std::int64_t>(v)) : std::get<double>(v);
    const std::int64_t whole = isInt ? std::get<std::int64_t>(v) : static_cast<std::int64_t>(std::floor(d));
    switch (type) {
    case FieldType::Date: out += isoDate(whole); return;
    case FieldType::Time: out += isoTime(whole); return;
    case FieldType::Timestamp: out += isoTimestamp(d); return;
    case FieldType::Boolean: out += whole ? "true" : "false"; return;
    case FieldType::Integer:
    case FieldType::Key: out += std::to_string(isInt ? whole : std::llround(d)); return;
    default: break;
    }
    if (isInt) {
        out += std::to_string(whole);
        return;
    }
    if (!std::isfinite(d)) throw Error("Type mismatch: an infinite value is not a number");
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, d);  // shortest exact text
    out.append(buffer, r.ptr);
}

}  // namespace

void copyRowsIn(Storage::Impl& storage, PGconn* conn, const std::vector<std::string>& changeTables, std::string_view table,
                const std::vector<FieldInfo>& columns, const std::vector<std::vector<Value>>& rows) {
    const auto schema = storage.describe(conn, tableNameOf(table));
    if (std::find(changeTables.begin(), changeTables.end(), schema->tableName) == changeTables.end())
        throw Error("Table " + schema->fileName + " is not one of the tables of this change");
    std::vector<FieldType> types;
    std::string sql = "COPY " + quoteIdent(schema->tableName) + " (", key;
    for (size_t i = 0; i < columns.size(); ++i) {
        const int k = schema->findColumn(columns[i].name);
        if (k < 0) throw Error("Unknown column: " + columns[i].name + " (" + schema->fileName + " has no such field)");
        const Column& c = schema->columns[static_cast<size_t>(k)];
        sql += (i ? ", " : "") + quoteIdent(c.name);
        types.push_back(c.type);
        if (c.type == FieldType::Key) key = c.name;
    }
    sql += ") FROM STDIN";
    if (rows.empty()) return;
    const std::vector<std::string> tables{schema->tableName};
    {
        Result start(PQexec(conn, sql.c_str()));
        if (!start || PQresultStatus(start.get()) != PGRES_COPY_IN) raise(start.get(), conn, tables);
    }
    // The rows go in pieces of about a megabyte; a refused piece is told by the final result.
    std::string piece;
    bool sent = true;
    auto flush = [&] {
        if (sent && !piece.empty()) sent = PQputCopyData(conn, piece.data(), static_cast<int>(piece.size())) == 1;
        piece.clear();
    };
    try {
        for (const auto& row : rows) {
            if (row.size() != types.size()) throw Error("A row for " + schema->fileName + " has the wrong number of values");
            for (size_t i = 0; i < row.size(); ++i) {
                if (i) piece += '\t';
                appendCopyValue(piece, row[i], types[i]);
            }
            piece += '\n';
            if (piece.size() >= (1u << 20)) flush();
        }
        flush();
    } catch (const Error& e) {
        PQputCopyEnd(conn, e.what());
        Result end(PQgetResult(conn));
        while (Result more{PQgetResult(conn)}) {
        }
        throw;
    }
    PQputCopyEnd(conn, sent ? nullptr : "the rows could not be sent");
    Result end(PQgetResult(conn));
    while (Result more{PQgetResult(conn)}) {
    }
    if (!end || PQresultStatus(end.get()) != PGRES_COMMAND_OK) raise(end.get(), conn, tables);
    if (!key.empty()) advanceIdentity(conn, schema->tableName, key);
}

}  // namespace engine::pg
