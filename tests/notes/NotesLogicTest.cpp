// The notes logic without a display: the time field, the stored text, the checks before
// saving, the postponement across midnight and the statements in a folder with an
// apostrophe.
#include <gtest/gtest.h>

#include <QDateTime>

#include "notes/NotesLogic.h"

using notes::ParseTime;

TEST(NotesTime, ReadsUpToTwoDigitsPerPartAndRefusesTheRest)
{
    const struct {
        const char* typed;
        const char* shown;   // nullptr: refused
    } cases[] = {
        {"8", "08:00:00"},      {"8.30", "08:30:00"},   {"7,5", "07:05:00"},    {"", "00:00:00"},
        {"12:3:4", "12:03:04"}, {"7:", "07:00:00"},     {":5", "00:05:00"},     {"23:59:59", "23:59:59"},
        {"00.00.00", "00:00:00"},
        {"123", nullptr},       {"1:2:3:4", nullptr},   {"25:00", nullptr},     {"24", nullptr},
        {"7:60", nullptr},      {"7:5:60", nullptr},    {"7h", nullptr},        {" 7", nullptr},
        {"7:005", nullptr},     {"-1", nullptr},
    };
    for (const auto& c : cases) {
        const notes::TTimeOfDay time = ParseTime(QString::fromUtf8(c.typed));
        EXPECT_EQ(time.valid, c.shown != nullptr) << c.typed;
        EXPECT_EQ(time.text.toStdString(), c.shown ? c.shown : "") << c.typed;
        if (!time.valid) EXPECT_EQ(time.dayFraction, 0.0) << c.typed;
    }
    EXPECT_DOUBLE_EQ(ParseTime("7,5").dayFraction, (7 * 3600 + 5 * 60) / 86400.0);
    EXPECT_DOUBLE_EQ(ParseTime("23:59:59").dayFraction, 86399 / 86400.0);
}

TEST(NotesText, LineBreaksAndDoubleQuotesAreStoredAsOneCharacterEach)
{
    const QString ff(QChar(0xFF));
    const struct {
        QString memo, stored, readBack;
    } cases[] = {
        {"Call\nMr Novak", "Call" + ff + "Mr Novak", "Call\nMr Novak"},
        {"a\r\nb", "a" + ff + "b", "a\nb"},
        {"say \"hi\"", "say `hi`", "say `hi`"},
        {"O'Brien", "O'Brien", "O'Brien"},
        {"\n\n", ff + ff, "\n\n"},
    };
    for (const auto& c : cases) {
        const QString stored = notes::TextForStorage(c.memo);
        EXPECT_EQ(stored, c.stored) << c.memo.toStdString();
        EXPECT_EQ(notes::TextFromStorage(stored), c.readBack) << c.memo.toStdString();
    }
}

TEST(NotesSave, ChecksStopAtTheFirstProblemInOrder)
{
    const int day = 38056;   // 10.3.2004
    const struct {
        int type;
        const char* memo;
        int day;
        const char* time;
        const char* problem;
    } cases[] = {
        {-1, "", 0, "", "Type of item not specified"},
        {0, "", 0, "", "Text is empty"},
        {0, "x", 0, "garbage", ""},                  // a note has no date or time
        {1, "x", 0, "25:00", "Time invalid (format is HH:MM:SS)"},
        {1, "x", 0, "09:00:00", "Date or time invalid"},
        {1, "x", day, "9", ""},                      // read again when saving
        {1, "x", day, "", ""},                       // midnight
        {1, "", day, "25", "Text is empty"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(notes::SaveProblem(c.type, c.memo, c.day, c.time).toStdString(), c.problem)
            << c.type << " " << c.memo << " " << c.time;
}

TEST(NotesPostpone, AddsTheMinutesOnTheWallClock)
{
    const QDateTime evening(QDate(2004, 3, 10), QTime(23, 45, 30));
    const struct {
        const char* minutes;
        QDateTime until;
    } cases[] = {
        {"5", QDateTime(QDate(2004, 3, 10), QTime(23, 50, 30))},
        {"30", QDateTime(QDate(2004, 3, 11), QTime(0, 15, 30))},
        {"1440", QDateTime(QDate(2004, 3, 11), QTime(23, 45, 30))},
        {"30 min", QDateTime(QDate(2004, 3, 11), QTime(0, 15, 30))},
        {"soon", evening},
        {"", evening},
    };
    for (const auto& c : cases) {
        const QDateTime until = notes::PostponedUntil(evening, c.minutes);
        EXPECT_EQ(until, c.until) << c.minutes;
    }
    // The last day of a year rolls into the next one.
    const QDateTime until = notes::PostponedUntil(QDateTime(QDate(2004, 12, 31), QTime(23, 59, 0)), "2");
    EXPECT_EQ(notes::MomentDateText(until).toStdString(), "01.01.2005");
    EXPECT_EQ(notes::MomentTimeText(until).toStdString(), "00:01:00");
    EXPECT_DOUBLE_EQ(notes::MomentNumber(until), 38353 + 60 / 86400.0);
}

TEST(NotesStatements, OnlyTheValuesAreEscaped)
{
    const QString db = "/srv/O'Hara Inn/DB/";
    notes::TNoteRow row;
    row.txt = "Ring O'Brien";
    row.reminder = true;
    row.dat = "10.03.2004";
    row.tim = "09:05:00";
    row.dattim = 38056.5;
    row.upmj = "10.3.2004";
    row.upmt = "9:5:0";
    const QString insert = notes::InsertSql(db, row);
    EXPECT_TRUE(insert.startsWith("INSERT INTO \"/srv/O'Hara Inn/DB/POZNAMKY.DB\" (txt,typ,dat,tim,dattim,usr,upmj,upmt)"))
        << insert.toStdString();
    EXPECT_TRUE(insert.contains("VALUES (\"Ring O\"+''''+\"Brien\",\"R\",\"10.03.2004\", \"09:05:00\", "
                                "38056.5000000000, \"\",\"10.3.2004\",\"9:5:0\")"))
        << insert.toStdString();
    const QString postpone = notes::PostponeSql(db, 7, "It's", "11.03.2004", "00:15:00", 38057.0104166667);
    EXPECT_EQ(postpone.toStdString(),
              "UPDATE \"/srv/O'Hara Inn/DB/POZNAMKY.DB\" SET txt=\"It\"+''''+\"s\", dat=\"11.03.2004\",  "
              "tim=\"00:15:00\", dattim=38057.0104166667 WHERE rmid=7");
    row.reminder = false;
    EXPECT_EQ(notes::UpdateSql(db, 3, row).toStdString(),
              "UPDATE \"/srv/O'Hara Inn/DB/POZNAMKY.DB\" SET txt=\"Ring O\"+''''+\"Brien\", typ=\"N\", usr=\"\", "
              "upmj=\"10.3.2004\", upmt=\"9:5:0\"  WHERE rmid=3");
}
