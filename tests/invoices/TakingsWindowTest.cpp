// The day's takings window: it opens on today's paid accounts, shows what its CSV and its PDF
// (pdftotext) hold, refuses a period that ends before it begins, and speaks Czech. (The
// takings on the server: TakingsToolTest.)
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "TestFolder.h"
#include "data/TableFiles.h"
#include "invoices/TakingsWindow.h"
#include "invoices/TfrmBuyer.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"

using enginetest::Storage;

class TakingsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theWindowShowsPrintsAndSavesTheDaysTakings();
    void theWindowSpeaksCzech();

private:
    void open()
    {
        const enginetest::TestDb db = enginetest::emptyDb(Storage::Files);
        m_prefix = QString::fromStdString(db.prefix);
        m_dm = std::make_unique<TdmDataModule>(QString::fromStdString(db.location));
        data::createTables(m_dm->db(), QString::fromStdString(db.location));
        setDataModule(m_dm.get());
        for (QString sql : {R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME) VALUES ("Nováková", "Eva"))",
                            R"(INSERT INTO "{db}UCTY.DB" (KID, FORMPAYM, DATEPAYM, TOTALEUR, TOTALCZK) VALUES (1, "C", "10.12.2026", 1234.5, 30862.5))",
                            R"(INSERT INTO "{db}UCTY.DB" (KID, FORMPAYM, DATEPAYM, TOTALEUR, TOTALCZK) VALUES (1, "M", "9.12.2026", 10, 250))",
                            R"(INSERT INTO "{db}UCTYPOL.DB" (UID, TAXRATE, AMNTEUR, AMNTCZK) VALUES (1, 12, 1234.5, 30862.5))",
                            R"(INSERT INTO "{db}FAKTURY.DB" (INVYEAR, INVSEQ, INVNO, UID) VALUES (2026, 9, "2026-000009", 1))"}) {
            sql.replace("{db}", m_prefix);
            if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
        }
    }
    static QStringList cells(QTableWidget* g)
    {
        QStringList rows;
        for (int r = 0; r < g->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < g->columnCount(); ++c) row << (g->item(r, c) ? g->item(r, c)->text() : QString());
            rows << row.join(u'|');
        }
        return rows;
    }

    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<TdmDataModule> m_dm;
    QString m_prefix;
    QTemporaryDir m_dir;
    QStringList m_messages;
};

void TakingsWindowTest::init()
{
    m_language = std::make_unique<TLanguage>();
    m_messages.clear();
    platform::seams() = platform::Seams{};
    platform::seams().now = [] { return QDateTime(QDate(2026, 12, 10), QTime(21, 0)); };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString&, platform::Icon, platform::Buttons) {
        m_messages << text;
        return int(QMessageBox::Ok);
    };
    platform::seams().runModal = [](QDialog* d) { return int(d->result()); };
    platform::seams().chooseSaveFile = [this](const QString&, const QString& file, const QString&) {
        const QString keep = qEnvironmentVariable("TAMAREL_KEEP_PDF");
        return (keep.isEmpty() ? m_dir.path() : keep) + QLatin1Char('/') + file;
    };
    registerTakingsDialogs(nullptr);
}

void TakingsWindowTest::cleanup()
{
    invoices::unregisterTakingsDialogs();
    setDataModule(nullptr);
    m_dm.reset();
    m_language.reset();
}

void TakingsWindowTest::theWindowShowsPrintsAndSavesTheDaysTakings()
{
    open();
    TfrmTakings* w = invoices::takingsDialog();
    QVERIFY(w->FormActivate());
    QCOMPARE(cells(w->grAccounts), QStringList{"10.12.2026|1|2026-000009|Nováková Eva|Card|1 234.50|30 862.50"});
    QCOMPARE(cells(w->grTotals), (QStringList{"Card|1|1 234.50|30 862.50", "Cash|0|0.00|0.00", "Bank transfer|0|0.00|0.00",
                                              "Other|0|0.00|0.00", "VAT 12 %||1 234.50|30 862.50", "Total|1|1 234.50|30 862.50"}));
    // A period: both days; the CSV and the PDF hold what the window shows.
    w->dtFrom->setDate(QDate(2026, 12, 9));
    QTest::mouseClick(w->btShow, Qt::LeftButton);
    QCOMPARE(w->grAccounts->rowCount(), 2);
    QVERIFY(w->saveCsv());
    QVERIFY(w->savePdf());
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), platform::seams().chooseSaveFile({}, QStringLiteral("takings.pdf"), {}),
                                          QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* expected : {"Day's takings 09.12.2026 - 10.12.2026", "2026-000009", "Nováková Eva", "1 234.50", "By VAT rate",
                                 "12 %", "1 244.50", "31 112.50"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(QString::fromUtf8(expected) + "\n" + text));
    // The end before the beginning is said, and the list stays as it was.
    w->dtThru->setDate(QDate(2026, 12, 1));
    QVERIFY(!w->reload());
    QCOMPARE(m_messages, QStringList{"The period ends before it begins."});
    QCOMPARE(w->grAccounts->rowCount(), 2);
}

void TakingsWindowTest::theWindowSpeaksCzech()
{
    open();
    m_language->setLanguageIdent(2);
    m_language->TranslateAll();
    TfrmTakings* w = invoices::takingsDialog();
    QVERIFY(w->FormActivate());
    QCOMPARE(w->windowTitle(), QStringLiteral("Tržby dne"));
    QCOMPARE(w->btCsv->text(), QStringLiteral("Uložit jako CSV..."));
    QCOMPARE(w->grAccounts->horizontalHeaderItem(2)->text(), QStringLiteral("Faktura"));
    QCOMPARE(cells(w->grTotals).value(1), QStringLiteral("Hotově|0|0.00|0.00"));
    QCOMPARE(cells(w->grTotals).value(4), QStringLiteral("DPH 12 %||1 234.50|30 862.50"));
    // The buyer dialog in Czech says what the register answered in Czech.
    TfrmBuyer* buyer = invoices::buyerDialog();
    buyer->FormActivate({});
    buyer->edIco->setText(QStringLiteral("2707435"));
    QVERIFY(!buyer->fillFromAres());
    QCOMPARE(buyer->btAres->text(), QStringLiteral("Doplnit z ARES"));
    QCOMPARE(buyer->lbAresState->text(), QStringLiteral("Kontrolní číslice IČO nesouhlasí; některá číslice je chybně opsaná."));
    if (const QString keep = qEnvironmentVariable("TAMAREL_KEEP_PDF"); !keep.isEmpty()) {
        buyer->show();
        buyer->grab().save(keep + QStringLiteral("/buyer-cs.png"));
        buyer->hide();
        w->show();
        w->grab().save(keep + QStringLiteral("/takings-cs.png"));
        w->hide();
        w->dtFrom->setDate(QDate(2026, 12, 9));
        w->reload();
        w->savePdf();
    }
}

QTEST_MAIN(TakingsWindowTest)
#include "TakingsWindowTest.moc"
