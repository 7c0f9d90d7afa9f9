// The confirmation dialog driven through its controls on a temporary database folder, with
// templates in a temporary program folder and every message box, the clipboard, the shell
// and the printer answered through the platform seams: the e-mail text and link, its
// failures, the shipped templates, and the printed form read back from PDF.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <memory>

#include "data/TableFiles.h"
#include "documents/RegisterConfirmation.h"
#include "documents/TfrmConfirmation.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "platform/Printer.h"
#include "report/PreviewWindow.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"
#include "tests/report/PdfText.h"

namespace {
struct Shown {
    QString text, caption;
};
}  // namespace

class TestConfirmation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void emailIsComposedFromTheChosenTemplate();
    void emailFailures_data();
    void emailFailures();
    void shippedTemplatesFillEveryPlaceholder();
    void everyTemplateIsListedAndAnUnreadableOneSaysSo();
    void printAndPreviewCloseTheDialog();
    void printedForm_data();
    void printedForm();
    void windowLooksRightInBothLanguages();

private:
    int open(int bid, const std::function<void(TfrmConfirmation&)>& drive);
    void exec(QString sql);
    void writeTemplate(const QString& name, const QByteArray& bytes);
    // Chooses the template as the user does, by keyboard.
    static void chooseTemplate(TfrmConfirmation& d, const QString& name);
    QString printedText(int bid, const QString& offer, QString* pdf = nullptr);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QVector<Shown> m_messages;
    QStringList m_clipboard;
    QStringList m_opened;
    bool m_shellAnswer = true;
    QString m_pdfPath;
    int m_previews = 0;
};

void TestConfirmation::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
}

void TestConfirmation::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir(m_dir->path()).mkpath("DB");
    platform::setProgramPathForTests(m_dir->filePath("tamarel"));
    m_dm = std::make_unique<TdmDataModule>(m_dir->filePath("DB"));
    data::createTables(m_dm->db(), m_dir->filePath("DB"));
    setDataModule(m_dm.get());
    m_language->setLanguageIdent(1);
    m_messages.clear();
    m_clipboard.clear();
    m_opened.clear();
    m_shellAnswer = true;
    m_previews = 0;
    m_pdfPath = m_dir->filePath("printed.pdf");
    platform::seams() = platform::Seams{};
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon,
                                          platform::Buttons) {
        m_messages.append({text, caption});
        return int(QMessageBox::Ok);
    };
    platform::seams().clipboard = [this](const QString& text) { m_clipboard.append(text); };
    platform::seams().shellOpen = [this](const QUrl& url) {
        m_opened.append(url.toString(QUrl::FullyEncoded));
        return m_shellAnswer;
    };
    platform::printerSeams() = platform::PrinterSeams{};
    platform::printerSeams().printers = [] { return QStringList{}; };
    platform::seams().chooseSaveFile = [this](const QString&, const QString&, const QString&) {
        return m_pdfPath;
    };
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName("frmMain");
    registerConfirmationDialogs(m_main.get());

    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PDESCR, PPRICE, MAIDPRICE) VALUES "
         "(\"12\", \"Room 12\", \"Double with balcony\", 250, 10)");
    exec("INSERT INTO \"{db}KARTY.DB\" (SURNAME, NAME, TITLE, COUNTRY, CARDNUM, CARDEXP, CARDTYPE, AGENCY) VALUES "
         "(\"Dvořák\", \"Jiří\", \"Ing.\", \"Česká republika\", \"4111 1111 1111 1111\", \"12/27\", \"VISA\", "
         "\"Čedok\")");
    // 1: three nights; 2: no nights; 3: no client card.
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, MAIDEUR) VALUES "
         "(1, \"12\", \"5.3.2004\", \"8.3.2004\", \"R\", 2, 745.5, 30.49)");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, MAIDEUR) VALUES "
         "(1, \"12\", \"9.3.2004\", \"9.3.2004\", \"R\", 1, 300, 20)");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, MAIDEUR) VALUES "
         "(0, \"12\", \"10.3.2004\", \"12.3.2004\", \"R\", 1, 300, 20)");
}

void TestConfirmation::cleanup()
{
    documents::unregisterConfirmationDialogs();
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::setProgramPathForTests({});
    platform::seams() = platform::Seams{};
    platform::printerSeams() = platform::PrinterSeams{};
}

void TestConfirmation::exec(QString sql)
{
    sql.replace("{db}", m_dm->DbPrefix());
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

void TestConfirmation::writeTemplate(const QString& name, const QByteArray& bytes)
{
    QFile file(m_dir->filePath(name + ".etp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

int TestConfirmation::open(int bid, const std::function<void(TfrmConfirmation&)>& drive)
{
    platform::seams().runModal = [&](QDialog* d) {
        if (auto* preview = qobject_cast<report::PreviewWindow*>(d)) {
            ++m_previews;
            report::writePdf(m_pdfPath, "preview", preview->pages());
            return int(QDialog::Accepted);
        }
        d->setResult(QDialog::Rejected);
        d->show();
        if (!QTest::qWaitForWindowExposed(d)) qWarning("the dialog was not shown");
        drive(*static_cast<TfrmConfirmation*>(d));
        QCoreApplication::processEvents();
        const int result = d->result();
        d->hide();
        return result;
    };
    return platform::openDialog(documents::kConfirmation, QVariantMap{{"BID", bid}});
}

void TestConfirmation::chooseTemplate(TfrmConfirmation& d, const QString& name)
{
    d.cmbEmailTemplate->setFocus();
    if (d.cmbEmailTemplate->currentIndex() > 0) QTest::keyClick(d.cmbEmailTemplate, Qt::Key_Home);
    for (int i = 0; i < d.cmbEmailTemplate->count() && d.cmbEmailTemplate->currentText() != name; ++i)
        QTest::keyClick(d.cmbEmailTemplate, Qt::Key_Down);
}

void TestConfirmation::emailIsComposedFromTheChosenTemplate()
{
    writeTemplate("Potvrzení", "Potvrzen\xed rezervace\r\n"
                               "Dear {CLIENT}, your rate is {RATE} EUR per night.\r\n"
                               "Total: {TOTAL}; {BREAKFAST}, {SPECIALOFFER}. {USERNAME}");
    bool enabledBefore = true, stayedOpen = false;
    int result = open(1, [&](TfrmConfirmation& d) {
        QCOMPARE(d.cmbEmailTemplate->count(), 1);
        enabledBefore = d.btEmail->isEnabled();
        d.edSpecialOffer->setText("Sauna");
        d.edBreakfast->setText("Snídaně v ceně");
        d.edUserName->setText("Eva");
        chooseTemplate(d, "Potvrzení");
        QTest::mouseClick(d.btEmail, Qt::LeftButton);
        stayedOpen = d.isVisible();
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(!enabledBefore);
    QVERIFY(stayedOpen);
    QCOMPARE(m_messages.size(), 0);
    const QString body = QString::fromUtf8(
        "Dear Jiří Dvořák, your rate is 248 EUR per night.\r\nTotal: 746 + 30 EUR; Snídaně v ceně, Sauna. Eva");
    QCOMPARE(m_clipboard, QStringList{body});
    // No address, then the subject and body as UTF-8: what every mail program reads.
    QCOMPARE(m_opened, QStringList{"mailto:?subject=Potvrzen%C3%AD%20rezervace&body="
                                   "Dear%20Ji%C5%99%C3%AD%20Dvo%C5%99%C3%A1k%2C%20your%20rate%20is%20248%20EUR%20per%20night."
                                   "%0D%0ATotal%3A%20746%20%2B%2030%20EUR%3B%20Sn%C3%ADdan%C4%9B%20v%20cen%C4%9B%2C%20Sauna"
                                   ".%20Eva"});

    // The texts and the choice are kept; a template added since is not listed.
    writeTemplate("Later", "x");
    bool enabledAgain = false;
    QString kept;
    int count = 0;
    open(1, [&](TfrmConfirmation& d) {
        enabledAgain = d.btEmail->isEnabled();
        kept = d.edBreakfast->text() + "|" + d.cmbEmailTemplate->currentText();
        count = d.cmbEmailTemplate->count();
    });
    QVERIFY(enabledAgain);
    QCOMPARE(kept, QString::fromUtf8("Snídaně v ceně|Potvrzení"));
    QCOMPARE(count, 1);
}

void TestConfirmation::emailFailures_data()
{
    QTest::addColumn<int>("bid");
    QTest::addColumn<QByteArray>("body");   // written after "Subject\r\n"; empty: no template file
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("messages");   // text|caption
    QTest::addColumn<QString>("sent");           // the body handed over; empty: nothing sent
    QTest::addColumn<bool>("shellWorks");

    QTest::newRow("a lower-case name is no placeholder, warned once per occurrence")
        << 1 << QByteArray("{rate} {rate} {NIGHTS}") << 1
        << QStringList{"Field rate does not exist.|Error", "Field rate does not exist.|Error"}
        << "?rate? ?rate? 3" << true;
    QTest::newRow("the warning in Czech") << 1 << QByteArray("{X}") << 2
                                          << QStringList{QString::fromUtf8("Pole X neexistuje.|Chyba")} << "?X?" << true;
    QTest::newRow("a stay of no nights has no rate") << 2 << QByteArray("{CLIENT} {RATE}") << 1
                                                     << QStringList{"Cannot send email. Template could not be read.|Error"}
                                                     << "" << true;
    QTest::newRow("a stay of no nights without the rate is sent")
        << 2 << QByteArray("{NIGHTS} nights, {TOTAL}") << 1 << QStringList{} << "0 nights, 300 + 20 EUR" << true;
    QTest::newRow("a missing template") << 1 << QByteArray() << 1
                                        << QStringList{"Cannot send email. Template could not be read.|Error"} << ""
                                        << true;
    QTest::newRow("a stay without a client card: nothing at all") << 3 << QByteArray("{CLIENT}") << 1
                                                                     << QStringList{} << "" << true;
    QTest::newRow("an unclosed brace") << 1 << QByteArray("{PNAME} {TOTAL") << 1 << QStringList{}
                                       << "Room 12 {TOTAL" << true;
    QTest::newRow("no mail program") << 1 << QByteArray("{PNAME}") << 1
                                     << QStringList{"Can't open the mail window|Error"} << "Room 12" << false;
}

void TestConfirmation::emailFailures()
{
    QFETCH(int, bid);
    QFETCH(QByteArray, body);
    QFETCH(int, language);
    QFETCH(QStringList, messages);
    QFETCH(QString, sent);
    QFETCH(bool, shellWorks);
    writeTemplate("T", "Subject\r\n" + body);
    m_language->setLanguageIdent(language);
    m_shellAnswer = shellWorks;
    open(bid, [&](TfrmConfirmation& d) {
        currentLanguage()->TranslateAll();
        chooseTemplate(d, "T");
        if (body.isEmpty()) QFile::remove(m_dir->filePath("T.etp"));
        QTest::mouseClick(d.btEmail, Qt::LeftButton);
    });
    QStringList shown;
    for (const Shown& m : m_messages) shown << m.text + "|" + m.caption;
    QCOMPARE(shown, messages);
    QCOMPARE(m_clipboard, sent.isEmpty() ? QStringList{} : QStringList{sent});
    QCOMPARE(m_opened.size(), sent.isEmpty() ? 0 : 1);
    if (!sent.isEmpty()) QVERIFY(m_opened.first().startsWith("mailto:?subject=Subject&body="));
    QCOMPARE(m_language->collectedMessages(), 0);
}

void TestConfirmation::shippedTemplatesFillEveryPlaceholder()
{
    for (const char* name : {"Confirmation", "Potvrzeni"})
        QVERIFY(QFile::copy(QStringLiteral(TEMPLATES_DIR "/%1.etp").arg(name), m_dir->filePath(QString(name) + ".etp")));
    QStringList names;
    open(1, [&](TfrmConfirmation& d) {
        for (int i = 0; i < d.cmbEmailTemplate->count(); ++i) names << d.cmbEmailTemplate->itemText(i);
        d.edBreakfast->setText("included");
        d.edSpecialOffer->setText("-");
        d.edUserName->setText("Eva");
        for (const char* name : {"Confirmation", "Potvrzeni"}) {
            chooseTemplate(d, name);
            QTest::mouseClick(d.btEmail, Qt::LeftButton);
        }
    });
    names.sort();
    QCOMPARE(names, QStringList({"Confirmation", "Potvrzeni"}));
    QCOMPARE(m_messages.size(), 0);
    QCOMPARE(m_clipboard.size(), 2);
    for (const QString& body : m_clipboard) {
        QVERIFY2(!body.contains('{') && !body.contains('?'), qPrintable(body));
        QVERIFY(body.contains(QString::fromUtf8("Jiří Dvořák")));
        QVERIFY(body.contains("248 EUR"));
        QVERIFY(body.contains("746 + 30 EUR"));
        QVERIFY(body.contains("\r\n"));
    }
    QVERIFY(m_opened.at(0).startsWith("mailto:?subject=Confirmation%20of%20your%20reservation&body=Dear%20"));
    QVERIFY(m_opened.at(1).startsWith("mailto:?subject=Potvrzen%C3%AD%20Va%C5%A1%C3%AD%20rezervace&body=V%C3%A1%C5%BEen%C3%A1%20"));
}

void TestConfirmation::everyTemplateIsListedAndAnUnreadableOneSaysSo()
{
    {
        QFile file(m_dir->filePath("Hotel.ETP"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Hotel\r\nDear {CLIENT}");
    }
    QVERIFY(QFile::link(m_dir->filePath("nowhere"), m_dir->filePath("Broken.etp")));
    QStringList names, afterBroken;
    open(1, [&](TfrmConfirmation& d) {
        for (int i = 0; i < d.cmbEmailTemplate->count(); ++i) names << d.cmbEmailTemplate->itemText(i);
        chooseTemplate(d, "Broken");
        for (const Shown& m : m_messages) afterBroken << m.text;
        chooseTemplate(d, "Hotel");
        QTest::mouseClick(d.btEmail, Qt::LeftButton);
    });
    names.sort();
    QCOMPARE(names, QStringList({"Broken", "Hotel"}));
    QCOMPARE(afterBroken, QStringList{"Cannot send email. Template could not be read."});
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_opened, QStringList{"mailto:?subject=Hotel&body=Dear%20Ji%C5%99%C3%AD%20Dvo%C5%99%C3%A1k"});
}

void TestConfirmation::printAndPreviewCloseTheDialog()
{
    QCOMPARE(open(1, [](TfrmConfirmation& d) { QTest::mouseClick(d.btPrint, Qt::LeftButton); }),
             int(QDialog::Accepted));
    QCOMPARE(testpdf::pageCount(m_pdfPath), 1);
    QFile::remove(m_pdfPath);
    QCOMPARE(open(1, [](TfrmConfirmation& d) { QTest::mouseClick(d.btPreview, Qt::LeftButton); }),
             int(QDialog::Accepted));
    QCOMPARE(m_previews, 1);
    QCOMPARE(testpdf::pageCount(m_pdfPath), 1);
    QCOMPARE(open(1, [](TfrmConfirmation& d) { QTest::mouseClick(d.btCancel, Qt::LeftButton); }),
             int(QDialog::Rejected));
    QCOMPARE(m_messages.size(), 0);
}

QString TestConfirmation::printedText(int bid, const QString& offer, QString* pdf)
{
    open(bid, [&](TfrmConfirmation& d) {
        d.edSpecialOffer->setText(offer);
        d.edBreakfast->setText("Snídaně v ceně pokoje");
        d.edUserName->setText("Eva Malá");
        QTest::mouseClick(d.btPrint, Qt::LeftButton);
    });
    if (pdf) *pdf = m_pdfPath;
    return testpdf::squeezed(testpdf::text(m_pdfPath));
}

void TestConfirmation::printedForm_data()
{
    QTest::addColumn<int>("bid");
    QTest::addColumn<QString>("offer");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::addColumn<QStringList>("messages");

    const QStringList fixed = {
        "HOTEL NAME", "Rezervace / Reservation",
        "Thank you for the interest you have shown to Residence Vadrena.", "Klient / Client:",
        "Národnost / Nationality:", "Příjezd / Check in:", "Počet nocí / Nights:", "Druh pokoje / Apartment type:",
        "Cena za noc / Daily rate:", "Snídaně / Breakfast: Snídaně v ceně pokoje",
        "Pick up at the airport: from 550,-CZK (if required)", "Cancellation conditions:",
        "Reservation for 7-14 days up to 7 days prior to arrival: no charge",
        "Reservation from 14 days individual cancellation conditions", "Eva Malá"};
    QTest::newRow("a stay of three nights")
        << 1 << QString::fromUtf8("Sauna zdarma")
        << fixed + QStringList{"Klient / Client: Jiří Dvořák Čedok",
                               "Garance / Guarantee: 4111 1111 1111 1111 Type: VISA Exp. date: 12/27",
                               "Národnost / Nationality: Česká republika", "Příjezd / Check in: 5.3.2004",
                               "Odjezd / Check out: 8.3.2004", "Počet nocí / Nights: 3", "Pokoj / Apartment: Room 12",
                               "Druh pokoje / Apartment type: Double with balcony", "Počet osob / pax: 2",
                               "Cena za noc / Daily rate: 248 EUR/accommodation/night + 10 EUR/maid service/day",
                               "Spec. nabídka / Special offer: Sauna zdarma", "Cena celkem / Total rate: 746 + 30 EUR"}
        << QStringList{} << QStringList{};
    QTest::newRow("no nights: the rate blank, the rest printed")
        << 2 << QString()
        << fixed + QStringList{"Počet nocí / Nights: 0", "Cena celkem / Total rate: 300 + 20 EUR"}
        << QStringList{"EUR/accommodation", "Special offer"} << QStringList{};
    QTest::newRow("no client card: the captions without values")
        << 3 << QString() << fixed
        << QStringList{"Room 12", "Jiří", "EUR", "Special offer"}
        << QStringList{"Internal error 53 in ReportConfirmation - Invalid number of records|Report"};
}

void TestConfirmation::printedForm()
{
    QFETCH(int, bid);
    QFETCH(QString, offer);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    QFETCH(QStringList, messages);
    QString pdf;
    const QString text = printedText(bid, offer, &pdf);
    QCOMPARE(testpdf::pageCount(pdf), 1);
    for (const QString& t : present) QVERIFY2(text.contains(t), qPrintable(t + "\n----\n" + text));
    for (const QString& t : absent) QVERIFY2(!text.contains(t), qPrintable(t + "\n----\n" + text));
    QStringList shown;
    for (const Shown& m : m_messages) shown << m.text + "|" + m.caption;
    QCOMPARE(shown, messages);
    const QString keep = qEnvironmentVariable("TAMAREL_LOOK_DIR");
    if (!keep.isEmpty()) QFile::copy(pdf, keep + QStringLiteral("/confirmation-%1.pdf").arg(bid));
}

void TestConfirmation::windowLooksRightInBothLanguages()
{
    QStringList clipped, captions;
    const QString folder = qEnvironmentVariable("TAMAREL_LOOK_DIR");
    open(1, [&](TfrmConfirmation& d) {
        for (int language : {1, 2}) {
            m_language->setLanguageIdent(language);
            currentLanguage()->TranslateAll();
            d.adjustSize();
            captions << d.windowTitle() << d.lbUserName->text() << d.btCancel->text();
            for (QWidget* w : d.findChildren<QWidget*>()) {
                auto* l = qobject_cast<QLabel*>(w);
                auto* b = qobject_cast<QAbstractButton*>(w);
                if ((l || b) && w->width() < w->sizeHint().width()) clipped << w->objectName();
            }
            if (!folder.isEmpty()) d.grab().save(folder + QStringLiteral("/confirmation-dialog-%1.png").arg(language));
        }
    });
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(' ')));
    QCOMPARE(captions, QStringList({"Definitive Confirmation", "User name:", "Cancel",
                                    QString::fromUtf8("Potvrzení rezervace"), QString::fromUtf8("Vyřizuje:"),
                                    "Storno"}));
    QCOMPARE(m_language->collectedMessages(), 0);
}

QTEST_MAIN(TestConfirmation)
#include "ConfirmationWindowTest.moc"
