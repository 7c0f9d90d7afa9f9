// The rooms and room prices editors driven through their grids and menus, opened from the
// main menu's seam; the tables are checked afterwards. Ends with a hotel set up through the
// settings windows alone, whose prices the price proposal then uses.
#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "SettingsFixture.h"
#include "accounts/TfrmModifActPolDef.h"
#include "accounts/TfrmRates.h"
#include "platform/DialogSeam.h"
#include "lang/Language.h"
#include <QSpinBox>

#include "rooms/TfrmEditPokoje.h"
#include "rooms/TfrmEditPokojeCeny.h"
#include "shell/ValueHelpers.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"

namespace {
const QString kGuard = QStringLiteral("Rooms|»Room id« should NOT be changed!\r\n\r\nAre you absolutely sure to keep the new value ?");
int day(int d, int m, int y) { return shell::NumberFromDate(QDate(y, m, d)); }
}  // namespace

class TestRooms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    void roomIdGuardNoRestoresYesKeeps();
    void newRoomAsksNothingAndGetsNoAuditFields();
    void colourStoredAsWindowsValue();
    void bedsOfTheCurrentRoomAreASharedSetting();
    void pricesEditorShowsOneRoomAndStartsRowsWithIt();
    void refusedRowsStayInEdit();
    void deleteAsksWithTheRoomsCaption();
    void hotelSetUpThroughTheWindows();
    void windowsInBothLanguages();

private:
    void addRoom(const QString& pid, const QString& name);
    TfrmEditPokoje* rooms() const { return settingsWindows().frmEditPokoje; }
    SettingsFixture f;
    TLanguage* m_language = nullptr;
};

void TestRooms::initTestCase()
{
    m_language = new TLanguage(this);
    m_language->setLanguageIdent(1);
}

void TestRooms::addRoom(const QString& pid, const QString& name)
{
    f.exec(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PPRICE, MAIDPRICE, PCOLOR) VALUES (\"%1\", \"%2\", 50, 5, 65280)")
               .arg(pid, name));
}

void TestRooms::roomIdGuardNoRestoresYesKeeps()
{
    addRoom("10", "Ten");
    addRoom("20", "Twenty");
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        TableGrid* g = rooms()->dbgPokoje;
        f.answers = {QMessageBox::No};
        SettingsFixture::type(g, 0, 0, "11");
        SettingsFixture::key(g, Qt::Key_Down);
        QCOMPARE(g->gridModel()->fieldText(0, "PID"), QString("10"));
        f.answers = {QMessageBox::Yes};
        SettingsFixture::type(g, 1, 0, "21");
        SettingsFixture::key(g, Qt::Key_Up);
    };
    QCOMPARE(platform::openDialog(platform::dialogs::Rooms), platform::kRejected);
    QCOMPARE(f.messages, (QStringList{kGuard, kGuard}));
    // No kept the identifier; the row was still edited, so it carries the audit fields.
    QCOMPARE(f.rows("SELECT PID, PNAME, USER, UPMJ, UPMT FROM \"{db}POKOJE.DB\" ORDER BY PID"),
             (QStringList{"10|Ten||5.3.2004|9:05:07", "21|Twenty||5.3.2004|9:05:07"}));
    QCOMPARE(f.rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\" WHERE USER IS NULL"), QStringList{"0"});
}

void TestRooms::newRoomAsksNothingAndGetsNoAuditFields()
{
    addRoom("10", "Ten");
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        TableGrid* g = rooms()->dbgPokoje;
        SettingsFixture::type(g, 0, 1, "Ten!");   // an existing room remembered its identifier...
        rooms()->mnmNewRecord->trigger();         // ...which the new room must not inherit
        QCOMPARE(g->currentRow(), 1);
        SettingsFixture::type(g, 1, 0, "30");
        SettingsFixture::type(g, 1, 1, "Thirty");
    };
    platform::openDialog(platform::dialogs::Rooms);
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(f.rows("SELECT PID, PNAME, UPMJ FROM \"{db}POKOJE.DB\" ORDER BY PID"),
             (QStringList{"10|Ten!|5.3.2004", "30|Thirty|"}));
    QCOMPARE(f.rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\" WHERE PID=\"30\" AND USER IS NULL AND UPMT IS NULL"),
             QStringList{"1"});
    // Edited again later, the appended room gets them.
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        SettingsFixture::type(rooms()->dbgPokoje, 1, 2, "Sea view");
    };
    platform::openDialog(platform::dialogs::Rooms);
    QCOMPARE(f.rows("SELECT PDESCR, UPMJ, UPMT FROM \"{db}POKOJE.DB\" WHERE PID=\"30\""),
             QStringList{"Sea view|5.3.2004|9:05:07"});
}

void TestRooms::colourStoredAsWindowsValue()
{
    addRoom("10", "Ten");
    addRoom("20", "Twenty");
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        TableGrid* g = rooms()->dbgPokoje;
        f.colour = QColor(255, 0, 0);
        rooms()->mnChooseColor->trigger();
        QCOMPARE(f.offeredColour, QColor(0, 255, 0));   // 65280 is pure green
        g->setCurrentIndex(g->model()->index(1, 0));
        f.colour = QColor(0, 0, 255);
        rooms()->mnmChooseColor->trigger();
        // The grid paints the colour column in the room's colour.
        QCOMPARE(g->model()->data(g->model()->index(1, 4), Qt::BackgroundRole).value<QColor>(), QColor(0, 0, 255));
        // A cancelled colour dialog changes nothing.
        f.colour = QColor();
        g->setCurrentIndex(g->model()->index(0, 0));
        rooms()->mnChooseColor->trigger();
    };
    platform::openDialog(platform::dialogs::Rooms);
    QCOMPARE(f.rows("SELECT PID, PCOLOR FROM \"{db}POKOJE.DB\" ORDER BY PID"), (QStringList{"10|255", "20|16711680"}));
}

// The box below the grid shows the current room's beds and stores a change at once; 0 removes
// the setting.
void TestRooms::bedsOfTheCurrentRoomAreASharedSetting()
{
    addRoom("10", "Ten");
    addRoom("20", "Twenty");
    f.exec("INSERT INTO \"{db}NASTAVENI.DB\" (KEY, VALUE) VALUES (\"BEDS.20\", \"3\")");
    f.exec("INSERT INTO \"{db}NASTAVENI.DB\" (KEY, VALUE) VALUES (\"BEDS.30\", \"4\")");
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        TableGrid* g = rooms()->dbgPokoje;
        QCOMPARE(rooms()->spBeds->value(), 0);
        QVERIFY(rooms()->spBeds->isEnabled());
        rooms()->spBeds->setValue(2);
        g->setCurrentIndex(g->model()->index(1, 0));
        QCOMPARE(rooms()->spBeds->value(), 3);
        rooms()->spBeds->setValue(0);
        g->setCurrentIndex(g->model()->index(0, 1));
        QCOMPARE(rooms()->spBeds->value(), 2);
    };
    platform::openDialog(platform::dialogs::Rooms);
    QCOMPARE(f.rows("SELECT KEY, VALUE FROM \"{db}NASTAVENI.DB\" ORDER BY KEY"), (QStringList{"BEDS.10|2", "BEDS.30|4"}));
}

void TestRooms::pricesEditorShowsOneRoomAndStartsRowsWithIt()
{
    addRoom("11", "Eleven");
    addRoom("12", "Twelve");
    f.exec("INSERT INTO \"{db}POKCENY.DB\" (PID, DATEFROM, PPRICE, MAIDPRICE) VALUES (\"11\", \"1.1.2004\", 40, 4)");
    f.exec("INSERT INTO \"{db}POKCENY.DB\" (PID, DATEFROM, PPRICE, MAIDPRICE) VALUES (\"12\", \"1.1.2004\", 60, 6)");
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        TableGrid* g = rooms()->dbgPokoje;
        g->setCurrentIndex(g->model()->index(SettingsFixture::rowOf(g, "PID", "12"), 1));
        rooms()->mnDetailPrices->trigger();
    };
    f.scripts["frmEditPokojeCeny"] = [this](QDialog*) {
        auto* prices = settingsWindows().frmEditPokojeCeny;
        TableGrid* g = prices->dbgPokoje;
        QCOMPARE(prices->PID, QString("12"));
        QCOMPARE(g->model()->rowCount(), 1);
        QCOMPARE(g->gridModel()->fieldText(0, "PPRICE"), QString("60"));
        prices->mnmNewPriceLine->trigger();
        QCOMPARE(g->currentIndex(), g->model()->index(1, 1));
        QCOMPARE(g->gridModel()->fieldText(1, "PID"), QString("12"));
        SettingsFixture::type(g, 1, 1, "1.7.2004");
        SettingsFixture::type(g, 1, 2, "80,5");
        SettingsFixture::type(g, 1, 3, "8");
        SettingsFixture::key(g, Qt::Key_Up);
        SettingsFixture::type(g, 0, 3, "7");
        // A new row that only carries the room is dropped.
        prices->mnmNewPriceLine->trigger();
    };
    platform::openDialog(platform::dialogs::Rooms);
    QCOMPARE(f.opened, (QStringList{"frmEditPokoje", "frmEditPokojeCeny"}));
    QCOMPARE(f.rows("SELECT PID, DATEFROM, PPRICE, MAIDPRICE, UPMJ FROM \"{db}POKCENY.DB\" ORDER BY PID, DATEFROM"),
             (QStringList{"11|1.1.2004|40|4|", "12|1.1.2004|60|7|5.3.2004", "12|1.7.2004|80.5|8|"}));
    QVERIFY(f.messages.isEmpty());

    // Opened by itself with no room, it shows every room's prices.
    settingsWindows().frmEditPokojeCeny->PID.clear();
    f.scripts["frmEditPokojeCeny"] = [](QDialog*) {
        QCOMPARE(settingsWindows().frmEditPokojeCeny->dbgPokoje->model()->rowCount(), 3);
    };
    platform::runModal(settingsWindows().frmEditPokojeCeny);
    QCOMPARE(TfrmEditPokojeCeny::RoomFilter("1'2"), QString(" PID='1''2'"));
}

void TestRooms::refusedRowsStayInEdit()
{
    addRoom("10", "Ten");
    f.exec("INSERT INTO \"{db}POKCENY.DB\" (PID, DATEFROM, PPRICE) VALUES (\"10\", \"1.3.2004\", 40)");
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        TableGrid* g = rooms()->dbgPokoje;
        rooms()->mnmNewRecord->trigger();
        SettingsFixture::type(g, 1, 0, "10");
        SettingsFixture::type(g, 1, 1, "Again");
        SettingsFixture::key(g, Qt::Key_Up);
        QCOMPARE(g->currentRow(), 1);
        QVERIFY(g->gridModel()->inserting());
        // Closing does not lose the row either: the window stays open.
        rooms()->close();
        QVERIFY(rooms()->isVisible());
        SettingsFixture::type(g, 1, 0, "15");
        rooms()->mnDetailPrices->trigger();
    };
    f.scripts["frmEditPokojeCeny"] = [this](QDialog*) {
        auto* prices = settingsWindows().frmEditPokojeCeny;
        QCOMPARE(prices->PID, QString("15"));
        prices->PID = "10";
        prices->FormActivate();
        TableGrid* g = prices->dbgPokoje;
        prices->mnmNewPriceLine->trigger();
        SettingsFixture::type(g, 1, 1, "01.03.2004");
        SettingsFixture::type(g, 1, 2, "45");
        SettingsFixture::key(g, Qt::Key_Up);
        QCOMPARE(g->currentRow(), 1);
        QCOMPARE(g->gridModel()->fieldText(1, "PPRICE"), QString("45"));
        SettingsFixture::type(g, 1, 1, "2.3.2004");
    };
    platform::openDialog(platform::dialogs::Rooms);
    QCOMPARE(f.messages.size(), 3);
    for (const QString& m : f.messages) QVERIFY2(m.contains("Key violation"), qPrintable(m));
    QCOMPARE(f.rows("SELECT PID, PNAME FROM \"{db}POKOJE.DB\" ORDER BY PID"), (QStringList{"10|Ten", "15|Again"}));
    QCOMPARE(f.rows("SELECT DATEFROM, PPRICE FROM \"{db}POKCENY.DB\" ORDER BY DATEFROM"),
             (QStringList{"1.3.2004|40", "2.3.2004|45"}));
}

void TestRooms::deleteAsksWithTheRoomsCaption()
{
    addRoom("10", "Ten");
    addRoom("20", "Twenty");
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        f.answers = {QMessageBox::No};
        rooms()->mnDelete->trigger();
        f.answers = {QMessageBox::Yes};
        rooms()->mnmDelete->trigger();
    };
    platform::openDialog(platform::dialogs::Rooms);
    QCOMPARE(f.messages, (QStringList{"Rooms|Are you sure to delete this record?", "Rooms|Are you sure to delete this record?"}));
    QCOMPARE(f.rows("SELECT PID FROM \"{db}POKOJE.DB\""), QStringList{"20"});
}

void TestRooms::hotelSetUpThroughTheWindows()
{
    // Three rooms, the rooms editor's defaults for two of them and a price list for the third.
    f.scripts["frmEditPokoje"] = [this](QDialog*) {
        TableGrid* g = rooms()->dbgPokoje;
        const QStringList rows[] = {{"1", "Single", "Single room", "12", "", "40", "5"},
                                    {"2", "Double", "Double room", "18", "", "50", "6"},
                                    {"3", "Suite", "Suite", "30,5", "", "90", "9"}};
        for (int r = 0; r < 3; ++r) {
            rooms()->mnmNewRecord->trigger();
            for (int c = 0; c < 7; ++c)
                if (!rows[r][c].isEmpty()) SettingsFixture::type(g, r, c, rows[r][c]);
        }
        g->setCurrentIndex(g->model()->index(SettingsFixture::rowOf(g, "PID", "2"), 0));
        QCOMPARE(g->currentText("PID"), QString("2"));
        rooms()->mnmDetailPrices->trigger();
    };
    f.scripts["frmEditPokojeCeny"] = [](QDialog*) {
        auto* prices = settingsWindows().frmEditPokojeCeny;
        TableGrid* g = prices->dbgPokoje;
        prices->mnmNewPriceLine->trigger();
        SettingsFixture::type(g, 0, 1, "1.3.2004");
        SettingsFixture::type(g, 0, 2, "60");
        SettingsFixture::type(g, 0, 3, "6");
        SettingsFixture::key(g, Qt::Key_Down);   // the grid appends the next row itself
        QCOMPARE(g->gridModel()->fieldText(1, "PID"), QString("2"));
        SettingsFixture::type(g, 1, 1, "15.3.2004");
        SettingsFixture::type(g, 1, 2, "80");
        SettingsFixture::type(g, 1, 3, "8");
    };
    platform::openDialog(platform::dialogs::Rooms);

    f.scripts["frmModifActPolDef"] = [](QDialog*) {
        TableGrid* g = settingsWindows().frmModifActPolDef->dbgUCPODEF;
        const QStringList types[] = {{"1", "Accomodation", "5", "-1"}, {"2", "Maid service", "19", "5"}};
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 4; ++c) SettingsFixture::type(g, r, c, types[r][c]);
            SettingsFixture::key(g, Qt::Key_Tab);   // past the last cell: the row is written
            QCOMPARE(g->currentIndex(), g->model()->index(r + 1, 0));
        }
    };
    platform::openDialog(platform::dialogs::AcctItemTypes);

    f.scripts["frmRates"] = [](QDialog*) {
        auto* rates = settingsWindows().frmRates;
        rates->edDateFrom->setText("1.1.2004");
        rates->edRate->setText("25,125");
        QTest::mouseClick(rates->btInsert, Qt::LeftButton);
    };
    platform::openDialog(platform::dialogs::Rates);

    QCOMPARE(f.opened, (QStringList{"frmEditPokoje", "frmEditPokojeCeny", "frmModifActPolDef", "frmRates"}));
    QCOMPARE(f.messages, QStringList{"Tamarel|Value \"-1\" in tax columns means \"Not available\""});
    QCOMPARE(f.rows("SELECT PID, PNAME, PMETR, PPRICE FROM \"{db}POKOJE.DB\" ORDER BY PID"),
             (QStringList{"1|Single|12|40", "2|Double|18|50", "3|Suite|30.5|90"}));

    double total = 0, maid = 0;
    QVERIFY(f.dm->ProposeRoomPrice("Double", day(13, 3, 2004), day(17, 3, 2004), total, maid));
    QCOMPARE(total, 280.0);   // 60 + 60 + 80 + 80
    QCOMPARE(maid, 28.0);
    QVERIFY(f.dm->ProposeRoomPrice("Suite", day(13, 3, 2004), day(15, 3, 2004), total, maid));
    QCOMPARE(total, 180.0);
    QCOMPARE(f.dm->CurrentRate("5.3.2004"), 25.125);
    QCOMPARE(f.dm->FindAcctType("UPNAME", "Maid").UPTAX1, 19);
    QCOMPARE(f.dm->FindAcctType("UPID", "1").UPTAX2, -1);
}

void TestRooms::windowsInBothLanguages()
{
    addRoom("10", "Ten");
    f.exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, \"Accomodation\", 5, -1)");
    f.exec("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"1.1.2004\", \"EUR\", 25.1)");
    const QString shots = qEnvironmentVariable("SETTINGS_SHOTS_DIR");
    QStringList titles;
    auto shoot = [&](QDialog* d) {
        QCoreApplication::processEvents();
        if (auto* rates = qobject_cast<TfrmRates*>(d)) {
            // Nothing clipped: every caption gets at least the room it asks for.
            for (QWidget* w : {static_cast<QWidget*>(rates->lbDateFrom), static_cast<QWidget*>(rates->lbRate),
                               static_cast<QWidget*>(rates->btInsert)})
                QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
            QVERIFY(rates->gbNewRate->width() >= rates->gbNewRate->minimumSizeHint().width());
        }
        const auto* grid = d->findChild<QAbstractItemView*>();
        titles << d->windowTitle() + ":" + grid->model()->headerData(0, Qt::Horizontal).toString();
        if (!shots.isEmpty())
            d->grab().save(QDir(shots).filePath(QStringLiteral("%1-%2.png").arg(d->objectName()).arg(m_language->LanguageIdent())));
    };
    for (const char* name : {"frmEditPokoje", "frmEditPokojeCeny", "frmModifActPolDef", "frmRates"}) f.scripts[name] = shoot;
    auto all = [&] {
        platform::openDialog(platform::dialogs::Rooms);
        platform::runModal(settingsWindows().frmEditPokojeCeny);
        platform::openDialog(platform::dialogs::AcctItemTypes);
        platform::openDialog(platform::dialogs::Rates);
    };
    all();
    m_language->setLanguageIdent(2);
    m_language->TranslateAll();
    all();
    m_language->setLanguageIdent(1);
    m_language->TranslateAll();
    all();
    QCOMPARE(titles, (QStringList{"Rooms Settings:Room Id", "Room Prices Settings:Room Id",
                                  "Account Item Types Definition:Sequence", "Currency Rates:Date From",
                                  "Nastavení pokojů:Číslo pokoje", "Nastavení cen pokojů:Číslo pokoje",
                                  "Definice typů položek účtu:Pořadí", "Kurzy měn:Datum od",
                                  "Rooms Settings:Room Id", "Room Prices Settings:Room Id",
                                  "Account Item Types Definition:Sequence", "Currency Rates:Date From"}));
    QCOMPARE(settingsWindows().frmRates->gbNewRate->title(), QString(" New rate "));
}

QTEST_MAIN(TestRooms)
#include "RoomsWindowsTest.moc"
