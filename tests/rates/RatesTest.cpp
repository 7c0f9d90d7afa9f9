// The day's EUR rate from the bank, against a stand-in on 127.0.0.1: the Czech working days,
// every answer the bank (or something in its place) may give and the KURZY.DB rows it leaves
// on table files and on the server, the start-up fetch that never holds the board up, the
// rates window's command and `tamarel-db rates fetch`.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "BankServer.h"
#include "TestFolder.h"
#include "accounts/TfrmRates.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "rates/RateUpdate.h"
#include "rates/StartupFetch.h"
#include "rates/WorkingDays.h"
#include "shell/DataModule.h"
#include "widgets/DateEdit.h"

using enginetest::Storage;

namespace {

const QDate kToday(2026, 12, 9);  // a Wednesday

// A daily file as the bank writes it: the date line, the header, AUD per 1, the EUR line
// given, JPY per 100.
QByteArray bankFile(const QByteArray& dateLine, const QByteArray& eurLine)
{
    return dateLine + "\nzemě|měna|množství|kód|kurz\nAustrálie|dolar|1|AUD|13,702\n" + eurLine +
           "\nJaponsko|jen|100|JPY|13,362\n";
}

// Every table but KURZY.DB as text, to show that a fetch changes nothing else.
std::string otherTables(engine::Database& db, const std::string& prefix)
{
    std::string all;
    for (const data::TableDefinition& t : data::tableDefinitions())
        if (t.file != QLatin1String("KURZY.DB"))
            all += t.file.toStdString() + ":" +
                   enginetest::dump(db, "SELECT * FROM \"" + prefix + t.file.toStdString() + "\"", {}, true) + "\n";
    return all;
}

std::string kurzy(engine::Database& db, const std::string& prefix)
{
    return enginetest::dump(db, "SELECT RDATE, CRCD, CRR FROM \"" + prefix + "KURZY.DB\" ORDER BY RDATE");
}

// The small hotel's rates: 25.1 from 1.3.2004 and 25.4 from 10.3.2004.
const std::string kBefore = "1.3.2004,EUR,25.1;10.3.2004,EUR,25.4";

struct Case {
    const char* name;
    QDate day;               // asked for (invalid: the newest fixing)
    TAnswer answer;
    QByteArray target;       // what the server must have been asked
    rates::Fault fault;
    const char* says;        // a part of the message
    std::string after;       // KURZY.DB afterwards
};

std::vector<Case> cases()
{
    const QByteArray eur = "EMU|euro|1|EUR|24,275";
    const QByteArray today = "09.12.2026 #238";
    const QByteArray daily = "/denni_kurz.txt";
    const auto ok = [](QByteArray body) { return TAnswer{200, std::move(body)}; };
    const rates::Fault None = rates::Fault::None, Layout = rates::Fault::Layout;
    QByteArray page = "<!DOCTYPE html>\n<html><body>Kurzy</body></html>\n";
    QByteArray large = bankFile(today, eur) + QByteArray(70 * 1024, 'x');
    return {
        {"today's file", {}, ok(bankFile(today, eur)), daily, None, "The EUR rate of 9.12.2026 stored: 24.275",
         kBefore + ";9.12.2026,EUR,24.275"},
        // A Sunday: the bank answers with Friday's fixing, stored under Friday.
        {"a past day", QDate(2026, 12, 6), ok(bankFile("04.12.2026 #236", "EMU|euro|1|EUR|24,310")),
         daily + "?date=06.12.2026", None, "of 4.12.2026 stored: 24.31", kBefore + ";4.12.2026,EUR,24.31"},
        {"EUR per 100", {}, ok(bankFile(today, "EMU|euro|100|EUR|2427,5")), daily, None, "stored: 24.275",
         kBefore + ";9.12.2026,EUR,24.275"},
        {"the same rate again", {}, ok(bankFile("10.03.2004 #48", "EMU|euro|1|EUR|25,400")), daily, None,
         "The EUR rate of 10.3.2004 is stored already: 25.4", kBefore},
        {"a changed rate", {}, ok(bankFile("10.03.2004 #48", "EMU|euro|1|EUR|25,520")), daily, None,
         "The EUR rate of 10.3.2004 replaced: 25.52 instead of 25.4", "1.3.2004,EUR,25.1;10.3.2004,EUR,25.52"},
        {"no answer in time", {}, TAnswer{.never = true}, daily, rates::Fault::Timeout, "did not answer within 0.3 s", kBefore},
        {"HTTP 404", {}, TAnswer{404, "Not here"}, daily, rates::Fault::Http, "HTTP error 404", kBefore},
        {"HTTP 500", {}, TAnswer{500, ""}, daily, rates::Fault::Http, "HTTP error 500", kBefore},
        {"a redirect loop", {}, TAnswer{302, "", daily}, daily, rates::Fault::Redirects, "a redirect loop", kBefore},
        {"over 64 KB", {}, TAnswer{200, large, {}, false, 0, false}, daily, rates::Fault::TooLarge, "larger than 64 KB", kBefore},
        {"a web page", {}, ok(page), daily, Layout, "Line 1 of the bank's answer is not the date of a fixing: <!DOCTYPE html>",
         kBefore},
        {"an empty body", {}, ok(""), daily, Layout, "The bank's answer is empty.", kBefore},
        {"no EUR line", {}, ok(bankFile(today, "Kanada|dolar|1|CAD|15,101")), daily, Layout, "has no EUR rate", kBefore},
        {"a rate of 0", {}, ok(bankFile(today, "EMU|euro|1|EUR|0,000")), daily, Layout,
         "Line 4 of the bank's answer gives a rate of 0 or below: EMU|euro|1|EUR|0,000", kBefore},
        {"a rate below 0", {}, ok(bankFile(today, "EMU|euro|1|EUR|-24,275")), daily, Layout, "Line 4", kBefore},
        {"a date line that does not read", {}, ok(bankFile("31.11.2026 #238", eur)), daily, Layout,
         "Line 1 of the bank's answer is not the date of a fixing: 31.11.2026 #238", kBefore},
        {"a changed header", {}, ok("09.12.2026 #238\nzemě|měna|kód|kurz\n" + eur + "\n"), daily, Layout,
         "Line 2 of the bank's answer is not the header", kBefore},
        {"a line of four fields", {}, ok(bankFile(today, "EMU|euro|EUR|24,275")), daily, Layout,
         "Line 4 of the bank's answer is not a currency rate: EMU|euro|EUR|24,275", kBefore},
    };
}

class RatesOnStorage : public ::testing::TestWithParam<Storage> {};

// Each answer: what was asked, the fault or what was stored, the rows of KURZY.DB exactly,
// and every other table as it was.
TEST_P(RatesOnStorage, EveryAnswerLeavesTheRowsItShould)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const enginetest::TestDb t = enginetest::filledDb(GetParam());
        engine::Database db(t.location);
        const std::string others = otherTables(db, t.prefix);
        ASSERT_EQ(kurzy(db, t.prefix), kBefore);
        BankServer bank([&](const QByteArray&) { return c.answer; });
        const rates::TUpdated u = rates::UpdateNow(db, QString::fromStdString(t.prefix), bank.url("/denni_kurz.txt"),
                                                   c.day, {.timeoutMs = 300});
        EXPECT_EQ(int(u.fault), int(c.fault)) << u.message.toStdString();
        EXPECT_TRUE(u.message.contains(QString::fromUtf8(c.says))) << u.message.toStdString();
        ASSERT_FALSE(bank.targets.isEmpty());
        EXPECT_EQ(bank.targets.first(), c.target);
        EXPECT_EQ(kurzy(db, t.prefix), c.after);
        EXPECT_EQ(otherTables(db, t.prefix), others);
    }
}

INSTANTIATE_TEST_SUITE_P(Storages, RatesOnStorage, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return enginetest::storageName(info.param); });

TEST(WorkingDays, HolidaysAndTheNewestFixing)
{
    struct Day {
        QDate day;
        bool working;
    } days[] = {
        {{2024, 3, 29}, false},  // Good Friday
        {{2024, 4, 1}, false},   // Easter Monday
        {{2015, 4, 3}, true},    // Good Friday before it was a holiday
        {{2025, 4, 18}, false},  // Good Friday
        {{2026, 10, 28}, false}, {{2026, 11, 17}, false}, {{2026, 12, 24}, false}, {{2026, 7, 6}, false},
        {{2026, 12, 5}, false},  // a Saturday
        {{2026, 12, 9}, true},
    };
    for (const Day& d : days) EXPECT_EQ(rates::IsCzechWorkingDay(d.day), d.working) << d.day.toString().toStdString();

    struct Moment {
        QDateTime now;
        QDate fixing;
    } moments[] = {
        {{{2026, 12, 9}, {14, 29}}, {2026, 12, 8}},
        {{{2026, 12, 9}, {14, 30}}, {2026, 12, 9}},
        {{{2026, 12, 7}, {9, 0}}, {2026, 12, 4}},    // Monday morning: Friday's
        {{{2026, 12, 28}, {16, 0}}, {2026, 12, 28}},
        {{{2026, 12, 28}, {10, 0}}, {2026, 12, 23}},  // after Christmas
        {{{2024, 4, 2}, {8, 0}}, {2024, 3, 28}},      // after Easter
    };
    for (const Moment& m : moments)
        EXPECT_EQ(rates::LatestFixingDate(m.now), m.fixing) << m.now.toString().toStdString();
}

// The clock of the platform seam fixed for one test.
struct FixedNow {
    explicit FixedNow(QDateTime at) { platform::seams().now = [at] { return at; }; }
    ~FixedNow() { platform::seams().now = nullptr; }
};

// The start-up fetch: due only when the table lacks the newest fixing; started after the
// board's first painting; run() returns while the bank still thinks; the answer is said once;
// the setting switches it off.
TEST(StartupFetch, InTheBackgroundOnlyWhenDue)
{
    const enginetest::TestDb t = enginetest::filledDb(Storage::Files);
    engine::Database db(t.location);
    const QString prefix = QString::fromStdString(t.prefix);
    FixedNow clock({kToday, {15, 0}});
    EXPECT_TRUE(rates::StartupFetchDue(db, prefix, {kToday, {15, 0}}));
    db.execute("INSERT INTO \"" + t.prefix + "KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"8.12.2026\", \"EUR\", 24.3)");
    EXPECT_FALSE(rates::StartupFetchDue(db, prefix, {kToday, {10, 0}}));
    EXPECT_TRUE(rates::StartupFetchDue(db, prefix, {kToday, {15, 0}}));

    BankServer bank([](const QByteArray&) {
        return TAnswer{200, bankFile("09.12.2026 #238", "EMU|euro|1|EUR|24,275"), {}, false, 1500};
    });
    QTemporaryDir dir;
    QFile ini(dir.filePath("tamarel.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(("[RATES]\nUrl=" + bank.url("/denni_kurz.txt") + "\n").toUtf8());
    ini.close();
    const rates::TRateSettings settings = rates::ReadRateSettings(ini.fileName());
    ASSERT_TRUE(settings.fetchAtStart);

    QStringList said;
    QWidget board;
    board.resize(200, 100);
    rates::StartupFetch fetch(db, prefix, settings, [&](const QString& s) { said << s; });
    fetch.armAfterFirstPaint(&board);
    QApplication::processEvents();
    EXPECT_TRUE(bank.targets.isEmpty());  // nothing before the board has painted
    board.show();
    QTRY_VERIFY_WITH_TIMEOUT(fetch.running(), 2000);
    // The board's loop goes on while the bank takes its time.
    QElapsedTimer loop;
    loop.start();
    QApplication::processEvents();
    EXPECT_LT(loop.elapsed(), 200);
    EXPECT_EQ(kurzy(db, t.prefix), kBefore + ";8.12.2026,EUR,24.3");
    QTRY_COMPARE_WITH_TIMEOUT(said.size(), 1, 5000);
    EXPECT_EQ(said.first(), QStringLiteral("The EUR rate of 9.12.2026 stored: 24.275"));
    EXPECT_EQ(kurzy(db, t.prefix), kBefore + ";8.12.2026,EUR,24.3;9.12.2026,EUR,24.275");
    EXPECT_FALSE(fetch.run());  // once per run
    QTest::qWait(100);
    EXPECT_EQ(said.size(), 1);
    EXPECT_EQ(bank.targets.size(), 1);

    // Switched off: nothing is asked however old the rate.
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(("[RATES]\nFetchAtStart=0\nUrl=" + bank.url("/denni_kurz.txt") + "\n").toUtf8());
    ini.close();
    FixedNow later({kToday.addDays(7), {15, 0}});
    rates::StartupFetch off(db, prefix, rates::ReadRateSettings(ini.fileName()), [&](const QString& s) { said << s; });
    EXPECT_FALSE(off.run());
    QTest::qWait(100);
    EXPECT_EQ(bank.targets.size(), 1);

    // A failure is said once, as the reason the rate is missing.
    BankServer down([](const QByteArray&) { return TAnswer{503, ""}; });
    rates::StartupFetch failing(db, prefix, {true, down.url("/denni_kurz.txt")}, [&](const QString& s) { said << s; });
    EXPECT_TRUE(failing.run());
    QTRY_COMPARE_WITH_TIMEOUT(said.size(), 2, 5000);
    EXPECT_EQ(said.last(), QStringLiteral("The EUR rate was not fetched from the Czech National Bank: "
                                          "The bank answered with HTTP error 503 Not OK."));
}

// The window's command in Czech: the date box's day asked for, the stored row in the list,
// the outcome in the message.
TEST(RatesWindow, FetchesTheDayOfTheDateBox)
{
    const enginetest::TestDb t = enginetest::filledDb(Storage::Files);
    TdmDataModule dm(QString::fromStdString(t.location));
    setDataModule(&dm);
    TLanguage language;
    language.setLanguageIdent(2);
    BankServer bank([](const QByteArray&) { return TAnswer{200, bankFile("04.12.2026 #236", "EMU|euro|1|EUR|24,310")}; });
    QTemporaryDir dir;
    platform::setProgramPathForTests(dir.filePath("tamarel"));
    QFile ini(dir.filePath("tamarel.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(("[RATES]\nUrl=" + bank.url("/denni_kurz.txt") + "\n").toUtf8());
    ini.close();
    QStringList boxes;
    platform::seams().messageBox = [&](QWidget*, const QString& text, const QString&, platform::Icon, platform::Buttons) {
        boxes << text;
        return 0x400;  // Ok
    };
    {
        TfrmRates window;
        window.show();
        window.edDateFrom->setDate(QDate(2026, 12, 6));
        QTest::mouseClick(window.btFetch, Qt::LeftButton);
        EXPECT_FALSE(window.btFetch->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 1, 5000);
        EXPECT_TRUE(window.btFetch->isEnabled());
        EXPECT_EQ(boxes.first(), QStringLiteral("Kurz EUR ze dne 4.12.2026 uložen: 24.31"));
        EXPECT_EQ(bank.targets.value(0), QByteArray("/denni_kurz.txt?date=06.12.2026"));
        EXPECT_EQ(window.dbgRates->model()->index(0, 0).data().toString(), QStringLiteral("4.12.2026"));
        EXPECT_EQ(window.dbgRates->model()->index(0, 2).data().toString(), QStringLiteral("24.31"));
    }
    platform::seams().messageBox = nullptr;
    setDataModule(nullptr);
}

// The tool prints what it did and the stored row; a fault ends with its reason and exit 1.
TEST(RatesTool, PrintsTheRowOrTheReason)
{
    const enginetest::TestDb t = enginetest::filledDb(Storage::Files);
    BankServer bank([](const QByteArray& target) {
        return target.contains("date=") ? TAnswer{404, ""} : TAnswer{200, bankFile("09.12.2026 #238", "EMU|euro|1|EUR|24,275")};
    });
    const auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(TAMAREL_DB_TOOL), QStringList{"rates", "fetch", QString::fromStdString(t.location)} + args);
        // The server answers from this thread's loop while the tool waits for it.
        QElapsedTimer waited;
        waited.start();
        while (!p.waitForFinished(10) && waited.elapsed() < 30000) QCoreApplication::processEvents();
        return std::tuple{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    };
    const auto [code, out, err] = run({"--url", bank.url("/denni_kurz.txt")});
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("The EUR rate of 9.12.2026 stored: 24.275\n9.12.2026\tEUR\t24.275\n"));
    const auto [failed, nothing, reason] = run({"--url", bank.url("/denni_kurz.txt"), "--date", "6.12.2026"});
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(nothing.isEmpty());
    EXPECT_EQ(reason, QStringLiteral("The bank answered with HTTP error 404 Not OK.\n"));
    engine::Database db(t.location);
    EXPECT_EQ(kurzy(db, t.prefix), kBefore + ";9.12.2026,EUR,24.275");
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
