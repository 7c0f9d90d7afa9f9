// The demo set placed around a fixed moment (5.3.2004 9:05:07): it must hold every stay
// status, a double booking, a due reminder, consistent accounts and the item types the
// check-out looks up by name, and be the same every time for the same moment.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <map>

#include "data/Demo.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace {

const QDateTime kMoment(QDate(2004, 3, 5), QTime(9, 5, 7));
const int kToday = shell::NumberFromDate(kMoment.date());

struct StayRow {
    qint64 bid, kid, uid;
    QString pid, status, bookedFor;
    int from, thru, prThru;
    double priceEur;
};

class DemoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_dm = new TdmDataModule(s_dir->path());
        data::createTables(s_dm->db(), s_dir->path());
        s_summary = data::fillDemo(s_dm->db(), s_dir->path(), kMoment);
    }
    static void TearDownTestSuite()
    {
        delete s_dm;
        delete s_dir;
    }

    static QString sql(QString text) { return text.replace("{db}", s_dm->DbPrefix()); }

    static std::vector<StayRow> stays()
    {
        std::vector<StayRow> rows;
        auto q = s_dm->Open(sql(R"(SELECT * FROM "{db}POBYTY.DB" ORDER BY BID)"));
        while (q->next()) {
            rows.push_back({q->integer("BID"), q->integer("KID"), q->integer("UID"), QString::fromStdString(q->text("PID")),
                            QString::fromStdString(q->text("STATUS")), QString::fromStdString(q->text("BOOKEDFOR")),
                            int(q->integer("DATEFROM")), int(q->integer("DATETHRU")),
                            q->isNull("PRTHRU") ? 0 : int(q->integer("PRTHRU")), q->number("PRICEEUR")});
        }
        return rows;
    }

    static QStringList column(const QString& statement)
    {
        QStringList out;
        auto q = s_dm->Open(sql(statement));
        while (q->next()) out << QString::fromStdString(q->text(0));
        return out;
    }

    static inline QTemporaryDir* s_dir = nullptr;
    static inline TdmDataModule* s_dm = nullptr;
    static inline data::DemoSummary s_summary;
};

TEST_F(DemoTest, HoldsEveryStayStatusAroundToday)
{
    const QStringList statuses = column(R"(SELECT DISTINCT(STATUS) FROM "{db}POBYTY.DB" ORDER BY STATUS)");
    for (const char* s : {"?", "H", "O", "P", "R", "X"}) EXPECT_TRUE(statuses.contains(s)) << s;
    int expired = 0, withoutCard = 0, question = 0;
    for (const StayRow& s : stays()) {
        if (s.status == "H") EXPECT_TRUE(s.from <= kToday && kToday < s.thru) << s.bid << " " << s.from << " " << s.thru << " " << kToday;
        if (s.status == "O") EXPECT_LE(s.thru, kToday) << s.bid;
        if (s.status == "P" && s.prThru < kToday) ++expired;
        if (s.status == "?") ++question;
        if (s.status == "X") {
            EXPECT_EQ(s.kid, 0);
            EXPECT_EQ(s.uid, 0);
            EXPECT_FALSE(s.bookedFor.isEmpty());
        } else if (s.kid == 0) {
            ++withoutCard;
            EXPECT_FALSE(s.bookedFor.isEmpty()) << s.bid;
            EXPECT_NE(s.status, "R") << "a definitive reservation needs a client card";
        }
    }
    EXPECT_EQ(expired, 1);
    EXPECT_EQ(question, 1);
    EXPECT_EQ(withoutCard, 2);
}

TEST_F(DemoTest, HasExactlyOneDoubleBooking)
{
    std::map<QString, std::vector<StayRow>> byRoom;
    for (const StayRow& s : stays()) byRoom[s.pid].push_back(s);
    int overlaps = 0;
    for (const auto& [pid, list] : byRoom)
        for (size_t i = 0; i < list.size(); ++i)
            for (size_t j = i + 1; j < list.size(); ++j)
                if (list[i].from < list[j].thru && list[j].from < list[i].thru) ++overlaps;
    EXPECT_EQ(overlaps, 1);
}

TEST_F(DemoTest, AccountsOpenForCheckedInGuestsAndClosedWithTheirItems)
{
    std::map<qint64, int> openPerClient;
    int openCheckedOut = 0;
    for (const StayRow& s : stays()) {
        if (s.status != "H" && s.status != "O") continue;
        ASSERT_GT(s.uid, 0) << s.bid;
        auto account = s_dm->Open(sql(QStringLiteral(R"(SELECT * FROM "{db}UCTY.DB" WHERE UID=%1)").arg(s.uid)));
        ASSERT_TRUE(account->next());
        EXPECT_EQ(account->integer("KID"), s.kid);
        const bool open = account->isNull("DATEPAYM");
        if (open) ++openPerClient[s.kid];
        if (s.status == "H") {
            EXPECT_TRUE(open) << s.bid;
            continue;
        }
        if (open) {
            ++openCheckedOut;
            continue;
        }
        EXPECT_FALSE(account->isNull("FORMPAYM"));
        auto sum = s_dm->Open(sql(QStringLiteral(R"(SELECT SUM(AMNTEUR) AS TOTEUR, SUM(AMNTCZK) AS TOTCZK FROM "{db}UCTYPOL.DB" WHERE UID=%1)").arg(s.uid)));
        ASSERT_TRUE(sum->next());
        EXPECT_NEAR(sum->number("TOTEUR"), account->number("TOTALEUR"), 0.005) << s.uid;
        EXPECT_NEAR(sum->number("TOTCZK"), account->number("TOTALCZK"), 0.005) << s.uid;
    }
    EXPECT_EQ(openCheckedOut, 1);
    for (const auto& [kid, count] : openPerClient) EXPECT_EQ(count, 1) << "client " << kid;
    EXPECT_GT(column(R"(SELECT POLID FROM "{db}UCTYPOL.DB" WHERE TAXRATE=20 AND RATE>24)").size(), 10);
}

TEST_F(DemoTest, CheckOutFindsItsItemTypesByName)
{
    for (const char* name : {"Accomodation", "Maid service", "Maid", "comodat"})
        EXPECT_TRUE(s_dm->FindAcctType("UPNAME", name).found) << name;
    EXPECT_EQ(s_dm->FindAcctType("UPID", "1").UPNAME, "Accomodation");
    EXPECT_EQ(s_dm->FindAcctType("UPNAME", "Maid").UPTAX1, 20);
}

TEST_F(DemoTest, ReminderIsDueHalfAnHourAgo)
{
    auto q = s_dm->Open(sql(R"(SELECT * from "{db}POZNAMKY.DB" WHERE typ="R" ORDER BY dat,tim)"));
    ASSERT_TRUE(q->next());
    EXPECT_EQ(q->text("DAT"), "5.3.2004");
    EXPECT_EQ(q->text("TIM"), "8:35:07");
    EXPECT_NEAR(q->number("DATTIM"), kToday + (8 * 3600 + 35 * 60 + 7) / 86400.0, 1e-9);
    EXPECT_LT(q->number("DATTIM"), shell::NumberFromDate(kMoment.date()) + (9 * 3600 + 5 * 60) / 86400.0);
    EXPECT_GE(column(R"(SELECT RMID from "{db}POZNAMKY.DB" WHERE typ='N')").size(), 3);
}

TEST_F(DemoTest, ClientsWithAccentsAndApostrophes)
{
    EXPECT_EQ(s_summary.clients, 200);
    for (const char* surname : {"Dvořák", "Šťastná", "Müller", "O'Brien", "D'Angelo"}) {
        ASSERT_TRUE(s_dm->OpenAndCount(sql(R"(SELECT KID FROM "{db}KARTY.DB" WHERE SURNAME=)") +
                                       shell::QuoteText(QString::fromUtf8(surname))));
        EXPECT_GE(s_dm->lastCount(), 1) << surname;
    }
    EXPECT_EQ(column(R"(SELECT DISTINCT(PASSPORT) FROM "{db}KARTY.DB")").size(), 200);
    EXPECT_EQ(s_dm->FindClient("KID", "4").SURNAME, "O'Brien");
}

TEST_F(DemoTest, RatesAndPricesAgreeWithTheLookups)
{
    EXPECT_EQ(s_summary.rates, 53);
    const double rate = s_dm->CurrentRate("5.3.2004");
    EXPECT_GT(rate, 24);
    EXPECT_LT(rate, 26);
    EXPECT_EQ(rate, s_dm->CurrentRate(""));
    EXPECT_GT(s_dm->CurrentRate("1.6.2003"), 24);
    QStringList rooms;
    s_dm->FillRoomCombo(rooms, false);
    EXPECT_EQ(rooms.size(), 20);
    // The stored price of a reservation is the price the lookup proposes for it.
    int checked = 0;
    for (const StayRow& s : stays()) {
        if (s.status != "R") continue;
        const TTableRooms room = s_dm->FindRoom("PID", s.pid);
        ASSERT_TRUE(room.found);
        double total = 0, maid = 0;
        ASSERT_TRUE(s_dm->ProposeRoomPrice(room.PNAME, s.from, s.thru, total, maid));
        EXPECT_DOUBLE_EQ(total, s.priceEur) << s.bid;
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

TEST_F(DemoTest, SameMomentGivesTheSameSet)
{
    QTemporaryDir other;
    engine::Database db(data::folderPrefix(other.path()).toStdString());
    data::createTables(db, other.path());
    data::fillDemo(db, other.path(), kMoment);
    for (const data::TableDefinition& t : data::tableDefinitions()) {
        const QString select = QStringLiteral(R"(SELECT * FROM "%1%2")");
        auto a = s_dm->Open(select.arg(s_dm->DbPrefix(), t.file));
        auto b = db.open(select.arg(data::folderPrefix(other.path()), t.file).toStdString());
        const int n = int(a->fields().size());
        while (a->next()) {
            ASSERT_TRUE(b->next()) << t.file.toStdString();
            for (int i = 0; i < n; ++i) ASSERT_EQ(a->text(i), b->text(i)) << t.file.toStdString();
        }
        EXPECT_FALSE(b->next()) << t.file.toStdString();
    }
}

}  // namespace
