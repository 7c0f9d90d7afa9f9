#pragma once
// Test support: another program holding every table of the database locked, as a long writer
// at another desk or a restore there does. On table files a child process (this test program
// run again with --hold-locks FOLDER) takes an exclusive lock on each table file, so neither
// reads nor writes get through; on the server another session locks every table in access
// exclusive mode. Both hold until the holder goes away.
//
// The test's main calls holdLocksIfAsked() first: in the child it never returns.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <vector>
#ifdef TABLE_LOCKS_ON_SERVER
#include <libpq-fe.h>
#endif

namespace tablelocks {

// In the child: locks every *.DB file of the folder, says "held" and waits for its input to close.
inline void holdLocksIfAsked(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--hold-locks") != 0) return;
    std::vector<sqlite3*> held;
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (const QString& file : folder.entryList({QStringLiteral("*.DB")}, QDir::Files)) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(folder.filePath(file).toLocal8Bit().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stdout, "failed %s\n", qPrintable(file));
            std::fflush(stdout);
            std::exit(2);
        }
        held.push_back(db);
    }
    std::fprintf(stdout, "held %d\n", int(held.size()));
    std::fflush(stdout);
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    std::exit(0);  // the locks go with the process
}

class Holder {
public:
    // folder: the database folder ("" on the server); uri: the server's location otherwise.
    Holder(const QString& folder, const QString& uri = QString())
    {
        if (folder.isEmpty()) {
#ifdef TABLE_LOCKS_ON_SERVER
            m_conn = PQconnectdb(uri.toUtf8().constData());
            if (PQstatus(m_conn) != CONNECTION_OK) return;
            if (!run("BEGIN")) return;
            PGresult* names = PQexec(m_conn, "SELECT string_agg(quote_ident(tablename), ',') FROM pg_tables "
                                             "WHERE schemaname = current_schema()");
            const QByteArray tables = PQresultStatus(names) == PGRES_TUPLES_OK ? QByteArray(PQgetvalue(names, 0, 0)) : QByteArray();
            PQclear(names);
            m_held = !tables.isEmpty() && run(("LOCK TABLE " + tables + " IN ACCESS EXCLUSIVE MODE").constData());
#else
            Q_UNUSED(uri);
#endif
            return;
        }
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-locks"), folder});
        if (!m_process.waitForStarted(10000)) return;
        while (m_process.state() == QProcess::Running && !m_process.canReadLine()) m_process.waitForReadyRead(10000);
        m_held = m_process.readLine().startsWith("held");
    }
    ~Holder()
    {
#ifdef TABLE_LOCKS_ON_SERVER
        if (m_conn) PQfinish(m_conn);
#endif
        if (m_process.state() != QProcess::NotRunning) {
            m_process.closeWriteChannel();
            m_process.waitForFinished(10000);
        }
    }
    bool held() const { return m_held; }

private:
#ifdef TABLE_LOCKS_ON_SERVER
    bool run(const char* sql)
    {
        PGresult* r = PQexec(m_conn, sql);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        if (!ok) std::fprintf(stderr, "lock holder: %s", PQerrorMessage(m_conn));
        PQclear(r);
        return ok;
    }
    PGconn* m_conn = nullptr;
#endif
    QProcess m_process;
    bool m_held = false;
};

}  // namespace tablelocks
