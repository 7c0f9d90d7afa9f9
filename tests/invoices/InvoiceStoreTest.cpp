// The invoices' table on files and on the server: numbers given at closing (in the closing's
// change, per year, none for a refused closing), two desks closing at once, and a restore of
// an older backup that must not give a number again.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "TestFolder.h"
#include "backup/Archive.h"
#include "backup/ServerArchive.h"
#include "invoices/InvoiceStore.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

using enginetest::Storage;
using namespace invoices;

namespace {

class InvoiceStoreTest : public ::testing::TestWithParam<Storage> {
protected:
    void SetUp() override
    {
        m_test = enginetest::filledDb(GetParam());
        m_db = std::make_unique<engine::Database>(m_test.location);
        m_prefix = QString::fromStdString(m_test.prefix);
    }

    // A closing of the account on the day: the account row and its invoice, or a refusal.
    QString close(engine::Database& db, int uid, const QDate& day, bool refuse = false)
    {
        Invoice inv;
        inv.uid = uid;
        inv.issued = inv.taxDay = day;
        inv.recap = vatRecap({{21, 12100}});
        inv.paymentForm = QLatin1Char('M');
        const QString update = shell::Sql(u"UPDATE %1 SET DATEPAYM=%2 WHERE UID=%3", shell::Table(m_prefix, u"UCTY.DB"),
                                          shell::QuoteText(day.toString(QStringLiteral("d.M.yyyy"))), uid);
        try {
            issueInNewChange(db, m_prefix, {QStringLiteral("UCTY.DB"), QStringLiteral("FAKTURY.DB")},
                             [&](engine::Change& change) {
                                 change.execute(update.toStdString());
                                 if (refuse) throw engine::Error("refused");
                             },
                             QStringLiteral("HV"), inv);
        } catch (const engine::Error&) {
            return QStringLiteral("refused");
        }
        return inv.number;
    }

    QStringList rows(const char* sql)
    {
        auto q = m_db->open(shell::Sql(QString::fromUtf8(sql), shell::Table(m_prefix, u"FAKTURY.DB")).toStdString());
        QStringList out;
        while (q->next()) {
            QStringList fields;
            for (size_t i = 0; i < q->fields().size(); ++i) fields << QString::fromStdString(q->text(int(i)));
            out << fields.join(QLatin1Char('|'));
        }
        return out;
    }

    enginetest::TestDb m_test;
    std::unique_ptr<engine::Database> m_db;
    QString m_prefix;
};

TEST_P(InvoiceStoreTest, givesEachYearAnUnbrokenSeriesAndARefusedClosingNoNumber)
{
    const struct {
        int uid;
        QDate day;
        bool refuse;
        const char* number;
    } steps[] = {
        {1, QDate(2026, 12, 30), false, "HV2026-000001"}, {2, QDate(2026, 12, 31), true, "refused"},
        {2, QDate(2026, 12, 31), false, "HV2026-000002"}, {1, QDate(2027, 1, 1), false, "HV2027-000001"},
        {2, QDate(2026, 12, 31), false, "HV2026-000003"},
    };
    for (const auto& s : steps) EXPECT_EQ(close(*m_db, s.uid, s.day, s.refuse).toStdString(), s.number);
    EXPECT_EQ(rows("SELECT INVNO, UID, DATEISSUE, TOTAL, VATRATE1, BASE1, TAX1 FROM %1 ORDER BY INVYEAR, INVSEQ"),
              (QStringList{"HV2026-000001|1|30.12.2026|121|21|100|21", "HV2026-000002|2|31.12.2026|121|21|100|21",
                           "HV2026-000003|2|31.12.2026|121|21|100|21", "HV2027-000001|1|1.1.2027|121|21|100|21"}));
    // The refused closing wrote nothing of its account either.
    auto q = m_db->open(shell::Sql(u"SELECT DATEPAYM FROM %1 WHERE UID=2", shell::Table(m_prefix, u"UCTY.DB")).toStdString());
    ASSERT_TRUE(q->next());
    EXPECT_EQ(q->text(0), "31.12.2026");
}

TEST_P(InvoiceStoreTest, twoDesksClosingAtOnceNeverShareANumber)
{
    constexpr int kEach = 8;
    QStringList numbers[2];
    std::thread desks[2];
    for (int d = 0; d < 2; ++d)
        desks[d] = std::thread([&, d] {
            engine::Database desk(m_test.location);
            for (int i = 0; i < kEach; ++i) numbers[d] << close(desk, d + 1, QDate(2026, 12, 10));
        });
    for (std::thread& t : desks) t.join();
    QStringList all = numbers[0] + numbers[1];
    all.sort();
    QStringList expected;
    for (int i = 1; i <= 2 * kEach; ++i) expected << invoiceNumber(QStringLiteral("HV"), 2026, i);
    EXPECT_EQ(all, expected);
}

TEST_P(InvoiceStoreTest, aRestoredOlderBackupKeepsTheNumbersGivenSince)
{
    close(*m_db, 1, QDate(2026, 12, 1));
    close(*m_db, 2, QDate(2026, 12, 2));
    QTemporaryDir dir;
    const std::string archive = (dir.path() + QStringLiteral("/older.tmb")).toStdString();
    if (GetParam() == Storage::Files) backup::writeArchive(m_test.location, archive, {});
    else backup::writeServerArchive(*m_db, QString::fromStdString(m_test.location), archive, {});
    close(*m_db, 1, QDate(2026, 12, 3));
    close(*m_db, 2, QDate(2026, 12, 4));
    QStringList kept;
    QString failure;
    backup::restoreDatabaseArchive(archive, *m_db, m_prefix.isEmpty() ? QString::fromStdString(m_test.location) : m_prefix,
                                   {}, [this] { m_db->releaseTables(); }, &kept, &failure);
    EXPECT_EQ(failure, QString());
    EXPECT_EQ(kept, (QStringList{"HV2026-000003", "HV2026-000004"}));
    EXPECT_EQ(close(*m_db, 1, QDate(2026, 12, 5)), QStringLiteral("HV2026-000005"));
    EXPECT_EQ(rows("SELECT INVNO, CANCELREASON FROM %1 ORDER BY INVSEQ"),
              (QStringList{"HV2026-000001|", "HV2026-000002|", "HV2026-000003|Not in the restored backup",
                           "HV2026-000004|Not in the restored backup", "HV2026-000005|"}));
    // A second restore of the same backup keeps them again, once each.
    backup::restoreDatabaseArchive(archive, *m_db, m_prefix.isEmpty() ? QString::fromStdString(m_test.location) : m_prefix,
                                   {}, [this] { m_db->releaseTables(); }, &kept, &failure);
    EXPECT_EQ(kept, (QStringList{"HV2026-000003", "HV2026-000004", "HV2026-000005"}));
    EXPECT_EQ(rows("SELECT COUNT(*) FROM %1 WHERE CANCELLED IS NOT NULL"), QStringList{"3"});
}

INSTANTIATE_TEST_SUITE_P(Storages, InvoiceStoreTest, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return enginetest::storageName(info.param); });

}  // namespace
