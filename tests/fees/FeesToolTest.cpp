// The fee settings, the fee book and the statistical office's counts through the database
// tool, on a folder and on the tests' private server: the settings are checked and stored
// all or nothing (BEDS.<room> for any room), the fee book lists the persons of checked-in and
// checked-out stays who arrived in the period, and the counts take only the nights in it.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "TestFolder.h"
#include "ToolRun.h"

using enginetest::Storage;

namespace {

class FeesTool : public ::testing::TestWithParam<Storage> {
protected:
    void SetUp() override
    {
        const enginetest::TestDb db = enginetest::emptyDb(GetParam());
        location = QString::fromStdString(db.location);
        prefix = QString::fromStdString(db.prefix);
        ASSERT_EQ(tool({"init", location}).exitCode, 0);
    }
    void sql(const QString& statement)
    {
        const ToolRun r = tool({"sql", location, QString(statement).replace(QStringLiteral("{db}"), prefix)});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    void stay(int bid, const char* status, const char* from, const char* thru)
    {
        sql(QStringLiteral("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS) "
                           "VALUES (%1, 0, \"101\", \"%2\", \"%3\", \"%4\", 1)").arg(bid).arg(from, thru, status));
    }
    void guest(int bid, const char* surname, const char* citizen, const char* birth, const char* from, const char* thru,
               const char* exempt = "")
    {
        sql(QStringLiteral("INSERT INTO \"{db}HOSTE.DB\" (BID, KID, SURNAME, NAME, DATEBIRTH, CITIZEN, DOCTYPE, DOCNUM, "
                           "ADDRESS, PURPOSE, DATEFROM, DATETHRU, FEEEXEMPT) VALUES (%1, 0, \"%2\", \"Eva\", \"%3\", \"%4\", "
                           "\"P\", \"X123456\", \"Wien\", \"10\", \"%5\", \"%6\", \"%7\")")
                .arg(bid).arg(surname, birth, citizen, from, thru, exempt));
    }
    QString fileText(const QString& path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        return QString::fromUtf8(bytes.mid(3));
    }
    QString location, prefix;
    QTemporaryDir scratch;
};

}  // namespace

TEST_P(FeesTool, FeeSettingsAreCheckedAndStoredAllOrNothing)
{
    const struct {
        QStringList pairs;
        int exitCode;
        const char* said;   // in stdout on success, in stderr otherwise
    } cases[] = {
        {{"FEERATE=21.50", "FEEDAYS=60", "FEEONACCOUNT=1", "BEDS.101=2", "beds.A1=3"}, 0, "FEERATE=21.50\n"},
        {{"FEERATE=50.01"}, 1, "at most 50"},
        {{"FEERATE=21,50"}, 1, "decimal point"},
        {{"FEEDAYS=0"}, 1, "from 1 to 366"},
        {{"FEEONACCOUNT=yes"}, 1, "0 (off) or 1 (on)"},
        {{"NAME=Kept out", "BEDS.102=100"}, 1, "from 0 to 99"},
        {{"BEDS.1234=2"}, 2, "not KEY=VALUE"},
        {{"BEDS.=2"}, 2, "not KEY=VALUE"},
        {{"FEEREASONS=spa;a reason that is far longer than forty characters"}, 1, "longer than 40"},
    };
    for (const auto& c : cases) {
        const ToolRun r = tool(QStringList{"hotel", location} + c.pairs);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.pairs.join(' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE((c.exitCode == 0 ? r.out : r.err).contains(QString::fromUtf8(c.said)))
            << c.pairs.join(' ').toStdString() << r.out.toStdString() << r.err.toStdString();
    }
    const ToolRun shown = tool({"hotel", location});
    for (const char* line : {"FEEDAYS=60\n", "FEEONACCOUNT=1\n", "BEDS.101=2\n", "BEDS.A1=3\n", "NAME=\n"})
        EXPECT_TRUE(shown.out.contains(QString::fromLatin1(line))) << line << shown.out.toStdString();
    EXPECT_FALSE(shown.out.contains(QStringLiteral("BEDS.102")));
}

TEST_P(FeesTool, FeeBookListsTheArrivalsOfStaysLivedIn)
{
    ASSERT_EQ(tool({"hotel", location, "FEERATE=21"}).exitCode, 0);
    stay(1, "O", "28.2.2026", "3.3.2026");
    stay(2, "H", "10.3.2026", "14.3.2026");
    stay(3, "R", "20.3.2026", "22.3.2026");   // a reservation: nobody lived there yet
    stay(4, "O", "31.3.2026", "2.4.2026");
    guest(1, "Before", "AUT", "01.01.1980", "28.2.2026", "3.3.2026");   // arrived before the period
    guest(2, "Adult", "CZE", "01.01.1980", "10.3.2026", "14.3.2026");
    guest(2, "Child", "CZE", "11.03.2009", "10.3.2026", "14.3.2026");
    guest(2, "Early", "DEU", "01.01.1980", "10.3.2026", "12.3.2026");
    guest(2, "Duty", "CZE", "01.01.1980", "11.3.2026", "14.3.2026", "police on duty");
    guest(3, "Reserved", "CZE", "01.01.1980", "20.3.2026", "22.3.2026");
    guest(4, "Last", "POL", "01.01.1980", "31.3.2026", "2.4.2026");
    const QString csv = scratch.filePath(QStringLiteral("fees.csv"));
    const ToolRun r = tool({"fee-book", location, "1.3.2026", "2026-03-31", "--csv", csv});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("5 persons, 15 nights, 168.00 CZK; exempt: 2 persons, 7 nights; written to %1\n").arg(csv));
    EXPECT_EQ(fileText(csv),
              QStringLiteral("arrival;departure;surname;name;address;birth;doctype;docnum;nights;rate;fee;exemption\r\n"
                             "10.03.2026;14.03.2026;Adult;Eva;Wien;01.01.1980;P;X123456;4;21.00;84.00;\r\n"
                             "10.03.2026;14.03.2026;Child;Eva;Wien;11.03.2009;P;X123456;4;21.00;0.00;under 18 on arrival\r\n"
                             "10.03.2026;12.03.2026;Early;Eva;Wien;01.01.1980;P;X123456;2;21.00;42.00;\r\n"
                             "11.03.2026;14.03.2026;Duty;Eva;Wien;01.01.1980;P;X123456;3;21.00;0.00;police on duty\r\n"
                             "31.03.2026;02.04.2026;Last;Eva;Wien;01.01.1980;P;X123456;2;21.00;42.00;\r\n"
                             "total;;;;;;;;15;;168.00;\r\n"));
    // Without --csv the rows go to the screen; wrong calls are refused.
    const ToolRun shown = tool({"fee-book", location, "31.3.2026", "31.3.2026"});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_TRUE(shown.out.endsWith(QStringLiteral("Last;Eva;Wien;01.01.1980;P;X123456;2;21.00;42.00;\ntotal;;;;;;;;2;;42.00;\n")))
        << shown.out.toStdString();
    EXPECT_EQ(tool({"fee-book", location, "1.3.2026", "32.3.2026"}).exitCode, 2);
    EXPECT_EQ(tool({"fee-book", location, "2.3.2026", "1.3.2026"}).exitCode, 2);
    EXPECT_EQ(tool({"fee-book", location, "1.3.2026", "31.3.2026", "--csv"}).exitCode, 2);
    EXPECT_EQ(tool({"fee-book", location, "1.3.2026", "31.3.2026", "--csv", scratch.filePath("no/such/x.csv")}).exitCode, 1);
}

TEST_P(FeesTool, VisitorStatisticsCountTheNightsInThePeriod)
{
    sql(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME) VALUES (\"101\", \"One\")"));
    sql(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME) VALUES (\"102\", \"Two\")"));
    ASSERT_EQ(tool({"hotel", location, "BEDS.101=2", "BEDS.102=3", "BEDS.999=9"}).exitCode, 0);
    stay(1, "O", "28.2.2026", "3.3.2026");
    stay(2, "H", "30.3.2026", "2.4.2026");
    stay(3, "R", "10.3.2026", "12.3.2026");
    guest(1, "A", "CZE", "01.01.1980", "28.2.2026", "3.3.2026");
    guest(2, "B", "DEU", "01.01.1980", "30.3.2026", "2.4.2026");
    guest(2, "C", "DEU", "01.01.2015", "30.3.2026", "1.4.2026");
    guest(3, "D", "GBR", "01.01.1980", "10.3.2026", "12.3.2026");
    const struct {
        const char* period;
        const char* csv;
        const char* facts;
    } cases[] = {
        {"3.2026", "CZE;0;2\r\nDEU;2;4\r\ntotal;2;6\r\n", "1.3.2026 - 31.3.2026: 2 rooms, 5 beds, 31 days open"},
        {"2026-04", "DEU;0;1\r\ntotal;0;1\r\n", "1.4.2026 - 30.4.2026: 2 rooms, 5 beds, 30 days open"},
        {"Q1.2026", "CZE;1;3\r\nDEU;2;4\r\ntotal;3;7\r\n", "1.1.2026 - 31.3.2026: 2 rooms, 5 beds, 90 days open"},
    };
    for (const auto& c : cases) {
        const QString csv = scratch.filePath(QStringLiteral("stats.csv"));
        const ToolRun r = tool({"visitor-statistics", location, c.period, "--csv", csv});
        ASSERT_EQ(r.exitCode, 0) << c.period << r.err.toStdString();
        EXPECT_EQ(fileText(csv), QStringLiteral("country;arrivals;nights\r\n") + QString::fromLatin1(c.csv)) << c.period;
        EXPECT_TRUE(r.out.contains(QString::fromLatin1(c.facts))) << r.out.toStdString();
    }
    EXPECT_EQ(tool({"visitor-statistics", location, "Q5.2026"}).exitCode, 2);
    // An older database says how to add the guest book.
    sql(QStringLiteral("DROP TABLE \"{db}HOSTE.DB\""));
    const ToolRun old = tool({"visitor-statistics", location, "3.2026"});
    EXPECT_EQ(old.exitCode, 1);
    EXPECT_TRUE(old.err.contains(QStringLiteral("tamarel-db upgrade"))) << old.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Storages, FeesTool, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return enginetest::storageName(info.param); });
