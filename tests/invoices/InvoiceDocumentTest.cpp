// The invoice document as printed: its PDF's text (pdftotext) for a VAT payer in CZK and in
// EUR, a receipt of a hotel that is not a VAT payer and a cancelled copy; and the QR payment
// code of a transfer read back from the rendered page (pdftoppm, zbarimg) and its size.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "PdfText.h"
#include "invoices/InvoiceDocument.h"
#include "report/ReportRenderer.h"

using namespace invoices;

namespace {

guests::HotelDetails hotel(bool vatPayer)
{
    guests::HotelDetails h = guests::hotelDetails({});
    h.name = QStringLiteral("Penzion U Lípy");
    h.street = QStringLiteral("Alešova");
    h.houseNo = QStringLiteral("26");
    h.postcode = QStringLiteral("38901");
    h.municipality = QStringLiteral("Vodňany");
    h.ico = QStringLiteral("25596641");
    h.dic = QStringLiteral("CZ25596641");
    h.iban = QStringLiteral("CZ6508000000192000145399");
    h.vatPayer = vatPayer;
    return h;
}

InvoiceDocument document(bool vatPayer, bool inEur, QChar form)
{
    InvoiceDocument d;
    d.hotel = hotel(vatPayer);
    d.lines = {{1, QStringLiteral("Ubytování"), QStringLiteral("Pokoj 5 - 3 noci"), 12, 5000, 126850},
               {1, QStringLiteral("Ubytování"), QStringLiteral("Přistýlka"), 12, 1000, 25370},
               {3, QStringLiteral("Minibar"), QStringLiteral("Minibar"), 21, 600, 15222},
               {0, QString(), QStringLiteral("Poplatek z pobytu"), -1, 200, 5074}};
    Invoice& inv = d.invoice;
    inv.number = QStringLiteral("2026-000123");
    inv.issued = QDate(2026, 12, 10);
    inv.taxDay = QDate(2026, 12, 9);
    inv.buyer = {QStringLiteral("Lipa Trade s.r.o."), QStringLiteral("Dlouhá 1, 602 00 Brno"), QStringLiteral("25596641"),
                 QStringLiteral("CZ25596641")};
    inv.currency = inEur ? QStringLiteral("EUR") : QStringLiteral("CZK");
    inv.rate = inEur ? 25.37 : 0;
    inv.paymentForm = form;
    inv.vatPayer = vatPayer;
    if (inv.isTransfer()) inv.due = QDate(2026, 12, 24);
    QList<Charge> charges;
    for (const InvoiceLine& l : d.lines) charges.append({l.vatRate, l.amount(inEur)});
    inv.recap = vatPayer ? vatRecap(charges, inEur, inv.rate) : VatRecap{};
    if (!vatPayer) inv.recap.total = inv.recap.noVat = 172516;
    return d;
}

QString squeezed(QString s) { return s.simplified(); }

TEST(InvoiceDocument, printsTheTaxDocumentOrTheReceipt)
{
    InvoiceDocument copy = document(true, false, QLatin1Char('M'));
    copy.copy = true;
    copy.invoice.cancelled = QDate(2026, 12, 11);
    const struct {
        const char* name;
        InvoiceDocument doc;
        QStringList present, absent;
    } cases[] = {
        {"payer in CZK, cash",
         document(true, false, QLatin1Char('M')),
         {"Faktura – daňový doklad / Invoice – tax document Číslo / No. 2026-000123", "Penzion U Lípy", "Lipa Trade s.r.o.",
          "Alešova 26, 38901 Vodňany", "Datum vystavení / Issued: 10.12.2026", "Datum zdan. plnění / Taxable supply: 9.12.2026",
          "Forma úhrady / Payment: Hotově / Cash", "Ubytování", "Pokoj 5 - 3 noci 12 % 1 268.50 CZK",
          "Ostatní / Other", "Poplatek z pobytu bez DPH / none 50.74 CZK", "Celkem k úhradě / Total 1 725.16 CZK",
          "12 % 1 359.11 163.09 1 522.20", "21 % 125.80 26.42 152.22", "bez DPH / none 50.74 0.00 50.74"},
         {"KOPIE", "Datum splatnosti", "Neplátce", "DPH v CZK"}},
        {"payer in EUR, transfer",
         document(true, true, QLatin1Char('B')),
         {"Celkem k úhradě / Total 68.00 EUR", "Kurz / Rate: 1 EUR = 25.370 CZK", "Datum splatnosti / Due: 24.12.2026",
          "DPH v CZK / VAT in CZK", "12 % 53.57 6.43 60.00 163.13", "Variabilní symbol / Variable symbol: 2026000123",
          "Účet / Account (IBAN): CZ6508000000192000145399", "Převodem / Bank transfer"},
         {"KOPIE"}},
        {"not a VAT payer",
         document(false, false, QLatin1Char('C')),
         {"Příjmový doklad / Receipt", "Neplátce DPH / Not a VAT payer", "Celkem k úhradě / Total 1 725.16 CZK"},
         {"Rekapitulace", "DIČ / VAT No.: CZ25596641 ", "tax document", "12 %"}},
        {"cancelled copy", copy, {"KOPIE / COPY STORNOVÁNO / CANCELLED 11.12.2026"}, {}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString pdf = dir.filePath(QString::fromUtf8(c.name) + QStringLiteral(".pdf"));
        const report::Report r = buildInvoiceReport(c.doc);
        ASSERT_TRUE(report::writePdf(pdf, r.title, report::layout(r))) << c.name;
        QStringList lines;
        for (const QString& line : testpdf::text(pdf).split(QLatin1Char('\n'))) lines << squeezed(line);
        const QString text = lines.join(QLatin1Char('\n'));
        for (const QString& p : c.present) EXPECT_TRUE(text.contains(p)) << c.name << ": " << p.toStdString() << "\n" << text.toStdString();
        for (const QString& a : c.absent) EXPECT_FALSE(text.contains(a)) << c.name << ": " << a.toStdString();
    }
}

TEST(InvoiceDocument, aTransferCarriesAQrPaymentAPhoneReads)
{
    const InvoiceDocument d = document(true, true, QLatin1Char('B'));
    const report::Report r = buildInvoiceReport(d);
    const QList<report::Page> pages = report::layout(r);
    ASSERT_EQ(pages.size(), 1);
    double side = 0;
    for (const report::Item& item : pages[0].items)
        if (item.kind == report::Item::Kind::Picture) side = item.rect.width();
    EXPECT_GE(side * 25.4 / 96, 25.0);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("transfer.pdf"));
    ASSERT_TRUE(report::writePdf(pdf, r.title, pages));
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(60000));
    // zbar guesses the character set of a code's bytes; as binary it gives them as coded (UTF-8).
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sbinary"), dir.filePath(QStringLiteral("page.png"))});
    ASSERT_TRUE(zbar.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed().toStdString(),
              "SPD*1.0*ACC:CZ6508000000192000145399*AM:68.00*CC:EUR*X-VS:2026000123*DT:20261224"
              "*MSG:Penzion U Lípy 2026-000123");
}

}  // namespace
