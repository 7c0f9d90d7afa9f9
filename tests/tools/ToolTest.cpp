// tamarel-db run as a program on temporary folders: creating table files, refusing to put
// the demo set over data, and the sql command's output and exit codes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "ToolRun.h"

namespace {

const QStringList kTableFiles = {"POKOJE.DB", "POKCENY.DB", "POBYTY.DB", "KARTY.DB", "UCTY.DB",
                                 "UCTYPOL.DB", "UCPODEF.DB", "KURZY.DB", "ODKUDVI.DB", "POZNAMKY.DB",
                                 "HOSTE.DB",  "NASTAVENI.DB", "KALENDARE.DB", "BLOKACE.DB", "FAKTURY.DB"};

TEST(TamarelDb, InitCreatesTheTablesAndLeavesExistingOnesAlone)
{
    QTemporaryDir dir;
    const QString db = dir.filePath("new/DB");
    const ToolRun first = tool({"init", db});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    for (const QString& f : kTableFiles) EXPECT_TRUE(QFileInfo::exists(db + "/" + f)) << f.toStdString();
    EXPECT_EQ(QDir(db).entryList(QDir::Files).size(), kTableFiles.size());

    ASSERT_EQ(tool({"sql", db, R"(INSERT INTO "POKOJE.DB" (PID, PNAME) VALUES ("1", "Kept"))"}).exitCode, 0);
    const ToolRun second = tool({"init", db});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    for (const QString& f : kTableFiles)
        EXPECT_TRUE(second.out.contains(f + " exists, left as it is")) << second.out.toStdString();
    EXPECT_EQ(tool({"sql", db, R"(SELECT PNAME FROM "POKOJE.DB")"}).out, "PNAME\nKept\n");
}

TEST(TamarelDb, SqlPrintsHeaderAndTabSeparatedRows)
{
    QTemporaryDir dir;
    ASSERT_EQ(tool({"init", dir.path()}).exitCode, 0);
    const ToolRun insert = tool({"sql", dir.path(),
                             R"(INSERT INTO "KURZY.DB" (RDATE, CRCD, CRR) VALUES ("05.03.2004", "EUR", 25.1))"});
    ASSERT_EQ(insert.exitCode, 0) << insert.err.toStdString();
    EXPECT_EQ(insert.out, "1 rows affected\n");
    ASSERT_EQ(tool({"sql", dir.path(), R"(INSERT INTO "KURZY.DB" (RDATE, CRCD) VALUES ("10.3.2004", "USD"))"}).exitCode, 0);
    const ToolRun select = tool({"sql", dir.path(), R"(SELECT RDATE, CRCD, CRR FROM "KURZY.DB" ORDER BY RDATE)"});
    ASSERT_EQ(select.exitCode, 0) << select.err.toStdString();
    EXPECT_EQ(select.out, "RDATE\tCRCD\tCRR\n5.3.2004\tEUR\t25.1\n10.3.2004\tUSD\t\n");
    const ToolRun update = tool({"sql", dir.path(), R"(UPDATE "KURZY.DB" SET CRR=25 WHERE CRCD<>"XXX")"});
    EXPECT_EQ(update.out, "2 rows affected\n");
    const ToolRun none = tool({"sql", dir.path(), R"(DELETE FROM "KURZY.DB" WHERE CRCD="GBP")"});
    EXPECT_EQ(none.out, "0 rows affected\n");
}

TEST(TamarelDb, SqlRowsStayOneLineAndALeadingCommentKeepsAQueryAQuery)
{
    QTemporaryDir dir;
    ASSERT_EQ(tool({"init", dir.path()}).exitCode, 0);
    ASSERT_EQ(tool({"sql", dir.path(),
                    "INSERT INTO \"POZNAMKY.DB\" (TXT, TYP) VALUES (\"a\tb\nc\\d\rz\", \"N\")"}).exitCode, 0);
    const struct {
        const char* statement;
        const char* out;
    } cases[] = {
        {"SELECT TXT FROM \"POZNAMKY.DB\"", "TXT\na\\tb\\nc\\\\d\\rz\n"},
        {"-- the notes\nSELECT TYP FROM \"POZNAMKY.DB\"", "TYP\nN\n"},
        {"/* the notes */ SELECT TYP FROM \"POZNAMKY.DB\"", "TYP\nN\n"},
        {"-- a change\nUPDATE \"POZNAMKY.DB\" SET TYP=\"R\"", "1 rows affected\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = tool({"sql", dir.path(), QString::fromUtf8(c.statement)});
        EXPECT_EQ(run.exitCode, 0) << c.statement << ": " << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), c.out) << c.statement;
    }
}

TEST(TamarelDb, BadStatementExitsWithTheEnginesMessage)
{
    QTemporaryDir dir;
    ASSERT_EQ(tool({"init", dir.path()}).exitCode, 0);
    const ToolRun bad = tool({"sql", dir.path(), R"(SELECT NOSUCHFIELD FROM "POKOJE.DB")"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.isEmpty()) << bad.out.toStdString();
    EXPECT_TRUE(bad.err.contains("NOSUCHFIELD", Qt::CaseInsensitive)) << bad.err.toStdString();
    const ToolRun missing = tool({"sql", dir.path(), R"(DELETE FROM "NOWHERE.DB")"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.isEmpty());
    // A signed number out of range is named with its sign and its column.
    const ToolRun huge = tool({"sql", dir.path(), R"(INSERT INTO "POBYTY.DB" (PID, PRICEEUR) VALUES ("1", -1e999))"});
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_TRUE(huge.err.contains(R"("-1e999" is not a number (column PRICEEUR))")) << huge.err.toStdString();
}

TEST(TamarelDb, DemoFillsEmptyTablesOnlyAndRefusesData)
{
    QTemporaryDir dir;
    const QString db = dir.filePath("DB");
    const ToolRun demo = tool({"demo", db, "--today", "5.3.2004"});
    ASSERT_EQ(demo.exitCode, 0) << demo.err.toStdString();
    EXPECT_TRUE(demo.out.contains("200 clients")) << demo.out.toStdString();
    const ToolRun count = tool({"sql", db, R"(SELECT COUNT(*) AS N FROM "KARTY.DB")"});
    EXPECT_EQ(count.out, "N\n200\n");
    const ToolRun again = tool({"demo", db});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("KARTY.DB")) << again.err.toStdString();
    EXPECT_EQ(tool({"sql", db, R"(SELECT COUNT(*) AS N FROM "KARTY.DB")"}).out, "N\n200\n");

    // One filled table is enough to refuse; nothing is added anywhere.
    QTemporaryDir other;
    ASSERT_EQ(tool({"init", other.path()}).exitCode, 0);
    ASSERT_EQ(tool({"sql", other.path(), R"(INSERT INTO "ODKUDVI.DB" (FID, FDESCR) VALUES ("X", "Mine"))"}).exitCode, 0);
    const ToolRun refused = tool({"demo", other.path()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("ODKUDVI.DB")) << refused.err.toStdString();
    EXPECT_EQ(tool({"sql", other.path(), R"(SELECT COUNT(*) AS N FROM "POKOJE.DB")"}).out, "N\n0\n");
}

TEST(TamarelDb, LargeWritesRowsTheEngineReads)
{
    QTemporaryDir dir;
    const ToolRun large = tool({"large", dir.path(), "--stays", "3000", "--rooms", "12", "--years", "2", "--clients", "500"});
    ASSERT_EQ(large.exitCode, 0) << large.err.toStdString();
    EXPECT_EQ(tool({"sql", dir.path(), R"(SELECT COUNT(*) AS N FROM "POBYTY.DB")"}).out, "N\n3000\n");
    EXPECT_EQ(tool({"sql", dir.path(), R"(SELECT COUNT(*) AS N FROM "POKOJE.DB")"}).out, "N\n12\n");
    // Dates read back as dates and compare as dates; keys keep counting after the bulk rows.
    const ToolRun first = tool({"sql", dir.path(), R"(SELECT MIN(DATETHRU-DATEFROM) AS N FROM "POBYTY.DB")"});
    EXPECT_EQ(first.out, "N\n1\n") << first.err.toStdString();
    ASSERT_EQ(tool({"sql", dir.path(), R"(INSERT INTO "KARTY.DB" (SURNAME) VALUES ("Last"))"}).exitCode, 0);
    EXPECT_EQ(tool({"sql", dir.path(), R"(SELECT KID FROM "KARTY.DB" WHERE SURNAME="Last")"}).out, "KID\n501\n");
    const ToolRun again = tool({"large", dir.path(), "--stays", "10"});
    EXPECT_EQ(again.exitCode, 1);
}

TEST(TamarelDb, WrongUsageIsRefused)
{
    EXPECT_NE(tool({}).exitCode, 0);
    EXPECT_NE(tool({"frobnicate", "x"}).exitCode, 0);
    EXPECT_NE(tool({"large", "x", "--stays"}).exitCode, 0);
}

}  // namespace
