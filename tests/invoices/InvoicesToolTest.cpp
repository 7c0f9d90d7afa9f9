// The accountant's list of a month's invoices through the database tool, on a folder and on
// the tests' private server: that month's invoices, cancelled ones too, and clear refusals.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "TestFolder.h"
#include "ToolRun.h"

using enginetest::Storage;

namespace {

class InvoicesTool : public ::testing::TestWithParam<Storage> {
protected:
    void SetUp() override
    {
        const enginetest::TestDb db = enginetest::emptyDb(GetParam());
        location = QString::fromStdString(db.location);
        prefix = QString::fromStdString(db.prefix);
        ASSERT_EQ(tool({"init", location}).exitCode, 0);
    }
    void invoice(int seq, const char* issued, const char* cancelled)
    {
        const QString sql = QStringLiteral(
            "INSERT INTO \"%1FAKTURY.DB\" (INVYEAR, INVSEQ, INVNO, UID, DATEISSUE, DATETAX, BUYER, ICO, CURRENCY, "
            "VATRATE1, BASE1, TAX1, TOTAL1, TAXCZK1, NOVAT, TOTAL, FORMPAYM, CANCELLED) VALUES (2026, %2, \"2026-%3\", %2, "
            "\"%4\", \"%4\", \"Lipa s.r.o.\", \"25596641\", \"CZK\", 12, 100, 12, 112, 12, 0, 112, \"M\", %5)")
                                .arg(prefix, QString::number(seq), QString::number(seq).rightJustified(6, QLatin1Char('0')),
                                     QString::fromUtf8(issued),
                                     cancelled ? QStringLiteral("\"%1\"").arg(QString::fromUtf8(cancelled)) : QStringLiteral("NULL"));
        const ToolRun r = tool({"sql", location, sql});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    QString location, prefix;
    QTemporaryDir scratch;
};

TEST_P(InvoicesTool, listsTheInvoicesOfAMonthForTheAccountant)
{
    invoice(1, "30.11.2026", nullptr);
    invoice(2, "1.12.2026", nullptr);
    invoice(3, "31.12.2026", "31.12.2026");
    const QString csv = scratch.filePath(QStringLiteral("december.csv"));
    const struct {
        QStringList args;
        int exitCode;
        const char* out;
    } cases[] = {
        {{"2026-12", "--csv", csv}, 0, "2 invoices written to "},
        {{"12.2026", "--csv", csv}, 0, "2 invoices written to "},
        {{"13.2026", "--csv", csv}, 2, ""},
        {{"2026-12", csv}, 2, ""},
        {{"2026-12", "--csv", scratch.filePath(QStringLiteral("no/such/folder.csv"))}, 1, ""},
    };
    for (const auto& c : cases) {
        const ToolRun r = tool(QStringList{"invoices", location} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_EQ(r.out.left(qsizetype(strlen(c.out))), QString::fromUtf8(c.out)) << r.out.toStdString();
    }
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral("2026-000002;1.12.2026;1.12.2026;;Lipa s.r.o.;25596641;;CZK;;100.00;12.00;12.00;0.00;112.00;M;;"));
    EXPECT_EQ(lines[2], QStringLiteral("2026-000003;31.12.2026;31.12.2026;;Lipa s.r.o.;25596641;;CZK;;100.00;12.00;12.00;0.00;112.00;M;31.12.2026;"));
}

INSTANTIATE_TEST_SUITE_P(Storages, InvoicesTool, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return enginetest::storageName(info.param); });

}  // namespace
