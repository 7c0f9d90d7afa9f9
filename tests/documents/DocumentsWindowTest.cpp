// The account printout and the registration card driven through their windows on a
// temporary database folder, with the clock fixed, message boxes answered and the printer
// seam replaced: each document is rendered to PDF and read back with pdftotext (texts,
// amounts, dates, crosses, page count); the card data's write-back is checked in the table.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "data/TableFiles.h"
#include "documents/RegisterDocuments.h"
#include "documents/TfrmPrintAccounts.h"
#include "documents/TfrmRegCard.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "platform/Printer.h"
#include "report/PreviewWindow.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "tests/report/PdfText.h"

class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void oneStayIsChosenSeveralMustBePicked();
    void accountPrintsItsLinesAndTotalInEUR();
    void accountInCZK();
    void sameRoomTwiceIsReportedAndStillPrints();
    void roomWithoutChargesShowsNothing();
    void printingWithoutPrinterOffersAPdf();

    void regCardOpensWithTheClientsCard();
    void regCardWritesTheCardBackAndPrintsIt();
    void regCardWithCashLeavesTheClientCardAlone();
    void regCardReportsAFailedWriteBack();
    void regCardOfAStayWithoutNights();

    void windowsLookRight();

private:
    void exec(QString sql);
    QString client(const QString& field, int kid);
    // Opens a dialog through the seam; drive() works on it while it is "modal". Every
    // preview shown meanwhile is written to PDF files in m_pdfs.
    int open(const QString& name, const QVariantMap& args, const std::function<void(QDialog&)>& drive);
    QString lastPdfText() const { return testpdf::text(m_pdfs.last()); }
    QStringList messages() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QStringList m_messageTexts;
    QStringList m_pdfs;
    int m_previews = 0;
};

void TestDocuments::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
}

void TestDocuments::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dm = std::make_unique<TdmDataModule>(m_dir->path());
    data::createTables(m_dm->db(), m_dir->path());
    setDataModule(m_dm.get());
    options() = TOptions{};
    m_language->setLanguageIdent(1);
    m_messageTexts.clear();
    m_pdfs.clear();
    m_previews = 0;
    platform::seams() = platform::Seams{};
    platform::printerSeams() = platform::PrinterSeams{};
    platform::seams().now = [] { return QDateTime(QDate(2004, 3, 1), QTime(9, 5, 7)); };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString&, platform::Icon,
                                          platform::Buttons) {
        m_messageTexts << text;
        return int(QMessageBox::Ok);
    };
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName("frmMain");
    registerAccountPrintout(m_main.get());
    registerRegistrationCard(m_main.get());

    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"12\", \"Modrý\", 1, 55.5, 5)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"14\", \"Zelený\", 1, 80, 0)");
    exec("INSERT INTO \"{db}KARTY.DB\" (SURNAME, NAME, TITLE, ADDRESS, CITY, POSTAL, COUNTRY, PASSPORT, DATEBIRTH, "
         "PLACEBIRTH, CARDNUM, CARDTYPE, CARDEXP) VALUES (\"Nováková\", \"Jiřina\", \"Ing.\", \"Údolní 5\", \"Brno\", "
         "\"602 00\", \"Česká republika\", \"P1234567\", \"5.3.1970\", \"Žďár\", \"4111 2222 3333 4444\", \"VISA\", \"12/05\")");
    // Account 1: closed, paid by card on 16.9.2002; rooms 12 and 14.
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, UFROM, UTHRU, FORMPAYM, DATEPAYM) VALUES (1, \"13.9.2002\", \"16.9.2002\", \"C\", \"16.9.2002\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, UID) "
         "VALUES (1, \"12\", \"13.9.2002\", \"16.9.2002\", \"O\", 1, 250.5, 1)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, \"Ubytování\", 5, 5)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (2, \"Minibar\", 21, 15)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (4, \"Parkování\", 21, 21)");
    const char* charges[] = {
        "1, \"Ubytování - Modrý\", 5, 1000, 25000",
        "1, \"Ubytování - Modrý\", 5, 234.5, 5862.5",
        "2, \"Minibar\", 21, 12.5, 312.5",
        "2, \"Víno\", 15, 7, 175",
        "3, \"Telefon\", 21, 3.25, 81.25",   // its item type was deleted
        "4, \"Parkování\", 21, 10, 250",
    };
    for (const char* c : charges)
        exec(QStringLiteral("INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, TAXRATE, AMNTEUR, AMNTCZK) VALUES (1, \"12\", %1)")
                 .arg(QString::fromUtf8(c)));

    platform::seams().runModal = [this](QDialog* d) {
        if (auto* preview = qobject_cast<report::PreviewWindow*>(d)) {
            ++m_previews;
            const QString path = m_dir->filePath(QStringLiteral("preview%1.pdf").arg(m_previews));
            if (report::writePdf(path, preview->windowTitle(), preview->pages())) m_pdfs << path;
            // TAMAREL_SHOTS=folder keeps every previewed document for a look at full size.
            const QString shots = qEnvironmentVariable("TAMAREL_SHOTS");
            if (!shots.isEmpty())
                QFile::copy(path, QStringLiteral("%1/%2-%3.pdf").arg(shots, QLatin1String(QTest::currentTestFunction())).arg(m_previews));
            return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    };
}

void TestDocuments::cleanup()
{
    documents::unregisterRegistrationCard();
    documents::unregisterAccountPrintout();
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
    platform::printerSeams() = platform::PrinterSeams{};
}

void TestDocuments::exec(QString sql)
{
    sql.replace("{db}", m_dm->DbPrefix());
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

QString TestDocuments::client(const QString& field, int kid)
{
    auto q = m_dm->Open(QStringLiteral("SELECT %1 FROM \"%2KARTY.DB\" WHERE KID=%3").arg(field, m_dm->DbPrefix()).arg(kid));
    return q->next() ? QString::fromStdString(q->text(0)) : QStringLiteral("<no row>");
}

int TestDocuments::open(const QString& name, const QVariantMap& args, const std::function<void(QDialog&)>& drive)
{
    auto previewSeam = platform::seams().runModal;
    platform::seams().runModal = [&, previewSeam](QDialog* d) {
        if (qobject_cast<report::PreviewWindow*>(d)) return previewSeam(d);
        d->setResult(QDialog::Rejected);
        d->show();
        drive(*d);
        QCoreApplication::processEvents();
        const int result = d->result();
        d->hide();
        return result;
    };
    QVariantMap a = args;
    const int result = platform::openDialog(name, a);
    platform::seams().runModal = previewSeam;
    return result;
}

QStringList TestDocuments::messages() const { return m_messageTexts; }

void TestDocuments::oneStayIsChosenSeveralMustBePicked()
{
    open("frmPrintAccounts", {{"UID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmPrintAccounts&>(d);
        QCOMPARE(f.cmbStays->count(), 1);
        QCOMPARE(f.cmbStays->currentText(), QStringLiteral("Modrý"));
        QVERIFY(f.chkFX->isChecked());   // PreferEUR is on by default
    });
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (1, \"14\", \"12.9.2002\", \"14.9.2002\", \"O\", 1)");
    options().PreferEUR = false;
    open("frmPrintAccounts", {{"UID", 1}}, [this](QDialog& d) {
        auto& f = static_cast<TfrmPrintAccounts&>(d);
        QCOMPARE(f.cmbStays->count(), 2);
        QCOMPARE(f.cmbStays->itemText(0), QStringLiteral("Zelený  (12.9.2002 - 14.9.2002)"));
        QCOMPARE(f.cmbStays->itemText(1), QStringLiteral("Modrý  (13.9.2002 - 16.9.2002)"));
        QCOMPARE(f.cmbStays->currentIndex(), -1);
        QVERIFY(!f.chkFX->isChecked());
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
        QCOMPARE(m_previews, 0);   // nothing chosen: nothing happens
        f.cmbStays->setCurrentIndex(1);
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
        QCOMPARE(m_previews, 1);
    });
    QVERIFY(messages().isEmpty());
}

void TestDocuments::accountPrintsItsLinesAndTotalInEUR()
{
    open("frmPrintAccounts", {{"UID", 1}}, [](QDialog& d) {
        QTest::mouseClick(static_cast<TfrmPrintAccounts&>(d).btPreview, Qt::LeftButton);
    });
    QCOMPARE(m_pdfs.size(), 1);
    QCOMPARE(testpdf::pageCount(m_pdfs.last()), 1);
    const QString text = testpdf::squeezed(lastPdfText());
    for (const char* fixed : {"Účet - Pokoj č. 12 Modrý", "NÁZEV HOTELU", "firma: Jméno firmy, adresa", "IČO: 000000000",
                              "DIČ: CZ000000000", "Cena: 55.5 EURO/pokoj/noc + 5 EURO/služby/den",
                              "Pobyt: 13.9.2002 - 16.9.2002", "Pan/Paní.: Ing. Nováková Jiřina",
                              "Identifikace.: P1234567", "Národnost: Česká republika", "Platba: Card",
                              "Datum platby: 16.9.2002"})
        QVERIFY2(text.contains(QString::fromUtf8(fixed)), fixed);
    // One line per type, description and rate; the accommodation's description is printed,
    // the minibar's equal to its type is blank; the charge of the deleted type has a line.
    for (const char* line : {"5 % DPH Ubytování - Modrý 1 234.50 EUR", "21 % DPH 12.50 EUR", "15 % DPH Víno 7.00 EUR",
                             "21 % DPH Telefon 3.25 EUR", "21 % DPH 10.00 EUR", "Celkem 1 267.25 EUR"})
        QVERIFY2(text.contains(QString::fromUtf8(line)), line);
    const QStringList order = {"Ubytování\n", "Minibar\n", "Telefon", "Parkování\n", "Celkem"};
    qsizetype at = -1;
    for (const QString& part : order) {
        const qsizetype found = text.indexOf(part, at + 1);
        QVERIFY2(found > at, qPrintable(part));
        at = found;
    }
    QVERIFY(messages().isEmpty());
}

void TestDocuments::accountInCZK()
{
    m_language->setLanguageIdent(2);   // the payment form follows the language, the rest stays Czech
    open("frmPrintAccounts", {{"UID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmPrintAccounts&>(d);
        f.chkFX->setChecked(false);
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
    });
    const QString text = testpdf::squeezed(lastPdfText());
    QVERIFY(text.contains(QStringLiteral("5 % DPH Ubytování - Modrý 30 862.50 CZK")));
    QVERIFY(text.contains(QStringLiteral("Celkem 31 681.25 CZK")));
    QVERIFY(!text.contains(QRegularExpression(QStringLiteral("\\d EUR\\b"))));
    QVERIFY(text.contains(QStringLiteral("Platba: ") + TranslateMessage(QStringLiteral("Card"))));
    QVERIFY(TranslateMessage(QStringLiteral("Card")) != QStringLiteral("Card"));
}

void TestDocuments::sameRoomTwiceIsReportedAndStillPrints()
{
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (1, \"12\", \"20.9.2002\", \"22.9.2002\", \"O\", 1)");
    open("frmPrintAccounts", {{"UID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmPrintAccounts&>(d);
        QCOMPARE(f.cmbStays->count(), 2);
        f.cmbStays->setCurrentIndex(1);
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
    });
    QCOMPARE(messages(), QStringList{QStringLiteral("Internal error 89 - Invalid number of records")});
    QVERIFY(testpdf::squeezed(lastPdfText()).contains(QStringLiteral("Celkem 1 267.25 EUR")));
}

void TestDocuments::roomWithoutChargesShowsNothing()
{
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (1, \"14\", \"12.9.2002\", \"14.9.2002\", \"O\", 1)");
    bool chooserAsked = false;
    platform::printerSeams().printers = [] { return QStringList{}; };
    platform::seams().chooseSaveFile = [&](const QString&, const QString&, const QString&) {
        chooserAsked = true;
        return QString();
    };
    open("frmPrintAccounts", {{"UID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmPrintAccounts&>(d);
        f.cmbStays->setCurrentIndex(0);   // Zelený, no charges
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
        QTest::mouseClick(f.btPrint, Qt::LeftButton);
    });
    QCOMPARE(m_previews, 0);
    QVERIFY(!chooserAsked);
}

void TestDocuments::printingWithoutPrinterOffersAPdf()
{
    const QString path = m_dir->filePath(QStringLiteral("account.pdf"));
    platform::printerSeams().printers = [] { return QStringList{}; };
    platform::seams().chooseSaveFile = [&](const QString&, const QString&, const QString&) { return path; };
    open("frmPrintAccounts", {{"UID", 1}}, [](QDialog& d) {
        QTest::mouseClick(static_cast<TfrmPrintAccounts&>(d).btPrint, Qt::LeftButton);
    });
    QCOMPARE(testpdf::pageCount(path), 1);
    QVERIFY(testpdf::squeezed(testpdf::text(path)).contains(QStringLiteral("Celkem 1 267.25 EUR")));
}

void TestDocuments::regCardOpensWithTheClientsCard()
{
    open("frmRegCard", {{"BID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmRegCard&>(d);
        QCOMPARE(f.edCardNum->text(), QStringLiteral("4111 2222 3333 4444"));
        QCOMPARE(f.cmbCardType->currentText(), QStringLiteral("VISA"));
        QCOMPARE(f.edCardExp->text(), QStringLiteral("12/05"));
        QCOMPARE(f.edCheckinTime->text(), QStringLiteral("9:05"));
        QVERIFY(f.rbCard->isChecked());
        QVERIFY(f.edCardNum->isEnabled());
        QTest::mouseClick(f.rbCash, Qt::LeftButton);
        QVERIFY(!f.edCardNum->isEnabled() && !f.cmbCardType->isEnabled() && !f.edCardExp->isEnabled());
        f.chkBusiness->setChecked(true);
        f.edUserName->setText(QStringLiteral("Eva"));
    });
    // The user name and the payment choice stay; purpose and time are set anew.
    platform::seams().now = [] { return QDateTime(QDate(2004, 3, 1), QTime(14, 30)); };
    open("frmRegCard", {{"BID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmRegCard&>(d);
        QCOMPARE(f.edUserName->text(), QStringLiteral("Eva"));
        QVERIFY(f.rbCash->isChecked());
        QVERIFY(!f.edCardNum->isEnabled());
        QVERIFY(!f.chkBusiness->isChecked());
        QCOMPARE(f.edCheckinTime->text(), QStringLiteral("14:30"));
    });
}

void TestDocuments::regCardWritesTheCardBackAndPrintsIt()
{
    const int result = open("frmRegCard", {{"BID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmRegCard&>(d);
        f.edCardNum->setText(QStringLiteral("5500'0000 \"77\""));
        f.cmbCardType->setEditText(QStringLiteral("Diner's Club"));
        f.edCardExp->setText(QStringLiteral("01/07"));
        f.chkTravel->setChecked(true);
        f.edUserName->setText(QStringLiteral("Eva Šťastná"));
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(client("CARDNUM", 1), QStringLiteral("5500'0000 \"77\""));
    QCOMPARE(client("CARDTYPE", 1), QStringLiteral("Diner's Club"));
    QCOMPARE(client("CARDEXP", 1), QStringLiteral("01/07"));
    QCOMPARE(client("SURNAME", 1), QStringLiteral("Nováková"));
    QVERIFY(messages().isEmpty());
    QCOMPARE(testpdf::pageCount(m_pdfs.last()), 1);
    const QString text = testpdf::squeezed(lastPdfText());
    for (const char* fixed : {"POČET KLÍČŮ / KEYS:___________", "REGISTRATION CARD", "REGISTRAČNÍ KARTA", "Nováková",
                              "Jiřina", "Ing.", "5.3.1970", "Žďár", "P1234567", "Údolní 5", "602 00", "Česká republika",
                              "Form of payment / Způsob platby card", "Credit card no. / Číslo karty: 5500'0000 \"77\"",
                              "Expiration date / Platnost do: 01/07", "Card type / Typ karty: Diner's Club",
                              "13.9.2002 9:05", "16.9.2002", "Cena 83 EUR", "Eva Šťastná", "Siganture", "Podpis",
                              "Residence Vadrena nenese", "právního řádu České republiky."})
        QVERIFY2(text.contains(QString::fromUtf8(fixed)), fixed);
    // Travel only: Business NO and Tourist YES carry the crosses.
    QVERIFY2(text.contains(QStringLiteral("Business YES x NO")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Tourist x YES NO")));
}

void TestDocuments::regCardWithCashLeavesTheClientCardAlone()
{
    // No printer here: Print offers a PDF file.
    const QString path = m_dir->filePath(QStringLiteral("card.pdf"));
    platform::printerSeams().printers = [] { return QStringList{}; };
    platform::seams().chooseSaveFile = [&](const QString&, const QString&, const QString&) { return path; };
    open("frmRegCard", {{"BID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmRegCard&>(d);
        QTest::mouseClick(f.rbCash, Qt::LeftButton);
        f.edCardNum->setText(QStringLiteral("9999"));
        QTest::mouseClick(f.btPrint, Qt::LeftButton);
    });
    QCOMPARE(client("CARDNUM", 1), QStringLiteral("4111 2222 3333 4444"));
    QCOMPARE(testpdf::pageCount(path), 1);
    const QString text = testpdf::squeezed(testpdf::text(path));
    QVERIFY(text.contains(QStringLiteral("Form of payment / Způsob platby cash")));
    QVERIFY(!text.contains(QStringLiteral("4111")) && !text.contains(QStringLiteral("9999")));
    QVERIFY(!text.contains(QStringLiteral("VISA")));
    QVERIFY(!text.contains(QStringLiteral("x YES")) && !text.contains(QStringLiteral("x NO")));
}

void TestDocuments::regCardReportsAFailedWriteBack()
{
    open("frmRegCard", {{"BID", 1}}, [this](QDialog& d) {
        auto& f = static_cast<TfrmRegCard&>(d);
        exec("DELETE FROM \"{db}KARTY.DB\" WHERE KID=1");   // the card went while the dialog was open
        f.edCardNum->setText(QStringLiteral("5500"));
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
    });
    QCOMPARE(messages(), (QStringList{QStringLiteral("Insert/Update failed."),
                                      QStringLiteral("Internal error 53 in ReportConfirmation - Invalid number of records")}));
    // The card prints with what the guest gave, not with the stale table.
    QVERIFY(testpdf::squeezed(lastPdfText()).contains(QStringLiteral("Credit card no. / Číslo karty: 5500")));
}

void TestDocuments::regCardOfAStayWithoutNights()
{
    exec("UPDATE \"{db}POBYTY.DB\" SET DATETHRU=\"13.9.2002\" WHERE BID=1");
    open("frmRegCard", {{"BID", 1}}, [](QDialog& d) {
        QTest::mouseClick(static_cast<TfrmRegCard&>(d).btPreview, Qt::LeftButton);
    });
    QCOMPARE(m_pdfs.size(), 1);
    const QString text = testpdf::squeezed(lastPdfText());
    QVERIFY(text.contains(QStringLiteral("Cena EUR")));
    QVERIFY(text.contains(QStringLiteral("13.9.2002 9:05")));
}

void TestDocuments::windowsLookRight()
{
    // Both dialogs in English and in Czech: every caption fits its control.
    const QString folder = qEnvironmentVariable("TAMAREL_SHOTS");
    for (int ident : {1, 2}) {
        m_language->setLanguageIdent(ident);
        for (QDialog* d : std::initializer_list<QDialog*>{documents::printAccountsDialog(), documents::regCardDialog()}) {
            d->show();
            currentLanguage()->TranslateAll();
            d->adjustSize();
            QCoreApplication::processEvents();
            for (QWidget* w : d->findChildren<QWidget*>()) {
                const bool hasCaption = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
                if (hasCaption && w->isVisibleTo(d))
                    QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName() + " " + QString::number(ident)));
            }
            if (!folder.isEmpty()) d->grab().save(QStringLiteral("%1/%2-%3.png").arg(folder, d->objectName()).arg(ident));
            d->hide();
        }
    }
    QCOMPARE(documents::printAccountsDialog()->windowTitle(), QStringLiteral("Tisk účtů"));
    QCOMPARE(documents::regCardDialog()->windowTitle(), QStringLiteral("Registrační karta"));
}

QTEST_MAIN(TestDocuments)
#include "DocumentsWindowTest.moc"
