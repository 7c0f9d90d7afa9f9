// The buyer by IČO: the mod-11 check of the number, the reading of the register's answers,
// the lookup against a register served from 127.0.0.1 (found, unknown, an error, an answer
// too slow, nobody listening), and the buyer dialog, which fills itself from the register
// without waiting for it and keeps what the user typed when the answer comes too late.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "invoices/Ares.h"
#include "invoices/TfrmBuyer.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"

using invoices::AresOutcome;
Q_DECLARE_METATYPE(invoices::AresOutcome)

namespace {

const QByteArray kFound = R"({"ico":"27074358","obchodniJmeno":"Asseco  Central Europe, a.s.","dic":"CZ27074358",
  "sidlo":{"kodStatu":"CZ","nazevObce":"Praha","nazevUlice":"Budějovická","cisloDomovni":778,"cisloOrientacni":3,
  "cisloOrientacniPismeno":"a","psc":14000,"textovaAdresa":"Budějovická 778/3a, Michle, 140 00 Praha 4"}})";

// Answers GET .../<IČO> with the canned status and body of that number, after its delay.
class FakeRegister : public QObject {
public:
    struct Answer {
        int status;
        QByteArray body;
        int delayMs = 0;
    };
    FakeRegister()
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/ekonomicke-subjekty/").arg(server.serverPort()); }
    QMap<QString, Answer> answers;
    QTcpServer server;

private:
    void serve(QTcpSocket* s)
    {
        const QByteArray request = s->readAll();
        const QString ico = QString::fromLatin1(request.split(' ').value(1)).section(u'/', -1);
        const Answer a = answers.value(ico, {404, R"({"kod":"NENALEZENO"})"});
        QTimer::singleShot(a.delayMs, s, [s, a] {
            s->write("HTTP/1.1 " + QByteArray::number(a.status) + " X\r\nContent-Type: application/json\r\nContent-Length: " +
                     QByteArray::number(a.body.size()) + "\r\nConnection: close\r\n\r\n" + a.body);
            s->disconnectFromHost();
        });
    }
};

}  // namespace

class AresTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void icoAndDicAreChecked_data();
    void icoAndDicAreChecked();
    void theRegistersAnswersAreRead_data();
    void theRegistersAnswersAreRead();
    void theLookupSaysWhatCameBack_data();
    void theLookupSaysWhatCameBack();
    void theBuyerDialogFillsItselfWithoutWaiting();

private:
    FakeRegister m_register;
    std::unique_ptr<TLanguage> m_language;   // the dialog speaks English
};

void AresTest::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
    m_register.answers = {
        {"27074358", {200, kFound}},
        {"10000020", {500, R"({"kod":"CHYBA_SERVERU","popis":"Služba je dočasně nedostupná"})"}},
        {"00216151", {200, kFound, 3000}},
    };
    qputenv("TAMAREL_ARES_URL", m_register.url().toUtf8());
    platform::seams() = platform::Seams{};
}

void AresTest::icoAndDicAreChecked_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("ico");   // as normalIco gives it; empty for a DIČ
    QTest::addColumn<bool>("valid");
    QTest::newRow("a company's number") << "27074358" << "27074358" << true;
    QTest::newRow("one digit mistyped") << "27074368" << "27074368" << false;
    QTest::newRow("two digits swapped") << "27073458" << "27073458" << false;
    QTest::newRow("remainder 0: check digit 1") << "10000071" << "10000071" << true;
    QTest::newRow("remainder 1: check digit 0") << "10000020" << "10000020" << true;
    QTest::newRow("remainder 10: check digit 1") << "00216151" << "00216151" << true;
    QTest::newRow("leading zeros left out") << "216151" << "00216151" << true;
    QTest::newRow("blanks between digits") << " 270 74 358 " << "27074358" << true;
    QTest::newRow("nine digits") << "270743580" << "270743580" << false;
    QTest::newRow("a letter") << "2707435A" << "2707435A" << false;
    QTest::newRow("DIČ of a Czech company") << "CZ27074358" << "" << true;
    QTest::newRow("DIČ of a person, ten digits") << "CZ7103192745" << "" << true;
    QTest::newRow("DIČ of another state") << "DE123456789" << "" << true;
    QTest::newRow("Czech DIČ too short") << "CZ1234567" << "" << false;
    QTest::newRow("DIČ without its country") << "27074358" << "" << false;
    QTest::newRow("DIČ in small letters") << "cz27074358" << "" << false;
}

void AresTest::icoAndDicAreChecked()
{
    QFETCH(QString, typed);
    QFETCH(QString, ico);
    QFETCH(bool, valid);
    if (ico.isEmpty()) {
        QCOMPARE(invoices::dicProblem(typed).isEmpty(), valid);
        return;
    }
    QCOMPARE(invoices::normalIco(typed), ico);
    QCOMPARE(invoices::validIco(ico), valid);
}

void AresTest::theRegistersAnswersAreRead_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<AresOutcome>("outcome");
    QTest::addColumn<QString>("said");   // the message, or name | address | IČO | DIČ when found
    QTest::newRow("the register's own address line") << 200 << kFound << AresOutcome::Found
        << "Asseco Central Europe, a.s.|Budějovická 778/3a, Michle, 140 00 Praha 4|27074358|CZ27074358";
    QTest::newRow("the address built from its parts") << 200
        << QByteArray(R"({"ico":"216151","obchodniJmeno":"Obec","sidlo":{"nazevUlice":"Náměstí","cisloDomovni":1,"cisloOrientacni":2,"psc":39601,"nazevObce":"Humpolec"}})")
        << AresOutcome::Found << "Obec|Náměstí 1/2, 396 01 Humpolec|00216151|";
    QTest::newRow("a village without streets, abroad") << 200
        << QByteArray(R"({"obchodniJmeno":"Hof","sidlo":{"nazevObce":"Wien","nazevCastiObce":"Ort","cisloDomovni":7,"kodStatu":"AT","nazevStatu":"Rakousko"}})")
        << AresOutcome::Found << "Hof|Ort 7, Wien, Rakousko|10000071|";
    QTest::newRow("an error page that is no JSON") << 503 << QByteArray("<html>busy</html>") << AresOutcome::Refused
        << "The register answered with an error (HTTP 503): ";
    QTest::newRow("no JSON") << 200 << QByteArray("<html>") << AresOutcome::Refused << "The register's answer cannot be read.";
    QTest::newRow("JSON without a name") << 200 << QByteArray(R"({"ico":"10000071"})") << AresOutcome::Refused
        << "The register's answer cannot be read.";
}

void AresTest::theRegistersAnswersAreRead()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(AresOutcome, outcome);
    QFETCH(QString, said);
    const invoices::AresAnswer a = invoices::readAresAnswer(status, body, QStringLiteral("10000071"));
    QCOMPARE(a.outcome, outcome);
    if (outcome == AresOutcome::Found)
        QCOMPARE(QStringList({a.buyer.name, a.buyer.address, a.buyer.ico, a.buyer.dic}).join(u'|'), said);
    else QCOMPARE(a.text(), said);
}

void AresTest::theLookupSaysWhatCameBack_data()
{
    QTest::addColumn<QString>("ico");
    QTest::addColumn<QString>("url");
    QTest::addColumn<AresOutcome>("outcome");
    QTest::addColumn<QString>("said");
    QTest::newRow("found") << "27074358" << QString() << AresOutcome::Found << "Filled from the register.";
    QTest::newRow("unknown") << "25596641" << QString() << AresOutcome::NotFound << "The register does not know the IČO 25596641.";
    QTest::newRow("an error") << "10000020" << QString() << AresOutcome::Refused
        << "The register answered with an error (HTTP 500): Služba je dočasně nedostupná";
    QTest::newRow("too slow") << "00216151" << QString() << AresOutcome::TimedOut << "The register did not answer within 0.5 s.";
    QTest::newRow("nobody listens") << "27074358" << "http://127.0.0.1:1/x" << AresOutcome::Unreachable << "The register cannot be reached:";
    QTest::newRow("no web address") << "27074358" << "ftp://127.0.0.1/x" << AresOutcome::Unreachable
        << "The register's address is not an http or https address: ftp://127.0.0.1/x/27074358";
}

void AresTest::theLookupSaysWhatCameBack()
{
    QFETCH(QString, ico);
    QFETCH(QString, url);
    QFETCH(AresOutcome, outcome);
    QFETCH(QString, said);
    invoices::AresLookup lookup(nullptr, 500, url);
    QSignalSpy done(&lookup, &invoices::AresLookup::finished);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(lookup.start(ico));
    QVERIFY(!lookup.start(ico));   // one lookup at a time
    QVERIFY(done.wait(5000));
    QVERIFY(clock.elapsed() < 2500);   // the slow answer is not waited for
    QTest::qWait(50);
    QCOMPARE(done.count(), 1);
    const auto a = done.at(0).at(0).value<invoices::AresAnswer>();
    QCOMPARE(a.outcome, outcome);
    QVERIFY2(a.text().startsWith(said), qPrintable(a.text()));
    QCOMPARE(a.buyer.name.isEmpty(), outcome != AresOutcome::Found);
    QVERIFY(!lookup.start(QStringLiteral("27074359")));   // not a valid number: nothing asked
}

void AresTest::theBuyerDialogFillsItselfWithoutWaiting()
{
    registerBuyerDialog(nullptr);
    TfrmBuyer* w = invoices::buyerDialog();
    QStringList steps;
    platform::seams().runModal = [&steps, w](QDialog*) {
        // Found: the boxes fill once the answer is in; meanwhile everything stays editable.
        QTest::keyClicks(w->edIco, QStringLiteral("27074358"));
        QTest::mouseClick(w->btAres, Qt::LeftButton);
        steps << QString::number(!w->btAres->isEnabled() && w->edName->isEnabled() && !w->edName->isReadOnly());
        if (!QTest::qWaitFor([w] { return w->btAres->isEnabled(); }, 5000)) return int(QDialog::Rejected);
        steps << w->edName->text() + u'|' + w->edDic->text() + u'|' + w->lbAresState->text();
        // An answer for a number no longer in the box is not used.
        w->edIco->setText(QStringLiteral("00216151"));
        w->lookup().setTimeoutMs(8000);
        w->fillFromAres();
        w->edIco->setText(QStringLiteral("10000071"));
        w->edName->setText(QStringLiteral("Typed s.r.o."));
        if (!QTest::qWaitFor([w] { return w->btAres->isEnabled(); }, 6000)) return int(QDialog::Rejected);
        steps << w->edName->text() + u'|' + w->lbAresState->text();
        // Ok refuses a wrong IČO and stays open; a right one closes with the boxes' values.
        w->edIco->setText(QStringLiteral("10000072"));
        QTest::mouseClick(w->btOk, Qt::LeftButton);
        steps << QString::number(w->result()) + u'|' + w->lbAresState->text();
        w->edIco->setText(QStringLiteral("10000071"));
        QTest::mouseClick(w->btOk, Qt::LeftButton);
        return w->result();
    };
    invoices::Buyer b{QStringLiteral("Old"), QStringLiteral("Old street"), QString(), QString()};
    QVERIFY(invoices::editBuyer(nullptr, b));
    QCOMPARE(steps, (QStringList{"1", "Asseco Central Europe, a.s.|CZ27074358|Filled from the register.",
                                 "Typed s.r.o.|The IČO was changed meanwhile; the register's answer was not used.",
                                 "0|The IČO's check digit does not match; a digit is mistyped."}));
    QCOMPARE(QStringList({b.name, b.address, b.ico, b.dic}),
             (QStringList{"Typed s.r.o.", "Budějovická 778/3a, Michle, 140 00 Praha 4", "10000071", "CZ27074358"}));
    invoices::unregisterBuyerDialog();
}

QTEST_MAIN(AresTest)
#include "AresTest.moc"
