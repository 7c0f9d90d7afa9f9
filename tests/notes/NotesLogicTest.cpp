// The notes logic without a display: the time field, the stored text and the postponement
// across midnight. (The checks before saving and the statements run through the windows,
// on a folder with an apostrophe, in NotesWindowTest.)
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
