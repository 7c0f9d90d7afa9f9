// The logic of the check-in, room detail and out-of-order dialogs without a display: the
// check-in as one composed change (against a recording change and against the engine), the
// amounts of a new account item and its VAT choice, the checks of each dialog, and the
// statements run on a folder whose path holds an apostrophe, with quotes and apostrophes in
// the values.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "stays/CheckInLogic.h"
#include "stays/OutOfOrderLogic.h"
#include "stays/RoomDetailLogic.h"

using namespace stays;

namespace {

// A change that records what it ran; the statement numbered failAt throws, and an update
// changes updateRows rows.
struct Recorder {
    QStringList ran;
    bool committed = false;
    bool begun = false;
};

struct FakeChange {
    Recorder* rec;
    int failAt = -1;
    std::int64_t updateRows = 1;
    std::int64_t key = 7;
    std::int64_t execute(const QString& sql)
    {
        rec->ran << sql;
        if (rec->ran.size() - 1 == failAt) throw std::runtime_error("refused by the engine");
        return sql.startsWith(QLatin1String("UPDATE")) ? updateRows : 1;
    }
    std::int64_t lastInsertKey() const { return key; }
    void commit() { rec->committed = true; }
};

AccountRow account()
{
    AccountRow a;
    a.KID = 3;
    a.UFROM = QStringLiteral("05.03.2004");
    a.CARDNUM = QStringLiteral("4111 \"22\" 33");
    a.CARDTYPE = QStringLiteral("Diner's Club");
    a.CARDEXP = QStringLiteral("12/05");
    a.UPMJ = QStringLiteral("5.3.2004");
    a.UPMT = QStringLiteral("9:5:7");
    return a;
}

}  // namespace

TEST(CheckIn, AccountAndStaysLandTogetherOrNotAtAll)
{
    const struct {
        const char* name;
        QStringList pids;
        int failAt;
        std::int64_t updateRows;
        CheckInFailure failure;
        int statements;
        bool committed;
    } cases[] = {
        {"checked in", {"1", "2"}, -1, 1, CheckInFailure::None, 2, true},
        {"no room ticked", {}, -1, 1, CheckInFailure::NoRoomTicked, 0, false},
        {"account refused", {"1"}, 0, 1, CheckInFailure::AccountNotStored, 1, false},
        {"update refused", {"1"}, 1, 1, CheckInFailure::StaysNotUpdated, 2, false},
        {"update changed no row", {"1"}, -1, 0, CheckInFailure::StaysNotUpdated, 2, false},
    };
    for (const auto& c : cases) {
        Recorder rec;
        const CheckInOutcome out = runCheckIn(
            [&] {
                rec.begun = true;
                return FakeChange{&rec, c.failAt, c.updateRows};
            },
            QStringLiteral("/db/"), 12, account(), c.pids, QStringLiteral("5.3.2004"), QStringLiteral("9:5:7"));
        SCOPED_TRACE(c.name);
        EXPECT_EQ(out.failure, c.failure);
        EXPECT_EQ(rec.ran.size(), c.statements);
        EXPECT_EQ(rec.committed, c.committed);
        EXPECT_EQ(out.UID, c.committed ? 7 : 0);
        if (c.failAt >= 0) EXPECT_EQ(out.engineMessage, QStringLiteral("refused by the engine"));
    }
}

TEST(CheckIn, TheStaysGetTheKeyOfTheRowJustStored)
{
    Recorder rec;
    runCheckIn([&] { return FakeChange{&rec, -1, 1, 41}; }, QStringLiteral("/db/"), 12, account(),
               {QStringLiteral("1"), QStringLiteral("7")}, QStringLiteral("5.3.2004"), QStringLiteral("9:5:7"));
    ASSERT_EQ(rec.ran.size(), 2);
    EXPECT_EQ(rec.ran.at(1),
              QStringLiteral("UPDATE \"/db/POBYTY.DB\" SET UID=41, STATUS=\"H\", DATEIN=\"5.3.2004\", TIMEIN=\"9:5:7\" "
                             "WHERE (UID is null OR UID=0) and (KID=3) and (BID=12) AND (PID=\"1\" OR PID=\"7\")"));
}

TEST(CheckIn, ClientNameDropsLeadingBlanks)
{
    EXPECT_EQ(clientFullName("", "Novak", "Jan"), QStringLiteral("Novak Jan"));
    EXPECT_EQ(clientFullName("Ing.", "Novak", "Jan"), QStringLiteral("Ing. Novak Jan"));
    EXPECT_EQ(clientFullName(" ", "", "Jan"), QStringLiteral("Jan"));
}

TEST(NewAccountItem, AmountsAreNumbersNotTexts)
{
    const struct { const char* text; std::optional<shell::Hundredths> amount; bool saves; } cases[] = {
        {"0.00", 0, false},  {"0,0", 0, false},    {" 0 ", 0, false},     {"", 0, false},
        {"-0", 0, false},    {"abc", std::nullopt, false}, {"12.5", 1250, true}, {"12,345", 1234, true},
        {"1 234.56", 123456, true}, {"0.005", 0, false}, {"0.015", 2, true},  {"-3", -300, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(amountOf(QString::fromUtf8(c.text)), c.amount);
        EXPECT_EQ(canSaveItem(true, QStringLiteral("Minibar"), QString::fromUtf8(c.text), true), c.saves);
    }
    EXPECT_FALSE(canSaveItem(false, QStringLiteral("Minibar"), QStringLiteral("10"), true));
    EXPECT_FALSE(canSaveItem(true, QString(), QStringLiteral("10"), true));
    EXPECT_FALSE(canSaveItem(true, QStringLiteral("Minibar"), QStringLiteral("10"), false));
    EXPECT_EQ(amountText(1250), QStringLiteral("12.50"));
    EXPECT_EQ(amountText(-3), QStringLiteral("-0.03"));
    EXPECT_EQ(amountText(3000000000LL), QStringLiteral("30000000.00"));
}

TEST(NewAccountItem, ConvertsOnlyWithAUsableRate)
{
    const struct { shell::Hundredths amount; double rate; std::optional<shell::Hundredths> czk, eur; } cases[] = {
        {1000, 25.5, 25500, 39},        // 10 EUR = 255 CZK; 10 CZK = 0.39 EUR
        {10000, 3, 30000, 3333},
        {125, 0.1, 12, 1250},           // 0.125 CZK rounds to the even 0.12
        {100, 0, std::nullopt, std::nullopt},
        {100, -1, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        EXPECT_EQ(czkFromEur(c.amount, c.rate), c.czk);
        EXPECT_EQ(eurFromCzk(c.amount, c.rate), c.eur);
    }
    EXPECT_EQ(rateText(25.5), QStringLiteral("25.5000"));
    EXPECT_EQ(rateText(-1), QStringLiteral("-1.0000"));
}

TEST(NewAccountItem, VatChoiceHoldsTheTypesRatesThatExist)
{
    const struct { int tax1, tax2; QStringList choices; } cases[] = {
        {21, -1, {"21"}}, {-1, 5, {"5"}}, {10, 21, {"10", "21"}}, {0, -1, {"0"}}, {-1, -1, {}},
    };
    for (const auto& c : cases) {
        TTableUcPoDef type;
        type.UPTAX1 = c.tax1;
        type.UPTAX2 = c.tax2;
        EXPECT_EQ(vatChoices(type), c.choices) << c.tax1 << " " << c.tax2;
    }
}

TEST(RoomDetail, StayChecksInTheirOrder)
{
    const int today = 100;
    const struct { std::optional<int> from, thru; int persons; StayIssue issue; } cases[] = {
        {90, 105, 2, StayIssue::None},
        {90, 100, 1, StayIssue::None},                      // leaving today
        {90, 99, 1, StayIssue::DatesInvalid},               // departure before today
        {105, 105, 1, StayIssue::DatesInvalid},             // no night
        {106, 105, 1, StayIssue::DatesInvalid},
        {std::nullopt, 105, 1, StayIssue::DatesInvalid},
        {90, std::nullopt, 1, StayIssue::DatesInvalid},
        {90, 105, 0, StayIssue::PersonsNotPositive},
        {90, 99, 0, StayIssue::DatesInvalid},               // the dates are asked first
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stayIssue(c.from, c.thru, today, c.persons), c.issue)
            << c.from.value_or(-1) << " " << c.thru.value_or(-1) << " " << c.persons;
    }
    EXPECT_EQ(stayIssueMessage(StayIssue::PersonsNotPositive), QStringLiteral("Number of persons must be grater then zero."));
}

TEST(OutOfOrder, ChecksInTheirOrder)
{
    const struct { bool room; std::optional<int> from, thru; OutOfOrderIssue issue; } cases[] = {
        {true, 10, 11, OutOfOrderIssue::None},
        {false, 10, 11, OutOfOrderIssue::NoRoom},
        {false, std::nullopt, std::nullopt, OutOfOrderIssue::NoRoom},
        {true, std::nullopt, 11, OutOfOrderIssue::DatesMissing},
        {true, 10, std::nullopt, OutOfOrderIssue::DatesMissing},
        {true, 10, 10, OutOfOrderIssue::DatesInOrder},
        {true, 11, 10, OutOfOrderIssue::DatesInOrder},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outOfOrderIssue(c.room, c.from, c.thru), c.issue) << c.room << c.from.value_or(-1) << c.thru.value_or(-1);
}

// The statements on the engine, in a folder whose path holds an apostrophe, with quotes and
// apostrophes in the values.
class StatementsOnTheEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/O'Brien's db XXXXXX"));
        ASSERT_TRUE(dir->isValid());
        data::createTables(db, dir->path());
        prefix = data::folderPrefix(dir->path());
    }
    std::int64_t run(const QString& sql) { return db.execute(sql.toStdString()); }
    QString one(const QString& sql)
    {
        auto q = db.open(sql.toStdString());
        return q->next() ? QString::fromStdString(q->text(0)) : QStringLiteral("<none>");
    }
    QString table(const char* name) const { return QStringLiteral("\"%1%2\"").arg(prefix, QLatin1String(name)); }

    engine::Database db;
    std::unique_ptr<QTemporaryDir> dir;
    QString prefix;
};

TEST_F(StatementsOnTheEngine, QuotesAndApostrophesAreStoredAndMatchedIntact)
{
    const QString reason = QStringLiteral("Painter's \"big\" job");
    OutOfOrderRow row;
    row.PID = QStringLiteral("1");
    row.DATEFROM = QStringLiteral("05.03.2004");
    row.DATETHRU = QStringLiteral("07.03.2004");
    row.BOOKEDFOR = reason;
    ASSERT_EQ(run(outOfOrderInsertSql(prefix, row)), 1);
    EXPECT_EQ(one(QStringLiteral("SELECT BOOKEDFOR FROM %1 WHERE STATUS=\"X\" AND KID=0 AND UID=0").arg(table("POBYTY.DB"))),
              reason);
    const QString bid = one(QStringLiteral("SELECT BID FROM %1").arg(table("POBYTY.DB")));
    row.DATETHRU = QStringLiteral("09.03.2004");
    EXPECT_EQ(run(outOfOrderUpdateSql(prefix, bid.toInt(), row)), 1);
    EXPECT_EQ(one(QStringLiteral("SELECT DATETHRU FROM %1").arg(table("POBYTY.DB"))), QStringLiteral("9.3.2004"));

    AccountItem item;
    item.UID = 4;
    item.PID = QStringLiteral("1");
    item.UPID = 2;
    item.DESCR = QStringLiteral("O'Neil's \"special\" wine");
    item.ITEMDATE = QStringLiteral("5.3.2004");
    item.EUR = 1250;
    item.CZK = 31875;
    item.TAXRATE = QStringLiteral("21");
    item.RATE = 25.5;
    ASSERT_EQ(run(accountItemInsertSql(prefix, item)), 1);
    auto q = db.open(accountItemsSql(prefix, 4, QStringLiteral("1")).toStdString());
    ASSERT_TRUE(q->next());
    EXPECT_EQ(QString::fromStdString(q->text("DESCR")), item.DESCR);
    EXPECT_EQ(q->number("AMNTEUR"), 12.5);
    EXPECT_EQ(q->number("AMNTCZK"), 318.75);
    EXPECT_EQ(q->number("RATE"), 25.5);

    AccountRow a = account();
    ASSERT_EQ(run(accountInsertSql(prefix, a)), 1);
    EXPECT_EQ(one(QStringLiteral("SELECT CARDTYPE FROM %1").arg(table("UCTY.DB"))), a.CARDTYPE);
    EXPECT_EQ(one(QStringLiteral("SELECT CARDNUM FROM %1").arg(table("UCTY.DB"))), a.CARDNUM);

    // Only a period is deleted by the period's delete, never a guest's stay.
    run(QStringLiteral("INSERT INTO %1 (KID, PID, STATUS) VALUES (3, \"1\", \"H\")").arg(table("POBYTY.DB")));
    const QString guest = one(QStringLiteral("SELECT BID FROM %1 WHERE STATUS=\"H\"").arg(table("POBYTY.DB")));
    EXPECT_EQ(run(outOfOrderDeleteSql(prefix, guest.toInt())), 0);
    EXPECT_EQ(run(outOfOrderDeleteSql(prefix, bid.toInt())), 1);
}
