#pragma once
// The logic behind the client windows, kept apart from the widgets so it can be tested
// without a display: the card's save statements, the required-field list, the duplicate
// checks, the cumulative filter of the client lists and the row kept after a delete.
//
// Invariants: every text value spliced into a statement goes through QuoteText, so a value
// with a double quote is stored intact; the statements that carry user text pass through
// EscapeApostrophes, so an apostrophe is stored intact too; a field name spliced into a
// filter comes from the grid's own column list, never from user input.

#include <QString>
#include <QStringList>

namespace clients {

// The texts of a client card as the dialog's controls hold them.
struct ClientCardValues {
    QString surname, name, title, address, city, postal, country, tel, fax;
    QString birthPlace, birthDate;     // birthDate: the date box text ("  .  .    " when empty)
    QString passport, passDate, passPlace;   // passDate likewise
    QString cardNum, cardExp, cardType;
    QString rating;      // one digit "0".."5"
    QString agency;
    QString knowsFrom;   // the referral code: one character, empty when none is chosen
    QString comment;
};

// The English names (translation keys) of the required fields that are empty or a single
// blank, in the order the user is told about them.
QStringList missingRequiredFields(const ClientCardValues& values);

// "The following fields should be filled:" (already translated), a line break, then each
// (translated) field name after a line break: the first name follows an empty line.
QString requiredFieldsText(const QString& heading, const QStringList& names);

enum class DuplicateKind { Passport, CardNumber };

// The duplicate check of a passport or card number against every other card.
QString duplicateCheckSql(const QString& db, DuplicateKind kind, int kid, const QString& value);
// The English key of the finding's first line.
QString duplicateFindingKey(DuplicateKind kind);

// INSERT for kid < 1, else UPDATE of that KID; already passed through EscapeApostrophes.
// usr, date and time fill USR, UPMJ and UPMT.
QString clientSaveStatement(const QString& db, int kid, const ClientCardValues& values,
                            const QString& usr, const QString& date, const QString& time);

// The history of a client's accounts, for the History page.
QString clientHistorySql(const QString& db, int kid);

// The filter operations offered, in list order; "like" searches for a part of the text.
const QStringList& filterOperations();
// One condition of the cumulative filter, e.g. (SURNAME like "%Nov%"), passed through
// EscapeApostrophes.
QString filterCondition(const QString& field, const QString& operation, const QString& value);
// The accumulated filter with one more condition: " WHERE " before the first, " and " between.
QString appendCondition(const QString& filter, const QString& condition);
// The client list statement, ordered by surname and name.
QString clientListSql(const QString& db, const QString& filter);
QString clientDeleteSql(const QString& db, int kid);

// The row to show after a delete: the remembered row, or the one before it when the
// remembered row is no longer below the row count; -1 for an empty list.
int rowAfterDelete(int rememberedRow, int rowCount);

}  // namespace clients
