// Benchmark of the police file: the export of a year's guests of a 50-room hotel (about
// 40,000 persons, most of them foreign) as `tamarel-db police-report --all` does it — the
// guest book's rows read through the engine, every field checked and the file made in
// Windows-1250, the file written — against the baseline of writing the same rows (already
// in memory, as plain "|"-joined UTF-8 lines, no checks) with plain file writes, in the same
// run. It prints the median of five runs of each and their ratio.
//
//   bench_guests [--small] [--persons N]
// --small: 2,000 persons, for the smoke run under ctest. The table is made in a temporary
// folder and only read by the runs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "guests/Guest.h"
#include "guests/PoliceFile.h"

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double timeMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

const char* const kSurnames[] = {"Müller", "Schmidt", "Nováková", "Kowalski", "Smith", "Rossi", "Dvořák", "García",
                                 "Ivanova", "Nielsen", "Horváth", "O'Connor", "Lefebvre", "Janssen", "Petrović"};
const char* const kNames[] = {"Anna", "Jan", "Žofie", "Piotr", "John", "Giulia", "Lukáš", "María", "Olga", "Sören"};
const char* const kStates[] = {"DEU", "DEU", "AUT", "POL", "GBR", "ITA", "CZE", "ESP", "SVK", "DNK", "HUN", "IRL",
                               "FRA", "NLD", "SRB", "CZE", "USA"};

// Persons over one year, a few arriving each day in each of the 50 rooms; every name is one
// Windows-1250 can write (the file refuses others).
void fillGuests(engine::Database& db, const QString& prefix, int persons)
{
    const std::int64_t first = engine::dayNumber(2025, 1, 1);
    const std::vector<engine::FieldInfo> columns = {
        {"BID", engine::FieldType::Integer, 0},   {"KID", engine::FieldType::Integer, 0},
        {"SURNAME", engine::FieldType::Text, 40}, {"NAME", engine::FieldType::Text, 30},
        {"DATEBIRTH", engine::FieldType::Text, 10}, {"CITIZEN", engine::FieldType::Text, 3},
        {"DOCTYPE", engine::FieldType::Text, 1},  {"DOCNUM", engine::FieldType::Text, 30},
        {"VISA", engine::FieldType::Text, 15},    {"ADDRESS", engine::FieldType::Text, 128},
        {"PURPOSE", engine::FieldType::Text, 2},  {"DATEFROM", engine::FieldType::Date, 0},
        {"DATETHRU", engine::FieldType::Date, 0}};
    auto change = db.beginChange({(prefix + QStringLiteral("HOSTE.DB")).toStdString()});
    std::vector<std::vector<engine::Value>> batch;
    for (int i = 0; i < persons; ++i) {
        const std::int64_t from = first + (std::int64_t(i) * 365) / persons;
        char birth[16], doc[16];
        std::snprintf(birth, sizeof birth, "%02d.%02d.%04d", i % 7 == 0 ? 0 : 1 + i % 28, 1 + i % 12, 1940 + i % 60);
        std::snprintf(doc, sizeof doc, "X%08d", i);
        batch.push_back({std::int64_t(i / 2 + 1), std::int64_t(0), std::string(kSurnames[i % 15]),
                         std::string(kNames[i % 10]), std::string(birth), std::string(kStates[i % 17]), std::string("P"),
                         std::string(doc), i % 5 ? std::string() : std::string("V123456"),
                         std::string("Hauptstraße ") + std::to_string(i % 200) + ", 94032 Passau", std::string("10"),
                         from, from + 1 + i % 4});
        if (batch.size() == 5000) {
            change->insertRows((prefix + QStringLiteral("HOSTE.DB")).toStdString(), columns, batch);
            batch.clear();
        }
    }
    if (!batch.empty()) change->insertRows((prefix + QStringLiteral("HOSTE.DB")).toStdString(), columns, batch);
    change->commit();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int persons = 40000;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--small")) persons = 2000;
        else if (args[i] == QLatin1String("--persons") && i + 1 < args.size()) persons = args[++i].toInt();
        else {
            std::fprintf(stderr, "usage: bench_guests [--small] [--persons N]\n");
            return 2;
        }
    }
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/DB");
    engine::Database db(data::databaseLocation(folder).toStdString());
    data::createTables(db, folder);
    const QString prefix = data::folderPrefix(folder);
    db.setSyncWrites(false);
    fillGuests(db, prefix, persons);
    db.setSyncWrites(true);

    guests::HotelDetails hotel;
    hotel.idub = QStringLiteral("123456789012");
    hotel.abbrev = QStringLiteral("VODPO");
    hotel.name = QStringLiteral("Hotel Pošta");
    const QDateTime made(QDate(2026, 1, 5), QTime(8, 0));
    const guests::BookQuery query{QDate(2025, 1, 1), QDate(2025, 12, 31), true, false};
    const QString exportPath = dir.filePath(QStringLiteral("export.unl"));
    const QString plainPath = dir.filePath(QStringLiteral("plain.txt"));

    // The rows of the baseline: what the export writes, read once beforehand.
    const QList<guests::Guest> rows = guests::bookGuests(db, prefix, query);
    int written = 0;
    std::vector<double> exportMs, makeMs, plainMs;
    for (int run = 0; run < 5; ++run) {
        exportMs.push_back(timeMs([&] {
            const QList<guests::Guest> read = guests::bookGuests(db, prefix, query);
            const guests::PoliceFile f = guests::makePoliceFile(hotel, read, made);
            QSaveFile out(exportPath);
            if (!f.ok()) {
                std::fprintf(stderr, "the file was refused: %s\n", qPrintable(guests::problemText(f.problems.first())));
                std::exit(1);
            }
            if (!out.open(QIODevice::WriteOnly) || out.write(f.bytes) != f.bytes.size() || !out.commit()) std::exit(1);
            written = int(f.written.size());
        }));
        makeMs.push_back(timeMs([&] { (void)guests::makePoliceFile(hotel, rows, made); }));
        plainMs.push_back(timeMs([&] {
            QFile out(plainPath);
            if (!out.open(QIODevice::WriteOnly)) std::abort();
            for (const guests::Guest& g : rows) {
                if (!g.isForeign()) continue;
                const QString line = QStringLiteral("U|") + g.DATEFROM.toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char('|') +
                                     g.DATETHRU.toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char('|') + g.SURNAME +
                                     QLatin1Char('|') + g.NAME + QStringLiteral("||") + g.DATEBIRTH + QStringLiteral("|||") +
                                     g.CITIZEN + QLatin1Char('|') + g.ADDRESS + QLatin1Char('|') + g.DOCNUM + QLatin1Char('|') +
                                     g.VISA + QLatin1Char('|') + g.PURPOSE + QLatin1Char('|') + g.NOTE + QStringLiteral("|\r\n");
                out.write(line.toUtf8());
            }
        }));
    }
    const double e = median(exportMs), m = median(makeMs), p = median(plainMs);
    std::printf("police file of %d persons in the table (%d foreign written, %lld bytes)\n", persons, written,
                static_cast<long long>(QFile(exportPath).size()));
    std::printf("  export (read the book, check, Windows-1250, write): %8.1f ms\n", e);
    std::printf("  of it the file made from rows in memory:            %8.1f ms\n", m);
    std::printf("  baseline: the same rows, plain file writes:         %8.1f ms\n", p);
    std::printf("  ratio export/baseline: %.2f   ratio file made/baseline: %.2f   (export limit 1000 ms: %s)\n", e / p, m / p,
                e <= 1000 ? "met" : "NOT met");
    return 0;
}
