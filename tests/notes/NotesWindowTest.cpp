// The notes list, the note detail and the reminder pop-up driven through their controls,
// with the board's timer ticking on a fixed clock, on a database folder whose path holds an
// apostrophe: the pop-up of a due reminder, its postponement (across midnight too) and
// removal, the wait while another window is modal, the board coming forward only with a
// pop-up, the list's filters, the detail's checks, and the windows' looks in both languages.
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "board/TfrmMain.h"
#include "engine/Engine.h"
#include "widgets/QueryTableModel.h"
#include "data/TableFiles.h"
#include "lang/Language.h"
#include "notes/RegisterNotes.h"
#include "notes/TfrmNotesRemDetail.h"
#include "notes/TfrmNotesReminder.h"
#include "notes/TfrmReminder.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"
#include "widgets/DateEdit.h"

namespace {

struct Shown {
    QString text, caption;
    platform::Icon icon;
};

const QDate kDay(2004, 3, 10);
int dayNumber(const QDate& d) { return shell::NumberFromDate(d); }

}  // namespace

class NotesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dueReminderPopsUpAtTheNextTickAndIsPostponed_data();
    void dueReminderPopsUpAtTheNextTickAndIsPostponed();
    void removedReminderNeverComesBack();
    void refusedPostponeOrRemoveKeepsThePopUpAndItsText();
    void dueReminderAtStartComesAfterTheSplash();
    void reminderWaitsForAModalWindowAndNeverShowsTwice();
    void boardComesForwardOnlyWithAPopUpAndOncePerDueReminder();
    void listShowsAndFiltersNotesAndReminders();
    void detailChecksAndStoresWhatItShows_data();
    void detailChecksAndStoresWhatItShows();
    void detailEditsARowAndTheTextComesBack();
    void timeBoxShowsTheNormalisedTimeWhereverTheFocusGoes_data();
    void timeBoxShowsTheNormalisedTimeWhereverTheFocusGoes();
    void translationRowsReachTheControls();
    void windowsLookRightInBothLanguages();

private:
    // Runs dialogs through the seam: the driver named after the dialog's form works on it
    // while it is "modal"; a dialog without a driver is left at once.
    using Driver = std::function<void(QDialog*)>;
    void drive(const QString& form, Driver driver) { m_drivers[form] = std::move(driver); }
    void exec(QString sql);
    QString value(QString sql);
    int rows(const QString& where = QString());
    int addReminder(const QString& text, const QDateTime& due);
    int addNote(const QString& text);
    void setNow(const QDateTime& now) { m_now = now; }
    void tick() { m_main->tmrTimerTimer(); }
    static void typeInto(QWidget* edit, const QString& text);
    int count(const QString& text) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TfrmMain> m_main;
    QString m_db;
    QDateTime m_now;
    QHash<QString, Driver> m_drivers;
    QStringList m_opened;   // form names in the order they were shown
    QVector<Shown> m_messages;
    QList<int> m_answers;
};

void NotesWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    platform::setProgramPathForTests(m_dir->path() + "/O'Hara Inn/tamarel");
    m_db = m_dir->path() + "/O'Hara Inn/DB/";
    QVERIFY(QDir().mkpath(m_db));
    m_dm = std::make_unique<TdmDataModule>(m_db);
    data::createTables(m_dm->db(), m_db);
    setDataModule(m_dm.get());
    options() = TOptions{};
    m_now = QDateTime(kDay, QTime(9, 5, 0));
    m_messages.clear();
    m_answers.clear();
    m_opened.clear();
    m_drivers.clear();
    platform::seams() = platform::Seams{};
    platform::seams().now = [this] { return m_now; };
    platform::seams().isFixedDrive = [](const QString&) { return true; };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon icon,
                                          platform::Buttons buttons) {
        m_messages.append({text, caption, icon});
        if (!m_answers.isEmpty()) return m_answers.takeFirst();
        return int(buttons == platform::Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    };
    platform::seams().runModal = [this](QDialog* d) {
        m_opened << d->objectName();
        d->setResult(QDialog::Rejected);
        d->show();
        d->activateWindow();
        if (!QTest::qWaitForWindowActive(d)) qWarning("the dialog did not become active");
        if (const Driver driver = m_drivers.value(d->objectName())) driver(d);
        else d->done(QDialog::Rejected);
        QCoreApplication::processEvents();
        const int result = d->result();
        d->hide();
        return result;
    };
    m_main = std::make_unique<TfrmMain>();
    m_main->tmrTimer()->stop();
    registerNotesDialogs(m_main.get());
    currentLanguage()->setLanguageIdent(1);
    currentLanguage()->TranslateAll();
}

void NotesWindowTest::cleanup()
{
    notes::unregisterNotesDialogs();
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
    platform::setProgramPathForTests(QString());
}

void NotesWindowTest::exec(QString sql)
{
    sql.replace("{db}", m_db);
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

QString NotesWindowTest::value(QString sql)
{
    sql.replace("{db}", m_db);
    auto q = m_dm->Open(sql);
    return q->next() ? QString::fromStdString(q->text(0)) : QStringLiteral("<none>");
}

int NotesWindowTest::rows(const QString& where)
{
    m_dm->OpenAndCount("SELECT * FROM \"" + m_db + "POZNAMKY.DB\"" + (where.isEmpty() ? "" : " WHERE " + where));
    return m_dm->lastCount();
}

int NotesWindowTest::addReminder(const QString& text, const QDateTime& due)
{
    exec(shell::Sql(u"INSERT INTO \"{db}POZNAMKY.DB\" (TXT,TYP,DAT,TIM,DATTIM,USR) VALUES (%1,\"R\",\"%2\",\"%3\",%4,\"\")",
                    shell::QuoteText(text), due.date().toString("d.M.yyyy"), due.time().toString("H:mm:ss"),
                    QString::number(dayNumber(due.date()) + due.time().msecsSinceStartOfDay() / 86400000.0, 'f', 10)));
    return value("SELECT max(RMID) AS M FROM \"{db}POZNAMKY.DB\"").toInt();
}

int NotesWindowTest::addNote(const QString& text)
{
    exec(QStringLiteral("INSERT INTO \"{db}POZNAMKY.DB\" (TXT,TYP,USR) VALUES (%1,\"N\",\"Eva\")").arg(shell::QuoteText(text)));
    return value("SELECT max(RMID) AS M FROM \"{db}POZNAMKY.DB\"").toInt();
}

void NotesWindowTest::typeInto(QWidget* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

int NotesWindowTest::count(const QString& text) const
{
    return int(std::count_if(m_messages.begin(), m_messages.end(), [&](const Shown& m) { return m.text == text; }));
}

// ---- the pop-up on the board's timer ---------------------------------------------------

void NotesWindowTest::dueReminderPopsUpAtTheNextTickAndIsPostponed_data()
{
    QTest::addColumn<QTime>("due");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("dat");
    QTest::addColumn<QString>("tim");
    QTest::addColumn<bool>("againAtNextTick");
    QTest::newRow("five minutes") << QTime(9, 5) << "5" << "10.3.2004" << "9:10:00" << false;
    QTest::newRow("a day") << QTime(9, 5) << "1440" << "11.3.2004" << "9:05:00" << false;
    QTest::newRow("across midnight") << QTime(23, 45) << "30" << "11.3.2004" << "0:15:00" << false;
    QTest::newRow("typed number") << QTime(9, 5) << "45 min" << "10.3.2004" << "9:50:00" << false;
    QTest::newRow("no digits") << QTime(9, 5) << "later" << "10.3.2004" << "9:05:00" << true;
}

void NotesWindowTest::dueReminderPopsUpAtTheNextTickAndIsPostponed()
{
    QFETCH(QTime, due);
    QFETCH(QString, minutes);
    QFETCH(QString, dat);
    QFETCH(QString, tim);
    QFETCH(bool, againAtNextTick);

    const int rmid = addReminder("Call O'Brien" + QString(QChar(0xFF)) + "taxi", QDateTime(kDay, due));
    addReminder("Later", QDateTime(kDay.addDays(5), QTime(8, 0)));
    setNow(QDateTime(kDay, due.addSecs(-1)));
    tick();
    QCOMPARE(m_opened, QStringList());   // not due yet

    setNow(QDateTime(kDay, due));
    QString memo, shownDate, shownTime;
    bool focused = false;
    drive("frmReminder", [&](QDialog* d) {
        auto* r = static_cast<TfrmReminder*>(d);
        memo = r->memTxt->toPlainText();
        shownDate = r->edDate->text();
        shownTime = r->edTime->text();
        focused = r->cmbPostponeBy->hasFocus();
        r->memTxt->setPlainText("Call O'Brien's taxi\nat the door");
        r->cmbPostponeBy->setCurrentText(minutes);
        QTest::mouseClick(r->btPostpone, Qt::LeftButton);
    });
    tick();
    QCOMPARE(m_opened, QStringList{"frmReminder"});
    QCOMPARE(memo, QString("Call O'Brien\ntaxi"));
    QCOMPARE(shownDate, QLocale::c().toString(kDay, "dd.MM.yyyy"));
    QCOMPARE(shownTime, due.toString("HH:mm:ss"));
    QVERIFY(focused);

    // Saved with the postponement, in the folder with an apostrophe; audit fields untouched.
    QCOMPARE(value(QString("SELECT DAT FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(rmid)), dat);
    QCOMPARE(value(QString("SELECT TIM FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(rmid)), tim);
    QCOMPARE(value(QString("SELECT TXT FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(rmid)),
             "Call O'Brien's taxi" + QString(QChar(0xFF)) + "at the door");
    QCOMPARE(value(QString("SELECT UPMJ FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(rmid)), QString());
    const QDateTime until = QDateTime(QDate::fromString(dat, "d.M.yyyy"), QTime::fromString(tim, "H:mm:ss"));
    const double moment = dayNumber(until.date()) + until.time().msecsSinceStartOfDay() / 86400000.0;
    QVERIFY(qAbs(value(QString("SELECT DATTIM FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(rmid)).toDouble() - moment) < 1e-6);

    m_opened.clear();
    drive("frmReminder", [](QDialog* d) { QTest::mouseClick(static_cast<TfrmReminder*>(d)->btRemove, Qt::LeftButton); });
    tick();
    QCOMPARE(m_opened.size(), againAtNextTick ? 1 : 0);
}

void NotesWindowTest::removedReminderNeverComesBack()
{
    const int first = addReminder("First", QDateTime(kDay, QTime(8, 0)));
    const int second = addReminder("Second", QDateTime(kDay, QTime(9, 0)));
    addNote("A note is never due");
    QStringList shown;
    drive("frmReminder", [&](QDialog* d) {
        auto* r = static_cast<TfrmReminder*>(d);
        shown << r->memTxt->toPlainText();
        // Esc leaves it open; only Postpone and Remove close it.
        QTest::keyClick(r->cmbPostponeBy, Qt::Key_Escape);
        if (!r->isVisible()) shown << "closed by Esc";
        QTest::mouseClick(r->btRemove, Qt::LeftButton);
    });
    for (int i = 0; i < 4; ++i) tick();
    // Two overdue reminders come up one after another, each once.
    QCOMPARE(shown, (QStringList{"First", "Second"}));
    QCOMPARE(rows(QString("RMID=%1 OR RMID=%2").arg(first).arg(second)), 0);
    QCOMPARE(rows(), 1);
    QCOMPARE(m_main->nextReminderId(), 0);
}

// Another program holds the notes table while the receptionist postpones or removes: the
// pop-up says so and stays, with the text typed into it, and the next try goes through.
void NotesWindowTest::refusedPostponeOrRemoveKeepsThePopUpAndItsText()
{
    const int rmid = addReminder("Deposit 50%1st night", QDateTime(kDay, QTime(9, 0)));
    m_dm->db().setLockTimeoutMs(100);
    engine::Database other(m_db.toStdString());
    auto holding = other.beginChange({m_db.toStdString() + "POZNAMKY.DB"});
    QStringList seen;
    drive("frmReminder", [&](QDialog* d) {
        auto* r = static_cast<TfrmReminder*>(d);
        r->memTxt->setPlainText("Deposit 50%1st night, 20%2 more");
        r->cmbPostponeBy->setCurrentText("30");
        QTest::mouseClick(r->btPostpone, Qt::LeftButton);
        seen << QString("postpone: open %1, %2, time %3").arg(r->isVisible()).arg(r->memTxt->toPlainText(), r->edTime->text());
        QTest::mouseClick(r->btRemove, Qt::LeftButton);
        seen << QString("remove: open %1").arg(r->isVisible());
        holding.reset();   // the other program is done
        QTest::mouseClick(r->btPostpone, Qt::LeftButton);
        seen << QString("again: open %1").arg(r->isVisible());
    });
    tick();
    QCOMPARE(seen, (QStringList{"postpone: open 1, Deposit 50%1st night, 20%2 more, time 09:00:00", "remove: open 1",
                                "again: open 0"}));
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages[0].text, QString("Error inserting/updating the record"));
    QCOMPARE(m_messages[0].caption, QString("Reminder"));
    QVERIFY2(m_messages[1].text.startsWith("The reminder could not be removed:\r\n")
                 && m_messages[1].text.contains("locked by another program"),
             qPrintable(m_messages[1].text));
    const QString where = QString(" FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(rmid);
    QCOMPARE(value("SELECT TXT" + where), QString("Deposit 50%1st night, 20%2 more"));
    QCOMPARE(value("SELECT TIM" + where), QString("9:35:00"));
}

void NotesWindowTest::dueReminderAtStartComesAfterTheSplash()
{
    addReminder("Overdue since yesterday", QDateTime(kDay.addDays(-1), QTime(18, 0)));
    QWidget splash(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash.setObjectName("frmImage");
    splash.show();
    bool splashUp = true;
    drive("frmReminder", [&](QDialog* d) {
        splashUp = splash.isVisible();
        QTest::mouseClick(static_cast<TfrmReminder*>(d)->btRemove, Qt::LeftButton);
    });
    tick();   // the first tick, before the splash's own second is over
    QCOMPARE(m_opened, QStringList{"frmReminder"});
    QVERIFY(!splashUp);
}

void NotesWindowTest::reminderWaitsForAModalWindowAndNeverShowsTwice()
{
    addReminder("Breakfast for room 12", QDateTime(kDay, QTime(7, 0)));
    int popUps = 0;
    bool secondWhileShown = false;
    drive("frmReminder", [&](QDialog* d) {
        // The timer goes on ticking while the pop-up is open, long enough to read the
        // reminder, still due, again.
        if (++popUps == 1)
            for (int i = 0; i < 7; ++i) tick();
        secondWhileShown = popUps > 1;
        QTest::mouseClick(static_cast<TfrmReminder*>(d)->btRemove, Qt::LeftButton);
    });

    // Another window is modal for three ticks: nothing pops up.
    QDialog other(m_main.get());
    int ticksWhileOpen = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, &other, [&] {
        if (QApplication::activeModalWidget() != &other) return;
        tick();
        if (++ticksWhileOpen == 3) other.reject();
    });
    ticker.start(10);
    other.exec();
    ticker.stop();
    QCOMPARE(ticksWhileOpen, 3);
    QCOMPARE(popUps, 0);

    // The first tick after it closed brings it up, once.
    tick();
    QCOMPARE(popUps, 1);
    QVERIFY(!secondWhileShown);
    QCOMPARE(rows(), 0);
}

void NotesWindowTest::boardComesForwardOnlyWithAPopUpAndOncePerDueReminder()
{
    const int gone = addReminder("Invoice", QDateTime(kDay, QTime(9, 0)));
    setNow(QDateTime(kDay, QTime(8, 0)));
    m_main->show();
    QWidget elsewhere;   // another program's window, which has the keyboard
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    tick();   // read, not due yet

    // The reminder is deleted before it falls due: no pop-up, and the board stays behind.
    exec(QString("DELETE FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(gone));
    setNow(QDateTime(kDay, QTime(9, 5)));
    tick();
    QTest::qWait(50);
    QCOMPARE(m_opened, QStringList());
    QCOMPARE(QApplication::activeWindow(), &elsewhere);

    // No window to show reminders at all: the board stays behind, tick after tick.
    const int rmid = addReminder("Invoice", QDateTime(kDay, QTime(9, 0)));
    m_main->FindNextReminder();
    notes::unregisterNotesDialogs();
    for (int i = 0; i < 3; ++i) tick();
    QTest::qWait(50);
    QCOMPARE(QApplication::activeWindow(), &elsewhere);

    // A pop-up that leaves the reminder as it was (a postponement that could not be
    // written): it comes up at every tick, but brings the board forward only the first time.
    QList<bool> forward;
    platform::registerDialog(platform::dialogs::Reminder, [&](QVariantMap& args) {
        forward << args.value("bringForward").toBool();
        args.insert("shown", true);
        return platform::kAccepted;
    });
    for (int i = 0; i < 3; ++i) tick();
    // Postponed by other means and due again: a new due reminder.
    exec(QString("UPDATE \"{db}POZNAMKY.DB\" SET DATTIM=DATTIM+0.001 WHERE RMID=%1").arg(rmid));
    m_main->FindNextReminder();
    for (int i = 0; i < 2; ++i) tick();
    QCOMPARE(forward, (QList<bool>{true, false, false, true, false}));
    platform::unregisterDialog(platform::dialogs::Reminder);
}

// ---- the list ----------------------------------------------------------------------------

void NotesWindowTest::listShowsAndFiltersNotesAndReminders()
{
    addReminder("Second reminder", QDateTime(kDay.addDays(1), QTime(8, 0)));
    const int early = addReminder("First reminder", QDateTime(kDay, QTime(10, 30)));
    addNote("Plumber's number" + QString(QChar(0xFF)) + "777 123");
    QStringList texts, captions, shownWhen;
    auto shownTexts = [](TfrmNotesReminder* l) {
        QStringList t;
        for (int r = 0; r < l->list()->rowCount(); ++r) t << l->list()->fieldText(r, "TXT");
        return t.join(" | ");
    };
    drive("frmNotesReminder", [&](QDialog* d) {
        auto* l = static_cast<TfrmNotesReminder*>(d);
        for (int filter : {2, 0, 1}) {
            l->cmbDisplayType->setCurrentIndex(filter);
            texts << shownTexts(l);
            captions << l->windowTitle();
        }
        // A reminder's and a note's date and time as the grid shows them.
        for (int filter : {0, 1}) {   // ending on the reminders, as the loop above did
            l->cmbDisplayType->setCurrentIndex(filter);
            const QAbstractItemModel* grid = l->dbgPoznamky->model();
            const int r = filter == 1 ? l->list()->findRow({{"TXT", "Second reminder"}}) : 0;
            shownWhen << grid->index(r, 1).data().toString() + " " + grid->index(r, 2).data().toString();
        }
        QTest::mouseClick(l->btClose, Qt::LeftButton);
    });
    m_main->menuItem("mnReminderNotes")->trigger();
    QCOMPARE(texts, (QStringList{"Plumber's number" + QString(QChar(0xFF)) + "777 123 | First reminder | Second reminder",
                                 "Plumber's number" + QString(QChar(0xFF)) + "777 123",
                                 "First reminder | Second reminder"}));
    QCOMPARE(captions, (QStringList{"Notes / Reminder", "Notes", "Reminder"}));
    // Dates and times as stored, with leading zeros, not in the engine's short form.
    QCOMPARE(shownWhen, (QStringList{" ", "11.03.2004 08:00:00"}));
    // The menu command reads the earliest reminder again afterwards.
    QCOMPARE(m_main->nextReminderId(), early);

    // The filter stays as it was left, across openings and a switch of language.
    currentLanguage()->setLanguageIdent(2);
    currentLanguage()->TranslateAll();
    QString filterText, czechCaption;
    int deleted = 0;
    drive("frmNotesReminder", [&](QDialog* d) {
        auto* l = static_cast<TfrmNotesReminder*>(d);
        texts = {shownTexts(l)};
        filterText = l->cmbDisplayType->currentText();
        l->cmbDisplayType->setCurrentIndex(2);
        czechCaption = l->windowTitle();
        currentLanguage()->setLanguageIdent(1);
        currentLanguage()->TranslateAll();
        // Delete: No keeps the row, Yes deletes it.
        l->setCurrentRow(1);
        m_answers = {QMessageBox::No};
        QTest::mouseClick(l->btDelete, Qt::LeftButton);
        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(l->btDelete, Qt::LeftButton);
        deleted = 3 - l->list()->rowCount();
        l->cmbDisplayType->setCurrentIndex(0);
        l->setCurrentRow(0);
        QTest::mouseClick(l->btDelete, Qt::LeftButton);
        // An empty list: nothing to delete.
        QTest::mouseClick(l->btDelete, Qt::LeftButton);
        QTest::keyClick(l, Qt::Key_Escape);
    });
    m_main->menuItem("mnReminderNotes")->trigger();
    QCOMPARE(texts, QStringList{"First reminder | Second reminder"});
    QCOMPARE(filterText, QString::fromUtf8("Připomínky"));
    QCOMPARE(czechCaption, QString::fromUtf8("Poznámky / připomínky"));
    QCOMPARE(deleted, 1);
    QCOMPARE(rows(), 1);
    QCOMPARE(value("SELECT TXT FROM \"{db}POZNAMKY.DB\""), QString("Second reminder"));
    QCOMPARE(count("Are you sure to delete the selected Note / Reminder?"), 3);
    QCOMPARE(count("No record selected"), 1);
    QCOMPARE(m_messages.last().caption, QString("Notes / Reminders"));
    QCOMPARE(m_messages.last().icon, platform::Icon::Warning);

    // A list that cannot be read says so.
    QTemporaryDir empty;
    TdmDataModule noTables(empty.path());
    setDataModule(&noTables);
    drive("frmNotesReminder", [&](QDialog* d) { d->reject(); });
    m_messages.clear();
    m_main->menuItem("mnReminderNotes")->trigger();
    setDataModule(m_dm.get());
    QCOMPARE(count("Can't load the data"), 1);
    QCOMPARE(m_messages[0].caption, QString("Tamarel"));
}

// ---- the detail --------------------------------------------------------------------------

void NotesWindowTest::detailChecksAndStoresWhatItShows_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("message");   // empty: saved
    QTest::addColumn<QString>("stored");    // TYP DAT TIM
    QTest::newRow("no type") << -1 << "x" << "" << "" << "Type of item not specified" << "";
    QTest::newRow("empty text") << 1 << "" << "10.03.2004" << "9" << "Text is empty" << "";
    QTest::newRow("hours above 23") << 1 << "x" << "10.03.2004" << "25:00" << "Time invalid (format is HH:MM:SS)" << "";
    QTest::newRow("three digits") << 1 << "x" << "10.03.2004" << "123" << "Time invalid (format is HH:MM:SS)" << "";
    QTest::newRow("four parts") << 1 << "x" << "10.03.2004" << "1:2:3:4" << "Time invalid (format is HH:MM:SS)" << "";
    QTest::newRow("no date") << 1 << "x" << "" << "9" << "Date or time invalid" << "";
    QTest::newRow("comma time typed and saved") << 1 << "O'Brien's taxi" << "10.03.2004" << "7,5" << "" << "R 10.3.2004 7:05:00";
    QTest::newRow("empty time is midnight") << 1 << "x" << "11.03.2004" << "" << "" << "R 11.3.2004 0:00:00";
    QTest::newRow("note") << 0 << "x" << "" << "" << "" << "N  ";
}

void NotesWindowTest::detailChecksAndStoresWhatItShows()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, message);
    QFETCH(QString, stored);

    QString caption, shownTime;
    int stillOpen = -1;
    bool timeEnabled = false;
    drive("frmNotesRemDetail", [&](QDialog* d) {
        auto* e = static_cast<TfrmNotesRemDetail*>(d);
        e->cmbType->setCurrentIndex(type);
        caption = e->windowTitle();
        timeEnabled = e->edTime->isEnabled() && e->edDate->isEnabled();
        e->memTxt->setPlainText(text);
        if (type == 1) {
            e->edDate->setText(date);
            typeInto(e->edTime, time);
        }
        // Enter in the time field (or the type list) saves through the default button, without
        // leaving the field first.
        QTest::keyClick(type == 1 ? static_cast<QWidget*>(e->edTime) : e->cmbType, Qt::Key_Return);
        stillOpen = e->isVisible();
        shownTime = e->edTime->text();
        if (stillOpen) QTest::keyClick(e, Qt::Key_Escape);   // Esc leaves without saving
    });
    auto* detail = notes::notesRemDetailDialog();
    QCOMPARE(detail->Execute(0), message.isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(bool(stillOpen), !message.isEmpty());
    QCOMPARE(timeEnabled, type == 1);
    if (message.isEmpty()) {
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(rows(), 1);
        QCOMPARE(value("SELECT TYP FROM \"{db}POZNAMKY.DB\"") + " " + value("SELECT DAT FROM \"{db}POZNAMKY.DB\"") + " "
                     + value("SELECT TIM FROM \"{db}POZNAMKY.DB\""),
                 stored);
        QCOMPARE(value("SELECT TXT FROM \"{db}POZNAMKY.DB\""), text);
        QCOMPARE(value("SELECT UPMJ FROM \"{db}POZNAMKY.DB\""), QString("10.3.2004"));
        QCOMPARE(value("SELECT UPMT FROM \"{db}POZNAMKY.DB\""), QString("9:05:00"));
        if (type == 1) QCOMPARE(shownTime, stored.section(' ', 2).rightJustified(8, '0'));
        QCOMPARE(caption, type == 1 ? QString("Reminder Detail") : QString("Note Detail"));
    } else {
        QCOMPARE(rows(), 0);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, message);
        QCOMPARE(m_messages[0].icon, platform::Icon::Warning);
        QCOMPARE(m_messages[0].caption, message.startsWith("Time") ? QString("Time") : caption);
    }
}

void NotesWindowTest::detailEditsARowAndTheTextComesBack()
{
    const int note = addNote("Towels" + QString(QChar(0xFF)) + "for \"room\" 4");
    const int reminder = addReminder("Taxi", QDateTime(kDay, QTime(7, 5)));
    QString memo, time, caption;
    bool dateEnabled = true, reselected = false;
    // In Czech: the note becomes a reminder with the type chosen by its position.
    currentLanguage()->setLanguageIdent(2);
    currentLanguage()->TranslateAll();
    drive("frmNotesReminder", [&](QDialog* d) {
        auto* l = static_cast<TfrmNotesReminder*>(d);
        l->setCurrentRow(l->list()->findRow({{"RMID", QString::number(note)}}));
        QTest::keyClick(l->dbgPoznamky, Qt::Key_Return);   // Enter: "&Display"
        reselected = l->currentRMID() == note;
        const QRect cell = l->dbgPoznamky->visualRect(
            l->dbgPoznamky->model()->index(l->list()->findRow({{"RMID", QString::number(reminder)}}), 0));
        QTest::mouseClick(l->dbgPoznamky->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(l->dbgPoznamky->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseClick(l->btClose, Qt::LeftButton);
    });
    int opened = 0;
    drive("frmNotesRemDetail", [&](QDialog* d) {
        auto* e = static_cast<TfrmNotesRemDetail*>(d);
        if (++opened == 1) {
            memo = e->memTxt->toPlainText();
            dateEnabled = e->edDate->isEnabled();
            e->cmbType->setCurrentIndex(1);
            caption = e->windowTitle();
            e->edDate->setText("12.03.2004");
            typeInto(e->edTime, "18");
            QTest::mouseClick(e->btOk, Qt::LeftButton);
        } else {
            time = e->edTime->text();
            QTest::mouseClick(e->btCancel, Qt::LeftButton);
        }
    });
    m_main->menuItem("mnReminderNotes")->trigger();
    currentLanguage()->setLanguageIdent(1);
    currentLanguage()->TranslateAll();
    QCOMPARE(memo, QString("Towels\nfor \"room\" 4"));
    QVERIFY(!dateEnabled);
    QCOMPARE(caption, QString::fromUtf8("Detail připomínky"));
    QCOMPARE(opened, 2);
    QVERIFY(reselected);
    QCOMPARE(time, QString("07:05:00"));   // normalised when shown
    const QString where = QString(" FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(note);
    QCOMPARE(value("SELECT TYP" + where) + " " + value("SELECT DAT" + where) + " " + value("SELECT TIM" + where),
             QString("R 12.3.2004 18:00:00"));
    QCOMPARE(value(QString("SELECT TXT FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(note)),
             "Towels" + QString(QChar(0xFF)) + "for `room` 4");
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(rows(), 2);

    // A row deleted meanwhile closes the detail without a word.
    exec(QString("DELETE FROM \"{db}POZNAMKY.DB\" WHERE RMID=%1").arg(note));
    QCOMPARE(notes::notesRemDetailDialog()->Execute(note), int(QDialog::Rejected));
    QCOMPARE(opened, 2);
    QVERIFY(m_messages.isEmpty());
}

void NotesWindowTest::timeBoxShowsTheNormalisedTimeWhereverTheFocusGoes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("toOk");       // Tab to Ok, else Shift+Tab back to the date box
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("messages");
    QTest::newRow("comma, to Ok") << "7,5" << true << "07:05:00" << 0;
    QTest::newRow("point, to Ok") << "8.30" << true << "08:30:00" << 0;
    QTest::newRow("comma, to the date") << "7,5" << false << "07:05:00" << 0;
    QTest::newRow("invalid, to Ok: Ok will say it") << "123" << true << "123" << 0;
    QTest::newRow("invalid, to the date") << "123" << false << "123" << 1;
}

void NotesWindowTest::timeBoxShowsTheNormalisedTimeWhereverTheFocusGoes()
{
    QFETCH(QString, typed);
    QFETCH(bool, toOk);
    QFETCH(QString, shown);
    QFETCH(int, messages);
    QString after;
    drive("frmNotesRemDetail", [&](QDialog* d) {
        auto* e = static_cast<TfrmNotesRemDetail*>(d);
        e->cmbType->setCurrentIndex(1);
        typeInto(e->edTime, typed);
        QTest::keyClick(e->edTime, Qt::Key_Tab, toOk ? Qt::NoModifier : Qt::ShiftModifier);
        QCoreApplication::processEvents();
        after = e->edTime->text();
        QTest::mouseClick(e->btCancel, Qt::LeftButton);
    });
    notes::notesRemDetailDialog()->Execute(0);
    QCOMPARE(after, shown);
    QCOMPARE(m_messages.size(), messages);
}

// ---- translation and looks ---------------------------------------------------------------

void NotesWindowTest::translationRowsReachTheControls()
{
    TLanguage* language = currentLanguage();
    QStringList missing, untranslated;
    int checked = 0;
    language->setLanguageIdent(2);
    language->TranslateAll();
    for (const LanguageRow& row : language->tables().objects) {
        if (!row.key.startsWith("frmNotesReminder.") && !row.key.startsWith("frmNotesRemDetail.")
            && !row.key.startsWith("frmReminder."))
            continue;
        ++checked;
        QString shown = language->ReadObjectValue(row.key);
        if (shown.isEmpty()) missing << row.key;
        else if (!row.text(2).isEmpty() && shown != row.text(2) && shown != row.text(2) + "\r\n")
            untranslated << row.key + " = " + shown;
    }
    language->setLanguageIdent(1);
    language->TranslateAll();
    QCOMPARE(checked, 22);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(", ")));
    QCOMPARE(notes::notesReminderDialog()->cmbDisplayType->currentText(), QString("All"));
}

void NotesWindowTest::windowsLookRightInBothLanguages()
{
    const QString folder = qEnvironmentVariable("NOTES_SCREENSHOTS");
    QStringList clipped;
    auto check = [&](QWidget* w, const QString& name) {
        w->adjustSize();
        QCoreApplication::processEvents();
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (!c->isVisibleTo(w) || c->objectName().isEmpty()) continue;
            if ((qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c)) && c->width() < c->sizeHint().width())
                clipped << QString("%1 %2 (%3 < %4)").arg(name, c->objectName()).arg(c->width()).arg(c->sizeHint().width());
            if (auto* combo = qobject_cast<QComboBox*>(c); combo && combo->width() < combo->minimumSizeHint().width())
                clipped << QString("%1 %2").arg(name, c->objectName());
        }
        if (!folder.isEmpty()) w->grab().save(folder + "/" + name + ".png");
    };
    addNote("Plumber: 777 123 456");
    addReminder("Call the laundry about the curtains of rooms 3 and 4", QDateTime(kDay, QTime(9, 0)));
    for (int language : {1, 2}) {
        const QString suffix = language == 1 ? "-en" : "-cs";
        currentLanguage()->setLanguageIdent(language);
        currentLanguage()->TranslateAll();
        drive("frmNotesRemDetail", [&](QDialog* d) {
            auto* e = static_cast<TfrmNotesRemDetail*>(d);
            check(d, "notes-detail" + suffix);
            QTest::keyClick(e->memTxt, Qt::Key_Escape);
        });
        drive("frmNotesReminder", [&](QDialog* d) {
            auto* l = static_cast<TfrmNotesReminder*>(d);
            check(d, "notes-list" + suffix);
            l->setCurrentRow(1);
            QTest::keyClick(l->dbgPoznamky, Qt::Key_Return);
            QTest::keyClick(l, Qt::Key_Escape);
        });
        m_main->menuItem("mnReminderNotes")->trigger();
        drive("frmReminder", [&](QDialog* d) {
            auto* r = static_cast<TfrmReminder*>(d);
            check(d, "reminder" + suffix);
            // Enter in the postpone box neither postpones nor removes.
            QTest::keyClick(r->cmbPostponeBy, Qt::Key_Return);
            if (!r->isVisible()) clipped << "Enter closed the reminder";
            if (r->cmbPostponeBy->currentText() != "5") clipped << "postpone by " + r->cmbPostponeBy->currentText();
            QTest::mouseClick(r->btPostpone, Qt::LeftButton);
        });
        setNow(m_now.addSecs(3600));
        tick();
    }
    currentLanguage()->setLanguageIdent(1);
    currentLanguage()->TranslateAll();
    QCOMPARE(m_opened, (QStringList{"frmNotesReminder", "frmNotesRemDetail", "frmReminder", "frmNotesReminder",
                                    "frmNotesRemDetail", "frmReminder"}));
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));
    QCOMPARE(rows(), 2);
}

QTEST_MAIN(NotesWindowTest)
#include "NotesWindowTest.moc"
