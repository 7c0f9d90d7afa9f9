// Fuzz entry for the SQL dialect: tokenizer, parser, translation and execution.
//
// Invariants: an input may fail with engine::Error only; definitions (CREATE/DROP) are parsed
// but never run, and every other statement runs inside a savepoint that is rolled back, so
// inputs cannot touch files outside the fuzz folder or change it between runs; a progress
// handler bounds how long one statement may run.
#include "SqlFuzzEntry.h"

#include "Core.h"
#include "Engine.h"
#include "Lexer.h"
#include "Parser.h"

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const char* const kTables[] = {
    "CREATE TABLE \"{db}POKOJE.DB\" (PID CHAR(3) NOT NULL, PNAME VARCHAR(30), PMETR FLOAT, PCOLOR INTEGER, PPRICE FLOAT, UPMJ DATE, UPMT TIME, PRIMARY KEY (PID))",
    "CREATE TABLE \"{db}POBYTY.DB\" (BID AUTOINC, KID INTEGER, PID CHAR(3), DATEFROM DATE, DATETHRU DATE, STATUS CHAR(1), PRICEEUR FLOAT, BOOKEDFOR VARCHAR(60), UID INTEGER, TIMEIN TIME, PRIMARY KEY (BID))",
    "CREATE TABLE \"{db}KARTY.DB\" (KID AUTOINC, SURNAME VARCHAR(40), NAME VARCHAR(30), TITLE VARCHAR(20), DATEBIRTH DATE, AGENCY VARCHAR(40), PRIMARY KEY (KID))",
    "CREATE TABLE \"{db}UCTY.DB\" (UID AUTOINC, KID INTEGER, DATEPAYM DATE, FORMPAYM CHAR(1), TOTALEUR FLOAT, PRIMARY KEY (UID))",
    "CREATE TABLE \"{db}KURZY.DB\" (RDATE DATE NOT NULL, CRCD CHAR(3) NOT NULL, CRR FLOAT, TS TIMESTAMP, OK BOOLEAN, PRIMARY KEY (RDATE, CRCD))",
};
const char* const kRows[] = {
    "INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PMETR, PCOLOR, PPRICE, UPMJ, UPMT) VALUES (\"1\", \"Room one\", 20.5, 255, 50, \"1.3.2004\", \"9:0:0\"), (\"2\", \"Apartmá\", 40, 0, 80, null, null)",
    "INSERT INTO \"{db}KARTY.DB\" (SURNAME, NAME, TITLE, DATEBIRTH, AGENCY) VALUES (\"Novák\", \"Jan\", \"Mr\", \"12.5.1970\", \"Ckm\"), (\"O\"+''''+\"Brien\", \"Sean\", \"\", null, null)",
    "INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, PRICEEUR, BOOKEDFOR, UID, TIMEIN) VALUES (1, \"1\", \"5.3.2004\", \"8.3.2004\", \"H\", 150, \"\", 1, \"14:0:0\"), (0, \"2\", \"1.3.2004\", \"31.3.2004\", \"X\", 0, \"Repairs\", 0, null)",
    "INSERT INTO \"{db}UCTY.DB\" (KID, DATEPAYM, FORMPAYM, TOTALEUR) VALUES (1, null, null, 0)",
    "INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR, TS, OK) VALUES (\"1.3.2004\", \"EUR\", 25.1, \"1.3.2004 9:00:00\", \"True\")",
};

std::string replaceDb(std::string s, const std::string& folder) {
    for (size_t p = 0; (p = s.find("{db}", p)) != std::string::npos; p += folder.size()) s.replace(p, 4, folder);
    return s;
}

struct Fixture {
    std::string folder;
    engine::Database db;
    Fixture() : folder(makeFolder()), db(folder) {
        for (const char* t : kTables) db.execute(replaceDb(t, folder));
        for (const char* r : kRows) db.execute(replaceDb(r, folder));
        // Every table attached before any savepoint opens (ATTACH is refused inside one).
        for (const char* t : {"POKOJE", "POBYTY", "KARTY", "UCTY", "KURZY"}) db.execute(std::string("SELECT * FROM ") + t);
        sqlite3_progress_handler(db.impl().core->db(), 1000, [](void* steps) -> int {
            return ++*static_cast<long*>(steps) > 2000 ? 1 : 0;
        }, &steps);
        db.setLockTimeoutMs(10);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    static std::string makeFolder() {
        const auto p = std::filesystem::temp_directory_path() / ("fuzz_sql_" + std::to_string(::getpid()));
        std::filesystem::remove_all(p);
        std::filesystem::create_directories(p);
        return p.string() + "/";
    }
    long steps = 0;
};

}  // namespace

int fuzzSqlEntry(const std::uint8_t* data, std::size_t size) {
    static Fixture fx;
    const std::string text = replaceDb(std::string(reinterpret_cast<const char*>(data), size), fx.folder);
    std::vector<engine::sql::Token> tokens;
    try {
        tokens = engine::sql::tokenize(text);
        const engine::sql::Statement st = engine::sql::parse(tokens, text);
        if (st.kind != engine::sql::StatementKind::Select && st.kind != engine::sql::StatementKind::Insert &&
            st.kind != engine::sql::StatementKind::Update && st.kind != engine::sql::StatementKind::Delete)
            return 0;
    } catch (const engine::Error&) {
        return 0;
    }
    sqlite3* conn = fx.db.impl().core->db();
    sqlite3_exec(conn, "SAVEPOINT fuzz", nullptr, nullptr, nullptr);
    fx.steps = 0;
    try {
        if (tokens.front().isKeyword("SELECT")) {
            auto q = fx.db.open(text);
            for (int row = 0; row < 1000 && q->next(); ++row)
                for (int i = 0; i < static_cast<int>(q->fields().size()); ++i) {
                    (void)q->text(i);
                    (void)q->number(i);
                }
            fx.steps = 0;
            (void)q->rowCount();
        } else {
            (void)fx.db.execute(text);
        }
    } catch (const engine::Error&) {
    }
    sqlite3_exec(conn, "ROLLBACK TO fuzz; RELEASE fuzz", nullptr, nullptr, nullptr);
    return 0;
}
