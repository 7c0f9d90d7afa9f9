// The board's logic without a display: display names, price texts, contrast colours, name
// shortening, the stay list lookups and what each night cell shows.
#include <gtest/gtest.h>

#include "board/BoardModel.h"
#include "board/TfrmNewDateTamarel.h"

using namespace board;

namespace {

struct NameCase {
    const char* title;
    const char* surname;
    const char* name;
    const char* shown;
};

TEST(GuestDisplayName, TitleSurnameAndFirstNameWhenShort)
{
    const NameCase cases[] = {
        {"Mr", "Novak", "Jan", "Mr Novak Jan"},
        {"", "Novak", "Jan", "Novak Jan"},
        {"   Dr", "Novak", "Jan", "Dr Novak Jan"},
        // title and surname 21 characters + first name 9 is not below 25: no first name
        {"Mr", "Novakovsky-Svoboda", "Jan-Pavel", "Mr Novakovsky-Svoboda"},
        // 24 in total still takes the first name
        {"", "Novakovsky-Svob", "Jan-Pavel", "Novakovsky-Svob Jan-Pavel"},
        {"", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefgh", "Jan", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd"},
        {"Ing.", "O'Brien", "", "Ing. O'Brien "},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(GuestDisplayName(c.title, c.surname, c.name), QString::fromUtf8(c.shown)) << c.surname;
}

TEST(PriceText, EuroOrCrownsWithMaidServiceWhenNotZero)
{
    EXPECT_EQ(PriceText(true, "150", 0, "0", "3750", 0, "0"), "150 EUR");
    EXPECT_EQ(PriceText(true, "150", 30, "30", "3750", 750, "750"), "150 + 30 EUR");
    EXPECT_EQ(PriceText(false, "150", 30, "30", "3750", 750, "750"), QString::fromUtf8("3750 + 750 Kč"));
    // a maid price that rounds to 0 is left out
    EXPECT_EQ(PriceText(true, "150.5", 0.4, "0.4", "3750", 0, "0"), "150.5 EUR");
    // the maid price is rounded as money is, halves to the even neighbour
    EXPECT_EQ(PriceText(true, "150", 0.5, "0.5", "3750", 0, "0"), "150 EUR");
    EXPECT_EQ(PriceText(false, "150", 0, "0", "3750", -0.5, "-0.5"), QString::fromUtf8("3750 Kč"));
    EXPECT_EQ(PriceText(true, "150", 1.5, "1.5", "3750", 0, "0"), "150 + 1.5 EUR");
    EXPECT_EQ(PriceText(true, "150", 0.51, "0.51", "3750", 0, "0"), "150 + 0.51 EUR");
    EXPECT_EQ(PriceText(true, "123456789.25", 987654.5, "987654.5", "0", 0, "0"), "123456789.25 + 98765");
}

TEST(ContrastColor, BlackOnLightWhiteOnDark)
{
    EXPECT_EQ(ContrastColor(Qt::white), QColor(Qt::black));
    EXPECT_EQ(ContrastColor(Qt::yellow), QColor(Qt::black));
    EXPECT_EQ(ContrastColor(Qt::blue), QColor(Qt::white));
    EXPECT_EQ(ContrastColor(Qt::red), QColor(Qt::white));
    EXPECT_EQ(ContrastColor(QColor(0, 128, 0)), QColor(Qt::white));
    EXPECT_EQ(ContrastColor(QColor(0, 201, 0)), QColor(Qt::black));   // green above 200
    EXPECT_EQ(ContrastColor(QColor(128, 128, 129)), QColor(Qt::black)); // sum 385
    EXPECT_EQ(ContrastColor(QColor(128, 128, 128)), QColor(Qt::white)); // sum 384
}

TEST(ShortenName, OnlyLongNamesThatDoNotFit)
{
    const auto sevenPerChar = [](const QString& t) { return int(t.size()) * 7; };
    // 20 characters or fewer are never shortened, however narrow the column
    EXPECT_EQ(ShortenName("Mr Novak Jan-Pavel X", 10, sevenPerChar), "Mr Novak Jan-Pavel X");
    // wide enough: unchanged
    EXPECT_EQ(ShortenName("Mr Novakovsky-Svoboda", 200, sevenPerChar), "Mr Novakovsky-Svoboda");
    // too narrow: cut one character at a time behind "...", down to 20 characters at most
    EXPECT_EQ(ShortenName("Mr Novakovsky-Svoboda", 100, sevenPerChar), "Mr Novakovsky-Svo...");
    // a column that fits 22 characters stops as soon as the text fits
    EXPECT_EQ(ShortenName("Mr Novakovsky-Svoboda Jan", 154, sevenPerChar), "Mr Novakovsky-Svobo...");
    EXPECT_LE(ShortenName(QString(30, 'W'), 1, sevenPerChar).size(), 20);
}

TRoomsUsage stay(int bid, const char* pid, int from, int thru, char status, const char* name,
                 const char* price = "100 EUR")
{
    TRoomsUsage s;
    s.BID = bid;
    s.PID = pid;
    s.DATEFROM = from;
    s.DATETHRU = thru;
    s.STATUS = QLatin1Char(status);
    s.name = name;
    s.priceText = price;
    return s;
}

TEST(StayList, NightsFromArrivalToTheDayBeforeDeparture)
{
    TStayList list;
    list.append(stay(1, "101", 100, 103, 'R', "Novak"));
    EXPECT_EQ(list.stayAt("101", 99), nullptr);
    for (int day : {100, 101, 102}) ASSERT_NE(list.stayAt("101", day), nullptr) << day;
    EXPECT_EQ(list.stayAt("101", 103), nullptr);
    EXPECT_EQ(list.stayAt("102", 101), nullptr);
}

TEST(StayList, FirstInListOrderWinsAndPidIsCutToThree)
{
    TStayList list;
    list.append(stay(1, "1010", 100, 105, 'R', "First"));
    list.append(stay(2, "101", 102, 104, 'P', "Second"));
    list.append(stay(3, "102", 100, 105, 'P', "Other room"));
    EXPECT_EQ(list.entries().at(0).PID, "101");
    EXPECT_EQ(list.stayAt("101", 103)->BID, 1);
    const auto both = list.staysAt("101", 103);
    ASSERT_EQ(both.size(), 2);
    EXPECT_EQ(both.at(1)->BID, 2);
    list.clear();
    EXPECT_EQ(list.stayAt("101", 103), nullptr);
}

TBoardColors distinctColors()
{
    TBoardColors c;
    c.Default = QColor(250, 250, 250);
    c.PreliminaryR = QColor(200, 200, 255);
    c.DefinitiveR = Qt::yellow;
    c.CheckedIn = QColor(0, 128, 0);
    c.CheckedOut = Qt::blue;
    c.NotAvailable = QColor(128, 0, 128);
    c.Conflict = Qt::red;
    return c;
}

TEST(NightCell, ColourAndLinesByStatus)
{
    const TBoardColors colors = distinctColors();
    struct Case {
        char status;
        QColor background;
        bool oneLine;
        QString lower;
    } cases[] = {
        {'P', colors.PreliminaryR, false, "100 EUR"},
        {'R', colors.DefinitiveR, false, "100 EUR"},
        {'H', colors.CheckedIn, false, "100 EUR"},
        {'O', colors.CheckedOut, false, "100 EUR"},
        {'X', colors.NotAvailable, true, ""},
        {'!', colors.Conflict, false, "100 EUR"},
        {'?', colors.Conflict, false, "Invalid Status!"},
        {'Z', colors.Conflict, false, "Invalid Status!"},
    };
    for (const Case& c : cases) {
        TStayList list;
        list.append(stay(7, "101", 10, 12, c.status, "Guest"));
        const TCellView view = NightCell(list, "101", 11, colors, "Invalid Status!");
        EXPECT_FALSE(view.empty) << c.status;
        EXPECT_EQ(view.background, c.background) << c.status;
        EXPECT_EQ(view.textColor, ContrastColor(c.background)) << c.status;
        EXPECT_EQ(view.oneLine, c.oneLine) << c.status;
        EXPECT_EQ(view.upper, "Guest") << c.status;
        EXPECT_EQ(view.lower, c.lower) << c.status;
    }
}

TEST(NightCell, EmptyCellHasTheDefaultColour)
{
    TStayList list;
    list.append(stay(1, "101", 10, 11, 'R', "Guest"));
    const TCellView view = NightCell(list, "101", 11, distinctColors(), "Invalid Status!");
    EXPECT_TRUE(view.empty);
    EXPECT_EQ(view.background, QColor(250, 250, 250));
    EXPECT_TRUE(view.upper.isEmpty());
}

TEST(NightCell, ConflictShowsFirstGuestAboveAndLastFurtherGuestBelow)
{
    TStayList list;
    list.append(stay(1, "101", 10, 13, 'R', "Novak Jan"));
    list.append(stay(2, "101", 11, 12, 'P', "Svoboda Petr"));
    list.append(stay(3, "101", 11, 14, 'H', "Dvorak Ota"));
    const TCellView view = NightCell(list, "101", 11, distinctColors(), "Invalid Status!");
    EXPECT_TRUE(view.conflict);
    EXPECT_EQ(view.background, QColor(Qt::red));
    EXPECT_EQ(view.upper, "Novak Jan");
    EXPECT_EQ(view.lower, "Dvorak Ota");
    // the next night has only two of them
    EXPECT_EQ(NightCell(list, "101", 12, distinctColors(), "").lower, "Dvorak Ota");
    EXPECT_FALSE(NightCell(list, "101", 13, distinctColors(), "").conflict);
}

TEST(NightCell, OutOfOrderInAConflictKeepsOneLineInTheConflictColour)
{
    TStayList list;
    list.append(stay(1, "101", 10, 13, 'X', "Painting"));
    list.append(stay(2, "101", 11, 12, 'R', "Novak"));
    const TCellView view = NightCell(list, "101", 11, distinctColors(), "");
    EXPECT_TRUE(view.oneLine);
    EXPECT_EQ(view.upper, "Painting");
    EXPECT_EQ(view.background, QColor(Qt::red));
}

}  // namespace

TEST(NewDateDialog, PlacedBesideThePointerAndKeptOnTheScreen)
{
    const QRect screen(0, 0, 1024, 768);
    const QSize frame(220, 70);
    struct Case { QPoint pointer, expected; const char* what; } cases[] = {
        {{500, 400}, {460, 355}, "40 left of and 45 above the pointer"},
        {{60, 10}, {20, 0}, "pointer near the top: not above the screen"},
        {{10, 300}, {0, 255}, "pointer near the left edge"},
        {{1020, 760}, {804, 698}, "pointer in the bottom right corner"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TfrmNewDateTamarel::placeBesidePointer(c.pointer, frame, screen), c.expected) << c.what;
    // A second screen to the right keeps its own edges.
    EXPECT_EQ(TfrmNewDateTamarel::placeBesidePointer({1100, 20}, frame, QRect(1024, 0, 800, 600)), QPoint(1060, 0));
}
