// The document and client windows against two hazards, on a database folder whose path holds
// "%2" and an apostrophe: their statements store and find texts holding %1, %2, ', " and
// Czech letters exactly as typed (one table of cases), and while another process holds the
// lock of every table file, each of their commands says what it could not do, nothing ends
// the program, and the window works again once the lock is gone.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "clients/ClientStatements.h"
#include "clients/RegisterClients.h"
#include "clients/TfrmBrowseClientCard.h"
#include "clients/TfrmClientDetail.h"
#include "clients/TfrmFindClientCard.h"
#include "data/TableFiles.h"
#include "documents/AccountPrintout.h"
#include "documents/ConfirmationLogic.h"
#include "documents/LabelsLogic.h"
#include "documents/RegisterConfirmation.h"
#include "documents/RegisterDocuments.h"
#include "documents/RegisterLabels.h"
#include "documents/RegistrationCard.h"
#include "documents/TfrmConfirmation.h"
#include "documents/TfrmPrintAccounts.h"
#include "documents/TfrmPrintLabels.h"
#include "documents/TfrmRegCard.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "platform/Printer.h"
#include "report/PreviewWindow.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace {

// Texts that broke statements composed with chained arg(): places, quotes, Czech letters.
const QString kSurname = QStringLiteral("O'Něl \"Ořech\" 20%2");
const QString kName = QStringLiteral("Jiří 50%1st");
const QString kPassport = QStringLiteral("P'1\"%2%1");
const QString kCardNum = QStringLiteral("41'11 \"2\" %1%2 č");
const QString kDescr = QStringLiteral("Víno 20%2 \"Ryzlink\" d'Arc %1");

// Another program holding the lock of every table file of a folder: a child process that
// takes (L) and gives back (U) an exclusive lock on each file when told through a pipe, and
// ends when the pipe closes. It is forked while this process has no table file open.
class LockingProgram {
public:
    explicit LockingProgram(const QString& folder)
    {
        std::vector<std::string> files;
        for (const QString& f : QDir(folder).entryList({QStringLiteral("*.DB")}, QDir::Files))
            files.push_back(QDir(folder).filePath(f).toStdString());
        if (pipe(m_toChild) != 0 || pipe(m_fromChild) != 0) qFatal("no pipe");
        m_child = fork();
        if (m_child == 0) {
            close(m_toChild[1]);
            close(m_fromChild[0]);
            std::vector<sqlite3*> dbs;
            for (const std::string& f : files) {
                sqlite3* db = nullptr;
                if (sqlite3_open_v2(f.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) _exit(2);
                dbs.push_back(db);
            }
            char command;
            while (read(m_toChild[0], &command, 1) == 1) {
                for (sqlite3* db : dbs)
                    if (sqlite3_exec(db, command == 'L' ? "BEGIN EXCLUSIVE" : "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
                        _exit(3);
                const char done = command == 'L' ? 'l' : 'u';
                if (write(m_fromChild[1], &done, 1) != 1) _exit(4);
            }
            _exit(0);
        }
        close(m_toChild[0]);
        close(m_fromChild[1]);
    }
    ~LockingProgram()
    {
        close(m_toChild[1]);
        close(m_fromChild[0]);
        int status = 0;
        waitpid(m_child, &status, 0);
    }
    bool lock() { return tell('L'); }
    bool unlock() { return tell('U'); }

private:
    bool tell(char command)
    {
        char answer = 0;
        return write(m_toChild[1], &command, 1) == 1 && read(m_fromChild[0], &answer, 1) == 1
            && answer == (command == 'L' ? 'l' : 'u');
    }
    int m_toChild[2];
    int m_fromChild[2];
    pid_t m_child = -1;
};

}  // namespace

class TestStatementsAndLocks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void statementsKeepTheFolderAndTheTextsIntact();
    void windowsSayWhatTheyCouldNotDoWhileEveryTableIsLocked();

private:
    void openDataModule();
    void exec(const QString& sql);
    QString rows(const QString& sql);
    // Opens a dialog through the seam and runs drive on it while it is "modal".
    int open(const QString& name, const QVariantMap& args, const std::function<void(QDialog&)>& drive);
    // Runs a command and returns the messages it showed.
    QStringList said(const std::function<void()>& command);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QStringList m_messages;
    int m_previews = 0;
};

void TestStatementsAndLocks::initTestCase() { m_language = std::make_unique<TLanguage>(); }

void TestStatementsAndLocks::openDataModule()
{
    m_dm = std::make_unique<TdmDataModule>(m_folder);
    m_dm->db().setLockTimeoutMs(50);
    setDataModule(m_dm.get());
}

void TestStatementsAndLocks::init()
{
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Recepce%2 d'Arcy-XXXXXX"));
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath("DB"));
    platform::setProgramPathForTests(m_dir->filePath("tamarel"));
    qputenv("HOME", m_dir->path().toLocal8Bit());
    m_folder = m_dir->filePath("DB");
    openDataModule();
    data::createTables(m_dm->db(), m_folder);
    m_language->setLanguageIdent(1);
    m_messages.clear();
    m_previews = 0;
    platform::seams() = platform::Seams{};
    platform::printerSeams() = platform::PrinterSeams{};
    platform::printerSeams().printers = [] { return QStringList{}; };
    platform::seams().now = [] { return QDateTime(QDate(2004, 3, 5), QTime(9, 5, 7)); };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString&, platform::Icon,
                                          platform::Buttons buttons) {
        m_messages << text;
        return int(buttons == platform::Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    };
    platform::seams().chooseSaveFile = [this](const QString&, const QString&, const QString&) {
        return m_dir->filePath("printed.pdf");
    };
    platform::seams().shellOpen = [](const QUrl&) { return true; };
    platform::seams().clipboard = [](const QString&) {};
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName("frmMain");
    registerAccountPrintout(m_main.get());
    registerRegistrationCard(m_main.get());
    registerConfirmationDialogs(m_main.get());
    registerLabelsDialogs(m_main.get());
    registerClientDialogs(m_main.get());
}

void TestStatementsAndLocks::cleanup()
{
    clients::unregisterClientDialogs();
    documents::unregisterLabelsDialogs();
    documents::unregisterConfirmationDialogs();
    documents::unregisterRegistrationCard();
    documents::unregisterAccountPrintout();
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
    platform::printerSeams() = platform::PrinterSeams{};
}

void TestStatementsAndLocks::exec(const QString& sql)
{
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

QString TestStatementsAndLocks::rows(const QString& sql)
{
    QStringList out;
    try {
        auto q = m_dm->Open(sql);
        while (q->next()) {
            QStringList fields;
            for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
            out << fields.join('|');
        }
    } catch (const std::exception& e) {
        return QStringLiteral("failed: ") + QString::fromUtf8(e.what()) + QStringLiteral("\n") + sql;
    }
    return out.join('\n');
}

int TestStatementsAndLocks::open(const QString& name, const QVariantMap& args, const std::function<void(QDialog&)>& drive)
{
    platform::seams().runModal = [&](QDialog* d) {
        if (qobject_cast<report::PreviewWindow*>(d)) {
            ++m_previews;
            return int(QDialog::Accepted);
        }
        if (d->objectName() != name) return int(QDialog::Rejected);   // a nested dialog
        d->setResult(QDialog::Rejected);
        d->show();
        drive(*d);
        QCoreApplication::processEvents();
        const int result = d->result();
        d->hide();
        return result;
    };
    QVariantMap a = args;
    return platform::openDialog(name, a);
}

QStringList TestStatementsAndLocks::said(const std::function<void()>& command)
{
    const qsizetype before = m_messages.size();
    command();
    return m_messages.mid(before);
}

void TestStatementsAndLocks::statementsKeepTheFolderAndTheTextsIntact()
{
    const QString db = m_dm->DbPrefix();
    QVERIFY(db.contains("%2") && db.contains('\''));
    auto table = [&](const char* file) { return shell::Table(db, QString::fromLatin1(file)); };
    exec(shell::Sql(u"INSERT INTO %1 (PID, PNAME, PPRICE, MAIDPRICE) VALUES (\"12\", %2, 55, 5)", table("POKOJE.DB"),
                    shell::QuoteText(QStringLiteral("Modrý 20%2 'A'"))));
    exec(shell::Sql(u"INSERT INTO %1 (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, %2, 21, 15)", table("UCPODEF.DB"),
                    shell::QuoteText(QStringLiteral("Nápoje %1"))));

    clients::ClientCardValues card;
    card.surname = kSurname;
    card.name = kName;
    card.title = QStringLiteral("Ing.%1'\"");
    card.address = QStringLiteral("Údolní 5 %2");
    card.city = QStringLiteral("Brno");
    card.passport = kPassport;
    card.cardNum = kCardNum;
    card.comment = QStringLiteral("Order 20%2 more towels; it's \"quiet\"");
    card.rating = QStringLiteral("3");
    const QString cardRow = QStringList{kSurname, kName, card.title, card.address, kPassport, kCardNum, card.comment}.join('|');
    const QString cardColumns = QStringLiteral("SURNAME, NAME, TITLE, ADDRESS, PASSPORT, CARDNUM, COMMENT");

    struct Case {
        const char* what;
        std::function<QString()> run;   // runs the window's statement, gives back what is stored or found
        QString expected;
    };
    const Case cases[] = {
        {"client card inserted",
         [&] {
             exec(clients::clientSaveStatement(db, 0, card, "Eva", "5.3.2004", "9:05:07"));
             return rows(shell::Sql(u"SELECT %1 FROM %2", cardColumns, table("KARTY.DB")));
         },
         cardRow},
        {"client card updated",
         [&] {
             clients::ClientCardValues changed = card;
             changed.name = QStringLiteral("Jiřina %2%1 'J'");
             exec(clients::clientSaveStatement(db, 1, changed, "Eva", "5.3.2004", "9:05:07"));
             const QString row = rows(shell::Sql(u"SELECT NAME FROM %1 WHERE KID=1", table("KARTY.DB")));
             exec(clients::clientSaveStatement(db, 1, card, "Eva", "5.3.2004", "9:05:07"));
             return row;
         },
         QStringLiteral("Jiřina %2%1 'J'")},
        {"duplicate passport found",
         [&] { return rows(clients::duplicateCheckSql(db, clients::DuplicateKind::Passport, 99, kPassport)); },
         QStringList{"1", kPassport, kSurname, kName}.join('|')},
        {"client list filtered by a part of the surname",
         [&] {
             const QString filter = clients::appendCondition(
                 {}, clients::filterCondition("SURNAME", "like", QStringLiteral("Ořech\" 20%2")));
             return rows(clients::clientListSql(db, filter)).section('|', 1, 2);
         },
         kSurname + '|' + kName},
        {"registration card written back",
         [&] {
             exec(documents::cardWriteBackSql(db, 1, kCardNum, QStringLiteral("Diner's %1"), QStringLiteral("1'2\"%2")));
             return rows(shell::Sql(u"SELECT CARDNUM, CARDTYPE, CARDEXP FROM %1 WHERE KID=1", table("KARTY.DB")));
         },
         QStringList{kCardNum, "Diner's %1", "1'2\"%2"}.join('|')},
        {"stay and account added for the documents",
         [&] {
             exec(shell::Sql(u"INSERT INTO %1 (KID, UFROM, UTHRU, FORMPAYM, DATEPAYM) VALUES (1, \"5.3.2004\", \"8.3.2004\", \"M\", \"8.3.2004\")",
                             table("UCTY.DB")));
             exec(shell::Sql(u"INSERT INTO %1 (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, MAIDEUR, UID) "
                             u"VALUES (1, \"12\", \"5.3.2004\", \"8.3.2004\", \"O\", 1, 150, 15, 1)",
                             table("POBYTY.DB")));
             exec(shell::Sql(u"INSERT INTO %1 (UID, PID, UPID, DESCR, TAXRATE, AMNTEUR, AMNTCZK) VALUES (1, \"12\", 1, %2, 21, 2, 50)",
                             table("UCTYPOL.DB"), shell::QuoteText(kDescr)));
             exec(shell::Sql(u"INSERT INTO %1 (UID, PID, UPID, DESCR, TAXRATE, AMNTEUR, AMNTCZK) VALUES (1, \"12\", 7, %2, 21, 1, 25)",
                             table("UCTYPOL.DB"), shell::QuoteText(kName)));
             return rows(clients::clientHistorySql(db, 1)).section('|', 0, 1);
         },
         QStringLiteral("1|1")},
        {"registration card read", [&] { return rows(documents::regCardClientSql(db, 1)); },
         QStringList{"1", kCardNum, "Diner's %1", "1'2\"%2"}.join('|')},
        {"registration card form read",
         [&] { return rows(documents::regCardInfoSql(db, 1)).section('|', 8, 11); },
         QStringList{card.title, kSurname, kName, kName + ' ' + kSurname}.join('|')},
        {"confirmation read", [&] { return rows(documents::ConfirmationReportSql(db, 1)).section('|', 8, 11); },
         QStringList{card.title, kSurname, kName, kName + ' ' + kSurname}.join('|')},
        {"confirmation e-mail read",
         [&] {
             auto q = m_dm->Open(documents::ConfirmationEmailSql(db, 1));
             return q->next() ? documents::ReadStayRow(*q).column("CLIENT").value_or("?") : QStringLiteral("none");
         },
         kName + ' ' + kSurname},
        {"labels read", [&] { return rows(documents::LabelsSql(db)).section('|', 1, 2); }, kSurname + '|' + kName},
        {"account stays listed", [&] { return QString::number(rows(documents::loadStaysSql(db, 1)).count('\n') + 1); },
         QStringLiteral("1")},
        {"account header read", [&] { return rows(documents::headerInfoSql(db, 1, "12", 1)).section('|', 7, 9); },
         QStringList{card.title, kSurname, kName}.join('|')},
        {"account lines read", [&] { return rows(documents::accountItemsSql(db, 1, "12")).section('|', 1, 2); },
         QStringLiteral("Nápoje %1|") + kDescr},
        {"account charges of a deleted type read",
         [&] { return rows(documents::orphanItemsSql(db, 1, "12")).section('|', 0, 1); }, QStringLiteral("7|") + kName},
        {"account total read", [&] { return rows(documents::totalAccountSql(db, 1, "12")); }, QStringLiteral("3|75")},
        {"account stays of the room read", [&] { return rows(documents::roomStaysSql(db, 1, "12")); },
         QStringLiteral("5.3.2004|8.3.2004")},
        {"client card deleted",
         [&] {
             exec(clients::clientDeleteSql(db, 1));
             return rows(shell::Sql(u"SELECT COUNT(*) AS N FROM %1", table("KARTY.DB")));
         },
         QStringLiteral("0")},
    };
    for (const Case& c : cases) {
        const QString got = c.run();
        QVERIFY2(got == c.expected, qPrintable(QString::fromUtf8(c.what) + ": " + got));
    }
}

void TestStatementsAndLocks::windowsSayWhatTheyCouldNotDoWhileEveryTableIsLocked()
{
    exec(shell::Sql(u"INSERT INTO %1 (PID, PNAME, PPRICE, MAIDPRICE) VALUES (\"12\", \"Modrý\", 55, 5)",
                    shell::Table(m_dm->DbPrefix(), u"POKOJE.DB")));
    exec(shell::Sql(u"INSERT INTO %1 (SURNAME, NAME, ADDRESS, CITY, CARDNUM, CARDTYPE) VALUES "
                    u"(\"Nováková\", \"Jiřina\", \"Údolní 5\", \"Brno\", \"4111\", \"VISA\")",
                    shell::Table(m_dm->DbPrefix(), u"KARTY.DB")));
    exec(shell::Sql(u"INSERT INTO %1 (KID, FORMPAYM, DATEPAYM) VALUES (1, \"M\", \"8.3.2004\")",
                    shell::Table(m_dm->DbPrefix(), u"UCTY.DB")));
    exec(shell::Sql(u"INSERT INTO %1 (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, UID) VALUES "
                    u"(1, \"12\", \"5.3.2004\", \"8.3.2004\", \"R\", 1, 150, 1)",
                    shell::Table(m_dm->DbPrefix(), u"POBYTY.DB")));
    exec(shell::Sql(u"INSERT INTO %1 (UID, PID, UPID, DESCR, TAXRATE, AMNTEUR, AMNTCZK) VALUES (1, \"12\", 1, \"Pokoj\", 21, 2, 50)",
                    shell::Table(m_dm->DbPrefix(), u"UCTYPOL.DB")));
    {
        QFile mail(m_dir->filePath("T.etp"));
        QVERIFY(mail.open(QIODevice::WriteOnly));
        mail.write("Subject\r\nDear {CLIENT}");
    }
    // The other program is forked while no table file is open here.
    setDataModule(nullptr);
    m_dm.reset();
    LockingProgram other(m_folder);
    openDataModule();

    struct Said {
        QString command;
        QStringList messages;
    };
    QList<Said> log;
    auto run = [&](const QString& command, const std::function<void()>& action) { log.append({command, said(action)}); };

    QVERIFY(other.lock());
    run("account printout opened", [&] { open("frmPrintAccounts", {{"UID", 1}}, [](QDialog&) {}); });
    run("registration card opened", [&] { open("frmRegCard", {{"BID", 1}}, [](QDialog&) {}); });
    run("client card opened", [&] {
        open("frmClientDetail", {{"KID", 1}}, [&](QDialog& d) {
            auto& f = static_cast<TfrmClientDetail&>(d);
            run("client card saved", [&] { f.bkOk->click(); });
            run("client history shown", [&] { f.pgPages->setCurrentWidget(f.pgHistory); });
        });
    });
    run("referral sources opened", [&] { open("frmKnowsFrom", {}, [](QDialog&) {}); });
    QVERIFY(other.unlock());

    open("frmPrintAccounts", {{"UID", 1}}, [&](QDialog& d) {
        auto& f = static_cast<TfrmPrintAccounts&>(d);
        QVERIFY(other.lock());
        run("account previewed", [&] { QTest::mouseClick(f.btPreview, Qt::LeftButton); });
        run("account printed", [&] { QTest::mouseClick(f.btPrint, Qt::LeftButton); });
        QVERIFY(other.unlock());
    });
    open("frmRegCard", {{"BID", 1}}, [&](QDialog& d) {
        auto& f = static_cast<TfrmRegCard&>(d);
        QVERIFY(other.lock());
        run("registration card previewed", [&] { QTest::mouseClick(f.btPreview, Qt::LeftButton); });
        run("registration card printed", [&] { QTest::mouseClick(f.btPrint, Qt::LeftButton); });
        QVERIFY(!f.isHidden());
        QVERIFY(other.unlock());
    });
    open("frmConfirmation", {{"BID", 1}}, [&](QDialog& d) {
        auto& f = static_cast<TfrmConfirmation&>(d);
        f.cmbEmailTemplate->setCurrentIndex(f.cmbEmailTemplate->findText("T"));
        f.btEmail->setEnabled(true);
        QVERIFY(other.lock());
        run("confirmation e-mailed", [&] { QTest::mouseClick(f.btEmail, Qt::LeftButton); });
        run("confirmation previewed", [&] { QTest::mouseClick(f.btPreview, Qt::LeftButton); });
        run("confirmation printed", [&] { QTest::mouseClick(f.btPrint, Qt::LeftButton); });
        QVERIFY(!f.isHidden());
        QVERIFY(other.unlock());
    });
    open("frmPrintLabels", {}, [&](QDialog& d) {
        auto& f = static_cast<TfrmPrintLabels&>(d);
        QVERIFY(other.lock());
        run("labels run", [&] { QTest::mouseClick(f.btOk, Qt::LeftButton); });
        QVERIFY(other.unlock());
    });
    open("frmBrowseClientCard", {}, [&](QDialog& d) {
        auto& f = static_cast<TfrmBrowseClientCard&>(d);
        QTest::mouseClick(f.btClearFilter, Qt::LeftButton);   // lists every card
        QVERIFY(other.lock());
        run("client list searched", [&] {
            f.edFilterValue->setText("Nov");
            QTest::mouseClick(f.btSearch, Qt::LeftButton);
        });
        run("client filter cleared", [&] { QTest::mouseClick(f.btClearFilter, Qt::LeftButton); });
        QVERIFY(other.unlock());
        QTest::mouseClick(f.btClearFilter, Qt::LeftButton);
        QVERIFY(other.lock());
        run("client deleted", [&] { QTest::mouseClick(f.btDelete, Qt::LeftButton); });
        QVERIFY(other.unlock());
    });
    run("client found", [&] {
        open("frmFindClientCard", {}, [&](QDialog& d) {
            auto& f = static_cast<TfrmFindClientCard&>(d);
            QVERIFY(other.lock());
            f.edFilterValue->setText("Nov");
            QTest::mouseClick(f.btSearch, Qt::LeftButton);
            QVERIFY(other.unlock());
        });
    });

    QStringList silent;
    for (const Said& s : log)
        if (s.messages.isEmpty()) silent << s.command;
    QVERIFY2(silent.isEmpty(), qPrintable("said nothing: " + silent.join(", ")));
    // What each said names the failure, never a success.
    for (const Said& s : log)
        for (const QString& m : s.messages)
            QVERIFY2(m.contains("Can't") || m.contains("Cannot") || m.contains("failed") || m.contains("Error")
                         || m.contains("locked") || m.contains("not stored") || m.contains("delete"),
                     qPrintable(s.command + ": " + m));
    QCOMPARE(m_previews, 0);
    QCOMPARE(rows(shell::Sql(u"SELECT SURNAME, CARDNUM FROM %1", shell::Table(m_dm->DbPrefix(), u"KARTY.DB"))),
             QStringLiteral("Nováková|4111"));

    // The lock gone, the same windows work again.
    m_messages.clear();
    open("frmPrintAccounts", {{"UID", 1}}, [&](QDialog& d) {
        QTest::mouseClick(static_cast<TfrmPrintAccounts&>(d).btPreview, Qt::LeftButton);
    });
    open("frmConfirmation", {{"BID", 1}}, [&](QDialog& d) {
        QTest::mouseClick(static_cast<TfrmConfirmation&>(d).btPreview, Qt::LeftButton);
    });
    QCOMPARE(m_previews, 2);
    QCOMPARE(m_messages, QStringList{});
}

QTEST_MAIN(TestStatementsAndLocks)
#include "StatementsAndLocksTest.moc"
