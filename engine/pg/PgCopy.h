#pragma once
// Bulk storing of whole rows into a server table with COPY (Change::insertRows on a server).

#include "PgStorage.h"

#include <libpq-fe.h>

#include <string>
#include <string_view>
#include <vector>

namespace engine::pg {

// Streams rows into the table (which must be one of changeTables) on conn, inside the
// change's transaction, then lets the table's identity continue after the largest key.
// Throws Error in the file storage's words; the transaction is then failed.
void copyRowsIn(Storage::Impl& storage, PGconn* conn, const std::vector<std::string>& changeTables, std::string_view table,
                const std::vector<FieldInfo>& columns, const std::vector<std::vector<Value>>& rows);

}  // namespace engine::pg
