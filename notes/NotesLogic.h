#pragma once
// The logic of the notes and reminders windows, usable without a display: the time field's
// reading, the memo text as stored in POZNAMKY.DB, the checks before saving, the statement
// texts and the postponement.
//
// Invariants:
//  - a time accepted by ParseTime is a real time of day (hours 0-23, minutes and seconds
//    0-59), shown as hh:mm:ss; anything else is refused as a whole;
//  - a stored text holds no CR, LF or double quote: line breaks are the single character
//    0xFF and double quotes the grave accent, so it never breaks a statement;
//  - apostrophes are escaped inside each text value only; the database folder path of a
//    statement is never changed, whatever characters it holds.

#include <QDateTime>
#include <QString>

namespace notes {

// The time field after leaving it: the text it shows and the time of day it gives.
struct TTimeOfDay {
    bool valid = false;
    QString text;           // hh:mm:ss when valid
    double dayFraction = 0; // the time of day as a fraction of a day; 0 when invalid
};

// Reads hours, minutes and seconds of up to two digits each, separated by ",", "." or ":"
// ("8" is 08:00:00, "8.30" 08:30:00, "7,5" 07:05:00, "" 00:00:00). Refuses other characters,
// a third digit in a part, a third separator, and hours above 23 or minutes or seconds
// above 59.
TTimeOfDay ParseTime(const QString& text);

// The memo text as stored (line breaks to 0xFF, double quotes to the grave accent) and back
// (0xFF to a line break "\n"; the grave accent stays).
QString TextForStorage(const QString& memo);
QString TextFromStorage(const QString& stored);
inline constexpr int kMaxTextLength = 250;

// The first problem found before saving, as the message the detail dialog shows; empty
// when the row may be saved. In this order: no type chosen, an empty text, and for a
// reminder a time that is no time of day (the time message) or no valid date.
// typeIndex: -1 none, 0 note, 1 reminder; day: the date field's day number (0 or less when
// it holds no valid date); timeText: the time field as it stands.
QString SaveProblem(int typeIndex, const QString& memo, int day, const QString& timeText);
inline const QString kTimeInvalid = QStringLiteral("Time invalid (format is HH:MM:SS)");

// One row as the detail dialog writes it.
struct TNoteRow {
    QString txt;          // already converted by TextForStorage
    bool reminder = false;
    QString dat, tim;     // the date and time fields' texts (reminders only)
    double dattim = 0;    // the due moment (reminders only)
    QString usr, upmj, upmt;   // audit values
};

// db: the database folder with its trailing separator ("{db}").
// filter: 0 notes, 1 reminders, 2 all.
QString ListSql(const QString& db, int filter);
QString RowSql(const QString& db, int rmid);
QString DeleteSql(const QString& db, int rmid);
QString InsertSql(const QString& db, const TNoteRow& row);
QString UpdateSql(const QString& db, int rmid, const TNoteRow& row);
QString PostponeSql(const QString& db, int rmid, const QString& txt, const QString& dat, const QString& tim,
                    double dattim);

// A text value between double quotes, with its apostrophes escaped as the statements of
// this window expect (O'Brien is written "O"+''''+"Brien").
QString TextValue(const QString& value);

// The moment as a day number with fraction, and its texts for the date and time fields.
double MomentNumber(const QDateTime& moment);
QString MomentDateText(const QDateTime& moment);   // 05.03.2004
QString MomentTimeText(const QDateTime& moment);   // 09:05:07

// A reminder's date and time as the list shows them: the engine reads the stored texts back
// in its short form (5.3.2004, 5:32:49); the list shows them with leading zeros, as stored
// (05.03.2004, 05:32:49). A text of another form, or an empty one, stays as it is.
QString StoredDateText(const QString& engineText);
QString StoredTimeText(const QString& engineText);

// The new due moment of a postponement: now plus the minutes of the postpone box's text
// (DigitsToInt: "30 min" is 30, a text without digits 0).
QDateTime PostponedUntil(const QDateTime& now, const QString& minutesText);

}  // namespace notes
