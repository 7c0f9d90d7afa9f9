// The demo data set, written by the program's own loader (hundreds of statements of every
// kind the front office runs), lands on the test server exactly as in a folder of table files.
#include "TestFolder.h"
#include "data/Demo.h"

#include <gtest/gtest.h>

using enginetest::dump;
using enginetest::filledDb;
using enginetest::Storage;
using enginetest::TestDb;

namespace {

TEST(DemoOnServer, ReadsTheSameAsInAFolder) {
    const char* const tables[] = {"POKOJE", "POKCENY", "POBYTY", "KARTY", "UCTY", "UCTYPOL", "UCPODEF", "KURZY", "ODKUDVI", "POZNAMKY"};
    const QDateTime now(QDate(2004, 3, 5), QTime(10, 0));
    std::string contents[2];
    data::DemoSummary summary[2];
    for (int k = 0; k < 2; ++k) {
        const TestDb t = filledDb(k ? Storage::Server : Storage::Files);
        engine::Database db(t.location);
        for (const char* n : tables) db.execute("DELETE FROM \"" + t.prefix + n + ".DB\"");
        // On the server the folder the loader is given only prefixes the table names.
        summary[k] = data::fillDemo(db, QString::fromStdString(k ? std::string("/srv/hotel/DB") : t.location), now);
        for (const char* n : tables)
            contents[k] += std::string(n) + ": " + dump(db, "SELECT * FROM \"" + t.prefix + n + ".DB\"", {}, true) + "\n";
    }
    EXPECT_GT(summary[1].stays, 100);
    EXPECT_EQ(summary[1].stays, summary[0].stays);
    EXPECT_EQ(summary[1].items, summary[0].items);
    EXPECT_EQ(contents[1], contents[0]);
}

}  // namespace
