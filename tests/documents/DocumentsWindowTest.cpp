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
#include <sqlite3.h>

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
#include "shell/Statement.h"
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
    void sameRoomTwicePrintsTheChosenStayAndSaysTheChargesCoverBoth();
    void longAmountsAndDescriptionsStayInsideTheirBoxes();
    void roomWithoutChargesShowsNothing();
    void printingWithoutPrinterOffersAPdf();

    void regCardOpensWithTheClientsCard();
    void regCardWritesTheCardBackAndPrintsIt();
    void regCardWithCashLeavesTheClientCardAlone();
    void regCardReportsAFailedWriteBackAndPrintsWhatIsStored();
    void regCardStaysOpenWhenItsQueryFails();
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
    auto q = m_dm->Open(shell::Sql(u"SELECT %1 FROM %2 WHERE KID=%3", field, shell::Table(m_dm->DbPrefix(), u"KARTY.DB"), kid));
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
    // The charge of the deleted type has a heading of its own, in its type's place.
    const QStringList order = {"Ubytování\n", "Minibar\n", "Ostatní\n", "Telefon", "Parkování\n", "Celkem"};
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

void TestDocuments::sameRoomTwicePrintsTheChosenStayAndSaysTheChargesCoverBoth()
{
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (1, \"12\", \"20.9.2002\", \"22.9.2002\", \"O\", 1)");
    for (int chosen : {1, 0}) {
        open("frmPrintAccounts", {{"UID", 1}}, [chosen](QDialog& d) {
            auto& f = static_cast<TfrmPrintAccounts&>(d);
            QCOMPARE(f.cmbStays->count(), 2);
            f.cmbStays->setCurrentIndex(chosen);
            QTest::mouseClick(f.btPreview, Qt::LeftButton);
        });
        const QString text = testpdf::squeezed(lastPdfText());
        QVERIFY2(text.contains(chosen == 1 ? QStringLiteral("Pobyt: 20.9.2002 - 22.9.2002") : QStringLiteral("Pobyt: 13.9.2002 - 16.9.2002")),
                 qPrintable(text));
        // The charges are kept per room of the account: the bill says they cover both stays.
        QVERIFY(text.contains(QStringLiteral("Položky zahrnují oba pobyty na tomto pokoji: 13.9.2002 - 16.9.2002, 20.9.2002 - 22.9.2002")));
        QVERIFY(text.contains(QStringLiteral("Celkem 1 267.25 EUR")));
    }
    QVERIFY(messages().isEmpty());
    // One stay of the room: no such note.
    exec("DELETE FROM \"{db}POBYTY.DB\" WHERE DATEFROM=\"20.9.2002\"");
    open("frmPrintAccounts", {{"UID", 1}}, [](QDialog& d) {
        QTest::mouseClick(static_cast<TfrmPrintAccounts&>(d).btPreview, Qt::LeftButton);
    });
    QVERIFY(!lastPdfText().contains(QStringLiteral("Položky zahrnují")));
}

void TestDocuments::longAmountsAndDescriptionsStayInsideTheirBoxes()
{
    // A seven-digit CZK total and the longest description the table takes (60 characters).
    const QString description = QStringLiteral("Accommodation - 203 Double with balcony, sea view, breakfast");
    QCOMPARE(description.size(), 60);
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, FORMPAYM, DATEPAYM) VALUES (1, \"M\", \"16.9.2002\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (1, \"14\", \"1.9.2002\", \"9.9.2002\", \"O\", 2)");
    exec("INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, TAXRATE, AMNTEUR, AMNTCZK) VALUES (2, \"14\", 1, \""
         + description + "\", 12, 48000, 1230000.2)");
    exec("INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, TAXRATE, AMNTEUR, AMNTCZK) VALUES (2, \"14\", 2, \"Víno\", 21, 32, 821)");
    open("frmPrintAccounts", {{"UID", 2}}, [](QDialog& d) {
        auto& f = static_cast<TfrmPrintAccounts&>(d);
        f.chkFX->setChecked(false);
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
    });
    const QList<testpdf::Word> words = testpdf::words(m_pdfs.last());
    // Design pixels inside the 10 mm margin to PDF points.
    auto points = [](double px) { return (px + 37.795) * 0.75; };
    const double slack = 0.8;
    auto insideColumn = [&](const testpdf::Word& w, double left, double right) {
        return w.box.left() >= points(left) - slack && w.box.right() <= points(right) + slack;
    };
    // Every digit group of both amounts is printed whole, inside the amount column (360..441).
    QStringList amountWords;
    for (const testpdf::Word& w : words)
        if (w.box.top() > points(395) && w.box.left() >= points(300) && w.box.right() <= points(445) && !w.text.isEmpty()
            && w.text[0].isDigit()) {
            amountWords << w.text;
            QVERIFY2(insideColumn(w, 360, 441), qPrintable(w.text));
        }
    QVERIFY2(amountWords.join(' ').contains(QStringLiteral("1 230 000.20")), qPrintable(amountWords.join(' ')));
    QVERIFY2(amountWords.join(' ').contains(QStringLiteral("1 230 821.20")), qPrintable(amountWords.join(' ')));
    // Every word of the description is printed, inside its column (120..361).
    for (const QString& part : description.split(' ')) {
        bool found = false;
        for (const testpdf::Word& w : words)
            if (w.text == part && w.box.left() >= points(100) && w.box.left() < points(361)) {
                found = true;
                QVERIFY2(insideColumn(w, 120, 361), qPrintable(part));
            }
        QVERIFY2(found, qPrintable(part));
    }
    // Nothing is written over the amounts: the description's lines end left of them.
    QVERIFY(messages().isEmpty());
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

void TestDocuments::regCardReportsAFailedWriteBackAndPrintsWhatIsStored()
{
    // Another program reads the client cards: the write-back waits out its lock and fails,
    // the card can still be read.
    m_dm->db().setLockTimeoutMs(100);
    sqlite3* reader = nullptr;
    QCOMPARE(sqlite3_open((m_dir->path() + "/KARTY.DB").toUtf8().constData(), &reader), SQLITE_OK);
    QCOMPARE(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM KARTY;", nullptr, nullptr, nullptr), SQLITE_OK);
    const int result = open("frmRegCard", {{"BID", 1}}, [](QDialog& d) {
        auto& f = static_cast<TfrmRegCard&>(d);
        f.edCardNum->setText(QStringLiteral("5500"));
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
    });
    sqlite3_exec(reader, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(messages(), QStringList{QStringLiteral(
                             "The card data was not stored on the client card; the card prints the data stored there.")});
    QCOMPARE(client("CARDNUM", 1), QStringLiteral("4111 2222 3333 4444"));
    // The card prints what the client card holds, not the number that was not stored.
    const QString text = testpdf::squeezed(lastPdfText());
    QVERIFY2(text.contains(QStringLiteral("Credit card no. / Číslo karty: 4111 2222 3333 4444")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Card type / Typ karty: VISA")));
    QVERIFY(!text.contains(QStringLiteral("5500")));
}

void TestDocuments::regCardStaysOpenWhenItsQueryFails()
{
    m_dm->db().setLockTimeoutMs(100);
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open((m_dir->path() + "/POBYTY.DB").toUtf8().constData(), &other), SQLITE_OK);
    bool openAfterPreview = false, openAfterPrint = false;
    const int result = open("frmRegCard", {{"BID", 1}}, [&](QDialog& d) {
        auto& f = static_cast<TfrmRegCard&>(d);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        QTest::mouseClick(f.rbCash, Qt::LeftButton);
        QTest::mouseClick(f.btPreview, Qt::LeftButton);
        openAfterPreview = f.isVisible() && f.result() != QDialog::Accepted;
        QTest::mouseClick(f.btPrint, Qt::LeftButton);
        openAfterPrint = f.isVisible() && f.result() != QDialog::Accepted;
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        QTest::mouseClick(f.btPreview, Qt::LeftButton);   // usable again once the lock is gone
    });
    sqlite3_close(other);
    QVERIFY(openAfterPreview);
    QVERIFY(openAfterPrint);
    QCOMPARE(messages(), (QStringList{QStringLiteral("Can't load the data"), QStringLiteral("Can't load the data")}));
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(m_previews, 1);
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
    // "Type && Exp:" shows one ampersand: it looks as a plain label of "Type & Exp:" does.
    m_language->setLanguageIdent(1);
    currentLanguage()->TranslateAll();
    QLabel* typeExp = documents::regCardDialog()->lbCardTypExp;
    QCOMPARE(typeExp->text(), QStringLiteral("Type && Exp:"));
    QLabel plain(QStringLiteral("Type & Exp:"));
    plain.setTextFormat(Qt::PlainText);
    plain.setFont(typeExp->font());
    QCOMPARE(typeExp->sizeHint(), plain.sizeHint());
}

QTEST_MAIN(TestDocuments)
#include "DocumentsWindowTest.moc"
