// The tool's fee book and statistics commands; see FeeTool.h.
#include "fees/FeeTool.h"

#include <QSaveFile>
#include <cstdio>

#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "fees/Fee.h"
#include "fees/VisitorStatistics.h"
#include "guests/Dates.h"
#include "guests/Guest.h"
#include "shell/ValueHelpers.h"

namespace fees {

namespace {

void out(const QString& line) { std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout); }
void err(const QString& line) { std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stderr); }

// The optional "--csv FILE" after the fixed arguments; false when the rest is anything else.
bool csvOption(const QStringList& rest, QString& file)
{
    if (rest.isEmpty()) return true;
    if (rest.size() != 2 || rest[0] != QLatin1String("--csv") || rest[1].isEmpty()) return false;
    file = rest[1];
    return true;
}

bool writeCsv(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit()) return true;
    err(QStringLiteral("%1 cannot be written: %2").arg(path, f.errorString()));
    return false;
}

// The rows to standard output: the CSV's text without its byte-order mark.
void printCsv(const QByteArray& bytes)
{
    std::fputs(QString::fromUtf8(bytes.mid(3)).remove(QLatin1Char('\r')).toUtf8().constData(), stdout);
}

bool guestBookThere(engine::Database& db, const QString& folder)
{
    if (guests::guestBookReady(db, data::folderPrefix(folder))) return true;
    err(QStringLiteral("The guest book is not set up in %1: tamarel-db upgrade %1 adds its tables").arg(folder));
    return false;
}

}  // namespace

int feeBookCommand(const QStringList& args, int (*usage)())
{
    QString csv;
    if (args.size() < 3 || !csvOption(args.mid(3), csv)) return usage();
    const QDate from = guests::parseDateArgument(args[1]), thru = guests::parseDateArgument(args[2]);
    if (!from.isValid() || !thru.isValid() || thru < from) {
        err(QStringLiteral("FROM and THRU are dates, FROM not after THRU: D.M.YYYY or YYYY-MM-DD"));
        return 2;
    }
    const QString folder = args[0];
    engine::Database db(data::databaseLocation(folder).toStdString());
    if (!guestBookThere(db, folder)) return 1;
    const FeeBook book = readFeeBook(db, data::folderPrefix(folder), from, thru);
    const QByteArray bytes = feeBookCsv(book);
    if (csv.isEmpty()) {
        printCsv(bytes);
        return 0;
    }
    if (!writeCsv(csv, bytes)) return 1;
    out(QStringLiteral("%1 persons, %2 nights, %3 CZK; exempt: %4 persons, %5 nights; written to %6")
            .arg(QString::number(book.persons), QString::number(book.nights), plainAmount(book.total),
                 QString::number(book.exemptPersons), QString::number(book.exemptNights), csv));
    return 0;
}

int visitorStatisticsCommand(const QStringList& args, int (*usage)())
{
    QString csv;
    if (args.size() < 2 || !csvOption(args.mid(2), csv)) return usage();
    const std::optional<StatPeriod> period = parseStatPeriod(args[1]);
    if (!period) {
        err(QStringLiteral("%1 is neither a month (M.YYYY, YYYY-MM) nor a quarter (Q1.YYYY to Q4.YYYY)").arg(args[1]));
        return 2;
    }
    const QString folder = args[0];
    engine::Database db(data::databaseLocation(folder).toStdString());
    if (!guestBookThere(db, folder)) return 1;
    const VisitorStatistics s = readVisitorStatistics(db, data::folderPrefix(folder), period->from, period->thru);
    const QByteArray bytes = visitorStatisticsCsv(s);
    const QString facts = QStringLiteral("%1 - %2: %3 rooms, %4 beds, %5 days open")
                              .arg(shell::DateText(s.from), shell::DateText(s.thru), QString::number(s.rooms),
                                   QString::number(s.beds), QString::number(s.daysOpen));
    if (csv.isEmpty()) {
        printCsv(bytes);
        out(facts);
        return 0;
    }
    if (!writeCsv(csv, bytes)) return 1;
    out(QStringLiteral("%1 arrivals, %2 nights from %3 countries; %4; written to %5")
            .arg(QString::number(s.arrivals), QString::number(s.nights), QString::number(s.countries.size()), facts, csv));
    return 0;
}

}  // namespace fees
