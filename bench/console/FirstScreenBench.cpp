// Time from running "SELECT * FROM POBYTY" in the console to the first screen of rows
// painted, beside the raw SQLite time to read the same first rows, in the same run.
//
//   bench_console --folder DIR   a database folder (e.g. made by tamarel-db large)
//   bench_console --small        builds a 20,000-stay folder in a temporary directory
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

#include "console/ResultModel.h"
#include "console/TfrmMain.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"

namespace {

void createSmallFolder(const QString& folder, int stays)
{
    engine::Database db(folder.toStdString());
    data::createTables(db, folder);
    db.releaseTables();
    sqlite3* raw = nullptr;
    sqlite3_open((folder + "/POBYTY.DB").toUtf8().constData(), &raw);
    sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(raw,
                       "INSERT INTO POBYTY (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, BOOKEDFOR)"
                       " VALUES (?, ?, ?, ?, 'R', 2, 120.5, 'Guest')",
                       -1, &ins, nullptr);
    for (int i = 0; i < stays; ++i) {
        sqlite3_bind_int(ins, 1, i % 5000 + 1);
        sqlite3_bind_text(ins, 2, std::to_string(i % 300 + 1).c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(ins, 3, 40000 + i / 30);
        sqlite3_bind_int(ins, 4, 40003 + i / 30);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
}

// Raw SQLite: the first `rows` rows of POBYTY with every column read as text.
double rawFirstRows(const QString& folder, int rows)
{
    QElapsedTimer t;
    t.start();
    sqlite3* raw = nullptr;
    sqlite3_open_v2((folder + "/POBYTY.DB").toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw, "SELECT * FROM POBYTY", -1, &st, nullptr);
    const int columns = sqlite3_column_count(st);
    size_t bytes = 0;
    for (int r = 0; r < rows && sqlite3_step(st) == SQLITE_ROW; ++r)
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(st, c);
            bytes += text ? std::strlen(reinterpret_cast<const char*>(text)) : 0;
        }
    sqlite3_finalize(st);
    sqlite3_close(raw);
    static volatile size_t sink;
    sink = bytes;  // keeps the reads from being optimised away
    return t.nsecsElapsed() / 1e6;
}

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

double consoleFirstScreen(const QString& folder, int& rowsShown)
{
    QTemporaryDir settingsDir;
    dorvane::TfrmMain w(settingsDir.path() + "/dorvane.ini", settingsDir.path());
    w.resize(1000, 700);
    w.show();
    QApplication::processEvents();
    w.memSQL()->setPlainText("SELECT * FROM \"" + folder + "/POBYTY.DB\"");
    PaintWatch watch;
    w.dbgResult()->viewport()->installEventFilter(&watch);
    QElapsedTimer t;
    t.start();
    w.btPerformClick();
    while (!(watch.painted && w.resultModel()->rowCount() > 0)) {
        watch.painted = false;
        w.dbgResult()->viewport()->repaint();
        QApplication::processEvents();
        if (t.elapsed() > 60000) break;
    }
    const double ms = t.nsecsElapsed() / 1e6;
    rowsShown = w.resultModel()->rowCount();
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString folder;
    QTemporaryDir temp;
    const QStringList args = app.arguments();
    const int at = args.indexOf("--folder");
    if (at >= 0 && at + 1 < args.size()) {
        folder = args[at + 1];
    } else {
        folder = temp.path();
        createSmallFolder(folder, args.contains("--small") ? 20000 : 200000);
    }
    std::vector<double> consoleTimes, rawTimes;
    int rows = 0;
    for (int i = 0; i < 5; ++i) {
        consoleTimes.push_back(consoleFirstScreen(folder, rows));
        rawTimes.push_back(rawFirstRows(folder, rows));
    }
    const double console = median(consoleTimes), raw = median(rawTimes);
    std::printf("first screen of SELECT * FROM POBYTY (%d rows read): console %.2f ms, raw SQLite %.3f ms,"
                " ratio %.1f\n", rows, console, raw, raw > 0 ? console / raw : 0.0);
    return rows > 0 ? 0 : 1;
}
