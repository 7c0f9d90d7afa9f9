// Moving a database between a folder and the test server: `tamarel-db copy` both ways with
// every row and key kept, a filled target refused unless --replace, archives made on one
// storage restored on the other, and restores and copies broken in the middle that leave
// every table as it was.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <unistd.h>

#include "TestFolder.h"
#include "backup/Archive.h"
#include "backup/Backup.h"
#include "backup/DatabaseCopy.h"
#include "backup/ServerArchive.h"
#include "data/Demo.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "ToolRun.h"

namespace {

// A new empty schema on the test server; the URI that makes it the search path.
QString newSchema()
{
    static std::atomic<int> n{0};
    const std::string base = enginetest::serverUri();
    const std::string schema = "copy" + std::to_string(::getpid()) + "_" + std::to_string(++n);
    PGconn* c = PQconnectdb(base.c_str());
    PGresult* r = PQexec(c, ("CREATE SCHEMA " + schema).c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    PQfinish(c);
    if (!ok) throw std::runtime_error("cannot create schema " + schema);
    return QString::fromStdString(base + (base.find('?') == std::string::npos ? "?" : "&") +
                                  "options=-csearch_path%3D" + schema);
}

// Every table of a database (folder or URI): its column names, then its rows (all fields as
// the windows show them) in sorted order.
QMap<QString, QStringList> tables(const QString& location)
{
    engine::Database db(data::databaseLocation(location).toStdString());
    const QString prefix = data::folderPrefix(location);
    QMap<QString, QStringList> all;
    for (const data::TableDefinition& t : data::tableDefinitions()) {
        auto q = db.open(("SELECT * FROM \"" + prefix + t.file + "\"").toStdString());
        QStringList names, rows;
        for (const auto& f : q->fields()) names << QString::fromStdString(f.name);
        while (q->next()) {
            QStringList row;
            for (int i = 0; i < int(q->fields().size()); ++i)
                row << (q->isNull(i) ? QStringLiteral("<null>") : QString::fromStdString(q->text(i)));
            rows << row.join(QLatin1Char('|'));
        }
        rows.sort();
        all[t.file] = QStringList{names.join(QLatin1Char('|'))} + rows;
    }
    return all;
}

// Every file below a folder, hidden ones too, with a digest of its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files.insert(QDir(folder).relativeFilePath(path),
                     f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : "dir");
    }
    return files;
}

void rawSql(const QString& tableFile, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(tableFile.toUtf8().constData(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files)) QFile::copy(from + "/" + f, to + "/" + f);
}

const QStringList kAutoincKeys = {"POBYTY.DB:BID", "KARTY.DB:KID", "UCTY.DB:UID", "UCTYPOL.DB:POLID", "POZNAMKY.DB:RMID"};

class ServerCopyTest : public ::testing::Test {
protected:
    // The demo set in a folder, made once; tests copy it.
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_demo = s_dir->path() + "/demo";
        engine::Database db(data::databaseLocation(s_demo).toStdString());
        data::createTables(db, s_demo);
        db.setSyncWrites(false);
        data::fillDemo(db, s_demo, QDateTime(QDate(2004, 3, 5), QTime(9, 5, 7)));
        s_demoTables = new QMap<QString, QStringList>(tables(s_demo));
    }
    static void TearDownTestSuite()
    {
        delete s_demoTables;
        delete s_dir;
    }
    QString folder(const QString& name) { return m_dir.path() + "/" + name; }
    // A folder holding the demo set.
    QString demoFolder(const QString& name)
    {
        copyFolder(s_demo, folder(name));
        return folder(name);
    }
    // A server schema holding the demo set.
    QString demoServer()
    {
        const QString uri = newSchema();
        const ToolRun r = tool({"copy", s_demo, uri});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return uri;
    }
    // A database holding other rows than the demo set (the engine tests' small hotel).
    QString otherDatabase(bool onServer)
    {
        const auto db = enginetest::filledDb(onServer ? enginetest::Storage::Server : enginetest::Storage::Files);
        return QString::fromStdString(db.location);
    }

    static QTemporaryDir* s_dir;
    static QString s_demo;
    static QMap<QString, QStringList>* s_demoTables;
    QTemporaryDir m_dir;
};
QTemporaryDir* ServerCopyTest::s_dir = nullptr;
QString ServerCopyTest::s_demo;
QMap<QString, QStringList>* ServerCopyTest::s_demoTables = nullptr;

// Folder -> server -> folder: every row of every table with its key, on the server and back
// in the folder; afterwards each AUTOINC table hands a new row a key after the copied ones.
TEST_F(ServerCopyTest, FolderToServerToFolderKeepsEveryRowAndKeyOnServer)
{
    const QString uri = newSchema();
    const QString back = folder("back");
    const ToolRun there = tool({"copy", s_demo, uri});
    ASSERT_EQ(there.exitCode, 0) << there.err.toStdString();
    EXPECT_TRUE(there.out.contains("rows/s")) << there.out.toStdString();
    const ToolRun home = tool({"copy", uri, back});
    ASSERT_EQ(home.exitCode, 0) << home.err.toStdString();
    EXPECT_EQ(tables(uri), *s_demoTables);
    EXPECT_EQ(tables(back), *s_demoTables);

    for (const QString& location : {uri, back}) {
        engine::Database db(data::databaseLocation(location).toStdString());
        const QString prefix = data::folderPrefix(location);
        for (const QString& tableKey : kAutoincKeys) {
            const QString table = "\"" + prefix + tableKey.section(':', 0, 0) + "\"", key = tableKey.section(':', 1);
            SCOPED_TRACE((location + " " + table).toStdString());
            qint64 copiedMax = 0;
            {
                auto before = db.open(("SELECT MAX(" + key + ") AS K FROM " + table).toStdString());
                ASSERT_TRUE(before->next());
                copiedMax = before->integer(0);
            }
            ASSERT_GT(copiedMax, 1);
            auto change = db.beginChange({(prefix + tableKey.section(':', 0, 0)).toStdString()});
            change->execute(("INSERT INTO " + table + " (USR) VALUES (\"new\")").toStdString());
            const qint64 key1 = change->lastInsertKey();
            change->commit();
            EXPECT_GT(key1, copiedMax);
            auto count = db.open(("SELECT COUNT(*) AS N FROM " + table + " WHERE " + key + " = " + QString::number(key1))
                                     .toStdString());
            ASSERT_TRUE(count->next());
            EXPECT_EQ(count->integer(0), 1);
        }
    }
}

// A target holding rows is refused, naming the filled tables and left as it was; --replace
// replaces its rows by the source's (nothing of the old rows stays).
TEST_F(ServerCopyTest, FilledTargetIsRefusedUnlessReplaceOnServer)
{
    struct Case {
        const char* name;
        bool sourceOnServer, targetOnServer;
    };
    const Case cases[] = {
        {"folder to server", false, true},
        {"server to folder", true, false},
        {"server to server", true, true},
        {"folder to folder", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = c.sourceOnServer ? demoServer() : demoFolder(QString("source-") + c.name);
        const QString target = otherDatabase(c.targetOnServer);
        const auto before = tables(target);
        ASSERT_NE(before, *s_demoTables);
        const ToolRun refused = tool({"copy", source, target});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains("already holds rows in POKOJE.DB, POKCENY.DB, POBYTY.DB"))
            << refused.err.toStdString();
        EXPECT_EQ(tables(target), before);
        const ToolRun replaced = tool({"copy", source, target, "--replace"});
        EXPECT_EQ(replaced.exitCode, 0) << replaced.err.toStdString();
        EXPECT_EQ(tables(target), *s_demoTables);
    }
    EXPECT_EQ(tool({"copy", s_demo, s_demo, "--replace"}).exitCode, 1);   // the same database
}

// An archive made on the server restores into a folder, and one made of a folder restores
// onto the server, both replacing other rows by the demo set's.
TEST_F(ServerCopyTest, ArchivesMoveBetweenFolderAndServer)
{
    const QString archive = folder("server.tmb");
    const ToolRun made = tool({"backup", demoServer(), archive});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    // The entries of a folder's archive: the table files by name (the ten and the guest book's).
    const QString staged = folder("entries");
    QDir().mkpath(staged);
    const auto names = backup::readArchive(QFile::encodeName(archive).toStdString(), staged.toStdString(), {});
    QStringList entries;
    for (const auto& n : names) entries << QString::fromStdString(n);
    EXPECT_EQ(entries, QStringList({"BLOKACE.DB", "FAKTURY.DB", "HOSTE.DB", "KALENDARE.DB", "KARTY.DB", "KURZY.DB", "NASTAVENI.DB",
                                    "ODKUDVI.DB", "POBYTY.DB", "POKCENY.DB", "POKOJE.DB", "POZNAMKY.DB", "UCPODEF.DB",
                                    "UCTY.DB", "UCTYPOL.DB"}));

    const QString intoFolder = otherDatabase(false);
    const ToolRun restoredToFolder = tool({"restore", intoFolder, archive});
    EXPECT_EQ(restoredToFolder.exitCode, 0) << restoredToFolder.err.toStdString();
    EXPECT_EQ(tables(intoFolder), *s_demoTables);

    const QString folderArchive = folder("folder.tmb");
    ASSERT_EQ(tool({"backup", s_demo, folderArchive}).exitCode, 0);
    const QString intoServer = otherDatabase(true);
    const ToolRun restoredToServer = tool({"restore", intoServer, folderArchive});
    EXPECT_EQ(restoredToServer.exitCode, 0) << restoredToServer.err.toStdString();
    EXPECT_TRUE(restoredToServer.out.endsWith("Database is now restored!\n"));
    EXPECT_EQ(tables(intoServer), *s_demoTables);
    // A server backup needs the archive named: there is no folder to put it in.
    EXPECT_EQ(tool({"backup", intoServer}).exitCode, 2);
}

// A restore onto the server or a copy into a folder that fails in the middle leaves every
// table of the target exactly as it was: a table the server refuses late in the archive, a
// table file that is not one, a failure forced before the sixth table.
TEST_F(ServerCopyTest, FailureMidwayLeavesEveryTableUnchangedOnServer)
{
    // An archive whose last table (notes) holds a text longer than its column allows: the
    // check of the archive passes, the server refuses it after nine tables were written.
    const QString overlong = demoFolder("overlong");
    rawSql(overlong + "/POZNAMKY.DB", "PRAGMA ignore_check_constraints = 1; UPDATE POZNAMKY SET TXT = printf('%.300c', 'x') WHERE RMID = 1");
    ASSERT_EQ(tool({"backup", overlong, folder("overlong.tmb")}).exitCode, 0);
    // An archive whose rates entry is not a table file.
    const QString damaged = demoFolder("damaged");
    {
        QFile f(damaged + "/KURZY.DB");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(8192, 'z'));
    }
    backup::writeArchive(QFile::encodeName(damaged).toStdString(), QFile::encodeName(folder("damaged.tmb")).toStdString(), {});
    ASSERT_EQ(tool({"backup", s_demo, folder("sound.tmb")}).exitCode, 0);

    int tablesWritten = 0;
    const auto failAtSixth = [&](const QString&) {
        if (++tablesWritten == 6) throw std::runtime_error("forced failure");
    };
    struct Case {
        const char* name;
        const char* archive;
        bool forced;
        backup::ArchiveError::Kind kind;
    };
    const Case cases[] = {
        {"overlong text in the last table", "overlong.tmb", false, backup::ArchiveError::Kind::Replace},
        {"damaged table file", "damaged.tmb", false, backup::ArchiveError::Kind::Read},
        {"failure forced before the sixth table", "sound.tmb", true, backup::ArchiveError::Kind::Replace},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString uri = otherDatabase(true);
        const auto before = tables(uri);
        engine::Database db(uri.toStdString());
        tablesWritten = 0;
        try {
            backup::restoreArchiveOnServer(QFile::encodeName(folder(c.archive)).toStdString(), db, uri,
                                           backupReadOptions(nullptr, false),
                                           c.forced ? std::function<void(const QString&)>(failAtSixth) : nullptr);
            ADD_FAILURE() << "the restore did not fail";
        } catch (const backup::ArchiveError& e) {
            EXPECT_EQ(e.kind(), c.kind) << e.what();
        }
        if (c.forced) EXPECT_EQ(tablesWritten, 6);
        EXPECT_EQ(tables(uri), before);
        // The tool says so and changes nothing either.
        const ToolRun r = tool({"restore", uri, folder(c.archive)});
        EXPECT_EQ(r.exitCode, c.forced ? 0 : 1) << r.err.toStdString();
        if (!c.forced) EXPECT_EQ(tables(uri), before);
    }

    // A copy into a folder broken before its sixth table: the folder is byte for byte as it was.
    const QString target = otherDatabase(false);
    const auto files = snapshot(target);
    backup::CopyOptions options;
    options.replace = true;
    tablesWritten = 0;
    options.beforeTable = failAtSixth;
    EXPECT_THROW(backup::copyDatabase(demoServer(), target, options), std::runtime_error);
    EXPECT_EQ(snapshot(target), files);
}

}  // namespace
