// The feeds window driven through its controls: a feed added to the chosen room, tested at
// once without changing anything, removed after the question with its hold kept as an
// ordinary reservation; the settings stored on Ok and shown again; a bad address refused.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include "calendars/CalendarStore.h"
#include "calendars/TfrmCalendars.h"
#include "data/TableFiles.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"

namespace {

TEST(CalendarsWindow, FeedsAreAddedTestedAndRemovedAndSettingsKept)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("DB"));
    {
        engine::Database db(data::databaseLocation(folder).toStdString());
        data::createTables(db, folder);
    }
    TdmDataModule dm(folder);
    setDataModule(&dm);
    dm.ExecStatement(QStringLiteral("INSERT INTO \"%1POKOJE.DB\" (PID, PNAME) VALUES (\"1\", \"One\")").arg(dm.DbPrefix()));
    dm.ExecStatement(QStringLiteral("INSERT INTO \"%1POKOJE.DB\" (PID, PNAME) VALUES (\"2\", \"Two\")").arg(dm.DbPrefix()));
    QStringList said;
    QList<int> answers;
    platform::seams().messageBox = [&](QWidget*, const QString& text, const QString&, platform::Icon, platform::Buttons) {
        said << text;
        return answers.isEmpty() ? int(QMessageBox::Ok) : answers.takeFirst();
    };
    const QString feedFile = dir.filePath(QStringLiteral("feed.ics"));
    QFile f(feedFile);
    f.open(QIODevice::WriteOnly);
    f.write("BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nUID:a@x\nDTSTART;VALUE=DATE:20270305\nDTEND;VALUE=DATE:20270306\nEND:VEVENT\n"
            "BEGIN:VEVENT\nUID:b@x\nDTSTART;VALUE=DATE:20270310\nDTEND;VALUE=DATE:20270312\nEND:VEVENT\nEND:VCALENDAR\n");
    f.close();

    TfrmCalendars w;
    w.FormActivate();
    ASSERT_EQ(w.grRooms->rowCount(), 2);
    EXPECT_EQ(w.grRooms->item(0, 1)->text(), QStringLiteral("1.ics"));
    w.grRooms->selectRow(1);
    // A bad address is refused and nothing is stored.
    w.edAddress->setText(QStringLiteral("ftp://portal/x.ics"));
    w.btAdd->click();
    EXPECT_EQ(said.size(), 1);
    calendars::Store store(dm.db(), dm.DbPrefix());
    EXPECT_TRUE(store.feeds().isEmpty());
    // Tested before it is added: read, nothing stored.
    w.edAddress->setText(feedFile);
    w.edPortal->setText(QStringLiteral("Vrbo"));
    w.btTest->click();
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said.last().endsWith(QStringLiteral("The feed was read: 2 events."))) << said.last().toStdString();
    EXPECT_TRUE(store.feeds().isEmpty());
    w.btAdd->click();
    ASSERT_EQ(store.feeds().size(), 1);
    EXPECT_EQ(store.feeds()[0].pid, QStringLiteral("2"));
    EXPECT_EQ(store.feeds()[0].portal, QStringLiteral("Vrbo"));
    EXPECT_EQ(w.grFeeds->rowCount(), 1);
    EXPECT_EQ(w.grRooms->item(1, 2)->text(), QStringLiteral("1"));
    // A hold of the feed stays on the board when the feed goes; No keeps the feed.
    dm.ExecStatement(QStringLiteral("INSERT INTO \"%1POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, BOOKEDFOR) "
                                    "VALUES (0, \"2\", \"5.3.2027\", \"6.3.2027\", \"P\", \"Vrbo\")").arg(dm.DbPrefix()));
    dm.ExecStatement(QStringLiteral("INSERT INTO \"%1BLOKACE.DB\" (FEEDID, EVUID, BID) VALUES (%2, \"a@x\", 1)").arg(dm.DbPrefix()).arg(store.feeds()[0].id));
    w.grFeeds->selectRow(0);
    answers = {int(QMessageBox::No)};
    w.btRemove->click();
    EXPECT_EQ(store.feeds().size(), 1);
    w.grFeeds->selectRow(0);
    answers = {int(QMessageBox::Yes)};
    w.btRemove->click();
    EXPECT_TRUE(store.feeds().isEmpty());
    ASSERT_TRUE(dm.OpenAndCount(QStringLiteral("SELECT * FROM \"%1BLOKACE.DB\"").arg(dm.DbPrefix())));
    EXPECT_EQ(dm.lastCount(), 0);
    ASSERT_TRUE(dm.OpenAndCount(QStringLiteral("SELECT * FROM \"%1POBYTY.DB\" WHERE BID=1 AND STATUS=\"P\"").arg(dm.DbPrefix())));
    EXPECT_EQ(dm.lastCount(), 1);

    w.edExportFolder->setText(dir.filePath(QStringLiteral("web")));
    w.chkNames->setChecked(true);
    w.edInterval->setValue(45);
    ASSERT_TRUE(w.btOkClick());
    const calendars::Settings s = store.settings();
    EXPECT_EQ(s.exportFolder, dir.filePath(QStringLiteral("web")));
    EXPECT_TRUE(s.names);
    EXPECT_EQ(s.intervalMinutes, 45);
    w.edInterval->setValue(5);
    w.FormActivate();
    EXPECT_EQ(w.edInterval->value(), 45);
    EXPECT_TRUE(w.chkNames->isChecked());
    setDataModule(nullptr);
    platform::seams() = platform::Seams{};
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TLanguage language;
    language.setLanguageIdent(1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
