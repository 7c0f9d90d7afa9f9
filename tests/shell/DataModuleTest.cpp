// The shared lookups against a temporary database folder with the ten real table files:
// price proposals, exchange rates, single-row lookups, list fills, and the helpers.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QMessageBox>
#include <QTemporaryDir>

#include "data/TableFiles.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace {

int day(int d, int m, int y) { return shell::NumberFromDate(QDate(y, m, d)); }

class DataModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_dm = std::make_unique<TdmDataModule>(m_dir.path());
        data::createTables(m_dm->db(), m_dir.path());
    }

    void exec(const QString& sql)
    {
        QString s = sql;
        s.replace(QStringLiteral("{db}"), m_dm->DbPrefix());
        ASSERT_TRUE(m_dm->ExecStatement(s)) << s.toStdString() << "\n" << m_dm->lastError().toStdString();
    }

    void room(const QString& pid, const QString& name, double price, double maid)
    {
        exec(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PPRICE, MAIDPRICE, PCOLOR, PMETR) "
                            "VALUES (%1, %2, %3, %4, 255, 18.5)")
                 .arg(shell::QuoteText(pid), shell::QuoteText(name)).arg(price).arg(maid));
    }

    void price(const QString& pid, const QString& from, double price, double maid)
    {
        exec(QStringLiteral("INSERT INTO \"{db}POKCENY.DB\" (PID, DATEFROM, PPRICE, MAIDPRICE) VALUES (%1, %2, %3, %4)")
                 .arg(shell::QuoteText(pid), shell::QuoteText(from)).arg(price).arg(maid));
    }

    void rate(const QString& date, const QString& currency, double crr)
    {
        exec(QStringLiteral("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (%1, %2, %3)")
                 .arg(shell::QuoteText(date), shell::QuoteText(currency)).arg(crr));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
};

TEST_F(DataModuleTest, ProposeRoomPriceWithoutDatedPricesUsesTheRoomDefaults)
{
    room("1", "Single", 50, 7);
    double total = -1, maid = -1;
    ASSERT_TRUE(m_dm->ProposeRoomPrice("Single", day(13, 3, 2004), day(16, 3, 2004), total, maid));
    EXPECT_DOUBLE_EQ(total, 150);
    EXPECT_DOUBLE_EQ(maid, 21);
}

TEST_F(DataModuleTest, ProposeRoomPriceWalksTheDatedPrices)
{
    room("2", "Double", 50, 5);
    room("3", "Twin", 50, 5);
    room("4", "Suite", 50, 5);
    price("2", "1.3.2004", 60, 6);
    price("2", "15.3.2004", 80, 8);
    price("3", "15.3.2004", 80, 8);
    // Several rows before the stay: only the latest of them counts.
    price("4", "1.1.2004", 10, 1);
    price("4", "1.2.2004", 20, 2);
    price("4", "01.03.2004", 30, 3);
    price("4", "14.3.2004", 40, 4);
    price("4", "20.3.2004", 99, 9);   // after the departure
    const struct { const char* room; double total, maid; } cases[] = {
        {"Double", 280, 28},   // 60 + 60 + 80 + 80
        {"Twin", 160, 16},     // 13 and 14 March have no price
        {"Suite", 150, 15},    // 30 + 40 + 40 + 40
    };
    for (const auto& c : cases) {
        double total = -1, maid = -1;
        ASSERT_TRUE(m_dm->ProposeRoomPrice(c.room, day(13, 3, 2004), day(17, 3, 2004), total, maid)) << c.room;
        EXPECT_DOUBLE_EQ(total, c.total) << c.room;
        EXPECT_DOUBLE_EQ(maid, c.maid) << c.room;
    }
}

TEST_F(DataModuleTest, ProposeRoomPriceOfAnUnknownRoomIsRefused)
{
    double total = -1, maid = -1;
    EXPECT_FALSE(m_dm->ProposeRoomPrice("Nowhere", day(13, 3, 2004), day(17, 3, 2004), total, maid));
    EXPECT_EQ(total, 0);
    EXPECT_EQ(maid, 0);
}

TEST_F(DataModuleTest, ProposeRoomPriceRefusesMoreDatedRowsThanItsTableHolds)
{
    room("5", "Busy", 50, 5);
    for (int i = 0; i < 120; ++i) price("5", shell::DateText(day(1, 1, 2004) + i), 1, 0);
    double total = -1, maid = -1;
    EXPECT_TRUE(m_dm->ProposeRoomPrice("Busy", day(1, 1, 2004), day(1, 1, 2004) + 50, total, maid));
    EXPECT_DOUBLE_EQ(total, 50);
    EXPECT_FALSE(m_dm->ProposeRoomPrice("Busy", day(1, 1, 2004), day(1, 1, 2004) + 115, total, maid));
}

TEST_F(DataModuleTest, CurrentRate)
{
    EXPECT_EQ(m_dm->CurrentRate("5.3.2004"), -1);   // no rates at all
    EXPECT_EQ(m_dm->CurrentRate(""), -1);
    rate("1.3.2004", "EUR", 25.10);
    rate("10.3.2004", "EUR", 25.40);
    EXPECT_DOUBLE_EQ(m_dm->CurrentRate("5.3.2004"), 25.10);
    EXPECT_DOUBLE_EQ(m_dm->CurrentRate("05.03.2004"), 25.10);
    EXPECT_DOUBLE_EQ(m_dm->CurrentRate("10.3.2004"), 25.40);
    EXPECT_DOUBLE_EQ(m_dm->CurrentRate(""), 25.40);
    EXPECT_EQ(m_dm->CurrentRate("28.2.2004"), -1);
    rate("10.3.2004", "USD", 21.00);   // two currencies on the latest date
    EXPECT_EQ(m_dm->CurrentRate(""), -1);
    EXPECT_DOUBLE_EQ(m_dm->CurrentRate("9.3.2004"), 25.10);
}

TEST_F(DataModuleTest, FindAcctTypeMatchesNamesAsSubstrings)
{
    exec(R"(INSERT INTO "{db}UCPODEF.DB" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, "Accomodation", 10, -1))");
    exec(R"(INSERT INTO "{db}UCPODEF.DB" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (2, "Maid service", 20, -1))");
    exec(R"(INSERT INTO "{db}UCPODEF.DB" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (3, "Minibar", 20, 10))");
    const TTableAcctTypes maid = m_dm->FindAcctType("UPNAME", "Maid");
    ASSERT_TRUE(maid.found);
    EXPECT_EQ(maid.UPNAME, "Maid service");
    EXPECT_EQ(maid.UPID, 2);
    EXPECT_EQ(maid.UPTAX1, 20);
    EXPECT_EQ(maid.UPTAX2, -1);
    EXPECT_FALSE(m_dm->FindAcctType("UPNAME", "i").found);      // several names contain it
    EXPECT_FALSE(m_dm->FindAcctType("UPNAME", "maid").found);   // like is case-sensitive
    const TTableAcctTypes first = m_dm->FindAcctType("UPID", "1");
    ASSERT_TRUE(first.found);
    EXPECT_EQ(first.UPNAME, "Accomodation");
    EXPECT_FALSE(m_dm->FindAcctType("UPID=1 OR UPID", "2").found);   // not a field name
}

TEST_F(DataModuleTest, FindClientByKeyAndByName)
{
    exec(R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME, CITY, DATEBIRTH, KNOWSFROM) VALUES ("Dvořák", "Antonín", "Plzeň", "5.3.1960", "R"))");
    exec(R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME, DATEBIRTH) VALUES ("O'Brien", "Patrick", null))");
    exec(R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME) VALUES ("Say ""Hi"" Ltd", "Jo"))");
    const TTableClients second = m_dm->FindClient("KID", "2");
    ASSERT_TRUE(second.found);
    EXPECT_EQ(second.KID, 2);
    EXPECT_EQ(second.SURNAME, "O'Brien");
    EXPECT_EQ(second.DATEBIRTH, "");
    EXPECT_EQ(second.KNOWSFROM, QChar(' '));
    const TTableClients first = m_dm->FindClient("SURNAME", "Dvořák");
    ASSERT_TRUE(first.found);
    EXPECT_EQ(first.KID, 1);
    EXPECT_EQ(first.DATEBIRTH, "5.3.1960");
    EXPECT_EQ(first.KNOWSFROM, QChar('R'));
    EXPECT_EQ(first.CITY, "Plzeň");
    // A double quote inside the value is part of the value, not the end of the literal.
    const TTableClients quoted = m_dm->FindClient("SURNAME", "Say \"Hi\" Ltd");
    ASSERT_TRUE(quoted.found);
    EXPECT_EQ(quoted.KID, 3);
    EXPECT_FALSE(m_dm->FindClient("KID", "9").found);
}

TEST_F(DataModuleTest, FindRoomAndRoomList)
{
    room("2", "Double", 60, 8);
    room("1", "Single", 45, 6);
    const TTableRooms r = m_dm->FindRoom("PNAME", "Double");
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.PID, "2");
    EXPECT_DOUBLE_EQ(r.PPRICE, 60);
    EXPECT_DOUBLE_EQ(r.PMETR, 18.5);
    EXPECT_EQ(r.PCOLOR, 255);
    EXPECT_FALSE(m_dm->FindRoom("PNAME", "double").found);
    QStringList list{"stale"};
    m_dm->FillRoomCombo(list, true);
    EXPECT_EQ(list, (QStringList{"* All rooms *", "Single", "Double"}));
    m_dm->FillRoomCombo(list, false);
    EXPECT_EQ(list, (QStringList{"Single", "Double"}));
}

TEST_F(DataModuleTest, ListFills)
{
    exec(R"(INSERT INTO "{db}ODKUDVI.DB" (FID, FDESCR) VALUES ("I", "Internet"))");
    exec(R"(INSERT INTO "{db}ODKUDVI.DB" (FID, FDESCR) VALUES ("A", "Agency"))");
    exec(R"(INSERT INTO "{db}KARTY.DB" (SURNAME, AGENCY) VALUES ("a", "Invia"))");
    exec(R"(INSERT INTO "{db}KARTY.DB" (SURNAME, AGENCY) VALUES ("b", "Čedok"))");
    exec(R"(INSERT INTO "{db}KARTY.DB" (SURNAME, AGENCY) VALUES ("c", "Invia"))");
    exec(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, STATUS, BOOKEDFOR, UID) VALUES (0, "1", "X", "Painting", 0))");
    exec(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, STATUS, BOOKEDFOR, UID) VALUES (0, "2", "X", "Painting", 0))");
    exec(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, STATUS, BOOKEDFOR) VALUES (0, "2", "P", "Guest"))");
    QStringList list;
    m_dm->FillKnowsFromCombo(list);
    EXPECT_EQ(list, (QStringList{"A - Agency", "I - Internet"}));
    m_dm->FillAgencyCombo(list);
    EXPECT_EQ(list, (QStringList{"Čedok", "Invia"}));
    m_dm->FillReasonCombo(list);
    EXPECT_EQ(list, (QStringList{"Painting"}));
}

TEST_F(DataModuleTest, StatementOperationsCountAndReportFailures)
{
    room("1", "Single", 45, 6);
    room("2", "Double", 60, 8);
    EXPECT_TRUE(m_dm->ExecStatement(QStringLiteral("UPDATE \"%1POKOJE.DB\" SET PPRICE=70").arg(m_dm->DbPrefix())));
    EXPECT_EQ(m_dm->lastCount(), 2);
    EXPECT_TRUE(m_dm->OpenAndCount(QStringLiteral("SELECT * FROM \"%1POKOJE.DB\" WHERE PPRICE=70").arg(m_dm->DbPrefix())));
    EXPECT_EQ(m_dm->lastCount(), 2);
    EXPECT_TRUE(m_dm->lastError().isEmpty());
    EXPECT_FALSE(m_dm->OpenAndCount(QStringLiteral("SELECT NOSUCH FROM \"%1POKOJE.DB\"").arg(m_dm->DbPrefix())));
    EXPECT_EQ(m_dm->lastCount(), -1);
    EXPECT_FALSE(m_dm->lastError().isEmpty());
    EXPECT_FALSE(m_dm->ExecStatement(QStringLiteral("DELETE FROM \"%1MISSING.DB\"").arg(m_dm->DbPrefix())));
    EXPECT_EQ(m_dm->lastCount(), -1);
    EXPECT_FALSE(m_dm->lastError().isEmpty());
}

TEST_F(DataModuleTest, ExecComposedLandsAllStatementsOrNone)
{
    room("1", "Single", 45, 6);
    rate("1.3.2004", "EUR", 25);
    const QString db = m_dm->DbPrefix();
    const auto rooms = [&] { return m_dm->FindRoom(QStringLiteral("PID"), QStringLiteral("1")).PPRICE; };
    const auto rates = [&] { return m_dm->CurrentRate(QStringLiteral("5.3.2004")); };

    EXPECT_FALSE(m_dm->ExecComposed({
        QStringLiteral("UPDATE \"%1POKOJE.DB\" SET PPRICE=50").arg(db),
        QStringLiteral("UPDATE \"%1kurzy.db\" SET CRR=26").arg(db),
        QStringLiteral("INSERT INTO \"%1POKOJE.DB\" (PID) VALUES (\"1\")").arg(db),
    }));
    EXPECT_EQ(m_dm->lastCount(), -1);
    EXPECT_TRUE(m_dm->lastError().contains(QStringLiteral("Key violation"))) << m_dm->lastError().toStdString();
    EXPECT_EQ(rooms(), 45);
    EXPECT_EQ(rates(), 25);

    EXPECT_TRUE(m_dm->ExecComposed({
        QStringLiteral("UPDATE \"%1POKOJE.DB\" SET PPRICE=50").arg(db),
        QStringLiteral("INSERT INTO \"%1POKOJE.DB\" (PID) VALUES (\"2\"), (\"3\")").arg(db),
        QStringLiteral("UPDATE \"%1kurzy.db\" SET CRR=26 WHERE CRCD=\"EUR\"").arg(db),
    })) << m_dm->lastError().toStdString();
    EXPECT_EQ(m_dm->lastCount(), 1);
    EXPECT_TRUE(m_dm->lastError().isEmpty());
    EXPECT_EQ(rooms(), 50);
    EXPECT_EQ(rates(), 26);
    EXPECT_TRUE(m_dm->OpenAndCount(QStringLiteral("SELECT * FROM \"%1POKOJE.DB\"").arg(db)));
    EXPECT_EQ(m_dm->lastCount(), 3);
}

TEST(ShellHelpers, TextConversions)
{
    EXPECT_EQ(shell::TwoDigits(7), "07");
    EXPECT_EQ(shell::TwoDigits(123), "123");
    EXPECT_EQ(shell::PadTwo(""), "00");
    EXPECT_EQ(shell::PadTwo("5"), "05");
    EXPECT_EQ(shell::TrimLeft("  \tab c "), "ab c ");
    EXPECT_EQ(shell::HexByte(0x0A), "0A");
    EXPECT_EQ(shell::HexByte(0xF8), "F8");
    EXPECT_EQ(shell::PercentEncode("Room 5"), "Room%205");
    EXPECT_EQ(shell::PercentEncode("Dvořák & co."), "Dvo%F8%E1k%20%26%20co%2E");
}

TEST(ShellHelpers, ReplaceAllRepeatsFromTheStart)
{
    const struct { const char* text; const char* search; const char* repl; const char* out; } cases[] = {
        {"a\r\nb\r\nc", "\r\n", "\xC3\xBF", "a\xC3\xBF" "b\xC3\xBF" "c"},
        {"aaaa", "aa", "a", "a"},            // a replacement can form a new occurrence
        {"xaab", "ab", "b", "xb"},
        {"abc", "", "z", "abc"},
        {"ab", "b", "bb", "abb"},            // replacement holding the search text: one pass
    };
    for (const auto& c : cases)
        EXPECT_EQ(shell::ReplaceAll(QString::fromUtf8(c.text), QString::fromUtf8(c.search), QString::fromUtf8(c.repl)),
                  QString::fromUtf8(c.out)) << c.text;
}

TEST(ShellHelpers, SelectComboItemSelectsTheLastEqualItem)
{
    QComboBox box;
    box.addItems({"Single", "Double", "Single", "Suite"});
    shell::SelectComboItem(&box, "Single");
    EXPECT_EQ(box.currentIndex(), 2);
    shell::SelectComboItem(&box, "Attic");
    EXPECT_EQ(box.currentIndex(), -1);
}

TEST(ShellHelpers, PaymentForms)
{
    QComboBox box;
    box.addItem("stale");
    shell::FillPaymentForms(&box);
    ASSERT_EQ(box.count(), 4);
    const struct { int index; QChar code; } forms[] = {{0, 'C'}, {1, 'M'}, {2, 'B'}, {3, '?'}};
    for (const auto& f : forms) {
        box.setCurrentIndex(f.index);
        EXPECT_EQ(shell::PaymentFormCode(&box), f.code);
        EXPECT_EQ(shell::PaymentFormName(QString(f.code)), box.itemText(f.index));
    }
    EXPECT_EQ(shell::PaymentFormName("Cash"), "Card");   // only the first character counts
    EXPECT_EQ(shell::PaymentFormName(""), "unknown");
    EXPECT_EQ(shell::PaymentFormName("X"), "unknown");
}

TEST(ShellHelpers, ConfirmDeleteAsksYesOrNo)
{
    QString text, caption;
    platform::Icon icon = platform::Icon::Warning;
    platform::Buttons buttons = platform::Buttons::Ok;
    int answer = QMessageBox::Yes;
    platform::seams().messageBox = [&](QWidget*, const QString& t, const QString& c, platform::Icon i, platform::Buttons b) {
        text = t; caption = c; icon = i; buttons = b;
        return answer;
    };
    EXPECT_TRUE(shell::ConfirmDelete(nullptr, "Rooms"));
    EXPECT_EQ(text, "Are you sure to delete this record?");
    EXPECT_EQ(caption, "Rooms");
    EXPECT_EQ(icon, platform::Icon::None);
    EXPECT_EQ(buttons, platform::Buttons::YesNo);
    answer = QMessageBox::No;
    EXPECT_FALSE(shell::ConfirmDelete(nullptr, "Rooms"));
    platform::seams().messageBox = nullptr;
}

}  // namespace
