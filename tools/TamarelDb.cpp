// tamarel-db: the database tool. The program itself never creates tables; an installation
// gets its table files from here, empty or with the demo set (and an older one the tables
// added since, with upgrade), and an administrator can run one statement against a folder
// without the console, set the hotel's details and write the police file unattended.
//
// Invariants: init and demo never touch an existing table file; demo writes only into
// empty tables; every failure ends with a message on stderr and exit code 1.

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "backup/BackupCli.h"
#include "backup/DatabaseCopy.h"
#include "calendars/CalendarExport.h"
#include "calendars/CalendarSync.h"
#include "data/Demo.h"
#include "data/LargeDatabase.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "engine/SpanIndex.h"
#include "fees/FeeTool.h"
#include "paradox/ParadoxFile.h"
#include "paradox/ParadoxImport.h"
#include "guests/Dates.h"
#include "guests/Guest.h"
#include "guests/HotelSettings.h"
#include "invoices/InvoiceList.h"
#include "guests/PoliceFile.h"
#include "invoices/Takings.h"
#include "platform/Platform.h"
#include "rates/BankFetch.h"
#include "rates/RateUpdate.h"
#include "shell/ValueHelpers.h"

#ifndef TAMAREL_VERSION
#define TAMAREL_VERSION "0"
#endif

namespace {

void out(const QString& line) { std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout); }
void err(const QString& line) { std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stderr); }

// The one usage text: printed on a wrong call, by --help, and made into the man page.
QString usageText()
{
    return QStringLiteral(
        "usage: tamarel-db init FOLDER\n"
        "       tamarel-db upgrade FOLDER\n"
        "       tamarel-db hotel FOLDER [KEY=VALUE ...]\n"
        "       tamarel-db police-report FOLDER FROM THRU FILE [--all]\n"
        "       tamarel-db invoices FOLDER|URI MONTH --csv FILE\n"
        "       tamarel-db fee-book FOLDER|URI FROM THRU [--csv FILE]\n"
        "       tamarel-db visitor-statistics FOLDER|URI MONTH|QUARTER [--csv FILE]\n"
        "       tamarel-db takings FOLDER|URI FROM THRU [--csv FILE]\n"
        "       tamarel-db demo FOLDER [--today D.M.YYYY]\n"
        "       tamarel-db sql FOLDER STATEMENT\n"
        "       tamarel-db large FOLDER [--stays N] [--rooms R] [--years Y] [--clients C]\n"
        "       tamarel-db copy SOURCE TARGET [--replace]\n"
        "       tamarel-db backup FOLDER [ARCHIVE]\n"
        "       tamarel-db backup URI ARCHIVE\n"
        "       tamarel-db restore FOLDER|URI ARCHIVE\n"
        "       tamarel-db rates fetch FOLDER|URI [--date D.M.YYYY] [--url URL]\n"
        "       tamarel-db import-paradox PARADOX_FOLDER TARGET [--replace] [--codepage CP] [--cut-long-texts]\n"
        "       tamarel-db calendars export FOLDER|URI OUTDIR\n"
        "       tamarel-db calendars sync FOLDER|URI\n"
        "       tamarel-db --help | --version\n"
        "FOLDER may be a PostgreSQL URI (postgresql://user@host/dbname) wherever the database is named.");
}

int usage()
{
    err(usageText());
    return 2;
}

void reportKept(const QStringList& kept)
{
    for (const QString& line : kept) out(line);
}

int init(const QString& folder)
{
    engine::Database db(data::databaseLocation(folder).toStdString());
    const QStringList kept = data::createTables(db, folder);
    reportKept(kept);
    out(QStringLiteral("%1 table files created in %2").arg(data::tableDefinitions().size() - kept.size()).arg(folder));
    return 0;
}

// Adds the tables a database made by an older version lacks, with their indexes, and touches
// nothing else: no table that is there is changed, no row is written.
int upgrade(const QString& folder)
{
    if (!engine::isServerLocation(folder.toStdString()) && !QFileInfo(folder).isDir()) {
        err(QStringLiteral("%1 is not a database folder (tamarel-db init makes one)").arg(folder));
        return 1;
    }
    engine::Database db(data::databaseLocation(folder).toStdString());
    const QStringList missing = data::missingTables(db, folder);
    data::createTables(db, folder);  // makes exactly the missing ones
    for (const QString& file : missing) out(file + QStringLiteral(" created"));
    // The stays' span index of a folder written by another program or restored from an old
    // archive: built here once instead of at the board's first showing (a server keeps its own).
    bool indexed = false;
    if (!engine::isServerLocation(folder.toStdString())) {
        const std::string stays = (data::folderPrefix(folder) + QStringLiteral("POBYTY.DB")).toStdString();
        if (QFileInfo::exists(QString::fromStdString(stays)) && engine::spanIndexMissing(stays)) {
            if (!engine::buildSpanIndex(stays)) {
                err(QStringLiteral("The stays' index could not be built in %1 (another program holds POBYTY.DB?)").arg(folder));
                return 1;
            }
            out(QStringLiteral("The stays' index built"));
            indexed = true;
        }
    }
    if (missing.isEmpty() && !indexed) out(QStringLiteral("%1 has every table; nothing changed").arg(folder));
    else if (!missing.isEmpty()) out(QStringLiteral("%1 tables added to %2").arg(QString::number(missing.size()), folder));
    return 0;
}

// The guest book's commands need its tables; an older database is told how to add them.
bool guestBookThere(engine::Database& db, const QString& folder)
{
    if (guests::guestBookReady(db, data::folderPrefix(folder))) return true;
    err(QStringLiteral("The guest book is not set up in %1: tamarel-db upgrade %1 adds its tables").arg(folder));
    return false;
}

// Shows the hotel's details, or sets the KEY=VALUE pairs given (all or none) and shows them.
int hotel(const QString& folder, const QStringList& pairs)
{
    engine::Database db(data::databaseLocation(folder).toStdString());
    if (!guestBookThere(db, folder)) return 1;
    const QString prefix = data::folderPrefix(folder);
    QMap<QString, QString> values;
    for (const QString& pair : pairs) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const guests::SettingKey* key = eq > 0 ? guests::findSettingKey(pair.left(eq)) : nullptr;
        if (!key) {
            err(QStringLiteral("%1: not KEY=VALUE with one of the keys").arg(pair));
            QStringList keys;
            for (const guests::SettingKey& k : guests::settingKeys()) keys << QLatin1String(k.key);
            err(keys.join(QLatin1Char(' ')));
            return 2;
        }
        values.insert(guests::storedKey(pair.left(eq)), pair.mid(eq + 1).trimmed());
    }
    if (!values.isEmpty()) {
        try {
            guests::writeSettings(db, prefix, values);
        } catch (const std::invalid_argument& e) {
            err(QString::fromUtf8(e.what()) + QStringLiteral(" Nothing was changed."));
            return 1;
        }
    }
    const QMap<QString, QString> stored = guests::readSettings(db, prefix);
    for (const guests::SettingKey& k : guests::settingKeys()) {
        if (!guests::isKeyPattern(k)) {
            out(QLatin1String(k.key) + QLatin1Char('=') + stored.value(QLatin1String(k.key)));
            continue;
        }
        for (auto it = stored.begin(); it != stored.end(); ++it)
            if (it.key().startsWith(QLatin1String(k.key))) out(it.key() + QLatin1Char('=') + it.value());
    }
    return 0;
}

// Writes the police file of the foreign guests who arrived from..thru (those not reported
// yet, or all with --all), then marks them reported: only once the file is written.
int policeReport(const QString& folder, const QStringList& rest)
{
    if (rest.size() < 3 || rest.size() > 4 || (rest.size() == 4 && rest[3] != QLatin1String("--all"))) return usage();
    const QDate from = guests::parseDateArgument(rest[0]), thru = guests::parseDateArgument(rest[1]);
    if (!from.isValid() || !thru.isValid()) {
        err(QStringLiteral("FROM and THRU are dates: D.M.YYYY or YYYY-MM-DD"));
        return 2;
    }
    const QString target = rest[2];
    engine::Database db(data::databaseLocation(folder).toStdString());
    if (!guestBookThere(db, folder)) return 1;
    const QString prefix = data::folderPrefix(folder);
    guests::BookQuery query{from, thru, true, rest.size() < 4};
    const QList<guests::Guest> persons = guests::bookGuests(db, prefix, query);
    const QDateTime made = platform::now();
    const guests::PoliceFile file =
        guests::makePoliceFile(guests::hotelDetails(guests::readSettings(db, prefix)), persons, made);
    if (!file.ok()) {
        for (const guests::PoliceProblem& p : file.problems) err(guests::problemText(p));
        err(QStringLiteral("Nothing was written; mend these in the guests window or the hotel's details."));
        return 1;
    }
    if (file.written.isEmpty()) {
        out(QStringLiteral("No foreign guest to report from %1 to %2; no file written")
                .arg(shell::DateText(from), shell::DateText(thru)));
        return 0;
    }
    QSaveFile save(target);
    if (!save.open(QIODevice::WriteOnly) || save.write(file.bytes) != file.bytes.size() || !save.commit()) {
        err(QStringLiteral("%1 cannot be written: %2; no guest was marked reported").arg(target, save.errorString()));
        return 1;
    }
    try {
        guests::markReported(db, prefix, file.written, made.date());
    } catch (const engine::Error& e) {
        err(QStringLiteral("%1 was written, but the guests could not be marked reported: %2").arg(target, QString::fromUtf8(e.what())));
        return 1;
    }
    out(QStringLiteral("%1 guests written to %2 and marked reported on %3")
            .arg(QString::number(file.written.size()), target, shell::DateText(made.date())));
    return 0;
}

// The accountant's list of a month's invoices (the body is the invoices' own).
int invoicesList(const QString& folder, const QStringList& rest)
{
    engine::Database db(data::databaseLocation(folder).toStdString());
    const invoices::CommandResult r = invoices::invoicesCommand(db, data::folderPrefix(folder), rest);
    if (r.code == 2 && r.message.isEmpty()) return usage();
    (r.code == 0 ? out : err)(r.message);
    return r.code;
}

int demo(const QString& folder, const QStringList& options)
{
    QDateTime now = platform::now();
    for (int i = 0; i + 1 < options.size(); i += 2) {
        if (options[i] != QLatin1String("--today")) return usage();
        now.setDate(shell::DateFromNumber(shell::ParseDayMonthYear(options[i + 1])));
    }
    if (options.size() % 2) return usage();
    engine::Database db(data::databaseLocation(folder).toStdString());
    if (engine::isServerLocation(folder.toStdString()) || QDir(folder).exists()) {
        const QStringList filled = data::filledTables(db, folder);
        if (!filled.isEmpty()) {
            err(QStringLiteral("%1 already holds data (%2); the demo set goes only into empty tables")
                    .arg(folder, filled.join(QStringLiteral(", "))));
            return 1;
        }
    }
    reportKept(data::createTables(db, folder));
    // A new folder is filled in one go without waiting for the disk after every row; if the
    // machine fails meanwhile, the folder is simply made again.
    db.setSyncWrites(false);
    const data::DemoSummary s = data::fillDemo(db, folder, now);
    db.releaseTables();
    // The folder or URI goes in last, in one step: a later arg() would read its "%3D" as a
    // place for a number.
    const QString counts = QStringLiteral("%1 rooms, %2 dated prices, %3 rates, %4 item types, %5 referral sources, "
                                          "%6 clients, %7 stays, %8 accounts, %9 account items, %10 notes")
                               .arg(s.rooms).arg(s.prices).arg(s.rates).arg(s.itemTypes).arg(s.sources).arg(s.clients)
                               .arg(s.stays).arg(s.accounts).arg(s.items).arg(s.notes);
    out(QStringLiteral("Demo data for %1 written to %2: %3").arg(shell::DateText(now.date()), folder, counts));
    return 0;
}

// Whether the statement reads rows: its first word, after comments and opening
// parentheses, is SELECT.
bool isQuery(const QString& statement)
{
    QString t = statement.trimmed();
    for (;;) {
        if (t.startsWith(QLatin1String("--"))) {
            const qsizetype end = t.indexOf(QLatin1Char('\n'));
            t = end < 0 ? QString() : t.mid(end + 1).trimmed();
        } else if (t.startsWith(QLatin1String("/*"))) {
            const qsizetype end = t.indexOf(QLatin1String("*/"), 2);
            t = end < 0 ? QString() : t.mid(end + 2).trimmed();
        } else if (t.startsWith(QLatin1Char('('))) {
            t = t.mid(1).trimmed();
        } else {
            break;
        }
    }
    return t.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
}

// A value as one field of a tab-separated line: backslash, tab and line breaks escaped, so
// every row stays one line.
QString fieldText(const std::string& value)
{
    QString text = QString::fromStdString(value);
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

int sql(const QString& folder, const QString& statement)
{
    engine::Database db(data::databaseLocation(folder).toStdString());
    if (!isQuery(statement)) {
        out(QStringLiteral("%1 rows affected").arg(db.execute(statement.toStdString())));
        return 0;
    }
    auto q = db.open(statement.toStdString());
    QStringList names;
    for (const auto& f : q->fields()) names << QString::fromStdString(f.name);
    out(names.join(QLatin1Char('\t')));
    const int n = int(q->fields().size());
    while (q->next()) {
        QStringList row;
        for (int i = 0; i < n; ++i) row << fieldText(q->text(i));
        out(row.join(QLatin1Char('\t')));
    }
    return 0;
}

int large(const QString& folder, const QStringList& options)
{
    data::LargeOptions o;
    for (int i = 0; i < options.size(); i += 2) {
        if (i + 1 >= options.size()) return usage();
        bool ok = false;
        const qint64 v = options[i + 1].toLongLong(&ok);
        if (!ok || v < 1) return usage();
        if (options[i] == QLatin1String("--stays")) o.stays = v;
        else if (options[i] == QLatin1String("--rooms")) o.rooms = int(v);
        else if (options[i] == QLatin1String("--years")) o.years = int(v);
        else if (options[i] == QLatin1String("--clients")) o.clients = int(v);
        else return usage();
    }
    if (o.rooms > 999) {
        err(QStringLiteral("at most 999 rooms (room identifiers have three characters)"));
        return 1;
    }
    // The large set is written straight into table files.
    if (engine::isServerLocation(folder.toStdString())) {
        err(QStringLiteral("a large database is written into a folder of table files, not onto a server"));
        return 1;
    }
    engine::Database db(data::databaseLocation(folder).toStdString());
    if (QDir(folder).exists() && !data::filledTables(db, folder).isEmpty()) {
        err(QStringLiteral("%1 already holds data; a large database goes only into empty tables").arg(folder));
        return 1;
    }
    reportKept(data::createTables(db, folder));
    db.releaseTables();
    QElapsedTimer timer;
    timer.start();
    const data::LargeSummary s = data::writeLargeDatabase(folder, o, platform::now().date());
    out(QStringLiteral("%1 stays, %2 rooms, %3 clients, %4 accounts, %5 account items written in %6 s")
            .arg(s.stays).arg(s.rooms).arg(s.clients).arg(s.accounts).arg(s.items)
            .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
    return 0;
}

// Copies the ten tables from one database to another (folders or servers, either way).
int copy(const QString& source, const QStringList& rest)
{
    if (rest.isEmpty() || rest.size() > 2 || (rest.size() == 2 && rest[1] != QLatin1String("--replace"))) return usage();
    backup::CopyOptions options;
    options.replace = rest.size() == 2;
    const QString target = rest[0];
    QElapsedTimer timer;
    timer.start();
    try {
        const backup::CopySummary s = backup::copyDatabase(source, target, options);
        const double seconds = std::max<qint64>(1, timer.elapsed()) / 1000.0;
        for (const auto& [file, rows] : s.tables) out(QStringLiteral("%1 %2 rows").arg(file).arg(rows));
        out(QStringLiteral("%1 rows copied from %2 to %3 in %4 s (%5 rows/s)")
                .arg(QString::number(s.rows), source, target, QString::number(seconds, 'f', 1),
                     QString::number(qint64(s.rows / seconds))));
    } catch (const backup::CopyRefused& e) {
        err(QStringLiteral("%1 already holds rows in %2; nothing was copied (--replace replaces them)")
                .arg(target, e.filled.join(QStringLiteral(", "))));
        return 1;
    }
    return 0;
}

// The day's EUR rate from the Czech National Bank (or the address given) into KURZY.DB: prints
// what was done and the stored row; a fault ends with its reason and exit code 1.
int ratesFetch(const QString& folder, const QStringList& options)
{
    QDate day;
    QString address = rates::kBankUrl;
    if (options.size() % 2) return usage();
    for (int i = 0; i < options.size(); i += 2) {
        if (options[i] == QLatin1String("--date")) {
            try {
                day = shell::DateFromNumber(shell::ParseDayMonthYear(options[i + 1]));
            } catch (const std::invalid_argument&) {
                err(QStringLiteral("--date %1 is not a date (D.M.YYYY)").arg(options[i + 1]));
                return 1;
            }
        } else if (options[i] == QLatin1String("--url")) {
            address = options[i + 1];
        } else {
            return usage();
        }
    }
    engine::Database db(data::databaseLocation(folder).toStdString());
    const rates::TUpdated u = rates::UpdateNow(db, data::folderPrefix(folder), address, day);
    if (!u.ok()) {
        err(u.message);
        return 1;
    }
    out(u.message);
    out(u.stored.row());
    return 0;
}

// Moves a hotel in: the ten tables of a folder of Paradox files into a database.
int importParadox(const QString& folder, const QStringList& rest)
{
    if (rest.isEmpty()) return usage();
    paradox::ImportOptions options;
    const QString target = rest[0];
    for (int i = 1; i < rest.size(); ++i) {
        if (rest[i] == QLatin1String("--replace")) {
            options.replace = true;
        } else if (rest[i] == QLatin1String("--cut-long-texts")) {
            options.cutLongTexts = true;
        } else if (rest[i] == QLatin1String("--codepage") && i + 1 < rest.size()) {
            bool ok = false;
            QString cp = rest[++i];
            if (cp.startsWith(QLatin1String("cp"), Qt::CaseInsensitive)) cp = cp.mid(2);
            options.codePage = cp.toInt(&ok);
            if (!ok || options.codePage <= 0) return usage();
        } else {
            return usage();
        }
    }
    QElapsedTimer timer;
    timer.start();
    try {
        const paradox::ImportReport report = paradox::importParadox(folder, target, options);
        for (const QString& line : report.lines()) out(line);
        const double seconds = std::max<qint64>(1, timer.elapsed()) / 1000.0;
        out(QStringLiteral("%1 rows imported from %2 into %3 in %4 s (%5 rows/s)")
                .arg(QString::number(report.rows), folder, target, QString::number(seconds, 'f', 1),
                     QString::number(qint64(report.rows / seconds))));
        return 0;
    } catch (const paradox::ImportRefused& e) {
        for (const QString& line : e.report.lines()) err(line);
        err(QStringLiteral("Nothing was imported: texts longer than their columns or values of the wrong kind "
                           "(--cut-long-texts cuts the texts and leaves those values empty)"));
    } catch (const backup::CopyRefused& e) {
        err(QStringLiteral("%1 already holds rows in %2; nothing was imported (--replace replaces them)")
                .arg(target, e.filled.join(QStringLiteral(", "))));
    } catch (const paradox::ParadoxError& e) {
        err(QStringLiteral("Nothing was imported: %1").arg(QString::fromUtf8(e.what())));
    }
    return 1;
}

// The accounts paid from..thru with their invoice numbers and the totals by payment form and
// VAT rate; with --csv also the accountant's file.
int takings(const QString& folder, const QStringList& rest)
{
    if (rest.size() != 2 && !(rest.size() == 4 && rest[2] == QLatin1String("--csv"))) return usage();
    if (!engine::isServerLocation(folder.toStdString()) && !QFileInfo::exists(data::folderPrefix(folder) + QStringLiteral("UCTY.DB"))) {
        err(QStringLiteral("%1 is not a database folder (tamarel-db init makes one)").arg(folder));
        return 1;
    }
    engine::Database db(data::databaseLocation(folder).toStdString());
    return invoices::takingsCommand(db, data::folderPrefix(folder), rest, &out, &err);
}

// The rooms' calendars for cron: the export into a folder, and the reading of every feed.
// A sync with a feed that could not be read ends with exit code 1 (its holds are unchanged).
int calendarsCommand(const QStringList& args)
{
    if (args.size() < 3) return usage();
    const QString what = args[1], folder = args[2];
    engine::Database db(data::databaseLocation(folder).toStdString());
    const QString prefix = data::folderPrefix(folder);
    if (what == QLatin1String("export") && args.size() == 4) {
        const calendars::ExportSummary s = calendars::exportCalendars(db, prefix, args[3], shell::TodayNumber(), calendars::Store(db, prefix).settings().names);
        out(QStringLiteral("%1 room calendars (%2 written), %3 events, in %4").arg(s.files).arg(s.written).arg(s.events).arg(args[3]));
        return 0;
    }
    if (what == QLatin1String("sync") && args.size() == 3) {
        calendars::Store store(db, prefix);
        calendars::SyncOptions options;
        options.today = shell::TodayNumber();
        options.now = platform::now();
        const calendars::SyncReport report = calendars::synchronise(store, options);
        out(report.text(options.tr));
        return report.badFeeds.isEmpty() ? 0 : 1;
    }
    return usage();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
        out(QStringLiteral("tamarel-db: the database tool of Tamarel, the front office of a small hotel.\n") + usageText());
        return 0;
    }
    if (args.size() == 1 && (args[0] == QLatin1String("--version") || args[0] == QLatin1String("-v"))) {
        out(QStringLiteral("tamarel-db " TAMAREL_VERSION));
        return 0;
    }
    if (args.size() < 2) return usage();
    const QString command = args[0];
    const QString folder = args[1];
    try {
        if (command == QLatin1String("init") && args.size() == 2) return init(folder);
        if (command == QLatin1String("upgrade") && args.size() == 2) return upgrade(folder);
        if (command == QLatin1String("hotel")) return hotel(folder, args.mid(2));
        if (command == QLatin1String("police-report")) return policeReport(folder, args.mid(2));
        if (command == QLatin1String("invoices")) return invoicesList(folder, args.mid(2));
        if (command == QLatin1String("fee-book")) return fees::feeBookCommand(args.mid(1), usage);
        if (command == QLatin1String("visitor-statistics")) return fees::visitorStatisticsCommand(args.mid(1), usage);
        if (command == QLatin1String("takings")) return takings(folder, args.mid(2));
        if (command == QLatin1String("demo")) return demo(folder, args.mid(2));
        if (command == QLatin1String("sql") && args.size() == 3) return sql(folder, args[2]);
        if (command == QLatin1String("large")) return large(folder, args.mid(2));
        if (command == QLatin1String("copy")) return copy(folder, args.mid(2));
        if (command == QLatin1String("rates") && folder == QLatin1String("fetch") && args.size() >= 3)
            return ratesFetch(args[2], args.mid(3));
        if (command == QLatin1String("calendars")) return calendarsCommand(args);
        if (command == QLatin1String("import-paradox")) return importParadox(folder, args.mid(2));
        if (command == QLatin1String("backup") || command == QLatin1String("restore"))
            return backupMain(args);
        return usage();
    } catch (const std::exception& e) {
        err(QString::fromUtf8(e.what()));
        return 1;
    }
}
