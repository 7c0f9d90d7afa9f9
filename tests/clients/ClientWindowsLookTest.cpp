// How the client windows look in English and in Czech: no caption is cut off, the card's
// tab order runs down the Basic page, and Enter and Esc do what each window promises.
// With CLIENTS_SHOT_DIR set, every window is also saved there as a PNG to look at.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "ClientsFixture.h"
#include "widgets/QueryTableModel.h"
#include "clients/RegisterClients.h"
#include "clients/TfrmBrowseClientCard.h"
#include "clients/TfrmClientDetail.h"
#include "clients/TfrmFindClientCard.h"
#include "clients/TfrmKnowsFrom.h"
#include "lang/Language.h"

namespace {

QStringList clippedCaptions(QWidget* window)
{
    QStringList clipped;
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->isVisible() && l->width() < l->sizeHint().width()) clipped << l->objectName() + ": " + l->text();
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->isVisible() && b->width() < b->sizeHint().width()) clipped << b->objectName() + ": " + b->text();
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        if (g->isVisible() && g->width() < g->minimumSizeHint().width()) clipped << g->objectName() + ": " + g->title();
    for (QTableView* v : window->findChildren<QTableView*>())
        for (int i = 0; v->isVisible() && i < v->model()->columnCount(); ++i)
            if (v->columnWidth(i) < v->horizontalHeader()->sectionSizeHint(i))
                clipped << v->objectName() + ": " + v->model()->headerData(i, Qt::Horizontal).toString();
    for (QTabWidget* t : window->findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i)
            if (t->tabBar()->tabRect(i).width() < t->tabBar()->fontMetrics().horizontalAdvance(t->tabText(i))) clipped << t->tabText(i);
    return clipped;
}

void shoot(QWidget* window, const QString& name)
{
    const QString dir = qEnvironmentVariable("CLIENTS_SHOT_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    window->grab().save(dir + '/' + name + ".png");
}

}  // namespace

class TestClientWindowsLook : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ClientsFixture> f;
    std::unique_ptr<QWidget> main;

private slots:
    void init()
    {
        f = std::make_unique<ClientsFixture>();
        main = std::make_unique<QWidget>();
        registerClientDialogs(main.get());
        f->addSource("B", "Booking");
        f->addSource("W", "Web page");
        f->addClient("Dvořák", "Antonín", "Praha", "P-1", "4000");
        f->addClient("O'Neil", "Sean", "Cork");
    }
    void cleanup()
    {
        currentLanguage()->setLanguageIdent(1);
        currentLanguage()->TranslateAll();
        clients::unregisterClientDialogs();
        main.reset();
        f.reset();
    }

    void noCaptionIsClipped_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 1;
        QTest::newRow("Czech") << 2;
    }
    void noCaptionIsClipped()
    {
        QFETCH(int, language);
        currentLanguage()->setLanguageIdent(language);
        currentLanguage()->TranslateAll();
        const QString suffix = language == 2 ? QStringLiteral("-cs") : QStringLiteral("-en");
        const clients::ClientDialogs& w = clients::clientDialogs();

        QStringList clipped;
        QString detailTitle, ratingItem, browseTitle;
        f->script("frmClientDetail", [&](QDialog* d) {
            for (QWidget* page : {w.frmClientDetail->pgDefault, w.frmClientDetail->pgExtra, w.frmClientDetail->pgHistory}) {
                w.frmClientDetail->pgPages->setCurrentWidget(page);
                QApplication::processEvents();
                clipped << clippedCaptions(d);
                shoot(d, QStringLiteral("frmClientDetail-") + page->objectName() + suffix);
            }
            detailTitle = d->windowTitle();
            ratingItem = w.frmClientDetail->cmbRating->itemText(1);
            w.frmClientDetail->btCancel->click();
        });
        w.frmClientDetail->Execute(1);
        for (TClientCardList* list : {static_cast<TClientCardList*>(w.frmBrowseClientCard.data()),
                                      static_cast<TClientCardList*>(w.frmFindClientCard.data())}) {
            f->script(list->objectName(), [&, list](QDialog* d) {
                list->btClearFilter->click();
                if (!list->list()->isOpen()) list->refresh();
                QApplication::processEvents();
                clipped << clippedCaptions(d);
                if (list == w.frmBrowseClientCard) browseTitle = d->windowTitle();
                shoot(d, list->objectName() + suffix);
                d->reject();
            });
        }
        w.frmBrowseClientCard->Execute();
        w.frmFindClientCard->Execute();
        f->script("frmKnowsFrom", [&](QDialog* d) {
            QApplication::processEvents();
            clipped << clippedCaptions(d);
            shoot(d, QStringLiteral("frmKnowsFrom") + suffix);
            d->close();
        });
        w.frmKnowsFrom->Execute();

        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(" / ")));
        QCOMPARE(detailTitle, language == 2 ? QStringLiteral("Karta klienta") : QStringLiteral("Client Detail"));
        QCOMPARE(ratingItem, language == 2 ? QStringLiteral("Výborný") : QStringLiteral("Excellent"));
        QCOMPARE(browseTitle, language == 2 ? QStringLiteral("Přehled klientů") : QStringLiteral("Browse Clients"));
    }

    void everyTranslationRowReachesAControl()
    {
        QStringList unresolved;
        int rows = 0;
        for (const LanguageRow& row : currentLanguage()->tables().objects) {
            const QString form = row.key.section('.', 0, 0);
            if (!QStringList{"frmClientDetail", "frmFindClientCard", "frmBrowseClientCard", "frmKnowsFrom"}.contains(form))
                continue;
            ++rows;
            if (currentLanguage()->ReadObjectValue(row.key).isEmpty()) unresolved << row.key;
        }
        QVERIFY(rows > 40);
        QVERIFY2(unresolved.isEmpty(), qPrintable(unresolved.join(" / ")));
    }

    void theCardsTabOrderRunsDownTheBasicPage()
    {
        TfrmClientDetail* d = clients::clientDialogs().frmClientDetail;
        QStringList order;
        f->script("frmClientDetail", [&](QDialog*) {
            QWidget* at = d->edSurname;
            for (int i = 0; i < 17; ++i) {
                order << at->objectName();
                do at = at->nextInFocusChain();
                while (!(at->focusPolicy() & Qt::TabFocus) || !at->isVisible() || at->parentWidget() == nullptr
                       || at->objectName().isEmpty());
            }
            d->btCancel->click();
        });
        d->Execute(0);
        QCOMPARE(order, (QStringList{"edSurname", "edName", "edTitle", "edAddress", "edCity", "edPostal", "edCountry",
                                     "edTel", "edFax", "edBirthDate", "edBirthPlace", "edPassport", "edPassDate",
                                     "edPassPlace", "edCardNum", "cmbCardType", "edCardExp"}));
    }

    void enterAndEscape()
    {
        const clients::ClientDialogs& w = clients::clientDialogs();
        // The card: Enter saves (here with the missing-fields question answered No), Esc cancels.
        f->script("frmClientDetail", [&](QDialog*) {
            w.frmClientDetail->edSurname->setText(QStringLiteral("Key"));
            f->answers << QMessageBox::No;
            QTest::keyClick(w.frmClientDetail->edSurname, Qt::Key_Return);
            QTest::keyClick(w.frmClientDetail->edSurname, Qt::Key_Escape);
        });
        QCOMPARE(w.frmClientDetail->Execute(0), int(QDialog::Rejected));
        QCOMPARE(f->messages.size(), 1);
        QVERIFY(f->stayedOpen.isEmpty());

        // The register: Esc closes; Enter on an empty list does nothing.
        f->script("frmBrowseClientCard", [&](QDialog* d) {
            QTest::keyClick(w.frmBrowseClientCard->edFilterValue, Qt::Key_Return);
            QVERIFY(d->isVisible());
            QTest::keyClick(w.frmBrowseClientCard->edFilterValue, Qt::Key_Escape);
        });
        QCOMPARE(w.frmBrowseClientCard->Execute(), int(QDialog::Rejected));
        QVERIFY(f->stayedOpen.isEmpty());
        QCOMPARE(f->messages.size(), 1);
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TLanguage language;
    language.setLanguageIdent(1);
    language.setLanguageList({QStringLiteral("English"), QStringLiteral("Česky")});
    TestClientWindowsLook test;
    return QTest::qExec(&test, argc, argv);
}

#include "ClientWindowsLookTest.moc"
