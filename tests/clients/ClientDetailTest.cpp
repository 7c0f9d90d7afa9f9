// The client card dialog driven through its controls on a real database folder: required
// fields, duplicate passport and card numbers, null dates, rating and referral selection,
// apostrophes and double quotes, a card id that is gone, invalid dates and the history page.
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "ClientsFixture.h"
#include "clients/RegisterClients.h"
#include "clients/TfrmClientDetail.h"
#include "lang/Language.h"
#include "widgets/DateEdit.h"

namespace {

void leaveByTab(QWidget* edit)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
}

void fillRequired(TfrmClientDetail* d)
{
    d->edSurname->setText(QStringLiteral("Smith"));
    d->edName->setText(QStringLiteral("Anna"));
    d->edAddress->setText(QStringLiteral("Main 1"));
    d->edCity->setText(QStringLiteral("Brno"));
    d->edPostal->setText(QStringLiteral("60200"));
    d->edCountry->setText(QStringLiteral("CZ"));
    d->edPassport->setText(QStringLiteral("P-100"));
    d->edCardNum->setText(QStringLiteral("4111"));
    d->cmbCardType->setEditText(QStringLiteral("VISA"));
    d->edCardExp->setText(QStringLiteral("12/06"));
}

}  // namespace

class TestClientDetail : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ClientsFixture> f;
    std::unique_ptr<QWidget> main;
    TfrmClientDetail* d = nullptr;

private slots:
    void init()
    {
        f = std::make_unique<ClientsFixture>();
        main = std::make_unique<QWidget>();
        registerClientDialogs(main.get());
        d = clients::clientDialogs().frmClientDetail;
        QVERIFY(d);
    }
    void cleanup()
    {
        QVERIFY2(f->unanswered.isEmpty(), qPrintable(f->unanswered.join(" / ")));
        QVERIFY2(f->unscripted.isEmpty(), qPrintable(f->unscripted.join(" / ")));
        clients::unregisterClientDialogs();
        main.reset();
        f.reset();
    }

    void newCardWithOnlySurnameListsTheMissingFields()
    {
        bool stayedOpen = false;
        QString kept;
        f->script("frmClientDetail", [&](QDialog*) {
            d->edSurname->setText(QStringLiteral("Novak"));
            f->answers << QMessageBox::No;
            QTest::mouseClick(d->bkOk, Qt::LeftButton);
            stayedOpen = d->isVisible();
            kept = d->edSurname->text();
            f->answers << QMessageBox::Yes;
            d->bkOk->click();
        });
        QCOMPARE(d->Execute(0), int(QDialog::Accepted));
        QCOMPARE(d->windowTitle(), QStringLiteral("New Client"));
        QVERIFY(stayedOpen);
        QCOMPARE(kept, QStringLiteral("Novak"));
        QCOMPARE(f->messages.size(), 2);
        const QString expected = QStringLiteral(
            "The following fields should be filled:\r\n\r\nname\r\naddress\r\ncity\r\npostal code\r\ncountry\r\n"
            "passport number\r\ncard number\r\ncard type\r\ncard expiration date\r\nknows from\r\n\r\n"
            "Do you still want to Save and Exit?");
        QCOMPARE(f->messages[0].text, expected);
        QCOMPARE(f->messages[0].caption, QStringLiteral("Client data"));
        QCOMPARE(f->messages[0].icon, platform::Icon::Question);
        QCOMPARE(f->messages[0].buttons, platform::Buttons::YesNo);
        // Empty dates are stored as null, the audit fields from the clock with an empty user.
        QCOMPARE(f->rows("SELECT SURNAME, NAME, RATING, USR, UPMJ, UPMT FROM \"{db}KARTY.DB\""),
                 QStringList{"Novak||0||5.3.2004|9:05:07"});
        QCOMPARE(f->value("SELECT count(*) FROM \"{db}KARTY.DB\" WHERE DATEBIRTH is null and PASSDATE is null"),
                 QStringLiteral("1"));
    }

    void missingFieldsAreListedInCzech()
    {
        currentLanguage()->setLanguageIdent(2);
        f->addSource("P", "Press");
        f->script("frmClientDetail", [&](QDialog*) {
            fillRequired(d);
            d->edName->clear();
            d->edCity->setText(QStringLiteral(" "));   // a single blank counts as empty
            f->answers << QMessageBox::No;
            d->bkOk->click();
            d->btCancel->click();
        });
        const int result = d->Execute(0);
        currentLanguage()->setLanguageIdent(1);
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(f->messages.size(), 1);
        QCOMPARE(f->messages[0].text, QStringLiteral("Vyplňte prosím tato pole:\r\n\r\njméno\r\nměsto\r\n\r\n"
                                                     "Chcete přesto uložit a skončit?"));
        QCOMPARE(f->messages[0].caption, QStringLiteral("Údaje klienta"));
        QCOMPARE(f->value("SELECT count(*) FROM \"{db}KARTY.DB\""), QStringLiteral("0"));
    }

    void valuesAreStoredIntact_data()
    {
        QTest::addColumn<QString>("surname");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("cardType");
        QTest::newRow("apostrophes") << "O'Brien" << "it's 'quoted'" << "Diner's Club";
        QTest::newRow("double quotes") << "Jan \"Honza\"" << "say \"hi\"" << "EC/MC";
        QTest::newRow("both") << "O'Neil \"Bob\"" << "'\"'" << "\"AMEX\"";
        QTest::newRow("accents") << "Dvořák" << "Čedok, příjezd v 9:00" << "JCB";
    }
    void valuesAreStoredIntact()
    {
        QFETCH(QString, surname);
        QFETCH(QString, comment);
        QFETCH(QString, cardType);
        f->addSource("P", "Press");
        f->addSource("W", "Web");
        f->script("frmClientDetail", [&](QDialog*) {
            fillRequired(d);
            d->edSurname->setText(surname);
            d->cmbCardType->setEditText(cardType);
            d->memComment->setPlainText(comment);
            d->edBirthDate->setText(QStringLiteral("05.03.1970"));
            d->cmbRating->setCurrentIndex(2);
            d->cmbKnowsFrom->setCurrentIndex(1);
            d->cmbAgency->setEditText(QStringLiteral("Tom's Travel"));
            d->bkOk->click();
        });
        QCOMPARE(d->Execute(0), int(QDialog::Accepted));
        QVERIFY2(f->messages.isEmpty(), f->messages.isEmpty() ? "" : qPrintable(f->messages[0].text));
        QCOMPARE(f->rows("SELECT SURNAME, COMMENT, CARDTYPE, DATEBIRTH, RATING, KNOWSFROM, AGENCY FROM \"{db}KARTY.DB\""),
                 QStringList((QStringList{surname, comment, cardType, "5.3.1970", "2", "W", "Tom's Travel"}.join('|'))));
    }

    void existingCardLoadsAndUpdatesItsOwnRow()
    {
        f->addSource("P", "Press");
        f->addSource("W", "Web");
        f->exec("INSERT INTO \"{db}KARTY.DB\" (SURNAME,NAME,TITLE,ADDRESS,CITY,POSTAL,COUNTRY,PASSPORT,PASSDATE,CARDNUM,"
                "CARDTYPE,CARDEXP,DATEBIRTH,RATING,KNOWSFROM,COMMENT,AGENCY) VALUES (\"O'Hara\",\"Kim\",\"Dr.\",\"Elm 2\","
                "\"Praha\",\"11000\",\"CZ\",\"X1\",\"1.2.2001\",\"5500\",\"AMEX\",\"01/07\",\"24.12.1965\",\"4\",\"W\","
                "\"regular\",\"CK Alfa\")");
        const int kid = f->addClient("Other", "Person");
        const int own = kid - 1;
        QString loaded;
        f->script("frmClientDetail", [&](QDialog*) {
            loaded = QStringList{d->windowTitle(), d->edSurname->text(), d->edTitle->text(), d->edBirthDate->text(),
                                 d->edPassDate->text(), d->cmbCardType->currentText(), d->cmbRating->currentText(),
                                 d->cmbKnowsFrom->currentText(), d->memComment->toPlainText(), d->cmbAgency->currentText()}
                         .join('|');
            // Keeping its own passport and card number is no duplicate.
            leaveByTab(d->edPassport);
            leaveByTab(d->edCardNum);
            d->edName->setText(QStringLiteral("Kimberly"));
            d->bkOk->click();
        });
        QCOMPARE(d->Execute(own), int(QDialog::Accepted));
        QCOMPARE(loaded, QStringLiteral("Client Detail|O'Hara|Dr.|24.12.1965|01.02.2001|AMEX|Bad|W - Web|regular|CK Alfa"));
        QVERIFY(f->messages.isEmpty());
        QCOMPARE(f->rows("SELECT KID, SURNAME, NAME, DATEBIRTH, KNOWSFROM FROM \"{db}KARTY.DB\" ORDER BY KID"),
                 (QStringList{QStringLiteral("%1|O'Hara|Kimberly|24.12.1965|W").arg(own),
                              QStringLiteral("%1|Other|Person||").arg(kid)}));
    }

    void ratingAndReferralOfALoadedCard_data()
    {
        QTest::addColumn<QString>("rating");
        QTest::addColumn<QString>("knowsFrom");
        QTest::addColumn<QString>("shownRating");
        QTest::addColumn<QString>("shownSource");
        QTest::addColumn<QString>("storedSource");
        QTest::newRow("valid") << "3" << "W" << "Good" << "W - Web" << "W";
        QTest::newRow("empty rating, empty source") << "" << "" << "Not specified" << "B - Booking" << "B";
        QTest::newRow("letter rating, unknown source") << "x" << "Z" << "Not specified" << "B - Booking" << "B";
        QTest::newRow("rating beyond 5") << "7" << "P" << "Not specified" << "P - Press" << "P";
        QTest::newRow("lowest") << "0" << "B" << "Not specified" << "B - Booking" << "B";
        QTest::newRow("highest") << "5" << "P" << "Terrible" << "P - Press" << "P";
    }
    void ratingAndReferralOfALoadedCard()
    {
        QFETCH(QString, rating);
        QFETCH(QString, knowsFrom);
        QFETCH(QString, shownRating);
        QFETCH(QString, shownSource);
        QFETCH(QString, storedSource);
        f->addSource("W", "Web");
        f->addSource("B", "Booking");
        f->addSource("P", "Press");
        f->exec(QStringLiteral("INSERT INTO \"{db}KARTY.DB\" (SURNAME,RATING,KNOWSFROM) VALUES (\"Lee\",\"%1\",\"%2\")")
                    .arg(rating, knowsFrom));
        const int kid = f->value("SELECT max(KID) FROM \"{db}KARTY.DB\"").toInt();
        QString shown;
        f->script("frmClientDetail", [&](QDialog*) {
            shown = d->cmbRating->currentText() + '|' + d->cmbKnowsFrom->currentText();
            f->answers << QMessageBox::Yes;   // the other required fields are empty
            d->bkOk->click();
        });
        QCOMPARE(d->Execute(kid), int(QDialog::Accepted));
        QCOMPARE(shown, shownRating + '|' + shownSource);
        const QString expectedRating = QString::number(qMax(0, QStringList{"Not specified", "Excellent", "Very Good",
                                                                           "Good", "Bad", "Terrible"}
                                                                   .indexOf(shownRating)));
        QCOMPARE(f->value(QStringLiteral("SELECT RATING, KNOWSFROM FROM \"{db}KARTY.DB\" WHERE KID=%1").arg(kid)),
                 expectedRating + '|' + storedSource);
    }

    void duplicatesWarnOnLeavingAndAskOnSaving_data()
    {
        QTest::addColumn<bool>("passport");
        QTest::newRow("passport") << true;
        QTest::newRow("card number") << false;
    }
    void duplicatesWarnOnLeavingAndAskOnSaving()
    {
        QFETCH(bool, passport);
        f->addSource("P", "Press");
        f->addClient("Smith", "John", "Brno", "P-7", "4000-1");
        const QString finding = passport
            ? QStringLiteral("Client with this PASSPORT number already exists:\r\n\r\nJohn Smith")
            : QStringLiteral("Client with this CARD NUMBER already exists:\r\n\r\nJohn Smith");
        bool openAfterNo = false;
        f->script("frmClientDetail", [&](QDialog*) {
            fillRequired(d);
            QLineEdit* edit = passport ? d->edPassport : d->edCardNum;
            edit->setText(passport ? QStringLiteral("P-7") : QStringLiteral("4000-1"));
            leaveByTab(edit);
            f->answers << QMessageBox::No;
            d->bkOk->click();
            openAfterNo = d->isVisible();
            f->answers << QMessageBox::Yes;
            d->bkOk->click();
        });
        QCOMPARE(d->Execute(0), int(QDialog::Accepted));
        QVERIFY(openAfterNo);
        QCOMPARE(f->messages.size(), 3);
        QCOMPARE(f->messages[0].text, finding);
        QCOMPARE(f->messages[0].caption, QStringLiteral("Client data"));
        QCOMPARE(f->messages[0].icon, platform::Icon::Warning);
        QCOMPARE(f->messages[0].buttons, platform::Buttons::Ok);
        for (int i : {1, 2}) {
            QCOMPARE(f->messages[i].text, finding + QStringLiteral("\r\n\r\nAre you sure to save?"));
            QCOMPARE(f->messages[i].icon, platform::Icon::Warning);
            QCOMPARE(f->messages[i].buttons, platform::Buttons::YesNo);
        }
        QCOMPARE(f->value("SELECT count(*) FROM \"{db}KARTY.DB\""), QStringLiteral("2"));
    }

    void aCardThatIsGoneIsNotReportedAsSaved()
    {
        f->addSource("P", "Press");
        const int kid = f->addClient("Gone", "Soon");
        f->exec(QStringLiteral("DELETE FROM \"{db}KARTY.DB\" WHERE KID=%1").arg(kid));
        QString title, surname;
        f->script("frmClientDetail", [&](QDialog*) {
            title = d->windowTitle();
            surname = d->edSurname->text();
            fillRequired(d);
            d->bkOk->click();
        });
        QCOMPARE(d->Execute(kid), int(QDialog::Rejected));
        QCOMPARE(title, QStringLiteral("Client Detail"));
        QCOMPARE(surname, QString());
        QCOMPARE(f->stayedOpen, QStringList{"frmClientDetail"});
        // Said on opening, and Ok saves nothing.
        QCOMPARE(f->messages.size(), 2);
        QCOMPARE(f->messages[0].text, QStringLiteral("Can't load the data"));
        QCOMPARE(f->messages[1].text, QStringLiteral("Insert/Update failed."));
        QCOMPARE(f->messages[1].icon, platform::Icon::Warning);
        QCOMPARE(f->value("SELECT count(*) FROM \"{db}KARTY.DB\""), QStringLiteral("0"));
    }

    void anInvalidDateKeepsTheDialogOpen()
    {
        f->addSource("P", "Press");
        f->script("frmClientDetail", [&](QDialog*) {
            fillRequired(d);
            d->edPassDate->setText(QStringLiteral("31.02.2004"));
            d->bkOk->click();
        });
        QCOMPARE(d->Execute(0), int(QDialog::Rejected));
        QCOMPARE(f->stayedOpen, QStringList{"frmClientDetail"});
        QCOMPARE(f->messages.size(), 1);   // the date box's own message
        QCOMPARE(f->value("SELECT count(*) FROM \"{db}KARTY.DB\""), QStringLiteral("0"));
    }

    void cancelSavesNothingAndTheNextOpeningStartsEmpty()
    {
        f->script("frmClientDetail", [&](QDialog*) {
            fillRequired(d);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QString surname = QStringLiteral("?");
        f->script("frmClientDetail", [&](QDialog*) {
            surname = d->edSurname->text() + d->edPassport->text() + d->cmbCardType->currentText();
            d->btCancel->click();
        });
        QCOMPARE(d->Execute(0), int(QDialog::Rejected));
        QCOMPARE(d->Execute(0), int(QDialog::Rejected));
        QCOMPARE(surname, QString());
        QVERIFY(f->stayedOpen.isEmpty());
        QCOMPARE(f->value("SELECT count(*) FROM \"{db}KARTY.DB\""), QStringLiteral("0"));
    }

    void historyPageListsTheClientsAccounts()
    {
        const int kid = f->addClient("Hist", "Ory");
        f->exec(QStringLiteral("INSERT INTO \"{db}UCTY.DB\" (KID,UFROM,UTHRU,TOTALEUR,TOTALCZK,RECEPCE) "
                               "VALUES (%1,\"1.3.2004\",\"4.3.2004\",150.5,4515,\"\")").arg(kid));
        f->exec(QStringLiteral("INSERT INTO \"{db}UCTY.DB\" (KID,UFROM) VALUES (%1,\"10.3.2004\")").arg(kid + 1));
        f->exec(QStringLiteral("INSERT INTO \"{db}UCTY.DB\" (KID,UFROM) VALUES (%1,\"20.3.2004\")").arg(kid));
        QStringList cells, titles;
        f->script("frmClientDetail", [&](QDialog*) {
            d->pgPages->setCurrentWidget(d->pgHistory);
            QAbstractItemModel* m = d->dbgHistory->model();
            for (int c = 0; c < m->columnCount(); ++c) titles << m->headerData(c, Qt::Horizontal).toString();
            for (int r = 0; r < m->rowCount(); ++r)
                for (int c = 0; c < m->columnCount(); ++c) cells << m->index(r, c).data().toString();
            d->btCancel->click();
        });
        d->Execute(kid);
        QCOMPARE(titles, (QStringList{"From", "Thru", "Eur", "Czk", "Reception"}));
        QCOMPARE(cells, (QStringList{"1.3.2004", "4.3.2004", "150.5", "4515", "", "20.3.2004", "", "", "", ""}));
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TLanguage language;
    language.setLanguageIdent(1);
    TestClientDetail test;
    return QTest::qExec(&test, argc, argv);
}

#include "ClientDetailTest.moc"
