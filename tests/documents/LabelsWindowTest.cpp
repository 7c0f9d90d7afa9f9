// The address labels driven through the "Print labels" dialog on a temporary database folder,
// with the home folder, the printer and the preview answered through seams: the labels read
// back from PDF, the sheet layouts, the export file, and the failures.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "data/TableFiles.h"
#include "documents/RegisterLabels.h"
#include "documents/TfrmClientLabels.h"
#include "documents/TfrmPrintLabels.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "platform/Printer.h"
#include "report/PreviewWindow.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "tests/report/PdfText.h"

class TestLabels : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void labelsArePrintedAndExported();
    void sheetLayoutsAndKeptChoices();
    void nothingToPrint_data();
    void nothingToPrint();
    void windowLooksRightInBothLanguages();

private:
    // Runs "Print labels" with the action and size chosen as the user does.
    int run(int action, int size, const std::function<void(TfrmPrintLabels&)>& more = {});
    void client(const QString& title, const QString& name, const QString& surname, const QString& address,
                const QString& postal, const QString& city, const QString& country);
    QByteArray exported() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QStringList m_messages;
    QString m_pdfPath;
    QList<int> m_previewPages;
    QByteArray m_home;
};

void TestLabels::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
    m_home = qgetenv("HOME");
}

void TestLabels::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir(m_dir->path()).mkpath("DB");
    QDir(m_dir->path()).mkpath("home");
    qputenv("HOME", m_dir->filePath("home").toLocal8Bit());
    m_dm = std::make_unique<TdmDataModule>(m_dir->filePath("DB"));
    data::createTables(m_dm->db(), m_dir->filePath("DB"));
    setDataModule(m_dm.get());
    m_language->setLanguageIdent(1);
    m_messages.clear();
    m_previewPages.clear();
    m_pdfPath = m_dir->filePath("labels.pdf");
    platform::seams() = platform::Seams{};
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon,
                                          platform::Buttons) {
        m_messages << text + "|" + caption;
        return int(QMessageBox::Ok);
    };
    platform::printerSeams() = platform::PrinterSeams{};
    platform::printerSeams().printers = [] { return QStringList{}; };
    platform::seams().chooseSaveFile = [this](const QString&, const QString&, const QString&) {
        return m_pdfPath;
    };
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName("frmMain");
    registerLabelsDialogs(m_main.get());
}

void TestLabels::cleanup()
{
    documents::unregisterLabelsDialogs();
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    qputenv("HOME", m_home);
    platform::seams() = platform::Seams{};
    platform::printerSeams() = platform::PrinterSeams{};
}

void TestLabels::client(const QString& title, const QString& name, const QString& surname, const QString& address,
                        const QString& postal, const QString& city, const QString& country)
{
    const QString sql = QStringLiteral("INSERT INTO \"%1KARTY.DB\" (TITLE, NAME, SURNAME, ADDRESS, POSTAL, CITY, "
                                       "COUNTRY) VALUES (%2, %3, %4, %5, %6, %7, %8)")
                            .arg(m_dm->DbPrefix(), shell::QuoteText(title), shell::QuoteText(name),
                                 shell::QuoteText(surname), shell::QuoteText(address), shell::QuoteText(postal),
                                 shell::QuoteText(city), shell::QuoteText(country));
    if (!m_dm->ExecStatement(sql)) qFatal("%s", qPrintable(m_dm->lastError()));
}

QByteArray TestLabels::exported() const
{
    QFile file(m_dir->filePath("home/stitky.csv"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

int TestLabels::run(int action, int size, const std::function<void(TfrmPrintLabels&)>& more)
{
    platform::seams().runModal = [&](QDialog* d) {
        if (auto* preview = qobject_cast<report::PreviewWindow*>(d)) {
            m_previewPages << int(preview->pages().size());
            report::writePdf(m_pdfPath, "preview", preview->pages());
            return int(QDialog::Accepted);
        }
        auto* dialog = static_cast<TfrmPrintLabels*>(d);
        d->setResult(QDialog::Rejected);
        d->show();
        if (!QTest::qWaitForWindowExposed(d)) qWarning("the dialog was not shown");
        if (more) more(*dialog);
        for (auto [box, index] : {std::pair{dialog->cmbAction, action}, std::pair{dialog->cmbLabelsSize, size}}) {
            box->setFocus();
            while (box->currentIndex() < index) QTest::keyClick(box, Qt::Key_Down);
            while (box->currentIndex() > index) QTest::keyClick(box, Qt::Key_Up);
        }
        QTest::mouseClick(dialog->btOk, Qt::LeftButton);
        QCoreApplication::processEvents();
        const int result = d->result();
        d->hide();
        return result;
    };
    return platform::openDialog(platform::dialogs::Labels);
}

void TestLabels::labelsArePrintedAndExported()
{
    client("Ing.", "Jan", "Novák", "Dlouhá 5", "110 00", "Praha 1", "CZ");
    client("", "", "Smith", "1 High Street", "", "York", "United Kingdom");
    client("Dr.", "", "Weber", "Hauptstr. 1; Hof", "10115", "Berlin", "Deutschland");
    client("", "Anna", "Malá", "Nová 2", "602 00", "Brno", "česká republika");
    client("", "Eva", "Adamová", "", "", "Brno", "CZ");          // no address: no label
    client("", "Petr", "Beneš", "Lipová 1", "", "", "CZ");       // no city: no label
    client("Mr.", "John", "", "2 Low Road", "", "Leeds", "UK");  // no surname: no label
    client("", "Zdeněk", "Černý", "Jiráskova 9", "301 00", "Plzeň", "Česká republika");

    QCOMPARE(run(1, 0), int(QDialog::Accepted));
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(testpdf::pageCount(m_pdfPath), 1);
    const QString text = testpdf::text(m_pdfPath);
    // Three labels across, in the order surname, first name.
    const QStringList lines = text.split('\n');
    auto row = [&](const QString& first) {
        for (const QString& l : lines)
            if (l.trimmed().startsWith(first)) return testpdf::squeezed(l.trimmed());
        return QString("(missing) ") + first;
    };
    QCOMPARE(row("Zdeněk"), QString::fromUtf8("Zdeněk Černý Anna Malá Ing. Jan Novák"));
    QCOMPARE(row("Jiráskova"), QString::fromUtf8("Jiráskova 9 Nová 2 Dlouhá 5"));
    QCOMPARE(row("301 00"), QString::fromUtf8("301 00 Plzeň 602 00 Brno 110 00 Praha 1"));
    QCOMPARE(row("česká"), QString::fromUtf8("česká republika"));
    QCOMPARE(row("Smith"), QString::fromUtf8("Smith Dr. Weber"));
    QCOMPARE(row("United"), QString::fromUtf8("United Kingdom Deutschland"));
    QVERIFY(!text.contains("Adamov") && !text.contains("Bene") && !text.contains("Leeds"));

    QCOMPARE(exported(), QByteArray("Zden\xec\x6b \xc8" "ern\xfd;Jir\xe1skova 9;301 00    Plze\xf2;\r\n"
                                    "Anna Mal\xe1;Nov\xe1 2;602 00    Brno;\xe8" "esk\xe1 republika\r\n"
                                    "Ing. Jan Nov\xe1k;Dlouh\xe1 5;110 00    Praha 1;\r\n"
                                    "Smith;1 High Street;York;United Kingdom\r\n"
                                    "Dr. Weber;\"Hauptstr. 1; Hof\";10115    Berlin;Deutschland\r\n"));
    const QString keep = qEnvironmentVariable("TAMAREL_LOOK_DIR");
    if (!keep.isEmpty()) QFile::copy(m_pdfPath, keep + "/labels.pdf");
}

void TestLabels::sheetLayoutsAndKeptChoices()
{
    for (int i = 0; i < 22; ++i)
        client("", "", QStringLiteral("Surname%1").arg(i, 2, 10, QLatin1Char('0')), "Street", "", "City", "CZ");
    // Preview of 3x7: 21 labels a sheet; 3x8: 24; 3x7 again: 21.
    run(0, 0);
    run(0, 1);
    QString keptAction, keptSize;
    run(0, 0, [&](TfrmPrintLabels& d) {
        keptAction = d.cmbAction->currentText();
        keptSize = d.cmbLabelsSize->currentText();
    });
    QCOMPARE(m_previewPages, QList<int>({2, 1, 2}));
    QCOMPARE(keptSize, QString("3x8"));
    QCOMPARE(keptAction, QString("Preview"));
    QCOMPARE(testpdf::pageCount(m_pdfPath), 2);
    QCOMPARE(exported().count("\r\n"), 22);
}

void TestLabels::nothingToPrint_data()
{
    QTest::addColumn<bool>("tableMissing");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no client with an address") << false << QStringList{};
    QTest::newRow("the client table cannot be read") << true << QStringList{"Can't load the data|Labels"};
}

void TestLabels::nothingToPrint()
{
    QFETCH(bool, tableMissing);
    QFETCH(QStringList, messages);
    client("", "", "Smith", "", "", "York", "UK");
    QFile old(m_dir->filePath("home/stitky.csv"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("older export\r\n");
    old.close();
    if (tableMissing) {
        m_dm->db().releaseTables();
        QVERIFY(QFile::remove(m_dir->filePath("DB/KARTY.DB")));
    }
    QCOMPARE(run(0, 0), int(QDialog::Accepted));
    QCOMPARE(m_messages, messages);
    QCOMPARE(m_previewPages, QList<int>{});
    QCOMPARE(exported(), QByteArray());
}

void TestLabels::windowLooksRightInBothLanguages()
{
    QStringList captions, clipped;
    const QString folder = qEnvironmentVariable("TAMAREL_LOOK_DIR");
    platform::seams().runModal = [&](QDialog* d) {
        auto* dialog = static_cast<TfrmPrintLabels*>(d);
        d->show();
        if (!QTest::qWaitForWindowExposed(d)) qWarning("the dialog was not shown");
        // The user's choice of action survives every translation of the window.
        dialog->cmbAction->setCurrentIndex(1);
        for (int language : {1, 2}) {
            m_language->setLanguageIdent(language);
            currentLanguage()->TranslateAll();
            d->adjustSize();
            captions << d->windowTitle() << dialog->lbLabelSize->text() << dialog->cmbAction->itemText(1)
                     << dialog->cmbAction->currentText();
            for (QWidget* w : d->findChildren<QWidget*>()) {
                if ((qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) &&
                    w->width() < w->sizeHint().width())
                    clipped << w->objectName();
            }
            if (!folder.isEmpty()) d->grab().save(folder + QStringLiteral("/print-labels-%1.png").arg(language));
        }
        m_language->setLanguageIdent(1);
        currentLanguage()->TranslateAll();
        d->hide();
        return int(QDialog::Rejected);
    };
    platform::openDialog(platform::dialogs::Labels);
    QCOMPARE(captions, QStringList({"Print labels", "Page size:", "Print", "Print", QString::fromUtf8("Tisk štítků"),
                                    QString::fromUtf8("Formát archu:"), "Tisk", "Tisk"}));
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(' ')));
    QCOMPARE(documents::clientLabels()->windowTitle(), QString("Labels"));
    QCOMPARE(m_language->collectedMessages(), 0);
}

QTEST_MAIN(TestLabels)
#include "LabelsWindowTest.moc"
