// TrepConfirmation: the confirmation form laid out on the design surface and fed the stay.
//
// Invariants: see TrepConfirmation.h. Positions are those of the 96-dpi page (794 by 1123);
// the report places its bands inside the 10 mm margins, so every item is moved up and left
// by the margin to land on the same spot of the paper.

#include "documents/TrepConfirmation.h"

#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "report/PreviewWindow.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"

using documents::ConfirmationForm;
using documents::ConfirmationTexts;
using report::Font;
using report::Item;

namespace {

constexpr double kMargin = 10.0 * 96.0 / 25.4;   // 10 mm in design pixels
constexpr double kRowLeft = 40, kRowWidth = 713, kRowHeight = 25, kRowPitch = 24, kFirstRow = 315;

Font font(int pixels, bool bold = false, bool underline = false)
{
    Font f;
    f.pixelSize = pixels;
    f.bold = bold;
    f.underline = underline;
    return f;
}

// A text at a spot of the page.
Item at(double left, double top, const QString& text, const Font& f = font(16), double width = 0)
{
    return Item::textAt(left - kMargin, top - kMargin, text, f, width);
}

struct Row {
    const char* caption;
    QString value;
};

}  // namespace

namespace documents {

report::Report ConfirmationReport(const ConfirmationForm& form)
{
    report::Report rep;
    rep.title = QStringLiteral("Definitive Confirmation");
    report::Band page(report::Band::Kind::Detail, 1123 - 2 * kMargin - 1);

    page.add(at(40, 40, QStringLiteral("HOTEL NAME"), font(16, true)));
    page.add(at(40, 60, QStringLiteral("Hotel Address")));
    page.add(at(40, 80, QStringLiteral("Czech Republic")));
    page.add(at(40, 100, QStringLiteral("Tel./Fax: +420 000 000 000")));
    page.add(at(40, 120, QStringLiteral("e-mail: reservations@hotel-name.cz")));
    page.add(Item::textAt(40 - kMargin, 168 - kMargin,
                          QStringLiteral("D E F I N I T I V E   C O N F I R M A T I O N"), font(19, true, true),
                          kRowWidth, report::Align::Center));
    page.add(at(40, 208, QStringLiteral("Rezervace / Reservation"), font(16, true)));
    page.add(at(40, 232, QStringLiteral("Mr./Mrs.")));
    page.add(Item::paragraph(QRectF(40 - kMargin, 250 - kMargin, kRowWidth, 44),
                             QStringLiteral("Thank you for the interest you have shown to Residence Vadrena. In "
                                            "reference to your reservation request we are glad to confirm you "
                                            "following:"),
                             font(16)));

    const Row rows[] = {
        {"Klient / Client:", form.client},
        {"Garance / Guarantee:", form.cardNum},
        {"Národnost / Nationality:", form.country},
        {"Příjezd / Check in:", form.dateFrom},
        {"Odjezd / Check out:", form.dateThru},
        {"Počet nocí / Nights:", form.nights},
        {"Pokoj / Apartment:", form.roomName},
        {"Druh pokoje / Apartment type:", form.roomDescr},
        {"Počet osob / pax:", form.numPers},
        {"Cena za noc / Daily rate:", form.dailyRate},
        {"Spec. nabídka / Special offer:", form.specialOffer},
        {"Cena celkem / Total rate:", form.total},
        {"Snídaně / Breakfast:", form.breakfast},
        {"Pick up at the airport:", QStringLiteral("from 550,-CZK  (if required)")},
    };
    const Font rowFont = font(13);
    for (int i = 0; i < int(std::size(rows)); ++i) {
        if (i == 10 && !form.showSpecialOffer) continue;   // its space stays
        const double top = kFirstRow + i * kRowPitch;
        const double textTop = top + 5;
        page.add(Item::frame(QRectF(kRowLeft - kMargin, top - kMargin, kRowWidth, kRowHeight)));
        page.add(at(48, textTop, QString::fromUtf8(rows[i].caption), rowFont, 240 - 48 - 4));
        // Values end where the row's next field or the frame begins.
        const double valueEnd = i == 0 ? 616 : i == 1 ? 456 : kRowLeft + kRowWidth;
        page.add(at(240, textTop, rows[i].value, rowFont, valueEnd - 240 - 4));
    }
    const double firstText = kFirstRow + 5;
    page.add(at(616, firstText + 1, form.agency, font(12), kRowLeft + kRowWidth - 616 - 4));
    const double second = kFirstRow + kRowPitch + 5;
    page.add(at(456, second, QStringLiteral("Type:"), rowFont, 40));
    page.add(at(496, second, form.cardType, rowFont, 616 - 496 - 4));
    page.add(at(616, second, QStringLiteral("Exp. date:"), rowFont, 64));
    page.add(at(680, second, form.cardExp, rowFont, kRowLeft + kRowWidth - 680 - 4));

    page.add(at(48, 674, QStringLiteral("Thank you")));
    page.add(at(64, 706, form.userName, font(16), kRowWidth - 24));
    page.add(at(64, 726, QStringLiteral("Hotel name")));
    page.add(at(48, 792, QStringLiteral("Cancellation conditions:"), font(13, true, true)));
    const Font underlined = font(16, false, true);
    page.add(at(64, 816, QStringLiteral("Reservation for 1-6 days"), underlined));
    page.add(at(264, 816, QStringLiteral("up to 48 hours prior to arrival:")));
    page.add(at(528, 816, QStringLiteral("no charge")));
    page.add(at(264, 836, QStringLiteral("48 hours prior to arrival:")));
    page.add(at(528, 836, QStringLiteral("100% of the first night")));
    page.add(at(64, 864, QStringLiteral("Reservation for 7-14 days"), underlined));
    page.add(at(264, 864, QStringLiteral("up to 7 days prior to arrival:")));
    page.add(at(528, 864, QStringLiteral("no charge")));
    page.add(at(264, 884, QStringLiteral("7 days prior to arrival:")));
    page.add(at(528, 884, QStringLiteral("100% of the first night")));
    page.add(at(264, 908, QStringLiteral("up to 4 days prior to arrival:")));
    page.add(at(528, 908, QStringLiteral("no charge")));
    page.add(at(264, 928, QStringLiteral("4 days prior to arrival:")));
    page.add(at(528, 928, QStringLiteral("100% of the first night")));
    page.add(at(64, 956, QStringLiteral("Reservation from 14 days"), underlined));
    page.add(at(264, 956, QStringLiteral("individual cancellation conditions")));
    rep.body.append(page);
    return rep;
}

}  // namespace documents

TrepConfirmation::TrepConfirmation(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("repConfirmation"));
}

TrepConfirmation::~TrepConfirmation() = default;

std::optional<report::Report> TrepConfirmation::Build(int bid, const ConfirmationTexts& texts)
{
    CloseQuery();
    std::optional<documents::StayRow> stay;
    std::int64_t rows = 0;
    try {
        TdmDataModule* dm = dmDataModule();
        qryInfo = dm->Open(documents::ConfirmationReportSql(dm->DbPrefix(), bid));
        rows = qryInfo->rowCount();
        if (qryInfo->next()) stay = documents::ReadStayRow(*qryInfo);
    } catch (const std::exception&) {
        CloseQuery();
        LangMessageBox(owner, QStringLiteral("Can't load the data"), QStringLiteral("Definitive Confirmation"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        return std::nullopt;
    }
    if (rows != 1)
        platform::messageBox(owner, QStringLiteral("Internal error 53 in ReportConfirmation - Invalid number of records"),
                             QStringLiteral("Report"), platform::Icon::Warning, platform::Buttons::Ok);
    return documents::ConfirmationReport(documents::MakeConfirmationForm(stay ? &*stay : nullptr, texts));
}

bool TrepConfirmation::PreviewReport(int bid, const QString& specialOffer, const QString& userName,
                                     const QString& breakfast)
{
    const std::optional<report::Report> form = Build(bid, {specialOffer, breakfast, userName});
    if (!form) return false;
    report::preview(owner, *form);
    return true;
}

bool TrepConfirmation::PrintReport(int bid, const QString& specialOffer, const QString& userName,
                                   const QString& breakfast)
{
    const std::optional<report::Report> form = Build(bid, {specialOffer, breakfast, userName});
    return form && report::print(owner, *form) != platform::PrintOutcome::Failed;
}

void TrepConfirmation::CloseQuery() { qryInfo.reset(); }
