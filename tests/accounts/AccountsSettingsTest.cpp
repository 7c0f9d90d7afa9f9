// The account item types editor and the exchange rates dialog driven through their controls,
// opened from the main menu's seam; the tables are checked afterwards.
#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QTableView>

#include "../rooms/SettingsFixture.h"
#include "accounts/TfrmModifActPolDef.h"
#include "accounts/TfrmRates.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <sqlite3.h>
#include "platform/DialogSeam.h"
#include "lang/Language.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"

namespace {
const QString kNote = QStringLiteral("Tamarel|Value \"-1\" in tax columns means \"Not available\"");
const QString kNotFilled = QStringLiteral("Rates|Data not filled properly");
}

class TestAccountSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    void itemTypesNoteFreeRowAndDelete();
    void itemTypeTypedTwiceIsRefused();
    void ratesInsertReplaceAndChecks_data();
    void ratesInsertReplaceAndChecks();
    void rateLookupAroundTheStoredDates();
    void failedWriteIsReported_data();
    void failedWriteIsReported();
    void ratesGridShowsWholeDatesAndTitles();

private:
    TfrmRates* rates() const { return settingsWindows().frmRates; }
    QStringList listed() const;
    SettingsFixture f;
    TLanguage* m_language = nullptr;
};

void TestAccountSettings::initTestCase()
{
    m_language = new TLanguage(this);
    m_language->setLanguageIdent(1);
}

QStringList TestAccountSettings::listed() const
{
    QStringList out;
    auto* model = rates()->dbgRates->model();
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data().toString() + "|" + model->index(r, 1).data().toString() + "|" +
                   model->index(r, 2).data().toString();
    return out;
}

void TestAccountSettings::itemTypesNoteFreeRowAndDelete()
{
    f.exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, \"Accomodation\", 5, -1)");
    f.scripts["frmModifActPolDef"] = [this](QDialog*) {
        auto* w = settingsWindows().frmModifActPolDef;
        TableGrid* g = w->dbgUCPODEF;
        QCOMPARE(f.messages, QStringList{kNote});
        // One type: a free row waits below it, and the type itself stays editable.
        QCOMPARE(g->model()->rowCount(), 2);
        QCOMPARE(g->currentRow(), 0);
        SettingsFixture::type(g, 0, 3, "10");
        SettingsFixture::type(g, 1, 0, "2");
        SettingsFixture::type(g, 1, 1, "Maid service");
        SettingsFixture::type(g, 1, 2, "19");
        SettingsFixture::type(g, 1, 3, "-1");
        SettingsFixture::key(g, Qt::Key_Up);
        QCOMPARE(g->model()->rowCount(), 3);
        f.answers = {QMessageBox::No};
        w->mnDelete->trigger();
        QCOMPARE(g->model()->rowCount(), 3);
        SettingsFixture::type(g, 2, 1, "Telephone");   // the free row, given up again by Delete
        w->mnDelete->trigger();
        QCOMPARE(g->model()->rowCount(), 3);
    };
    platform::openDialog(platform::dialogs::AcctItemTypes);
    QCOMPARE(f.messages, (QStringList{kNote, "Account Item Types Definition|Are you sure to delete this record?"}));
    QCOMPARE(f.rows("SELECT UPID, UPNAME, UPTAX1, UPTAX2 FROM \"{db}UCPODEF.DB\" ORDER BY UPID"),
             (QStringList{"1|Accomodation|5|10", "2|Maid service|19|-1"}));
    // The note comes with every opening.
    f.scripts.clear();
    f.answers = {};
    platform::openDialog(platform::dialogs::AcctItemTypes);
    QCOMPARE(f.messages.count(kNote), 2);
}

void TestAccountSettings::itemTypeTypedTwiceIsRefused()
{
    f.exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, \"Accomodation\", 5, -1)");
    f.scripts["frmModifActPolDef"] = [this](QDialog* d) {
        TableGrid* g = settingsWindows().frmModifActPolDef->dbgUCPODEF;
        SettingsFixture::type(g, 1, 0, "1");
        SettingsFixture::type(g, 1, 1, "Phone");
        d->close();
        QVERIFY(d->isVisible());
        QCOMPARE(g->currentRow(), 1);
        QCOMPARE(g->currentText("UPNAME"), QString("Phone"));
        SettingsFixture::type(g, 1, 0, "3");
    };
    platform::openDialog(platform::dialogs::AcctItemTypes);
    QCOMPARE(f.messages.size(), 2);
    QVERIFY(f.messages.at(1).contains("Key violation"));
    QVERIFY(!f.stillOpenAfterClose);
    QCOMPARE(f.rows("SELECT UPID, UPNAME FROM \"{db}UCPODEF.DB\" ORDER BY UPID"), (QStringList{"1|Accomodation", "3|Phone"}));
}

void TestAccountSettings::ratesInsertReplaceAndChecks_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("stored");
    const QStringList before{"10.3.2004|EUR|25.4", "1.3.2004|EUR|25.1"};
    QTest::newRow("new date") << "5.3.2004" << "25.2" << ""
                              << QStringList{"10.3.2004|EUR|25.4", "5.3.2004|EUR|25.2", "1.3.2004|EUR|25.1"};
    QTest::newRow("existing date replaced") << "01.03.2004" << "25.50" << ""
                                            << QStringList{"10.3.2004|EUR|25.4", "1.3.2004|EUR|25.5"};
    QTest::newRow("decimal comma") << "20.3.2004" << "25,5" << ""
                                   << QStringList{"20.3.2004|EUR|25.5", "10.3.2004|EUR|25.4", "1.3.2004|EUR|25.1"};
    QTest::newRow("negative rate taken") << "2.3.2004" << "-1" << ""
                                         << QStringList{"10.3.2004|EUR|25.4", "2.3.2004|EUR|-1", "1.3.2004|EUR|25.1"};
    QTest::newRow("no date") << "" << "25" << kNotFilled << before;
    QTest::newRow("zero rate") << "5.3.2004" << "0" << kNotFilled << before;
    QTest::newRow("empty rate") << "5.3.2004" << "" << kNotFilled << before;
}

void TestAccountSettings::ratesInsertReplaceAndChecks()
{
    QFETCH(QString, date);
    QFETCH(QString, rate);
    QFETCH(QString, message);
    QFETCH(QStringList, stored);
    f.exec("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"1.3.2004\", \"EUR\", 25.1)");
    f.exec("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"10.3.2004\", \"EUR\", 25.4)");
    f.scripts["frmRates"] = [&](QDialog*) {
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(rates()->edDateFrom));
        QCOMPARE(listed(), (QStringList{"10.3.2004|EUR|25.4", "1.3.2004|EUR|25.1"}));
        rates()->edDateFrom->setText(date);
        rates()->edRate->setText(rate);
        QTest::mouseClick(rates()->btInsert, Qt::LeftButton);
        QCOMPARE(listed(), stored);
        // The entry fields keep what was typed.
        QCOMPARE(rates()->edRate->text(), rate);
    };
    platform::openDialog(platform::dialogs::Rates);
    QCOMPARE(f.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(f.rows("SELECT RDATE, CRCD, CRR FROM \"{db}KURZY.DB\" ORDER BY RDATE DESC"), stored);
}

void TestAccountSettings::rateLookupAroundTheStoredDates()
{
    f.scripts["frmRates"] = [this](QDialog*) {
        for (const auto& [date, rate] : {std::pair{"1.1.2004", "25.1"}, std::pair{"1.7.2004", "26"}}) {
            rates()->edDateFrom->setText(date);
            rates()->edRate->setText(rate);
            QTest::mouseClick(rates()->btInsert, Qt::LeftButton);
        }
    };
    platform::openDialog(platform::dialogs::Rates);
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(f.dm->CurrentRate("30.6.2004"), 25.1);
    QCOMPARE(f.dm->CurrentRate("1.7.2004"), 26.0);
    QCOMPARE(f.dm->CurrentRate(""), 26.0);
    QCOMPARE(f.dm->CurrentRate("31.12.2003"), -1.0);
}

void TestAccountSettings::failedWriteIsReported_data()
{
    QTest::addColumn<bool>("fileMissing");
    QTest::newRow("table file missing: both statements fail") << true;
    QTest::newRow("insert refused and the update finds no row") << false;
}

void TestAccountSettings::failedWriteIsReported()
{
    QFETCH(bool, fileMissing);
    const QString file = f.dm->DbPrefix() + "KURZY.DB";
    if (fileMissing) {
        QVERIFY(QFile::remove(file));
    } else {
        // The table refuses every insert; the date has no rate, so the update changes nothing.
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
        const int rc = sqlite3_exec(db, "CREATE TRIGGER refuse BEFORE INSERT ON KURZY BEGIN SELECT RAISE(ABORT, 'refused'); END",
                                    nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QCOMPARE(rc, SQLITE_OK);
    }
    f.scripts["frmRates"] = [this](QDialog*) {
        rates()->edDateFrom->setText("1.1.2004");
        rates()->edRate->setText("25");
        QTest::mouseClick(rates()->btInsert, Qt::LeftButton);
        QCOMPARE(rates()->dbgRates->model()->rowCount(), 0);
    };
    platform::openDialog(platform::dialogs::Rates);
    QCOMPARE(f.messages.size(), 1);
    // A statement the engine refused is said with the engine's reason under the message.
    if (fileMissing) QVERIFY2(f.messages[0].startsWith("Rates|Can't Insert/Update record\r\n\r\n"), qPrintable(f.messages[0]));
    else QCOMPARE(f.messages[0], QString("Rates|Can't Insert/Update record"));
}

void TestAccountSettings::ratesGridShowsWholeDatesAndTitles()
{
    f.exec("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"11.12.2003\", \"EUR\", 25.125)");
    for (const int language : {1, 2}) {
        m_language->setLanguageIdent(language);
        QStringList cut;
        f.scripts["frmRates"] = [&](QDialog* d) {
            m_language->TranslateAll();
            rates()->FormActivate();
            QTableView* grid = rates()->dbgRates;
            QHeaderView* header = grid->horizontalHeader();
            for (int c = 0; c < 3; ++c) {
                const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
                const QString text = grid->model()->index(0, c).data().toString();
                // Room for the text and the cell's margins, as the view measures them.
                if (header->sectionSize(c) < header->sectionSizeHint(c)) cut << "title " + title;
                if (grid->columnWidth(c) < static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c)) cut << "cell " + text;
            }
            if (grid->horizontalScrollBar()->maximum() > 0) cut << "grid narrower than its columns";
            // TAMAREL_SHOTS=folder keeps a picture of the window for a look.
            if (qEnvironmentVariableIsSet("TAMAREL_SHOTS"))
                d->grab().save(qEnvironmentVariable("TAMAREL_SHOTS") + QStringLiteral("/frmRates-%1.png").arg(language));
        };
        platform::openDialog(platform::dialogs::Rates);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(", ")));
    }
    m_language->setLanguageIdent(1);
}

QTEST_MAIN(TestAccountSettings)
#include "AccountsSettingsTest.moc"
