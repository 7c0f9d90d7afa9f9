// Table cursors: key-order navigation, locate, editing, refusals and filters, on a folder of
// table files and on the test server.
#include "TestFolder.h"

#include <gtest/gtest.h>

using enginetest::dump;
using enginetest::filledDb;
using enginetest::Storage;
using enginetest::storageName;
using enginetest::TestDb;
using enginetest::withDb;
using engine::TableCursor;
using engine::Value;

namespace {

class Cursor : public ::testing::TestWithParam<Storage> {
protected:
    const TestDb t = filledDb(GetParam());
    std::string folder = t.prefix;  // what {db} stands for
    engine::Database db{t.location};
    static std::string walk(TableCursor& c, const char* field) {
        std::string out;
        const int f = c.fieldIndex(field);
        if (!c.first()) return out;
        do out += (out.empty() ? "" : ";") + c.text(f);
        while (c.next());
        return out;
    }
};

INSTANTIATE_TEST_SUITE_P(Storages, Cursor, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return storageName(info.param); });

TEST_P(Cursor, WalksInKeyOrderBothWays) {
    auto c = db.openTable(folder + "POKCENY.DB");
    EXPECT_EQ(walk(*c, "DATEFROM"), "1.3.2004;15.3.2004;1.1.2004") << "key is (PID, DATEFROM)";
    EXPECT_TRUE(c->eof());
    ASSERT_TRUE(c->last());
    EXPECT_EQ(c->text(c->fieldIndex("PID")), "2");
    ASSERT_TRUE(c->prior());
    EXPECT_EQ(c->text(c->fieldIndex("DATEFROM")), "15.3.2004");
    ASSERT_TRUE(c->prior());
    EXPECT_FALSE(c->prior());
    EXPECT_TRUE(c->bof());
    EXPECT_EQ(c->text(c->fieldIndex("DATEFROM")), "1.3.2004") << "stays on the first row";
    EXPECT_EQ(c->rowCount(), 3);
    EXPECT_EQ(c->rowNumber(), 0);
    ASSERT_TRUE(c->moveTo(2));
    EXPECT_EQ(c->text(c->fieldIndex("PID")), "2");
    EXPECT_EQ(c->rowNumber(), 2);
    EXPECT_FALSE(c->moveTo(3));
}

TEST_P(Cursor, FilterLimitsTheRows) {
    auto c = db.openTable("POKCENY.DB", " PID='1'");
    EXPECT_EQ(c->rowCount(), 2);
    EXPECT_EQ(walk(*c, "PPRICE"), "60;80");
    auto items = db.openTable(folder + "UCTYPOL.DB", "UID=2");
    EXPECT_EQ(walk(*items, "POLID"), "3;4");
    auto none = db.openTable(folder + "UCTYPOL.DB", "UID=9");
    EXPECT_TRUE(none->isEmpty());
    EXPECT_FALSE(none->first());
    EXPECT_THROW(db.openTable(folder + "UCTYPOL.DB", "NOPE=1"), engine::Error);
    EXPECT_THROW(db.openTable(folder + "MISSING.DB"), engine::Error);
}

TEST_P(Cursor, LocatesByFieldValues) {
    auto c = db.openTable(folder + "POKCENY.DB");
    EXPECT_TRUE(c->locate({{"PID", std::string("1")}, {"DATEFROM", std::string("15.03.2004")}}));
    EXPECT_EQ(c->text(c->fieldIndex("PPRICE")), "80");
    EXPECT_TRUE(c->locate({{"DATEFROM", Value(engine::dayNumber(2004, 1, 1))}}));
    EXPECT_EQ(c->text(c->fieldIndex("PID")), "2");
    EXPECT_FALSE(c->locate({{"PID", std::string("9")}}));
    EXPECT_EQ(c->text(c->fieldIndex("PID")), "2") << "no move when nothing matches";
    auto k = db.openTable(folder + "KARTY.DB");
    EXPECT_FALSE(k->locate({{"SURNAME", std::string("NOVAK")}})) << "texts compare exactly";
    EXPECT_TRUE(k->locate({{"SURNAME", std::string("novák")}, {"NAME", std::string("Petr")}}));
    EXPECT_EQ(k->value(0), Value(std::int64_t{3}));
}

TEST_P(Cursor, EditsAndPosts) {
    auto c = db.openTable(folder + "POKOJE.DB");
    ASSERT_TRUE(c->locate({{"PID", std::string("2")}}));
    c->edit();
    c->setText(c->fieldIndex("PPRICE"), "1 234,50");
    c->setText(c->fieldIndex("UPMJ"), "05.03.2004");
    EXPECT_TRUE(c->modified());
    c->post();
    EXPECT_EQ(c->state(), TableCursor::State::Browse);
    EXPECT_EQ(dump(db, withDb(R"(SELECT PPRICE, UPMJ FROM "{db}POKOJE.DB" WHERE PID="2")", folder)), "1234.5,5.3.2004");
    c->edit();
    c->setValue(c->fieldIndex("PNAME"), std::string("Changed"));
    c->cancel();
    EXPECT_EQ(c->text(c->fieldIndex("PNAME")), "Room two");
    EXPECT_THROW(c->setText(c->fieldIndex("PCOLOR"), "12x"), engine::Error);
}

TEST_P(Cursor, RefusedPostKeepsTheRowInEdit) {
    auto c = db.openTable(folder + "POKOJE.DB");
    c->insert();
    c->setText(c->fieldIndex("PID"), "1");
    c->setText(c->fieldIndex("PNAME"), "Duplicate");
    try {
        c->post();
        FAIL() << "duplicate key accepted";
    } catch (const engine::Error& e) {
        EXPECT_NE(std::string(e.what()).find("Key violation"), std::string::npos) << e.what();
    }
    EXPECT_EQ(c->state(), TableCursor::State::Insert);
    EXPECT_EQ(c->text(c->fieldIndex("PNAME")), "Duplicate");
    c->setText(c->fieldIndex("PID"), "1234");
    EXPECT_THROW(c->post(), engine::Error) << "too long";
    c->setText(c->fieldIndex("PID"), "4");
    c->post();
    EXPECT_EQ(c->text(c->fieldIndex("PID")), "4");
    EXPECT_EQ(c->rowCount(), 4);
    EXPECT_EQ(c->rowNumber(), 3);
}

TEST_P(Cursor, AppendGivesTheAutoincrementKey) {
    auto c = db.openTable(folder + "UCTY.DB");
    c->append();
    c->setValue(c->fieldIndex("KID"), std::int64_t{2});
    c->setText(c->fieldIndex("UFROM"), "20.3.2004");
    c->post();
    EXPECT_EQ(c->lastKey(), 3);
    EXPECT_EQ(c->text(c->fieldIndex("UID")), "3");
    EXPECT_EQ(c->text(c->fieldIndex("UFROM")), "20.3.2004");
    EXPECT_EQ(c->fields()[0].type, engine::FieldType::Key);
}

TEST_P(Cursor, RemoveMovesToTheNextOrLastRow) {
    auto c = db.openTable(folder + "UCTYPOL.DB", "UID=1");
    ASSERT_TRUE(c->first());
    c->remove();
    EXPECT_EQ(c->text(c->fieldIndex("POLID")), "2");
    c->remove();
    EXPECT_TRUE(c->isEmpty());
    EXPECT_EQ(dump(db, withDb(R"(SELECT POLID FROM "{db}UCTYPOL.DB" ORDER BY POLID)", folder)), "3;4");
    auto d = db.openTable(folder + "UCTYPOL.DB");
    ASSERT_TRUE(d->last());
    d->remove();
    EXPECT_EQ(d->text(d->fieldIndex("POLID")), "3");
}

TEST_P(Cursor, MovingPostsPendingChangesAndRefreshSeesOthers) {
    auto c = db.openTable(folder + "UCTYPOL.DB", "UID=1");
    ASSERT_TRUE(c->first());
    c->edit();
    c->setValue(c->fieldIndex("AMNTEUR"), 11.5);
    ASSERT_TRUE(c->next());
    EXPECT_EQ(dump(db, withDb(R"(SELECT AMNTEUR FROM "{db}UCTYPOL.DB" WHERE POLID=1)", folder)), "11.5");
    engine::Database other(t.location);
    other.execute(withDb(R"(UPDATE "{db}UCTYPOL.DB" SET DESCR="Changed" WHERE POLID=2)", folder));
    EXPECT_EQ(c->text(c->fieldIndex("DESCR")), "Phone");
    c->refresh();
    EXPECT_EQ(c->text(c->fieldIndex("DESCR")), "Changed");
}

}  // namespace
