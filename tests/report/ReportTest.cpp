// The report facility: bands laid out onto A4 pages (page header on every page, no band cut
// between pages, a group heading kept with its first line), the amount format, PDF output
// read back with pdftotext, and the printer seam offering a PDF file when no printer exists.
#include <QFontMetricsF>
#include <QLabel>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "platform/Printer.h"
#include "report/PreviewWindow.h"
#include "report/Report.h"
#include "report/ReportRenderer.h"
#include "tests/report/PdfText.h"

using report::Band;
using report::Item;

namespace {

report::Report listReport(int lines, double lineHeight)
{
    report::Report r;
    r.title = QStringLiteral("List");
    r.pageHeader = Band(Band::Kind::PageHeader, 40);
    r.pageHeader.add(Item::textAt(0, 0, QStringLiteral("Header line"), report::Font{}));
    for (int i = 1; i <= lines; ++i) {
        Band detail(Band::Kind::Detail, lineHeight);
        detail.add(Item::textAt(0, 0, QStringLiteral("Line %1").arg(i), report::Font{}));
        r.body.append(detail);
    }
    return r;
}

// Which page each text item landed on, by its text.
QMap<QString, int> pagesOfTexts(const QList<report::Page>& pages)
{
    QMap<QString, int> where;
    for (int p = 0; p < pages.size(); ++p)
        for (const Item& item : pages[p].items) where.insert(item.text, p);
    return where;
}

}  // namespace

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { platform::printerSeams() = {}; }

    void amountFormat_data();
    void amountFormat();
    void bandsFillPagesAndHeaderRepeats();
    void groupHeadingMovesWithItsFirstLine();
    void emptyBodyGivesNoPage();
    void aLandscapeReportIsLaidOutAndWrittenOnATurnedSheet();
    void pdfCarriesTextsAndPages();
    void textIsClippedToItsRectangle();
    void aTextWiderThanItsBoxShrinksIntoIt();
    void eachAxisIsScaledByItsOwnResolution();
    void noPrinterOffersAPdf();
    void aPrinterGetsTheJob();
    void previewShowsAndSavesThePages();
};

void TestReport::amountFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("small") << 5.5 << "5.50";
    QTest::newRow("hundreds") << 999.99 << "999.99";
    QTest::newRow("thousand") << 1234.5 << "1 234.50";
    QTest::newRow("million") << 1234567.891 << "1 234 567.89";
    QTest::newRow("negative") << -12345.0 << "-12 345.00";
    QTest::newRow("round up to thousand") << 999.999 << "1 000.00";
    // Halves go to the even neighbour, as every amount of the program is rounded.
    QTest::newRow("half down to even") << 0.125 << "0.12";
    QTest::newRow("half up to even") << 0.375 << "0.38";
    QTest::newRow("negative half") << -2.345 << "-2.34";
    QTest::newRow("half of a large amount") << 1230821.205 << "1 230 821.20";
    QTest::newRow("below a half") << 0.0149 << "0.01";
}

void TestReport::amountFormat()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(report::formatAmount(value), text);
}

void TestReport::bandsFillPagesAndHeaderRepeats()
{
    // 1122.5 - 2 * 37.8 margins - 40 header = 1006.9 for the body: 50 bands of 20 per page.
    const QList<report::Page> pages = report::layout(listReport(120, 20));
    QCOMPARE(pages.size(), 3);
    const QMap<QString, int> where = pagesOfTexts(pages);
    QCOMPARE(where.value(QStringLiteral("Line 50")), 0);
    QCOMPARE(where.value(QStringLiteral("Line 51")), 1);
    QCOMPARE(where.value(QStringLiteral("Line 120")), 2);
    for (const report::Page& page : pages) {
        QCOMPARE(page.items.first().text, QStringLiteral("Header line"));
        QVERIFY(qAbs(page.items.first().rect.top() - 37.795) < 0.01);
        // Every band lies inside the page's margins.
        for (const Item& item : page.items) QVERIFY(item.rect.top() + 20 <= 1122.5 - 37.79);
    }
}

void TestReport::groupHeadingMovesWithItsFirstLine()
{
    report::Report r = listReport(49, 20);   // 980 of 1006.9 used
    Band heading(Band::Kind::GroupHeader, 20);
    heading.add(Item::textAt(0, 0, QStringLiteral("Heading"), report::Font{}));
    Band first(Band::Kind::Detail, 20);
    first.add(Item::textAt(0, 0, QStringLiteral("First"), report::Font{}));
    r.body << heading << first;
    const QMap<QString, int> where = pagesOfTexts(report::layout(r));
    QCOMPARE(where.value(QStringLiteral("Line 49")), 0);
    QCOMPARE(where.value(QStringLiteral("Heading")), 1);
    QCOMPARE(where.value(QStringLiteral("First")), 1);
}

void TestReport::emptyBodyGivesNoPage()
{
    report::Report r = listReport(0, 20);
    QVERIFY(report::layout(r).isEmpty());
    QCOMPARE(report::preview(nullptr, r), 0);
}

void TestReport::aLandscapeReportIsLaidOutAndWrittenOnATurnedSheet()
{
    // 793.7 - 2 * 37.8 margins - 40 header = 678.1 for the body: 33 bands of 20 per page.
    report::Report r = listReport(120, 20);
    r.orientation = report::Orientation::Landscape;
    QCOMPARE(report::contentRect(r).width(), report::pageSize().height() - 2 * 37.795275590551178);
    const QList<report::Page> pages = report::layout(r);
    QCOMPARE(pages.size(), 4);
    QCOMPARE(pagesOfTexts(pages).value(QStringLiteral("Line 34")), 1);
    for (const report::Page& page : pages) QCOMPARE(page.size, report::pageSize().transposed());
    const QImage image = report::renderPage(pages.first(), 96);
    QVERIFY(image.width() > image.height());

    QTemporaryDir dir;
    for (const auto& [orientation, width, height] :
         {std::tuple{report::Orientation::Landscape, 841.89, 595.28}, std::tuple{report::Orientation::Portrait, 595.28, 841.89}}) {
        r.orientation = orientation;
        const QString path = dir.filePath(QStringLiteral("sheet%1.pdf").arg(int(orientation)));
        QVERIFY(report::writePdf(path, r.title, report::layout(r)));
        const QSizeF size = testpdf::pageSize(path);
        QVERIFY2(qAbs(size.width() - width) < 1 && qAbs(size.height() - height) < 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        QVERIFY(testpdf::text(path).contains(QStringLiteral("Line 120")));
    }
}

void TestReport::pdfCarriesTextsAndPages()
{
    QTemporaryDir dir;
    report::Report r = listReport(120, 20);
    r.body[0].add(Item::textAt(200, 0, QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy"),
                               report::Font{QStringLiteral("Arial CE"), 13, true, true, false}));
    const QString path = dir.filePath(QStringLiteral("list.pdf"));
    QVERIFY(report::writePdf(path, r.title, report::layout(r)));
    QCOMPARE(testpdf::pageCount(path), 3);
    const QString text = testpdf::text(path);
    QCOMPARE(text.count(QStringLiteral("Header line")), 3);
    QVERIFY(text.contains(QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy")));
    QVERIFY(text.contains(QStringLiteral("Line 120")));
}

void TestReport::textIsClippedToItsRectangle()
{
    report::Page page;
    page.items << Item::textAt(10, 10, QStringLiteral("WWWWWWWWWWWWWWWWWWWW"), report::Font{}, 30);
    const QImage image = report::renderPage(page, 96);
    auto inked = [&image](int x0, int x1) {
        for (int y = 10; y < 26; ++y)
            for (int x = x0; x < x1; ++x)
                if (qGray(image.pixel(x, y)) < 128) return true;
        return false;
    };
    QVERIFY(inked(10, 40));
    QVERIFY(!inked(41, 250));
}

void TestReport::aTextWiderThanItsBoxShrinksIntoIt()
{
    // A seven-digit total, right-aligned in the bill's amount column: every digit is drawn,
    // and nothing outside the box.
    const Item amount = Item::textAt(100, 10, QStringLiteral("1 230 821.20"),
                                     report::Font{QStringLiteral("Arial"), 15, true, true, false}, 81, report::Align::Right);
    const QFont natural = report::qtFont(amount.font);
    QVERIFY(QFontMetricsF(natural).horizontalAdvance(amount.text) > 81);
    const QFont fitted = report::fittedFont(amount);
    QVERIFY(QFontMetricsF(fitted).horizontalAdvance(amount.text) <= 81);
    QVERIFY(fitted.pixelSize() >= 12);   // shrunk only as far as needed
    report::Page page;
    page.items << amount;
    const QImage image = report::renderPage(page, 96);
    auto inkedColumns = [&image](int x0, int x1) {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = 8; y < 30; ++y)
                if (qGray(image.pixel(x, y)) < 160) { ++n; break; }
        return n;
    };
    QCOMPARE(inkedColumns(0, 100), 0);
    QCOMPARE(inkedColumns(182, 400), 0);
    // The first digit "1" is inked near the box's left edge, not cut away.
    QVERIFY(inkedColumns(100, 110) > 0);
}

void TestReport::eachAxisIsScaledByItsOwnResolution()
{
    // An image of 96 dpi across and 192 dpi down: the design page maps onto all of it.
    QImage image(794, 2245, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(96 / 0.0254));
    image.setDotsPerMeterY(qRound(192 / 0.0254));
    const QPointF scale = report::designScale(image);
    QVERIFY(qAbs(scale.x() - 1.0) < 0.01);
    QVERIFY(qAbs(scale.y() - 2.0) < 0.01);
}

void TestReport::noPrinterOffersAPdf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("offered.pdf"));
    QString chooserTitle;
    platform::printerSeams().printers = [] { return QStringList{}; };
    platform::printerSeams().print = [](const QString&, const QString&, const platform::PaintPages&) {
        return false;   // must not be reached
    };
    platform::seams().chooseSaveFile = [&](const QString& title, const QString&, const QString&) {
        chooserTitle = title;
        return path;
    };
    QString written;
    QCOMPARE(report::print(nullptr, listReport(3, 20), &written), platform::PrintOutcome::SavedAsPdf);
    QCOMPARE(written, path);
    QVERIFY(chooserTitle.contains(QStringLiteral("No printer")));
    QCOMPARE(testpdf::pageCount(path), 1);
    QVERIFY(testpdf::text(path).contains(QStringLiteral("Line 3")));

    // Cancelling the chooser writes nothing.
    platform::seams().chooseSaveFile = [](const QString&, const QString&, const QString&) { return QString(); };
    QFile::remove(path);
    QCOMPARE(report::print(nullptr, listReport(3, 20)), platform::PrintOutcome::Cancelled);
    QVERIFY(!QFile::exists(path));
}

void TestReport::aPrinterGetsTheJob()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("printed.pdf"));
    QString usedPrinter;
    bool chooserAsked = false;
    platform::printerSeams().printers = [] { return QStringList{QStringLiteral("Front desk")}; };
    platform::seams().chooseSaveFile = [&](const QString&, const QString&, const QString&) {
        chooserAsked = true;
        return QString();
    };
    platform::printerSeams().print = [&](const QString& printer, const QString& title, const platform::PaintPages& paint) {
        usedPrinter = printer;
        return platform::writePdfFile(path, title, paint);
    };
    QCOMPARE(report::print(nullptr, listReport(60, 20)), platform::PrintOutcome::Printed);
    QCOMPARE(usedPrinter, QStringLiteral("Front desk"));
    QVERIFY(!chooserAsked);
    QCOMPARE(testpdf::pageCount(path), 2);

    // A printer that refuses the job is reported, never silently dropped.
    QStringList shown;
    platform::seams().messageBox = [&](QWidget*, const QString& text, const QString&, platform::Icon, platform::Buttons) {
        shown << text;
        return 0;
    };
    platform::printerSeams().print = [](const QString&, const QString&, const platform::PaintPages&) { return false; };
    QCOMPARE(report::print(nullptr, listReport(3, 20)), platform::PrintOutcome::Failed);
    platform::seams() = {};
    QCOMPARE(shown, QStringList{QStringLiteral("The document cannot be printed.")});
}

void TestReport::previewShowsAndSavesThePages()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.pdf"));
    report::PreviewWindow window;
    window.setReport(listReport(60, 20));
    QCOMPARE(window.pages().size(), 2);
    window.setZoomPercent(50);
    int widest = 0;
    for (QLabel* label : window.findChildren<QLabel*>())
        if (!label->pixmap().isNull()) widest = qMax(widest, label->pixmap().width());
    QCOMPARE(widest, 397);   // half of 793.7, rounded
    platform::seams().chooseSaveFile = [&](const QString&, const QString&, const QString&) { return path; };
    QVERIFY(window.savePdf());
    QCOMPARE(testpdf::pageCount(path), 2);

    // Without a language the English texts stand; in Czech the bar speaks Czech.
    const auto bar = [](const report::PreviewWindow& w) {
        QStringList texts;
        for (const char* name : {"btPrint", "btSavePdf", "lbPages", "btClose"}) {
            QWidget* widget = w.findChild<QWidget*>(QString::fromLatin1(name));
            if (auto* b = qobject_cast<QPushButton*>(widget)) texts << b->text();
            if (auto* l = qobject_cast<QLabel*>(widget)) texts << l->text();
        }
        return texts;
    };
    QCOMPARE(bar(window), QStringList({"Print", "Save as PDF", "Pages: 2", "Close"}));
    TLanguage language;
    language.setLanguageIdent(2);
    report::PreviewWindow czech;
    czech.setReport(listReport(60, 20));
    QCOMPARE(bar(czech), QStringList({"Tisk", QString::fromUtf8("Uložit jako PDF"), QString::fromUtf8("Počet stran: 2"),
                                      QString::fromUtf8("Zavřít")}));
}

QTEST_MAIN(TestReport)
#include "ReportTest.moc"
