// The reservation dialog's logic without a display: banker's rounding of hundredths, the
// conversions with and without a rate, the save checks in their order, the statement texts
// and the client's display line.
#include <gtest/gtest.h>

#include <QString>

#include "stays/ReservationLogic.h"

using namespace stays;

namespace {

ReservationInput validInput()
{
    ReservationInput in;
    in.bookedFor = QStringLiteral("Novak");
    in.knowsFromChosen = true;
    in.knowsFromItem = QStringLiteral("A - Agency");
    in.dateFrom = QStringLiteral("05.03.2004");
    in.dateThru = QStringLiteral("07.03.2004");
    in.bookThru = QStringLiteral("04.03.2004");
    in.nights = 2;
    in.roomName = QStringLiteral("Single");
    in.priceEur = 200;
    in.priceCzk = 5000;
    in.maidEur = 20;
    in.maidCzk = 500;
    return in;
}

}  // namespace

TEST(ReservationRounding, HalvesGoToTheEvenHundredth)
{
    const struct { double value; long long hundredths; } cases[] = {
        {0.125, 12},  {0.135, 14},  {0.145, 14},  {0.155, 16},  {0.165, 16},  {1.005, 100},
        {2.675, 268}, {0.124, 12},  {0.126, 13},  {-0.125, -12}, {-0.135, -14}, {0, 0},
        {1234567.895, 123456790}, {30000000.005, 3000000000LL},   // beyond a 32-bit count
    };
    for (const auto& c : cases) EXPECT_EQ(hundredthsHalfEven(c.value), c.hundredths) << c.value;
}

TEST(ReservationRounding, ConversionsRoundBothWays)
{
    const struct { double amount, rate, czk, eur; } cases[] = {
        // amount as EUR gives czk; amount as CZK gives eur
        {100, 25.1, 2510, 3.98},
        {0.005, 25, 0.12, 0},        // 0.125 CZK -> 0.12; 0.0002 EUR -> 0
        {1.25, 10, 12.5, 0.12},      // 1.25 CZK / 10 = 0.125 EUR -> 0.12
        {1.35, 10, 13.5, 0.14},      // 0.135 -> 0.14
        {150, 27.345, 4101.75, 5.49},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(*eurToCzk(c.amount, c.rate), c.czk) << c.amount << " x " << c.rate;
        EXPECT_DOUBLE_EQ(*czkToEur(c.amount, c.rate), c.eur) << c.amount << " / " << c.rate;
    }
}

TEST(ReservationRounding, NoRateConvertsNothing)
{
    for (double rate : {-1.0, 0.0, -25.0}) {
        EXPECT_FALSE(eurToCzk(100, rate).has_value()) << rate;
        EXPECT_FALSE(czkToEur(2500, rate).has_value()) << rate;
    }
}

TEST(ReservationChecks, EachFaultStopsAtItsStep)
{
    const struct {
        const char* name;
        void (*change)(ReservationInput&);
        SaveStep step;
        IssueKind kind;
        const char* message;
    } cases[] = {
        {"client card without id", [](ReservationInput& in) { in.clientInDatabase = true; in.kidText = "0"; in.clientName = "Novak"; },
         SaveStep::ClientChosen, IssueKind::Refuse, "Client not chosen"},
        {"client card without name", [](ReservationInput& in) { in.clientInDatabase = true; in.kidText = "7"; },
         SaveStep::ClientChosen, IssueKind::Refuse, "Client not chosen"},
        {"no guest name", [](ReservationInput& in) { in.bookedFor = " "; },
         SaveStep::SurnameGiven, IssueKind::Refuse, "Insert at least surname of the client"},
        {"no referral", [](ReservationInput& in) { in.knowsFromChosen = false; },
         SaveStep::KnowsFromGiven, IssueKind::Ask, "\"Knows from\" is empty. Ignore?"},
        {"blank referral item", [](ReservationInput& in) { in.knowsFromItem = "  - none"; },
         SaveStep::KnowsFromGiven, IssueKind::Ask, "\"Knows from\" is empty. Ignore?"},
        {"departure on arrival", [](ReservationInput& in) { in.dateThru = in.dateFrom; },
         SaveStep::DatesInOrder, IssueKind::Refuse, "Dates of stay not specified correctly"},
        {"departure before arrival", [](ReservationInput& in) { in.dateThru = "04.03.2004"; },
         SaveStep::DatesInOrder, IssueKind::Refuse, "Dates of stay not specified correctly"},
        {"no arrival", [](ReservationInput& in) { in.dateFrom = "  .  .    "; },
         SaveStep::DatesInOrder, IssueKind::Refuse, "Dates of stay not specified correctly"},
        {"no nights", [](ReservationInput& in) { in.nights = 0; },
         SaveStep::NightsPositive, IssueKind::Refuse, "Dates of stay not specified correctly"},
        {"no room", [](ReservationInput& in) { in.roomName.clear(); },
         SaveStep::RoomChosen, IssueKind::Refuse, "Room not specified"},
        {"zero maid CZK", [](ReservationInput& in) { in.maidCzk = 0; },
         SaveStep::NoZeroAmount, IssueKind::Ask, "Zero amount specified. Is it correct?"},
        {"preliminary without book thru", [](ReservationInput& in) { in.bookThru = "  .  .    "; },
         SaveStep::BookThruGiven, IssueKind::FillBookThru, ""},
        {"definitive without book thru",
         [](ReservationInput& in) { in.bookThru = "  .  .    "; in.statusIndex = 1; in.clientInDatabase = true; in.kidText = "3"; in.clientName = "X"; },
         SaveStep::BookThruGiven, IssueKind::Refuse, "\"Book thru\" date not specified"},
        {"no persons", [](ReservationInput& in) { in.persons = 0; },
         SaveStep::PersonsPositive, IssueKind::Refuse, "Invalid number of persons"},
    };
    EXPECT_EQ(nextSaveIssue(validInput()).kind, IssueKind::None);
    for (const auto& c : cases) {
        ReservationInput in = validInput();
        c.change(in);
        const SaveIssue issue = nextSaveIssue(in);
        EXPECT_EQ(issue.step, c.step) << c.name;
        EXPECT_EQ(issue.kind, c.kind) << c.name;
        EXPECT_EQ(issue.message, QString::fromUtf8(c.message)) << c.name;
        // Answered or filled, the checks go on from the next step and find nothing more.
        if (c.kind == IssueKind::Ask || c.kind == IssueKind::FillBookThru)
            EXPECT_EQ(nextSaveIssue(in, nextStep(issue.step)).kind, IssueKind::None) << c.name;
    }
}

TEST(ReservationChecks, TheFirstFaultIsReportedFirst)
{
    ReservationInput in = validInput();
    in.knowsFromChosen = false;   // a question ...
    in.roomName.clear();          // ... comes before a later refusal
    in.persons = 0;
    SaveIssue issue = nextSaveIssue(in);
    EXPECT_EQ(issue.step, SaveStep::KnowsFromGiven);
    issue = nextSaveIssue(in, nextStep(issue.step));
    EXPECT_EQ(issue.step, SaveStep::RoomChosen);
    // A card attached: the guest name and referral are not asked for.
    in = validInput();
    in.clientInDatabase = true;
    in.kidText = "12";
    in.clientName = "Novak Jan";
    in.bookedFor.clear();
    in.knowsFromChosen = false;
    EXPECT_EQ(nextSaveIssue(in).kind, IssueKind::None);
}

TEST(ReservationStatements, InsertAndUpdateAsRun)
{
    ReservationRow row;
    row.KID = 0;
    row.PID = "1";
    row.dateFrom = "05.03.2004";
    row.dateThru = "07.03.2004";
    row.status = 'P';
    row.bookThru = "04.03.2004";
    row.persons = 2;
    row.business = true;
    row.priceEur = "200";
    row.priceCzk = "5 020,5";
    row.maidEur = "20";
    row.maidCzk = "";
    row.bookedFor = "O'Brien \"Bob\"";
    row.knowsFrom = 'A';
    row.date = "1.3.2004";
    row.time = "9:5:7";
    EXPECT_EQ(reservationInsertSql("/db/", row).toStdString(),
              "INSERT INTO \"/db/POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS,  BUSINESS, "
              "PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK,  BOOKEDFOR, BOOKEDKNFR, DISCOUNT, USR, UPMJ, UPMT) VALUES (0, \"1\", "
              "\"05.03.2004\", \"07.03.2004\", \"P\", \"04.03.2004\", 2, \"1\", 200, 5020.5, 20, 0, "
              "\"O\"+''''+\"Brien \"\"Bob\"\"\", \"A\", \" \", \"\", \"1.3.2004\", \"9:5:7\")");
    row.KID = 12;
    row.status = 'R';
    row.business = false;
    row.bookedFor.clear();
    row.knowsFrom = ' ';
    EXPECT_EQ(reservationUpdateSql("/db/", 117, row).toStdString(),
              "UPDATE \"/db/POBYTY.DB\" SET  KID=12, PID=\"1\", DATEFROM=\"05.03.2004\", DATETHRU=\"07.03.2004\", "
              "STATUS=\"R\",   PRTHRU=\"04.03.2004\", NUMPERS=2, BUSINESS=\"0\", PRICEEUR=200, PRICECZK=5020.5, "
              "MAIDEUR=20, MAIDCZK=0, BOOKEDFOR=\"\", BOOKEDKNFR=\" \",   DISCOUNT=\" \", USR=\"\", UPMJ=\"1.3.2004\", "
              "UPMT=\"9:5:7\" WHERE BID=117");
    // An apostrophe in the folder path is left alone; one in a value is escaped.
    row.bookedFor = "O'Brien";
    for (const QString& sql : {reservationInsertSql("/o'hara/", row), reservationUpdateSql("/o'hara/", 117, row)}) {
        EXPECT_TRUE(sql.contains("\"/o'hara/POBYTY.DB\"")) << sql.toStdString();
        EXPECT_TRUE(sql.contains("\"O\"+''''+\"Brien\"")) << sql.toStdString();
    }
    EXPECT_EQ(lastBidSql("/db/"), QStringLiteral("SELECT max(BID) AS BIDMAX FROM \"/db/POBYTY.DB\""));
}

TEST(ReservationValues, CodesAndClientLine)
{
    EXPECT_EQ(statusCode(0), QChar('P'));
    EXPECT_EQ(statusCode(1), QChar('R'));
    EXPECT_EQ(statusCode(-1), QChar('?'));
    EXPECT_EQ(knowsFromCode(true, "B - Booking"), QChar('B'));
    EXPECT_EQ(knowsFromCode(false, "B - Booking"), QChar(' '));
    EXPECT_EQ(kidValue(""), 0);
    EXPECT_EQ(kidValue("42"), 42);

    const struct { const char *title, *surname, *name, *country, *line; } cases[] = {
        {"Mr", "Novak", "Jan", "", "Mr Novak Jan"},
        {"", "Novak", "Jan", "", "Novak Jan"},
        {"", "Novak", "", "CZ", "Novak, CZ"},
        {"Dr", "Novak", "Jan", "Czech Republic", "Dr Novak Jan, Czech Republic"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(clientDisplayName(c.title, c.surname, c.name, c.country), QString::fromUtf8(c.line)) << c.line;
}
