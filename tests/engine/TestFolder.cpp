// Test helpers: see TestFolder.h.
#include "TestFolder.h"

#include "Core.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <libpq-fe.h>
#include <sstream>
#include <stdexcept>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace enginetest {

namespace {

// Removes the process's test folders when the tests end.
struct RootCleanup {
    fs::path root;
    ~RootCleanup() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
} g_cleanup;

fs::path testRoot() {
    static const fs::path root = [] {
        fs::path p = fs::temp_directory_path() / ("engine_test_" + std::to_string(::getpid()));
        fs::remove_all(p);
        fs::create_directories(p);
        g_cleanup.root = p;
        return p;
    }();
    return root;
}

std::string newFolder() {
    static std::atomic<int> n{0};
    fs::path p = testRoot() / ("db" + std::to_string(++n));
    fs::create_directories(p);
    return p.string() + "/";
}

const char* const kSeed[] = {
    R"(INSERT INTO "{db}POKOJE.DB" (PID, PNAME, PDESCR, PMETR, PCOLOR, PPRICE, MAIDPRICE, USER, UPMJ, UPMT) VALUES ("1", "Room one", "Sea view", 20.5, 255, 50, 10, "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}POKOJE.DB" (PID, PNAME, PDESCR, PMETR, PCOLOR, PPRICE, MAIDPRICE, USER, UPMJ, UPMT) VALUES ("2", "Room two", "", 15, 65280, 60, 12, "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}POKOJE.DB" (PID, PNAME, PDESCR, PMETR, PCOLOR, PPRICE, MAIDPRICE, USER, UPMJ, UPMT) VALUES ("3", "Apartmá", "", 40, 16711680, 80, 15, "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}POKCENY.DB" (PID, DATEFROM, PPRICE, MAIDPRICE, USER, UPMJ, UPMT) VALUES ("1", "1.3.2004", 60, 10, "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}POKCENY.DB" (PID, DATEFROM, PPRICE, MAIDPRICE, USER, UPMJ, UPMT) VALUES ("1", "15.3.2004", 80, 12, "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}POKCENY.DB" (PID, DATEFROM, PPRICE, MAIDPRICE, USER, UPMJ, UPMT) VALUES ("2", "1.1.2004", 55, 11, "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME, TITLE, ADDRESS, CITY, POSTAL, COUNTRY, PASSPORT, CARDNUM, AGENCY, KNOWSFROM, DATEBIRTH, USR, UPMJ, UPMT) VALUES ("Novak", "Jan", "Mr", "Dlouhá 1", "Brno", "60200", "CZ", "P1", "4111", "Ckm", "A", "12.5.1970", "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME, TITLE, ADDRESS, CITY, COUNTRY, PASSPORT, KNOWSFROM, USR, UPMJ, UPMT) VALUES ("O"+''''+"Brien", "Sean", "", "", "Dublin", "IE", "P2", "W", "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME, TITLE, ADDRESS, CITY, COUNTRY, PASSPORT, AGENCY, USR, UPMJ, UPMT) VALUES ("novák", "Petr", "Ing.", "Krátká 2", "Praha", "CZ", "P3", "alfa", "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME, TITLE, ADDRESS, CITY, COUNTRY, PASSPORT, AGENCY, USR, UPMJ, UPMT) VALUES ("Černý", "Karel", "", "Nová 3", "Brno", "CZ", "P4", "Beta", "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}ODKUDVI.DB" (FID, FDESCR) VALUES ("A", "Agency"))",
    R"(INSERT INTO "{db}ODKUDVI.DB" (FID, FDESCR) VALUES ("F", "Friends"))",
    R"(INSERT INTO "{db}ODKUDVI.DB" (FID, FDESCR) VALUES ("W", "Web"))",
    R"(INSERT INTO "{db}UCPODEF.DB" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, "Accomodation", 21, -1))",
    R"(INSERT INTO "{db}UCPODEF.DB" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (2, "Maid service", 21, -1))",
    R"(INSERT INTO "{db}UCPODEF.DB" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (3, "Minibar", 21, 10))",
    R"(INSERT INTO "{db}UCPODEF.DB" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (4, "Telefon", 21, -1))",
    R"(INSERT INTO "{db}KURZY.DB" (RDATE, CRCD, CRR) VALUES ("1.3.2004", "EUR", 25.1000))",
    R"(INSERT INTO "{db}KURZY.DB" (RDATE, CRCD, CRR) VALUES ("10.3.2004", "EUR", 25.4000))",
    R"(INSERT INTO "{db}UCTY.DB" (KID, PKID, UFROM, RECEPCE, USR, UPMJ, UPMT) VALUES (1, 1, "5.3.2004", "", "", "5.3.2004", "14:0:0"))",
    R"(INSERT INTO "{db}UCTY.DB" (KID, PKID, UFROM, UTHRU, TOTALEUR, TOTALCZK, FORMPAYM, DATEPAYM, RECEPCE, USR, UPMJ, UPMT) VALUES (3, 3, "1.3.2004", "4.3.2004", 180, 4518, "M", "4.3.2004", "", "", "4.3.2004", "11:0:0"))",
    R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS, BUSINESS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, BOOKEDFOR, BOOKEDKNFR, DISCOUNT, UID, DATEIN, TIMEIN, USR, UPMJ, UPMT) VALUES (1, "1", "5.3.2004", "8.3.2004", "H", "5.3.2004", 2, "0", 150, 3765, 30, 753, "", " ", " ", 1, "5.3.2004", "14:0:0", "", "5.3.2004", "14:0:0"))",
    R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS, BUSINESS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, BOOKEDFOR, BOOKEDKNFR, DISCOUNT, USR, UPMJ, UPMT) VALUES (0, "2", "6.3.2004", "10.3.2004", "P", "4.3.2004", 1, "0", 220, 5522, 0, 0, "Walk-in Smith", "F", " ", "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, BOOKEDFOR, UID, USR, UPMJ, UPMT) VALUES (0, "3", "1.3.2004", "31.3.2004", "X", "Repairs", 0, "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, UID, DATEOUT, TIMEOU, USR, UPMJ, UPMT) VALUES (3, "1", "1.3.2004", "4.3.2004", "O", 1, 150, 3765, 30, 753, 2, "4.3.2004", "10:30:0", "", "4.3.2004", "10:30:0"))",
    R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS, BUSINESS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, BOOKEDFOR, BOOKEDKNFR, DISCOUNT, USR, UPMJ, UPMT) VALUES (2, "2", "20.3.2004", "25.3.2004", "R", "18.3.2004", 2, "1", 300, 7530, 60, 1506, "", " ", " ", "", "1.3.2004", "9:0:0"))",
    R"(INSERT INTO "{db}UCTYPOL.DB" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE, USR, UPMJ, UPMT) VALUES (1, "1", 3, "Minibar", "6.3.2004", 10, 251, 21, 25.1, "", "6.3.2004", "20:0:0"))",
    R"(INSERT INTO "{db}UCTYPOL.DB" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE, USR, UPMJ, UPMT) VALUES (1, "1", 4, "Phone", "7.3.2004", 5, 125.5, 21, 25.1, "", "7.3.2004", "20:0:0"))",
    R"(INSERT INTO "{db}UCTYPOL.DB" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE, USR, UPMJ, UPMT) VALUES (2, "1", 1, "Accomodation - Room one", "4.3.2004", 150, 3765, 21, 25.1, "", "4.3.2004", "10:30:0"))",
    R"(INSERT INTO "{db}UCTYPOL.DB" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE, USR, UPMJ, UPMT) VALUES (2, "1", 2, "Maid service - Room one", "4.3.2004", 30, 753, 21, 25.1, "", "4.3.2004", "10:30:0"))",
    R"(INSERT INTO "{db}POZNAMKY.DB" (txt,typ,usr,upmj,upmt) VALUES ("Call Novak","N","","1.3.2004","9:0:0"))",
    R"(INSERT INTO "{db}POZNAMKY.DB" (txt,typ,dat,tim,dattim,usr,upmj,upmt) VALUES ("Wake up room 1","R","06.03.2004", "07:00:00", 38052.2916666667, "","1.3.2004","9:0:0"))",
    R"(INSERT INTO "{db}POZNAMKY.DB" (txt,typ,dat,tim,dattim,usr,upmj,upmt) VALUES ("Check boiler","R","05.03.2004", "09:30:00", 38051.3958333333, "","1.3.2004","9:0:0"))",
};

std::string seededFolder() {
    static const std::string folder = [] {
        const std::string f = newFolder();
        engine::Database db(f);
        createTables(db, f);
        // One transaction for the whole seed (each table attached before it opens): a test
        // process builds this folder once and must not wait for a disk sync per row.
        for (const auto& e : fs::directory_iterator(f)) db.execute("SELECT count(*) FROM \"" + e.path().string() + "\"");
        sqlite3* conn = db.impl().core->db();
        sqlite3_exec(conn, "BEGIN", nullptr, nullptr, nullptr);
        for (const char* s : kSeed) db.execute(withDb(s, f));
        sqlite3_exec(conn, "COMMIT", nullptr, nullptr, nullptr);
        return f;
    }();
    return folder;
}

}  // namespace

std::string withDb(std::string sql, const std::string& folder) {
    for (size_t p; (p = sql.find("{db}")) != std::string::npos;) sql.replace(p, 4, folder);
    return sql;
}

void createTables(engine::Database& db, const std::string& folder) {
    std::ifstream in(std::string(TAMAREL_SOURCE_DIR) + "/data/tables.sql");
    if (!in) throw std::runtime_error("data/tables.sql not found");
    std::string line, statement;
    while (std::getline(in, line)) {
        if (line.rfind("--", 0) == 0) continue;
        statement += line + "\n";
        const auto end = line.find_last_not_of(" \r");
        if (end != std::string::npos && line[end] == ';') {
            db.execute(withDb(statement, folder));
            statement.clear();
        }
    }
}

std::string filledFolder() {
    const std::string from = seededFolder();
    const std::string to = newFolder();
    for (const auto& e : fs::directory_iterator(from)) fs::copy_file(e.path(), to + e.path().filename().string());
    return to;
}

std::string emptyFolder() { return newFolder(); }

ChildSteps::ChildSteps() {
    if (pipe(m_fd) != 0) throw std::runtime_error("no pipe for the child's steps");
}

ChildSteps::~ChildSteps() {
    for (int fd : m_fd)
        if (fd >= 0) close(fd);
}

void ChildSteps::done() {
    const char step = 's';
    if (write(m_fd[1], &step, 1) != 1) _exit(4);
}

bool ChildSteps::waitFor(int steps) {
    // Only the child writes: a child that ends then ends the reading too.
    if (m_fd[1] >= 0) {
        close(m_fd[1]);
        m_fd[1] = -1;
    }
    char step;
    for (int i = 0; i < steps; ++i)
        if (read(m_fd[0], &step, 1) != 1) return false;
    return true;
}

int runAndKill(const std::function<void(ChildSteps&)>& work, int wholeSteps, int delayUs) {
    ChildSteps steps;
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        work(steps);
        _exit(3);
    }
    steps.waitFor(wholeSteps);
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

std::string storageName(Storage s) { return s == Storage::Files ? "Files" : "Server"; }

std::string serverUri() {
    if (const char* uri = std::getenv("TAMAREL_TEST_PG"); uri && *uri) return uri;
    std::ifstream in(TAMAREL_PG_STATE);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("URI=", 0) == 0) return line.substr(4);
    throw std::runtime_error(std::string("No PostgreSQL test server: set TAMAREL_TEST_PG or run the tests through ctest, "
                                         "whose fixture starts scripts/pg-test-server.sh (state file ") +
                             TAMAREL_PG_STATE + ")");
}

namespace {

// A new schema on the test server; the URI that makes it the connection's search path.
std::string newServerSchema() {
    static std::atomic<int> n{0};
    const std::string base = serverUri();
    const std::string schema = "t" + std::to_string(::getpid()) + "_" + std::to_string(++n);
    PGconn* c = PQconnectdb(base.c_str());
    if (PQstatus(c) != CONNECTION_OK) {
        const std::string msg = PQerrorMessage(c);
        PQfinish(c);
        throw std::runtime_error("The PostgreSQL test server cannot be reached at " + base + ": " + msg);
    }
    PGresult* r = PQexec(c, ("CREATE SCHEMA " + schema).c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    const std::string msg = PQresultErrorMessage(r);
    PQclear(r);
    PQfinish(c);
    if (!ok) throw std::runtime_error("Cannot create schema " + schema + " on the test server: " + msg);
    return base + (base.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
}

}  // namespace

TestDb filledDb(Storage s) {
    if (s == Storage::Files) {
        const std::string f = filledFolder();
        return {f, f};
    }
    TestDb t{newServerSchema(), ""};
    engine::Database db(t.location);
    db.setSyncWrites(false);
    createTables(db, t.prefix);
    for (const char* seed : kSeed) db.execute(withDb(seed, t.prefix));
    return t;
}

TestDb emptyDb(Storage s) {
    if (s == Storage::Files) {
        const std::string f = emptyFolder();
        return {f, f};
    }
    return {newServerSchema(), ""};
}

std::string dump(engine::Database& db, const std::string& sql, const std::vector<std::string>& columns, bool sorted) {
    auto q = db.open(sql);
    std::vector<int> idx;
    if (columns.empty()) {
        for (size_t i = 0; i < q->fields().size(); ++i) idx.push_back(static_cast<int>(i));
    } else {
        for (const auto& c : columns) {
            const int i = q->fieldIndex(c);
            if (i < 0) throw std::runtime_error("no field " + c);
            idx.push_back(i);
        }
    }
    std::vector<std::string> rows;
    while (q->next()) {
        std::string r;
        for (size_t k = 0; k < idx.size(); ++k) r += (k ? "," : "") + q->text(idx[k]);
        rows.push_back(r);
    }
    if (sorted) std::sort(rows.begin(), rows.end());
    std::string out;
    for (size_t i = 0; i < rows.size(); ++i) out += (i ? ";" : "") + rows[i];
    return out;
}

}  // namespace enginetest
