// The list of a server's tables, named as table files (see PgStorage.h).
#include "PgInternal.h"

namespace engine::pg {

std::vector<std::string> Storage::tableFiles() {
    PGconn* c = m_impl->mainConn();
    Result r = run(c,
                   "SELECT upper(c.relname) AS name FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                   "WHERE c.relkind IN ('r', 'p') AND pg_table_is_visible(c.oid) "
                   "AND n.nspname NOT IN ('pg_catalog', 'information_schema') ORDER BY 1",
                   {}, {});
    std::vector<std::string> files;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
        std::string file = fileNameOf(PQgetvalue(r.get(), i, 0));
        if (files.empty() || files.back() != file) files.push_back(std::move(file));
    }
    return files;
}

}  // namespace engine::pg
