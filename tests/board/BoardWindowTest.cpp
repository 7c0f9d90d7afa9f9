// The board window with a database made by statements and the clock fixed on Wednesday
// 10.3.2004: cell colours and texts rendered into an image, the navigation cell, the
// dispatch of double-click and Enter by status, the housekeeping commands checked in the
// tables afterwards, the timer's reload and reminder, the help page and the menu tree.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHash>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include "board/BoardModel.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "board/TfrmNewDateTamarel.h"
#include "lang/Language.h"
#include "lang/LanguageTables.h"
#include "shell/ValueHelpers.h"
#include "BoardFixture.h"
#include "TableLocks.h"
#include "engine/SpanIndex.h"

#include <QContextMenuEvent>
#include <QProgressDialog>
#include <sqlite3.h>

namespace {

const QDateTime kNow(QDate(2004, 3, 10), QTime(12, 0, 0));
int day(int d, int m = 3) { return shell::NumberFromDate(QDate(2004, m, d)); }

// Windows colour values 0x00BBGGRR, all different so each status is told apart.
constexpr int kDefault = 0xFFFFFF, kPreliminary = 0xFFC8C8, kDefinitive = 0x00FFFF, kCheckedIn = 0x008000,
              kCheckedOut = 0xFF0000, kNotAvailable = 0x800080, kConflict = 0x0000FF;

QColor win(int value) { return colorFromWindows(value); }

struct Board {
    explicit Board(BoardFixture& f) : fixture(f)
    {
        TOptions& o = options();
        o.Default = kDefault;
        o.PreliminaryR = kPreliminary;
        o.DefinitiveR = kDefinitive;
        o.CheckedIn = kCheckedIn;
        o.CheckedOut = kCheckedOut;
        o.NotAvailable = kNotAvailable;
        o.Conflict = kConflict;
        o.PreferEUR = true;
        newDate = std::make_unique<TfrmNewDateTamarel>();
        main = std::make_unique<TfrmMain>();
        main->tmrTimer()->stop();
        main->setColumnCount(8);  // 7 days: Monday 8.3 to Sunday 14.3
        main->setFirstDate(day(8));
    }
    void load()
    {
        main->LoadRooms();
        main->RefreshBoard();
        main->resize(1000, main->height());
        main->show();
        if (!QTest::qWaitForWindowExposed(main.get())) qWarning("the board was not shown");
        main->LoadRooms();
        main->RefreshBoard();
    }
    TDrawGrid* grid() const { return main->grDraw(); }
    int rowOf(const QString& pid) const
    {
        for (int i = 0; i < main->rooms().size(); ++i)
            if (main->rooms().at(i).PID == pid) return i + 1;
        return -1;
    }
    int colOf(int dayNumber) const { return dayNumber - main->firstDate() + 1; }
    QImage image() const { return grid()->viewport()->grab().toImage(); }
    // The cell's fill, read away from its centred texts.
    QColor fill(int col, int row) const
    {
        const QRect r = grid()->cellRect(col, row);
        return image().pixelColor(r.topLeft() + QPoint(3, 3));
    }
    int pixelsLike(int col, int row, const std::function<bool(const QColor&)>& like) const
    {
        const QImage img = image();
        const QRect r = grid()->cellRect(col, row);
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) n += like(img.pixelColor(x, y)) ? 1 : 0;
        return n;
    }
    QPoint centre(int col, int row) const { return grid()->cellRect(col, row).center(); }
    void select(const QString& pid, int dayNumber) { grid()->setSelection(colOf(dayNumber), rowOf(pid)); }

    BoardFixture& fixture;
    std::unique_ptr<TfrmNewDateTamarel> newDate;
    std::unique_ptr<TfrmMain> main;
};

bool isRed(const QColor& c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; }
bool isWhite(const QColor& c) { return c.red() > 230 && c.green() > 230 && c.blue() > 230; }
bool isBlack(const QColor& c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; }

// Keeps a window from learning that it was activated, as where no window manager runs.
class NoActivation : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        return event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowActivate;
    }
};

QStringList texts(const QVector<ShownMessage>& messages)
{
    QStringList list;
    for (const ShownMessage& m : messages) list << m.text;
    return list;
}

}  // namespace

class BoardWindowTest : public QObject {
    Q_OBJECT
private slots:
    void paintsStatusColoursHeadsAndTexts();
    void gridLinesFrameEveryCellScrolledOrPrinted();
    void navigationCellMovesDays();
    void doubleClickAndEnterDispatchByStatus();
    void removeExpiredReservations();
    void removeSelectedReservation();
    void checkInGate_data();
    void checkInGate();
    void addStayToAccount();
    void timerReloadsHidesSplashAndShowsDueReminder();
    void failingStayQueryIsReported_data();
    void failingStayQueryIsReported();
    void restoreReloadsWhateverItDid();
    void boardLoadsWithoutActivation();
    void helpOpensThePageBesideTheProgram();
    void menuTreeAndAccountCommands();
    void optionsChangeTheColumnCount();
    void driveWarningOnActivation();
    void cellMenuHoldsTheActionMenusCommands();
    void aFolderWithoutTheStaysIndexGetsItUnderAProgressWindow();
    void commandsSayWhatTheyCouldNotDoWhileTablesAreLocked();
};

void BoardWindowTest::paintsStatusColoursHeadsAndTexts()
{
    BoardFixture f(kNow);
    for (int i = 1; i <= 6; ++i) f.addRoom(QStringLiteral("10%1").arg(i), QStringLiteral("Room %1").arg(i));
    const int novak = f.addClient("Mr", "Novak", "Jan");
    const int svoboda = f.addClient("", "Svoboda", "Petr");
    const int gone = f.addClient("", "Gone", "Guest");
    f.addStay(novak, "101", "8.3.2004", "10.3.2004", "R");
    f.addStay(svoboda, "101", "10.3.2004", "12.3.2004", "P");
    f.addStay(novak, "102", "9.3.2004", "12.3.2004", "H", "", 1);
    f.addStay(svoboda, "102", "8.3.2004", "9.3.2004", "O");
    f.addStay(0, "103", "11.3.2004", "14.3.2004", "X", "Painting");
    f.addStay(novak, "104", "8.3.2004", "11.3.2004", "R");
    f.addStay(svoboda, "104", "10.3.2004", "12.3.2004", "P");
    f.addStay(svoboda, "105", "12.3.2004", "13.3.2004", "?");
    f.addStay(gone, "106", "8.3.2004", "10.3.2004", "H", "", 7);
    f.exec(QStringLiteral("DELETE FROM \"{db}KARTY.DB\" WHERE KID=%1").arg(gone));

    Board b(f);
    b.load();
    QVERIFY(f.messages.isEmpty());
    const int r101 = b.rowOf("101"), r102 = b.rowOf("102"), r103 = b.rowOf("103"), r104 = b.rowOf("104"),
              r105 = b.rowOf("105"), r106 = b.rowOf("106");

    struct Expect { int col, row, colour; const char* what; } cells[] = {
        {b.colOf(day(8)), r101, kDefinitive, "definitive"},
        {b.colOf(day(9)), r101, kDefinitive, "definitive, last night"},
        {b.colOf(day(10)), r101, kPreliminary, "preliminary from the departure day on"},
        {b.colOf(day(12)), r101, kDefault, "free"},
        {b.colOf(day(10)), r102, kCheckedIn, "checked in"},
        {b.colOf(day(8)), r102, kCheckedOut, "checked out"},
        {b.colOf(day(11)), r103, kNotAvailable, "out of order"},
        {b.colOf(day(14)), r103, kDefault, "free after out of order"},
        {b.colOf(day(9)), r104, kDefinitive, "before the conflict"},
        {b.colOf(day(10)), r104, kConflict, "two stays in one night"},
        {b.colOf(day(12)), r105, kConflict, "invalid status"},
        {b.colOf(day(8)), r106, kCheckedIn, "stay whose client card is gone"},
    };
    for (const Expect& e : cells) QCOMPARE(b.fill(e.col, e.row), win(e.colour));

    // Texts of the cells, as the window paints them.
    const TfrmMain::TCellLook conflict = b.main->cellLook(b.colOf(day(10)), r104);
    QCOMPARE(conflict.upper, QString("Mr Novak Jan"));
    QCOMPARE(conflict.lower, QString("Svoboda Petr"));
    QVERIFY(conflict.twoLines);
    QCOMPARE(b.main->cellLook(b.colOf(day(8)), r101).lower, QString("150 + 30 EUR"));
    options().PreferEUR = false;
    b.main->LoadStays();
    QCOMPARE(b.main->cellLook(b.colOf(day(8)), r101).lower, QString::fromUtf8("3750 + 750 Kč"));
    options().PreferEUR = true;
    b.main->LoadStays();
    QCOMPARE(b.main->cellLook(b.colOf(day(10)), r101).upper, QString("Svoboda Petr"));
    const TfrmMain::TCellLook outOfOrder = b.main->cellLook(b.colOf(day(12)), r103);
    QVERIFY(!outOfOrder.twoLines);
    QCOMPARE(outOfOrder.upper, QString("Painting"));
    QCOMPARE(b.main->cellLook(b.colOf(day(12)), r105).lower, QString("Invalid Status!"));
    QVERIFY(b.main->cellLook(b.colOf(day(12)), r101).upper.isEmpty());
    QCOMPARE(b.main->cellLook(b.colOf(day(8)), 0).upper, QString("8.3.2004"));
    QCOMPARE(b.main->cellLook(0, r103).upper, QString("Room 3"));
    const TRoomsUsage* orphan = b.main->stays().stayAt("106", day(9));
    QVERIFY(orphan);
    QCOMPARE(orphan->KID, gone);
    QVERIFY(orphan->name.isEmpty());
    // Black text on yellow, white text on green.
    QVERIFY(b.pixelsLike(b.colOf(day(8)), r101, isBlack) > 10);
    QVERIFY(b.pixelsLike(b.colOf(day(10)), r102, isWhite) > 10);

    // Date heads: today blue with white text, Saturday and Sunday in red, others plain.
    const int today = b.colOf(day(10));
    QCOMPARE(b.fill(today, 0), QColor(Qt::blue));
    QVERIFY(b.pixelsLike(today, 0, isWhite) > 10);
    QVERIFY(b.pixelsLike(b.colOf(day(13)), 0, isRed) > 10);
    QVERIFY(b.pixelsLike(b.colOf(day(14)), 0, isRed) > 10);
    QCOMPARE(b.pixelsLike(b.colOf(day(8)), 0, isRed), 0);
    QVERIFY(b.fill(b.colOf(day(8)), 0) != QColor(Qt::blue));
    // Navigation cell white with blue text; room heads in their colour.
    QCOMPARE(b.fill(0, 0), QColor(Qt::white));
    QVERIFY(b.pixelsLike(0, 0, [](const QColor& c) { return c.blue() > 200 && c.red() < 60; }) > 10);
    QCOMPARE(b.fill(0, r101), win(0xC0C0C0));
}

// The 1-pixel lines right of and below every cell, on the screen (also scrolled) and in a
// rendering of the whole grid; the cells keep their fills up to their edges.
void BoardWindowTest::gridLinesFrameEveryCellScrolledOrPrinted()
{
    BoardFixture f(kNow);
    for (int i = 1; i <= 4; ++i) f.addRoom(QStringLiteral("10%1").arg(i), QStringLiteral("Room %1").arg(i));
    const int novak = f.addClient("Mr", "Novak", "Jan");
    f.addStay(novak, "101", "8.3.2004", "11.3.2004", "H");
    f.addStay(novak, "103", "9.3.2004", "14.3.2004", "R");
    Board b(f);
    b.load();
    const auto check = [&](const QImage& img, const std::function<QRect(int, int)>& rectOf, const char* where) {
        for (int row = 0; row < b.grid()->rowCount(); ++row) {
            for (int col = 0; col < b.grid()->colCount(); ++col) {
                const QRect r = rectOf(col, row);
                if (r.isEmpty() || r.right() + 1 >= img.width() || r.bottom() + 1 >= img.height()) continue;
                for (int y = r.top(); y <= r.bottom() + 1; ++y)
                    QVERIFY2(isBlack(img.pixelColor(r.right() + 1, y)), qPrintable(QStringLiteral("%1: line right of %2,%3").arg(where).arg(col).arg(row)));
                for (int x = r.left(); x <= r.right() + 1; ++x)
                    QVERIFY2(isBlack(img.pixelColor(x, r.bottom() + 1)), qPrintable(QStringLiteral("%1: line below %2,%3").arg(where).arg(col).arg(row)));
                if (row > 0 && col > 0)
                    for (const QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
                        QCOMPARE(img.pixelColor(corner), img.pixelColor(r.topLeft() + QPoint(3, 3)));
            }
        }
    };
    check(b.image(), [&](int c, int r) { return b.grid()->cellRect(c, r); }, "screen");
    b.grid()->setLeftCol(3);
    QCOMPARE(b.grid()->leftCol(), 3);
    check(b.image(), [&](int c, int r) { return b.grid()->cellRect(c, r); }, "scrolled");
    QImage all(b.grid()->totalWidth(), b.grid()->totalHeight(), QImage::Format_RGB32);
    all.fill(Qt::white);
    {
        QPainter p(&all);
        b.grid()->renderAll(p);
    }
    const auto unscrolled = [&](int c, int r) {
        int x = 0, y = 0;
        for (int i = 0; i < c; ++i) x += b.grid()->colWidth(i) + 1;
        for (int i = 0; i < r; ++i) y += b.grid()->rowHeight(i) + 1;
        return QRect(x, y, b.grid()->colWidth(c), b.grid()->rowHeight(r));
    };
    check(all, unscrolled, "whole grid");
    QCOMPARE(all.pixelColor(unscrolled(b.colOf(day(9)), b.rowOf("101")).topLeft() + QPoint(3, 3)), win(kCheckedIn));
}

void BoardWindowTest::navigationCellMovesDays()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("", "Novak", "Jan");
    f.addStay(kid, "101", "9.3.2004", "10.3.2004", "R");
    Board b(f);
    b.load();
    const int r = b.rowOf("101");
    QCOMPARE(b.fill(2, r), win(kDefinitive));
    const int half = b.grid()->colWidth(0) / 2;

    QTest::mousePress(b.grid()->viewport(), Qt::LeftButton, {}, QPoint(half + 12, 8));
    QCOMPARE(b.main->firstDate(), day(9));
    QCOMPARE(b.fill(1, r), win(kDefinitive));  // every stay one column to the left
    QCOMPARE(b.fill(2, r), win(kDefault));
    QTest::mousePress(b.grid()->viewport(), Qt::RightButton, {}, QPoint(half - 12, 8));
    QCOMPARE(b.main->firstDate(), day(8));
    // A double-click is two presses: press, release, then the second press arrives as the
    // double-click event.
    auto doubleClick = [&](const QPoint& at) {
        QTest::mouseClick(b.grid()->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent second(QEvent::MouseButtonDblClick, at, b.grid()->viewport()->mapToGlobal(at), Qt::LeftButton,
                           Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(b.grid()->viewport(), &second);
        QTest::mouseRelease(b.grid()->viewport(), Qt::LeftButton, {}, at);
    };
    doubleClick(QPoint(half + 12, 8));
    QCOMPARE(b.main->firstDate(), day(10));
    doubleClick(QPoint(half - 12, 8));
    QCOMPARE(b.main->firstDate(), day(8));
    // Outside the navigation cell nothing moves.
    QTest::mousePress(b.grid()->viewport(), Qt::LeftButton, {}, b.centre(3, 0));
    QCOMPARE(b.main->firstDate(), day(8));

    // The middle asks for a date; only OK moves the board.
    int asked = -1;
    platform::seams().runModal = [&](QDialog* dialog) {
        auto* newDate = qobject_cast<TfrmNewDateTamarel*>(dialog);
        asked = newDate->date();
        newDate->setDate(day(1, 4));
        return int(QDialog::Rejected);
    };
    QTest::mousePress(b.grid()->viewport(), Qt::LeftButton, {}, QPoint(half, 8));
    QCOMPARE(asked, day(8));
    QCOMPARE(b.main->firstDate(), day(8));
    platform::seams().runModal = [&](QDialog* dialog) {
        qobject_cast<TfrmNewDateTamarel*>(dialog)->setDate(day(1, 4));
        // TAMAREL_SHOTS=folder keeps a picture of the dialog for a look.
        if (qEnvironmentVariableIsSet("TAMAREL_SHOTS"))
            dialog->grab().save(qEnvironmentVariable("TAMAREL_SHOTS") + "/frmNewDateTamarel.png");
        return int(QDialog::Accepted);
    };
    QTest::mousePress(b.grid()->viewport(), Qt::LeftButton, {}, QPoint(half + 8, 8));
    QCOMPARE(b.main->firstDate(), day(1, 4));
    QCOMPARE(b.grid()->leftCol(), 1);
    QCOMPARE(b.fill(1, r), win(kDefault));
}

void BoardWindowTest::doubleClickAndEnterDispatchByStatus()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    f.addRoom("102", "Room 2");
    const int kid = f.addClient("", "Novak", "Jan");
    const int reserved = f.addStay(kid, "101", "8.3.2004", "9.3.2004", "R");
    const int checkedIn = f.addStay(kid, "101", "9.3.2004", "10.3.2004", "H", "", 3);
    f.addStay(kid, "101", "10.3.2004", "11.3.2004", "O", "", 3);
    const int outOfOrder = f.addStay(0, "101", "11.3.2004", "12.3.2004", "X", "Leak");
    const int first = f.addStay(kid, "102", "8.3.2004", "10.3.2004", "P");
    const int second = f.addStay(kid, "102", "9.3.2004", "10.3.2004", "R");
    f.recordDialogs({platform::dialogs::Reservation, platform::dialogs::RoomDetail, platform::dialogs::OutOfOrders});
    Board b(f);
    b.load();
    auto click = [&](int col, int row) {
        f.dialogs.clear();
        f.messages.clear();
        QTest::mouseDClick(b.grid()->viewport(), Qt::LeftButton, {}, b.centre(col, row));
    };
    const int r1 = b.rowOf("101"), r2 = b.rowOf("102");

    click(b.colOf(day(8)), r1);
    QCOMPARE(f.dialogs.size(), 1);
    QCOMPARE(f.dialogs[0].name, platform::dialogs::Reservation);
    QCOMPARE(f.dialogs[0].args.value("BID").toInt(), reserved);
    click(b.colOf(day(9)), r1);
    QCOMPARE(f.dialogs.value(0).name, platform::dialogs::RoomDetail);
    QCOMPARE(f.dialogs.value(0).args.value("BID").toInt(), checkedIn);
    click(b.colOf(day(10)), r1);
    QVERIFY(f.dialogs.isEmpty());
    QCOMPARE(texts(f.messages), QStringList{"The client has already checked out"});
    click(b.colOf(day(11)), r1);
    QCOMPARE(f.dialogs.value(0).name, platform::dialogs::OutOfOrders);
    QCOMPARE(f.dialogs.value(0).args.value("BID").toInt(), outOfOrder);
    // A free night opens a new reservation for that room and night.
    click(b.colOf(day(13)), r1);
    QCOMPARE(f.dialogs.value(0).name, platform::dialogs::Reservation);
    QCOMPARE(f.dialogs.value(0).args.value("BID").toInt(), 0);
    QCOMPARE(f.dialogs.value(0).args.value("PID").toString(), QString("101"));
    QCOMPARE(f.dialogs.value(0).args.value("DATEFROM").toInt(), day(13));
    // Two stays in one night open each in turn.
    click(b.colOf(day(9)), r2);
    QCOMPARE(f.dialogs.size(), 2);
    QCOMPARE(f.dialogs[0].args.value("BID").toInt(), first);
    QCOMPARE(f.dialogs[1].args.value("BID").toInt(), second);
    // Heads do nothing.
    click(b.colOf(day(9)), 0);
    click(0, r2);
    QVERIFY(f.dialogs.isEmpty());

    // Enter acts on the selected cell.
    b.select("101", day(8));
    f.dialogs.clear();
    b.grid()->setFocus();
    QTest::keyClick(b.grid(), Qt::Key_Return);
    QCOMPARE(f.dialogs.size(), 1);
    QCOMPARE(f.dialogs[0].args.value("BID").toInt(), reserved);
}

void BoardWindowTest::removeExpiredReservations()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("", "Novak", "Jan");
    const int expired = f.addStay(kid, "101", "1.4.2004", "3.4.2004", "P", "", 0, "9.3.2004");
    const int heldToday = f.addStay(kid, "101", "4.4.2004", "5.4.2004", "P", "", 0, "10.3.2004");
    const int definitive = f.addStay(kid, "101", "6.4.2004", "7.4.2004", "R", "", 0, "1.3.2004");
    const int noDate = f.addStay(kid, "101", "8.4.2004", "9.4.2004", "P");
    Board b(f);
    b.load();

    f.answers = {QMessageBox::No};
    b.main->menuItem("mnRemovePrelRes")->trigger();
    QCOMPARE(f.count("SELECT * FROM \"{db}POBYTY.DB\""), 4);
    QCOMPARE(f.messages.size(), 1);

    f.messages.clear();
    f.answers = {QMessageBox::Yes, QMessageBox::Ok};
    b.main->menuItem("mnRemovePrelRes")->trigger();
    QCOMPARE(f.messages.size(), 2);
    QCOMPARE(f.messages[0].text, QString("Do you wish to remove expired preliminary reservations?"));
    QCOMPARE(f.messages[0].caption, QString("Reservations"));
    QCOMPARE(f.messages[1].text, QString("Number of removed reservations is 1"));
    QCOMPARE(f.messages[1].caption, QString("Removed reservations"));
    QCOMPARE(f.count(QString("SELECT * FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(expired)), 0);
    for (int kept : {heldToday, definitive, noDate})
        QCOMPARE(f.count(QString("SELECT * FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(kept)), 1);
}

void BoardWindowTest::removeSelectedReservation()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("", "Novak", "Jan");
    const int checkedIn = f.addStay(kid, "101", "8.3.2004", "10.3.2004", "H", "", 2);
    const int preliminary = f.addStay(kid, "101", "10.3.2004", "12.3.2004", "P");
    Board b(f);
    b.load();
    b.grid()->setFocus();

    b.select("101", day(13));
    QTest::keyClick(b.grid(), Qt::Key_Delete);
    QCOMPARE(texts(f.messages), QStringList{"No reservation selected"});
    QCOMPARE(f.messages[0].caption, QString("Delete reservation"));

    f.messages.clear();
    b.select("101", day(9));
    QTest::keyClick(b.grid(), Qt::Key_Delete);
    QCOMPARE(texts(f.messages), QStringList{"Can't delete stay in this status"});
    QCOMPARE(f.count(QString("SELECT * FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(checkedIn)), 1);

    f.messages.clear();
    b.select("101", day(11));
    f.answers = {QMessageBox::No};
    b.main->menuItem("mnRemoveSelectedRes")->trigger();
    QCOMPARE(f.count(QString("SELECT * FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(preliminary)), 1);
    f.answers = {QMessageBox::Yes};
    QTest::keyClick(b.grid(), Qt::Key_Delete);
    QCOMPARE(f.messages.last().text, QString("Are you sure to delete the selected reservation?"));
    QCOMPARE(f.count(QString("SELECT * FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(preliminary)), 0);
    QCOMPARE(b.fill(b.colOf(day(11)), b.rowOf("101")), win(kDefault));
    QCOMPARE(b.grid()->rowCount(), 2);  // the grid row itself stays
}

void BoardWindowTest::checkInGate_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("withCard");
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("openAccount");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("dialogOpened");
    const QString late = "The room is not booked from today!\r\n\r\nAre you sure to check in?";
    QTest::newRow("free night") << "" << true << "" << false << 0 << QStringList{"No reservation selected"} << false;
    QTest::newRow("no client card") << "R" << false << "10.3.2004" << false << 0
                                    << QStringList{"Client card not attached to the reservation"} << false;
    QTest::newRow("already in") << "H" << true << "10.3.2004" << false << 0 << QStringList{"Already checked in"} << false;
    QTest::newRow("arrives tomorrow") << "R" << true << "11.3.2004" << false << 0
                                      << QStringList{"The room is not booked from today! Can't check in"} << false;
    QTest::newRow("arrived yesterday, no") << "P" << true << "9.3.2004" << false << int(QMessageBox::No)
                                           << QStringList{late} << false;
    QTest::newRow("arrived yesterday, yes") << "P" << true << "9.3.2004" << false << int(QMessageBox::Yes)
                                            << QStringList{late} << true;
    QTest::newRow("account open") << "R" << true << "10.3.2004" << true << 0
                                  << QStringList{"Client's account is already open. Choose \"Add to account\""} << false;
    QTest::newRow("today") << "R" << true << "10.3.2004" << false << 0 << QStringList{} << true;
}

void BoardWindowTest::checkInGate()
{
    QFETCH(QString, status);
    QFETCH(bool, withCard);
    QFETCH(QString, from);
    QFETCH(bool, openAccount);
    QFETCH(int, answer);
    QFETCH(QStringList, messages);
    QFETCH(bool, dialogOpened);

    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("", "Novak", "Jan");
    int bid = 0;
    if (!status.isEmpty())
        bid = f.addStay(withCard ? kid : 0, "101", from, "14.3.2004", status, withCard ? "" : "Walk-in");
    if (openAccount) f.openAccount(kid);
    f.recordDialogs({platform::dialogs::CheckIn});
    Board b(f);
    b.load();
    b.select("101", day(12));
    if (answer) f.answers = {answer};
    b.main->menuItem("mnCheckIn")->trigger();
    QCOMPARE(texts(f.messages), messages);
    for (const ShownMessage& m : f.messages) QCOMPARE(m.caption, QString("Check in"));
    QCOMPARE(f.dialogs.size(), dialogOpened ? 1 : 0);
    if (dialogOpened) {
        QCOMPARE(f.dialogs[0].args.value("BID").toInt(), bid);
        QCOMPARE(f.dialogs[0].args.value("KID").toInt(), kid);
        QCOMPARE(f.dialogs[0].args.value("DATEFROM").toInt(), shell::ParseDayMonthYear(from));
    }
}

void BoardWindowTest::addStayToAccount()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    f.addRoom("102", "Room 2");
    const int kid = f.addClient("", "Novak", "Jan");
    const int other = f.addClient("", "Svoboda", "Petr");
    const int account = f.openAccount(kid);
    const int now = f.addStay(kid, "101", "10.3.2004", "11.3.2004", "R");
    const int later = f.addStay(kid, "101", "20.3.2004", "22.3.2004", "P");
    const int otherRoom = f.addStay(kid, "102", "10.3.2004", "11.3.2004", "R");
    f.addStay(other, "102", "12.3.2004", "13.3.2004", "R");
    Board b(f);
    b.load();

    b.select("101", day(10));
    b.main->menuItem("mnAddToAccount")->trigger();
    QCOMPARE(texts(f.messages), QStringList{"Successfully added to account"});
    QCOMPARE(f.messages[0].caption, QString("Add to account"));
    QCOMPARE(f.messages[0].icon, platform::Icon::Information);
    for (int bid : {now, later}) {
        QCOMPARE(f.value(QString("SELECT STATUS FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(bid)), QString("H"));
        QCOMPARE(f.value(QString("SELECT UID FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(bid)).toInt(), account);
    }
    QCOMPARE(f.value(QString("SELECT STATUS FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(otherRoom)), QString("R"));
    QCOMPARE(b.fill(b.colOf(day(10)), b.rowOf("101")), win(kCheckedIn));

    f.messages.clear();
    b.select("102", day(12));
    b.main->menuItem("mnAddToAccount")->trigger();
    QCOMPARE(texts(f.messages), QStringList{"The room is not booked from today! Can't check in"});
    f.exec("UPDATE \"{db}POBYTY.DB\" SET DATEFROM=\"10.3.2004\" WHERE KID=" + QString::number(other));
    b.main->RefreshBoard();
    f.messages.clear();
    b.main->menuItem("mnAddToAccount")->trigger();
    QCOMPARE(texts(f.messages), QStringList{"No open account for this client"});
    QCOMPARE(f.messages[0].icon, platform::Icon::Warning);
}

void BoardWindowTest::timerReloadsHidesSplashAndShowsDueReminder()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    f.recordDialogs({platform::dialogs::Reminder});
    Board b(f);
    b.load();
    QWidget splash;
    splash.show();
    b.main->setSplash(&splash);

    const int kid = f.addClient("", "Novak", "Jan");
    f.addStay(kid, "101", "10.3.2004", "11.3.2004", "R");
    // A reminder due an hour ago, and one due tomorrow.
    f.exec("INSERT INTO \"{db}POZNAMKY.DB\" (TXT,TYP,DAT,TIM,DATTIM) VALUES (\"Call\",\"R\",\"10.3.2004\",\"11:00:00\"," +
           QString::number(day(10) + 11.0 / 24, 'f', 10) + ")");
    const int due = f.value("SELECT max(RMID) AS M FROM \"{db}POZNAMKY.DB\"").toInt();
    f.exec("INSERT INTO \"{db}POZNAMKY.DB\" (TXT,TYP,DAT,TIM,DATTIM) VALUES (\"Later\",\"R\",\"11.3.2004\",\"11:00:00\"," +
           QString::number(day(11) + 11.0 / 24, 'f', 10) + ")");

    b.main->tmrTimerTimer();
    QCOMPARE(b.main->tmrTimer()->interval(), 10000);
    QCOMPARE(f.dialogs.size(), 1);
    QCOMPARE(f.dialogs[0].args.value("RMID").toInt(), due);
    QCOMPARE(b.main->reminderCountdown(), 6);
    QVERIFY(!b.main->stays().stayAt("101", day(10)));
    QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 3000);
    b.main->tmrTimerTimer();
    QVERIFY(!b.main->stays().stayAt("101", day(10)));
    b.main->tmrTimerTimer();
    QVERIFY(b.main->stays().stayAt("101", day(10)));  // reloaded at the third tick
    QCOMPARE(b.main->refreshCountdown(), 3);
    // The reminder was handled (the reminder window removes or postpones it); while it is
    // still in the table it keeps coming up.
    QCOMPARE(f.dialogs.size(), 3);
}

void BoardWindowTest::failingStayQueryIsReported_data()
{
    QTest::addColumn<bool>("tableMissing");
    QTest::newRow("a stay with an empty date") << false;
    QTest::newRow("stays table missing: every query fails") << true;
}

void BoardWindowTest::failingStayQueryIsReported()
{
    QFETCH(bool, tableMissing);
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("", "Novak", "Jan");
    f.addStay(kid, "101", "9.3.2004", "11.3.2004", "R");
    f.exec("INSERT INTO \"{db}POBYTY.DB\" (KID,PID,DATEFROM,DATETHRU,STATUS) VALUES (0,\"101\",\"9.3.2004\",null,\"R\")");
    if (tableMissing) f.exec("DROP TABLE \"{db}POBYTY.DB\"");
    Board b(f);
    b.load();
    f.messages.clear();
    b.main->RefreshBoard();
    // One message per load.
    QCOMPARE(texts(f.messages), QStringList{"Can't load data of stays"});
    QCOMPARE(f.messages[0].caption, QString("Error"));
    QCOMPARE(f.messages[0].icon, platform::Icon::Warning);
    // The stays read before the failure are shown.
    QCOMPARE(b.main->stays().stayAt("101", day(10)) != nullptr, !tableMissing);

    // The timer starts no load while a load's message is open; after it the countdown
    // starts again at three ticks.
    f.messages.clear();
    int ticksWhileOpen = 0;
    platform::seams().messageBox = [&](QWidget*, const QString& text, const QString& caption, platform::Icon icon,
                                       platform::Buttons buttons) {
        f.messages.append({text, caption, icon, buttons});
        if (f.messages.size() == 1)
            for (; ticksWhileOpen < 5; ++ticksWhileOpen) b.main->tmrTimerTimer();
        return int(QMessageBox::Ok);
    };
    for (int tick = 0; tick < 3; ++tick) b.main->tmrTimerTimer();
    QCOMPARE(ticksWhileOpen, 5);
    QCOMPARE(f.messages.size(), 1);
    QCOMPARE(b.main->refreshCountdown(), 3);
}

void BoardWindowTest::restoreReloadsWhateverItDid()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    Board b(f);
    b.load();
    f.addRoom("102", "Room 2");
    const int kid = f.addClient("", "Novak", "Jan");
    f.addStay(kid, "102", "9.3.2004", "11.3.2004", "R");
    // Yes to the question, then the archive choice is closed without restoring.
    f.answers = {QMessageBox::Yes};
    int choices = 0;
    platform::seams().runModal = [&](QDialog*) {
        ++choices;
        return int(QDialog::Rejected);
    };
    b.main->menuItem("mnRestore")->trigger();
    QCOMPARE(choices, 1);
    QCOMPARE(b.main->rooms().size(), 2);
    QVERIFY(b.main->stays().stayAt("102", day(10)));
}

void BoardWindowTest::boardLoadsWithoutActivation()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("", "Novak", "Jan");
    f.addStay(kid, "101", "9.3.2004", "11.3.2004", "R");
    Board b(f);
    // Shown with no window manager to activate it: the rooms and stays are there.
    NoActivation noActivation;
    b.main->installEventFilter(&noActivation);
    b.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.main.get()));
    QCOMPARE(b.main->rooms().size(), 1);
    QVERIFY(b.main->stays().stayAt("101", day(10)));

    // A dialog that adds a room (the rates dialog reloads nothing itself): the room is on
    // the board once the dialog has closed, with no activation in between.
    platform::registerDialog(platform::dialogs::Rates, [&](QVariantMap&) {
        QDialog dialog(b.main.get());
        dialog.setModal(true);
        f.addRoom("102", "Room 2");
        QTimer::singleShot(0, &dialog, &QDialog::accept);
        return dialog.exec();
    });
    b.main->menuItem("mnRates")->trigger();
    platform::unregisterDialog(platform::dialogs::Rates);
    QTRY_COMPARE(b.main->rooms().size(), 2);
}

void BoardWindowTest::helpOpensThePageBesideTheProgram()
{
    BoardFixture f(kNow);
    Board b(f);
    QList<QUrl> opened;
    platform::seams().shellOpen = [&](const QUrl& url) {
        opened << url;
        return true;
    };
    b.main->menuItem("mnHelpHelp")->trigger();
    QVERIFY(opened.isEmpty());
    QDir(f.programFolder()).mkpath("Help");
    QFile page(f.programFolder() + "/Help/HelpContent.html");
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html></html>");
    page.close();
    b.main->menuItem("mnHelpHelp")->trigger();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(QFileInfo(opened[0].toLocalFile()).canonicalFilePath(), QFileInfo(page).canonicalFilePath());
}

void BoardWindowTest::menuTreeAndAccountCommands()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("Mr", "Novak", "Jan");
    const int bid = f.addStay(kid, "101", "9.3.2004", "11.3.2004", "O", "", 4);
    Board b(f);
    b.load();
    // Every menu entry of the translation table is on the menu, and the language reaches it:
    // Czech after a switch, the design caption again after switching back.
    QHash<QString, QString> designed;
    auto caption = [&](const QString& name) {
        if (QAction* item = b.main->menuItem(name)) return item->text();
        if (QMenu* menu = b.main->menuNamed(name)) return menu->title();
        return QStringLiteral("<missing>");
    };
    for (const LanguageRow& row : LanguageTables::compiled()->objects) {
        if (!row.key.startsWith("frmMain.mn") || !row.key.endsWith(".Caption")) continue;
        const QString name = row.key.section('.', 1, 1);
        designed.insert(name, caption(name));
        QVERIFY2(designed.value(name) != "<missing>", qPrintable(name));
        if (QAction* item = b.main->menuItem(name)) QVERIFY2(!item->icon().isNull(), qPrintable(name));
    }
    QVERIFY(designed.size() > 20);
    TLanguage* language = currentLanguage();
    language->setLanguageIdent(2);
    language->TranslateAll();
    for (const LanguageRow& row : LanguageTables::compiled()->objects)
        if (row.key.startsWith("frmMain.mn") && row.key.endsWith(".Caption"))
            QCOMPARE(caption(row.key.section('.', 1, 1)), row.text(2));
    language->setLanguageIdent(1);
    language->TranslateAll();
    for (auto it = designed.cbegin(); it != designed.cend(); ++it) QCOMPARE(caption(it.key()), it.value());
    QVERIFY(b.main->menuItem("mnBreak3")->isSeparator());

    // Each command opens its dialog.
    const struct { const char* item; const QString dialog; } commands[] = {
        {"mnClients", platform::dialogs::BrowseClients},     {"mnReminderNotes", platform::dialogs::NotesReminder},
        {"mnAcctItems", platform::dialogs::AccountItems},    {"mnReservation", platform::dialogs::Reservation},
        {"mnCloseAccount", platform::dialogs::CloseAccount}, {"mnChangeAcctItems", platform::dialogs::ReviseAccountItems},
        {"mnPrintAccount", platform::dialogs::PrintAccount}, {"mnOutOfOrder", platform::dialogs::OutOfOrders},
        {"mnRoomsDef", platform::dialogs::Rooms},            {"mnAcctItemTypes", platform::dialogs::AcctItemTypes},
        {"mnKnowFrom", platform::dialogs::KnowsFrom},        {"mnRates", platform::dialogs::Rates},
        {"mnRoomsStat", platform::dialogs::Statistics},      {"mnPrintLabels", platform::dialogs::Labels},
        {"mnCalendars", platform::dialogs::Calendars},       {"mnSyncCalendars", platform::dialogs::SyncCalendars},
    };
    QStringList names;
    for (const auto& c : commands) names << c.dialog;
    f.recordDialogs(names);
    for (const auto& c : commands) {
        f.dialogs.clear();
        b.main->menuItem(c.item)->trigger();
        QCOMPARE(f.dialogs.value(0).name, c.dialog);
    }
    f.dialogs.clear();

    // The account commands hand the stay under the cursor to their owners.
    f.recordDialogs({platform::dialogs::CheckOut, platform::dialogs::DeleteAccountInfo});
    b.select("101", day(10));
    b.main->menuItem("mnCheckOut")->trigger();
    QCOMPARE(f.dialogs.size(), 1);
    QCOMPARE(f.dialogs[0].args.value("BID").toInt(), bid);
    QCOMPARE(f.dialogs[0].args.value("UID").toInt(), 4);
    QCOMPARE(f.dialogs[0].args.value("name").toString(), QString("Mr Novak Jan"));
    QCOMPARE(f.dialogs[0].args.value("PNAME").toString(), QString("Room 1"));
    b.grid()->setFocus();
    QTest::keyClick(b.grid(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(f.dialogs.size(), 2);
    QCOMPARE(f.dialogs[1].name, platform::dialogs::DeleteAccountInfo);
    QTest::keyClick(b.grid(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.dialogs.size(), 2);
    // With nothing registered nothing opens.
    QCOMPARE(platform::openDialog("frmNobody"), platform::kRejected);
}

void BoardWindowTest::optionsChangeTheColumnCount()
{
    BoardFixture f(kNow);
    Board b(f);
    int offered = 0;
    platform::registerDialog(platform::dialogs::Options, [&](QVariantMap& args) {
        offered = args.value("columnCount").toInt();
        args["columnCount"] = 15;
        return platform::kAccepted;
    });
    b.main->menuItem("mnOptions")->trigger();
    platform::unregisterDialog(platform::dialogs::Options);
    QCOMPARE(offered, 8);
    QCOMPARE(b.main->columnCount(), 15);
}

void BoardWindowTest::driveWarningOnActivation()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    Board b(f);
    platform::seams().isFixedDrive = [](const QString&) { return false; };
    b.main->FormActivate();
    QCOMPARE(texts(f.messages), QStringList{"Program must be run from a hard disk."});
    QCOMPARE(f.messages[0].caption, QString("Tamarel"));
    QCOMPARE(b.main->rooms().size(), 1);  // the program goes on
    b.main->FormActivate();
    QCOMPARE(f.messages.size(), 2);       // and warns at every activation
}

// A right click on a cell selects it and opens the Action menu's commands for its stay: the
// menu bar's own actions (so enabled and translated as there), and the room detail for a
// checked-in stay.
void BoardWindowTest::cellMenuHoldsTheActionMenusCommands()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    f.addRoom("102", "Room 2");
    const int kid = f.addClient("", "Novak", "Jan");
    const int inHouse = f.addStay(kid, "101", "9.3.2004", "12.3.2004", "H", "", 4);
    f.addStay(kid, "102", "10.3.2004", "12.3.2004", "R");
    Board b(f);
    b.load();
    f.recordDialogs({platform::dialogs::RoomDetail});
    const QStringList actionMenu = {"mnReservation", "mnCheckIn", "mnAddToAccount", "Room detail", "-", "mnCheckOut",
                                    "mnCloseAccount", "mnPrintAccount", "mnChangeAcctItems", "-", "mnOutOfOrder",
                                    "mnRemoveSelectedRes"};
    // Opens the cell's menu with a right click and reads it; `then` runs while it is open.
    auto menuAt = [&](const QString& pid, int dayNumber, const std::function<void(QMenu&)>& then) {
        QStringList seen;
        QTimer::singleShot(100, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions()) {
                const bool ours = a->isSeparator() || a == b.main->menuItem(a->objectName()) || a->objectName().isEmpty();
                seen << (a->isSeparator() ? QStringLiteral("-") : a->objectName().isEmpty() ? a->text() : a->objectName())
                            + (a->isEnabled() ? "" : " (off)") + (ours ? "" : " (copy)");
            }
            then(*menu);
            menu->close();
        });
        // The press, then the menu event the window system sends for a right button.
        QWidget* viewport = b.grid()->viewport();
        const QPoint at = b.centre(b.colOf(dayNumber), b.rowOf(pid));
        QTest::mousePress(viewport, Qt::RightButton, {}, at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
        return seen;
    };
    b.select("102", day(13));
    QStringList seen = menuAt("101", day(10), [](QMenu&) {});
    QCOMPARE(seen, actionMenu);
    QCOMPARE(b.grid()->row(), b.rowOf("101"));
    QCOMPARE(b.grid()->col(), b.colOf(day(10)));

    // A reservation has no room detail; the room detail of the stay in the house opens it.
    QStringList off = actionMenu;
    off[3] = "Room detail (off)";
    QCOMPARE(menuAt("102", day(11), [](QMenu&) {}), off);
    menuAt("101", day(11), [](QMenu& menu) {
        for (QAction* a : menu.actions())
            if (a->text() == "Room detail") a->trigger();
    });
    QCOMPARE(f.dialogs.size(), 1);
    QCOMPARE(f.dialogs[0].args.value("BID").toInt(), inHouse);

    // In Czech the entries are the Action menu's Czech captions.
    currentLanguage()->setLanguageIdent(2);
    currentLanguage()->TranslateAll();
    QStringList captions;
    menuAt("101", day(10), [&](QMenu& menu) {
        for (QAction* a : menu.actions()) captions << a->text();
    });
    currentLanguage()->setLanguageIdent(1);
    currentLanguage()->TranslateAll();
    const auto czech = [](const QString& key) {
        for (const LanguageRow& row : LanguageTables::compiled()->objects)
            if (row.key == key) return row.text(2);
        return QString("<none>");
    };
    QCOMPARE(captions.value(1), czech("frmMain.mnCheckIn.Caption"));
    QCOMPARE(captions.value(11), czech("frmMain.mnRemoveSelectedRes.Caption"));
    QCOMPARE(captions.value(3), QString::fromUtf8("Detail pokoje"));
}

// A folder written by another program has no span index on its stays: the board makes it
// before its first load, under a window that says so, and then shows the stays.
void BoardWindowTest::aFolderWithoutTheStaysIndexGetsItUnderAProgressWindow()
{
    if (BoardFixture::onServer()) QSKIP("table files only: the server keeps its own index");
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("", "Novak", "Jan");
    f.addStay(kid, "101", "9.3.2004", "11.3.2004", "R");
    f.dm().db().releaseTables();
    const std::string file = (f.db() + "POBYTY.DB").toStdString();
    {
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
        for (const char* sql : {"DROP TRIGGER POBYTY_interval_insert", "DROP TRIGGER POBYTY_interval_update",
                                "DROP TRIGGER POBYTY_interval_delete", "DROP TABLE POBYTY_interval"})
            QCOMPARE(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    }
    QVERIFY(engine::spanIndexMissing(file));
    struct Watch : QObject {
        QStringList shown;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (e->type() == QEvent::Show)
                if (auto* p = qobject_cast<QProgressDialog*>(o)) shown << p->labelText();
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    Board b(f);
    b.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.main.get()));
    qApp->removeEventFilter(&watch);
    QCOMPARE(watch.shown, QStringList{"Preparing the stays' index; this happens once"});
    QVERIFY(!engine::spanIndexMissing(file));
    QVERIFY(b.main->stays().stayAt("101", day(10)));
    // Once made it is not made again.
    Board again(f);
    qApp->installEventFilter(&watch);
    again.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(again.main.get()));
    qApp->removeEventFilter(&watch);
    QCOMPARE(watch.shown.size(), 1);
}

// While another program holds every table locked, each board command that reads or writes
// says what it could not do, and the board goes on.
void BoardWindowTest::commandsSayWhatTheyCouldNotDoWhileTablesAreLocked()
{
    BoardFixture f(kNow);
    f.addRoom("101", "Room 1");
    const int kid = f.addClient("", "Novak", "Jan");
    f.addStay(kid, "101", "9.3.2004", "11.3.2004", "R", "", 0, "1.3.2004");
    f.addStay(kid, "101", "11.3.2004", "12.3.2004", "P", "", 0, "1.3.2004");
    Board b(f);
    b.load();
    b.select("101", day(10));
    const int before = f.count("SELECT * FROM \"{db}POBYTY.DB\"");
    f.dm().db().setLockTimeoutMs(100);
    const struct { const char* item; QStringList said; } commands[] = {
        {"mnRemoveSelectedRes", {"Are you sure to delete the selected reservation?", "Can't delete the stay"}},
        {"mnRemovePrelRes", {"Do you wish to remove expired preliminary reservations?", "Number of removed reservations is -1"}},
        {"mnCheckIn", {"The room is not booked from today!\r\n\r\nAre you sure to check in?", "Can't load from Accounts table"}},
        {"mnAddToAccount", {"The room is not booked from today!\r\n\r\nAre you sure to check in?", "Can't load from Accounts table"}},
        {nullptr, {"Can't load data of stays"}},   // the board's own reload
    };
    for (const auto& c : commands) {
        // The stay is on the board and under the cursor when the other program takes the locks.
        b.main->RefreshBoard();
        b.select("101", day(10));
        QVERIFY(b.main->StayAtCursor());
        f.dm().db().releaseTables();
        tablelocks::Holder holder(f.db(), QString::fromStdString(f.dm().db().workingFolder()));
        QVERIFY(holder.held());
        f.messages.clear();
        if (c.item) b.main->menuItem(c.item)->trigger();
        else b.main->RefreshBoard();
        QStringList said = texts(f.messages);
        if (c.item) said.removeAll("Can't load data of stays");   // the reload after the command
        QVERIFY2(said == c.said, qPrintable(QString(c.item) + ": " + said.join(" / ")));
    }
    f.messages.clear();
    b.main->RefreshBoard();
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(f.count("SELECT * FROM \"{db}POBYTY.DB\""), before);
    QVERIFY(b.main->stays().stayAt("101", day(10)));
}

int main(int argc, char** argv)
{
    tablelocks::holdLocksIfAsked(argc, argv);
    QApplication app(argc, argv);
    BoardWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BoardWindowTest.moc"
