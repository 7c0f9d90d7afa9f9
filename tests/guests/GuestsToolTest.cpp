// The guest book through the database tool, on a folder and on the tests' private server:
// a database made before the guest book's tables goes on working (copy, backup, the old
// tables) and says how to add them; upgrade adds exactly those; the hotel's details are set
// all or nothing; the police file is refused, or written and only then marks its guests
// reported.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sqlite3.h>

#include "SpanIndex.h"

#include "TestFolder.h"
#include "ToolRun.h"

using enginetest::Storage;

namespace {

class GuestsTool : public ::testing::TestWithParam<Storage> {
protected:
    void SetUp() override
    {
        const enginetest::TestDb db = enginetest::emptyDb(GetParam());
        location = QString::fromStdString(db.location);
        prefix = QString::fromStdString(db.prefix);
        ASSERT_EQ(tool({"init", location}).exitCode, 0);
    }
    // One statement; the rows it returns as tab-separated lines without the heading.
    QStringList sql(const QString& statement)
    {
        const ToolRun r = tool({"sql", location, QString(statement).replace(QStringLiteral("{db}"), prefix)});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!lines.isEmpty()) lines.removeFirst();
        return lines;
    }
    QString location, prefix;
    QTemporaryDir scratch;
};

const QStringList kHotel = {"NAME=Hotel Pošta", "CONTACT=Jan Sibelius, tel: 261 197 135", "DISTRICT=Strakonice",
                            "MUNICIPALITY=Vodňany", "PART=Vodňany I", "STREET=Alešova", "HOUSENO=26",
                            "POSTCODE=38901", "IDUB=123456789012", "ABBREV=VODPO"};

}  // namespace

// A stays' file written without the span index (another program, an old archive) gets it
// from upgrade, which says so; a second upgrade finds nothing to do.
TEST(GuestsToolFiles, UpgradeBuildsTheStaysIndexWhenMissing)
{
    const enginetest::TestDb db = enginetest::emptyDb(Storage::Files);
    const QString folder = QString::fromStdString(db.location);
    ASSERT_EQ(tool({"init", folder}).exitCode, 0);
    const std::string stays = db.prefix + "POBYTY.DB";
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(stays.c_str(), &raw), SQLITE_OK);
    for (const char* sql : {"DROP TRIGGER POBYTY_interval_insert", "DROP TRIGGER POBYTY_interval_update",
                            "DROP TRIGGER POBYTY_interval_delete", "DROP TABLE POBYTY_interval"})
        EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(raw);
    ASSERT_TRUE(engine::spanIndexMissing(stays));
    const ToolRun up = tool({"upgrade", folder});
    ASSERT_EQ(up.exitCode, 0) << up.err.toStdString();
    EXPECT_EQ(up.out, QStringLiteral("The stays' index built\n"));
    EXPECT_FALSE(engine::spanIndexMissing(stays));
    EXPECT_TRUE(tool({"upgrade", folder}).out.contains(QStringLiteral("nothing changed")));
}

TEST_P(GuestsTool, AnOldDatabaseWorksAndUpgradeAddsOnlyTheMissingTables)
{
    sql(QStringLiteral("DROP TABLE \"{db}HOSTE.DB\""));
    sql(QStringLiteral("DROP TABLE \"{db}NASTAVENI.DB\""));
    sql(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME) VALUES (\"101\", \"Blue\")"));

    for (const QStringList& args : {QStringList{"hotel", location}, QStringList{"police-report", location, "1.1.2026", "31.1.2026", scratch.filePath("x.unl")}}) {
        const ToolRun r = tool(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("not set up"))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("tamarel-db upgrade"))) << r.err.toStdString();
    }
    // The old database copies and backs up as it is.
    const QString copyFolder = scratch.filePath(QStringLiteral("copy"));
    const ToolRun copied = tool({"copy", location, copyFolder});
    ASSERT_EQ(copied.exitCode, 0) << copied.err.toStdString();
    EXPECT_FALSE(copied.out.contains(QStringLiteral("HOSTE")));
    EXPECT_TRUE(QFile::exists(copyFolder + QStringLiteral("/POKOJE.DB")));
    EXPECT_FALSE(QFile::exists(copyFolder + QStringLiteral("/HOSTE.DB")));
    const ToolRun backedUp = tool({"backup", location, scratch.filePath(QStringLiteral("old.tmb"))});
    ASSERT_EQ(backedUp.exitCode, 0) << backedUp.err.toStdString();

    const ToolRun up = tool({"upgrade", location});
    ASSERT_EQ(up.exitCode, 0) << up.err.toStdString();
    EXPECT_EQ(up.out, QStringLiteral("HOSTE.DB created\nNASTAVENI.DB created\n2 tables added to %1\n").arg(location));
    EXPECT_EQ(sql(QStringLiteral("SELECT PID, PNAME FROM \"{db}POKOJE.DB\"")), QStringList{"101\tBlue"});
    EXPECT_EQ(sql(QStringLiteral("SELECT COUNT(*) AS N FROM \"{db}HOSTE.DB\"")), QStringList{"0"});
    const ToolRun again = tool({"upgrade", location});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.out.contains(QStringLiteral("nothing changed"))) << again.out.toStdString();
    EXPECT_EQ(tool({"hotel", location}).exitCode, 0);
    EXPECT_EQ(tool({"upgrade", scratch.filePath(QStringLiteral("nosuch"))}).exitCode, 1);   // no folder is made

    // Upgraded, the database copies and backs up with its new tables (more than one change
    // of table files can span), and the archive restores.
    sql(QStringLiteral("INSERT INTO \"{db}HOSTE.DB\" (BID, SURNAME) VALUES (1, \"Kept\")"));
    const QString newCopy = scratch.filePath(QStringLiteral("copy2"));
    const ToolRun copiedAgain = tool({"copy", location, newCopy});
    ASSERT_EQ(copiedAgain.exitCode, 0) << copiedAgain.err.toStdString();
    EXPECT_TRUE(copiedAgain.out.contains(QStringLiteral("HOSTE.DB 1 rows"))) << copiedAgain.out.toStdString();
    const QString archive = scratch.filePath(QStringLiteral("new.tmb"));
    const ToolRun backedUpAgain = tool({"backup", location, archive});
    ASSERT_EQ(backedUpAgain.exitCode, 0) << backedUpAgain.err.toStdString();
    sql(QStringLiteral("DELETE FROM \"{db}HOSTE.DB\""));
    const ToolRun restored = tool({"restore", location, archive});
    ASSERT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    EXPECT_EQ(sql(QStringLiteral("SELECT SURNAME FROM \"{db}HOSTE.DB\"")), QStringList{"Kept"});
}

TEST_P(GuestsTool, HotelDetailsAreSetAllOrNothing)
{
    ToolRun r = tool(QStringList{"hotel", location} + kHotel);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("NAME=Hotel Pošta\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("IDUB=123456789012\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("ORIENTNO=\n")));

    r = tool({"hotel", location, "NAME=Other", "IDUB=123"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("IDUB"))) << r.err.toStdString();
    r = tool({"hotel", location, "COLOUR=red"});
    EXPECT_EQ(r.exitCode, 2);
    r = tool({"hotel", location, "CONTACT="});   // an empty value removes the key
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("NAME=Hotel Pošta\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("CONTACT=\n")));
    EXPECT_EQ(sql(QStringLiteral("SELECT COUNT(*) AS N FROM \"{db}NASTAVENI.DB\"")), QStringList{"9"});
}

TEST_P(GuestsTool, PoliceReportMarksGuestsReportedOnlyWhenTheFileIsWritten)
{
    ASSERT_EQ(tool(QStringList{"hotel", location} + kHotel).exitCode, 0);
    const QString insert = QStringLiteral(
        "INSERT INTO \"{db}HOSTE.DB\" (BID, KID, SURNAME, NAME, DATEBIRTH, CITIZEN, DOCTYPE, DOCNUM, ADDRESS, PURPOSE, "
        "DATEFROM, DATETHRU) VALUES (1, 0, \"%1\", \"%2\", \"%3\", \"%4\", \"P\", \"%5\", \"\", \"10\", \"%6\", \"%7\")");
    sql(insert.arg("Novák", "Jan", "01.01.1980", "CZE", "", "10.1.2026", "12.1.2026"));
    sql(insert.arg("Müller", "Anna", "00.00.1975", "DEU", "C1234567", "10.1.2026", "12.1.2026"));
    sql(insert.arg("Smith", "John", "04.07.1976", "GBR", "", "31.1.2026", "2.2.2026"));      // no document yet
    sql(insert.arg("Early", "Eve", "01.02.1990", "AUT", "P998877", "31.12.2025", "2.1.2026"));  // arrived before
    const QString unl = scratch.filePath(QStringLiteral("report.unl"));
    auto reported = [&] { return sql(QStringLiteral("SELECT SURNAME FROM \"{db}HOSTE.DB\" WHERE REPORTED IS NOT NULL ORDER BY SURNAME")); };

    ToolRun r = tool({"police-report", location, "1.1.2026", "2026-01-31", unl});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("SMITH John: document number missing"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(unl));
    EXPECT_TRUE(reported().isEmpty());

    sql(QStringLiteral("UPDATE \"{db}HOSTE.DB\" SET DOCNUM=\"123456789\" WHERE SURNAME=\"Smith\""));
    r = tool({"police-report", location, "1.1.2026", "31.1.2026", scratch.filePath(QStringLiteral("no/such/folder/x.unl"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(reported().isEmpty());

    r = tool({"police-report", location, "01.01.2026", "31.1.2026", unl});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile f(unl);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);   // A, two U lines, and nothing after the last CR LF
    EXPECT_TRUE(lines[0].startsWith("A|2|123456789012|VODPO|Hotel Po\x9Ata|"));
    EXPECT_EQ(lines[1], QByteArray("U|10.01.2026|12.01.2026|M\xDCLLER|ANNA||00.00.1975|||DEU||C1234567||10||\r"));
    EXPECT_EQ(lines[2], QByteArray("U|31.01.2026|02.02.2026|SMITH|JOHN||04.07.1976|||GBR||123456789||10||\r"));
    EXPECT_EQ(reported(), (QStringList{"Müller", "Smith"}));

    r = tool({"police-report", location, "1.1.2026", "31.1.2026", scratch.filePath(QStringLiteral("again.unl"))});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("No foreign guest"))) << r.out.toStdString();
    r = tool({"police-report", location, "1.1.2026", "31.1.2026", scratch.filePath(QStringLiteral("all.unl")), "--all"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("2 guests written"))) << r.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Storages, GuestsTool, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return enginetest::storageName(info.param); });
