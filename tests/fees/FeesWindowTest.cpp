// The fee book's and the statistics' windows on a folder, driven as the menu opens them: the
// period's rows and totals shown, the CSV and the PDF written from what is shown (pdftotext),
// and both windows in Czech.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "tests/report/PdfText.h"
#include "data/TableFiles.h"
#include "fees/RegisterFees.h"
#include "fees/TfrmFeeBook.h"
#include "fees/TfrmVisitorStatistics.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"

class FeesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void feeBookShowsSavesAndPrintsThePeriod();
    void statisticsShowTheQuarterByCountry();
    // For a look by eye: TAMAREL_LOOK_DB names a database folder, TAMAREL_LOOK_OUT a folder
    // for the windows' pictures and the PDFs, TAMAREL_LOOK_MONTH the month (M.YYYY); Czech.
    void lookAtBothWindowsInCzech();

private:
    void exec(const QString& sql)
    {
        QString s = sql;
        s.replace("{db}", m_dm->DbPrefix());
        if (!m_dm->ExecStatement(s)) qFatal("%s\n%s", qPrintable(s), qPrintable(m_dm->lastError()));
    }
    QString pdfText(const QString& pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    QStringList cells(QTableWidget* grid, int row)
    {
        QStringList out;
        for (int c = 0; c < grid->columnCount(); ++c) out << (grid->item(row, c) ? grid->item(row, c)->text() : QString());
        return out;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    QString m_saveAs;
};

void FeesWindowTest::init()
{
    const QString folder = m_dir.path() + QStringLiteral("/db%1").arg(QDateTime::currentMSecsSinceEpoch());
    QVERIFY(QDir().mkpath(folder));
    m_dm = std::make_unique<TdmDataModule>(folder);
    data::createTables(m_dm->db(), folder);
    setDataModule(m_dm.get());
    m_language = std::make_unique<TLanguage>();
    m_language->setLanguageIdent(1);
    platform::seams() = platform::Seams{};
    platform::seams().now = [] { return QDateTime(QDate(2026, 4, 2), QTime(10, 0)); };
    platform::seams().messageBox = [](QWidget*, const QString& text, const QString&, platform::Icon, platform::Buttons) {
        qWarning("message: %s", qPrintable(text));
        return int(QMessageBox::Ok);
    };
    platform::seams().chooseSaveFile = [this](const QString&, const QString&, const QString&) { return m_saveAs; };
    registerFeesDialogs(nullptr);
    exec(R"(INSERT INTO "{db}POKOJE.DB" (PID, PNAME) VALUES ("101", "Blue"))");
    exec(R"(INSERT INTO "{db}NASTAVENI.DB" (KEY, VALUE) VALUES ("NAME", "Penzion U Lípy"))");
    exec(R"(INSERT INTO "{db}NASTAVENI.DB" (KEY, VALUE) VALUES ("FEERATE", "21"))");
    exec(R"(INSERT INTO "{db}NASTAVENI.DB" (KEY, VALUE) VALUES ("BEDS.101", "2"))");
    exec(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS) VALUES (0, "101", "30.3.2026", "2.4.2026", "O", 2))");
    exec(R"(INSERT INTO "{db}HOSTE.DB" (BID, SURNAME, NAME, CITIZEN, DATEBIRTH, DATEFROM, DATETHRU) VALUES (1, "Müller", "Anna", "DEU", "01.02.1975", "30.3.2026", "2.4.2026"))");
    exec(R"(INSERT INTO "{db}HOSTE.DB" (BID, SURNAME, NAME, CITIZEN, DATEBIRTH, DATEFROM, DATETHRU) VALUES (1, "Müller", "Max", "DEU", "01.02.2012", "30.3.2026", "2.4.2026"))");
}

void FeesWindowTest::cleanup()
{
    fees::unregisterFeesDialogs();
    setDataModule(nullptr);
    m_dm.reset();
    platform::seams() = platform::Seams{};
}

void FeesWindowTest::feeBookShowsSavesAndPrintsThePeriod()
{
    TfrmFeeBook* w = fees::feeBookDialog();
    QVERIFY(w->FormActivate());
    QCOMPARE(w->dtFrom->date(), QDate(2026, 4, 1));   // this month
    QCOMPARE(w->grFees->rowCount(), 0);
    w->dtFrom->setDate(QDate(2026, 3, 1));
    w->btShow->click();
    QCOMPARE(w->grFees->rowCount(), 2);
    QCOMPARE(cells(w->grFees, 0), (QStringList{"30.3.2026", "2.4.2026", "Müller Anna", "01.02.1975", "", "3", "21.00", "63.00", ""}));
    QCOMPARE(cells(w->grFees, 1).mid(5), (QStringList{"3", "21.00", "0.00", "under 18 on arrival"}));
    QCOMPARE(w->lbSummary->text(), QStringLiteral("Persons: 2, nights: 6, exempt: 1 / 3, fee (CZK): 63.00"));

    m_saveAs = m_dir.filePath(QStringLiteral("book.csv"));
    QVERIFY(w->saveCsv());
    QFile csv(m_saveAs);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(csv.readAll().endsWith("\r\ntotal;;;;;;;;6;;63.00;\r\n"));
    m_saveAs = m_dir.filePath(QStringLiteral("book.pdf"));
    QVERIFY(w->savePdf());
    const QSizeF sheet = testpdf::pageSize(m_saveAs);
    QVERIFY2(sheet.width() > sheet.height(), "the fee book is printed on A4 landscape");
    const QString text = pdfText(m_saveAs);
    QVERIFY2(text.contains(QStringLiteral("Penzion U Lípy")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Accommodation fee book 01.03.2026 - 02.04.2026")));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("1\\s+30.03.2026\\s+02.04.2026\\s+Müller Anna\\s+01.02.1975\\s+3\\s+21.00\\s+63.00"))));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("Fee collected \\(CZK\\):\\s+63.00"))));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("1 ?/ ?1\\s*$"))));
    m_saveAs = m_dir.filePath(QStringLiteral("no/such/folder/book.csv"));
    QVERIFY(!w->saveCsv());

    m_language->setLanguageIdent(2);
    m_language->TranslateAll();
    QVERIFY(w->FormActivate());
    w->dtFrom->setDate(QDate(2026, 3, 1));
    w->btShow->click();
    QCOMPARE(w->windowTitle(), QStringLiteral("Kniha poplatků z pobytu"));
    QCOMPARE(w->grFees->horizontalHeaderItem(8)->text(), QStringLiteral("Osvobození"));
    QCOMPARE(w->grFees->item(1, 8)->text(), QStringLiteral("mladší 18 let v den příjezdu"));
}

void FeesWindowTest::statisticsShowTheQuarterByCountry()
{
    TfrmVisitorStatistics* w = fees::visitorStatisticsDialog();
    QVERIFY(w->FormActivate());
    QCOMPARE(w->cmbPart->currentIndex(), 2);   // March, the month just ended
    QCOMPARE(cells(w->grCountries, 0), (QStringList{"DEU", "Germany", "2", "4"}));
    w->cmbKind->setCurrentIndex(1);
    w->cmbKind->activated(1);
    w->cmbPart->setCurrentIndex(1);   // Q2
    w->btShow->click();
    QCOMPARE(w->grCountries->rowCount(), 2);
    QCOMPARE(cells(w->grCountries, 0), (QStringList{"DEU", "Germany", "0", "2"}));
    QCOMPARE(cells(w->grCountries, 1), (QStringList{"Total", "", "0", "2"}));
    QCOMPARE(w->lbSummary->text(), QStringLiteral("Rooms: 1, Beds: 2, Days open: 91"));
    m_saveAs = m_dir.filePath(QStringLiteral("stats.pdf"));
    QVERIFY(w->savePdf());
    const QString text = pdfText(m_saveAs);
    QVERIFY2(text.contains(QStringLiteral("Guests by country 01.04.2026 - 30.06.2026")), qPrintable(text));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("DEU\\s+Germany\\s+0\\s+2"))));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("Days open:\\s+91"))));

    m_language->setLanguageIdent(2);
    m_language->TranslateAll();
    QVERIFY(w->FormActivate());
    QCOMPARE(w->windowTitle(), QStringLiteral("Hosté podle zemí"));
    QCOMPARE(w->cmbPart->currentText(), QStringLiteral("březen"));
    QCOMPARE(cells(w->grCountries, 0), (QStringList{"DEU", "Německo", "2", "4"}));
}

void FeesWindowTest::lookAtBothWindowsInCzech()
{
    const QString db = qEnvironmentVariable("TAMAREL_LOOK_DB"), out = qEnvironmentVariable("TAMAREL_LOOK_OUT");
    if (db.isEmpty() || out.isEmpty()) QSKIP("TAMAREL_LOOK_DB and TAMAREL_LOOK_OUT are not set");
    const auto month = fees::parseStatPeriod(qEnvironmentVariable("TAMAREL_LOOK_MONTH"));
    QVERIFY(month);
    setDataModule(nullptr);
    m_dm = std::make_unique<TdmDataModule>(db);
    setDataModule(m_dm.get());
    m_language->setLanguageIdent(2);
    m_language->TranslateAll();
    TfrmFeeBook* book = fees::feeBookDialog();
    QVERIFY(book->FormActivate());
    book->dtFrom->setDate(month->from);
    book->dtThru->setDate(month->thru);
    QVERIFY(book->reload());
    book->show();
    book->grab().save(out + "/fee-book-cs.png");
    m_saveAs = out + "/fee-book-cs.pdf";
    QVERIFY(book->savePdf());
    TfrmVisitorStatistics* stats = fees::visitorStatisticsDialog();
    QVERIFY(stats->FormActivate());
    stats->spYear->setValue(month->from.year());
    stats->cmbPart->setCurrentIndex(month->from.month() - 1);
    QVERIFY(stats->reload());
    stats->show();
    stats->grab().save(out + "/statistics-cs.png");
    m_saveAs = out + "/statistics-cs.pdf";
    QVERIFY(stats->savePdf());
}

QTEST_MAIN(FeesWindowTest)
#include "FeesWindowTest.moc"
