// The invoice's page model; see InvoiceDocument.h. Positions are design pixels (96 dpi)
// inside the 10 mm margins; the printable width is 718.
#include "invoices/InvoiceDocument.h"

#include "engine/Engine.h"
#include "invoices/Spd.h"
#include "report/ReportRenderer.h"
#include "shell/ValueHelpers.h"

namespace invoices {

using report::Align;
using report::Band;
using report::Font;
using report::Item;

namespace {

constexpr double kWidth = 718;
constexpr double kHalf = 355;
constexpr double kPxPerMm = 96.0 / 25.4;

Font font(int px, bool bold = false)
{
    Font f;
    f.family = QStringLiteral("Arial");
    f.pixelSize = px;
    f.bold = bold;
    return f;
}

QString day(const QDate& d) { return d.isValid() ? shell::DateText(d) : QString(); }
QString amount(shell::Hundredths h) { return report::formatAmount(shell::fromHundredths(h)); }

// The payment forms by their stored code, in both languages.
struct FormName {
    char code;
    const char* text;
};
constexpr FormName kFormNames[] = {
    {'C', "Platební karta / Card"},
    {'M', "Hotově / Cash"},
    {'B', "Převodem / Bank transfer"},
    {'?', "Jinak / Other"},
};

void caption(Band& b, double left, double top, const QString& label, const QString& value, double labelWidth,
             double valueWidth)
{
    b.add(Item::textAt(left, top, label, font(12), labelWidth));
    b.add(Item::textAt(left + labelWidth + 4, top, value, font(12, true), valueWidth));
}

Band pageHeader(const InvoiceDocument& d)
{
    Band b(Band::Kind::PageHeader, 56);
    b.add(Item::textAt(0, 0, documentTitle(d.invoice.vatPayer), font(18, true), 470));
    b.add(Item::textAt(470, 2, QStringLiteral("Číslo / No. ") + d.invoice.number, font(16, true), 248, Align::Right));
    QString marks;
    if (d.copy) marks = QStringLiteral("KOPIE / COPY");
    if (d.invoice.cancelled.isValid())
        marks += (marks.isEmpty() ? QString() : QStringLiteral("   "))
            + QStringLiteral("STORNOVÁNO / CANCELLED ") + day(d.invoice.cancelled);
    if (!marks.isEmpty()) b.add(Item::textAt(0, 28, marks, font(13, true), kWidth, Align::Right));
    b.add(Item::line(QPointF(0, 50), QPointF(kWidth, 50), 1.5));
    return b;
}

Band parties(const InvoiceDocument& d)
{
    Band b(Band::Kind::Detail, 150);
    const guests::HotelDetails& h = d.hotel;
    b.add(Item::frame(QRectF(0, 0, kHalf, 140)));
    b.add(Item::frame(QRectF(kWidth - kHalf, 0, kHalf, 140)));
    b.add(Item::textAt(8, 6, QStringLiteral("Dodavatel / Supplier"), font(11)));
    b.add(Item::textAt(8, 24, h.name, font(14, true), kHalf - 16));
    b.add(Item::paragraph(QRectF(8, 44, kHalf - 16, 34), guests::hotelAddressLine(h), font(12)));
    caption(b, 8, 82, QStringLiteral("IČO / Company No.:"), h.ico, 130, kHalf - 150);
    if (h.vatPayer) caption(b, 8, 100, QStringLiteral("DIČ / VAT No.:"), h.dic, 130, kHalf - 150);
    else b.add(Item::textAt(8, 100, QStringLiteral("Neplátce DPH / Not a VAT payer"), font(12, true), kHalf - 16));
    if (!h.contact.isEmpty()) b.add(Item::textAt(8, 118, h.contact, font(11), kHalf - 16));

    const double x = kWidth - kHalf + 8;
    const Buyer& buyer = d.invoice.buyer;
    b.add(Item::textAt(x, 6, QStringLiteral("Odběratel / Buyer"), font(11)));
    b.add(Item::textAt(x, 24, buyer.name, font(14, true), kHalf - 16));
    b.add(Item::paragraph(QRectF(x, 44, kHalf - 16, 34), buyer.address, font(12)));
    if (!buyer.ico.isEmpty()) caption(b, x, 82, QStringLiteral("IČO / Company No.:"), buyer.ico, 130, kHalf - 150);
    if (!buyer.dic.isEmpty()) caption(b, x, 100, QStringLiteral("DIČ / VAT No.:"), buyer.dic, 130, kHalf - 150);
    return b;
}

Band dates(const InvoiceDocument& d)
{
    const Invoice& inv = d.invoice;
    Band b(Band::Kind::Detail, 86);
    caption(b, 0, 4, QStringLiteral("Datum vystavení / Issued:"), day(inv.issued), 210, 140);
    caption(b, 0, 22, QStringLiteral("Datum zdan. plnění / Taxable supply:"), day(inv.taxDay), 210, 140);
    if (inv.isTransfer()) caption(b, 0, 40, QStringLiteral("Datum splatnosti / Due:"), day(inv.due), 210, 140);
    caption(b, 380, 4, QStringLiteral("Forma úhrady / Payment:"), paymentFormText(inv.paymentForm), 150, 184);
    caption(b, 380, 22, QStringLiteral("Měna / Currency:"), inv.currency, 150, 184);
    if (inv.inEur())
        caption(b, 380, 40, QStringLiteral("Kurz / Rate:"),
                QStringLiteral("1 EUR = ") + QString::number(inv.rate, 'f', 3) + QStringLiteral(" CZK"), 150, 184);
    return b;
}

constexpr double kRateLeft = 470, kAmountLeft = 560, kAmountWidth = 110, kCurrencyLeft = 676;

Band tableHead()
{
    Band b(Band::Kind::GroupHeader, 24);
    b.add(Item::textAt(8, 4, QStringLiteral("Položka / Item"), font(12, true), 400));
    b.add(Item::textAt(kRateLeft, 4, QStringLiteral("DPH / VAT"), font(12, true), 80, Align::Right));
    b.add(Item::textAt(kAmountLeft, 4, QStringLiteral("Částka / Amount"), font(12, true), kAmountWidth, Align::Right));
    b.add(Item::line(QPointF(0, 22), QPointF(kWidth, 22)));
    return b;
}

Band groupHeader(const InvoiceLine& line)
{
    Band b(Band::Kind::GroupHeader, 22);
    b.add(Item::textAt(8, 4, line.typeName.isEmpty() ? QStringLiteral("Ostatní / Other") : line.typeName, font(12, true), 440));
    return b;
}

Band detail(const InvoiceLine& line, const Invoice& inv)
{
    Band b(Band::Kind::Detail, 20);
    b.add(Item::textAt(24, 2, line.descr == line.typeName ? QString() : line.descr, font(12), 430));
    const QString rate = line.vatRate < 0 ? QStringLiteral("bez DPH / none") : rateText(line.vatRate);
    if (inv.vatPayer) b.add(Item::textAt(kRateLeft - 30, 2, rate, font(12), 110, Align::Right));
    b.add(Item::textAt(kAmountLeft, 2, amount(line.amount(inv.inEur())), font(12), kAmountWidth, Align::Right));
    b.add(Item::textAt(kCurrencyLeft, 2, inv.currency, font(12), 40));
    return b;
}

Band total(const Invoice& inv)
{
    Band b(Band::Kind::Summary, 40);
    b.add(Item::line(QPointF(0, 4), QPointF(kWidth, 4)));
    b.add(Item::textAt(8, 12, QStringLiteral("Celkem k úhradě / Total"), font(15, true), 400));
    b.add(Item::textAt(kAmountLeft - 60, 12, amount(inv.recap.total), font(15, true), kAmountWidth + 60, Align::Right));
    b.add(Item::textAt(kCurrencyLeft, 12, inv.currency, font(15, true), 40));
    return b;
}

Band recap(const Invoice& inv)
{
    const bool czk = inv.inEur();
    const int rows = int(inv.recap.lines.size()) + (inv.recap.noVat != 0 ? 1 : 0);
    Band b(Band::Kind::Summary, 60 + 18 * rows + (czk ? 18 : 0));
    b.add(Item::textAt(0, 6, QStringLiteral("Rekapitulace DPH / VAT recap") + QStringLiteral(" (") + inv.currency
                                 + QLatin1Char(')'),
                       font(13, true), 400));
    const double cols[] = {0, 130, 260, 390, 530};
    const QString heads[] = {QStringLiteral("Sazba / Rate"), QStringLiteral("Základ / Base"), QStringLiteral("DPH / VAT"),
                             QStringLiteral("Celkem / Total"), QStringLiteral("DPH v CZK / VAT in CZK")};
    const int columns = czk ? 5 : 4;
    for (int c = 0; c < columns; ++c) b.add(Item::textAt(cols[c], 28, heads[c], font(11, true), 120, c ? Align::Right : Align::Left));
    b.add(Item::line(QPointF(0, 44), QPointF(czk ? 650 : 510, 44)));
    double top = 48;
    auto row = [&](const QString& rate, shell::Hundredths base, shell::Hundredths tax, shell::Hundredths sum,
                   shell::Hundredths taxCzk) {
        const QString values[] = {rate, amount(base), amount(tax), amount(sum), amount(taxCzk)};
        for (int c = 0; c < columns; ++c)
            b.add(Item::textAt(cols[c], top, values[c], font(12), 120, c ? Align::Right : Align::Left));
        top += 18;
    };
    for (const VatLine& l : inv.recap.lines) row(rateText(l.rate), l.base, l.tax, l.total, l.taxCzk);
    if (inv.recap.noVat != 0) row(QStringLiteral("bez DPH / none"), inv.recap.noVat, 0, inv.recap.noVat, 0);
    if (czk)
        b.add(Item::textAt(0, top + 4,
                           QStringLiteral("DPH přepočtena kurzem / VAT converted at 1 EUR = ")
                               + QString::number(inv.rate, 'f', 3) + QStringLiteral(" CZK"),
                           font(11), 600));
    return b;
}

Band payment(const InvoiceDocument& d)
{
    const double side = kQrSideMm * kPxPerMm;
    Band b(Band::Kind::Summary, side + 30);
    const Invoice& inv = d.invoice;
    b.add(Item::textAt(0, 10, QStringLiteral("Platba převodem / Payment by bank transfer"), font(13, true), 400));
    caption(b, 0, 34, QStringLiteral("Účet / Account (IBAN):"), d.hotel.iban, 210, 240);
    caption(b, 0, 52, QStringLiteral("Variabilní symbol / Variable symbol:"), variableSymbol(inv.number), 210, 240);
    caption(b, 0, 70, QStringLiteral("Splatnost / Due:"), day(inv.due), 210, 240);
    caption(b, 0, 88, QStringLiteral("Částka / Amount:"), amount(inv.recap.total) + QLatin1Char(' ') + inv.currency, 210, 240);
    const QImage code = qrImage(paymentText(inv, d.hotel));
    if (!code.isNull()) {
        b.add(Item::image(QRectF(kWidth - side, 10, side, side), code));
        b.add(Item::textAt(kWidth - side, 12 + side, QStringLiteral("QR Platba"), font(10), side, Align::Center));
    }
    return b;
}

}  // namespace

QString paymentFormText(QChar code)
{
    for (const FormName& f : kFormNames)
        if (code == QLatin1Char(f.code)) return QString::fromUtf8(f.text);
    return QString::fromUtf8(kFormNames[3].text);
}

QString documentTitle(bool vatPayer)
{
    return vatPayer ? QStringLiteral("Faktura – daňový doklad / Invoice – tax document")
                    : QStringLiteral("Příjmový doklad / Receipt");
}

QString paymentText(const Invoice& inv, const guests::HotelDetails& hotel)
{
    SpdPayment p;
    p.iban = hotel.iban;
    p.amount = inv.recap.total;
    p.currency = inv.currency;
    p.variableSymbol = variableSymbol(inv.number);
    p.due = inv.due;
    p.message = (hotel.name + QLatin1Char(' ') + inv.number).trimmed();
    return spdText(p);
}

report::Report buildInvoiceReport(const InvoiceDocument& d)
{
    report::Report r;
    r.title = documentTitle(d.invoice.vatPayer) + QLatin1Char(' ') + d.invoice.number;
    r.pageHeader = pageHeader(d);
    r.body.append(parties(d));
    r.body.append(dates(d));
    r.body.append(tableHead());
    for (qsizetype i = 0; i < d.lines.size(); ++i) {
        const InvoiceLine& line = d.lines[i];
        if (i == 0 || line.upid != d.lines[i - 1].upid || line.typeName != d.lines[i - 1].typeName)
            r.body.append(groupHeader(line));
        r.body.append(detail(line, d.invoice));
    }
    r.body.append(total(d.invoice));
    if (d.invoice.vatPayer) r.body.append(recap(d.invoice));
    if (d.invoice.isTransfer()) r.body.append(payment(d));
    return r;
}

std::optional<InvoiceDocument> loadInvoiceDocument(engine::Database& db, const QString& prefix, int uid, bool copy)
{
    const std::optional<Invoice> invoice = invoiceOfAccount(db, prefix, uid);
    if (!invoice) return std::nullopt;
    InvoiceDocument d;
    d.invoice = *invoice;
    d.hotel = hotelOf(db, prefix);
    d.lines = accountCharges(db, prefix, uid);
    d.copy = copy;
    return d;
}

guests::HotelDetails hotelOf(engine::Database& db, const QString& prefix)
{
    try {
        return guests::hotelDetails(guests::readSettings(db, prefix));
    } catch (const engine::Error&) {
        return guests::hotelDetails({});
    }
}

}  // namespace invoices
