// The day's takings through the database tool, on a folder and on the tests' private server:
// only the accounts paid in the period count (open ones and other days do not, nor their
// charges), each with its valid invoice number (a cancelled one only when there is no
// other) and the payer's card; every payment form is totalled (an unknown code as Other, a
// refund lowering it), rates 0 and -1 are one line without VAT, all in exact hundredths; a
// database without the invoices' table shows the takings without numbers; wrong calls are
// refused.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "TestFolder.h"
#include "ToolRun.h"

using enginetest::Storage;

namespace {

class TakingsTool : public ::testing::TestWithParam<Storage> {
protected:
    void SetUp() override
    {
        const enginetest::TestDb db = enginetest::emptyDb(GetParam());
        location = QString::fromStdString(db.location);
        prefix = QString::fromStdString(db.prefix);
        ASSERT_EQ(tool({"init", location}).exitCode, 0);
        for (const char* s : {
                 R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME) VALUES ("Novák", "Jan"))",
                 R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME) VALUES ("Müller;", "Anna"))",
                 R"(INSERT INTO "{db}UCTY.DB" (KID, PKID, FORMPAYM, DATEPAYM, TOTALEUR, TOTALCZK) VALUES (1, 1, "M", "10.12.2026", 40, 1000))",
                 R"(INSERT INTO "{db}UCTY.DB" (KID, PKID, FORMPAYM, DATEPAYM, TOTALEUR, TOTALCZK) VALUES (1, 2, "C", "10.12.2026", 100.5, 2512.5))",
                 R"(INSERT INTO "{db}UCTY.DB" (KID, FORMPAYM, DATEPAYM, TOTALEUR, TOTALCZK) VALUES (2, "B", "9.12.2026", 20, 500))",
                 R"(INSERT INTO "{db}UCTY.DB" (KID, TOTALEUR, TOTALCZK) VALUES (2, 999, 24975))",
                 R"(INSERT INTO "{db}UCTY.DB" (KID, FORMPAYM, DATEPAYM, TOTALEUR, TOTALCZK) VALUES (2, "M", "11.12.2026", 7, 175))",
                 R"(INSERT INTO "{db}UCTY.DB" (KID, FORMPAYM, DATEPAYM, TOTALEUR, TOTALCZK) VALUES (1, "X", "10.12.2026", -5, -125))",
                 R"(INSERT INTO "{db}UCTYPOL.DB" (UID, TAXRATE, AMNTEUR, AMNTCZK) VALUES (6, 0, -5, -125))",
                 R"(INSERT INTO "{db}UCTYPOL.DB" (UID, TAXRATE, AMNTEUR, AMNTCZK) VALUES (1, 12, 40, 1000))",
                 R"(INSERT INTO "{db}UCTYPOL.DB" (UID, TAXRATE, AMNTEUR, AMNTCZK) VALUES (2, 12, 60.5, 1512.5))",
                 R"(INSERT INTO "{db}UCTYPOL.DB" (UID, TAXRATE, AMNTEUR, AMNTCZK) VALUES (2, 21, 40, 1000))",
                 R"(INSERT INTO "{db}UCTYPOL.DB" (UID, TAXRATE, AMNTEUR, AMNTCZK) VALUES (3, -1, 20, 500))",
                 R"(INSERT INTO "{db}UCTYPOL.DB" (UID, TAXRATE, AMNTEUR, AMNTCZK) VALUES (4, 21, 999, 24975))",
                 R"(INSERT INTO "{db}FAKTURY.DB" (INVYEAR, INVSEQ, INVNO, UID) VALUES (2026, 1, "2026-000001", 1))",
                 R"(INSERT INTO "{db}FAKTURY.DB" (INVYEAR, INVSEQ, INVNO, UID, CANCELLED) VALUES (2026, 2, "2026-000002", 2, "10.12.2026"))",
                 R"(INSERT INTO "{db}FAKTURY.DB" (INVYEAR, INVSEQ, INVNO, UID) VALUES (2026, 3, "2026-000003", 2))",
                 R"(INSERT INTO "{db}FAKTURY.DB" (INVYEAR, INVSEQ, INVNO, UID, CANCELLED) VALUES (2026, 4, "2026-000004", 3, "9.12.2026"))"})
            sql(QString::fromUtf8(s));
    }
    void sql(QString statement)
    {
        const ToolRun r = tool({"sql", location, statement.replace(QStringLiteral("{db}"), prefix)});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    // The CSV of the period as text without the byte-order mark and header, one row a line.
    QStringList csv(const QString& from, const QString& thru, QString* out = nullptr)
    {
        const QString file = scratch.filePath(QStringLiteral("takings.csv"));
        const ToolRun r = tool({"takings", location, from, thru, "--csv", file});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (out) *out = r.out;
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF" "date;account;invoice;cancelled;payer;payment;vat;eur;czk\r\n"));
        QStringList rows = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        rows.removeFirst();
        return rows;
    }
    QString location, prefix;
    QTemporaryDir scratch;
};

}  // namespace

TEST_P(TakingsTool, TheDaysTakingsAreThePaidAccountsWithTheirInvoices)
{
    struct Case {
        const char* from;
        const char* thru;
        QStringList rows;
    } cases[] = {
        {"10.12.2026", "2026-12-10",
         {"10.12.2026;1;2026-000001;;Novák Jan;Cash;;40.00;1000.00", "10.12.2026;2;2026-000003;;\"Müller; Anna\";Card;;100.50;2512.50",
          "10.12.2026;6;;;Novák Jan;Other;;-5.00;-125.00", ";;;;Total;Card;;100.50;2512.50",
          ";;;;Total;Cash;;40.00;1000.00", ";;;;Total;Bank transfer;;0.00;0.00", ";;;;Total;Other;;-5.00;-125.00",
          ";;;;Total;;without VAT;-5.00;-125.00", ";;;;Total;;12 %;100.50;2512.50", ";;;;Total;;21 %;40.00;1000.00",
          ";;;;Total;;;135.50;3387.50"}},
        {"9.12.2026", "9.12.2026",
         {"09.12.2026;3;2026-000004;cancelled;\"Müller; Anna\";Bank transfer;;20.00;500.00", ";;;;Total;Card;;0.00;0.00",
          ";;;;Total;Cash;;0.00;0.00", ";;;;Total;Bank transfer;;20.00;500.00", ";;;;Total;Other;;0.00;0.00",
          ";;;;Total;;without VAT;20.00;500.00", ";;;;Total;;;20.00;500.00"}},
        {"1.1.2027", "31.1.2027",
         {";;;;Total;Card;;0.00;0.00", ";;;;Total;Cash;;0.00;0.00", ";;;;Total;Bank transfer;;0.00;0.00",
          ";;;;Total;Other;;0.00;0.00", ";;;;Total;;;0.00;0.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        QString out;
        EXPECT_EQ(csv(QString::fromLatin1(c.from), QString::fromLatin1(c.thru), &out), c.rows);
        EXPECT_TRUE(out.contains(QStringLiteral("The takings are written to"))) << out.toStdString();
    }
    QString out;
    csv(QStringLiteral("9.12.2026"), QStringLiteral("11.12.2026"), &out);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Takings from 9.12.2026 through 11.12.2026: 5 accounts\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("2026-000003"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Total                              162.50      4062.50"))) << out.toStdString();
}

TEST_P(TakingsTool, WithoutTheInvoicesTableTheTakingsShowWithoutNumbers)
{
    sql(QStringLiteral("DROP TABLE \"{db}FAKTURY.DB\""));
    QString out;
    const QStringList rows = csv(QStringLiteral("10.12.2026"), QStringLiteral("10.12.2026"), &out);
    ASSERT_GE(rows.size(), 2);
    EXPECT_EQ(rows[0], QStringLiteral("10.12.2026;1;;;Novák Jan;Cash;;40.00;1000.00"));
    EXPECT_TRUE(out.contains(QStringLiteral("keeps no invoices"))) << out.toStdString();
    if (GetParam() == Storage::Files) EXPECT_FALSE(QFile::exists(prefix + QStringLiteral("FAKTURY.DB")));
}

TEST_P(TakingsTool, WrongCallsAreRefused)
{
    const struct {
        QStringList args;
        int exitCode;
        const char* said;
    } cases[] = {
        {{"takings", location, "10.12.2026"}, 2, "usage:"},
        {{"takings", location, "10.12.2026", "32.12.2026"}, 2, "FROM and THRU are dates"},
        {{"takings", location, "10.12.2026", "9.12.2026"}, 2, "lies before FROM"},
        {{"takings", location, "10.12.2026", "10.12.2026", "--cvs", "x.csv"}, 2, "usage:"},
        {{"takings", location, "10.12.2026", "10.12.2026", "--csv", scratch.filePath("no/such/x.csv")}, 1, "cannot be written"},
        {{"takings", scratch.filePath("nosuch"), "10.12.2026", "10.12.2026"}, 1, "not a database folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        if (GetParam() == Storage::Server && c.args[1] != location) continue;
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.said))) << r.err.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Storages, TakingsTool, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return enginetest::storageName(info.param); });
