// The guest book's printouts and CSV; see GuestForms.h.
#include "guests/GuestForms.h"

#include "guests/Countries.h"
#include "guests/Dates.h"
#include "guests/PoliceFile.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "report/PreviewWindow.h"
#include "shell/DataModule.h"

namespace guests {

namespace {
using report::Align;
using report::Band;
using report::Item;

QString dayText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }
QString asIs(const QString& s) { return s; }

struct Column {
    const char* title;
    double width;
};
// The book's columns across the 1047 pixels of a landscape A4 page inside its margins.
const Column kBookColumns[] = {{"No.", 30},      {"Arrival", 66},   {"Departure", 66}, {"Name", 190}, {"Born", 66},
                               {"Citizen", 60},  {"Document", 120}, {"Address", 379},  {"Reported", 70}};
constexpr double kBookWidth = 1047;

QStringList bookCells(int number, const Guest& g)
{
    return {QString::number(number), dayText(g.DATEFROM), dayText(g.DATETHRU), g.fullName(), g.DATEBIRTH, g.CITIZEN,
            g.DOCNUM, g.ADDRESS, g.REPORTED.isValid() ? dayText(g.REPORTED) : QString()};
}

Band rowBand(const QStringList& cells, const report::Font& font, double height)
{
    Band band(Band::Kind::Detail, height);
    double x = 0;
    for (int i = 0; i < cells.size(); ++i) {
        band.add(Item::textAt(x + 2, 2, cells[i], font, kBookColumns[i].width - 4));
        x += kBookColumns[i].width;
    }
    return band;
}

QString purposeName(const QString& code, bool czech)
{
    for (const PurposeCode& p : purposeCodes())
        if (code == QLatin1String(p.code)) return QString::fromUtf8(czech ? p.czech : p.english);
    return code;
}
}  // namespace

QList<report::Page> guestBookPages(const HotelDetails& hotel, const QList<Guest>& rows, const QDate& from,
                                   const QDate& thru, QString (*tr)(const QString&))
{
    if (!tr) tr = &asIs;
    report::Report r;
    r.title = tr(QStringLiteral("Guest book"));
    r.orientation = report::Orientation::Landscape;
    report::Font title;
    title.pixelSize = 16;
    title.bold = true;
    report::Font small;
    small.pixelSize = 10;
    report::Font heading = small;
    heading.bold = true;

    r.pageHeader = Band(Band::Kind::PageHeader, 62);
    r.pageHeader.add(Item::textAt(0, 0, hotel.name, title, 600));
    r.pageHeader.add(Item::textAt(600, 4, tr(QStringLiteral("Guest book")) + QStringLiteral(" ") + dayText(from) +
                                              QStringLiteral(" - ") + dayText(thru), heading, kBookWidth - 600, Align::Right));
    r.pageHeader.add(Item::textAt(0, 22, hotelAddressLine(hotel), small, kBookWidth));
    double x = 0;
    for (const Column& c : kBookColumns) {
        r.pageHeader.add(Item::textAt(x + 2, 44, tr(QString::fromLatin1(c.title)), heading, c.width - 4));
        x += c.width;
    }
    r.pageHeader.add(Item::line(QPointF(0, 59), QPointF(kBookWidth, 59)));
    r.pageFooter = Band(Band::Kind::PageFooter, 18);

    for (int i = 0; i < rows.size(); ++i) r.body << rowBand(bookCells(i + 1, rows[i]), small, 15);
    if (rows.isEmpty()) {
        Band none(Band::Kind::Detail, 20);
        none.add(Item::textAt(0, 4, tr(QStringLiteral("No guest arrived in this period.")), small, kBookWidth));
        r.body << none;
    }
    QList<report::Page> pages = report::layout(r);
    const QRectF area = report::contentRect(r);
    for (int i = 0; i < pages.size(); ++i)
        pages[i].items << Item::textAt(area.left(), area.bottom() - 14,
                                       QStringLiteral("%1 / %2").arg(i + 1).arg(pages.size()), small, area.width(), Align::Right);
    return pages;
}

report::Report registrationForms(const HotelDetails& hotel, const QList<Guest>& guests, const QString& language)
{
    report::Report r;
    r.title = QStringLiteral("Přihlašovací tiskopis / Registration form");
    report::Font title;
    title.pixelSize = 18;
    title.bold = true;
    report::Font label;
    label.pixelSize = 11;
    report::Font value;
    value.pixelSize = 14;
    value.bold = true;
    const bool czech = language == QLatin1String("cs");
    for (const Guest& g : guests) {
        if (!g.isForeign()) continue;
        Band form(Band::Kind::Detail, 1000);
        form.add(Item::textAt(0, 0, QStringLiteral("Přihlašovací tiskopis pro ubytované cizince"), title, 718));
        form.add(Item::textAt(0, 24, QStringLiteral("Registration form for foreign guests"), title, 718));
        const QString address = hotelAddressLine(hotel);
        form.add(Item::textAt(0, 56, address.isEmpty() ? hotel.name : hotel.name + QStringLiteral(", ") + address, label, 718));
        const QString doc = (g.DOCTYPE == QLatin1String("I")   ? QStringLiteral("OP / ID card ")
                             : g.DOCTYPE == QLatin1String("O") ? QStringLiteral("Jiný / Other ")
                                                               : QStringLiteral("Pas / Passport ")) +
                            g.DOCNUM;
        const QList<QPair<QString, QString>> fields = {
            {QStringLiteral("Příjmení / Surname"), g.SURNAME},
            {QStringLiteral("Jméno / First name"), g.NAME},
            {QStringLiteral("Datum narození / Date of birth"), g.DATEBIRTH},
            {QStringLiteral("Státní občanství / Citizenship"), g.CITIZEN + QStringLiteral("  ") + countryName(g.CITIZEN, czech ? QStringLiteral("cs") : QStringLiteral("en"))},
            {QStringLiteral("Cestovní doklad / Travel document"), doc},
            {QStringLiteral("Číslo víza / Visa number"), g.VISA},
            {QStringLiteral("Bydliště v zahraničí / Address abroad"), g.ADDRESS},
            {QStringLiteral("Účel pobytu / Purpose of stay"), g.PURPOSE + QStringLiteral("  ") + purposeName(g.PURPOSE, true) + QStringLiteral(" / ") + purposeName(g.PURPOSE, false)},
            {QStringLiteral("Ubytování od - do / Stay from - to"), dayText(g.DATEFROM) + QStringLiteral(" - ") + dayText(g.DATETHRU)},
        };
        double y = 100;
        for (const auto& [caption, text] : fields) {
            form.add(Item::textAt(0, y, caption, label, 718));
            form.add(Item::textAt(0, y + 14, text, value, 718));
            form.add(Item::line(QPointF(0, y + 34), QPointF(718, y + 34), 0.5));
            y += 48;
        }
        y += 60;
        form.add(Item::line(QPointF(0, y), QPointF(300, y)));
        form.add(Item::line(QPointF(418, y), QPointF(718, y)));
        form.add(Item::textAt(0, y + 4, QStringLiteral("Datum / Date"), label, 300));
        form.add(Item::textAt(418, y + 4, QStringLiteral("Podpis / Signature"), label, 300));
        r.body << form;
    }
    return r;
}

QByteArray guestBookCsv(const QList<Guest>& rows)
{
    auto field = [](QString s) {
        if (s.contains(QLatin1Char(';')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')))
            s = QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        return s;
    };
    QString out = QStringLiteral("arrival;departure;surname;name;birth;citizen;doctype;docnum;visa;address;purpose;reported;lastday\r\n");
    for (const Guest& g : rows) {
        const QStringList cells = {dayText(g.DATEFROM), dayText(g.DATETHRU), g.SURNAME, g.NAME, g.DATEBIRTH, g.CITIZEN,
                                   g.DOCTYPE, g.DOCNUM, g.VISA, g.ADDRESS, g.PURPOSE, dayText(g.REPORTED),
                                   g.isForeign() && g.DATEFROM.isValid() ? dayText(lastDayToReport(g.DATEFROM)) : QString()};
        QStringList quoted;
        for (const QString& c : cells) quoted << field(c);
        out += quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

void previewRegistrationForms(QWidget* owner, const QList<Guest>& guests)
{
    TdmDataModule* dm = dmDataModule();
    HotelDetails hotel;
    if (dm) {
        try {
            hotel = hotelDetails(readSettings(dm->db(), dm->DbPrefix()));
        } catch (const std::exception&) {
        }
    }
    const QString lang = currentLanguage() && currentLanguage()->LanguageIdent() == 2 ? QStringLiteral("cs") : QStringLiteral("en");
    const report::Report forms = registrationForms(hotel, guests, lang);
    if (forms.body.isEmpty()) {
        LangMessageBox(owner, QStringLiteral("The stay has no foreign guest; no form is needed."), QStringLiteral("Tamarel"),
                       platform::Icon::Information, platform::Buttons::Ok);
        return;
    }
    report::preview(owner, forms);
}

}  // namespace guests
