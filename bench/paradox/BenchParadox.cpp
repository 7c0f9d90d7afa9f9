// Benchmark of the Paradox import: the large database (`tamarel-db large`'s size, 1,000,000
// stays with their accounts and items) written once as Paradox files with pxlib's writer,
// then, in the same run, (1) pxlib reading every record of those files into memory and (2)
// the import of the same files into a new folder of table files. The figure is the ratio of
// their speeds (import rows/s ÷ pxlib rows/s; the goal is at least 0.5).
//
//   bench_paradox [--small] [--cache DIR] [--target LOCATION]
// --small: 20,000 stays (ctest's smoke run). The Paradox files are kept in DIR (default
// build/bench-data/paradox beside the program) and made again only when missing. --target
// names the database written into (a folder, emptied first, or a server URI, replaced);
// by default a folder in DIR.
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <ctime>
#include <map>

#include "data/LargeDatabase.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "paradox/ParadoxFile.h"
#include "paradox/ParadoxImport.h"
#include "paradox/ParadoxWriter.h"
#include "platform/Platform.h"

using paradox::Kind;
using paradox::Raw;

namespace {

// Our columns as the Paradox fields a hotel's files would have: the long comments as memos.
paradox::FieldSpec fieldFor(const engine::FieldInfo& f)
{
    switch (f.type) {
    case engine::FieldType::Key: return {f.name, Kind::AutoInc, 0};
    case engine::FieldType::Integer: return {f.name, Kind::Long, 0};
    case engine::FieldType::Float: return {f.name, Kind::Number, 0};
    case engine::FieldType::Date: return {f.name, Kind::Date, 0};
    case engine::FieldType::Time: return {f.name, Kind::Time, 0};
    default: return f.width > 200 ? paradox::FieldSpec{f.name, Kind::Memo, 40} : paradox::FieldSpec{f.name, Kind::Alpha, f.width};
    }
}

Raw rawFor(const engine::Value& v, const engine::FieldInfo& f)
{
    Raw r;
    if (std::holds_alternative<std::monostate>(v)) return r;
    if (f.type == engine::FieldType::Date) {
        r.type = Raw::Type::Integer;
        r.integer = std::get<std::int64_t>(v) + 693594;  // days since 1.1.0001
    } else if (f.type == engine::FieldType::Time) {
        r.type = Raw::Type::Integer;
        r.integer = std::get<std::int64_t>(v) * 1000;
    } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
        if (f.type == engine::FieldType::Float) {
            r.type = Raw::Type::Float;
            r.number = double(*i);
        } else {
            r.type = Raw::Type::Integer;
            r.integer = *i;
        }
    } else if (const auto* d = std::get_if<double>(&v)) {
        r.type = Raw::Type::Float;
        r.number = *d;
    } else {
        r.type = Raw::Type::Bytes;
        r.bytes = platform::toCp1250(QString::fromStdString(std::get<std::string>(v))).toStdString();
    }
    return r;
}

// The Paradox folder: the large database made with tamarel-db's writer, then every table
// written again with pxlib. Returns the rows written.
qint64 makeParadoxFolder(const QString& cache, const QString& paradoxFolder, qint64 stays)
{
    const QString source = cache + QStringLiteral("/tamarel");
    QDir(source).removeRecursively();
    {
        engine::Database db(data::databaseLocation(source).toStdString());
        data::createTables(db, source);
    }
    data::LargeOptions o;
    o.stays = stays;
    data::writeLargeDatabase(source, o, QDate(2024, 1, 1));
    QDir(paradoxFolder).removeRecursively();
    QDir().mkpath(paradoxFolder);
    engine::Database db(data::databaseLocation(source).toStdString());
    const QString prefix = data::folderPrefix(source);
    qint64 rows = 0;
    for (const data::TableDefinition& t : data::tableDefinitions()) {
        auto q = db.open(("SELECT * FROM \"" + prefix + t.file + "\"").toStdString());
        std::vector<paradox::FieldSpec> fields;
        bool memo = false;
        for (const auto& f : q->fields()) {
            fields.push_back(fieldFor(f));
            memo = memo || fields.back().kind == Kind::Memo;
        }
        const QString base = paradoxFolder + "/" + t.table;
        const qint64 count = q->rowCount();
        paradox::ParadoxWriter w((base + ".DB").toStdString(), fields, 1250, memo ? (base + ".MB").toStdString() : std::string(),
                                 std::max<qint64>(1, count));
        std::vector<Raw> values(fields.size());
        while (q->next()) {
            for (size_t i = 0; i < fields.size(); ++i) values[i] = rawFor(q->value(int(i)), q->fields()[i]);
            w.append(values);
            ++rows;
        }
    }
    db.releaseTables();
    QDir(source).removeRecursively();
    QFile marker(paradoxFolder + "/complete");
    marker.open(QIODevice::WriteOnly);
    marker.write(QByteArray::number(stays));
    return rows;
}

// pxlib reading every record of the folder's ten tables into memory, batch by batch as the
// import holds them. Returns the records read.
qint64 readWithPxlib(const QString& paradoxFolder)
{
    qint64 rows = 0;
    std::vector<std::vector<Raw>> batch;
    for (const data::TableDefinition& t : data::tableDefinitions()) {
        const QString base = paradoxFolder + "/" + t.table;
        const bool memo = QFileInfo::exists(base + ".MB");
        paradox::ParadoxFile file((base + ".DB").toStdString(), memo ? (base + ".MB").toStdString() : std::string(),
                                  t.file.toStdString());
        const int n = int(file.fields().size());
        for (int r = 0; r < file.records(); ++r) {
            file.readRecord(r);
            std::vector<Raw> row;
            row.reserve(size_t(n));
            for (int f = 0; f < n; ++f) row.push_back(file.value(f));
            batch.push_back(std::move(row));
            if (batch.size() == 5000) batch.clear();
            ++rows;
        }
        batch.clear();
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool small = false;
    QString cache = QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data/paradox");
    QString target;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--small")) small = true;
        else if (args[i] == QLatin1String("--cache") && i + 1 < args.size()) cache = args[++i];
        else if (args[i] == QLatin1String("--target") && i + 1 < args.size()) target = args[++i];
        else {
            std::fprintf(stderr, "usage: bench_paradox [--small] [--cache DIR] [--target LOCATION]\n");
            return 2;
        }
    }
    const qint64 stays = small ? 20000 : 1000000;
    cache = QDir(cache).absolutePath() + (small ? QStringLiteral("/small") : QStringLiteral("/large"));
    const QString paradoxFolder = cache + QStringLiteral("/pdx");
    try {
        QFile marker(paradoxFolder + "/complete");
        if (!marker.open(QIODevice::ReadOnly) || marker.readAll().toLongLong() != stays) {
            QElapsedTimer made;
            made.start();
            const qint64 rows = makeParadoxFolder(cache, paradoxFolder, stays);
            std::printf("Paradox files of %lld stays (%lld rows) written with pxlib in %.1f s\n", static_cast<long long>(stays),
                        static_cast<long long>(rows), made.elapsed() / 1000.0);
        }

        // Wall time gives the figures; the processor time of this process is shown beside it,
        // as a machine shared with other work stretches wall time unevenly.
        QElapsedTimer timer;
        timer.start();
        std::clock_t cpu = std::clock();
        const qint64 read = readWithPxlib(paradoxFolder);
        const double readSeconds = std::max<qint64>(1, timer.elapsed()) / 1000.0;
        const double readCpu = double(std::clock() - cpu) / CLOCKS_PER_SEC;

        const bool server = engine::isServerLocation(target.toStdString());
        if (target.isEmpty()) target = cache + QStringLiteral("/target");
        if (!server) QDir(target).removeRecursively();
        paradox::ImportOptions options;
        options.replace = server;
        timer.restart();
        cpu = std::clock();
        const paradox::ImportReport report = paradox::importParadox(paradoxFolder, target, options);
        const double importSeconds = std::max<qint64>(1, timer.elapsed()) / 1000.0;
        const double importCpu = double(std::clock() - cpu) / CLOCKS_PER_SEC;
        if (report.rows != read) {
            std::fprintf(stderr, "the import wrote %lld rows, pxlib read %lld\n", static_cast<long long>(report.rows),
                         static_cast<long long>(read));
            return 1;
        }
        const double readRate = read / readSeconds, importRate = report.rows / importSeconds;
        std::printf("pxlib reading into memory: %lld records in %.2f s (%.0f records/s; %.2f s of processor time)\n",
                    static_cast<long long>(read), readSeconds, readRate, readCpu);
        std::printf("import into %s: %lld rows in %.2f s (%.0f rows/s; %.2f s of processor time in this process)\n",
                    server ? "a server" : "a folder", static_cast<long long>(report.rows), importSeconds, importRate, importCpu);
        std::printf("ratio import/pxlib: %.3f (goal: at least 0.5)\n", importRate / readRate);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
