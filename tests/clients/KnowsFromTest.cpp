// The referral source editor on a real ODKUDVI.DB: the always-free last row, typing a new
// source into it, leaving it untouched, editing, delete with its question, a code the table
// refuses, and the new source offered in the client card next time.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "ClientsFixture.h"
#include "clients/RegisterClients.h"
#include "clients/TfrmClientDetail.h"
#include "clients/TfrmKnowsFrom.h"
#include "lang/Language.h"
#include "widgets/TableGrid.h"

class TestKnowsFrom : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ClientsFixture> f;
    std::unique_ptr<QWidget> main;
    TfrmKnowsFrom* w = nullptr;

    QStringList sources() { return f->rows("SELECT FID, FDESCR FROM \"{db}ODKUDVI.DB\" ORDER BY FID"); }
    void goToRow(int row, int column = 0)
    {
        w->dbgKnowsFrom->setCurrentIndex(w->dbgKnowsFrom->model()->index(row, column));
    }

private slots:
    void init()
    {
        f = std::make_unique<ClientsFixture>();
        main = std::make_unique<QWidget>();
        registerClientDialogs(main.get());
        w = clients::clientDialogs().frmKnowsFrom;
        QVERIFY(w);
        f->addSource("B", "Booking");
        f->addSource("W", "Web");
    }
    void cleanup()
    {
        QVERIFY2(f->unanswered.isEmpty(), qPrintable(f->unanswered.join(" / ")));
        clients::unregisterClientDialogs();
        main.reset();
        f.reset();
    }

    void theLastRowIsFreeAndAnUntouchedOneStoresNothing()
    {
        int rows = 0;
        QString titles;
        f->script("frmKnowsFrom", [&](QDialog*) {
            QAbstractItemModel* m = w->dbgKnowsFrom->model();
            rows = m->rowCount();
            titles = m->headerData(0, Qt::Horizontal).toString() + '|' + m->headerData(1, Qt::Horizontal).toString();
            goToRow(2);
            goToRow(1);
            goToRow(2);
            w->close();
        });
        w->Execute();
        QCOMPARE(rows, 3);
        QCOMPARE(titles, QStringLiteral("Code|Description"));
        QVERIFY(f->stayedOpen.isEmpty());
        QCOMPARE(sources(), (QStringList{"B|Booking", "W|Web"}));
    }

    void aSourceTypedIntoTheFreeRowIsStoredOnClosing()
    {
        f->script("frmKnowsFrom", [&](QDialog*) {
            goToRow(2);
            QVERIFY(w->dbgKnowsFrom->setCurrentText("FID", "P"));
            QVERIFY(w->dbgKnowsFrom->setCurrentText("FDESCR", "Press"));
            w->close();
        });
        w->Execute();
        QVERIFY(f->stayedOpen.isEmpty());
        QCOMPARE(sources(), (QStringList{"B|Booking", "P|Press", "W|Web"}));

        // The client card offers it the next time it opens.
        TfrmClientDetail* d = clients::clientDialogs().frmClientDetail;
        QStringList offered;
        f->script("frmClientDetail", [&](QDialog*) {
            for (int i = 0; i < d->cmbKnowsFrom->count(); ++i) offered << d->cmbKnowsFrom->itemText(i);
            d->btCancel->click();
        });
        d->Execute(0);
        QCOMPARE(offered, (QStringList{"B - Booking", "P - Press", "W - Web"}));
    }

    void anEditedRowIsStoredWhenTheCursorLeavesIt()
    {
        QStringList afterMove;
        f->script("frmKnowsFrom", [&](QDialog*) {
            goToRow(1, 1);
            QVERIFY(w->dbgKnowsFrom->setCurrentText("FDESCR", "Web page"));
            goToRow(0);
            afterMove = sources();
            w->close();
        });
        w->Execute();
        QCOMPARE(afterMove, (QStringList{"B|Booking", "W|Web page"}));
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("no keeps it") << false << int(QMessageBox::No) << QStringList{"B|Booking", "W|Web"};
        QTest::newRow("yes deletes it") << false << int(QMessageBox::Yes) << QStringList{"W|Web"};
        QTest::newRow("keyboard, no") << true << int(QMessageBox::No) << QStringList{"B|Booking", "W|Web"};
        QTest::newRow("keyboard, yes") << true << int(QMessageBox::Yes) << QStringList{"W|Web"};
    }
    void deleteAsksFirst()
    {
        QFETCH(bool, byKeyboard);
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        f->exec("INSERT INTO \"{db}KARTY.DB\" (SURNAME,KNOWSFROM) VALUES (\"Keeps\",\"B\")");
        f->script("frmKnowsFrom", [&](QDialog*) {
            goToRow(0);
            f->answers << answer;
            if (byKeyboard) QTest::keyClick(w->dbgKnowsFrom, Qt::Key_Delete, Qt::ControlModifier);
            else w->mnDelete->trigger();
            w->close();
        });
        w->Execute();
        QVERIFY2(f->messages.size() == 1, qPrintable(f->messages.last().text));
        QCOMPARE(f->messages[0].text, QStringLiteral("Are you sure to delete this record?"));
        QCOMPARE(f->messages[0].caption, QStringLiteral("Knows from settings"));
        QCOMPARE(f->messages[0].buttons, platform::Buttons::YesNo);
        QCOMPARE(sources(), left);
        // Cards keep the code they carry.
        QCOMPARE(f->value("SELECT KNOWSFROM FROM \"{db}KARTY.DB\""), QStringLiteral("B"));
    }

    void aRefusedCodeKeepsTheWindowOpenOnItsRow()
    {
        bool openAfterFirstClose = false;
        f->script("frmKnowsFrom", [&](QDialog*) {
            goToRow(2);
            w->dbgKnowsFrom->setCurrentText("FID", "W");   // the code exists already
            w->dbgKnowsFrom->setCurrentText("FDESCR", "Again");
            w->close();
            openAfterFirstClose = w->isVisible();
            QTest::keyClick(w->dbgKnowsFrom, Qt::Key_Escape);   // gives the row up
            w->close();
        });
        w->Execute();
        QVERIFY(openAfterFirstClose);
        QVERIFY(f->stayedOpen.isEmpty());
        QCOMPARE(f->messages.size(), 1);   // the table's own refusal
        QCOMPARE(sources(), (QStringList{"B|Booking", "W|Web"}));
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TLanguage language;
    language.setLanguageIdent(1);
    TestKnowsFrom test;
    return QTest::qExec(&test, argc, argv);
}

#include "KnowsFromTest.moc"
