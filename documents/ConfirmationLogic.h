#pragma once
// The confirmation's logic without a window: its two statement texts, the stay's row as the
// form and the e-mail read it, the daily rate and total texts, the values of the e-mail's
// placeholders and the texts of the printed form.
//
// Invariants:
//  - amounts are whole EUR: the stay's price rounded half to even, then divided by the
//    rounded number of nights with the remainder dropped;
//  - a stay of 0 nights has no daily rate: the form leaves it blank, and "{RATE}" in an
//    e-mail has no value (the e-mail is not sent);
//  - the statements splice in only the database folder and the stay's number, never a text
//    typed by the user, so nothing in them needs escaping.

#include <QList>
#include <QString>
#include <optional>
#include <utility>

#include "documents/EmailTemplate.h"

namespace engine {
class Query;
}

namespace documents {

// The form's query: the stay with its room and client card.
QString ConfirmationReportSql(const QString& db, int bid);
// The e-mail's query: every column of the stay, the room and the client card.
QString ConfirmationEmailSql(const QString& db, int bid);

// One row of either query: every column's text as the windows show it, and the numbers the
// rate and the total are made of.
struct StayRow {
    QList<std::pair<QString, QString>> columns;   // name and text, in result order
    double PRICEEUR = 0;
    double MAIDEUR = 0;
    double NIGHTS = 0;

    // The text of the first column of that name (letter case ignored); none when there is
    // no such column.
    std::optional<QString> column(const QString& name) const;
    QString text(const QString& name) const { return column(name).value_or(QString()); }
};

// Reads the query's current row.
StayRow ReadStayRow(const engine::Query& query);

// Whole EUR per night; none when the nights round to 0.
std::optional<long long> WholePerNight(double amount, double nights);
// "248 EUR/accommodation/night + 10 EUR/maid service/day"; empty for a stay of 0 nights.
QString DailyRateText(double priceEur, double maidEur, double nights);
// "744 + 30 EUR".
QString TotalText(double priceEur, double maidEur);

// The three texts the receptionist types in the dialog.
struct ConfirmationTexts {
    QString specialOffer;
    QString breakfast;
    QString userName;
};

// The value of one e-mail placeholder: RATE, TOTAL, BREAKFAST, SPECIALOFFER and USERNAME
// exactly so written, else a column of the stay's row; Failed for RATE of a 0-night stay.
PlaceholderValue ConfirmationPlaceholder(const QString& name, const ConfirmationTexts& texts, const StayRow& stay);

// The values printed on the confirmation form (all empty when the stay was not found).
struct ConfirmationForm {
    QString client, agency, cardNum, cardType, cardExp, country, dateFrom, dateThru, nights, roomName,
        roomDescr, numPers, dailyRate, total, specialOffer, breakfast, userName;
    bool showSpecialOffer = false;
};
ConfirmationForm MakeConfirmationForm(const StayRow* stay, const ConfirmationTexts& texts);

}  // namespace documents
