// The notes and reminders logic: time field, stored text, save checks, statements,
// postponement.
//
// Invariants: see NotesLogic.h.

#include "notes/NotesLogic.h"

#include <QStringList>


#include "shell/DataModule.h"   // TwoDigits
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace notes {

namespace {
const QChar kStoredBreak = QChar(0xFF);
const QChar kGrave = QChar(0x60);
}  // namespace

TTimeOfDay ParseTime(const QString& text)
{
    QString parts[3];
    int part = 0;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            if (parts[part].size() == 2) return {};
            parts[part] += c;
        } else if (c == QLatin1Char(',') || c == QLatin1Char('.') || c == QLatin1Char(':')) {
            if (part == 2) return {};
            ++part;
        } else {
            return {};
        }
    }
    const int hours = parts[0].toInt(), minutes = parts[1].toInt(), seconds = parts[2].toInt();
    if (hours > 23 || minutes > 59 || seconds > 59) return {};
    TTimeOfDay time;
    time.valid = true;
    time.text = shell::TwoDigits(hours) + QLatin1Char(':') + shell::TwoDigits(minutes) + QLatin1Char(':')
        + shell::TwoDigits(seconds);
    time.dayFraction = (hours * 3600 + minutes * 60 + seconds) / 86400.0;
    return time;
}

QString TextForStorage(const QString& memo)
{
    QString stored = memo;
    stored.replace(QStringLiteral("\r\n"), QString(kStoredBreak));
    stored.replace(QLatin1Char('\n'), kStoredBreak);
    stored.replace(QLatin1Char('\r'), kStoredBreak);
    stored.replace(QLatin1Char('"'), kGrave);
    return stored;
}

QString TextFromStorage(const QString& stored)
{
    QString memo = stored;
    memo.replace(kStoredBreak, QLatin1Char('\n'));
    return memo;
}

QString SaveProblem(int typeIndex, const QString& memo, int day, const QString& timeText)
{
    if (typeIndex < 0) return QStringLiteral("Type of item not specified");
    if (memo.isEmpty()) return QStringLiteral("Text is empty");
    if (typeIndex != 1) return {};
    if (!ParseTime(timeText).valid) return kTimeInvalid;
    if (day < 1) return QStringLiteral("Date or time invalid");
    return {};
}

QString TextValue(const QString& value)
{
    QString quoted = shell::QuoteText(value);
    // The value starts with its double quote, so only its own apostrophes are touched.
    shell::EscapeApostrophes(quoted);
    return quoted;
}

namespace {
QString table(const QString& db) { return shell::Table(db, u"POZNAMKY.DB"); }
QString moment(double dattim) { return shell::FixedReal(dattim, 10); }
}  // namespace

QString ListSql(const QString& db, int filter)
{
    switch (filter) {
    case 0: return shell::Sql(u"SELECT * FROM %1 WHERE typ='N' ORDER BY dat,tim", table(db));
    case 1: return shell::Sql(u"SELECT * FROM %1 WHERE typ='R' ORDER BY dat,tim", table(db));
    default: return shell::Sql(u"SELECT * FROM %1  ORDER BY dat,tim", table(db));
    }
}

QString RowSql(const QString& db, int rmid)
{
    return shell::Sql(u"SELECT * from %1 WHERE rmid=%2", table(db), rmid);
}

QString DeleteSql(const QString& db, int rmid)
{
    return shell::Sql(u"DELETE FROM %1 WHERE rmid=%2", table(db), rmid);
}

QString InsertSql(const QString& db, const TNoteRow& r)
{
    if (!r.reminder)
        return shell::Sql(u"INSERT INTO %1 (txt,typ,usr,upmj,upmt) VALUES (%2,\"N\",%3,%4,%5)", table(db),
                          TextValue(r.txt), TextValue(r.usr), TextValue(r.upmj), TextValue(r.upmt));
    return shell::Sql(u"INSERT INTO %1 (txt,typ,dat,tim,dattim,usr,upmj,upmt) VALUES (%2,\"R\",%3, %4, %5, %6,%7,%8)",
                      table(db), TextValue(r.txt), TextValue(r.dat), TextValue(r.tim), moment(r.dattim),
                      TextValue(r.usr), TextValue(r.upmj), TextValue(r.upmt));
}

QString UpdateSql(const QString& db, int rmid, const TNoteRow& r)
{
    if (!r.reminder)
        return shell::Sql(u"UPDATE %1 SET txt=%2, typ=\"N\", usr=%3, upmj=%4, upmt=%5  WHERE rmid=%6", table(db),
                          TextValue(r.txt), TextValue(r.usr), TextValue(r.upmj), TextValue(r.upmt), rmid);
    return shell::Sql(u"UPDATE %1 SET txt=%2, typ=\"R\", dat=%3, tim=%4, dattim=%5, usr=%6, upmj=%7, upmt=%8  "
                      u"WHERE rmid=%9",
                      table(db), TextValue(r.txt), TextValue(r.dat), TextValue(r.tim), moment(r.dattim),
                      TextValue(r.usr), TextValue(r.upmj), TextValue(r.upmt), rmid);
}

QString PostponeSql(const QString& db, int rmid, const QString& txt, const QString& dat, const QString& tim,
                    double dattim)
{
    return shell::Sql(u"UPDATE %1 SET txt=%2, dat=%3,  tim=%4, dattim=%5 WHERE rmid=%6", table(db), TextValue(txt),
                      TextValue(dat), TextValue(tim), moment(dattim), rmid);
}

double MomentNumber(const QDateTime& at)
{
    return shell::NumberFromDate(at.date()) + at.time().msecsSinceStartOfDay() / 86400000.0;
}

QString MomentDateText(const QDateTime& at) { return at.date().toString(QStringLiteral("dd.MM.yyyy")); }

QString MomentTimeText(const QDateTime& at) { return at.time().toString(QStringLiteral("HH:mm:ss")); }

namespace {
// Each part of a text of `parts` parts split at `separator` padded to two digits; the text as
// it is when it has another form.
QString padParts(const QString& text, QChar separator, int parts)
{
    QStringList split = text.split(separator);
    if (split.size() != parts) return text;
    for (QString& part : split) {
        if (part.isEmpty() || part.size() > 4) return text;
        for (const QChar c : part)
            if (!c.isDigit()) return text;
        part = shell::PadTwo(part);
    }
    return split.join(separator);
}
}  // namespace

QString StoredDateText(const QString& engineText) { return padParts(engineText, QLatin1Char('.'), 3); }

QString StoredTimeText(const QString& engineText) { return padParts(engineText, QLatin1Char(':'), 3); }

QDateTime PostponedUntil(const QDateTime& now, const QString& minutesText)
{
    // Counted on the wall clock, as due moments are day numbers of the wall clock: the day
    // changes at midnight and a change of daylight saving time moves nothing.
    const QDateTime wall(now.date(), now.time(), Qt::UTC);
    const QDateTime until = wall.addSecs(qint64(shell::DigitsToInt(minutesText)) * 60);
    return QDateTime(until.date(), until.time());
}

}  // namespace notes
