// The logic of the check-in, room detail and out-of-order dialogs without a display: the
// check-in as one composed change (against a recording change and against the engine), the
// amounts of a new account item and its VAT choice, the checks of each dialog, and every
// statement of those dialogs run on a folder whose path holds an apostrophe and "%2", with
// texts holding places for numbers, quotes, apostrophes and Czech letters.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "stays/CheckInLogic.h"
#include "stays/OutOfOrderLogic.h"
#include "stays/ReservationLogic.h"
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
    void commit()
    {
        if (int(rec->ran.size()) == failAt) throw std::runtime_error("refused by the engine");
        rec->committed = true;
    }
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
        {"checked in", {"1", "2"}, -1, 2, CheckInFailure::None, 2, true},
        {"a ticked room missed", {"1", "2"}, -1, 1, CheckInFailure::StaysNotUpdated, 2, false},
        {"commit refused", {"1"}, 2, 1, CheckInFailure::NotCommitted, 2, false},
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
            QStringLiteral("/db/"), QStringLiteral("5.3.2004"), account(), c.pids, QStringLiteral("5.3.2004"),
            QStringLiteral("9:5:7"));
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
    runCheckIn([&] { return FakeChange{&rec, -1, 2, 41}; }, QStringLiteral("/db/"), QStringLiteral("5.3.2004"), account(),
               {QStringLiteral("1"), QStringLiteral("7")}, QStringLiteral("5.3.2004"), QStringLiteral("9:5:7"));
    ASSERT_EQ(rec.ran.size(), 2);
    EXPECT_EQ(rec.ran.at(1),
              QStringLiteral("UPDATE \"/db/POBYTY.DB\" SET UID=41, STATUS=\"H\", DATEIN=\"5.3.2004\", TIMEIN=\"9:5:7\" "
                             "WHERE (UID is null OR UID=0) and (KID=3) and (DATEFROM=\"5.3.2004\") AND (PID=\"1\" OR PID=\"7\")"));
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
    const struct { double amount; double rate; std::optional<shell::Hundredths> czk, eur; } cases[] = {
        {10, 25.5, 25500, 39},          // 10 EUR = 255 CZK; 10 CZK = 0.39 EUR
        {100, 3, 30000, 3333},
        {1.25, 0.1, 12, 1250},          // 0.125 CZK rounds to the even 0.12
        {100.555, 25.5, 256415, 394},   // the amount as typed, not 100.56
        {1, 0, std::nullopt, std::nullopt},
        {1, -1, std::nullopt, std::nullopt},
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

// Every statement of the reservation, check-in, room detail and out-of-order dialogs on the
// engine, in a folder whose path holds an apostrophe and "%2", with texts that hold places
// for numbers, quotes, apostrophes and Czech letters: the rows hold the texts as typed.
class StatementsOnTheEngine : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/O'Brien's %2 db XXXXXX"));
        ASSERT_TRUE(dir->isValid());
        data::createTables(db, dir->path());
        prefix = data::folderPrefix(dir->path());
    }
    std::int64_t run(const QString& sql) { return db.execute(sql.toStdString()); }
    QStringList rows(const QString& columns, const char* file, const QString& where = QString())
    {
        QString sql = QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM \"") + prefix + QLatin1String(file)
            + QLatin1Char('"') + where;
        auto q = db.open(sql.toStdString());
        QStringList out;
        while (q->next()) {
            QStringList fields;
            for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
            out << fields.join(QLatin1Char('|'));
        }
        return out;
    }

    engine::Database db;
    std::unique_ptr<QTemporaryDir> dir;
    QString prefix;
};

TEST_P(StatementsOnTheEngine, TextsAreStoredAsTyped)
{
    const QString text = QString::fromUtf8(GetParam());
    // A reservation of client 3 in room "1", then changed.
    ReservationRow r;
    r.KID = 3;
    r.PID = QStringLiteral("1");
    r.dateFrom = QStringLiteral("05.03.2004");
    r.dateThru = QStringLiteral("07.03.2004");
    r.status = 'R';
    r.bookThru = QStringLiteral("04.03.2004");
    r.persons = 2;
    r.priceEur = QStringLiteral("190.0125");
    r.priceCzk = QStringLiteral("4 845,32");
    r.bookedFor = text;
    r.knowsFrom = 'A';
    r.date = QStringLiteral("1.3.2004");
    r.time = QStringLiteral("9:5:7");
    ASSERT_EQ(run(reservationInsertSql(prefix, r)), 1);
    const int bid = rows(QStringLiteral("BID"), "POBYTY.DB").value(0).toInt();
    EXPECT_EQ(rows(QStringLiteral("BID"), "POBYTY.DB").size(), 1);
    EXPECT_EQ(db.open(reservationLoadSql(prefix, bid).toStdString())->next(), true);
    r.bookedFor = text + QStringLiteral(" (changed)");
    ASSERT_EQ(run(reservationUpdateSql(prefix, bid, r)), 1);
    EXPECT_EQ(rows(QStringLiteral("BOOKEDFOR, PRICEEUR, PRICECZK"), "POBYTY.DB"),
              QStringList({text + QStringLiteral(" (changed)|190.0125|4845.32")}));

    // Its check-in onto a new account, with the card data typed at the desk.
    AccountRow a;
    a.KID = 3;
    a.UFROM = QStringLiteral("05.03.2004");
    a.CARDNUM = text;
    a.CARDTYPE = QStringLiteral("Diner's Club");
    a.CARDEXP = QStringLiteral("12/05");
    a.UPMJ = QStringLiteral("5.3.2004");
    a.UPMT = QStringLiteral("9:5:7");
    ASSERT_EQ(run(accountInsertSql(prefix, a)), 1);
    run(QStringLiteral("INSERT INTO \"") + prefix + QStringLiteral("POKOJE.DB\" (PID, PNAME) VALUES (\"1\", \"Dvořák's\")"));
    auto rooms = db.open(checkInRoomsSql(prefix, 3, QStringLiteral("5.3.2004")).toStdString());
    ASSERT_TRUE(rooms->next());
    EXPECT_EQ(QString::fromStdString(rooms->text("PNAME")), QStringLiteral("Dvořák's"));
    EXPECT_EQ(run(checkInUpdateSql(prefix, 1, 3, QStringLiteral("5.3.2004"), {QStringLiteral("1")},
                                   QStringLiteral("5.3.2004"), QStringLiteral("9:5:7"))),
              1);
    EXPECT_EQ(rows(QStringLiteral("UID, CARDNUM, CARDTYPE"), "UCTY.DB"), QStringList({QStringLiteral("1|") + text + "|Diner's Club"}));
    EXPECT_EQ(rows(QStringLiteral("STATUS, UID"), "POBYTY.DB"), QStringList({QStringLiteral("H|1")}));

    // The room detail: a new item as typed, the stay's changes without its prices.
    AccountItem item;
    item.UID = 1;
    item.PID = QStringLiteral("1");
    item.UPID = 2;
    item.DESCR = text;
    item.ITEMDATE = QStringLiteral("5.3.2004");
    item.EUR = QStringLiteral("100.555");
    item.CZK = QStringLiteral("2 564,15");
    item.TAXRATE = QStringLiteral("21");
    item.RATE = 25.5;
    ASSERT_EQ(run(accountItemInsertSql(prefix, item)), 1);
    auto q = db.open(accountItemsSql(prefix, 1, QStringLiteral("1")).toStdString());
    ASSERT_TRUE(q->next());
    EXPECT_EQ(QString::fromStdString(q->text("DESCR")), text);
    EXPECT_EQ(q->number("AMNTEUR"), 100.555);
    EXPECT_EQ(q->number("AMNTCZK"), 2564.15);
    StayChanges c;
    c.DATETHRU = QStringLiteral("09.03.2004");
    c.NUMPERS = 3;
    c.MAIDCZK = QStringLiteral("765,5");
    c.UPMJ = QStringLiteral("5.3.2004");
    c.UPMT = QStringLiteral("9:5:7");
    ASSERT_EQ(run(stayUpdateSql(prefix, bid, c)), 1);
    EXPECT_EQ(rows(QStringLiteral("DATETHRU, NUMPERS, PRICEEUR, PRICECZK, MAIDCZK"), "POBYTY.DB"),
              QStringList({QStringLiteral("9.3.2004|3|190.0125|4845.32|765.5")}));
    EXPECT_TRUE(db.open(stayLoadSql(prefix, bid).toStdString())->next());

    // An out-of-order period with the text as its reason, changed, then deleted; a guest's
    // stay is never deleted by it.
    OutOfOrderRow o;
    o.PID = QStringLiteral("2");
    o.DATEFROM = QStringLiteral("05.03.2004");
    o.DATETHRU = QStringLiteral("07.03.2004");
    o.BOOKEDFOR = text;
    ASSERT_EQ(run(outOfOrderInsertSql(prefix, o)), 1);
    const QStringList periods = rows(QStringLiteral("BID, BOOKEDFOR"), "POBYTY.DB", QStringLiteral(" WHERE STATUS=\"X\""));
    ASSERT_EQ(periods.size(), 1);
    const int period = periods.first().section(QLatin1Char('|'), 0, 0).toInt();
    EXPECT_EQ(periods.first().section(QLatin1Char('|'), 1), text);
    EXPECT_TRUE(db.open(outOfOrderLoadSql(prefix, period).toStdString())->next());
    o.DATETHRU = QStringLiteral("09.03.2004");
    EXPECT_EQ(run(outOfOrderUpdateSql(prefix, period, o)), 1);
    EXPECT_EQ(run(outOfOrderDeleteSql(prefix, bid)), 0);
    EXPECT_EQ(run(outOfOrderDeleteSql(prefix, period)), 1);
    EXPECT_EQ(rows(QStringLiteral("BID"), "POBYTY.DB"), QStringList({QString::number(bid)}));
    EXPECT_TRUE(db.open(itemTypesSql(prefix).toStdString()) != nullptr);
    EXPECT_TRUE(db.open(outOfOrderRoomsSql(prefix).toStdString()) != nullptr);
    auto last = db.open(lastBidSql(prefix).toStdString());
    ASSERT_TRUE(last->next());
    EXPECT_EQ(last->integer(0), bid);
}

INSTANTIATE_TEST_SUITE_P(Texts, StatementsOnTheEngine,
                         ::testing::Values("Painter's \"big\" job", "Order 20%2 more towels", "Deposit 50%1st night",
                                           "Žluťoučký kůň úpěl", "%1%2%3'\"%99"));
