// The registration card: statements, purpose crosses, daily rate and the form's page model.
//
// Invariants: see RegistrationCard.h. The form's positions are given on the whole A4 page
// (794 by 1123 design pixels) and moved into the 10 mm margins when the band is made.

#include "documents/RegistrationCard.h"

#include <cmath>

#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace documents {

using report::Align;
using report::Band;
using report::Font;
using report::Item;

namespace {

// A quoted value with the apostrophe rule applied to it alone.
QString sqlValue(const QString& value, int width)
{
    QString quoted = shell::QuoteText(value.left(width));
    shell::EscapeApostrophes(quoted);
    return quoted;
}

Font arial(int px, bool bold = false, bool underline = false)
{
    Font f;
    f.pixelSize = px;
    f.bold = bold;
    f.underline = underline;
    return f;
}

// Items placed in page coordinates, moved into the margins at the end.
class Form {
public:
    void text(double left, double top, const QString& text, const Font& font, double width = 0,
              Align align = Align::Left)
    {
        m_band.add(Item::textAt(left, top, text, font, width, align));
    }
    // A caption pair: the English text above the Czech one.
    void caption(double left, double top, const QString& english, const QString& czech, double width)
    {
        text(left, top, english, arial(12), width);
        text(left, top + 13, czech, arial(12), width);
    }
    void value(double left, double top, const QString& value, double width, Align align = Align::Left)
    {
        text(left, top, value, arial(13, true), width, align);
    }
    void frame(double left, double top, double width, double height)
    {
        m_band.add(Item::frame(QRectF(left, top, width, height)));
    }
    void line(double x1, double y1, double x2, double y2) { m_band.add(Item::line(QPointF(x1, y1), QPointF(x2, y2))); }
    void paragraph(double left, double top, double width, double height, const QString& text)
    {
        m_band.add(Item::paragraph(QRectF(left, top, width, height), text, arial(11)));
    }
    Band band(const QPointF& origin, double height)
    {
        Band b(Band::Kind::Detail, height);
        for (Item item : m_band.items) {
            item.rect.translate(-origin);
            b.add(item);
        }
        return b;
    }

private:
    Band m_band;
};

const char* const kLiabilityEn =
    "I agree that in the event of my sustaining injury during my stay at the hotel or of my property being lost or "
    "damaged, I will notify the management of the hotel prior to my departure and I also agree that any claim that "
    "may have arised from such matters shall be subject to the laws of the Czech Republic and that the Courts of "
    "this country shall have exclusive jurisdiction over any such claims.";
const char* const kLiabilityCz =
    "Souhlasím, že dojde-li během mého pobytu k ublížení na zdraví nebo ztrátě či poškození majetku, uvědomím o "
    "tom co nejdříve vedení hotelu, nejpozději však před mým odjezdem. Dále beru na vědomí, že veškeré spory, které "
    "mohou vzniknout, se budou řešit dle právního řádu České republiky.";
const char* const kAccountEn =
    "I agree that I am fully liable for all services charged to my guest account during my stay at this residence. "
    "Residence Vadrena assumes no responsibility for guest's belongings of any kind unless deposited into the "
    "safety deposite box.";
const char* const kAccountCz =
    "Souhlasím s úhradou všech nákladů souvisejících s mým pobytem v residenci. Residence Vadrena nenese "
    "odpovědnost za majetek hostů, kromě věcí uložených v hotelovém trezoru.";

void identity(Form& f, const RegCardData& d)
{
    f.frame(40, 136, 713, 41);
    f.caption(48, 139, QStringLiteral("Family name"), QStringLiteral("Příjmení"), 94);
    f.value(144, 150, d.SURNAME, 172);
    f.caption(320, 139, QStringLiteral("First name"), QStringLiteral("Jméno"), 86);
    f.value(408, 150, d.NAME, 156);
    f.caption(568, 139, QStringLiteral("Title"), QStringLiteral("Titul"), 62);
    f.value(632, 150, d.TITLE, 118);

    f.frame(40, 176, 713, 41);
    f.caption(48, 179, QStringLiteral("Date of birth"), QStringLiteral("Datum narození"), 102);
    f.value(152, 190, d.DATEBIRTH, 164);
    f.caption(320, 179, QStringLiteral("Place of birth"), QStringLiteral("Místo narození"), 88);
    f.value(408, 190, d.PLACEBIRTH, 156);
    f.caption(568, 179, QStringLiteral("Nationality"), QStringLiteral("Národnost"), 62);
    f.value(632, 190, d.COUNTRY, 118, Align::Center);

    f.frame(40, 216, 713, 41);
    f.caption(48, 219, QStringLiteral("Passport no."), QStringLiteral("Číslo pasu"), 102);
    f.value(152, 230, d.PASSPORT, 164);
    f.caption(320, 219, QStringLiteral("Vízum"), QStringLiteral("Visa"), 240);
    f.caption(568, 219, QStringLiteral("Notes"), QStringLiteral("Poznámky"), 180);
}

void addressAndStatements(Form& f, const RegCardData& d)
{
    f.frame(47, 260, 361, 306);
    f.caption(48, 264, QStringLiteral("Home address and phone no."), QStringLiteral("Adresa bydliště a telefonní číslo"), 345);
    f.value(56, 318, d.ADDRESS, 345);
    f.value(56, 338, d.CITY, 345);
    f.value(56, 358, d.POSTAL, 345);
    f.value(56, 380, d.COUNTRY, 345);
    f.text(56, 476, QStringLiteral("Vehicle registration no./Type of vehicle + brand"), arial(12), 345);
    f.text(56, 494, QStringLiteral("SPZ vozidla/Typ vozidla a značka"), arial(12), 345);

    f.frame(408, 260, 345, 180);
    f.paragraph(416, 263, 330, 96, QString::fromUtf8(kLiabilityEn));
    f.paragraph(416, 360, 330, 78, QString::fromUtf8(kLiabilityCz));
    f.frame(408, 443, 345, 123);
    f.paragraph(416, 446, 330, 58, QString::fromUtf8(kAccountEn));
    f.paragraph(416, 505, 330, 58, QString::fromUtf8(kAccountCz));
}

void payment(Form& f, const RegCardData& d)
{
    f.frame(40, 570, 713, 72);
    f.text(48, 576, QStringLiteral("Form of payment / Způsob platby"), arial(12), 196);
    f.value(248, 575, d.paymentWord, 240);
    f.text(48, 598, QStringLiteral("Credit card no. / Číslo karty:"), arial(12), 196);
    f.value(248, 597, d.cardNum, 240);
    f.text(48, 620, QStringLiteral("Expiration date / Platnost do:"), arial(12), 196);
    f.value(248, 619, d.cardExp, 240);
    f.text(496, 620, QStringLiteral("Card type / Typ karty:"), arial(12), 134);
    f.value(632, 619, d.cardType, 118);
}

void purpose(Form& f, const RegCardData& d)
{
    const PurposeCrosses x = purposeCrosses(d.business, d.travel);
    f.frame(40, 646, 713, 73);
    f.text(48, 652, QStringLiteral("I confirm to stay here for a:"), arial(13, true, true));
    f.text(80, 676, QStringLiteral("Business"), arial(13, true));
    f.text(80, 696, QStringLiteral("Tourist"), arial(13, true));
    const std::pair<double, const QString*> rows[] = {{676, &x.businessYes}, {696, &x.touristYes}};
    const std::pair<double, const QString*> noRows[] = {{676, &x.businessNo}, {696, &x.touristNo}};
    for (const auto& [top, cross] : rows) {
        f.value(296, top, *cross, 28, Align::Center);
        f.text(328, top, QStringLiteral("YES"), arial(13, true));
    }
    for (const auto& [top, cross] : noRows) {
        f.value(400, top, *cross, 28, Align::Center);
        f.text(432, top, QStringLiteral("NO"), arial(13, true));
    }
}

void stay(Form& f, const RegCardData& d)
{
    f.frame(40, 723, 713, 46);
    f.caption(48, 727, QStringLiteral("Voucher"), QStringLiteral("Voucher"), 236);
    f.caption(288, 727, QStringLiteral("Rate"), QStringLiteral("Cena"), 48);
    f.value(336, 740, d.dailyRate, 65, Align::Right);
    f.value(408, 740, QStringLiteral("EUR"), 40);
    f.caption(520, 727, QStringLiteral("Clerks init."), QStringLiteral("Recepční"), 70);
    f.value(592, 740, d.userName, 158);

    f.frame(40, 768, 713, 46);
    f.caption(48, 772, QStringLiteral("Room no."), QStringLiteral("Číslo pokoje"), 94);
    f.value(144, 785, d.PID, 140);
    f.caption(288, 772, QStringLiteral("Check in + time"), QStringLiteral("Příjezd + čas"), 94);
    f.value(384, 785, d.DATEFROM + QLatin1Char(' ') + d.checkInTime, 132);
    f.caption(520, 772, QStringLiteral("Check out"), QStringLiteral("Odjezd"), 70);
    f.value(592, 785, d.DATETHRU, 158);
}

void roommates(Form& f)
{
    const double edges[] = {40, 224, 384, 520, 632, 753};
    const char* const headings[] = {"Roommate - name", "Date/Place of birth", "Passport no.", "Visa no.", "Nationality"};
    const double top = 825, headingHeight = 24, rowHeight = 30, rows = 4;
    const double bottom = top + headingHeight + rows * rowHeight;
    f.frame(40, top, 713, bottom - top);
    for (int c = 0; c < 5; ++c) {
        f.text(edges[c] + 4, top + 5, QLatin1String(headings[c]), arial(12, true), edges[c + 1] - edges[c] - 8);
        if (c > 0) f.line(edges[c], top, edges[c], bottom);
    }
    for (int r = 0; r < rows; ++r) f.line(40, top + headingHeight + r * rowHeight, 753, top + headingHeight + r * rowHeight);
}

}  // namespace

QString regCardClientSql(const QString& db, int bid)
{
    return shell::Sql(u"SELECT KID, CARDNUM, CARDTYPE, CARDEXP from %1 AS POB,      "
                      u"%2 AS KAR WHERE POB.BID=%3 and KAR.KID=POB.KID",
                      shell::Table(db, u"POBYTY.DB"), shell::Table(db, u"KARTY.DB"), bid);
}

QString cardWriteBackSql(const QString& db, int kid, const QString& number, const QString& type, const QString& expiry)
{
    return shell::Sql(u"UPDATE %1 SET  CARDNUM=%2,  CARDTYPE=%3,  CARDEXP=%4  WHERE KID=%5", shell::Table(db, u"KARTY.DB"),
                      sqlValue(number, kCardNumWidth), sqlValue(type, kCardTypeWidth), sqlValue(expiry, kCardExpWidth), kid);
}

QString regCardInfoSql(const QString& db, int bid)
{
    return shell::Sql(u"SELECT PNAME,PPRICE,PDESCR,PID,MAIDPRICE,   DATEFROM,DATETHRU, DATETHRU-DATEFROM as NIGHTS,   "
                      u"TITLE,SURNAME,NAME, NAME+\" \"+SURNAME AS CLIENT, PASSPORT,COUNTRY,   "
                      u"CARDNUM, CARDEXP, CARDTYPE, NUMPERS,PRICEEUR,MAIDEUR, DATEBIRTH, PLACEBIRTH,   "
                      u"ADDRESS, CITY, POSTAL from %1 AS POK,%2 AS POB,      "
                      u"%3 AS KAR WHERE POB.BID=%4 and POB.PID=POK.PID and KAR.KID=POB.KID",
                      shell::Table(db, u"POKOJE.DB"), shell::Table(db, u"POBYTY.DB"), shell::Table(db, u"KARTY.DB"), bid);
}

QString checkInTimeText(const QTime& time)
{
    return QString::number(time.hour()) + QLatin1Char(':') + shell::TwoDigits(time.minute());
}

QString dailyRateText(double priceEUR, double nights)
{
    const double wholeNights = std::nearbyint(nights);
    if (!(wholeNights >= 1)) return QString();
    const double price = std::nearbyint(priceEUR);   // the current rounding mode: halves to even
    return QString::number(static_cast<long long>(std::trunc(price / wholeNights)));
}

PurposeCrosses purposeCrosses(bool business, bool travel)
{
    const QString x = QStringLiteral("x");
    PurposeCrosses c;
    if (!business && !travel) return c;
    c.businessYes = business ? x : QString();
    c.businessNo = business ? QString() : x;
    c.touristYes = travel ? x : QString();
    c.touristNo = travel ? QString() : x;
    return c;
}

report::Report buildRegCardReport(const RegCardData& d)
{
    Form f;
    f.text(480, 40, QStringLiteral("POČET KLÍČŮ / KEYS:___________"), arial(16, true));
    f.text(48, 80, QStringLiteral("HOTEL NAME"), arial(16, true));
    f.text(48, 102, QStringLiteral("HOTEL ADDRESS"), arial(16));
    f.text(592, 80, QStringLiteral("REGISTRATION CARD"), arial(15, true));
    f.text(592, 104, QStringLiteral("REGISTRAČNÍ KARTA"), arial(15, true));
    identity(f, d);
    addressAndStatements(f, d);
    payment(f, d);
    purpose(f, d);
    stay(f, d);
    roommates(f);
    f.frame(520, 977, 233, 81);
    f.text(456, 998, QStringLiteral("Siganture"), arial(12));
    f.text(456, 1017, QStringLiteral("Podpis"), arial(12));

    report::Report r;
    r.title = QStringLiteral("Registration Card");
    const QRectF area = report::contentRect(r);
    r.body.append(f.band(area.topLeft(), area.height() - 1));
    return r;
}

}  // namespace documents
