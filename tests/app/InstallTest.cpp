// The program as installed and as portable: where every file goes, the command line, and
// the choices of an installed program's first start.

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFolder.h"
#include "app/FirstRun.h"
#include "platform/CommandLine.h"
#include "platform/Paths.h"

using namespace platform;

class InstallTest : public QObject {
    Q_OBJECT
private slots:
    void filesGoWhereTheLayoutPutsThem_data();
    void filesGoWhereTheLayoutPutsThem();
    void xdgFoldersFollowTheEnvironment();
    void commandLine_data();
    void commandLine();
    void firstRunChoices_data();
    void firstRunChoices();
};

namespace {
void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}
}  // namespace

// prefix/bin/tamarel with what stands beside it; every answer for each layout.
void InstallTest::filesGoWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QStringList>("beside");     // files and folders made below the prefix
    QTest::addColumn<QString>("databaseArg");
    QTest::addColumn<bool>("readOnlyBin");
    QTest::addColumn<QStringList>("expected");   // layout, settings, database, engine, templates, help, splash, lang.inc, backups

    const QStringList portable = {"portable", "P/bin/tamarel.ini", "P/bin/DB/", "P/bin/BdeDrivers", "P/bin/", "P/bin/Help/",
                                  "P/bin/tamarel.jpg", "P/bin/lang.inc", "P/bin/"};
    const QStringList installed = {"installed", "C/tamarel/tamarel.ini", "D/tamarel/DB/", "C/tamarel/BdeDrivers",
                                   "D/tamarel/templates/|P/share/tamarel/templates/", "P/share/tamarel/Help/",
                                   "P/share/tamarel/tamarel.jpg", "D/tamarel/lang.inc", "D/tamarel/"};
    QTest::newRow("build folder: nothing beside") << QStringList{} << QString() << false << portable;
    QTest::newRow("settings file beside, share too") << QStringList{"bin/tamarel.ini", "share/tamarel/"} << QString() << false << portable;
    QTest::newRow("DB folder beside, share too") << QStringList{"bin/DB/", "share/tamarel/"} << QString() << false << portable;
    QTest::newRow("installed") << QStringList{"share/tamarel/"} << QString() << false << installed;
    QTest::newRow("installed, read-only bin") << QStringList{"share/tamarel/"} << QString() << true << installed;
    QStringList named = installed;
    named[2] = "/srv/hotel";
    QTest::newRow("installed, database on the command line") << QStringList{"share/tamarel/"} << "/srv/hotel" << false << named;
    QStringList uri = portable;
    uri[2] = "postgresql://desk@server/hotel";
    QTest::newRow("portable, server on the command line") << QStringList{} << "postgresql://desk@server/hotel" << false << uri;
}

void InstallTest::filesGoWhereTheLayoutPutsThem()
{
    QFETCH(QStringList, beside);
    QFETCH(QString, databaseArg);
    QFETCH(bool, readOnlyBin);
    QFETCH(QStringList, expected);
    QTemporaryDir tmp;
    const QString p = tmp.path() + "/prefix";
    QDir().mkpath(p + "/bin");
    for (const QString& b : beside) {
        if (b.endsWith('/')) QDir().mkpath(p + "/" + b);
        else touch(p + "/" + b);
    }
    if (readOnlyBin) QFile::setPermissions(p + "/bin", QFile::ReadOwner | QFile::ExeOwner);
    paths::Inputs in{p + "/bin/tamarel", tmp.path() + "/config", tmp.path() + "/data", tmp.path() + "/home", databaseArg};
    auto abbreviate = [&](QString s) {
        s.replace(tmp.path() + "/config", "C").replace(tmp.path() + "/data", "D").replace(p, "P");
        return s;
    };
    const QStringList got = {
        paths::layout(in) == paths::Layout::Portable ? "portable" : "installed",
        abbreviate(paths::settingsFile(in)),
        abbreviate(paths::databaseFolder(in)),
        abbreviate(paths::engineFolder(in)),
        abbreviate(paths::templateFolders(in).join('|')),
        abbreviate(paths::helpFolder(in)),
        abbreviate(paths::splashPicture(in)),
        abbreviate(paths::languageIncludeFile(in)),
        abbreviate(paths::serverBackupFolder(in)),
    };
    QFile::setPermissions(p + "/bin", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(got, expected);
    QCOMPARE(paths::labelsFile(in), tmp.path() + "/home/stitky.csv");
    // The settings file's database counts unless the command line names another.
    if (databaseArg.isEmpty()) {
        QSettings(paths::settingsFile(in), QSettings::IniFormat).setValue("DEFAULT/Database", "/srv/other");
        QCOMPARE(paths::databaseFolder(in), QString("/srv/other"));
        QVERIFY(paths::databaseChosen(in));
    }
}

// The running program's answers read XDG_CONFIG_HOME and XDG_DATA_HOME, or their defaults
// below the home folder when unset.
void InstallTest::xdgFoldersFollowTheEnvironment()
{
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME"), oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_CONFIG_HOME", "/x/config");
    qputenv("XDG_DATA_HOME", "/x/data");
    paths::Inputs set = paths::current();
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    paths::Inputs unset = paths::current();
    if (!oldConfig.isNull()) qputenv("XDG_CONFIG_HOME", oldConfig);
    if (!oldData.isNull()) qputenv("XDG_DATA_HOME", oldData);
    QCOMPARE(set.configHome, QString("/x/config"));
    QCOMPARE(set.dataHome, QString("/x/data"));
    QCOMPARE(unset.configHome, QDir::homePath() + "/.config");
    QCOMPARE(unset.dataHome, QDir::homePath() + "/.local/share");
}

void InstallTest::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("textHas");
    using A = CommandLine::Action;
    QTest::newRow("nothing") << QStringList{"tamarel"} << int(A::Run) << "" << "";
    QTest::newRow("folder") << QStringList{"tamarel", "/srv/hotel"} << int(A::Run) << "/srv/hotel" << "";
    QTest::newRow("uri") << QStringList{"tamarel", "postgresql://desk@h/hotel"} << int(A::Run) << "postgresql://desk@h/hotel" << "";
    QTest::newRow("--help") << QStringList{"./build/bin/tamarel", "--help"} << int(A::Help) << "" << "Usage: tamarel [options] [FOLDER|URI]";
    QTest::newRow("-h") << QStringList{"tamarel", "-h"} << int(A::Help) << "" << "--version";
    QTest::newRow("--version") << QStringList{"tamarel", "--version"} << int(A::Version) << "" << "tamarel 1.2.3";
    QTest::newRow("-v") << QStringList{"tamarel", "-v"} << int(A::Version) << "" << "tamarel 1.2.3";
    QTest::newRow("unknown option") << QStringList{"tamarel", "--frobnicate"} << int(A::Refuse) << "" << "Unknown option 'frobnicate'";
    QTest::newRow("two databases") << QStringList{"tamarel", "/a", "/b"} << int(A::Refuse) << "" << "Only one database";
    QTest::newRow("Qt's own options pass") << QStringList{"tamarel", "-platform", "offscreen", "-reverse", "/srv/h"}
                                          << int(A::Run) << "/srv/h" << "";
}

void InstallTest::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, action);
    QFETCH(QString, database);
    QFETCH(QString, textHas);
    const CommandLine line = parseCommandLine(args, "tamarel", "1.2.3", "The front office.");
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.database, database);
    QVERIFY2(line.text.contains(textHas), qPrintable(line.text));
    if (line.action == CommandLine::Action::Refuse) QVERIFY(line.text.contains("Usage: tamarel"));
}

void InstallTest::firstRunChoices_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("argument");   // "{existing}" / "{server}" stand for a prepared one
    QTest::addColumn<bool>("kept");
    QTest::addColumn<int>("rooms");          // rows of POKOJE in the kept database
    using C = tamarel::FirstRunChoice;
    QTest::newRow("empty database") << int(C::Empty) << "" << true << 0;
    QTest::newRow("demo hotel") << int(C::Demo) << "" << true << 20;
    QTest::newRow("existing folder") << int(C::Existing) << "{existing}" << true << 20;
    QTest::newRow("folder without tables") << int(C::Existing) << "{nothing}" << false << 0;
    QTest::newRow("server") << int(C::Server) << "{server}" << true << 0;
    QTest::newRow("server that cannot be reached")
        << int(C::Server) << "postgresql:///nothere?host=/nonexistent-socket-dir&user=x" << false << 0;
    QTest::newRow("not a uri") << int(C::Server) << "hotel.example" << false << 0;
}

void InstallTest::firstRunChoices()
{
    QFETCH(int, choice);
    QFETCH(QString, argument);
    QFETCH(bool, kept);
    QFETCH(int, rooms);
    QTemporaryDir tmp;
    const QString settings = tmp.path() + "/config/tamarel/tamarel.ini";
    const QString defaultFolder = tmp.path() + "/data/tamarel/DB/";
    if (argument == "{existing}") {
        const QString folder = tmp.path() + "/existing";
        QVERIFY(tamarel::applyFirstRunChoice(tamarel::FirstRunChoice::Demo, {}, folder, tmp.path() + "/other.ini",
                                             QDateTime(QDate(2026, 12, 10), QTime(9, 0))).kept);
        argument = folder;
    } else if (argument == "{nothing}") {
        argument = tmp.path();
    } else if (argument == "{server}") {
        const enginetest::TestDb db = enginetest::emptyDb(enginetest::Storage::Server);
        engine::Database server(db.location);
        enginetest::createTables(server, db.prefix);
        argument = QString::fromStdString(db.location);
    }
    const tamarel::FirstRunResult r = tamarel::applyFirstRunChoice(
        tamarel::FirstRunChoice(choice), argument, defaultFolder, settings, QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    QCOMPARE(r.kept, kept);
    const QString written = QSettings(settings, QSettings::IniFormat).value("DEFAULT/Database").toString();
    if (!kept) {
        QVERIFY(!r.message.isEmpty());
        QVERIFY2(written.isEmpty(), qPrintable(written));
        return;
    }
    QCOMPARE(written, r.database);
    engine::Database db(r.database.startsWith("postgresql:") ? r.database.toStdString() : (r.database + "/").toStdString());
    const std::string table = r.database.startsWith("postgresql:") ? "\"POKOJE.DB\"" : "\"" + r.database.toStdString() + "/POKOJE.DB\"";
    auto q = db.open("SELECT COUNT(*) AS N FROM " + table);
    QVERIFY(q->next());
    QCOMPARE(int(q->integer(0)), rooms);
}

QTEST_MAIN(InstallTest)
#include "InstallTest.moc"
