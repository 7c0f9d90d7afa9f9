// The guests window and the guest book's printout on a folder and on the tests' private
// server: persons taken from a client card (the booker listed first after a check-in), typed
// in, edited and removed through the window's controls, stored in one change on Ok, and
// left as they are when the client card is edited or deleted afterwards; a database made
// before the guest book says how to add it; the book's PDF holds its rows (pdftotext).
#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
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
#include "guests/Countries.h"
#include "guests/GuestForms.h"
#include "guests/HotelSettings.h"
#include "guests/RegisterGuests.h"
#include "guests/TfrmGuests.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"

using enginetest::Storage;

class GuestsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void guestsAreWrittenEditedRemovedAndOutliveTheirCard_data() { storages(); }
    void guestsAreWrittenEditedRemovedAndOutliveTheirCard();
    void anOldDatabaseSaysHowToAddTheGuestBook_data() { storages(); }
    void anOldDatabaseSaysHowToAddTheGuestBook();
    void guestBookPdfHoldsItsRowsInOrderOfArrival();
    void registrationFormsHoldOnePagePerForeignGuest();
    void windowsSpeakCzech();

private:
    void storages()
    {
        QTest::addColumn<int>("storage");
        QTest::newRow("files") << int(Storage::Files);
        QTest::newRow("server") << int(Storage::Server);
    }
    void open(Storage s)
    {
        const enginetest::TestDb db = enginetest::emptyDb(s);
        m_location = QString::fromStdString(db.location);
        m_prefix = QString::fromStdString(db.prefix);
        m_dm = std::make_unique<TdmDataModule>(m_location);
        data::createTables(m_dm->db(), m_location);
        setDataModule(m_dm.get());
    }
    void exec(QString sql)
    {
        sql.replace("{db}", m_prefix);
        if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
    }
    QStringList rows(QString sql)
    {
        sql.replace("{db}", m_prefix);
        auto q = m_dm->Open(sql);
        QStringList out;
        while (q->next()) {
            QStringList fields;
            for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
            out << fields.join(u'|');
        }
        return out;
    }

    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<TdmDataModule> m_dm;
    QString m_location, m_prefix;
    QStringList m_messages;
    int m_foundKid = 0;
};

void GuestsWindowTest::init()
{
    m_language = std::make_unique<TLanguage>();
    m_messages.clear();
    platform::seams() = platform::Seams{};
    platform::seams().now = [] { return QDateTime(QDate(2026, 1, 12), QTime(10, 0)); };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString&, platform::Icon, platform::Buttons b) {
        m_messages << text;
        return int(b == platform::Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    };
    platform::seams().runModal = [](QDialog* d) { return int(d->result()); };
    // The client search answers with the card the test names.
    platform::registerDialog(QStringLiteral("frmFindClientCard"), [this](QVariantMap& args) {
        args.insert(QStringLiteral("KID"), QString::number(m_foundKid));
        return platform::kAccepted;
    });
    registerGuestsDialogs(nullptr);
}

void GuestsWindowTest::cleanup()
{
    guests::unregisterGuestsDialogs();
    platform::unregisterDialog(QStringLiteral("frmFindClientCard"));
    setDataModule(nullptr);
    m_dm.reset();
    platform::seams() = platform::Seams{};
    m_language.reset();
}

void GuestsWindowTest::guestsAreWrittenEditedRemovedAndOutliveTheirCard()
{
    QFETCH(int, storage);
    open(Storage(storage));
    exec(R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME, ADDRESS, CITY, POSTAL, COUNTRY, DATEBIRTH, PASSPORT) VALUES ("Müller", "Anna", "Hauptstraße 5", "Passau", "94032", "Germany", "1.2.1975", "C1234567"))");
    exec(R"(INSERT INTO "{db}KARTY.DB" (SURNAME, NAME, COUNTRY) VALUES ("O'Brien", "Sean", "Ireland"))");
    exec(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS) VALUES (1, "101", "10.1.2026", "14.1.2026", "H", 3))");
    const int bid = rows("SELECT max(BID) FROM \"{db}POBYTY.DB\"").value(0).toInt();
    const QString stored = QStringLiteral("SELECT KID, SURNAME, NAME, DATEBIRTH, CITIZEN, DOCTYPE, DOCNUM, ADDRESS, PURPOSE, DATEFROM, DATETHRU, REPORTED FROM \"{db}HOSTE.DB\" ORDER BY HID");

    // After the check-in: the booker is listed, nothing stored until Ok.
    TfrmGuests* w = guests::guestsDialog();
    QVariantMap afterCheckIn{{"BID", bid}, {"KID", 1}, {"afterCheckIn", true}};
    w->BID = bid;
    w->KID = 1;
    QVERIFY(w->FormActivate());
    QCOMPARE(w->grGuests->rowCount(), 1);
    QCOMPARE(w->edSurname->text(), QStringLiteral("Müller"));
    QCOMPARE(w->cmbCitizen->currentData().toString(), QStringLiteral("DEU"));
    QVERIFY(rows(stored).isEmpty());
    QVERIFY(w->warningLines().contains(QStringLiteral("The stay is for 3 persons and 1 are listed.")));

    // A second person from a card, a third typed in, Ok.
    m_foundKid = 2;
    w->btFromCard->click();
    QCOMPARE(w->edSurname->text(), QStringLiteral("O'Brien"));
    QCOMPARE(w->cmbCitizen->currentData().toString(), QStringLiteral("IRL"));
    QVERIFY(w->warningLines().contains(QStringLiteral("O'Brien Sean: the police need birth year, document number.")));
    w->btNew->click();
    w->edSurname->insert(QStringLiteral("Nováková"));   // typed (keyClicks takes ASCII only)
    QTest::keyClicks(w->edName, QStringLiteral("Eva"));
    QTest::keyClicks(w->edBirth, QStringLiteral("00.00.1990"));
    w->cmbCitizen->setCurrentIndex(w->cmbCitizen->findData(QStringLiteral("CZE")));
    QVERIFY(w->save());
    QCOMPARE(rows(stored), (QStringList{
        "1|Müller|Anna|01.02.1975|DEU|P|C1234567|Hauptstraße 5, 94032 Passau, Germany|10|10.1.2026|14.1.2026|",
        "2|O'Brien|Sean||IRL|||Ireland|10|10.1.2026|14.1.2026|",
        "0|Nováková|Eva|00.00.1990|CZE||||10|10.1.2026|14.1.2026|"}));

    // Opened again: the stored list; an edit and a removal stored together.
    w->KID = 1;
    QVERIFY(w->FormActivate());
    QCOMPARE(w->grGuests->rowCount(), 3);
    w->grGuests->setCurrentCell(1, 0);
    QCOMPARE(w->edSurname->text(), QStringLiteral("O'Brien"));
    QTest::keyClicks(w->edDocNum, QStringLiteral("PA 778899"));
    w->cmbDocType->setCurrentIndex(w->cmbDocType->findData(QStringLiteral("P")));
    QTest::keyClicks(w->edBirth, QStringLiteral("17.03.1980"));
    w->cmbPurpose->setCurrentIndex(w->cmbPurpose->findData(QStringLiteral("01")));
    w->grGuests->setCurrentCell(2, 0);
    w->btRemove->click();
    QCOMPARE(w->grGuests->rowCount(), 2);
    QVERIFY(w->save());
    QCOMPARE(rows(stored), (QStringList{
        "1|Müller|Anna|01.02.1975|DEU|P|C1234567|Hauptstraße 5, 94032 Passau, Germany|10|10.1.2026|14.1.2026|",
        "2|O'Brien|Sean|17.03.1980|IRL|P|PA 778899|Ireland|01|10.1.2026|14.1.2026|"}));

    // The cards change and go: the book does not.
    exec(R"(UPDATE "{db}KARTY.DB" SET SURNAME="Schmidt", PASSPORT="X1" WHERE KID=1)");
    exec(R"(DELETE FROM "{db}KARTY.DB" WHERE KID=2)");
    QVERIFY(rows(stored).join('\n').contains("1|Müller|Anna|01.02.1975|DEU|P|C1234567"));
    QVERIFY(rows(stored).join('\n').contains("2|O'Brien|Sean|17.03.1980"));
    QVERIFY(w->FormActivate());
    QCOMPARE(w->grGuests->item(0, 0)->text(), QStringLiteral("Müller"));

    // Cancel stores nothing; a new person with a card asked for gets one.
    w->btNew->click();
    QTest::keyClicks(w->edSurname, QStringLiteral("Card"));
    w->chkMakeCard->setChecked(true);
    QVERIFY(w->save());
    QCOMPARE(rows("SELECT SURNAME FROM \"{db}KARTY.DB\" ORDER BY KID").last(), QStringLiteral("Card"));
    QCOMPARE(rows("SELECT KID FROM \"{db}HOSTE.DB\" WHERE SURNAME=\"Card\""), QStringList{rows("SELECT max(KID) FROM \"{db}KARTY.DB\"")});

    // Through the seam after a check-in, with the booker already listed: nothing is added twice.
    QCOMPARE(platform::openDialog(QStringLiteral("frmGuests"), afterCheckIn), platform::kRejected);
    QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}HOSTE.DB\""), QStringList{"3"});
}

void GuestsWindowTest::anOldDatabaseSaysHowToAddTheGuestBook()
{
    QFETCH(int, storage);
    open(Storage(storage));
    exec(R"(DROP TABLE "{db}HOSTE.DB")");
    exec(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS) VALUES (1, "101", "10.1.2026", "14.1.2026", "H", 1))");
    // After a check-in nothing opens and nothing is said.
    QCOMPARE(platform::openDialog(QStringLiteral("frmGuests"), {{"BID", 1}, {"KID", 1}, {"afterCheckIn", true}}), platform::kRejected);
    QVERIFY(m_messages.isEmpty());
    for (const char* form : {"frmGuests", "frmGuestBook", "frmHotelDetails"}) {
        m_messages.clear();
        QCOMPARE(platform::openDialog(QLatin1String(form), {{"BID", 1}}), platform::kRejected);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].contains(QStringLiteral("tamarel-db upgrade")), qPrintable(m_messages[0]));
    }
}

namespace {
// The text of a PDF, page by page; the file is kept in $TAMAREL_KEEP_PDF (a folder) when set,
// to look at it.
QStringList pdfPages(const QList<report::Page>& pages, const QString& name)
{
    QTemporaryDir dir;
    const QString keep = qEnvironmentVariable("TAMAREL_KEEP_PDF");
    const QString pdf = (keep.isEmpty() ? dir.path() : keep) + QLatin1Char('/') + name;
    if (!report::writePdf(pdf, name, pages)) return {};
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
}
}  // namespace

void GuestsWindowTest::guestBookPdfHoldsItsRowsInOrderOfArrival()
{
    guests::HotelDetails hotel;
    hotel.name = QStringLiteral("Hotel Pošta");
    hotel.street = QStringLiteral("Alešova");
    hotel.houseNo = QStringLiteral("26");
    hotel.postcode = QStringLiteral("38901");
    hotel.municipality = QStringLiteral("Vodňany");
    QList<guests::Guest> rows;
    for (int i = 0; i < 70; ++i) {
        guests::Guest g;
        g.SURNAME = QStringLiteral("Guest%1").arg(i, 2, 10, QLatin1Char('0'));
        g.NAME = QStringLiteral("Žofie");
        g.CITIZEN = i % 2 ? QStringLiteral("AUT") : QStringLiteral("CZE");
        g.DATEFROM = QDate(2026, 1, 1).addDays(i / 10);
        g.DATETHRU = g.DATEFROM.addDays(2);
        g.DOCNUM = QStringLiteral("D%1").arg(i);
        if (i == 3) g.REPORTED = QDate(2026, 1, 3);
        rows << g;
    }
    const QList<report::Page> pages = guests::guestBookPages(hotel, rows, QDate(2026, 1, 1), QDate(2026, 1, 31));
    QVERIFY(pages.size() >= 2);
    for (const report::Page& page : pages) QVERIFY(page.size.width() > page.size.height());   // A4 landscape
    const QStringList pagesText = pdfPages(pages, QStringLiteral("book.pdf"));
    const QString text = pagesText.join(QLatin1Char('\f'));
    QCOMPARE(pagesText.size(), int(pages.size()));
    for (int i = 0; i < pagesText.size(); ++i) {
        QVERIFY(pagesText[i].contains(QStringLiteral("Hotel Pošta")));
        QVERIFY(pagesText[i].contains(QStringLiteral("Guest book 01.01.2026 - 31.01.2026")));
        // pdftotext closes up the blanks of "1 / 2".
        QVERIFY2(pagesText[i].contains(QRegularExpression(QStringLiteral("\\b%1 ?/ ?%2\\s*$").arg(i + 1).arg(pages.size()))),
                 qPrintable(pagesText[i].right(300)));
    }
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("4\\s+01.01.2026\\s+03.01.2026\\s+Guest03 Žofie\\s+AUT\\s+D3\\s+03.01.2026"))));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("70\\s+07.01.2026\\s+09.01.2026\\s+Guest69 Žofie"))));
    int last = -1;
    for (int i = 0; i < 70; ++i) {
        const int at = text.indexOf(QStringLiteral("Guest%1 ").arg(i, 2, 10, QLatin1Char('0')));
        QVERIFY2(at > last, qPrintable(QString::number(i)));
        last = at;
    }
}

void GuestsWindowTest::registrationFormsHoldOnePagePerForeignGuest()
{
    guests::HotelDetails hotel;
    hotel.name = QStringLiteral("Penzion U Lípy");
    guests::Guest father, mother, child;
    father.SURNAME = QStringLiteral("Kowalski");
    father.NAME = QStringLiteral("Piotr");
    father.CITIZEN = QStringLiteral("POL");
    father.DOCTYPE = QStringLiteral("I");
    father.DOCNUM = QStringLiteral("ABC123456");
    father.PURPOSE = QStringLiteral("10");
    father.DATEFROM = QDate(2026, 1, 10);
    father.DATETHRU = QDate(2026, 1, 14);
    mother = father;
    mother.NAME = QStringLiteral("Małgorzata");   // a letter Windows-1250 has; the form prints any
    mother.DATEBIRTH = QStringLiteral("00.05.1980");
    child = father;
    child.NAME = QStringLiteral("Jan");
    child.CITIZEN = QStringLiteral("CZE");   // a Czech citizen fills in no form
    const report::Report forms = guests::registrationForms(hotel, {father, mother, child}, QStringLiteral("cs"));
    const QStringList pages = pdfPages(report::layout(forms), QStringLiteral("forms.pdf"));
    QCOMPARE(pages.size(), 2);
    for (const QString& page : pages) {
        QVERIFY(page.contains(QStringLiteral("Přihlašovací tiskopis pro ubytované cizince")));
        QVERIFY(page.contains(QStringLiteral("Registration form for foreign guests")));
        QVERIFY(page.contains(QStringLiteral("Penzion U Lípy")));
        QVERIFY(page.contains(QStringLiteral("Podpis / Signature")));
        // (pdftotext closes up double blanks.)
        QVERIFY(page.contains(QRegularExpression(QStringLiteral("POL\\s+Polsko"))));
        QVERIFY(page.contains(QStringLiteral("OP / ID card ABC123456")));
        QVERIFY(page.contains(QRegularExpression(QStringLiteral("10\\s+Turistika / Tourism"))));
        QVERIFY(page.contains(QStringLiteral("10.01.2026 - 14.01.2026")));
    }
    QVERIFY(pages[0].contains(QStringLiteral("Piotr")));
    QVERIFY(pages[1].contains(QStringLiteral("Małgorzata")));
    QVERIFY(pages[1].contains(QStringLiteral("00.05.1980")));
}

void GuestsWindowTest::windowsSpeakCzech()
{
    open(Storage::Files);
    exec(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS) VALUES (0, "101", "10.1.2026", "14.1.2026", "H", 2))");
    exec(R"(INSERT INTO "{db}HOSTE.DB" (BID, SURNAME, NAME, CITIZEN, DATEFROM, DATETHRU) VALUES (1, "Kowalski", "Piotr", "POL", "10.1.2026", "14.1.2026"))");
    m_language->setLanguageIdent(2);
    m_language->TranslateAll();
    TfrmGuests* w = guests::guestsDialog();
    w->BID = 1;
    w->KID = 0;
    QVERIFY(w->FormActivate());
    QCOMPARE(w->windowTitle(), QStringLiteral("Hosté pobytu"));
    QCOMPARE(w->findChild<QLabel*>("lbSurname")->text(), QStringLiteral("Příjmení:"));
    QCOMPARE(w->btNew->text(), QStringLiteral("Nová osoba"));
    QCOMPARE(w->grGuests->horizontalHeaderItem(0)->text(), QStringLiteral("Příjmení"));
    QCOMPARE(w->cmbCitizen->currentText(), QStringLiteral("Polsko (POL)"));
    QVERIFY(w->cmbPurpose->currentText().endsWith(QStringLiteral("Turistika")));
    QVERIFY(w->warningLines().contains(QStringLiteral("Pobyt je pro 2 osob a zapsáno je 1.")));
    QVERIFY(w->warningLines().contains(QStringLiteral("Kowalski Piotr: policie požaduje rok narození, číslo dokladu.")));
    const QString keep = qEnvironmentVariable("TAMAREL_KEEP_PDF");
    if (!keep.isEmpty()) {
        w->show();
        w->grab().save(keep + QStringLiteral("/guests-cs.png"));
        w->hide();
    }
}

QTEST_MAIN(GuestsWindowTest)
#include "GuestsWindowTest.moc"
