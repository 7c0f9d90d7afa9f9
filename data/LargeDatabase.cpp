// Bulk writer of a large database for benchmarks. The engine has no bulk path, so rows go
// straight into the table files through SQLite, one transaction per file, using the forms
// the engine stores: dates as day numbers (30.12.1899 is day 0), times as seconds after
// midnight, floats as reals, texts as UTF-8.
//
// Invariants: only rows are written; the files, tables and indexes are the engine's own;
// autoincrement keys are left to the table, so the key counters stay right.

#include "data/LargeDatabase.h"

#include <algorithm>
#include <sqlite3.h>

#include <QStringList>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/Random.h"
#include "data/TableFiles.h"
#include "shell/ValueHelpers.h"

namespace data {
namespace {

// One table file open for appending rows inside one transaction.
class TableFile {
public:
    TableFile(const QString& prefix, const char* table, const std::vector<const char*>& columns)
    {
        const std::string path = (prefix + QLatin1String(table) + QStringLiteral(".DB")).toStdString();
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail("cannot open " + path);
        sqlite3_busy_timeout(m_db, 5000);
        run("PRAGMA synchronous=OFF");
        run("BEGIN IMMEDIATE");
        std::string sql = std::string("INSERT INTO \"") + table + "\" (";
        std::string marks;
        for (size_t i = 0; i < columns.size(); ++i) {
            sql += (i ? ", " : "") + std::string(columns[i]);
            marks += i ? ", ?" : "?";
        }
        sql += ") VALUES (" + marks + ")";
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &m_insert, nullptr) != SQLITE_OK) fail(sql);
    }
    ~TableFile()
    {
        sqlite3_finalize(m_insert);
        if (m_db && !m_committed) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    TableFile& i(std::int64_t v) { sqlite3_bind_int64(m_insert, ++m_col, v); return *this; }
    TableFile& f(double v) { sqlite3_bind_double(m_insert, ++m_col, v); return *this; }
    TableFile& t(const std::string& v) { sqlite3_bind_text(m_insert, ++m_col, v.c_str(), int(v.size()), SQLITE_TRANSIENT); return *this; }
    TableFile& null() { sqlite3_bind_null(m_insert, ++m_col); return *this; }
    void row()
    {
        if (sqlite3_step(m_insert) != SQLITE_DONE) fail("insert");
        sqlite3_reset(m_insert);
        m_col = 0;
    }
    std::int64_t lastKey() const { return sqlite3_last_insert_rowid(m_db); }
    void commit()
    {
        run("COMMIT");
        m_committed = true;
    }

private:
    void run(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
    }
    [[noreturn]] void fail(const std::string& what)
    {
        throw std::runtime_error(what + ": " + (m_db ? sqlite3_errmsg(m_db) : "out of memory"));
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    int m_col = 0;
    bool m_committed = false;
};

const char* const kSurnames[] = {"Novák", "Svoboda", "Dvořák", "Černý", "Procházka", "Kučera", "Veselý",
                                 "Müller", "Schmidt", "O'Brien", "D'Angelo", "Rossi", "Smith", "Horváth",
                                 "Kowalski", "Šťastný", "Řezníček", "Žáček", "Dubois", "Tanaka"};
const char* const kNames[] = {"Jan", "Petr", "Eva", "Hana", "Hans", "Ute", "Patrick", "Giulia", "James",
                              "Zuzana", "Piotr", "Věra", "Jiří", "Amélie"};
const char* const kCities[] = {"Praha", "Brno", "Plzeň", "Dresden", "Wien", "Dublin", "Torino", "London",
                               "Bratislava", "Kraków", "Paris", "České Budějovice"};

}  // namespace

LargeSummary writeLargeDatabase(const QString& folder, const LargeOptions& o, const QDate& todayDate)
{
    const QString prefix = folderPrefix(folder);
    const int today = shell::NumberFromDate(todayDate);
    const int first = today - 365 * o.years + 90;
    const int last = today + 90;
    Rng rng(1000003);
    LargeSummary sum;

    {
        TableFile rooms(prefix, "POKOJE", {"PID", "PNAME", "PDESCR", "PMETR", "PCOLOR", "PPRICE", "MAIDPRICE", "USER", "UPMJ", "UPMT"});
        TableFile prices(prefix, "POKCENY", {"PID", "DATEFROM", "PPRICE", "MAIDPRICE", "USER", "UPMJ", "UPMT"});
        for (int r = 1; r <= o.rooms; ++r) {
            const std::string pid = QStringLiteral("%1").arg(r, 3, 10, QLatin1Char('0')).toStdString();
            const double price = 40 + 5 * (r % 20);
            rooms.t(pid).t("Room " + pid).t("Room " + pid + " of the large test database").f(14 + r % 30)
                .i(0x00C0C0C0 + (r * 2654435) % 0x3F3F3F).f(price).f(6 + r % 8).t("").i(first).i(36000).row();
            for (int y = 0; y < o.years; ++y)
                prices.t(pid).i(first + 365 * y).f(price + y).f(6 + r % 8).t("").i(first + 365 * y).i(36000).row();
            ++sum.rooms;
        }
        rooms.commit();
        prices.commit();
    }
    {
        TableFile rates(prefix, "KURZY", {"RDATE", "CRCD", "CRR"});
        for (int day = first; day <= today; day += 7)
            rates.i(day).t("EUR").f(std::round((25 + 1.5 * std::sin(day / 200.0)) * 1000) / 1000).row();
        rates.commit();
        TableFile types(prefix, "UCPODEF", {"UPID", "UPNAME", "UPTAX1", "UPTAX2"});
        types.i(1).t("Accomodation").i(10).i(-1).row();
        types.i(2).t("Maid service").i(20).i(-1).row();
        types.i(3).t("Minibar").i(20).i(10).row();
        types.commit();
        TableFile sources(prefix, "ODKUDVI", {"FID", "FDESCR"});
        sources.t("A").t("Agency").row();
        sources.t("F").t("Friends").row();
        sources.t("I").t("Internet").row();
        sources.t("R").t("Repeated stay").row();
        sources.commit();
    }
    std::int64_t firstKid = 1;
    {
        TableFile clients(prefix, "KARTY", {"SURNAME", "NAME", "ADDRESS", "CITY", "POSTAL", "COUNTRY", "PASSPORT",
                                            "RATING", "KNOWSFROM", "USR", "UPMJ", "UPMT"});
        for (int c = 0; c < o.clients; ++c) {
            clients.t(kSurnames[c % std::size(kSurnames)]).t(kNames[(c / 7) % std::size(kNames)])
                .t("Street " + std::to_string(c % 200 + 1)).t(kCities[c % std::size(kCities)])
                .t(std::to_string(10000 + c % 90000)).t("Czech Republic").t("L" + std::to_string(10000000 + c))
                .t(std::to_string(c % 6)).t(c % 3 ? "I" : "R").t("").i(first + c % 3000).i(40000).row();
            if (c == 0) firstKid = clients.lastKey();
            ++sum.clients;
        }
        clients.commit();
    }

    TableFile stays(prefix, "POBYTY", {"KID", "PID", "DATEFROM", "DATETHRU", "STATUS", "PRTHRU", "NUMPERS", "BUSINESS",
                                       "PRICEEUR", "PRICECZK", "MAIDEUR", "MAIDCZK", "BOOKEDFOR", "BOOKEDKNFR", "DISCOUNT",
                                       "UID", "DATEIN", "TIMEIN", "DATEOUT", "TIMEOU", "USR", "UPMJ", "UPMT"});
    TableFile accounts(prefix, "UCTY", {"KID", "PKID", "UFROM", "UTHRU", "TOTALEUR", "TOTALCZK", "FORMPAYM", "DATEPAYM",
                                        "RECEPCE", "USR", "UPMJ", "UPMT"});
    TableFile items(prefix, "UCTYPOL", {"UID", "PID", "UPID", "DESCR", "ITEMDATE", "AMNTEUR", "AMNTCZK", "TAXRATE", "RATE",
                                        "USR", "UPMJ", "UPMT"});
    const double days = last - first;
    static const char* const forms[] = {"C", "M", "B"};
    // The stays of every room are planned first, then written in booking order (a few days
    // to three months before arrival), as a hotel's table grows: the stays around any day
    // lie close together in the file, as they do in real use.
    struct Plan {
        int booked, room, from, thru;
        std::int64_t n, kid;
    };
    std::vector<Plan> plans;
    plans.reserve(std::size_t(o.stays));
    for (int r = 1; r <= o.rooms; ++r) {
        const std::int64_t count = o.stays / o.rooms + (r <= o.stays % o.rooms ? 1 : 0);
        if (count == 0) continue;
        const double slot = days / double(count);   // mean days a stay takes, gap included
        double cursor = first;
        for (std::int64_t n = 0; n < count; ++n) {
            const int from = int(cursor);
            const int span = std::max(1, int(slot * (0.5 + rng.range(0, 100) / 100.0)));
            const int nights = std::max(1, span - (span > 2 ? rng.range(0, 1) : 0));
            const int thru = from + nights;
            cursor = std::max(cursor + slot, double(thru));
            const std::int64_t kid = firstKid + rng.range(0, o.clients - 1);
            plans.push_back({from - rng.range(2, 90), r, from, thru, n, kid});
        }
    }
    std::stable_sort(plans.begin(), plans.end(), [](const Plan& a, const Plan& b) { return a.booked < b.booked; });
    for (const Plan& plan : plans) {
        const int r = plan.room, from = plan.from, thru = plan.thru, nights = thru - from;
        const std::int64_t n = plan.n, kid = plan.kid;
        const std::string pid = QStringLiteral("%1").arg(r, 3, 10, QLatin1Char('0')).toStdString();
        const double price = 40 + 5 * (r % 20);
        const double rate = 25 + 1.5 * std::sin(from / 200.0);
        const double eur = price * nights, maid = (6 + r % 8) * nights;
        const char* status = thru <= today ? "O" : from <= today ? "H" : (rng.range(0, 1) ? "R" : "P");
        std::int64_t uid = 0;
        if (*status == 'O' || *status == 'H') {
            accounts.i(kid).i(kid).i(from);
            if (*status == 'O')
                accounts.i(thru).f(eur + maid).f(round2(eur * rate) + round2(maid * rate))
                    .t(forms[n % 3]).i(thru).t("");
            else
                accounts.null().null().null().null().null().null();
            accounts.t("").i(thru <= today ? thru : from).i(39600).row();
            uid = accounts.lastKey();
            ++sum.accounts;
            if (*status == 'O') {
                items.i(uid).t(pid).i(1).t("Accomodation - Room " + pid).i(thru).f(eur).f(round2(eur * rate))
                    .f(10).f(rate).t("").i(thru).i(39700).row();
                items.i(uid).t(pid).i(2).t("Maid service - Room " + pid).i(thru).f(maid).f(round2(maid * rate))
                    .f(20).f(rate).t("").i(thru).i(39700).row();
                sum.items += 2;
            }
        }
        stays.i(kid).t(pid).i(from).i(thru).t(status).i(*status == 'P' ? from - 3 : from).i(1 + int(n % 3))
            .t(n % 4 ? "0" : "1").f(eur).f(round2(eur * rate)).f(maid).f(round2(maid * rate)).t("").t(" ").t(" ");
        if (uid) stays.i(uid).i(from).i(50400); else stays.i(0).null().null();
        if (*status == 'O') stays.i(thru).i(36000); else stays.null().null();
        stays.t("").i(std::min(today, thru)).i(43200).row();
        ++sum.stays;
    }
    items.commit();
    accounts.commit();
    stays.commit();
    return sum;
}

}  // namespace data
