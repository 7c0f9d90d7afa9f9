// qrpRegistrationCard: reading the card's rows and handing them to the form's page model.
//
// Invariants: see TqrpRegistrationCard.h.

#include "documents/TqrpRegistrationCard.h"

#include <exception>
#include <memory>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "report/PreviewWindow.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"

namespace {
QString text(const engine::Query& q, const char* field) { return QString::fromStdString(q.text(field)); }
}  // namespace

TqrpRegistrationCard::TqrpRegistrationCard(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("qrpRegistrationCard"));
    setVisible(false);
}

bool TqrpRegistrationCard::Build(const TRegCardRequest& request)
{
    documents::RegCardData& d = m_data;
    d = {};
    TdmDataModule* dm = dmDataModule();
    try {
        std::unique_ptr<engine::Query> qryInfo = dm->Open(documents::regCardInfoSql(dm->DbPrefix(), request.BID));
        if (qryInfo->rowCount() != 1)
            platform::messageBox(this, QStringLiteral("Internal error 53 in ReportConfirmation - Invalid number of records"),
                                 QStringLiteral("Report"), platform::Icon::None, platform::Buttons::Ok);
        if (qryInfo->next()) {
            d.SURNAME = text(*qryInfo, "SURNAME");
            d.NAME = text(*qryInfo, "NAME");
            d.TITLE = text(*qryInfo, "TITLE");
            d.DATEBIRTH = text(*qryInfo, "DATEBIRTH");
            d.PLACEBIRTH = text(*qryInfo, "PLACEBIRTH");
            d.COUNTRY = text(*qryInfo, "COUNTRY");
            d.PASSPORT = text(*qryInfo, "PASSPORT");
            d.ADDRESS = text(*qryInfo, "ADDRESS");
            d.CITY = text(*qryInfo, "CITY");
            d.POSTAL = text(*qryInfo, "POSTAL");
            d.PID = text(*qryInfo, "PID");
            d.DATEFROM = text(*qryInfo, "DATEFROM");
            d.DATETHRU = text(*qryInfo, "DATETHRU");
            d.dailyRate = documents::dailyRateText(qryInfo->number("PRICEEUR"), qryInfo->number("NIGHTS"));
            // What the client card holds (as just written back, or as it was when that failed).
            d.cardNum = text(*qryInfo, "CARDNUM");
            d.cardExp = text(*qryInfo, "CARDEXP");
            d.cardType = text(*qryInfo, "CARDTYPE");
        }
    } catch (const std::exception&) {
        LangMessageBox(this, QStringLiteral("Can't load the data"), QStringLiteral("Registration Card"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        return false;
    }
    d.paymentWord = request.paymentWord;
    if (request.paymentWord != QLatin1String("card")) d.cardNum = d.cardExp = d.cardType = QString();
    d.business = request.business;
    d.travel = request.travel;
    d.userName = request.userName;
    d.checkInTime = request.checkInTime;
    return true;
}

int TqrpRegistrationCard::Preview(const TRegCardRequest& request)
{
    if (!Build(request)) return -1;
    return report::preview(parentWidget(), Report());
}

platform::PrintOutcome TqrpRegistrationCard::Print(const TRegCardRequest& request)
{
    if (!Build(request)) return platform::PrintOutcome::Failed;
    return report::print(parentWidget(), Report());
}
