// The program's windows as created at start-up, where things go wrong or a language is
// chosen: an error no window caught reaching the event loop; every command of the notes,
// reminder, rooms, prices, options, statistics, backup and restore windows while another
// program holds every table's lock; every window in Czech, looking for English texts; the
// include file generator's walk against the shipped table's order; the help page in Czech.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Application.h"
#include "app/Startup.h"
#include "backup/Backup.h"
#include "board/TfrmMain.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "lang/LanguageIncludeWriter.h"
#include "lang/LanguageTables.h"
#include "notes/RegisterNotes.h"
#include "notes/TfrmNotesRemDetail.h"
#include "notes/TfrmNotesReminder.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "rooms/RegisterSettings.h"
#include "rooms/TfrmEditPokojeCeny.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"
#include "widgets/DateEdit.h"

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// Another program holding every table file of a folder under an exclusive lock (no reads,
// no writes) until it is released. Forked before this process opens any table.
class TableLocker {
public:
    explicit TableLocker(const QString& folder)
    {
        int locked[2], release[2];
        if (pipe(locked) != 0 || pipe(release) != 0) qFatal("no pipe");
        m_child = fork();
        if (m_child == 0) {
            ::close(locked[0]);
            ::close(release[1]);
            std::vector<sqlite3*> held;
            for (const QString& file : QDir(folder).entryList({"*.DB"}, QDir::Files)) {
                sqlite3* db = nullptr;
                if (sqlite3_open_v2(QDir(folder).filePath(file).toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
                        != SQLITE_OK
                    || sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
                    _exit(2);
                held.push_back(db);
            }
            const char done = held.size() >= 10 ? 'L' : 'n';
            if (write(locked[1], &done, 1) != 1) _exit(3);
            char any;
            while (read(release[0], &any, 1) > 0) {
            }
            _exit(0);   // the locks go with the process
        }
        ::close(locked[1]);
        ::close(release[0]);
        m_release = release[1];
        char done = 0;
        m_locked = read(locked[0], &done, 1) == 1 && done == 'L';
        ::close(locked[0]);
    }
    ~TableLocker() { release(); }
    bool locked() const { return m_locked; }
    void release()
    {
        if (m_release < 0) return;
        ::close(m_release);
        m_release = -1;
        int status = 0;
        waitpid(m_child, &status, 0);
    }

private:
    pid_t m_child = -1;
    int m_release = -1;
    bool m_locked = false;
};

// An object whose event handler lets an engine error out, as a handler that forgot its
// try would.
class Thrower : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) throw engine::Error("Table UCTYPOL.DB is locked by another program");
        if (e->type() == QEvent::User + 1) throw std::runtime_error("out of paper");
        return QObject::event(e);
    }
};

}  // namespace

class WindowsAtFaultTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void anErrorNoWindowCaughtIsShownAndTheProgramGoesOn();
    void windowsSayWhatTheyCouldNotDoWhileAnotherProgramHoldsEveryTable();
    void everyWindowInCzechShowsNoEnglishText();
    void theIncludeFileListsTheWindowsInTheShippedTablesOrder();
    void helpOpensTheCzechPageInCzech();

private:
    // The folder with the ten empty tables and a reminder, made before anything is forked.
    void makeDatabase();
    void createWindows();
    void menu(const char* name) { m_windows.frmMain->menuItem(name)->trigger(); }
    QStringList said() { return std::exchange(m_messages, {}); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program, m_db;
    tamarel::TWindows m_windows;
    QStringList m_messages;
    QStringList m_opened;
    QHash<QString, std::function<void(QDialog&)>> m_drive;
};

void WindowsAtFaultTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_program = m_dir->path() + u("/Recepce%2 O'Hara");
    m_db = m_program + "/DB/";
    QVERIFY(QDir().mkpath(m_db));
    platform::setProgramPathForTests(m_program + "/tamarel");
    platform::seams() = platform::Seams{};
    platform::seams().now = [] { return QDateTime(QDate(2004, 3, 10), QTime(9, 5)); };
    platform::seams().isFixedDrive = [](const QString&) { return true; };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString&, platform::Icon,
                                          platform::Buttons buttons) {
        m_messages << text;
        return int(buttons == platform::Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    };
    platform::seams().runModal = [this](QDialog* d) {
        m_opened << d->objectName();
        d->setResult(QDialog::Rejected);
        d->show();
        QCoreApplication::processEvents();
        if (auto drive = m_drive.value(d->objectName())) drive(*d);
        QCoreApplication::processEvents();
        if (d->isVisible()) d->reject();
        return d->result();
    };
    options() = TOptions{};
}

void WindowsAtFaultTest::cleanup()
{
    if (m_windows.frmMain) tamarel::DestroyWindows(m_windows);
    platform::seams() = platform::Seams{};
    platform::setProgramPathForTests(QString());
    m_drive.clear();
    m_opened.clear();
    m_messages.clear();
    m_dir.reset();
}

void WindowsAtFaultTest::makeDatabase()
{
    TdmDataModule dm(m_db);
    data::createTables(dm.db(), dm.DbPrefix());
    const QString notes = shell::Table(dm.DbPrefix(), u"POZNAMKY.DB");
    QVERIFY(dm.ExecStatement(shell::Sql(u"INSERT INTO %1 (TXT,TYP,DAT,TIM,DATTIM) VALUES (\"Taxi\",\"R\",\"9.3.2004\",\"8:00:00\",38055.3)", notes)));
    // An archive to restore from.
    QVERIFY(BackupDatabase(nullptr, dm.db(), dm.DbPrefix()));
    // Without the program's windows the backup made a window of its own: not one of theirs.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (!w->parentWidget() && w->objectName() == "frmBackupFileAction") delete w;
    m_messages.clear();
    m_opened.clear();
}

void WindowsAtFaultTest::createWindows()
{
    m_windows = tamarel::CreateWindows();
    QVERIFY(dmDataModule());
    m_windows.frmMain->tmrTimer()->stop();   // no reload of the board between the commands
    m_windows.frmMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_windows.frmMain));
    m_messages.clear();
    m_opened.clear();
}

void WindowsAtFaultTest::anErrorNoWindowCaughtIsShownAndTheProgramGoesOn()
{
    Thrower thrower;
    bool laterEventRan = false;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
    QTimer::singleShot(0, &thrower, [&] { laterEventRan = true; });
    QTRY_VERIFY(laterEventRan);
    QCOMPARE(m_messages, (QStringList{"The command could not be completed:\r\nTable UCTYPOL.DB is locked by another program",
                                      "The command could not be completed:\r\nout of paper"}));
}

void WindowsAtFaultTest::windowsSayWhatTheyCouldNotDoWhileAnotherProgramHoldsEveryTable()
{
    makeDatabase();
    TableLocker locker(m_db);
    QVERIFY(locker.locked());
    createWindows();
    dmDataModule()->db().setLockTimeoutMs(150);

    QStringList detailAfterOk;
    bool deleting = true;
    m_drive["frmNotesReminder"] = [&](QDialog& d) {
        auto& list = static_cast<TfrmNotesReminder&>(d);
        QTest::mouseClick(list.btAddRecord, Qt::LeftButton);
        if (deleting) QTest::mouseClick(list.btDelete, Qt::LeftButton);
        QTest::mouseClick(list.btClose, Qt::LeftButton);
    };
    m_drive["frmNotesRemDetail"] = [&](QDialog& d) {
        auto& detail = static_cast<TfrmNotesRemDetail&>(d);
        detail.cmbType->setCurrentIndex(0);
        detail.memTxt->setPlainText(u("Order 20%2 more towels"));
        QTest::mouseClick(detail.btOk, Qt::LeftButton);
        detailAfterOk << (detail.isVisible() ? "open" : "closed");
    };
    m_drive["frmChooseBackup"] = [](QDialog& d) {
        if (auto* restore = d.findChild<QAbstractButton*>("btRestore")) QTest::mouseClick(restore, Qt::LeftButton);
    };
    m_drive["frmOptions"] = [](QDialog& d) {
        if (auto* ok = d.findChild<QAbstractButton*>("btOk")) QTest::mouseClick(ok, Qt::LeftButton);
    };

    struct Command {
        const char* what;
        std::function<void()> run;
        const char* says;   // a part of what the windows say
    };
    const Command commands[] = {
        {"notes list, add, delete", [&] { menu("mnReminderNotes"); }, "Can't load the data"},
        {"reminder pop-up",
         [&] {
             QVariantMap args{{"RMID", 1}};
             platform::openDialog(platform::dialogs::Reminder, args);
         },
         "Error reading item"},
        {"rooms", [&] { menu("mnRoomsDef"); }, "locked by another program"},
        {"room prices", [&] { platform::runModal(settingsWindows().frmEditPokojeCeny); }, "locked by another program"},
        {"options", [&] { menu("mnOptions"); }, ""},
        {"room usage statistics", [&] { menu("mnRoomsStat"); }, ""},
        // The backup fails in the minute of the archive to restore from, and leaves it whole.
        {"backup", [&] { menu("mnBackupDatabase"); }, ""},
        {"restore", [&] { menu("mnRestore"); }, "The table files could not be replaced"},
    };
    QStringList silent, wrong, net;
    for (const Command& c : commands) {
        c.run();
        QCoreApplication::processEvents();
        const QStringList shown = said();
        const QString all = shown.join(" / ");
        if (all.contains("The command could not be completed:")) net << QString(c.what) + ": " + all;
        if (QString(c.what) == "options") continue;   // reaches no table
        if (shown.isEmpty()) silent << c.what;
        else if (!all.contains(QString::fromUtf8(c.says))) wrong << QString(c.what) + ": " + all;
        qInfo("%s: %s", c.what, qPrintable(all));
    }
    QVERIFY2(net.isEmpty(), qPrintable(net.join("\n")));
    QVERIFY2(silent.isEmpty(), qPrintable("said nothing: " + silent.join(", ")));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
    QCOMPARE(detailAfterOk, QStringList{"open"});
    QVERIFY(m_opened.contains("frmNotesRemDetail"));

    // The other program is done: the same windows work again.
    locker.release();
    detailAfterOk.clear();
    deleting = false;
    menu("mnReminderNotes");
    QCOMPARE(detailAfterOk, QStringList{"closed"});
    TdmDataModule* dm = dmDataModule();
    auto q = dm->Open(shell::Sql(u"SELECT TXT FROM %1 WHERE TYP=\"N\"", shell::Table(dm->DbPrefix(), u"POZNAMKY.DB")));
    QVERIFY(q->next());
    QCOMPARE(QString::fromStdString(q->text(0)), u("Order 20%2 more towels"));
}

void WindowsAtFaultTest::everyWindowInCzechShowsNoEnglishText()
{
    makeDatabase();
    createWindows();
    TLanguage* language = currentLanguage();
    language->setLanguageIdent(2);
    language->TranslateAll();
    QCoreApplication::processEvents();   // the change of language reaches every widget
    // Grid titles are translated as each window opens (TranslateGridTitles), so they are not
    // looked at here; the windows' own tests open them.

    // What Czech may show: the Czech texts of both tables, and texts the tables keep the
    // same in both languages (a message row without a Czech text).
    const LanguageTables& tables = language->tables();
    QSet<QString> czech;
    auto plain = [](QString t) { return t.replace("&&", "\x01").remove('&').replace("\x01", "&").trimmed(); };
    for (const LanguageRow& row : tables.objects)
        for (const QString& line : row.text(2).split("\r\n")) czech << plain(line);
    for (const LanguageRow& row : tables.messages) czech << plain(row.text(2).isEmpty() ? row.key : row.text(2));
    // Names and codes that are the same in every language.
    // "Ok" is Czech too, "FX" marks a foreign-currency price, "like" is the search's operator.
    const QSet<QString> same{"Tamarel", "EUR", "CZK", "E-mail", "PDF", "OK", "Ok", "FX", "like", "%", "min", "Vs"};
    QStringList english;
    auto check = [&](const QString& where, const QString& text) {
        const QString t = plain(text);
        if (t.isEmpty() || !t.contains(QRegularExpression("[A-Za-z]{2}")) || czech.contains(t) || same.contains(t)) return;
        if (t.startsWith("Tamarel Vs ")) return;
        english << where + " \"" + t + "\"";
    };
    QList<QWidget*> windows{m_windows.frmMain};
    for (QObject* child : m_windows.frmMain->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && w->isWindow() && !qobject_cast<QMenu*>(w)) windows << w;
    for (QWidget* window : windows) {
        const QString name = window->objectName();
        check(name, window->windowTitle());
        for (QWidget* c : window->findChildren<QWidget*>()) {
            if (!c->isVisibleTo(window) && !qobject_cast<QMenu*>(c)) continue;
            const QString where = name + "." + c->objectName();
            if (auto* l = qobject_cast<QLabel*>(c); l && l->pixmap().isNull()) check(where, l->text());
            if (auto* b = qobject_cast<QAbstractButton*>(c)) check(where, b->text());
            if (auto* g = qobject_cast<QGroupBox*>(c)) check(where, g->title());
            if (auto* tabs = qobject_cast<QTabWidget*>(c))
                for (int i = 0; i < tabs->count(); ++i) check(where, tabs->tabText(i));
            if (auto* box = qobject_cast<QComboBox*>(c); box && !box->isEditable())
                for (int i = 0; i < box->count(); ++i) check(where, box->itemText(i));
            if (auto* menu = qobject_cast<QMenu*>(c)) {
                check(where, menu->title());
                for (QAction* a : menu->actions()) check(where + "." + a->objectName(), a->text());
            }
            if (auto* date = qobject_cast<widgets::TDateEdit*>(c))
                for (QAction* a : date->actions()) check(where + " (tooltip)", a->toolTip());
        }
    }
    language->setLanguageIdent(1);
    language->TranslateAll();
    for (const QString& text : english) qWarning("English in Czech: %s", qPrintable(text));
    QVERIFY2(english.isEmpty(), qPrintable(QString::number(english.size()) + " English texts"));
}

void WindowsAtFaultTest::theIncludeFileListsTheWindowsInTheShippedTablesOrder()
{
    makeDatabase();
    createWindows();
    const QList<LanguageIncludeWriter::ListedProperty> listed = LanguageIncludeWriter(*currentLanguage()).listProperties();
    QStringList walked;
    for (const auto& p : listed) walked << p.path;
    QStringList shipped;
    for (const LanguageRow& row : LanguageTables::compiled()->objects) shipped << row.key;
    // For whoever puts the shipped table in order: the walk, one path a line.
    if (const QString out = qEnvironmentVariable("TAMAREL_WALK_OUT"); !out.isEmpty()) {
        QFile file(out);
        if (file.open(QIODevice::WriteOnly)) file.write(walked.join('\n').toUtf8());
    }

    // Never a menu's own action, never the splash.
    const QStringList stray = walked.filter(QRegularExpression("^frmImage\\.|\\.mn\\w+Action\\.Caption$"));
    QVERIFY2(stray.isEmpty(), qPrintable(stray.join(", ")));
    // The rows both know stand in the same order.
    const QSet<QString> inWalk(walked.begin(), walked.end()), inTable(shipped.begin(), shipped.end());
    QStringList walkOrder, tableOrder;
    for (const QString& p : walked) if (inTable.contains(p)) walkOrder << p;
    for (const QString& p : shipped) if (inWalk.contains(p)) tableOrder << p;
    int first = 0;
    while (first < walkOrder.size() && walkOrder[first] == tableOrder[first]) ++first;
    QVERIFY2(first == walkOrder.size(),
             qPrintable(QString("first difference at %1: walk %2, table %3")
                            .arg(first)
                            .arg(walkOrder.value(first), tableOrder.value(first))));
    // Every row of the shipped table is found on the windows.
    QStringList unknown;
    for (const QString& p : shipped) if (!inWalk.contains(p)) unknown << p;
    QVERIFY2(unknown.isEmpty(), qPrintable("rows no window has: " + unknown.join(", ")));
}

void WindowsAtFaultTest::helpOpensTheCzechPageInCzech()
{
    makeDatabase();
    createWindows();
    QVERIFY(QDir().mkpath(m_program + "/Help/cs"));
    QVERIFY(QFile::copy(TAMAREL_SOURCE_DIR "/app/Help/HelpContent.html", m_program + "/Help/HelpContent.html"));
    QVERIFY(QFile::copy(TAMAREL_SOURCE_DIR "/app/Help/cs/HelpContent.html", m_program + "/Help/cs/HelpContent.html"));
    QStringList pages;
    platform::seams().shellOpen = [&](const QUrl& url) {
        QFile page(url.toLocalFile());
        page.open(QIODevice::ReadOnly);
        pages << QString::fromUtf8(page.readAll()).section("<html lang=\"", 1).left(2);
        return true;
    };
    for (int language : {1, 2, 1}) {
        currentLanguage()->setLanguageIdent(language);
        menu("mnHelpHelp");
    }
    QCOMPARE(pages, (QStringList{"en", "cs", "en"}));
}

int main(int argc, char** argv)
{
    tamarel::TApplication application(argc, argv);
    WindowsAtFaultTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowsAtFaultTest.moc"
