// tamarel-db: the database tool. The program itself never creates tables; an installation
// gets its table files from here, empty or with the demo set, and an administrator can run
// one statement against a folder without the console.
//
// Invariants: init and demo never touch an existing table file; demo writes only into
// empty tables; every failure ends with a message on stderr and exit code 1.

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "backup/BackupCli.h"
#include "backup/DatabaseCopy.h"
#include "data/Demo.h"
#include "data/LargeDatabase.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "paradox/ParadoxFile.h"
#include "paradox/ParadoxImport.h"
#include "platform/Platform.h"
#include "shell/ValueHelpers.h"

namespace {

void out(const QString& line) { std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout); }
void err(const QString& line) { std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stderr); }

int usage()
{
    err(QStringLiteral(
        "usage: tamarel-db init FOLDER\n"
        "       tamarel-db demo FOLDER [--today D.M.YYYY]\n"
        "       tamarel-db sql FOLDER STATEMENT\n"
        "       tamarel-db large FOLDER [--stays N] [--rooms R] [--years Y] [--clients C]\n"
        "       tamarel-db copy SOURCE TARGET [--replace]\n"
        "       tamarel-db import-paradox PARADOX_FOLDER TARGET [--replace] [--codepage CP] [--cut-long-texts]\n"
        "       tamarel-db backup FOLDER [ARCHIVE]\n"
        "       tamarel-db backup URI ARCHIVE\n"
        "       tamarel-db restore FOLDER|URI ARCHIVE\n"
        "FOLDER may be a PostgreSQL URI (postgresql://user@host/dbname) wherever the database is named."));
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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) return usage();
    const QString command = args[0];
    const QString folder = args[1];
    try {
        if (command == QLatin1String("init") && args.size() == 2) return init(folder);
        if (command == QLatin1String("demo")) return demo(folder, args.mid(2));
        if (command == QLatin1String("sql") && args.size() == 3) return sql(folder, args[2]);
        if (command == QLatin1String("large")) return large(folder, args.mid(2));
        if (command == QLatin1String("copy")) return copy(folder, args.mid(2));
        if (command == QLatin1String("import-paradox")) return importParadox(folder, args.mid(2));
        if (command == QLatin1String("backup") || command == QLatin1String("restore"))
            return backupMain(args);
        return usage();
    } catch (const std::exception& e) {
        err(QString::fromUtf8(e.what()));
        return 1;
    }
}
