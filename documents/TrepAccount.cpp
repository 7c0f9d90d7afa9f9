// repAccount: reading the rows of one room's bill and handing them to the page model.
//
// Invariants: see TrepAccount.h.

#include "documents/TrepAccount.h"

#include <QLabel>
#include <exception>
#include <memory>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "report/PreviewWindow.h"
#include "report/ReportRenderer.h"
#include "shell/DataModule.h"

using documents::AccountLine;

namespace {

QString text(const engine::Query& q, const char* field)
{
    return QString::fromStdString(q.text(field));
}

QList<AccountLine> readLines(engine::Query& q, bool typed)
{
    QList<AccountLine> lines;
    while (q.next()) {
        AccountLine line;
        line.UPID = int(q.integer("UPID"));
        if (typed) line.UPNAME = text(q, "UPNAME");
        line.DESCR = text(q, "DESCR");
        line.TAXRATE = text(q, "TAXRATE");
        line.amountEUR = q.number("AMNTE");
        line.amountCZK = q.number("AMNTC");
        lines.append(line);
    }
    return lines;
}

}  // namespace

// A window of its own (never shown), so the translation finds it by name as it finds the dialogs.
TrepAccount::TrepAccount(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("repAccount"));
    setVisible(false);
    lbDetailPercent = new QLabel(QStringLiteral("% VAT"), this);
    lbDetailPercent->setObjectName(QStringLiteral("lbDetailPercent"));
}

bool TrepAccount::Build(int uid, const QString& pid, bool inEUR, int bid)
{
    m_data = {};
    m_data.inEUR = inEUR;
    // The VAT label reads the same in both currencies.
    lbDetailPercent->setText(QStringLiteral("% DPH"));
    TdmDataModule* dm = dmDataModule();
    const QString db = dm->DbPrefix();
    try {
        {
            std::unique_ptr<engine::Query> queHeaderInfo = dm->Open(documents::headerInfoSql(db, uid, pid, bid));
            const std::int64_t rows = queHeaderInfo->rowCount();
            if (rows != 1)
                platform::messageBox(this, QStringLiteral("Internal error 89 - Invalid number of records"),
                                     QStringLiteral("Report"), platform::Icon::None, platform::Buttons::Ok);
            documents::AccountHeader& h = m_data.header;
            h.PID = pid;
            if (queHeaderInfo->next()) {
                h.PNAME = text(*queHeaderInfo, "PNAME");
                h.PPRICE = text(*queHeaderInfo, "PPRICE");
                h.MAIDPRICE = text(*queHeaderInfo, "MAIDPRICE");
                h.DATEFROM = text(*queHeaderInfo, "DATEFROM");
                h.DATETHRU = text(*queHeaderInfo, "DATETHRU");
                h.paymentForm = shell::PaymentFormName(text(*queHeaderInfo, "FORMPAYM"));
                h.DATEPAYM = text(*queHeaderInfo, "DATEPAYM");
                h.TITLE = text(*queHeaderInfo, "TITLE");
                h.SURNAME = text(*queHeaderInfo, "SURNAME");
                h.NAME = text(*queHeaderInfo, "NAME");
                h.PASSPORT = text(*queHeaderInfo, "PASSPORT");
                h.COUNTRY = text(*queHeaderInfo, "COUNTRY");
            } else {
                h.paymentForm = shell::PaymentFormName(QString());
            }
        }
        {
            std::unique_ptr<engine::Query> queRoomStays = dm->Open(documents::roomStaysSql(db, uid, pid));
            QStringList periods;
            while (queRoomStays->next())
                periods << text(*queRoomStays, "DATEFROM") + QStringLiteral(" - ") + text(*queRoomStays, "DATETHRU");
            m_data.header.sharedCharges = documents::sharedChargesText(periods);
        }
        std::unique_ptr<engine::Query> queAccount = dm->Open(documents::accountItemsSql(db, uid, pid));
        const QList<AccountLine> typed = readLines(*queAccount, true);
        queAccount = dm->Open(documents::orphanItemsSql(db, uid, pid));
        m_data.lines = documents::mergeLines(typed, readLines(*queAccount, false));
        queAccount.reset();
        std::unique_ptr<engine::Query> queTotalAccount = dm->Open(documents::totalAccountSql(db, uid, pid));
        if (queTotalAccount->next()) {
            m_data.totalEUR = queTotalAccount->number("AMNTE");
            m_data.totalCZK = queTotalAccount->number("AMNTC");
        }
    } catch (const std::exception&) {
        LangMessageBox(this, QStringLiteral("Can't load the data"), QStringLiteral("Print Account"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        m_data.lines.clear();
        return false;
    }
    return true;
}

report::Report TrepAccount::Report() const { return documents::buildAccountReport(m_data); }

int TrepAccount::Preview(int uid, const QString& pid, bool inEUR, int bid)
{
    if (!Build(uid, pid, inEUR, bid)) return 0;
    return report::preview(parentWidget(), Report());
}

platform::PrintOutcome TrepAccount::Print(int uid, const QString& pid, bool inEUR, int bid)
{
    if (!Build(uid, pid, inEUR, bid)) return platform::PrintOutcome::Failed;
    return report::print(parentWidget(), Report());
}
