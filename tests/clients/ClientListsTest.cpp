// The client register and the client picker driven through their controls: the empty grid
// on opening, the cumulative filter, like with an empty value, a refused search, add with
// the filtered-out message, display, delete and the row kept after it, and the picker's id.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "ClientsFixture.h"
#include "widgets/QueryTableModel.h"
#include "clients/RegisterClients.h"
#include "clients/TfrmBrowseClientCard.h"
#include "clients/TfrmClientDetail.h"
#include "clients/TfrmFindClientCard.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"

namespace {

QStringList listed(TClientCardList* w, const char* field = "SURNAME")
{
    QStringList out;
    for (int r = 0; r < w->list()->rowCount(); ++r) out << w->list()->fieldText(r, QLatin1String(field));
    return out;
}

void search(TClientCardList* w, const QString& title, const QString& operation, const QString& value)
{
    w->cmbFilterBy->setCurrentText(title);
    w->cmbFilterOperation->setCurrentText(operation);
    w->edFilterValue->setText(value);
    QTest::mouseClick(w->btSearch, Qt::LeftButton);
}

}  // namespace

class TestClientLists : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ClientsFixture> f;
    std::unique_ptr<QWidget> main;
    TfrmBrowseClientCard* browse = nullptr;
    TfrmFindClientCard* find = nullptr;
    TfrmClientDetail* detail = nullptr;

    void addPeople()
    {
        f->addClient("Novak", "Petr", "Praha");
        f->addClient("Novotna", "Eva", "Brno");
        f->addClient("Adams", "Zoe", "Praha");
        f->addClient("O'Neil", "Sean", "Cork");
        f->addClient("Nowak", "Adam", "Praha");
    }

private slots:
    void init()
    {
        f = std::make_unique<ClientsFixture>();
        main = std::make_unique<QWidget>();
        registerClientDialogs(main.get());
        browse = clients::clientDialogs().frmBrowseClientCard;
        find = clients::clientDialogs().frmFindClientCard;
        detail = clients::clientDialogs().frmClientDetail;
        QVERIFY(browse && find && detail);
    }
    void cleanup()
    {
        QVERIFY2(f->unanswered.isEmpty(), qPrintable(f->unanswered.join(" / ")));
        QVERIFY2(f->unscripted.isEmpty(), qPrintable(f->unscripted.join(" / ")));
        clients::unregisterClientDialogs();
        main.reset();
        f.reset();
    }

    void openingShowsAnEmptyGridAndClearFilterListsAll()
    {
        addPeople();
        QStringList before, after, filterBy;
        bool selectEnabled = true, deleteEnabled = true;
        f->script("frmBrowseClientCard", [&](QDialog*) {
            before = listed(browse);
            selectEnabled = browse->btSelect->isEnabled();
            deleteEnabled = browse->btDelete->isEnabled();
            for (int i = 0; i < browse->cmbFilterBy->count(); ++i) filterBy << browse->cmbFilterBy->itemText(i);
            filterBy << browse->cmbFilterBy->currentText() << browse->cmbFilterOperation->currentText();
            QTest::mouseClick(browse->btClearFilter, Qt::LeftButton);
            after = listed(browse);
            QTest::mouseClick(browse->btClose, Qt::LeftButton);
        });
        QCOMPARE(browse->Execute(), int(QDialog::Accepted));
        QVERIFY(before.isEmpty());
        QVERIFY(!selectEnabled && !deleteEnabled);
        QCOMPARE(filterBy, (QStringList{"Id", "Surname", "Name", "Title", "Address", "City", "Postal", "Country",
                                        "Date of Birth", "Passport", "Card Number", "Exp.", "Card Type", "Comment",
                                        "Surname", "like"}));
        QCOMPARE(after, (QStringList{"Adams", "Novak", "Novotna", "Nowak", "O'Neil"}));
    }

    void filtersAccumulateUntilCleared_data()
    {
        QTest::addColumn<QStringList>("searches");   // title|operation|value, in turn
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("surname like, then city =")
            << QStringList{"Surname|like|No", "City|=|Praha"} << QStringList{"Novak", "Nowak"};
        QTest::newRow("like with an empty value") << QStringList{"Surname|like|"}
                                                  << QStringList{"Adams", "Novak", "Novotna", "Nowak", "O'Neil"};
        QTest::newRow("apostrophe") << QStringList{"Surname|like|O'Ne"} << QStringList{"O'Neil"};
        QTest::newRow("equal with apostrophe") << QStringList{"Surname|=|O'Neil"} << QStringList{"O'Neil"};
        QTest::newRow("double quote matches nothing") << QStringList{"Surname|like|\"x"} << QStringList{};
        QTest::newRow("not equal") << QStringList{"City|<>|Praha"} << QStringList{"Novotna", "O'Neil"};
        QTest::newRow("greater or equal, then less")
            << QStringList{"Surname|>=|Novotna", "Name|<|F"} << QStringList{"Novotna", "Nowak"};
        QTest::newRow("three conditions")
            << QStringList{"City|like|a", "Surname|like|N", "Name|=|Adam"} << QStringList{"Nowak"};
    }
    void filtersAccumulateUntilCleared()
    {
        QFETCH(QStringList, searches);
        QFETCH(QStringList, expected);
        addPeople();
        QStringList got, afterClear;
        QString filter;
        f->script("frmBrowseClientCard", [&](QDialog*) {
            for (const QString& s : searches) {
                const QStringList p = s.split('|');
                search(browse, p[0], p[1], p[2]);
            }
            got = listed(browse);
            filter = browse->filter();
            QTest::mouseClick(browse->btClearFilter, Qt::LeftButton);
            afterClear = listed(browse);
            browse->btClose->click();
        });
        browse->Execute();
        QCOMPARE(got, expected);
        QCOMPARE(filter.count(QStringLiteral(" and ")), searches.size() - 1);
        QVERIFY(filter.startsWith(QStringLiteral(" WHERE (")));
        QCOMPARE(afterClear.size(), 5);
        QVERIFY(f->messages.isEmpty());
    }

    void aRefusedSearchStaysInTheFilterUntilCleared()
    {
        addPeople();
        QStringList afterSecond, afterClear;
        f->script("frmBrowseClientCard", [&](QDialog*) {
            search(browse, "Date of Birth", "=", "not a date");
            search(browse, "Surname", "like", "No");
            afterSecond = listed(browse);
            browse->btClearFilter->click();
            search(browse, "Surname", "like", "No");
            afterClear = listed(browse);
            browse->btClose->click();
        });
        browse->Execute();
        QCOMPARE(f->messages.size(), 2);
        for (const ShownMessage& m : f->messages) {
            QCOMPARE(m.text, QStringLiteral("Error in your request"));
            QCOMPARE(m.caption, QStringLiteral("Clients"));
            QCOMPARE(m.icon, platform::Icon::Warning);
        }
        QVERIFY(afterSecond.isEmpty());
        QCOMPARE(afterClear, (QStringList{"Novak", "Novotna", "Nowak"}));
    }

    void aFilterTitleWithoutColumnIsAnInternalError()
    {
        f->script("frmFindClientCard", [&](QDialog*) {
            find->cmbFilterBy->addItem(QStringLiteral("Nothing"));
            find->cmbFilterBy->setCurrentText(QStringLiteral("Nothing"));
            find->btSearch->click();
            find->btClose->click();
        });
        find->Execute();
        QCOMPARE(f->messages.size(), 1);
        QCOMPARE(f->messages[0].text, QStringLiteral("Internal Error (FindClient, 71)"));
        QCOMPARE(f->messages[0].caption, QStringLiteral("Error"));
        QVERIFY(find->filter().isEmpty());
    }

    void addingShowsTheNewCardOrSaysItIsFilteredOut_data()
    {
        QTest::addColumn<QString>("surname");
        QTest::addColumn<bool>("visible");
        QTest::newRow("matches the filter") << "Novy" << true;
        QTest::newRow("filtered out") << "Zeman" << false;
    }
    void addingShowsTheNewCardOrSaysItIsFilteredOut()
    {
        QFETCH(QString, surname);
        QFETCH(bool, visible);
        addPeople();
        f->addSource("P", "Press");
        f->script("frmClientDetail", [&](QDialog*) {
            detail->edSurname->setText(surname);
            detail->edName->setText(QStringLiteral("Jan"));
            f->answers << QMessageBox::Yes;   // save with missing fields
            detail->bkOk->click();
        });
        QString current;
        f->script("frmBrowseClientCard", [&](QDialog*) {
            search(browse, "Surname", "like", "No");
            browse->btAddRecord->click();
            current = browse->list()->fieldText(browse->currentRow(), "SURNAME");
            browse->btClose->click();
        });
        browse->Execute();
        QCOMPARE(f->value(QStringLiteral("SELECT count(*) FROM \"{db}KARTY.DB\" WHERE SURNAME=\"%1\"").arg(surname)),
                 QStringLiteral("1"));
        if (visible) {
            QCOMPARE(f->messages.size(), 1);   // only the missing-fields question
            QCOMPARE(current, surname);
        } else {
            QCOMPARE(f->messages.size(), 2);
            QCOMPARE(f->messages[1].text, QStringLiteral("The new record is filtered out and thus not visible"));
            QCOMPARE(f->messages[1].caption, QStringLiteral("Clients"));
            QCOMPARE(f->messages[1].icon, platform::Icon::Information);
        }
    }

    void deleteKeepsTheRowNumberOrTheNewLastRow_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("current");
        const QStringList all{"Adams", "Novak", "Novotna", "Nowak", "O'Neil"};
        QTest::newRow("last row") << 4 << int(QMessageBox::Yes) << QStringList{"Adams", "Novak", "Novotna", "Nowak"}
                                  << "Nowak";
        QTest::newRow("middle row") << 1 << int(QMessageBox::Yes) << QStringList{"Adams", "Novotna", "Nowak", "O'Neil"}
                                    << "Novotna";
        QTest::newRow("first row") << 0 << int(QMessageBox::Yes) << QStringList{"Novak", "Novotna", "Nowak", "O'Neil"}
                                   << "Novak";
        QTest::newRow("no") << 2 << int(QMessageBox::No) << all << "Novotna";
        QTest::newRow("cancel") << 2 << int(QMessageBox::Cancel) << all << "Novotna";
    }
    void deleteKeepsTheRowNumberOrTheNewLastRow()
    {
        QFETCH(int, row);
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        QFETCH(QString, current);
        addPeople();
        QString question;
        QStringList shown;
        QString currentAfter;
        f->script("frmBrowseClientCard", [&](QDialog*) {
            browse->btClearFilter->click();
            browse->setCurrentRow(row);
            f->answers << answer;
            browse->btDelete->click();
            shown = listed(browse);
            currentAfter = browse->list()->fieldText(browse->currentRow(), "SURNAME");
            browse->btClose->click();
        });
        browse->Execute();
        QCOMPARE(f->messages.size(), 1);
        const QStringList names{"Zoe Adams", "Petr Novak", "Eva Novotna", "Adam Nowak", "Sean O'Neil"};
        QCOMPARE(f->messages[0].text,
                 QStringLiteral("If you delete the client, your database may become inconsistent!\r\n"
                                "Are you absolutely sure that you must delete this client record?\r\n\r\n           ")
                     + names[row] + QStringLiteral("\r\n\r\nRecommended action is \u00BBNo\u00AB!"));
        QCOMPARE(f->messages[0].caption, QStringLiteral("Clients data"));
        // The text recommends No: No is the default button.
        QCOMPARE(f->messages[0].buttons, platform::Buttons::YesNoCancelDefaultNo);
        QCOMPARE(shown, left);
        QCOMPARE(currentAfter, current);
        QCOMPARE(f->rows("SELECT SURNAME FROM \"{db}KARTY.DB\" ORDER BY SURNAME"), left);
    }

    void deletingTheOnlyRowDisablesTheRowButtons()
    {
        f->addClient("Solo", "Han");
        bool selectEnabled = true, deleteEnabled = true;
        f->script("frmBrowseClientCard", [&](QDialog*) {
            browse->btClearFilter->click();
            f->answers << QMessageBox::Yes;
            browse->btDelete->click();
            selectEnabled = browse->btSelect->isEnabled();
            deleteEnabled = browse->btDelete->isEnabled();
            browse->btClose->click();
        });
        browse->Execute();
        QVERIFY(!selectEnabled && !deleteEnabled);
        QCOMPARE(f->value("SELECT count(*) FROM \"{db}KARTY.DB\""), QStringLiteral("0"));
    }

    void displayOpensTheCardAndComesBackToItsRow()
    {
        addPeople();
        int shownKid = -1;
        f->script("frmClientDetail", [&](QDialog*) {
            shownKid = detail->KID;
            detail->edSurname->setText(QStringLiteral("Aaron"));   // now sorts first
            f->answers << QMessageBox::Yes;
            detail->bkOk->click();
        });
        QString currentAfter;
        int kid = 0;
        f->script("frmBrowseClientCard", [&](QDialog*) {
            browse->btClearFilter->click();
            browse->setCurrentRow(3);   // Nowak
            kid = browse->currentKID();
            QTest::keyClick(browse->dbgClients, Qt::Key_Return);
            currentAfter = browse->list()->fieldText(browse->currentRow(), "SURNAME") + '|'
                + QString::number(browse->currentRow());
            browse->btClose->click();
        });
        browse->Execute();
        QCOMPARE(shownKid, kid);
        QCOMPARE(currentAfter, QStringLiteral("Aaron|0"));
    }

    void pickerReturnsTheChosenId()
    {
        addPeople();
        f->script("frmFindClientCard", [&](QDialog*) { find->btClose->click(); });
        QCOMPARE(find->Execute(), int(QDialog::Rejected));
        QCOMPARE(find->KID, QString());

        bool listClosedAfterClear = false;
        f->script("frmFindClientCard", [&](QDialog*) {
            search(find, "City", "=", "Cork");
            find->btClearFilter->click();
            listClosedAfterClear = !find->list()->isOpen() && !find->btSelect->isEnabled();
            search(find, "City", "=", "Cork");
            const QPoint at = find->dbgClients->visualRect(find->list()->index(0, 1)).center();
            QTest::mouseClick(find->dbgClients->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(find->dbgClients->viewport(), Qt::LeftButton, {}, at);
        });
        QCOMPARE(find->Execute(), int(QDialog::Accepted));
        QVERIFY(listClosedAfterClear);
        QCOMPARE(find->KID, f->value("SELECT KID FROM \"{db}KARTY.DB\" WHERE SURNAME=\"O'Neil\""));

        // Enter is Select; the chosen id is cleared when the picker opens again.
        QString atOpening = QStringLiteral("?");
        f->script("frmFindClientCard", [&](QDialog*) {
            atOpening = find->KID;
            search(find, "Surname", "like", "Ada");
            QTest::keyClick(find->dbgClients, Qt::Key_Return);
        });
        QCOMPARE(find->Execute(), int(QDialog::Accepted));
        QCOMPARE(atOpening, QString());
        QCOMPARE(find->KID, f->value("SELECT KID FROM \"{db}KARTY.DB\" WHERE SURNAME=\"Adams\""));
    }

    void pickerAddOpensTheListOnTheNewCard()
    {
        f->addClient("Berg", "Ola");
        f->script("frmClientDetail", [&](QDialog*) {
            detail->edSurname->setText(QStringLiteral("Cole"));
            detail->edName->setText(QStringLiteral("Ada"));
            f->answers << QMessageBox::Yes;
            detail->bkOk->click();
        });
        f->script("frmFindClientCard", [&](QDialog*) {
            find->btAddRecord->click();
            find->btSelect->click();
        });
        QCOMPARE(find->Execute(), int(QDialog::Accepted));
        QCOMPARE(find->KID, f->value("SELECT KID FROM \"{db}KARTY.DB\" WHERE SURNAME=\"Cole\""));
    }

    void theSeamWritesTheChosenIdBack()
    {
        addPeople();
        f->script("frmFindClientCard", [&](QDialog*) {
            search(find, "Surname", "=", "Novak");
            find->btSelect->click();
        });
        QVariantMap args;
        QCOMPARE(platform::openDialog(QStringLiteral("frmFindClientCard"), args), platform::kAccepted);
        QCOMPARE(args.value("KID").toString(), f->value("SELECT KID FROM \"{db}KARTY.DB\" WHERE SURNAME=\"Novak\""));

        int kid = -1;
        f->script("frmClientDetail", [&](QDialog*) {
            kid = detail->KID;
            detail->btCancel->click();
        });
        QVariantMap cardArgs{{"KID", 3}};
        QCOMPARE(platform::openDialog(QStringLiteral("frmClientDetail"), cardArgs), platform::kRejected);
        QCOMPARE(kid, 3);
        QVERIFY(platform::hasDialog(QStringLiteral("frmBrowseClientCard")));
        QVERIFY(platform::hasDialog(QStringLiteral("frmKnowsFrom")));
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TLanguage language;
    language.setLanguageIdent(1);
    TestClientLists test;
    return QTest::qExec(&test, argc, argv);
}

#include "ClientListsTest.moc"
