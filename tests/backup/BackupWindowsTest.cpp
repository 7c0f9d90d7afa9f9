// The backup and restore commands with their windows, driven through their controls while
// the platform seams answer the message boxes; tables checked row by row through the engine.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <memory>

#include "backup/Backup.h"
#include "backup/BackupCli.h"
#include "backup/TfrmBackupFileAction.h"
#include "backup/TfrmChooseBackup.h"
#include "data/Demo.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(QStringLiteral("\n")).toStdString(); }
QT_END_NAMESPACE

namespace {

const QDateTime kMoment(QDate(2004, 3, 7), QTime(9, 5, 30));
const QString kArchive = QStringLiteral("Tamarel DB 2004-03-07 09-05.tmb");

struct Shown {
    QString text, caption;
    platform::Icon icon;
};

// Every row of every table file of the folder, as the windows would show them.
QStringList dumpTables(const QString& folder)
{
    QStringList out;
    engine::Database db(data::folderPrefix(folder).toStdString());
    for (const data::TableDefinition& t : data::tableDefinitions()) {
        auto q = db.open(QStringLiteral(R"(SELECT * FROM "%1%2")").arg(data::folderPrefix(folder), t.file).toStdString());
        const int n = static_cast<int>(q->fields().size());
        while (q->next()) {
            QString row = t.file;
            for (int i = 0; i < n; ++i) row += QLatin1Char('|') + QString::fromStdString(q->text(i));
            out << row;
        }
    }
    return out;
}

void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files)) QFile::copy(from + QLatin1Char('/') + f, to + QLatin1Char('/') + f);
}

class BackupWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_demo = new QTemporaryDir;
        engine::Database db(data::folderPrefix(s_demo->path()).toStdString());
        data::createTables(db, s_demo->path());
        data::fillDemo(db, s_demo->path(), kMoment);
    }
    static void TearDownTestSuite()
    {
        delete s_demo;
        s_demo = nullptr;
    }

    void SetUp() override
    {
        m_folder = m_tmp.path() + QStringLiteral("/DB/");
        copyFolder(s_demo->path(), m_folder);
        m_db = std::make_unique<engine::Database>(m_folder.toStdString());
        m_original = dumpTables(m_folder);
        platform::seams() = platform::Seams{};
        platform::seams().now = [] { return kMoment; };
        platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon icon,
                                              platform::Buttons) {
            m_shown.push_back({text, caption, icon});
            if (m_answers.empty()) return int(QMessageBox::Ok);
            const int a = m_answers.front();
            m_answers.pop_front();
            return a;
        };
        platform::seams().runModal = [this](QDialog* d) {
            ++m_modalRuns;
            d->open();
            if (m_drive) m_drive(d);
            if (d->isVisible()) d->reject();
            return d->result();
        };
    }
    void TearDown() override
    {
        m_db.reset();
        platform::seams() = platform::Seams{};
    }

    QStringList texts() const
    {
        QStringList out;
        for (const auto& s : m_shown) out << s.text;
        return out;
    }
    QString archivePath() const { return m_folder + QStringLiteral("Backup/") + kArchive; }

    static QTemporaryDir* s_demo;
    TLanguage m_language;
    QTemporaryDir m_tmp;
    QString m_folder;
    std::unique_ptr<engine::Database> m_db;
    QStringList m_original;
    std::vector<Shown> m_shown;
    std::deque<int> m_answers;
    std::function<void(QDialog*)> m_drive;
    int m_modalRuns = 0;
};

QTemporaryDir* BackupWindows::s_demo = nullptr;

TEST_F(BackupWindows, BackupWritesTheArchiveAndOffersTheFileAction)
{
    QString name, path;
    m_drive = [&](QDialog* d) {
        auto* action = qobject_cast<TfrmBackupFileAction*>(d);
        ASSERT_NE(action, nullptr);
        name = action->BackupFileName;
        path = action->BackupFilePath;
        QTest::mouseClick(action->btOk, Qt::LeftButton);
        EXPECT_FALSE(action->isVisible());
    };
    EXPECT_TRUE(BackupDatabase(nullptr, *m_db, m_folder));
    EXPECT_EQ(texts(), QStringList{QStringLiteral("Backup done.")});
    EXPECT_EQ(m_shown[0].icon, platform::Icon::Information);
    EXPECT_EQ(name, kArchive);
    EXPECT_EQ(path, archivePath());
    EXPECT_TRUE(QFileInfo(archivePath()).size() > 0);
    // A second backup in the same minute replaces the first.
    EXPECT_TRUE(BackupDatabase(nullptr, *m_db, m_folder));
    EXPECT_EQ(QDir(m_folder + QStringLiteral("Backup")).entryList(QDir::Files), QStringList{kArchive});
}

TEST_F(BackupWindows, RestoreBringsBackEveryRowAndTheEngineReadsTheNewFiles)
{
    ASSERT_TRUE(BackupDatabase(nullptr, *m_db, m_folder));
    m_db->execute(QStringLiteral(R"(DELETE FROM "%1POBYTY.DB")").arg(m_folder).toStdString());
    m_db->execute(QStringLiteral(R"(UPDATE "%1KARTY.DB" SET NAME = "changed")").arg(m_folder).toStdString());
    ASSERT_NE(dumpTables(m_folder), m_original);

    m_shown.clear();
    m_answers = {QMessageBox::Yes, QMessageBox::Yes};
    m_drive = [&](QDialog* d) {
        auto* choose = qobject_cast<TfrmChooseBackup*>(d);
        ASSERT_NE(choose, nullptr);
        EXPECT_EQ(choose->cmbBackups->count(), 1);
        EXPECT_EQ(choose->cmbBackups->currentText(), kArchive.chopped(4));
        QTest::mouseClick(choose->btRestore, Qt::LeftButton);
        EXPECT_FALSE(choose->isVisible());
    };
    EXPECT_TRUE(RestoreDatabase(nullptr, *m_db, m_folder));
    ASSERT_EQ(m_shown.size(), 3u);
    EXPECT_TRUE(m_shown[0].text.startsWith(QStringLiteral("This will DELETE ALL CURRENT DATA!\r\n\r\n")));
    EXPECT_TRUE(m_shown[1].text.startsWith(QStringLiteral("Are you sure to replace your current data")));
    EXPECT_EQ(m_shown[2].text, QStringLiteral("Database is now restored!"));
    EXPECT_EQ(dumpTables(m_folder), m_original);
    auto q = m_db->open(QStringLiteral(R"(SELECT COUNT(*) AS N FROM "%1POBYTY.DB")").arg(m_folder).toStdString());
    ASSERT_TRUE(q->next());
    EXPECT_GT(q->integer(0), 0);
}

TEST_F(BackupWindows, RestoreAnswersThatChangeNothing)
{
    ASSERT_TRUE(BackupDatabase(nullptr, *m_db, m_folder));
    m_db->execute(QStringLiteral(R"(DELETE FROM "%1POBYTY.DB")").arg(m_folder).toStdString());
    const QStringList changed = dumpTables(m_folder);
    struct Case {
        const char* what;
        std::deque<int> answers;
        bool dialogRuns;
        QStringList lastMessages;
    };
    const Case cases[] = {
        {"first question No", {QMessageBox::No}, false, {}},
        {"first question Cancel", {QMessageBox::Cancel}, false, {}},
        {"choose dialog question No", {QMessageBox::Yes, QMessageBox::No}, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_shown.clear();
        m_modalRuns = 0;
        m_answers = c.answers;
        m_drive = [](QDialog* d) {
            auto* choose = qobject_cast<TfrmChooseBackup*>(d);
            QTest::mouseClick(choose->btRestore, Qt::LeftButton);
            EXPECT_FALSE(choose->isVisible());  // closes whatever the answer
        };
        EXPECT_FALSE(RestoreDatabase(nullptr, *m_db, m_folder));
        EXPECT_EQ(m_modalRuns, c.dialogRuns ? 1 : 0);
        EXPECT_EQ(int(m_shown.size()), int(c.answers.size()));
        EXPECT_EQ(dumpTables(m_folder), changed);
    }
}

TEST_F(BackupWindows, DamagedOrMissingArchivesRestoreNothing)
{
    ASSERT_TRUE(BackupDatabase(nullptr, *m_db, m_folder));
    QFile archive(archivePath());
    ASSERT_TRUE(archive.open(QIODevice::ReadOnly));
    const QByteArray full = archive.readAll();
    archive.close();
    m_db->execute(QStringLiteral(R"(DELETE FROM "%1POBYTY.DB")").arg(m_folder).toStdString());
    const QStringList changed = dumpTables(m_folder);

    auto restoreAnswering = [&] {
        m_shown.clear();
        m_answers = {QMessageBox::Yes, QMessageBox::Yes};
        m_drive = [](QDialog* d) { QTest::mouseClick(qobject_cast<TfrmChooseBackup*>(d)->btRestore, Qt::LeftButton); };
        return RestoreDatabase(nullptr, *m_db, m_folder);
    };
    for (qsizetype cut : {qsizetype(10), full.size() / 3, full.size() - 1}) {
        ASSERT_TRUE(archive.open(QIODevice::WriteOnly | QIODevice::Truncate));
        archive.write(full.left(cut));
        archive.close();
        EXPECT_FALSE(restoreAnswering());
        EXPECT_EQ(m_shown.back().text, QStringLiteral("Restore NOT successful! Data is corrupt!\r\n\r\nThe database is unchanged."));
        EXPECT_EQ(dumpTables(m_folder), changed);
        EXPECT_EQ(QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                  data::tableDefinitions().size() + 1);  // no staging folder left behind
    }
    QFile::remove(archivePath());
    EXPECT_FALSE(restoreAnswering());
    EXPECT_EQ(m_shown.back().text, QStringLiteral("Restore NOT successful! Data is corrupt!\r\n\r\nThe database is unchanged."));
}

TEST_F(BackupWindows, ChooseBackupListsArchivesSortedWithTheNewestSelected)
{
    const QString dir = m_folder + QStringLiteral("Backup/");
    QDir().mkpath(dir);
    for (const char* n : {"Tamarel DB 2004-03-07 09-05.tmb", "Tamarel DB 2003-12-31 23-59.tmb",
                          "Tamarel DB 2004-01-02 08-00.tmb", ".hidden.tmb", "notes.txt"}) {
        QFile f(dir + QString::fromLatin1(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir().mkpath(dir + QStringLiteral("folder.tmb"));
    TfrmChooseBackup form;
    EXPECT_EQ(frmChooseBackup, &form);
    form.setDatabase(m_db.get(), m_folder);
    form.FormActivate();
    QStringList items;
    for (int i = 0; i < form.cmbBackups->count(); ++i) items << form.cmbBackups->itemText(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral("Tamarel DB 2003-12-31 23-59"), QStringLiteral("Tamarel DB 2004-01-02 08-00"),
                                  QStringLiteral("Tamarel DB 2004-03-07 09-05")}));
    EXPECT_EQ(form.cmbBackups->currentIndex(), 2);
    QFile::remove(dir + QStringLiteral("Tamarel DB 2004-03-07 09-05.tmb"));
    form.FormActivate();
    EXPECT_EQ(form.cmbBackups->count(), 2);
    for (const char* child : {"lbFile", "cmbBackups", "btRestore", "btCancel"})
        EXPECT_NE(form.findChild<QWidget*>(QString::fromLatin1(child)), nullptr) << child;
    EXPECT_EQ(form.objectName(), QStringLiteral("frmChooseBackup"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Choose Backup to Restore"));
}

TEST_F(BackupWindows, BackupFailuresLeaveNoArchive)
{
    // A table file that cannot be read (a link to nothing) stops the backup.
    QFile::link(m_folder + QStringLiteral("nowhere"), m_folder + QStringLiteral("GONE.DB"));
    EXPECT_FALSE(BackupDatabase(nullptr, *m_db, m_folder));
    EXPECT_EQ(texts(), QStringList{QStringLiteral("Can't write the file. Backup process will stop.")});
    EXPECT_TRUE(QDir(m_folder + QStringLiteral("Backup")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(m_modalRuns, 0);
    QFile::remove(m_folder + QStringLiteral("GONE.DB"));

    // The backup folder cannot be made: a file stands in its place.
    QDir(m_folder + QStringLiteral("Backup")).removeRecursively();
    QFile blocker(m_folder + QStringLiteral("Backup"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_shown.clear();
    EXPECT_FALSE(BackupDatabase(nullptr, *m_db, m_folder));
    EXPECT_EQ(texts(), QStringList{QStringLiteral("Can't create backup file")});
}

TEST_F(BackupWindows, FileActionOkRuleAndLayout)
{
    TfrmBackupFileAction form;
    struct Case {
        bool mail;
        const char* to;
        const char* subject;
        bool ok;
    };
    const Case cases[] = {{false, "", "", true},           {true, "", "", false},          {true, "a@b.cz", "", false},
                          {true, "", "Backup", false},     {true, "a@b.cz", "  ", false},  {true, " a@b.cz ", "Backup", true},
                          {false, "a@b.cz", "", true}};
    form.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.to) + "/" + c.subject);
        if (form.chkMail->isChecked() != c.mail) QTest::mouseClick(form.chkMail, Qt::LeftButton, {}, QPoint(5, 10));
        form.edMailto->setText(QString::fromLatin1(c.to));
        form.edSubject->setText(QString::fromLatin1(c.subject));
        EXPECT_EQ(form.btOk->isEnabled(), c.ok);
        EXPECT_EQ(form.width(), c.mail ? 406 : 186);
        EXPECT_EQ(form.btOk->x(), c.mail ? 318 : 94);
        EXPECT_EQ(form.pnlMail->isVisible(), c.mail);
    }
    for (const char* child : {"chkDiskette", "chkMail", "pnlMail", "lbMailto", "edMailto", "lbSubject", "edSubject", "btOk"})
        EXPECT_NE(form.findChild<QWidget*>(QString::fromLatin1(child)), nullptr) << child;
}

TEST_F(BackupWindows, FileActionCopiesAndMails)
{
    QTemporaryDir medium;
    QString chosen = medium.path();
    QStringList opened;
    bool shellAnswer = true;
    platform::seams().chooseFolder = [&](const QString&, const QString&) { return chosen; };
    platform::seams().shellOpen = [&](const QUrl& url) {
        opened << url.scheme() + QLatin1Char(':') + url.path() + QLatin1Char('?') + url.query(QUrl::FullyDecoded);
        return shellAnswer;
    };
    ASSERT_TRUE(BackupDatabase(nullptr, *m_db, m_folder));  // leaves the archive; Ok closed the dialog
    TfrmBackupFileAction& form = *frmBackupFileAction;
    auto runOk = [&](bool disk, bool mail) {
        m_shown.clear();
        opened.clear();
        form.chkDiskette->setChecked(disk);
        form.chkMail->setChecked(mail);
        form.edMailto->setText(QStringLiteral("recepce@hotel.cz"));
        form.edSubject->setText(QStringLiteral("Zaloha dat"));
        form.open();
        QTest::mouseClick(form.btOk, Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
    };
    runOk(true, true);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_TRUE(QFileInfo::exists(medium.filePath(kArchive)));
    EXPECT_EQ(QFileInfo(medium.filePath(kArchive)).size(), QFileInfo(archivePath()).size());
    EXPECT_EQ(opened, QStringList{QStringLiteral("mailto:recepce@hotel.cz?subject=Zaloha dat&attach=\"") + archivePath() +
                                  QStringLiteral("\"")});

    chosen = medium.path() + QStringLiteral("/missing");
    shellAnswer = false;
    runOk(true, true);
    ASSERT_EQ(m_shown.size(), 2u);
    EXPECT_EQ(m_shown[0].text, QStringLiteral("Can't save the file to diskette"));
    EXPECT_EQ(m_shown[0].caption, QStringLiteral("Backup"));
    EXPECT_EQ(m_shown[1].text, QStringLiteral("Can't open the mail window"));
    EXPECT_EQ(opened.size(), 1);  // the mail step still ran

    chosen.clear();  // the user cancelled the folder choice
    runOk(true, false);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_TRUE(opened.empty());
}

TEST_F(BackupWindows, CommandLineBackupAndRestoreIntoAFreshFolder)
{
    const QString archive = m_tmp.path() + QStringLiteral("/copy.tmb");
    EXPECT_EQ(backupMain({QStringLiteral("backup"), m_folder, archive}), 0);
    EXPECT_EQ(backupMain({QStringLiteral("backup"), m_folder}), 0);
    EXPECT_TRUE(QFileInfo::exists(archivePath()));

    const QString fresh = m_tmp.path() + QStringLiteral("/fresh/");
    {
        engine::Database db(fresh.toStdString());
        data::createTables(db, fresh);  // empty tables, to be replaced
    }
    EXPECT_EQ(backupMain({QStringLiteral("restore"), fresh, archive}), 0);
    EXPECT_EQ(dumpTables(fresh), m_original);

    QFile f(archive);
    ASSERT_TRUE(f.resize(f.size() / 2));
    const QString other = m_tmp.path() + QStringLiteral("/other/");
    {
        engine::Database db(other.toStdString());
        data::createTables(db, other);
    }
    const QStringList empty = dumpTables(other);
    EXPECT_EQ(backupMain({QStringLiteral("restore"), other, archive}), 1);
    EXPECT_EQ(dumpTables(other), empty);
    EXPECT_EQ(backupMain({QStringLiteral("restore"), other}), 2);
    EXPECT_EQ(backupMain({QStringLiteral("backup"), m_tmp.path() + QStringLiteral("/none")}), 1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
